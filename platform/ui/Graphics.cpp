// View drawing with Cairo, text with Pango on the text renderer's fonts.
#include "platform/ui/Graphics.h"

#include "platform/FontMap.h"
#include "platform/ImageDecoder.h"
#include "support/Log.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <pango/pangocairo.h>

namespace platform {

namespace {

// Longer texts are cut before layout: nobody reads them on a 320-point
// screen, and Pango's time grows with them.
constexpr long kMaxTextChars = 8192;

bool usable(Rect r) {
    return std::isfinite(r.origin.x) && std::isfinite(r.origin.y) && std::isfinite(r.size.width) &&
           std::isfinite(r.size.height) && r.size.width > 0 && r.size.height > 0;
}

void roundedPath(cairo_t* cr, Rect r, float radius) {
    double x = r.origin.x, y = r.origin.y, w = r.size.width, h = r.size.height;
    double rad = std::clamp(double(radius), 0.0, std::min(w, h) / 2);
    cairo_new_sub_path(cr);
    cairo_arc(cr, x + w - rad, y + rad, rad, -M_PI / 2, 0);
    cairo_arc(cr, x + w - rad, y + h - rad, rad, 0, M_PI / 2);
    cairo_arc(cr, x + rad, y + h - rad, rad, M_PI / 2, M_PI);
    cairo_arc(cr, x + rad, y + rad, rad, M_PI, 3 * M_PI / 2);
    cairo_close_path(cr);
}

void ellipsePath(cairo_t* cr, Rect r) {
    cairo_save(cr);
    cairo_translate(cr, r.origin.x + r.size.width / 2, r.origin.y + r.size.height / 2);
    cairo_scale(cr, r.size.width / 2, r.size.height / 2);
    cairo_new_sub_path(cr);
    cairo_arc(cr, 0, 0, 1, 0, 2 * M_PI);
    cairo_restore(cr);
}

// Lays `layout` out `width` points wide (no wrapping when 0), ending with an
// ellipsis where it runs out of the style's lines or of `height`.
void shape(TextLayout& layout, const TextStyle& style, float width, float height) {
    PangoLayout* l = layout.get();
    if (width > 0 && std::isfinite(width)) {
        pango_layout_set_width(l, int(std::min(width, 30000.0f) * PANGO_SCALE));
        pango_layout_set_wrap(l, PANGO_WRAP_WORD_CHAR);
        // Without a limit Pango would cut after the first line.
        bool limited = style.maxLines > 0 || (height > 0 && std::isfinite(height));
        if (limited) pango_layout_set_ellipsize(l, PANGO_ELLIPSIZE_END);
    }
    if (style.maxLines > 0)
        pango_layout_set_height(l, -std::min(style.maxLines, 10000));
    else if (height > 0 && std::isfinite(height))
        pango_layout_set_height(l, int(std::min(height, 30000.0f) * PANGO_SCALE));
    pango_layout_set_alignment(l, style.alignment == TextAlignment::Center  ? PANGO_ALIGN_CENTER
                                  : style.alignment == TextAlignment::Right ? PANGO_ALIGN_RIGHT
                                                                            : PANGO_ALIGN_LEFT);
}

// A layout of `text` in `style`, shaped for the rectangle.
struct StyledLayout : TextLayout {
    StyledLayout(PangoFontMap* map, const std::string& text, const TextStyle& style, float width,
                 float height)
        : TextLayout(map, text, style.font.family,
                     std::isfinite(style.font.size) ? std::clamp(style.font.size, 1.0f, 512.0f)
                                                    : 17,
                     style.font.bold, kMaxTextChars) {
        shape(*this, style, width, height);
    }
};

} // namespace

void GraphicsContext::save() {
    cairo_save(cr_);
}
void GraphicsContext::restore() {
    cairo_restore(cr_);
}
void GraphicsContext::translate(float x, float y) {
    cairo_translate(cr_, x, y);
}

void GraphicsContext::clip(Rect r) {
    cairo_rectangle(cr_, r.origin.x, r.origin.y, std::max(0.0f, r.size.width),
                    std::max(0.0f, r.size.height));
    cairo_clip(cr_);
}

void GraphicsContext::setColor(ccColor4F c) {
    cairo_set_source_rgba(cr_, c.r, c.g, c.b, c.a);
}

void GraphicsContext::fillRect(Rect r) {
    if (!usable(r)) return;
    cairo_rectangle(cr_, r.origin.x, r.origin.y, r.size.width, r.size.height);
    cairo_fill(cr_);
}

void GraphicsContext::fillRoundedRect(Rect r, float radius) {
    if (!usable(r)) return;
    roundedPath(cr_, r, radius);
    cairo_fill(cr_);
}

void GraphicsContext::strokeRoundedRect(Rect r, float radius, float lineWidth) {
    if (!usable(r)) return;
    roundedPath(cr_, r, radius);
    cairo_set_line_width(cr_, lineWidth);
    cairo_stroke(cr_);
}

void GraphicsContext::fillEllipse(Rect r) {
    if (!usable(r)) return;
    ellipsePath(cr_, r);
    cairo_fill(cr_);
}

void GraphicsContext::strokeEllipse(Rect r, float lineWidth) {
    if (!usable(r)) return;
    ellipsePath(cr_, r);
    cairo_set_line_width(cr_, lineWidth);
    cairo_stroke(cr_);
}

void GraphicsContext::strokeLine(Point a, Point b, float lineWidth) {
    cairo_move_to(cr_, a.x, a.y);
    cairo_line_to(cr_, b.x, b.y);
    cairo_set_line_width(cr_, lineWidth);
    cairo_stroke(cr_);
}

void GraphicsContext::fillGradientRoundedRect(Rect r, float radius, ccColor4F top, ccColor4F bottom,
                                              float gloss) {
    if (!usable(r)) return;
    cairo_pattern_t* p = cairo_pattern_create_linear(0, r.origin.y, 0, r.origin.y + r.size.height);
    auto lighter = [gloss](ccColor4F c) {
        return ccColor4F{c.r + (1 - c.r) * gloss, c.g + (1 - c.g) * gloss, c.b + (1 - c.b) * gloss,
                         c.a};
    };
    cairo_pattern_add_color_stop_rgba(p, 0, lighter(top).r, lighter(top).g, lighter(top).b, top.a);
    if (gloss > 0) {
        ccColor4F mid{(top.r + bottom.r) / 2, (top.g + bottom.g) / 2, (top.b + bottom.b) / 2,
                      (top.a + bottom.a) / 2};
        ccColor4F upper = lighter(mid);
        cairo_pattern_add_color_stop_rgba(p, 0.5, upper.r, upper.g, upper.b, upper.a);
        cairo_pattern_add_color_stop_rgba(p, 0.5, mid.r, mid.g, mid.b, mid.a);
    }
    cairo_pattern_add_color_stop_rgba(p, 1, bottom.r, bottom.g, bottom.b, bottom.a);
    cairo_set_source(cr_, p);
    roundedPath(cr_, r, radius);
    cairo_fill(cr_);
    cairo_pattern_destroy(p);
}

void GraphicsContext::fillPolygon(const std::vector<Point>& points) {
    if (points.size() < 3) return;
    cairo_move_to(cr_, points[0].x, points[0].y);
    for (size_t i = 1; i < points.size(); ++i)
        cairo_line_to(cr_, points[i].x, points[i].y);
    cairo_close_path(cr_);
    cairo_fill(cr_);
}

void GraphicsContext::drawImage(const DecodedImage& image, Rect r, float alpha) {
    int w = image.width(), h = image.height();
    const std::vector<uint8_t>& px = image.pixels();
    if (!usable(r) || w <= 0 || h <= 0 || !image.hasColorSpace() ||
        px.size() < size_t(w) * size_t(h) * 4)
        return;
    cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, w, h);
    if (cairo_surface_status(s) != CAIRO_STATUS_SUCCESS) {
        cairo_surface_destroy(s);
        return;
    }
    cairo_surface_flush(s);
    unsigned char* data = cairo_image_surface_get_data(s);
    int stride = cairo_image_surface_get_stride(s);
    bool opaque = image.alpha() == ImageAlpha::None;
    for (int y = 0; y < h; ++y) {
        auto* row = reinterpret_cast<uint32_t*>(data + size_t(y) * size_t(stride));
        const uint8_t* src = px.data() + size_t(y) * size_t(w) * 4;
        for (int x = 0; x < w; ++x) {
            uint32_t a = opaque ? 255 : src[x * 4 + 3];
            row[x] = (a << 24) | (uint32_t(src[x * 4]) << 16) | (uint32_t(src[x * 4 + 1]) << 8) |
                     uint32_t(src[x * 4 + 2]);
        }
    }
    cairo_surface_mark_dirty(s);
    cairo_save(cr_);
    cairo_translate(cr_, r.origin.x, r.origin.y);
    cairo_scale(cr_, double(r.size.width) / w, double(r.size.height) / h);
    cairo_set_source_surface(cr_, s, 0, 0);
    cairo_pattern_set_filter(cairo_get_source(cr_), CAIRO_FILTER_GOOD);
    cairo_paint_with_alpha(cr_, std::clamp(double(alpha), 0.0, 1.0));
    cairo_restore(cr_);
    cairo_surface_destroy(s);
}

