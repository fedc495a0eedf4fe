#pragma once

#include "support/Ref.h"

#include <memory>
#include <string>

namespace platform {

class MusicPlayer;

// Told about a player's events, always on the main thread.
class MusicPlayerDelegate {
public:
    virtual ~MusicPlayerDelegate() = default;
    // The track played to its end (with every loop).
    virtual void audioPlayerDidFinishPlaying(MusicPlayer* /*player*/, bool /*successfully*/) {}
    // An audio-session interruption paused a playing player.
    virtual void audioPlayerBeginInterruption(MusicPlayer* /*player*/) {}
    // The interruption that paused it ended; the player stays paused.
    virtual void audioPlayerEndInterruption(MusicPlayer* /*player*/) {}
};

// Plays one music file (Ogg Vorbis, FLAC, WAV, CAF, AIFF; at most two
// channels), decoded a little at a time on a background thread and streamed
// through its own OpenAL source. Use it from the main thread.
class MusicPlayer : public Object {
public:
    // Null (logged) when there is no audio device or the file cannot be decoded.
    static Ref<MusicPlayer> playerWithContentsOfFile(const std::string& path);
    ~MusicPlayer() override;

    // Decodes the first buffers so that play() starts at once.
    bool prepareToPlay();
    // Plays from the current time; resumes when paused.
    bool play();
    // Keeps the position; play() resumes.
    void pause();
    // Stops playback. The position is kept, as with pause(), but the decoded
    // buffers are dropped.
    void stop();
    bool isPlaying() const;

    // Seconds into the track; setting it (0 rewinds) keeps playing or paused.
    double currentTime() const;
    void setCurrentTime(double seconds);
    double duration() const;

    // 0..1, applied at once.
    float volume() const;
    void setVolume(float volume);

    // -1 repeats forever, 0 plays once, n plays n + 1 times.
    int numberOfLoops() const;
    void setNumberOfLoops(int loops);

    // Not held.
    void setDelegate(MusicPlayerDelegate* delegate) { delegate_ = delegate; }
    MusicPlayerDelegate* delegate() const { return delegate_; }

    const std::string& path() const { return path_; }

private:
    struct Impl;
    MusicPlayer(std::string path, std::unique_ptr<Impl> impl);
    void deliverFinished(uint64_t generation);
    void interruption(bool began);

    std::string path_;
    std::unique_ptr<Impl> impl_;
    MusicPlayerDelegate* delegate_ = nullptr;
    std::shared_ptr<bool> alive_;
    int interruptionToken_ = 0;
    bool interrupted_ = false;
};

} // namespace platform
