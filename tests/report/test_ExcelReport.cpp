// The workbook keyword report of the main window, read back by openpyxl.

#include "ReportTools.h"
#include "core/modCommon.h"

#include <QDir>

using namespace reporttools;

namespace {

const QString kAdvice = QStringLiteral(
    "Report file is already opened in MS Excel. Please close your previoues excel report file in MS Excel and try "
    "again.");

struct ExcelReportTest : ::testing::Test {
    ReportWindow win;
    void SetUp() override {
        testenv::setNow(QDateTime(QDate(2026, 12, 7), QTime(15, 4, 5)));
        setReporter(QStringLiteral("Ann Lee"), QStringLiteral("Shop Co"), QStringLiteral("ann@shop.example"),
                    QStringLiteral("http://www.shop.example"), QString(), QStringLiteral("Top"));
        win.addRow({QStringLiteral("=1+1"), QStringLiteral("120"), QStringLiteral("$0.25"), QStringLiteral("$0.24"),
                    QStringLiteral("$0.40"), QStringLiteral("$0.30"), QStringLiteral("$0.25"), QStringLiteral("1"),
                    QStringLiteral("12:01:00 PM")});
        win.addRow({QStringLiteral("<b>a&b</b>"), "", "", "", "", "", "", "", QStringLiteral("Fail")});
    }
    QString file() const { return win.reportFile(QStringLiteral(".xlsx")); }
    QString folder() const { return QFileInfo(file()).absolutePath(); }
};

QString text(const QJsonObject &sheet, const QString &address) {
    return cellOf(sheet, address).value("value").toString();
}

}  // namespace

TEST_F(ExcelReportTest, TheSheetHoldsEveryTextWhereTheLayoutPutsIt) {
    struct Case { const char *name; QByteArray urlsFile; QStringList urls; } cases[] = {
        {"no URLs.dat", QByteArray(), {}},
        {"one URL", "www.site-a.example\r\n", {"www.site-a.example"}},
        {"three URLs", "a.example\r\nb.example\r\nc.example\r\n", {"a.example", "b.example", "c.example"}},
    };
    int opened = 0;
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        if (!c.urlsFile.isNull())
            writeURLs(QStringLiteral("Overture"), QStringLiteral("acme"), c.urlsFile);
        win.w.ExcelReport();
        ASSERT_EQ(testenv::shellOpened().size(), ++opened);
        EXPECT_EQ(testenv::shellOpened().last(), file());
        EXPECT_EQ(seam::CurrentPointer(), seam::Pointer::Default);

        const QJsonObject book = readWorkbook(file());
        ASSERT_EQ(book.value("sheets").toArray().size(), 1);
        const QJsonObject sheet = sheetOf(book);
        EXPECT_EQ(sheet.value("name").toString(), QStringLiteral("Report"));
        EXPECT_EQ(text(sheet, "A4"), QStringLiteral("Account name:"));
        EXPECT_EQ(text(sheet, "C4"), QStringLiteral("acme"));
        EXPECT_EQ(text(sheet, "C5"), QStringLiteral("Overture"));
        EXPECT_EQ(text(sheet, "C6"), QStringLiteral("Monday, December 7, 2026"));
        EXPECT_FALSE(cellOf(sheet, "A4").value("bold").toBool());
        // The layout's columns, printed one page wide.
        EXPECT_EQ(sheet.value("widths").toObject().keys(),
                  QStringList({"A", "B", "C", "D", "E", "F", "G", "H", "I", "J"}));
        EXPECT_TRUE(sheet.value("fitToPage").toBool());
        EXPECT_EQ(sheet.value("fitToHeight").toInt(-1), 0);  // as many pages tall as it takes

        const int n = int(c.urls.size());
        QJsonArray merges;
        for (int i = 0; i < n; ++i) {
            EXPECT_EQ(text(sheet, QStringLiteral("C%1").arg(7 + i)), c.urls[i]);
            merges.append(QStringLiteral("C%1:J%1").arg(7 + i));
        }
        const int header = 9 + n, first = header + 2, band = first + 2, footer = band + 3;
        const QStringList titles = {"No",      "Keywords", "Count",   "Curr_Bid", "Next_Bid",
                                    "1st_Bid", "2nd_Bid",  "3rd_Bid", "Position", "Status"};
        const QString cols = QStringLiteral("ABCDEFGHIJ");
        for (int i = 0; i < 10; ++i) {
            const QString col = cols.mid(i, 1);
            EXPECT_EQ(text(sheet, col + QString::number(header)), titles[i]);
            EXPECT_EQ(cellOf(sheet, col + QString::number(header)).value("fill").toString(), QStringLiteral("61C4F3"));
            EXPECT_EQ(cellOf(sheet, col + QString::number(band)).value("fill").toString(), QStringLiteral("61C4F3"));
            EXPECT_TRUE(cellOf(sheet, col + QString::number(header + 1)).isEmpty());
            EXPECT_TRUE(cellOf(sheet, col + QString::number(band)).value("value").isNull());
        }
        const QStringList row1 = {"1", "=1+1", "120", "$0.25", "$0.24", "$0.40", "$0.30", "$0.25", "1", "12:01:00 PM"};
        for (int i = 0; i < 10; ++i)
            EXPECT_EQ(text(sheet, cols.mid(i, 1) + QString::number(first)), row1[i]);
        EXPECT_EQ(cellOf(sheet, QStringLiteral("B%1").arg(first)).value("type").toString(), QStringLiteral("s"));
        EXPECT_EQ(text(sheet, QStringLiteral("B%1").arg(first + 1)), QStringLiteral("<b>a&b</b>"));
        EXPECT_EQ(text(sheet, QStringLiteral("J%1").arg(first + 1)), QStringLiteral("Fail"));

        EXPECT_EQ(text(sheet, QStringLiteral("A%1").arg(footer)), QStringLiteral("This report is generated by: Ann Lee"));
        EXPECT_EQ(text(sheet, QStringLiteral("A%1").arg(footer + 1)), QStringLiteral("Shop Co"));
        EXPECT_EQ(text(sheet, QStringLiteral("A%1").arg(footer + 2)), QStringLiteral("http://www.shop.example"));
        for (int i = 0; i < 3; ++i)
            merges.append(QStringLiteral("A%1:J%1").arg(footer + i));
        QStringList got, want;
        for (const QJsonValue &v : sheet.value("merges").toArray())
            got.append(v.toString());
        for (const QJsonValue &v : merges)
            want.append(v.toString());
        got.sort();
        want.sort();
        EXPECT_EQ(got, want);
    }
    EXPECT_TRUE(testenv::shownMsgBoxes().isEmpty());
    EXPECT_EQ(testenv::errorLog(), QByteArray());
    EXPECT_EQ(QDir(folder()).entryList(QDir::Files | QDir::Hidden), QStringList{"acme.xlsx"});
}

