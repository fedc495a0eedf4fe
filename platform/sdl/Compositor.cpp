#include "platform/sdl/Compositor.h"

#include "platform/Clock.h"
#include "platform/Window.h"
#include "platform/sdl/SdlGL.h"
#include "platform/ui/Animator.h"
#include "platform/ui/Graphics.h"

#include <algorithm>
#include <cmath>

namespace platform {

namespace {

// GL objects of the window's context outlive the frame they were made in;
// they are let go with that context current.
template <class F>
void withWindowContext(F&& release) {
    Window* w = Window::main();
    GLContext* context = w ? w->context() : nullptr;
    if (!context) return; // the context and everything in it are gone
    GLContext* previous = GLContext::current();
    if (previous != context) context->makeCurrent();
    release();
    if (previous && previous != context) previous->makeCurrent();
}

// A view's drawn content, as a texture.
struct Backing : Object {
    GLuint texture = 0;
    int width = 0, height = 0;
    ~Backing() override {
        if (texture) withWindowContext([this] { GLState::deleteTextures(1, &texture); });
    }
};

// A picture of a view tree (transitions).
struct Picture : Object {
    std::unique_ptr<GLSurface> surface;
    ~Picture() override {
        if (surface) withWindowContext([this] { surface.reset(); });
    }
};

constexpr ccColor4F premultiplied(ccColor4F c, float alpha) {
    float a = c.a * alpha;
    return ccColor4F{c.r * a, c.g * a, c.b * a, a};
}

} // namespace

struct Compositor::Target {
    GLuint framebuffer;
    int width, height;
    bool opaque;
};

Compositor::Compositor() = default;
Compositor::~Compositor() = default;

// --- matrices ---

Compositor::Mat4 Compositor::Mat4::identity() {
    return Mat4{{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}};
}

Compositor::Mat4 Compositor::Mat4::fromAffine(const AffineTransform& t) {
    return Mat4{{t.a, t.b, 0, 0, t.c, t.d, 0, 0, 0, 0, 1, 0, t.tx, t.ty, 0, 1}};
}

Compositor::Mat4 Compositor::Mat4::operator*(const Mat4& o) const {
    Mat4 r{};
    for (int c = 0; c < 4; ++c)
        for (int row = 0; row < 4; ++row) {
            float s = 0;
            for (int k = 0; k < 4; ++k)
                s += m[k * 4 + row] * o.m[c * 4 + k];
            r.m[c * 4 + row] = s;
        }
    return r;
}

Point Compositor::Mat4::apply(Point p) const {
    float x = m[0] * p.x + m[4] * p.y + m[12];
    float y = m[1] * p.x + m[5] * p.y + m[13];
    float w = m[3] * p.x + m[7] * p.y + m[15];
    if (std::fabs(w) < 1e-6f) w = 1e-6f;
    return Point(x / w, y / w);
}

namespace {

// A turn of a `size` view by `angle` about its vertical centre line, seen
// in perspective: the edge that comes forward grows, the other shrinks.
// Depth is folded into w, so nothing is clipped by the flat projection.
void turnMatrix(Size size, float angle, float out[16]) {
    float cx = size.width / 2, cy = size.height / 2;
    float d = std::max(1.0f, size.width * 2); // eye distance
    float s = std::sin(angle) / d, co = std::cos(angle);
    const float m[16] = {
        co + cx * s,  cy * s, 0,         s, 0, 1, 0, 0, 0, 0, 0, 0, cx - cx * cx * s - cx * co,
        -cy * cx * s, 0,      1 - cx * s};
    std::copy(m, m + 16, out);
}

} // namespace

// --- composing ---

bool Compositor::showsOnlyGLView(View* root, const View* glView) {
    if (Animator::shared().running()) return false;
    if (root->backgroundColor().a > 0 || root->drawsContent()) return false;
    for (auto& sub : root->subviews()) {
        const View* v = sub.get();
        if (v->hidden() || v->presentationAlpha() <= 0) continue;
        if (v != glView) return false;
        if (v->presentationAlpha() < 1 || !(v->presentationTransform() == AffineTransform()) ||
            v->backgroundColor().a > 0 || v->drawsContent())
            return false;
        for (auto& inner : v->subviews())
            if (!inner->hidden()) return false;
    }
    return true;
}

void Compositor::begin(const Target& t) {
    bindFramebuffer(t.framebuffer);
    glViewport(0, 0, t.width, t.height);
    glDisable(GL_SCISSOR_TEST);
    if (t.opaque)
        glClearColor(0, 0, 0, 1);
    else
        glClearColor(0, 0, 0, 0);
    glClear(GL_COLOR_BUFFER_BIT);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    // Points, origin top-left: the views' own coordinates.
    glOrthof(0, float(t.width) / scale_, float(t.height) / scale_, 0, -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    targetHeight_ = t.height;
    clips_.clear();
}

const GLSurface* Compositor::compose(View* root, const View* glView, const GLSurface* surface,
                                     int width, int height, float scale) {
    if (width <= 0 || height <= 0 || !(scale > 0)) return nullptr;
    if (!picture_ || picture_->width() != width || picture_->height() != height) {
        picture_ = GLSurface::create(width, height, ColorFormat::RGBA8, DepthFormat::None);
        if (!picture_) return nullptr;
    }
    glView_ = glView;
    glSurface_ = surface;
    scale_ = scale;
    Animator::shared().advance(clock().monotonic());
    begin(Target{picture_->framebuffer(), width, height, true});
    drawTree(root, Mat4::identity(), 1);
    glDisable(GL_SCISSOR_TEST);
    return picture_.get();
}

Ref<Object> Compositor::snapshot(View* view, const View* glView, const GLSurface* surface,
                                 float scale) {
    if (!view || !(scale > 0)) return nullptr;
    glView_ = glView;
    glSurface_ = surface;
    scale_ = scale;
    auto picture = make<Picture>();
    GLuint previous = boundFramebuffer();
    if (!render(view, picture->surface)) picture = nullptr;
    bindFramebuffer(previous);
    return picture;
}

bool Compositor::render(View* view, std::unique_ptr<GLSurface>& into) {
    Size size = view->presentationFrame().size;
    int w = int(std::ceil(size.width * scale_)), h = int(std::ceil(size.height * scale_));
    if (w <= 0 || h <= 0) return false;
    if (!into || into->width() != w || into->height() != h) {
        into = GLSurface::create(w, h, ColorFormat::RGBA8, DepthFormat::None);
        if (!into) return false;
    }
    // Drawn into its own picture, then back to the one under way.
    GLuint previous = boundFramebuffer();
    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    std::vector<Clip> clips = std::move(clips_);
    int height = targetHeight_;

    begin(Target{into->framebuffer(), w, h, false});
    drawContent(view, Mat4::identity(), 1);
    for (auto& sub : view->subviews())
        drawTree(sub.get(), Mat4::fromAffine(sub->transformToSuperview(true)), 1);

    bindFramebuffer(previous);
    glViewport(viewport[0], viewport[1], viewport[2], viewport[3]);
    targetHeight_ = height;
    clips_ = std::move(clips);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrthof(0, float(viewport[2]) / scale_, float(viewport[3]) / scale_, 0, -1, 1);
    glMatrixMode(GL_MODELVIEW);
    if (clips_.empty()) {
        glDisable(GL_SCISSOR_TEST);
    } else {
        glEnable(GL_SCISSOR_TEST);
        glScissor(clips_.back().x, clips_.back().y, clips_.back().w, clips_.back().h);
    }
    return true;
}

void Compositor::drawTree(View* view, const Mat4& m, float alpha) {
    if (view->hidden()) return;
    float a = alpha * view->presentationAlpha();
    if (a < 0.004f) return;
    if (Animator::shared().turnFor(view)) {
        drawTurn(view, m, a);
        return;
    }
    drawContent(view, m, a);
    bool clip = view->clipsToBounds();
    if (clip) pushClip(Rect(Point(), view->presentationFrame().size), m);
    for (auto& sub : view->subviews())
        drawTree(sub.get(), m * Mat4::fromAffine(sub->transformToSuperview(true)), a);
    if (clip) popClip();
}

void Compositor::drawContent(View* view, const Mat4& m, float a) {
    Rect shown(Point(), view->presentationFrame().size);
    ccColor4F bg = view->backgroundColor();
    if (bg.a > 0) quad(shown, m, 0, false, premultiplied(bg, a), false);

    if (view == glView_ && glSurface_) {
        bool crisp = std::fabs(scale_ - std::round(scale_)) < 1e-4f;
        glBindTexture(GL_TEXTURE_2D, glSurface_->colorBuffer());
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, crisp ? GL_NEAREST : GL_LINEAR);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, crisp ? GL_NEAREST : GL_LINEAR);
        Rect r(0, 0, float(glSurface_->width()), float(glSurface_->height()));
        quad(r, m, glSurface_->colorBuffer(), true, ccColor4F{a, a, a, a}, true);
    }

