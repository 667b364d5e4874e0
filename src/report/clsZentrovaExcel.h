#pragma once
// The workbook wrapper behind the Excel report. It keeps one workbook in
// memory (sheets, cell texts and formulas, formats, merges, sizes, page
// breaks, pictures) and has it written out whole as an .xlsx file by
// libxlsxwriter. Each member is one worksheet operation on the sheet named
// by its first argument; sheets are found by name without regard to case.
// Failures raise vb::VBError (9 for an unknown sheet, 91 before ConnectExcel,
// 1004 for a bad range or value, 70 when the file may not be written).
// No member lets window events run.

#include <QString>
#include <memory>
#include <optional>

class clsZentrovaExcel {
public:
    // The spreadsheet's own codes, as the members take them.
    enum XlHAlign { xlGeneral = 1, xlFill = 5, xlCenterAcrossSelection = 7, xlLeft = -4131, xlCenter = -4108,
                    xlRight = -4152, xlJustify = -4130, xlDistributed = -4117 };
    enum XlVAlign { xlTop = -4160, xlVAlignCenter = -4108, xlBottom = -4107, xlVAlignJustify = -4130,
                    xlVAlignDistributed = -4117 };
    enum XlBordersIndex { xlDiagonalDown = 5, xlDiagonalUp = 6, xlEdgeLeft = 7, xlEdgeTop = 8, xlEdgeBottom = 9,
                          xlEdgeRight = 10, xlInsideVertical = 11, xlInsideHorizontal = 12 };
    enum XlLineStyle { xlContinuous = 1, xlDashDot = 4, xlDashDotDot = 5, xlSlantDashDot = 13, xlDash = -4115,
                       xlDot = -4118, xlDouble = -4119, xlLineStyleNone = -4142 };

    clsZentrovaExcel();
    ~clsZentrovaExcel();
    clsZentrovaExcel(const clsZentrovaExcel &) = delete;
    clsZentrovaExcel &operator=(const clsZentrovaExcel &) = delete;

    // Starts an empty workbook that ExcelPreview will write to xlfilename;
    // shows the hourglass, which stays until the caller resets it.
    bool ConnectExcel(const QString &xlfilename);
    // Adds an empty sheet (sheet names as the spreadsheet allows them).
    void AddSheet(const QString &xlSheet);
    // Prints the sheet one page wide (the page setup a template would carry).
    void SetFitToPageWidth(const QString &xlSheet);

    // Cell (xlrow, xlcol) := the text, always as text (never a formula or number).
    void Enterxldata(const QString &xlSheet, int xlrow, int xlcol, const QString &xldata);
    void EnterxlFormula(const QString &xlSheet, int xlrow, int xlcol, const QString &xlformula);
    // Merges the range; merging over an existing merge makes one merge of both.
    void Enterxlmerge(const QString &xlSheet, const QString &srange);
    // Column widths of the range's columns from the longest text in them.
    void Enterxlautofit(const QString &xlSheet, const QString &srange);
    void Enterxlshrinktofit(const QString &xlSheet, const QString &srange);
    // A horizontal page break before the range's first row.
    void Enterxlpagebreak(const QString &xlSheet, const QString &srange);
    void EnterxlHeight(const QString &xlSheet, const QString &xlrange, double xlHeight);
    void EnterxlWidth(const QString &xlSheet, const QString &xlrange, double xlWidth);
    void EnterxlHAlignment(const QString &xlSheet, const QString &xlrange, int xlAlignType);
    void EnterxlVAlignment(const QString &xlSheet, const QString &xlrange, int xlAlignType);
    // Border xlindex of the range, or all its edges and inside lines when not given.
    void Enterxlborder(const QString &xlSheet, const QString &xlrange, std::optional<int> xlindex,
                       int xllinestyle);
    void Enterxlbordercolor(const QString &xlSheet, const QString &xlrange, std::optional<int> xlindex, int RED,
                            int GREEN, int BLUE);
    void Enterxlinteriorcolor(const QString &xlSheet, const QString &srange, int RED, int GREEN, int BLUE);
    // Sets each font property that is given; color is an RGB value (red + 256 green + 65536 blue);
    // underline is switched on when nUnderLine is given.
    void Enterxlfont(const QString &xlSheet, const QString &srange, std::optional<QString> sFont = {},
                     std::optional<double> nSize = {}, std::optional<bool> nitalic = {},
                     std::optional<bool> nbold = {}, std::optional<long> color = {},
                     std::optional<bool> nUnderLine = {});
    // Clears the texts and formulas of the range; formats stay.
    void Enterxlclear(const QString &xlSheet, const QString &srange);
    // Copies the cells of one range (texts, formulas with their relative
    // references moved, formats, merges) to the range starting at the other's first cell.
    void Enterxlcopy(const QString &xlSheet, const QString &xlrange_from, const QString &xlrange_to);
    // Writes the workbook under that name; nothing for "".
    void Saveasxl(const QString &fileName);
    // Writes the workbook to the file of ConnectExcel and opens it with the desktop.
    void ExcelPreview();
    // Adds a picture file (kept in the workbook) at left/top with width/height, all in points.
    void putpicture(const QString &xlSheet, const QString &picfile, double lpos, double tpos, double wpos,
                    double hpos);

    // Column letters for 1..78 ("A".."Z", "AA".."AZ", "BA".."BZ"); any other
    // number shows "Unable to Return Column Letter" and gives "".
    static QString getColumn(long mycol);

    // The file ConnectExcel named ("" before).
    QString FileName() const;

    // A formula with its relative cell references moved by rows/columns.
    static QString ShiftFormula(const QString &formula, int rows, int cols);

private:
    struct Workbook;
    Workbook &book();
    std::unique_ptr<Workbook> m_book;
};
