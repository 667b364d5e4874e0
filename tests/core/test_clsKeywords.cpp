#include "core/clsKeywords.h"
#include "core/KeywordListModel.h"
#include "core/modCommon.h"
#include "platform/Folders.h"
#include "platform/VB.h"
#include "support/FileFaults.h"
#include "support/TestEnv.h"

#include <QDir>
#include <QFileInfo>
#include <gtest/gtest.h>
#include <iterator>

namespace {

QString keywordsFile(const QString &engine = "Overture", const QString &account = "Shop") {
    return testenv::programDir() + "/Accounts/" + engine + "/" + account + "/Keywords.dat";
}

clsKeywords listOf(const QString &engine = "Overture", const QString &account = "Shop") {
    clsKeywords k;
    k.setEngine(engine);
    k.setAccountName(account);
    return k;
}

// The keywords in list order, joined by ", ".
std::string keywordsOf(const clsKeywords &list) {
    QStringList out;
    for (const clsKeywordPtr &k : *list.Keywords())
        out << k->Keyword();
    return out.join(", ").toStdString();
}

clsKeyword &item(const clsKeywords &list, int index) { return *list.Keywords()->Item(index); }

// The fields Keywords.dat stores, joined as in its lines.
std::string stored(const clsKeyword &k) {
    return QStringList{k.Keyword(),  k.Count(),     k.CurBid(),   k.NextBid(), k.FirstBid(), k.SecondBid(),
                       k.ThirdBid(), k.FourthBid(), k.FifthBid(), k.CurPos(),  k.Status()}
        .join(';')
        .toStdString();
}

// Sets the stored fields after the keyword from "Count;CurBid;...;Status" ("" where left out).
void setStored(clsKeyword &k, const QString &line) {
    const QStringList f = line.split(';');
    k.setCount(f.value(0));
    k.setCurBid(f.value(1));
    k.setNextBid(f.value(2));
    k.setFirstBid(f.value(3));
    k.setSecondBid(f.value(4));
    k.setThirdBid(f.value(5));
    k.setFourthBid(f.value(6));
    k.setFifthBid(f.value(7));
    k.setCurPos(f.value(8));
    k.setStatus(f.value(9));
}

// What a ranking results merge sets: "CurBid;CurPos;NextBid".
std::string merged(const clsKeyword &k) {
    return QStringList{k.CurBid(), k.CurPos(), k.NextBid()}.join(';').toStdString();
}

void writeResults(const QString &engine, const QString &fileName, const QByteArray &bytes) {
    testenv::writeFile(testenv::programDir() + "/Results/" + engine + "/" + fileName, bytes);
}
URLCollectionPtr urls(const QStringList &list) {
    auto col = std::make_shared<URLCollection>();
    for (const QString &u : list)
        col->Add(u, u);
    return col;
}

// The report's column header and rule.
QString pad(const QString &s, int w) { return s.size() > w ? s + "  " : s + QString(w - s.size(), ' '); }
const QString kHeader = pad("#", 5) + pad("Keywords", 30) + pad("Counts", 9) + pad("Cur_Bid", 15) +
                        pad("Next_Bid", 9) + pad("1st_Bid", 9) + pad("2nd_Bid", 9) + pad("3rd_Bid", 9) +
                        pad("CurPos", 10) + pad("Status", 12);
const QString kRule = QString(118, '=');

}  // namespace

TEST(clsKeywords, LoadOfMissingFileAddsNothingAndLoadAppends) {
    clsKeywords list = listOf();
    list.Add("Keyshoe", "shoe");
    list.loadKeywords();
    EXPECT_EQ(keywordsOf(list), "shoe");
    testenv::writeFile(keywordsFile(), "boot;1;;;;;;;;;\r\nSHOE;5;;;;;;;;;\r\n\r\n");
    list.loadKeywords();
    EXPECT_EQ(keywordsOf(list), "shoe, boot");
}

