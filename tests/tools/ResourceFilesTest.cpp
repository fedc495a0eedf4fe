// The generated resources, read the way the engine reads them: pictures and
// the compressed texture through the texture cache, the sprite frames
// through the property-list reader, sounds through the audio readers. The
// bitmap fonts are checked line by line against what the font reader
// understands.
#include "audio/CDAudioData.h"
#include "platform/AudioFile.h"
#include "platform/Files.h"
#include "platform/ImageDecoder.h"
#include "platform/PropertyList.h"
#include "platform/PvrtcDecoder.h"
#include "render/BitmapFontAtlas.h"
#include "render/TextureAtlas.h"
#include "render/TextureMgr.h"
#include "tests/common/TestSupport.h"

#include <array>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

namespace {

std::string resource(const std::string& name) {
    return (std::filesystem::path(platform::resourceDirectory()) / name).string();
}

std::vector<uint8_t> readBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

uint32_t le32(const uint8_t* p) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

struct Box {
    int x = 0, y = 0, w = 0, h = 0;
    bool overlaps(const Box& o) const {
        return x < o.x + o.w && o.x < x + w && y < o.y + o.h && o.y < y + h;
    }
};

// Whether any pixel inside `r` of a decoded picture is not transparent.
bool hasInk(const platform::DecodedImage& image, const Box& r) {
    for (int y = r.y; y < r.y + r.h; ++y)
        for (int x = r.x; x < r.x + r.w; ++x)
            if (image.pixels()[(size_t(y) * size_t(image.width()) + size_t(x)) * 4 + 3])
                return true;
    return false;
}

const char* const kSpriteNames[] = {"Spaceship.png", "bullet.png",     "bullet2.png",  "ship.png",
                                    "ship-bad.png",  "ship-crazy.png", "asteroid.png", "coin.png",
                                    "plus.png",      "bomb2.png"};

} // namespace

TEST(ResourceFiles, EveryFileTheGameNamesIsThere) {
    for (const char* name :
         {"texture.png", "coordinates.plist", "stars.png", "Default.png", "joypad.png",
          "joypadCap.png", "back1.png", "back2.png", "StarboardNotificationBackground.png",
          "fire.png", "fps_images.png", "output.pvr", "redFont3.fnt", "greenFont.fnt", "buzzer.caf",
          "expl.wav", "music.ogg"})
        EXPECT_TRUE(std::filesystem::is_regular_file(resource(name))) << name;
}

TEST(ResourceFiles, SpriteFramesLieApartInsideTheSheet) {
    auto sheet = platform::DecodedImage::imageWithContentsOfFile(resource("texture.png"));
    ASSERT_TRUE(sheet);
    // A power-of-two sheet is drawn without padding.
    for (int side : {sheet->width(), sheet->height()}) {
        EXPECT_EQ(side & (side - 1), 0) << side;
        EXPECT_LE(side, 1024);
    }
    auto plist = platform::readDictionary(resource("coordinates.plist"));
    ASSERT_TRUE(plist);
    ASSERT_TRUE(plist->count("frames"));
    const auto* frames = plist->at("frames").dictionary();
    ASSERT_TRUE(frames);
    std::map<std::string, Box> rects;
    for (const char* name : kSpriteNames) {
        SCOPED_TRACE(name);
        auto entry = frames->find(name);
        ASSERT_NE(entry, frames->end());
        const auto* d = entry->second.dictionary();
        ASSERT_TRUE(d);
        Box r;
        for (auto [key, field] : {std::pair{"x", &r.x}, {"y", &r.y}, {"w", &r.w}, {"h", &r.h}}) {
            ASSERT_TRUE(d->count(key)) << key;
            ASSERT_TRUE(d->at(key).integer()) << key;
            *field = int(*d->at(key).integer());
        }
        EXPECT_GT(r.w, 0);
        EXPECT_GT(r.h, 0);
        EXPECT_GE(r.x, 0);
        EXPECT_GE(r.y, 0);
        EXPECT_LE(r.x + r.w, sheet->width());
        EXPECT_LE(r.y + r.h, sheet->height());
        if (r.x + r.w <= sheet->width() && r.y + r.h <= sheet->height()) {
            EXPECT_TRUE(hasInk(*sheet, r));
        }
        for (const auto& [other, o] : rects)
            EXPECT_FALSE(r.overlaps(o)) << "overlaps " << other;
        rects[name] = r;
    }
    // Sizes that suit the screens: the player's ship 30 to 40 points wide,
    // bullets a few points in their glow.
    EXPECT_GE(rects["Spaceship.png"].w, 30);
    EXPECT_LE(rects["Spaceship.png"].w, 40);
    for (const char* bullet : {"bullet.png", "bullet2.png"}) {
        EXPECT_LE(rects[bullet].w, 16) << bullet;
        EXPECT_LE(rects[bullet].h, 24) << bullet;
    }
}

