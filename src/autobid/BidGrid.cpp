#include "autobid/BidGrid.h"

#include "core/modCommon.h"
#include "platform/VB.h"

#include <QColor>
#include <QFont>
#include <QGuiApplication>
#include <QPalette>
#include <algorithm>
#include <numeric>

namespace {

// Classic colour value (blue, green, red from high to low byte) to a colour.
QColor classicColor(int value) { return QColor(value & 0xFF, (value >> 8) & 0xFF, (value >> 16) & 0xFF); }

// One cell's place in the generic sort: amounts first, by value; then texts.
struct SortKey {
    bool isText = false;
    double value = 0;
};

SortKey sortKey(const QString &text) {
    SortKey key;
    vb::Currency amount;
    const QChar pound = PoundSign().at(0);
    const bool ok = text.contains(pound) ? vb::ParseAmount(QString(text).remove(pound), &amount)
                                         : vb::ParseAmount(text, &amount);
    if (ok)
        key.value = amount.toDouble();
    else
        key.isText = true;
    return key;
}

}  // namespace

BidGrid::BidGrid(QObject *parent) : QAbstractTableModel(parent), m_rows(1) {}

void BidGrid::checkCell(int row, int col) const {
    if (row < 0 || row >= Rows() || col < 0 || col >= kCols)
        vb::Raise(vb::errSubscript);
}

void BidGrid::cellChanged(int row, int col) {
    if (row == 0) {
        Q_EMIT headerDataChanged(Qt::Horizontal, col, col);
        return;
    }
    const QModelIndex i = index(row - 1, col);
    Q_EMIT dataChanged(i, i);
}

void BidGrid::setRows(int rows) {
    rows = qMax(1, rows);
    const int old = Rows();
    if (rows > old) {
        beginInsertRows(QModelIndex(), old - 1, rows - 2);
        m_rows.resize(size_t(rows));
        endInsertRows();
    } else if (rows < old) {
        beginRemoveRows(QModelIndex(), rows - 1, old - 2);
        m_rows.resize(size_t(rows));
        endRemoveRows();
        clampSelection();
    }
}

QString BidGrid::TextMatrix(int row, int col) const {
    checkCell(row, col);
    return m_rows[size_t(row)].text[size_t(col)];
}

void BidGrid::setTextMatrix(int row, int col, const QString &text) {
    checkCell(row, col);
    QString &cell = m_rows[size_t(row)].text[size_t(col)];
    if (cell == text)
        return;
    cell = text;
    cellChanged(row, col);
}

int BidGrid::CellForeColor(int row, int col) const {
    checkCell(row, col);
    return m_rows[size_t(row)].fore[size_t(col)];
}

void BidGrid::setCellForeColor(int row, int col, int color) {
    checkCell(row, col);
    int &cell = m_rows[size_t(row)].fore[size_t(col)];
    if (cell == color)
        return;
    cell = color;
    cellChanged(row, col);
}

bool BidGrid::CellShaded(int row, int col) const {
    checkCell(row, col);
    return m_rows[size_t(row)].shaded & (1u << col);
}

void BidGrid::setCellShaded(int row, int col, bool shaded) {
    checkCell(row, col);
    quint16 &bits = m_rows[size_t(row)].shaded;
    bits = shaded ? quint16(bits | (1u << col)) : quint16(bits & ~(1u << col));
    cellChanged(row, col);
}

Qt::Alignment BidGrid::CellAlignment(int row, int col) const {
    checkCell(row, col);
    return (m_rows[size_t(row)].alignLeft & (1u << col)) ? (Qt::AlignLeft | Qt::AlignVCenter) : Qt::AlignCenter;
}

void BidGrid::setCellAlignment(int row, int col, Qt::Alignment alignment) {
    checkCell(row, col);
    quint16 &bits = m_rows[size_t(row)].alignLeft;
    const bool left = (alignment & Qt::AlignHorizontal_Mask) == Qt::AlignLeft;
    bits = left ? quint16(bits | (1u << col)) : quint16(bits & ~(1u << col));
    cellChanged(row, col);
}

void BidGrid::setColumnFormat(int col, Qt::Alignment alignment, bool shaded) {
    checkCell(0, col);
    const quint16 bit = quint16(1u << col);
    const bool left = (alignment & Qt::AlignHorizontal_Mask) == Qt::AlignLeft;
    setFormats(left ? quint16(bit) : quint16(0), shaded ? quint16(bit) : quint16(0), bit);
}

void BidGrid::setFormats(quint16 leftColumns, quint16 shadedColumns, quint16 columns) {
    for (size_t row = 0; row < m_rows.size(); ++row) {
        Cells &cells = m_rows[row];
        cells.alignLeft = quint16((cells.alignLeft & ~columns) | (leftColumns & columns));
        if (row > 0)
            cells.shaded = quint16((cells.shaded & ~columns) | (shadedColumns & columns));
    }
    Q_EMIT headerDataChanged(Qt::Horizontal, 0, kCols - 1);
    if (Rows() > 1)
        Q_EMIT dataChanged(index(0, 0), index(Rows() - 2, kCols - 1));
}

