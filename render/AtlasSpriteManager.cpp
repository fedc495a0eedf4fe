#include "render/AtlasSpriteManager.h"

#include "platform/GL.h"
#include "render/TextureMgr.h"
#include "support/Error.h"

#include <algorithm>

namespace {
constexpr const char* kIndexFailed = "AtlasSpriteManager: index failed";
} // namespace

Ref<AtlasSpriteManager> AtlasSpriteManager::spriteManagerWithFile(const std::string& fileName,
                                                                  unsigned capacity) {
    auto manager = make<AtlasSpriteManager>();
    if (!manager->initWithFile(fileName, capacity)) return nullptr;
    return manager;
}

Ref<AtlasSpriteManager> AtlasSpriteManager::spriteManagerWithTexture(Texture2D* texture,
                                                                     unsigned capacity) {
    auto manager = make<AtlasSpriteManager>();
    if (!manager->initWithTexture(texture, capacity)) return nullptr;
    return manager;
}

AtlasSpriteManager::AtlasSpriteManager() = default;

AtlasSpriteManager::~AtlasSpriteManager() {
    // Sprites that outlive the manager are in no atlas any more.
    for (size_t i = 0; i < children_.size(); ++i)
        spriteAt(i)->setIndex(AtlasSprite::kIndexNotInAtlas);
}

bool AtlasSpriteManager::initWithFile(const std::string& fileName, unsigned capacity) {
    return initWithTexture(TextureMgr::sharedTextureMgr().addImage(fileName).get(), capacity);
}

bool AtlasSpriteManager::initWithTexture(Texture2D* texture, unsigned capacity) {
    blendFunc_ = kBlendPremultiplied;
    totalSprites_ = 0;
    textureAtlas_ = TextureAtlas::textureAtlasWithTexture(texture, capacity);
    if (!textureAtlas_) return false;
    updateBlendFunc();
    children_.reserve(capacity);
    return true;
}

void AtlasSpriteManager::updateBlendFunc() {
    Texture2D* t = texture();
    blendFunc_ = t && !t->hasPremultipliedAlpha() ? kBlendStraightAlpha : kBlendPremultiplied;
}

Ref<AtlasSprite> AtlasSpriteManager::createSpriteWithRect(Rect rect) {
    return AtlasSprite::spriteWithRect(rect, this);
}

// --- children ---

unsigned AtlasSpriteManager::indexForNewChildAtZ(int z) const {
    // The children are ordered by z: the first one above z, found by halving.
    auto it = std::upper_bound(children_.begin(), children_.end(), z,
                               [](int value, const Ref<Node>& c) { return value < c->zOrder(); });
    return unsigned(it - children_.begin());
}

void AtlasSpriteManager::resizeAtlas() {
    unsigned quantity = (textureAtlas_->totalQuads() + 1) * 4 / 3;
    // The last step stops at what 16-bit indices reach; only a full atlas of
    // that size refuses to grow.
    if (textureAtlas_->capacity() < TextureAtlas::kMaxQuads)
        quantity = std::min(quantity, TextureAtlas::kMaxQuads);
    bool resized = textureAtlas_->resizeCapacity(quantity);
    ccAssert(resized, "XXX: AltasSpriteManager#resizeAtlas SHALL handle this assert");
}

Node* AtlasSpriteManager::addChild(Node* child, int z, int tag) {
    ccAssert(child != nullptr, "Argument must be non-nil");
    auto* sprite = dynamic_cast<AtlasSprite*>(child);
    ccAssert(sprite != nullptr, "AtlasSpriteManager only supports AtlasSprites as children");
    // Checked before the atlas is touched, so that a refused child leaves the
    // quads as they were.
    ccAssert(child->parent() == nullptr, "child already added. It can't be added again");
    ccAssert(sprite->textureAtlas() == textureAtlas_.get(),
             "AtlasSpriteManager: the sprite was made for another atlas");

    if (totalSprites_ == textureAtlas_->capacity()) resizeAtlas();
    unsigned index = indexForNewChildAtZ(z);
    sprite->insertInAtlasAtIndex(index);
    ++totalSprites_;
    Node::addChild(child, z, tag);

    for (size_t i = index + 1; i < children_.size(); ++i) {
        AtlasSprite* s = spriteAt(i);
        ccAssert(s->atlasIndex() == i - 1, kIndexFailed);
        s->setIndex(uint32_t(i));
    }
    return this;
}

