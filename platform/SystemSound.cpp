#include "platform/SystemSound.h"

#include "platform/AudioDevice.h"
#include "platform/AudioFile.h"
#include "platform/Files.h"
#include "support/Log.h"

#include <algorithm>
#include <map>
#include <mutex>
#include <vector>

namespace platform {

namespace {

// System sounds are short by nature; anything longer is refused.
constexpr size_t kMaxSystemSoundBytes = size_t(8) << 20;
// Plays beyond this many at once cut the oldest.
constexpr int kVoices = 4;

class Registry {
public:
    ~Registry() { dispose(); }

    SystemSoundID load(const std::string& name, const std::string& type) {
        std::lock_guard lock(mutex_);
        std::string key = name + "." + type;
        if (auto it = byName_.find(key); it != byName_.end()) return it->second;
        std::string path = pathForResource(name, type);
        if (path.empty()) {
            ccLog("SystemSound: no resource %s", key.c_str());
            return 0;
        }
        auto file = AudioFile::open(path);
        if (!file) return 0;
        const AudioFileInfo info = file->info();
        if (info.channels > 2) {
            ccLog("SystemSound: %s has %d channels; at most 2 are played", key.c_str(),
                  info.channels);
            return 0;
        }
        auto samples = file->readAll(kMaxSystemSoundBytes);
        if (!samples) return 0;
        if (!ensureDevice()) return 0;

        ScopedAudioContext scope(context_);
        alGetError();
        ALuint buffer = 0;
        alGenBuffers(1, &buffer);
        alBufferData(buffer, info.channels == 1 ? AL_FORMAT_MONO16 : AL_FORMAT_STEREO16,
                     samples->data(), ALsizei(samples->size() * sizeof(int16_t)), info.sampleRate);
        if (alGetError() != AL_NO_ERROR) {
            if (buffer) alDeleteBuffers(1, &buffer);
            alGetError();
            ccLog("SystemSound: OpenAL refused %s", key.c_str());
            return 0;
        }
        buffers_.push_back(buffer);
        SystemSoundID id = SystemSoundID(buffers_.size());
        byName_[key] = id;
        return id;
    }

    void play(SystemSoundID id) {
        std::lock_guard lock(mutex_);
        if (id == 0 || id > buffers_.size() || !context_) return;
        ScopedAudioContext scope(context_);
        // A free voice, else the one started longest ago.
        int voice = -1;
        for (int i = 0; i < kVoices; ++i) {
            ALint state = 0;
            alGetSourcei(voices_[i], AL_SOURCE_STATE, &state);
            if (state != AL_PLAYING) {
                voice = i;
                break;
            }
        }
        if (voice < 0) voice = int(std::min_element(started_, started_ + kVoices) - started_);
        started_[voice] = ++starts_;
        ALuint source = voices_[voice];
        alSourceStop(source);
        alSourcei(source, AL_BUFFER, ALint(buffers_[id - 1]));
        alSourcePlay(source);
        playing_[voice] = id;
        if (alGetError() != AL_NO_ERROR) ccLog("SystemSound: could not play sound %u", id);
    }

    bool isPlaying(SystemSoundID id) {
        std::lock_guard lock(mutex_);
        if (!context_) return false;
        ScopedAudioContext scope(context_);
        for (int i = 0; i < kVoices; ++i) {
            if (playing_[i] != id) continue;
            ALint state = 0;
            alGetSourcei(voices_[i], AL_SOURCE_STATE, &state);
            if (state == AL_PLAYING) return true;
        }
        return false;
    }

    void dispose() {
        std::lock_guard lock(mutex_);
        if (context_) {
            ScopedAudioContext scope(context_);
            for (ALuint v : voices_) {
                alSourceStop(v);
                alSourcei(v, AL_BUFFER, 0);
            }
            alDeleteSources(kVoices, voices_);
            if (!buffers_.empty()) alDeleteBuffers(ALsizei(buffers_.size()), buffers_.data());
            alGetError();
        }
        buffers_.clear();
        byName_.clear();
        context_ = nullptr;
        device_.reset();
        for (auto& p : playing_)
            p = 0;
    }

private:
    bool ensureDevice() {
        if (context_) return true;
        device_ = AudioDevice::acquire();
        if (!device_) return false;
        context_ = device_->servicesContext();
        if (!context_) {
            device_.reset();
            return false;
        }
        ScopedAudioContext scope(context_);
        alGetError();
        alGenSources(kVoices, voices_);
        if (alGetError() != AL_NO_ERROR) {
            ccLog("SystemSound: no OpenAL sources");
            context_ = nullptr;
            device_.reset();
            return false;
        }
        for (ALuint v : voices_)
            alSourcei(v, AL_SOURCE_RELATIVE, AL_TRUE);
        return true;
    }

    std::mutex mutex_;
    std::shared_ptr<AudioDevice> device_;
    ALCcontext* context_ = nullptr;
    ALuint voices_[kVoices] = {};
    SystemSoundID playing_[kVoices] = {};
    uint64_t started_[kVoices] = {};
    uint64_t starts_ = 0;
    std::vector<ALuint> buffers_;
    std::map<std::string, SystemSoundID> byName_;
};

Registry& registry() {
    static Registry r;
    return r;
}

} // namespace

SystemSoundID systemSoundWithResource(const std::string& name, const std::string& type) {
    return registry().load(name, type);
}

void playSystemSound(SystemSoundID sound) {
    registry().play(sound);
}

bool systemSoundIsPlaying(SystemSoundID sound) {
    return registry().isPlaying(sound);
}

void disposeSystemSounds() {
    registry().dispose();
}

} // namespace platform
