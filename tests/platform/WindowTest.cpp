#include "platform/Application.h"
#include "platform/GL.h"
#include "platform/Accelerometer.h"
#include "platform/Clock.h"
#include "platform/Options.h"
#include "platform/RunLoop.h"
#include "platform/System.h"
#include "platform/Window.h"
#include "platform/sdl/SdlGL.h"
#include "platform/sdl/SdlWindow.h"
#include "tests/common/TestSupport.h"

#include <atomic>
#include <cmath>
#include <tuple>
#include <thread>

using namespace platform;

namespace {

class WindowTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { window_ = test::sharedWindow(); }
    void SetUp() override {
        ASSERT_NE(window_, nullptr);
        ASSERT_TRUE(window_->context()->makeCurrent());
    }

    static void fill(const GLSurface& s, float r, float g, float b) {
        s.bind();
        glViewport(0, 0, s.width(), s.height());
        glClearColor(r, g, b, 1);
        glClear(GL_COLOR_BUFFER_BIT);
    }
    static const uint8_t* pixel(const Image& img, int x, int y) {
        return img.rgba.data() + (size_t(y) * size_t(img.width) + size_t(x)) * 4;
    }

    static Window* window_;
};

Window* WindowTest::window_ = nullptr;

} // namespace

TEST_F(WindowTest, HeadlessWindowHasAnOpenGLES11Context) {
    const char* version = reinterpret_cast<const char*>(glGetString(GL_VERSION));
    ASSERT_NE(version, nullptr);
    EXPECT_NE(std::string(version).find("OpenGL ES-CM 1.1"), std::string::npos) << version;
    EXPECT_EQ(Window::main(), window_);
    EXPECT_EQ(window_->scale(), 1);
    // A second window is refused.
    test::LogCapture log;
    EXPECT_FALSE(Window::create(Rect(0, 0, 10, 10)));
}

TEST_F(WindowTest, PresentedFrameReadsBackTopRowFirst) {
    auto surface = GLSurface::create(320, 480, ColorFormat::RGBA8, DepthFormat::Depth16);
    ASSERT_TRUE(surface);
    fill(*surface, 0, 0, 1);
    // A red band across the top 10 rows (GL counts rows from the bottom).
    glEnable(GL_SCISSOR_TEST);
    glScissor(0, 470, 320, 10);
    glClearColor(1, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    glDisable(GL_SCISSOR_TEST);

    auto view = make<View>(Rect(0, 0, 320, 480));
    window_->addSubview(view.get());
    uint64_t before = window_->presentedFrames();
    window_->present(view.get(), *surface);
    EXPECT_EQ(window_->presentedFrames(), before + 1);

    Image img = window_->lastFrame();
    ASSERT_EQ(img.width, 320);
    ASSERT_EQ(img.height, 480);
    EXPECT_EQ(pixel(img, 5, 5)[0], 255);
    EXPECT_EQ(pixel(img, 5, 5)[2], 0);
    EXPECT_EQ(pixel(img, 5, 20)[0], 0);
    EXPECT_EQ(pixel(img, 5, 20)[2], 255);

    // The frame's own framebuffer is bound again after presenting.
    GLint bound = 0;
    glGetIntegerv(GL_FRAMEBUFFER_BINDING_OES, &bound);
    EXPECT_EQ(GLuint(bound), surface->framebuffer());

    surface.reset();
    EXPECT_TRUE(window_->lastFrame().rgba.empty()); // a gone surface is not read
    view->removeFromSuperview();
}

TEST_F(WindowTest, PresentKeepsTheFramesDrawingState) {
    auto surface = GLSurface::create(32, 32, ColorFormat::RGBA8, DepthFormat::None);
    ASSERT_TRUE(surface);
    fill(*surface, 0, 1, 0);
    glEnable(GL_BLEND);
    glDisable(GL_TEXTURE_2D);
    glEnableClientState(GL_COLOR_ARRAY);
    glViewport(1, 2, 3, 4);
    glClearColor(0.5f, 0.25f, 0, 1);
    window_->present(nullptr, *surface);
    EXPECT_TRUE(glIsEnabled(GL_BLEND));
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
    EXPECT_TRUE(glIsEnabled(GL_COLOR_ARRAY));
    glDisableClientState(GL_COLOR_ARRAY);
    GLint vp[4];
    glGetIntegerv(GL_VIEWPORT, vp);
    EXPECT_EQ(vp[2], 3);
    GLfloat cc[4];
    glGetFloatv(GL_COLOR_CLEAR_VALUE, cc);
    EXPECT_FLOAT_EQ(cc[0], 0.5f);
    Image img = window_->lastFrame();
    ASSERT_EQ(img.width, 32);
    EXPECT_EQ(pixel(img, 16, 16)[1], 255);
    glDisable(GL_BLEND);
}

TEST_F(WindowTest, SharedContextOnAnotherThreadMakesTexturesTheMainContextSees) {
    Ref<GLContext> shared = window_->context()->createSharedContext();
    ASSERT_TRUE(shared);
    EXPECT_EQ(GLContext::current(), window_->context());
    std::atomic<GLuint> name{0};
    std::thread loader([&] {
        ASSERT_TRUE(shared->makeCurrent());
        GLuint t = 0;
        glGenTextures(1, &t);
        glBindTexture(GL_TEXTURE_2D, t);
        const uint8_t texel[4] = {1, 2, 3, 4};
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 1, 1, 0, GL_RGBA, GL_UNSIGNED_BYTE, texel);
        glFinish();
        name = t;
        GLContext::clearCurrent();
    });
    loader.join();
    ASSERT_NE(name.load(), 0u);
    EXPECT_TRUE(glIsTexture(name.load()));
    GLuint t = name.load();
    glDeleteTextures(1, &t);
    shared = nullptr;
}

