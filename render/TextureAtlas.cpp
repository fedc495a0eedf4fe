#include "render/TextureAtlas.h"

#include "render/TextureMgr.h"
#include "support/ClassName.h"
#include "support/Error.h"
#include "support/Log.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <new>

namespace {

constexpr const char* kNoMemory = "TextureAtlas: not enough memory";

// Fresh, zeroed quad and index arrays for `capacity` quads; false when the
// memory cannot be had (16-bit indices reach no further than kMaxQuads).
bool allocate(unsigned capacity, std::vector<ccV3F_C4B_T2F_Quad>& quads,
              std::vector<GLushort>& indices) {
    if (capacity > TextureAtlas::kMaxQuads) return false;
    try {
        quads.assign(capacity, ccV3F_C4B_T2F_Quad{});
        indices.assign(size_t(capacity) * 6, 0);
        return true;
    } catch (const std::bad_alloc&) {
        return false;
    }
}

} // namespace

Ref<TextureAtlas> TextureAtlas::textureAtlasWithFile(const std::string& file, unsigned capacity) {
    // A picture that cannot be loaded still gives an atlas: it draws nothing.
    Ref<Texture2D> texture = TextureMgr::sharedTextureMgr().addImage(file);
    return textureAtlasWithTexture(texture.get(), capacity);
}

Ref<TextureAtlas> TextureAtlas::textureAtlasWithTexture(Texture2D* texture, unsigned capacity) {
    auto atlas = make<TextureAtlas>();
    if (!atlas->initWithTexture(texture, capacity)) return nullptr;
    return atlas;
}

TextureAtlas::TextureAtlas() = default;

bool TextureAtlas::initWithTexture(Texture2D* texture, unsigned capacity) {
    texture_ = texture;
    if (!allocate(capacity, quads_, indices_)) {
        ccLog("%s", kNoMemory);
        quads_ = {};
        indices_ = {};
        return false;
    }
    capacity_ = capacity;
    totalQuads_ = 0;
    initIndices();
    return true;
}

void TextureAtlas::initIndices() {
    for (unsigned i = 0; i < capacity_; ++i) {
        GLushort base = GLushort(i * 4);
        GLushort* idx = &indices_[size_t(i) * 6];
        idx[0] = base;
        idx[1] = GLushort(base + 1);
        idx[2] = GLushort(base + 2);
        idx[3] = GLushort(base + 3);
        idx[4] = GLushort(base + 2);
        idx[5] = GLushort(base + 1);
    }
}

void TextureAtlas::updateQuad(const ccV3F_C4B_T2F_Quad& quad, unsigned index) {
    ccAssert(index < capacity_, "updateQuadWithTexture: Invalid index");
    quads_[index] = quad;
    totalQuads_ = std::max(totalQuads_, index + 1);
}

void TextureAtlas::insertQuad(const ccV3F_C4B_T2F_Quad& quad, unsigned index) {
    ccAssert(index < capacity_, "insertQuadWithTexture: Invalid index");
    // Inserting past the quads in use, or into a full atlas, would move
    // memory outside the array.
    ccAssert(index <= totalQuads_, "insertQuadWithTexture: Invalid index");
    ccAssert(totalQuads_ < capacity_, "insertQuadWithTexture: atlas is full");
    unsigned moved = totalQuads_ - index;
    ++totalQuads_;
    if (moved > 0)
        std::memmove(&quads_[index + 1], &quads_[index], moved * sizeof(ccV3F_C4B_T2F_Quad));
    quads_[index] = quad;
}

void TextureAtlas::insertQuadFromIndex(unsigned oldIndex, unsigned newIndex) {
    ccAssert(oldIndex < totalQuads_ && newIndex < totalQuads_,
             "insertQuadFromIndex:atIndex: Invalid index");
    if (oldIndex == newIndex) return;
    ccV3F_C4B_T2F_Quad quad = quads_[oldIndex];
    if (oldIndex < newIndex)
        std::memmove(&quads_[oldIndex], &quads_[oldIndex + 1],
                     (newIndex - oldIndex) * sizeof(ccV3F_C4B_T2F_Quad));
    else
        std::memmove(&quads_[newIndex + 1], &quads_[newIndex],
                     (oldIndex - newIndex) * sizeof(ccV3F_C4B_T2F_Quad));
    quads_[newIndex] = quad;
}

void TextureAtlas::removeQuadAtIndex(unsigned index) {
    ccAssert(index < totalQuads_, "removeQuadAtIndex: Invalid index");
    unsigned moved = totalQuads_ - index - 1;
    if (moved > 0)
        std::memmove(&quads_[index], &quads_[index + 1], moved * sizeof(ccV3F_C4B_T2F_Quad));
    --totalQuads_;
}

bool TextureAtlas::resizeCapacity(unsigned newCapacity) {
    if (newCapacity == capacity_) return true;
    // Both arrays are made before either is swapped in, so a failure loses
    // nothing.
    std::vector<ccV3F_C4B_T2F_Quad> quads;
    std::vector<GLushort> indices;
    if (!allocate(newCapacity, quads, indices)) {
        ccLog("%s", kNoMemory);
        return false;
    }
    totalQuads_ = std::min(totalQuads_, newCapacity);
    std::copy_n(quads_.begin(), totalQuads_, quads.begin());
    quads_ = std::move(quads);
    indices_ = std::move(indices);
    capacity_ = newCapacity;
    initIndices();
    return true;
}

void TextureAtlas::setQuads(const ccV3F_C4B_T2F_Quad* quads, unsigned count) {
    ccAssert(count <= capacity_, "setQuads: more quads than the capacity");
    ccAssert(quads != nullptr || count == 0, "Argument must be non-nil");
    std::copy_n(quads, count, quads_.begin());
    totalQuads_ = count;
}

void TextureAtlas::drawNumberOfQuads(unsigned n) {
    // Without a picture there is nothing to show.
    if (!texture_ || n == 0) return;
    n = std::min(n, capacity_);
    platform::GLState& gl = platform::GLState::current();
    gl.bindTexture(texture_->name());
    gl.bindArrayBuffer(0);
    gl.bindElementArrayBuffer(0);
    const auto* base = reinterpret_cast<const uint8_t*>(quads_.data());
    constexpr GLsizei stride = sizeof(ccV3F_C4B_T2F);
    glVertexPointer(3, GL_FLOAT, stride, base + offsetof(ccV3F_C4B_T2F, vertices));
    glColorPointer(4, GL_UNSIGNED_BYTE, stride, base + offsetof(ccV3F_C4B_T2F, colors));
    glTexCoordPointer(2, GL_FLOAT, stride, base + offsetof(ccV3F_C4B_T2F, texCoords));
    glDrawElements(GL_TRIANGLES, GLsizei(n * 6), GL_UNSIGNED_SHORT, indices_.data());
}

std::string TextureAtlas::description() const {
    char buf[160];
    std::snprintf(buf, sizeof buf, "<%s = %08lX | totalQuads = %u>", className(*this).c_str(),
                  static_cast<unsigned long>(reinterpret_cast<uintptr_t>(this)), totalQuads_);
    return buf;
}
