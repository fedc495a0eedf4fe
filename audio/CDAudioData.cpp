#include "audio/CDAudioData.h"

#include "platform/AudioFile.h"
#include "platform/Files.h"
#include "support/Log.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <filesystem>

namespace {

bool hasWavExtension(const std::string& path) {
    std::string ext = std::filesystem::path(path).extension().string();
    std::transform(ext.begin(), ext.end(), ext.begin(),
                   [](unsigned char c) { return char(std::tolower(c)); });
    return ext == ".wav";
}

} // namespace

std::optional<CDAudioData> loadWaveAudioData(platform::AudioFile& file) {
    const platform::AudioFileInfo& info = file.info();
    if (info.encoding != platform::AudioEncoding::LinearPCM || info.bigEndian ||
        (info.channels != 1 && info.channels != 2) ||
        (info.bitsPerSample != 8 && info.bitsPerSample != 16)) {
        ccLog("loadWaveAudioData: only little-endian 8- or 16-bit linear PCM with 1 or 2 "
              "channels is read (this file: %d bits, %d channels%s%s)",
              info.bitsPerSample, info.channels,
              info.encoding == platform::AudioEncoding::LinearPCM ? "" : ", not linear PCM",
              info.bigEndian ? ", big-endian" : "");
        return std::nullopt;
    }
    // The platform hands out 16-bit samples; 8-bit files come back exactly.
    auto samples =
        file.readAll(info.bitsPerSample == 8 ? kCDMaxAudioDataBytes * 2 : kCDMaxAudioDataBytes);
    if (!samples) return std::nullopt;
    CDAudioData out;
    out.sampleRate = info.sampleRate;
    if (info.bitsPerSample == 8) {
        out.format = info.channels == 1 ? kCDFormatMono8 : kCDFormatStereo8;
        out.data.resize(samples->size());
        for (size_t i = 0; i < samples->size(); ++i)
            out.data[i] = uint8_t(((*samples)[i] >> 8) + 128);
    } else {
        out.format = info.channels == 1 ? kCDFormatMono16 : kCDFormatStereo16;
        out.data.resize(samples->size() * sizeof(int16_t));
        if (!samples->empty()) std::memcpy(out.data.data(), samples->data(), out.data.size());
    }
    return out;
}

std::optional<CDAudioData> loadCafAudioData(platform::AudioFile& file) {
    const platform::AudioFileInfo& info = file.info();
    if (info.channels > 2) {
        ccLog("loadCafAudioData: %d channels; at most 2 are read", info.channels);
        return std::nullopt;
    }
    auto samples = file.readAll(kCDMaxAudioDataBytes);
    if (!samples) return std::nullopt;
    CDAudioData out;
    out.sampleRate = info.sampleRate;
    out.format = info.channels == 1 ? kCDFormatMono16 : kCDFormatStereo16;
    out.data.resize(samples->size() * sizeof(int16_t));
    if (!samples->empty()) std::memcpy(out.data.data(), samples->data(), out.data.size());
    return out;
}

std::optional<CDAudioData> MyGetOpenALAudioData(const std::string& path) {
    auto file = platform::AudioFile::open(path);
    if (!file) return std::nullopt;
    auto data = hasWavExtension(path) ? loadWaveAudioData(*file) : loadCafAudioData(*file);
    if (!data) ccLog("MyGetOpenALAudioData: %s refused", path.c_str());
    return data;
}

std::string cdFullPathFromRelativePath(const std::string& path) {
    if (path.empty() || path.front() == '/') return path;
    std::filesystem::path relative(path);
    std::filesystem::path full = std::filesystem::path(platform::resourceDirectory()) / relative;
    if (platform::fileExists(full.string())) return full.string();
    return path;
}
