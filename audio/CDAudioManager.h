#pragma once

#include "audio/CDSoundEngine.h"
#include "platform/MusicPlayer.h"
#include "support/Ref.h"
#include "support/Selector.h"
#include "support/Singleton.h"

#include <string>
#include <vector>

namespace platform {
class Notification;
}

// Audio manager modes.
enum CDAudioManagerMode {
    kAudioModeEffectsOnly = 0,         // effects only, mixed with other audio
    kAudioModeEffectsAndMusic = 1,     // effects and music
    kAudioModeMusicIfNoOtherAudio = 2, // music only when nothing else plays at start
};

// What happens to the music when the application goes inactive.
enum CDResignBehavior {
    kResignDoNothing = 0,
    kResignStopAndResume = 1, // stop, and play again on becoming active if it was playing
    kResignStop = 2,
};

// Owns the audio-session policy (whether music may play, interruptions, the
// application going inactive), the background music player and the sound
// engine. One shared instance.
class CDAudioManager : public Object, public platform::MusicPlayerDelegate {
public:
    // The shared instance, created on first use with the configuration given
    // to configure() (default: mode 2 with one group of 32 sources). Waits for
    // a creation started by initAsynchronously().
    static CDAudioManager& sharedManager();
    // 0 not created, 1 being created in the background, 2 created.
    static int sharedManagerState();
    // Configuration for the shared instance; used when it is next created.
    static void configure(int mode, const int* channelGroupDefinitions, int channelGroupTotal);
    // Configures and creates the shared instance on a background thread, once.
    static void initAsynchronously(int mode, const int* channelGroupDefinitions,
                                   int channelGroupTotal);
    // Drops the shared instance and its configuration (shutdown and tests).
    static void end();

    CDAudioManager(int mode, const int* channelGroupDefinitions, int channelGroupTotal);
    ~CDAudioManager() override;

    // Background music. Nothing happens while music is not allowed.
    void preloadBackgroundMusic(const std::string& filePath);
    void playBackgroundMusic(const std::string& filePath, bool loop);
    // Stops the music; with `release` drops the player and forgets the track.
    void stopBackgroundMusic(bool release);
    void stopBackgroundMusic() { stopBackgroundMusic(true); }
    void pauseBackgroundMusic();
    void resumeBackgroundMusic();
    void rewindBackgroundMusic();
    bool isBackgroundMusicPlaying() const;
    // Music volume, 0..1; kept for players loaded later.
    float backgroundMusicVolume() const { return backgroundMusicVolume_; }
    void setBackgroundMusicVolume(float volume);

    // Muting mutes the effects and stops the music; unmuting resumes the
    // music that muting stopped.
    void setMute(bool mute);
    bool mute() const { return _mute; }

    // Called (not held) when the track finishes.
    void setBackgroundMusicCompletionListener(Object* listener, Selector<void()> selector);

    // With `autoHandle`, follows the application's resign/become-active and
    // terminate notifications (registered once).
    void setResignBehavior(int resignBehavior, bool autoHandle);

    // Audio-session interruption began / ended.
    void audioSessionInterrupted();
    void audioSessionResumed();

    CDSoundEngine* soundEngine() const { return soundEngine_.get(); }
    platform::MusicPlayer* backgroundMusic() const { return backgroundMusic_.get(); }
    bool willPlayBackgroundMusic() const { return willPlayBackgroundMusic_; }
    const std::string& lastBackgroundMusicFilePath() const { return lastBackgroundMusicFilePath_; }
    bool audioWasPlayingAtStartup() const { return _audioWasPlayingAtStartup; }
    int mode() const { return _mode; }
    uint32_t audioSessionCategory() const { return _audioSessionCategory; }

    // MusicPlayerDelegate
    void audioPlayerDidFinishPlaying(platform::MusicPlayer* player, bool successfully) override;
    void audioPlayerBeginInterruption(platform::MusicPlayer* player) override;
    void audioPlayerEndInterruption(platform::MusicPlayer* player) override;

private:
    void applicationWillResignActive(platform::Notification* n);
    void applicationDidBecomeActive(platform::Notification* n);
    void applicationWillTerminate(platform::Notification* n);

    SingletonGuard<CDAudioManager> guard_;
    Ref<CDSoundEngine> soundEngine_;
    Ref<platform::MusicPlayer> backgroundMusic_;
    std::string lastBackgroundMusicFilePath_;
    uint32_t _audioSessionCategory = 0;
    bool _audioWasPlayingAtStartup = false;
    int _mode = kAudioModeMusicIfNoOtherAudio;
    Object* backgroundMusicCompletionListener = nullptr;
    Selector<void()> backgroundMusicCompletionSelector;
    bool willPlayBackgroundMusic_ = false;
    bool _mute = false;
    bool _muteStoppedMusic = false;
    bool _isObservingAppEvents = false;
    bool _systemPausedMusic = false;
    int _resignBehavior = kResignDoNothing;
    float backgroundMusicVolume_ = 1.0f;
    int interruptionToken_ = 0;
};
