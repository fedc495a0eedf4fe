#include "game/Autopilot.h"

#include "engine/Director.h"
#include "engine/TouchDispatcher.h"
#include "platform/Accelerometer.h"
#include "platform/Application.h"
#include "platform/Clock.h"
#include "platform/InterfaceOrientation.h"
#include "platform/Keyboard.h"
#include "platform/Options.h"
#include "platform/RunLoop.h"
#include "platform/System.h"
#include "platform/TouchInput.h"
#include "platform/ui/AlertView.h"

#include <algorithm>
#include <cmath>

namespace {

// Finger ids of the pilot's hand, apart from the mouse's and a script's.
constexpr int64_t kSteerFinger = 7001;
constexpr int64_t kFireFinger = 7002;

int gamesBeforeLeaving = 0;

platform::TouchInput* touches() { return platform::Application::shared().touchInput(); }

Point toWindow(Point scenePoint) { return Director::sharedDirector().convertToUI(scenePoint); }

} // namespace

void Autopilot::setGamesBeforeLeaving(int games) { gamesBeforeLeaving = std::max(games, 0); }

namespace {
bool engaged = false;
double handsOffAfter = 0;
} // namespace

void Autopilot::setHandsOffAfter(double seconds) { handsOffAfter = std::max(seconds, 0.0); }

bool Autopilot::wanted() { return engaged || platform::options().autoplay; }

void Autopilot::engage(bool on) { engaged = on; }

Ref<Autopilot> Autopilot::fly(PilotScreen* screen) {
    Ref<Autopilot> pilot = make<Autopilot>(screen);
    Autopilot* raw = pilot.get();
    pilot->link_ = platform::RunLoop::main().addDisplayLink(1, [raw] { raw->tick(); });
    return pilot;
}

Autopilot::Autopilot(PilotScreen* screen) : screen_(screen) {}

Autopilot::~Autopilot() { land(); }

void Autopilot::land() {
    if (link_) {
        link_->invalidate();
        link_ = nullptr;
    }
    if (!screen_) return;
    liftAll();
    if (tilting_) platform::Accelerometer::sharedAccelerometer().setScriptedTilt(std::nullopt);
    tilting_ = false;
    screen_ = nullptr;
}

void Autopilot::tick() {
    double now = platform::clock().monotonic();
    double dt = lastTick_ < 0 ? 0 : now - lastTick_;
    lastTick_ = now;
    step(dt);
}

void Autopilot::step(double dt) {
    if (!screen_) return;
    if (answerAlert(dt)) return;
    if (handsOffAfter > 0 && flown_ >= handsOffAfter) {
        liftAll();
        if (tilting_) platform::Accelerometer::sharedAccelerometer().setScriptedTilt(std::nullopt);
        tilting_ = false;
        return;
    }
    screen_->describe(sight_);
    // While a screen change is under way touches reach nobody: a finger put
    // down now would be held without the screen ever seeing it.
    if (!sight_.shipActive || !TouchDispatcher::sharedDispatcher().dispatchEvents()) {
        // Fingers come off while the ship is away and go down again when it
        // is back, as a player's would: a touch that began meanwhile fires
        // nothing.
        liftAll();
        return;
    }
    flown_ += dt;
    chooseGoal();
    steer(dt);
}

// An alert is read for a moment, then answered with the keys: the first
// button (play on), or the last (leave) once enough games are over.
bool Autopilot::answerAlert(double dt) {
    platform::AlertView* alert = platform::AlertView::visibleAlert();
    if (!alert) {
        answered_ = nullptr;
        alertShownFor_ = 0;
        return false;
    }
    liftAll();
    if (alert == answered_) return true; // fading out
    alertShownFor_ += dt;
    if (alertShownFor_ < kReadingTime) return true;
    answered_ = alert;
    alertShownFor_ = 0;
    ++gamesOver_;
    auto& keyboard = platform::Keyboard::shared();
    if (gamesBeforeLeaving > 0 && gamesOver_ >= gamesBeforeLeaving) {
        const int leave = sight_.leaveButton >= 0 && sight_.leaveButton < alert->numberOfButtons()
                              ? sight_.leaveButton
                              : alert->numberOfButtons() - 1;
        for (int i = 0; i < alert->numberOfButtons() && alert->focusedButtonIndex() != leave; ++i)
            keyboard.keyDown("tab");
    }
    keyboard.keyDown("return");
    return true;
}

