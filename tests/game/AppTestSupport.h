#pragma once

#include "game/NebularkAppDelegate.h"
#include "platform/ui/AlertView.h"
#include "platform/ui/Animator.h"
#include "render/TextureMgr.h"
#include "screens/QNNotificationManager.h"
#include "tests/engine/EngineTestSupport.h"

namespace test {

// The application on the test window and a manual clock; launching is the
// test's to do.
class AppTest : public EngineTest {
protected:
    void SetUp() override {
        EngineTest::SetUp();
        app = make<NebularkAppDelegate>(Ref<platform::Window>(sharedWindow()));
    }
    void TearDown() override {
        app = nullptr;
        platform::AlertView::resetAll();
        platform::Animator::shared().reset();
        QNNotificationManager::purgeSharedMgr();
        TextureMgr::purgeSharedTextureMgr();
        EngineTest::TearDown();
    }
    // Runs the loop (and so the display-linked director) for `seconds`.
    void runFor(double seconds) {
        double end = clock_.monotonic() + seconds;
        while (clock_.monotonic() < end - 1e-9)
            platform::RunLoop::main().runEventSlice(end - clock_.monotonic());
    }

    Ref<NebularkAppDelegate> app;
};

} // namespace test
