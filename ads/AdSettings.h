#pragma once

#include <string>

// Where the banner strip gets its ads. Set once by the program at start-up;
// off by default, so that nothing but the program itself reaches a network.
struct AdSettings {
    // Off: the strip is not attached at all (--no-ads, tests).
    bool enabled = false;
    // The ad server both networks ask ("http://host:port"); empty: the
    // house-ad server, started in this process on 127.0.0.1.
    std::string serverURL;
    // Seconds to wait for a server to accept, and for a whole answer.
    double connectTimeout = 5;
    double timeout = 15;

    static AdSettings& shared();
};

// What an ad network reports when it has no ad to show.
struct AdError {
    std::string domain;
    int code = 0;
    std::string description;
};
