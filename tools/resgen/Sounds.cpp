// The game's sounds, synthesised: the shot ("buzzer.caf"), the explosion
// ("expl.wav") and a looping background track ("music.ogg").
#include "tools/resgen/Random.h"
#include "tools/resgen/Resources.h"

#include <sndfile.h>

#include <algorithm>
#include <cmath>
#include <cstring>

namespace resgen {

namespace {

constexpr int kRate = 44100;
constexpr double kTau = 2 * M_PI;

double midiToHz(double note) {
    return 440.0 * std::pow(2.0, (note - 69) / 12);
}

// Scales the samples so that the loudest one reaches `peak`.
void normalize(std::vector<float>& samples, double peak) {
    float loudest = 0;
    for (float s : samples)
        loudest = std::max(loudest, std::abs(s));
    if (loudest > 0)
        for (float& s : samples)
            s = float(s * peak / loudest);
}

// Fades the last `seconds` out, so the sound ends without a click.
void fadeOut(std::vector<float>& samples, double seconds) {
    size_t n = std::min(samples.size(), size_t(seconds * kRate));
    for (size_t i = 0; i < n; ++i)
        samples[samples.size() - 1 - i] *= float(double(i) / double(n));
}

std::vector<int16_t> toPcm16(const std::vector<float>& samples) {
    std::vector<int16_t> out(samples.size());
    for (size_t i = 0; i < samples.size(); ++i)
        out[i] = int16_t(std::lround(std::clamp(samples[i], -1.0f, 1.0f) * 32767));
    return out;
}

// A state-variable low-pass filter (two poles).
struct LowPass {
    double low = 0, band = 0;
    double step(double in, double cutoffHz, double resonance = 0.7) {
        // 2 sin(pi fc / rate), by its series: fc stays under rate / 6.
        double x = M_PI * std::min(cutoffHz, kRate / 6.0) / kRate;
        double f = 2 * x * (1 - x * x / 6 * (1 - x * x / 20));
        double q = 1 / resonance;
        low += f * band;
        double high = in - low - q * band;
        band += f * high;
        return low;
    }
};

// The shot: a bright square-ish zap sweeping down fast, with a click.
std::vector<float> shot() {
    const double length = 0.17;
    std::vector<float> out(size_t(length * kRate));
    Random noise(0x5107);
    double phase = 0, phase2 = 0;
    LowPass click;
    for (size_t i = 0; i < out.size(); ++i) {
        double t = double(i) / kRate;
        double f = 260 + 1700 * std::exp(-t * 24);
        phase += f / kRate;
        phase2 += f * 1.498 / kRate;
        double square = std::tanh(std::sin(kTau * phase) * 5);
        double saw = 2 * (phase2 - std::floor(phase2)) - 1;
        double envelope = std::min(1.0, t / 0.002) * std::exp(-t * 20);
        double body = (0.7 * square + 0.3 * saw) * envelope;
        double n = noise.signedUnit();
        double crack = (n - click.step(n, 2500)) * std::exp(-t * 180) * 0.8;
        out[i] = float(body + crack);
    }
    normalize(out, 0.85);
    fadeOut(out, 0.01);
    return out;
}

// The explosion: a crack, rumbling noise that darkens as it dies, a falling
// sub-bass thump and scattered crackles.
std::vector<float> explosion() {
    const double length = 1.5;
    std::vector<float> out(size_t(length * kRate));
    Random noise(0xE4B1);
    LowPass body, crackFilter;
    double subPhase = 0;
    double crackle = 0;
    for (size_t i = 0; i < out.size(); ++i) {
        double t = double(i) / kRate;
        double n = noise.signedUnit();
        double cutoff = 150 + 3200 * std::exp(-t * 4.5);
        double rumble = body.step(n, cutoff, 0.9) * std::min(1.0, t / 0.004) * std::exp(-t * 2.6);
        double crack = (n - crackFilter.step(n, 1200)) * std::exp(-t * 60);
        subPhase += (32 + 70 * std::exp(-t * 6)) / kRate;
        double sub = std::sin(kTau * subPhase) * std::exp(-t * 3.5) * std::min(1.0, t / 0.01);
        if (noise.uniform() < 0.0009 * std::exp(-t * 2)) crackle = noise.signedUnit();
        crackle *= 0.994;
        out[i] = float(std::tanh(1.6 * (1.4 * rumble + 0.5 * crack + 0.7 * sub + 0.25 * crackle)));
    }
    normalize(out, 0.9);
    fadeOut(out, 0.12);
    return out;
}

// The background track: eight bars of A minor (i - VI - III - VII) at about
// 112 beats a minute, pads, a pulsing bass, an arpeggio with echo and light
// drums. Rendered twice over and the second pass kept, so that the tails of
// the end carry into the start and the loop has no seam.
class Track {
public:
    static constexpr int kSixteenth = 5906; // samples
    static constexpr int kSteps = 8 * 16;
    static constexpr size_t kLoop = size_t(kSixteenth) * kSteps;

