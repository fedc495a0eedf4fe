#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace platform {

enum class AudioContainer { Wav, Caf, Aiff, Ogg, Flac, Other };

// How the samples are stored in the file.
enum class AudioEncoding { LinearPCM, Float, Compressed };

struct AudioFileInfo {
    AudioContainer container = AudioContainer::Other;
    AudioEncoding encoding = AudioEncoding::Compressed;
    int bitsPerSample = 0; // linear PCM and float; 0 when compressed
    bool bigEndian = false;
    int channels = 0;
    int sampleRate = 0;
    int64_t frames = 0; // as the header claims
};

// A sound file opened for decoding (WAV, CAF, AIFF, Ogg Vorbis, FLAC and the
// other containers libsndfile reads). Files with an absurd channel count or
// sample rate are refused at open, so callers can size buffers from info().
class AudioFile {
public:
    // Null (logged) when the file is missing, not a regular file or not decodable.
    static std::unique_ptr<AudioFile> open(const std::string& path);
    // Decodes bytes held by the caller; they must outlive the AudioFile.
    static std::unique_ptr<AudioFile> openMemory(const uint8_t* data, size_t size);

    ~AudioFile();
    AudioFile(const AudioFile&) = delete;
    AudioFile& operator=(const AudioFile&) = delete;

    const AudioFileInfo& info() const { return info_; }

    // Reads up to `frames` frames from the current position as signed 16-bit
    // native-endian interleaved samples (floats are clipped to full scale).
    // Returns the frames read: 0 at the end or on a decoding error.
    int64_t readFrames(int16_t* out, int64_t frames);
    // Moves the read position to `frame`; false when the file cannot seek there.
    bool seek(int64_t frame);
    // Reads every frame from the current position. Nothing when reading fails
    // or more than `maxBytes` of samples would be needed. Memory grows with
    // the data actually decoded, never with what the header claims.
    std::optional<std::vector<int16_t>> readAll(size_t maxBytes);

    // Sanity limits applied at open.
    static constexpr int kMaxChannels = 16;
    static constexpr int kMaxSampleRate = 768000;

private:
    struct Impl;
    explicit AudioFile(std::unique_ptr<Impl> impl);
    bool describe();
    std::unique_ptr<Impl> impl_;
    AudioFileInfo info_;
};

// How writeAudioFile stores samples.
enum class AudioSampleFormat { U8, S8, S16, S24, S32, Float, Ulaw, ImaAdpcm, Vorbis };

struct AudioWriteFormat {
    AudioContainer container = AudioContainer::Wav;
    AudioSampleFormat sample = AudioSampleFormat::S16;
    bool bigEndian = false; // WAV: writes RIFX
    int channels = 1;
    int sampleRate = 22050;
};

// Writes `frames` frames of interleaved 16-bit samples. False (logged) when
// the combination cannot be written or the write fails.
bool writeAudioFile(const std::string& path, const AudioWriteFormat& format, const int16_t* samples,
                    int64_t frames);

} // namespace platform