class ResourceTextures : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_NE(test::sharedWindow(), nullptr); }
    void TearDown() override { TextureMgr::purgeSharedTextureMgr(); }
};

TEST_F(ResourceTextures, PicturesLoadThroughTheTextureCache) {
    struct Expect {
        const char* name;
        int width, height; // 0: any
        bool opaque;
    };
    const Expect pictures[] = {{"stars.png", 320, 480, true},
                               {"Default.png", 320, 480, true},
                               {"fps_images.png", 12 * 16, 24, false}, // ". / 0..9", 16 x 24 each
                               {"StarboardNotificationBackground.png", 320, 0, false},
                               {"texture.png", 0, 0, false},
                               {"joypad.png", 0, 0, false},
                               {"joypadCap.png", 0, 0, false},
                               {"back1.png", 0, 0, false},
                               {"back2.png", 0, 0, false},
                               {"fire.png", 0, 0, false},
                               {"redFont3.png", 0, 0, false},
                               {"greenFont.png", 0, 0, false}};
    for (const Expect& e : pictures) {
        SCOPED_TRACE(e.name);
        auto image = platform::DecodedImage::imageWithContentsOfFile(resource(e.name));
        ASSERT_TRUE(image);
        if (e.width) {
            EXPECT_EQ(image->width(), e.width);
        }
        if (e.height) {
            EXPECT_EQ(image->height(), e.height);
        }
        EXPECT_EQ(image->alpha() == platform::ImageAlpha::None, e.opaque);
        Ref<Texture2D> texture = TextureMgr::sharedTextureMgr().addImage(e.name);
        ASSERT_TRUE(texture);
        EXPECT_NE(texture->name(), 0u);
        EXPECT_EQ(texture->contentSize(), Size(float(image->width()), float(image->height())));
    }
    // The back button's two looks differ, but not in size.
    auto pressed = platform::DecodedImage::imageWithContentsOfFile(resource("back1.png"));
    auto normal = platform::DecodedImage::imageWithContentsOfFile(resource("back2.png"));
    ASSERT_TRUE(pressed && normal);
    EXPECT_EQ(pressed->width(), normal->width());
    EXPECT_EQ(pressed->height(), normal->height());
    EXPECT_NE(pressed->pixels(), normal->pixels());
}

TEST_F(ResourceTextures, TheGlowLoadsAsACompressedTexture) {
    Ref<Texture2D> texture = TextureMgr::sharedTextureMgr().addImage("output.pvr");
    ASSERT_TRUE(texture);
    EXPECT_NE(texture->name(), 0u);
    EXPECT_EQ(texture->pixelsWide(), 64u);
    EXPECT_EQ(texture->pixelsHigh(), 64u);
    EXPECT_EQ(texture->contentSize(), Size(64, 64));

    // Decoded, level 0 is a white glow: opaque in the middle, clear at the
    // corners.
    std::vector<uint8_t> file = readBytes(resource("output.pvr"));
    ASSERT_GT(file.size(), 52u + 2048u);
    ASSERT_EQ(le32(&file[20]), file.size() - 52);
    std::vector<uint8_t> rgba(64 * 64 * 4);
    ASSERT_TRUE(platform::decodePvrtc(&file[52], file.size() - 52, 64, 64, 4, rgba.data()));
    auto at = [&](int x, int y) { return &rgba[(size_t(y) * 64 + size_t(x)) * 4]; };
    EXPECT_GT(at(32, 32)[3], 220);
    EXPECT_GT(at(32, 32)[0], 230);
    EXPECT_GT(at(32, 32)[2], 230);
    for (auto [x, y] : {std::pair{0, 0}, {63, 0}, {0, 63}, {63, 63}})
        EXPECT_LT(at(x, y)[3], 12) << x << "," << y;
    // Fading all the way out.
    EXPECT_GT(at(32, 16)[3], at(32, 8)[3]);
    EXPECT_GT(at(32, 8)[3], at(32, 2)[3]);
}

