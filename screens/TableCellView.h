#pragma once

#include "platform/ui/TableView.h"

// A row of the high-score table: one line of text. Rows that scroll away
// are handed out again under kIdentifier.
class TableCellView : public platform::TableViewCell {
public:
    static constexpr const char* kIdentifier = "tblCellView";

    TableCellView();

    // The line the row shows.
    platform::Label* cellText() const { return textLabel(); }
};
