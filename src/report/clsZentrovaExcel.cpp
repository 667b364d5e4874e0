#include "report/clsZentrovaExcel.h"

#include "core/modCommon.h"
#include "platform/Seams.h"
#include "platform/VB.h"
#include "report/ExcelRange.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QImage>
#include <QSet>
#include <QTemporaryFile>

#include <xlsxwriter.h>

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <functional>
#include <map>
#include <set>
#include <vector>

namespace {

constexpr int kAppError = 1004;
constexpr int kNoObject = 91;
constexpr int kMaxText = 32767;
constexpr int kMaxLastColumn = 78;  // "BZ"
// Ranges larger than this are refused rather than expanded cell by cell.
constexpr qint64 kMaxCells = qint64(1) << 22;
// A merge is written out as one cell per covered cell.
constexpr qint64 kMaxMergeCells = qint64(1) << 16;
constexpr double kMaxRowHeight = 409.0;
constexpr double kMaxColumnWidth = 255.0;
constexpr int kMaxPageBreaks = 1023;
constexpr double kPixelsPerPoint = 96.0 / 72.0;

const char kNoObjectText[] = "Object variable or With block variable not set";
const char kColumnMessage[] = "Unable to Return Column Letter";
const char kColumnTitle[] = "clsZentrovaExcel.getcolumn";
const char kTextTooLong[] = "Cell text is longer than 32767 characters";
const char kRangeTooLarge[] = "The range is too large";
const char kBadSheetName[] = "The sheet name is not valid or already used";
const char kBadValue[] = "Unable to set the property of the Range class";
const char kSheetNameForbidden[] = "[]:*?/\\";

QString L(const char *s) { return QString::fromLatin1(s); }

[[noreturn]] void appError(const char *text) { vb::Raise(kAppError, L(text)); }

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

size_t qHash(const CellFormat &f, size_t salt = 0) {
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

void checkArea(const ExcelRange &r) {
    if (qint64(r.rows()) * r.cols() > kMaxCells)
        appError(kRangeTooLarge);
}

// RGB() of the classic runtime: values above 255 count as 255, negatives are refused.
qint32 rgb(int red, int green, int blue) {
    if (red < 0 || green < 0 || blue < 0)
        vb::Raise(vb::errInvalidCall);
    return (std::min(red, 255) << 16) | (std::min(green, 255) << 8) | std::min(blue, 255);
}

// An RGB long (red + 256 green + 65536 blue) as 0xRRGGBB.
qint32 fromRgbLong(long color) {
    if (color < 0 || color > 0xFFFFFF)
        appError(kBadValue);
    return qint32(((color & 0xFF) << 16) | (color & 0xFF00) | ((color >> 16) & 0xFF));
}

quint8 borderStyle(int lineStyle) {
    switch (lineStyle) {
    case clsZentrovaExcel::xlContinuous: return LXW_BORDER_THIN;
    case clsZentrovaExcel::xlDash: return LXW_BORDER_DASHED;
    case clsZentrovaExcel::xlDashDot: return LXW_BORDER_DASH_DOT;
    case clsZentrovaExcel::xlDashDotDot: return LXW_BORDER_DASH_DOT_DOT;
    case clsZentrovaExcel::xlDot: return LXW_BORDER_DOTTED;
    case clsZentrovaExcel::xlDouble: return LXW_BORDER_DOUBLE;
    case clsZentrovaExcel::xlSlantDashDot: return LXW_BORDER_SLANT_DASH_DOT;
    case clsZentrovaExcel::xlLineStyleNone: return LXW_BORDER_NONE;
    default: appError(kBadValue);
    }
}

quint8 hAlignment(int code) {
    switch (code) {
    case clsZentrovaExcel::xlGeneral: return LXW_ALIGN_NONE;
    case clsZentrovaExcel::xlLeft: return LXW_ALIGN_LEFT;
    case clsZentrovaExcel::xlCenter: return LXW_ALIGN_CENTER;
    case clsZentrovaExcel::xlRight: return LXW_ALIGN_RIGHT;
    case clsZentrovaExcel::xlFill: return LXW_ALIGN_FILL;
    case clsZentrovaExcel::xlJustify: return LXW_ALIGN_JUSTIFY;
    case clsZentrovaExcel::xlCenterAcrossSelection: return LXW_ALIGN_CENTER_ACROSS;
    case clsZentrovaExcel::xlDistributed: return LXW_ALIGN_DISTRIBUTED;
    default: appError(kBadValue);
    }
}

quint8 vAlignment(int code) {
    switch (code) {
    case clsZentrovaExcel::xlTop: return LXW_ALIGN_VERTICAL_TOP;
    case clsZentrovaExcel::xlVAlignCenter: return LXW_ALIGN_VERTICAL_CENTER;
    case clsZentrovaExcel::xlBottom: return LXW_ALIGN_VERTICAL_BOTTOM;
    case clsZentrovaExcel::xlVAlignJustify: return LXW_ALIGN_VERTICAL_JUSTIFY;
    case clsZentrovaExcel::xlVAlignDistributed: return LXW_ALIGN_VERTICAL_DISTRIBUTED;
    default: appError(kBadValue);
    }
}

bool validSheetName(const QString &name) {
    if (name.isEmpty() || name.size() > 31 || name.startsWith(QLatin1Char('\'')) || name.endsWith(QLatin1Char('\'')))
        return false;
    for (QChar c : name)
        if (QString::fromLatin1(kSheetNameForbidden).contains(c))
            return false;
    return true;
}

// Text as the file takes it: UTF-8 without NUL characters (XML cannot hold them).
QByteArray utf8(const QString &text) {
    if (!text.contains(QChar(0)))
        return text.toUtf8();
    QString clean = text;
    clean.remove(QChar(0));
    return clean.toUtf8();
}

// The width, in characters of the default font, that shows the text whole.
double textWidth(const QString &text, const CellFormat &f) {
    int longest = 0;
    for (const QString &line : text.split(QLatin1Char('\n')))
        longest = std::max(longest, int(line.size()));
    double width = longest * (f.fontSize > 0 ? f.fontSize / 11.0 : 1.0) * (f.bold ? 1.1 : 1.0);
    return std::min(kMaxColumnWidth, std::ceil(width) + 1.0);
}

bool isRefLetter(QChar c) { return c.isLetter() && c.unicode() < 128; }
bool isNameChar(QChar c) { return c.isLetterOrNumber() || c == QLatin1Char('_') || c == QLatin1Char('.'); }

}  // namespace

struct clsZentrovaExcel::Workbook {
    QString file;
    std::vector<Sheet> sheets;
    std::vector<CellFormat> formats{CellFormat{}};
    QHash<CellFormat, int> formatIndex{{CellFormat{}, 0}};

