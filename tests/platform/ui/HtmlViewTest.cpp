// HTML pages in a view: drawn with their CSS, pictures fetched from a real
// server, links resolved, hostile pages kept harmless.
#include "platform/Background.h"
#include "platform/HtmlView.h"
#include "platform/HttpServer.h"
#include "tests/platform/ui/KitTestSupport.h"

using namespace platform;
using kit::Rgb;

namespace {

class HtmlViewTest : public kit::KitTest, public HtmlViewDelegate {
protected:
    void TearDown() override {
        if (server) server->stop();
        waitForBackgroundJobs();
        KitTest::TearDown();
    }
    void htmlViewDidFollowLink(HtmlView*, const std::string& url) override { links.push_back(url); }
    void htmlViewDidFinishLoad(HtmlView*) override { ++finished; }

    // Runs the loop until the view's pictures are in.
    void settle(HtmlView& view) {
        for (int i = 0; i < 200 && view.isLoading(); ++i) {
            waitForBackgroundJobs();
            run(0.02);
        }
    }

    std::unique_ptr<HttpServer> server;
    std::vector<std::string> links;
    int finished = 0;
};

} // namespace

TEST_F(HtmlViewTest, DrawsThePageWithItsStyles) {
    auto view = make<HtmlView>(Rect(0, 0, 320, 200));
    gl_->addSubview(view.get());
    view->loadHTMLString("<html><head><title>House</title><style>"
                         ".box{background:#ff0000;height:40px;border:4px solid #00ff00}"
                         "</style></head><body style='margin:0'><div class=box></div>"
                         "<h1>Missions</h1><p>Three missions, one after another.</p></body></html>",
                         "");
    EXPECT_EQ(view->title(), "House");
    platform::Image img = frame();
    EXPECT_TRUE(near(pixel(img, 100, 20), Rgb{255, 0, 0})) << pixel(img, 100, 20);
    EXPECT_TRUE(near(pixel(img, 100, 1), Rgb{0, 255, 0})) << pixel(img, 100, 1);
    EXPECT_GT(inkIn(img, Rect(0, 50, 320, 100), Rgb{255, 255, 255}), 200); // the text
    EXPECT_TRUE(near(pixel(img, 300, 190), Rgb{255, 255, 255}));
    EXPECT_GT(view->contentSize().height, 100);
}

TEST_F(HtmlViewTest, TapsFollowResolvedLinksAndDragsScroll) {
    auto view = make<HtmlView>(Rect(0, 0, 320, 100));
    view->setDelegate(this);
    gl_->addSubview(view.get());
    view->loadHTMLString("<body style='margin:0'><a href='next.html' style='display:block;"
                         "height:50px'>Next</a><div style='height:400px'></div></body>",
                         "http://ads.example/house/index.html");
    tap(Point(20, 20));
    tap(Point(20, 80)); // not on the link
    EXPECT_EQ(links, std::vector<std::string>{"http://ads.example/house/next.html"});

    input_->began(1, Point(100, 90));
    input_->moved(1, Point(100, 60));
    input_->moved(1, Point(100, 30));
    input_->ended(1, Point(100, 30));
    EXPECT_FLOAT_EQ(view->contentOffset(), 60);
    EXPECT_EQ(links.size(), 1u);
    view->setContentOffset(1e9f);
    EXPECT_FLOAT_EQ(view->contentOffset(), view->contentSize().height - 100);

    // The mouse wheel scrolls too, up to the top and no further.
    EXPECT_TRUE(input_->wheel(Point(100, 50), 0, 1));
    EXPECT_FLOAT_EQ(view->contentOffset(), view->contentSize().height - 140);
    for (int notch = 0; notch < 20; ++notch) input_->wheel(Point(100, 50), 0, 1);
    EXPECT_FLOAT_EQ(view->contentOffset(), 0);
}

TEST_F(HtmlViewTest, PicturesComeFromTheServerAndBadOnesAreLeftOut) {
    std::vector<uint8_t> png = test::encodePng(
        20, 20, 2, 8, std::vector<std::vector<uint8_t>>(20, [] {
            std::vector<uint8_t> row;
            for (int i = 0; i < 20; ++i) row.insert(row.end(), {0, 0, 255});
            return row;
        }()));
    server = std::make_unique<HttpServer>([&](const HttpServerRequest& req, HttpServerResponse& res) {
        res.contentType = "image/png";
        if (req.path == "/blue.png") res.body.assign(png.begin(), png.end());
        else res.body = "not a picture";
    });
    ASSERT_TRUE(server->start());
    auto view = make<HtmlView>(Rect(0, 0, 320, 100));
    view->setDelegate(this);
    gl_->addSubview(view.get());
    view->loadHTMLString("<body style='margin:0'><img src='blue.png' width=40 height=40>"
                         "<img src='broken.png'><img src='file:///etc/hosts'></body>",
                         server->baseURL() + "/page.html");
    EXPECT_TRUE(view->isLoading());
    settle(*view);
    EXPECT_FALSE(view->isLoading());
    EXPECT_EQ(finished, 1);
    platform::Image img = frame();
    EXPECT_TRUE(near(pixel(img, 20, 20), Rgb{0, 0, 255})) << pixel(img, 20, 20);
}

TEST_F(HtmlViewTest, OversizedOrDeeplyNestedPagesShowANotice) {
    std::string deep;
    for (int i = 0; i < 50000; ++i) deep += "<div>";
    for (const std::string& page : {deep, std::string(HtmlDocument::kMaxBytes + 1, 'x')}) {
        auto view = make<HtmlView>(Rect(0, 0, 320, 100));
        view->loadHTMLString(page, "");
        gl_->addSubview(view.get());
        EXPECT_LT(view->contentSize().height, 100);
        view->removeFromSuperview();
    }
    EXPECT_FALSE(htmlNestsDeeperThan("<ul><li>a<li>b<li>c</ul><p>x<p>y<br><img src=a>", 1));
    EXPECT_FALSE(htmlNestsDeeperThan("<div><script>'<div><div><div>'</script></div>", 2));
    EXPECT_TRUE(htmlNestsDeeperThan("<div><span><b>x</b></span></div>", 2));
}

TEST_F(HtmlViewTest, WidePagesAreScaledToFitWhenAsked) {
    auto view = make<HtmlView>(Rect(0, 0, 320, 100));
    view->loadHTMLString("<body style='margin:0'><div style='width:640px;height:100px'></div></body>",
                         "");
    EXPECT_FLOAT_EQ(view->contentSize().width, 640);
    view->setScalesPageToFit(true);
    EXPECT_FLOAT_EQ(view->contentSize().width, 320);
    EXPECT_FLOAT_EQ(view->contentSize().height, 50);
}
