#pragma once

// Counts every allocation of the benchmark program that includes this
// header (once: it replaces the global operator new and delete).

#include <atomic>
#include <cstdlib>
#include <new>

inline std::atomic<long> allocationCount{0};

// The compiler takes the replaced pair for the built-in one and would warn
// about malloc/free.
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
void* operator new(size_t size) {
    allocationCount.fetch_add(1, std::memory_order_relaxed);
    if (void* p = std::malloc(size ? size : 1)) return p;
    throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, size_t) noexcept { std::free(p); }
