// HTML pages through litehtml, drawn by a Cairo/Pango document container.
#include "platform/HtmlDocument.h"

#include "platform/FontMap.h"
#include "platform/Http.h"

#include <litehtml/litehtml.h>
#include <pango/pangocairo.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <vector>

namespace platform {

namespace {

// The look of elements before a page's own CSS: what browsers agree on.
constexpr const char* kUserAgentCss = R"CSS(
html, address, blockquote, body, center, dd, div, dl, dt, fieldset, figure, figcaption,
footer, form, h1, h2, h3, h4, h5, h6, header, hr, main, nav, ol, p, pre, section, article,
aside, ul, menu, dir, details, summary, legend { display: block; }
head, style, script, title, meta, link, base, noscript, template, iframe, object, embed,
audio, video, canvas, input, button, select, textarea, area, map, param { display: none; }
html { color: black; }
body { margin: 8px; line-height: normal; }
p, blockquote, dl, pre, figure { margin-top: 1em; margin-bottom: 1em; }
blockquote, figure { margin-left: 40px; margin-right: 40px; }
h1 { font-size: 2em; margin-top: .67em; margin-bottom: .67em; font-weight: bold; }
h2 { font-size: 1.5em; margin-top: .83em; margin-bottom: .83em; font-weight: bold; }
h3 { font-size: 1.17em; margin-top: 1em; margin-bottom: 1em; font-weight: bold; }
h4 { margin-top: 1.33em; margin-bottom: 1.33em; font-weight: bold; }
h5 { font-size: .83em; margin-top: 1.67em; margin-bottom: 1.67em; font-weight: bold; }
h6 { font-size: .67em; margin-top: 2.33em; margin-bottom: 2.33em; font-weight: bold; }
ul, ol, menu, dir { margin-top: 1em; margin-bottom: 1em; padding-left: 40px; }
ul, menu, dir { list-style-type: disc; }
ol { list-style-type: decimal; }
ul ul, ol ul { list-style-type: circle; }
ul ol, ul ul, ol ol, ol ul { margin-top: 0; margin-bottom: 0; }
li { display: list-item; }
dd { margin-left: 40px; }
b, strong, th { font-weight: bold; }
i, em, cite, var, dfn, address { font-style: italic; }
u, ins { text-decoration: underline; }
s, strike, del { text-decoration: line-through; }
small { font-size: smaller; }
big { font-size: larger; }
sub { vertical-align: sub; font-size: smaller; }
sup { vertical-align: super; font-size: smaller; }
pre, code, kbd, samp, tt { font-family: monospace; }
pre { white-space: pre; }
center { text-align: center; }
a { color: #0000ee; text-decoration: underline; cursor: pointer; }
hr { border-style: inset; border-width: 1px; border-color: gray; margin-top: .5em;
     margin-bottom: .5em; }
img { display: inline-block; }
table { display: table; border-spacing: 2px; border-collapse: separate; text-indent: 0; }
caption { display: table-caption; text-align: center; }
thead { display: table-header-group; vertical-align: middle; }
tbody { display: table-row-group; vertical-align: middle; }
tfoot { display: table-footer-group; vertical-align: middle; }
colgroup { display: table-column-group; }
col { display: table-column; }
tr { display: table-row; vertical-align: inherit; }
td, th { display: table-cell; vertical-align: inherit; padding: 1px; }
th { text-align: center; }
)CSS";

litehtml::context& sharedContext() {
    static litehtml::context* context = [] {
        auto* c = new litehtml::context();
        c->load_master_stylesheet(kUserAgentCss);
        return c;
    }();
    return *context;
}

void setSource(cairo_t* cr, const litehtml::web_color& c) {
    cairo_set_source_rgba(cr, c.red / 255.0, c.green / 255.0, c.blue / 255.0, c.alpha / 255.0);
}

void roundedRect(cairo_t* cr, const litehtml::position& p, const litehtml::border_radiuses& r) {
    double x = p.x, y = p.y, w = p.width, h = p.height;
    auto rad = [&](int v) { return std::clamp(double(v), 0.0, std::min(w, h) / 2); };
    double tl = rad(r.top_left_x), tr = rad(r.top_right_x), br = rad(r.bottom_right_x),
           bl = rad(r.bottom_left_x);
    cairo_new_sub_path(cr);
    cairo_move_to(cr, x + tl, y);
    cairo_line_to(cr, x + w - tr, y);
    if (tr > 0) cairo_arc(cr, x + w - tr, y + tr, tr, -M_PI / 2, 0);
    cairo_line_to(cr, x + w, y + h - br);
    if (br > 0) cairo_arc(cr, x + w - br, y + h - br, br, 0, M_PI / 2);
    cairo_line_to(cr, x + bl, y + h);
    if (bl > 0) cairo_arc(cr, x + bl, y + h - bl, bl, M_PI / 2, M_PI);
    cairo_line_to(cr, x, y + tl);
    if (tl > 0) cairo_arc(cr, x + tl, y + tl, tl, M_PI, 3 * M_PI / 2);
    cairo_close_path(cr);
}

cairo_surface_t* surfaceFor(const DecodedImage& image) {
    int w = image.width(), h = image.height();
    if (w <= 0 || h <= 0 || !image.hasColorSpace() ||
        image.pixels().size() < size_t(w) * size_t(h) * 4)
        return nullptr;
    cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, w, h);
    if (cairo_surface_status(s) != CAIRO_STATUS_SUCCESS) {
        cairo_surface_destroy(s);
        return nullptr;
    }
    cairo_surface_flush(s);
    unsigned char* data = cairo_image_surface_get_data(s);
    int stride = cairo_image_surface_get_stride(s);
    bool opaque = image.alpha() == ImageAlpha::None;
    bool straight = image.alpha() == ImageAlpha::Straight;
    for (int y = 0; y < h; ++y) {
        auto* row = reinterpret_cast<uint32_t*>(data + size_t(y) * size_t(stride));
        const uint8_t* src = image.pixels().data() + size_t(y) * size_t(w) * 4;
        for (int x = 0; x < w; ++x, src += 4) {
            uint32_t a = opaque ? 255 : src[3];
            auto ch = [&](uint8_t c) { return straight ? (uint32_t(c) * a + 127) / 255 : c; };
            row[x] = (a << 24) | (ch(src[0]) << 16) | (ch(src[1]) << 8) | ch(src[2]);
        }
    }
    cairo_surface_mark_dirty(s);
    return s;
}

struct FontFace {
    PangoFontDescription* description = nullptr;
    unsigned decoration = 0;
    int ascent = 0;
};

} // namespace

