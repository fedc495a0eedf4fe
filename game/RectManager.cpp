#include "game/RectManager.h"

#include "game/SavedGameData.h"
#include "platform/Files.h"
#include "support/Singleton.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <limits>

Rect rectNull() {
    float inf = std::numeric_limits<float>::infinity();
    return Rect(inf, inf, 0, 0);
}

bool isRectNull(const Rect& r) {
    return r.origin.x == std::numeric_limits<float>::infinity() &&
           r.origin.y == std::numeric_limits<float>::infinity();
}

RectManager& RectManager::sharedRectMgr() {
    static Shared<RectManager> shared;
    return shared.get();
}

void RectManager::loadFramesForAtlasNamed(const std::string& atlas) {
    std::string path = platform::pathForResource(atlas, "plist");
    if (!path.empty()) loadFramesForAtlasNamed(atlas, path);
}

void RectManager::loadFramesForAtlasNamed(const std::string& atlas, const std::string& plistPath) {
    auto root = platform::readDictionary(plistPath);
    if (!root) return;
    auto frames = root->find("frames");
    if (frames != root->end() && frames->second.dictionary())
        atlasFramesDict[atlas] = *frames->second.dictionary();
    else
        atlasFramesDict[atlas] = std::move(*root);
}

namespace {
// An integer stored as a number or as text. Numbers beyond the integer range
// saturate as text does; a real that is no number counts as missing.
bool integerOf(const platform::PlistDictionary& entry, const char* key, float& out) {
    auto it = entry.find(key);
    if (it == entry.end()) return false;
    const platform::PlistValue& v = it->second;
    if (const std::string* s = v.string()) {
        out = float(saved::intValue(*s));
    } else if (const int64_t* i = v.integer()) {
        out = float(std::clamp<int64_t>(*i, INT_MIN, INT_MAX));
    } else if (const double* d = v.real()) {
        if (std::isnan(*d)) return false;
        out = float(int(std::clamp<double>(std::trunc(*d), INT_MIN, INT_MAX)));
    } else {
        return false;
    }
    return true;
}
} // namespace

Rect RectManager::frameForSprite(const std::string& sprite, const std::string& atlas) {
    auto frames = atlasFramesDict.find(atlas);
    if (frames == atlasFramesDict.end()) {
        loadFramesForAtlasNamed(atlas);
        frames = atlasFramesDict.find(atlas);
        if (frames == atlasFramesDict.end()) return rectNull();
    }
    auto it = frames->second.find(sprite);
    if (it == frames->second.end() || !it->second.dictionary()) return rectNull();
    const platform::PlistDictionary& entry = *it->second.dictionary();
    float x, y, w, h;
    bool ok = integerOf(entry, "x", x) && integerOf(entry, "y", y) &&
              (integerOf(entry, "w", w) || integerOf(entry, "width", w)) &&
              (integerOf(entry, "h", h) || integerOf(entry, "height", h));
    return ok ? Rect(x, y, w, h) : rectNull();
}
