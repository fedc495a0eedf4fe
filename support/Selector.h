#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <utility>

// An operation passed as a value: its name plus a callable bound to the
// object that performs it. Two selectors name the same operation when their
// names are equal, which is how scheduling and unscheduling meet.
template <class Sig>
class Selector;

template <class R, class... Args>
class Selector<R(Args...)> {
public:
    Selector() = default;
    Selector(std::string name, std::function<R(Args...)> fn)
        : name_(std::move(name)), fn_(std::move(fn)) {}

    const std::string& name() const { return name_; }
    explicit operator bool() const { return static_cast<bool>(fn_); }
    R operator()(Args... args) const { return fn_(std::forward<Args>(args)...); }

private:
    std::string name_;
    std::function<R(Args...)> fn_;
};

// "&GameScene::updateBullets" -> "updateBullets"
inline std::string selectorName(std::string_view spelled) {
    size_t colons = spelled.rfind("::");
    if (colons != std::string_view::npos) spelled.remove_prefix(colons + 2);
    if (!spelled.empty() && spelled.front() == '&') spelled.remove_prefix(1);
    return std::string(spelled);
}

template <class C, class T, class R, class... Args>
Selector<R(Args...)> makeSelector(std::string name, T* target, R (C::*method)(Args...)) {
    C* bound = target;
    return Selector<R(Args...)>(std::move(name), [bound, method](Args... args) -> R {
        return (bound->*method)(std::forward<Args>(args)...);
    });
}

// The same with the member fixed at compile time: the call keeps only the
// object, small enough to live inside the selector, so that making one
// (every schedule and every call action) allocates nothing.
template <auto Method, class T, class C, class R, class... Args>
Selector<R(Args...)> makeSelectorOf(std::string name, T* target, R (C::*)(Args...)) {
    C* bound = target;
    return Selector<R(Args...)>(std::move(name), [bound](Args... args) -> R {
        return (bound->*Method)(std::forward<Args>(args)...);
    });
}

// Binds a member function to an object under the member's own name:
//   ccSelector(this, &GameScene::updateBullets) names "updateBullets".
#define ccSelector(target, method) \
    makeSelectorOf<method>(selectorName(#method), target, method)