TEST_F(WindowTest, PngWriterRefusesBadImagesAndWritesGoodOnes) {
    test::TempDir dir;
    Image bad;
    bad.width = 2;
    bad.height = 2;
    bad.rgba.resize(3);
    EXPECT_FALSE(writePng(dir.file("bad.png"), bad));
    Image good{2, 1, {255, 0, 0, 255, 0, 255, 0, 255}};
    ASSERT_TRUE(writePng(dir.file("good.png"), good));
    std::string bytes = test::readText(dir.file("good.png"));
    EXPECT_EQ(bytes.substr(1, 3), "PNG");
    EXPECT_FALSE(writePng("/nonexistent/dir/x.png", good));
}

TEST(InterfaceOrientation, ArrowKeysTiltThePictureThePlayerSees) {
    ManualClock clock;
    setClock(&clock);
    Accelerometer& acc = Accelerometer::sharedAccelerometer();
    // The device's sample after holding a key for a second (0.6 g).
    struct Case {
        int orientation;
        TiltKey key;
        double x, y;
    } cases[] = {
        {1, TiltKey::Right, 0.6, 0}, {1, TiltKey::Up, 0, 0.6}, {3, TiltKey::Right, 0, -0.6},
        {3, TiltKey::Left, 0, 0.6},  {3, TiltKey::Up, 0.6, 0}, {4, TiltKey::Right, 0, 0.6},
        {4, TiltKey::Up, -0.6, 0},
    };
    for (const Case& c : cases) {
        acc.reset();
        StatusBar::setOrientation(c.orientation, false);
        acc.setKeyHeld(c.key, true);
        clock.advance(1);
        Acceleration a = acc.currentAcceleration();
        EXPECT_NEAR(a.x, c.x, 1e-9) << c.orientation << " key " << int(c.key);
        EXPECT_NEAR(a.y, c.y, 1e-9) << c.orientation << " key " << int(c.key);
    }
    // A script stands for the device itself: not turned.
    acc.setScriptedTilt(Acceleration{0.25, 0.5, -0.8, 0});
    EXPECT_EQ(acc.currentAcceleration().x, 0.25);
    acc.reset();
    StatusBar::setOrientation(1, false);
    setClock(nullptr);
}

