#pragma once

#include "platform/Keyboard.h"
#include "platform/ui/Button.h"
#include "platform/ui/KeyFocus.h"
#include "platform/ui/Label.h"
#include "platform/ui/MediaPicker.h"
#include "platform/ui/SegmentedControl.h"
#include "platform/ui/Switch.h"
#include "platform/ui/TableView.h"
#include "platform/ui/Toolbar.h"
#include "platform/ui/ViewController.h"

#include <string>
#include <vector>

// The settings screen: control scheme, tilt inversion, Quick Play
// difficulty, sound effects and music from the player's own songs. Every
// change is written to the saved files at once; the game screens read them
// when they next start. Flipped in over the game by the application on
// "Settings"; Done (or Escape) posts "settingsLeave".
class Settings : public platform::ViewController,
                 public platform::TableViewDataSource,
                 public platform::MediaPickerDelegate,
                 public platform::KeyResponder {
public:
    Settings() = default;
    ~Settings() override;

    void loadView() override;
    // Sets every control from the saved files.
    void viewDidLoad() override;
    void viewWillAppear(bool animated) override;
    void viewWillDisappear(bool animated) override;

    // What the controls call.
    void didChangeControlType(platform::SegmentedControl* control);
    void changed(platform::SegmentedControl* control);
    void didChange();
    void didChange2();
    void playThing();
    void hi();

    void didPickMediaItems(platform::MediaPickerController* picker,
                           const platform::MediaItemCollection& collection) override;
    void mediaPickerDidCancel(platform::MediaPickerController* picker) override;
    bool keyDown(const std::string& key) override;

    // Sound effects ("wantsSound") and tilt inversion ("invert").
    platform::Switch* now() const { return now_.get(); }
    platform::Switch* now2() const { return now2_.get(); }
    // Difficulty: 0 Easy, 1 Medium, 2 Hard ("easy").
    platform::SegmentedControl* rg() const { return rg_.get(); }
    // Control scheme: 0 tilt, 1 drag, 2 joystick ("ControlScheme").
    platform::SegmentedControl* Gentle() const { return Gentle_.get(); }
    // The inversion switch's caption.
    platform::Label* labelMain() const { return labelMain_.get(); }
    platform::Button* musicButton() const { return music_.get(); }
    platform::TableView* tableView() const { return table_.get(); }
    platform::Toolbar* titleBar() const { return titleBar_.get(); }

    // --- the grouped rows ---
    int numberOfSectionsInTableView(platform::TableView* table) override;
    int numberOfRowsInSection(platform::TableView* table, int section) override;
    std::string titleForHeaderInSection(platform::TableView* table, int section) override;
    Ref<platform::TableViewCell> cellForRowAtIndexPath(platform::TableView* table,
                                                       platform::IndexPath indexPath) override;

private:
    struct Group {
        std::string title;
        std::vector<Ref<platform::TableViewCell>> rows;
    };

    Ref<platform::Switch> now_, now2_;
    Ref<platform::SegmentedControl> rg_, Gentle_;
    Ref<platform::Label> labelMain_;
    Ref<platform::Button> music_;
    Ref<platform::TableView> table_;
    Ref<platform::Toolbar> titleBar_;
    std::vector<Group> groups_;
    // Tab and the arrows move among the controls; Return presses.
    platform::KeyFocus focus_;
};
