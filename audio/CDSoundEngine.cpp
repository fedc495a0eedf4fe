#include "audio/CDSoundEngine.h"

#include "audio/CDAudioData.h"
#include "platform/AudioDevice.h"
#include "platform/AudioSession.h"
#include "support/Error.h"
#include "support/Log.h"

#include <AL/al.h>
#include <AL/alc.h>

#include <algorithm>

static_assert(kCDFormatMono8 == AL_FORMAT_MONO8 && kCDFormatMono16 == AL_FORMAT_MONO16 &&
              kCDFormatStereo8 == AL_FORMAT_STEREO8 && kCDFormatStereo16 == AL_FORMAT_STEREO16);

namespace {
ALCcontext* alContext(void* context) {
    return static_cast<ALCcontext*>(context);
}
} // namespace

CDSoundEngine::CDSoundEngine(const int* channelGroupDefinitions, int channelGroupTotal,
                             uint32_t audioSessionCategory)
    : _audioSessionCategory(audioSessionCategory),
      _handleAudioSession(audioSessionCategory != kCDManagerHandlesSession) {
    ccAssert(channelGroupTotal >= 0 && (channelGroupTotal == 0 || channelGroupDefinitions),
             "channel group definitions missing");
    int first = 0;
    for (int i = 0; i < channelGroupTotal; ++i) {
        int size = channelGroupDefinitions[i];
        ccAssert(size >= 0, "channel group size must not be negative");
        ccAssert(size <= CD_MAX_SOURCES - first, "requested total channels exceeds CD_MAX_SOURCES");
        _channelGroups.push_back({first, first + size - 1, first, false});
        first += size;
    }
    _channelGroupTotal = channelGroupTotal;
    _channelTotal = first;

    if (_handleAudioSession) {
        auto& session = platform::AudioSession::shared();
        interruptionToken_ = session.addInterruptionListener([this](bool began) {
            if (began)
                audioSessionInterrupted();
            else
                audioSessionResumed();
        });
        session.setCategory(_audioSessionCategory);
    }

    device_ = platform::AudioDevice::acquire();
    if (!device_) {
        ccLog("CDSoundEngine: no audio device; effects are silent");
        return;
    }
    ALCcontext* ctx = alcCreateContext(device_->device(), nullptr);
    if (!ctx || !alcMakeContextCurrent(ctx)) {
        lastErrorCode_ = alcGetError(device_->device());
        ccLog("CDSoundEngine: no OpenAL context (error 0x%x); effects are silent", lastErrorCode_);
        if (ctx) alcDestroyContext(ctx);
        device_.reset();
        return;
    }
    context = ctx;
    alGetError();
    alDistanceModel(AL_NONE);
    alGenBuffers(CD_MAX_BUFFERS, _buffers);
    ALenum error = alGetError();
    if (error == AL_NO_ERROR) {
        alGenSources(CD_MAX_SOURCES, _sources);
        error = alGetError();
        if (error != AL_NO_ERROR) alDeleteBuffers(CD_MAX_BUFFERS, _buffers);
    }
    if (error != AL_NO_ERROR) {
        lastErrorCode_ = error;
        ccLog("CDSoundEngine: OpenAL could not make buffers and sources (error 0x%x)", error);
        std::fill(std::begin(_buffers), std::end(_buffers), 0);
        std::fill(std::begin(_sources), std::end(_sources), 0);
        alcMakeContextCurrent(nullptr);
        alcDestroyContext(ctx);
        context = nullptr;
        device_.reset();
        return;
    }
    functioning_ = true;
}

CDSoundEngine::~CDSoundEngine() {
    {
        std::lock_guard lock(loaderMutex_);
        loaderQuit_ = true;
    }
    loaderCv_.notify_all();
    if (loaderThread_.joinable()) loaderThread_.join();
    if (_handleAudioSession)
        platform::AudioSession::shared().removeInterruptionListener(interruptionToken_);
    if (context) {
        ALCcontext* ctx = alContext(context);
        alcMakeContextCurrent(ctx);
        for (ALuint source : _sources) {
            alSourceStop(source);
            alSourcei(source, AL_BUFFER, 0);
        }
        alDeleteSources(CD_MAX_SOURCES, _sources);
        alDeleteBuffers(CD_MAX_BUFFERS, _buffers);
        alGetError();
        alcMakeContextCurrent(nullptr);
        alcDestroyContext(ctx);
    }
}

