#pragma once

#include "render/GridAction.h"

// Effects that bend the picture on a mesh. Positions and radii are in scene
// points; "waves" count whole cycles over the action's duration; amplitudes
// are in points and scaled by amplitudeRate (1 by default), which easing
// actions or game code may change while the effect runs.

// Shared amplitude settings.
class AmplitudeEffect {
public:
    float amplitude() const { return amplitude_; }
    void setAmplitude(float a) { amplitude_ = a; }
    float amplitudeRate() const { return amplitudeRate_; }
    void setAmplitudeRate(float r) { amplitudeRate_ = r; }

protected:
    explicit AmplitudeEffect(float amplitude) : amplitude_(amplitude) {}
    float amplitude_;
    float amplitudeRate_ = 1;
};

// The picture rises and falls towards the viewer in waves running along the
// diagonal.
class Waves3D : public Grid3DAction, public AmplitudeEffect {
    CC_ACTION_COPY(Waves3D)
public:
    static Ref<Waves3D> actionWithWaves(int waves, float amplitude, ccGridSize grid, float d) {
        return make<Waves3D>(waves, amplitude, grid, d);
    }
    Waves3D(int waves, float amplitude, ccGridSize grid, float d)
        : Grid3DAction(grid, d), AmplitudeEffect(amplitude), waves_(waves) {}

protected:
    void updateGrid(float t) override;
    int waves_;
};

// Flat waves: rows sway sideways (`vertical`) and columns up and down
// (`horizontal`).
class Waves : public Grid3DAction, public AmplitudeEffect {
    CC_ACTION_COPY(Waves)
public:
    static Ref<Waves> actionWithWaves(int waves, float amplitude, bool horizontal, bool vertical,
                                      ccGridSize grid, float d) {
        return make<Waves>(waves, amplitude, horizontal, vertical, grid, d);
    }
    Waves(int waves, float amplitude, bool horizontal, bool vertical, ccGridSize grid, float d)
        : Grid3DAction(grid, d), AmplitudeEffect(amplitude), waves_(waves), horizontal_(horizontal),
          vertical_(vertical) {}

protected:
    void updateGrid(float t) override;
    int waves_;
    bool horizontal_, vertical_;
};

// Rings running out from `position`, fading towards `radius`.
class Ripple3D : public Grid3DAction, public AmplitudeEffect {
    CC_ACTION_COPY(Ripple3D)
public:
    static Ref<Ripple3D> actionWithPosition(Point position, float radius, int waves,
                                            float amplitude, ccGridSize grid, float d) {
        return make<Ripple3D>(position, radius, waves, amplitude, grid, d);
    }
    Ripple3D(Point position, float radius, int waves, float amplitude, ccGridSize grid, float d)
        : Grid3DAction(grid, d), AmplitudeEffect(amplitude), position_(position), radius_(radius),
          waves_(waves) {}
    Point position() const { return position_; }
    void setPosition(Point p) { position_ = p; }

protected:
    void updateGrid(float t) override;
    Point position_;
    float radius_;
    int waves_;
};

// A magnifying glass of `radius` at `position` (which may move while the
// effect runs). `lensEffect` (0.7 by default, 0 = none, below 1) is how
// strongly the middle is enlarged.
class Lens3D : public Grid3DAction {
    CC_ACTION_COPY(Lens3D)
public:
    static Ref<Lens3D> actionWithPosition(Point position, float radius, ccGridSize grid, float d) {
        return make<Lens3D>(position, radius, grid, d);
    }
    Lens3D(Point position, float radius, ccGridSize grid, float d)
        : Grid3DAction(grid, d), position_(position), radius_(radius) {}
    Point position() const { return position_; }
    void setPosition(Point p) { position_ = p; }
    float lensEffect() const { return lensEffect_; }
    void setLensEffect(float e) { lensEffect_ = e; }

protected:
    void updateGrid(float t) override;
    Point position_;
    float radius_;
    float lensEffect_ = 0.7f;
};

// The inside of the picture wobbles like a liquid; its border stays put.
class Liquid : public Grid3DAction, public AmplitudeEffect {
    CC_ACTION_COPY(Liquid)
public:
    static Ref<Liquid> actionWithWaves(int waves, float amplitude, ccGridSize grid, float d) {
        return make<Liquid>(waves, amplitude, grid, d);
    }
    Liquid(int waves, float amplitude, ccGridSize grid, float d)
        : Grid3DAction(grid, d), AmplitudeEffect(amplitude), waves_(waves) {}

protected:
    void updateGrid(float t) override;
    int waves_;
};

// The picture swirls about `position`, `twirls` times back and forth; the
// turn is `amplitude` degrees at the centre and fades out over half the
// window's smaller side.
class Twirl : public Grid3DAction, public AmplitudeEffect {
    CC_ACTION_COPY(Twirl)
public:
    static Ref<Twirl> actionWithPosition(Point position, int twirls, float amplitude,
                                         ccGridSize grid, float d) {
        return make<Twirl>(position, twirls, amplitude, grid, d);
    }
    Twirl(Point position, int twirls, float amplitude, ccGridSize grid, float d)
        : Grid3DAction(grid, d), AmplitudeEffect(amplitude), position_(position), twirls_(twirls) {}
    Point position() const { return position_; }
    void setPosition(Point p) { position_ = p; }

protected:
    void updateGrid(float t) override;
    Point position_;
    int twirls_;
};

// Every corner jitters by up to `range` points (and towards the viewer too
// with `shakeZ`), anew each frame.
class Shaky3D : public Grid3DAction {
    CC_ACTION_COPY(Shaky3D)
public:
    static Ref<Shaky3D> actionWithRange(int range, bool shakeZ, ccGridSize grid, float d) {
        return make<Shaky3D>(range, shakeZ, grid, d);
    }
    Shaky3D(int range, bool shakeZ, ccGridSize grid, float d)
        : Grid3DAction(grid, d), range_(range), shakeZ_(shakeZ) {}

protected:
    void updateGrid(float t) override;
    int range_;
    bool shakeZ_;
};

// The picture is a page that curls up from its bottom-right corner and rolls
// over to the left, off the picture, around a cylinder of radius
// radius(). The fold is a straight line, tilted by foldAngle() from the
// vertical, that sweeps from the bottom-right corner at t = 0 to where the
// whole page has rolled over at t = 1. A point a distance d past the fold
// (measured across it, towards the bottom-right) goes round the cylinder:
// while d <= pi r it lies at r sin(d / r) past the fold, r (1 - cos(d / r))
// above the page; beyond, it lies flat on the back, 2 r above the page,
// d - pi r before the fold. Use a fine grid (15 x 20 or so) for a smooth
// curl.
class PageTurn3D : public Grid3DAction {
    CC_ACTION_COPY(PageTurn3D)
public:
    static Ref<PageTurn3D> actionWithSize(ccGridSize grid, float d) {
        return make<PageTurn3D>(grid, d);
    }
    PageTurn3D(ccGridSize grid, float d) : Grid3DAction(grid, d) {}

    // Tilt of the fold from the vertical, in degrees (the top leans right).
    static constexpr float foldAngle() { return 20; }
    // Of a page w x h points: min(w, h) / 6.
    static float radius(Size page);
    // Where the point `p` of a page of `page` size lies at progress t.
    static ccVertex3F turn(Point p, Size page, float t);

protected:
    void updateGrid(float t) override;
};
