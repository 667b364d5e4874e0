// The workbook wrapper: what each member leaves in the written file, read
// back by openpyxl, and the errors of bad arguments.

#include "ReportTools.h"
#include "report/ExcelRange.h"
#include "platform/VB.h"
#include "report/clsZentrovaExcel.h"

#include <QDir>
#include <QImage>

using namespace reporttools;

namespace {

const QString S = QStringLiteral("Data");

int errorNumber(const std::function<void()> &f) {
    try {
        f();
    } catch (const vb::VBError &e) {
        return e.Number();
    }
    return 0;
}

struct WorkbookTest : ::testing::Test {
    clsZentrovaExcel excel;
    QString file;
    void SetUp() override {
        file = testenv::tempDir() + QStringLiteral("/book.xlsx");
        ASSERT_TRUE(excel.ConnectExcel(file));
        excel.AddSheet(S);
    }
    QJsonObject save() {
        excel.Saveasxl(file);
        return sheetOf(readWorkbook(file));
    }
};

}  // namespace

TEST(ZentrovaExcelColumns, ColumnLettersUpToBZ) {
    struct Case {
        long col;
        const char *letters;
    } cases[] = {{1, "A"}, {26, "Z"}, {27, "AA"}, {52, "AZ"}, {53, "BA"}, {78, "BZ"}, {79, ""}, {0, ""}};
    int messages = 0;
    for (const Case &c : cases) {
        const bool refused = QString::fromLatin1(c.letters).isEmpty();
        if (refused) {
            testenv::answerMsgBox(seam::vbOK);
            ++messages;
        }
        EXPECT_EQ(clsZentrovaExcel::getColumn(c.col), QString::fromLatin1(c.letters)) << c.col;
    }
    ASSERT_EQ(testenv::shownMsgBoxes().size(), messages);
    EXPECT_EQ(testenv::shownMsgBoxes()[0].text, QStringLiteral("Unable to Return Column Letter"));
    EXPECT_EQ(testenv::shownMsgBoxes()[0].title, QStringLiteral("clsZentrovaExcel.getcolumn"));
    EXPECT_EQ(testenv::shownMsgBoxes()[0].buttons(), seam::vbOKOnly);
}

TEST(ZentrovaExcelRanges, AddressesParseAndBadOnesAreRefused) {
    struct Case { const char *text; int firstRow, firstCol, lastRow, lastCol; } good[] = {
        {"A3:J200", 3, 1, 200, 10},     {"$C$7:$J$7", 7, 3, 7, 10}, {"b2", 2, 2, 2, 2},
        {"J5:A1", 1, 1, 5, 10},         {"A:J", 1, 1, 1048576, 10}, {"3:5", 3, 1, 5, 16384},
        {"XFD1048576", 1048576, 16384, 1048576, 16384},
    };
    for (const Case &c : good) {
        const ExcelRange r = ExcelRange::Parse(QString::fromLatin1(c.text));
        EXPECT_EQ(std::make_tuple(r.firstRow, r.firstCol, r.lastRow, r.lastCol),
                  std::make_tuple(c.firstRow, c.firstCol, c.lastRow, c.lastCol))
            << c.text;
    }
    for (const char *bad : {"", "A", "3", "A0", "A1:B", "XFE1", "A1048577", "A1:B2:C3", " A1", "A1 ", "1A",
                            "A$", "$", "A-1", "A1;B2"})
        EXPECT_EQ(errorNumber([&] { ExcelRange::Parse(QString::fromLatin1(bad)); }), 1004) << bad;
}

TEST(ZentrovaExcelFormulas, CopiedFormulasMoveTheirRelativeReferences) {
    struct Case { const char *in; int rows, cols; const char *out; } cases[] = {
        {"=A1+B2", 1, 1, "=B2+C3"},
        {"=$A$1+A$1+$A1", 2, 2, "=$A$1+C$1+$A3"},
        {"=SUM(A1:A3)*LOG10(B1)", 1, 0, "=SUM(A2:A4)*LOG10(B2)"},
        {"=\"A1\"&A1", 0, 1, "=\"A1\"&B1"},
        {"='Sheet 1'!A1+Data!B2", 1, 0, "='Sheet 1'!A2+Data!B3"},
        {"=A1", -1, 0, "=#REF!"},
        {"=TRUE", 3, 3, "=TRUE"},
    };
    for (const Case &c : cases)
        EXPECT_EQ(clsZentrovaExcel::ShiftFormula(QString::fromLatin1(c.in), c.rows, c.cols), QString::fromLatin1(c.out))
            << c.in;
}

