#include "platform/XmlDocument.h"

#include <pugixml.hpp>

namespace platform {

namespace {
pugi::xml_node node(const void* p) {
    // xml_node is a handle around its internal pointer.
    return pugi::xml_node(static_cast<pugi::xml_node_struct*>(const_cast<void*>(p)));
}
} // namespace

std::string XmlElement::name() const {
    return node_ ? node(node_).name() : "";
}

std::string XmlElement::text() const {
    return node_ ? node(node_).text().get() : "";
}

std::string XmlElement::attribute(const std::string& name) const {
    return node_ ? node(node_).attribute(name.c_str()).value() : "";
}

XmlElement XmlElement::child(const std::string& name) const {
    if (!node_) return XmlElement(nullptr);
    pugi::xml_node c = node(node_).child(name.c_str());
    return XmlElement(c ? c.internal_object() : nullptr);
}

XmlDocument::XmlDocument() : doc_(std::make_unique<pugi::xml_document>()) {}
XmlDocument::~XmlDocument() = default;

std::unique_ptr<XmlDocument> XmlDocument::parse(const char* data, size_t size, size_t maxBytes) {
    if (!data || size == 0 || size > maxBytes) return nullptr;
    std::unique_ptr<XmlDocument> doc(new XmlDocument());
    // The DOCTYPE is kept as a node so that it can be refused.
    unsigned options = pugi::parse_default | pugi::parse_doctype;
    pugi::xml_parse_result result =
        doc->doc_->load_buffer(data, size, options, pugi::encoding_auto);
    if (!result) return nullptr;
    for (pugi::xml_node n : doc->doc_->children())
        if (n.type() == pugi::node_doctype) return nullptr;
    if (!doc->doc_->document_element()) return nullptr;
    return doc;
}

XmlElement XmlDocument::root() const {
    pugi::xml_node r = doc_->document_element();
    return XmlElement(r ? r.internal_object() : nullptr);
}

std::string escapeMarkup(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        switch (c) {
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '&':
            out += "&amp;";
            break;
        case '"':
            out += "&quot;";
            break;
        case '\'':
            out += "&#39;";
            break;
        default:
            out += c;
        }
    }
    return out;
}

} // namespace platform