    if (!view->drawsContent()) return;
    Size size = view->bounds().size;
    static GLint maxTexture = 0;
    if (!maxTexture) glGetIntegerv(GL_MAX_TEXTURE_SIZE, &maxTexture);
    float k = scale_;
    float longest = std::max(size.width, size.height);
    if (longest * k > float(maxTexture)) k = float(maxTexture) / longest;
    int w = int(std::ceil(size.width * k)), h = int(std::ceil(size.height * k));
    if (w <= 0 || h <= 0) return;

    auto* backing = dynamic_cast<Backing*>(view->backing());
    if (!backing) {
        view->setBacking(make<Backing>());
        backing = static_cast<Backing*>(view->backing());
    }
    if (!backing->texture || view->needsDisplay() || backing->width != w || backing->height != h) {
        Canvas canvas(w, h, k);
        if (!canvas.ok()) return;
        view->draw(canvas.context());
        canvas.copyRGBA(pixels_);
        if (!backing->texture) {
            glGenTextures(1, &backing->texture);
            glBindTexture(GL_TEXTURE_2D, backing->texture);
            glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
            glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
            glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
            glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
        }
        glBindTexture(GL_TEXTURE_2D, backing->texture);
        glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
        if (backing->width == w && backing->height == h)
            glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, w, h, GL_RGBA, GL_UNSIGNED_BYTE,
                            pixels_.data());
        else
            glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, w, h, 0, GL_RGBA, GL_UNSIGNED_BYTE,
                         pixels_.data());
        backing->width = w;
        backing->height = h;
        view->clearNeedsDisplay();
    }
    quad(shown, m, backing->texture, false, ccColor4F{a, a, a, a}, false);
}