TEST_F(WorkbookTest, CellTextsStayTextAndFormulasStayFormulas) {
    excel.Enterxldata(S, 1, 1, QStringLiteral("=1+1"));
    excel.Enterxldata(S, 1, 2, QStringLiteral("0012"));
    excel.Enterxldata(S, 1, 3, QStringLiteral("$0.25"));
    excel.Enterxldata(S, 1, 4, QStringLiteral("caf\u00e9 \u20ac <&> \u0001"));
    excel.Enterxldata(S, 1, 5, QStringLiteral("gone"));
    excel.Enterxldata(S, 1, 5, QString());
    excel.EnterxlFormula(S, 2, 1, QStringLiteral("=SUM(B3:B4)"));
    excel.EnterxlFormula(S, 2, 2, QStringLiteral("no equals sign"));
    const QJsonObject sheet = save();
    EXPECT_EQ(sheet.value("name").toString(), S);
    struct Expect {
        const char *cell, *value, *type;
    } expects[] = {{"A1", "=1+1", "s"},        {"B1", "0012", "s"}, {"C1", "$0.25", "s"},
                   {"A2", "=SUM(B3:B4)", "f"}, {"B2", "no equals sign", "s"}};
    for (const Expect &e : expects) {
        const QJsonObject c = cellOf(sheet, QString::fromLatin1(e.cell));
        EXPECT_EQ(c.value("value").toString(), QString::fromLatin1(e.value)) << e.cell;
        EXPECT_EQ(c.value("type").toString(), QString::fromLatin1(e.type)) << e.cell;
    }
    EXPECT_TRUE(cellOf(sheet, "D1").value("value").toString().startsWith(QStringLiteral("caf\u00e9 \u20ac <&> ")));
    EXPECT_TRUE(cellOf(sheet, "E1").isEmpty());
}

TEST_F(WorkbookTest, MergesKeepTheUpperLeftTextAndJoinWhenTheyOverlap) {
    excel.Enterxldata(S, 1, 1, QStringLiteral("kept"));
    excel.Enterxldata(S, 1, 2, QStringLiteral("dropped"));
    excel.Enterxlmerge(S, QStringLiteral("A1:C1"));
    excel.Enterxlmerge(S, QStringLiteral("C1:D2"));
    excel.Enterxlmerge(S, QStringLiteral("F5:F5"));  // one cell: nothing to merge
    excel.Enterxlmerge(S, QStringLiteral("A4:J4"));
    excel.Enterxldata(S, 4, 1, QStringLiteral("footer"));
    const QJsonObject sheet = save();
    EXPECT_EQ(sheet.value("merges").toArray(), QJsonArray({"A1:D2", "A4:J4"}));
    EXPECT_EQ(cellOf(sheet, "A1").value("value").toString(), QStringLiteral("kept"));
    EXPECT_TRUE(cellOf(sheet, "B1").value("value").toString().isEmpty());
    EXPECT_EQ(cellOf(sheet, "A4").value("value").toString(), QStringLiteral("footer"));
}