TEST(clsKeywords, SaveWritesElevenFieldsWithClosingLineEndAndRoundTrips) {
    clsKeywords list = listOf("Overture(UK)", "My Shop");
    list.Add("Keyred shoes", "red shoes");
    list.Add("Keyboots", "boots");
    const QString fields = "120;" + PoundSign() + "0.30,$0.20;$0.25;1;2;3;4;5;2,4;3:41:07 PM";
    setStored(item(list, 1), fields);
    item(list, 1).setMaxBid("9.99");  // not stored in this file
    item(list, 1).setAutoBid("True");
    list.SaveKeywords();

    EXPECT_EQ(testenv::readFile(keywordsFile("Overture(UK)", "My Shop")),
              QByteArray("red shoes;120;\xA3"
                         "0.30,$0.20;$0.25;1;2;3;4;5;2,4;3:41:07 PM\r\n"
                         "boots;;;;;;;;;;\r\n"
                         "\r\n"));

    clsKeywords again = listOf("Overture(UK)", "My Shop");
    again.loadKeywords();
    ASSERT_EQ(keywordsOf(again), "red shoes, boots");
    EXPECT_EQ(stored(item(again, 1)), ("red shoes;" + fields).toStdString());
    EXPECT_EQ(item(again, 1).MaxBid(), "");
}

TEST(clsKeywords, SaveOfEmptyListWritesOneLineEndAndNeedsBothNames) {
    clsKeywords list = listOf();
    list.SaveKeywords();
    EXPECT_EQ(testenv::readFile(keywordsFile()), "\r\n");

    for (const auto &[engine, account] : {std::pair{"FindWhat", ""}, std::pair{"", "Shop2"}}) {
        clsKeywords half = listOf(engine, account);
        half.Add("Keyx", "x");
        half.SaveKeywords();
    }
    EXPECT_TRUE(QFileInfo(testenv::programDir() + "/Accounts").isDir());
    EXPECT_FALSE(QFileInfo::exists(testenv::programDir() + "/Accounts/FindWhat"));
    EXPECT_EQ(QDir(testenv::programDir() + "/Accounts").entryList(QDir::NoDotAndDotDot | QDir::AllEntries),
              QStringList{"Overture"});
}

TEST(clsKeywords, UnsafeEngineAndAccountNamesStayInsideTheAccountsFolder) {
    clsKeywords list = listOf("..", "a/../../b");
    list.Add("Keyx", "x");
    list.SaveKeywords();
    EXPECT_EQ(testenv::readFile(testenv::programDir() + "/Accounts/%2E%2E/a%2F..%2F..%2Fb/Keywords.dat"),
              "x;;;;;;;;;;\r\n\r\n");
    clsKeywords again = listOf("..", "a/../../b");
    again.loadKeywords();
    EXPECT_EQ(keywordsOf(again), "x");
}

TEST(clsKeywords, AddIgnoresRepeatedKeysAndInsertsBeforeAPosition) {
    clsKeywords list = listOf();
    list.Add("Keyb", "b");
    list.Add("KEYB", "B");  // keys ignore case
    list.Add("Keya", "a", 1);
    list.Add("Keyz", "z", 7);  // no such position
    list.Add("Keyc", "c");
    EXPECT_EQ(keywordsOf(list), "a, b, c");
    EXPECT_TRUE(testenv::errorLog().isEmpty());

    list.Remove(2);
    EXPECT_EQ(keywordsOf(list), "a, c");
    for (int bad : {0, 3}) {
        try {
            list.GetKeyword(bad);
            ADD_FAILURE() << "no error for " << bad;
        } catch (const vb::VBError &e) {
            EXPECT_EQ(e.Number(), vb::errSubscript);
        }
        EXPECT_THROW(list.Remove(bad), vb::VBError);
    }
    list.RemoveAll();
    EXPECT_EQ(list.Keywords()->Count(), 0);
}

