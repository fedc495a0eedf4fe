#include "platform/AudioFile.h"

#include "support/Log.h"

#include <sndfile.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <sys/stat.h>

namespace platform {

namespace {

// Reading from caller-held memory through libsndfile's virtual I/O.
struct MemoryStream {
    const uint8_t* data = nullptr;
    sf_count_t size = 0;
    sf_count_t pos = 0;
};

sf_count_t memLength(void* user) {
    return static_cast<MemoryStream*>(user)->size;
}

sf_count_t memSeek(sf_count_t offset, int whence, void* user) {
    auto* m = static_cast<MemoryStream*>(user);
    sf_count_t base = whence == SEEK_SET ? 0 : whence == SEEK_CUR ? m->pos : m->size;
    // Offsets come from file headers: reject what would overflow or go negative.
    if ((offset > 0 && base > INT64_MAX - offset) || base + offset < 0) return -1;
    m->pos = base + offset;
    return m->pos;
}

sf_count_t memRead(void* ptr, sf_count_t count, void* user) {
    auto* m = static_cast<MemoryStream*>(user);
    if (count <= 0 || m->pos >= m->size) return 0;
    sf_count_t n = std::min(count, m->size - m->pos);
    std::memcpy(ptr, m->data + m->pos, size_t(n));
    m->pos += n;
    return n;
}

sf_count_t memWrite(const void*, sf_count_t, void*) {
    return 0;
}

sf_count_t memTell(void* user) {
    return static_cast<MemoryStream*>(user)->pos;
}

int16_t toSample(float v) {
    if (std::isnan(v)) return 0;
    float scaled = v * 32768.0f;
    if (scaled >= 32767.0f) return 32767;
    if (scaled <= -32768.0f) return -32768;
    return int16_t(std::lrint(scaled));
}

bool hostIsLittleEndian() {
    const uint16_t probe = 1;
    uint8_t first;
    std::memcpy(&first, &probe, 1);
    return first == 1;
}

} // namespace

struct AudioFile::Impl {
    SNDFILE* file = nullptr;
    SF_INFO sfInfo{};
    MemoryStream memory;
    std::vector<float> scratch;

