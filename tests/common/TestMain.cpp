#include "tests/common/TestSupport.h"

#include <gtest/gtest.h>

#include <cstdlib>

int main(int argc, char** argv) {
    // Tests draw offscreen and play sound into nothing, whatever the machine
    // offers; saved data and resources come from known places.
    setenv("SDL_VIDEODRIVER", "offscreen", 1);
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    setenv("ALSOFT_DRIVERS", "null", 0);
    setenv("NEBULARK_TEST_DATA", NEBULARK_TEST_DATA, 0);
    setenv("NEBULARK_RESOURCES", NEBULARK_RESOURCES_DIR, 0);
    ::testing::InitGoogleTest(&argc, argv);
    // The GL driver's threads must be gone before the leak check at exit.
    struct WindowEnvironment : ::testing::Environment {
        void TearDown() override { test::releaseSharedWindow(); }
    };
    ::testing::AddGlobalTestEnvironment(new WindowEnvironment);
    return RUN_ALL_TESTS();
}
