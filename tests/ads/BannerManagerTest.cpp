// The banner rotation and its strip, against a real server on 127.0.0.1.
#include "tests/ads/AdTestSupport.h"

#include "platform/AppNotifications.h"

using namespace platform;

namespace {

class BannerManagerTest : public test::AdTest {
protected:
    void SetUp() override {
        AdTest::SetUp();
        red = test::encodePng(320, 50, 2, 8, std::vector<std::vector<uint8_t>>(50, redRow()));
    }
    static std::vector<uint8_t> redRow() {
        std::vector<uint8_t> row;
        for (int x = 0; x < 320; ++x)
            row.insert(row.end(), {230, 20, 20});
        return row;
    }
    // Orbit answers `orbit`, Comet `comet`; the picture is red.
    void networks(const std::string& orbit, const std::string& comet) {
        serve([=, this](const HttpServerRequest& q, HttpServerResponse& r) {
            if (q.path == "/request.php") r.body = orbit;
            if (q.path == "/comet/ad") r.body = comet;
            if (q.path == "/red.png") r.body.assign(red.begin(), red.end());
        });
    }
    XWBannerManager& attach() {
        controller = make<ViewController>();
        controller->setView(gl_.get());
        XWBannerManager& m = XWBannerManager::sharedManager();
        m.addAdsToViewController(controller.get());
        return m;
    }
    int count(const char* name) { return int(std::count(posted.begin(), posted.end(), name)); }
    void becomeActive() {
        NotificationCenter::defaultCenter().postNotificationName(
            kApplicationDidBecomeActiveNotification);
    }

    std::vector<uint8_t> red;
    Ref<ViewController> controller;
    const std::string cometAd =
        R"({"status":"ok","headline":"Comet","text":"ad","clickurl":"http://x"})";
};

} // namespace

TEST_F(BannerManagerTest, BothNetworksFailingShowNothingUntilTheApplicationIsActiveAgain) {
    networks("<ad type=", R"({"status":"noad"})");
    test::LogCapture log;
    XWBannerManager& m = attach();
    EXPECT_EQ(m.bannerClipView()->frame(), Rect(0, 405, 320, 75));
    EXPECT_EQ(m.bannerMode(), kBannerModeOrbit);
    settle();
    EXPECT_EQ(m.bannerMode(), kBannerModeExhausted);
    EXPECT_FALSE(m.isBannerVisible());
    EXPECT_EQ(paths(), (std::vector<std::string>{"/request.php", "/comet/ad"}));
    EXPECT_EQ(count(kBannerWillSlideInNotification), 0);
    EXPECT_TRUE(
        log.contains("Orbit: Did fail to receive ad, Error parsing xml response from server"));
    EXPECT_TRUE(log.contains("Comet: Did fail to receive ad"));
    EXPECT_EQ(m.orbitBannerView(), nullptr);
    EXPECT_EQ(m.cometBannerView(), nullptr);

    // Becoming active starts again at Orbit, and only after the rotation ended.
    becomeActive();
    EXPECT_EQ(m.bannerMode(), kBannerModeOrbit);
    becomeActive();
    settle();
    EXPECT_EQ(paths().size(), 4u);
    EXPECT_EQ(m.bannerMode(), kBannerModeExhausted);
}

TEST_F(BannerManagerTest, AnOrbitImageAdSlidesInAtTheBottomAndStaysWhenActiveAgain) {
    networks(test::imageAd(server->baseURL() + "/red.png"), "");
    XWBannerManager& m = attach();
    settle();
    EXPECT_TRUE(m.orbitBannerShowing());
    EXPECT_EQ(count(kBannerWillSlideInNotification), 1);
    EXPECT_EQ(count(kBannerDidSlideInNotification), 1);
    ASSERT_NE(m.orbitBannerView(), nullptr);
    EXPECT_EQ(m.orbitBannerView()->superview(), m.bannerClipView());
    Image img = frame();
    EXPECT_TRUE(near(pixel(img, 160, 455), kit::Rgb{230, 20, 20})) << pixel(img, 160, 455);
    EXPECT_TRUE(near(pixel(img, 160, 415), kit::Rgb{0, 0, 255})); // above the banner: the game

    becomeActive();
    settle();
    EXPECT_EQ(m.bannerMode(), kBannerModeOrbit);
    EXPECT_EQ(paths().size(), 2u); // the answer and its picture, nothing more
}