    Track() : left_(2 * kLoop), right_(2 * kLoop) {}

    std::vector<float> render() {
        static const int chords[4][3] = {{57, 60, 64}, {57, 60, 65}, {55, 60, 64}, {55, 59, 62}};
        static const int roots[4] = {45, 41, 48, 43};
        for (int pass = 0; pass < 2; ++pass)
            for (int bar = 0; bar < 8; ++bar) {
                int chord = bar / 2;
                size_t barStart = size_t(pass) * kLoop + size_t(bar) * 16 * kSixteenth;
                if (bar % 2 == 0)
                    for (int v = 0; v < 3; ++v)
                        pad(barStart, 32 * kSixteenth, chords[chord][v], v - 1);
                for (int step = 0; step < 16; step += 2)
                    bass(barStart + size_t(step) * kSixteenth, roots[chord] - 12, step % 4 == 0);
                static const int arpPattern[8] = {0, 1, 2, 3, 4, 3, 2, 1};
                for (int step = 0; step < 16; ++step) {
                    int k = arpPattern[(step + bar * 16) % 8];
                    int note = k < 3 ? chords[chord][k] + 12 : chords[chord][k - 3] + 24;
                    arp(barStart + size_t(step) * kSixteenth, note, step % 4 == 0 ? 1.0 : 0.7);
                }
                for (int step = 0; step < 16; ++step) {
                    size_t at = barStart + size_t(step) * kSixteenth;
                    if (step == 0 || step == 8 || step == 10) kick(at);
                    if (step == 4 || step == 12) snare(at);
                    if (step % 2 == 0) hat(at, step % 4 == 2 ? 0.9 : 0.5);
                }
            }
        echo();
        std::vector<float> out(kLoop * 2);
        for (size_t i = 0; i < kLoop; ++i) {
            out[2 * i] = float(std::tanh(left_[kLoop + i] * 0.9));
            out[2 * i + 1] = float(std::tanh(right_[kLoop + i] * 0.9));
        }
        normalize(out, 0.8);
        return out;
    }

private:
    // Adds `value` at `at` (wrapping at the end of the two passes) with `pan`
    // from -1 (left) to 1 (right).
    void mix(size_t at, double value, double pan) {
        size_t i = at % left_.size();
        left_[i] += float(value * (1 - pan) * 0.5);
        right_[i] += float(value * (1 + pan) * 0.5);
    }
    void mixArp(size_t at, double value) {
        size_t i = at % arp_.size();
        arp_[i] += float(value);
    }

    // Two slightly detuned saws through a slowly opening filter.
    void pad(size_t start, int length, int note, double pan) {
        double f = midiToHz(note);
        double p1 = 0, p2 = 0.37;
        LowPass filter;
        int release = kRate * 3 / 4;
        for (int i = 0; i < length + release; ++i) {
            double t = double(i) / kRate;
            p1 += f * 1.0035 / kRate;
            p2 += f * 0.9965 / kRate;
            double saw = (p1 - std::floor(p1)) + (p2 - std::floor(p2)) - 1;
            double env = std::min(1.0, t / 0.5);
            if (i > length) env *= 1 - double(i - length) / release;
            double cutoff = 500 + 900 * (0.5 - 0.5 * std::cos(kTau * t / 4.3));
            mix(start + size_t(i), filter.step(saw, cutoff) * env * 0.09, pan * 0.6);
        }
    }

    void bass(size_t start, int note, bool accent) {
        double f = midiToHz(note);
        double phase = 0;
        LowPass filter;
        int length = kSixteenth * 2 - 200;
        for (int i = 0; i < length; ++i) {
            double t = double(i) / kRate;
            phase += f / kRate;
            double saw = 2 * (phase - std::floor(phase)) - 1;
            double square = phase - std::floor(phase) < 0.5 ? 0.6 : -0.6;
            double env = std::min(1.0, t / 0.003) * std::exp(-t * 5) *
                         std::min(1.0, double(length - i) / 300);
            double cutoff = 180 + (accent ? 1400 : 900) * std::exp(-t * 14);
            mix(start + size_t(i), filter.step(0.6 * saw + 0.4 * square, cutoff, 1.2) * env * 0.42,
                0);
        }
    }

