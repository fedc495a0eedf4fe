#include "platform/Application.h"
#include "platform/GL.h"
#include "platform/Options.h"
#include "platform/Window.h"
#include "tests/common/TestSupport.h"

#include <atomic>
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
