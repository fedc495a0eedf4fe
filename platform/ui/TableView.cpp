#include "platform/ui/TableView.h"

#include "platform/ui/Control.h"
#include "platform/ui/Graphics.h"
#include "support/Log.h"

#include <algorithm>
#include <cmath>

namespace platform {

namespace {

constexpr float kGroupInset = 10, kGroupGap = 10, kRadius = 8, kDragSlop = 8;

Font headerFont(TableViewStyle style) {
    return style == TableViewStyle::Grouped ? Font::boldSystemFont(17) : Font::boldSystemFont(16);
}

// A section's title: a grey bar over plain tables, slate text over grouped.
class HeaderLabel : public Label {
public:
    HeaderLabel(TableViewStyle style, const std::string& title)
        : Label(Rect(), title), style_(style) {
        setFont(headerFont(style));
        setNumberOfLines(0);
        bool grouped = style == TableViewStyle::Grouped;
        setTextColor(grouped ? rgba(0.3f, 0.34f, 0.42f) : rgba(1, 1, 1));
        setShadowColor(grouped ? rgba(1, 1, 1, 0.8f) : rgba(0, 0, 0, 0.35f));
        setTextAlignment(TextAlignment::Left);
    }
    void draw(GraphicsContext& g) override {
        Rect b = bounds();
        if (style_ == TableViewStyle::Plain) {
            g.fillGradientRoundedRect(b, 0, rgba(0.56f, 0.62f, 0.68f, 0.95f),
                                      rgba(0.72f, 0.76f, 0.8f, 0.95f));
            g.save();
            g.translate(12, 0);
        } else {
            g.save();
            g.translate(kGroupInset + 10, 0);
        }
        Label::draw(g);
        g.restore();
    }

private:
    TableViewStyle style_;
};

// The blue (or grey) look of a selected cell, shaped like the cell.
class SelectionLook : public View {
public:
    explicit SelectionLook(TableViewCell* cell) : cell_(cell) { setUserInteractionEnabled(false); }
    bool drawsContent() const override { return true; }
    void draw(GraphicsContext& g) override {
        bool gray = cell_->selectionStyle() == TableViewCellSelectionStyle::Gray;
        ccColor4F top = gray ? rgba(0.7f, 0.7f, 0.7f) : rgba(0.02f, 0.55f, 0.96f);
        ccColor4F bottom = gray ? rgba(0.55f, 0.55f, 0.55f) : rgba(0.0f, 0.37f, 0.9f);
        g.fillGradientRoundedRect(bounds(), 0, top, bottom);
    }

private:
    TableViewCell* cell_;
};

// The cell's accessory mark, above the selection look: white on a
// selected cell, so that a highlighted row keeps its tick in sight.
class AccessoryMark : public View {
public:
    static constexpr float kWidth = 40;
    explicit AccessoryMark(TableViewCell* cell) : cell_(cell) {
        setUserInteractionEnabled(false);
        setBackgroundColor(rgba(0, 0, 0, 0));
    }
    bool drawsContent() const override { return true; }
    void draw(GraphicsContext& g) override {
        Rect b = bounds();
        float cx = b.size.width - 20, cy = b.size.height / 2;
        bool onSelection = cell_->isSelected();
        switch (cell_->accessoryType()) {
        case TableViewCellAccessoryType::Checkmark:
            g.setColor(onSelection ? rgba(1, 1, 1) : rgba(0.2f, 0.31f, 0.52f));
            g.fillPolygon({{cx - 7, cy},
                           {cx - 4, cy - 3},
                           {cx - 1, cy + 1},
                           {cx + 6, cy - 8},
                           {cx + 8, cy - 5},
                           {cx - 1, cy + 6}});
            break;
        case TableViewCellAccessoryType::DisclosureIndicator:
            g.setColor(onSelection ? rgba(1, 1, 1) : rgba(0.5f, 0.5f, 0.5f));
            g.strokeLine(Point(cx - 3, cy - 5), Point(cx + 2, cy), 3);
            g.strokeLine(Point(cx + 2, cy), Point(cx - 3, cy + 5), 3);
            break;
        case TableViewCellAccessoryType::None:
            break;
        }
    }

private:
    TableViewCell* cell_;
};

} // namespace

// --- cells ---

TableViewCell::TableViewCell(TableViewCellStyle, std::string reuseIdentifier)
    : View(Rect(0, 0, 320, 44)), reuseIdentifier_(std::move(reuseIdentifier)) {
    selectedBackground_ = make<SelectionLook>(this);
    selectedBackground_->setAlpha(0);
    contentView_ = make<View>(bounds());
    textLabel_ = make<Label>();
    textLabel_->setFont(Font::boldSystemFont(17));
    accessoryMark_ = make<AccessoryMark>(this);
    addSubview(selectedBackground_.get());
    addSubview(accessoryMark_.get());
    addSubview(contentView_.get());
    contentView_->addSubview(textLabel_.get());
    layoutSubviews();
}

void TableViewCell::setAccessoryType(TableViewCellAccessoryType type) {
    if (type == accessory_) return;
    accessory_ = type;
    layoutSubviews();
    accessoryMark_->setNeedsDisplay();
}

void TableViewCell::setGroupPosition(GroupPosition position) {
    if (position == group_) return;
    group_ = position;
    setClipsToBounds(position != GroupPosition::None);
    setNeedsDisplay();
}

void TableViewCell::setSelected(bool selected, bool animated) {
    if (selectionStyle_ == TableViewCellSelectionStyle::None) selected = false;
    selected_ = selected;
    textLabel_->setTextColor(selected ? rgba(1, 1, 1) : rgba(0, 0, 0));
    accessoryMark_->setNeedsDisplay();
    if (!animated) {
        selectedBackground_->setAlpha(selected ? 1 : 0);
        return;
    }
    Ref<View> look = selectedBackground_;
    animate(0.3, [&] { look->setAlpha(selected ? 1 : 0); });
}

void TableViewCell::prepareForReuse() {
    setSelected(false);
    setHidden(false);
}

void TableViewCell::layoutSubviews() {
    Rect b = bounds();
    float accessory = accessory_ == TableViewCellAccessoryType::None ? 0 : 30;
    selectedBackground_->setFrame(
        Rect(1, 0, std::max(0.0f, b.size.width - 2), std::max(0.0f, b.size.height - 1)));
    contentView_->setFrame(Rect(0, 0, std::max(0.0f, b.size.width - accessory), b.size.height));
    accessoryMark_->setFrame(Rect(std::max(0.0f, b.size.width - AccessoryMark::kWidth), 0,
                                  std::min(b.size.width, AccessoryMark::kWidth), b.size.height));
    textLabel_->setFrame(
        Rect(10, 0, std::max(0.0f, contentView_->frame().size.width - 20), b.size.height));
}

void TableViewCell::draw(GraphicsContext& g) {
    Rect b = bounds();
    ccColor4F line = rgba(0.67f, 0.67f, 0.69f);
    if (group_ == GroupPosition::None) {
        g.setColor(rgba(1, 1, 1));
        g.fillRect(b);
        g.setColor(rgba(0.88f, 0.88f, 0.88f));
        g.strokeLine(Point(0, b.size.height - 0.5f), Point(b.size.width, b.size.height - 0.5f), 1);
    } else {
        // Round only the corners at the ends of the section: the shape runs
        // past the cell's edges where it continues into a neighbour.
        bool top = group_ == GroupPosition::Single || group_ == GroupPosition::Top;
        bool bottom = group_ == GroupPosition::Single || group_ == GroupPosition::Bottom;
        Rect shape(0.5f, top ? 0.5f : -kRadius, b.size.width - 1,
                   b.size.height + (top ? -0.5f : kRadius) + (bottom ? -0.5f : kRadius));
        g.setColor(rgba(1, 1, 1));
        g.fillRoundedRect(shape, kRadius);
        g.setColor(line);
        g.strokeRoundedRect(shape, kRadius, 1);
        if (!bottom)
            g.strokeLine(Point(0, b.size.height - 0.5f), Point(b.size.width, b.size.height - 0.5f),
                         1);
    }
}

// --- table ---

TableView::TableView(Rect frame, TableViewStyle style) : View(frame), style_(style) {
    setClipsToBounds(true);
    setMultipleTouchEnabled(false);
}

void TableView::setDataSource(TableViewDataSource* source) {
    dataSource_ = source;
    reloadData();
}

void TableView::setRowHeight(float height) {
    rowHeight_ = std::isfinite(height) ? std::clamp(height, 1.0f, 2000.0f) : 44.0f;
    reloadData();
}

int TableView::numberOfRowsInSection(int section) const {
    return section >= 0 && section < numberOfSections() ? sections_[size_t(section)].rows : 0;
}

void TableView::computeLayout() {
    sections_.clear();
    contentHeight_ = 0;
    if (!dataSource_) return;
    int n = dataSource_->numberOfSectionsInTableView(this);
    if (n < 0 || n > kMaxSections) {
        int used = std::clamp(n, 0, kMaxSections);
        ccLog("TableView: %d sections asked for; showing %d", n, used);
        n = used;
    }
    bool grouped = style_ == TableViewStyle::Grouped;
    float width = bounds().size.width - (grouped ? 2 * (kGroupInset + 10) : 24);
    double y = grouped ? kGroupGap : 0;
    for (int s = 0; s < n; ++s) {
        Section sec;
        int rows = dataSource_->numberOfRowsInSection(this, s);
        if (rows < 0 || rows > kMaxRows) {
            int used = std::clamp(rows, 0, kMaxRows);
            ccLog("TableView: %d rows asked for in section %d; showing %d", rows, s, used);
            rows = used;
        }
        sec.rows = rows;
        sec.title = dataSource_->titleForHeaderInSection(this, s);
        if (!sec.title.empty()) {
            TextStyle ts;
            ts.font = headerFont(style_);
            float text = measureText(sec.title, ts, std::max(1.0f, width)).height;
            sec.headerHeight = std::min(200.0f, text + (grouped ? 14 : 2));
        }
        sec.top = y;
        sec.rowsTop = y + sec.headerHeight;
        y = sec.rowsTop + double(rows) * rowHeight_ + (grouped ? kGroupGap : 0);
        sections_.push_back(sec);
    }
    contentHeight_ = y;
}

double TableView::maxOffset() const {
    return std::max(0.0, contentHeight_ - double(bounds().size.height));
}

void TableView::reloadData() {
    Ref<TableView> keep(this);
    for (auto& [ip, cell] : std::exchange(visible_, {}))
        enqueue(cell);
    for (auto& [s, header] : std::exchange(headers_, {}))
        header->removeFromSuperview();
    hasSelection_ = false;
    computeLayout();
    offset_ = std::clamp(offset_, 0.0, maxOffset());
    tile();
    setNeedsDisplay();
}

Ref<TableViewCell> TableView::dequeueReusableCellWithIdentifier(const std::string& identifier) {
    auto it = reusable_.find(identifier);
    if (it == reusable_.end() || it->second.empty()) return nullptr;
    Ref<TableViewCell> cell = std::move(it->second.back());
    it->second.pop_back();
    cell->prepareForReuse();
    return cell;
}

void TableView::enqueue(Ref<TableViewCell> cell) {
    cell->removeFromSuperview();
    if (cell->reuseIdentifier().empty()) return;
    auto& pool = reusable_[cell->reuseIdentifier()];
    // Enough to fill the table again; more would only hold memory.
    if (pool.size() < 64) pool.push_back(std::move(cell));
}

void TableView::tile() {
    if (!dataSource_) return;
    Ref<TableView> keep(this);
    bool grouped = style_ == TableViewStyle::Grouped;
    float x = grouped ? kGroupInset : 0;
    float w = bounds().size.width - 2 * x;
    double y0 = offset_, y1 = offset_ + double(bounds().size.height);

    // What is in sight now: headers, and rows with their places.
    std::map<int, Ref<Label>> headers;
    std::vector<IndexPath> rows;
    for (int s = 0; s < numberOfSections(); ++s) {
        const Section& sec = sections_[size_t(s)];
        double end = sec.rowsTop + double(sec.rows) * rowHeight_;
        if (sec.top >= y1) break;
        if (end <= y0 && sec.rowsTop <= y0) continue;
        if (sec.headerHeight > 0 && sec.rowsTop > y0) {
            Ref<Label> header;
            if (auto it = headers_.find(s); it != headers_.end()) header = it->second;
            if (!header) {
                header = make<HeaderLabel>(style_, sec.title);
                addSubview(header.get());
            }
            header->setFrame(
                Rect(0, float(sec.top - offset_), bounds().size.width, sec.headerHeight));
            headers[s] = header;
        }
        if (sec.rows == 0) continue;
        int first = int(std::max(0.0, std::floor((y0 - sec.rowsTop) / rowHeight_)));
        int last = int(std::min(double(sec.rows - 1), std::floor((y1 - sec.rowsTop) / rowHeight_)));
        for (int r = first; r <= last; ++r)
            rows.push_back(IndexPath{s, r});
    }
    for (auto& [s, header] : headers_)
        if (!headers.count(s)) header->removeFromSuperview();
    headers_ = std::move(headers);

    // Rows that left give their cells up first, so that those coming in can
    // have them.
    std::map<IndexPath, Ref<TableViewCell>> shown;
    for (auto& [ip, cell] : visible_) {
        if (std::binary_search(rows.begin(), rows.end(), ip))
            shown[ip] = cell;
        else if (cell->superview() == this)
            enqueue(cell);
    }
    visible_.clear();
    for (const IndexPath& ip : rows) {
        const Section& sec = sections_[size_t(ip.section)];
        Ref<TableViewCell>& cell = shown[ip];
        if (!cell) {
            cell = dataSource_->cellForRowAtIndexPath(this, ip);
            if (!cell) {
                ccLog("TableView: no cell for row %d of section %d", ip.row, ip.section);
                cell = make<TableViewCell>(TableViewCellStyle::Default, "");
            }
            if (cell->superview() != this) insertSubview(cell.get(), 0);
            cell->setSelected(hasSelection_ && selected_ == ip);
        }
        using P = TableViewCell::GroupPosition;
        cell->setGroupPosition(!grouped                 ? P::None
                               : sec.rows == 1          ? P::Single
                               : ip.row == 0            ? P::Top
                               : ip.row == sec.rows - 1 ? P::Bottom
                                                        : P::Middle);
        cell->setFrame(
            Rect(x, float(sec.rowsTop + double(ip.row) * rowHeight_ - offset_), w, rowHeight_));
    }
    visible_ = std::move(shown);
}

TableViewCell* TableView::cellForRowAtIndexPath(IndexPath ip) const {
    auto it = visible_.find(ip);
    return it == visible_.end() ? nullptr : it->second.get();
}

Rect TableView::rectForRowAtIndexPath(IndexPath ip) const {
    if (ip.section < 0 || ip.section >= numberOfSections() || ip.row < 0 ||
        ip.row >= sections_[size_t(ip.section)].rows)
        return Rect();
    float x = style_ == TableViewStyle::Grouped ? kGroupInset : 0;
    double y = sections_[size_t(ip.section)].rowsTop + double(ip.row) * rowHeight_ - offset_;
    return Rect(x, float(y), bounds().size.width - 2 * x, rowHeight_);
}

bool TableView::indexPathForRowAtPoint(Point p, IndexPath& out) const {
    double y = double(p.y) + offset_;
    for (int s = 0; s < numberOfSections(); ++s) {
        const Section& sec = sections_[size_t(s)];
        if (y < sec.rowsTop) return false;
        double row = std::floor((y - sec.rowsTop) / rowHeight_);
        if (row < sec.rows) {
            Rect r = rectForRowAtIndexPath(IndexPath{s, int(row)});
            if (p.x < r.minX() || p.x >= r.maxX()) return false;
            out = IndexPath{s, int(row)};
            return true;
        }
    }
    return false;
}

void TableView::selectRowAtIndexPath(IndexPath ip, bool animated) {
    if (hasSelection_ && selected_ != ip) deselectRowAtIndexPath(selected_, false);
    if (ip.section < 0 || ip.section >= numberOfSections() || ip.row < 0 ||
        ip.row >= numberOfRowsInSection(ip.section))
        return;
    hasSelection_ = true;
    selected_ = ip;
    if (TableViewCell* cell = cellForRowAtIndexPath(ip)) cell->setSelected(true, animated);
}

void TableView::deselectRowAtIndexPath(IndexPath ip, bool animated) {
    if (TableViewCell* cell = cellForRowAtIndexPath(ip)) cell->setSelected(false, animated);
    if (hasSelection_ && selected_ == ip) hasSelection_ = false;
}

void TableView::setContentOffset(Point offset) {
    double y = std::isfinite(offset.y) ? std::clamp(double(offset.y), 0.0, maxOffset()) : 0.0;
    if (y == offset_) return;
    offset_ = y;
    tile();
}

void TableView::scrollToRowAtIndexPath(IndexPath ip) {
    Rect r = rectForRowAtIndexPath(ip);
    if (r.size.height <= 0) return;
    if (r.minY() < 0)
        setContentOffset(Point(0, float(offset_ + double(r.minY()))));
    else if (r.maxY() > bounds().size.height)
        setContentOffset(Point(0, float(offset_ + double(r.maxY() - bounds().size.height))));
}

void TableView::setFrame(Rect frame) {
    View::setFrame(frame);
    reloadData();
}

void TableView::layoutSubviews() {
    tile();
}

View* TableView::hitTest(Point point) {
    View* hit = View::hitTest(point);
    if (!hit) return nullptr;
    // Controls in cells keep their touches; everything else is the table's.
    for (View* v = hit; v && v != this; v = v->superview())
        if (dynamic_cast<Control*>(v)) return hit;
    return this;
}

bool TableView::scrollWheel(float, float dy) {
    if (maxOffset() <= 0 || !std::isfinite(dy)) return false;
    setContentOffset(Point(0, float(offset_ - double(dy) * kWheelStep)));
    return true;
}

void TableView::draw(GraphicsContext& g) {
    Rect b = bounds();
    if (style_ == TableViewStyle::Plain) {
        g.setColor(rgba(1, 1, 1));
        g.fillRect(b);
        return;
    }
    // Pinstripes.
    g.setColor(rgba(0.77f, 0.8f, 0.85f));
    g.fillRect(b);
    g.setColor(rgba(0.8f, 0.83f, 0.88f));
    for (float x = 0; x < b.size.width; x += 7)
        g.fillRect(Rect(x, 0, 3, b.size.height));
}

// --- touches ---

void TableView::touchesBegan(const TouchSet& touches, Event*) {
    if (touch_ || touches.empty()) return;
    touch_ = touches.front();
    touchStart_ = touch_->locationInView(this);
    offsetAtTouch_ = offset_;
    dragging_ = false;
    highlighted_ = false;
    if (allowsSelection_ && indexPathForRowAtPoint(touchStart_, touchedRow_)) {
        if (TableViewCell* cell = cellForRowAtIndexPath(touchedRow_)) {
            cell->setSelected(true);
            highlighted_ = true;
        }
    }
}

void TableView::touchesMoved(const TouchSet& touches, Event*) {
    for (auto& t : touches) {
        if (t != touch_) continue;
        Point p = t->locationInView(this);
        float dy = p.y - touchStart_.y;
        if (!dragging_ && std::fabs(dy) > kDragSlop) {
            dragging_ = true;
            if (highlighted_ && !(hasSelection_ && selected_ == touchedRow_))
                if (TableViewCell* cell = cellForRowAtIndexPath(touchedRow_))
                    cell->setSelected(false);
            highlighted_ = false;
        }
        if (dragging_) setContentOffset(Point(0, float(offsetAtTouch_ - double(dy))));
    }
}

void TableView::touchesEnded(const TouchSet& touches, Event*) {
    for (auto& t : touches) {
        if (t != touch_) continue;
        touch_ = nullptr;
        if (dragging_ || !highlighted_) return;
        Ref<TableView> keep(this);
        IndexPath ip = touchedRow_;
        selectRowAtIndexPath(ip, false);
        if (delegate_) delegate_->didSelectRowAtIndexPath(this, ip);
    }
}

void TableView::touchesCancelled(const TouchSet& touches, Event*) {
    for (auto& t : touches) {
        if (t != touch_) continue;
        touch_ = nullptr;
        if (highlighted_ && !(hasSelection_ && selected_ == touchedRow_))
            if (TableViewCell* cell = cellForRowAtIndexPath(touchedRow_)) cell->setSelected(false);
        highlighted_ = false;
    }
}

} // namespace platform
