// deps: render
// Reads any bytes as a TMX map (external tile sets all read as one small
// tile set); a map that is read has layers of exactly their size.
#include "render/TMXXMLParser.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    auto read = [](const std::string&) -> std::optional<std::string> {
        return std::string("<tileset name=\"t\" tilewidth=\"8\" tileheight=\"8\">"
                           "<image source=\"t.png\" width=\"64\" height=\"64\"/></tileset>");
    };
    Ref<TMXMapInfo> info =
        TMXMapInfo::formatWithXML(reinterpret_cast<const char*>(data), size, "maps/", read);
    if (!info) return 0;
    for (const Ref<TMXLayerInfo>& layer : info->layers)
        if (layer->tiles.size() != size_t(layer->layerSize.x) * size_t(layer->layerSize.y))
            std::abort();
    for (const Ref<TMXTilesetInfo>& tileset : info->tilesets)
        for (uint32_t gid : {tileset->firstGid, tileset->firstGid + 1000})
            (void)tileset->rectForGID(gid, tileset->imageSize.width);
    return 0;
}
