#include "game/Walkthrough.h"

#include "engine/Director.h"
#include "engine/TouchDispatcher.h"
#include "game/HelloWorld.h"
#include "game/NebularkAppDelegate.h"
#include "game/SplashLayer.h"
#include "game/minigames/AsteroidAvoid.h"
#include "game/minigames/SpaceShoot.h"
#include "game/minigames/miniGame.h"
#include "game/minigames/miniGameMenu.h"
#include "game/missions/MissionOne.h"
#include "game/missions/MissionThree.h"
#include "game/missions/MissionTwo.h"
#include "game/missions/Missions.h"
#include "game/quickplay/GameScene.h"
#include "platform/Application.h"
#include "platform/Clock.h"
#include "platform/Keyboard.h"
#include "platform/RunLoop.h"
#include "platform/TouchInput.h"
#include "render/LabelProtocol.h"
#include "render/MenuItem.h"

#include <typeinfo>

namespace {

// The walkthrough's finger, apart from the mouse's, a script's and the
// autopilot's.
constexpr int64_t kFinger = 7100;
// A screen that has just arrived is given this long before it is touched.
constexpr double kSettle = 0.3;

template <class T>
T* find(Node* node) {
    if (auto* found = dynamic_cast<T*>(node)) return found;
    for (const Ref<Node>& child : node->children())
        if (T* found = find<T>(child.get())) return found;
    return nullptr;
}

// Exactly this class: Mission Three is made as a kind of Mission Two.
template <class T>
bool is(Scene* scene) {
    return typeid(*scene) == typeid(T);
}

const struct {
    const char* screen;
    const char* title;
} kTitles[] = {
    {"SplashLayer", "Splash"},
    {"HelloWorld", "Main menu"},
    {"GameScene", "Quick Play"},
    {"Missions", "Missions"},
    {"MissionOne", "Mission One"},
    {"MissionTwo", "Mission Two"},
    {"MissionThree", "Mission Three"},
    {"miniGameMenu", "Minigames"},
    {"AsteroidAvoid", "Asteroid Avoid"},
    {"miniGame", "DragShip"},
    {"SpaceShoot", "SpaceShoot"},
    {"Settings", "Settings"},
    {"High", "High Scores"},
};

} // namespace

std::string screenShown(NebularkAppDelegate* app) {
    Director* director = Director::existingDirector();
    Scene* scene = director ? director->runningScene() : nullptr;
    if (!scene || scene->isTransitionScene() || director->nextScene()) return "";
    if (app && scene->children().empty()) {
        if (app->set()) return "Settings";
        if (app->high12()) return "High";
    }
    if (HelloWorld* menu = find<HelloWorld>(scene))
        return find<SplashLayer>(menu) ? "SplashLayer" : "HelloWorld";
    if (is<GameScene>(scene)) return "GameScene";
    if (is<Missions>(scene)) return "Missions";
    if (is<MissionOne>(scene)) return "MissionOne";
    if (is<MissionTwo>(scene)) return "MissionTwo";
    if (is<MissionThree>(scene)) return "MissionThree";
    if (is<miniGameMenu>(scene)) return "miniGameMenu";
    if (is<AsteroidAvoid>(scene)) return "AsteroidAvoid";
    if (is<miniGame>(scene)) return "miniGame";
    if (is<SpaceShoot>(scene)) return "SpaceShoot";
    return "";
}

std::string screenTitle(const std::string& screen) {
    for (const auto& t : kTitles)
        if (screen == t.screen) return t.title;
    return screen;
}

Walkthrough::Walkthrough(NebularkAppDelegate* app) : app_(app) {}

Walkthrough::~Walkthrough() {
    stop();
}

double Walkthrough::now() {
    return platform::clock().monotonic();
}

void Walkthrough::then(std::string what, Step step, double timeout) {
    steps_.push_back({std::move(what), std::move(step), timeout});
}

void Walkthrough::clear() {
    steps_.clear();
    stepStarted_ = -1;
    if (fingerDown_)
        if (platform::TouchInput* input = platform::Application::shared().touchInput())
            input->ended(kFinger, fingerAt_);
    fingerDown_ = false;
}