    void arp(size_t start, int note, double level) {
        double f = midiToHz(note);
        double phase = 0;
        int length = kSixteenth * 3 / 2;
        for (int i = 0; i < length; ++i) {
            double t = double(i) / kRate;
            phase += f / kRate;
            double x = phase - std::floor(phase);
            double triangle = 4 * std::abs(x - 0.5) - 1;
            double pulse = x < 0.25 ? 0.5 : -0.17;
            double env = std::min(1.0, t / 0.002) * std::exp(-t * 11) *
                         std::min(1.0, double(length - i) / 200);
            mixArp(start + size_t(i), (0.7 * triangle + 0.3 * pulse) * env * 0.11 * level);
        }
    }

    void kick(size_t start) {
        double phase = 0;
        int length = kRate / 4;
        for (int i = 0; i < length; ++i) {
            double t = double(i) / kRate;
            phase += (45 + 110 * std::exp(-t * 30)) / kRate;
            double env = std::exp(-t * 12) * std::min(1.0, double(length - i) / 200);
            mix(start + size_t(i), std::sin(kTau * phase) * env * 0.55, 0);
        }
    }

    void snare(size_t start) {
        LowPass tone;
        double phase = 0;
        int length = kRate / 5;
        for (int i = 0; i < length; ++i) {
            double t = double(i) / kRate;
            double n = noise_.signedUnit();
            phase += 190.0 / kRate;
            double body = std::sin(kTau * phase) * std::exp(-t * 30) * 0.5;
            double hiss = tone.step(n, 5000) * std::exp(-t * 18);
            mix(start + size_t(i), (body + hiss) * 0.22 * std::min(1.0, double(length - i) / 200),
                0.1);
        }
    }

    void hat(size_t start, double level) {
        LowPass low;
        int length = kRate / 20;
        for (int i = 0; i < length; ++i) {
            double t = double(i) / kRate;
            double n = noise_.signedUnit();
            double high = n - low.step(n, 6000);
            mix(start + size_t(i), high * std::exp(-t * 60) * 0.09 * level, -0.3);
        }
    }

    // The arpeggio's ping-pong echo of three sixteenths, into the mix.
    void echo() {
        const size_t delay = size_t(kSixteenth) * 3;
        const size_t n = arp_.size();
        std::vector<float> l(n), r(n);
        // Twice round so that echoes from the end reach the start.
        for (int round = 0; round < 2; ++round)
            for (size_t i = 0; i < n; ++i) {
                size_t from = (i + n - delay) % n;
                l[i] = float(arp_[i] + 0.42 * r[from]);
                r[i] = float(0.42 * l[from]);
            }
        // l holds the dry note plus the echoes that come back on the left.
        for (size_t i = 0; i < n; ++i) {
            left_[i] += float(arp_[i] * 0.8 + (l[i] - arp_[i]) * 0.5);
            right_[i] += float(arp_[i] * 0.8 + r[i] * 0.5);
        }
    }