struct HtmlDocument::Impl final : public litehtml::document_container {
    std::string base;
    std::string title;
    float viewWidth = 320, viewHeight = 480;
    litehtml::document::ptr document;
    std::vector<std::unique_ptr<FontFace>> fonts;
    PangoContext* pango = nullptr;
    std::map<std::string, Ref<DecodedImage>> images; // null: could not be had
    std::set<std::string> wanted;
    std::vector<litehtml::position> clips;
    std::string clicked;

    Impl() {
        withFontMap([this](PangoFontMap* map) {
            if (!map) return;
            pango = pango_font_map_create_context(map);
            cairo_font_options_t* options = cairo_font_options_create();
            cairo_font_options_set_antialias(options, CAIRO_ANTIALIAS_GRAY);
            cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_OFF);
            pango_cairo_context_set_font_options(pango, options);
            cairo_font_options_destroy(options);
        });
    }
    ~Impl() {
        document.reset();
        for (auto& f : fonts)
            if (f && f->description) pango_font_description_free(f->description);
        if (pango) withFontMap([this](PangoFontMap*) { g_object_unref(pango); });
    }

    FontFace* font(litehtml::uint_ptr handle) {
        return handle > 0 && handle <= fonts.size() ? fonts[handle - 1].get() : nullptr;
    }

    // Runs `use` with a layout of `text` in `face`, under the font map's lock.
    template <class F>
    void withLayout(const char* text, FontFace* face, cairo_t* cr, F use) {
        if (!pango || !face || !text) return;
        withFontMap([&](PangoFontMap*) {
            if (cr) pango_cairo_update_context(cr, pango);
            PangoLayout* layout = pango_layout_new(pango);
            pango_layout_set_font_description(layout, face->description);
            pango_layout_set_text(layout, text, -1);
            use(layout);
            g_object_unref(layout);
        });
    }

    std::string resolve(const char* src, const char* baseurl) {
        if (!src || !*src) return {};
        std::string b = baseurl && *baseurl ? resolveURL(base, baseurl) : base;
        std::string url = resolveURL(b, src);
        return url.empty() && urlScheme(src).empty() ? std::string() : url;
    }

    void clipped(cairo_t* cr) {
        for (const auto& c : clips) {
            cairo_rectangle(cr, c.x, c.y, c.width, c.height);
            cairo_clip(cr);
        }
    }

    // --- litehtml::document_container ---

    litehtml::uint_ptr create_font(const char* faceName, int size, int weight,
                                   litehtml::font_style italic, unsigned int decoration,
                                   litehtml::font_metrics* fm) override {
        auto face = std::make_unique<FontFace>();
        std::string family = faceName ? faceName : "Sans";
        std::erase_if(family, [](char c) { return c == '"' || c == '\''; });
        face->description = pango_font_description_new();
        pango_font_description_set_family(face->description, family.c_str());
        pango_font_description_set_absolute_size(face->description,
                                                 std::clamp(size, 1, 400) * double(PANGO_SCALE));
        pango_font_description_set_weight(face->description,
                                          PangoWeight(std::clamp(weight, 100, 1000)));
        pango_font_description_set_style(face->description, italic == litehtml::fontStyleItalic
                                                                ? PANGO_STYLE_ITALIC
                                                                : PANGO_STYLE_NORMAL);
        face->decoration = decoration;
        if (fm && pango) {
            withFontMap([&](PangoFontMap*) {
                PangoFontMetrics* m = pango_context_get_metrics(pango, face->description, nullptr);
                fm->ascent = int(std::lround(pango_font_metrics_get_ascent(m) / double(PANGO_SCALE)));
                fm->descent =
                    int(std::lround(pango_font_metrics_get_descent(m) / double(PANGO_SCALE)));
                fm->height = fm->ascent + fm->descent;
                fm->x_height = std::max(1, fm->ascent / 2);
                fm->draw_spaces = decoration != 0;
                pango_font_metrics_unref(m);
            });
            face->ascent = fm->ascent;
        }
        fonts.push_back(std::move(face));
        return fonts.size();
    }

    void delete_font(litehtml::uint_ptr handle) override {
        if (FontFace* f = font(handle)) {
            pango_font_description_free(f->description);
            fonts[handle - 1].reset();
        }
    }

    int text_width(const char* text, litehtml::uint_ptr handle) override {
        int width = 0;
        withLayout(text, font(handle), nullptr, [&](PangoLayout* layout) {
            PangoRectangle logical{};
            pango_layout_get_extents(layout, nullptr, &logical);
            width = int(std::ceil(logical.width / double(PANGO_SCALE)));
        });
        return width;
    }

    void draw_text(litehtml::uint_ptr hdc, const char* text, litehtml::uint_ptr handle,
                   litehtml::web_color color, const litehtml::position& pos) override {
        auto* cr = reinterpret_cast<cairo_t*>(hdc);
        FontFace* face = font(handle);
        cairo_save(cr);
        clipped(cr);
        setSource(cr, color);
        withLayout(text, face, cr, [&](PangoLayout* layout) {
            int baseline = pango_layout_get_baseline(layout) / PANGO_SCALE;
            double y = pos.y + face->ascent - baseline;
            cairo_move_to(cr, pos.x, y);
            pango_cairo_show_layout(cr, layout);
            double under = pos.y + face->ascent + 1.5;
            auto line = [&](double at) {
                cairo_move_to(cr, pos.x, at);
                cairo_line_to(cr, pos.x + pos.width, at);
                cairo_set_line_width(cr, 1);
                cairo_stroke(cr);
            };
            if (face->decoration & litehtml::font_decoration_underline) line(under);
            if (face->decoration & litehtml::font_decoration_linethrough)
                line(pos.y + face->ascent * 0.65);
            if (face->decoration & litehtml::font_decoration_overline) line(pos.y + 0.5);
        });
        cairo_restore(cr);
    }

    int pt_to_px(int pt) const override { return int(std::lround(pt * 96.0 / 72.0)); }
    int get_default_font_size() const override { return 16; }
    const char* get_default_font_name() const override { return "Sans"; }

    void draw_list_marker(litehtml::uint_ptr hdc, const litehtml::list_marker& marker) override {
        auto* cr = reinterpret_cast<cairo_t*>(hdc);
        cairo_save(cr);
        clipped(cr);
        setSource(cr, marker.color);
        const litehtml::position& p = marker.pos;
        double cx = p.x + p.width / 2.0, cy = p.y + p.height / 2.0;
        double r = std::max(1.0, std::min(p.width, p.height) / 2.0);
        if (marker.marker_type == litehtml::list_style_type_square) {
            cairo_rectangle(cr, p.x, p.y, p.width, p.height);
            cairo_fill(cr);
        } else if (marker.marker_type == litehtml::list_style_type_circle) {
            cairo_arc(cr, cx, cy, r - 0.5, 0, 2 * M_PI);
            cairo_set_line_width(cr, 1);
            cairo_stroke(cr);
        } else if (marker.marker_type != litehtml::list_style_type_none) {
            cairo_arc(cr, cx, cy, r, 0, 2 * M_PI);
            cairo_fill(cr);
        }
        cairo_restore(cr);
    }

    void load_image(const char* src, const char* baseurl, bool) override {
        std::string url = resolve(src, baseurl);
        std::string scheme = urlScheme(url);
        if ((scheme == "http" || scheme == "https") && !images.count(url)) wanted.insert(url);
    }

    void get_image_size(const char* src, const char* baseurl, litehtml::size& sz) override {
        auto it = images.find(resolve(src, baseurl));
        if (it == images.end() || !it->second) return;
        sz.width = it->second->width();
        sz.height = it->second->height();
    }

    void draw_background(litehtml::uint_ptr hdc, const litehtml::background_paint& bg) override {
        auto* cr = reinterpret_cast<cairo_t*>(hdc);
        cairo_save(cr);
        clipped(cr);
        roundedRect(cr, bg.border_box, bg.border_radius);
        cairo_clip(cr);
        cairo_rectangle(cr, bg.clip_box.x, bg.clip_box.y, bg.clip_box.width, bg.clip_box.height);
        cairo_clip(cr);
        if (bg.color.alpha > 0) {
            setSource(cr, bg.color);
            cairo_paint(cr);
        }
        auto it = images.find(resolve(bg.image.c_str(), bg.baseurl.c_str()));
        if (!bg.image.empty() && it != images.end() && it->second) drawImage(cr, bg, *it->second);
        cairo_restore(cr);
    }

    void drawImage(cairo_t* cr, const litehtml::background_paint& bg, const DecodedImage& image) {
        cairo_surface_t* s = surfaceFor(image);
        if (!s) return;
        double w = bg.image_size.width > 0 ? bg.image_size.width : image.width();
        double h = bg.image_size.height > 0 ? bg.image_size.height : image.height();
        double x = bg.position_x, y = bg.position_y;
        cairo_pattern_t* pattern = cairo_pattern_create_for_surface(s);
        cairo_matrix_t m;
        cairo_matrix_init_scale(&m, image.width() / w, image.height() / h);
        cairo_matrix_translate(&m, -x, -y);
        cairo_pattern_set_matrix(pattern, &m);
        cairo_pattern_set_filter(pattern, CAIRO_FILTER_GOOD);
        const litehtml::position& c = bg.clip_box;
        switch (bg.repeat) {
        case litehtml::background_repeat_no_repeat:
            cairo_rectangle(cr, x, y, w, h);
            break;
        case litehtml::background_repeat_repeat_x:
            cairo_pattern_set_extend(pattern, CAIRO_EXTEND_REPEAT);
            cairo_rectangle(cr, c.x, y, c.width, h);
            break;
        case litehtml::background_repeat_repeat_y:
            cairo_pattern_set_extend(pattern, CAIRO_EXTEND_REPEAT);
            cairo_rectangle(cr, x, c.y, w, c.height);
            break;
        default:
            cairo_pattern_set_extend(pattern, CAIRO_EXTEND_REPEAT);
            cairo_rectangle(cr, c.x, c.y, c.width, c.height);
            break;
        }
        cairo_set_source(cr, pattern);
        cairo_fill(cr);
        cairo_pattern_destroy(pattern);
        cairo_surface_destroy(s);
    }

    void draw_borders(litehtml::uint_ptr hdc, const litehtml::borders& borders,
                      const litehtml::position& p, bool) override {
        auto* cr = reinterpret_cast<cairo_t*>(hdc);
        cairo_save(cr);
        clipped(cr);
        auto side = [&](const litehtml::border& b, double x, double y, double w, double h) {
            if (b.width <= 0 || b.style == litehtml::border_style_none ||
                b.style == litehtml::border_style_hidden)
                return;
            setSource(cr, b.color);
            cairo_rectangle(cr, x, y, w, h);
            cairo_fill(cr);
        };
        side(borders.top, p.x, p.y, p.width, borders.top.width);
        side(borders.bottom, p.x, p.bottom() - borders.bottom.width, p.width,
             borders.bottom.width);
        side(borders.left, p.x, p.y, borders.left.width, p.height);
        side(borders.right, p.right() - borders.right.width, p.y, borders.right.width, p.height);
        cairo_restore(cr);
    }

    void set_caption(const char* caption) override { title = caption ? caption : ""; }

    void set_base_url(const char* url) override {
        std::string resolved = url ? resolveURL(base, url) : std::string();
        std::string scheme = urlScheme(resolved);
        if (scheme == "http" || scheme == "https") base = resolved;
    }

    void link(const std::shared_ptr<litehtml::document>&, const litehtml::element::ptr&) override {}

    void on_anchor_click(const char* url, const litehtml::element::ptr&) override {
        clicked = url ? resolve(url, nullptr) : std::string();
    }

    void set_cursor(const char*) override {}

    void transform_text(litehtml::tstring& text, litehtml::text_transform tt) override {
        if (text.empty()) return;
        gchar* out = nullptr;
        if (tt == litehtml::text_transform_uppercase)
            out = g_utf8_strup(text.c_str(), gssize(text.size()));
        else if (tt == litehtml::text_transform_lowercase)
            out = g_utf8_strdown(text.c_str(), gssize(text.size()));
        else if (tt == litehtml::text_transform_capitalize && std::islower((unsigned char)text[0]))
            text[0] = char(std::toupper((unsigned char)text[0]));
        if (out) {
            text = out;
            g_free(out);
        }
    }

    // Style sheets from elsewhere are not fetched.
    void import_css(litehtml::tstring&, const litehtml::tstring&, litehtml::tstring&) override {}

    void set_clip(const litehtml::position& pos, const litehtml::border_radiuses&, bool, bool) override {
        clips.push_back(pos);
    }
    void del_clip() override {
        if (!clips.empty()) clips.pop_back();
    }

    void get_client_rect(litehtml::position& client) const override {
        client = litehtml::position(0, 0, int(viewWidth), int(viewHeight));
    }

    std::shared_ptr<litehtml::element> create_element(const char*, const litehtml::string_map&,
                                                      const std::shared_ptr<litehtml::document>&) override {
        return nullptr;
    }

    void get_media_features(litehtml::media_features& media) const override {
        media.type = litehtml::media_type_screen;
        media.width = int(viewWidth);
        media.height = int(viewHeight);
        media.device_width = 320;
        media.device_height = 480;
        media.color = 8;
        media.color_index = 0;
        media.monochrome = 0;
        media.resolution = 96;
    }

    void get_language(litehtml::tstring& language, litehtml::tstring& culture) const override {
        language = "en";
        culture = "en-US";
    }
};

