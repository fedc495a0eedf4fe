#include "render/TMXTiledMap.h"

#include "engine/FileUtils.h"
#include "platform/GLState.h"
#include "render/TextureMgr.h"
#include "support/Log.h"

#include <algorithm>
#include <utility>

// --- TMXLayer ---

Ref<TMXLayer> TMXLayer::layerWithTilesetInfo(TMXTilesetInfo* tileset, TMXLayerInfo* layerInfo,
                                             TMXMapInfo* mapInfo) {
    Ref<Texture2D> texture = TextureMgr::sharedTextureMgr().addImage(tileset->sourceImage);
    if (!texture) {
        ccLog("TMX: layer %s: no picture %s", layerInfo->name.c_str(),
              tileset->sourceImage.c_str());
        return nullptr;
    }
    texture->setAliasTexParameters();

    auto layer = make<TMXLayer>();
    layer->layerName_ = layerInfo->name;
    layer->layerSize_ = layerInfo->layerSize;
    layer->mapTileSize_ = mapInfo->tileSize;
    layer->orientation_ = mapInfo->orientation;
    layer->hexSideLength_ = mapInfo->hexSideLength;
    layer->staggerX_ = mapInfo->staggerX;
    layer->staggerEven_ = mapInfo->staggerEven;
    layer->tileset_ = tileset;
    layer->properties_ = layerInfo->properties;
    layer->opacity_ = layerInfo->opacity;
    layer->setVisible(layerInfo->visible);

    // The tile set's ids run as far as its picture has whole tiles.
    const Size picture = texture->contentSize();
    const float stride = tileset->tileSize.width + float(tileset->spacing);
    const float rowStride = tileset->tileSize.height + float(tileset->spacing);
    const auto across = uint32_t(std::max(
        0.0f, (picture.width - 2 * float(tileset->margin) + float(tileset->spacing)) / stride));
    const auto down = uint32_t(std::max(
        0.0f, (picture.height - 2 * float(tileset->margin) + float(tileset->spacing)) / rowStride));
    layer->lastGid_ = tileset->firstGid + across * down - 1;

    layer->tiles_ = layerInfo->tiles;
    size_t used = 0, foreign = 0;
    for (uint32_t& gid : layer->tiles_) {
        if (!(gid & kTMXFlippedMask)) continue;
        if (layer->ownsGID(gid)) {
            ++used;
        } else {
            ++foreign;
            gid = 0;
        }
    }
    if (foreign)
        ccLog("TMX: layer %s: %zu tiles of other tile sets left out", layer->layerName_.c_str(),
              foreign);
    if (used > TextureAtlas::kMaxQuads) {
        ccLog("TMX: layer %s has more than %u tiles", layer->layerName_.c_str(),
              TextureAtlas::kMaxQuads);
        return nullptr;
    }
    layer->textureAtlas_ =
        TextureAtlas::textureAtlasWithTexture(texture.get(), unsigned(std::max<size_t>(used, 1)));
    if (!layer->textureAtlas_) return nullptr;
    layer->quadOfCell_.assign(layer->tiles_.size(), -1);
    unsigned next = 0;
    for (int y = 0; y < layer->layerSize_.y; ++y)
        for (int x = 0; x < layer->layerSize_.x; ++x) {
            size_t cell = size_t(y) * size_t(layer->layerSize_.x) + size_t(x);
            uint32_t gid = layer->tiles_[cell];
            if (!(gid & kTMXFlippedMask)) continue;
            layer->textureAtlas_->updateQuad(layer->quadFor(gid, ccg(x, y)), next);
            layer->quadOfCell_[cell] = int(next++);
        }

    const Size t = mapInfo->tileSize;
    const float w = float(layer->layerSize_.x), h = float(layer->layerSize_.y);
    switch (layer->orientation_) {
    case TMXOrientationIso:
        layer->setContentSize(Size((w + h) * t.width / 2, (w + h) * t.height / 2));
        break;
    case TMXOrientationHex:
        if (layer->staggerX_)
            layer->setContentSize(Size((w - 1) * (t.width + layer->hexSideLength_) / 2 + t.width,
                                       h * t.height + t.height / 2));
        else
            layer->setContentSize(
                Size(w * t.width + t.width / 2,
                     (h - 1) * (t.height + layer->hexSideLength_) / 2 + t.height));
        break;
    default:
        layer->setContentSize(Size(w * t.width, h * t.height));
        break;
    }
    return layer;
}

