#pragma once
// A worksheet range in A1 notation: one cell ("B2"), a rectangle ("A3:J200"),
// whole columns ("A:J") or whole rows ("3:5"); "$" marks are accepted.
// Rows and columns are 1-based.

#include <QString>

class ExcelRange {
public:
    static constexpr int kMaxRow = 1048576;
    static constexpr int kMaxCol = 16384;

    int firstRow = 1, firstCol = 1, lastRow = 1, lastCol = 1;

    // Parses a range text; raises error 1004 when it is not one.
    static ExcelRange Parse(const QString &text);
    static ExcelRange Cell(int row, int col);

    bool wholeColumns() const { return firstRow == 1 && lastRow == kMaxRow; }
    bool wholeRows() const { return firstCol == 1 && lastCol == kMaxCol; }
    int rows() const { return lastRow - firstRow + 1; }
    int cols() const { return lastCol - firstCol + 1; }
    bool contains(int row, int col) const {
        return row >= firstRow && row <= lastRow && col >= firstCol && col <= lastCol;
    }
    bool intersects(const ExcelRange &o) const {
        return firstRow <= o.lastRow && o.firstRow <= lastRow && firstCol <= o.lastCol && o.firstCol <= lastCol;
    }
    // The smallest range holding both.
    ExcelRange united(const ExcelRange &o) const;
    bool operator==(const ExcelRange &o) const {
        return firstRow == o.firstRow && firstCol == o.firstCol && lastRow == o.lastRow && lastCol == o.lastCol;
    }
    // "A3:J200", or "B2" for one cell.
    QString address() const;

    // Column letters of a 1-based column number (1 = "A", 27 = "AA"); "" outside 1..16384.
    static QString ColumnLetters(int col);
};
