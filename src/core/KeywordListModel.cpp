#include "core/KeywordListModel.h"

#include "core/clsURL.h"

#include <QBrush>
#include <algorithm>
#include <stdexcept>

int KeywordListModel::rowCount(const QModelIndex &parent) const { return parent.isValid() ? 0 : count(); }

int KeywordListModel::columnCount(const QModelIndex &parent) const { return parent.isValid() ? 0 : kColumns; }

QVariant KeywordListModel::data(const QModelIndex &index, int role) const {
    if (!index.isValid() || index.row() >= count() || index.column() >= kColumns)
        return QVariant();
    const Row &row = m_rows[size_t(index.row())];
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
        return text(index.row(), index.column());
    case Qt::ForegroundRole:
        if (row.markedColumns & (1u << index.column()))
            return QBrush(QColor::fromRgb(row.mark));
        return QVariant();
    case listview::KeyRole:
        return index.column() == 0 ? QVariant(key(index.row())) : QVariant();
    default:
        return QVariant();
    }
}

QVariant KeywordListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 && section < m_headers.size())
        return m_headers[section];
    return QAbstractTableModel::headerData(section, orientation, role);
}

void KeywordListModel::setHeaderLabels(const QStringList &labels) {
    m_headers = labels.mid(0, kColumns);
    Q_EMIT headerDataChanged(Qt::Horizontal, 0, kColumns - 1);
}

namespace {
const QLatin1String kKeyPrefix("Key");
}

QString KeywordListModel::key(int row) const {
    const Row &r = m_rows.at(size_t(row));
    return r.keyedByKeyword ? kKeyPrefix + r.text[1] : r.key;
}

bool KeywordListModel::keyedBy(int row, const QString &keyword) const {
    const Row &r = m_rows.at(size_t(row));
    // A row filled from a record shares the record's keyword text, so the
    // characters need not be read.
    if (r.keyedByKeyword)
        return r.text[1].constData() == keyword.constData() ? r.text[1].size() == keyword.size()
                                                            : r.text[1] == keyword;
    return r.key.startsWith(kKeyPrefix) && QStringView(r.key).mid(kKeyPrefix.size()) == keyword;
}

QString KeywordListModel::text(int row, int column) const {
    if (column < 0 || column >= kColumns)
        return QString();
    const Row &r = m_rows.at(size_t(row));
    if (column == 0 && r.text[0].isNull())
        return QString::number(r.number);
    return r.text[size_t(column)];
}

void KeywordListModel::setText(int row, int column, const QString &text) {
    if (column < 0 || column >= kColumns)
        return;
    m_rows.at(size_t(row)).text[size_t(column)] = text.isNull() ? QStringLiteral("") : text;
    const QModelIndex cell = index(row, column);
    Q_EMIT dataChanged(cell, cell, {Qt::DisplayRole, Qt::EditRole});
}

QColor KeywordListModel::foreground(int row, int column) const {
    const Row &r = m_rows.at(size_t(row));
    if (column < 0 || column >= kColumns || !(r.markedColumns & (1u << column)))
        return QColor();
    return QColor::fromRgb(r.mark);
}

void KeywordListModel::setForeground(int row, int column, const QColor &colour) {
    if (column < 0 || column >= kColumns)
        return;
    Row &r = m_rows.at(size_t(row));
    // One colour a row: the list only ever marks one colour.
    r.mark = colour.rgb();
    r.markedColumns |= quint16(1u << column);
    const QModelIndex cell = index(row, column);
    Q_EMIT dataChanged(cell, cell, {Qt::ForegroundRole});
}

void KeywordListModel::clear() {
    beginResetModel();
    m_rows.clear();
    endResetModel();
}

void KeywordListModel::insertRows(int at, std::vector<Row> &&rows) {
    if (rows.empty())
        return;
    if (at < 0 || at > count())
        throw std::out_of_range("KeywordListModel::insertRows");
    beginInsertRows(QModelIndex(), at, at + int(rows.size()) - 1);
    m_rows.insert(m_rows.begin() + at, std::make_move_iterator(rows.begin()), std::make_move_iterator(rows.end()));
    endInsertRows();
}

KeywordListModel::Row KeywordListModel::RowOf(const QStringList &texts, const QString &key) {
    Row row;
    for (int c = 0; c < kColumns && c < texts.size(); ++c)
        row.text[size_t(c)] = texts[c];
    // A row given no number text shows an empty first cell, as any other.
    if (row.text[0].isNull())
        row.text[0] = QStringLiteral("");
    row.key = key;
    return row;
}

void KeywordListModel::appendRow(const QStringList &texts, const QString &key) {
    std::vector<Row> one;
    one.push_back(RowOf(texts, key));
    insertRows(count(), std::move(one));
}

void KeywordListModel::removeMarked(const std::vector<bool> &marked) {
    beginResetModel();
    size_t kept = 0;
    for (size_t i = 0; i < m_rows.size(); ++i) {
        if (i < marked.size() && marked[i])
            continue;
        Row &row = m_rows[i];
        if (kept != i)
            m_rows[kept] = std::move(row);
        Row &moved = m_rows[kept];
        ++kept;
        moved.number = int(kept);
        moved.text[0] = QString();
    }
    m_rows.erase(m_rows.begin() + ptrdiff_t(kept), m_rows.end());
    endResetModel();
}
