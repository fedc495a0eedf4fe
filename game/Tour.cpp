#include "game/Tour.h"

#include "engine/Director.h"
#include "game/Autopilot.h"
#include "game/NebularkAppDelegate.h"
#include "game/SavedGameData.h"
#include "game/ScreenFlags.h"
#include "game/minigames/AsteroidAvoid.h"
#include "game/minigames/SpaceShoot.h"
#include "game/minigames/miniGame.h"
#include "game/quickplay/GameScene.h"
#include "platform/Application.h"
#include "platform/ui/AlertView.h"

#include <cstdio>
#include <filesystem>

namespace {

template <class T>
T* running() {
    Director* director = Director::existingDirector();
    return director ? dynamic_cast<T*>(director->runningScene()) : nullptr;
}

double wallSeconds(std::chrono::steady_clock::time_point since) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

} // namespace

bool Tour::lengthNamed(const std::string& name, Length& length) {
    if (name == "full")
        length = Length::Full;
    else if (name == "short")
        length = Length::Short;
    else
        return false;
    return true;
}

Tour::Tour(NebularkAppDelegate* app, Length length, std::string outDir)
    : length_(length), outDir_(std::move(outDir)), walk_(make<Walkthrough>(app)) {}

Tour::~Tour() {
    walk_->stop();
    Autopilot::engage(false);
}

void Tour::start() {
    wallStart_ = std::chrono::steady_clock::now();
    gameStart_ = Walkthrough::now();
    Autopilot::engage(true);
    // The pilot plays one game of a screen, then leaves it.
    Autopilot::setGamesBeforeLeaving(1);
    walk_->onStuck = [this](const std::string& what) { stuck(what); };
    walk_->onRefresh = [this](const std::string& screen) {
        refresh(screen);
        if (walk_->idle() && !finished_) next();
    };
    plan();
    walk_->start();
}

// The screens in the order a player might take them. Each plan queues its
// steps when the one before is done, so it sees what the game is like then
// (which missions are open).
void Tour::plan() {
    const bool full = length_ == Length::Full;
    Walkthrough& w = *walk_;
    plans_ = {
        [&w, this] {
            w.waitFor("SplashLayer");
            w.wait(0.5);
            w.call([this] { shot("Splash"); });
            w.waitFor("HelloWorld", 10);
            w.call([this] { shot("Main menu"); });
        },
        [this] { playQuickPlay(); },
        [&w, this] {
            w.tapItem("Missions");
            w.waitFor("Missions");
            w.call([this] { shot("Missions"); });
            playMission("Mission One", "MissionOne");
        },
        [this] {
            if (saved::openMissions() >= 2) playMission("Mission Two", "MissionTwo");
        },
        [this, full] {
            // The last mission opens nothing: a look at it is enough.
            if (saved::openMissions() < 3) return;
            Walkthrough& w = *walk_;
            w.tapItem("Mission Three");
            w.waitFor("MissionThree");
            w.wait(6);
            w.call([this] { shot("Mission Three"); });
            w.then(
                "playing Mission Three",
                [this, full] {
                    if (platform::AlertView* alert = platform::AlertView::visibleAlert())
                        visit_.note = alert->title();
                    return !visit_.note.empty() || visitSeconds() >= (full ? 12 : 8);
                },
                30);
            w.then("leaving Mission Three", [this] {
                if (!visit_.note.empty()) return true; // the pilot answers
                visit_.note = "left";
                platform::Keyboard::shared().keyDown("escape");
                return true;
            });
            w.waitFor("Missions", 10);
        },
        [&w] {
            w.key("escape");
            w.waitFor("HelloWorld");
            w.tapItem("Minigames");
            w.waitFor("miniGameMenu");
        },
        [this] { shot("Minigames"); },
        [this] { playMinigame("Asteroid Avoid", "AsteroidAvoid"); },
        [this] { playMinigame("DragShip", "miniGame"); },
        [this] { playMinigame("SpaceShoot", "SpaceShoot"); },
        [&w, this] {
            w.key("escape");
            w.waitFor("HelloWorld");
            w.tapItem("Settings");
            w.waitFor("Settings");
            // Sound effects on: a setting a player changes and sees kept.
            w.tap(
                [this] {
                    platform::Switch* sound = walk_->app()->set()->now();
                    return sound->convertPointToWindow(
                        Point(sound->bounds().size.width / 2, sound->bounds().size.height / 2));
                },
                "the sound switch");
            w.wait(0.5);
            w.call([this] {
                visit_.note = saved::exists(saved::kWantsSound) ? "sound effects turned on"
                                                                : "the sound switch did nothing";
                shot("Settings");
            });
            w.key("escape");
            w.waitFor("HelloWorld");
        },
        [&w, this] {
            w.tapItem("High Scores");
            w.waitFor("High");
            w.wait(0.5);
            w.call([this] {
                High* high = walk_->app()->high12();
                visit_.note = "Quick Play " + high->scoreHard() + ", " + high->killedAmount() +
                              " destroyed, SpaceShoot " + high->spaceShoot();
                shot("High Scores");
            });
            w.key("escape");
            w.waitFor("HelloWorld");
        },
        [this] { finish(0); },
    };
}

