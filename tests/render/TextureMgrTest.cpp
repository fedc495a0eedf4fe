#include "render/TextureMgr.h"
#include "platform/Files.h"
#include "platform/ImageDecoder.h"
#include "platform/RunLoop.h"
#include "tests/render/RenderTestSupport.h"

#include <filesystem>
#include <thread>

using namespace rendertest;

namespace {

class TextureMgrTest : public GLTest {
protected:
    void SetUp() override {
        GLTest::SetUp();
        platform::setResourceDirectory(dir_.path().string());
    }
    void TearDown() override {
        TextureMgr::purgeSharedTextureMgr();
        platform::RunLoop::main().reset();
        platform::setResourceDirectory("");
    }
    TextureMgr& mgr() { return TextureMgr::sharedTextureMgr(); }
    void writePvr(const std::string& name) {
        auto data = pvrtcBlocks(4, 0, pvrtcColors(0, 31, 0, 0, 31, 0));
        writeFile(dir_.file(name), pvrFile(8, 8, 25, 0, data, uint32_t(data.size())));
    }
    test::TempDir dir_;
};

// Reaches the cache's insertion under a chosen key.
struct KeyedMgr : TextureMgr {
    using TextureMgr::cacheTexture;
};

} // namespace

TEST_F(TextureMgrTest, SameNameGivesTheSameTextureWithoutRereading) {
    writeSolidPng(dir_.file("a.png"), 3, 3, {255, 0, 0, 255});
    auto first = mgr().addImage("a.png");
    ASSERT_TRUE(first);
    EXPECT_EQ(first->contentSize(), Size(3, 3));
    std::filesystem::remove(dir_.file("a.png"));
    EXPECT_EQ(mgr().addImage("a.png"), first);
    EXPECT_EQ(mgr().textureForKey("a.png"), first);

    // Sub-directories of the resource directory and absolute paths.
    std::filesystem::create_directory(dir_.path() / "sub");
    writeSolidPng(dir_.file("sub/b.png"), 5, 2, {0, 0, 255, 255});
    auto sub = mgr().addImage("sub/b.png");
    ASSERT_TRUE(sub);
    EXPECT_EQ(sub->contentSize(), Size(5, 2));
    auto absolute = mgr().addImage(dir_.file("sub/b.png"));
    ASSERT_TRUE(absolute);
    EXPECT_NE(absolute, sub); // another key, another texture

    // A file that cannot be decoded: logged, nothing cached.
    test::LogCapture log;
    size_t before = mgr().textureCount();
    test::writeText(dir_.file("bad.png"), "not a picture");
    EXPECT_FALSE(mgr().addImage("bad.png"));
    EXPECT_FALSE(mgr().addImage("missing.png"));
    EXPECT_TRUE(log.contains("Image is Null"));
    EXPECT_EQ(mgr().textureCount(), before);

    EXPECT_CC_ASSERT(mgr().addImage(""), "TextureMgr: fileimage MUST not be nill");
    EXPECT_CC_ASSERT(mgr().addCGImage(nullptr), "TextureMgr: image MUST not be nill");
    EXPECT_CC_ASSERT(mgr().addPVRTCImage("x", 3, true, 8), "TextureMgr: bpp must be either 2 or 4");
}

