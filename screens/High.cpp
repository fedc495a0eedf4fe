#include "screens/High.h"

#include "game/GameNotifications.h"
#include "game/SavedGameData.h"
#include "platform/NotificationCenter.h"
#include "platform/ui/XWMenuController.h"
#include "screens/TitleBar.h"

#include <cmath>
#include <cstdio>

using namespace platform;

namespace {

// "%@" of a line filled with `value`.
std::string line(const char* format, const std::string& value) {
    std::string text(format);
    text.replace(text.find("%@"), 2, value);
    return text;
}

// The value of `file` as the table reads it: "0" when there is no file; an
// existing file without the value reads as nothing.
std::string stored(const char* file) { return saved::exists(file) ? saved::value(file) : "0"; }

// The survival games count in hundredths and show two decimals; what they
// store has six. Nothing stored (or nothing readable) is 0.
std::string survivalBest(const std::string& text) {
    double v = saved::floatValue(text);
    if (v == 0 || !std::isfinite(v)) return "0";
    char buf[400]; // room for the largest double in full
    std::snprintf(buf, sizeof buf, "%.2f", v);
    return buf;
}

std::string wholeBest(const std::string& text) {
    return saved::formatInt(saved::intValue(text));
}

constexpr int kDeleteButton = 1;

} // namespace

High::~High() {
    if (Keyboard::shared().hasResponder(this)) Keyboard::shared().removeResponder(this);
    // The views may outlive the screen for a moment (the flip out); they
    // must not call back into it.
    if (tableView_) {
        tableView_->setDelegate(nullptr);
        tableView_->setDataSource(nullptr);
    }
}

// The whole screen: the title, the grouped table of scores, and the bottom
// bar with Help, Post, Delete All and Done.
void High::loadView() {
    auto root = make<View>(Rect(0, 0, 320, 480));
    root->setBackgroundColor(rgba(0.77f, 0.8f, 0.85f));
    root->addSubview(makeTitleBar("High Scores").get());

    tableView_ = make<TableView>(Rect(0, Toolbar::kHeight, 320, 480 - 2 * Toolbar::kHeight),
                                 TableViewStyle::Grouped);
    // Slightly short rows keep both sections in sight without scrolling.
    tableView_->setRowHeight(38);
    tableView_->setDataSource(this);
    tableView_->setDelegate(this);
    root->addSubview(tableView_.get());

    using Item = BarButtonItem;
    const auto bordered = BarButtonItemStyle::Bordered, done = BarButtonItemStyle::Done;
    toolbar_ = make<Toolbar>(Rect(0, 480 - Toolbar::kHeight, 320, Toolbar::kHeight));
    toolbar_->setBarStyle(BarStyle::Black);
    toolbar_->setItems({make<Item>("Help", bordered, ccSelector(this, &High::help)),
                        make<Item>("Post", bordered, ccSelector(this, &High::post)),
                        Item::flexibleSpace(),
                        make<Item>("Delete All", bordered, ccSelector(this, &High::deleteNow)),
                        make<Item>("Done", done, ccSelector(this, &High::did))});
    root->addSubview(toolbar_.get());
    setView(root.get());
}

void High::viewWillAppear(bool animated) {
    doesReloadAll_ = true;
    Items_.clear();
    refresh();
    ViewController::viewWillAppear(animated);
    if (!Keyboard::shared().hasResponder(this)) Keyboard::shared().addResponder(this);
    focus_.setRoot(view());
}

void High::viewWillDisappear(bool animated) {
    Keyboard::shared().removeResponder(this);
    focus_.clear();
    ViewController::viewWillDisappear(animated);
}

void High::refresh() {
    Items_.clear();
    // One file holds the three Quick Play bests; an entry it lacks is 0.
    auto best = [](const char* key) {
        std::string v = saved::value(saved::kScoreData, key);
        return v.empty() ? std::string("0") : v;
    };
    score_ = best("key");
    scoreMedium_ = best("medium");
    scoreHard_ = best("hard");
    killedAmount_ = stored(saved::kKillScore);
    dragShip_ = stored(saved::kDragShip);
    result_ = stored(saved::kAsteroidAvoid);
    spaceShoot_ = stored(saved::kSpaceShoot);

    Items_ = {line("Easy score: %@", score_),
              line("Meduim score: %@", scoreMedium_),
              line("Hard score: %@", scoreHard_),
              line("Ships Killed: %@", killedAmount_),
              line("Asteroid Avoid: %@", survivalBest(result_)),
              line("DragShip: %@", survivalBest(dragShip_)),
              line("SpaceShoot: %@", wholeBest(spaceShoot_))};
    if (tableView_) tableView_->reloadData();
}

int High::numberOfSectionsInTableView(TableView*) { return 2; }

int High::numberOfRowsInSection(TableView*, int section) {
    return section == 0 ? kQuickPlayRows : kMinigameRows;
}

std::string High::titleForHeaderInSection(TableView*, int section) {
    return section == 0 ? kQuickPlayTitle : kMinigamesTitle;
}

Ref<TableViewCell> High::cellForRowAtIndexPath(TableView* table, IndexPath indexPath) {
    Ref<TableViewCell> reused =
        table->dequeueReusableCellWithIdentifier(TableCellView::kIdentifier);
    auto* cell = dynamic_cast<TableCellView*>(reused.get());
    tblCell_ = cell ? Ref<TableCellView>(cell) : make<TableCellView>();
    size_t index = size_t(indexPath.row) + (indexPath.section == 0 ? 0 : kQuickPlayRows);
    tblCell_->cellText()->setText(index < Items_.size() ? Items_[index] : std::string());
    return tblCell_;
}

void High::didSelectRowAtIndexPath(TableView* table, IndexPath indexPath) {
    table->deselectRowAtIndexPath(indexPath, true);
}

void High::help() { AlertView::make("Help!", kHelpMessage, nullptr, "Thanks!")->show(); }

void High::post() {
    // There is no score service to post to: either button only closes it.
    auto sheet =
        ActionSheet::make("Post Scores To Starboard", this, "", "", {"Post All", "Cancel"});
    sheet->setDestructiveButtonIndex(1);
    sheet->setActionSheetStyle(ActionSheetStyle::BlackTranslucent);
    sheet->showInView(view());
}

void High::deleteNow() {
    // One stray tap on the bar must not wipe every result.
    AlertView::make(kDeleteTitle, kDeleteMessage, this, "Cancel", {"Delete"})->show();
}

// Only the delete confirmation reports to the screen.
void High::clickedButtonAtIndex(AlertView*, int buttonIndex) {
    if (buttonIndex != kDeleteButton) return;
    dagg();
    doesReloadAll_ = true;
}

void High::dagg() {
    saved::deleteAllResults();
    killedAmount_ = "0";
    refresh();
}

void High::did() {
    Ref<High> keep(this); // the application lets the screen go when told
    XWMenuController::sharedMenuController().setMenuVisible(false, false);
    NotificationCenter::defaultCenter().postNotificationName(kRemoveHighScoresNotification);
}

bool High::keyDown(const std::string& key) {
    if (key != "escape") return focus_.keyDown(key);
    did();
    return true;
}