bool TMXLayer::ownsGID(uint32_t gid) const {
    gid &= kTMXFlippedMask;
    return gid >= tileset_->firstGid && gid <= lastGid_;
}

uint32_t TMXLayer::tileGIDAt(ccGridSize pos) const {
    if (!inside(pos)) return 0;
    return tiles_[size_t(pos.y) * size_t(layerSize_.x) + size_t(pos.x)];
}

Point TMXLayer::positionAt(ccGridSize pos) const {
    const Size t = mapTileSize_;
    const float x = float(pos.x), y = float(pos.y);
    const float w = float(layerSize_.x), h = float(layerSize_.y);
    switch (orientation_) {
    case TMXOrientationIso:
        return Point(t.width / 2 * (w + x - y - 1), t.height / 2 * (w + h - x - y - 2));
    case TMXOrientationHex: {
        if (staggerX_) {
            bool shifted = (pos.x % 2 == 0) == staggerEven_;
            float top = y * t.height + (shifted ? t.height / 2 : 0);
            return Point(x * (t.width + hexSideLength_) / 2,
                         h * t.height + t.height / 2 - top - t.height);
        }
        bool shifted = (pos.y % 2 == 0) == staggerEven_;
        return Point(x * t.width + (shifted ? t.width / 2 : 0),
                     (h - 1 - y) * (t.height + hexSideLength_) / 2);
    }
    default:
        return Point(x * t.width, (h - 1 - y) * t.height);
    }
}

ccV3F_C4B_T2F_Quad TMXLayer::quadFor(uint32_t gid, ccGridSize pos) const {
    Texture2D* texture = textureAtlas_->texture();
    const Rect r = tileset_->rectForGID(gid, texture->contentSize().width);
    const float pw = float(texture->pixelsWide()), ph = float(texture->pixelsHigh());
    ccTex2F tl{r.origin.x / pw, r.origin.y / ph};
    ccTex2F tr{(r.origin.x + r.size.width) / pw, tl.v};
    ccTex2F bl{tl.u, (r.origin.y + r.size.height) / ph};
    ccTex2F br{tr.u, bl.v};
    // Tiled flips the diagonal first, then across, then up and down.
    if (gid & kTMXTileDiagonalFlag) std::swap(bl, tr);
    if (gid & kTMXTileHorizontalFlag) std::swap(tl, tr), std::swap(bl, br);
    if (gid & kTMXTileVerticalFlag) std::swap(tl, bl), std::swap(tr, br);

    const Point p = positionAt(pos);
    const Size s = tileset_->tileSize;
    const ccColor4B white{255, 255, 255, 255};
    ccV3F_C4B_T2F_Quad q;
    q.bl = {{p.x, p.y, 0}, white, bl};
    q.br = {{p.x + s.width, p.y, 0}, white, br};
    q.tl = {{p.x, p.y + s.height, 0}, white, tl};
    q.tr = {{p.x + s.width, p.y + s.height, 0}, white, tr};
    return q;
}

void TMXLayer::setTileGID(uint32_t gid, ccGridSize pos) {
    if (!inside(pos)) return;
    if ((gid & kTMXFlippedMask) && !ownsGID(gid)) {
        ccLog("TMX: layer %s: tile %u is not of its tile set", layerName_.c_str(), gid);
        return;
    }
    if (!(gid & kTMXFlippedMask)) gid = 0;
    const size_t cell = size_t(pos.y) * size_t(layerSize_.x) + size_t(pos.x);
    tiles_[cell] = gid;
    int& quad = quadOfCell_[cell];
    if (!gid) {
        if (quad >= 0) {
            // The emptied quad keeps its slot for the next tile put down.
            textureAtlas_->updateQuad(ccV3F_C4B_T2F_Quad{}, unsigned(quad));
            freeQuads_.push_back(unsigned(quad));
            quad = -1;
        }
        return;
    }
    if (quad < 0) {
        unsigned slot;
        if (!freeQuads_.empty()) {
            slot = freeQuads_.back();
            freeQuads_.pop_back();
        } else {
            slot = textureAtlas_->totalQuads();
            if (slot >= TextureAtlas::kMaxQuads) {
                ccLog("TMX: layer %s is full", layerName_.c_str());
                tiles_[cell] = 0;
                return;
            }
            if (slot >= textureAtlas_->capacity() &&
                !textureAtlas_->resizeCapacity(
                    std::min(TextureAtlas::kMaxQuads, textureAtlas_->capacity() * 2))) {
                tiles_[cell] = 0;
                return;
            }
        }
        quad = int(slot);
    }
    textureAtlas_->updateQuad(quadFor(gid, pos), unsigned(quad));
}

