#pragma once

#include <functional>
#include <string>

// Writes one line to the console (standard error). A trailing newline in the
// format is not doubled.
void ccLog(const char* format, ...) __attribute__((format(printf, 1, 2)));

// Redirects log lines, for example to capture them in a test; an empty
// function restores standard error. Returns the previous sink.
using LogSink = std::function<void(const std::string&)>;
LogSink ccSetLogSink(LogSink sink);
