#pragma once

// Names of the application-state notifications the application loop posts
// to platform::NotificationCenter::defaultCenter().
namespace platform {

inline constexpr const char* kApplicationWillResignActiveNotification =
    "ApplicationWillResignActive";
inline constexpr const char* kApplicationDidBecomeActiveNotification =
    "ApplicationDidBecomeActive";
inline constexpr const char* kApplicationWillTerminateNotification =
    "ApplicationWillTerminate";

} // namespace platform
