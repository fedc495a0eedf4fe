#include "game/PlaceholderScreens.h"

#include "game/GameNotifications.h"
#include "platform/Keyboard.h"
#include "platform/NotificationCenter.h"
#include "platform/ui/Button.h"
#include "platform/ui/Label.h"

#include <string>

namespace {

class PlaceholderScreen : public platform::ViewController, public platform::KeyResponder {
public:
    PlaceholderScreen(std::string title, const char* leaveNotification)
        : leaveNotification_(leaveNotification) {
        setTitle(std::move(title));
    }
    ~PlaceholderScreen() override { platform::Keyboard::shared().removeResponder(this); }

    void loadView() override {
        auto view = make<platform::View>(Rect(0, 0, 320, 480));
        view->setBackgroundColor(ccColor4F{0.86f, 0.88f, 0.92f, 1});

        auto bar = make<platform::Label>(Rect(0, 0, 320, 44), title());
        bar->setBackgroundColor(ccColor4F{0.43f, 0.52f, 0.64f, 1});
        bar->setTextColor(ccColor4F{1, 1, 1, 1});
        bar->setFont(platform::Font::boldSystemFont(20));
        bar->setTextAlignment(platform::TextAlignment::Center);
        view->addSubview(bar.get());

        auto done = make<platform::Button>(Rect(250, 7, 62, 30));
        done->setTitle("Done");
        done->addTarget(Selector<void()>("done", [this] { leave(); }),
                        platform::ControlEventTouchUpInside);
        view->addSubview(done.get());

        auto note = make<platform::Label>(Rect(20, 180, 280, 60), "Coming soon");
        note->setFont(platform::Font::systemFont(22));
        note->setTextAlignment(platform::TextAlignment::Center);
        view->addSubview(note.get());
        setView(view.get());
        // The view is made when the screen is about to show.
        platform::Keyboard::shared().addResponder(this);
    }

    bool keyDown(const std::string& key) override {
        if (key != "escape") return false;
        leave();
        return true;
    }

private:
    void leave() {
        platform::Keyboard::shared().removeResponder(this);
        platform::NotificationCenter::defaultCenter().postNotificationName(leaveNotification_);
    }

    const char* leaveNotification_;
};

} // namespace

Ref<platform::ViewController> makeSettingsScreen() {
    return make<PlaceholderScreen>("Settings", kSettingsLeaveNotification);
}

Ref<platform::ViewController> makeHighScoresScreen() {
    return make<PlaceholderScreen>("High Scores", kRemoveHighScoresNotification);
}