TEST(clsKeywords, UpdateObjectSetsOneFieldOfTheMatchingKeyword) {
    clsKeywords list = listOf();
    list.Add("KeyRed Shoes", "Red Shoes");
    const QStringList names = {"Count", "CurBid", "NextBid", "1", "2", "3", "4", "5", "CurPos", "Status"};
    QStringList values;
    for (int i = 0; i < names.size(); ++i) {
        values << "v" + names[i];
        EXPECT_TRUE(list.UpdateObject(i % 2 ? "RED SHOES" : "red shoes", names[i], values.last())) << i;
    }
    EXPECT_TRUE(list.UpdateObject("red shoes", "count", "ignored"));  // names are exact
    EXPECT_FALSE(list.UpdateObject("blue shoes", "Count", "x"));
    EXPECT_EQ(stored(item(list, 1)), ("Red Shoes;" + values.join(';')).toStdString());

    // A collection keyed otherwise (by the bare keyword) is still searched.
    auto col = std::make_shared<KeywordCollection>();
    auto rec = std::make_shared<clsKeyword>();
    rec->setKeyword("boots");
    col->Add(rec, "boots");
    list.setKeywords(col);
    EXPECT_TRUE(list.UpdateObject("Boots", "Status", "ok"));
    EXPECT_EQ(rec->Status(), "ok");
}

TEST(clsKeywords, UrlMergeFromResultsFiles) {
    writeResults("Overture(UK)", "shoes.dat",
                 "www.other.com/a;#Other A;#$0.40\r\n"
                 "www.mysite.com/shoes;#Mine;#$0.30\r\n"
                 "\r\n"
                 "not a listing\r\n"
                 "www.third.com;#Third;#$0.25\r\n"
                 "http://www.mysite.com/boots;#Mine again;#$0.20\r\n"
                 "www.fifth.com;#Fifth;#$0.15\r\n"
                 "www.mysite.com/free;#Free;#$0.00\r\n");
    // A first own listing without a price still counts; a pound-priced free one later does not.
    writeResults("Overture(UK)", "cheap flights.dat",
                 QByteArray("www.mysite.com;#A;#\xA3") + "0.00\r\n"
                 "www.x.com;#B;#\xA3" "0.50\r\n"
                 "www.mysite.com/2;#C;#\xA3" "0.00\r\n"
                 "www.mysite.com/3;#D;#\xA3" "0.10\r\n");
    // A title holding ";#": URL before the first, price after the last.
    writeResults("Overture(UK)", "tricky.dat",
                 "www.x.com;#Buy;#now;#$0.90\r\n"
                 "www.mysite.com;#Save ;# more;#$0.70\r\n"
                 "www.y.com;#T;#$0.60\r\n");
    clsKeywords list = listOf("Overture(UK)", "Shop");
    list.Add("Keyshoes", "shoes");
    list.Add("Key  cheap flights ", "  cheap flights ");  // the file name uses the trimmed keyword
    list.Add("Keytricky", "tricky");
    list.Add("Keynofile", "nofile");
    item(list, 1).setFirstBid("old1");
    item(list, 1).setFourthBid("old4");
    setStored(item(list, 4), ";stale;stale;;;;;;9");

    list.UpdateKeywordsToURLs(urls({" www.mysite.com "}));
    const QString pound = PoundSign();
    EXPECT_EQ(merged(item(list, 1)), "$0.30,$0.20;2,4;$0.25");
    EXPECT_EQ(item(list, 1).FirstBid() + item(list, 1).FourthBid(), "old1old4");
    EXPECT_EQ(merged(item(list, 2)), (pound + "0.00," + pound + "0.10;1,4;" + pound + "0.50").toStdString());
    EXPECT_EQ(merged(item(list, 3)), "$0.70;2;$0.60");
    EXPECT_EQ(merged(item(list, 4)), ";;");
    EXPECT_TRUE(testenv::errorLog().isEmpty());

    // No URL list: nothing is own.
    list.UpdateKeywordsToURLs(nullptr);
    EXPECT_EQ(item(list, 2).CurBid() + item(list, 2).NextBid(), "");
    // The match is case-sensitive.
    list.UpdateKeywordsToURLs(urls({"WWW.MYSITE.COM"}));
    EXPECT_EQ(item(list, 3).CurBid(), "");
}

