#include "render/Grid.h"

#include "engine/Camera.h"
#include "engine/Director.h"
#include "platform/GLState.h"
#include "support/Error.h"
#include "support/Log.h"

#include <algorithm>

namespace {

constexpr const char* kOutOfRange = "Grid: position out of range";

// Draws indexed triangles of the picture.
void drawMesh(Texture2D* texture, const ccVertex3F* vertices, const ccTex2F* texCoords,
              const GLushort* indices, size_t count) {
    platform::GLState& gl = platform::GLState::current();
    gl.setArrays(platform::GLState::kVertexArray | platform::GLState::kTexCoordArray);
    gl.useTexture(texture->name());
    gl.setColor(255, 255, 255, 255);
    gl.setBlendFunc(GL_ONE, GL_ONE_MINUS_SRC_ALPHA);
    gl.bindArrayBuffer(0);
    gl.bindElementArrayBuffer(0);
    glVertexPointer(3, GL_FLOAT, 0, vertices);
    glTexCoordPointer(2, GL_FLOAT, 0, texCoords);
    glDrawElements(GL_TRIANGLES, GLsizei(count), GL_UNSIGNED_SHORT, indices);
}

} // namespace

// --- GridBase ---

bool GridBase::initWithSize(ccGridSize size, bool tiled) {
    // 16-bit indices: every vertex of the mesh must be reachable.
    const long cells = long(size.x) * long(size.y);
    const long vertices = tiled ? cells * 4 : long(size.x + 1L) * (size.y + 1L);
    if (size.x < 1 || size.y < 1 || cells > kMaxCells || vertices > 65536) {
        ccLog("Grid: unusable size %d x %d", size.x, size.y);
        return false;
    }
    // The picture: the window's size, transparent where nothing was drawn.
    grabber_ = Grabber::grabberWithSize(Director::sharedDirector().winSize());
    if (!grabber_) return false;
    gridSize_ = size;
    Size win = grabber_->texture()->contentSize();
    step_ = Point(win.width / float(size.x), win.height / float(size.y));
    return true;
}

ccTex2F GridBase::texCoordOf(float x, float y) const {
    Texture2D* t = grabber_->texture();
    Size win = t->contentSize();
    return {x / float(t->pixelsWide()), (win.height - y) / float(t->pixelsHigh())};
}

void GridBase::beforeDraw() {
    grabber_->begin();
    grabber_->clear(0, 0, 0, 0);
}

void GridBase::afterDraw(Camera* camera) {
    grabber_->end();
    Director& director = Director::sharedDirector();
    director.loadSceneMatrix();
    if (camera) camera->locate();
    // The flat projection keeps depths within ±1 only: lifted corners
    // would be cut off.
    const bool flat = director.projection() != 1;
    if (flat) {
        Size s = director.displaySize();
        glMatrixMode(GL_PROJECTION);
        glPushMatrix();
        glLoadIdentity();
        glOrthof(0, s.width, 0, s.height, -1024, 1024);
        glMatrixMode(GL_MODELVIEW);
    }
    blit();
    if (flat) {
        glMatrixMode(GL_PROJECTION);
        glPopMatrix();
        glMatrixMode(GL_MODELVIEW);
    }
}

// --- Grid3D ---

Ref<Grid3D> Grid3D::gridWithSize(ccGridSize size) {
    auto grid = make<Grid3D>();
    if (!grid->initWithSize(size, false)) return nullptr;
    grid->calculateVertexPoints();
    return grid;
}

size_t Grid3D::index(ccGridSize pos) const {
    ccAssert(pos.x >= 0 && pos.y >= 0 && pos.x <= gridSize_.x && pos.y <= gridSize_.y, kOutOfRange);
    return size_t(pos.x) * size_t(gridSize_.y + 1) + size_t(pos.y);
}

void Grid3D::calculateVertexPoints() {
    const size_t n = size_t(gridSize_.x + 1) * size_t(gridSize_.y + 1);
    vertices_.resize(n);
    texCoords_.resize(n);
    for (int x = 0; x <= gridSize_.x; ++x)
        for (int y = 0; y <= gridSize_.y; ++y) {
            size_t i = index(ccg(x, y));
            vertices_[i] = {float(x) * step_.x, float(y) * step_.y, 0};
            texCoords_[i] = texCoordOf(vertices_[i].x, vertices_[i].y);
        }
    originalVertices_ = vertices_;
    indices_.clear();
    indices_.reserve(size_t(gridSize_.x) * size_t(gridSize_.y) * 6);
    for (int x = 0; x < gridSize_.x; ++x)
        for (int y = 0; y < gridSize_.y; ++y) {
            auto a = GLushort(index(ccg(x, y))), b = GLushort(index(ccg(x + 1, y)));
            auto c = GLushort(index(ccg(x + 1, y + 1))), d = GLushort(index(ccg(x, y + 1)));
            indices_.insert(indices_.end(), {a, b, d, b, c, d});
        }
}

void Grid3D::blit() {
    drawMesh(texture(), vertices_.data(), texCoords_.data(), indices_.data(), indices_.size());
}

void Grid3D::reuse() {
    if (reuseGrid_ <= 0) return;
    originalVertices_ = vertices_;
    --reuseGrid_;
}

// --- TiledGrid3D ---

Ref<TiledGrid3D> TiledGrid3D::gridWithSize(ccGridSize size) {
    auto grid = make<TiledGrid3D>();
    if (!grid->initWithSize(size, true)) return nullptr;
    grid->calculateVertexPoints();
    return grid;
}

size_t TiledGrid3D::index(ccGridSize pos) const {
    ccAssert(pos.x >= 0 && pos.y >= 0 && pos.x < gridSize_.x && pos.y < gridSize_.y, kOutOfRange);
    return size_t(pos.x) * size_t(gridSize_.y) + size_t(pos.y);
}

void TiledGrid3D::calculateVertexPoints() {
    const size_t n = size_t(gridSize_.x) * size_t(gridSize_.y);
    tiles_.resize(n);
    texCoords_.resize(n * 4);
    indices_.resize(n * 6);
    for (int x = 0; x < gridSize_.x; ++x)
        for (int y = 0; y < gridSize_.y; ++y) {
            size_t i = index(ccg(x, y));
            float x1 = float(x) * step_.x, x2 = x1 + step_.x;
            float y1 = float(y) * step_.y, y2 = y1 + step_.y;
            tiles_[i] = {{x1, y1, 0}, {x2, y1, 0}, {x1, y2, 0}, {x2, y2, 0}};
            texCoords_[i * 4] = texCoordOf(x1, y1);
            texCoords_[i * 4 + 1] = texCoordOf(x2, y1);
            texCoords_[i * 4 + 2] = texCoordOf(x1, y2);
            texCoords_[i * 4 + 3] = texCoordOf(x2, y2);
            auto v = GLushort(i * 4);
            GLushort* idx = &indices_[i * 6];
            // bl, br, tl and br, tr, tl
            idx[0] = v, idx[1] = GLushort(v + 1), idx[2] = GLushort(v + 2);
            idx[3] = GLushort(v + 1), idx[4] = GLushort(v + 3), idx[5] = GLushort(v + 2);
        }
    originalTiles_ = tiles_;
}

void TiledGrid3D::blit() {
    static_assert(sizeof(ccQuad3) == 4 * sizeof(ccVertex3F));
    drawMesh(texture(), &tiles_.data()->bl, texCoords_.data(), indices_.data(), indices_.size());
}

void TiledGrid3D::reuse() {
    if (reuseGrid_ <= 0) return;
    originalTiles_ = tiles_;
    --reuseGrid_;
}
