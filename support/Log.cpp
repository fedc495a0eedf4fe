#include "support/Log.h"

#include <cstdarg>
#include <cstdio>
#include <mutex>
#include <utility>

namespace {
std::mutex& logMutex() {
    static std::mutex m;
    return m;
}
LogSink& sink() {
    static LogSink s;
    return s;
}
} // namespace

void ccLog(const char* format, ...) {
    va_list args;
    va_start(args, format);
    va_list copy;
    va_copy(copy, args);
    int n = std::vsnprintf(nullptr, 0, format, copy);
    va_end(copy);
    std::string line(n > 0 ? size_t(n) : 0, '\0');
    if (n > 0) std::vsnprintf(line.data(), line.size() + 1, format, args);
    va_end(args);
    while (!line.empty() && line.back() == '\n') line.pop_back();

    std::lock_guard lock(logMutex());
    if (sink()) {
        sink()(line);
    } else {
        std::fprintf(stderr, "%s\n", line.c_str());
    }
}

LogSink ccSetLogSink(LogSink s) {
    std::lock_guard lock(logMutex());
    return std::exchange(sink(), std::move(s));
}
