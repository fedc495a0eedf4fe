#include "render/TMXXMLParser.h"

#include "support/Base64.h"
#include "support/Log.h"
#include "support/ZipUtils.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <pugixml.hpp>
#include <sstream>

namespace {

constexpr size_t kMaxFileBytes = size_t(16) << 20;
constexpr float kMaxTileSide = 4096;

struct ParseError {
    std::string what;
};

[[noreturn]] void fail(const std::string& what) {
    throw ParseError{what};
}

std::string directoryOf(const std::string& path) {
    size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

std::string resolve(const std::string& directory, const std::string& path) {
    if (path.empty() || path.front() == '/') return path;
    return directory + path;
}

// A whole number within [lo, hi]; `fallback` when the attribute is absent.
long number(const pugi::xml_node& node, const char* name, long lo, long hi, long fallback) {
    pugi::xml_attribute a = node.attribute(name);
    if (!a) return fallback;
    const char* text = a.value();
    char* end = nullptr;
    errno = 0;
    long v = std::strtol(text, &end, 10);
    if (end == text || *end != '\0' || errno == ERANGE || v < lo || v > hi)
        fail(std::string("bad ") + name + " \"" + text + "\"");
    return v;
}

float decimal(const pugi::xml_node& node, const char* name, float fallback) {
    pugi::xml_attribute a = node.attribute(name);
    if (!a) return fallback;
    const char* text = a.value();
    char* end = nullptr;
    float v = std::strtof(text, &end);
    if (end == text || !std::isfinite(v)) fail(std::string("bad ") + name + " \"" + text + "\"");
    return v;
}

TMXProperties propertiesOf(const pugi::xml_node& node) {
    TMXProperties out;
    for (pugi::xml_node p : node.child("properties").children("property")) {
        // A long value may come as the element's text.
        pugi::xml_attribute value = p.attribute("value");
        out[p.attribute("name").value()] = value ? value.value() : p.text().get();
    }
    return out;
}

std::string readWholeFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) fail("cannot open " + path);
    std::string data;
    char buffer[65536];
    while (in.read(buffer, sizeof buffer) || in.gcount() > 0) {
        data.append(buffer, size_t(in.gcount()));
        if (data.size() > kMaxFileBytes) fail(path + " is too large");
    }
    return data;
}

class Parser {
public:
    Parser(TMXMapInfo& info, std::string directory, const TMXMapInfo::FileReader& read)
        : info_(info), directory_(std::move(directory)), read_(read) {}

    void parseMap(const char* data, size_t size) {
        pugi::xml_document doc;
        if (size > kMaxFileBytes) fail("the map is too large");
        if (!doc.load_buffer(data, size)) fail("not well-formed XML");
        pugi::xml_node map = doc.child("map");
        if (!map) fail("no <map> element");

        std::string orientation = map.attribute("orientation").value();
        if (orientation == "orthogonal")
            info_.orientation = TMXOrientationOrtho;
        else if (orientation == "isometric")
            info_.orientation = TMXOrientationIso;
        else if (orientation == "hexagonal")
            info_.orientation = TMXOrientationHex;
        else
            fail("unsupported orientation \"" + orientation + "\"");
        info_.mapSize = ccg(int(number(map, "width", 1, TMXMapInfo::kMaxSide, 0)),
                            int(number(map, "height", 1, TMXMapInfo::kMaxSide, 0)));
        if (info_.mapSize.x == 0 || info_.mapSize.y == 0) fail("no map size");
        info_.tileSize = tileSizeOf(map);
        info_.hexSideLength = float(number(map, "hexsidelength", 0, long(kMaxTileSide), 0));
        info_.staggerX = std::strcmp(map.attribute("staggeraxis").value(), "x") == 0;
        info_.staggerEven = std::strcmp(map.attribute("staggerindex").value(), "even") == 0;
        info_.properties = propertiesOf(map);

        for (pugi::xml_node child : map.children()) {
            std::string name = child.name();
            if (name == "tileset")
                parseTileset(child, directory_, 0);
            else if (name == "layer")
                parseLayer(child);
            else if (name == "objectgroup")
                parseObjectGroup(child);
        }
    }

private:
    static Size tileSizeOf(const pugi::xml_node& node) {
        Size s(float(number(node, "tilewidth", 1, long(kMaxTileSide), 0)),
               float(number(node, "tileheight", 1, long(kMaxTileSide), 0)));
        if (s.width == 0 || s.height == 0) fail("no tile size");
        return s;
    }

