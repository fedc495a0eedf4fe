#include "platform/AudioSession.h"

#include <algorithm>

namespace platform {

AudioSession& AudioSession::shared() {
    static AudioSession session;
    return session;
}

int AudioSession::addInterruptionListener(InterruptionListener listener) {
    std::lock_guard lock(mutex_);
    int token = nextToken_++;
    listeners_.push_back({token, std::move(listener)});
    return token;
}

void AudioSession::removeInterruptionListener(int token) {
    std::lock_guard lock(mutex_);
    std::erase_if(listeners_, [token](const Listener& l) { return l.token == token; });
}

void AudioSession::setCategory(uint32_t category) {
    std::lock_guard lock(mutex_);
    category_ = category;
}

uint32_t AudioSession::category() const {
    std::lock_guard lock(mutex_);
    return category_;
}

void AudioSession::setActive(bool active) {
    std::lock_guard lock(mutex_);
    if (active && !active_) ++activations_;
    active_ = active;
}

bool AudioSession::isActive() const {
    std::lock_guard lock(mutex_);
    return active_;
}

int AudioSession::activationCount() const {
    std::lock_guard lock(mutex_);
    return activations_;
}

uint32_t AudioSession::property(uint32_t code) const {
    std::lock_guard lock(mutex_);
    if (code == kAudioSessionPropertyOtherAudioIsPlaying) return otherAudio_ ? 1 : 0;
    return 0;
}

bool AudioSession::otherAudioIsPlaying() const {
    return property(kAudioSessionPropertyOtherAudioIsPlaying) != 0;
}

void AudioSession::setOtherAudioIsPlaying(bool playing) {
    std::lock_guard lock(mutex_);
    otherAudio_ = playing;
}

void AudioSession::beginInterruption() {
    notify(true);
}
void AudioSession::endInterruption() {
    notify(false);
}

void AudioSession::notify(bool began) {
    // Listeners may add or remove listeners: call a snapshot, outside the lock,
    // skipping any removed meanwhile.
    std::vector<Listener> snapshot;
    {
        std::lock_guard lock(mutex_);
        snapshot = listeners_;
    }
    for (auto& l : snapshot) {
        bool present;
        {
            std::lock_guard lock(mutex_);
            present = std::any_of(listeners_.begin(), listeners_.end(),
                                  [&](const Listener& x) { return x.token == l.token; });
        }
        if (present) l.callback(began);
    }
}

void AudioSession::reset() {
    std::lock_guard lock(mutex_);
    listeners_.clear();
    category_ = 0;
    active_ = false;
    activations_ = 0;
    otherAudio_ = false;
}

} // namespace platform
