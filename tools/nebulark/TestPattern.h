#pragma once

#include "platform/Application.h"
#include "platform/RunLoop.h"
#include "platform/View.h"
#include "platform/Window.h"
#include "support/Ref.h"

#include <memory>

// Until the game's screens run, the program shows this pattern: a clear
// colour and a few turning coloured quads, drawn through the same window,
// surface and loop the engine uses.
class TestPatternDelegate : public platform::ApplicationDelegate {
public:
    void applicationDidFinishLaunching() override;
    void applicationWillTerminate() override;

private:
    void drawFrame();

    Ref<platform::Window> window_;
    Ref<platform::View> view_;
    std::unique_ptr<platform::GLSurface> surface_;
    Ref<platform::RunLoopTimer> link_;
    int frame_ = 0;
};
