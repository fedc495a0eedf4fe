#pragma once

#include "platform/ImageDecoder.h"
#include "support/Geometry.h"

#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>

struct _cairo;

namespace platform {

// An HTML page laid out with its CSS and drawn with Cairo and Pango (the
// engine is litehtml). Pages run no scripts, load no style sheets from
// elsewhere and fetch nothing themselves: pictures they name are asked for
// (wantedImages) and handed in when they arrive. CSS pixels are points.
// Main thread only.
class HtmlDocument {
public:
    // `baseURL` resolves the page's relative links and pictures; empty
    // leaves them unresolved. Pages nested deeper than kMaxNesting or longer
    // than kMaxBytes are shown as a one-line notice instead.
    HtmlDocument(const std::string& html, const std::string& baseURL);
    ~HtmlDocument();
    HtmlDocument(const HtmlDocument&) = delete;
    HtmlDocument& operator=(const HtmlDocument&) = delete;

    // Lays the page out `width` points wide (and `height` high for media
    // queries). Returns the width the page needs (at least `width`).
    float layout(float width, float height);
    // The laid-out page's size.
    Size contentSize() const;
    // Draws the page with its top-left corner at the context's origin,
    // drawing only what meets `clip` (page coordinates).
    void draw(_cairo* cr, Rect clip);
    // The absolute URL of the link at `point` (page coordinates), or empty.
    std::string linkAt(Point point);

    const std::string& title() const;
    const std::string& baseURL() const;

    // Absolute URLs of the pictures the page names that have not been
    // handed in yet.
    std::set<std::string> wantedImages() const;
    // A picture arrived (null: it could not be had). The page must be laid
    // out again.
    void setImage(const std::string& url, Ref<DecodedImage> image);

    static constexpr size_t kMaxBytes = size_t(512) << 10;
    static constexpr int kMaxNesting = 200;

    struct Impl;

private:
    std::unique_ptr<Impl> impl_;
};

// Whether `html` nests elements deeper than `limit` (an estimate that
// counts what the parser would close by itself as closed).
bool htmlNestsDeeperThan(const std::string& html, int limit);

} // namespace platform
