#include "tests/engine/EngineTestSupport.h"

#include "engine/ActionManager.h"
#include "engine/TouchDispatcher.h"
#include "platform/Accelerometer.h"
#include "platform/System.h"

namespace test {

void EngineTest::SetUp() {
    platform::setClock(&clock_);
    platform::RunLoop::main().reset();
    platform::RunLoop::main().setVirtualClock(&clock_);
    platform::setSystemVersion("3.1");
    sharedWindow();
}

void EngineTest::TearDown() {
    if (Director* d = Director::existingDirector()) {
        if (d->runningScene() || d->isOpenGLAttached()) d->end();
    }
    Director::purgeSharedDirector();
    ActionManager::purgeSharedManager();
    Scheduler::purgeSharedScheduler();
    TouchDispatcher::sharedDispatcher().removeAllDelegates();
    TouchDispatcher::sharedDispatcher().setDispatchEvents(true);
    platform::Accelerometer::sharedAccelerometer().reset();
    // A screen left in landscape would turn the shared window for the next test.
    platform::StatusBar::setOrientation(1, false);
    platform::RunLoop::main().reset();
    platform::RunLoop::main().setVirtualClock(nullptr);
    platform::setClock(nullptr);
}

void EngineTest::attach() {
    platform::Window* window = sharedWindow();
    ASSERT_NE(window, nullptr);
    ASSERT_TRUE(Director::sharedDirector().attachInView(window));
}

platform::Image EngineTest::frame() { return sharedWindow()->lastFrame(); }

} // namespace test
