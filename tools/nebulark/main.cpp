// The program's entry: reads the command line and hands control to the
// platform's application loop.
#include "engine/support/Error.h"
#include "platform/Application.h"
#include "tools/nebulark/TestPattern.h"

#include <cstdio>

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
    if (!options.demo.empty() && options.demo != "pattern") {
        std::fprintf(stderr, "nebulark: unknown demo '%s' (known: pattern)\n",
                     options.demo.c_str());
        return 2;
    }
    TestPatternDelegate delegate;
    return platform::Application::shared().run(options, delegate);
}
