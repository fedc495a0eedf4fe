#include "support/HashSet.h"

#include "support/Error.h"

#include <cstring>

namespace {

constexpr size_t kPrimes[] = {5,        11,        17,        37,        67,        131,
                              257,      521,       1031,      2053,      4099,      8209,
                              16411,    32771,     65537,     131101,    262147,    524309,
                              1048583,  2097169,   4194319,   8388617,   16777259,  33554467,
                              67108879, 134217757, 268435459, 536870923, 1073741827};

} // namespace

uint32_t ccHashOneAtATime(const void* bytes, size_t length) {
    const auto* p = static_cast<const unsigned char*>(bytes);
    uint32_t hash = 0;
    for (size_t i = 0; i < length; ++i) {
        hash += p[i];
        hash += hash << 10;
        hash ^= hash >> 6;
    }
    hash += hash << 3;
    hash ^= hash >> 11;
    hash += hash << 15;
    return hash;
}

size_t ccHashSetPrimeAtLeast(size_t atLeast) {
    for (size_t prime : kPrimes)
        if (prime >= atLeast) return prime;
    ccAssertionFailed("HashSet: no bucket count left to grow to");
}

HashSet::HashSet(size_t buckets) : buckets_(ccHashSetPrimeAtLeast(buckets), nullptr) {}

size_t HashSet::bucketOf(const void* key) const {
    // The identity is the address itself, hashed byte by byte as it lies in
    // memory.
    unsigned char bytes[sizeof key];
    std::memcpy(bytes, &key, sizeof key);
    return ccHashOneAtATime(bytes, sizeof bytes) % buckets_.size();
}

HashSetEntry* HashSet::find(const void* key) const {
    for (HashSetEntry* e = buckets_[bucketOf(key)]; e; e = e->hashNext)
        if (e->hashKey == key) return e;
    return nullptr;
}

void HashSet::insert(HashSetEntry* entry, const void* key) {
    entry->hashKey = key;
    HashSetEntry*& head = buckets_[bucketOf(key)];
    entry->hashNext = head;
    head = entry;
    ++count_;
    if (growthHolds_ == 0) growIfFull();
}

HashSetEntry* HashSet::remove(const void* key) {
    for (HashSetEntry** link = &buckets_[bucketOf(key)]; *link; link = &(*link)->hashNext) {
        HashSetEntry* e = *link;
        if (e->hashKey != key) continue;
        *link = e->hashNext;
        e->hashNext = nullptr;
        --count_;
        return e;
    }
    return nullptr;
}

void HashSet::releaseGrowth() {
    if (growthHolds_ > 0 && --growthHolds_ == 0) growIfFull();
}

void HashSet::growIfFull() {
    while (count_ >= 3 * buckets_.size())
        rehash(ccHashSetPrimeAtLeast(buckets_.size() + 1));
}

void HashSet::rehash(size_t buckets) {
    std::vector<HashSetEntry*> old(buckets, nullptr);
    old.swap(buckets_);
    for (HashSetEntry* head : old) {
        while (head) {
            HashSetEntry* e = head;
            head = e->hashNext;
            HashSetEntry*& slot = buckets_[bucketOf(e->hashKey)];
            e->hashNext = slot;
            slot = e;
        }
    }
}
