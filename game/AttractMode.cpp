#include "game/AttractMode.h"

#include "engine/Director.h"
#include "engine/TransitionScene.h"
#include "game/Autopilot.h"
#include "game/HelloWorld.h"
#include "game/SavedGameData.h"
#include "game/minigames/AsteroidAvoid.h"
#include "game/minigames/SpaceShoot.h"
#include "game/minigames/miniGame.h"
#include "game/missions/MissionOne.h"
#include "game/missions/MissionThree.h"
#include "game/missions/MissionTwo.h"
#include "game/quickplay/GameScene.h"
#include "platform/Application.h"
#include "platform/ui/AlertView.h"

namespace {

constexpr float kFadeSeconds = 0.5f;

struct Show {
    const char* screen;
    Ref<Scene> (*make)();
};
const Show kQuickPlay = {"GameScene", [] { return Ref<Scene>(GameScene::scene()); }};
const Show kMissions[] = {
    {"MissionOne", [] { return Ref<Scene>(MissionOne::scene()); }},
    {"MissionTwo", [] { return Ref<Scene>(MissionTwo::scene()); }},
    {"MissionThree", [] { return Ref<Scene>(MissionThree::scene()); }},
};
const Show kMinigames[] = {
    {"AsteroidAvoid", &AsteroidAvoid::scene},
    {"miniGame", &miniGame::scene},
    {"SpaceShoot", &SpaceShoot::scene},
};

} // namespace

AttractMode::AttractMode(NebularkAppDelegate* app) : walk_(make<Walkthrough>(app)) {}

void AttractMode::setTimes(double idleSeconds, double showSeconds) {
    idleSeconds_ = idleSeconds;
    showSeconds_ = showSeconds;
}

AttractMode::~AttractMode() {
    stop();
}

void AttractMode::start() {
    idleSince_ = Walkthrough::now();
    platform::Application::shared().setUserInputObserver([this] { return playerPressed(); });
    walk_->onRefresh = [this](const std::string& screen) { refresh(screen); };
    walk_->start();
}

void AttractMode::stop() {
    walk_->stop();
    platform::Application::shared().setUserInputObserver(nullptr);
    if (playing_) {
        Autopilot::engage(false);
        saved::holdWrites(false);
        playing_ = false;
    }
}

bool AttractMode::playerPressed() {
    idleSince_ = Walkthrough::now();
    if (!playing_ || returning_) return playing_;
    backToMenu();
    return true;
}

void AttractMode::refresh(const std::string& screen) {
    const double now = Walkthrough::now();
    if (returning_) {
        // The screen that was playing has gone (and kept nothing).
        if (screen == "HelloWorld") {
            returning_ = playing_ = false;
            saved::holdWrites(false);
            idleSince_ = now;
        }
        return;
    }
    if (!playing_) {
        if (screen != "HelloWorld" || platform::AlertView::visibleAlert()) idleSince_ = now;
        if (now - idleSince_ >= idleSeconds_) {
            playing_ = true;
            saved::holdWrites(true);
            Autopilot::engage(true);
            Autopilot::setGamesBeforeLeaving(1);
            showNext();
        }
        return;
    }
    if (screen.empty()) return; // changing screens
    // A screen left by itself (its game ended), or shown long enough.
    if (screen != showing_ || now - shownSince_ >= showSeconds_) showNext();
}

void AttractMode::showNext() {
    const Show* show = &kQuickPlay;
    if (turn_ == 1) show = &kMissions[mission_++ % 3];
    if (turn_ == 2) show = &kMinigames[minigame_++ % 3];
    turn_ = (turn_ + 1) % 3;
    showing_ = show->screen;
    shownSince_ = Walkthrough::now();
    platform::AlertView::resetAll();
    Director::sharedDirector().replaceScene(
        FadeTransition::transitionWithDuration(kFadeSeconds, show->make().get()).get());
}

void AttractMode::backToMenu() {
    returning_ = true;
    Autopilot::engage(false);
    // Alerts of the screen that was playing go with it, unanswered.
    platform::AlertView::resetAll();
    Director::sharedDirector().replaceScene(HelloWorld::scene().get());
}
