#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace platform {
class AudioFile;
}

// OpenAL buffer formats (the values of the OpenAL headers, which only the
// sound engine includes).
inline constexpr int kCDFormatMono8 = 0x1100;
inline constexpr int kCDFormatMono16 = 0x1101;
inline constexpr int kCDFormatStereo8 = 0x1102;
inline constexpr int kCDFormatStereo16 = 0x1103;

// Decoded sound ready for an OpenAL buffer: 8-bit unsigned or 16-bit signed
// native-endian interleaved samples.
struct CDAudioData {
    std::vector<uint8_t> data;
    int format = 0;
    int sampleRate = 0;
};

// Effects are decoded whole into memory; larger ones are refused.
inline constexpr size_t kCDMaxAudioDataBytes = size_t(64) << 20;

// Decodes `path` for an OpenAL buffer: a ".wav" file (any case) through the
// plain reader, anything else through the converting reader. Nothing
// (logged) when the file cannot be read or is refused.
std::optional<CDAudioData> MyGetOpenALAudioData(const std::string& path);

// Plain reader: linear PCM, little-endian, 1 or 2 channels, 8 or 16 bits; the
// samples are kept as they are. Anything else is refused.
std::optional<CDAudioData> loadWaveAudioData(platform::AudioFile& file);

// Converting reader: any encoding the platform decodes, at most 2 channels,
// converted to signed 16-bit samples at the file's rate.
std::optional<CDAudioData> loadCafAudioData(platform::AudioFile& file);

// A path starting with "/" as it is; otherwise the file of that name in the
// application bundle (sub-directories kept), or the name unchanged when the
// bundle has none.
std::string cdFullPathFromRelativePath(const std::string& path);
