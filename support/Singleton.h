#pragma once

#include "support/Error.h"
#include "support/Ref.h"

#include <mutex>

inline constexpr const char* kSecondSingletonMessage =
    "Attempted to allocate a second instance of a singleton.";

// Guards a class against a second live instance. A singleton class holds one
// SingletonGuard<T> member; constructing a second one while the first lives
// is the singleton assertion.
template <class T>
class SingletonGuard {
public:
    SingletonGuard() {
        std::lock_guard lock(mutex());
        ccAssert(!alive(), kSecondSingletonMessage);
        alive() = true;
    }
    ~SingletonGuard() { retire(); }
    // The instance was released but still finishes a call in progress: it no
    // longer counts, so a successor may be made meanwhile.
    void retire() {
        std::lock_guard lock(mutex());
        if (held_) alive() = false;
        held_ = false;
    }
    SingletonGuard(const SingletonGuard&) = delete;
    SingletonGuard& operator=(const SingletonGuard&) = delete;

private:
    static std::mutex& mutex() {
        static std::mutex m;
        return m;
    }
    static bool& alive() {
        static bool a = false;
        return a;
    }
    bool held_ = true;
};

// The shared instance of a singleton: created on first use under a lock,
// released on purge (after which the next use creates a new one).
template <class T>
class Shared {
public:
    template <class Factory>
    T& get(Factory&& create) {
        std::lock_guard lock(mutex_);
        if (!instance_) instance_ = create();
        return *instance_;
    }
    T& get() {
        return get([] { return make<T>(); });
    }
    T* peek() const { return instance_.get(); }
    void set(Ref<T> instance) {
        std::lock_guard lock(mutex_);
        instance_ = std::move(instance);
    }
    // Forgets the shared instance and hands it to the caller.
    Ref<T> take() {
        std::lock_guard lock(mutex_);
        return std::move(instance_);
    }
    void purge() { take(); }

private:
    std::mutex mutex_;
    Ref<T> instance_;
};
