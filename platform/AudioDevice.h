#pragma once

// OpenAL device sharing. Effects, music and system sounds mix into one output
// device, opened on first use and closed when its last user lets go. The
// sound engine creates its own context on it and makes that context current
// (its listener gain is the effects volume). The music player and system
// sounds share a second context on the same device, which they select per
// thread (ALC_EXT_thread_local_context), so the effects volume never scales
// the music and the engine's context handling never touches theirs.

#include <AL/al.h>
#include <AL/alc.h>

#include <memory>

namespace platform {

class AudioDevice {
public:
    // The open device; null when no device can be opened (no sound card, a
    // failed driver, NEBULARK_NO_AUDIO set, or unavailability simulated).
    static std::shared_ptr<AudioDevice> acquire();

    // Makes every following acquire() fail as if no device existed.
    static void setUnavailableForTesting(bool unavailable);

    ~AudioDevice();
    AudioDevice(const AudioDevice&) = delete;
    AudioDevice& operator=(const AudioDevice&) = delete;

    ALCdevice* device() const { return device_; }
    // The context of the platform's audio services, created on first use;
    // null when it cannot be made.
    ALCcontext* servicesContext();

private:
    explicit AudioDevice(ALCdevice* device) : device_(device) {}
    ALCdevice* device_;
    ALCcontext* services_ = nullptr;
    bool servicesTried_ = false;
};

// Selects `context` for OpenAL calls of the current thread while it lives,
// then restores the thread's previous selection.
class ScopedAudioContext {
public:
    explicit ScopedAudioContext(ALCcontext* context);
    ~ScopedAudioContext();
    ScopedAudioContext(const ScopedAudioContext&) = delete;
    ScopedAudioContext& operator=(const ScopedAudioContext&) = delete;

private:
    ALCcontext* previous_;
};

} // namespace platform