TEST(clsKeywords, ResultsFileNameIsTrimmedAndSafe) {
    EXPECT_EQ(clsKeywords::ResultsFile("Overture", "  red shoes "),
              testenv::programDir() + "/Results/Overture/red shoes.dat");
    EXPECT_EQ(clsKeywords::ResultsFile("Find/What", "a/../b"),
              testenv::programDir() + "/Results/Find%2FWhat/a%2F..%2Fb.dat");
}

TEST(clsKeywords, EmailMsgHeaderAndRows) {
    testenv::setNow(QDateTime(QDate(2024, 3, 5), QTime(14, 7, 9)));
    testenv::writeFile(testenv::programDir() + "/Accounts/Overture/Shop/URLs.dat",
                       "www.mysite.com\r\n\r\n site-b \r\n\r\n");
    clsKeywords list = listOf();
    list.Add("Keyshoes", "shoes");
    list.Add("Keynobid", "nobid");
    list.Add("Keylong", "a keyword that is longer than thirty");
    setStored(item(list, 1), "120;$0.30,$0.20;$0.25;$0.40;$0.30;$0.25;;;2,4;2:07:09 PM");
    item(list, 2).setCount("7");
    item(list, 3).setCurBid("$1.00");

    const QString expected =
        "Time:  3/5/2024 2:07:09 PM\r\n"
        "Account Name:  Shop\r\n"
        "Engine Name:  Overture\r\n"
        "URLs:\r\n"
        "www.mysite.com\r\n"
        "site-b\r\n"
        "\r\n" +
        kHeader + "\r\n" + kRule + "\r\n" +
        "1    shoes                         120      $0.30,$0.20    $0.25    $0.40    $0.30    $0.25    2,4       "
        "2:07:09 PM  \r\n" +
        pad("2", 5) + "a keyword that is longer than thirty  " + "-        " + pad("$1.00", 15) +
        QString(9 * 4 + 10 + 12, ' ') + "\r\n" +
        kRule + "\r\n\r\n";
    EXPECT_EQ(list.EmailMsg().toStdString(), expected.toStdString());
}

// Rows from 10 on, and values exactly as wide as their column (padded with
// nothing) or one wider (two blanks).
TEST(clsKeywords, EmailMsgRowNumbersAndValuesAtTheirColumnWidth) {
    clsKeywords list = listOf();
    const QString atWidth = QString(30, 'k');
    for (int i = 1; i <= 11; ++i)
        list.Add("Key" + QString::number(i), i == 11 ? atWidth : "kw" + QString::number(i));
    for (int i = 1; i <= 11; ++i)
        item(list, i).setCurBid(i == 10 ? QString(15, '1') : QString(16, '2'));
    const QStringList lines = list.EmailMsg().split("\r\n");
    const int first = int(lines.indexOf(kRule)) + 1;
    ASSERT_GT(first, 0);
    const QString rest = QString(9 * 4 + 10 + 12, QLatin1Char(' '));
    const QString over = QString(16, '2') + "  " + rest;
    EXPECT_EQ(lines[first + 8].toStdString(), (pad("9", 5) + pad("kw9", 30) + pad("-", 9) + over).toStdString());
    EXPECT_EQ(lines[first + 9].toStdString(),
              (pad("10", 5) + pad("kw10", 30) + pad("-", 9) + QString(15, '1') + rest).toStdString());
    EXPECT_EQ(lines[first + 10].toStdString(), (pad("11", 5) + atWidth + pad("-", 9) + over).toStdString());
    EXPECT_EQ(lines[first + 11], kRule);
}

