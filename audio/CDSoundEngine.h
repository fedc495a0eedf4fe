#pragma once

#include "support/Ref.h"

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace platform {
class AudioDevice;
}

inline constexpr int CD_MAX_BUFFERS = 32;
inline constexpr int CD_MAX_SOURCES = 32;

// playSound results that are not a source name.
// Nothing played: muted engine or group, engine not functioning, buffer not loaded.
inline constexpr uint32_t kCDPlayMuted = 0xFEEDBAB;
// Nothing played: no source could be had, or OpenAL refused to play.
inline constexpr uint32_t kCDPlayNoSource = 0xFEEDFAC;
// A group's next index with this value marks the group non-interruptible.
inline constexpr int kCDGroupNonInterruptible = 0xFEDEEFF;
// Session category meaning "the audio manager handles the session".
inline constexpr uint32_t kCDManagerHandlesSession = 0xBEEFBEE;

// Buffer states.
inline constexpr int kCDBufferEmpty = 0;
inline constexpr int kCDBufferLoaded = 1;
inline constexpr int kCDBufferFailed = 2;

struct CDChannelGroup {
    int startIndex;
    int endIndex;
    int currentIndex; // or kCDGroupNonInterruptible
    bool mute;
};

// One file to load into one buffer in the background.
class CDBufferLoadRequest : public Object {
public:
    CDBufferLoadRequest(int soundId, std::string filePath)
        : soundId(soundId), filePath(std::move(filePath)) {}
    const int soundId;
    const std::string filePath;
};

// Plays effects through OpenAL: 32 buffers of decoded sounds and up to 32
// sources divided into channel groups. A group hands out its sources round
// robin (a new sound cuts the oldest) or, when non-interruptible, only
// sources that are not playing. Without an audio device the engine is not
// functioning: it loads and plays nothing, and every call stays safe.
class CDSoundEngine : public Object {
public:
    // `channelGroupDefinitions` holds the size of each of the
    // `channelGroupTotal` groups; together at most CD_MAX_SOURCES.
    CDSoundEngine(const int* channelGroupDefinitions, int channelGroupTotal,
                  uint32_t audioSessionCategory = kCDManagerHandlesSession);
    ~CDSoundEngine() override;

    // Decodes the file into buffer `soundId`, replacing what it held.
    bool loadBuffer(int soundId, const std::string& filePath);
    // Stops and detaches every source playing the buffer, then empties it.
    bool unloadBuffer(int soundId);
    // Loads the requests in order on a background thread; progress in
    // asynchLoadProgress().
    void loadBuffersAsynchronously(const std::vector<Ref<CDBufferLoadRequest>>& loadRequests);

    // Returns the OpenAL source name playing the sound, kCDPlayMuted or kCDPlayNoSource.
    uint32_t playSound(int soundId, int channelGroupId, float pitch, float pan, float gain,
                       bool loop);
    void stopSound(uint32_t sourceId);
    void stopChannelGroup(int channelGroupId);

    void setChannelGroupMute(int channelGroupId, bool mute);
    bool channelGroupMute(int channelGroupId) const;
    void setChannelGroupNonInterruptible(int channelGroupId, bool isNonInterruptible);

    void setMute(bool mute);
    bool mute() const { return _mute; }

    // The listener gain: scales every effect.
    float masterGain() const;
    void setMasterGain(float gain);

    // The OpenAL context (an ALCcontext*), null when not functioning.
    void* openALContext() const { return context; }
    bool functioning() const { return functioning_; }
    int lastErrorCode() const { return lastErrorCode_; }
    float asynchLoadProgress() const { return asynchLoadProgress_; }
    void setAsynchLoadProgress(float progress) { asynchLoadProgress_ = progress; }

    // An audio-session interruption began / ended.
    void audioSessionInterrupted();
    void audioSessionResumed();

    // Inspection.
    int bufferState(int soundId) const;
    int channelGroupTotal() const { return _channelGroupTotal; }
    int channelTotal() const { return _channelTotal; }
    const CDChannelGroup& group(int channelGroupId) const {
        return _channelGroups.at(channelGroupId);
    }
    // The OpenAL name of source `index` (0 when not functioning).
    uint32_t sourceName(int index) const;
    // The OpenAL buffer last attached to source `index` (0 = none).
    uint32_t sourceBufferAttachment(int index) const;
    // The OpenAL name of buffer `soundId` (0 when not functioning).
    uint32_t bufferName(int soundId) const;

private:
    bool startSource(int sourceIndex, int soundId, float pitch, float pan, float gain, bool loop,
                     bool checkState, uint32_t& result);
    bool sourceIsPlaying(int sourceIndex) const;
    bool unloadBufferLocked(int soundId);
    void loaderMain();

    uint32_t _sources[CD_MAX_SOURCES] = {};
    uint32_t _buffers[CD_MAX_BUFFERS] = {};
    int _bufferStates[CD_MAX_BUFFERS] = {};
    uint32_t _sourceBufferAttachments[CD_MAX_SOURCES] = {};
    std::vector<CDChannelGroup> _channelGroups;

    std::shared_ptr<platform::AudioDevice> device_;
    void* context = nullptr;
    int _channelGroupTotal = 0;
    int _channelTotal = 0;
    uint32_t _audioSessionCategory;
    bool _handleAudioSession;
    int interruptionToken_ = 0;
    bool _mute = false;
    float masterGain_ = 1.0f;
    int lastErrorCode_ = 0;
    bool functioning_ = false;
    std::atomic<float> asynchLoadProgress_{0.0f};

    // Loading runs on the main thread and the loader thread at once.
    mutable std::recursive_mutex mutex_;

    // The background loader: one thread working through queued batches.
    struct LoadItem {
        int soundId;
        std::string filePath;
    };
    std::mutex loaderMutex_;
    std::condition_variable loaderCv_;
    std::deque<std::vector<LoadItem>> loaderQueue_;
    bool loaderQuit_ = false;
    std::thread loaderThread_;
};

// A handle to one source, remembering what was last set on it.
class CDSourceWrapper : public Object {
public:
    // kCDPlayMuted and kCDPlayNoSource are not sources: they are ignored.
    void setSourceId(uint32_t sourceId);
    uint32_t sourceId() const { return sourceId_; }

    void setPitch(float pitch);
    void setGain(float gain);
    void setPan(float pan);
    void setLooping(bool looping);
    float pitch() const { return lastPitch; }
    float gain() const { return lastGain; }
    float pan() const { return lastPan; }
    bool looping() const { return lastLooping; }
    bool isPlaying() const;

private:
    uint32_t sourceId_ = 0;
    float lastPitch = 1.0f;
    float lastPan = 0.0f;
    float lastGain = 1.0f;
    bool lastLooping = false;
};
