#include "platform/ui/MediaPicker.h"
#include "platform/AudioFile.h"
#include "platform/Keyboard.h"
#include "platform/ui/Toolbar.h"
#include "tests/platform/ui/KitTestSupport.h"

#include <chrono>
#include <cmath>
#include <filesystem>
#include <thread>

using namespace platform;

namespace {

class MediaPickerTest : public kit::KitTest {
protected:
    void TearDown() override {
        MusicPlayerController::systemMusicPlayer().setQueueWithItemCollection({});
        MediaLibrary::setMusicDirectory("");
        KitTest::TearDown();
    }
    // A short tone in `container`.
    std::string song(const std::string& name, AudioContainer container, double seconds = 0.1) {
        std::filesystem::create_directories(std::filesystem::path(dir_.file(name)).parent_path());
        AudioWriteFormat f;
        f.container = container;
        f.sample =
            container == AudioContainer::Ogg ? AudioSampleFormat::Vorbis : AudioSampleFormat::S16;
        f.sampleRate = 22050;
        std::vector<int16_t> pcm(size_t(seconds * 22050));
        for (size_t i = 0; i < pcm.size(); ++i)
            pcm[i] = int16_t(8000 * std::sin(double(i) * 0.1));
        EXPECT_TRUE(writeAudioFile(dir_.file(name), f, pcm.data(), int64_t(pcm.size())));
        return dir_.file(name);
    }
    test::TempDir dir_;
};

class Picks : public MediaPickerDelegate {
public:
    std::vector<MediaItemCollection> picked;
    int cancels = 0;
    void didPickMediaItems(MediaPickerController*, const MediaItemCollection& c) override {
        picked.push_back(c);
    }
    void mediaPickerDidCancel(MediaPickerController*) override { ++cancels; }
};

} // namespace

TEST_F(MediaPickerTest, TheLibraryListsTheSongsTheDecoderReads) {
    song("b.wav", AudioContainer::Wav);
    song("Album/A.ogg", AudioContainer::Ogg);
    song("c.flac", AudioContainer::Flac);
    test::writeText(dir_.file("notes.txt"), "not a song");
    test::writeText(dir_.file("broken.ogg"), "not a song either");
    test::LogCapture log;
    MediaItemCollection songs = MediaLibrary::songsIn(dir_.path().string());
    ASSERT_EQ(songs.size(), 3u);
    EXPECT_EQ(songs[0].title, "A");
    EXPECT_EQ(songs[0].artist, "Album");
    EXPECT_EQ(songs[1].title, "b");
    EXPECT_EQ(songs[2].path, dir_.file("c.flac"));
    EXPECT_TRUE(MediaLibrary::songsIn(dir_.file("missing")).empty());
    MediaLibrary::setMusicDirectory(dir_.file("x"));
    EXPECT_EQ(MediaLibrary::musicDirectory(), dir_.file("x"));
}

TEST_F(MediaPickerTest, SeveralSongsArePickedAndHandedOverInListOrder) {
    song("one.wav", AudioContainer::Wav);
    song("two.wav", AudioContainer::Wav);
    song("three.wav", AudioContainer::Wav);
    MediaLibrary::setMusicDirectory(dir_.path().string());
    auto screen = make<ViewController>();
    auto picker = make<MediaPickerController>();
    Picks picks;
    picker->setDelegate(&picks);
    picker->setAllowsPickingMultipleItems(true);
    screen->presentModalViewController(picker.get(), false);
    ASSERT_EQ(picker->songs().size(), 3u); // one, three, two
    EXPECT_FALSE(picker->doneItem()->enabled());

    TableView* table = picker->tableView();
    auto tapRow = [&](int row) {
        Rect r = table->rectForRowAtIndexPath({0, row});
        tap(table->convertPointToWindow(Point(r.minX() + 50, r.minY() + 20)));
    };
    tapRow(2);
    tapRow(0);
    tapRow(1);
    tapRow(1); // ticked and unticked
    EXPECT_EQ(table->cellForRowAtIndexPath({0, 0})->accessoryType(),
              TableViewCellAccessoryType::Checkmark);
    EXPECT_EQ(table->cellForRowAtIndexPath({0, 1})->accessoryType(),
              TableViewCellAccessoryType::None);
    ASSERT_TRUE(picker->doneItem()->enabled());
    tap(picker->doneItem()->button()->convertPointToWindow(Point(5, 5)));
    ASSERT_EQ(picks.picked.size(), 1u);
    ASSERT_EQ(picks.picked[0].size(), 2u);
    EXPECT_EQ(picks.picked[0][0].title, "one");
    EXPECT_EQ(picks.picked[0][1].title, "two");
    screen->dismissModalViewControllerAnimated(false);
}

