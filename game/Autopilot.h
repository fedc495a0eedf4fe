#pragma once

#include "support/Geometry.h"
#include "support/Ref.h"

#include <cstdint>
#include <vector>

namespace platform {
class RunLoopTimer;
}

// What a game screen shows the autopilot each frame: where things are and
// how they move, and how the screen's controls turn input into motion. All
// points are scene points (origin bottom-left), speeds points per second.
struct PilotSight {
    // None: the ship cannot be steered, only fired.
    enum class Controls { Tilt, Drag, Joystick, None };

    struct Thing {
        Point position; // centre
        Point velocity;
        Size size;
        // A threat the ship's shots destroy: one straight above is dealt
        // with by shooting until it is close.
        bool shootable = false;
    };

    Controls controls = Controls::Tilt;
    // Where the ship's centre may go.
    Rect field;
    // The ship is in play and answers the controls.
    bool shipActive = false;
    Point ship;
    Size shipSize;
    // The fastest the controls move the ship; 0 when only the hand limits it.
    float topSpeed = 0;
    // How fast the ship's shots fly up.
    float shotSpeed = 0;

    // Tilt: each sample (ax, ay) moves the ship by
    // ((ax + tiltBias.x) * tiltGain.x, (ay + tiltBias.y) * tiltGain.y).
    Point tiltGain;
    Point tiltBias;
    // Drag: the ship sits this far from the finger that drags it.
    Point dragOffset;
    // Joystick: the stick's centre and how far its knob goes.
    Point joystickCenter;
    float joystickReach = 0;
    // A finger here fires without pressing anything else.
    Point fireSpot;

    // What must not touch the ship, what to shoot, what to catch.
    std::vector<Thing> threats;
    std::vector<Thing> targets;
    std::vector<Thing> pickups;

    // Empties the lists, keeping their room.
    void clearThings() {
        threats.clear();
        targets.clear();
        pickups.clear();
    }
};

// A screen the autopilot can fly: it describes itself, read-only.
class PilotScreen {
public:
    virtual ~PilotScreen() = default;
    virtual void describe(PilotSight& sight) = 0;
};

// Plays a game screen with the inputs a player has: tilt samples (through
// the accelerometer's scripted tilt), fingers on the window (through the
// platform's touch input) and keys for alerts. It never moves the ship or
// changes the game itself. Each display refresh it looks at the screen,
// picks where the ship should be (out of the path of every threat, on the
// way to a pickup, else under the nearest target) and moves its hand there.
// It keeps a finger down to fire while the ship is in play. It holds no
// randomness: the same game with the same frames plays the same.
class Autopilot : public Object {
public:
    // Starts flying `screen` at every display refresh; the screen calls
    // land() before it goes.
    static Ref<Autopilot> fly(PilotScreen* screen);
    explicit Autopilot(PilotScreen* screen);
    ~Autopilot() override;

    // Lifts every finger, lets go of the tilt and stops.
    void land();
    bool flying() const { return screen_ != nullptr; }

    // One look and one move of the hand, `dt` seconds after the last one.
    void step(double dt);

    // Where the pilot wants the ship (last step).
    Point goal() const { return goal_; }

    // Game-over alerts: after this many the pilot chooses the last button
    // (leave) instead of the first (play again); 0 plays on for ever.
    static void setGamesBeforeLeaving(int games);

    // How fast a finger moves or tilt steers, points per second.
    static constexpr float kHandSpeed = 420;
    // How far ahead threats are watched, seconds; shootable ones only once
    // they are this close, as shots would have met them before.
    static constexpr float kLookAhead = 1.2f;
    static constexpr float kShootableLookAhead = 0.6f;
    // Room kept between the ship and a threat, points.
    static constexpr float kMargin = 8;
    // Seconds an alert is read before it is answered.
    static constexpr double kReadingTime = 1.0;

private:
    void tick();
    bool answerAlert(double dt);
    void chooseGoal();
    float speed() const;
    float danger(float x) const;
    void steer(double dt);
    void press(int64_t finger, Point scenePoint);
    void moveFinger(int64_t finger, Point scenePoint);
    void liftAll();

    PilotScreen* screen_;
    PilotSight sight_;
    Ref<platform::RunLoopTimer> link_;
    double lastTick_ = -1;
    Point goal_;
    bool steerDown_ = false, fireDown_ = false;
    Point steerAt_;
    bool tilting_ = false;
    double alertShownFor_ = 0;
    const void* answered_ = nullptr;
    int gamesOver_ = 0;
};
