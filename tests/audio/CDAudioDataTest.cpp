#include "audio/CDAudioData.h"
#include "platform/AudioFile.h"
#include "platform/Files.h"
#include "tests/audio/AudioTestSupport.h"

#include <cstring>
#include <filesystem>

using namespace audiotest;
using platform::AudioContainer;
using platform::AudioSampleFormat;
using platform::AudioWriteFormat;

namespace {

AudioWriteFormat fmt(AudioContainer container, AudioSampleFormat sample, int channels,
                     bool bigEndian = false) {
    AudioWriteFormat f;
    f.container = container;
    f.sample = sample;
    f.channels = channels;
    f.sampleRate = 11025;
    f.bigEndian = bigEndian;
    return f;
}

std::vector<int16_t> asSamples(const CDAudioData& d) {
    std::vector<int16_t> s(d.data.size() / 2);
    std::memcpy(s.data(), d.data.data(), s.size() * 2);
    return s;
}

} // namespace

TEST(CDAudioData, PlainReaderKeepsPcmAsItIs) {
    test::TempDir dir;
    struct Case {
        AudioSampleFormat sample;
        int channels;
        int format;
    } cases[] = {{AudioSampleFormat::S16, 1, kCDFormatMono16},
                 {AudioSampleFormat::S16, 2, kCDFormatStereo16},
                 {AudioSampleFormat::U8, 1, kCDFormatMono8},
                 {AudioSampleFormat::U8, 2, kCDFormatStereo8}};
    for (auto& c : cases) {
        SCOPED_TRACE(c.format);
        auto samples = tone(300, c.channels);
        if (c.sample == AudioSampleFormat::U8)
            for (auto& s : samples)
                s = int16_t(s & ~0xFF); // what 8 bits can hold
        std::string path = dir.file("s" + std::to_string(c.format) + ".wav");
        ASSERT_TRUE(platform::writeAudioFile(path, fmt(AudioContainer::Wav, c.sample, c.channels),
                                             samples.data(), 300));
        auto data = MyGetOpenALAudioData(path);
        ASSERT_TRUE(data);
        EXPECT_EQ(data->format, c.format);
        EXPECT_EQ(data->sampleRate, 11025);
        if (c.sample == AudioSampleFormat::S16) {
            EXPECT_EQ(asSamples(*data), samples);
        } else {
            ASSERT_EQ(data->data.size(), samples.size());
            for (size_t i = 0; i < samples.size(); ++i)
                ASSERT_EQ(data->data[i], uint8_t((samples[i] >> 8) + 128)) << i;
        }
    }
}

TEST(CDAudioData, PlainReaderRefusesOtherLayouts) {
    test::TempDir dir;
    struct Case {
        const char* name;
        AudioWriteFormat format;
    } cases[] = {
        {"float.wav", fmt(AudioContainer::Wav, AudioSampleFormat::Float, 1)},
        {"24bit.wav", fmt(AudioContainer::Wav, AudioSampleFormat::S24, 1)},
        {"32bit.wav", fmt(AudioContainer::Wav, AudioSampleFormat::S32, 2)},
        {"three.wav", fmt(AudioContainer::Wav, AudioSampleFormat::S16, 3)},
        {"bigendian.wav", fmt(AudioContainer::Wav, AudioSampleFormat::S16, 1, true)},
        {"ulaw.wav", fmt(AudioContainer::Wav, AudioSampleFormat::Ulaw, 1)},
        {"adpcm.wav", fmt(AudioContainer::Wav, AudioSampleFormat::ImaAdpcm, 1)},
        // A CAF in disguise: big-endian samples.
        {"caf.wav", fmt(AudioContainer::Caf, AudioSampleFormat::S16, 1)},
    };
    for (auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::string path = writeTone(dir, c.name, c.format, 0.05);
        test::LogCapture log;
        EXPECT_FALSE(MyGetOpenALAudioData(path));
        EXPECT_FALSE(log.lines().empty());
    }
    // The extension decides, in any case: the same float samples as ".caf" convert.
    std::string floatCaf =
        writeTone(dir, "float.caf", fmt(AudioContainer::Caf, AudioSampleFormat::Float, 1), 0.05);
    EXPECT_TRUE(MyGetOpenALAudioData(floatCaf));
    std::filesystem::copy_file(dir.file("float.wav"), dir.file("upper.WAV"));
    EXPECT_FALSE(MyGetOpenALAudioData(dir.file("upper.WAV")));
}

