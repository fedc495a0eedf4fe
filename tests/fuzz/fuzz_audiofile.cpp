// deps: platform audio
// Sound files come from the bundle and from whatever music the user picks:
// decoding them must never go wrong, whatever the bytes.
#include "audio/CDAudioData.h"
#include "platform/AudioFile.h"
#include "support/Log.h"

#include <cstdlib>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const bool quiet = [] {
        ccSetLogSink([](const std::string&) {});
        return true;
    }();
    (void)quiet;

    // Both effect readers, as the sound engine runs them.
    if (auto file = platform::AudioFile::openMemory(data, size)) {
        const platform::AudioFileInfo info = file->info();
        if (info.channels < 1 || info.channels > platform::AudioFile::kMaxChannels ||
            info.sampleRate < 1)
            std::abort();
        if (auto pcm = loadWaveAudioData(*file)) {
            size_t frameBytes = size_t(info.channels) * (info.bitsPerSample == 8 ? 1 : 2);
            if (pcm->data.size() % frameBytes != 0) std::abort();
        }
    }
    if (auto file = platform::AudioFile::openMemory(data, size)) {
        if (auto pcm = loadCafAudioData(*file))
            if (pcm->data.size() % (size_t(file->info().channels) * 2) != 0) std::abort();
    }

    // Streaming reads and seeks, as the music player does.
    if (auto file = platform::AudioFile::openMemory(data, size)) {
        const int channels = file->info().channels;
        std::vector<int16_t> buffer(size_t(512) * size_t(channels));
        for (int i = 0; i < 64; ++i)
            if (file->readFrames(buffer.data(), 512) == 0) break;
        if (file->seek(0)) file->readFrames(buffer.data(), 512);
        file->seek(file->info().frames / 2);
        file->readFrames(buffer.data(), 512);
        file->seek(-1);
    }
    return 0;
}
