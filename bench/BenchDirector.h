#pragma once

// The shared director on the bench window, driven by the main run loop on a
// manual clock (each slice of the loop jumps to the next display refresh),
// and put away again at the end of the benchmark.

#include "bench/BenchWindow.h"
#include "engine/Director.h"
#include "platform/Clock.h"
#include "platform/RunLoop.h"

class BenchDirector {
public:
    BenchDirector() {
        platform::setClock(&clock_);
        loop().setVirtualClock(&clock_);
        Director::setDirectorType(CCDirectorTypeDisplayLink);
        director().attachInView(benchWindow());
    }
    ~BenchDirector() {
        director().end();
        Director::purgeSharedDirector();
        loop().reset();
        loop().setVirtualClock(nullptr);
        platform::setClock(nullptr);
    }
    BenchDirector(const BenchDirector&) = delete;
    BenchDirector& operator=(const BenchDirector&) = delete;

    static Director& director() { return Director::sharedDirector(); }
    static platform::RunLoop& loop() { return platform::RunLoop::main(); }

private:
    platform::ManualClock clock_;
};
