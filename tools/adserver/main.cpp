// adserver: the house ads on 127.0.0.1, for trying ads by hand:
//   adserver [--port N] [--resources DIR] [--ad NAME]
// then run the game with --ad-server and the URL it prints. --ad serves
// only that ad (missions, asteroidavoid, dragship, spaceshoot or text).
#include "ads/HouseAdServer.h"
#include "platform/Files.h"

#include <csignal>
#include <cstdio>
#include <string>

int main(int argc, char** argv) {
    int port = 0;
    std::string resources = platform::resourceDirectory(), only;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        if (i + 1 < argc && arg == "--port") {
            port = std::atoi(argv[++i]);
        } else if (i + 1 < argc && arg == "--resources") {
            resources = argv[++i];
        } else if (i + 1 < argc && arg == "--ad") {
            only = argv[++i];
        } else {
            std::fprintf(stderr, "usage: adserver [--port N] [--resources DIR] [--ad NAME]\n");
            return 2;
        }
    }
    // Waited for below, not delivered.
    sigset_t stop;
    sigemptyset(&stop);
    sigaddset(&stop, SIGINT);
    sigaddset(&stop, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stop, nullptr);

    HouseAdServer server(resources);
    if (!server.setOnlyAd(only)) {
        std::fprintf(stderr, "adserver: no ad named '%s'\n", only.c_str());
        return 2;
    }
    if (!server.start(port)) {
        std::fprintf(stderr, "adserver: cannot listen on 127.0.0.1:%d\n", port);
        return 1;
    }
    std::printf("adserver: serving the house ads at %s (Ctrl-C stops)\n", server.baseURL().c_str());
    std::fflush(stdout);
    int signal = 0;
    sigwait(&stop, &signal);
    server.stop();
    return 0;
}
