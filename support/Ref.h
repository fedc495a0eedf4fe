#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <type_traits>
#include <utility>

// Intrusive reference counting. Every engine object derives from Object and is
// held through Ref<T>. A new object starts with one reference that adopt()
// hands to the first Ref, so an object may retain and release itself while
// it is being constructed without being destroyed half-built.
//
// Counts are not atomic: an object is used by one thread at a time, and the
// few hand-overs between threads (background loads) go through a lock.
class Object {
public:
    Object() { made_.fetch_add(1, std::memory_order_relaxed); }
    Object(const Object&) = delete;
    Object& operator=(const Object&) = delete;
    virtual ~Object() = default;

    void retain() { ++retainCount_; }
    void release() {
        if (--retainCount_ == 0) delete this;
    }
    int retainCount() const { return retainCount_; }

    // How many objects were ever made: the benchmarks tell the frames that
    // make something from those that only move and draw what is there.
    static uint64_t madeCount() { return made_.load(std::memory_order_relaxed); }

private:
    int retainCount_ = 1;
    static inline std::atomic<uint64_t> made_{0};
};

template <class T>
class Ref {
public:
    Ref() = default;
    Ref(std::nullptr_t) {}
    // Takes a new reference on `p`.
    Ref(T* p) : p_(p) {
        if (p_) p_->retain();
    }
    Ref(const Ref& o) : Ref(o.p_) {}
    Ref(Ref&& o) noexcept : p_(std::exchange(o.p_, nullptr)) {}
    template <class U, class = std::enable_if_t<std::is_convertible_v<U*, T*>>>
    Ref(const Ref<U>& o) : Ref(o.get()) {}
    template <class U, class = std::enable_if_t<std::is_convertible_v<U*, T*>>>
    Ref(Ref<U>&& o) noexcept : p_(o.detach()) {}
    ~Ref() {
        if (p_) p_->release();
    }

    Ref& operator=(const Ref& o) {
        Ref(o).swap(*this);
        return *this;
    }
    Ref& operator=(Ref&& o) noexcept {
        Ref(std::move(o)).swap(*this);
        return *this;
    }
    Ref& operator=(std::nullptr_t) {
        reset();
        return *this;
    }

    // Wraps an object whose initial reference the caller hands over.
    static Ref adopt(T* p) {
        Ref r;
        r.p_ = p;
        return r;
    }
    // Gives up the reference without releasing it.
    T* detach() { return std::exchange(p_, nullptr); }
    void reset() {
        if (T* p = std::exchange(p_, nullptr)) p->release();
    }
    void swap(Ref& o) noexcept { std::swap(p_, o.p_); }

    T* get() const { return p_; }
    T* operator->() const { return p_; }
    T& operator*() const { return *p_; }
    explicit operator bool() const { return p_ != nullptr; }

    template <class U>
    bool operator==(const Ref<U>& o) const {
        return p_ == o.get();
    }
    bool operator==(const T* o) const { return p_ == o; }
    bool operator==(std::nullptr_t) const { return p_ == nullptr; }

private:
    T* p_ = nullptr;
};

// Creates a T and returns the only reference to it.
template <class T, class... Args>
Ref<T> make(Args&&... args) {
    return Ref<T>::adopt(new T(std::forward<Args>(args)...));
}

// Checked downcast; empty when `r` is not a T.
template <class T, class U>
Ref<T> ref_cast(const Ref<U>& r) {
    return Ref<T>(dynamic_cast<T*>(r.get()));
}

template <class T>
struct RefHash {
    size_t operator()(const Ref<T>& r) const { return std::hash<T*>()(r.get()); }
};