bool htmlNestsDeeperThan(const std::string& html, int limit) {
    // Elements that hold nothing, or that the parser closes by itself when a
    // sibling starts.
    static const std::set<std::string> flat = {
        "area", "base", "br", "col", "embed", "hr", "img", "input", "link", "meta", "param",
        "source", "track", "wbr", "p", "li", "td", "th", "tr", "option", "dt", "dd"};
    static const std::set<std::string> rawText = {"script", "style", "textarea", "title", "xmp"};
    int depth = 0;
    size_t i = 0, n = html.size();
    auto lowerName = [&](size_t at) {
        std::string name;
        while (at < n && (std::isalnum((unsigned char)html[at]) || html[at] == '-'))
            name += char(std::tolower((unsigned char)html[at++]));
        return name;
    };
    while ((i = html.find('<', i)) != std::string::npos) {
        if (html.compare(i, 4, "<!--") == 0) {
            size_t end = html.find("-->", i + 4);
            i = end == std::string::npos ? n : end + 3;
            continue;
        }
        bool closing = i + 1 < n && html[i + 1] == '/';
        std::string name = lowerName(i + (closing ? 2 : 1));
        size_t end = html.find('>', i + 1);
        if (end == std::string::npos) break;
        if (!name.empty() && !flat.count(name)) {
            if (closing) {
                depth = std::max(0, depth - 1);
            } else if (html[end - 1] != '/') {
                if (++depth > limit) return true;
                if (rawText.count(name)) {
                    size_t close = html.find("</", end);
                    while (close != std::string::npos && lowerName(close + 2) != name)
                        close = html.find("</", close + 2);
                    end = close == std::string::npos ? n - 1 : close - 1;
                }
            }
        }
        i = end + 1;
    }
    return false;
}

