#include "platform/NotificationCenter.h"

#include <algorithm>

namespace platform {

NotificationCenter& NotificationCenter::defaultCenter() {
    static NotificationCenter center;
    return center;
}

void NotificationCenter::addObserver(const void* observer, NotificationSelector selector,
                                     std::optional<std::string> name, const Object* object) {
    if (!observer || !selector) return;
    if (name && name->empty()) name.reset();
    std::lock_guard lock(mutex_);
    entries_.push_back({observer, std::move(selector), std::move(name), object,
                        std::make_shared<std::atomic<bool>>(true)});
}

void NotificationCenter::removeObserver(const void* observer) {
    removeObserver(observer, std::nullopt, nullptr);
}

void NotificationCenter::removeObserver(const void* observer, std::optional<std::string> name,
                                        const Object* object) {
    if (name && name->empty()) name.reset();
    std::lock_guard lock(mutex_);
    std::erase_if(entries_, [&](const Entry& e) {
        bool match =
            e.observer == observer && (!name || e.name == name) && (!object || e.object == object);
        if (match) *e.alive = false;
        return match;
    });
}

void NotificationCenter::postNotificationName(const std::string& name, Object* object) {
    auto n = make<Notification>(name, object);
    postNotification(n.get());
}

void NotificationCenter::postNotification(Notification* notification) {
    if (!notification) return;
    Ref<Notification> keep(notification);
    // Observers added while delivering wait for the next post; observers
    // removed while delivering are not called any more.
    std::vector<Entry> snapshot;
    {
        std::lock_guard lock(mutex_);
        snapshot = entries_;
    }
    for (const Entry& e : snapshot) {
        if (!*e.alive) continue;
        if (e.name && *e.name != notification->name()) continue;
        if (e.object && e.object != notification->object()) continue;
        e.selector(notification);
    }
}

size_t NotificationCenter::observerCount() const {
    std::lock_guard lock(mutex_);
    return entries_.size();
}

} // namespace platform