    std::vector<float> left_, right_;
    std::vector<float> arp_ = std::vector<float>(2 * kLoop);
    Random noise_{0x3A51C};
};

void writeSound(const std::string& path, int format, int channels,
                const std::vector<float>& samples) {
    SF_INFO info{};
    info.samplerate = kRate;
    info.channels = channels;
    info.format = format;
    SNDFILE* f = sf_open(path.c_str(), SFM_WRITE, &info);
    if (!f) fail("cannot write " + path + ": " + sf_strerror(nullptr));
    std::vector<int16_t> pcm = toPcm16(samples);
    sf_count_t frames = sf_count_t(pcm.size()) / channels;
    if (sf_writef_short(f, pcm.data(), frames) != frames) fail("cannot write " + path);
    if (sf_close(f) != 0) fail("cannot write " + path);
}

// In-memory output for libsndfile.
struct MemoryFile {
    std::vector<uint8_t> bytes;
    sf_count_t position = 0;
};

SF_VIRTUAL_IO memoryIo() {
    SF_VIRTUAL_IO io{};
    io.get_filelen = [](void* user) {
        return sf_count_t(static_cast<MemoryFile*>(user)->bytes.size());
    };
    io.seek = [](sf_count_t offset, int whence, void* user) {
        auto* m = static_cast<MemoryFile*>(user);
        sf_count_t base = whence == SEEK_SET   ? 0
                          : whence == SEEK_CUR ? m->position
                                               : sf_count_t(m->bytes.size());
        m->position = std::max<sf_count_t>(0, base + offset);
        return m->position;
    };
    io.read = [](void* ptr, sf_count_t count, void* user) {
        auto* m = static_cast<MemoryFile*>(user);
        sf_count_t available = std::max<sf_count_t>(0, sf_count_t(m->bytes.size()) - m->position);
        sf_count_t n = std::min(count, available);
        if (n > 0) std::memcpy(ptr, m->bytes.data() + m->position, size_t(n));
        m->position += n;
        return n;
    };
    io.write = [](const void* ptr, sf_count_t count, void* user) {
        auto* m = static_cast<MemoryFile*>(user);
        size_t end = size_t(m->position + count);
        if (end > m->bytes.size()) m->bytes.resize(end);
        std::memcpy(m->bytes.data() + m->position, ptr, size_t(count));
        m->position += count;
        return count;
    };
    io.tell = [](void* user) { return static_cast<MemoryFile*>(user)->position; };
    return io;
}

uint32_t oggCrc(const uint8_t* data, size_t size) {
    uint32_t crc = 0;
    for (size_t i = 0; i < size; ++i) {
        crc ^= uint32_t(data[i]) << 24;
        for (int b = 0; b < 8; ++b)
            crc = crc & 0x80000000u ? (crc << 1) ^ 0x04C11DB7u : crc << 1;
    }
    return crc;
}

// libsndfile numbers each Ogg stream with a serial drawn from the clock;
// a fixed one (and the page checksums that cover it) makes equal files.
void fixOggSerial(std::vector<uint8_t>& ogg, uint32_t serial) {
    size_t at = 0;
    while (at + 27 <= ogg.size()) {
        if (std::memcmp(&ogg[at], "OggS", 4) != 0) fail("unexpected Ogg page layout");
        size_t segments = ogg[at + 26];
        if (at + 27 + segments > ogg.size()) fail("truncated Ogg page");
        size_t body = 0;
        for (size_t s = 0; s < segments; ++s)
            body += ogg[at + 27 + s];
        size_t size = 27 + segments + body;
        if (at + size > ogg.size()) fail("truncated Ogg page");
        for (int i = 0; i < 4; ++i) {
            ogg[at + 14 + size_t(i)] = uint8_t(serial >> (8 * i));
            ogg[at + 22 + size_t(i)] = 0;
        }
        uint32_t crc = oggCrc(&ogg[at], size);
        for (int i = 0; i < 4; ++i)
            ogg[at + 22 + size_t(i)] = uint8_t(crc >> (8 * i));
        at += size;
    }
    if (at != ogg.size()) fail("trailing bytes after the last Ogg page");
}

void writeVorbis(const std::string& path, const std::vector<float>& stereo) {
    MemoryFile memory;
    SF_VIRTUAL_IO io = memoryIo();
    SF_INFO info{};
    info.samplerate = kRate;
    info.channels = 2;
    info.format = SF_FORMAT_OGG | SF_FORMAT_VORBIS;
    SNDFILE* f = sf_open_virtual(&io, SFM_WRITE, &info, &memory);
    if (!f) fail(std::string("cannot encode Ogg Vorbis: ") + sf_strerror(nullptr));
    double quality = 0.35;
    sf_command(f, SFC_SET_VBR_ENCODING_QUALITY, &quality, sizeof quality);
    sf_count_t frames = sf_count_t(stereo.size() / 2);
    if (sf_writef_float(f, stereo.data(), frames) != frames) fail("cannot encode " + path);
    if (sf_close(f) != 0) fail("cannot encode " + path);
    fixOggSerial(memory.bytes, 0x4E42534Bu);
    writeFile(path, memory.bytes);
}

} // namespace

void writeSounds(const std::string& dir) {
    writeSound(dir + "/buzzer.caf", SF_FORMAT_CAF | SF_FORMAT_PCM_16, 1, shot());
    writeSound(dir + "/expl.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_16, 1, explosion());
    writeVorbis(dir + "/music.ogg", Track().render());
}

} // namespace resgen
