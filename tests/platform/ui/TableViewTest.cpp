#include "platform/ui/TableView.h"
#include "platform/TouchInput.h"
#include "tests/platform/ui/KitTestSupport.h"

using namespace platform;
using kit::Rgb;

namespace {

// Two sections (the first with a two-line title), rows made and reused.
class Rows : public TableViewDataSource, public TableViewDelegate {
public:
    int sections = 2, rows0 = 4, rows1 = 30;
    int made = 0, asked = 0;
    std::vector<IndexPath> selected;

    int numberOfSectionsInTableView(TableView*) override { return sections; }
    int numberOfRowsInSection(TableView*, int s) override { return s == 0 ? rows0 : rows1; }
    std::string titleForHeaderInSection(TableView*, int s) override {
        return s == 0 ? "Quick Play\n(Tap score for more options)" : "Minigames";
    }
    Ref<TableViewCell> cellForRowAtIndexPath(TableView* t, IndexPath ip) override {
        ++asked;
        Ref<TableViewCell> cell = t->dequeueReusableCellWithIdentifier("row");
        if (!cell) {
            cell = make<TableViewCell>(TableViewCellStyle::Default, "row");
            ++made;
        }
        cell->textLabel()->setText("Row " + std::to_string(ip.row));
        return cell;
    }
    void didSelectRowAtIndexPath(TableView* t, IndexPath ip) override {
        selected.push_back(ip);
        t->deselectRowAtIndexPath(ip, true);
    }
};

class TableViewTest : public kit::KitTest {
protected:
    void SetUp() override {
        KitTest::SetUp();
        table_ = make<TableView>(Rect(0, 0, 320, 436), TableViewStyle::Grouped);
        table_->setDataSource(&rows_);
        table_->setDelegate(&rows_);
        gl_->addSubview(table_.get());
    }
    void TearDown() override {
        table_ = nullptr;
        KitTest::TearDown();
    }
    Point centreOf(IndexPath ip) {
        Rect r = table_->rectForRowAtIndexPath(ip);
        return table_->convertPointToWindow(Point(r.minX() + 40, r.minY() + r.size.height / 2));
    }

    Rows rows_;
    Ref<TableView> table_;
};

} // namespace

TEST_F(TableViewTest, SectionsHaveTheirTitlesAndOnlyRowsInSightHaveCells) {
    Rect first = table_->rectForRowAtIndexPath({0, 0});
    Rect second = table_->rectForRowAtIndexPath({1, 0});
    // A two-line title takes more room than a one-line one.
    float header0 = first.minY() - 10,
          header1 = second.minY() - table_->rectForRowAtIndexPath({0, 3}).maxY() - 20;
    EXPECT_GT(header0, header1 * 1.6f);
    int inSight = 0;
    for (int r = 0; r < 30; ++r)
        inSight += table_->cellForRowAtIndexPath({1, r}) != nullptr;
    EXPECT_EQ(rows_.asked, 4 + inSight);
    EXPECT_LT(inSight, 10);
    EXPECT_GT(table_->contentHeight(), 436);

    platform::Image img = frame();
    EXPECT_TRUE(near(pixel(img, 200, int(first.minY() + 22)), Rgb{255, 255, 255})); // a cell
    EXPECT_GT(inkIn(img, Rect(20, 10, 250, header0), pixel(img, 5, 5)), 100);       // the title
}

TEST_F(TableViewTest, ATapSelectsARowAndItsDeselectionFades) {
    tap(centreOf({0, 2}));
    ASSERT_EQ(rows_.selected.size(), 1u);
    EXPECT_EQ(rows_.selected[0], (IndexPath{0, 2}));
    EXPECT_FALSE(table_->hasSelection()); // the delegate deselected it, animated
    TableViewCell* cell = table_->cellForRowAtIndexPath({0, 2});
    ASSERT_NE(cell, nullptr);
    run(0.1);
    Point p = centreOf({0, 2});
    Rgb fading = pixel(window_->lastFrame(), int(p.x) + 100, int(p.y) - 10);
    EXPECT_GT(fading.b, fading.r + 40) << fading; // still bluish
    run(0.4);
    EXPECT_TRUE(
        near(pixel(window_->lastFrame(), int(p.x) + 100, int(p.y) - 10), Rgb{255, 255, 255}));

    table_->selectRowAtIndexPath({1, 1}, false);
    EXPECT_TRUE(table_->cellForRowAtIndexPath({1, 1})->isSelected());
    EXPECT_EQ(rows_.selected.size(), 1u); // selecting by code tells no one
}

TEST_F(TableViewTest, DragAndWheelScrollAndReuseCells) {
    input_->began(1, Point(160, 400));
    input_->moved(1, Point(160, 300));
    input_->moved(1, Point(160, 100));
    input_->ended(1, Point(160, 100));
    EXPECT_NEAR(table_->contentOffset().y, 300, 1);
    EXPECT_TRUE(rows_.selected.empty()); // a drag selects nothing
    int inSight = 0;
    for (int r = 0; r < 30; ++r)
        inSight += table_->cellForRowAtIndexPath({1, r}) != nullptr;
    EXPECT_LE(rows_.made, inSight + 1); // rows that came into sight reused those that left

    input_->wheel(Point(160, 200), 0, -100); // far down: stops at the end
    EXPECT_NEAR(table_->contentOffset().y, table_->contentHeight() - 436, 1);
    EXPECT_NE(table_->cellForRowAtIndexPath({1, 29}), nullptr);
    input_->wheel(Point(160, 200), 0, 1);
    EXPECT_NEAR(table_->contentOffset().y, table_->contentHeight() - 436 - 40, 1);
    EXPECT_FALSE(input_->wheel(Point(160, 460), 0, 1)); // below the table: nobody scrolls
}

TEST_F(TableViewTest, BadCountsAreClampedAndLogged) {
    test::LogCapture log;
    rows_.sections = -3;
    table_->reloadData();
    EXPECT_EQ(table_->numberOfSections(), 0);
    rows_.sections = 2;
    rows_.rows0 = -1;
    rows_.rows1 = 2000000000;
    table_->reloadData();
    EXPECT_EQ(table_->numberOfRowsInSection(0), 0);
    EXPECT_EQ(table_->numberOfRowsInSection(1), TableView::kMaxRows);
    EXPECT_EQ(log.lines().size(), 3u);
    input_->wheel(Point(160, 200), 0, -1e9f);
    EXPECT_NE(table_->cellForRowAtIndexPath({1, TableView::kMaxRows - 1}), nullptr);
    frame();
}
