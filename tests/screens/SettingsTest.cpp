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
        open(kSettingsNotification);
        return app->set();
    }
    // A tap on segment `i` of `control`.
    void tapSegment(SegmentedControl* control, int i) {
        float w = control->bounds().size.width / float(control->numberOfSegments());
        tap(control, Point(w * (float(i) + 0.5f), control->bounds().size.height / 2));
    }
    // A short tone under the test's music directory.
    std::string song(const std::string& name) {
        std::string path = music.file(name);
        AudioWriteFormat f;
        f.container = AudioContainer::Wav;
        f.sample = AudioSampleFormat::S16;
        f.sampleRate = 22050;
        std::vector<int16_t> pcm(2205);
        for (size_t i = 0; i < pcm.size(); ++i) pcm[i] = int16_t(6000 * std::sin(double(i) * 0.2));
        EXPECT_TRUE(writeAudioFile(path, f, pcm.data(), int64_t(pcm.size())));
        return path;
    }

    test::TempDir music;
};

struct LoadCase {
    const char* what;
    std::vector<std::pair<const char*, const char*>> files; // name, value of "key"
    int scheme, difficulty;
    bool sound, invert;
};

} // namespace

TEST_F(SettingsTest, ControlsShowTheSavedFilesWhenTheScreenOpens) {
    const LoadCase cases[] = {
        {"fresh installation", {}, 0, 2, false, false},
        {"drag, easy, both flags",
         {{saved::kControlScheme, "d"},
          {saved::kEasy, "r"},
          {saved::kWantsSound, "ok"},
          {saved::kInvert, "ok"}},
         1, 0, true, true},
        {"joystick, medium", {{saved::kControlScheme, "t"}, {saved::kEasy, "d"}}, 2, 1, false,
         false},
        // Any other stored value reads as the middle choice of its reader.
        {"odd values", {{saved::kControlScheme, "?"}, {saved::kEasy, ""}}, 2, 1, false, false},
    };
    for (const LoadCase& c : cases) {
        SCOPED_TRACE(c.what);
        for (auto& entry : std::filesystem::directory_iterator(docs.path()))
            std::filesystem::remove(entry.path());
        for (auto [name, value] : c.files) saved::write(name, {{"key", value}});
        Settings* s = openSettings();
        ASSERT_NE(s, nullptr);
        EXPECT_EQ(s->Gentle()->selectedSegmentIndex(), c.scheme);
        EXPECT_EQ(s->rg()->selectedSegmentIndex(), c.difficulty);
        EXPECT_EQ(s->now()->isOn(), c.sound);
        EXPECT_EQ(s->now2()->isOn(), c.invert);
        // Whatever the stored scheme, the inversion switch starts enabled.
        EXPECT_TRUE(s->now2()->enabled());
        EXPECT_FLOAT_EQ(s->labelMain()->alpha(), 1.0f);
        tap(barButton(s->titleBar(), "Done"));
        runFor(0.6);
        EXPECT_EQ(app->set(), nullptr);
    }
}

