#pragma once

#include "engine/Director.h"
#include "engine/Layer.h"
#include "engine/Node.h"
#include "engine/Scheduler.h"
#include "platform/Clock.h"
#include "platform/RunLoop.h"
#include "platform/Window.h"
#include "tests/common/TestSupport.h"

#include <string>
#include <vector>

namespace test {

// A node that writes what happens to it into a shared journal.
class JournalNode : public Node {
public:
    JournalNode(std::string name, std::vector<std::string>* journal)
        : name_(std::move(name)), journal_(journal) {}
    void onEnter() override {
        Node::onEnter();
        journal_->push_back("enter " + name_);
    }
    void onExit() override {
        journal_->push_back("exit " + name_);
        Node::onExit();
    }
    void onEnterTransitionDidFinish() override {
        Node::onEnterTransitionDidFinish();
        journal_->push_back("finish " + name_);
    }
    void draw() override { journal_->push_back("draw " + name_); }
    void tick(float dt) { journal_->push_back(name_ + " tick " + std::to_string(dt)); }
    bool running() const { return isRunning; }

    std::string name_;
    std::vector<std::string>* journal_;
};

// A fresh engine for each test: manual clock, empty run loop, no director,
// scheduler or action manager left over from another test.
class EngineTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    // Attaches the shared director's view to the test window.
    void attach();
    // Pixels of the last presented frame (rows top to bottom).
    platform::Image frame();

    platform::ManualClock clock_;
};

inline bool near(const uint8_t* px, int r, int g, int b, int tolerance = 2) {
    return std::abs(px[0] - r) <= tolerance && std::abs(px[1] - g) <= tolerance &&
           std::abs(px[2] - b) <= tolerance;
}

inline const uint8_t* at(const platform::Image& img, int x, int y) {
    return img.rgba.data() + (size_t(y) * size_t(img.width) + size_t(x)) * 4;
}

} // namespace test
