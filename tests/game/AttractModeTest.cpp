// The main menu left alone: the game plays itself until the player presses
// something.
#include "game/Autopilot.h"
#include "game/SavedGameData.h"
#include "game/Walkthrough.h"
#include "platform/Application.h"
#include "platform/Files.h"
#include "tests/game/AppTestSupport.h"

#include <filesystem>

namespace {

class AttractModeTest : public test::AppTest {
protected:
    void SetUp() override {
        AppTest::SetUp();
        platform::setDocumentsDirectory(docs.path().string());
        app->applicationDidFinishLaunching();
        ASSERT_TRUE(app->attractMode());
        app->attractMode()->setTimes(kIdle, kShow);
    }
    void TearDown() override {
        AppTest::TearDown();
        platform::setDocumentsDirectory("");
    }
    std::string screen() { return screenShown(app.get()); }
    // Runs until `want` is on show (at most `seconds`); the screens seen on
    // the way, each once.
    std::vector<std::string> runUntil(const std::string& want, double seconds) {
        std::vector<std::string> seen;
        for (double t = 0; t < seconds; t += 0.1) {
            runFor(0.1);
            std::string s = screen();
            if (!s.empty() && (seen.empty() || seen.back() != s)) seen.push_back(s);
            if (s == want) break;
        }
        return seen;
    }
    size_t savedFiles() {
        size_t n = 0;
        for (auto& entry : std::filesystem::directory_iterator(docs.path()))
            n += entry.exists();
        return n;
    }

    static constexpr double kIdle = 2, kShow = 4;
    test::TempDir docs;
};

} // namespace

TEST_F(AttractModeTest, LeftAloneTheMenuPlaysQuickPlayAMissionAndAMinigameInTurnKeepingNothing) {
    runUntil("HelloWorld", 10); // the splash goes
    EXPECT_EQ(runUntil("GameScene", kIdle + 1.5),
              (std::vector<std::string>{"HelloWorld", "GameScene"}));
    EXPECT_TRUE(app->attractMode()->playing());
    EXPECT_TRUE(Autopilot::wanted());
    EXPECT_EQ(runUntil("MissionOne", kShow + 1.5).back(), "MissionOne");
    EXPECT_EQ(runUntil("AsteroidAvoid", kShow + 1.5).back(), "AsteroidAvoid");
    EXPECT_TRUE(Director::sharedDirector().landscape());
    EXPECT_EQ(runUntil("GameScene", kShow + 1.5).back(), "GameScene");
    EXPECT_FALSE(Director::sharedDirector().landscape());
    EXPECT_EQ(runUntil("MissionTwo", kShow + 1.5).back(), "MissionTwo");
    // Games were played, shots fired and ships hit, and nothing was kept.
    EXPECT_EQ(savedFiles(), 0u);
}

TEST_F(AttractModeTest, APressBringsTheMenuBackAtOnceAndDoesNothingElse) {
    runUntil("HelloWorld", 10);
    // A press on the menu is the player's own: delivered, and the wait
    // starts again.
    runFor(kIdle - 0.5);
    EXPECT_FALSE(platform::Application::shared().takesPress());
    runFor(kIdle - 0.5);
    EXPECT_EQ(screen(), "HelloWorld");
    runUntil("GameScene", 2);
    ASSERT_EQ(screen(), "GameScene");

    // A finger down ends the show; it and the rest of its touch go nowhere.
    platform::Application& application = platform::Application::shared();
    EXPECT_TRUE(application.takesTouch(5, true, false));
    EXPECT_FALSE(Autopilot::wanted());
    runFor(0.1);
    EXPECT_EQ(screen(), "HelloWorld");
    EXPECT_FALSE(app->attractMode()->playing());
    EXPECT_FALSE(saved::writesHeld());
    EXPECT_TRUE(application.takesTouch(5, false, false));
    EXPECT_TRUE(application.takesTouch(5, false, true));
    EXPECT_FALSE(application.takesTouch(6, true, false)); // the menu's
    EXPECT_FALSE(application.takesTouch(6, false, true));
}
