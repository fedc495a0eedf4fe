#pragma once

#include "platform/PropertyList.h"
#include "support/Geometry.h"
#include "support/Ref.h"

#include <string>
#include <unordered_map>

// Finds a picture's rectangle inside a sprite sheet by the picture's name,
// from the sheet's description resource ("<atlas>.plist").
class RectManager : public Object {
public:
    static RectManager& sharedRectMgr();

    // The rectangle of `sprite` in the sheet (texture pixels, origin at the
    // top-left), loading the atlas's description on first use. The null
    // rectangle when the atlas, the sprite or one of its values is missing.
    Rect frameForSprite(const std::string& sprite, const std::string& atlas);
    void loadFramesForAtlasNamed(const std::string& atlas);
    void loadFramesForAtlasNamed(const std::string& atlas, const std::string& plistPath);

private:
    // Atlas name -> sprite name -> frame entry.
    std::unordered_map<std::string, platform::PlistDictionary> atlasFramesDict;
};

// The platform's null rectangle: origin at infinity, no size.
Rect rectNull();
bool isRectNull(const Rect& r);