void Tour::next() {
    while (walk_->idle() && !finished_ && nextPlan_ < plans_.size())
        plans_[nextPlan_++]();
}

void Tour::playQuickPlay() {
    Walkthrough& w = *walk_;
    w.call([this] { Autopilot::setHandsOffAfter(length_ == Length::Full ? 20 : 15); });
    w.tapItem("Quick Play");
    w.waitFor("GameScene");
    // A moment of play: the ship flying and something shot down.
    w.then(
        "waiting for a moment of play",
        [this] {
            GameScene* game = running<GameScene>();
            if (!game || visitSeconds() < 8) return false;
            bool flying = !hasDied && game->scoreInt() > 0;
            if (!flying && !platform::AlertView::visibleAlert() && visitSeconds() < 20)
                return false;
            shot("Quick Play", true);
            return true;
        },
        60);
    untilAlert("Quick Play", {"You lost!"}, 120);
    w.wait(0.5); // the alert fades in
    w.call([this] { shot("Quick Play: game over"); });
    w.waitFor("HelloWorld", 10); // the pilot quits
    w.call([] { Autopilot::setHandsOffAfter(0); });
}

// A lost mission is tried again, as a player would, a few times.
void Tour::playMission(const char* item, const char* screen, int tries) {
    Walkthrough& w = *walk_;
    std::string title = item;
    w.tapItem(item);
    w.waitFor(screen);
    w.wait(6);
    if (tries == kMissionTries) w.call([this, title] { shot(title); });
    untilAlert(title, {"You Win!", "You Got Destoyed!"}, 120);
    w.waitFor("Missions", 10); // the pilot picks a new mission
    w.call([this, item, screen, tries] {
        if (outcome_ == "You Win!" || tries <= 1) return;
        plans_.insert(plans_.begin() + long(nextPlan_),
                      [this, item, screen, tries] { playMission(item, screen, tries - 1); });
    });
}

void Tour::playMinigame(const char* item, const char* screen) {
    Walkthrough& w = *walk_;
    const bool full = length_ == Length::Full;
    std::string title = item;
    std::string name = screen;
    w.call([full] { Autopilot::setHandsOffAfter(full ? 8 : 4); });
    w.tapItem(item);
    w.waitFor(screen);
    w.wait(full ? 5 : 3);
    w.call([this, title] { shot(title); });
    // Until the first hit (the duel: its game over), or enough of a look.
    const double most = full ? 15 : 12;
    w.then(
        "playing " + title,
        [this, most] {
            if (platform::AlertView* alert = platform::AlertView::visibleAlert()) {
                visit_.note = alert->title();
                return true;
            }
            return (hit_ && walk_->screen() != "SpaceShoot") || visitSeconds() >= most;
        },
        most + 5);
    w.then(
        "leaving " + title,
        [this, name] {
            // The pilot answers the duel's game over by going back.
            if (walk_->screen() != name || platform::AlertView::visibleAlert()) return true;
            platform::Keyboard::shared().keyDown("escape");
            return true;
        },
        1);
    w.waitFor("miniGameMenu", 10);
    w.call([] { Autopilot::setHandsOffAfter(0); });
}