void BidGrid::AddItem(const RowTexts &texts) {
    const int row = Rows();
    beginInsertRows(QModelIndex(), row - 1, row - 1);
    Cells cells;
    cells.text = texts;
    cells.alignLeft = 0xFFFF;
    m_rows.push_back(std::move(cells));
    endInsertRows();
}

void BidGrid::RemoveItem(int row) {
    if (row < 1 || row >= Rows())
        vb::Raise(vb::errSubscript);
    beginRemoveRows(QModelIndex(), row - 1, row - 1);
    m_rows.erase(m_rows.begin() + row);
    endRemoveRows();
    clampSelection();
}

void BidGrid::ClearRows(bool keepEmptyRow) {
    beginResetModel();
    m_rows.resize(1);
    if (keepEmptyRow)
        m_rows.emplace_back();
    endResetModel();
    clampSelection();
}

void BidGrid::clampSelection() {
    const int last = Rows() - 1;
    m_row = qBound(0, m_row, last);
    m_rowSel = qBound(0, m_rowSel, last);
}

void BidGrid::setCurrentCell(int row, int col) { setSelection(row, col, row, col); }

void BidGrid::setSelection(int row, int col, int rowSel, int colSel) {
    checkCell(row, col);
    checkCell(rowSel, colSel);
    m_row = row;
    m_col = col;
    m_rowSel = rowSel;
    m_colSel = colSel;
    Q_EMIT selectionMoved();
}

void BidGrid::Sort(int col, bool ascending) {
    if (col < 0 || col >= kCols)
        vb::Raise(vb::errSubscript);
    m_col = col;
    const size_t n = m_rows.size() - 1;
    if (n > 1) {
        std::vector<SortKey> keys(n);
        for (size_t i = 0; i < n; ++i)
            keys[i] = sortKey(m_rows[i + 1].text[size_t(col)]);
        std::vector<size_t> order(n);
        std::iota(order.begin(), order.end(), size_t(0));
        // "Less" in ascending order; descending is the same order reversed,
        // with equal cells still in their old order.
        auto less = [&](size_t a, size_t b) {
            const SortKey &ka = keys[a], &kb = keys[b];
            if (ka.isText != kb.isText)
                return !ka.isText;
            if (!ka.isText)
                return ka.value < kb.value;
            return m_rows[a + 1].text[size_t(col)].compare(m_rows[b + 1].text[size_t(col)], Qt::CaseInsensitive) < 0;
        };
        if (ascending)
            std::stable_sort(order.begin(), order.end(), less);
        else
            std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) { return less(b, a); });
        Q_EMIT layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
        const QModelIndexList before = persistentIndexList();
        std::vector<int> newRowOf(n);
        for (size_t i = 0; i < n; ++i)
            newRowOf[order[i]] = int(i);
        // The rows move in place, cycle by cycle: no second copy of the grid.
        std::vector<bool> placed(n, false);
        for (size_t start = 0; start < n; ++start) {
            if (placed[start] || order[start] == start) {
                placed[start] = true;
                continue;
            }
            Cells held = std::move(m_rows[start + 1]);
            size_t at = start;
            while (order[at] != start) {
                m_rows[at + 1] = std::move(m_rows[order[at] + 1]);
                placed[at] = true;
                at = order[at];
            }
            m_rows[at + 1] = std::move(held);
            placed[at] = true;
        }
        QModelIndexList after;
        after.reserve(before.size());
        for (const QModelIndex &i : before)
            after.append(index(newRowOf[size_t(i.row())], i.column()));
        changePersistentIndexList(before, after);
        Q_EMIT layoutChanged({}, QAbstractItemModel::VerticalSortHint);
    }
    Q_EMIT selectionMoved();
}

int BidGrid::rowCount(const QModelIndex &parent) const { return parent.isValid() ? 0 : Rows() - 1; }

int BidGrid::columnCount(const QModelIndex &parent) const { return parent.isValid() ? 0 : kCols; }

QVariant BidGrid::data(const QModelIndex &index, int role) const {
    if (!index.isValid() || index.row() + 1 >= Rows() || index.column() >= kCols)
        return QVariant();
    const Cells &cells = m_rows[size_t(index.row() + 1)];
    const size_t col = size_t(index.column());
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
        return cells.text[col];
    case Qt::ForegroundRole:
        return cells.fore[col] == kDefaultColor ? QVariant() : QVariant(classicColor(cells.fore[col]));
    case Qt::BackgroundRole:
        return (cells.shaded & (1u << col)) ? QVariant(QGuiApplication::palette().color(QPalette::Button))
                                              : QVariant();
    case Qt::TextAlignmentRole:
        return QVariant::fromValue(CellAlignment(index.row() + 1, index.column()));
    default:
        return QVariant();
    }
}

QVariant BidGrid::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || section < 0 || section >= kCols)
        return QAbstractTableModel::headerData(section, orientation, role);
    switch (role) {
    case Qt::DisplayRole:
        return m_rows[0].text[size_t(section)];
    case Qt::FontRole: {
        QFont bold;
        bold.setBold(true);
        return bold;
    }
    case Qt::TextAlignmentRole:
        return QVariant::fromValue(CellAlignment(0, section));
    default:
        return QVariant();
    }
}
