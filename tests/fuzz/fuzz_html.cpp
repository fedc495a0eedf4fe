// deps: platform PkgConfig::PANGOCAIRO
// Lays out and draws any bytes as an HTML page (the ad browser's pages come
// from outside), and asks it what a tap or a picture would.
#include "platform/HtmlDocument.h"
#include "support/Log.h"

#include <cairo.h>

#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static bool quiet = (ccSetLogSink([](const std::string&) {}), true);
    (void)quiet;
    std::string html(reinterpret_cast<const char*>(data), size);
    platform::HtmlDocument page(html, "http://127.0.0.1/ad/");
    page.layout(320, 480);
    Size content = page.contentSize();
    (void)page.linkAt(Point(content.width / 2, content.height / 2));
    for (const std::string& url : page.wantedImages())
        page.setImage(url, nullptr);
    page.layout(320, 480);
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 64, 64);
    cairo_t* cr = cairo_create(surface);
    page.draw(cr, Rect(0, 0, 64, 64));
    cairo_destroy(cr);
    cairo_surface_destroy(surface);
    return 0;
}
