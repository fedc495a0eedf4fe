// The Orbit client against a real server on 127.0.0.1: what it asks, how it
// reads the answers (hostile ones too), and where a tap leads.
#include "tests/ads/AdTestSupport.h"

#include "platform/AppNotifications.h"
#include "platform/Device.h"
#include "platform/Keyboard.h"
#include "platform/System.h"

#include <chrono>
#include <thread>

using namespace platform;

namespace {

struct Recorder : OrbitBannerViewDelegate {
    std::optional<std::string> publisher = std::string("PUB");
    std::optional<bool> allow;
    int loaded = 0;
    std::vector<AdError> errors;
    std::vector<bool> asked; // leaves-the-application flags of the taps

    std::optional<std::string> publisherIdForOrbitBannerView(OrbitBannerView*) override {
        return publisher;
    }
    void orbitBannerViewDidLoadOrbitAd(OrbitBannerView*) override { ++loaded; }
    void orbitBannerView(OrbitBannerView*, const AdError& e) override { errors.push_back(e); }
    std::optional<bool> orbitBannerViewActionShouldBegin(OrbitBannerView*, bool leaves) override {
        asked.push_back(leaves);
        return allow;
    }
};

class OrbitBannerViewTest : public test::AdTest {
protected:
    void SetUp() override {
        AdTest::SetUp();
        std::vector<uint8_t> row(320 * 3, 200);
        picture = test::encodePng(320, 50, 2, 8, std::vector<std::vector<uint8_t>>(50, row));
        controller = make<ViewController>();
        controller->setView(gl_.get());
        banner = make<OrbitBannerView>(Rect(0, 430, 320, 50));
        gl_->addSubview(banner.get());
    }
    void TearDown() override {
        banner = nullptr;
        AdTest::TearDown();
    }
    std::string url(const std::string& path) { return server->baseURL() + path; }
    // The server answers the ad request with `xml`, and serves a picture,
    // a page, redirects and a stall.
    void serveAd(const std::string& xml) {
        serve([=, this](const HttpServerRequest& q, HttpServerResponse& r) {
            if (q.path == "/request.php") {
                r.contentType = "text/xml";
                r.body = xml;
            } else if (q.path == "/pic.png") {
                r.body.assign(picture.begin(), picture.end());
            } else if (q.path == "/bad.png") {
                r.body = "not a picture";
            } else if (q.path == "/page.html") {
                r.contentType = "text/html";
                r.body = "<title>Landing</title><a href='mailto:a@b.example'>mail</a>";
            } else if (q.path == "/to-tel") {
                r.status = 302;
                r.headers.emplace("Location", "tel:+15550100");
            } else if (q.path == "/to-file") {
                r.status = 302;
                r.headers.emplace("Location", "file:///etc/passwd");
            } else if (q.path == "/stall") {
                server->waitForStop(3);
            } else {
                r.status = 404;
            }
        });
    }
    // A new banner in the window, for a new case.
    void fresh() {
        delegate = Recorder();
        banner->cancelAdRequests();
        banner->removeFromSuperview();
        banner = make<OrbitBannerView>(Rect(0, 430, 320, 50));
        gl_->addSubview(banner.get());
    }
    // The banner asks and its answer is set up.
    void load(const std::string& xml) {
        serveAd(xml);
        banner->setDelegate(&delegate);
        settle();
    }
    // An image ad leading to `clickURL`.
    std::string clickAd(const std::string& clickURL, const std::string& more = "") {
        return "<ad type=\"imageAd\"><imageurl>" + url("/pic.png") + "</imageurl><clickurl>" +
               clickURL + "</clickurl><refresh>30</refresh>" + more + "</ad>";
    }
    void becomeActive() {
        NotificationCenter::defaultCenter().postNotificationName(
            kApplicationDidBecomeActiveNotification);
    }

    std::vector<uint8_t> picture;
    Ref<ViewController> controller;
    Ref<OrbitBannerView> banner;
    Recorder delegate;
};

} // namespace

