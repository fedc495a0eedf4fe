// The program's entry: reads the command line and hands control to the
// platform's application loop, with the game (or a demo) as its delegate.
#include "ads/AdSettings.h"
#include "game/NebularkAppDelegate.h"
#include "game/StartScreens.h"
#include "platform/Application.h"
#include "support/Error.h"
#include "tools/nebulark/SpineDemo.h"
#include "tools/nebulark/TestPattern.h"

#include <cstdio>
#include <cstdlib>
#include <string>
#include <utility>

// Two screens to tap between with each transition in turn (TransitionsDemo.cpp).
Ref<Scene> makeTransitionsScene();
// The game's own art moving on the engine (GalleryDemo.cpp).
Ref<Scene> makeGalleryScene();
// The platform's views over a running scene (ViewsDemo.cpp).
Ref<Scene> makeViewsScene();
// The engine's extras, one screen each (ExtrasDemo.cpp).
Ref<Scene> makeExtrasScene();

namespace {

// Scenes shown on the engine without the game around them.
const std::pair<const char*, Ref<Scene> (*)()> demos[] = {
    {"gallery", makeGalleryScene},
    {"spine", makeSpineScene},
    {"actions", makeActionsScene},
    {"transitions", makeTransitionsScene},
    {"views", makeViewsScene},
    {"extras", makeExtrasScene},
};

std::string demoNames() {
    std::string names;
    for (const auto& demo : demos) names += std::string(demo.first) + ", ";
    return names + "pattern";
}

// Where the ad strip gets its ads: the house ads unless a server is named.
bool setUpAds(const platform::Options& options) {
    AdSettings& ads = AdSettings::shared();
    ads.enabled = !options.noAds;
    ads.serverURL = options.adServer;
    const char* env = std::getenv("NEBULARK_AD_SERVER");
    if (ads.serverURL.empty() && env && *env) {
        if (!platform::isAdServerURL(env)) {
            std::fprintf(stderr,
                         "nebulark: NEBULARK_AD_SERVER: expected an http:// or https:// URL, "
                         "got '%s'\n",
                         env);
            return false;
        }
        ads.serverURL = env;
    }
    return true;
}

int runGame(const platform::Options& options) {
    if (!setUpAds(options)) return 2;
    Ref<NebularkAppDelegate> game = make<NebularkAppDelegate>();
    if (!options.start.empty()) {
        const StartScreen* screen = findStartScreen(options.start);
        if (!screen) {
            std::fprintf(stderr, "nebulark: unknown screen '%s' (known: %s)\n",
                         options.start.c_str(), startScreenNames().c_str());
            return 2;
        }
        game->setStartScreen(screen);
    }
    return platform::Application::shared().run(options, *game);
}

int runDemo(const platform::Options& options) {
    if (options.demo == "pattern") {
        TestPatternDelegate delegate;
        return platform::Application::shared().run(options, delegate);
    }
    for (const auto& [name, makeScene] : demos) {
        if (options.demo != name) continue;
        EngineDemoDelegate delegate(makeScene);
        return platform::Application::shared().run(options, delegate);
    }
    std::fprintf(stderr, "nebulark: unknown demo '%s' (known: %s)\n", options.demo.c_str(),
                 demoNames().c_str());
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    ccInstallTerminateHandler();
    platform::Options options;
    std::string error;
    if (!platform::parseOptions(argc, argv, options, error)) {
        std::fprintf(stderr, "nebulark: %s\n", error.c_str());
        return 2;
    }
    if (options.help) {
        std::fputs(platform::usage().c_str(), stdout);
        std::printf("\nscreens for --start: %s\ndemos for --demo: %s\n",
                    startScreenNames().c_str(), demoNames().c_str());
        return 0;
    }
    return options.demo.empty() ? runGame(options) : runDemo(options);
}
