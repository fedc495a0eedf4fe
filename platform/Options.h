#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace platform {

// What the command line asked for.
struct Options {
    bool headless = false;           // no window: SDL's offscreen driver
    float scale = 0;                 // window pixels per point; 0 = choose
    bool fullscreen = false;
    std::string screenshot;          // PNG of the last frame, written on exit
    int64_t frames = -1;             // quit after this many frames; -1 = never
    double fixedDt = 0;              // every frame advances exactly this long
    std::string script;              // scripted input file
    std::string documents;           // Documents directory override
    std::string resources;           // resource directory override
    std::optional<uint32_t> seed;    // seed of both random sources
    std::string demo;                // a named demo scene instead of the game
    std::string start;               // a named screen to open after start-up
    bool autoplay = false;           // game screens play by themselves
    std::string tour;                // the game shows itself: "full" or "short"
    std::string adServer;            // the ad server (http or https); empty: the house ads
    bool noAds = false;              // no ad strip at all
    bool timings = false;            // a line of start-up times at the first frame
    bool help = false;
};

// Parses the command line. On a problem returns false and sets `error` to
// one line naming it.
bool parseOptions(int argc, const char* const* argv, Options& out, std::string& error);

// Whether `url` can name an ad server: http or https, with a host.
bool isAdServerURL(std::string_view url);

// The --help text.
std::string usage();

// True when no window system is reachable (no DISPLAY, no WAYLAND_DISPLAY).
bool noDisplay();

// The options the program runs with (set once at start-up).
const Options& options();
void setOptions(const Options& options);

} // namespace platform
