#pragma once

#include "game/GameNotifications.h"
#include "game/SavedGameData.h"
#include "game/StartScreens.h"
#include "platform/Files.h"
#include "platform/NotificationCenter.h"
#include "platform/PropertyList.h"
#include "platform/TouchInput.h"
#include "platform/ui/MediaPicker.h"
#include "platform/ui/Toolbar.h"
#include "tests/game/AppTestSupport.h"

#include <cstdlib>
#include <filesystem>
#include <map>

namespace screentest {

// The game launched on its main menu, with saved data in a fresh directory.
class ScreenTest : public test::AppTest {
protected:
    void SetUp() override {
        AppTest::SetUp();
        platform::setDocumentsDirectory(docs.path().string());
        app->setStartScreen(findStartScreen("menu"));
        app->applicationDidFinishLaunching();
        runFor(0.1);
    }
    void TearDown() override {
        platform::MusicPlayerController::systemMusicPlayer().setQueueWithItemCollection({});
        platform::MediaLibrary::setMusicDirectory("");
        AppTest::TearDown();
        platform::setDocumentsDirectory("");
    }

    // Posts `name` and lets a flip end.
    void post(const char* name) {
        platform::NotificationCenter::defaultCenter().postNotificationName(name);
        runFor(0.6);
    }
    void tapAt(Point windowPoint) {
        input.began(1, windowPoint);
        input.ended(1, windowPoint);
    }
    // A tap at `p` in `view`'s own coordinates (its middle by default).
    void tap(const platform::View* view, Point p = Point(-1, -1)) {
        ASSERT_NE(view, nullptr);
        if (p.x < 0) p = Point(view->bounds().size.width / 2, view->bounds().size.height / 2);
        tapAt(view->convertPointToWindow(p));
    }
    static platform::Button* barButton(platform::Toolbar* bar, const std::string& title) {
        for (auto& item : bar->items())
            if (item->title() == title) return item->button();
        ADD_FAILURE() << "no bar button " << title;
        return nullptr;
    }
    static bool menuIsRunning() {
        Scene* s = Director::sharedDirector().runningScene();
        return s && !s->children().empty() &&
               dynamic_cast<HelloWorld*>(s->children()[0].get()) &&
               !Director::sharedDirector().isPaused();
    }

    // The saved files and what they hold.
    std::map<std::string, saved::Dictionary> files() const {
        std::map<std::string, saved::Dictionary> all;
        for (auto& entry : std::filesystem::directory_iterator(docs.path())) {
            saved::Dictionary& out = all[entry.path().filename().string()];
            if (auto dict = platform::readDictionary(entry.path().string()))
                for (auto& [k, v] : *dict)
                    if (v.string()) out[k] = *v.string();
        }
        return all;
    }
    void clearDocuments() {
        for (auto& entry : std::filesystem::directory_iterator(docs.path()))
            std::filesystem::remove(entry.path());
    }

    // What the window shows now; kept under $NEBULARK_PICTURES when set.
    static platform::Image picture(const char* keepAs) {
        platform::Window* w = test::sharedWindow();
        w->composite();
        platform::Image img = w->lastFrame();
        if (const char* dir = std::getenv("NEBULARK_PICTURES"))
            platform::writePng(std::string(dir) + "/" + keepAs, img);
        return img;
    }
    struct Rgb {
        int r, g, b;
    };
    static Rgb pixel(const platform::Image& img, Point p) {
        const uint8_t* px = test::at(img, int(p.x), int(p.y));
        return Rgb{px[0], px[1], px[2]};
    }
    static bool isBlue(Rgb c) { return c.b > c.r + 60; }
    static bool isSlate(Rgb c) { return c.b > c.r + 15 && c.b < 235; }
    static bool isGrey(Rgb c) { return std::abs(c.b - c.r) < 30; }
    static bool isWhite(Rgb c) { return c.r > 245 && c.g > 245 && c.b > 245; }
    // Pixels of the window rectangle `r` that pass `test`.
    template <class Test>
    static int countIn(const platform::Image& img, Rect r, Test test) {
        int n = 0;
        for (int y = int(r.minY()); y < int(r.maxY()); ++y)
            for (int x = int(r.minX()); x < int(r.maxX()); ++x)
                n += test(pixel(img, Point(float(x), float(y))));
        return n;
    }
    static int darkIn(const platform::Image& img, Rect r) {
        return countIn(img, r, [](Rgb c) { return c.r < 110 && c.g < 110 && c.b < 110; });
    }
    static int lightIn(const platform::Image& img, Rect r) {
        return countIn(img, r, [](Rgb c) { return c.r > 240; });
    }
    static float midY(Rect r) { return r.minY() + r.size.height / 2; }
    // `view`'s rectangle in window points.
    static Rect inWindow(const platform::View* view) {
        return Rect(view->originInWindow(), view->bounds().size);
    }

    test::TempDir docs;
    platform::TouchInput input{test::sharedWindow()};
};

} // namespace screentest
