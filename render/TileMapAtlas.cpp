#include "render/TileMapAtlas.h"

#include "engine/FileUtils.h"
#include "support/Log.h"
#include "support/Tga.h"

#include <memory>

Ref<TileMapAtlas> TileMapAtlas::tileMapAtlasWithTileFile(const std::string& tile,
                                                         const std::string& mapFile, int tileWidth,
                                                         int tileHeight) {
    if (tileWidth <= 0 || tileHeight <= 0) {
        ccLog("TileMapAtlas: tile size %d x %d", tileWidth, tileHeight);
        return nullptr;
    }
    std::unique_ptr<ImageTGA, void (*)(ImageTGA*)> tga(
        tgaLoad(FileUtils::fullPathFromRelativePath(mapFile).c_str()), tgaDestroy);
    if (tga->status != kTGAOk) {
        ccLog("TileMapAtlas: cannot read %s (TGA status %d)", mapFile.c_str(), tga->status);
        return nullptr;
    }
    std::vector<ccColor3B> pixels;
    size_t used = 0;
    if (!cellsOfTGA(*tga, pixels, used)) {
        ccLog("TileMapAtlas: %s: %d-bit maps are not read", mapFile.c_str(), tga->pixelDepth);
        return nullptr;
    }
    if (used > TextureAtlas::kMaxQuads) {
        ccLog("TileMapAtlas: %s has more than %u tiles", mapFile.c_str(), TextureAtlas::kMaxQuads);
        return nullptr;
    }

    auto map = make<TileMapAtlas>();
    if (!map->initWithTileFile(tile, tileWidth, tileHeight, unsigned(std::max<size_t>(used, 1))) ||
        !map->texture()) {
        ccLog("TileMapAtlas: no tile sheet %s", tile.c_str());
        return nullptr;
    }
    map->texture()->setAliasTexParameters();
    map->mapSize_ = ccg(tga->width, tga->height);
    map->cells_ = std::move(pixels);
    map->updateAtlasValues();
    map->setContentSize(
        Size(float(tga->width) * float(tileWidth), float(tga->height) * float(tileHeight)));
    return map;
}

bool TileMapAtlas::cellsOfTGA(const ImageTGA& tga, std::vector<ccColor3B>& cells, size_t& used) {
    const size_t bytesPerPixel = tga.pixelDepth / 8;
    const size_t count = size_t(tga.width) * size_t(tga.height);
    if ((bytesPerPixel != 1 && bytesPerPixel != 3 && bytesPerPixel != 4) ||
        tga.imageData.size() < count * bytesPerPixel)
        return false;
    cells.resize(count);
    used = 0;
    for (size_t i = 0; i < count; ++i) {
        const uint8_t* p = &tga.imageData[i * bytesPerPixel];
        cells[i] = bytesPerPixel == 1 ? ccc3(p[0], p[0], p[0]) : ccc3(p[0], p[1], p[2]);
        used += cells[i].r != 0;
    }
    return true;
}

ccColor3B TileMapAtlas::tileAt(ccGridSize pos) const {
    if (!inside(pos)) return ccBLACK;
    return cells_[size_t(pos.y) * size_t(mapSize_.x) + size_t(pos.x)];
}

void TileMapAtlas::updateAtlasValueAt(ccGridSize pos, uint8_t tile, unsigned quad) {
    const int row = itemsPerRow_ > 0 ? tile / itemsPerRow_ : 0;
    const int column = itemsPerRow_ > 0 ? tile % itemsPerRow_ : 0;
    const float left = float(column) * texStepX_, top = float(row) * texStepY_;
    const float right = left + texStepX_, bottom = top + texStepY_;
    const float x = float(pos.x * itemWidth_), y = float(pos.y * itemHeight_);
    const float w = float(itemWidth_), h = float(itemHeight_);
    const ccColor4B white{255, 255, 255, 255};
    ccV3F_C4B_T2F_Quad q;
    q.tl = {{x, y + h, 0}, white, {left, top}};
    q.bl = {{x, y, 0}, white, {left, bottom}};
    q.tr = {{x + w, y + h, 0}, white, {right, top}};
    q.br = {{x + w, y, 0}, white, {right, bottom}};
    textureAtlas_->updateQuad(q, quad);
}

void TileMapAtlas::updateAtlasValues() {
    quadOfCell_.assign(cells_.size(), -1);
    textureAtlas_->removeAllQuads();
    unsigned next = 0;
    for (int y = 0; y < mapSize_.y; ++y)
        for (int x = 0; x < mapSize_.x; ++x) {
            size_t cell = size_t(y) * size_t(mapSize_.x) + size_t(x);
            if (!cells_[cell].r) continue;
            updateAtlasValueAt(ccg(x, y), cells_[cell].r, next);
            quadOfCell_[cell] = int(next++);
        }
}

void TileMapAtlas::setTile(ccColor3B tile, ccGridSize pos) {
    if (!inside(pos)) return;
    const size_t cell = size_t(pos.y) * size_t(mapSize_.x) + size_t(pos.x);
    const bool wasEmpty = cells_[cell].r == 0, isEmpty = tile.r == 0;
    cells_[cell] = tile;
    if (wasEmpty != isEmpty) {
        // A tile comes or goes: the quads are laid out again.
        if (!isEmpty && textureAtlas_->totalQuads() >= textureAtlas_->capacity() &&
            !textureAtlas_->resizeCapacity(textureAtlas_->capacity() + 1)) {
            cells_[cell] = ccBLACK;
            return;
        }
        updateAtlasValues();
    } else if (!isEmpty) {
        updateAtlasValueAt(pos, tile.r, unsigned(quadOfCell_[cell]));
    }
}
