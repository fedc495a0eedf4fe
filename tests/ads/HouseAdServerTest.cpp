// The house ads as the ad clients get them.
#include "ads/HouseAdServer.h"
#include "ads/CometBannerView.h"
#include "platform/Files.h"
#include "platform/HtmlDocument.h"
#include "platform/XmlDocument.h"
#include "tests/common/TestSupport.h"

using namespace platform;

namespace {

HttpResponse get(const std::string& url) {
    HttpRequest r;
    r.url = url;
    r.timeout = 2;
    return httpGet(r);
}

} // namespace

TEST(HouseAdServerTest, ServesEveryAdInTurnWithItsPictureAndPage) {
    HouseAdServer house(resourceDirectory());
    ASSERT_TRUE(house.start());
    std::vector<std::string> names = house.orbitAdNames();
    EXPECT_EQ(names, (std::vector<std::string>{"missions", "asteroidavoid", "dragship",
                                               "spaceshoot", "text"}));
    std::string ask = house.baseURL() + "/request.php?rt=iphone_app&s=P";
    for (const std::string& name : names) {
        SCOPED_TRACE(name);
        HttpResponse answer = get(ask);
        auto doc = XmlDocument::parse(answer.body);
        ASSERT_TRUE(doc);
        XmlElement ad = doc->root();
        if (name == "text") {
            EXPECT_EQ(ad.attribute("type"), "textAd");
            EXPECT_NE(ad.childText("htmlString").find("Quick Play"), std::string::npos);
        } else {
            EXPECT_EQ(ad.attribute("type"), "imageAd");
            HttpResponse picture = get(ad.childText("imageurl"));
            auto image = DecodedImage::imageWithData(
                reinterpret_cast<const uint8_t*>(picture.body.data()), picture.body.size());
            ASSERT_TRUE(image);
            EXPECT_EQ(image->width(), 320);
            EXPECT_EQ(image->height(), 50);
        }
        EXPECT_EQ(ad.childText("clicktype"), "inapp");
        HttpResponse page = get(ad.childText("clickurl"));
        EXPECT_EQ(page.mimeType, "text/html");
        EXPECT_EQ(HtmlDocument(page.body, "").title(), "Nebulark Skirmage");
    }
    EXPECT_EQ(house.orbitRequests(), 5);

    ASSERT_TRUE(house.setOnlyAd("text"));
    EXPECT_FALSE(house.setOnlyAd("nothing"));
    EXPECT_EQ(XmlDocument::parse(get(ask).body)->root().attribute("type"), "textAd");
    EXPECT_EQ(
        XmlDocument::parse(get(house.baseURL() + "/request.php?rt=iphone_app").body)->root().name(),
        "error");
    EXPECT_TRUE(parseCometAd(get(house.baseURL() + "/comet/ad?pub=P").body));
    // Only the ads' own files, whatever the path says.
    for (const char* path : {"/house/coordinates.plist", "/house/../coordinates.plist",
                             "/house/%2e%2e/coordinates.plist", "/house/"})
        EXPECT_EQ(get(house.baseURL() + path).status, 404) << path;
}

TEST(CometAdTest, ReadsOnlyAnswersWithAnAdToShow) {
    std::string long300(300, 'x');
    std::string accents;
    for (int i = 0; i < 150; ++i)
        accents += "\xc3\xa9"; // 300 bytes of "é"
    struct Case {
        std::string json;
        std::optional<std::string> headline;
    } cases[] = {
        {R"({"status":"ok","headline":"Hi","text":"t","clickurl":"http://x"})", "Hi"},
        {R"({"status":"noad","headline":"Hi"})", std::nullopt},
        {R"({"status":"ok","headline":""})", std::nullopt},
        {R"({"status":"ok","headline":5})", std::nullopt},
        {R"(["status","ok"])", std::nullopt},
        {R"({"status":"ok","headline":"Hi")", std::nullopt},
        {R"({"status":"ok","headline":")" + long300 + "\"}", std::string(200, 'x')},
        {R"({"status":"ok","headline":")" + accents + "\"}", accents.substr(0, 200)},
    };
    for (const Case& c : cases) {
        auto ad = parseCometAd(c.json);
        EXPECT_EQ(ad.has_value(), c.headline.has_value()) << c.json;
        if (ad && c.headline) {
            EXPECT_EQ(ad->headline, *c.headline);
        }
    }
}
