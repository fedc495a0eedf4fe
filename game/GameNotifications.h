#pragma once

// Names of the notifications that switch between the GL screens and the
// platform screens, posted to platform::NotificationCenter::defaultCenter().
inline constexpr const char* kSettingsNotification = "Settings";
inline constexpr const char* kHighScoresNotification = "highScores";
inline constexpr const char* kSettingsLeaveNotification = "settingsLeave";
inline constexpr const char* kRemoveHighScoresNotification = "removeHighScores";
