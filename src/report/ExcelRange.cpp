#include "report/ExcelRange.h"

#include "platform/VB.h"

#include <QStringList>
#include <algorithm>

namespace {

const char kBadRange[] = "Method 'Range' of object '_Worksheet' failed";
constexpr int kRangeError = 1004;

[[noreturn]] void badRange() { vb::Raise(kRangeError, QString::fromLatin1(kBadRange)); }

// One side of a range: a cell, a column or a row; 0 where a part is absent.
struct Ref {
    int row = 0;
    int col = 0;
};

bool isLetter(QChar c) { return (c >= QLatin1Char('A') && c <= QLatin1Char('Z')) || (c >= QLatin1Char('a') && c <= QLatin1Char('z')); }
bool isDigit(QChar c) { return c >= QLatin1Char('0') && c <= QLatin1Char('9'); }

Ref parseRef(const QString &text) {
    Ref ref;
    int i = 0;
    const int n = int(text.size());
    if (i < n && text.at(i) == QLatin1Char('$'))
        ++i;
    const int lettersStart = i;
    while (i < n && isLetter(text.at(i))) {
        ref.col = ref.col * 26 + (text.at(i).toUpper().unicode() - 'A' + 1);
        if (ref.col > ExcelRange::kMaxCol)
            badRange();
        ++i;
    }
    const bool hasLetters = i > lettersStart;
    if (hasLetters && i < n && text.at(i) == QLatin1Char('$'))
        ++i;
    const int digitsStart = i;
    while (i < n && isDigit(text.at(i))) {
        ref.row = ref.row * 10 + (text.at(i).unicode() - '0');
        if (ref.row > ExcelRange::kMaxRow)
            badRange();
        ++i;
    }
    const bool hasDigits = i > digitsStart;
    if (i != n || (!hasLetters && !hasDigits) || (hasDigits && ref.row == 0))
        badRange();
    // A "$" between letters and nothing is not a reference.
    if (hasLetters && !hasDigits && text.endsWith(QLatin1Char('$')))
        badRange();
    return ref;
}

}  // namespace

ExcelRange ExcelRange::Cell(int row, int col) {
    if (row < 1 || row > kMaxRow || col < 1 || col > kMaxCol)
        vb::Raise(kRangeError);
    ExcelRange r;
    r.firstRow = r.lastRow = row;
    r.firstCol = r.lastCol = col;
    return r;
}

ExcelRange ExcelRange::Parse(const QString &text) {
    const QStringList parts = text.split(QLatin1Char(':'));
    if (parts.size() > 2)
        badRange();
    const Ref a = parseRef(parts.first());
    const Ref b = parts.size() == 2 ? parseRef(parts.last()) : a;
    const bool cells = a.row && a.col && b.row && b.col;
    const bool columns = !a.row && !b.row && a.col && b.col && parts.size() == 2;
    const bool rowsOnly = !a.col && !b.col && a.row && b.row && parts.size() == 2;
    ExcelRange r;
    if (cells) {
        r.firstRow = std::min(a.row, b.row);
        r.lastRow = std::max(a.row, b.row);
        r.firstCol = std::min(a.col, b.col);
        r.lastCol = std::max(a.col, b.col);
    } else if (columns) {
        r.firstRow = 1;
        r.lastRow = kMaxRow;
        r.firstCol = std::min(a.col, b.col);
        r.lastCol = std::max(a.col, b.col);
    } else if (rowsOnly) {
        r.firstCol = 1;
        r.lastCol = kMaxCol;
        r.firstRow = std::min(a.row, b.row);
        r.lastRow = std::max(a.row, b.row);
    } else {
        badRange();
    }
    return r;
}

ExcelRange ExcelRange::united(const ExcelRange &o) const {
    ExcelRange r;
    r.firstRow = std::min(firstRow, o.firstRow);
    r.firstCol = std::min(firstCol, o.firstCol);
    r.lastRow = std::max(lastRow, o.lastRow);
    r.lastCol = std::max(lastCol, o.lastCol);
    return r;
}

QString ExcelRange::address() const {
    if (wholeColumns() && !wholeRows())
        return ColumnLetters(firstCol) + QLatin1Char(':') + ColumnLetters(lastCol);
    if (wholeRows() && !wholeColumns())
        return QString::number(firstRow) + QLatin1Char(':') + QString::number(lastRow);
    const QString first = ColumnLetters(firstCol) + QString::number(firstRow);
    if (firstRow == lastRow && firstCol == lastCol)
        return first;
    return first + QLatin1Char(':') + ColumnLetters(lastCol) + QString::number(lastRow);
}

QString ExcelRange::ColumnLetters(int col) {
    if (col < 1 || col > kMaxCol)
        return QString();
    QString letters;
    while (col > 0) {
        const int rem = (col - 1) % 26;
        letters.prepend(QChar('A' + rem));
        col = (col - 1) / 26;
    }
    return letters;
}
