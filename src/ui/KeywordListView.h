#pragma once
// The main window's keyword list: a list view over its own row model, asked
// for rows by number.

#include "core/KeywordListModel.h"

#include <QTreeView>
#include <vector>

class KeywordListView : public QTreeView {
    Q_OBJECT
public:
    explicit KeywordListView(QWidget *parent = nullptr);

    KeywordListModel *rows() const { return m_rows; }
    int rowCount() const { return m_rows->count(); }
    QString text(int row, int column) const { return m_rows->text(row, column); }
    void setHeaderLabels(const QStringList &labels) { m_rows->setHeaderLabels(labels); }
    void clear() { m_rows->clear(); }

    // -1 when there is none.
    int currentRow() const;
    // Makes the row current and the only one selected, as a click does.
    void setCurrentRow(int row);
    bool isRowSelected(int row) const;
    void setRowSelected(int row, bool selected);
    bool hasSelectedRows() const;
    // Rows of the selection, in list order.
    std::vector<int> selectedRowNumbers() const;

private:
    KeywordListModel *m_rows;
};
