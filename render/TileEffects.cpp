#include "render/TileEffects.h"

#include "engine/Director.h"
#include "platform/Random.h"

#include <algorithm>
#include <cmath>
#include <random>

namespace {

constexpr float kPi = 3.14159265f;
// How many tiles deep the front of a fade is.
constexpr float kFadeFront = 4;

ccQuad3 moved(ccQuad3 q, float dx, float dy, float dz = 0) {
    for (ccVertex3F* v : {&q.bl, &q.br, &q.tl, &q.tr}) {
        v->x += dx;
        v->y += dy;
        v->z += dz;
    }
    return q;
}

// Runs `f(pos, original)` for every tile and stores what it answers.
template <class F>
void eachTile(TiledGrid3DAction& action, ccGridSize size, F f) {
    for (int x = 0; x < size.x; ++x)
        for (int y = 0; y < size.y; ++y) {
            ccGridSize pos = ccg(x, y);
            action.setTile(pos, f(pos, action.originalTile(pos)));
        }
}

unsigned tileCount(ccGridSize size) {
    return unsigned(std::max(0, size.x)) * unsigned(std::max(0, size.y));
}

} // namespace

#define CC_TILES_COPY(Class, ...)                                                                  \
    Ref<Action> Class::copyAction() const {                                                        \
        auto copy = make<Class>(__VA_ARGS__);                                                      \
        copyBaseTo(*copy);                                                                         \
        return copy;                                                                               \
    }

CC_TILES_COPY(ShakyTiles3D, range_, shakeZ_, gridSize_, duration_)
CC_TILES_COPY(ShuffleTiles, seed_, gridSize_, duration_)
CC_TILES_COPY(FadeOutTRTiles, gridSize_, duration_)
CC_TILES_COPY(FadeOutBLTiles, gridSize_, duration_)
CC_TILES_COPY(FadeOutUpTiles, gridSize_, duration_)
CC_TILES_COPY(FadeOutDownTiles, gridSize_, duration_)
CC_TILES_COPY(TurnOffTiles, seed_, gridSize_, duration_)
CC_TILES_COPY(SplitRows, gridSize_.y, duration_)
CC_TILES_COPY(SplitCols, gridSize_.x, duration_)

Ref<Action> WavesTiles3D::copyAction() const {
    auto copy = make<WavesTiles3D>(waves_, amplitude_, gridSize_, duration_);
    copy->setAmplitudeRate(amplitudeRate_);
    copyBaseTo(*copy);
    return copy;
}

Ref<Action> JumpTiles3D::copyAction() const {
    auto copy = make<JumpTiles3D>(jumps_, amplitude_, gridSize_, duration_);
    copy->setAmplitudeRate(amplitudeRate_);
    copyBaseTo(*copy);
    return copy;
}

std::vector<unsigned> ccShuffledOrder(unsigned count, uint32_t seed) {
    std::vector<unsigned> order(count);
    for (unsigned i = 0; i < count; ++i)
        order[i] = i;
    // Our own draw rather than std::shuffle, whose algorithm the standard
    // leaves open: a seed must mean the same order everywhere.
    std::mt19937 random(seed);
    for (unsigned i = count; i > 1; --i) {
        unsigned j = unsigned(random() % i);
        std::swap(order[i - 1], order[j]);
    }
    return order;
}

// --- ShakyTiles3D ---

void ShakyTiles3D::updateGrid(float) {
    const long span = long(std::max(0, range_)) * 2 + 1;
    auto shake = [span] { return float(platform::random() % span - (span - 1) / 2); };
    eachTile(*this, gridSize_, [&](ccGridSize, ccQuad3 q) {
        float dx = shake(), dy = shake();
        return moved(q, dx, dy, shakeZ_ ? shake() : 0);
    });
}

// --- ShuffleTiles ---

void ShuffleTiles::start() {
    TiledGrid3DAction::start();
    order_ = ccShuffledOrder(tileCount(gridSize_), seed_);
}

ccGridSize ShuffleTiles::destination(ccGridSize pos) const {
    unsigned to = order_.at(unsigned(pos.x) * unsigned(gridSize_.y) + unsigned(pos.y));
    return ccg(int(to / unsigned(gridSize_.y)), int(to % unsigned(gridSize_.y)));
}

