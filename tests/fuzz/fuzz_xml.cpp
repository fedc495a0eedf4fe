// deps: platform
// Parses any bytes as an XML document from outside and reads it as the ad
// clients do: element names, text, attributes, children.
#include "platform/XmlDocument.h"

#include <string>

namespace {

size_t visit(const platform::XmlElement& element, int depth) {
    if (!element.exists() || depth > 4) return 0;
    size_t n = element.name().size() + element.text().size() + element.attribute("id").size();
    for (const char* name : {"ad", "url", "image", "error", ""})
        n += visit(element.child(name), depth + 1);
    return n;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    auto doc = platform::XmlDocument::parse(reinterpret_cast<const char*>(data), size, 1 << 16);
    if (doc) (void)visit(doc->root(), 0);
    return 0;
}