float Autopilot::speed() const {
    return sight_.topSpeed > 0 ? std::min(sight_.topSpeed, kHandSpeed) : kHandSpeed;
}

// How bad it would be to head for `x` now: every threat whose path crosses
// the ship's on the way there, the sooner the worse.
float Autopilot::danger(float x) const {
    const PilotSight& s = sight_;
    const float v = speed();
    const float shipBottom = s.ship.y - s.shipSize.height / 2;
    const float shipTop = s.ship.y + s.shipSize.height / 2;
    float total = 0;
    for (const PilotSight::Thing& t : s.threats) {
        const float bottom = t.position.y - t.size.height / 2;
        const float top = t.position.y + t.size.height / 2;
        float enter, leave;
        if (t.velocity.y < 0) {
            enter = (bottom - shipTop) / -t.velocity.y;
            leave = (top - shipBottom) / -t.velocity.y;
        } else if (t.velocity.y > 0) { // rising from below
            enter = (shipBottom - top) / t.velocity.y;
            leave = (shipTop - bottom) / t.velocity.y;
        } else if (bottom < shipTop && top > shipBottom) {
            enter = 0;
            leave = kLookAhead;
        } else {
            continue;
        }
        if (leave < 0 || enter > (t.shootable ? kShootableLookAhead : kLookAhead)) continue;
        enter = std::max(enter, 0.0f);
        const float reach = (t.size.width + s.shipSize.width) / 2 + kMargin;
        // The whole time the threat is level with the ship, not a few
        // moments of it (a quick crossing slips between them): the gap
        // between the two changes straight on until the ship arrives, then
        // straight on again.
        auto gap = [&](float when) {
            return s.ship.x + std::clamp(x - s.ship.x, -v * when, v * when) -
                   (t.position.x + t.velocity.x * when);
        };
        const float arrives = std::fabs(x - s.ship.x) / v;
        float before = gap(enter);
        bool meets = std::fabs(before) < reach;
        for (float when : {std::clamp(arrives, enter, leave), leave}) {
            const float now = gap(when);
            meets = meets || std::fabs(now) < reach || (now > 0) != (before > 0);
            before = now;
        }
        if (meets) total += 100 + 1000 / (enter + 0.1f);
    }
    return total;
}

void Autopilot::chooseGoal() {
    const PilotSight& s = sight_;
    const float v = speed();
    const float cruiseY = std::clamp(s.field.minY() + s.shipSize.height, s.field.minY(),
                                     s.field.maxY());
    float want = s.ship.x;
    bool chasing = false;

    // A pickup that can still be reached before it passes, the soonest first.
    float soonest = 1e9f;
    for (const PilotSight::Thing& p : s.pickups) {
        if (p.velocity.y >= 0 || p.position.y < s.ship.y) continue;
        float arrives = (p.position.y - s.ship.y) / -p.velocity.y;
        if (std::fabs(p.position.x - s.ship.x) / v > arrives + 0.1f || arrives >= soonest) continue;
        soonest = arrives;
        want = p.position.x;
        chasing = true;
    }
    // Else under the nearest target above, leading it by the shot's flight.
    if (!chasing) {
        float nearest = 1e9f;
        for (const PilotSight::Thing& t : s.targets) {
            float above = t.position.y - s.ship.y;
            if (above < s.shipSize.height) continue;
            float d = std::hypot(t.position.x - s.ship.x, above);
            if (d >= nearest) continue;
            nearest = d;
            float flight = s.shotSpeed > 0 ? above / s.shotSpeed : 0;
            want = t.position.x + t.velocity.x * flight;
        }
    }
    want = std::clamp(want, s.field.minX(), s.field.maxX());

    // The safest place near where it wants to be.
    float bestX = s.ship.x, bestCost = 1e30f;
    for (float x = s.field.minX(); x <= s.field.maxX() + 0.01f; x += 5) {
        float cost = danger(x) + std::fabs(x - want) * 0.05f + std::fabs(x - s.ship.x) * 0.01f;
        if (cost < bestCost) {
            bestCost = cost;
            bestX = x;
        }
    }
    goal_ = Point(bestX, cruiseY);
}

