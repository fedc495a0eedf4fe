// deps: platform
// Scripted-input files: any bytes either parse or are refused with a line
// number, and a parsed script plays to its end.
#include "platform/Script.h"

#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string error;
    auto script = platform::Script::parse(std::string(reinterpret_cast<const char*>(data), size),
                                          error);
    if (!script) {
        if (error.rfind("line ", 0) != 0) std::abort();
        return 0;
    }
    size_t played = script->due(UINT64_MAX, 1e300).size();
    if (played != script->events().size() || !script->finished()) std::abort();
    return 0;
}
