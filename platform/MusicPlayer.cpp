#include "platform/MusicPlayer.h"

#include "platform/AudioDevice.h"
#include "platform/AudioFile.h"
#include "platform/AudioSession.h"
#include "platform/RunLoop.h"
#include "support/Log.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>
#include <vector>

namespace platform {

namespace {
// A few short buffers keep latency low; the streaming thread refills them
// well before they run out.
constexpr int kBufferCount = 4;
constexpr int64_t kFramesPerBuffer = 4096;
constexpr auto kServicePeriod = std::chrono::milliseconds(10);
} // namespace

struct MusicPlayer::Impl {
    enum class State { Stopped, Playing, Paused };

    std::shared_ptr<AudioDevice> device;
    ALCcontext* context = nullptr;
    std::unique_ptr<AudioFile> file;
    int channels = 0;
    int rate = 0;
    int64_t totalFrames = 0;
    ALenum format = 0;

    ALuint source = 0;
    ALuint buffers[kBufferCount] = {};

    mutable std::mutex mutex;
    std::condition_variable cv;
    std::thread thread;
    bool quit = false;
    State state = State::Stopped;

    // Where the next decoded frame comes from.
    int64_t readFrame = 0;
    struct Queued {
        ALuint buffer;
        int64_t startFrame;
        int64_t frames;
    };
    std::deque<Queued> queued; // in the source's queue, oldest first
    std::vector<ALuint> free;
    bool draining = false; // the last frame is queued
    int loopsDone = 0;
    int numberOfLoops = 0;
    float volume = 1.0f;
    std::vector<int16_t> pcm;

    // Bumped by every call that makes an already posted "finished" stale.
    std::atomic<uint64_t> generation{0};
    // Set by the streaming thread, delivered on the main thread.
    std::function<void(uint64_t)> onFinished;

    ~Impl() {
        {
            std::lock_guard lock(mutex);
            quit = true;
        }
        cv.notify_all();
        if (thread.joinable()) thread.join();
        if (context) {
            ScopedAudioContext scope(context);
            if (source) {
                alSourceStop(source);
                alSourcei(source, AL_BUFFER, 0);
                alDeleteSources(1, &source);
            }
            alDeleteBuffers(kBufferCount, buffers);
            alGetError();
        }
    }

    // The rest need the lock held and the context selected.

    bool fillOne() {
        ALuint buffer = free.back();
        int64_t got = 0;
        int64_t start = readFrame;
        while (got < kFramesPerBuffer) {
            int64_t n = file->readFrames(pcm.data() + got * channels, kFramesPerBuffer - got);
            if (n > 0) {
                if (got == 0) start = readFrame;
                got += n;
                readFrame += n;
                continue;
            }
            bool again = numberOfLoops < 0 || loopsDone < numberOfLoops;
            // An empty (or undecodable) track must not loop forever doing nothing.
            if (!again || readFrame == 0 || !file->seek(0)) {
                draining = true;
                break;
            }
            ++loopsDone;
            readFrame = 0;
        }
        if (got == 0) return false;
        alBufferData(buffer, format, pcm.data(), ALsizei(got * channels * sizeof(int16_t)), rate);
        alSourceQueueBuffers(source, 1, &buffer);
        if (alGetError() != AL_NO_ERROR) {
            draining = true;
            return false;
        }
        free.pop_back();
        queued.push_back({buffer, start, got});
        return true;
    }

    void queueMore() {
        while (!draining && !free.empty())
            if (!fillOne()) break;
    }

    void unqueueProcessed() {
        ALint processed = 0;
        alGetSourcei(source, AL_BUFFERS_PROCESSED, &processed);
        while (processed-- > 0 && !queued.empty()) {
            ALuint buffer = 0;
            alSourceUnqueueBuffers(source, 1, &buffer);
            queued.pop_front();
            free.push_back(buffer);
        }
    }

    void unqueueAll() {
        alSourceStop(source);
        alSourcei(source, AL_BUFFER, 0);
        alGetError();
        queued.clear();
        free.assign(buffers, buffers + kBufferCount);
    }