void Autopilot::steer(double dt) {
    const PilotSight& s = sight_;
    const Point d(goal_.x - s.ship.x, goal_.y - s.ship.y);
    switch (s.controls) {
    case PilotSight::Controls::Tilt: {
        fire(dt);
        auto& accelerometer = platform::Accelerometer::sharedAccelerometer();
        // One sample should cover at most what the hand allows.
        const float most = kHandSpeed * float(accelerometer.updateInterval());
        platform::Acceleration a;
        a.x = std::clamp(std::clamp(d.x, -most, most) / s.tiltGain.x - s.tiltBias.x, -1.0f, 1.0f);
        a.y = std::clamp(std::clamp(d.y, -most, most) / s.tiltGain.y - s.tiltBias.y, -1.0f, 1.0f);
        a.z = -std::sqrt(std::max(0.0, 1.0 - a.x * a.x - a.y * a.y));
        // The hand tilts the picture as it is seen; a turned device reports
        // that in its own axes.
        platform::Tilt t =
            platform::deviceTiltFromUpright({a.x, a.y}, platform::StatusBar::orientation());
        a.x = t.x;
        a.y = t.y;
        accelerometer.setScriptedTilt(a);
        tilting_ = true;
        break;
    }
    case PilotSight::Controls::Drag: {
        if (!steerDown_) press(kSteerFinger, s.ship); // grab the ship
        const Point aim(goal_.x - s.dragOffset.x, goal_.y - s.dragOffset.y);
        const float most = kHandSpeed * float(dt);
        Point next(steerAt_.x + std::clamp(aim.x - steerAt_.x, -most, most),
                   steerAt_.y + std::clamp(aim.y - steerAt_.y, -most, most));
        if (std::fabs(next.x - steerAt_.x) + std::fabs(next.y - steerAt_.y) > 0.01f)
            moveFinger(kSteerFinger, next);
        break;
    }
    case PilotSight::Controls::Joystick: {
        if (!steerDown_) press(kSteerFinger, s.joystickCenter);
        fire(dt);
        const float distance = std::hypot(d.x, d.y);
        Point knob = s.joystickCenter;
        if (distance > 2) {
            // Deflection moves the ship at (deflection + 2) * 3.1 points per
            // second: enough to arrive, not to overshoot.
            float wanted = distance / float(std::max(dt, 1.0 / 60));
            float deflection = std::clamp(wanted / 3.1f - 2, 2.0f, s.joystickReach);
            knob = Point(s.joystickCenter.x + d.x / distance * deflection,
                         s.joystickCenter.y + d.y / distance * deflection);
        }
        if (knob != steerAt_) moveFinger(kSteerFinger, knob);
        break;
    }
    case PilotSight::Controls::None:
        fire(dt);
        break;
    }
}

void Autopilot::fire(double dt) {
    const PilotSight& s = sight_;
    if (!s.firesByTapping) {
        if (!fireDown_) press(kFireFinger, s.fireSpot);
        return;
    }
    nextTap_ -= dt;
    if (fireDown_) { // a tap is a frame long
        platform::TouchInput* input = touches();
        if (input) input->ended(kFireFinger, toWindow(s.fireSpot));
        fireDown_ = false;
    } else if (nextTap_ <= 0 && linedUp()) {
        press(kFireFinger, s.fireSpot);
        nextTap_ = kTapInterval;
    }
}

// A target above that a shot fired now would meet.
bool Autopilot::linedUp() const {
    const PilotSight& s = sight_;
    for (const PilotSight::Thing& t : s.targets) {
        float above = t.position.y - s.ship.y;
        if (above <= 0) continue;
        float flight = s.shotSpeed > 0 ? above / s.shotSpeed : 0;
        if (std::fabs(t.position.x + t.velocity.x * flight - s.ship.x) < t.size.width / 2)
            return true;
    }
    return false;
}

void Autopilot::press(int64_t finger, Point scenePoint) {
    platform::TouchInput* input = touches();
    if (!input) return;
    input->began(finger, toWindow(scenePoint));
    if (finger == kSteerFinger) {
        steerDown_ = true;
        steerAt_ = scenePoint;
    } else {
        fireDown_ = true;
    }
}

void Autopilot::moveFinger(int64_t finger, Point scenePoint) {
    platform::TouchInput* input = touches();
    if (!input) return;
    input->moved(finger, toWindow(scenePoint));
    if (finger == kSteerFinger) steerAt_ = scenePoint;
}

void Autopilot::liftAll() {
    platform::TouchInput* input = touches();
    // The fire finger first: in the joystick scheme any lifted finger lets
    // go of the stick.
    if (fireDown_ && input) input->ended(kFireFinger, toWindow(sight_.fireSpot));
    if (steerDown_ && input) input->ended(kSteerFinger, toWindow(steerAt_));
    fireDown_ = steerDown_ = false;
}