    void parseTileset(const pugi::xml_node& node, const std::string& directory, uint32_t gid) {
        if (!gid) gid = uint32_t(number(node, "firstgid", 1, kTMXFlippedMask, 1));
        if (const char* source = node.attribute("source").value(); *source) {
            // An external tile set: a .tsx file with the same element.
            if (gid == 0 || read_ == nullptr) fail("tile set file refused");
            std::string path = resolve(directory, source);
            std::optional<std::string> data = read_(path);
            if (!data) fail("cannot read tile set " + path);
            pugi::xml_document doc;
            if (data->size() > kMaxFileBytes || !doc.load_buffer(data->data(), data->size()))
                fail("tile set " + path + " is not well-formed");
            pugi::xml_node tileset = doc.child("tileset");
            if (!tileset || tileset.attribute("source")) fail("no tile set in " + path);
            parseTileset(tileset, directoryOf(path), gid);
            return;
        }
        auto tileset = make<TMXTilesetInfo>();
        tileset->firstGid = gid;
        tileset->name = node.attribute("name").value();
        tileset->tileSize = tileSizeOf(node);
        tileset->spacing = unsigned(number(node, "spacing", 0, long(kMaxTileSide), 0));
        tileset->margin = unsigned(number(node, "margin", 0, long(kMaxTileSide), 0));
        pugi::xml_node image = node.child("image");
        if (!*image.attribute("source").value()) fail("tile set without an image");
        tileset->sourceImage = resolve(directory, image.attribute("source").value());
        tileset->imageSize = Size(float(number(image, "width", 0, 1L << 16, 0)),
                                  float(number(image, "height", 0, 1L << 16, 0)));
        for (pugi::xml_node tile : node.children("tile")) {
            long id = number(tile, "id", 0, long(kTMXFlippedMask - gid), -1);
            if (id < 0) continue;
            TMXProperties props = propertiesOf(tile);
            if (!props.empty()) info_.tileProperties[gid + uint32_t(id)] = std::move(props);
        }
        info_.tilesets.push_back(tileset);
    }

    void parseLayer(const pugi::xml_node& node) {
        auto layer = make<TMXLayerInfo>();
        layer->name = node.attribute("name").value();
        layer->layerSize =
            ccg(int(number(node, "width", 1, TMXMapInfo::kMaxSide, info_.mapSize.x)),
                int(number(node, "height", 1, TMXMapInfo::kMaxSide, info_.mapSize.y)));
        layer->visible = number(node, "visible", 0, 1, 1) == 1;
        float opacity = decimal(node, "opacity", 1);
        layer->opacity = uint8_t(std::lround(std::clamp(opacity, 0.0f, 1.0f) * 255));
        layer->properties = propertiesOf(node);

        const size_t cells = size_t(layer->layerSize.x) * size_t(layer->layerSize.y);
        totalTiles_ += cells;
        if (totalTiles_ > TMXMapInfo::kMaxTiles) fail("the map has too many tiles");
        layer->tiles = tilesOf(node.child("data"), cells);
        info_.layers.push_back(layer);
    }

    static std::vector<uint32_t> tilesOf(const pugi::xml_node& data, size_t cells) {
        std::vector<uint32_t> tiles;
        tiles.reserve(cells);
        std::string encoding = data.attribute("encoding").value();
        std::string compression = data.attribute("compression").value();
        if (encoding.empty()) {
            for (pugi::xml_node tile : data.children("tile")) {
                if (tiles.size() == cells) fail("too many tiles in a layer");
                tiles.push_back(uint32_t(number(tile, "gid", 0, 0xFFFFFFFFL, 0)));
            }
        } else if (encoding == "csv") {
            if (!compression.empty()) fail("compressed CSV");
            std::string text = data.text().get();
            const char* p = text.c_str();
            while (*p) {
                while (*p == ' ' || *p == '\n' || *p == '\r' || *p == '\t')
                    ++p;
                if (!*p) break;
                char* end = nullptr;
                errno = 0;
                unsigned long v = std::strtoul(p, &end, 10);
                if (end == p || *p == '-' || errno == ERANGE || v > 0xFFFFFFFFul)
                    fail("bad CSV layer data");
                if (tiles.size() == cells) fail("too many tiles in a layer");
                tiles.push_back(uint32_t(v));
                p = end;
                while (*p == ' ' || *p == '\n' || *p == '\r' || *p == '\t')
                    ++p;
                if (*p == ',') ++p;
            }
        } else if (encoding == "base64") {
            std::optional<std::vector<uint8_t>> decoded = ccBase64Decode(data.text().get());
            if (!decoded) fail("bad base64 layer data");
            std::vector<uint8_t> bytes = std::move(*decoded);
            if (compression == "zlib" || compression == "gzip") {
                std::vector<uint8_t> inflated;
                // One more byte than needed tells a stream that is too long.
                if (!inflateMemory(bytes.data(), bytes.size(), inflated, cells * 4 + 1))
                    fail("bad compressed layer data");
                bytes.swap(inflated);
            } else if (!compression.empty()) {
                fail("unsupported compression \"" + compression + "\"");
            }
            if (bytes.size() != cells * 4) fail("layer data of the wrong size");
            for (size_t i = 0; i < cells; ++i) {
                const uint8_t* b = &bytes[i * 4];
                tiles.push_back(uint32_t(b[0]) | uint32_t(b[1]) << 8 | uint32_t(b[2]) << 16 |
                                uint32_t(b[3]) << 24);
            }
        } else {
            fail("unsupported encoding \"" + encoding + "\"");
        }
        if (tiles.size() != cells) fail("layer data of the wrong size");
        return tiles;
    }

