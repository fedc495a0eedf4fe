// The program's entry: reads the command line and hands control to the
// platform's application loop.
#include "platform/Application.h"
#include "support/Error.h"
#include "tools/nebulark/SpineDemo.h"
#include "tools/nebulark/TestPattern.h"

#include <cstdio>
#include <string>
#include <utility>

// Two screens to tap between with each transition in turn (TransitionsDemo.cpp).
Ref<Scene> makeTransitionsScene();
// The game's own art moving on the engine (GalleryDemo.cpp).
Ref<Scene> makeGalleryScene();

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
        return 0;
    }
    // Until the game's screens exist, the engine demos are what the program
    // shows; the gallery of the game's own art comes first.
    if (options.demo == "pattern") {
        TestPatternDelegate delegate;
        return platform::Application::shared().run(options, delegate);
    }
    const std::pair<const char*, Ref<Scene> (*)()> demos[] = {
        {"gallery", makeGalleryScene},
        {"spine", makeSpineScene},
        {"actions", makeActionsScene},
        {"transitions", makeTransitionsScene},
    };
    std::string wanted = options.demo.empty() ? "gallery" : options.demo;
    for (const auto& [name, makeScene] : demos) {
        if (wanted != name) continue;
        EngineDemoDelegate delegate(makeScene);
        return platform::Application::shared().run(options, delegate);
    }
    std::fprintf(stderr,
                 "nebulark: unknown demo '%s' (known: gallery, spine, actions, transitions, "
                 "pattern)\n",
                 options.demo.c_str());
    return 2;
}
