#pragma once

#include "support/Types.h"

#include <cstdint>

// What a node offers to be faded and tinted: an 8-bit opacity and a colour.
// Texture nodes, labels and colour layers implement it.
class RGBAProtocol {
public:
    virtual ~RGBAProtocol() = default;
    virtual uint8_t opacity() const = 0;
    virtual void setOpacity(uint8_t opacity) = 0;
    virtual ccColor3B color() const = 0;
    virtual void setColor(ccColor3B color) = 0;
};