TEST_F(MediaPickerTest, TheKeysAloneTickSongsAndHandThemOver) {
    for (const char* name : {"one.wav", "two.wav", "three.wav"})
        song(name, AudioContainer::Wav);
    MediaLibrary::setMusicDirectory(dir_.path().string());
    auto screen = make<ViewController>();
    Picks picks;
    auto keys = [](std::initializer_list<const char*> names) {
        for (const char* k : names)
            EXPECT_TRUE(Keyboard::shared().keyDown(k)) << k;
    };
    for (bool multiple : {true, false}) {
        SCOPED_TRACE(multiple ? "several" : "one");
        auto picker = make<MediaPickerController>();
        picker->setDelegate(&picks);
        picker->setAllowsPickingMultipleItems(multiple);
        screen->presentModalViewController(picker.get(), false);
        picks.picked.clear();
        // Nothing is highlighted yet, so Space ticks nothing.
        EXPECT_FALSE(Keyboard::shared().keyDown("space"));
        if (multiple) {
            // one, three, two: up from nothing is the last, down wraps to the
            // first; two is ticked, then one and three, then two no more.
            keys({"up", "space", "down", "space", "down", "space", "down", "space", "down"});
            // The highlighted row keeps its tick in sight, white on the blue.
            TableView* table = picker->tableView();
            EXPECT_TRUE(table->cellForRowAtIndexPath({0, 0})->isSelected());
            Rect row = table->rectForRowAtIndexPath({0, 0});
            Point mark = table->convertPointToWindow(Point(row.maxX() - 40, row.minY()));
            EXPECT_GT(inkIn(frame(), Rect(mark.x + 5, mark.y + 4, 30, row.size.height - 8),
                            kit::Rgb{3, 117, 237}),
                      20);
            keys({"return"});
            ASSERT_EQ(picks.picked.size(), 1u);
            ASSERT_EQ(picks.picked[0].size(), 2u);
            EXPECT_EQ(picks.picked[0][0].title, "one");
            EXPECT_EQ(picks.picked[0][1].title, "three");
        } else {
            keys({"tab", "tab", "return"});
            ASSERT_EQ(picks.picked.size(), 1u);
            ASSERT_EQ(picks.picked[0].size(), 1u);
            EXPECT_EQ(picks.picked[0][0].title, "three");
        }
        screen->dismissModalViewControllerAnimated(false);
    }
}

TEST_F(MediaPickerTest, WithoutSongsThePickerSaysSoAndOffersOnlyCancel) {
    MediaLibrary::setMusicDirectory(dir_.file("nothing here"));
    auto screen = make<ViewController>();
    auto picker = make<MediaPickerController>();
    Picks picks;
    picker->setDelegate(&picks);
    screen->presentModalViewController(picker.get(), false);
    EXPECT_EQ(picker->tableView(), nullptr);
    EXPECT_EQ(picker->doneItem()->button(), nullptr); // never put in the toolbar
    EXPECT_GT(inkIn(frame(), Rect(20, 100, 280, 150), kit::Rgb{255, 255, 255}), 100);
    EXPECT_TRUE(Keyboard::shared().keyDown("escape"));
    EXPECT_EQ(picks.cancels, 1);
    tap(picker->cancelItem()->button()->convertPointToWindow(Point(5, 5)));
    EXPECT_EQ(picks.cancels, 2);
    screen->dismissModalViewControllerAnimated(false);
    EXPECT_FALSE(Keyboard::shared().keyDown("escape"));
}

TEST_F(MediaPickerTest, TheMusicPlayerPlaysTheQueueOneAfterAnother) {
    MediaItemCollection queue{{song("a.wav", AudioContainer::Wav), "a", ""},
                              {dir_.file("gone.wav"), "gone", ""},
                              {song("b.ogg", AudioContainer::Ogg), "b", ""}};
    auto& player = MusicPlayerController::systemMusicPlayer();
    player.setQueueWithItemCollection(queue);
    ASSERT_NE(player.nowPlayingItem(), nullptr);
    EXPECT_EQ(player.nowPlayingItem()->title, "a");
    test::LogCapture log;
    player.play();
    if (player.playbackState() != MusicPlaybackState::Playing) GTEST_SKIP() << "no audio device";
    std::vector<std::string> heard{"a"};
    auto start = std::chrono::steady_clock::now();
    while (player.playbackState() == MusicPlaybackState::Playing &&
           std::chrono::steady_clock::now() - start < std::chrono::seconds(10)) {
        RunLoop::main().runPosted();
        if (player.playbackState() == MusicPlaybackState::Playing &&
            player.nowPlayingItem()->title != heard.back())
            heard.push_back(player.nowPlayingItem()->title);
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    EXPECT_EQ(heard, (std::vector<std::string>{"a", "b"})); // the missing song passed over
    EXPECT_EQ(player.playbackState(), MusicPlaybackState::Stopped);
    EXPECT_EQ(player.indexOfNowPlayingItem(), 0); // back at the start
}
