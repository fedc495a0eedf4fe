#include "platform/MusicPlayer.h"
#include "platform/AudioDevice.h"
#include "platform/AudioSession.h"
#include "platform/Files.h"
#include "platform/RunLoop.h"
#include "platform/SystemSound.h"
#include "tests/audio/AudioTestSupport.h"

#include <chrono>
#include <thread>

using namespace audiotest;
using platform::AudioContainer;
using platform::AudioSampleFormat;
using platform::MusicPlayer;

namespace {

class Recorder : public platform::MusicPlayerDelegate {
public:
    void audioPlayerDidFinishPlaying(MusicPlayer*, bool ok) override {
        ++finished;
        success = ok;
        mainThread = platform::RunLoop::main().isMainThread();
    }
    void audioPlayerBeginInterruption(MusicPlayer*) override { ++begins; }
    void audioPlayerEndInterruption(MusicPlayer*) override { ++ends; }
    int finished = 0, begins = 0, ends = 0;
    bool success = false, mainThread = false;
};

class Music : public AudioFixture {
protected:
    std::string write(const std::string& name, AudioContainer container, AudioSampleFormat sample,
                      double seconds, int channels = 2) {
        platform::AudioWriteFormat f;
        f.container = container;
        f.sample = sample;
        f.channels = channels;
        f.sampleRate = 22050;
        return writeTone(dir, name, f, seconds);
    }
    // Runs the main loop until the recorder has heard `count` endings.
    bool waitFinished(Recorder& r, int count, double seconds) {
        return waitUntil(
            [&] {
                platform::RunLoop::main().runEventSlice(0.005);
                return r.finished >= count;
            },
            seconds);
    }
    static double now() {
        return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch())
            .count();
    }
};

} // namespace

TEST_F(Music, PlaysEveryContainerToTheEnd) {
    struct Case {
        const char* name;
        AudioContainer container;
        AudioSampleFormat sample;
    } cases[] = {{"m.ogg", AudioContainer::Ogg, AudioSampleFormat::Vorbis},
                 {"m.flac", AudioContainer::Flac, AudioSampleFormat::S16},
                 {"m.wav", AudioContainer::Wav, AudioSampleFormat::S16},
                 {"m.caf", AudioContainer::Caf, AudioSampleFormat::Float}};
    for (auto& c : cases) {
        SCOPED_TRACE(c.name);
        auto player =
            MusicPlayer::playerWithContentsOfFile(write(c.name, c.container, c.sample, 0.2));
        ASSERT_TRUE(player);
        EXPECT_NEAR(player->duration(), 0.2, 0.01);
        Recorder r;
        player->setDelegate(&r);
        EXPECT_TRUE(player->play());
        EXPECT_TRUE(player->isPlaying());
        ASSERT_TRUE(waitFinished(r, 1, 5.0));
        EXPECT_TRUE(r.success);
        EXPECT_TRUE(r.mainThread);
        EXPECT_FALSE(player->isPlaying());
        EXPECT_DOUBLE_EQ(player->currentTime(), 0.0); // back at the start
    }
}

TEST_F(Music, LoopCountsRepeatTheTrack) {
    std::string path = write("loop.wav", AudioContainer::Wav, AudioSampleFormat::S16, 0.15, 1);
    auto player = MusicPlayer::playerWithContentsOfFile(path);
    ASSERT_TRUE(player);
    Recorder r;
    player->setDelegate(&r);

    double start = now();
    player->setNumberOfLoops(2); // three times through
    player->play();
    ASSERT_TRUE(waitFinished(r, 1, 5.0));
    double took = now() - start;
    EXPECT_GT(took, 0.40);
    EXPECT_LT(took, 4.0);

    player->setNumberOfLoops(-1);
    player->play();
    std::this_thread::sleep_for(std::chrono::milliseconds(600));
    platform::RunLoop::main().runEventSlice(0);
    EXPECT_TRUE(player->isPlaying());
    EXPECT_EQ(r.finished, 1);
    EXPECT_LT(player->currentTime(), 0.16); // wraps around inside the track
    player->stop();
    EXPECT_FALSE(player->isPlaying());
}

