// deps: platform
// Parses any bytes as JSON from outside; whatever parses must be written
// back and read again as the same value, within the same limits.
#include "platform/Json.h"

#include <cstdio>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view text(reinterpret_cast<const char*>(data), size);
    auto json = platform::parseJson(text, 1 << 16, 32);
    if (!json) return 0;
    if (json->is_object()) (void)platform::jsonString(*json, "key", "fallback");
    std::string written = json->dump();
    auto again = platform::parseJson(written, written.size(), 32);
    if (!again || *again != *json) {
        std::fprintf(stderr, "fuzz_json: written form reads back differently: %s\n",
                     written.c_str());
        std::abort();
    }
    return 0;
}