TEST(clsKeywords, EmailMsgWithoutBidsOrUrlFileStillHasItsHeader) {
    testenv::setNow(QDateTime(QDate(2024, 12, 25), QTime(0, 0, 0)));
    clsKeywords list = listOf("FindWhat", "Shop");
    list.Add("Keyshoes", "shoes");
    EXPECT_EQ(list.EmailMsg(), "Time:  12/25/2024\r\n"
                               "Account Name:  Shop\r\n"
                               "Engine Name:  FindWhat\r\n"
                               "URLs:\r\n"
                               "\r\n" +
                                   kHeader + "\r\n" + kRule + "\r\n" + kRule + "\r\n\r\n");
    EXPECT_TRUE(testenv::errorLog().isEmpty());
    EXPECT_EQ(listOf().EmailMsg(), "");
}

TEST(clsKeywords, PopulateKeywordsFillsColumnsAndSkipsTakenKeys) {
    clsKeywords list = listOf();
    list.Add("Keyshoes", "shoes");
    list.Add("Keyboots", "boots");
    setStored(item(list, 1), "120;$0.30;$0.25;a;b;c;not shown;;2;Fail");

    KeywordListModel view;
    list.PopulateKeywords(&view);
    list.PopulateKeywords(&view);  // every key already listed
    ASSERT_EQ(view.count(), 2);
    QStringList row;
    for (int c = 0; c < 10; ++c)
        row << view.text(0, c);
    EXPECT_EQ(row, (QStringList{"1", "shoes", "120", "$0.30", "$0.25", "a", "b", "c", "2", "Fail"}));
    EXPECT_EQ(view.text(1, 0), "2");
    EXPECT_EQ(view.text(1, 1), "boots");
    EXPECT_EQ(view.data(view.index(1, 0), listview::KeyRole).toString(), "Keyboots");
    EXPECT_TRUE(view.keyedBy(1, "boots"));
    EXPECT_FALSE(view.keyedBy(1, "Boots"));
}

// ---- Damaged, foreign and unreadable keyword files -------------------------------

TEST(clsKeywords, LoadsNineAndElevenFieldLinesAtEveryLineEndAndSavesCrLf) {
    for (const char *eol : {"\n", "\r", "\r\n", "\n\r"}) {
        SCOPED_TRACE(testing::PrintToString(eol));
        const QByteArray e(eol);
        // Empty lines and lines without a keyword are skipped; a twelfth field is dropped.
        testenv::writeFile(keywordsFile(), "shoes;120;$0.25;$0.24;$0.40;$0.30;$0.25;1;12:01:00 PM" + e +
                                               "a;1;;;;;;;;;" + e + e + ";x;;;;;;;;;" + e +
                                               "b;2;c;n;1st;2nd;3rd;4th;5th;3;Fail;extra" + e + e);
        clsKeywords list = listOf();
        list.loadKeywords();
        ASSERT_EQ(keywordsOf(list), "shoes, a, b");
        EXPECT_EQ(stored(item(list, 1)), "shoes;120;$0.25;$0.24;$0.40;$0.30;$0.25;;;1;12:01:00 PM");
        EXPECT_EQ(stored(item(list, 3)), "b;2;c;n;1st;2nd;3rd;4th;5th;3;Fail");
        EXPECT_EQ(list.GetKeyword(2), "a");
        list.SaveKeywords();
        EXPECT_EQ(testenv::readFile(keywordsFile()), "shoes;120;$0.25;$0.24;$0.40;$0.30;$0.25;;;1;12:01:00 PM\r\n"
                                                     "a;1;;;;;;;;;\r\nb;2;c;n;1st;2nd;3rd;4th;5th;3;Fail\r\n\r\n");
        EXPECT_FALSE(QFileInfo::exists(keywordsFile() + ".bad"));
    }
    EXPECT_TRUE(testenv::errorLog().isEmpty());
}

