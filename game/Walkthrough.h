#pragma once

#include "support/Geometry.h"
#include "support/Ref.h"

#include <functional>
#include <string>
#include <vector>

class NebularkAppDelegate;
class Scene;

namespace platform {
class RunLoopTimer;
}

// The screen on show, by the class that makes it: "SplashLayer" (the main
// menu under the launch picture), "HelloWorld", "GameScene", "Missions",
// "MissionOne", "MissionTwo", "MissionThree", "miniGameMenu",
// "AsteroidAvoid", "miniGame", "SpaceShoot", "Settings", "High"; empty
// while screens change. `app` tells the platform screens.
std::string screenShown(NebularkAppDelegate* app);
// What a player calls that screen ("Quick Play" for "GameScene").
std::string screenTitle(const std::string& screen);

// Plays the game as a player would, one step at a time: each display
// refresh the current step looks at the game and may touch the screen or
// press a key through the platform's input paths; it says when it is done
// and the next step starts at the next refresh. The game itself is never
// changed from here.
class Walkthrough : public Object {
public:
    using Step = std::function<bool()>; // true when done

    explicit Walkthrough(NebularkAppDelegate* app);
    ~Walkthrough() override;

    // Queues a step; `what` names it when it takes longer than `timeout`
    // seconds of game time.
    void then(std::string what, Step step, double timeout = 5);
    // Drops the queued steps and lifts the finger.
    void clear();
    void start();
    void stop();
    bool idle() const { return steps_.empty(); }
    // Called with the step's name when a step ran out of time (the queue
    // is dropped).
    std::function<void(const std::string& what)> onStuck;
    // Called every refresh with the screen on show, before the step.
    std::function<void(const std::string& screen)> onRefresh;

    // --- steps ---
    // Until `screen` is on show and has been for a moment (its menus and
    // buttons take touches once a screen change has ended).
    void waitFor(const std::string& screen, double timeout = 5);
    // Until `screen` is no longer on show.
    void waitWhile(const std::string& screen, double timeout);
    // `seconds` of game time.
    void wait(double seconds);
    // A tap on the menu item showing `text`, or on a point of the picture as
    // it is seen (window points).
    void tapItem(const std::string& text);
    void tap(std::function<Point()> windowPoint, const std::string& what);
    // A key pressed and let go.
    void key(const std::string& name);
    // Runs `action` once.
    void call(std::function<void()> action);

    // Window point of the centre of the menu item showing `text` in the
    // running scene; false when there is none.
    static bool itemPoint(const std::string& text, Point& windowPoint);
    // Seconds of game time.
    static double now();

    NebularkAppDelegate* app() const { return app_; }
    const std::string& screen() const { return screen_; }

private:
    void refresh();

    struct Queued {
        std::string what;
        Step step;
        double timeout;
    };
    NebularkAppDelegate* app_;
    std::vector<Queued> steps_;
    double stepStarted_ = -1;
    Ref<platform::RunLoopTimer> link_;
    std::string screen_;
    double screenSince_ = 0;
    bool fingerDown_ = false;
    Point fingerAt_;
};
