#pragma once

// Counts every allocation of the benchmark program that includes this
// header (once: it replaces the global operator new and delete).
//
// To find what allocates, a benchmark can also keep the call stacks of the
// allocations between traceAllocations(true) and (false) and print them
// (printTracedAllocations); the stacks are taken without allocating.

#include <execinfo.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <new>

inline std::atomic<long> allocationCount{0};

namespace allocation_trace {
constexpr int kStacks = 32, kDepth = 20;
inline std::atomic<bool> on{false};
inline std::atomic<int> count{0};
inline void* stacks[kStacks][kDepth];
inline int depths[kStacks];
inline thread_local bool inside = false;

inline void record() {
    if (inside) return;
    const int slot = count.fetch_add(1, std::memory_order_relaxed);
    if (slot >= kStacks) return;
    inside = true;
    depths[slot] = backtrace(stacks[slot], kDepth);
    inside = false;
}
} // namespace allocation_trace

inline void traceAllocations(bool on) {
    if (on) {
        // backtrace() loads its unwinder on first use: not in a traced frame.
        void* warm[1];
        backtrace(warm, 1);
        allocation_trace::count = 0;
    }
    allocation_trace::on = on;
}

// The stacks kept since tracing began, symbolised as the loader can (the
// benchmarks export their symbols).
inline void printTracedAllocations(const char* title) {
    using namespace allocation_trace;
    const int n = count.load() < kStacks ? count.load() : kStacks;
    std::fprintf(stderr, "--- %s: %d allocations\n", title, count.load());
    for (int i = 0; i < n; ++i) {
        std::fprintf(stderr, "  allocation %d:\n", i);
        backtrace_symbols_fd(stacks[i] + 1, depths[i] - 1, STDERR_FILENO);
    }
}

// The compiler takes the replaced pair for the built-in one and would warn
// about malloc/free.
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
void* operator new(size_t size) {
    allocationCount.fetch_add(1, std::memory_order_relaxed);
    if (allocation_trace::on.load(std::memory_order_relaxed)) allocation_trace::record();
    if (void* p = std::malloc(size ? size : 1)) return p;
    throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, size_t) noexcept { std::free(p); }
