#pragma once

#include <map>
#include <string>
#include <string_view>

// What the game remembers between runs: small property-list files of string
// pairs in the Documents directory, some of which count only by existing.
// Nothing here is cached: every call reads or writes the file.
namespace saved {

inline constexpr const char* kEasy = "easy";
inline constexpr const char* kControlScheme = "ControlScheme";
inline constexpr const char* kInvert = "invert";
inline constexpr const char* kWantsSound = "wantsSound";
inline constexpr const char* kScoreData = "scoreData.plist";
inline constexpr const char* kKillScore = "killScore";
inline constexpr const char* kMissions = "missions";
inline constexpr const char* kAsteroidAvoid = "asteroidavoid";
inline constexpr const char* kDragShip = "dragship";
inline constexpr const char* kSpaceShoot = "on";

using Dictionary = std::map<std::string, std::string>;

bool exists(const std::string& file);
// The string stored under `key`; empty when the file is missing, damaged or
// lacks the key (or holds something other than a string there).
std::string value(const std::string& file, const std::string& key = "key");
// Replaces the whole file at once; a failed write leaves the old one.
void write(const std::string& file, const Dictionary& dictionary);
void remove(const std::string& file);
// Flag files: on writes { "key": "ok" }, off deletes the file.
void setFlag(const std::string& file, bool on);

// Leading number of a stored string (optional sign; none gives 0).
int intValue(std::string_view text);
double floatValue(std::string_view text);
std::string formatInt(int value);      // "%d"
std::string formatFloat(double value); // "%f"

// --- what the values mean ---

// Quick Play difficulty: 0 Easy ("r"), 1 Medium (any other value), 2 Hard
// (no file).
int difficulty();
enum class ControlScheme { Tilt, Drag, Joystick };
// No file: tilt; "t": joystick; any other value: drag.
ControlScheme controlScheme();
// The settings screen's segments for the two controls.
int difficultySegment(); // 0 "r", 1 other, 2 missing
int controlSegment();    // 0 missing, 1 "d", 2 other
void writeDifficultySegment(int segment);
void writeControlSegment(int segment);

// The best Quick Play score of a difficulty (0 when missing).
int bestQuickPlayScore(int level);
// Leaving Quick Play: the best of the level is rewritten only when `score`
// beats `bestAtStart` (the other two entries keep what the file says now);
// the kill count is rewritten every time.
void saveQuickPlayResult(int level, int score, int bestAtStart, int killedTotal);

// Missions open: 1 (only the first), 2 or 3.
int openMissions();
// Winning Mission One opens Two, winning Two opens Three; a win never closes
// a mission that was open (winning One again after Three leaves Three open).
// Winning Three writes nothing. True when the win opened a mission that was
// closed before.
bool missionWon(int mission);

// Minigame bests: written when the file is missing or holds less; true
// when written.
bool saveSurvivalBest(const std::string& file, double result); // "%f"
bool saveSpaceShootBest(int score);                             // "%d"

// The high-score screen's "delete all": every result file, not the settings.
void deleteAllResults();

} // namespace saved
