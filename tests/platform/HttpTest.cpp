// HTTP against a real server on 127.0.0.1: what is sent, what comes back,
// and the limits that hold against servers that misbehave.
#include "platform/Clock.h"
#include "platform/Http.h"
#include "platform/HttpServer.h"
#include "platform/RunLoop.h"
#include "tests/common/TestSupport.h"

#include <chrono>

using namespace platform;

namespace {

class HttpTest : public ::testing::Test {
protected:
    void SetUp() override {
        server = std::make_unique<HttpServer>([this](const HttpServerRequest& req,
                                                     HttpServerResponse& res) {
            answer(req, res);
        });
        ASSERT_TRUE(server->start());
    }
    void TearDown() override {
        server->stop();
        waitForBackgroundJobs();
        RunLoop::main().reset();
    }

    void answer(const HttpServerRequest& req, HttpServerResponse& res) {
        if (req.path == "/hello") {
            res.contentType = "text/html; charset=ISO-8859-1";
            res.body = req.header("User-Agent") + "|" + req.header("Accept");
        } else if (req.path == "/big") {
            res.body.assign(300000, 'x');
        } else if (req.path == "/stall") {
            server->waitForStop(10);
        } else if (req.path == "/loop") {
            res.status = 302;
            res.headers.emplace("Location", "/loop");
        } else if (req.path == "/away") {
            res.status = 301;
            res.headers.emplace("Location", "../hello?x=1");
        } else if (req.path == "/file") {
            res.status = 302;
            res.headers.emplace("Location", "file:///etc/passwd");
        } else {
            res.status = 404;
        }
    }
    std::string url(const std::string& path) { return server->baseURL() + path; }
    HttpResponse get(const std::string& path, Redirects redirects = Redirects::Keep) {
        HttpRequest r;
        r.url = url(path);
        r.redirects = redirects;
        r.timeout = 1;
        return httpGet(r);
    }

    std::unique_ptr<HttpServer> server;
};

} // namespace

TEST_F(HttpTest, SendsTheHeadersAndReadsTheAnswerWithItsType) {
    HttpRequest r;
    r.url = url("/hello");
    r.headers = {{"User-Agent", "Orbit/3.0 (test)"}, {"Accept", "text/xml"}, {"X-Bad", "a\r\nB: c"}};
    HttpResponse res = httpGet(r);
    ASSERT_TRUE(res.succeeded()) << res.error;
    EXPECT_EQ(res.body, "Orbit/3.0 (test)|text/xml");
    EXPECT_EQ(res.mimeType, "text/html");
    EXPECT_EQ(res.textEncoding, "iso-8859-1");
    EXPECT_EQ(get("/missing").status, 404);
    EXPECT_FALSE(get("/missing").succeeded());
}

TEST_F(HttpTest, LimitsHoldAgainstMisbehavingServers) {
    EXPECT_NE(get("/big").error.find("larger than"), std::string::npos);

    auto start = std::chrono::steady_clock::now();
    HttpResponse stalled = get("/stall");
    double took = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    EXPECT_FALSE(stalled.answered());
    EXPECT_LT(took, 3.0);

    EXPECT_FALSE(get("/loop", Redirects::Follow).answered());
    EXPECT_FALSE(get("/file", Redirects::Follow).answered());
    for (const char* bad : {"file:///etc/passwd", "javascript:alert(1)", "ftp://127.0.0.1/"}) {
        HttpRequest r;
        r.url = bad;
        EXPECT_FALSE(httpGet(r).answered()) << bad;
    }
}

TEST_F(HttpTest, RedirectsAreKeptFollowedOrStoppedAtAsAsked) {
    EXPECT_EQ(get("/away").status, 301);
    HttpResponse followed = get("/away", Redirects::Follow);
    EXPECT_TRUE(followed.succeeded());
    EXPECT_EQ(followed.url, url("/hello?x=1"));
    HttpResponse stopped = get("/away", Redirects::StopAtFirst);
    EXPECT_EQ(stopped.redirectTo, url("/hello?x=1"));
    // Where it points is reported, whatever the scheme; the caller decides.
    EXPECT_EQ(get("/file", Redirects::StopAtFirst).redirectTo, "file:///etc/passwd");
}

TEST_F(HttpTest, AsyncAnswersArriveOnTheMainThreadUnlessCancelled) {
    std::vector<std::string> got;
    HttpRequest r;
    r.url = url("/hello");
    Ref<HttpTask> kept = httpGetAsync(r, [&](const HttpResponse& res) {
        EXPECT_TRUE(RunLoop::main().isMainThread());
        got.push_back(res.body);
    });
    Ref<HttpTask> dropped = httpGetAsync(r, [&](const HttpResponse&) { got.push_back("late"); });
    dropped->cancel();
    waitForBackgroundJobs();
    RunLoop::main().runPosted();
    EXPECT_EQ(got, std::vector<std::string>{"|*/*"});
}

TEST(UrlTest, EscapingAndResolving) {
    EXPECT_EQ(percentEscape("a Z~-_.!*'();:@&=+$,/?%#[]\xc3\xa9"),
              "a%20Z~-_.%21%2A%27%28%29%3B%3A%40%26%3D%2B%24%2C%2F%3F%25%23%5B%5D%C3%A9");
    EXPECT_EQ(directoryURL("http://ads.example:8080/a/b/c.html?q=1"), "http://ads.example:8080/a/b/");
    EXPECT_EQ(directoryURL("https://x.example"), "https://x.example/");
    EXPECT_EQ(resolveURL("http://h/a/b.html", "c/d.png"), "http://h/a/c/d.png");
    EXPECT_EQ(resolveURL("http://h/a/b.html", "mailto:x@y"), "mailto:x@y");
    EXPECT_EQ(urlScheme("HTTPS://x"), "https");
    EXPECT_EQ(urlScheme("/relative:path"), "");
    EXPECT_EQ(urlHost("http://WWW.Example.com:81/x"), "www.example.com");
}
