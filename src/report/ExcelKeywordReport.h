#pragma once
// The keyword report as a workbook: sheet "Report" laid out by the program
// (labels of rows 4 to 6 and column widths), then filled with the account,
// its URLs, a coloured header, the keyword rows and the reporter's footer,
// written to reports/<engine>/<account>.xlsx and opened.

#include <QString>
#include <exception>

class KeywordReportData;
class clsZentrovaExcel;

class ExcelKeywordReport {
public:
    // Writes and opens the report. A failure shows "ExcelReport_Error: " and
    // its text (after the file's name when the file could not be written),
    // logs it, and leaves any earlier report file as it was.
    // The pointer is back to the default afterwards. True when shown.
    static bool Run(const KeywordReportData &data);
    // The failure message and log record of a report that could not be
    // made; `file` when it is the writing of that file that failed.
    static void ShowFailure(const std::exception &e, const QString &file = QString());

    // The sheet's own labels, column widths and page setup.
    static void LayOutSheet(clsZentrovaExcel &excel);
    // The report's cells, on a laid-out sheet.
    static void Fill(clsZentrovaExcel &excel, const KeywordReportData &data);

    // Row numbers of the layout: the header is three rows below the last URL row.
    static int HeaderRow(int urlCount) { return 9 + urlCount; }
    static int FirstKeywordRow(int urlCount) { return HeaderRow(urlCount) + 2; }
};
