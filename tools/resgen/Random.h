#pragma once

#include <cstdint>

namespace resgen {

// A small seeded generator (SplitMix64): every picture and sound draws its
// randomness from one of these, so two runs write the same bytes.
class Random {
public:
    explicit Random(uint64_t seed) : state_(seed) {}

    uint64_t next() {
        uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    // Uniform in [0, 1).
    double uniform() { return double(next() >> 11) * 0x1.0p-53; }
    double uniform(double lo, double hi) { return lo + (hi - lo) * uniform(); }
    // Uniform in [-1, 1).
    double signedUnit() { return uniform() * 2.0 - 1.0; }
    // Uniform in [0, n).
    int below(int n) { return int(uniform() * n); }

private:
    uint64_t state_;
};

} // namespace resgen