    void parseObjectGroup(const pugi::xml_node& node) {
        auto group = make<TMXObjectGroup>();
        group->groupName = node.attribute("name").value();
        group->positionOffset = Point(decimal(node, "x", 0) * info_.tileSize.width,
                                      decimal(node, "y", 0) * info_.tileSize.height);
        group->properties = propertiesOf(node);
        const float mapHeight = float(info_.mapSize.y) * info_.tileSize.height;
        for (pugi::xml_node object : node.children("object")) {
            TMXProperties o = propertiesOf(object);
            for (pugi::xml_attribute a : object.attributes())
                o[a.name()] = a.value();
            if (info_.orientation == TMXOrientationOrtho) {
                // Tiled measures down from the top-left corner.
                float y = decimal(object, "y", 0), h = decimal(object, "height", 0);
                char buf[32];
                std::snprintf(buf, sizeof buf, "%g", double(mapHeight - y - h));
                o["y"] = buf;
                std::snprintf(buf, sizeof buf, "%g", double(decimal(object, "x", 0)));
                o["x"] = buf;
            }
            group->objects.push_back(std::move(o));
        }
        info_.objectGroups.push_back(group);
    }

    TMXMapInfo& info_;
    std::string directory_;
    const TMXMapInfo::FileReader& read_;
    size_t totalTiles_ = 0;
};

} // namespace

Rect TMXTilesetInfo::rectForGID(uint32_t gid, float imageWidth) const {
    const float stride = tileSize.width + float(spacing);
    const float usable = imageWidth - 2 * float(margin) + float(spacing);
    const uint32_t columns = uint32_t(std::max(1.0f, std::floor(usable / stride)));
    const uint32_t id = (gid & kTMXFlippedMask) - firstGid;
    return Rect(float(margin) + float(id % columns) * stride,
                float(margin) + float(id / columns) * (tileSize.height + float(spacing)),
                tileSize.width, tileSize.height);
}

const TMXProperties* TMXObjectGroup::objectNamed(const std::string& name) const {
    for (const TMXProperties& o : objects) {
        auto it = o.find("name");
        if (it != o.end() && it->second == name) return &o;
    }
    return nullptr;
}

std::string TMXObjectGroup::propertyNamed(const std::string& name) const {
    auto it = properties.find(name);
    return it == properties.end() ? std::string() : it->second;
}

Ref<TMXMapInfo> TMXMapInfo::formatWithXML(const char* data, size_t size,
                                          const std::string& directory, const FileReader& read) {
    auto info = make<TMXMapInfo>();
    try {
        Parser(*info, directory, read).parseMap(data, size);
    } catch (const ParseError& e) {
        ccLog("TMX: %s", e.what.c_str());
        return nullptr;
    }
    return info;
}

Ref<TMXMapInfo> TMXMapInfo::formatWithTMXFile(const std::string& path) {
    std::string data;
    try {
        data = readWholeFile(path);
    } catch (const ParseError& e) {
        ccLog("TMX: %s", e.what.c_str());
        return nullptr;
    }
    FileReader read = [](const std::string& file) -> std::optional<std::string> {
        try {
            return readWholeFile(file);
        } catch (const ParseError&) {
            return std::nullopt;
        }
    };
    return formatWithXML(data.data(), data.size(), directoryOf(path), read);
}
