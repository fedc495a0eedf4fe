#pragma once

// Names of the application-state notifications the application loop posts
// to platform::NotificationCenter::defaultCenter().
namespace platform {

inline constexpr const char* kApplicationWillResignActiveNotification =
    "UIApplicationWillResignActiveNotification";
inline constexpr const char* kApplicationDidBecomeActiveNotification =
    "UIApplicationDidBecomeActiveNotification";
inline constexpr const char* kApplicationWillTerminateNotification =
    "UIApplicationWillTerminateNotification";

} // namespace platform