void Compositor::drawTurn(View* view, const Mat4& m, float a) {
    Animator& animator = Animator::shared();
    const Animator::Turn* turn = animator.turnFor(view);
    float p = turn->progress;
    bool second = p >= 0.5f;
    const GLSurface* picture = nullptr;
    if (!second) {
        if (auto* old = dynamic_cast<Picture*>(turn->oldPicture)) picture = old->surface.get();
    } else if (turn->cache) {
        if (!turn->newPicture) {
            auto taken = make<Picture>();
            if (render(view, taken->surface)) animator.setNewPicture(view, taken);
            turn = animator.turnFor(view);
        }
        if (auto* now = dynamic_cast<Picture*>(turn->newPicture)) picture = now->surface.get();
    }
    if (!picture && render(view, live_)) picture = live_.get();
    if (!picture) return;

    float angle = float(M_PI) * (second ? p - 1 : p);
    if (turn->kind == ViewAnimationTransition::FlipFromRight) angle = -angle;
    Size size = view->presentationFrame().size;
    Mat4 turned;
    turnMatrix(size, angle, turned.m);
    quad(Rect(Point(), size), m * turned, picture->colorBuffer(), true, ccColor4F{a, a, a, a},
         false);
}

void Compositor::quad(Rect r, const Mat4& m, GLuint texture, bool flipped, ccColor4F color,
                      bool opaque) {
    glLoadMatrixf(m.m);
    float x0 = r.origin.x, y0 = r.origin.y, x1 = x0 + r.size.width, y1 = y0 + r.size.height;
    const GLfloat vertices[] = {x0, y0, x1, y0, x0, y1, x1, y1};
    // Pictures drawn by GL have their top row last.
    const GLfloat down[] = {0, 0, 1, 0, 0, 1, 1, 1};
    const GLfloat up[] = {0, 1, 1, 1, 0, 0, 1, 0};
    glEnable(GL_BLEND);
    glBlendFunc(GL_ONE, GL_ONE_MINUS_SRC_ALPHA);
    glEnableClientState(GL_VERTEX_ARRAY);
    glVertexPointer(2, GL_FLOAT, 0, vertices);
    if (texture) {
        glEnable(GL_TEXTURE_2D);
        glBindTexture(GL_TEXTURE_2D, texture);
        if (opaque) {
            // The colour from the picture, the alpha from the view alone.
            glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_COMBINE);
            glTexEnvi(GL_TEXTURE_ENV, GL_COMBINE_RGB, GL_MODULATE);
            glTexEnvi(GL_TEXTURE_ENV, GL_SRC0_RGB, GL_TEXTURE);
            glTexEnvi(GL_TEXTURE_ENV, GL_SRC1_RGB, GL_PRIMARY_COLOR);
            glTexEnvi(GL_TEXTURE_ENV, GL_COMBINE_ALPHA, GL_REPLACE);
            glTexEnvi(GL_TEXTURE_ENV, GL_SRC0_ALPHA, GL_PRIMARY_COLOR);
        } else {
            glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
        }
        glEnableClientState(GL_TEXTURE_COORD_ARRAY);
        glTexCoordPointer(2, GL_FLOAT, 0, flipped ? up : down);
    } else {
        glDisable(GL_TEXTURE_2D);
    }
    glColor4f(color.r, color.g, color.b, color.a);
    glDrawArrays(GL_TRIANGLE_STRIP, 0, 4);
    glDisableClientState(GL_VERTEX_ARRAY);
    glDisableClientState(GL_TEXTURE_COORD_ARRAY);
}

