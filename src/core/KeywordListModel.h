#pragma once
// The keyword list's rows: ten texts each, the key the row was filled under
// ("Key" & keyword, under the list views' key role in column 0) and the
// colour of marked cells. Rows are plain values in one array, so a long list
// fills, shrinks and renumbers without an object per row.

#include <QAbstractTableModel>
#include <QColor>
#include <QStringList>
#include <array>
#include <vector>

class KeywordListModel : public QAbstractTableModel {
    Q_OBJECT
public:
    static constexpr int kColumns = 10;
    struct Row {
        // Column 0 shows this number while its own text is null.
        int number = 0;
        std::array<QString, kColumns> text;
        // The key, unless keyedByKeyword: then it is "Key" & the keyword in
        // column 1, and no copy of it is kept.
        QString key;
        bool keyedByKeyword = false;
        // Cells drawn in the mark colour, one bit per column.
        quint16 markedColumns = 0;
        QRgb mark = 0;
    };

    using QAbstractTableModel::QAbstractTableModel;

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    void setHeaderLabels(const QStringList &labels);

    int count() const { return int(m_rows.size()); }
    QString text(int row, int column) const;
    void setText(int row, int column, const QString &text);
    QString key(int row) const;
    // True when the row's key is "Key" & this keyword; compares without
    // building the key.
    bool keyedBy(int row, const QString &keyword) const;
    // Invalid when the cell has no colour of its own.
    QColor foreground(int row, int column) const;
    void setForeground(int row, int column, const QColor &colour);

    void clear();
    // Rows put in at a 0-based position in one insertion.
    void insertRows(int at, std::vector<Row> &&rows);
    void appendRow(const QStringList &texts, const QString &key = QString());
    // A row of these column texts (column 0 included).
    static Row RowOf(const QStringList &texts, const QString &key = QString());
    // Drops the marked rows (one flag per row) in one pass and numbers the
    // rest 1, 2, 3... Views and their selections are reset.
    void removeMarked(const std::vector<bool> &marked);

private:
    std::vector<Row> m_rows;
    QStringList m_headers;
};