TEST_F(OrbitBannerViewTest, AsksWithTheExactQueryAndHeaders) {
    delegate.publisher = "a!*'();:@&=+$,/?%#[] é";
    banner->setAdvertisingSection("spot 1");
    load("<ad type=\"noAd\"/>");
    ASSERT_EQ(requests.size(), 1u);
    const HttpServerRequest& q = requests[0];
    std::string agent = "Orbit/3.0 (" + deviceModel() + ")";
    EXPECT_EQ(q.target,
              "/request.php?rt=iphone_app&u=" + percentEscape(agent) +
                  "&o=" + md5Hex(deviceIdentifier(), true) +
                  "&v=3.0&m=live&s=a%21%2A%27%28%29%3B%3A%40%26%3D%2B%24%2C%2F%3F%25%23%5B%5D"
                  "%20%C3%A9&iphone_osversion=" +
                  percentEscape(systemVersion()) + "&spot_id=spot%201");
    EXPECT_EQ(q.param("s"), *delegate.publisher);
    EXPECT_EQ(q.param("o").find_first_of("abcdef"), std::string::npos);
    EXPECT_EQ(q.header("User-Agent"), agent);
    EXPECT_EQ(q.header("Accept"), "text/xml");
}

TEST_F(OrbitBannerViewTest, DelegateProblemsShowTheRedLabelAndAskNothing) {
    struct Case {
        bool setDelegate;
        std::optional<std::string> publisher;
        const char* label;
    } cases[] = {
        {false, "PUB", "OrbitBannerViewDelegate not set"},
        {true, std::nullopt,
         "OrbitBannerViewDelegate does not implement publisherIdForOrbitBannerView:"},
        {true, "", "OrbitBannerViewDelegate returned invalid publisher ID."},
    };
    for (const Case& c : cases) {
        auto b = make<OrbitBannerView>(Rect(0, 0, 320, 50));
        delegate.publisher = c.publisher;
        if (c.setDelegate)
            b->setDelegate(&delegate);
        else
            b->requestAd();
        EXPECT_EQ(b->errorLabelText(), c.label);
    }
    settle(0);
    EXPECT_TRUE(requests.empty());
    EXPECT_TRUE(delegate.errors.empty());
}

