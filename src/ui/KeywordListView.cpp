#include "ui/KeywordListView.h"

#include <QItemSelection>
#include <QItemSelectionModel>
#include <algorithm>

KeywordListView::KeywordListView(QWidget *parent) : QTreeView(parent), m_rows(new KeywordListModel(this)) {
    setModel(m_rows);
}

int KeywordListView::currentRow() const {
    const QModelIndex current = currentIndex();
    return current.isValid() ? current.row() : -1;
}

void KeywordListView::setCurrentRow(int row) { setCurrentIndex(m_rows->index(row, 0)); }

bool KeywordListView::isRowSelected(int row) const {
    return row >= 0 && row < rowCount() && selectionModel()->isRowSelected(row, QModelIndex());
}

void KeywordListView::setRowSelected(int row, bool selected) {
    if (row < 0 || row >= rowCount())
        return;
    selectionModel()->select(m_rows->index(row, 0), (selected ? QItemSelectionModel::Select
                                                              : QItemSelectionModel::Deselect) |
                                                        QItemSelectionModel::Rows);
}

bool KeywordListView::hasSelectedRows() const { return selectionModel()->hasSelection(); }

// Read from the selection's ranges: asking the model row by row searches
// every range for each row.
std::vector<int> KeywordListView::selectedRowNumbers() const {
    std::vector<int> rows;
    const QItemSelection selection = selectionModel()->selection();
    for (const QItemSelectionRange &range : selection) {
        if (range.parent().isValid())
            continue;
        for (int r = range.top(); r <= range.bottom(); ++r)
            rows.push_back(r);
    }
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    return rows;
}
