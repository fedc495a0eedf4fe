#pragma once

#include "engine/Node.h"
#include "render/TMXXMLParser.h"
#include "render/TextureAtlas.h"

#include <string>
#include <vector>

// One layer of a TMX map, drawn in one batch: a quad per tile that is not
// empty, from the one tile set the layer uses (the tile set of its first
// tile; tiles of other tile sets are left out, logged once). Tiles are
// drawn from the top row down (back to front on isometric maps), each with
// its bottom-left corner at positionAt(). The tile set's picture is drawn
// without smoothing, so that tiles meet cleanly.
class TMXLayer : public Node {
public:
    // Null (logged) when the tile set's picture cannot be loaded or the
    // layer has more tiles than one batch can draw.
    static Ref<TMXLayer> layerWithTilesetInfo(TMXTilesetInfo* tileset, TMXLayerInfo* layerInfo,
                                              TMXMapInfo* mapInfo);

    // The tile id at (x, y), cells counted from the top-left; 0 for none,
    // and for cells outside the layer. Flip bits are kept.
    uint32_t tileGIDAt(ccGridSize pos) const;
    // Puts a tile (of this layer's tile set; 0 removes it) at (x, y).
    void setTileGID(uint32_t gid, ccGridSize pos);
    void removeTileAt(ccGridSize pos) { setTileGID(0, pos); }
    // The bottom-left corner of cell (x, y) in the layer's space.
    Point positionAt(ccGridSize pos) const;

    const std::string& layerName() const { return layerName_; }
    ccGridSize layerSize() const { return layerSize_; }
    Size mapTileSize() const { return mapTileSize_; }
    TMXTilesetInfo* tileset() const { return tileset_.get(); }
    TextureAtlas* textureAtlas() const { return textureAtlas_.get(); }
    // Empty when there is none.
    std::string propertyNamed(const std::string& name) const;
    uint8_t opacity() const { return opacity_; }
    void setOpacity(uint8_t opacity);

    void draw() override;

private:
    bool inside(ccGridSize pos) const {
        return pos.x >= 0 && pos.y >= 0 && pos.x < layerSize_.x && pos.y < layerSize_.y;
    }
    bool ownsGID(uint32_t gid) const;
    ccV3F_C4B_T2F_Quad quadFor(uint32_t gid, ccGridSize pos) const;

    std::string layerName_;
    ccGridSize layerSize_;
    Size mapTileSize_;
    int orientation_ = TMXOrientationOrtho;
    float hexSideLength_ = 0;
    bool staggerX_ = false, staggerEven_ = false;
    Ref<TMXTilesetInfo> tileset_;
    uint32_t lastGid_ = 0; // the tile set's last id, from its picture
    TMXProperties properties_;
    std::vector<uint32_t> tiles_;
    // The quad of each cell, -1 for none; freed quads are reused.
    std::vector<int> quadOfCell_;
    std::vector<unsigned> freeQuads_;
    Ref<TextureAtlas> textureAtlas_;
    uint8_t opacity_ = 255;
};

// A map made in the Tiled editor: its layers as children (z in file
// order, tagged by their index), its object groups and properties.
// Orthogonal, isometric and hexagonal maps are drawn; the node's content
// size is the map's size in points and cell (0, 0) is at the top-left.
class TMXTiledMap : public Node {
public:
    // A file of the resources (or a path); null (logged) when it is not a
    // usable map or one of its layers cannot be drawn.
    static Ref<TMXTiledMap> tiledMapWithTMXFile(const std::string& file);
    static Ref<TMXTiledMap> tiledMapWithMapInfo(TMXMapInfo* info);

    ccGridSize mapSize() const { return info_->mapSize; }
    Size tileSize() const { return info_->tileSize; }
    int mapOrientation() const { return info_->orientation; }
    const std::vector<Ref<TMXObjectGroup>>& objectGroups() const { return info_->objectGroups; }
    const TMXProperties& properties() const { return info_->properties; }

    // Null when there is none of that name.
    TMXLayer* layerNamed(const std::string& name) const;
    TMXObjectGroup* objectGroupNamed(const std::string& name) const;
    std::string propertyNamed(const std::string& name) const;
    // Null when the tile has none.
    const TMXProperties* propertiesForGID(uint32_t gid) const;

private:
    Ref<TMXMapInfo> info_;
};
