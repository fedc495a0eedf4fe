#pragma once

#include "platform/HttpServer.h"

#include <atomic>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

// The game's own ads, served the way the ad networks serve theirs, on
// 127.0.0.1: the program's ad server unless another is named, a fixture of
// the tests, and tools/adserver. The ads are files of the resources:
// banners for the missions and the minigames, a text ad and the page they
// lead to.
//
//   /request.php?...   the Orbit network's XML answer, the next ad in turn
//   /comet/ad?...      the Comet network's JSON answer
//   /house/NAME        the ads' pictures and page
class HouseAdServer {
public:
    // Reads the ads from `resourceDirectory`.
    explicit HouseAdServer(const std::string& resourceDirectory);
    ~HouseAdServer();

    // Listens on `port` of 127.0.0.1 (0: any free one).
    bool start(int port = 0);
    void stop();
    int port() const { return server_.port(); }
    std::string baseURL() const { return server_.baseURL(); }

    // The Orbit ads, in the order they are served: "missions",
    // "asteroidavoid", "dragship", "spaceshoot", "text".
    std::vector<std::string> orbitAdNames() const;
    // Serves only ad `name` from now on (empty: all of them in turn).
    // False when there is no such ad.
    bool setOnlyAd(const std::string& name);
    // Answers of the Orbit network so far.
    int orbitRequests() const { return orbitRequests_; }
    int cometRequests() const { return cometRequests_; }

    // The Orbit answer for ad `name`.
    std::string orbitAnswer(const std::string& name) const;

private:
    struct OrbitAd {
        std::string name;
        std::string picture; // a file of /house/, or empty for the text ad
        std::string html;    // the text ad's page
    };
    void answer(const platform::HttpServerRequest& request, platform::HttpServerResponse& response);

    std::vector<OrbitAd> ads_;
    std::map<std::string, std::string> files_; // what /house/ serves
    platform::HttpServer server_;
    mutable std::mutex mutex_;
    std::string only_;
    std::atomic<int> orbitRequests_ = 0;
    std::atomic<int> cometRequests_ = 0;
};
