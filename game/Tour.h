#pragma once

#include "game/Walkthrough.h"
#include "platform/ContactSheet.h"

#include <chrono>
#include <functional>
#include <string>
#include <vector>

// The whole game shown by itself, from launch: the splash, the main menu,
// Quick Play flown by the autopilot to its game over, each mission, each
// minigame, the settings (one changed) and the high scores made on the way.
// Every screen is reached by the inputs a player has (taps on menu items,
// Escape for the back arrows, the pilot's tilt and fingers). It prints one
// line per screen visited with the time spent there, writes a moment of
// Quick Play to `out/run.png` and one labelled frame of every screen to
// `out/tour.png`, and ends the program (exit status 1 when a screen did not
// come as expected).
class Tour : public Object {
public:
    // The short tour keeps each visit brief: the same screens, sooner.
    enum class Length { Full, Short };
    static bool lengthNamed(const std::string& name, Length& length);

    Tour(NebularkAppDelegate* app, Length length, std::string outDir = "out");
    ~Tour() override;
    // At launch, before the first frame.
    void start();

private:
    struct Visit {
        std::string screen;
        double since = 0;
        std::chrono::steady_clock::time_point wallSince;
        std::string note;
    };
    using Plan = std::function<void()>;

    void plan();
    void next();
    void refresh(const std::string& screen);
    void arrive(const std::string& screen);
    void leave();
    void shot(const std::string& caption, bool forRun = false);
    void stuck(const std::string& what);
    void finish(int status);

    void playQuickPlay();
    static constexpr int kMissionTries = 3;
    void playMission(const char* item, const char* screen, int tries = kMissionTries);
    void playMinigame(const char* item, const char* screen);
    // Until an alert with one of these titles is up; its title is then the
    // visit's note.
    void untilAlert(const std::string& game, const std::vector<std::string>& titles,
                    double timeout);
    double visitSeconds() const;

    Length length_;
    std::string outDir_;
    Ref<Walkthrough> walk_;
    std::vector<Plan> plans_;
    size_t nextPlan_ = 0;
    Visit visit_;
    platform::ContactSheet sheet_{5, 240};
    std::chrono::steady_clock::time_point wallStart_;
    double gameStart_ = 0;
    bool finished_ = false;
    // What the screens showed while the tour was on them.
    int quickPlayScore_ = 0, quickPlayKills_ = 0, duelScore_ = 0;
    bool hit_ = false;
    std::string outcome_; // the title of the last game-over alert
};
