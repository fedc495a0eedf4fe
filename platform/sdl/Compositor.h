#pragma once

#include "platform/GL.h"
#include "platform/View.h"

#include <memory>
#include <vector>

namespace platform {

// Draws a window's view tree with GL: each view's content (drawn with
// Cairo at the picture's pixel scale and kept in a texture until the view
// changes), background colours, alpha, transforms, clipping, view
// transitions, and the GL view's surface in its place. Uses the current
// context; the caller keeps the frame's GL state (see SavedGLState).
class Compositor {
public:
    Compositor();
    ~Compositor();

    // True when `root` shows nothing but the GL view's picture as it is, so
    // that the surface can go to the screen without composing.
    static bool showsOnlyGLView(View* root, const View* glView);

    // Composes `root` into a picture of `width` x `height` pixels, `scale`
    // pixels per point; `glView` shows `surface` (either may be null).
    // Null when the picture cannot be made.
    const GLSurface* compose(View* root, const View* glView, const GLSurface* surface, int width,
                             int height, float scale);
    const GLSurface* picture() const { return picture_.get(); }

    // A picture of `view` and its subviews, for transitions.
    Ref<Object> snapshot(View* view, const View* glView, const GLSurface* surface, float scale);

private:
    struct Target;
    struct Mat4 {
        float m[16]; // column-major
        static Mat4 identity();
        static Mat4 fromAffine(const AffineTransform& t);
        Mat4 operator*(const Mat4& o) const;
        // (x, y) after the matrix and the perspective divide.
        Point apply(Point p) const;
    };

    void begin(const Target& target);
    void drawTree(View* view, const Mat4& parent, float alpha);
    void drawContent(View* view, const Mat4& m, float alpha);
    void drawTurn(View* view, const Mat4& m, float alpha);
    // The subtree of `view` as it is now, drawn into `into` (made or reused).
    bool render(View* view, std::unique_ptr<GLSurface>& into);
    void quad(Rect r, const Mat4& m, GLuint texture, bool flipped, ccColor4F color, bool opaque);
    void pushClip(Rect bounds, const Mat4& m);
    void popClip();

    std::unique_ptr<GLSurface> picture_;
    std::unique_ptr<GLSurface> live_; // the second half of an uncached turn
    const View* glView_ = nullptr;
    const GLSurface* glSurface_ = nullptr;
    float scale_ = 1;
    int targetHeight_ = 0;
    struct Clip {
        int x, y, w, h;
    };
    std::vector<Clip> clips_;
    std::vector<uint8_t> pixels_;
};

} // namespace platform