namespace {

// A .fnt file read as the font reader reads it: lines classified by their
// beginning, "=" separated pieces read as leading integers.
struct FontFile {
    int lineHeight = 0, scaleW = 0, scaleH = 0, pages = 0;
    int pageId = -1;
    std::string pageFile;
    std::map<int, std::array<int, 7>> chars; // x, y, w, h, xoffset, yoffset, xadvance
    int kerningCount = -2;                   // none seen
    bool kerningBeforeCount = false;
    std::map<std::pair<int, int>, int> kerning;

    static std::vector<int> pieces(const std::string& line) {
        std::vector<int> out;
        std::stringstream ss(line);
        std::string piece;
        bool first = true;
        while (std::getline(ss, piece, '=')) {
            if (!first) out.push_back(std::atoi(piece.c_str()));
            first = false;
        }
        return out;
    }

    explicit FontFile(const std::string& text) {
        std::stringstream ss(text);
        for (std::string line; std::getline(ss, line, '\n');) {
            auto starts = [&](const char* prefix) { return line.rfind(prefix, 0) == 0; };
            if (starts("page id=") && pageId < 0) {
                pageId = pieces(line).at(0);
                size_t q = line.find('"');
                pageFile = line.substr(q + 1, line.find('"', q + 1) - q - 1);
            }
            if (starts("info face")) continue;
            if (starts("common lineHeight")) {
                auto p = pieces(line);
                if (p.size() >= 5) lineHeight = p[0], scaleW = p[2], scaleH = p[3], pages = p[4];
            } else if (starts("chars c")) {
                continue;
            } else if (starts("char")) {
                auto p = pieces(line);
                if (p.size() >= 8) chars[p[0]] = {p[1], p[2], p[3], p[4], p[5], p[6], p[7]};
            } else if (starts("kernings count")) {
                kerningCount = pieces(line).at(0);
            } else if (starts("kerning first")) {
                if (kerningCount == -2) kerningBeforeCount = true;
                auto p = pieces(line);
                kerning[{p.at(0), p.at(1)}] = p.at(2);
            }
        }
    }

    // The label's width for `text`: advances plus kerning.
    int width(const std::string& text) const {
        int w = 0, previous = 65535;
        for (unsigned char c : text) {
            auto k = kerning.find({previous, c});
            w += chars.at(c)[6] + (k == kerning.end() ? 0 : k->second);
            previous = c;
        }
        return w;
    }
};

} // namespace

TEST(ResourceFiles, BitmapFontsCoverPrintableAsciiOnOnePage) {
    for (const char* name : {"redFont3.fnt", "greenFont.fnt"}) {
        SCOPED_TRACE(name);
        FontFile font(test::readText(resource(name)));
        EXPECT_GT(font.lineHeight, 0);
        EXPECT_EQ(font.pages, 1);
        EXPECT_EQ(font.pageId, 0);
        EXPECT_LE(font.scaleW, 1024);
        EXPECT_LE(font.scaleH, 1024);
        auto page = platform::DecodedImage::imageWithContentsOfFile(resource(font.pageFile));
        ASSERT_TRUE(page) << font.pageFile;
        EXPECT_EQ(page->width(), font.scaleW);
        EXPECT_EQ(page->height(), font.scaleH);

        std::vector<Box> placed;
        for (int c = 32; c <= 126; ++c) {
            SCOPED_TRACE(c);
            auto it = font.chars.find(c);
            ASSERT_NE(it, font.chars.end());
            auto [x, y, w, h, xo, yo, advance] = it->second;
            EXPECT_GT(advance, 0);
            EXPECT_LE(x + w, page->width());
            EXPECT_LE(y + h, page->height());
            if (c == ' ') continue;
            Box r{x, y, w, h};
            ASSERT_GT(w, 0);
            ASSERT_GT(h, 0);
            EXPECT_TRUE(hasInk(*page, r));
            // The glyph's picture sits near its line.
            EXPECT_GT(yo + h, 0);
            EXPECT_LT(yo, font.lineHeight);
            for (const Box& o : placed)
                EXPECT_FALSE(r.overlaps(o));
            placed.push_back(r);
        }
        EXPECT_FALSE(font.kerningBeforeCount);
        EXPECT_EQ(font.kerningCount, int(font.kerning.size()));
        for (const auto& [pair, amount] : font.kerning) {
            EXPECT_TRUE(font.chars.count(pair.first) && font.chars.count(pair.second));
            EXPECT_NE(amount, 0);
        }
        // Counters do not jitter as their digits change.
        for (char d = '1'; d <= '9'; ++d)
            EXPECT_EQ(font.chars.at(d)[6], font.chars.at('0')[6]);
    }
    // The red status labels are centred at x 250 to 270 on a 320-point
    // screen and must stay on it.
    FontFile red(test::readText(resource("redFont3.fnt")));
    EXPECT_LE(260 + red.width("Difficulty: Medium") / 2, 320);
    EXPECT_LE(250 + red.width("Ships Destroyed: 100") / 2, 320);
    EXPECT_LE(270 + red.width("Score: 10000") / 2, 320);
    // Lines 20 points apart must not run into each other.
    EXPECT_LE(red.lineHeight, 20);
}