TEST(CDAudioData, ConvertingReaderMakesSigned16BitPcm) {
    test::TempDir dir;
    auto samples = tone(500, 2);
    std::string caf = dir.file("s.caf");
    ASSERT_TRUE(platform::writeAudioFile(caf, fmt(AudioContainer::Caf, AudioSampleFormat::S16, 2),
                                         samples.data(), 500));
    auto data = MyGetOpenALAudioData(caf);
    ASSERT_TRUE(data);
    EXPECT_EQ(data->format, kCDFormatStereo16);
    EXPECT_EQ(data->sampleRate, 11025);
    EXPECT_EQ(asSamples(*data), samples); // big-endian in the file, native here

    // Wider, float and compressed encodings come out as 16-bit mono, close to the source.
    for (auto sample :
         {AudioSampleFormat::S24, AudioSampleFormat::Float, AudioSampleFormat::Ulaw}) {
        auto mono = tone(400, 1);
        std::string path = dir.file("m" + std::to_string(int(sample)) + ".caf");
        ASSERT_TRUE(
            platform::writeAudioFile(path, fmt(AudioContainer::Caf, sample, 1), mono.data(), 400));
        auto d = MyGetOpenALAudioData(path);
        ASSERT_TRUE(d);
        EXPECT_EQ(d->format, kCDFormatMono16);
        auto got = asSamples(*d);
        ASSERT_EQ(got.size(), mono.size());
        for (size_t i = 0; i < got.size(); ++i)
            ASSERT_NEAR(got[i], mono[i], 400) << i;
    }

    // Full-scale floats beyond the range clip instead of wrapping.
    std::vector<int16_t> loud = {32767, -32768, 32767};
    std::string clip = dir.file("clip.caf");
    ASSERT_TRUE(platform::writeAudioFile(
        clip, fmt(AudioContainer::Caf, AudioSampleFormat::Float, 1), loud.data(), 3));
    auto clipped = MyGetOpenALAudioData(clip);
    ASSERT_TRUE(clipped);
    EXPECT_EQ(asSamples(*clipped), loud);

    std::string three =
        writeTone(dir, "three.caf", fmt(AudioContainer::Caf, AudioSampleFormat::S16, 3), 0.02);
    EXPECT_FALSE(MyGetOpenALAudioData(three));
}

TEST(CDAudioData, DamagedAndAbsurdFilesAreRefusedWithoutHugeAllocations) {
    test::TempDir dir;
    std::vector<uint8_t> pcm(400, 0x40);
    test::LogCapture log;

    EXPECT_FALSE(MyGetOpenALAudioData(dir.file("missing.wav")));
    EXPECT_FALSE(MyGetOpenALAudioData(dir.path().string())); // a directory
    writeBytes(dir.file("empty.caf"), {});
    EXPECT_FALSE(MyGetOpenALAudioData(dir.file("empty.caf")));
    writeBytes(dir.file("text.wav"), {'h', 'e', 'l', 'l', 'o'});
    EXPECT_FALSE(MyGetOpenALAudioData(dir.file("text.wav")));

    // Sample rates of 0 and of four billion.
    writeBytes(dir.file("rate0.wav"), rawWav(1, 1, 0, 16, 400, pcm));
    EXPECT_FALSE(MyGetOpenALAudioData(dir.file("rate0.wav")));
    writeBytes(dir.file("rate4g.wav"), rawWav(1, 1, 4000000000u, 16, 400, pcm));
    EXPECT_FALSE(MyGetOpenALAudioData(dir.file("rate4g.wav")));
    writeBytes(dir.file("channels0.wav"), rawWav(1, 0, 22050, 16, 400, pcm));
    EXPECT_FALSE(MyGetOpenALAudioData(dir.file("channels0.wav")));

    // A data chunk claiming 4 GB but holding 400 bytes: what is there, no more.
    writeBytes(dir.file("huge.wav"), rawWav(1, 1, 22050, 16, 0xFFFFFFF0u, pcm));
    auto huge = MyGetOpenALAudioData(dir.file("huge.wav"));
    ASSERT_TRUE(huge);
    EXPECT_EQ(huge->data.size(), 400u);

    // Truncated in the middle of a frame and of the header.
    auto full = rawWav(1, 2, 22050, 16, 400, pcm);
    writeBytes(dir.file("cut.wav"), std::vector<uint8_t>(full.begin(), full.end() - 3));
    auto cut = MyGetOpenALAudioData(dir.file("cut.wav"));
    ASSERT_TRUE(cut);
    EXPECT_EQ(cut->data.size() % 4, 0u); // whole frames only
    writeBytes(dir.file("header.wav"), std::vector<uint8_t>(full.begin(), full.begin() + 30));
    EXPECT_FALSE(MyGetOpenALAudioData(dir.file("header.wav")));
}

TEST(CDAudioData, ReadAllStopsAtItsLimit) {
    test::TempDir dir;
    std::string path = writeWav(dir, "a.wav", 0.1); // 2205 frames, 4410 bytes
    auto file = platform::AudioFile::open(path);
    ASSERT_TRUE(file);
    EXPECT_EQ(file->info().frames, 2205);
    test::LogCapture log;
    EXPECT_FALSE(file->readAll(4408));
    ASSERT_TRUE(file->seek(0));
    auto exact = file->readAll(4410);
    ASSERT_TRUE(exact);
    EXPECT_EQ(exact->size(), 2205u);
}

TEST(CDAudioData, RelativeNamesResolveInTheBundle) {
    test::TempDir dir;
    std::filesystem::create_directories(dir.path() / "sounds");
    writeWav(dir, "sounds/hit.wav", 0.01);
    std::string previous = platform::resourceDirectory();
    platform::setResourceDirectory(dir.path().string());
    EXPECT_EQ(cdFullPathFromRelativePath("sounds/hit.wav"), dir.file("sounds/hit.wav"));
    EXPECT_EQ(cdFullPathFromRelativePath("nothere.wav"), "nothere.wav");
    EXPECT_EQ(cdFullPathFromRelativePath("/abs/x.wav"), "/abs/x.wav");
    platform::setResourceDirectory(previous);
}
