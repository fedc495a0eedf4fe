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
// beyond four digits) are written rounded and clamped.
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

bool isXmlChar(uint32_t cp) {
    return cp == 0x9 || cp == 0xA || cp == 0xD || (cp >= 0x20 && cp <= 0xD7FF) ||
           (cp >= 0xE000 && cp <= 0xFFFD) || cp >= 0x10000;
}

// Whether `s` holds only characters XML 1.0 allows; in a written document
// (`references`) a numeric reference counts as the character it stands for.
bool onlyXmlCharacters(const std::string& s, bool references) {
    for (size_t i = 0; i < s.size(); ++i) {
        auto c = uint8_t(s[i]);
        if (c < 0x20 && !isXmlChar(c)) return false;
        if (c == 0xEF && i + 2 < s.size() && uint8_t(s[i + 1]) == 0xBF && uint8_t(s[i + 2]) >= 0xBE)
            return false; // U+FFFE, U+FFFF
        if (references && s.compare(i, 2, "&#") == 0) {
            bool hex = i + 2 < s.size() && s[i + 2] == 'x';
            auto cp = std::strtoul(s.c_str() + i + (hex ? 3 : 2), nullptr, hex ? 16 : 10);
            if (!isXmlChar(uint32_t(cp))) return false;
        }
    }
    return true;
}

// Strings holding a character XML cannot carry (a numeric reference of an
// older writer can bring one in).
bool hasNonXmlCharacter(const PlistValue& v) {
    if (auto* s = v.string()) return !onlyXmlCharacters(*s, false);
    if (auto* a = v.array())
        for (auto& item : *a)
            if (hasNonXmlCharacter(item)) return true;
    if (auto* dict = v.dictionary())
        for (auto& [key, item] : *dict)
            if (!onlyXmlCharacters(key, false) || hasNonXmlCharacter(item)) return true;
    return false;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    auto value = platform::parsePropertyList(data, size);
    if (!value) return 0;
    auto xml = platform::propertyListXml(*value);
    if (!xml) {
        if (!hasNonXmlCharacter(*value)) fail("a writable value was refused");
        return 0;
    }
    if (!onlyXmlCharacters(*xml, true)) fail("written XML holds a character XML does not allow");
    auto again =
        platform::parsePropertyList(reinterpret_cast<const uint8_t*>(xml->data()), xml->size());
    if (!again) fail("written XML does not parse");
    if (!hasInexactDate(*value) && !(*again == *value)) fail("round trip changed the value");
    if (platform::propertyListXml(*again) != xml) fail("writing is not stable");
    return 0;
}
