#include "screens/Settings.h"

#include "game/GameNotifications.h"
#include "game/SavedGameData.h"
#include "platform/NotificationCenter.h"
#include "screens/TitleBar.h"

#include <algorithm>

using namespace platform;

namespace {

// A grouped row: a caption on the left and its control on the right, or a
// control across the whole row (its caption is the section's title).
class ControlCell : public TableViewCell {
public:
    ControlCell(const std::string& caption, Ref<View> control)
        : TableViewCell(TableViewCellStyle::Default, ""), control_(std::move(control)) {
        textLabel()->setText(caption);
        textLabel()->setFont(Font::boldSystemFont(16));
        textLabel()->setNumberOfLines(1);
        setSelectionStyle(TableViewCellSelectionStyle::None);
        contentView()->addSubview(control_.get());
        layoutSubviews();
    }

    void layoutSubviews() override {
        TableViewCell::layoutSubviews();
        Size box = contentView()->bounds().size;
        Size size = control_->frame().size;
        if (textLabel()->text().empty()) size.width = std::max(0.0f, box.width - 2 * kPadding);
        float x = std::max(0.0f, box.width - size.width - kPadding);
        control_->setFrame(Rect(x, std::round((box.height - size.height) / 2), size.width,
                                size.height));
        Rect caption = textLabel()->frame();
        caption.size.width = std::max(0.0f, x - caption.origin.x - 4);
        textLabel()->setFrame(caption);
    }

private:
    static constexpr float kPadding = 9;
    Ref<View> control_;
};

} // namespace

Settings::~Settings() {
    if (Keyboard::shared().hasResponder(this)) Keyboard::shared().removeResponder(this);
    // The controls may outlive the screen for a moment (the flip out); they
    // must not call back into it.
    for (Control* c : {(Control*)now_.get(), (Control*)now2_.get(), (Control*)rg_.get(),
                       (Control*)Gentle_.get(), (Control*)music_.get()})
        if (c) c->removeTarget();
    if (table_) table_->setDataSource(nullptr);
    if (auto* picker = dynamic_cast<MediaPickerController*>(modalViewController())) {
        picker->setDelegate(nullptr);
        dismissModalViewControllerAnimated(false);
    }
}

// The whole screen: the title bar with Done, then grouped rows: the two
// choices of three under their titles, the switches and the music button
// beside their captions.
void Settings::loadView() {
    auto root = make<View>(Rect(0, 0, 320, 480));
    root->setBackgroundColor(rgba(0.77f, 0.8f, 0.85f));
    titleBar_ = makeTitleBar("Settings", {BarButtonItem::flexibleSpace(),
                                          make<BarButtonItem>("Done", BarButtonItemStyle::Done,
                                                              ccSelector(this, &Settings::hi))});
    root->addSubview(titleBar_.get());

    Gentle_ = make<SegmentedControl>(Rect(0, 0, 0, 32),
                                     std::vector<std::string>{"Tilt", "Drag", "Joystick"});
    Gentle_->addTarget(ccSelector(this, &Settings::didChangeControlType), ControlEventValueChanged);
    now2_ = make<Switch>();
    now2_->addTarget(ccSelector(this, &Settings::didChange2), ControlEventValueChanged);
    rg_ = make<SegmentedControl>(Rect(0, 0, 0, 32),
                                 std::vector<std::string>{"Easy", "Medium", "Hard"});
    rg_->addTarget(ccSelector(this, &Settings::changed), ControlEventValueChanged);
    now_ = make<Switch>();
    now_->addTarget(ccSelector(this, &Settings::didChange), ControlEventValueChanged);
    music_ = make<Button>(Rect(0, 0, 130, 30));
    music_->setTitle("Choose Songs");
    music_->addTarget(ccSelector(this, &Settings::playThing), ControlEventTouchUpInside);

    auto row = [](const char* caption, View* control) -> Ref<TableViewCell> {
        return make<ControlCell>(caption, Ref<View>(control));
    };
    Ref<TableViewCell> invert = row("Invert tilt", now2_.get());
    labelMain_ = invert->textLabel();
    groups_ = {{"Steering", {row("", Gentle_.get()), invert}},
               {"Quick Play Difficulty", {row("", rg_.get())}},
               {"Sound", {row("Sound effects", now_.get()), row("Music", music_.get())}}};

    table_ = make<TableView>(Rect(0, Toolbar::kHeight, 320, 480 - Toolbar::kHeight),
                             TableViewStyle::Grouped);
    table_->setAllowsSelection(false);
    table_->setDataSource(this);
    root->addSubview(table_.get());
    setView(root.get());
}