namespace {

struct Sound {
    platform::AudioFileInfo info;
    std::vector<int16_t> samples;
    double seconds() const { return double(info.frames) / info.sampleRate; }
    // RMS of [from, to) seconds, 0..1.
    double rms(double from, double to) const {
        size_t c = size_t(info.channels);
        size_t a = size_t(from * info.sampleRate) * c,
               b = std::min(samples.size(), size_t(to * info.sampleRate) * c);
        double sum = 0;
        for (size_t i = a; i < b; ++i)
            sum += double(samples[i]) * samples[i];
        return b > a ? std::sqrt(sum / double(b - a)) / 32768 : 0;
    }
};

Sound readSound(const std::string& name) {
    Sound s;
    auto file = platform::AudioFile::open(resource(name));
    EXPECT_TRUE(file) << name;
    if (!file) return s;
    s.info = file->info();
    auto all = file->readAll(size_t(64) << 20);
    EXPECT_TRUE(all) << name;
    if (all) s.samples = std::move(*all);
    return s;
}

} // namespace

TEST(ResourceFiles, SoundsAreInTheirFormatsAndAudible) {
    // The explosion: 16-bit little-endian PCM WAV, read by the plain reader.
    Sound expl = readSound("expl.wav");
    EXPECT_EQ(expl.info.container, platform::AudioContainer::Wav);
    EXPECT_EQ(expl.info.encoding, platform::AudioEncoding::LinearPCM);
    EXPECT_EQ(expl.info.bitsPerSample, 16);
    EXPECT_FALSE(expl.info.bigEndian);
    EXPECT_GT(expl.seconds(), 0.5);
    EXPECT_LT(expl.seconds(), 3.0);
    EXPECT_GT(expl.rms(0, 0.3), 0.1);
    EXPECT_LT(expl.rms(expl.seconds() - 0.01, expl.seconds()), 0.005); // ends without a click
    auto explData = MyGetOpenALAudioData(resource("expl.wav"));
    ASSERT_TRUE(explData);
    EXPECT_EQ(explData->format, kCDFormatMono16);

    // The shot: short and punchy, read by the converting reader.
    Sound shot = readSound("buzzer.caf");
    EXPECT_EQ(shot.info.container, platform::AudioContainer::Caf);
    EXPECT_LT(shot.seconds(), 0.4);
    EXPECT_GT(shot.rms(0, 0.05), 0.15);
    auto shotData = MyGetOpenALAudioData(resource("buzzer.caf"));
    ASSERT_TRUE(shotData);
    EXPECT_FALSE(shotData->data.empty());

    // The music: a stereo Ogg Vorbis loop, audible from start to end.
    Sound music = readSound("music.ogg");
    EXPECT_EQ(music.info.container, platform::AudioContainer::Ogg);
    EXPECT_EQ(music.info.channels, 2);
    EXPECT_GT(music.seconds(), 10.0);
    for (double t = 0; t + 1 <= music.seconds(); t += 1)
        EXPECT_GT(music.rms(t, t + 1), 0.03) << t;
}

TEST_F(ResourceTextures, BitmapFontsLoadThroughTheEngineReader) {
    std::string ascii;
    for (char c = 32; c <= 126; ++c) ascii += c;
    for (const char* name : {"redFont3.fnt", "greenFont.fnt"}) {
        SCOPED_TRACE(name);
        auto config = FNTConfigLoadFile(name);
        ASSERT_TRUE(config);
        EXPECT_GT(config->commonHeight, 0u);
        for (unsigned char c = 33; c <= 126; ++c)
            EXPECT_GT(config->bitmapFontArray[c].rect.size.width, 0) << c;
        auto label = BitmapFontAtlas::bitmapFontAtlasWithString(ascii, name);
        ASSERT_TRUE(label);
        ASSERT_TRUE(label->textureAtlas() && label->textureAtlas()->texture());
        EXPECT_GT(label->contentSize().width, 300);
        EXPECT_EQ(label->contentSize().height, float(config->commonHeight));
        label->cleanup();
    }
}
