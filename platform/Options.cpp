#include "platform/Options.h"

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string_view>

namespace platform {

namespace {

Options current;

template <class T>
bool parseNumber(std::string_view text, T& out) {
    if (text.empty()) return false;
    if constexpr (std::is_floating_point_v<T>) {
        // from_chars for floating point is complete in this standard library.
        auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), out);
        return ec == std::errc() && end == text.data() + text.size() && std::isfinite(out);
    } else {
        auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), out);
        return ec == std::errc() && end == text.data() + text.size();
    }
}

} // namespace

bool isAdServerURL(std::string_view url) {
    for (std::string_view scheme : {"http://", "https://"})
        if (url.size() > scheme.size() && url.substr(0, scheme.size()) == scheme)
            return url.find_first_of(" \t\r\n") == std::string_view::npos;
    return false;
}

std::string usage() {
    return "usage: nebulark [options]\n"
           "\n"
           "  --headless          run without a window (automatic when there is no display)\n"
           "  --scale N           window pixels per point (default: fit the desktop;\n"
           "                      1 when headless)\n"
           "  --fullscreen        start in full screen (F11 toggles)\n"
           "  --frames N          quit after N frames\n"
           "  --fixed-dt S        every frame advances exactly S seconds (repeatable runs)\n"
           "  --screenshot PATH   write the last frame as a PNG file on exit\n"
           "  --script FILE       play scripted input (see README)\n"
           "  --documents DIR     where saved games and settings live\n"
           "  --resources DIR     where the game's images, fonts and sounds are\n"
           "  --seed N            seed the random sources (default: the time)\n"
           "  --demo NAME         run a demo scene instead of the game\n"
           "  --start NAME        open a screen at once, without the splash (see below)\n"
           "  --autoplay          game screens play by themselves\n"
           "  --tour full|short   the game shows every screen by itself, then ends;\n"
           "                      prints the screens, writes out/run.png and out/tour.png\n"
           "                      (saved games go to a temporary directory unless\n"
           "                      --documents is given)\n"
           "  --ad-server URL     where the ad strip gets its ads (default: the game's own\n"
           "                      house ads, served in the program; also NEBULARK_AD_SERVER)\n"
           "  --no-ads            no ad strip\n"
           "  --timings           print how long start-up took, at the first frame\n"
           "  --help              show this text\n";
}

bool parseOptions(int argc, const char* const* argv, Options& out, std::string& error) {
    out = Options();
    for (int i = 1; i < argc; ++i) {
        std::string_view arg = argv[i];
        std::string_view value;
        bool hasInlineValue = false;
        if (auto eq = arg.find('='); arg.starts_with("--") && eq != std::string_view::npos) {
            value = arg.substr(eq + 1);
            arg = arg.substr(0, eq);
            hasInlineValue = true;
        }
        auto takesValue = [&](std::string_view& v) {
            if (hasInlineValue) {
                v = value;
                return true;
            }
            if (i + 1 >= argc) {
                error = "option " + std::string(arg) + " needs a value";
                return false;
            }
            v = argv[++i];
            return true;
        };
        auto noValue = [&] {
            if (!hasInlineValue) return true;
            error = "option " + std::string(arg) + " takes no value";
            return false;
        };
        auto bad = [&](std::string_view what) {
            error = "option " + std::string(arg) + ": " + std::string(what) + ", got '" +
                    std::string(value) + "'";
            return false;
        };

        if (arg == "--help" || arg == "-h") {
            if (!noValue()) return false;
            out.help = true;
        } else if (arg == "--headless") {
            if (!noValue()) return false;
            out.headless = true;
        } else if (arg == "--fullscreen") {
            if (!noValue()) return false;
            out.fullscreen = true;
        } else if (arg == "--autoplay") {
            if (!noValue()) return false;
            out.autoplay = true;
        } else if (arg == "--no-ads") {
            if (!noValue()) return false;
            out.noAds = true;
        } else if (arg == "--timings") {
            if (!noValue()) return false;
            out.timings = true;
        } else if (arg == "--ad-server") {
            if (!takesValue(value)) return false;
            if (!isAdServerURL(value)) return bad("expected an http:// or https:// URL");
            out.adServer = std::string(value);
        } else if (arg == "--scale") {
            if (!takesValue(value)) return false;
            if (!parseNumber(value, out.scale) || out.scale < 1 || out.scale > 16)
                return bad("expected a number from 1 to 16");
        } else if (arg == "--frames") {
            if (!takesValue(value)) return false;
            if (!parseNumber(value, out.frames) || out.frames < 1)
                return bad("expected a whole number of at least 1");
        } else if (arg == "--fixed-dt") {
            if (!takesValue(value)) return false;
            if (!parseNumber(value, out.fixedDt) || out.fixedDt <= 0 || out.fixedDt > 10)
                return bad("expected seconds above 0 and at most 10");
        } else if (arg == "--seed") {
            if (!takesValue(value)) return false;
            uint32_t seed = 0;
            if (!parseNumber(value, seed))
                return bad("expected a whole number from 0 to 4294967295");
            out.seed = seed;
        } else if (arg == "--screenshot" || arg == "--script" || arg == "--documents" ||
                   arg == "--resources" || arg == "--demo" || arg == "--start" ||
                   arg == "--tour") {
            if (!takesValue(value)) return false;
            if (value.empty()) return bad("expected a non-empty value");
            std::string v(value);
            if (arg == "--screenshot") out.screenshot = v;
            if (arg == "--script") out.script = v;
            if (arg == "--documents") out.documents = v;
            if (arg == "--resources") out.resources = v;
            if (arg == "--demo") out.demo = v;
            if (arg == "--start") out.start = v;
            if (arg == "--tour") out.tour = v;
        } else {
            error = "unknown option '" + std::string(argv[i]) + "' (see --help)";
            return false;
        }
    }
    return true;
}

bool noDisplay() {
    const char* x = std::getenv("DISPLAY");
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    return !(x && *x) && !(wayland && *wayland);
}

const Options& options() {
    return current;
}

void setOptions(const Options& options) {
    current = options;
}

} // namespace platform
