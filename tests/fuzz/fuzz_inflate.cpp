// deps: support
// Inflates any bytes; failures must leave no output, successes exactly the
// reported length, never more than the cap.
#include "support/Log.h"
#include "support/ZipUtils.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static bool quiet = (ccSetLogSink([](const std::string&) {}), true);
    (void)quiet;
    std::vector<uint8_t> out;
    size_t length = inflateMemory(data, size, out, size_t(4) << 20);
    if (out.size() != length || length > (size_t(4) << 20)) std::abort();
    return 0;
}