Size GraphicsContext::drawText(const std::string& text, Rect r, const TextStyle& style,
                               bool centred) {
    Size taken;
    if (text.empty() || !usable(r)) return taken;
    withFontMap([&](PangoFontMap* map) {
        if (!map) return;
        StyledLayout layout(map, text, style, r.size.width, r.size.height);
        pango_cairo_update_context(cr_, layout.context());
        pango_layout_context_changed(layout.get());
        taken = layout.size();
        float y = r.origin.y;
        if (centred) y += std::max(0.0f, (r.size.height - taken.height) / 2);
        cairo_save(cr_);
        clip(r);
        setColor(style.color);
        cairo_move_to(cr_, r.origin.x, y);
        pango_cairo_show_layout(cr_, layout.get());
        cairo_restore(cr_);
    });
    return taken;
}

Size measureText(const std::string& text, const TextStyle& style, float width) {
    Size size;
    if (text.empty()) return size;
    withFontMap([&](PangoFontMap* map) {
        if (!map) return;
        StyledLayout layout(map, text, style, width, 0);
        size = layout.size();
    });
    return size;
}

// --- Canvas ---

struct Canvas::Impl {
    cairo_surface_t* surface = nullptr;
    cairo_t* cr = nullptr;
    ~Impl() {
        if (cr) cairo_destroy(cr);
        if (surface) cairo_surface_destroy(surface);
    }
};

