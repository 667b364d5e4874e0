#pragma once
// The workbook the spreadsheet wrapper builds in memory (sheets, cells, one
// table of cell formats) and its writing to an .xlsx file. Nothing is written
// until the whole book is complete.

#include "report/ExcelRange.h"

#include <QByteArray>
#include <QHash>
#include <QString>

#include <algorithm>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <vector>

namespace excel {

constexpr int kAppError = 1004;
// Ranges larger than this are refused rather than expanded cell by cell.
constexpr qint64 kMaxCells = qint64(1) << 22;

extern const char kRangeTooLarge[];
extern const char kBadSheetName[];
extern const char kBadValue[];

[[noreturn]] void appError(const char *text);
// Raises a system call's file error: 70 when permission was refused.
[[noreturn]] void raiseFileError(int err);

enum CellKind : quint8 { Empty = 0, Text = 1, Formula = 2 };
enum Side { Left = 0, Top = 1, Right = 2, Bottom = 3 };

struct CellFormat {
    QString fontName;
    double fontSize = 0;  // 0: the workbook's default
    bool bold = false, italic = false, underline = false, shrink = false;
    qint32 fontColor = -1, fillColor = -1;  // 0xRRGGBB, -1 unset
    quint8 hAlign = 0, vAlign = 0;          // libxlsxwriter alignment codes, 0 unset
    quint8 border[4] = {0, 0, 0, 0};        // libxlsxwriter border styles by Side
    qint32 borderColor[4] = {-1, -1, -1, -1};
    quint8 diagType = 0, diagStyle = 0;
    qint32 diagColor = -1;

    bool operator==(const CellFormat &o) const {
        return fontName == o.fontName && fontSize == o.fontSize && bold == o.bold && italic == o.italic &&
               underline == o.underline && shrink == o.shrink && fontColor == o.fontColor &&
               fillColor == o.fillColor && hAlign == o.hAlign && vAlign == o.vAlign &&
               std::equal(border, border + 4, o.border) && std::equal(borderColor, borderColor + 4, o.borderColor) &&
               diagType == o.diagType && diagStyle == o.diagStyle && diagColor == o.diagColor;
    }
};

inline size_t qHash(const CellFormat &f, size_t salt = 0) {
    return qHashMulti(salt, f.fontName, f.fontSize, f.bold, f.italic, f.underline, f.shrink, f.fontColor,
                      f.fillColor, f.hAlign, f.vAlign, f.border[0], f.border[1], f.border[2], f.border[3],
                      f.borderColor[0], f.borderColor[1], f.borderColor[2], f.borderColor[3], f.diagType,
                      f.diagStyle, f.diagColor);
}

struct Cell {
    QString text;
    CellKind kind = Empty;
    int fmt = 0;
};

struct Picture {
    QByteArray bytes;
    double left, top, width, height;  // points
};

struct Sheet {
    QString name;
    std::map<int, std::vector<Cell>> rows;  // row -> cells by column - 1
    std::map<int, double> colWidth, rowHeight;
    std::map<int, int> colFmt, rowFmt;
    std::optional<double> defaultRowHeight;
    bool fitToWidth = false;
    std::vector<ExcelRange> merges;
    std::set<int> pageBreaks;  // rows that start a new page
    std::vector<Picture> pictures;

    int defaultFormat(int row, int col) const {
        const auto r = rowFmt.find(row);
        if (r != rowFmt.end())
            return r->second;
        const auto c = colFmt.find(col);
        return c != colFmt.end() ? c->second : 0;
    }
    Cell &cell(int row, int col) {
        std::vector<Cell> &cells = rows[row];
        if (int(cells.size()) < col) {
            const int old = int(cells.size());
            cells.resize(size_t(col));
            for (int i = old; i < col; ++i)
                cells[size_t(i)].fmt = defaultFormat(row, i + 1);
        }
        return cells[size_t(col - 1)];
    }
    const Cell *find(int row, int col) const {
        const auto r = rows.find(row);
        if (r == rows.end() || int(r->second.size()) < col)
            return nullptr;
        return &r->second[size_t(col - 1)];
    }
    // Calls f(row, col, cell) for every stored cell inside the range.
    template <typename F> void forEachStored(const ExcelRange &range, F f) {
        for (auto it = rows.lower_bound(range.firstRow); it != rows.end() && it->first <= range.lastRow; ++it) {
            std::vector<Cell> &cells = it->second;
            const int last = std::min(range.lastCol, int(cells.size()));
            for (int c = range.firstCol; c <= last; ++c)
                f(it->first, c, cells[size_t(c - 1)]);
        }
    }
};

void checkArea(const ExcelRange &r);

struct Workbook {
    QString file;
    std::vector<Sheet> sheets;
    std::vector<CellFormat> formats{CellFormat{}};
    QHash<CellFormat, int> formatIndex{{CellFormat{}, 0}};

    // The sheet of that name, letter case ignored; raises 9 when there is none.
    Sheet &sheet(const QString &name);
    // The index of a format in the table, added when new.
    int intern(const CellFormat &f);
    // Applies a format change to every cell of the range (whole columns and
    // rows keep it for cells made later as well).
    void applyFormat(Sheet &s, const ExcelRange &r, const std::function<void(CellFormat &)> &change);
    // Sets the border of each cell side that lies on the chosen lines of the
    // range; no index means every line.
    void applyBorder(Sheet &s, const ExcelRange &r, std::optional<int> index,
                     const std::function<void(quint8 &style, qint32 &color)> &set);
    // Writes the whole book to the file; raises on any failure.
    void write(const QString &path) const;
};

}  // namespace excel