TEST_F(ExcelReportTest, ARefusedWriteKeepsTheOldReportAndAsksToCloseIt) {
    win.w.ExcelReport();
    const QByteArray old = testenv::readFile(file());
    ASSERT_FALSE(old.isEmpty());
    win.w.lvwKeywords->topLevelItem(0)->setText(1, QStringLiteral("changed"));
    {
        ReadOnlyFolder locked(folder());
        testenv::answerMsgBox(seam::vbOK);
        win.w.ExcelReport();
    }
    EXPECT_EQ(testenv::readFile(file()), old);
    EXPECT_EQ(testenv::shellOpened().size(), 1);
    ASSERT_EQ(testenv::shownMsgBoxes().size(), 1);
    const seam::MessageBoxRequest box = testenv::shownMsgBoxes().first();
    EXPECT_EQ(box.text, QStringLiteral("ExcelReport_Error: Permission denied\r\n\r\n") + kAdvice);
    EXPECT_EQ(box.icon(), seam::vbCritical);
    EXPECT_EQ(testenv::errorLog(), QByteArray("ExcelReport_Error: Permission denied\r\n"));
    EXPECT_EQ(seam::CurrentPointer(), seam::Pointer::Default);
    EXPECT_EQ(QDir(folder()).entryList(QDir::Files | QDir::Hidden), QStringList{"acme.xlsx"});
}

TEST_F(ExcelReportTest, AnyOtherFailureShowsItsTextAlone) {
    struct Case {
        const char *name;
        std::function<void()> prepare;
        const char *logged;
    } cases[] = {
        {"the report's name is taken by a folder",
         [&] { QDir().mkpath(file()); }, "ExcelReport_Error: Path/File access error\r\n"},
        {"the engine folder cannot be made",
         [&] {
             QDir(folder()).removeRecursively();
             testenv::writeFile(folder(), "a file");
         },
         "ExcelReport_Error: Path not found\r\n"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        ResetErrorLogForTests();
        QFile::remove(platform::JoinPath(testenv::programDir(), "Error.log"));
        testenv::clearShownMsgBoxes();
        c.prepare();
        testenv::answerMsgBox(seam::vbOK);
        win.w.ExcelReport();
        ASSERT_EQ(testenv::shownMsgBoxes().size(), 1);
        EXPECT_EQ(testenv::shownMsgBoxes().first().text.toLatin1() + "\r\n", QByteArray(c.logged));
        EXPECT_EQ(testenv::errorLog(), QByteArray(c.logged));
        EXPECT_TRUE(testenv::shellOpened().isEmpty());
        EXPECT_EQ(seam::CurrentPointer(), seam::Pointer::Default);
    }
}