    Sheet &sheet(const QString &name) {
        for (Sheet &s : sheets)
            if (s.name.compare(name, Qt::CaseInsensitive) == 0)
                return s;
        vb::Raise(vb::errSubscript);
    }
    int intern(const CellFormat &f) {
        const auto it = formatIndex.constFind(f);
        if (it != formatIndex.constEnd())
            return it.value();
        formats.push_back(f);
        const int index = int(formats.size()) - 1;
        formatIndex.insert(f, index);
        return index;
    }

    // Applies a format change to every cell of the range (whole columns and
    // rows keep it for cells made later as well).
    void applyFormat(Sheet &s, const ExcelRange &r, const std::function<void(CellFormat &)> &change) {
        QHash<int, int> memo;
        auto changed = [&](int fmt) {
            const auto it = memo.constFind(fmt);
            if (it != memo.constEnd())
                return it.value();
            CellFormat f = formats[size_t(fmt)];
            change(f);
            const int result = intern(f);
            memo.insert(fmt, result);
            return result;
        };
        if (r.wholeColumns()) {
            for (int c = r.firstCol; c <= r.lastCol; ++c) {
                const auto it = s.colFmt.find(c);
                s.colFmt[c] = changed(it == s.colFmt.end() ? 0 : it->second);
            }
            s.forEachStored(r, [&](int, int, Cell &cell) { cell.fmt = changed(cell.fmt); });
        } else if (r.wholeRows()) {
            checkArea(ExcelRange::Cell(1, 1).united(ExcelRange::Cell(r.rows(), 1)));
            for (int row = r.firstRow; row <= r.lastRow; ++row) {
                const auto it = s.rowFmt.find(row);
                s.rowFmt[row] = changed(it == s.rowFmt.end() ? 0 : it->second);
            }
            s.forEachStored(r, [&](int, int, Cell &cell) { cell.fmt = changed(cell.fmt); });
        } else {
            checkArea(r);
            for (int row = r.firstRow; row <= r.lastRow; ++row)
                for (int c = r.firstCol; c <= r.lastCol; ++c) {
                    Cell &cell = s.cell(row, c);
                    cell.fmt = changed(cell.fmt);
                }
        }
    }

