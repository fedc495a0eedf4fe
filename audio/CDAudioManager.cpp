#include "audio/CDAudioManager.h"

#include "audio/CDAudioData.h"
#include "platform/AppNotifications.h"
#include "platform/AudioSession.h"
#include "platform/NotificationCenter.h"
#include "support/Log.h"

#include <algorithm>
#include <cmath>
#include <mutex>
#include <thread>

namespace {

// The shared instance and its configuration. Never destroyed: the manager
// lives for the whole run, and tearing it down during static destruction
// would reach services (notification center, OpenAL) already gone.
struct ManagerShared {
    std::mutex mutex;
    int mode = kAudioModeMusicIfNoOtherAudio;
    std::vector<int> groups{CD_MAX_SOURCES};
    Ref<CDAudioManager> instance;
    int state = 0;
    std::thread creator;
    bool asyncStarted = false;
};

ManagerShared& managerShared() {
    static auto* shared = new ManagerShared;
    return *shared;
}

void joinCreator(std::unique_lock<std::mutex>& lock, ManagerShared& s) {
    if (!s.creator.joinable()) return;
    std::thread creator = std::move(s.creator);
    lock.unlock();
    creator.join();
    lock.lock();
}

} // namespace

CDAudioManager& CDAudioManager::sharedManager() {
    auto& s = managerShared();
    std::unique_lock lock(s.mutex);
    joinCreator(lock, s);
    if (!s.instance) {
        s.state = 1;
        try {
            s.instance = make<CDAudioManager>(s.mode, s.groups.data(), int(s.groups.size()));
        } catch (...) {
            s.state = 0;
            throw;
        }
        s.state = 2;
    }
    return *s.instance;
}

int CDAudioManager::sharedManagerState() {
    auto& s = managerShared();
    std::lock_guard lock(s.mutex);
    return s.state;
}

void CDAudioManager::configure(int mode, const int* channelGroupDefinitions,
                               int channelGroupTotal) {
    auto& s = managerShared();
    std::lock_guard lock(s.mutex);
    s.mode = mode;
    s.groups.assign(channelGroupDefinitions,
                    channelGroupDefinitions + std::max(channelGroupTotal, 0));
}

void CDAudioManager::initAsynchronously(int mode, const int* channelGroupDefinitions,
                                        int channelGroupTotal) {
    auto& s = managerShared();
    {
        std::lock_guard lock(s.mutex);
        if (s.asyncStarted || s.instance) return;
        s.asyncStarted = true;
    }
    configure(mode, channelGroupDefinitions, channelGroupTotal);
    std::lock_guard lock(s.mutex);
    s.state = 1;
    s.creator = std::thread([&s] {
        int mode;
        std::vector<int> groups;
        {
            std::lock_guard l(s.mutex);
            mode = s.mode;
            groups = s.groups;
        }
        Ref<CDAudioManager> made;
        try {
            made = make<CDAudioManager>(mode, groups.data(), int(groups.size()));
        } catch (const Error& e) {
            ccLog("CDAudioManager: background creation failed: %s", e.message().c_str());
        }
        std::lock_guard l(s.mutex);
        s.instance = std::move(made);
        s.state = s.instance ? 2 : 0;
    });
}

void CDAudioManager::end() {
    auto& s = managerShared();
    Ref<CDAudioManager> old;
    {
        std::unique_lock lock(s.mutex);
        joinCreator(lock, s);
        old = std::move(s.instance);
        s.state = 0;
        s.asyncStarted = false;
        s.mode = kAudioModeMusicIfNoOtherAudio;
        s.groups.assign(1, CD_MAX_SOURCES);
    }
}