bool CDSoundEngine::loadBuffer(int soundId, const std::string& filePath) {
    if (!functioning_) return false;
    if (soundId < 0 || soundId >= CD_MAX_BUFFERS) {
        ccLog("CDSoundEngine: no buffer %d", soundId);
        return false;
    }
    // Decoding may take a while: do it before taking the lock.
    std::string path = cdFullPathFromRelativePath(filePath);
    auto data = MyGetOpenALAudioData(path);

    std::lock_guard lock(mutex_);
    if (_bufferStates[soundId] != kCDBufferEmpty && !unloadBufferLocked(soundId)) return false;
    if (!data) {
        _bufferStates[soundId] = kCDBufferFailed;
        return false;
    }
    // A stale error from an unrelated call must not fail this load.
    alGetError();
    alBufferData(_buffers[soundId], data->format, data->data.data(), ALsizei(data->data.size()),
                 data->sampleRate);
    ALenum error = alGetError();
    if (error != AL_NO_ERROR) {
        lastErrorCode_ = error;
        _bufferStates[soundId] = kCDBufferFailed;
        ccLog("CDSoundEngine: OpenAL refused %s (error 0x%x)", path.c_str(), error);
        return false;
    }
    _bufferStates[soundId] = kCDBufferLoaded;
    return true;
}

bool CDSoundEngine::unloadBuffer(int soundId) {
    if (!functioning_ || soundId < 0 || soundId >= CD_MAX_BUFFERS) return false;
    std::lock_guard lock(mutex_);
    return unloadBufferLocked(soundId);
}

bool CDSoundEngine::unloadBufferLocked(int soundId) {
    ALuint buffer = _buffers[soundId];
    alGetError();
    for (int i = 0; i < _channelTotal; ++i) {
        if (_sourceBufferAttachments[i] != buffer) continue;
        alSourceStop(_sources[i]);
        alSourcei(_sources[i], AL_BUFFER, 0);
        if (alGetError() == AL_NO_ERROR) _sourceBufferAttachments[i] = 0;
    }
    alDeleteBuffers(1, &buffer);
    alGenBuffers(1, &buffer);
    _buffers[soundId] = buffer;
    ALenum error = alGetError();
    if (error != AL_NO_ERROR) {
        lastErrorCode_ = error;
        _bufferStates[soundId] = kCDBufferFailed;
        return false;
    }
    _bufferStates[soundId] = kCDBufferEmpty;
    return true;
}

void CDSoundEngine::loadBuffersAsynchronously(
    const std::vector<Ref<CDBufferLoadRequest>>& loadRequests) {
    // Plain copies cross to the loader thread: the requests' counts are not
    // thread-safe.
    std::vector<LoadItem> items;
    for (auto& r : loadRequests)
        if (r) items.push_back({r->soundId, r->filePath});
    {
        std::lock_guard lock(loaderMutex_);
        asynchLoadProgress_ = 0.0f;
        loaderQueue_.push_back(std::move(items));
        if (!loaderThread_.joinable()) loaderThread_ = std::thread([this] { loaderMain(); });
    }
    loaderCv_.notify_all();
}

void CDSoundEngine::loaderMain() {
    std::unique_lock lock(loaderMutex_);
    for (;;) {
        loaderCv_.wait(lock, [this] { return loaderQuit_ || !loaderQueue_.empty(); });
        if (loaderQuit_) return;
        std::vector<LoadItem> batch = std::move(loaderQueue_.front());
        loaderQueue_.pop_front();
        lock.unlock();
        asynchLoadProgress_ = 0.0f;
        float step = batch.empty() ? 1.0f : 1.0f / float(batch.size());
        for (auto& item : batch) {
            {
                std::lock_guard quitLock(loaderMutex_);
                if (loaderQuit_) return;
            }
            loadBuffer(item.soundId, item.filePath);
            asynchLoadProgress_ = asynchLoadProgress_ + step;
        }
        asynchLoadProgress_ = 1.0f;
        lock.lock();
    }
}