void ShuffleTiles::updateGrid(float t) {
    const Point step = grid_->step();
    eachTile(*this, gridSize_, [&](ccGridSize pos, ccQuad3 q) {
        ccGridSize to = destination(pos);
        return moved(q, float(to.x - pos.x) * step.x * t, float(to.y - pos.y) * step.y * t);
    });
}

// --- fading tiles ---

float FadeOutTRTiles::testFunc(ccGridSize pos, float t) const {
    // The front runs from before the nearest tile to past the farthest one.
    const float front = t * (float(farthest()) + 1 + kFadeFront);
    return std::clamp((float(distance(pos)) + 1 + kFadeFront - front) / kFadeFront, 0.0f, 1.0f);
}

void FadeOutTRTiles::transformTile(ccGridSize pos, float left) {
    ccQuad3 q = originalTile(pos);
    const Point step = grid_->step();
    const float cx = q.bl.x + step.x / 2, cy = q.bl.y + step.y / 2;
    for (ccVertex3F* v : {&q.bl, &q.br, &q.tl, &q.tr}) {
        v->x = cx + (v->x - cx) * left;
        v->y = cy + (v->y - cy) * left;
    }
    setTile(pos, q);
}

void FadeOutTRTiles::updateGrid(float t) {
    for (int x = 0; x < gridSize_.x; ++x)
        for (int y = 0; y < gridSize_.y; ++y)
            transformTile(ccg(x, y), testFunc(ccg(x, y), t));
}

void FadeOutUpTiles::transformTile(ccGridSize pos, float left) {
    ccQuad3 q = originalTile(pos);
    const float cy = q.bl.y + grid_->step().y / 2;
    for (ccVertex3F* v : {&q.bl, &q.br, &q.tl, &q.tr})
        v->y = cy + (v->y - cy) * left;
    setTile(pos, q);
}

// --- TurnOffTiles ---

void TurnOffTiles::start() {
    TiledGrid3DAction::start();
    order_ = ccShuffledOrder(tileCount(gridSize_), seed_);
}

void TurnOffTiles::updateGrid(float t) {
    const auto off = unsigned(t * float(order_.size()));
    for (unsigned i = 0; i < order_.size(); ++i) {
        ccGridSize pos =
            ccg(int(order_[i] / unsigned(gridSize_.y)), int(order_[i] % unsigned(gridSize_.y)));
        // A tile turned off collapses to a point; one turned on is whole.
        ccQuad3 q = originalTile(pos);
        if (i < off) q.br = q.tl = q.tr = q.bl;
        setTile(pos, q);
    }
}

// --- WavesTiles3D, JumpTiles3D ---

void WavesTiles3D::updateGrid(float t) {
    const float lift = amplitude_ * amplitudeRate_;
    eachTile(*this, gridSize_, [&](ccGridSize, ccQuad3 q) {
        float z = std::sin(kPi * t * float(waves_) * 2 + (q.bl.x + q.bl.y) * 0.01f) * lift;
        return moved(q, 0, 0, z);
    });
}

void JumpTiles3D::updateGrid(float t) {
    const float lift = amplitude_ * amplitudeRate_;
    const float even = std::sin(kPi * t * float(jumps_) * 2) * lift;
    const float odd = std::sin(kPi * (t * float(jumps_) * 2 + 1)) * lift;
    eachTile(*this, gridSize_, [&](ccGridSize pos, ccQuad3 q) {
        return moved(q, 0, 0, (pos.x + pos.y) % 2 == 0 ? even : odd);
    });
}

// --- SplitRows, SplitCols ---

void SplitRows::updateGrid(float t) {
    const float width = Director::sharedDirector().winSize().width;
    eachTile(*this, gridSize_, [&](ccGridSize pos, ccQuad3 q) {
        return moved(q, (pos.y % 2 == 0 ? 1 : -1) * width * t, 0);
    });
}

void SplitCols::updateGrid(float t) {
    const float height = Director::sharedDirector().winSize().height;
    eachTile(*this, gridSize_, [&](ccGridSize pos, ccQuad3 q) {
        return moved(q, 0, (pos.x % 2 == 0 ? 1 : -1) * height * t);
    });
}
