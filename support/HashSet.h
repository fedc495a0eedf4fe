#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// Jenkins' one-at-a-time hash of `length` bytes.
uint32_t ccHashOneAtATime(const void* bytes, size_t length);

// The first size of the growth table that is at least `atLeast`; asserts
// when the table has none.
size_t ccHashSetPrimeAtLeast(size_t atLeast);

// What a HashSet chains: the owner derives its entries from this and keeps
// ownership of them; the set only links them.
struct HashSetEntry {
    const void* hashKey = nullptr;
    HashSetEntry* hashNext = nullptr;
};

// A chained hash set of entries keyed by an object's identity (its address).
// New entries go at the head of their bucket; when an insertion brings the
// entry count to three times the bucket count the buckets grow to the next
// size of the prime table and every entry is rehashed. The visiting order is
// the bucket order and means nothing.
class HashSet {
public:
    static constexpr size_t kInitialBuckets = 131;

    explicit HashSet(size_t buckets = kInitialBuckets);
    HashSet(const HashSet&) = delete;
    HashSet& operator=(const HashSet&) = delete;

    HashSetEntry* find(const void* key) const;
    // The key must not be in the set yet.
    void insert(HashSetEntry* entry, const void* key);
    // Unlinks the entry with this key and returns it (nullptr if absent).
    HashSetEntry* remove(const void* key);

    size_t count() const { return count_; }
    size_t bucketCount() const { return buckets_.size(); }
    HashSetEntry* bucket(size_t i) const { return buckets_[i]; }

    // While held, insertions do not regrow the buckets, so a walk over the
    // buckets stays valid; the growth owed is done on release.
    void holdGrowth() { ++growthHolds_; }
    void releaseGrowth();

private:
    size_t bucketOf(const void* key) const;
    void growIfFull();
    void rehash(size_t buckets);

    std::vector<HashSetEntry*> buckets_;
    size_t count_ = 0;
    int growthHolds_ = 0;
};
