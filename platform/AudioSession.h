#pragma once

#include <cstdint>
#include <functional>
#include <mutex>
#include <vector>

namespace platform {

// Session categories, as four-character codes.
inline constexpr uint32_t kAudioSessionCategoryAmbientSound = 0x616D6269;     // 'ambi'
inline constexpr uint32_t kAudioSessionCategorySoloAmbientSound = 0x736F6C6F; // 'solo'
inline constexpr uint32_t kAudioSessionCategoryMediaPlayback = 0x6D656469;    // 'medi'
// The "other application's audio is playing" property.
inline constexpr uint32_t kAudioSessionPropertyOtherAudioIsPlaying = 0x6F746872; // 'othr'

// The application's audio session. A desktop has no session to negotiate and
// no other application's audio to yield to: the category and activation are
// only recorded, other audio is reported as not playing unless a test says
// otherwise, and interruptions happen only when something calls
// beginInterruption()/endInterruption().
class AudioSession {
public:
    static AudioSession& shared();

    // Called with true when an interruption begins and false when it ends.
    using InterruptionListener = std::function<void(bool began)>;
    // Returns a token for removeInterruptionListener.
    int addInterruptionListener(InterruptionListener listener);
    void removeInterruptionListener(int token);

    void setCategory(uint32_t category);
    uint32_t category() const;
    void setActive(bool active);
    bool isActive() const;
    // How many times the session was activated (tests follow start-up with it).
    int activationCount() const;

    // Property reads by code; unknown properties read as 0.
    uint32_t property(uint32_t code) const;
    bool otherAudioIsPlaying() const;
    void setOtherAudioIsPlaying(bool playing);

    // Delivers an interruption to every listener, on the calling thread.
    void beginInterruption();
    void endInterruption();

    // Back to the start: no listeners, no category, inactive, no other audio.
    void reset();

private:
    AudioSession() = default;
    void notify(bool began);

    mutable std::mutex mutex_;
    struct Listener {
        int token;
        InterruptionListener callback;
    };
    std::vector<Listener> listeners_;
    int nextToken_ = 1;
    uint32_t category_ = 0;
    bool active_ = false;
    int activations_ = 0;
    bool otherAudio_ = false;
};

} // namespace platform
