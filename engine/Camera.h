#pragma once

#include "support/Ref.h"

// Where a node is seen from: a viewer at `eye` looking at `center` with `up`
// pointing up, in the parent's space (points). The view is relative to the
// standard one, in which the viewer stands zEye() straight in front of what
// it looks at: a camera in that placement (the default: centre (0, 0, 0),
// eye (0, 0, zEye), up (0, 1, 0)) leaves the drawing as it is, and so does
// any centre with the eye zEye in front of it. Moving the eye around the
// centre turns the drawing about the centre; bringing it nearer brings the
// drawing nearer (it looks bigger under the 3D projection).
class Camera : public Object {
public:
    static Ref<Camera> camera() { return make<Camera>(); }
    Camera();

    // The director's eye distance: the display height / 1.1566.
    static float getZEye();

    // Back to the default placement.
    void restore();
    // Applies the view to the current matrix; nothing in the default
    // placement.
    void locate() const;
    // True once the placement was changed from the default.
    bool dirty() const { return dirty_; }

    void setEye(float x, float y, float z);
    void setCenter(float x, float y, float z);
    void setUp(float x, float y, float z);
    void eye(float* x, float* y, float* z) const;
    void center(float* x, float* y, float* z) const;
    void up(float* x, float* y, float* z) const;

private:
    float eyeX_, eyeY_, eyeZ_;
    float centerX_, centerY_, centerZ_;
    float upX_, upY_, upZ_;
    bool dirty_ = false;
};

// Multiplies the current matrix by a view from `eye` to `center` with `up`
// (the usual GL utility look-at).
void ccLookAt(float eyeX, float eyeY, float eyeZ, float centerX, float centerY, float centerZ,
              float upX, float upY, float upZ);