void Walkthrough::start() {
    if (link_) return;
    Walkthrough* self = this;
    link_ = platform::RunLoop::main().addDisplayLink(1, [self] { self->refresh(); });
}

void Walkthrough::stop() {
    clear();
    if (link_) link_->invalidate();
    link_ = nullptr;
}

void Walkthrough::refresh() {
    Ref<Walkthrough> keep(this); // a callback may let the owner go
    std::string shown = screenShown(app_);
    if (shown != screen_) {
        screen_ = shown;
        screenSince_ = now();
    }
    if (onRefresh) onRefresh(screen_);
    if (steps_.empty()) return;
    if (stepStarted_ < 0) stepStarted_ = now();
    if (steps_.front().step()) {
        if (!steps_.empty()) steps_.erase(steps_.begin());
        stepStarted_ = -1;
    } else if (now() - stepStarted_ > steps_.front().timeout) {
        std::string what = steps_.front().what;
        clear();
        if (onStuck) onStuck(what);
    }
}

void Walkthrough::waitFor(const std::string& screen, double timeout) {
    then(
        "waiting for " + screenTitle(screen),
        // Settled, and no screen change under way: until its hand-over the
        // new screen gets no touches or keys.
        [this, screen] {
            return screen_ == screen && now() - screenSince_ >= kSettle &&
                   TouchDispatcher::sharedDispatcher().dispatchEvents();
        },
        timeout + kSettle);
}

void Walkthrough::waitWhile(const std::string& screen, double timeout) {
    then(
        "waiting to leave " + screenTitle(screen), [this, screen] { return screen_ != screen; },
        timeout);
}

void Walkthrough::wait(double seconds) {
    auto until = std::make_shared<double>(-1);
    then(
        "waiting",
        [until, seconds] {
            if (*until < 0) *until = now() + seconds;
            return now() >= *until - 1e-9;
        },
        seconds + 1);
}

void Walkthrough::tap(std::function<Point()> windowPoint, const std::string& what) {
    then("tapping " + what, [this, windowPoint] {
        platform::TouchInput* input = platform::Application::shared().touchInput();
        if (!input) return false;
        fingerAt_ = windowPoint();
        input->began(kFinger, fingerAt_);
        fingerDown_ = true;
        return true;
    });
    then("lifting the finger from " + what, [this] {
        if (platform::TouchInput* input = platform::Application::shared().touchInput())
            input->ended(kFinger, fingerAt_);
        fingerDown_ = false;
        return true;
    });
}

void Walkthrough::tapItem(const std::string& text) {
    // The item is looked for once the step comes up: the screen is built by then.
    auto at = std::make_shared<Point>();
    then("finding the item \"" + text + "\"", [at, text] { return itemPoint(text, *at); });
    tap([at] { return *at; }, "\"" + text + "\"");
}

void Walkthrough::key(const std::string& name) {
    then("pressing " + name, [name] {
        platform::Keyboard::shared().keyDown(name);
        return true;
    });
}

void Walkthrough::call(std::function<void()> action) {
    then("acting", [action] {
        action();
        return true;
    });
}

bool Walkthrough::itemPoint(const std::string& text, Point& windowPoint) {
    Director* director = Director::existingDirector();
    Scene* scene = director ? director->runningScene() : nullptr;
    if (!scene) return false;
    std::function<MenuItemLabel*(Node*)> search = [&](Node* node) -> MenuItemLabel* {
        if (auto* item = dynamic_cast<MenuItemLabel*>(node))
            if (auto* label = dynamic_cast<LabelProtocol*>(item->label());
                label && label->string() == text)
                return item;
        for (const Ref<Node>& child : node->children())
            if (MenuItemLabel* found = search(child.get())) return found;
        return nullptr;
    };
    MenuItemLabel* item = search(scene);
    if (!item) return false;
    Size size = item->contentSize();
    windowPoint =
        director->convertToUI(item->convertToWorldSpace(Point(size.width / 2, size.height / 2)));
    return true;
}
