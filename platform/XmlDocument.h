#pragma once

#include <cstddef>
#include <memory>
#include <string>

namespace pugi {
class xml_document;
class xml_node;
} // namespace pugi

namespace platform {

class XmlDocument;

// An element of a parsed document (valid while the document lives). A
// missing element reads as empty: no name, no text, no attributes.
class XmlElement {
public:
    bool exists() const { return node_ != nullptr; }
    std::string name() const;
    // The text of the element's own character data (not its children's).
    std::string text() const;
    std::string attribute(const std::string& name) const;
    // The first child element named `name`.
    XmlElement child(const std::string& name) const;
    // The text of child `name` (empty when there is none).
    std::string childText(const std::string& name) const { return child(name).text(); }

private:
    friend class XmlDocument;
    explicit XmlElement(const void* node) : node_(node) {}
    const void* node_ = nullptr;
};

// A parsed XML document. Documents that come from outside are read with no
// DTD at all: a document type declaration is refused, so no entity is ever
// defined, expanded or fetched.
class XmlDocument {
public:
    // Null when the bytes are not one well-formed element tree, carry a
    // DOCTYPE, or are longer than `maxBytes`.
    static std::unique_ptr<XmlDocument> parse(const char* data, size_t size,
                                              size_t maxBytes = size_t(1) << 20);
    static std::unique_ptr<XmlDocument> parse(const std::string& text) {
        return parse(text.data(), text.size());
    }
    ~XmlDocument();

    XmlElement root() const;

private:
    XmlDocument();
    std::unique_ptr<pugi::xml_document> doc_;
};

// `text` with "<", ">", "&", '"' and "'" as references, so that it stands
// as itself in XML or HTML text and attribute values.
std::string escapeMarkup(const std::string& text);

} // namespace platform
