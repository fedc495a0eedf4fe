#pragma once

#include "platform/View.h"
#include "platform/ui/Label.h"

#include <map>
#include <string>
#include <vector>

namespace platform {

class TableView;

struct IndexPath {
    int section = 0, row = 0;
    static IndexPath indexPathForRow(int row, int section) { return IndexPath{section, row}; }
    auto operator<=>(const IndexPath&) const = default;
};

enum class TableViewStyle { Plain, Grouped };
enum class TableViewCellStyle { Default };
enum class TableViewCellAccessoryType { None, DisclosureIndicator, Checkmark };
enum class TableViewCellSelectionStyle { None, Blue, Gray };

// A row of a table: a text label in a content view, a selection look and an
// accessory mark. Tables reuse cells that scrolled away (see
// TableView::dequeueReusableCellWithIdentifier).
class TableViewCell : public View {
public:
    TableViewCell(TableViewCellStyle style, std::string reuseIdentifier);

    const std::string& reuseIdentifier() const { return reuseIdentifier_; }
    // Where a cell's own views go, above the selection look.
    View* contentView() const { return contentView_.get(); }
    Label* textLabel() const { return textLabel_.get(); }

    TableViewCellAccessoryType accessoryType() const { return accessory_; }
    void setAccessoryType(TableViewCellAccessoryType type);
    TableViewCellSelectionStyle selectionStyle() const { return selectionStyle_; }
    void setSelectionStyle(TableViewCellSelectionStyle style) { selectionStyle_ = style; }

    bool isSelected() const { return selected_; }
    // Animated deselection fades the selection look out.
    void setSelected(bool selected, bool animated = false);

    // Called before the table hands the cell out again.
    virtual void prepareForReuse();

    void layoutSubviews() override;
    bool drawsContent() const override { return true; }
    void draw(GraphicsContext& g) override;

    // Where the cell sits in a grouped section (its corners and edges).
    enum class GroupPosition { None, Single, Top, Middle, Bottom };
    void setGroupPosition(GroupPosition position);

private:
    std::string reuseIdentifier_;
    Ref<View> selectedBackground_;
    Ref<View> accessoryMark_;
    Ref<View> contentView_;
    Ref<Label> textLabel_;
    TableViewCellAccessoryType accessory_ = TableViewCellAccessoryType::None;
    TableViewCellSelectionStyle selectionStyle_ = TableViewCellSelectionStyle::Blue;
    GroupPosition group_ = GroupPosition::None;
    bool selected_ = false;
};

// What a table shows. The table does not hold its data source.
class TableViewDataSource {
public:
    virtual ~TableViewDataSource() = default;
    virtual int numberOfSectionsInTableView(TableView* /*table*/) { return 1; }
    virtual int numberOfRowsInSection(TableView* table, int section) = 0;
    // The cell of a row, usually a reused one.
    virtual Ref<TableViewCell> cellForRowAtIndexPath(TableView* table, IndexPath indexPath) = 0;
    // Shown above the section; line breaks start new lines. Empty: none.
    virtual std::string titleForHeaderInSection(TableView* /*table*/, int /*section*/) {
        return {};
    }
};

// Told of selections. The table does not hold its delegate.
class TableViewDelegate {
public:
    virtual ~TableViewDelegate() = default;
    virtual void didSelectRowAtIndexPath(TableView* /*table*/, IndexPath /*indexPath*/) {}
};

// A scrolling list of rows in sections, with header titles. Only the rows
// in sight have cells; those that scroll away wait for reuse. A tap selects
// a row; a drag or the mouse wheel scrolls when the rows are taller than
// the table.
class TableView : public View {
public:
    // Counts beyond these are taken as these (with a log line).
    static constexpr int kMaxSections = 1000;
    static constexpr int kMaxRows = 1000000;

    explicit TableView(Rect frame, TableViewStyle style = TableViewStyle::Plain);

    TableViewStyle style() const { return style_; }
    void setDataSource(TableViewDataSource* source);
    void setDelegate(TableViewDelegate* delegate) { delegate_ = delegate; }
    TableViewDataSource* dataSource() const { return dataSource_; }

    float rowHeight() const { return rowHeight_; }
    void setRowHeight(float height);
    bool allowsSelection() const { return allowsSelection_; }
    void setAllowsSelection(bool on) { allowsSelection_ = on; }

    // Asks the data source again for everything.
    void reloadData();
    // A cell that scrolled away, or null.
    Ref<TableViewCell> dequeueReusableCellWithIdentifier(const std::string& identifier);

    int numberOfSections() const { return int(sections_.size()); }
    int numberOfRowsInSection(int section) const;
    // The cell of a row in sight, else null.
    TableViewCell* cellForRowAtIndexPath(IndexPath indexPath) const;
    // A row's rectangle in the table's own coordinates (as scrolled).
    Rect rectForRowAtIndexPath(IndexPath indexPath) const;
    // The row under `p` (own coordinates), if any.
    bool indexPathForRowAtPoint(Point p, IndexPath& out) const;

    bool hasSelection() const { return hasSelection_; }
    IndexPath indexPathForSelectedRow() const { return selected_; }
    void selectRowAtIndexPath(IndexPath indexPath, bool animated);
    void deselectRowAtIndexPath(IndexPath indexPath, bool animated);

    Point contentOffset() const { return Point(0, float(offset_)); }
    void setContentOffset(Point offset);
    float contentHeight() const { return float(contentHeight_); }
    // Scrolls as little as needed to show the row whole.
    void scrollToRowAtIndexPath(IndexPath indexPath);

    void setFrame(Rect frame) override;
    void layoutSubviews() override;
    View* hitTest(Point point) override;
    bool scrollWheel(float dx, float dy) override;
    bool drawsContent() const override { return true; }
    void draw(GraphicsContext& g) override;

    void touchesBegan(const TouchSet& touches, Event* event) override;
    void touchesMoved(const TouchSet& touches, Event* event) override;
    void touchesEnded(const TouchSet& touches, Event* event) override;
    void touchesCancelled(const TouchSet& touches, Event* event) override;

private:
    struct Section {
        std::string title;
        int rows = 0;
        double top = 0;     // of the header, in content coordinates
        double rowsTop = 0; // of the first row
        float headerHeight = 0;
    };
    void computeLayout();
    void tile();
    void enqueue(Ref<TableViewCell> cell);
    double maxOffset() const;

    TableViewStyle style_;
    TableViewDataSource* dataSource_ = nullptr;
    TableViewDelegate* delegate_ = nullptr;
    std::vector<Section> sections_;
    double contentHeight_ = 0, offset_ = 0;
    float rowHeight_ = 44;
    std::map<IndexPath, Ref<TableViewCell>> visible_;
    std::map<int, Ref<Label>> headers_;
    std::map<std::string, std::vector<Ref<TableViewCell>>> reusable_;
    IndexPath selected_;
    bool hasSelection_ = false;
    bool allowsSelection_ = true;
    // Following a finger: a tap until it moves, then a drag.
    Ref<Touch> touch_;
    Point touchStart_;
    double offsetAtTouch_ = 0;
    bool dragging_ = false;
    bool highlighted_ = false;
    IndexPath touchedRow_;
};

} // namespace platform