    ~Impl() {
        if (file) sf_close(file);
    }
};

AudioFile::AudioFile(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}

AudioFile::~AudioFile() = default;

std::unique_ptr<AudioFile> AudioFile::open(const std::string& path) {
    struct stat st {};
    if (path.empty() || ::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) {
        ccLog("AudioFile: cannot open %s", path.c_str());
        return nullptr;
    }
    auto impl = std::make_unique<Impl>();
    impl->file = sf_open(path.c_str(), SFM_READ, &impl->sfInfo);
    if (!impl->file) {
        ccLog("AudioFile: cannot decode %s: %s", path.c_str(), sf_strerror(nullptr));
        return nullptr;
    }
    std::unique_ptr<AudioFile> file(new AudioFile(std::move(impl)));
    if (!file->describe()) {
        ccLog("AudioFile: unusable layout in %s", path.c_str());
        return nullptr;
    }
    return file;
}

std::unique_ptr<AudioFile> AudioFile::openMemory(const uint8_t* data, size_t size) {
    if (!data || size == 0) return nullptr;
    auto impl = std::make_unique<Impl>();
    impl->memory.data = data;
    impl->memory.size = sf_count_t(size);
    SF_VIRTUAL_IO io{memLength, memSeek, memRead, memWrite, memTell};
    impl->file = sf_open_virtual(&io, SFM_READ, &impl->sfInfo, &impl->memory);
    if (!impl->file) return nullptr;
    std::unique_ptr<AudioFile> file(new AudioFile(std::move(impl)));
    if (!file->describe()) return nullptr;
    return file;
}

bool AudioFile::describe() {
    const SF_INFO& sf = impl_->sfInfo;
    if (sf.channels < 1 || sf.channels > kMaxChannels) return false;
    if (sf.samplerate < 1 || sf.samplerate > kMaxSampleRate) return false;
    if (sf.frames < 0) return false;

    switch (sf.format & SF_FORMAT_TYPEMASK) {
    case SF_FORMAT_WAV:
    case SF_FORMAT_WAVEX:
    case SF_FORMAT_RF64:
        info_.container = AudioContainer::Wav;
        break;
    case SF_FORMAT_CAF:
        info_.container = AudioContainer::Caf;
        break;
    case SF_FORMAT_AIFF:
        info_.container = AudioContainer::Aiff;
        break;
    case SF_FORMAT_OGG:
        info_.container = AudioContainer::Ogg;
        break;
    case SF_FORMAT_FLAC:
        info_.container = AudioContainer::Flac;
        break;
    default:
        info_.container = AudioContainer::Other;
    }

    info_.bitsPerSample = 0;
    switch (sf.format & SF_FORMAT_SUBMASK) {
    case SF_FORMAT_PCM_S8:
    case SF_FORMAT_PCM_U8:
        info_.encoding = AudioEncoding::LinearPCM;
        info_.bitsPerSample = 8;
        break;
    case SF_FORMAT_PCM_16:
        info_.encoding = AudioEncoding::LinearPCM;
        info_.bitsPerSample = 16;
        break;
    case SF_FORMAT_PCM_24:
        info_.encoding = AudioEncoding::LinearPCM;
        info_.bitsPerSample = 24;
        break;
    case SF_FORMAT_PCM_32:
        info_.encoding = AudioEncoding::LinearPCM;
        info_.bitsPerSample = 32;
        break;
    case SF_FORMAT_FLOAT:
        info_.encoding = AudioEncoding::Float;
        info_.bitsPerSample = 32;
        break;
    case SF_FORMAT_DOUBLE:
        info_.encoding = AudioEncoding::Float;
        info_.bitsPerSample = 64;
        break;
    default:
        info_.encoding = AudioEncoding::Compressed;
    }
    // FLAC stores PCM losslessly compressed: not raw linear PCM.
    if (info_.container == AudioContainer::Flac || info_.container == AudioContainer::Ogg)
        info_.encoding = AudioEncoding::Compressed;

    bool swapped = sf_command(impl_->file, SFC_RAW_DATA_NEEDS_ENDSWAP, nullptr, 0) == SF_TRUE;
    info_.bigEndian = (sf.format & SF_FORMAT_ENDMASK) == SF_ENDIAN_BIG ||
                      (swapped == hostIsLittleEndian() && info_.bitsPerSample > 8);
    info_.channels = sf.channels;
    info_.sampleRate = sf.samplerate;
    info_.frames = sf.frames;
    return true;
}

int64_t AudioFile::readFrames(int16_t* out, int64_t frames) {
    if (frames <= 0) return 0;
    const int channels = info_.channels;
    // Decoded as float, then clipped: libsndfile's own float-to-short path
    // does not scale float files to full range.
    constexpr int64_t kChunk = 4096;
    auto& scratch = impl_->scratch;
    scratch.resize(size_t(kChunk * channels));
    int64_t done = 0;
    while (done < frames) {
        sf_count_t want = std::min(kChunk, frames - done);
        sf_count_t got = sf_readf_float(impl_->file, scratch.data(), want);
        if (got <= 0) break;
        got = std::min(got, want);
        int16_t* dst = out + done * channels;
        for (sf_count_t i = 0; i < got * channels; ++i)
            dst[i] = toSample(scratch[size_t(i)]);
        done += got;
        if (got < want) break;
    }
    return done;
}

bool AudioFile::seek(int64_t frame) {
    if (frame < 0) return false;
    return sf_seek(impl_->file, frame, SEEK_SET) == frame;
}

std::optional<std::vector<int16_t>> AudioFile::readAll(size_t maxBytes) {
    const size_t frameBytes = size_t(info_.channels) * sizeof(int16_t);
    const size_t maxFrames = maxBytes / frameBytes;
    std::vector<int16_t> samples;
    // Trust the header only as far as the limit allows.
    if (info_.frames > 0 && size_t(info_.frames) <= maxFrames)
        samples.reserve(std::min(size_t(info_.frames), size_t(1) << 20) * info_.channels);
    constexpr int64_t kChunk = 16384;
    size_t frames = 0;
    for (;;) {
        if (frames >= maxFrames) {
            // Exactly at the limit is fine only when nothing follows.
            int16_t probe[kMaxChannels];
            if (readFrames(probe, 1) == 0) break;
            ccLog("AudioFile: more than %zu bytes of samples; refused", maxBytes);
            return std::nullopt;
        }
        int64_t want = int64_t(std::min<size_t>(kChunk, maxFrames - frames));
        samples.resize((frames + size_t(want)) * info_.channels);
        int64_t got = readFrames(samples.data() + frames * info_.channels, want);
        frames += size_t(got);
        if (got < want) break;
    }
    samples.resize(frames * info_.channels);
    return samples;
}

bool writeAudioFile(const std::string& path, const AudioWriteFormat& format, const int16_t* samples,
                    int64_t frames) {
    SF_INFO sf{};
    sf.channels = format.channels;
    sf.samplerate = format.sampleRate;
    switch (format.container) {
    case AudioContainer::Wav:
        sf.format = SF_FORMAT_WAV;
        break;
    case AudioContainer::Caf:
        sf.format = SF_FORMAT_CAF;
        break;
    case AudioContainer::Aiff:
        sf.format = SF_FORMAT_AIFF;
        break;
    case AudioContainer::Ogg:
        sf.format = SF_FORMAT_OGG;
        break;
    case AudioContainer::Flac:
        sf.format = SF_FORMAT_FLAC;
        break;
    case AudioContainer::Other:
        ccLog("writeAudioFile: no container given");
        return false;
    }
    switch (format.sample) {
    case AudioSampleFormat::U8:
        sf.format |= SF_FORMAT_PCM_U8;
        break;
    case AudioSampleFormat::S8:
        sf.format |= SF_FORMAT_PCM_S8;
        break;
    case AudioSampleFormat::S16:
        sf.format |= SF_FORMAT_PCM_16;
        break;
    case AudioSampleFormat::S24:
        sf.format |= SF_FORMAT_PCM_24;
        break;
    case AudioSampleFormat::S32:
        sf.format |= SF_FORMAT_PCM_32;
        break;
    case AudioSampleFormat::Float:
        sf.format |= SF_FORMAT_FLOAT;
        break;
    case AudioSampleFormat::Ulaw:
        sf.format |= SF_FORMAT_ULAW;
        break;
    case AudioSampleFormat::ImaAdpcm:
        sf.format |= SF_FORMAT_IMA_ADPCM;
        break;
    case AudioSampleFormat::Vorbis:
        sf.format |= SF_FORMAT_VORBIS;
        break;
    }
    if (format.bigEndian) sf.format |= SF_ENDIAN_BIG;
    if (!sf_format_check(&sf)) {
        ccLog("writeAudioFile: %s: this container cannot hold these samples", path.c_str());
        return false;
    }
    SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &sf);
    if (!file) {
        ccLog("writeAudioFile: cannot write %s: %s", path.c_str(), sf_strerror(nullptr));
        return false;
    }
    sf_count_t written = 0;
    if (frames > 0) {
        if (format.sample == AudioSampleFormat::Float ||
            format.sample == AudioSampleFormat::Vorbis) {
            // libsndfile stores shorts in float files unscaled: hand it full-scale floats.
            std::vector<float> converted(size_t(frames) * size_t(std::max(format.channels, 0)));
            for (size_t i = 0; i < converted.size(); ++i)
                converted[i] = samples[i] / 32768.0f;
            written = sf_writef_float(file, converted.data(), frames);
        } else {
            written = sf_writef_short(file, samples, frames);
        }
    }
    bool ok = sf_close(file) == 0 && written == std::max<int64_t>(frames, 0);
    if (!ok) ccLog("writeAudioFile: short write to %s", path.c_str());
    return ok;
}

} // namespace platform