CDAudioManager::CDAudioManager(int mode, const int* channelGroupDefinitions,
                               int channelGroupTotal) {
    auto& session = platform::AudioSession::shared();
    interruptionToken_ = session.addInterruptionListener([this](bool began) {
        if (began)
            audioSessionInterrupted();
        else
            audioSessionResumed();
    });
    _mode = mode;

    switch (mode) {
    case kAudioModeEffectsOnly:
        _audioSessionCategory = platform::kAudioSessionCategoryAmbientSound;
        willPlayBackgroundMusic_ = false;
        break;
    case kAudioModeEffectsAndMusic:
        _audioSessionCategory = platform::kAudioSessionCategorySoloAmbientSound;
        willPlayBackgroundMusic_ = true;
        break;
    default:
        if (session.property(platform::kAudioSessionPropertyOtherAudioIsPlaying) != 0) {
            _audioSessionCategory = platform::kAudioSessionCategoryAmbientSound;
            willPlayBackgroundMusic_ = false;
            _audioWasPlayingAtStartup = true;
        } else {
            _audioSessionCategory = platform::kAudioSessionCategorySoloAmbientSound;
            willPlayBackgroundMusic_ = true;
        }
    }

    if (willPlayBackgroundMusic_) {
        // Taking the media-playback category for a moment stops other
        // applications' audio.
        session.setCategory(platform::kAudioSessionCategoryMediaPlayback);
        session.setActive(true);
        session.setActive(false);
    }
    session.setCategory(_audioSessionCategory);
    session.setActive(true);

    try {
        soundEngine_ = make<CDSoundEngine>(channelGroupDefinitions, channelGroupTotal);
    } catch (...) {
        session.removeInterruptionListener(interruptionToken_);
        throw;
    }
}

CDAudioManager::~CDAudioManager() {
    platform::AudioSession::shared().removeInterruptionListener(interruptionToken_);
    if (_isObservingAppEvents) platform::NotificationCenter::defaultCenter().removeObserver(this);
    if (backgroundMusic_) {
        backgroundMusic_->setDelegate(nullptr);
        backgroundMusic_->stop();
    }
}

void CDAudioManager::preloadBackgroundMusic(const std::string& filePath) {
    if (!willPlayBackgroundMusic_) return;
    if (backgroundMusic_ && filePath == lastBackgroundMusicFilePath_) return;
    if (backgroundMusic_) {
        backgroundMusic_->setDelegate(nullptr);
        backgroundMusic_->stop();
        backgroundMusic_ = nullptr;
    }
    lastBackgroundMusicFilePath_.clear();
    _muteStoppedMusic = false;
    _systemPausedMusic = false;

    auto player =
        platform::MusicPlayer::playerWithContentsOfFile(cdFullPathFromRelativePath(filePath));
    if (!player) {
        ccLog("CDAudioManager: no music from %s", filePath.c_str());
        return;
    }
    player->prepareToPlay();
    player->setDelegate(this);
    player->setVolume(backgroundMusicVolume_);
    backgroundMusic_ = player;
    lastBackgroundMusicFilePath_ = filePath;
}

void CDAudioManager::playBackgroundMusic(const std::string& filePath, bool loop) {
    if (!willPlayBackgroundMusic_ || _mute) return;
    if (backgroundMusic_ && filePath == lastBackgroundMusicFilePath_) {
        backgroundMusic_->pause();
        backgroundMusic_->setCurrentTime(0);
    } else {
        preloadBackgroundMusic(filePath);
    }
    if (!backgroundMusic_) return;
    backgroundMusic_->setNumberOfLoops(loop ? -1 : 0);
    backgroundMusic_->play();
}

void CDAudioManager::stopBackgroundMusic(bool release) {
    if (!backgroundMusic_) return;
    backgroundMusic_->stop();
    // Stopped on purpose: neither unmuting nor becoming active brings it back.
    _muteStoppedMusic = false;
    _systemPausedMusic = false;
    if (release) {
        backgroundMusic_->setDelegate(nullptr);
        backgroundMusic_ = nullptr;
        lastBackgroundMusicFilePath_.clear();
    }
}

void CDAudioManager::pauseBackgroundMusic() {
    if (!backgroundMusic_) return;
    backgroundMusic_->pause();
    _muteStoppedMusic = false;
    _systemPausedMusic = false;
}

