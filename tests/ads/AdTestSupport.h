#pragma once

#include "ads/AdSettings.h"
#include "ads/HouseAdServer.h"
#include "ads/XWBannerManager.h"
#include "platform/Background.h"
#include "platform/HttpServer.h"
#include "platform/SystemOpener.h"
#include "platform/ui/Animator.h"
#include "tests/platform/ui/KitTestSupport.h"

#include <mutex>
#include <sys/stat.h>

namespace test {

// The test window on a manual clock, with a real HTTP server on 127.0.0.1
// that the ad clients ask (short time-outs), the requests it received, the
// banner notifications posted and a stand-in for the desktop's URL opener.
class AdTest : public kit::KitTest {
protected:
    using Handler =
        std::function<void(const platform::HttpServerRequest&, platform::HttpServerResponse&)>;

    void SetUp() override {
        KitTest::SetUp();
        server = std::make_unique<platform::HttpServer>(
            [this](const platform::HttpServerRequest& q, platform::HttpServerResponse& r) {
                Handler h;
                {
                    std::lock_guard lock(mutex);
                    requests.push_back(q);
                    h = handler;
                }
                if (h) h(q, r);
            });
        ASSERT_TRUE(server->start());
        AdSettings& s = AdSettings::shared();
        s = AdSettings();
        s.enabled = true;
        s.serverURL = server->baseURL();
        s.connectTimeout = 1;
        s.timeout = 1;
        for (const char* name : {kBannerWillSlideInNotification, kBannerDidSlideInNotification,
                                 kBannerWillSlideOutNotification, kBannerDidSlideOutNotification})
            platform::NotificationCenter::defaultCenter().addObserver(
                this,
                platform::NotificationSelector(
                    "posted", [this](platform::Notification* n) { posted.push_back(n->name()); }),
                std::string(name));
        std::string script = dir.file("opener.sh");
        writeText(script, "#!/bin/sh\nfor a in \"$@\"; do printf '[%s]' \"$a\" >> " +
                              dir.file("opened") + "; done\n");
        chmod(script.c_str(), 0755);
        previousOpener = platform::setSystemOpener(script);
    }

    void TearDown() override {
        platform::NotificationCenter::defaultCenter().removeObserver(this);
        XWBannerManager::purgeSharedManager();
        server->stop();
        platform::waitForBackgroundJobs();
        platform::waitForSystemOpeners();
        platform::setSystemOpener(previousOpener);
        AdSettings::shared() = AdSettings();
        KitTest::TearDown();
    }

    void serve(Handler h) {
        std::lock_guard lock(mutex);
        handler = std::move(h);
    }
    // Answers every request for `path` with `body`.
    void answer(const std::string& path, const std::string& body,
                const std::string& type = "text/xml") {
        serve([=](const platform::HttpServerRequest& q, platform::HttpServerResponse& r) {
            if (q.path != path) {
                r.status = 404;
                return;
            }
            r.contentType = type;
            r.body = body;
        });
    }
    std::vector<std::string> paths() {
        std::lock_guard lock(mutex);
        std::vector<std::string> out;
        for (const auto& q : requests)
            out.push_back(q.path);
        return out;
    }
    long countPath(const std::string& path) {
        std::vector<std::string> all = paths();
        return std::count(all.begin(), all.end(), path);
    }
    // Lets the requests under way finish and their answers arrive, and the
    // requests those answers start, and so on; then `seconds` of animation.
    void settle(double seconds = 1) {
        for (int i = 0; i < 6; ++i) {
            platform::waitForBackgroundJobs();
            platform::RunLoop::main().runPosted();
        }
        run(seconds);
    }
    // What the URL opener was handed, one "[argument]" each.
    std::string opened() {
        platform::waitForSystemOpeners();
        return std::filesystem::exists(dir.file("opened")) ? readText(dir.file("opened")) : "";
    }

    TempDir dir;
    std::unique_ptr<platform::HttpServer> server;
    std::mutex mutex;
    Handler handler;
    std::vector<platform::HttpServerRequest> requests;
    std::vector<std::string> posted;
    std::string previousOpener;
};

// An image ad's answer.
inline std::string imageAd(const std::string& imageURL, const std::string& more = "") {
    return "<ad type=\"imageAd\"><imageurl>" + imageURL +
           "</imageurl><bannerwidth>320</bannerwidth><bannerheight>50</bannerheight>"
           "<clickurl>http://127.0.0.1:1/x</clickurl><refresh>30</refresh>" +
           more + "</ad>";
}

} // namespace test
