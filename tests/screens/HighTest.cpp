// The high-score screen: what it reads and shows, its bottom bar, and
// deleting every result.
#include "game/quickplay/GameScene.h"
#include "platform/ui/ActionSheet.h"
#include "platform/ui/XWMenuController.h"
#include "screens/High.h"
#include "tests/screens/ScreenTestSupport.h"

#include <set>
#include <vector>

using namespace platform;

namespace {

class HighTest : public screentest::ScreenTest {
protected:
    High* openHigh() {
        open(kHighScoresNotification);
        return app->high12();
    }
    void close() {
        platform::NotificationCenter::defaultCenter().postNotificationName(
            kRemoveHighScoresNotification);
        runFor(0.6);
    }
    // What the rows show, section by section.
    static std::vector<std::string> shownLines(High* high) {
        std::vector<std::string> lines;
        TableView* table = high->tableView();
        for (int s = 0; s < table->numberOfSections(); ++s)
            for (int r = 0; r < table->numberOfRowsInSection(s); ++r) {
                TableViewCell* cell = table->cellForRowAtIndexPath({s, r});
                auto* row = dynamic_cast<TableCellView*>(cell);
                lines.push_back(row ? row->cellText()->text() : "(no row)");
            }
        return lines;
    }
    void storeResults() {
        saved::write(saved::kScoreData, {{"key", "120"}, {"medium", "85"}, {"hard", "40"}});
        saved::write(saved::kKillScore, {{"key", "42"}});
        saved::write(saved::kAsteroidAvoid, {{"key", "12.340000"}});
        saved::write(saved::kDragShip, {{"key", "3.456000"}});
        saved::write(saved::kSpaceShoot, {{"key", "7"}});
    }
};

struct StoredFile {
    const char* name;
    saved::Dictionary dictionary;
    const char* raw = nullptr; // written as it stands instead
};

struct LinesCase {
    const char* what;
    std::vector<StoredFile> files;
    std::vector<std::string> lines;
};

} // namespace

TEST_F(HighTest, EachLineShowsWhatIsStoredAndZeroForWhatIsNot) {
    const std::vector<LinesCase> cases = {
        {"no files",
         {},
         {"Easy score: 0", "Meduim score: 0", "Hard score: 0", "Ships Killed: 0",
          "Asteroid Avoid: 0", "DragShip: 0", "SpaceShoot: 0"}},
        {"stored results",
         {{saved::kScoreData, {{"key", "120"}, {"medium", "85"}}},
          {saved::kKillScore, {{"key", "42"}}},
          {saved::kAsteroidAvoid, {{"key", "12.340000"}}},
          {saved::kDragShip, {{"key", "3.456000"}}},
          {saved::kSpaceShoot, {{"key", "7"}}}},
         {"Easy score: 120", "Meduim score: 85", "Hard score: 0", "Ships Killed: 42",
          "Asteroid Avoid: 12.34", "DragShip: 3.46", "SpaceShoot: 7"}},
        // A kill count file without its entry shows no number; damaged
        // results show 0.
        {"damaged files",
         {{saved::kScoreData, {}, "<?xml version=\"1.0\"?><plist><dict><key>key</key>"},
          {saved::kKillScore, {{"other", "5"}}},
          {saved::kAsteroidAvoid, {}, "\x01\x02 not a property list"},
          {saved::kDragShip, {{"key", "nan"}}},
          {saved::kSpaceShoot, {{"key", "lots"}}}},
         {"Easy score: 0", "Meduim score: 0", "Hard score: 0", "Ships Killed: ",
          "Asteroid Avoid: 0", "DragShip: 0", "SpaceShoot: 0"}},
    };
    for (const LinesCase& c : cases) {
        SCOPED_TRACE(c.what);
        for (auto& entry : std::filesystem::directory_iterator(docs.path()))
            std::filesystem::remove(entry.path());
        for (const StoredFile& f : c.files) {
            if (f.raw)
                test::writeText(docs.file(f.name), f.raw);
            else
                saved::write(f.name, f.dictionary);
        }
        High* high = openHigh();
        ASSERT_NE(high, nullptr);
        EXPECT_EQ(high->Items(), c.lines);
        EXPECT_EQ(shownLines(high), c.lines);
        close();
    }
}

