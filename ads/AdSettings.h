#pragma once

#include "platform/Http.h"

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

    // `path` ("/request.php?...") on the ad server.
    std::string url(const std::string& path) const;

    // A GET of `url` as the ad clients make it: with `userAgent`, at most
    // `maxBodyBytes` long, within these time-outs.
    platform::HttpRequest request(std::string url, const std::string& userAgent,
                                  size_t maxBodyBytes,
                                  platform::Redirects redirects = platform::Redirects::Keep) const;

    static AdSettings& shared();
};

// What an ad network reports when it has no ad to show.
struct AdError {
    std::string domain;
    int code = 0;
    std::string description;
};