TEST_F(Music, PauseStopAndSeekKeepTheirPlace) {
    auto player = MusicPlayer::playerWithContentsOfFile(
        write("long.ogg", AudioContainer::Ogg, AudioSampleFormat::Vorbis, 3.0));
    ASSERT_TRUE(player);
    Recorder r;
    player->setDelegate(&r);
    EXPECT_TRUE(player->prepareToPlay());
    player->play();
    ASSERT_TRUE(waitUntil([&] { return player->currentTime() > 0.3; }));
    player->pause();
    double paused = player->currentTime();
    std::this_thread::sleep_for(std::chrono::milliseconds(150));
    EXPECT_NEAR(player->currentTime(), paused, 0.01);
    EXPECT_FALSE(player->isPlaying());

    player->stop();
    EXPECT_NEAR(player->currentTime(), paused, 0.05);
    player->play();
    EXPECT_TRUE(player->isPlaying());
    EXPECT_GE(player->currentTime(), paused - 0.05);

    player->setCurrentTime(2.5);
    EXPECT_TRUE(player->isPlaying());
    EXPECT_NEAR(player->currentTime(), 2.5, 0.1);
    player->setCurrentTime(0);
    EXPECT_LT(player->currentTime(), 0.1);
    EXPECT_TRUE(player->isPlaying());

    player->setVolume(0.25f);
    EXPECT_FLOAT_EQ(player->volume(), 0.25f);
    player->setVolume(-3.0f);
    EXPECT_FLOAT_EQ(player->volume(), 0.0f);

    // Stopped and rewound: no late "finished" from the old run.
    player->stop();
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    platform::RunLoop::main().runEventSlice(0);
    EXPECT_EQ(r.finished, 0);
}

TEST_F(Music, InterruptionsPausePlayingPlayersAndTellTheDelegate) {
    auto player = MusicPlayer::playerWithContentsOfFile(
        write("m.wav", AudioContainer::Wav, AudioSampleFormat::S16, 2.0));
    ASSERT_TRUE(player);
    Recorder r;
    player->setDelegate(&r);
    auto& session = platform::AudioSession::shared();
    session.beginInterruption(); // not playing: nothing to tell
    session.endInterruption();
    EXPECT_EQ(r.begins, 0);
    EXPECT_EQ(r.ends, 0);

    player->play();
    session.beginInterruption();
    EXPECT_FALSE(player->isPlaying());
    EXPECT_EQ(r.begins, 1);
    session.endInterruption();
    EXPECT_EQ(r.ends, 1);
    EXPECT_FALSE(player->isPlaying()); // resuming is the delegate's call
}

TEST_F(Music, BadFilesGiveNoPlayer) {
    test::LogCapture log;
    EXPECT_FALSE(MusicPlayer::playerWithContentsOfFile(dir.file("missing.ogg")));
    writeBytes(dir.file("junk.ogg"), std::vector<uint8_t>(3000, 0x4F));
    EXPECT_FALSE(MusicPlayer::playerWithContentsOfFile(dir.file("junk.ogg")));
    EXPECT_FALSE(MusicPlayer::playerWithContentsOfFile(
        write("six.wav", AudioContainer::Wav, AudioSampleFormat::S16, 0.05, 6)));

    // A player dropped while it plays, and one whose "finished" is still queued.
    auto a = MusicPlayer::playerWithContentsOfFile(
        write("a.wav", AudioContainer::Wav, AudioSampleFormat::S16, 1.0));
    ASSERT_TRUE(a);
    a->play();
    a = nullptr;
    auto b = MusicPlayer::playerWithContentsOfFile(
        write("b.wav", AudioContainer::Wav, AudioSampleFormat::S16, 0.05));
    Recorder r;
    b->setDelegate(&r);
    b->play();
    ASSERT_TRUE(waitUntil([&] { return !b->isPlaying(); }));
    b = nullptr;
    platform::RunLoop::main().runEventSlice(0.05);
    EXPECT_EQ(r.finished, 0);

    platform::AudioDevice::setUnavailableForTesting(true);
    EXPECT_FALSE(MusicPlayer::playerWithContentsOfFile(dir.file("a.wav")));
}

TEST_F(Music, SystemSoundsLoadOnceAndPlayWithoutBlocking) {
    std::string previous = platform::resourceDirectory();
    platform::setResourceDirectory(dir.path().string());
    write("expl.wav", AudioContainer::Wav, AudioSampleFormat::S16, 0.3, 1);
    platform::SystemSoundID id = platform::systemSoundWithResource("expl", "wav");
    EXPECT_NE(id, 0u);
    EXPECT_EQ(platform::systemSoundWithResource("expl", "wav"), id);

    double start = now();
    platform::playSystemSound(id);
    EXPECT_LT(now() - start, 0.1);
    EXPECT_TRUE(platform::systemSoundIsPlaying(id));
    for (int i = 0; i < 6; ++i)
        platform::playSystemSound(id); // more than the voices: fine
    EXPECT_TRUE(waitUntil([&] { return !platform::systemSoundIsPlaying(id); }));

    test::LogCapture log;
    EXPECT_EQ(platform::systemSoundWithResource("nothere", "wav"), 0u);
    platform::playSystemSound(0);
    platform::playSystemSound(999);
    platform::setResourceDirectory(previous);
}