TEST_F(HighTest, TwoSectionsUnderTheirHeadersInReusedCells) {
    High* high = openHigh();
    TableView* table = high->tableView();
    ASSERT_EQ(table->numberOfSections(), 2);
    EXPECT_EQ(high->titleForHeaderInSection(table, 0), "Quick Play\n(Tap score for more options)");
    EXPECT_EQ(high->titleForHeaderInSection(table, 1), "Minigames");
    EXPECT_EQ(table->numberOfRowsInSection(0), 4);
    EXPECT_EQ(table->numberOfRowsInSection(1), 3);
    // Every row in sight, without scrolling.
    EXPECT_LE(table->contentHeight(), table->bounds().size.height);
    auto cells = [&] {
        std::set<TableViewCell*> all;
        for (int s = 0; s < 2; ++s)
            for (int r = 0; r < table->numberOfRowsInSection(s); ++r)
                all.insert(table->cellForRowAtIndexPath({s, r}));
        return all;
    };
    std::set<TableViewCell*> before = cells();
    ASSERT_EQ(before.size(), 7u);
    for (TableViewCell* cell : before) EXPECT_EQ(cell->reuseIdentifier(), "tblCellView");
    // A reload hands the same cells out again.
    high->refresh();
    EXPECT_EQ(cells(), before);
}

TEST_F(HighTest, DeleteAllAsksFirstThenKeepsOnlySettingsAndMissions) {
    storeResults();
    saved::write(saved::kEasy, {{"key", "r"}});
    saved::write(saved::kControlScheme, {{"key", "d"}});
    saved::setFlag(saved::kWantsSound, true);
    saved::setFlag(saved::kInvert, true);
    saved::write(saved::kMissions, {{"key", "3"}});
    auto before = files();
    High* high = openHigh();

    auto answer = [&](const char* button) {
        tap(barButton(high->toolbar(), "Delete All"));
        AlertView* alert = AlertView::visibleAlert();
        ASSERT_NE(alert, nullptr);
        EXPECT_EQ(alert->title(), High::kDeleteTitle);
        ASSERT_EQ(alert->numberOfButtons(), 2);
        for (int i = 0; i < 2; ++i)
            if (alert->buttonTitleAtIndex(i) == button) tap(alert->buttonAtIndex(i));
    };
    answer("Cancel");
    runFor(0.5);
    EXPECT_EQ(files(), before);
    EXPECT_EQ(high->Items()[3], "Ships Killed: 42");

    answer("Delete");
    // At once, while the alert goes.
    EXPECT_EQ(shownLines(high), (std::vector<std::string>{
                                    "Easy score: 0", "Meduim score: 0", "Hard score: 0",
                                    "Ships Killed: 0", "Asteroid Avoid: 0", "DragShip: 0",
                                    "SpaceShoot: 0"}));
    auto kept = before;
    for (const char* gone : {saved::kScoreData, saved::kKillScore, saved::kAsteroidAvoid,
                             saved::kDragShip, saved::kSpaceShoot})
        kept.erase(gone);
    EXPECT_EQ(files(), kept);
    runFor(0.5);
    close();

    // The next Quick Play counts kills from nothing, on the kept settings.
    Ref<GameScene> game = GameScene::node();
    EXPECT_EQ(game->amountKilled(), 0);
    EXPECT_EQ(game->level(), 0);
    EXPECT_EQ(game->lastScore(), 0);
    game->cleanup();
}

TEST_F(HighTest, ATappedRowIsOnlyDeselected) {
    storeResults();
    auto before = files();
    High* high = openHigh();
    TableView* table = high->tableView();
    tap(table->cellForRowAtIndexPath({0, 1}));
    runFor(0.5);
    EXPECT_FALSE(table->hasSelection());
    EXPECT_FALSE(table->cellForRowAtIndexPath({0, 1})->isSelected());
    EXPECT_EQ(ModalPanel::visiblePanel(), nullptr);
    EXPECT_EQ(files(), before);
    EXPECT_EQ(app->high12(), high);
}

