#include "game/QBButtonNode.h"

#include "engine/TouchDispatcher.h"
#include "render/TextureMgr.h"

Ref<QBButtonNode> QBButtonNode::spriteWithFile(const std::string& fileName) {
    return make<QBButtonNode>(TextureMgr::sharedTextureMgr().addImage(fileName).get());
}

QBButtonNode::QBButtonNode(Texture2D* texture) {
    if (texture) setTexture(texture);
}

void QBButtonNode::alias() {
    if (texture_) texture_->setAliasTexParameters();
}

void QBButtonNode::onEnter() {
    alias();
    TouchDispatcher::sharedDispatcher().addTargetedDelegate(this, 0, false);
    platform::Keyboard::shared().addResponder(this);
    Sprite::onEnter();
}

void QBButtonNode::onExit() {
    TouchDispatcher::sharedDispatcher().removeDelegate(this);
    platform::Keyboard::shared().removeResponder(this);
    Sprite::onExit();
}

bool QBButtonNode::contains(Touch* touch) {
    Point p = convertTouchToNodeSpace(touch);
    Size s = contentSize();
    return Rect(0, 0, s.width + kReach, s.height + kReach).contains(p);
}

bool QBButtonNode::ccTouchBegan(Touch* touch, Event*) {
    if (hasBeenTouched_) return false;
    hasBeenTouched_ = true;
    if (contains(touch)) {
        if (delegate_) delegate_->didPressDown();
        alias();
        return true;
    }
    if (delegate_) delegate_->stoppedPressing();
    hasBeenTouched_ = false;
    return false;
}

void QBButtonNode::ccTouchEnded(Touch* touch, Event*) {
    if (delegate_) {
        if (contains(touch))
            delegate_->didPressButton();
        else
            delegate_->stoppedPressing();
    }
    alias();
    hasBeenTouched_ = false;
}

void QBButtonNode::ccTouchCancelled(Touch*, Event*) {
    // Without this a cancelled press (the window lost the pointer, an alert
    // came up) would leave the button refusing every later touch.
    if (delegate_) delegate_->stoppedPressing();
    hasBeenTouched_ = false;
}

bool QBButtonNode::keyDown(const std::string& key) {
    if (key != "escape" || !delegate_ || !visible_) return false;
    delegate_->didPressDown();
    delegate_->didPressButton();
    return true;
}
