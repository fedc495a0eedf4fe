#pragma once

#include "engine/Node.h"
#include "render/AtlasSprite.h"
#include "render/Quad.h"
#include "render/TextureAtlas.h"

#include <string>

// Draws all its AtlasSprite children from one texture with one indexed draw
// call. Its children list, ordered by z, is also the order of the quads in
// the atlas: the child at position i has atlas index i.
class AtlasSpriteManager : public Node {
public:
    static constexpr unsigned kDefaultSpriteManagerCapacity = 29;

    // Null when the atlas cannot be allocated.
    static Ref<AtlasSpriteManager>
    spriteManagerWithFile(const std::string& fileName,
                          unsigned capacity = kDefaultSpriteManagerCapacity);
    static Ref<AtlasSpriteManager>
    spriteManagerWithTexture(Texture2D* texture, unsigned capacity = kDefaultSpriteManagerCapacity);
    AtlasSpriteManager();
    ~AtlasSpriteManager() override;

    // A sprite for this manager, not yet added.
    Ref<AtlasSprite> createSpriteWithRect(Rect rect);

    using Node::addChild;
    Node* addChild(Node* child, int z, int tag) override;
    // A child that is not this manager's is ignored.
    void removeChild(Node* child, bool cleanup) override;
    // `index` is a position in the children list.
    void removeChildAtIndex(unsigned index, bool cleanup);
    void removeAllChildrenWithCleanup(bool cleanup) override;
    void reorderChild(Node* child, int z) override;
    // Where a child of z would go: after every child whose z is <= z.
    unsigned indexForNewChildAtZ(int z) const;

    Texture2D* texture() const { return textureAtlas_ ? textureAtlas_->texture() : nullptr; }
    void setTexture(Texture2D* texture);
    TextureAtlas* textureAtlas() const { return textureAtlas_.get(); }
    // The children move their quads into the new atlas.
    void setTextureAtlas(TextureAtlas* atlas);
    ccBlendFunc blendFunc() const { return blendFunc_; }
    void setBlendFunc(ccBlendFunc blend) { blendFunc_ = blend; }
    unsigned totalSprites() const { return totalSprites_; }

    // The children are not visited one by one: the atlas draws them all.
    void visit() override;
    void draw() override;

protected:
    bool initWithFile(const std::string& fileName, unsigned capacity);
    bool initWithTexture(Texture2D* texture, unsigned capacity);
    // Grows the atlas by a third.
    void resizeAtlas();
    void updateBlendFunc();
    AtlasSprite* spriteAt(size_t position) const {
        return static_cast<AtlasSprite*>(children_[position].get());
    }

    unsigned totalSprites_ = 0;
    Ref<TextureAtlas> textureAtlas_;
    ccBlendFunc blendFunc_ = kBlendPremultiplied;
};
