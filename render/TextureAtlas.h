#pragma once

#include "platform/GL.h"
#include "render/Quad.h"
#include "render/Texture2D.h"
#include "support/Ref.h"

#include <cstdint>
#include <string>
#include <vector>

// A texture and an array of quads drawn from it with one indexed draw call.
// Quads 0..totalQuads-1 are in use; every slot up to the capacity has its six
// 16-bit indices (two triangles) ready.
class TextureAtlas : public Object {
public:
    // 16-bit indices reach 65536 vertices: four per quad.
    static constexpr unsigned kMaxQuads = 16384;

    // The texture comes from the texture cache. Null (logged) when the quad
    // or index arrays cannot be allocated.
    static Ref<TextureAtlas> textureAtlasWithFile(const std::string& file, unsigned capacity);
    static Ref<TextureAtlas> textureAtlasWithTexture(Texture2D* texture, unsigned capacity);

    TextureAtlas();

    // Copies the quad into slot `index` (< capacity); the slots in use grow to
    // cover it.
    void updateQuad(const ccV3F_C4B_T2F_Quad& quad, unsigned index);
    // Moves the quads from `index` on one slot up and puts the quad there.
    // Needs a free slot and index <= totalQuads.
    void insertQuad(const ccV3F_C4B_T2F_Quad& quad, unsigned index);
    // Takes the quad at `oldIndex` out and puts it back at `newIndex`; the
    // quads between shift by one.
    void insertQuadFromIndex(unsigned oldIndex, unsigned newIndex);
    void removeQuadAtIndex(unsigned index);
    void removeAllQuads() { totalQuads_ = 0; }
    // Keeps the contents (cut to the new capacity). On failure (logged) the
    // atlas is left as it was.
    bool resizeCapacity(unsigned newCapacity);

    // The caller enables texturing and the vertex, colour and texture-
    // coordinate arrays it wants.
    void drawQuads() { drawNumberOfQuads(totalQuads_); }
    void drawNumberOfQuads(unsigned n);

    Texture2D* texture() const { return texture_.get(); }
    void setTexture(Texture2D* texture) { texture_ = texture; }
    ccV3F_C4B_T2F_Quad* quads() { return quads_.data(); }
    const ccV3F_C4B_T2F_Quad* quads() const { return quads_.data(); }
    // Replaces the first `count` (<= capacity) quads; they become the ones in
    // use.
    void setQuads(const ccV3F_C4B_T2F_Quad* quads, unsigned count);
    const GLushort* indices() const { return indices_.data(); }
    unsigned capacity() const { return capacity_; }
    unsigned totalQuads() const { return totalQuads_; }

    std::string description() const;

protected:
    bool initWithTexture(Texture2D* texture, unsigned capacity);
    void initIndices();

    Ref<Texture2D> texture_;
    unsigned capacity_ = 0;
    unsigned totalQuads_ = 0;
    std::vector<ccV3F_C4B_T2F_Quad> quads_;
    std::vector<GLushort> indices_;
};
