#pragma once

#include <string>

// What a node offers to show a text that can be changed: the labels, so
// that menu items can take any of them.
class LabelProtocol {
public:
    virtual ~LabelProtocol() = default;
    virtual void setString(const std::string& text) = 0;
    virtual const std::string& string() const = 0;
};
