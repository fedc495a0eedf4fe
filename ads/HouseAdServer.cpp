#include "ads/HouseAdServer.h"

#include "platform/Files.h"
#include "platform/Json.h"
#include "platform/XmlDocument.h"
#include "support/Log.h"

#include <algorithm>
#include <optional>

using namespace platform;

namespace {

// The banners drawn for the game's screens, and the text ad.
const char* const kBanners[] = {"missions", "asteroidavoid", "dragship", "spaceshoot"};
constexpr const char* kTextAdFile = "ad-text.html";
constexpr const char* kPageFile = "ad-page.html";
constexpr int kRefreshSeconds = 30;

struct CometLine {
    const char* headline;
    const char* text;
};
const CometLine kCometAds[] = {
    {"Three missions wait for you", "Destroy 15 ships and Mission Two opens."},
    {"Tilt, drag or tap", "Asteroid Avoid, DragShip and a SpaceShoot duel."},
    {"How long can you last?", "Quick Play keeps your best score at every difficulty."},
};

// A file of the ads, or nothing (logged) when it cannot be read.
std::optional<std::string> adFile(const std::string& dir, const std::string& name) {
    auto bytes = platform::readFile(dir + "/" + name, size_t(1) << 20);
    if (!bytes) {
        ccLog("House ads: %s is missing", name.c_str());
        return std::nullopt;
    }
    return std::string(bytes->begin(), bytes->end());
}

} // namespace

HouseAdServer::HouseAdServer(const std::string& resourceDirectory)
    : server_([this](const HttpServerRequest& q, HttpServerResponse& r) { answer(q, r); }) {
    for (const char* name : kBanners) {
        std::string file = std::string("ad-") + name + ".png";
        if (auto bytes = adFile(resourceDirectory, file)) {
            files_[file] = std::move(*bytes);
            ads_.push_back(OrbitAd{name, file, {}});
        }
    }
    if (auto html = adFile(resourceDirectory, kTextAdFile))
        ads_.push_back(OrbitAd{"text", {}, *html});
    if (auto page = adFile(resourceDirectory, kPageFile)) files_[kPageFile] = *page;
}

HouseAdServer::~HouseAdServer() {
    stop();
}

bool HouseAdServer::start(int port) {
    return server_.start(port);
}

void HouseAdServer::stop() {
    server_.stop();
}

std::vector<std::string> HouseAdServer::orbitAdNames() const {
    std::vector<std::string> names;
    for (const OrbitAd& ad : ads_)
        names.push_back(ad.name);
    return names;
}

bool HouseAdServer::setOnlyAd(const std::string& name) {
    std::lock_guard lock(mutex_);
    if (!name.empty() &&
        std::none_of(ads_.begin(), ads_.end(), [&](const OrbitAd& ad) { return ad.name == name; }))
        return false;
    only_ = name;
    return true;
}

std::string HouseAdServer::orbitAnswer(const std::string& name) const {
    auto it =
        std::find_if(ads_.begin(), ads_.end(), [&](const OrbitAd& ad) { return ad.name == name; });
    if (it == ads_.end())
        return "<?xml version=\"1.0\"?>\n<ad type=\"noAd\"><refresh>" +
               std::to_string(kRefreshSeconds) + "</refresh></ad>\n";
    std::string house = baseURL() + "/house/";
    std::string xml = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
    if (it->picture.empty()) {
        // The page as character data; "]]>" cannot stand inside it.
        std::string html = it->html;
        for (size_t at = 0; (at = html.find("]]>", at)) != std::string::npos; at += 15)
            html.replace(at, 3, "]]]]><![CDATA[>");
        xml += "<ad type=\"textAd\">\n  <htmlString><![CDATA[" + html + "]]></htmlString>\n";
    } else {
        xml += "<ad type=\"imageAd\">\n  <imageurl>" + escapeMarkup(house + it->picture) +
               "</imageurl>\n  <bannerwidth>320</bannerwidth>\n  <bannerheight>50</bannerheight>\n";
    }
    xml += "  <clickurl>" + escapeMarkup(house + kPageFile + "?from=" + it->name) +
           "</clickurl>\n  <clicktype>inapp</clicktype>\n  <scale>yes</scale>\n"
           "  <skippreflight>no</skippreflight>\n  <refresh>" +
           std::to_string(kRefreshSeconds) + "</refresh>\n</ad>\n";
    return xml;
}

void HouseAdServer::answer(const HttpServerRequest& request, HttpServerResponse& response) {
    if (request.path == "/request.php") {
        response.contentType = "text/xml; charset=utf-8";
        if (request.param("rt").empty() || request.param("s").empty()) {
            response.body = "<?xml version=\"1.0\"?>\n<error>Missing publisher id</error>\n";
            return;
        }
        std::string name;
        {
            std::lock_guard lock(mutex_);
            int n = orbitRequests_++;
            if (!only_.empty())
                name = only_;
            else if (!ads_.empty())
                name = ads_[size_t(n) % ads_.size()].name;
        }
        response.body = orbitAnswer(name);
    } else if (request.path == "/comet/ad") {
        response.contentType = "application/json";
        if (request.param("pub").empty()) {
            response.body = R"({"status": "error"})";
            return;
        }
        const CometLine& line = kCometAds[size_t(cometRequests_++) % std::size(kCometAds)];
        Json ad = {{"status", "ok"},
                   {"headline", line.headline},
                   {"text", line.text},
                   {"clickurl", baseURL() + "/house/" + kPageFile + "?from=comet"}};
        response.body = ad.dump();
    } else if (request.path.rfind("/house/", 0) == 0 && files_.count(request.path.substr(7))) {
        // Only the ads' own files: the name is looked up, never opened.
        std::string name = request.path.substr(7);
        response.contentType = name.ends_with(".png") ? "image/png" : "text/html; charset=utf-8";
        response.body = files_.at(name);
    } else {
        response.status = 404;
        response.body = "Not found";
    }
}