TEST_F(BannerManagerTest, CometBannerSlidesInOnceAndRefreshesOnItsOwnTimer) {
    networks("<ad type=\"noAd\"/>", cometAd);
    XWBannerManager& m = attach();
    settle();
    ASSERT_EQ(m.bannerMode(), kBannerModeComet);
    EXPECT_TRUE(m.cometBannerShowing());
    RunLoopTimer* timer = m.refreshTimer();
    ASSERT_NE(timer, nullptr);
    Image img = frame();
    EXPECT_TRUE(near(pixel(img, 300, 475), kit::Rgb{53, 111, 168})) << pixel(img, 300, 475);

    m.didReceiveAd(m.cometBannerView());
    run(1);
    EXPECT_EQ(m.refreshTimer(), timer);
    EXPECT_EQ(count(kBannerWillSlideInNotification), 1);

    run(XWBannerManager::kCometRefreshInterval);
    settle();
    EXPECT_EQ(countPath("/comet/ad"), 2);
    EXPECT_EQ(count(kBannerWillSlideInNotification), 1);
}

TEST_F(BannerManagerTest, TouchesFallThroughTheStripExceptOnTheBanner) {
    networks(test::imageAd(server->baseURL() + "/red.png"), "");
    XWBannerManager& m = attach();
    settle();
    XWBannerClipView* clip = m.bannerClipView();
    // A banner reaching into the top-left corner.
    auto tall = make<View>(Rect(0, 0, 320, 75));
    clip->addSubviewAtBottom(tall.get());
    struct Case {
        Point at;
        bool reachesGame;
    } cases[] = {{{10, 10}, true}, {{279, 19}, true}, {{281, 10}, false}, {{10, 21}, false}};
    for (const Case& c : cases)
        EXPECT_EQ(clip->hitTest(c.at) == nullptr, c.reachesGame) << c.at.x << "," << c.at.y;
    tall->removeFromSuperview();
    EXPECT_EQ(clip->hitTest(Point(300, 10)), nullptr); // the strip itself
    EXPECT_NE(clip->hitTest(Point(300, 60)), nullptr); // the Orbit banner
    tap(Point(300, 415));
    EXPECT_EQ(gl_->touches, 1);
}

TEST_F(BannerManagerTest, PlacingAtTheBottomAndSlidingOut) {
    auto clip = make<XWBannerClipView>(Rect(0, 405, 320, 75));
    gl_->addSubview(clip.get());
    auto v = make<View>(Rect(10, 0, 100, 30));
    clip->addSubviewOutsideAtBottom(v.get());
    EXPECT_EQ(v->frame(), Rect(10, 45, 100, 30));
    EXPECT_EQ(clip->purchaseButton()->frame(), Rect(0, 21, 320, 54));
    EXPECT_EQ(clip->backgroundView()->frame(), Rect(11, 46, 98, 28));
    EXPECT_EQ(clip->backgroundView()->alpha(), 0);
    EXPECT_EQ(v->transform().ty, 30);
    EXPECT_EQ(clip->slidingView()->transform().ty, 30);
    EXPECT_EQ(clip->subviews().front().get(), clip->slidingView());

    // What slides in while the others slide out stays.
    clip->slideOutSubviews();
    auto next = make<View>(Rect(0, 0, 320, 50));
    clip->slideInSubview(next.get());
    run(1);
    EXPECT_EQ(v->superview(), nullptr);
    EXPECT_EQ(next->superview(), clip.get());
    EXPECT_EQ(clip->purchaseButton()->superview(), clip.get());
    EXPECT_EQ(next->transform().ty, 0);
    EXPECT_EQ(posted, (std::vector<std::string>{
                          kBannerWillSlideOutNotification, kBannerWillSlideInNotification,
                          kBannerDidSlideOutNotification, kBannerDidSlideInNotification}));
}

TEST_F(BannerManagerTest, WithoutAServerNamedTheHouseAdsAreShown) {
    AdSettings::shared().serverURL.clear();
    XWBannerManager& m = attach();
    ASSERT_NE(m.houseAdServer(), nullptr);
    EXPECT_EQ(AdSettings::shared().serverURL, m.houseAdServer()->baseURL());
    settle();
    EXPECT_TRUE(m.orbitBannerShowing());
    EXPECT_GT(inkIn(frame(), Rect(0, 430, 320, 50), kit::Rgb{0, 0, 255}), 8000);
}
