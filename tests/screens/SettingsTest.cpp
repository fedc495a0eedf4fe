// The settings screen: controls set from the saved files, every change
// written at once, the inversion switch following the scheme, the music
// picker, and the way back to the game.
#include "game/ScreenFlags.h"
#include "game/quickplay/GameScene.h"
#include "platform/AudioFile.h"
#include "screens/Settings.h"
#include "tests/screens/ScreenTestSupport.h"

#include <cmath>

using namespace platform;

namespace {

class SettingsTest : public screentest::ScreenTest {
protected:
    Settings* openSettings() {
        post(kSettingsNotification);
        return app->set();
    }
    void tapSegment(SegmentedControl* control, int i) {
        float w = control->bounds().size.width / float(control->numberOfSegments());
        tap(control, Point(w * (float(i) + 0.5f), control->bounds().size.height / 2));
    }
    // A short tone in the test's music directory.
    void song(const std::string& name) {
        AudioWriteFormat f;
        f.container = AudioContainer::Wav;
        f.sample = AudioSampleFormat::S16;
        f.sampleRate = 22050;
        std::vector<int16_t> pcm(2205);
        for (size_t i = 0; i < pcm.size(); ++i) pcm[i] = int16_t(6000 * std::sin(double(i) * 0.2));
        EXPECT_TRUE(writeAudioFile(music.file(name), f, pcm.data(), int64_t(pcm.size())));
    }

    test::TempDir music;
};

} // namespace

TEST_F(SettingsTest, ControlsShowTheSavedFilesWhenTheScreenOpens) {
    struct Case {
        std::vector<std::pair<const char*, const char*>> files; // name, "key"
        int scheme, difficulty;
        bool sound, invert;
    };
    const Case cases[] = {
        {{}, 0, 2, false, false}, // a fresh installation
        {{{"ControlScheme", "d"}, {"easy", "r"}, {"wantsSound", "ok"}, {"invert", "ok"}},
         1, 0, true, true},
        {{{"ControlScheme", "t"}, {"easy", "d"}}, 2, 1, false, false},
        {{{"ControlScheme", "?"}, {"easy", ""}}, 2, 1, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "case " << (&c - cases));
        clearDocuments();
        for (auto [name, value] : c.files) saved::write(name, {{"key", value}});
        Settings* s = openSettings();
        ASSERT_NE(s, nullptr);
        EXPECT_EQ(s->Gentle()->selectedSegmentIndex(), c.scheme);
        EXPECT_EQ(s->rg()->selectedSegmentIndex(), c.difficulty);
        EXPECT_EQ(s->now()->isOn(), c.sound);
        EXPECT_EQ(s->now2()->isOn(), c.invert);
        // Whatever the stored scheme, the inversion switch starts usable.
        EXPECT_TRUE(s->now2()->enabled());
        EXPECT_FLOAT_EQ(s->labelMain()->alpha(), 1.0f);
        tap(barButton(s->titleBar(), "Done"));
        runFor(0.6);
    }
}

TEST_F(SettingsTest, EveryChoiceIsWrittenAtOnce) {
    Settings* s = openSettings();
    using Files = std::map<std::string, saved::Dictionary>;
    const std::vector<std::tuple<const char*, std::function<void()>, Files>> steps = {
        {"Easy", [&] { tapSegment(s->rg(), 0); }, {{"easy", {{"key", "r"}}}}},
        {"Medium", [&] { tapSegment(s->rg(), 1); }, {{"easy", {{"key", "d"}}}}},
        {"Hard deletes the file", [&] { tapSegment(s->rg(), 2); }, {}},
        {"drag", [&] { tapSegment(s->Gentle(), 1); }, {{"ControlScheme", {{"key", "d"}}}}},
        {"joystick", [&] { tapSegment(s->Gentle(), 2); }, {{"ControlScheme", {{"key", "t"}}}}},
        {"tilt deletes the file", [&] { tapSegment(s->Gentle(), 0); }, {}},
        {"sound on", [&] { tap(s->now()); }, {{"wantsSound", {{"key", "ok"}}}}},
        {"sound off", [&] { tap(s->now()); }, {}},
        {"sound off when it was never on", [&] { s->didChange(); }, {}},
        {"invert on", [&] { tap(s->now2()); }, {{"invert", {{"key", "ok"}}}}},
        {"invert off", [&] { tap(s->now2()); }, {}},
    };
    for (const auto& [what, act, after] : steps) {
        SCOPED_TRACE(what);
        act();
        EXPECT_EQ(files(), after);
    }
}

TEST_F(SettingsTest, OnlyTiltLeavesTheInversionSwitchUsable) {
    saved::write(saved::kControlScheme, {{"key", "t"}});
    Settings* s = openSettings();
    for (int scheme : {1, 2, 0}) {
        tapSegment(s->Gentle(), scheme);
        EXPECT_EQ(s->now2()->enabled(), scheme == 0);
        EXPECT_FLOAT_EQ(s->labelMain()->alpha(), scheme == 0 ? 1.0f : 0.5f);
        if (scheme == 2) tap(s->now2()); // disabled: nothing happens
    }
    EXPECT_FALSE(saved::exists(saved::kInvert));
}