void AtlasSpriteManager::removeChild(Node* child, bool cleanup) {
    if (!child || child->parent() != this) return;
    Ref<AtlasSprite> sprite(static_cast<AtlasSprite*>(child));
    uint32_t index = sprite->atlasIndex();
    sprite->setIndex(AtlasSprite::kIndexNotInAtlas);
    Node::removeChild(child, cleanup);
    textureAtlas_->removeQuadAtIndex(index);

    for (size_t j = index; j < children_.size(); ++j) {
        AtlasSprite* s = spriteAt(j);
        ccAssert(s->atlasIndex() == j + 1, kIndexFailed);
        s->setIndex(uint32_t(j));
    }
    --totalSprites_;
}

void AtlasSpriteManager::removeChildAtIndex(unsigned index, bool cleanup) {
    ccAssert(index < children_.size(), "AtlasSpriteManager: Invalid index");
    removeChild(children_[index].get(), cleanup);
}

void AtlasSpriteManager::removeAllChildrenWithCleanup(bool cleanup) {
    for (size_t i = 0; i < children_.size(); ++i)
        spriteAt(i)->setIndex(AtlasSprite::kIndexNotInAtlas);
    Node::removeAllChildrenWithCleanup(cleanup);
    totalSprites_ = 0;
    textureAtlas_->removeAllQuads();
}

void AtlasSpriteManager::reorderChild(Node* child, int z) {
    ccAssert(child != nullptr, "Child must be non-nil");
    if (child->parent() != this) return;
    Node::reorderChild(child, z);
    auto* sprite = static_cast<AtlasSprite*>(child);
    auto it = std::find_if(children_.begin(), children_.end(),
                           [child](const Ref<Node>& c) { return c.get() == child; });
    auto newIndex = uint32_t(it - children_.begin());
    uint32_t oldIndex = sprite->atlasIndex();
    if (newIndex == oldIndex) return;
    textureAtlas_->insertQuadFromIndex(oldIndex, newIndex);
    for (uint32_t i = std::min(oldIndex, newIndex); i <= std::max(oldIndex, newIndex); ++i)
        spriteAt(i)->setIndex(i);
}

// --- texture ---

void AtlasSpriteManager::setTexture(Texture2D* texture) {
    textureAtlas_->setTexture(texture);
    updateBlendFunc();
}

void AtlasSpriteManager::setTextureAtlas(TextureAtlas* atlas) {
    ccAssert(atlas != nullptr, "Argument must be non-nil");
    if (atlas == textureAtlas_.get()) return;
    if (atlas->capacity() < totalSprites_) {
        bool resized = atlas->resizeCapacity(totalSprites_);
        ccAssert(resized, "XXX: AltasSpriteManager#resizeAtlas SHALL handle this assert");
    }
    textureAtlas_ = atlas;
    atlas->removeAllQuads();
    for (size_t i = 0; i < children_.size(); ++i) {
        AtlasSprite* s = spriteAt(i);
        s->setTextureAtlas(atlas);
        atlas->updateQuad(s->quad(), uint32_t(i));
    }
    updateBlendFunc();
}

// --- drawing ---

void AtlasSpriteManager::visit() {
    if (!visible_) return;
    glPushMatrix();
    transform();
    draw();
    glPopMatrix();
}

void AtlasSpriteManager::draw() {
    if (totalSprites_ == 0) return;
    for (size_t i = 0; i < children_.size(); ++i) {
        AtlasSprite* s = spriteAt(i);
        if (s->dirty()) s->updatePosition();
    }
    platform::GLState& gl = platform::GLState::current();
    gl.setArrays(platform::GLState::kVertexArray | platform::GLState::kColorArray |
                 platform::GLState::kTexCoordArray);
    if (Texture2D* texture = textureAtlas_->texture()) gl.useTexture(texture->name());
    gl.setBlendFunc(blendFunc_.src, blendFunc_.dst);
    textureAtlas_->drawNumberOfQuads(totalSprites_);
}
