// The editor's grid: its columns, and their widths as the window's size gives them.
#include <algorithm>

#include <QFontMetrics>
#include <QHeaderView>
#include <QStyle>
#include <QTableWidget>

#include "dialogs/bout_list_editor.h"

namespace kyomat {

void BoutListEditor::build_grid() {
    grid_ = new QTableWidget(this);
    grid_->setObjectName("grdKaempfe");
    grid_->setColumnCount(BoutList::k_columns);
    QStringList titles;
    for (const auto& t : bout_list_header()) titles << QString::fromStdString(t);
    grid_->setHorizontalHeaderLabels(titles);
    grid_->horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    grid_->horizontalHeader()->setSectionsMovable(false);
    grid_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    grid_->verticalHeader()->hide();
    grid_->setSelectionMode(QAbstractItemView::ContiguousSelection);
    grid_->installEventFilter(this);
    connect(grid_, &QTableWidget::cellChanged, this, &BoutListEditor::cell_changed);
}

void BoutListEditor::apply_column_widths() {
    const int total = grid_->viewport()->width();
    const int w = total / 20;
    // The short columns are at least as wide as their headings ("Unterbew.", "Kampfzeit"
    // read whole); the names and clubs share what is left.
    const QHeaderView* header = grid_->horizontalHeader();
    const QFontMetrics metrics(header->font());
    const int margin =
        2 * header->style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, header) + 8;
    int narrow = 0;
    for (int c = 0; c < BoutList::k_columns; ++c) {
        if (c >= 1 && c <= 4) continue;
        const QTableWidgetItem* title = grid_->horizontalHeaderItem(c);
        const int needed = title != nullptr ? metrics.horizontalAdvance(title->text()) + margin : 0;
        const int width = std::max(w, needed);
        grid_->setColumnWidth(c, width);
        narrow += width;
    }
    const int wide = std::max(w, (total - narrow) / 4);
    for (int c = 1; c <= 4; ++c) grid_->setColumnWidth(c, wide);
}

}  // namespace kyomat
