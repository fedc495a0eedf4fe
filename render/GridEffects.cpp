#include "render/GridEffects.h"

#include "engine/Director.h"
#include "platform/Random.h"
#include "support/PointExtensions.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr float kPi = 3.14159265f;

// Copies an effect with its amplitude settings.
template <class T, class... Args>
Ref<Action> copyEffect(const T& from, Args... args) {
    auto copy = make<T>(args...);
    if constexpr (std::is_base_of_v<AmplitudeEffect, T>)
        copy->setAmplitudeRate(from.amplitudeRate());
    return copy;
}

// Runs `f(pos, original)` for every corner of the mesh and stores what it
// answers.
template <class F>
void eachVertex(Grid3DAction& action, ccGridSize size, F f) {
    for (int x = 0; x <= size.x; ++x)
        for (int y = 0; y <= size.y; ++y) {
            ccGridSize pos = ccg(x, y);
            action.setVertex(pos, f(pos, action.originalVertex(pos)));
        }
}

} // namespace

#define CC_EFFECT_COPY(Class, ...)                                                                 \
    Ref<Action> Class::copyAction() const {                                                        \
        Ref<Action> copy = copyEffect<Class>(*this, __VA_ARGS__);                                  \
        copyBaseTo(*copy);                                                                         \
        return copy;                                                                               \
    }

CC_EFFECT_COPY(Waves3D, waves_, amplitude_, gridSize_, duration_)
CC_EFFECT_COPY(Waves, waves_, amplitude_, horizontal_, vertical_, gridSize_, duration_)
CC_EFFECT_COPY(Ripple3D, position_, radius_, waves_, amplitude_, gridSize_, duration_)
CC_EFFECT_COPY(Liquid, waves_, amplitude_, gridSize_, duration_)
CC_EFFECT_COPY(Twirl, position_, twirls_, amplitude_, gridSize_, duration_)
CC_EFFECT_COPY(Shaky3D, range_, shakeZ_, gridSize_, duration_)
CC_EFFECT_COPY(PageTurn3D, gridSize_, duration_)

Ref<Action> Lens3D::copyAction() const {
    auto copy = make<Lens3D>(position_, radius_, gridSize_, duration_);
    copy->setLensEffect(lensEffect_);
    copyBaseTo(*copy);
    return copy;
}

void Waves3D::updateGrid(float t) {
    const float lift = amplitude_ * amplitudeRate_;
    eachVertex(*this, gridSize_, [&](ccGridSize, ccVertex3F v) {
        v.z += std::sin(kPi * t * float(waves_) * 2 + (v.x + v.y) * 0.01f) * lift;
        return v;
    });
}

void Waves::updateGrid(float t) {
    const float sway = amplitude_ * amplitudeRate_;
    const float phase = kPi * t * float(waves_) * 2;
    eachVertex(*this, gridSize_, [&](ccGridSize, ccVertex3F v) {
        ccVertex3F out = v;
        if (vertical_) out.x += std::sin(phase + v.y * 0.01f) * sway;
        if (horizontal_) out.y += std::sin(phase + v.x * 0.01f) * sway;
        return out;
    });
}

void Ripple3D::updateGrid(float t) {
    const float lift = amplitude_ * amplitudeRate_;
    eachVertex(*this, gridSize_, [&](ccGridSize, ccVertex3F v) {
        float r = ccpDistance(position_, Point(v.x, v.y));
        if (r < radius_) {
            float fade = 1 - r / radius_;
            v.z += std::sin(kPi * t * float(waves_) * 2 + r * 0.1f) * lift * fade * fade;
        }
        return v;
    });
}

void Lens3D::updateGrid(float) {
    // Corners inside the lens move out along their radius: r -> R (r/R)^p
    // with p < 1 keeps the rim in place and spreads the middle, enlarging it.
    const float p = 1 / (1 + std::clamp(lensEffect_, 0.0f, 0.99f) * 2);
    eachVertex(*this, gridSize_, [&](ccGridSize, ccVertex3F v) {
        Point d = ccpSub(Point(v.x, v.y), position_);
        float r = ccpLength(d);
        if (r > 0 && r < radius_) {
            float moved = radius_ * std::pow(r / radius_, p);
            v.x = position_.x + d.x / r * moved;
            v.y = position_.y + d.y / r * moved;
        }
        return v;
    });
}

void Liquid::updateGrid(float t) {
    const float sway = amplitude_ * amplitudeRate_;
    const float phase = kPi * t * float(waves_) * 2;
    eachVertex(*this, gridSize_, [&](ccGridSize pos, ccVertex3F v) {
        bool border = pos.x == 0 || pos.y == 0 || pos.x == gridSize_.x || pos.y == gridSize_.y;
        if (!border) {
            float x = v.x, y = v.y;
            v.x += std::sin(phase + x * 0.01f) * sway;
            v.y += std::sin(phase + y * 0.01f) * sway;
        }
        return v;
    });
}

void Twirl::updateGrid(float t) {
    Size win = Director::sharedDirector().winSize();
    const float reach = std::max(1.0f, std::min(win.width, win.height) / 2);
    const float turn = std::sin(kPi * t * float(twirls_) * 2) * amplitude_ * amplitudeRate_;
    eachVertex(*this, gridSize_, [&](ccGridSize, ccVertex3F v) {
        Point d = ccpSub(Point(v.x, v.y), position_);
        float fade = std::max(0.0f, 1 - ccpLength(d) / reach);
        float a = CC_DEGREES_TO_RADIANS(turn * fade * fade);
        float c = std::cos(a), s = std::sin(a);
        v.x = position_.x + d.x * c - d.y * s;
        v.y = position_.y + d.x * s + d.y * c;
        return v;
    });
}

void Shaky3D::updateGrid(float) {
    const long span = long(std::max(0, range_)) * 2 + 1;
    auto shake = [span] { return float(platform::random() % span - (span - 1) / 2); };
    eachVertex(*this, gridSize_, [&](ccGridSize, ccVertex3F v) {
        v.x += shake();
        v.y += shake();
        if (shakeZ_) v.z += shake();
        return v;
    });
}

float PageTurn3D::radius(Size page) {
    return std::min(page.width, page.height) / 6;
}

ccVertex3F PageTurn3D::turn(Point p, Size page, float t) {
    const float a = CC_DEGREES_TO_RADIANS(foldAngle());
    const Point n(std::cos(a), -std::sin(a)); // across the fold, to the bottom-right
    const float r = std::max(radius(page), 1e-3f);
    const float first = page.width * n.x; // the bottom-right corner
    const float last = page.height * n.y; // the top-left corner
    const float fold = first + t * (last - kPi * r - first);
    const float d = ccpDot(p, n) - fold;
    if (d <= 0) return {p.x, p.y, 0};
    float across, z;
    if (d <= kPi * r) {
        across = r * std::sin(d / r);
        z = r * (1 - std::cos(d / r));
    } else {
        across = -(d - kPi * r);
        z = 2 * r;
    }
    return {p.x + (across - d) * n.x, p.y + (across - d) * n.y, z};
}

void PageTurn3D::updateGrid(float t) {
    const Size page = Director::sharedDirector().winSize();
    eachVertex(*this, gridSize_, [&](ccGridSize, ccVertex3F v) {
        ccVertex3F out = turn(Point(v.x, v.y), page, t);
        out.z += v.z;
        return out;
    });
}