void CDAudioManager::resumeBackgroundMusic() {
    if (!backgroundMusic_) return;
    if (_mute) {
        _muteStoppedMusic = true; // plays once unmuted
        return;
    }
    backgroundMusic_->play();
}

void CDAudioManager::rewindBackgroundMusic() {
    if (backgroundMusic_) backgroundMusic_->setCurrentTime(0);
}

bool CDAudioManager::isBackgroundMusicPlaying() const {
    return backgroundMusic_ && backgroundMusic_->isPlaying();
}

void CDAudioManager::setBackgroundMusicVolume(float volume) {
    backgroundMusicVolume_ = std::isnan(volume) ? 0.0f : std::clamp(volume, 0.0f, 1.0f);
    if (backgroundMusic_) backgroundMusic_->setVolume(backgroundMusicVolume_);
}

void CDAudioManager::setMute(bool mute) {
    soundEngine_->setMute(mute);
    _mute = mute;
    if (mute) {
        if (isBackgroundMusicPlaying()) {
            backgroundMusic_->stop();
            _muteStoppedMusic = true;
        }
    } else if (_muteStoppedMusic) {
        _muteStoppedMusic = false;
        if (backgroundMusic_) backgroundMusic_->play();
    }
}

void CDAudioManager::setBackgroundMusicCompletionListener(Object* listener,
                                                          Selector<void()> selector) {
    backgroundMusicCompletionListener = listener;
    backgroundMusicCompletionSelector = std::move(selector);
}

void CDAudioManager::setResignBehavior(int resignBehavior, bool autoHandle) {
    if (autoHandle && !_isObservingAppEvents) {
        auto& center = platform::NotificationCenter::defaultCenter();
        center.addObserver(this, ccSelector(this, &CDAudioManager::applicationWillResignActive),
                           std::string(platform::kApplicationWillResignActiveNotification));
        center.addObserver(this, ccSelector(this, &CDAudioManager::applicationDidBecomeActive),
                           std::string(platform::kApplicationDidBecomeActiveNotification));
        center.addObserver(this, ccSelector(this, &CDAudioManager::applicationWillTerminate),
                           std::string(platform::kApplicationWillTerminateNotification));
        _isObservingAppEvents = true;
    }
    _resignBehavior = resignBehavior;
}

void CDAudioManager::applicationWillResignActive(platform::Notification*) {
    switch (_resignBehavior) {
    case kResignStopAndResume:
        _systemPausedMusic = isBackgroundMusicPlaying();
        if (_systemPausedMusic) backgroundMusic_->stop();
        break;
    case kResignStop:
        if (backgroundMusic_) backgroundMusic_->stop();
        break;
    default:
        break;
    }
}

void CDAudioManager::applicationDidBecomeActive(platform::Notification*) {
    if (_resignBehavior != kResignStopAndResume || !_systemPausedMusic) return;
    _systemPausedMusic = false;
    if (!backgroundMusic_) return;
    if (_mute)
        _muteStoppedMusic = true; // muted meanwhile: unmuting brings it back
    else
        backgroundMusic_->play();
}

void CDAudioManager::applicationWillTerminate(platform::Notification*) {
    stopBackgroundMusic(true);
}

void CDAudioManager::audioSessionInterrupted() {
    platform::AudioSession::shared().setActive(false);
    if (soundEngine_) soundEngine_->audioSessionInterrupted();
}

void CDAudioManager::audioSessionResumed() {
    auto& session = platform::AudioSession::shared();
    session.setCategory(_audioSessionCategory);
    session.setActive(true);
    if (soundEngine_) soundEngine_->audioSessionResumed();
}

void CDAudioManager::audioPlayerDidFinishPlaying(platform::MusicPlayer*, bool) {
    if (backgroundMusicCompletionSelector) backgroundMusicCompletionSelector();
}

void CDAudioManager::audioPlayerBeginInterruption(platform::MusicPlayer*) {}

void CDAudioManager::audioPlayerEndInterruption(platform::MusicPlayer* player) {
    if (_mute)
        _muteStoppedMusic = true;
    else
        player->play();
}
