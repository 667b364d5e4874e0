#include "report/ExcelWorkbook.h"

#include "platform/VB.h"
#include "report/clsZentrovaExcel.h"

#include <QFile>
#include <QImage>
#include <QSet>

#include <xlsxwriter.h>

#include <cerrno>
#include <cmath>
#include <cstring>

namespace excel {

const char kRangeTooLarge[] = "The range is too large";
const char kBadSheetName[] = "The sheet name is not valid or already used";
const char kBadValue[] = "Unable to set the property of the Range class";

namespace {

constexpr int kMaxPageBreaks = 1023;
constexpr double kPixelsPerPoint = 96.0 / 72.0;

// Text as the file takes it: UTF-8 without NUL characters (XML cannot hold them).
QByteArray utf8(const QString &text) {
    if (!text.contains(QChar(0)))
        return text.toUtf8();
    QString clean = text;
    clean.remove(QChar(0));
    return clean.toUtf8();
}

}  // namespace

void appError(const char *text) { vb::Raise(kAppError, QString::fromLatin1(text)); }

void raiseFileError(int err) {
    if (err == EACCES || err == EPERM || err == EROFS)
        vb::Raise(vb::errPermissionDenied);
    vb::Raise(75, QString::fromLocal8Bit(std::strerror(err)));
}

void checkArea(const ExcelRange &r) {
    if (qint64(r.rows()) * r.cols() > kMaxCells)
        appError(kRangeTooLarge);
}

Sheet &Workbook::sheet(const QString &name) {
    for (Sheet &s : sheets)
        if (s.name.compare(name, Qt::CaseInsensitive) == 0)
            return s;
    vb::Raise(vb::errSubscript);
}

int Workbook::intern(const CellFormat &f) {
    const auto it = formatIndex.constFind(f);
    if (it != formatIndex.constEnd())
        return it.value();
    formats.push_back(f);
    const int index = int(formats.size()) - 1;
    formatIndex.insert(f, index);
    return index;
}

void Workbook::applyFormat(Sheet &s, const ExcelRange &r, const std::function<void(CellFormat &)> &change) {
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

void Workbook::applyBorder(Sheet &s, const ExcelRange &r, std::optional<int> index,
                 const std::function<void(quint8 &style, qint32 &color)> &set) {
    if (index && (*index == clsZentrovaExcel::xlDiagonalDown || *index == clsZentrovaExcel::xlDiagonalUp)) {
        const quint8 bit = *index == clsZentrovaExcel::xlDiagonalDown ? LXW_DIAGONAL_BORDER_DOWN : LXW_DIAGONAL_BORDER_UP;
        applyFormat(s, r, [&](CellFormat &f) {
            set(f.diagStyle, f.diagColor);
            f.diagType = f.diagStyle == LXW_BORDER_NONE ? quint8(f.diagType & ~bit) : quint8(f.diagType | bit);
        });
        return;
    }
    if (index && (*index < clsZentrovaExcel::xlEdgeLeft || *index > clsZentrovaExcel::xlInsideHorizontal))
        appError(kBadValue);
    const bool all = !index;
    const int i = index.value_or(0);
    auto sides = [&](int row, int col, CellFormat &f) {
        const bool left = (all || i == clsZentrovaExcel::xlEdgeLeft) && col == r.firstCol;
        const bool right = (all || i == clsZentrovaExcel::xlEdgeRight) && col == r.lastCol;
        const bool top = (all || i == clsZentrovaExcel::xlEdgeTop) && row == r.firstRow;
        const bool bottom = (all || i == clsZentrovaExcel::xlEdgeBottom) && row == r.lastRow;
        const bool insideV = all || i == clsZentrovaExcel::xlInsideVertical;
        const bool insideH = all || i == clsZentrovaExcel::xlInsideHorizontal;
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

}  // namespace

void Workbook::write(const QString &path) const {
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

}  // namespace excel
