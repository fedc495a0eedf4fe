#pragma once

#include "render/Grid.h"
#include "support/Geometry.h"
#include "support/Ref.h"

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

// What a TMX map file (the Tiled editor's format) says, read with pugixml.
// Read: the map's orientation (orthogonal, isometric, hexagonal), size,
// tile size and properties; tile sets (inline or in .tsx files beside the
// map), their images, spacing, margin and tile properties; layers with
// their tiles as XML <tile> elements, CSV, or base64 (plain, zlib or gzip),
// opacity, visibility and properties; object groups with their objects'
// attributes and properties. Everything else (image layers, animations,
// terrain) is ignored.
//
// Input is checked before it is trusted: a file that is not a TMX map,
// sizes out of range, layer data that does not decode to exactly one
// 32-bit tile id per cell, or a tile set without an image are logged and
// give no map.

enum {
    TMXOrientationOrtho = 1,
    TMXOrientationHex = 2,
    TMXOrientationIso = 3,
};

// Tile ids carry flips in their top bits (Tiled's convention).
inline constexpr uint32_t kTMXTileHorizontalFlag = 0x80000000u;
inline constexpr uint32_t kTMXTileVerticalFlag = 0x40000000u;
inline constexpr uint32_t kTMXTileDiagonalFlag = 0x20000000u;
inline constexpr uint32_t kTMXFlippedMask = 0x1FFFFFFFu;

using TMXProperties = std::map<std::string, std::string>;

class TMXTilesetInfo : public Object {
public:
    std::string name;
    uint32_t firstGid = 1;
    Size tileSize;
    unsigned spacing = 0, margin = 0;
    // The image's path, resolved against the file that named it.
    std::string sourceImage;
    // The picture's size as the file gives it (0 when it does not).
    Size imageSize;
    // The tile's rectangle in the picture (pixels, from its top-left), for
    // a picture of `imageWidth` pixels across.
    Rect rectForGID(uint32_t gid, float imageWidth) const;
};

class TMXLayerInfo : public Object {
public:
    std::string name;
    ccGridSize layerSize;
    // Row by row from the top-left cell, flip bits included.
    std::vector<uint32_t> tiles;
    bool visible = true;
    uint8_t opacity = 255;
    TMXProperties properties;
};

class TMXObjectGroup : public Object {
public:
    std::string groupName;
    Point positionOffset;
    TMXProperties properties;
    // Each object's attributes (name, type, x, y, width, height, gid, ...)
    // and its own properties in one map. On orthogonal maps "x" and "y" are
    // the object's bottom-left corner in the map node's space (origin at the
    // bottom-left, y up); elsewhere they are as the file has them.
    std::vector<TMXProperties> objects;

    // Null when there is none.
    const TMXProperties* objectNamed(const std::string& name) const;
    std::string propertyNamed(const std::string& name) const;
};

class TMXMapInfo : public Object {
public:
    // Largest map accepted, in cells per side and over all layers.
    static constexpr int kMaxSide = 4096;
    static constexpr size_t kMaxTiles = size_t(1) << 22;

    // Reads other files (tile sets beside the map): their contents, or
    // nothing.
    using FileReader = std::function<std::optional<std::string>(const std::string& path)>;

    // Null (logged) when the file cannot be read or is not a usable map.
    static Ref<TMXMapInfo> formatWithTMXFile(const std::string& path);
    // From the document's bytes; `directory` is where relative paths start.
    static Ref<TMXMapInfo> formatWithXML(const char* data, size_t size,
                                         const std::string& directory, const FileReader& read);

    int orientation = TMXOrientationOrtho;
    ccGridSize mapSize;
    Size tileSize;
    // Hexagonal maps: the length of the flat side, the axis that staggers
    // ("x" or "y") and which rows or columns are shifted ("odd" or "even").
    float hexSideLength = 0;
    bool staggerX = false;
    bool staggerEven = false;

    std::vector<Ref<TMXLayerInfo>> layers;
    std::vector<Ref<TMXTilesetInfo>> tilesets;
    std::vector<Ref<TMXObjectGroup>> objectGroups;
    TMXProperties properties;
    std::map<uint32_t, TMXProperties> tileProperties;
};