    int64_t position() const {
        if (queued.empty()) return readFrame;
        ALint offset = 0;
        alGetSourcei(source, AL_SAMPLE_OFFSET, &offset);
        int64_t rest = std::max<ALint>(offset, 0);
        int64_t pos = queued.back().startFrame + queued.back().frames;
        for (auto& q : queued) {
            if (rest < q.frames) {
                pos = q.startFrame + rest;
                break;
            }
            rest -= q.frames;
        }
        return totalFrames > 0 ? pos % totalFrames : pos;
    }

    void seekTo(int64_t frame) {
        frame = std::clamp<int64_t>(frame, 0, std::max<int64_t>(totalFrames, 0));
        if (!file->seek(frame)) {
            frame = 0;
            file->seek(0);
        }
        readFrame = frame;
        draining = false;
    }

    void finish() {
        state = State::Stopped;
        unqueueAll();
        seekTo(0);
        loopsDone = 0;
        uint64_t generation = ++this->generation;
        if (onFinished) onFinished(generation);
    }

    void service() {
        unqueueProcessed();
        queueMore();
        ALint state = 0;
        alGetSourcei(source, AL_SOURCE_STATE, &state);
        if (state != AL_PLAYING) {
            if (!queued.empty())
                alSourcePlay(source); // first start, or catching up after a stall
            else if (draining)
                finish();
        }
        alGetError();
    }

