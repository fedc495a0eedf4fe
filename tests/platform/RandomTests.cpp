#include "platform/Random.h"
#include "tests/common/TestSupport.h"

#include <cstdlib>
#include <set>
#include <vector>

namespace {

std::vector<long> draws(int n) {
    std::vector<long> v;
    for (int i = 0; i < n; ++i)
        v.push_back(platform::random());
    return v;
}

std::vector<uint32_t> arcDraws(int n) {
    std::vector<uint32_t> v;
    for (int i = 0; i < n; ++i)
        v.push_back(platform::arc4random());
    return v;
}

} // namespace

TEST(Random, SameSeedSameSequenceAsTheClassicGenerator) {
    for (unsigned seed : {1u, 2u, 12345u, 0x80000000u, 0xFFFFFFFFu}) {
        platform::srandom(seed);
        std::vector<long> first = draws(500);
        platform::srandom(seed);
        EXPECT_EQ(draws(500), first) << seed;
        // The C library's random() is the reference for the sequence.
        ::srandom(seed);
        for (long value : first)
            ASSERT_EQ(value, ::random()) << seed;
    }
    platform::srandom(0); // like the C library: 0 behaves as 1
    std::vector<long> zero = draws(10);
    platform::srandom(1);
    EXPECT_EQ(draws(10), zero);
    platform::srandom(2);
    EXPECT_NE(draws(10), zero);
}

TEST(Random, ValuesStayWithin31Bits) {
    platform::srandom(7);
    long lowest = 0x7FFFFFFF, highest = 0;
    std::set<long> distinct;
    for (long v : draws(100000)) {
        ASSERT_GE(v, 0);
        ASSERT_LE(v, 0x7FFFFFFFL);
        lowest = std::min(lowest, v);
        highest = std::max(highest, v);
        distinct.insert(v);
    }
    // Spread over the whole range, not stuck in part of it.
    EXPECT_LT(lowest, 0x7FFFFFFF / 1000);
    EXPECT_GT(highest, 0x7FFFFFFF - 0x7FFFFFFF / 1000);
    EXPECT_GT(distinct.size(), 99000u);
}

TEST(Random, Arc4randomIsAnIndependentSource) {
    platform::seedArc4random(99);
    std::vector<uint32_t> arc = arcDraws(100);
    platform::srandom(5);
    std::vector<long> classic = draws(100);

    // Reseeding or drawing from one source leaves the other alone.
    platform::seedArc4random(99);
    std::vector<uint32_t> interleaved;
    for (int i = 0; i < 100; ++i) {
        interleaved.push_back(platform::arc4random());
        platform::srandom(unsigned(i));
        platform::random();
    }
    EXPECT_EQ(interleaved, arc);

    platform::srandom(5);
    platform::seedArc4random(1234);
    for (int i = 0; i < 1000; ++i)
        platform::arc4random();
    EXPECT_EQ(draws(100), classic);

    platform::seedArc4random(100);
    EXPECT_NE(arcDraws(100), arc);
    // All 32 bits are used.
    uint32_t seenOr = 0, seenAnd = 0xFFFFFFFF;
    for (uint32_t v : arcDraws(1000)) {
        seenOr |= v;
        seenAnd &= v;
    }
    EXPECT_EQ(seenOr, 0xFFFFFFFFu);
    EXPECT_EQ(seenAnd, 0u);
}
