// The program's entry: reads the command line and hands control to the
// platform's application loop.
#include "engine/support/Error.h"
#include "platform/Application.h"
#include "tools/nebulark/SpineDemo.h"
#include "tools/nebulark/TestPattern.h"

#include <cstdio>

// Two screens to tap between with each transition in turn (TransitionsDemo.cpp).
Ref<Scene> makeTransitionsScene();
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
    // Until the game's screens exist, the engine demo is what the program
    // shows.
    if (options.demo == "pattern") {
        TestPatternDelegate delegate;
        return platform::Application::shared().run(options, delegate);
    }
    if (options.demo.empty() || options.demo == "spine") {
        EngineDemoDelegate delegate(makeSpineScene);
        return platform::Application::shared().run(options, delegate);
    }
    if (options.demo == "gallery") {
        EngineDemoDelegate delegate(makeGalleryScene);
        return platform::Application::shared().run(options, delegate);
    }
    if (options.demo == "actions") {
        EngineDemoDelegate delegate(makeActionsScene);
        return platform::Application::shared().run(options, delegate);
    }
    if (options.demo == "transitions") {
        EngineDemoDelegate delegate(makeTransitionsScene);
        return platform::Application::shared().run(options, delegate);
    }
    std::fprintf(stderr,
                 "nebulark: unknown demo '%s' (known: spine, actions, gallery, transitions, pattern)\n",
                 options.demo.c_str());
    return 2;
}
