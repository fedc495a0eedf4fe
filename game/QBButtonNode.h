#pragma once

#include "engine/TouchDelegate.h"
#include "platform/Keyboard.h"
#include "render/Sprite.h"

#include <string>

// What a QBButtonNode reports. Each operation is optional.
class QBButtonDelegate {
public:
    virtual ~QBButtonDelegate() = default;
    // A touch began on the button.
    virtual void didPressDown() {}
    // A touch began off the button, or ended (or was cancelled) off it.
    virtual void stoppedPressing() {}
    // A touch that began on the button ended on it.
    virtual void didPressButton() {}
};

// A picture that works as a button (the "back" arrow of the game screens).
// It listens for touches while it is in the running tree, one touch at a
// time; the touch area reaches 20 points past its right and top edges. The
// Escape key presses it.
class QBButtonNode : public Sprite, public TargetedTouchDelegate, public platform::KeyResponder {
public:
    // A file that cannot be loaded gives a button without a picture that
    // still answers within its 20-point margin.
    static Ref<QBButtonNode> spriteWithFile(const std::string& fileName);
    explicit QBButtonNode(Texture2D* texture);

    QBButtonDelegate* delegate() const { return delegate_; }
    // Not held.
    void setDelegate(QBButtonDelegate* delegate) { delegate_ = delegate; }
    bool hasBeenTouched() const { return hasBeenTouched_; }

    void onEnter() override;
    void onExit() override;

    bool ccTouchBegan(Touch* touch, Event* event) override;
    void ccTouchEnded(Touch* touch, Event* event) override;
    void ccTouchCancelled(Touch* touch, Event* event) override;
    bool keyDown(const std::string& key) override;

    static constexpr float kReach = 20;

private:
    bool contains(Touch* touch);
    void alias();

    bool hasBeenTouched_ = false;
    QBButtonDelegate* delegate_ = nullptr;
};
