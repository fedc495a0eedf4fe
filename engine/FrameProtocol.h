#pragma once

#include "support/Ref.h"

#include <cstddef>

// What a node offers to be animated frame by frame. A frame is whatever the
// node displays (a texture for a sprite, a rectangle of the sheet for an
// atlas sprite); the node knows its own kind.
class FrameProtocol {
public:
    virtual ~FrameProtocol() = default;
    // The frame shown now (atlas sprites make a new one each time).
    virtual Ref<Object> displayFrame() = 0;
    virtual void setDisplayFrame(Object* frame) = 0;
    virtual bool isFrameDisplayed(Object* frame) = 0;
};

// A named sequence of frames shown one after another, `delay` seconds each.
class AnimationProtocol : public Object {
public:
    virtual float delay() const = 0;
    virtual size_t frameCount() const = 0;
    virtual Object* frameAtIndex(size_t index) const = 0;
};