bool CDSoundEngine::sourceIsPlaying(int sourceIndex) const {
    ALint state = 0;
    alGetSourcei(_sources[sourceIndex], AL_SOURCE_STATE, &state);
    return state == AL_PLAYING;
}

uint32_t CDSoundEngine::playSound(int soundId, int channelGroupId, float pitch, float pan,
                                  float gain, bool loop) {
    std::lock_guard lock(mutex_);
    if (_mute || !functioning_ || soundId < 0 || soundId >= CD_MAX_BUFFERS ||
        _bufferStates[soundId] != kCDBufferLoaded)
        return kCDPlayMuted;
    if (channelGroupId < 0 || channelGroupId >= _channelGroupTotal) return kCDPlayNoSource;
    CDChannelGroup& g = _channelGroups[size_t(channelGroupId)];
    if (g.mute) return kCDPlayMuted;
    if (g.endIndex < g.startIndex) return kCDPlayNoSource;

    uint32_t result = kCDPlayNoSource;
    if (g.currentIndex == kCDGroupNonInterruptible) {
        for (int i = g.startIndex; i <= g.endIndex; ++i) {
            if (sourceIsPlaying(i)) continue;
            startSource(i, soundId, pitch, pan, gain, loop, false, result);
            return result;
        }
        return kCDPlayNoSource;
    }
    int index = g.currentIndex;
    if (g.endIndex > g.startIndex)
        g.currentIndex = index + 1 > g.endIndex ? g.startIndex : index + 1;
    startSource(index, soundId, pitch, pan, gain, loop, true, result);
    return result;
}

bool CDSoundEngine::startSource(int sourceIndex, int soundId, float pitch, float pan, float gain,
                                bool loop, bool checkState, uint32_t& result) {
    ALuint source = _sources[sourceIndex];
    alGetError();
    if (checkState && sourceIsPlaying(sourceIndex)) alSourceStop(source);
    alSourcei(source, AL_BUFFER, ALint(_buffers[soundId]));
    alSourcef(source, AL_PITCH, pitch);
    alSourcei(source, AL_LOOPING, loop ? AL_TRUE : AL_FALSE);
    alSourcef(source, AL_GAIN, gain);
    alSource3f(source, AL_POSITION, pan, 0.0f, 0.0f);
    alSourcePlay(source);
    ALenum error = alGetError();
    if (error != AL_NO_ERROR) {
        lastErrorCode_ = error;
        result = kCDPlayNoSource;
        return false;
    }
    _sourceBufferAttachments[sourceIndex] = _buffers[soundId];
    result = source;
    return true;
}

void CDSoundEngine::stopSound(uint32_t sourceId) {
    if (!functioning_) return;
    std::lock_guard lock(mutex_);
    // Only our own sources: the special values and stale names are no sources.
    if (std::find(std::begin(_sources), std::end(_sources), sourceId) == std::end(_sources)) return;
    alSourceStop(sourceId);
    alGetError();
}

void CDSoundEngine::stopChannelGroup(int channelGroupId) {
    if (!functioning_ || channelGroupId < 0 || channelGroupId >= _channelGroupTotal) return;
    std::lock_guard lock(mutex_);
    const CDChannelGroup& g = _channelGroups[size_t(channelGroupId)];
    for (int i = g.startIndex; i <= g.endIndex; ++i)
        alSourceStop(_sources[i]);
    alGetError();
}

void CDSoundEngine::setChannelGroupMute(int channelGroupId, bool mute) {
    if (channelGroupId < 0 || channelGroupId >= _channelGroupTotal) return;
    {
        std::lock_guard lock(mutex_);
        _channelGroups[size_t(channelGroupId)].mute = mute;
    }
    if (mute) stopChannelGroup(channelGroupId);
}