TEST_F(OrbitBannerViewTest, EachAnswerIsSetUpAsItAsks) {
    struct Case {
        std::string name, xml;
        std::string error; // empty: the ad is shown
        int code;
        int refresh; // the interval armed; 0: no timer
    } cases[] = {
        {"image", clickAd("http://x/", "<refresh>45</refresh>"), "", 0, 30},
        {"text",
         "<ad type='textAd'><htmlString>&lt;b&gt;Hi&lt;/b&gt;</htmlString>"
         "<refresh>20</refresh></ad>",
         "", 0, 20},
        {"no ad", "<ad type='noAd'><refresh>20</refresh></ad>", "No inventory for ad request", 2,
         20},
        {"error root", "<error>Bad publisher</error>", "Bad publisher", 0, 0},
        {"error type", "<ad type='error'><refresh>20</refresh></ad>", "Unknown error", 0, 0},
        {"unknown type", "<ad type='video'><refresh>20</refresh></ad>", "Unknown ad type 'video'",
         0, 0},
        {"picture that does not decode",
         "<ad type='imageAd'><imageurl>" + url("/bad.png") + "</imageurl></ad>",
         "Error loading banner image", 0, 0},
        {"picture from a file", "<ad type='imageAd'><imageurl>file:///etc/passwd</imageurl></ad>",
         "Error loading banner image", 0, 0},
        {"refresh missing", "<ad type='textAd'/>", "", 0, 0},
        {"refresh 0", "<ad type='textAd'><refresh>0</refresh></ad>", "", 0, 0},
        {"refresh negative", "<ad type='textAd'><refresh>-5</refresh></ad>", "", 0, 0},
        {"refresh huge", "<ad type='textAd'><refresh>99999999999999999999</refresh></ad>", "", 0,
         OrbitBannerView::kMaxRefreshInterval},
        {"malformed", "<ad type='imageAd'><imageurl>", "Error parsing xml response from server", 0,
         0},
        {"entity bomb",
         "<?xml version='1.0'?><!DOCTYPE ad [<!ENTITY a 'aaaaaaaaaa'><!ENTITY b '&a;&a;&a;&a;&a;"
         "&a;&a;&a;'><!ENTITY c '&b;&b;&b;&b;&b;&b;&b;&b;'>]><ad type='&c;'/>",
         "Error parsing xml response from server", 0, 0},
        {"external entity",
         "<?xml version='1.0'?><!DOCTYPE ad [<!ENTITY x SYSTEM '" + url("/secret") +
             "'>]><ad type='textAd'><htmlString>&x;</htmlString></ad>",
         "Error parsing xml response from server", 0, 0},
        {"huge", "<ad type='textAd'><htmlString>" + std::string(100000, 'x') + "</htmlString></ad>",
         "Error parsing xml response from server", 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        fresh();
        load(c.xml);
        if (c.error.empty()) {
            EXPECT_TRUE(delegate.errors.empty());
            EXPECT_EQ(delegate.loaded, 1);
            EXPECT_TRUE(banner->bannerLoaded());
            ASSERT_EQ(banner->subviews().size(), 1u);
            EXPECT_EQ(banner->subviews()[0]->frame(), Rect(0, 0, 320, 50));
        } else {
            ASSERT_EQ(delegate.errors.size(), 1u);
            EXPECT_EQ(delegate.errors[0].description, c.error);
            EXPECT_EQ(delegate.errors[0].code, c.code);
            EXPECT_EQ(delegate.errors[0].domain, "Orbit");
            EXPECT_EQ(delegate.loaded, 0);
        }
        EXPECT_EQ(banner->refreshTimer() != nullptr, c.refresh != 0);
        if (c.refresh) {
            EXPECT_EQ(banner->refreshInterval(), c.refresh);
        }
    }
    EXPECT_EQ(countPath("/secret"), 0);
}

TEST_F(OrbitBannerViewTest, BannerSizesFromTheAnswerStayInsideTheBanner) {
    struct Case {
        const char *width, *height;
        Rect frame;
    } cases[] = {
        {"300", "40", Rect(10, 5, 300, 40)},
        {"-20", "nan", Rect(0, 0, 320, 50)}, // the picture's own size
        {"1e30", "100000", Rect(0, 0, 320, 50)},
    };
    for (const Case& c : cases) {
        fresh();
        load(clickAd("http://x/", std::string("<bannerwidth>") + c.width +
                                      "</bannerwidth><bannerheight>" + c.height +
                                      "</bannerheight>"));
        ASSERT_EQ(banner->subviews().size(), 1u) << c.width;
        EXPECT_EQ(banner->subviews()[0]->frame(), c.frame) << c.width;
    }
}

TEST_F(OrbitBannerViewTest, ANewAdFlipsInWithoutASecondReport) {
    load(clickAd("http://x/"));
    View* first = banner->subviews()[0].get();
    run(30);
    settle(2);
    EXPECT_EQ(paths().size(), 4u);
    ASSERT_EQ(banner->subviews().size(), 1u);
    EXPECT_NE(banner->subviews()[0].get(), first);
    EXPECT_EQ(delegate.loaded, 1);
}

TEST_F(OrbitBannerViewTest, BadServersFailTheRequestWithoutHoldingUpTheGame) {
    serve([this](const HttpServerRequest& q, HttpServerResponse& r) {
        if (q.param("s") == "stall") server->waitForStop(3);
        if (q.param("s") == "loop") {
            r.status = 302;
            r.headers.emplace("Location", q.target);
        }
        if (q.param("s") == "big") r.body = "<ad>" + std::string(1 << 20, ' ') + "</ad>";
    });
    for (const char* kind : {"stall", "loop", "big"}) {
        fresh();
        delegate.publisher = kind;
        auto start = std::chrono::steady_clock::now();
        banner->setDelegate(&delegate);
        // Far below the stall and the time-out, far above a slow start of
        // the worker on a busy machine.
        EXPECT_LT(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(),
                  0.5)
            << kind;
        EXPECT_TRUE(banner->isRequesting());
        settle(0);
        ASSERT_EQ(delegate.errors.size(), 1u) << kind;
        EXPECT_EQ(delegate.errors[0].description, "Error parsing xml response from server");
    }
}

TEST_F(OrbitBannerViewTest, AnAnswerAfterTheBannerWentIsDropped) {
    serve([this](const HttpServerRequest&, HttpServerResponse& r) {
        server->waitForStop(0.3);
        r.body = "<ad type='noAd'/>";
    });
    banner->setDelegate(&delegate);
    for (int i = 0; i < 400 && countPath("/request.php") == 0; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    banner->removeFromSuperview();
    banner = nullptr; // the last reference, while the server takes its time
    settle(0);
    EXPECT_EQ(requests.size(), 1u);
    EXPECT_TRUE(delegate.errors.empty());
}

TEST_F(OrbitBannerViewTest, TapsGoToTheSystemOrNowhereByTheRules) {
    const std::string nasty = "http://x.example/?a=1;touch /tmp/x&b=$(id)|c";
    struct Case {
        std::string name, xml;
        std::optional<bool> allow;
        std::string opened;
    } cases[] = {
        {"leaves the application", clickAd(nasty), std::nullopt, "[" + nasty + "]"},
        {"phone in the application", clickAd("tel:+15550100", "<clicktype>inapp</clicktype>"),
         std::nullopt, "[tel:+15550100]"},
        {"refused by the delegate", clickAd("http://x/"), false, ""},
        {"a scheme the system may not open", clickAd("javascript:alert(1)"), std::nullopt, ""},
        {"data", clickAd("data:text/html,<b>x</b>"), std::nullopt, ""},
        {"a custom scheme", clickAd("myapp://x", "<clicktype>inapp</clicktype>"), std::nullopt, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::filesystem::remove(dir.file("opened"));
        fresh();
        delegate.allow = c.allow;
        load(c.xml);
        tap(Point(160, 455));
        settle();
        EXPECT_EQ(delegate.asked.size(), 1u);
        EXPECT_EQ(opened(), c.opened);
        EXPECT_FALSE(banner->bannerViewActionInProgress());
        EXPECT_NE(banner->refreshTimer(), nullptr);
        EXPECT_EQ(controller->modalViewController(), nullptr);
    }
}

TEST_F(OrbitBannerViewTest, InAppTargetsArePreflightedAndShownInTheBrowser) {
    // Redirected to the phone: the system; to a file: refused.
    for (const char* path : {"/to-tel", "/to-file"}) {
        fresh();
        load(clickAd(url(path), "<clicktype>inapp</clicktype>"));
        banner->tapThrough();
        EXPECT_TRUE(banner->bannerViewActionInProgress());
        EXPECT_EQ(banner->refreshTimer(), nullptr);
        settle();
        EXPECT_FALSE(banner->bannerViewActionInProgress()) << path;
        EXPECT_NE(banner->refreshTimer(), nullptr) << path;
        EXPECT_EQ(controller->modalViewController(), nullptr) << path;
    }
    EXPECT_EQ(opened(), "[tel:+15550100]");

    // A page: the browser shows what the preflight brought.
    fresh();
    load(clickAd(url("/page.html"), "<clicktype>inapp</clicktype><scale>yes</scale>"));
    size_t asked = requests.size();
    banner->tapThrough();
    settle();
    ASSERT_NE(banner->browser(), nullptr);
    EXPECT_EQ(controller->modalViewController(), banner->browser());
    EXPECT_EQ(requests.size(), asked + 1); // fetched once
    EXPECT_EQ(requests.back().header("User-Agent"), OrbitBannerView::userAgent());
    EXPECT_EQ(banner->browser()->webView()->title(), "Landing");
    EXPECT_TRUE(banner->browser()->webView()->scalesPageToFit());

    // While it is up nothing refreshes; a link to mail goes to the system.
    becomeActive();
    EXPECT_EQ(banner->refreshTimer(), nullptr);
    banner->browser()->htmlViewDidFollowLink(banner->browser()->webView(), "mailto:a@b.example");
    EXPECT_EQ(opened(), "[tel:+15550100][mailto:a@b.example]");
    // Other links are followed inside.
    banner->browser()->htmlViewDidFollowLink(banner->browser()->webView(), url("/page.html?2"));
    EXPECT_TRUE(banner->browser()->spinner()->isAnimating());
    settle(0);
    EXPECT_EQ(requests.back().target, "/page.html?2");
    EXPECT_EQ(requests.back().header("User-Agent"), OrbitBannerView::userAgent());
    EXPECT_FALSE(banner->browser()->spinner()->isAnimating());

    // Escape is Done.
    EXPECT_TRUE(Keyboard::shared().keyDown("escape"));
    run(1);
    EXPECT_EQ(controller->modalViewController(), nullptr);
    EXPECT_EQ(banner->browser(), nullptr);
    EXPECT_FALSE(banner->bannerViewActionInProgress());
    EXPECT_NE(banner->refreshTimer(), nullptr);
}