TEST_F(WorkbookTest, FormatsReachEveryCellOfTheirRange) {
    excel.Enterxldata(S, 2, 2, QStringLiteral("x"));
    excel.Enterxlinteriorcolor(S, QStringLiteral("A2:C2"), 97, 196, 243);
    excel.Enterxlfont(S, QStringLiteral("B2:B3"), QStringLiteral("Arial"), 14, true, true, 0x0000FF, true);
    excel.Enterxlfont(S, QStringLiteral("B2"), {}, {}, {}, false);  // only bold changes
    excel.EnterxlHAlignment(S, QStringLiteral("A2"), clsZentrovaExcel::xlCenter);
    excel.EnterxlVAlignment(S, QStringLiteral("A2"), clsZentrovaExcel::xlTop);
    excel.Enterxlshrinktofit(S, QStringLiteral("C2"));
    excel.Enterxlborder(S, QStringLiteral("A5:B6"), std::nullopt, clsZentrovaExcel::xlContinuous);
    excel.Enterxlborder(S, QStringLiteral("D5:E6"), int(clsZentrovaExcel::xlEdgeTop), clsZentrovaExcel::xlDouble);
    excel.Enterxlbordercolor(S, QStringLiteral("D5:E6"), int(clsZentrovaExcel::xlEdgeBottom), 255, 0, 0);
    excel.Enterxlfont(S, QStringLiteral("H:H"), {}, {}, {}, true);
    excel.Enterxldata(S, 9, 8, QStringLiteral("bold by its column"));
    const QJsonObject sheet = save();

    const QJsonObject a2 = cellOf(sheet, "A2"), b2 = cellOf(sheet, "B2"), b3 = cellOf(sheet, "B3");
    EXPECT_EQ(a2.value("fill").toString(), QStringLiteral("61C4F3"));
    EXPECT_EQ(cellOf(sheet, "C2").value("fill").toString(), QStringLiteral("61C4F3"));
    EXPECT_EQ(a2.value("halign").toString(), QStringLiteral("center"));
    EXPECT_EQ(a2.value("valign").toString(), QStringLiteral("top"));
    EXPECT_TRUE(cellOf(sheet, "C2").value("shrink").toBool());
    EXPECT_EQ(b2.value("font").toString(), QStringLiteral("Arial"));
    EXPECT_EQ(b2.value("size").toDouble(), 14.0);
    EXPECT_FALSE(b2.value("bold").toBool());
    EXPECT_TRUE(b3.value("bold").toBool());
    EXPECT_TRUE(b2.value("italic").toBool());
    EXPECT_EQ(b2.value("underline").toString(), QStringLiteral("single"));
    EXPECT_EQ(b2.value("fontColor").toString(), QStringLiteral("FF0000"));  // red + 256 green + 65536 blue
    EXPECT_EQ(b2.value("fill").toString(), QStringLiteral("61C4F3"));

    // All borders: every edge and inside line; one edge: that side of the edge cells only.
    for (const char *c : {"A5", "B5", "A6", "B6"})
        EXPECT_EQ(cellOf(sheet, c).value("borders").toObject().size(), 4) << c;
    EXPECT_EQ(cellOf(sheet, "D5").value("borders").toObject(), QJsonObject({{"top", "double"}}));
    EXPECT_EQ(cellOf(sheet, "E6").value("borders").toObject(), QJsonObject({{"bottom", "thin"}}));
    EXPECT_EQ(cellOf(sheet, "E6").value("borderColors").toObject().value("bottom").toString(),
              QStringLiteral("FF0000"));
    EXPECT_TRUE(cellOf(sheet, "H9").value("bold").toBool());
}

TEST_F(WorkbookTest, SizesBreaksClearCopyAndPictures) {
    excel.Enterxldata(S, 1, 1, QStringLiteral("a fairly long text in A"));
    excel.Enterxldata(S, 2, 1, QStringLiteral("short"));
    excel.Enterxldata(S, 1, 2, QStringLiteral("merged texts do not size columns"));
    excel.Enterxlmerge(S, QStringLiteral("B1:C1"));
    excel.Enterxlautofit(S, QStringLiteral("A:B"));
    excel.EnterxlWidth(S, QStringLiteral("D:E"), 20);
    excel.EnterxlHeight(S, QStringLiteral("3:4"), 30);
    excel.Enterxlpagebreak(S, QStringLiteral("A20:J30"));
    excel.Enterxldata(S, 5, 1, QStringLiteral("cleared"));
    excel.Enterxlinteriorcolor(S, QStringLiteral("A5"), 1, 2, 3);
    excel.Enterxlclear(S, QStringLiteral("A5:B5"));
    excel.Enterxldata(S, 7, 1, QStringLiteral("from"));
    excel.EnterxlFormula(S, 7, 2, QStringLiteral("=A7&A8"));
    excel.Enterxldata(S, 10, 2, QStringLiteral("overwritten by an empty source cell"));
    excel.Enterxlcopy(S, QStringLiteral("A7:B8"), QStringLiteral("A10:B11"));
    QImage logo(40, 20, QImage::Format_RGB32);
    logo.fill(Qt::blue);
    const QString png = testenv::tempDir() + QStringLiteral("/logo.png");
    ASSERT_TRUE(logo.save(png));
    excel.putpicture(S, png, 0, 150, 60, 30);
    const QJsonObject sheet = save();
    const QJsonObject book = readWorkbook(file);

    const QJsonObject widths = sheet.value("widths").toObject();
    EXPECT_GT(widths.value("A").toDouble(), 23.0);
    EXPECT_FALSE(widths.contains("B"));
    EXPECT_NEAR(widths.value("D").toDouble(), 20.0, 1.0);  // stored with the cell padding
    EXPECT_EQ(sheet.value("heights").toObject().value("3").toDouble(), 30.0);
    EXPECT_EQ(sheet.value("breaks").toArray(), QJsonArray({19}));  // the break lies below row 19
    EXPECT_TRUE(cellOf(sheet, "A5").value("value").isNull());
    EXPECT_EQ(cellOf(sheet, "A5").value("fill").toString(), QStringLiteral("010203"));
    EXPECT_EQ(cellOf(sheet, "A10").value("value").toString(), QStringLiteral("from"));
    EXPECT_EQ(cellOf(sheet, "B10").value("value").toString(), QStringLiteral("=A10&A11"));
    EXPECT_EQ(book.value("media").toArray(), QJsonArray({"xl/media/image1.png"}));
    ASSERT_EQ(book.value("anchors").toArray().size(), 1);
    // 150 pt is 200 px: two 20 px rows, two 40 px rows, then four more.
    EXPECT_EQ(book.value("anchors").toArray().at(0).toObject().value("row").toInt(), 8);
}

