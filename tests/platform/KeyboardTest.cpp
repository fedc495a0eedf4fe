#include "platform/Keyboard.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

using platform::Keyboard;
using platform::KeyResponder;

namespace {

struct Recorder : KeyResponder {
    Recorder(std::string name, std::vector<std::string>& log, bool uses)
        : name(std::move(name)), log(log), uses(uses) {}
    bool keyDown(const std::string& key) override {
        log.push_back(name + ":" + key);
        if (onKey) onKey();
        return uses;
    }
    std::string name;
    std::vector<std::string>& log;
    bool uses;
    std::function<void()> onKey;
};

} // namespace

TEST(Keyboard, OffersByPriorityNewestFirstUntilOneUsesTheKey) {
    Keyboard& kb = Keyboard::shared();
    std::vector<std::string> log;
    Recorder menu("menu", log, false), back("back", log, true), alert("alert", log, false),
        late("late", log, false);
    kb.addResponder(&menu);
    kb.addResponder(&back);
    kb.addResponder(&alert, Keyboard::kModalPriority);
    kb.addResponder(&late, 5);
    EXPECT_TRUE(kb.keyDown("escape"));
    EXPECT_EQ(log, (std::vector<std::string>{"alert:escape", "back:escape"}));

    // A responder that leaves during a press (a back key closing its screen)
    // takes the one it removes out of the same press.
    log.clear();
    back.onKey = [&] { kb.removeResponder(&menu); };
    back.uses = false;
    EXPECT_FALSE(kb.keyDown("up"));
    EXPECT_EQ(log, (std::vector<std::string>{"alert:up", "back:up", "late:up"}));

    for (auto* r : {&menu, &back, &alert, &late}) kb.removeResponder(r);
    EXPECT_FALSE(kb.keyDown("up"));
}
