#include "audio/SimpleAudioEngine.h"

#include "support/Log.h"

namespace {

Shared<SimpleAudioEngine>& sharedFacade() {
    // Never destroyed, like the audio manager beneath it.
    static auto* shared = new Shared<SimpleAudioEngine>;
    return *shared;
}

// Which buffers the facade has handed out, for the whole process.
bool bufferInUse[CD_MAX_BUFFERS];

int takeFreeBuffer() {
    for (int i = 0; i < CD_MAX_BUFFERS; ++i) {
        if (!bufferInUse[i]) {
            bufferInUse[i] = true;
            return i;
        }
    }
    return -1;
}

} // namespace

SimpleAudioEngine& SimpleAudioEngine::sharedEngine() {
    return sharedFacade().get();
}

void SimpleAudioEngine::end() {
    sharedFacade().purge();
    CDAudioManager::end();
}

SimpleAudioEngine::SimpleAudioEngine() {
    if (CDAudioManager::sharedManagerState() == 0) {
        const int groups[] = {31};
        CDAudioManager::configure(kAudioModeMusicIfNoOtherAudio, groups, 1);
    }
    am_ = &CDAudioManager::sharedManager();
    soundEngine_ = am_->soundEngine();
    soundEffects_.reserve(CD_MAX_BUFFERS);
}

SimpleAudioEngine::~SimpleAudioEngine() {
    for (auto& [name, index] : soundEffects_)
        bufferInUse[index] = false;
}

void SimpleAudioEngine::preloadEffect(const std::string& filePath) {
    if (soundEffects_.count(filePath)) return;
    int index = takeFreeBuffer();
    if (index < 0) {
        ccLog("SimpleAudioEngine: all %d effect buffers are in use; %s not loaded", CD_MAX_BUFFERS,
              filePath.c_str());
        return;
    }
    soundEffects_[filePath] = index;
    soundEngine_->loadBuffer(index, filePath);
}

uint32_t SimpleAudioEngine::playEffect(const std::string& filePath) {
    return playEffect(filePath, 1.0f, 0.0f, 1.0f);
}

uint32_t SimpleAudioEngine::playEffect(const std::string& filePath, float pitch, float pan,
                                       float gain) {
    preloadEffect(filePath);
    int index = bufferIndexForEffect(filePath);
    if (index < 0) return kCDPlayMuted; // refused for want of a buffer: nothing loaded
    return soundEngine_->playSound(index, 0, pitch, pan, gain, false);
}

void SimpleAudioEngine::stopEffect(uint32_t soundId) {
    soundEngine_->stopSound(soundId);
}

void SimpleAudioEngine::unloadEffect(const std::string& filePath) {
    auto it = soundEffects_.find(filePath);
    if (it == soundEffects_.end()) return;
    int index = it->second;
    bufferInUse[index] = false;
    soundEffects_.erase(it);
    soundEngine_->unloadBuffer(index);
}

void SimpleAudioEngine::preloadBackgroundMusic(const std::string& filePath) {
    am_->preloadBackgroundMusic(filePath);
}

void SimpleAudioEngine::playBackgroundMusic(const std::string& filePath) {
    am_->playBackgroundMusic(filePath, true);
}

void SimpleAudioEngine::playBackgroundMusic(const std::string& filePath, bool loop) {
    am_->playBackgroundMusic(filePath, loop);
}

void SimpleAudioEngine::stopBackgroundMusic() {
    am_->stopBackgroundMusic();
}
void SimpleAudioEngine::pauseBackgroundMusic() {
    am_->pauseBackgroundMusic();
}
void SimpleAudioEngine::resumeBackgroundMusic() {
    am_->resumeBackgroundMusic();
}
void SimpleAudioEngine::rewindBackgroundMusic() {
    am_->rewindBackgroundMusic();
}
bool SimpleAudioEngine::isBackgroundMusicPlaying() const {
    return am_->isBackgroundMusicPlaying();
}
bool SimpleAudioEngine::willPlayBackgroundMusic() const {
    return am_->willPlayBackgroundMusic();
}

float SimpleAudioEngine::effectsVolume() const {
    return soundEngine_->masterGain();
}
void SimpleAudioEngine::setEffectsVolume(float volume) {
    soundEngine_->setMasterGain(volume);
}

float SimpleAudioEngine::backgroundMusicVolume() const {
    return am_->backgroundMusicVolume();
}
void SimpleAudioEngine::setBackgroundMusicVolume(float volume) {
    am_->setBackgroundMusicVolume(volume);
}

void SimpleAudioEngine::setMuted(bool muted) {
    muted_ = muted;
    am_->setMute(muted);
}

int SimpleAudioEngine::bufferIndexForEffect(const std::string& filePath) const {
    auto it = soundEffects_.find(filePath);
    return it == soundEffects_.end() ? -1 : it->second;
}