TEST_F(WorkbookTest, BadArgumentsRaiseTheSpreadsheetsErrors) {
    struct Case {
        const char *name;
        int number;
        std::function<void()> call;
    } cases[] = {
        {"unknown sheet", 9, [&] { excel.Enterxldata(QStringLiteral("Nope"), 1, 1, "x"); }},
        {"sheet found without regard to case", 0, [&] { excel.Enterxldata(QStringLiteral("DATA"), 1, 1, "x"); }},
        {"row 0", 1004, [&] { excel.Enterxldata(S, 0, 1, "x"); }},
        {"column past XFD", 1004, [&] { excel.Enterxldata(S, 1, 16385, "x"); }},
        {"text too long", 1004, [&] { excel.Enterxldata(S, 1, 1, QString(32768, QLatin1Char('x'))); }},
        {"bad range", 1004, [&] { excel.Enterxlmerge(S, QStringLiteral("A1:")); }},
        {"bad alignment", 1004, [&] { excel.EnterxlHAlignment(S, QStringLiteral("A1"), 99); }},
        {"bad line style", 1004, [&] { excel.Enterxlborder(S, QStringLiteral("A1"), std::nullopt, 42); }},
        {"bad border index", 1004, [&] { excel.Enterxlborder(S, QStringLiteral("A1"), 3, 1); }},
        {"negative colour", 5, [&] { excel.Enterxlinteriorcolor(S, QStringLiteral("A1"), -1, 0, 0); }},
        {"huge range", 1004, [&] { excel.Enterxlinteriorcolor(S, QStringLiteral("A1:XFC100000"), 1, 1, 1); }},
        {"height over 409", 1004, [&] { excel.EnterxlHeight(S, QStringLiteral("1:1"), 410); }},
        {"missing picture", 53, [&] { excel.putpicture(S, QStringLiteral("/nonexistent.png"), 0, 0, 1, 1); }},
        {"sheet name taken", 1004, [&] { excel.AddSheet(QStringLiteral("data")); }},
        {"sheet name with a slash", 1004, [&] { excel.AddSheet(QStringLiteral("a/b")); }},
    };
    for (const Case &c : cases)
        EXPECT_EQ(errorNumber(c.call), c.number) << c.name;

    clsZentrovaExcel unconnected;
    EXPECT_EQ(errorNumber([&] { unconnected.Enterxldata(S, 1, 1, "x"); }), 91);
}

TEST_F(WorkbookTest, PreviewWritesTheFileAndOpensItWithTheHourglassShown) {
    const QString target = platform::JoinPath(testenv::programDir(), QStringLiteral("preview.xlsx"));
    clsZentrovaExcel book;
    ASSERT_TRUE(book.ConnectExcel(target));
    EXPECT_EQ(seam::CurrentPointer(), seam::Pointer::Hourglass);
    book.AddSheet(QStringLiteral("Report"));
    book.Enterxldata(QStringLiteral("Report"), 1, 1, QStringLiteral("x"));
    book.ExcelPreview();
    EXPECT_EQ(testenv::shellOpened(), QStringList{target});
    EXPECT_EQ(cellOf(sheetOf(readWorkbook(target)), "A1").value("value").toString(), QStringLiteral("x"));
}

TEST_F(WorkbookTest, AFailedSaveLeavesTheOldFileAndNoTemporaryFile) {
    excel.Enterxldata(S, 1, 1, QStringLiteral("first"));
    excel.Saveasxl(file);
    const QByteArray old = testenv::readFile(file);
    excel.Enterxldata(S, 1, 1, QStringLiteral("second"));
    {
        ReadOnlyFolder locked(testenv::tempDir());
        EXPECT_EQ(errorNumber([&] { excel.Saveasxl(file); }), 70);
    }
    EXPECT_EQ(testenv::readFile(file), old);
    QDir().mkpath(testenv::tempDir() + QStringLiteral("/dir.xlsx"));
    EXPECT_NE(errorNumber([&] { excel.Saveasxl(testenv::tempDir() + QStringLiteral("/dir.xlsx")); }), 0);
    EXPECT_EQ(errorNumber([&] { excel.Saveasxl(testenv::tempDir() + QStringLiteral("/no/such/book.xlsx")); }), 76);
    EXPECT_EQ(QDir(testenv::tempDir()).entryList(QDir::Files | QDir::Hidden), QStringList{"book.xlsx"});
}