void Tour::untilAlert(const std::string& game, const std::vector<std::string>& titles,
                      double timeout) {
    walk_->then(
        "waiting for the end of " + game,
        [this, titles] {
            platform::AlertView* alert = platform::AlertView::visibleAlert();
            if (!alert) return false;
            for (const std::string& t : titles)
                if (alert->title() == t) {
                    visit_.note = outcome_ = t;
                    return true;
                }
            return false;
        },
        timeout);
}

double Tour::visitSeconds() const {
    return Walkthrough::now() - visit_.since;
}

void Tour::refresh(const std::string& screen) {
    if (screen != visit_.screen) {
        if (!visit_.screen.empty()) leave();
        if (!screen.empty()) arrive(screen);
    }
    // What the screen shows, for the visit's line.
    if (GameScene* game = running<GameScene>()) {
        quickPlayScore_ = game->scoreInt();
        quickPlayKills_ = game->amountKilled();
    }
    if (AsteroidAvoid* avoid = running<AsteroidAvoid>()) hit_ = hit_ || avoid->hasdied();
    if (miniGame* drag = running<miniGame>()) hit_ = hit_ || drag->isPausedAfterHit();
    if (SpaceShoot* duel = running<SpaceShoot>()) duelScore_ = duel->score();
}

void Tour::arrive(const std::string& screen) {
    visit_ = Visit{screen, Walkthrough::now(), std::chrono::steady_clock::now(), ""};
    hit_ = false;
}

void Tour::leave() {
    std::string note = visit_.note;
    const std::string& s = visit_.screen;
    if (s == "GameScene")
        note += (note.empty() ? "" : ", ") + std::string("score ") +
                std::to_string(quickPlayScore_) + ", " + std::to_string(quickPlayKills_) +
                " destroyed";
    if (s == "AsteroidAvoid" || s == "miniGame") note = hit_ ? "hit" : "not hit";
    if (s == "SpaceShoot")
        note = std::string(note.empty() ? "left" : "game over") + ", score " +
               std::to_string(duelScore_);
    std::printf("tour: %-14s %-13s %6.1f s played %5.1f s wall  %s\n", screenTitle(s).c_str(),
                s.c_str(), visitSeconds(), wallSeconds(visit_.wallSince), note.c_str());
    std::fflush(stdout);
    visit_ = Visit{};
}

void Tour::shot(const std::string& caption, bool forRun) {
    platform::Window* window = platform::Window::main();
    platform::Image frame = window ? window->lastFrame() : platform::Image();
    if (frame.rgba.empty()) return;
    sheet_.add(frame, caption);
    if (forRun) {
        std::error_code ec;
        std::filesystem::create_directories(outDir_, ec);
        platform::writePng(outDir_ + "/run.png", frame);
    }
}

void Tour::stuck(const std::string& what) {
    std::printf("tour: stuck %s (on %s after %.1f s)\n", what.c_str(),
                walk_->screen().empty() ? "a screen change" : screenTitle(walk_->screen()).c_str(),
                visitSeconds());
    finish(1);
}

void Tour::finish(int status) {
    if (finished_) return;
    finished_ = true;
    if (!visit_.screen.empty()) leave();
    walk_->stop();
    Autopilot::engage(false);
    std::error_code ec;
    std::filesystem::create_directories(outDir_, ec);
    const std::string sheet = outDir_ + "/tour.png";
    bool written = sheet_.write(sheet);
    std::printf("tour: %s in %.1f s played, %.1f s wall; %s\n", status ? "stopped" : "done",
                Walkthrough::now() - gameStart_, wallSeconds(wallStart_),
                written ? (sheet + ", " + outDir_ + "/run.png").c_str() : "no pictures");
    std::fflush(stdout);
    platform::Application::shared().terminate(status);
}
