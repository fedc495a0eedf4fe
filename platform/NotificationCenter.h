#pragma once

#include "support/Ref.h"
#include "support/Selector.h"

#include <atomic>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace platform {

class Notification : public Object {
public:
    Notification(std::string name, Object* object) : name_(std::move(name)), object_(object) {}
    const std::string& name() const { return name_; }
    Object* object() const { return object_.get(); }

private:
    std::string name_;
    Ref<Object> object_;
};

using NotificationSelector = Selector<void(Notification*)>;

// Delivers named notifications synchronously, in the order observers were
// added. Observers are not held: they remove themselves before they go.
// Registration and posting may happen on any thread; observers are called on
// the posting thread.
class NotificationCenter {
public:
    static NotificationCenter& defaultCenter();

    // Observes `name` (every name when empty) posted by `object` (by anyone
    // when null).
    void addObserver(const void* observer, NotificationSelector selector,
                     std::optional<std::string> name, const Object* object = nullptr);
    // Every registration of `observer`.
    void removeObserver(const void* observer);
    // Its registrations for `name` (any name when empty) and `object` (any
    // object when null).
    void removeObserver(const void* observer, std::optional<std::string> name,
                        const Object* object = nullptr);

    void postNotificationName(const std::string& name, Object* object = nullptr);
    void postNotification(Notification* notification);

    size_t observerCount() const;

private:
    struct Entry {
        const void* observer;
        NotificationSelector selector;
        std::optional<std::string> name;
        const Object* object;
        // Cleared on removal, so a delivery already under way skips it.
        std::shared_ptr<std::atomic<bool>> alive;
    };
    // Held only while the list is read or changed, never while observers
    // run, so that they may add, remove and post themselves.
    mutable std::mutex mutex_;
    std::vector<Entry> entries_;
};

} // namespace platform
