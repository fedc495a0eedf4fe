// The high-score screen: what it reads and shows, its bottom bar, and
// deleting every result.
#include "game/quickplay/GameScene.h"
#include "platform/ui/ActionSheet.h"
#include "platform/ui/XWMenuController.h"
#include "screens/High.h"
#include "tests/screens/ScreenTestSupport.h"

using namespace platform;

namespace {

using Lines = std::vector<std::string>;
const Lines kZeros = {"Easy score: 0",     "Meduim score: 0", "Hard score: 0", "Ships Killed: 0",
                      "Asteroid Avoid: 0", "DragShip: 0",     "SpaceShoot: 0"};

class HighTest : public screentest::ScreenTest {
protected:
    High* openHigh() {
        post(kHighScoresNotification);
        return app->high12();
    }
    // What the rows show, section by section.
    static Lines shownLines(High* high) {
        Lines lines;
        TableView* table = high->tableView();
        for (int s = 0; s < table->numberOfSections(); ++s)
            for (int r = 0; r < table->numberOfRowsInSection(s); ++r) {
                auto* row = dynamic_cast<TableCellView*>(table->cellForRowAtIndexPath({s, r}));
                lines.push_back(row ? row->cellText()->text() : "(no row)");
            }
        return lines;
    }
    void storeResults() {
        saved::write(saved::kScoreData, {{"key", "120"}, {"medium", "85"}});
        saved::write(saved::kKillScore, {{"key", "42"}});
        saved::write(saved::kAsteroidAvoid, {{"key", "12.340000"}});
        saved::write(saved::kDragShip, {{"key", "3.456000"}});
        saved::write(saved::kSpaceShoot, {{"key", "7"}});
    }
};

} // namespace

TEST_F(HighTest, EachLineShowsWhatIsStoredAndZeroForWhatIsNot) {
    struct Case {
        const char* what;
        std::function<void()> store;
        Lines lines;
    };
    const Case cases[] = {
        {"no files", [] {}, kZeros},
        {"stored results", [&] { storeResults(); },
         {"Easy score: 120", "Meduim score: 85", "Hard score: 0", "Ships Killed: 42",
          "Asteroid Avoid: 12.34", "DragShip: 3.46", "SpaceShoot: 7"}},
        // A kill count file without its entry shows no number.
        {"damaged files",
         [&] {
             test::writeText(docs.file(saved::kScoreData), "<?xml version=\"1.0\"?><plist><dict>");
             test::writeText(docs.file(saved::kAsteroidAvoid), "\x01\x02 not a property list");
             saved::write(saved::kKillScore, {{"other", "5"}});
             saved::write(saved::kDragShip, {{"key", "nan"}});
             saved::write(saved::kSpaceShoot, {{"key", "lots"}});
         },
         {"Easy score: 0", "Meduim score: 0", "Hard score: 0", "Ships Killed: ",
          "Asteroid Avoid: 0", "DragShip: 0", "SpaceShoot: 0"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        clearDocuments();
        c.store();
        High* high = openHigh();
        ASSERT_NE(high, nullptr);
        EXPECT_EQ(shownLines(high), c.lines);
        post(kRemoveHighScoresNotification);
    }
}

TEST_F(HighTest, DeleteAllAsksFirstThenKeepsOnlySettingsAndMissions) {
    storeResults();
    saved::write(saved::kEasy, {{"key", "r"}});
    saved::setFlag(saved::kWantsSound, true);
    saved::write(saved::kMissions, {{"key", "3"}});
    auto before = files();
    High* high = openHigh();
    auto answer = [&](int button) { // 0 Cancel, 1 Delete
        tap(barButton(high->toolbar(), "Delete All"));
        AlertView* alert = AlertView::visibleAlert();
        ASSERT_NE(alert, nullptr);
        EXPECT_EQ(alert->buttonTitleAtIndex(button), button ? "Delete" : "Cancel");
        tap(alert->buttonAtIndex(button));
    };
    answer(0);
    runFor(0.5);
    EXPECT_EQ(files(), before);

    answer(1);
    EXPECT_EQ(shownLines(high), kZeros); // at once, while the alert goes
    for (const char* gone : {saved::kScoreData, saved::kKillScore, saved::kAsteroidAvoid,
                             saved::kDragShip, saved::kSpaceShoot})
        before.erase(gone);
    EXPECT_EQ(files(), before);

    // The next Quick Play counts kills from nothing, on the kept settings.
    Ref<GameScene> game = GameScene::node();
    EXPECT_EQ(game->amountKilled(), 0);
    EXPECT_EQ(game->level(), 0);
    game->cleanup();
}

TEST_F(HighTest, RowsHelpAndPostChangeNothing) {
    storeResults();
    auto before = files();
    High* high = openHigh();
    TableView* table = high->tableView();
    tap(table->cellForRowAtIndexPath({0, 1}));
    runFor(0.5);
    EXPECT_FALSE(table->hasSelection());
    EXPECT_FALSE(table->cellForRowAtIndexPath({0, 1})->isSelected());
    EXPECT_EQ(ModalPanel::visiblePanel(), nullptr);

    tap(barButton(high->toolbar(), "Help"));
    AlertView* help = AlertView::visibleAlert();
    ASSERT_NE(help, nullptr);
    EXPECT_EQ(help->title(), "Help!");
    EXPECT_EQ(help->buttonTitleAtIndex(0), "Thanks!");
    tap(help->buttonAtIndex(0));
    runFor(0.5);

    tap(barButton(high->toolbar(), "Post"));
    runFor(0.5);
    auto* sheet = dynamic_cast<ActionSheet*>(ModalPanel::visiblePanel());
    ASSERT_NE(sheet, nullptr);
    EXPECT_EQ(sheet->title(), "Post Scores To Starboard");
    EXPECT_EQ(sheet->buttonTitleAtIndex(0), "Post All");
    EXPECT_EQ(sheet->destructiveButtonIndex(), 1);
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
    menu.setTargetRect(Rect(20, 20, 100, 30), high->tableView());
    menu.setMenuVisible(true, false);
    ASSERT_TRUE(menu.isMenuVisible());

    tap(barButton(high->toolbar(), "Done"));
    EXPECT_FALSE(menu.isMenuVisible());
    EXPECT_EQ(app->high12(), nullptr);
    runFor(0.6);
    EXPECT_TRUE(menuIsRunning());
}

TEST_F(HighTest, PictureTitleRowsAndBottomBar) {
    storeResults();
    High* high = openHigh();
    Image img = picture("high_scores.png");
    EXPECT_TRUE(isSlate(pixel(img, Point(12, 22)))); // the title bar
    EXPECT_GT(lightIn(img, Rect(90, 8, 140, 28)), 40); // its title
    Rgb bottom = pixel(img, Point(150, 478));
    EXPECT_LT(bottom.r + bottom.g + bottom.b, 200); // the black bottom bar
    // Every row is a white cell with its line written in it, in sight.
    TableView* table = high->tableView();
    for (int s = 0; s < 2; ++s)
        for (int r = 0; r < table->numberOfRowsInSection(s); ++r) {
            SCOPED_TRACE(testing::Message() << "row " << s << "." << r);
            Rect box = inWindow(table->cellForRowAtIndexPath({s, r}));
            EXPECT_GE(box.minY(), Toolbar::kHeight);
            EXPECT_LE(box.maxY(), 480 - Toolbar::kHeight);
            EXPECT_TRUE(isWhite(pixel(img, Point(box.maxX() - 12, midY(box)))));
            EXPECT_GT(darkIn(img, Rect(box.minX(), box.minY() + 4, 200, box.size.height - 8)),
                      60);
        }
}
