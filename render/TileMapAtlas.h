#pragma once

#include "render/AtlasNode.h"
#include "render/Grid.h"

#include "support/Tga.h"

#include <string>
#include <vector>

// A tile map read from the pixels of a TGA picture and drawn in one batch
// from a sheet of equal tiles. Pixel (x, y) of the map, y counted from the
// bottom row, is cell (x, y), drawn with its bottom-left corner at
// (x x tileWidth, y x tileHeight); its red value is the tile drawn there,
// counted along the sheet's rows from its top-left tile, and 0 leaves the
// cell empty (the sheet's first tile is never drawn). Maps may be 8-bit
// grey (the grey level is the tile), 24- or 32-bit colour.
class TileMapAtlas : public AtlasNode {
public:
    // Null (logged) when the map cannot be read, the tile sheet cannot be
    // loaded, or the map has more tiles than one batch can draw.
    static Ref<TileMapAtlas> tileMapAtlasWithTileFile(const std::string& tile,
                                                      const std::string& mapFile, int tileWidth,
                                                      int tileHeight);

    // The cells of a map picture (row by row from the bottom) and how many
    // are not empty; false for depths other than 8, 24 and 32 bits.
    static bool cellsOfTGA(const ImageTGA& tga, std::vector<ccColor3B>& cells, size_t& used);

    ccGridSize mapSize() const { return mapSize_; }
    // The map's pixel at (x, y) (black outside the map).
    ccColor3B tileAt(ccGridSize pos) const;
    // Changes the cell's pixel and what it draws (red 0 empties it).
    void setTile(ccColor3B tile, ccGridSize pos);

    void updateAtlasValues() override;

private:
    bool inside(ccGridSize pos) const {
        return pos.x >= 0 && pos.y >= 0 && pos.x < mapSize_.x && pos.y < mapSize_.y;
    }
    void updateAtlasValueAt(ccGridSize pos, uint8_t tile, unsigned quad);

    ccGridSize mapSize_;
    std::vector<ccColor3B> cells_; // row by row from the bottom
    std::vector<int> quadOfCell_;  // -1 for none
};