std::string TMXLayer::propertyNamed(const std::string& name) const {
    auto it = properties_.find(name);
    return it == properties_.end() ? std::string() : it->second;
}

void TMXLayer::setOpacity(uint8_t opacity) {
    opacity_ = opacity;
}

void TMXLayer::draw() {
    if (!textureAtlas_->totalQuads()) return;
    platform::GLState& gl = platform::GLState::current();
    gl.setArrays(platform::GLState::kVertexArray | platform::GLState::kTexCoordArray);
    gl.useTexture(textureAtlas_->texture()->name());
    // Pictures from files are premultiplied: the opacity scales all four.
    gl.setColor(opacity_, opacity_, opacity_, opacity_);
    gl.setBlendFunc(GL_ONE, GL_ONE_MINUS_SRC_ALPHA);
    textureAtlas_->drawQuads();
}

// --- TMXTiledMap ---

Ref<TMXTiledMap> TMXTiledMap::tiledMapWithTMXFile(const std::string& file) {
    Ref<TMXMapInfo> info = TMXMapInfo::formatWithTMXFile(FileUtils::fullPathFromRelativePath(file));
    return info ? tiledMapWithMapInfo(info.get()) : nullptr;
}

Ref<TMXTiledMap> TMXTiledMap::tiledMapWithMapInfo(TMXMapInfo* info) {
    auto map = make<TMXTiledMap>();
    map->info_ = info;
    Size size(float(info->mapSize.x) * info->tileSize.width,
              float(info->mapSize.y) * info->tileSize.height);
    int index = 0;
    for (const Ref<TMXLayerInfo>& layerInfo : info->layers) {
        // The layer's tile set: the one its first tile comes from.
        TMXTilesetInfo* tileset = nullptr;
        for (uint32_t gid : layerInfo->tiles) {
            gid &= kTMXFlippedMask;
            if (!gid) continue;
            for (const Ref<TMXTilesetInfo>& t : info->tilesets)
                if (t->firstGid <= gid && (!tileset || t->firstGid > tileset->firstGid))
                    tileset = t.get();
            break;
        }
        if (!tileset) {
            ++index; // an empty layer draws nothing
            continue;
        }
        Ref<TMXLayer> layer = TMXLayer::layerWithTilesetInfo(tileset, layerInfo.get(), info);
        if (!layer) return nullptr;
        size.width = std::max(size.width, layer->contentSize().width);
        size.height = std::max(size.height, layer->contentSize().height);
        map->addChild(layer.get(), index, index);
        ++index;
    }
    map->setContentSize(size);
    return map;
}

TMXLayer* TMXTiledMap::layerNamed(const std::string& name) const {
    for (const Ref<Node>& child : children_)
        if (auto* layer = dynamic_cast<TMXLayer*>(child.get()); layer && layer->layerName() == name)
            return layer;
    return nullptr;
}

TMXObjectGroup* TMXTiledMap::objectGroupNamed(const std::string& name) const {
    for (const Ref<TMXObjectGroup>& g : info_->objectGroups)
        if (g->groupName == name) return g.get();
    return nullptr;
}

std::string TMXTiledMap::propertyNamed(const std::string& name) const {
    auto it = info_->properties.find(name);
    return it == info_->properties.end() ? std::string() : it->second;
}

const TMXProperties* TMXTiledMap::propertiesForGID(uint32_t gid) const {
    auto it = info_->tileProperties.find(gid & kTMXFlippedMask);
    return it == info_->tileProperties.end() ? nullptr : &it->second;
}