void Compositor::pushClip(Rect bounds, const Mat4& m) {
    Point c[4] = {
        m.apply(bounds.origin),
        m.apply(Point(bounds.origin.x + bounds.size.width, bounds.origin.y)),
        m.apply(Point(bounds.origin.x, bounds.origin.y + bounds.size.height)),
        m.apply(Point(bounds.origin.x + bounds.size.width, bounds.origin.y + bounds.size.height))};
    float minX = c[0].x, maxX = c[0].x, minY = c[0].y, maxY = c[0].y;
    for (const Point& p : c) {
        minX = std::min(minX, p.x);
        maxX = std::max(maxX, p.x);
        minY = std::min(minY, p.y);
        maxY = std::max(maxY, p.y);
    }
    int x0 = int(std::floor(minX * scale_)), x1 = int(std::ceil(maxX * scale_));
    // GL counts rows from the bottom.
    int y0 = targetHeight_ - int(std::ceil(maxY * scale_));
    int y1 = targetHeight_ - int(std::floor(minY * scale_));
    if (!clips_.empty()) {
        const Clip& o = clips_.back();
        x0 = std::max(x0, o.x);
        y0 = std::max(y0, o.y);
        x1 = std::min(x1, o.x + o.w);
        y1 = std::min(y1, o.y + o.h);
    }
    Clip clip{x0, y0, std::max(0, x1 - x0), std::max(0, y1 - y0)};
    clips_.push_back(clip);
    glEnable(GL_SCISSOR_TEST);
    glScissor(clip.x, clip.y, clip.w, clip.h);
}

void Compositor::popClip() {
    clips_.pop_back();
    if (clips_.empty()) {
        glDisable(GL_SCISSOR_TEST);
        return;
    }
    const Clip& c = clips_.back();
    glScissor(c.x, c.y, c.w, c.h);
}

} // namespace platform
