#include "platform/AudioDevice.h"

#include "support/Log.h"

#define AL_ALEXT_PROTOTYPES
#include <AL/alext.h>

#include <atomic>
#include <cstdlib>
#include <mutex>

namespace platform {

namespace {
std::mutex deviceMutex;
std::weak_ptr<AudioDevice> openDevice;
std::atomic<bool> simulatedUnavailable{false};
} // namespace

std::shared_ptr<AudioDevice> AudioDevice::acquire() {
    std::lock_guard lock(deviceMutex);
    if (auto device = openDevice.lock()) return device;
    if (simulatedUnavailable) return nullptr;
    if (const char* off = std::getenv("NEBULARK_NO_AUDIO"); off && *off && *off != '0')
        return nullptr;
    ALCdevice* raw = alcOpenDevice(nullptr);
    if (!raw) {
        ccLog("Audio: no output device could be opened; running silently");
        return nullptr;
    }
    std::shared_ptr<AudioDevice> device(new AudioDevice(raw));
    openDevice = device;
    return device;
}

void AudioDevice::setUnavailableForTesting(bool unavailable) {
    simulatedUnavailable = unavailable;
}

AudioDevice::~AudioDevice() {
    if (services_) {
        if (alcGetThreadContext() == services_) alcSetThreadContext(nullptr);
        alcDestroyContext(services_);
    }
    alcCloseDevice(device_);
}

ALCcontext* AudioDevice::servicesContext() {
    std::lock_guard lock(deviceMutex);
    if (!servicesTried_) {
        servicesTried_ = true;
        if (!alcIsExtensionPresent(nullptr, "ALC_EXT_thread_local_context")) {
            ccLog("Audio: OpenAL lacks per-thread contexts; music and system sounds are off");
        } else {
            services_ = alcCreateContext(device_, nullptr);
            if (services_) {
                ScopedAudioContext scope(services_);
                alDistanceModel(AL_NONE);
            } else {
                ccLog("Audio: could not create the services context");
            }
        }
    }
    return services_;
}

ScopedAudioContext::ScopedAudioContext(ALCcontext* context) : previous_(alcGetThreadContext()) {
    alcSetThreadContext(context);
}

ScopedAudioContext::~ScopedAudioContext() {
    alcSetThreadContext(previous_);
}

} // namespace platform