TEST_F(SettingsTest, EveryChoiceIsWrittenAtOnce) {
    Settings* s = openSettings();
    using Files = std::map<std::string, saved::Dictionary>;
    struct Step {
        const char* what;
        std::function<void()> act;
        Files after;
    };
    const std::vector<Step> steps = {
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
    for (const Step& step : steps) {
        SCOPED_TRACE(step.what);
        step.act();
        EXPECT_EQ(files(), step.after);
    }
}

TEST_F(SettingsTest, OnlyTiltLeavesTheInversionSwitchUsable) {
    saved::write(saved::kControlScheme, {{"key", "t"}});
    Settings* s = openSettings();
    EXPECT_TRUE(s->now2()->enabled());
    tapSegment(s->Gentle(), 1);
    EXPECT_FALSE(s->now2()->enabled());
    EXPECT_FLOAT_EQ(s->labelMain()->alpha(), 0.5f);
    tapSegment(s->Gentle(), 2);
    EXPECT_FALSE(s->now2()->enabled());
    EXPECT_FLOAT_EQ(s->labelMain()->alpha(), 0.5f);
    tap(s->now2()); // a disabled switch does nothing
    EXPECT_FALSE(s->now2()->isOn());
    EXPECT_FALSE(saved::exists(saved::kInvert));
    tapSegment(s->Gentle(), 0);
    EXPECT_TRUE(s->now2()->enabled());
    EXPECT_FLOAT_EQ(s->labelMain()->alpha(), 1.0f);
}

TEST_F(SettingsTest, TheMusicButtonPicksSongsForTheMusicPlayer) {
    song("Calm.wav");
    song("Drive.wav");
    song("Eclipse.wav");
    MediaLibrary::setMusicDirectory(music.path().string());
    Settings* s = openSettings();
    auto& player = MusicPlayerController::systemMusicPlayer();

    tap(s->musicButton());
    runFor(0.4);
    auto* picker = dynamic_cast<MediaPickerController*>(s->modalViewController());
    ASSERT_NE(picker, nullptr);
    ASSERT_EQ(picker->songs().size(), 3u);
    EXPECT_TRUE(picker->allowsPickingMultipleItems());
    TableView* list = picker->tableView();
    tap(list->cellForRowAtIndexPath({0, 2}));
    tap(list->cellForRowAtIndexPath({0, 0}));
    runFor(0.4);
    Image img = picture("music_picker.png");
    for (int row = 0; row < 3; ++row) {
        Rect box = inWindow(list->cellForRowAtIndexPath({0, row}));
        EXPECT_GT(darkIn(img, Rect(box.minX(), box.minY() + 4, 150, box.size.height - 8)), 40)
            << "row " << row;
    }
    tap(picker->doneItem()->button());
    runFor(0.4);
    EXPECT_EQ(s->modalViewController(), nullptr);
    ASSERT_EQ(player.queue().size(), 2u);
    EXPECT_EQ(player.queue()[0].title, "Calm");
    EXPECT_EQ(player.queue()[1].title, "Eclipse");

    // Cancel only closes the picker; the queue stays.
    tap(s->musicButton());
    runFor(0.4);
    picker = dynamic_cast<MediaPickerController*>(s->modalViewController());
    ASSERT_NE(picker, nullptr);
    tap(picker->cancelItem()->button());
    runFor(0.4);
    EXPECT_EQ(s->modalViewController(), nullptr);
    EXPECT_EQ(player.queue().size(), 2u);
    EXPECT_EQ(app->set(), s);
}

TEST_F(SettingsTest, FromTheMenuThroughSettingsToAQuickPlayOnTheNewSettings) {
    // The menu's Settings item.
    tapAt(Point(160, 300));
    runFor(0.6);
    Settings* s = app->set();
    ASSERT_NE(s, nullptr);
    tapSegment(s->Gentle(), 1);
    tapSegment(s->rg(), 0);
    tap(s->now());
    tap(s->now2()); // off with drag: stays off
    Keyboard::shared().keyDown("escape");
    EXPECT_EQ(app->set(), nullptr);
    runFor(0.6);
    EXPECT_FALSE(Director::sharedDirector().isPaused());

    tapAt(Point(160, 120)); // Quick Play
    runFor(1.2);
    auto* game = dynamic_cast<GameScene*>(Director::sharedDirector().runningScene());
    ASSERT_NE(game, nullptr);
    EXPECT_EQ(game->level(), 0);
    EXPECT_TRUE(game->canSound());
    EXPECT_FALSE(game->invert());
    EXPECT_TRUE(isTouch);
    EXPECT_FALSE(isJoyStick);
}

TEST_F(SettingsTest, PictureCaptionsBesideTheirControls) {
    saved::setFlag(saved::kWantsSound, true);
    Settings* s = openSettings();
    Image img = picture("settings.png");
    ASSERT_EQ(img.width, 320);
    // Sound on: the switch shows its blue side; inversion off: grey.
    Rect sound = inWindow(s->now());
    Rgb on = pixel(img, Point(sound.minX() + 12, midY(sound) + 5));
    EXPECT_GT(on.b, on.r + 60);
    Rect invert = inWindow(s->now2());
    Rgb off = pixel(img, Point(invert.maxX() - 12, midY(invert) + 5));
    EXPECT_LT(std::abs(off.b - off.r), 30);
    // Hard, the fresh choice, is the blue segment.
    Rect level = inWindow(s->rg());
    Rgb hard = pixel(img, Point(level.maxX() - 6, level.minY() + 4));
    Rgb easy = pixel(img, Point(level.minX() + 6, level.minY() + 4));
    EXPECT_GT(hard.b, hard.r + 60);
    EXPECT_LT(std::abs(easy.b - easy.r), 40);
    // The choices of three fill their rows; every other control has its
    // caption written on its left.
    for (View* choice : {(View*)s->rg(), (View*)s->Gentle()})
        EXPECT_GE(choice->bounds().size.width, 270);
    for (View* control : {(View*)s->now(), (View*)s->now2(), (View*)s->musicButton()}) {
        Rect c = inWindow(control);
        EXPECT_GE(c.minY(), Toolbar::kHeight);
        EXPECT_LE(c.maxY(), 480);
        EXPECT_GT(darkIn(img, Rect(22, c.minY(), c.minX() - 26, c.size.height)), 40)
            << "caption left of the control at y " << c.minY();
    }
    // Joystick dims the inversion caption to half.
    Rect caption = inWindow(s->labelMain());
    int before = darkIn(img, caption);
    tapSegment(s->Gentle(), 2);
    Image dimmed = picture("settings_joystick.png");
    EXPECT_GT(before, 40);
    EXPECT_LT(darkIn(dimmed, caption), before / 4);
}
