// deps: platform
// Parses any bytes as a property list; whatever parses must survive being
// written as XML and read back unchanged.
#include "platform/PropertyList.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace {

using platform::PlistValue;

// Dates the XML form cannot spell exactly (fractions of seconds, years
// beyond four digits) only come from binary input.
bool hasInexactDate(const PlistValue& v) {
    if (auto* d = v.date()) {
        double t = d->secondsSince2001;
        return !(std::floor(t) == t && t > -6.3e10 && t < 2.5e11);
    }
    if (auto* a = v.array())
        for (auto& item : *a)
            if (hasInexactDate(item)) return true;
    if (auto* dict = v.dictionary())
        for (auto& [key, item] : *dict)
            if (hasInexactDate(item)) return true;
    return false;
}

[[noreturn]] void fail(const char* what) {
    std::fprintf(stderr, "fuzz_plist: %s\n", what);
    std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    auto value = platform::parsePropertyList(data, size);
    if (!value) return 0;
    std::string xml = platform::propertyListXml(*value);
    auto again =
        platform::parsePropertyList(reinterpret_cast<const uint8_t*>(xml.data()), xml.size());
    if (!again) fail("written XML does not parse");
    if (!hasInexactDate(*value) && !(*again == *value)) fail("round trip changed the value");
    if (platform::propertyListXml(*again) != xml) fail("writing is not stable");
    return 0;
}
