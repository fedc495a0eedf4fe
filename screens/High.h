#pragma once

#include "platform/Keyboard.h"
#include "platform/ui/ActionSheet.h"
#include "platform/ui/AlertView.h"
#include "platform/ui/KeyFocus.h"
#include "platform/ui/TableView.h"
#include "platform/ui/Toolbar.h"
#include "platform/ui/ViewController.h"
#include "screens/TableCellView.h"

#include <string>
#include <vector>

// The high-score screen: the stored Quick Play bests and ships destroyed,
// the minigame bests, and a bottom bar to read the help, post, delete every
// stored result (after asking) and leave. Flipped in over the game by the
// application on "highScores"; Done (or Escape) posts "removeHighScores".
// Everything shown is read from the saved files each time the screen is
// about to appear.
class High : public platform::ViewController,
             public platform::TableViewDataSource,
             public platform::TableViewDelegate,
             public platform::ActionSheetDelegate,
             public platform::AlertViewDelegate,
             public platform::KeyResponder {
public:
    High() = default;
    ~High() override;

    void loadView() override;
    void viewWillAppear(bool animated) override;
    void viewWillDisappear(bool animated) override;

    // Reads every value again and reloads the table.
    void refresh();

    // --- the table ---
    int numberOfSectionsInTableView(platform::TableView* table) override;
    int numberOfRowsInSection(platform::TableView* table, int section) override;
    std::string titleForHeaderInSection(platform::TableView* table, int section) override;
    Ref<platform::TableViewCell> cellForRowAtIndexPath(platform::TableView* table,
                                                       platform::IndexPath indexPath) override;
    void didSelectRowAtIndexPath(platform::TableView* table,
                                 platform::IndexPath indexPath) override;

    // --- the bottom bar ---
    void help();
    void post();
    // Asks before anything is deleted; Delete runs dagg.
    void deleteNow();
    // Deletes every stored result (not the settings nor the missions) and
    // refreshes.
    void dagg();
    void did();

    // The delete confirmation's answer.
    using platform::ActionSheetDelegate::clickedButtonAtIndex;
    void clickedButtonAtIndex(platform::AlertView* alert, int buttonIndex) override;
    bool keyDown(const std::string& key) override;

    platform::TableView* tableView() const { return tableView_.get(); }
    platform::Toolbar* toolbar() const { return toolbar_.get(); }
    TableCellView* tblCell() const { return tblCell_.get(); }
    // The lines of the table: the four Quick Play lines, then the three
    // minigame lines.
    const std::vector<std::string>& Items() const { return Items_; }
    // What was read, as stored ("0" for a missing file).
    const std::string& score() const { return score_; }
    const std::string& scoreMedium() const { return scoreMedium_; }
    const std::string& scoreHard() const { return scoreHard_; }
    const std::string& killedAmount() const { return killedAmount_; }
    const std::string& result() const { return result_; }
    const std::string& dragShip() const { return dragShip_; }
    const std::string& spaceShoot() const { return spaceShoot_; }
    bool doesReloadAll() const { return doesReloadAll_; }

    static constexpr const char* kQuickPlayTitle = "Quick Play\n(Tap score for more options)";
    static constexpr const char* kMinigamesTitle = "Minigames";
    static constexpr const char* kHelpMessage =
        "Tap the score to delete it or post it to Starboard. You can also do mass posting and "
        "mass deletion on the bottom tab.";
    static constexpr const char* kDeleteTitle = "Delete All Scores?";
    static constexpr const char* kDeleteMessage =
        "Every best score and the count of ships killed will be deleted. Settings and missions "
        "are kept.";
    static constexpr int kQuickPlayRows = 4;
    static constexpr int kMinigameRows = 3;

private:
    Ref<platform::TableView> tableView_;
    Ref<platform::Toolbar> toolbar_;
    std::string result_ = "0";
    std::string spaceShoot_ = "0";
    Ref<TableCellView> tblCell_;
    std::string score_ = "0", scoreMedium_ = "0", scoreHard_ = "0";
    std::string killedAmount_ = "0";
    std::string dragShip_ = "0";
    std::vector<std::string> Items_;
    bool doesReloadAll_ = false;
    // Tab and the arrows move among the controls; Return presses.
    platform::KeyFocus focus_;
};