TEST_F(SettingsTest, TheMusicButtonPicksSongsForTheMusicPlayer) {
    for (const char* name : {"Calm.wav", "Drive.wav", "Eclipse.wav"}) song(name);
    MediaLibrary::setMusicDirectory(music.path().string());
    Settings* s = openSettings();
    auto picker = [&] {
        tap(s->musicButton());
        runFor(0.4);
        return dynamic_cast<MediaPickerController*>(s->modalViewController());
    };
    MediaPickerController* list = picker();
    ASSERT_NE(list, nullptr);
    ASSERT_EQ(list->songs().size(), 3u);
    tap(list->tableView()->cellForRowAtIndexPath({0, 2}));
    tap(list->tableView()->cellForRowAtIndexPath({0, 0}));
    runFor(0.4);
    Image img = picture("music_picker.png");
    for (int row = 0; row < 3; ++row)
        EXPECT_GT(darkIn(img, inWindow(list->tableView()->cellForRowAtIndexPath({0, row}))), 40);
    tap(list->doneItem()->button());
    runFor(0.4);
    EXPECT_EQ(s->modalViewController(), nullptr);
    auto& player = MusicPlayerController::systemMusicPlayer();
    ASSERT_EQ(player.queue().size(), 2u);
    EXPECT_EQ(player.queue()[1].title, "Eclipse");

    // Cancel only closes the picker.
    list = picker();
    ASSERT_NE(list, nullptr);
    tap(list->cancelItem()->button());
    runFor(0.4);
    EXPECT_EQ(s->modalViewController(), nullptr);
    EXPECT_EQ(player.queue().size(), 2u);
}

TEST_F(SettingsTest, FromTheMenuThroughSettingsToAQuickPlayOnTheNewSettings) {
    tapAt(Point(160, 300)); // the menu's Settings
    runFor(0.6);
    Settings* s = app->set();
    ASSERT_NE(s, nullptr);
    tapSegment(s->Gentle(), 1);
    tapSegment(s->rg(), 0);
    tap(s->now());
    Keyboard::shared().keyDown("escape");
    EXPECT_EQ(app->set(), nullptr);
    runFor(0.6);
    ASSERT_TRUE(menuIsRunning());

    tapAt(Point(160, 120)); // Quick Play
    runFor(1.2);
    auto* game = dynamic_cast<GameScene*>(Director::sharedDirector().runningScene());
    ASSERT_NE(game, nullptr);
    EXPECT_EQ(game->level(), 0);
    EXPECT_TRUE(game->canSound());
    EXPECT_TRUE(isTouch);
}

TEST_F(SettingsTest, TheKeyboardAloneChangesTheSettingsAndLeaves) {
    openSettings();
    auto keys = [](std::initializer_list<const char*> names) {
        for (const char* k : names) Keyboard::shared().keyDown(k);
    };
    keys({"tab", "tab", "right"}); // past Done to the scheme: drag
    keys({"tab", "left"});         // the inversion switch is out of use: Medium
    keys({"down", "return"});      // sound effects on
    EXPECT_EQ(files(), (std::map<std::string, saved::Dictionary>{
                           {"ControlScheme", {{"key", "d"}}},
                           {"easy", {{"key", "d"}}},
                           {"wantsSound", {{"key", "ok"}}}}));
    keys({"down", "down", "return"}); // past Choose Songs, round to Done
    EXPECT_EQ(app->set(), nullptr);
}

TEST_F(SettingsTest, PictureCaptionsBesideTheirControls) {
    saved::setFlag(saved::kWantsSound, true);
    Settings* s = openSettings();
    Image img = picture("settings.png");
    Rect sound = inWindow(s->now()), invert = inWindow(s->now2()), level = inWindow(s->rg());
    EXPECT_TRUE(isBlue(pixel(img, Point(sound.minX() + 12, midY(sound) + 5)))); // on
    EXPECT_TRUE(isGrey(pixel(img, Point(invert.maxX() - 12, midY(invert) + 5)))); // off
    EXPECT_TRUE(isBlue(pixel(img, Point(level.maxX() - 6, level.minY() + 4)))); // Hard
    EXPECT_TRUE(isGrey(pixel(img, Point(level.minX() + 6, level.minY() + 4))));
    // The choices of three fill their rows; every other control has its
    // caption on its left.
    EXPECT_GE(level.size.width, 270);
    for (View* control : {(View*)s->now(), (View*)s->now2(), (View*)s->musicButton()}) {
        Rect c = inWindow(control);
        EXPECT_GE(c.minY(), Toolbar::kHeight);
        EXPECT_GT(darkIn(img, Rect(22, c.minY(), c.minX() - 26, c.size.height)), 40);
    }
    // Joystick dims the inversion caption.
    Rect caption = inWindow(s->labelMain());
    int before = darkIn(img, caption);
    tapSegment(s->Gentle(), 2);
    EXPECT_LT(darkIn(picture("settings_joystick.png"), caption), before / 4);
}