TEST_F(WindowTest, LandscapeShowsThePictureUprightAndMapsClicksBack) {
    auto* sdl = dynamic_cast<SdlWindow*>(window_);
    ASSERT_NE(sdl, nullptr);
    auto surface = GLSurface::create(320, 480, ColorFormat::RGBA8, DepthFormat::None);
    ASSERT_TRUE(surface);
    fill(*surface, 0, 0, 1);
    // Marks at the portrait screen's top-left (red) and top-right (green)
    // corners, 20 x 10 points.
    glEnable(GL_SCISSOR_TEST);
    for (auto [x, r, g] : {std::tuple{0, 1.f, 0.f}, std::tuple{300, 0.f, 1.f}}) {
        glScissor(x, 470, 20, 10);
        glClearColor(r, g, 0, 1);
        glClear(GL_COLOR_BUFFER_BIT);
    }
    glDisable(GL_SCISSOR_TEST);

    StatusBar::setOrientation(3, false);
    int w = 0, h = 0;
    SDL_GetWindowSize(sdl->sdlWindow(), &w, &h);
    EXPECT_EQ(w, 480);
    EXPECT_EQ(h, 320);
    window_->present(nullptr, *surface);

    // As the player sees it: the right edge on top, so the top-left mark at
    // the bottom-left and the top-right mark at the top-left.
    Image img = window_->lastFrame();
    ASSERT_EQ(img.width, 480);
    ASSERT_EQ(img.height, 320);
    auto colour = [](const uint8_t* p) {
        return p[0] > 200 ? 'R' : p[1] > 200 ? 'G' : p[2] > 200 ? 'B' : '?';
    };
    EXPECT_EQ(colour(pixel(img, 4, 316)), 'R');
    EXPECT_EQ(colour(pixel(img, 4, 4)), 'G');
    EXPECT_EQ(colour(pixel(img, 4, 30)), 'B');
    EXPECT_EQ(colour(pixel(img, 476, 4)), 'B');
    // The window's own picture agrees. Headless, the window's surface keeps
    // the size it was made with (320 x 480), so its left 320 x 320 is what
    // can be compared; presenting does not replace it.
    bindWindowFramebuffer();
    std::vector<uint8_t> screen(320 * 480 * 4);
    glReadPixels(0, 0, 320, 480, GL_RGBA, GL_UNSIGNED_BYTE, screen.data());
    surface->bind();
    int differing = 0;
    for (int y = 0; y < 320; ++y)
        for (int x = 0; x < 320; ++x)
            if (colour(&screen[(size_t(319 - y) * 320 + size_t(x)) * 4]) !=
                colour(pixel(img, x, y)))
                ++differing;
    EXPECT_EQ(differing, 0);

    // A click on the picture's upper-left lands where a turned device would
    // report it: the portrait screen's top-right corner.
    Point p = window_->pointFromPixel(0.5f, 0.5f);
    EXPECT_FLOAT_EQ(p.x, 319.5f);
    EXPECT_FLOAT_EQ(p.y, 0.5f);

    StatusBar::setOrientation(1, false);
    SDL_GetWindowSize(sdl->sdlWindow(), &w, &h);
    EXPECT_EQ(w, 320);
    EXPECT_EQ(h, 480);
    EXPECT_EQ(window_->pointFromPixel(0.5f, 0.5f), Point(0.5f, 0.5f));
    window_->present(nullptr, *surface);
    EXPECT_EQ(window_->lastFrame().width, 320);
}

TEST(FramePacing, SixtyFramesASecondOnAnyDisplay) {
    // A present that waits for the display's refresh blocks until its next
    // refresh; the run loop's own 60 Hz refresh drives the frames.
    ManualClock clock;
    setClock(&clock);
    RunLoop& loop = RunLoop::main();
    loop.reset();
    loop.setVirtualClock(&clock);
    for (int hz : {30, 50, 59, 60, 75, 144, 240}) {
        bool waits = swapIntervalFor(hz, false) == 1;
        EXPECT_EQ(waits, hz >= 60) << hz;
        int frames = 0;
        double start = clock.monotonic();
        auto link = loop.addDisplayLink(1, [&] {
            ++frames;
            if (waits) clock.advance(std::ceil(clock.monotonic() * hz + 1e-9) / hz -
                                     clock.monotonic());
        });
        while (clock.monotonic() < start + 10) loop.runEventSlice(1);
        link->invalidate();
        EXPECT_NEAR(frames, 600, 2) << hz << " Hz";
    }
    EXPECT_EQ(swapIntervalFor(0, false), 1);
    EXPECT_EQ(swapIntervalFor(144, true), 0);
    loop.reset();
    loop.setVirtualClock(nullptr);
    setClock(nullptr);
}
