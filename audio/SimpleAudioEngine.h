#pragma once

#include "audio/CDAudioManager.h"
#include "support/Ref.h"
#include "support/Singleton.h"

#include <cstdint>
#include <string>
#include <unordered_map>

// What the game calls: effects by file name (played in channel group 0),
// one background music track, volumes and mute.
class SimpleAudioEngine : public Object {
public:
    // Created on first use over an audio manager in mode 2 with one channel
    // group of 31 sources (unless the manager exists already).
    static SimpleAudioEngine& sharedEngine();
    // Drops the facade, its effects and the audio manager (shutdown, tests).
    static void end();

    SimpleAudioEngine();
    ~SimpleAudioEngine() override;

    // Loads the effect into the lowest free buffer, once per name. With all
    // buffers taken the effect is refused (logged) and every loaded one kept.
    void preloadEffect(const std::string& filePath);
    // Returns the source playing it, kCDPlayMuted or kCDPlayNoSource.
    uint32_t playEffect(const std::string& filePath);
    uint32_t playEffect(const std::string& filePath, float pitch, float pan, float gain);
    void stopEffect(uint32_t soundId);
    void unloadEffect(const std::string& filePath);

    void preloadBackgroundMusic(const std::string& filePath);
    void playBackgroundMusic(const std::string& filePath); // loops
    void playBackgroundMusic(const std::string& filePath, bool loop);
    void stopBackgroundMusic();
    void pauseBackgroundMusic();
    void resumeBackgroundMusic();
    void rewindBackgroundMusic();
    bool isBackgroundMusicPlaying() const;
    bool willPlayBackgroundMusic() const;

    float effectsVolume() const;
    void setEffectsVolume(float volume);
    float backgroundMusicVolume() const;
    void setBackgroundMusicVolume(float volume);

    bool muted() const { return muted_; }
    void setMuted(bool muted);

    // Buffer index of a loaded effect, -1 when it is not loaded.
    int bufferIndexForEffect(const std::string& filePath) const;
    CDAudioManager* audioManager() const { return am_; }
    CDSoundEngine* soundEngine() const { return soundEngine_; }

private:
    SingletonGuard<SimpleAudioEngine> guard_;
    bool muted_ = false;
    CDAudioManager* am_ = nullptr;
    CDSoundEngine* soundEngine_ = nullptr;
    std::unordered_map<std::string, int> soundEffects_;
};