TEST(clsKeywords, DamagedFileIsKeptOnceBesideItBeforeTheSaveReplacesIt) {
    const QByteArray good = "a;1;;;;;;;;;\r\n";
    struct Case { const char *what; QByteArray bytes; const char *loaded; const char *logged; } cases[] = {
        {"ten fields", good + "ten;1;;;;;;;;\r\nb;2;;;;;;;;;\r\n", "a, b",
         "clsKeywords_loadKeywords: Subscript out of range\r\n"},
        {"garbage", good + QByteArrayLiteral("\x89PNG\r\n\x1a\n\0\0\0\rIHDR\r\n") + good, "a",
         "Subscript out of range"},
        {"cut last line", good + "b;2;;;", "a", "no line end"},
        {"cut but whole fields", good + "b;2;;;;;;;;;", "a, b", "no line end"},
        {"NULs", QByteArray(4096, '\0'), "", "Subscript out of range"},
        {"over-long keyword", QByteArray(1001, 'k') + ";;;;;;;;;;\r\n" + good, "a", "over 1000 characters"},
        {"over-long status", "b;2;;;;;;;;;" + QByteArray(5000, 's') + "\r\n" + good, "a", "over 1000"},
        {"repeat", good + "A;2;;;;;;;;;\r\nb;2;;;;;;;;;\r\n", "a, b",
         "clsKeywords_loadKeywords: This key is already associated with an element of this collection\r\n"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        QFile::remove(keywordsFile() + ".bad");
        testenv::writeFile(keywordsFile(), c.bytes);
        testenv::writeFile(testenv::programDir() + "/Error.log", "");
        ResetErrorLogForTests();
        clsKeywords list = listOf();
        list.loadKeywords();
        EXPECT_EQ(keywordsOf(list), c.loaded);
        EXPECT_EQ(testenv::readFile(keywordsFile() + ".bad"), c.bytes);
        const QByteArray log = testenv::errorLog();
        EXPECT_TRUE(log.contains(c.logged)) << log.toStdString();
        EXPECT_TRUE(log.endsWith("clsKeywords_loadKeywords: the damaged file's bytes are kept as " +
                                 keywordsFile().toUtf8() + ".bad\r\n"))
            << log.toStdString();
        // What loaded is saved; the copy stays.
        list.SaveKeywords();
        EXPECT_EQ(testenv::readFile(keywordsFile() + ".bad"), c.bytes);
        EXPECT_EQ(testenv::readFile(keywordsFile()).count(";;;;;;;;;\r\n"), list.Keywords()->Count());
    }
    // A later damaged file does not replace the copy kept first.
    testenv::writeFile(keywordsFile(), "later;;\r\n");
    clsKeywords list = listOf();
    list.loadKeywords();
    EXPECT_EQ(testenv::readFile(keywordsFile() + ".bad"), cases[std::size(cases) - 1].bytes);
}

TEST(clsKeywords, LoadLogsEverySkippedLineInFileOrder) {
    const QByteArray tooLong = QByteArray(1001, 'k') + ";;;;;;;;;;\r\n";
    testenv::writeFile(keywordsFile(), "a;1;;;;;;;;;\r\nA;2;;;;;;;;;\r\nten;1;;;;;;;;\r\nb;2;;;;;;;;;\r\n"
                                       "OLD;3;;;;;;;;;\r\nB;3;;;;;;;;;\r\n" + tooLong + "c;4;;;;;;;;;\r\na;5;;;;;;;;;");
    testenv::writeFile(testenv::programDir() + "/Error.log", "");
    ResetErrorLogForTests();
    clsKeywords list = listOf();
    list.Add("Keyold", "old");  // a repeat of a keyword listed before the load counts too
    list.loadKeywords();
    EXPECT_EQ(keywordsOf(list), "old, a, b, c");
    const QByteArray label = "clsKeywords_loadKeywords: ";
    const QByteArray repeat = label + "This key is already associated with an element of this collection\r\n";
    EXPECT_EQ(testenv::errorLog(), repeat + label + "Subscript out of range\r\n" + repeat + repeat + label +
                                       "a line too long to be a keyword (a field over 1000 characters) was skipped\r\n" +
                                       label + "the last line has no line end; the file was cut short\r\n" + repeat +
                                       label + "the damaged file's bytes are kept as " + keywordsFile().toUtf8() +
                                       ".bad\r\n");
}

// What Add refuses (see the refusal tests) a record put into the collection
// directly can still hold: the save leaves it out, as the load would skip it.
TEST(clsKeywords, SaveLeavesOutRecordsThatCantBeOneLine) {
    clsKeywords list = listOf();
    list.Add("Keyk", QString(1000, 'k'));
    list.Add("Keyl", QString(1001, 'l'));
    EXPECT_EQ(list.Keywords()->Count(), 1);
    for (const auto &[keyword, statusLength] : {std::pair{"x;y", 0}, std::pair{"huge", 2000}}) {
        auto bad = std::make_shared<clsKeyword>();
        bad->setKeyword(keyword);
        bad->setStatus(QString(statusLength, 's'));
        list.Keywords()->Add(bad, QString("Key") + keyword);
    }
    list.SaveKeywords();
    EXPECT_EQ(testenv::readFile(keywordsFile()), QByteArray(1000, 'k') + ";;;;;;;;;;\r\n\r\n");
    EXPECT_EQ(testenv::errorLog().count("clsKeywords_SaveKeywords: keyword left out"), 2);
    clsKeywords again = listOf();
    again.loadKeywords();
    EXPECT_EQ(again.Keywords()->Count(), 1);
    EXPECT_FALSE(QFileInfo::exists(keywordsFile() + ".bad"));
}

TEST(clsKeywords, UnreadableFileIsNamedInItsMessageAndNeverOverwritten) {
    testenv::writeFile(keywordsFile(), "a;1;;;;;;;;;\r\n\r\n");
    clsKeywords list = listOf();
    {
        testenv::Unreadable guard(keywordsFile());
        testenv::answerMsgBox(seam::vbOK);
        list.loadKeywords();
    }
    ASSERT_EQ(testenv::shownMsgBoxes().size(), 1);
    EXPECT_TRUE(testenv::shownMsgBoxes()[0].text.startsWith(keywordsFile() + ": ")) << testenv::shownMsgBoxes()[0].text.toStdString();
    EXPECT_EQ(testenv::shownMsgBoxes()[0].title, "Open File");
    EXPECT_EQ(list.Keywords()->Count(), 0);
    list.Add("Keyb", "b");
    list.SaveKeywords();
    EXPECT_EQ(testenv::readFile(keywordsFile()), "a;1;;;;;;;;;\r\n\r\n");
    EXPECT_TRUE(testenv::errorLog().contains("clsKeywords_SaveKeywords" + keywordsFile().toUtf8()));
}

TEST(clsKeywords, SaveOnAFullDiskKeepsTheOldFileAndIsLogged) {
    testenv::writeFile(keywordsFile(), "old;1;;;;;;;;;\r\n\r\n");
    clsKeywords list = listOf();
    for (int i = 0; i < 200; ++i)
        list.Add(QString("Keykw%1").arg(i), QString("keyword %1").arg(i));
    {
        testenv::FileSizeLimit limit(1000);
        list.SaveKeywords();
    }
    EXPECT_EQ(testenv::readFile(keywordsFile()), "old;1;;;;;;;;;\r\n\r\n");
    EXPECT_TRUE(testenv::errorLog().startsWith("clsKeywords_SaveKeywords")) << testenv::errorLog().toStdString();
}