TEST_F(TextureMgrTest, PvrFilesAreKeyedByTheirFullPath) {
    writePvr("output.pvr");
    auto texture = mgr().addImage("output.pvr");
    ASSERT_TRUE(texture);
    EXPECT_NE(texture->name(), 0u);
    std::string full = dir_.file("output.pvr");
    EXPECT_FALSE(mgr().textureForKey("output.pvr"));
    EXPECT_EQ(mgr().textureForKey(full), texture);
    EXPECT_EQ(mgr().addImage("output.pvr"), texture);
    EXPECT_EQ(mgr().addPVRTCImage(full), texture);
    EXPECT_EQ(mgr().textureCount(), 1u);
    // Asked again by name, the path is not looked up again; once the
    // texture is dropped, it is.
    std::filesystem::rename(full, full + ".moved");
    EXPECT_EQ(mgr().addImage("output.pvr"), texture);
    mgr().removeTexture(texture.get());
    std::filesystem::rename(full + ".moved", full);
    auto again = mgr().addImage("output.pvr");
    ASSERT_TRUE(again);
    EXPECT_NE(again, texture);
    EXPECT_EQ(mgr().textureForKey(full), again);
    texture = again;

    // The extension test ignores case.
    writePvr("LOUD.PVR");
    auto loud = mgr().addImage("LOUD.PVR");
    ASSERT_TRUE(loud);
    EXPECT_EQ(int(loud->pixelFormat()), 0); // made from PVRTC, not decoded as an image
    EXPECT_EQ(loud->contentSize(), Size(8, 8));
    EXPECT_EQ(mgr().textureForKey(dir_.file("LOUD.PVR")), loud);

    // An unreadable .pvr is cached as an empty texture.
    test::LogCapture log;
    auto missing = mgr().addImage("gone.pvr");
    ASSERT_TRUE(missing);
    EXPECT_EQ(missing->name(), 0u);
    EXPECT_EQ(mgr().addImage("gone.pvr"), missing);
}

TEST_F(TextureMgrTest, RawPvrtcFilesAndImages) {
    auto data = pvrtcBlocks(4, 0, pvrtcColors(31, 31, 15, 0, 0, 0));
    writeFile(dir_.file("raw.pvrtc"), data);
    auto raw = mgr().addPVRTCImage("raw.pvrtc", 4, true, 8);
    ASSERT_TRUE(raw);
    EXPECT_EQ(raw->contentSize(), Size(8, 8));
    EXPECT_EQ(mgr().addPVRTCImage("raw.pvrtc", 4, true, 8), raw);
    test::LogCapture log;
    EXPECT_FALSE(mgr().addPVRTCImage("raw.pvrtc2", 2, false, 8)); // no such file
    writeFile(dir_.file("short.pvrtc"), std::vector<uint8_t>(16));
    EXPECT_FALSE(mgr().addPVRTCImage("short.pvrtc", 4, false, 8));
    EXPECT_FALSE(mgr().textureForKey("short.pvrtc"));

    auto image =
        platform::DecodedImage::imageWithRGBA(1, 1, {1, 2, 3, 255}, platform::ImageAlpha::None);
    auto byKey = mgr().addCGImage(image.get(), "pixel");
    ASSERT_TRUE(byKey);
    EXPECT_EQ(mgr().addCGImage(image.get(), "pixel"), byKey);
    auto byIdentity = mgr().addCGImage(image.get());
    ASSERT_TRUE(byIdentity);
    EXPECT_NE(byIdentity, byKey);
    EXPECT_EQ(mgr().addCGImage(image.get()), byIdentity);

    // The identity key holds its image, so no new image can take its
    // address (and its texture) while the key stands.
    EXPECT_EQ(image->retainCount(), 2);
    mgr().removeTexture(byIdentity.get());
    EXPECT_EQ(image->retainCount(), 1);
    mgr().addCGImage(image.get());
    mgr().removeAllTextures();
    EXPECT_EQ(image->retainCount(), 1);
}

TEST_F(TextureMgrTest, RemovalDropsEveryKeyAndOnlyUnheldTextures) {
    TextureMgr::purgeSharedTextureMgr();
    auto cache = make<KeyedMgr>();
    writeSolidPng(dir_.file("a.png"), 2, 2, {1, 1, 1, 255});
    writeSolidPng(dir_.file("b.png"), 2, 2, {2, 2, 2, 255});
    auto a = cache->addImage("a.png");
    ASSERT_TRUE(a);
    cache->cacheTexture("alias", a.get());
    EXPECT_EQ(cache->textureForKey("alias"), a);
    cache->addImage("b.png");
    EXPECT_EQ(cache->textureCount(), 3u);
    cache->removeTexture(a.get());
    EXPECT_EQ(cache->textureCount(), 1u);
    EXPECT_FALSE(cache->textureForKey("a.png"));
    EXPECT_FALSE(cache->textureForKey("alias"));
    EXPECT_EQ(a->retainCount(), 1); // the cache let go of both
    cache->removeTexture(nullptr);

    // Only "a.png" is held outside the cache.
    a = cache->addImage("a.png");
    cache->addImage("c.png"); // missing, not cached
    EXPECT_EQ(cache->textureCount(), 2u);
    cache->removeUnusedTextures();
    EXPECT_EQ(cache->textureCount(), 1u);
    EXPECT_EQ(cache->textureForKey("a.png"), a);
    cache->removeAllTextures();
    EXPECT_EQ(cache->textureCount(), 0u);
    EXPECT_EQ(a->retainCount(), 1);
}