Canvas::Canvas(int w, int h, float scale) : impl_(std::make_unique<Impl>()) {
    if (w <= 0 || h <= 0 || w > 16384 || h > 16384 || !(scale > 0) || !std::isfinite(scale)) return;
    impl_->surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, w, h);
    if (cairo_surface_status(impl_->surface) != CAIRO_STATUS_SUCCESS) {
        ccLog("View: cannot make a %d x %d canvas", w, h);
        return;
    }
    impl_->cr = cairo_create(impl_->surface);
    cairo_scale(impl_->cr, scale, scale);
    width_ = w;
    height_ = h;
    context_ = std::make_unique<GraphicsContext>(impl_->cr);
}

Canvas::~Canvas() = default;

void Canvas::copyRGBA(std::vector<uint8_t>& out) {
    out.assign(size_t(width_) * size_t(height_) * 4, 0);
    if (!ok()) return;
    cairo_surface_flush(impl_->surface);
    const unsigned char* data = cairo_image_surface_get_data(impl_->surface);
    int stride = cairo_image_surface_get_stride(impl_->surface);
    for (int y = 0; y < height_; ++y) {
        const auto* row = reinterpret_cast<const uint32_t*>(data + size_t(y) * size_t(stride));
        uint8_t* dst = out.data() + size_t(y) * size_t(width_) * 4;
        for (int x = 0; x < width_; ++x) {
            uint32_t p = row[x];
            dst[x * 4 + 0] = uint8_t(p >> 16);
            dst[x * 4 + 1] = uint8_t(p >> 8);
            dst[x * 4 + 2] = uint8_t(p);
            dst[x * 4 + 3] = uint8_t(p >> 24);
        }
    }
}

} // namespace platform
