#include "report/clsZentrovaExcel.h"

#include "core/modCommon.h"
#include "platform/Seams.h"
#include "platform/VB.h"
#include "report/ExcelRange.h"
#include "report/ExcelWorkbook.h"

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

using namespace excel;

namespace {

constexpr int kNoObject = 91;
constexpr int kMaxText = 32767;
constexpr int kMaxLastColumn = 78;  // "BZ"
// A merge is written out as one cell per covered cell.
constexpr qint64 kMaxMergeCells = qint64(1) << 16;
constexpr double kMaxRowHeight = 409.0;
constexpr double kMaxColumnWidth = 255.0;

const char kNoObjectText[] = "Object variable or With block variable not set";
const char kColumnMessage[] = "Unable to Return Column Letter";
const char kColumnTitle[] = "clsZentrovaExcel.getcolumn";
const char kTextTooLong[] = "Cell text is longer than 32767 characters";
const char kSheetNameForbidden[] = "[]:*?/\\";

QString L(const char *s) { return QString::fromLatin1(s); }

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

struct clsZentrovaExcel::Workbook : excel::Workbook {};

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