TEST_F(TextureMgrTest, BackgroundLoadCallsBackOnTheMainThread) {
    writeSolidPng(dir_.file("async.png"), 4, 4, {0, 255, 0, 255});
    auto target = make<Object>();
    std::thread::id calledOn;
    Ref<Texture2D> loaded;
    int calls = 0;
    Selector<void(Texture2D*)> done("imageLoaded", [&](Texture2D* t) {
        calledOn = std::this_thread::get_id();
        loaded = t;
        ++calls;
    });
    mgr().addImageAsync("async.png", target.get(), done);
    EXPECT_EQ(calls, 0);                 // not at once
    EXPECT_EQ(target->retainCount(), 2); // the pending load holds the target
    auto& loop = platform::RunLoop::main();
    for (int i = 0; i < 1000 && calls == 0; ++i)
        loop.runEventSlice(0.01);
    ASSERT_EQ(calls, 1);
    EXPECT_EQ(calledOn, std::this_thread::get_id());
    ASSERT_TRUE(loaded);
    EXPECT_EQ(mgr().addImage("async.png"), loaded);
    EXPECT_EQ(target->retainCount(), 1);

    // The texture made on the loading context draws on this one.
    const uint8_t black[4] = {0, 0, 0, 255};
    auto s = surface2D(8, 8, black);
    loaded->drawAtPoint(Point(0, 0));
    EXPECT_TRUE(near(Pixels::of(*s).at(1, 1), {0, 255, 0, 255}));
    endDrawing();

    // Cached: called at once, on this thread.
    mgr().addImageAsync("async.png", target.get(), done);
    EXPECT_EQ(calls, 2);

    // A file that cannot be loaded calls back with nothing.
    test::LogCapture log;
    mgr().addImageAsync("none.png", target.get(), done);
    for (int i = 0; i < 1000 && calls == 2; ++i)
        loop.runEventSlice(0.01);
    EXPECT_EQ(calls, 3);
    EXPECT_FALSE(loaded);
}

TEST_F(TextureMgrTest, BackgroundLoadsLeaveTheCacheToTheMainThreadAndOutliveAPurge) {
    // Loads decoded in the background while the main thread holds, drops
    // and purges cached textures: each is answered on the main thread with
    // its own file's texture, and a purge with loads pending makes way for
    // the next cache.
    const int sides[] = {4, 8, 16};
    auto name = [](int i) { return "load" + std::to_string(i) + ".png"; };
    for (int i = 0; i < 3; ++i)
        writeSolidPng(dir_.file(name(i)), sides[i], sides[i], {0, 0, 255, 255});
    Ref<Texture2D> held = mgr().addImage(name(0));
    auto target = make<Object>();
    const int loads = 60;
    int answered = 0, wrong = 0;
    const std::thread::id main = std::this_thread::get_id();
    for (int n = 0; n < loads; ++n) {
        const int i = n % 3;
        mgr().addImageAsync(name(i), target.get(),
                            Selector<void(Texture2D*)>("loaded", [&, i](Texture2D* t) {
                                ++answered;
                                if (!t || t->contentSize() != Size(sides[i], sides[i]) ||
                                    std::this_thread::get_id() != main)
                                    ++wrong;
                            }));
        for (int k = 0; k < 1000; ++k)
            Ref<Texture2D> user = held;
        if (n == loads / 2) TextureMgr::purgeSharedTextureMgr();
    }
    auto& loop = platform::RunLoop::main();
    for (int i = 0; i < 2000 && answered < loads; ++i)
        loop.runEventSlice(0.01);
    EXPECT_EQ(answered, loads);
    EXPECT_EQ(wrong, 0);
    EXPECT_EQ(target->retainCount(), 1);
    EXPECT_EQ(held->retainCount(), 1); // the purged cache let go of it
}
