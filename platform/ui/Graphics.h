#pragma once

#include "platform/TextRenderer.h"
#include "support/Geometry.h"
#include "support/Ref.h"
#include "support/Types.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

struct _cairo;

namespace platform {

class DecodedImage;

// A face and size for view text. Families go through the same font
// configuration as the engine's labels ("Helvetica", "Marker Felt", ...).
struct Font {
    std::string family = "Sans";
    float size = 17;
    bool bold = false;

    static Font systemFont(float size) { return Font{"Sans", size, false}; }
    static Font boldSystemFont(float size) { return Font{"Sans", size, true}; }
    bool operator==(const Font&) const = default;
};

// How text that does not fit is cut: at the end of its last line, with an
// ellipsis.
struct TextStyle {
    Font font;
    ccColor4F color{0, 0, 0, 1};
    TextAlignment alignment = TextAlignment::Left;
    int maxLines = 0; // 0: as many as fit in the rectangle
};

constexpr ccColor4F rgba(float r, float g, float b, float a = 1) {
    return ccColor4F{r, g, b, a};
}

// Drawing for views, in points, on a canvas at the window's pixel scale.
class GraphicsContext {
public:
    explicit GraphicsContext(_cairo* cr) : cr_(cr) {}

    void save();
    void restore();
    void translate(float x, float y);
    void clip(Rect r);
    void setColor(ccColor4F color);

    void fillRect(Rect r);
    void fillRoundedRect(Rect r, float radius);
    void strokeRoundedRect(Rect r, float radius, float lineWidth);
    void fillEllipse(Rect r);
    void strokeEllipse(Rect r, float lineWidth);
    void strokeLine(Point a, Point b, float lineWidth);
    // A rounded rectangle filled from `top` to `bottom` (a gloss when
    // `gloss` > 0: the upper half lighter by that much).
    void fillGradientRoundedRect(Rect r, float radius, ccColor4F top, ccColor4F bottom,
                                 float gloss = 0);
    // A filled polygon through `points`.
    void fillPolygon(const std::vector<Point>& points);
    // `image` scaled into `r` (alpha multiplies it).
    void drawImage(const DecodedImage& image, Rect r, float alpha = 1);

    // Lays `text` out in `r`: wrapped at words, cut with an ellipsis where
    // it runs out of lines or height, vertically centred when `centred`.
    // Returns the size it took.
    Size drawText(const std::string& text, Rect r, const TextStyle& style, bool centred = false);

    _cairo* cairo() const { return cr_; }

private:
    _cairo* cr_;
};

// The size `text` takes when wrapped at `width` (no limit when 0) with the
// style's line limit.
Size measureText(const std::string& text, const TextStyle& style, float width);

// An RGBA pixel buffer (premultiplied, rows from the top) that views draw
// into through a GraphicsContext scaled to points.
class Canvas {
public:
    Canvas(int pixelWidth, int pixelHeight, float scale);
    ~Canvas();
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;

    bool ok() const { return context_ != nullptr; }
    int width() const { return width_; }
    int height() const { return height_; }
    GraphicsContext& context() { return *context_; }
    // The pixels as premultiplied RGBA.
    void copyRGBA(std::vector<uint8_t>& out);

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
    std::unique_ptr<GraphicsContext> context_;
    int width_ = 0, height_ = 0;
};

} // namespace platform