HtmlDocument::HtmlDocument(const std::string& html, const std::string& baseURL)
    : impl_(std::make_unique<Impl>()) {
    impl_->base = baseURL;
    std::string page = html;
    if (page.size() > kMaxBytes || htmlNestsDeeperThan(page, kMaxNesting))
        page = "<p>This page cannot be shown.</p>";
    if (!impl_->pango) return;
    impl_->document =
        litehtml::document::createFromUTF8(page.c_str(), impl_.get(), &sharedContext());
}

HtmlDocument::~HtmlDocument() = default;

float HtmlDocument::layout(float width, float height) {
    if (!impl_->document) return width;
    impl_->viewWidth = std::clamp(std::isfinite(width) ? width : 320.0f, 1.0f, 4096.0f);
    impl_->viewHeight = std::clamp(std::isfinite(height) ? height : 480.0f, 1.0f, 4096.0f);
    impl_->document->media_changed();
    impl_->document->render(int(impl_->viewWidth));
    return std::max(float(impl_->document->width()), impl_->viewWidth);
}

Size HtmlDocument::contentSize() const {
    if (!impl_->document) return Size();
    return Size(float(impl_->document->width()), float(impl_->document->height()));
}

void HtmlDocument::draw(_cairo* cr, Rect clip) {
    if (!impl_->document || !cr) return;
    litehtml::position c(int(std::floor(clip.origin.x)), int(std::floor(clip.origin.y)),
                         int(std::ceil(clip.size.width)) + 1, int(std::ceil(clip.size.height)) + 1);
    impl_->clips.clear();
    impl_->document->draw(reinterpret_cast<litehtml::uint_ptr>(cr), 0, 0, &c);
}

std::string HtmlDocument::linkAt(Point point) {
    if (!impl_->document) return {};
    impl_->clicked.clear();
    litehtml::position::vector redraw;
    int x = int(point.x), y = int(point.y);
    impl_->document->on_lbutton_down(x, y, x, y, redraw);
    impl_->document->on_lbutton_up(x, y, x, y, redraw);
    return impl_->clicked;
}

const std::string& HtmlDocument::title() const {
    return impl_->title;
}

const std::string& HtmlDocument::baseURL() const {
    return impl_->base;
}

std::set<std::string> HtmlDocument::wantedImages() const {
    return impl_->wanted;
}

void HtmlDocument::setImage(const std::string& url, Ref<DecodedImage> image) {
    impl_->wanted.erase(url);
    impl_->images[url] = std::move(image);
}

} // namespace platform
