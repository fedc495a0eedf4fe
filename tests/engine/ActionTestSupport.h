#pragma once

#include "engine/Action.h"
#include "engine/ActionManager.h"
#include "engine/FrameProtocol.h"
#include "engine/IntervalAction.h"
#include "engine/Node.h"
#include "engine/RGBAProtocol.h"
#include "engine/Scheduler.h"
#include "platform/Clock.h"
#include "tests/common/TestSupport.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace test {

// A node that can be faded, tinted and animated, and reports its end.
class ActorNode : public Node, public RGBAProtocol, public FrameProtocol {
public:
    explicit ActorNode(bool* destroyed = nullptr) : destroyed_(destroyed) {}
    ~ActorNode() override {
        if (destroyed_) *destroyed_ = true;
    }

    uint8_t opacity() const override { return opacity_; }
    void setOpacity(uint8_t o) override { opacity_ = o; }
    ccColor3B color() const override { return color_; }
    void setColor(ccColor3B c) override { color_ = c; }

    Ref<Object> displayFrame() override { return frame_; }
    void setDisplayFrame(Object* frame) override {
        frame_ = frame;
        ++frameChanges;
    }
    bool isFrameDisplayed(Object* frame) override { return frame_.get() == frame; }

    bool running() const { return isRunning; }

    uint8_t opacity_ = 255;
    ccColor3B color_ = ccWHITE;
    Ref<Object> frame_;
    int frameChanges = 0;
    bool* destroyed_;
};

class TestAnimation : public AnimationProtocol {
public:
    TestAnimation(float delay, size_t frames) : delay_(delay) {
        for (size_t i = 0; i < frames; ++i)
            frames_.push_back(make<Object>());
    }
    float delay() const override { return delay_; }
    size_t frameCount() const override { return frames_.size(); }
    Object* frameAtIndex(size_t i) const override { return frames_[i].get(); }

    float delay_;
    std::vector<Ref<Object>> frames_;
};

// An interval action that writes its calls into a journal.
class SpyAction : public IntervalAction {
public:
    SpyAction(std::string name, float d, std::vector<std::string>* journal)
        : IntervalAction(d), name_(std::move(name)), journal_(journal) {}
    void start() override {
        IntervalAction::start();
        journal_->push_back(name_ + " start");
    }
    void stop() override {
        journal_->push_back(name_ + " stop");
        IntervalAction::stop();
    }
    void update(float t) override {
        char buf[64];
        std::snprintf(buf, sizeof buf, "%s %g", name_.c_str(), t);
        journal_->push_back(buf);
    }

protected:
    Ref<Action> copyAction() const override { return make<SpyAction>(name_, duration_, journal_); }

    std::string name_;
    std::vector<std::string>* journal_;
};

// Each test starts with no scheduler or action manager and a manual clock.
class ActionTest : public ::testing::Test {
protected:
    void SetUp() override { platform::setClock(&clock_); }
    void TearDown() override {
        ActionManager::purgeSharedManager();
        Scheduler::purgeSharedScheduler();
        platform::setClock(nullptr);
    }

    static void tick(float dt) { Scheduler::sharedScheduler().tick(dt); }
    static ActionManager& manager() { return ActionManager::sharedManager(); }

    // A running node (entered as the root of a tree).
    static Ref<ActorNode> runningActor(bool* destroyed = nullptr) {
        auto n = make<ActorNode>(destroyed);
        n->onEnter();
        return n;
    }

    platform::ManualClock clock_;
};

} // namespace test