    void run() {
        ScopedAudioContext scope(context);
        std::unique_lock lock(mutex);
        while (!quit) {
            if (state == State::Playing) {
                service();
                cv.wait_for(lock, kServicePeriod);
            } else {
                cv.wait(lock);
            }
        }
    }
};

Ref<MusicPlayer> MusicPlayer::playerWithContentsOfFile(const std::string& path) {
    auto file = AudioFile::open(path);
    if (!file) return nullptr;
    const AudioFileInfo& info = file->info();
    if (info.channels > 2) {
        ccLog("MusicPlayer: %s has %d channels; at most 2 are played", path.c_str(), info.channels);
        return nullptr;
    }
    auto impl = std::make_unique<Impl>();
    impl->device = AudioDevice::acquire();
    if (!impl->device) return nullptr;
    impl->context = impl->device->servicesContext();
    if (!impl->context) return nullptr;

    impl->file = std::move(file);
    impl->channels = info.channels;
    impl->rate = info.sampleRate;
    impl->totalFrames = info.frames;
    impl->format = info.channels == 1 ? AL_FORMAT_MONO16 : AL_FORMAT_STEREO16;
    impl->pcm.resize(size_t(kFramesPerBuffer) * size_t(info.channels));
    {
        ScopedAudioContext scope(impl->context);
        alGetError();
        alGenSources(1, &impl->source);
        if (alGetError() != AL_NO_ERROR) {
            impl->source = 0;
            ccLog("MusicPlayer: no OpenAL source for %s", path.c_str());
            return nullptr;
        }
        alGenBuffers(kBufferCount, impl->buffers);
        if (alGetError() != AL_NO_ERROR) {
            std::fill(std::begin(impl->buffers), std::end(impl->buffers), 0);
            ccLog("MusicPlayer: no OpenAL buffers for %s", path.c_str());
            return nullptr;
        }
        // Music is not placed in space.
        alSourcei(impl->source, AL_SOURCE_RELATIVE, AL_TRUE);
        alSource3f(impl->source, AL_POSITION, 0, 0, 0);
        alSourcef(impl->source, AL_ROLLOFF_FACTOR, 0);
        alGetError();
    }
    impl->free.assign(impl->buffers, impl->buffers + kBufferCount);
    return Ref<MusicPlayer>::adopt(new MusicPlayer(path, std::move(impl)));
}

MusicPlayer::MusicPlayer(std::string path, std::unique_ptr<Impl> impl)
    : path_(std::move(path)), impl_(std::move(impl)), alive_(std::make_shared<bool>(true)) {
    // The main loop belongs to the thread that first asks for it: make sure
    // that is not the streaming thread.
    RunLoop::main();
    // The streaming thread hands "finished" to the main thread; the player may
    // be gone by then, which alive_ (only touched on the main thread) tells.
    std::shared_ptr<bool> alive = alive_;
    impl_->onFinished = [this, alive](uint64_t generation) {
        RunLoop::main().performOnMainThread(
            [this, alive, generation] {
                if (*alive) deliverFinished(generation);
            },
            false);
    };
    impl_->thread = std::thread([impl = impl_.get()] { impl->run(); });
    interruptionToken_ =
        AudioSession::shared().addInterruptionListener([this](bool began) { interruption(began); });
}

MusicPlayer::~MusicPlayer() {
    AudioSession::shared().removeInterruptionListener(interruptionToken_);
    *alive_ = false;
    impl_.reset();
}

void MusicPlayer::deliverFinished(uint64_t generation) {
    if (generation != impl_->generation) return; // played, stopped or moved since
    if (delegate_) delegate_->audioPlayerDidFinishPlaying(this, true);
}

void MusicPlayer::interruption(bool began) {
    if (began) {
        if (!isPlaying()) return;
        pause();
        interrupted_ = true;
        if (delegate_) delegate_->audioPlayerBeginInterruption(this);
    } else if (interrupted_) {
        interrupted_ = false;
        if (delegate_) delegate_->audioPlayerEndInterruption(this);
    }
}

bool MusicPlayer::prepareToPlay() {
    std::lock_guard lock(impl_->mutex);
    ScopedAudioContext scope(impl_->context);
    impl_->queueMore();
    return !impl_->queued.empty();
}

bool MusicPlayer::play() {
    Impl& p = *impl_;
    {
        std::lock_guard lock(p.mutex);
        if (p.state == Impl::State::Playing) return true;
        ScopedAudioContext scope(p.context);
        ++p.generation;
        if (p.queued.empty()) p.queueMore();
        if (p.queued.empty() && !p.draining) return false;
        p.state = Impl::State::Playing;
        p.volume = std::clamp(p.volume, 0.0f, 1.0f);
        alSourcef(p.source, AL_GAIN, p.volume);
        alSourcePlay(p.source);
        alGetError();
    }
    p.cv.notify_all();
    return true;
}

void MusicPlayer::pause() {
    Impl& p = *impl_;
    std::lock_guard lock(p.mutex);
    if (p.state != Impl::State::Playing) return;
    ScopedAudioContext scope(p.context);
    alSourcePause(p.source);
    alGetError();
    p.state = Impl::State::Paused;
}

void MusicPlayer::stop() {
    Impl& p = *impl_;
    std::lock_guard lock(p.mutex);
    ScopedAudioContext scope(p.context);
    int64_t pos = p.position();
    p.unqueueAll();
    p.seekTo(pos);
    p.state = Impl::State::Stopped;
    ++p.generation;
}

bool MusicPlayer::isPlaying() const {
    std::lock_guard lock(impl_->mutex);
    return impl_->state == Impl::State::Playing;
}

double MusicPlayer::currentTime() const {
    std::lock_guard lock(impl_->mutex);
    ScopedAudioContext scope(impl_->context);
    return double(impl_->position()) / impl_->rate;
}

void MusicPlayer::setCurrentTime(double seconds) {
    Impl& p = *impl_;
    {
        std::lock_guard lock(p.mutex);
        ScopedAudioContext scope(p.context);
        double frame = std::clamp(seconds, 0.0, 1e12) * p.rate;
        p.unqueueAll();
        p.seekTo(int64_t(frame));
        p.loopsDone = 0;
        ++p.generation;
        if (p.state == Impl::State::Playing) {
            p.queueMore();
            alSourcePlay(p.source);
            alGetError();
        }
    }
    p.cv.notify_all();
}

double MusicPlayer::duration() const {
    return impl_->rate > 0 ? double(impl_->totalFrames) / impl_->rate : 0.0;
}

float MusicPlayer::volume() const {
    std::lock_guard lock(impl_->mutex);
    return impl_->volume;
}

void MusicPlayer::setVolume(float volume) {
    Impl& p = *impl_;
    std::lock_guard lock(p.mutex);
    p.volume = std::isnan(volume) ? 0.0f : std::clamp(volume, 0.0f, 1.0f);
    ScopedAudioContext scope(p.context);
    alSourcef(p.source, AL_GAIN, p.volume);
    alGetError();
}

int MusicPlayer::numberOfLoops() const {
    std::lock_guard lock(impl_->mutex);
    return impl_->numberOfLoops;
}

void MusicPlayer::setNumberOfLoops(int loops) {
    std::lock_guard lock(impl_->mutex);
    impl_->numberOfLoops = loops < 0 ? -1 : loops;
}

} // namespace platform
