#include "screens/TableCellView.h"

TableCellView::TableCellView()
    : TableViewCell(platform::TableViewCellStyle::Default, kIdentifier) {
    cellText()->setFont(platform::Font::boldSystemFont(17));
    cellText()->setNumberOfLines(1);
}
