#include "game/SavedGameData.h"

#include "platform/Files.h"
#include "platform/PropertyList.h"

#include <cctype>
#include <cfloat>
#include <charconv>
#include <climits>
#include <string>

namespace saved {

namespace {
std::string pathOf(const std::string& file) { return platform::documentPath(file); }

const char* levelKey(int level) {
    switch (level) {
    case 0:
        return "key";
    case 1:
        return "medium";
    default:
        return "hard";
    }
}
} // namespace

bool exists(const std::string& file) { return platform::fileExists(pathOf(file)); }

std::string value(const std::string& file, const std::string& key) {
    if (!exists(file)) return {};
    auto dict = platform::readDictionary(pathOf(file));
    if (!dict) return {};
    auto it = dict->find(key);
    if (it == dict->end() || !it->second.string()) return {};
    return *it->second.string();
}

void write(const std::string& file, const Dictionary& dictionary) {
    platform::PlistDictionary plist;
    for (const auto& [k, v] : dictionary) plist[k] = platform::PlistValue(v);
    platform::writeDictionary(plist, pathOf(file));
}

void remove(const std::string& file) { platform::removeFile(pathOf(file)); }

void setFlag(const std::string& file, bool on) {
    if (on)
        write(file, {{"key", "ok"}});
    else if (exists(file))
        remove(file);
}

int intValue(std::string_view text) {
    size_t i = 0;
    while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i]))) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    long long n = 0;
    for (; i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])); ++i) {
        n = n * 10 + (text[i] - '0');
        if (n > 1LL + INT_MAX) n = 1LL + INT_MAX; // saturate, never overflow
    }
    if (negative) n = -n;
    if (n > INT_MAX) return INT_MAX;
    if (n < INT_MIN) return INT_MIN;
    return int(n);
}

// Sign, digits and one decimal point, whatever the locale: no exponents,
// hex, "inf" or "nan", so a damaged file reads as an ordinary number.
double floatValue(std::string_view text) {
    size_t i = 0;
    while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i])))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    const size_t start = i;
    auto digits = [&] {
        while (i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])))
            ++i;
    };
    digits();
    const size_t point = i;
    if (i < text.size() && text[i] == '.') {
        ++i;
        digits();
    }
    const size_t digitCount = (i - start) - (point < i ? 1 : 0);
    if (digitCount == 0) return 0;
    double v = 0;
    auto [end, error] =
        std::from_chars(text.data() + start, text.data() + i, v, std::chars_format::fixed);
    (void)end;
    if (error == std::errc::result_out_of_range) {
        // Too many digits either way: beyond the largest double, or below
        // the smallest when only zeros come before the point.
        bool whole =
            text.substr(start, point - start).find_first_not_of('0') != std::string_view::npos;
        v = whole ? DBL_MAX : 0;
    }
    return negative ? -v : v;
}

std::string formatInt(int v) { return std::to_string(v); }

// "%f" in any locale.
std::string formatFloat(double v) {
    char buf[400]; // DBL_MAX has 309 digits before the point
    auto [end, error] = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed, 6);
    (void)error;
    return std::string(buf, end);
}

int difficulty() {
    if (!exists(kEasy)) return 2;
    return value(kEasy) == "r" ? 0 : 1;
}

ControlScheme controlScheme() {
    if (!exists(kControlScheme)) return ControlScheme::Tilt;
    return value(kControlScheme) == "t" ? ControlScheme::Joystick : ControlScheme::Drag;
}

int difficultySegment() { return difficulty(); }

int controlSegment() {
    if (!exists(kControlScheme)) return 0;
    return value(kControlScheme) == "d" ? 1 : 2;
}

void writeDifficultySegment(int segment) {
    if (segment == 0)
        write(kEasy, {{"key", "r"}});
    else if (segment == 1)
        write(kEasy, {{"key", "d"}});
    else
        remove(kEasy);
}

void writeControlSegment(int segment) {
    if (segment == 0)
        remove(kControlScheme);
    else if (segment == 1)
        write(kControlScheme, {{"key", "d"}});
    else
        write(kControlScheme, {{"key", "t"}});
}

int bestQuickPlayScore(int level) { return intValue(value(kScoreData, levelKey(level))); }

void saveQuickPlayResult(int level, int score, int bestAtStart, int killedTotal) {
    if (score > bestAtStart) {
        Dictionary scores;
        for (int l = 0; l < 3; ++l) {
            std::string stored = value(kScoreData, levelKey(l));
            scores[levelKey(l)] = stored.empty() ? "0" : stored;
        }
        scores[levelKey(level)] = formatInt(score);
        write(kScoreData, scores);
    }
    write(kKillScore, {{"key", formatInt(killedTotal)}});
}

int openMissions() {
    if (!exists(kMissions)) return 1;
    return value(kMissions) == "3" ? 3 : 2;
}

bool missionWon(int mission) {
    if (mission != 1 && mission != 2) return false;
    int before = openMissions();
    int opens = mission + 1;
    if (before > opens) return false; // keep the higher state
    write(kMissions, {{"key", formatInt(opens)}});
    return opens > before;
}

bool saveSurvivalBest(const std::string& file, double result) {
    std::string text = formatFloat(result);
    if (exists(file)) {
        // Compared as floats, as the games keep their scores. A result that
        // would be written as the text already stored is that best again,
        // not a new one: hundredths added up frame by frame differ from
        // their decimal reading in the last bits, either way.
        double stored = floatValue(value(file));
        if (!(float(stored) < float(result)) || formatFloat(stored) == text) return false;
    }
    write(file, {{"key", text}});
    return true;
}

bool saveSpaceShootBest(int score) {
    if (exists(kSpaceShoot) && !(intValue(value(kSpaceShoot)) < score)) return false;
    write(kSpaceShoot, {{"key", formatInt(score)}});
    return true;
}

void deleteAllResults() {
    for (const char* file : {kDragShip, kAsteroidAvoid, kSpaceShoot, kKillScore, kScoreData})
        if (exists(file)) remove(file);
}

} // namespace saved