    // Sets the border of each cell side that lies on the chosen lines of the range.
    void applyBorder(Sheet &s, const ExcelRange &r, std::optional<int> index,
                     const std::function<void(quint8 &style, qint32 &color)> &set) {
        if (index && (*index == xlDiagonalDown || *index == xlDiagonalUp)) {
            const quint8 bit = *index == xlDiagonalDown ? LXW_DIAGONAL_BORDER_DOWN : LXW_DIAGONAL_BORDER_UP;
            applyFormat(s, r, [&](CellFormat &f) {
                set(f.diagStyle, f.diagColor);
                f.diagType = f.diagStyle == LXW_BORDER_NONE ? quint8(f.diagType & ~bit) : quint8(f.diagType | bit);
            });
            return;
        }
        if (index && (*index < xlEdgeLeft || *index > xlInsideHorizontal))
            appError(kBadValue);
        const bool all = !index;
        const int i = index.value_or(0);
        auto sides = [&](int row, int col, CellFormat &f) {
            const bool left = (all || i == xlEdgeLeft) && col == r.firstCol;
            const bool right = (all || i == xlEdgeRight) && col == r.lastCol;
            const bool top = (all || i == xlEdgeTop) && row == r.firstRow;
            const bool bottom = (all || i == xlEdgeBottom) && row == r.lastRow;
            const bool insideV = all || i == xlInsideVertical;
            const bool insideH = all || i == xlInsideHorizontal;
            if (left || (insideV && col > r.firstCol))
                set(f.border[Left], f.borderColor[Left]);
            if (right || (insideV && col < r.lastCol))
                set(f.border[Right], f.borderColor[Right]);
            if (top || (insideH && row > r.firstRow))
                set(f.border[Top], f.borderColor[Top]);
            if (bottom || (insideH && row < r.lastRow))
                set(f.border[Bottom], f.borderColor[Bottom]);
        };
        if (r.wholeColumns() || r.wholeRows()) {
            // Lines along whole columns or rows: the edges of each column or row band.
            applyFormat(s, r, [&](CellFormat &f) { sides(r.firstRow, r.firstCol, f); });
            return;
        }
        checkArea(r);
        // Cells differ by their place in the range, so each is changed on its own.
        for (int row = r.firstRow; row <= r.lastRow; ++row)
            for (int c = r.firstCol; c <= r.lastCol; ++c) {
                Cell &cell = s.cell(row, c);
                CellFormat f = formats[size_t(cell.fmt)];
                sides(row, c, f);
                cell.fmt = intern(f);
            }
    }

    void write(const QString &path) const;
};

namespace {

// libxlsxwriter formats for the workbook's format table, made on first use.
class FormatCache {
public:
    FormatCache(lxw_workbook *wb, const std::vector<CellFormat> &formats)
        : m_wb(wb), m_formats(formats), m_made(formats.size(), nullptr) {}
    lxw_format *get(int index) {
        if (index <= 0)
            return nullptr;
        lxw_format *&made = m_made[size_t(index)];
        if (!made)
            made = make(m_formats[size_t(index)]);
        return made;
    }

private:
    static lxw_color_t color(qint32 c) { return c == 0 ? lxw_color_t(LXW_COLOR_BLACK) : lxw_color_t(c); }
    lxw_format *make(const CellFormat &f) {
        lxw_format *x = workbook_add_format(m_wb);
        if (!x)
            return nullptr;
        if (!f.fontName.isEmpty())
            format_set_font_name(x, f.fontName.toUtf8().constData());
        if (f.fontSize > 0)
            format_set_font_size(x, f.fontSize);
        if (f.bold)
            format_set_bold(x);
        if (f.italic)
            format_set_italic(x);
        if (f.underline)
            format_set_underline(x, LXW_UNDERLINE_SINGLE);
        if (f.fontColor >= 0)
            format_set_font_color(x, color(f.fontColor));
        if (f.fillColor >= 0) {
            format_set_pattern(x, LXW_PATTERN_SOLID);
            format_set_bg_color(x, color(f.fillColor));
        }
        if (f.hAlign)
            format_set_align(x, f.hAlign);
        if (f.vAlign)
            format_set_align(x, f.vAlign);
        if (f.shrink)
            format_set_shrink(x);
        using Setter = void (*)(lxw_format *, uint8_t);
        using ColorSetter = void (*)(lxw_format *, lxw_color_t);
        const Setter styles[4] = {format_set_left, format_set_top, format_set_right, format_set_bottom};
        const ColorSetter colors[4] = {format_set_left_color, format_set_top_color, format_set_right_color,
                                       format_set_bottom_color};
        for (int i = 0; i < 4; ++i) {
            if (f.border[i])
                styles[i](x, f.border[i]);
            if (f.border[i] && f.borderColor[i] >= 0)
                colors[i](x, color(f.borderColor[i]));
        }
        if (f.diagType && f.diagStyle) {
            format_set_diag_type(x, f.diagType);
            format_set_diag_border(x, f.diagStyle);
            if (f.diagColor >= 0)
                format_set_diag_color(x, color(f.diagColor));
        }
        return x;
    }