TEST_F(HighTest, HelpExplainsAndPostOffersASheetThatOnlyCloses) {
    storeResults();
    auto before = files();
    High* high = openHigh();

    tap(barButton(high->toolbar(), "Help"));
    AlertView* help = AlertView::visibleAlert();
    ASSERT_NE(help, nullptr);
    EXPECT_EQ(help->title(), "Help!");
    EXPECT_EQ(help->message(), High::kHelpMessage);
    ASSERT_EQ(help->numberOfButtons(), 1);
    EXPECT_EQ(help->buttonTitleAtIndex(0), "Thanks!");
    tap(help->buttonAtIndex(0));
    runFor(0.5);
    EXPECT_EQ(AlertView::visibleAlert(), nullptr);

    tap(barButton(high->toolbar(), "Post"));
    runFor(0.5);
    auto* sheet = dynamic_cast<ActionSheet*>(ModalPanel::visiblePanel());
    ASSERT_NE(sheet, nullptr);
    EXPECT_EQ(sheet->title(), "Post Scores To Starboard");
    ASSERT_EQ(sheet->numberOfButtons(), 2);
    EXPECT_EQ(sheet->buttonTitleAtIndex(0), "Post All");
    EXPECT_EQ(sheet->buttonTitleAtIndex(1), "Cancel");
    EXPECT_EQ(sheet->destructiveButtonIndex(), 1);
    EXPECT_EQ(sheet->actionSheetStyle(), ActionSheetStyle::BlackTranslucent);
    tap(sheet->buttonAtIndex(0));
    runFor(0.5);
    EXPECT_EQ(ModalPanel::visiblePanel(), nullptr);
    EXPECT_EQ(files(), before);
    EXPECT_EQ(app->high12(), high);
}

TEST_F(HighTest, DoneHidesTheBubbleMenuAndLandsOnANewMainMenu) {
    High* high = openHigh();
    XWMenuController& menu = XWMenuController::sharedMenuController();
    menu.setMenuItems({{"Delete", Selector<void()>("none", [] {})}});
    TableView* table = high->tableView();
    menu.setTargetRect(table->rectForRowAtIndexPath({0, 0}), table);
    menu.setMenuVisible(true, false);
    ASSERT_TRUE(menu.isMenuVisible());

    tap(barButton(high->toolbar(), "Done"));
    EXPECT_FALSE(menu.isMenuVisible());
    EXPECT_EQ(app->high12(), nullptr);
    runFor(0.6);
    EXPECT_FALSE(Director::sharedDirector().isPaused());
    Scene* running = Director::sharedDirector().runningScene();
    ASSERT_NE(running, nullptr);
    ASSERT_FALSE(running->children().empty());
    EXPECT_NE(dynamic_cast<HelloWorld*>(running->children()[0].get()), nullptr);
}

TEST_F(HighTest, PictureTitleRowsAndBottomBar) {
    storeResults();
    High* high = openHigh();
    Image img = picture("high_scores.png");
    ASSERT_EQ(img.width, 320);
    // The slate title bar with its white title.
    Rgb bar = pixel(img, Point(12, 22));
    EXPECT_GT(bar.b, bar.r + 15);
    EXPECT_LT(bar.b, 235);
    int white = 0;
    for (int x = 90; x < 230; ++x)
        for (int y = 8; y < 36; ++y)
            if (pixel(img, Point(float(x), float(y))).r > 240) ++white;
    EXPECT_GT(white, 40);
    // The black bottom bar and its blue Done button.
    EXPECT_LT(pixel(img, Point(150, 478)).r, 70);
    Rect done = inWindow(barButton(high->toolbar(), "Done"));
    Rgb blue = pixel(img, Point(done.minX() + 4, midY(done) + 6));
    EXPECT_GT(blue.b, blue.r + 60);
    // Every row is a white cell with its line written in it, none under a bar.
    TableView* table = high->tableView();
    for (int s = 0; s < 2; ++s)
        for (int r = 0; r < table->numberOfRowsInSection(s); ++r) {
            SCOPED_TRACE(testing::Message() << "row " << s << "." << r);
            TableViewCell* cell = table->cellForRowAtIndexPath({s, r});
            ASSERT_NE(cell, nullptr);
            Rect box = inWindow(cell);
            EXPECT_GE(box.minY(), Toolbar::kHeight);
            EXPECT_LE(box.maxY(), 480 - Toolbar::kHeight);
            Rgb paper = pixel(img, Point(box.maxX() - 12, midY(box)));
            EXPECT_GT(paper.r + paper.g + paper.b, 3 * 245);
            EXPECT_GT(darkIn(img, Rect(box.minX(), box.minY() + 4, 200, box.size.height - 8)),
                      60);
        }
}
