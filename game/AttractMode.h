#pragma once

#include "game/Walkthrough.h"

// What a player sees when they leave the main menu alone: after a while
// without input the game plays itself, flown by the autopilot, Quick Play,
// then a mission, then a minigame, in turn (each until its game ends or for
// a while). Nothing it plays is saved. Any key, click or touch of the
// player's brings the main menu back at once, and does nothing else.
class AttractMode : public Object {
public:
    explicit AttractMode(NebularkAppDelegate* app);
    ~AttractMode() override;

    // Watches the main menu and the player's input.
    void start();
    void stop();
    bool playing() const { return playing_; }
    // How long the menu waits, and the longest one screen is shown.
    void setTimes(double idleSeconds, double showSeconds);

    static constexpr double kIdleSeconds = 30;
    static constexpr double kShowSeconds = 40;

private:
    bool playerPressed();
    void refresh(const std::string& screen);
    void showNext();
    void backToMenu();

    Ref<Walkthrough> walk_;
    double idleSeconds_ = kIdleSeconds;
    double showSeconds_ = kShowSeconds;
    double idleSince_ = 0;
    bool playing_ = false;
    bool returning_ = false;
    std::string showing_;
    double shownSince_ = 0;
    int turn_ = 0, mission_ = 0, minigame_ = 0;
};