void Settings::viewDidLoad() {
    ViewController::viewDidLoad();
    Gentle_->setSelectedSegmentIndex(saved::controlSegment());
    rg_->setSelectedSegmentIndex(saved::difficultySegment());
    now_->setOn(saved::exists(saved::kWantsSound));
    now2_->setOn(saved::exists(saved::kInvert));
    // The inversion switch stays enabled until the scheme is changed here,
    // whatever scheme is stored.
}

void Settings::viewWillAppear(bool animated) {
    ViewController::viewWillAppear(animated);
    if (!Keyboard::shared().hasResponder(this)) Keyboard::shared().addResponder(this);
    focus_.setRoot(view());
}

void Settings::viewWillDisappear(bool animated) {
    Keyboard::shared().removeResponder(this);
    focus_.clear();
    ViewController::viewWillDisappear(animated);
}

int Settings::numberOfSectionsInTableView(TableView*) { return int(groups_.size()); }

int Settings::numberOfRowsInSection(TableView*, int section) {
    return section >= 0 && section < int(groups_.size()) ? int(groups_[size_t(section)].rows.size())
                                                         : 0;
}

std::string Settings::titleForHeaderInSection(TableView*, int section) {
    return section >= 0 && section < int(groups_.size()) ? groups_[size_t(section)].title : "";
}

Ref<TableViewCell> Settings::cellForRowAtIndexPath(TableView*, IndexPath indexPath) {
    return groups_.at(size_t(indexPath.section)).rows.at(size_t(indexPath.row));
}

void Settings::didChangeControlType(SegmentedControl* control) {
    Gentle_ = control;
    int segment = control->selectedSegmentIndex();
    if (segment < 0 || segment > 2) return;
    saved::writeControlSegment(segment);
    // Inverting only means something when steering by tilt.
    bool tilt = segment == 0;
    now2_->setEnabled(tilt);
    labelMain_->setAlpha(tilt ? 1.0f : 0.5f);
}

void Settings::changed(SegmentedControl* control) {
    rg_ = control;
    int segment = control->selectedSegmentIndex();
    if (segment >= 0 && segment <= 2) saved::writeDifficultySegment(segment);
}

void Settings::didChange() { saved::setFlag(saved::kWantsSound, now_->isOn()); }

void Settings::didChange2() { saved::setFlag(saved::kInvert, now2_->isOn()); }

void Settings::playThing() {
    auto picker = make<MediaPickerController>();
    picker->setDelegate(this);
    picker->setAllowsPickingMultipleItems(true);
    presentModalViewController(picker.get(), true);
}

void Settings::didPickMediaItems(MediaPickerController* picker,
                                 const MediaItemCollection& collection) {
    picker->dismissModalViewControllerAnimated(true);
    MusicPlayerController& player = MusicPlayerController::systemMusicPlayer();
    player.setQueueWithItemCollection(collection);
    player.play();
}

void Settings::mediaPickerDidCancel(MediaPickerController* picker) {
    picker->dismissModalViewControllerAnimated(true);
}

void Settings::hi() {
    Ref<Settings> keep(this); // the application lets the screen go when told
    NotificationCenter::defaultCenter().postNotificationName(kSettingsLeaveNotification);
}

bool Settings::keyDown(const std::string& key) {
    if (key != "escape") return focus_.keyDown(key);
    hi();
    return true;
}