bool CDSoundEngine::channelGroupMute(int channelGroupId) const {
    if (channelGroupId < 0 || channelGroupId >= _channelGroupTotal) return false;
    std::lock_guard lock(mutex_);
    return _channelGroups[size_t(channelGroupId)].mute;
}

void CDSoundEngine::setChannelGroupNonInterruptible(int channelGroupId, bool isNonInterruptible) {
    if (channelGroupId < 0 || channelGroupId >= _channelGroupTotal) return;
    std::lock_guard lock(mutex_);
    CDChannelGroup& g = _channelGroups[size_t(channelGroupId)];
    g.currentIndex = isNonInterruptible ? kCDGroupNonInterruptible : g.startIndex;
}

void CDSoundEngine::setMute(bool mute) {
    _mute = mute;
    if (mute)
        for (int g = 0; g < _channelGroupTotal; ++g)
            stopChannelGroup(g);
}

float CDSoundEngine::masterGain() const {
    if (!functioning_) return masterGain_;
    std::lock_guard lock(mutex_);
    ALfloat gain = masterGain_;
    alGetListenerf(AL_GAIN, &gain);
    alGetError();
    return gain;
}

void CDSoundEngine::setMasterGain(float gain) {
    std::lock_guard lock(mutex_);
    if (!(gain >= 0.0f)) return; // negative or NaN: OpenAL would refuse it too
    masterGain_ = gain;
    if (!functioning_) return;
    alListenerf(AL_GAIN, gain);
    alGetError();
}

void CDSoundEngine::audioSessionInterrupted() {
    if (_handleAudioSession) platform::AudioSession::shared().setActive(false);
    if (!context) return;
    alcMakeContextCurrent(nullptr);
    alcSuspendContext(alContext(context));
}

void CDSoundEngine::audioSessionResumed() {
    if (_handleAudioSession) {
        auto& session = platform::AudioSession::shared();
        session.setCategory(_audioSessionCategory);
        session.setActive(true);
    }
    if (!context) return;
    alcMakeContextCurrent(alContext(context));
    alcProcessContext(alContext(context));
}

int CDSoundEngine::bufferState(int soundId) const {
    if (soundId < 0 || soundId >= CD_MAX_BUFFERS) return kCDBufferEmpty;
    std::lock_guard lock(mutex_);
    return _bufferStates[soundId];
}

uint32_t CDSoundEngine::sourceName(int index) const {
    return index >= 0 && index < CD_MAX_SOURCES ? _sources[index] : 0;
}

uint32_t CDSoundEngine::sourceBufferAttachment(int index) const {
    if (index < 0 || index >= CD_MAX_SOURCES) return 0;
    std::lock_guard lock(mutex_);
    return _sourceBufferAttachments[index];
}

uint32_t CDSoundEngine::bufferName(int soundId) const {
    if (soundId < 0 || soundId >= CD_MAX_BUFFERS) return 0;
    std::lock_guard lock(mutex_);
    return _buffers[soundId];
}

void CDSourceWrapper::setSourceId(uint32_t sourceId) {
    if (sourceId == kCDPlayMuted || sourceId == kCDPlayNoSource) return;
    sourceId_ = sourceId;
}

void CDSourceWrapper::setPitch(float pitch) {
    lastPitch = pitch;
    alSourcef(sourceId_, AL_PITCH, pitch);
    alGetError();
}

void CDSourceWrapper::setGain(float gain) {
    lastGain = gain;
    alSourcef(sourceId_, AL_GAIN, gain);
    alGetError();
}

void CDSourceWrapper::setPan(float pan) {
    lastPan = pan;
    alSource3f(sourceId_, AL_POSITION, pan, 0.0f, 0.0f);
    alGetError();
}

void CDSourceWrapper::setLooping(bool looping) {
    lastLooping = looping;
    alSourcei(sourceId_, AL_LOOPING, looping ? AL_TRUE : AL_FALSE);
    alGetError();
}

bool CDSourceWrapper::isPlaying() const {
    ALint state = 0;
    alGetSourcei(sourceId_, AL_SOURCE_STATE, &state);
    alGetError();
    return state == AL_PLAYING;
}