    lxw_workbook *m_wb;
    const std::vector<CellFormat> &m_formats;
    std::vector<lxw_format *> m_made;
};

[[noreturn]] void raiseWriteError(lxw_error error) {
    vb::Raise(kAppError, QString::fromUtf8(lxw_strerror(error)));
}

void check(lxw_error error) {
    if (error != LXW_NO_ERROR)
        raiseWriteError(error);
}

// Raises the file error of the last system call: 70 when permission was refused.
[[noreturn]] void raiseFileError(int err) {
    if (err == EACCES || err == EPERM || err == EROFS)
        vb::Raise(vb::errPermissionDenied);
    vb::Raise(75, QString::fromLocal8Bit(std::strerror(err)));
}

}  // namespace

void clsZentrovaExcel::Workbook::write(const QString &path) const {
    lxw_workbook_options options{};
    lxw_workbook *wb = workbook_new_opt(QFile::encodeName(path).constData(), &options);
    if (!wb)
        raiseWriteError(LXW_ERROR_MEMORY_MALLOC_FAILED);
    // Freed without being written when a step below fails.
    struct Freer {
        lxw_workbook *wb;
        ~Freer() {
            if (wb)
                lxw_workbook_free(wb);
        }
    } closer{wb};
    FormatCache fmt(wb, formats);

    for (const Sheet &s : sheets) {
        lxw_worksheet *ws = workbook_add_worksheet(wb, s.name.toUtf8().constData());
        if (!ws)
            appError(kBadSheetName);
        if (s.defaultRowHeight)
            worksheet_set_default_row(ws, *s.defaultRowHeight, LXW_FALSE);
        if (s.fitToWidth)
            worksheet_fit_to_pages(ws, 1, 0);

        std::set<int> cols;
        for (const auto &w : s.colWidth)
            cols.insert(w.first);
        for (const auto &f : s.colFmt)
            cols.insert(f.first);
        for (int c : cols) {
            const auto w = s.colWidth.find(c);
            const auto f = s.colFmt.find(c);
            check(worksheet_set_column(ws, lxw_col_t(c - 1), lxw_col_t(c - 1),
                                       w == s.colWidth.end() ? LXW_DEF_COL_WIDTH : w->second,
                                       fmt.get(f == s.colFmt.end() ? 0 : f->second)));
        }
        std::set<int> rowNumbers;
        for (const auto &h : s.rowHeight)
            rowNumbers.insert(h.first);
        for (const auto &f : s.rowFmt)
            rowNumbers.insert(f.first);
        for (int r : rowNumbers) {
            const auto h = s.rowHeight.find(r);
            const auto f = s.rowFmt.find(r);
            const double height =
                h != s.rowHeight.end() ? h->second : s.defaultRowHeight.value_or(LXW_DEF_ROW_HEIGHT);
            check(worksheet_set_row(ws, lxw_row_t(r - 1), height, fmt.get(f == s.rowFmt.end() ? 0 : f->second)));
        }

        // Cells covered by a merge other than its first one show nothing.
        QSet<quint64> hidden;
        for (const ExcelRange &m : s.merges) {
            const Cell *first = s.find(m.firstRow, m.firstCol);
            check(worksheet_merge_range(ws, lxw_row_t(m.firstRow - 1), lxw_col_t(m.firstCol - 1),
                                        lxw_row_t(m.lastRow - 1), lxw_col_t(m.lastCol - 1), "",
                                        fmt.get(first ? first->fmt : s.defaultFormat(m.firstRow, m.firstCol))));
            for (int r = m.firstRow; r <= m.lastRow; ++r)
                for (int c = m.firstCol; c <= m.lastCol; ++c)
                    if (r != m.firstRow || c != m.firstCol)
                        hidden.insert(quint64(r) << 16 | quint64(c));
        }

        for (const auto &row : s.rows) {
            const lxw_row_t r = lxw_row_t(row.first - 1);
            for (size_t i = 0; i < row.second.size(); ++i) {
                const Cell &cell = row.second[i];
                const lxw_col_t c = lxw_col_t(i);
                lxw_format *f = fmt.get(cell.fmt);
                const bool covered = !s.merges.empty() && hidden.contains(quint64(row.first) << 16 | quint64(i + 1));
                if (cell.kind == Text && !cell.text.isEmpty() && !covered)
                    check(worksheet_write_string(ws, r, c, utf8(cell.text).constData(), f));
                else if (cell.kind == Formula && !covered)
                    check(worksheet_write_formula(ws, r, c, utf8(cell.text).constData(), f));
                else if (f)
                    check(worksheet_write_blank(ws, r, c, f));
            }
        }

        if (!s.pageBreaks.empty()) {
            std::vector<lxw_row_t> breaks;
            for (int r : s.pageBreaks)
                if (int(breaks.size()) < kMaxPageBreaks)
                    breaks.push_back(lxw_row_t(r - 1));
            breaks.push_back(0);
            check(worksheet_set_h_pagebreaks(ws, breaks.data()));
        }

        for (const Picture &p : s.pictures) {
            QImage image;
            image.loadFromData(p.bytes);
            // libxlsxwriter sizes a picture by its pixels at its own resolution.
            const double dpiX = image.dotsPerMeterX() > 0 ? std::round(image.dotsPerMeterX() * 0.0254) : 96.0;
            const double dpiY = image.dotsPerMeterY() > 0 ? std::round(image.dotsPerMeterY() * 0.0254) : 96.0;
            lxw_image_options o{};
            o.x_offset = int32_t(std::lround(p.left * kPixelsPerPoint));
            o.y_offset = int32_t(std::lround(p.top * kPixelsPerPoint));
            o.x_scale = p.width * kPixelsPerPoint / (image.width() * 96.0 / dpiX);
            o.y_scale = p.height * kPixelsPerPoint / (image.height() * 96.0 / dpiY);
            check(worksheet_insert_image_buffer_opt(ws, 0, 0, reinterpret_cast<const unsigned char *>(p.bytes.constData()),
                                                    size_t(p.bytes.size()), &o));
        }
    }
    closer.wb = nullptr;
    const lxw_error closed = workbook_close(wb);
    if (closed == LXW_ERROR_CREATING_XLSX_FILE)
        raiseFileError(errno);
    check(closed);
}

// ---- Members -----------------------------------------------------------------

clsZentrovaExcel::clsZentrovaExcel() = default;
clsZentrovaExcel::~clsZentrovaExcel() = default;

clsZentrovaExcel::Workbook &clsZentrovaExcel::book() {
    if (!m_book)
        vb::Raise(kNoObject, L(kNoObjectText));
    return *m_book;
}

bool clsZentrovaExcel::ConnectExcel(const QString &xlfilename) {
    seam::SetPointer(seam::Pointer::Hourglass);
    m_book = std::make_unique<Workbook>();
    m_book->file = xlfilename;
    return true;
}

QString clsZentrovaExcel::FileName() const { return m_book ? m_book->file : QString(); }

void clsZentrovaExcel::AddSheet(const QString &xlSheet) {
    Workbook &b = book();
    if (!validSheetName(xlSheet))
        appError(kBadSheetName);
    for (const Sheet &s : b.sheets)
        if (s.name.compare(xlSheet, Qt::CaseInsensitive) == 0)
            appError(kBadSheetName);
    b.sheets.push_back(Sheet{});
    b.sheets.back().name = xlSheet;
}

void clsZentrovaExcel::SetFitToPageWidth(const QString &xlSheet) { book().sheet(xlSheet).fitToWidth = true; }

void clsZentrovaExcel::Enterxldata(const QString &xlSheet, int xlrow, int xlcol, const QString &xldata) {
    Sheet &s = book().sheet(xlSheet);
    ExcelRange::Cell(xlrow, xlcol);
    if (xldata.size() > kMaxText)
        appError(kTextTooLong);
    Cell &cell = s.cell(xlrow, xlcol);
    cell.text = xldata;
    cell.kind = xldata.isEmpty() ? Empty : Text;
}

void clsZentrovaExcel::EnterxlFormula(const QString &xlSheet, int xlrow, int xlcol, const QString &xlformula) {
    Sheet &s = book().sheet(xlSheet);
    ExcelRange::Cell(xlrow, xlcol);
    if (xlformula.size() > kMaxText)
        appError(kTextTooLong);
    Cell &cell = s.cell(xlrow, xlcol);
    cell.text = xlformula;
    // A formula text without "=" is a plain value, as the spreadsheet takes it.
    cell.kind = xlformula.isEmpty() ? Empty : xlformula.startsWith(QLatin1Char('=')) ? Formula : Text;
}

void clsZentrovaExcel::Enterxlmerge(const QString &xlSheet, const QString &srange) {
    Sheet &s = book().sheet(xlSheet);
    ExcelRange r = ExcelRange::Parse(srange);
    checkArea(r);
    if (r.rows() == 1 && r.cols() == 1)
        return;
    // A merge over merged cells takes them in whole.
    for (bool grown = true; grown;) {
        grown = false;
        for (auto it = s.merges.begin(); it != s.merges.end(); ++it) {
            if (it->intersects(r)) {
                r = r.united(*it);
                s.merges.erase(it);
                grown = true;
                break;
            }
        }
    }
    if (qint64(r.rows()) * r.cols() > kMaxMergeCells)
        appError(kRangeTooLarge);
    // Only the upper-left value of a merged area is kept.
    s.forEachStored(r, [&](int row, int col, Cell &cell) {
        if (row != r.firstRow || col != r.firstCol) {
            cell.text.clear();
            cell.kind = Empty;
        }
    });
    s.merges.push_back(r);
}

void clsZentrovaExcel::Enterxlautofit(const QString &xlSheet, const QString &srange) {
    Workbook &b = book();
    Sheet &s = b.sheet(xlSheet);
    const ExcelRange r = ExcelRange::Parse(srange);
    std::map<int, double> widths;
    s.forEachStored(r, [&](int row, int col, Cell &cell) {
        if (cell.kind != Text)
            return;
        for (const ExcelRange &m : s.merges)
            if (m.contains(row, col))
                return;  // merged cells do not size their columns
        double &w = widths[col];
        w = std::max(w, textWidth(cell.text, b.formats[size_t(cell.fmt)]));
    });
    for (const auto &w : widths)
        s.colWidth[w.first] = w.second;
}

void clsZentrovaExcel::Enterxlshrinktofit(const QString &xlSheet, const QString &srange) {
    Workbook &b = book();
    b.applyFormat(b.sheet(xlSheet), ExcelRange::Parse(srange), [](CellFormat &f) { f.shrink = true; });
}

void clsZentrovaExcel::Enterxlpagebreak(const QString &xlSheet, const QString &srange) {
    Sheet &s = book().sheet(xlSheet);
    const ExcelRange r = ExcelRange::Parse(srange);
    if (r.firstRow > 1)
        s.pageBreaks.insert(r.firstRow);
}

void clsZentrovaExcel::EnterxlHeight(const QString &xlSheet, const QString &xlrange, double xlHeight) {
    Sheet &s = book().sheet(xlSheet);
    const ExcelRange r = ExcelRange::Parse(xlrange);
    if (!(xlHeight >= 0 && xlHeight <= kMaxRowHeight))
        appError(kBadValue);
    if (r.wholeColumns()) {
        s.defaultRowHeight = xlHeight;
        s.rowHeight.clear();
        return;
    }
    checkArea(ExcelRange::Cell(1, 1).united(ExcelRange::Cell(r.rows(), 1)));
    for (int row = r.firstRow; row <= r.lastRow; ++row)
        s.rowHeight[row] = xlHeight;
}

void clsZentrovaExcel::EnterxlWidth(const QString &xlSheet, const QString &xlrange, double xlWidth) {
    Sheet &s = book().sheet(xlSheet);
    const ExcelRange r = ExcelRange::Parse(xlrange);
    if (!(xlWidth >= 0 && xlWidth <= kMaxColumnWidth))
        appError(kBadValue);
    for (int c = r.firstCol; c <= r.lastCol; ++c)
        s.colWidth[c] = xlWidth;
}

void clsZentrovaExcel::EnterxlHAlignment(const QString &xlSheet, const QString &xlrange, int xlAlignType) {
    Workbook &b = book();
    Sheet &s = b.sheet(xlSheet);
    const quint8 align = hAlignment(xlAlignType);
    b.applyFormat(s, ExcelRange::Parse(xlrange), [align](CellFormat &f) { f.hAlign = align; });
}

void clsZentrovaExcel::EnterxlVAlignment(const QString &xlSheet, const QString &xlrange, int xlAlignType) {
    Workbook &b = book();
    Sheet &s = b.sheet(xlSheet);
    const quint8 align = vAlignment(xlAlignType);
    b.applyFormat(s, ExcelRange::Parse(xlrange), [align](CellFormat &f) { f.vAlign = align; });
}

void clsZentrovaExcel::Enterxlborder(const QString &xlSheet, const QString &xlrange, std::optional<int> xlindex,
                                     int xllinestyle) {
    Workbook &b = book();
    Sheet &s = b.sheet(xlSheet);
    const quint8 style = borderStyle(xllinestyle);
    b.applyBorder(s, ExcelRange::Parse(xlrange), xlindex, [style](quint8 &st, qint32 &) { st = style; });
}

void clsZentrovaExcel::Enterxlbordercolor(const QString &xlSheet, const QString &xlrange, std::optional<int> xlindex,
                                          int RED, int GREEN, int BLUE) {
    Workbook &b = book();
    Sheet &s = b.sheet(xlSheet);
    const qint32 color = rgb(RED, GREEN, BLUE);
    // A coloured border without a line of its own becomes a plain line.
    b.applyBorder(s, ExcelRange::Parse(xlrange), xlindex, [color](quint8 &st, qint32 &c) {
        c = color;
        if (st == LXW_BORDER_NONE)
            st = LXW_BORDER_THIN;
    });
}

void clsZentrovaExcel::Enterxlinteriorcolor(const QString &xlSheet, const QString &srange, int RED, int GREEN,
                                            int BLUE) {
    Workbook &b = book();
    Sheet &s = b.sheet(xlSheet);
    const qint32 color = rgb(RED, GREEN, BLUE);
    b.applyFormat(s, ExcelRange::Parse(srange), [color](CellFormat &f) { f.fillColor = color; });
}

void clsZentrovaExcel::Enterxlfont(const QString &xlSheet, const QString &srange, std::optional<QString> sFont,
                                   std::optional<double> nSize, std::optional<bool> nitalic,
                                   std::optional<bool> nbold, std::optional<long> color,
                                   std::optional<bool> nUnderLine) {
    Workbook &b = book();
    Sheet &s = b.sheet(xlSheet);
    if (nSize && !(*nSize >= 1 && *nSize <= 409))
        appError(kBadValue);
    const std::optional<qint32> fontColor = color ? std::optional<qint32>(fromRgbLong(*color)) : std::nullopt;
    b.applyFormat(s, ExcelRange::Parse(srange), [&](CellFormat &f) {
        if (sFont)
            f.fontName = *sFont;
        if (nSize)
            f.fontSize = *nSize;
        if (nitalic)
            f.italic = *nitalic;
        if (nbold)
            f.bold = *nbold;
        if (fontColor)
            f.fontColor = *fontColor;
        if (nUnderLine)
            f.underline = true;
    });
}

void clsZentrovaExcel::Enterxlclear(const QString &xlSheet, const QString &srange) {
    Sheet &s = book().sheet(xlSheet);
    s.forEachStored(ExcelRange::Parse(srange), [](int, int, Cell &cell) {
        cell.text.clear();
        cell.kind = Empty;
    });
}

void clsZentrovaExcel::Enterxlcopy(const QString &xlSheet, const QString &xlrange_from, const QString &xlrange_to) {
    Sheet &s = book().sheet(xlSheet);
    const ExcelRange from = ExcelRange::Parse(xlrange_from);
    const ExcelRange to = ExcelRange::Parse(xlrange_to);
    checkArea(from);
    const int dRow = to.firstRow - from.firstRow;
    const int dCol = to.firstCol - from.firstCol;
    if (from.lastRow + dRow > ExcelRange::kMaxRow || from.lastCol + dCol > ExcelRange::kMaxCol)
        appError(kBadValue);
    ExcelRange dest = from;
    dest.firstRow += dRow;
    dest.lastRow += dRow;
    dest.firstCol += dCol;
    dest.lastCol += dCol;

    // Taken first: source and destination may overlap.
    std::vector<std::pair<std::pair<int, int>, Cell>> copied;
    s.forEachStored(from, [&](int row, int col, Cell &cell) {
        Cell c = cell;
        if (c.kind == Formula)
            c.text = ShiftFormula(c.text, dRow, dCol);
        copied.push_back({{row + dRow, col + dCol}, c});
    });
    std::vector<ExcelRange> merges;
    for (const ExcelRange &m : s.merges) {
        if (from.contains(m.firstRow, m.firstCol) && from.contains(m.lastRow, m.lastCol)) {
            ExcelRange moved = m;
            moved.firstRow += dRow;
            moved.lastRow += dRow;
            moved.firstCol += dCol;
            moved.lastCol += dCol;
            merges.push_back(moved);
        }
    }
    // The destination takes the source whole, its empty cells included.
    s.forEachStored(dest, [&](int row, int col, Cell &cell) {
        cell = Cell{};
        cell.fmt = s.defaultFormat(row, col);
    });
    s.merges.erase(std::remove_if(s.merges.begin(), s.merges.end(),
                                  [&](const ExcelRange &m) { return m.intersects(dest); }),
                   s.merges.end());
    for (auto &entry : copied)
        s.cell(entry.first.first, entry.first.second) = entry.second;
    for (const ExcelRange &m : merges)
        s.merges.push_back(m);
}

void clsZentrovaExcel::Saveasxl(const QString &fileName) {
    Workbook &b = book();
    if (fileName.isEmpty())
        return;
    const QFileInfo target(fileName);
    const QString folder = target.absolutePath();
    if (!QFileInfo(folder).isDir())
        vb::Raise(vb::errPathNotFound);
    if (target.isDir())
        vb::Raise(75, QStringLiteral("Path/File access error"));

    // Written beside the old file and put in its place only when complete,
    // so a failure leaves the old file as it was.
    QTemporaryFile temp(QDir(folder).filePath(QLatin1Char('.') + target.fileName() + QStringLiteral(".XXXXXX")));
    if (!temp.open())
        raiseFileError(temp.error() == QFileDevice::PermissionsError ? EACCES : errno ? errno : EIO);
    const QString tempPath = temp.fileName();
    temp.close();
    b.write(tempPath);

    const int fd = ::open(QFile::encodeName(tempPath).constData(), O_RDONLY);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
    const QFileDevice::Permissions perms =
        target.exists() ? QFile::permissions(fileName)
                        : QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadUser |
                              QFileDevice::WriteUser | QFileDevice::ReadGroup | QFileDevice::ReadOther;
    QFile::setPermissions(tempPath, perms);
    if (::rename(QFile::encodeName(tempPath).constData(), QFile::encodeName(target.absoluteFilePath()).constData()) != 0)
        raiseFileError(errno);
    temp.setAutoRemove(false);
}

void clsZentrovaExcel::ExcelPreview() {
    const QString file = book().file;
    Saveasxl(file);
    ShellOpen(file, 3);
}

void clsZentrovaExcel::putpicture(const QString &xlSheet, const QString &picfile, double lpos, double tpos,
                                  double wpos, double hpos) {
    Sheet &s = book().sheet(xlSheet);
    QFile file(picfile);
    if (!file.open(QIODevice::ReadOnly))
        vb::Raise(vb::errFileNotFound);
    Picture p{file.readAll(), lpos, tpos, wpos, hpos};
    QImage image;
    if (!image.loadFromData(p.bytes) || image.width() <= 0 || image.height() <= 0)
        appError(kBadValue);
    if (!(lpos >= 0 && tpos >= 0 && wpos > 0 && hpos > 0))
        appError(kBadValue);
    s.pictures.push_back(std::move(p));
}

QString clsZentrovaExcel::getColumn(long mycol) {
    if (mycol < 1 || mycol > kMaxLastColumn) {
        seam::MsgBox(L(kColumnMessage), seam::vbOKOnly, L(kColumnTitle));
        return QString();
    }
    return ExcelRange::ColumnLetters(int(mycol));
}

QString clsZentrovaExcel::ShiftFormula(const QString &formula, int rows, int cols) {
    QString out;
    out.reserve(formula.size() + 8);
    const int n = int(formula.size());
    int i = 0;
    while (i < n) {
        const QChar ch = formula.at(i);
        if (ch == QLatin1Char('"')) {  // string literal, "" inside it
            int j = i + 1;
            while (j < n) {
                if (formula.at(j) == QLatin1Char('"')) {
                    if (j + 1 < n && formula.at(j + 1) == QLatin1Char('"')) {
                        j += 2;
                        continue;
                    }
                    break;
                }
                ++j;
            }
            out += formula.mid(i, j - i + 1);
            i = j + 1;
            continue;
        }
        if (ch == QLatin1Char('\'')) {  // quoted sheet name
            const int j = formula.indexOf(QLatin1Char('\''), i + 1);
            const int end = j < 0 ? n : j + 1;
            out += formula.mid(i, end - i);
            i = end;
            continue;
        }
        const bool startsRef = (ch == QLatin1Char('$') || isRefLetter(ch)) && (i == 0 || !isNameChar(formula.at(i - 1)));
        if (startsRef) {
            int j = i;
            const bool colAbs = formula.at(j) == QLatin1Char('$');
            if (colAbs)
                ++j;
            const int lettersStart = j;
            while (j < n && isRefLetter(formula.at(j)) && j - lettersStart < 3)
                ++j;
            const int lettersEnd = j;
            const bool rowAbs = j < n && formula.at(j) == QLatin1Char('$');
            if (rowAbs)
                ++j;
            const int digitsStart = j;
            while (j < n && formula.at(j).isDigit() && formula.at(j).unicode() < 128)
                ++j;
            const bool isRef = lettersEnd > lettersStart && j > digitsStart &&
                               (j >= n || (!isNameChar(formula.at(j)) && formula.at(j) != QLatin1Char('(') &&
                                           formula.at(j) != QLatin1Char('!')));
            if (isRef) {
                int col = 0;
                for (int k = lettersStart; k < lettersEnd; ++k)
                    col = col * 26 + (formula.at(k).toUpper().unicode() - 'A' + 1);
                int row = formula.mid(digitsStart, j - digitsStart).toInt();
                if (!colAbs)
                    col += cols;
                if (!rowAbs)
                    row += rows;
                if (col >= 1 && col <= ExcelRange::kMaxCol && row >= 1 && row <= ExcelRange::kMaxRow) {
                    out += (colAbs ? QStringLiteral("$") : QString()) + ExcelRange::ColumnLetters(col) +
                           (rowAbs ? QStringLiteral("$") : QString()) + QString::number(row);
                } else {
                    out += QStringLiteral("#REF!");
                }
                i = j;
                continue;
            }
            // Not a reference: copy the name whole so its tail is not read as one.
            int k = i + 1;
            while (k < n && isNameChar(formula.at(k)))
                ++k;
            out += formula.mid(i, k - i);
            i = k;
            continue;
        }
        out += ch;
        ++i;
    }
    return out;
}
