#include "platform/Random.h"

#include <array>
#include <mutex>

namespace platform {

namespace {

// Additive feedback generator: r[i] = r[i-3] + r[i-31], output r[i] >> 1,
// seeded with a linear congruential sequence and 310 discarded outputs.
class FeedbackGenerator {
public:
    explicit FeedbackGenerator(unsigned seed) { seedWith(seed); }

    void seedWith(unsigned seed) {
        if (seed == 0) seed = 1;
        r_[0] = int32_t(seed);
        for (int i = 1; i < 31; ++i) {
            // 16807 * r[i-1] mod (2^31 - 1), by Schrage's method.
            int64_t hi = r_[i - 1] / 127773;
            int64_t lo = r_[i - 1] % 127773;
            int64_t word = 16807 * lo - 2836 * hi;
            if (word < 0) word += 2147483647;
            r_[i] = int32_t(word);
        }
        front_ = 3;
        rear_ = 0;
        for (int i = 0; i < 310; ++i) next();
    }

    long next() {
        uint32_t sum = uint32_t(r_[front_]) + uint32_t(r_[rear_]);
        r_[front_] = int32_t(sum);
        long result = long(sum >> 1);
        front_ = (front_ + 1) % 31;
        rear_ = (rear_ + 1) % 31;
        return result;
    }

private:
    std::array<int32_t, 31> r_{};
    int front_ = 3, rear_ = 0;
};

// PCG32 (O'Neill): small, fast and well distributed.
class Pcg32 {
public:
    explicit Pcg32(uint64_t seed) { seedWith(seed); }
    void seedWith(uint64_t seed) {
        state_ = 0;
        next();
        state_ += seed;
        next();
    }
    uint32_t next() {
        uint64_t old = state_;
        state_ = old * 6364136223846793005ULL + 1442695040888963407ULL;
        uint32_t xorshifted = uint32_t(((old >> 18u) ^ old) >> 27u);
        uint32_t rot = uint32_t(old >> 59u);
        return (xorshifted >> rot) | (xorshifted << ((32 - rot) & 31));
    }

private:
    uint64_t state_ = 0;
};

std::mutex randomMutex;
FeedbackGenerator feedback(1);
Pcg32 pcg(0x853c49e6748fea9bULL);

} // namespace

long random() {
    std::lock_guard lock(randomMutex);
    return feedback.next();
}

void srandom(unsigned seed) {
    std::lock_guard lock(randomMutex);
    feedback.seedWith(seed);
}

uint32_t arc4random() {
    std::lock_guard lock(randomMutex);
    return pcg.next();
}

void seedArc4random(uint64_t seed) {
    std::lock_guard lock(randomMutex);
    pcg.seedWith(seed);
}

} // namespace platform
