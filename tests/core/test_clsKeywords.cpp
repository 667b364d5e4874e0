#include "core/clsKeywords.h"
#include "core/modCommon.h"
#include "platform/Folders.h"
#include "platform/VB.h"
#include "support/TestEnv.h"

#include <QDir>
#include <QFileInfo>
#include <QTreeWidget>
#include <gtest/gtest.h>

namespace {

QString accountDir(const QString &engine, const QString &account) {
    return testenv::programDir() + "/Accounts/" + engine + "/" + account;
}

void writeKeywordsFile(const QByteArray &bytes, const QString &engine = "Overture",
                       const QString &account = "Shop") {
    testenv::writeFile(accountDir(engine, account) + "/Keywords.dat", bytes);
}

clsKeywords listOf(const QString &engine = "Overture", const QString &account = "Shop") {
    clsKeywords k;
    k.setEngine(engine);
    k.setAccountName(account);
    return k;
}

QStringList keywordsOf(const clsKeywords &list) {
    QStringList out;
    for (const clsKeywordPtr &k : *list.Keywords())
        out << k->Keyword();
    return out;
}

const clsKeyword &item(const clsKeywords &list, int index) { return *list.Keywords()->Item(index); }

}  // namespace

TEST(clsKeywords, LoadsNineAndElevenFieldLinesAndSkipsEmptyOnes) {
    writeKeywordsFile("shoes;120;$0.25;$0.24;$0.40;$0.30;$0.25;1;12:01:00 PM\r\n"
                      "a;1;;;;;;;;;\r\n"
                      "\r\n"
                      ";x;;;;;;;;;\r\n"
                      "b;2;c;n;1st;2nd;3rd;4th;5th;3;Fail;extra\r\n"
                      "\r\n");
    clsKeywords list = listOf();
    list.loadKeywords();
    ASSERT_EQ(keywordsOf(list), (QStringList{"shoes", "a", "b"}));

    const clsKeyword &shoes = item(list, 1);
    EXPECT_EQ(shoes.Count(), "120");
    EXPECT_EQ(shoes.CurBid(), "$0.25");
    EXPECT_EQ(shoes.NextBid(), "$0.24");
    EXPECT_EQ(shoes.FirstBid(), "$0.40");
    EXPECT_EQ(shoes.ThirdBid(), "$0.25");
    EXPECT_EQ(shoes.FourthBid(), "");
    EXPECT_EQ(shoes.FifthBid(), "");
    EXPECT_EQ(shoes.CurPos(), "1");
    EXPECT_EQ(shoes.Status(), "12:01:00 PM");

    const clsKeyword &b = item(list, 3);
    EXPECT_EQ(b.CurBid(), "c");
    EXPECT_EQ(b.FourthBid(), "4th");
    EXPECT_EQ(b.FifthBid(), "5th");
    EXPECT_EQ(b.CurPos(), "3");
    EXPECT_EQ(b.Status(), "Fail");
    EXPECT_EQ(list.GetKeyword(2), "a");
    EXPECT_TRUE(testenv::errorLog().isEmpty());
}

TEST(clsKeywords, BadAndRepeatedLinesAreSkippedAndLoggedAndLaterLinesStillLoadAndSave) {
    writeKeywordsFile("first;1;;;;;;;;;\r\n"
                      "ten;1;;;;;;;;\r\n"          // 10 fields
                      "Shoes;2;;;;;;;;;\r\n"
                      "shoes;3;;;;;;;;;\r\n"       // same keyword, other case
                      "last;4;;;;;;;;;\r\n"
                      "\r\n");
    clsKeywords list = listOf();
    list.loadKeywords();
    EXPECT_EQ(keywordsOf(list), (QStringList{"first", "Shoes", "last"}));
    EXPECT_EQ(item(list, 2).Count(), "2");
    EXPECT_EQ(testenv::errorLog(),
              "clsKeywords_loadKeywords: Subscript out of range\r\n"
              "clsKeywords_loadKeywords: This key is already associated with an element of this collection\r\n");

    list.SaveKeywords();
    EXPECT_EQ(testenv::readFile(accountDir("Overture", "Shop") + "/Keywords.dat"),
              "first;1;;;;;;;;;\r\nShoes;2;;;;;;;;;\r\nlast;4;;;;;;;;;\r\n\r\n");
}

TEST(clsKeywords, LoadOfMissingFileAddsNothingAndLoadAppends) {
    clsKeywords list = listOf();
    list.Add("Keyshoe", "shoe");
    list.loadKeywords();
    EXPECT_EQ(keywordsOf(list), QStringList{"shoe"});
    writeKeywordsFile("boot;1;;;;;;;;;\r\nSHOE;5;;;;;;;;;\r\n\r\n");
    list.loadKeywords();
    EXPECT_EQ(keywordsOf(list), (QStringList{"shoe", "boot"}));
}

TEST(clsKeywords, SaveWritesElevenFieldsWithClosingLineEndAndRoundTrips) {
    clsKeywords list = listOf("Overture(UK)", "My Shop");
    list.Add("Keyred shoes", "red shoes");
    list.Add("Keyboots", "boots");
    clsKeyword &r = *list.Keywords()->Item(1);
    r.setCount("120");
    r.setCurBid(PoundSign() + "0.30,$0.20");
    r.setNextBid("$0.25");
    r.setFirstBid("1");
    r.setSecondBid("2");
    r.setThirdBid("3");
    r.setFourthBid("4");
    r.setFifthBid("5");
    r.setCurPos("2,4");
    r.setStatus("3:41:07 PM");
    r.setMaxBid("9.99");  // not stored in this file
    r.setAutoBid("True");
    list.SaveKeywords();

    const QString file = accountDir("Overture(UK)", "My Shop") + "/Keywords.dat";
    EXPECT_EQ(testenv::readFile(file), QByteArray("red shoes;120;\xA3"
                                                  "0.30,$0.20;$0.25;1;2;3;4;5;2,4;3:41:07 PM\r\n"
                                                  "boots;;;;;;;;;;\r\n"
                                                  "\r\n"));

    clsKeywords again = listOf("Overture(UK)", "My Shop");
    again.loadKeywords();
    ASSERT_EQ(keywordsOf(again), (QStringList{"red shoes", "boots"}));
    const clsKeyword &a = item(again, 1);
    EXPECT_EQ(a.Count(), "120");
    EXPECT_EQ(a.CurBid(), PoundSign() + "0.30,$0.20");
    EXPECT_EQ(a.NextBid(), "$0.25");
    EXPECT_EQ(a.FirstBid(), "1");
    EXPECT_EQ(a.SecondBid(), "2");
    EXPECT_EQ(a.ThirdBid(), "3");
    EXPECT_EQ(a.FourthBid(), "4");
    EXPECT_EQ(a.FifthBid(), "5");
    EXPECT_EQ(a.CurPos(), "2,4");
    EXPECT_EQ(a.Status(), "3:41:07 PM");
    EXPECT_EQ(a.MaxBid(), "");
}

TEST(clsKeywords, SaveOfEmptyListWritesOneLineEndAndNeedsBothNames) {
    clsKeywords list = listOf();
    list.SaveKeywords();
    EXPECT_EQ(testenv::readFile(accountDir("Overture", "Shop") + "/Keywords.dat"), "\r\n");

    clsKeywords noAccount = listOf("FindWhat", "");
    noAccount.Add("Keyx", "x");
    noAccount.SaveKeywords();
    clsKeywords noEngine = listOf("", "Shop2");
    noEngine.Add("Keyx", "x");
    noEngine.SaveKeywords();
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
    EXPECT_EQ(keywordsOf(again), QStringList{"x"});
}

TEST(clsKeywords, AddRefusesKeywordsThatWouldSplitTheirLine) {
    clsKeywords list = listOf();
    list.Add("Keya;b", "a;b");
    list.Add("Keyc\r\nd", "c\r\nd");
    list.Add("Keye\nf", "e\nf");
    list.Add("Keyok", "ok");
    EXPECT_EQ(keywordsOf(list), QStringList{"ok"});
    const QByteArray log = testenv::errorLog();
    EXPECT_EQ(log.count("clsKeywords_Add: "), 3);
    EXPECT_EQ(log.count("\r\n"), 3);  // one record per refusal, line breaks not copied

    // A record put into the collection directly is left out of the file.
    auto bad = std::make_shared<clsKeyword>();
    bad->setKeyword("x;y");
    list.Keywords()->Add(bad, "Keyx;y");
    list.SaveKeywords();
    EXPECT_EQ(testenv::readFile(accountDir("Overture", "Shop") + "/Keywords.dat"), "ok;;;;;;;;;;\r\n\r\n");
    EXPECT_EQ(testenv::errorLog().count("clsKeywords_SaveKeywords: "), 1);
}

TEST(clsKeywords, AddIgnoresRepeatedKeysAndInsertsBeforeAPosition) {
    clsKeywords list = listOf();
    list.Add("Keyb", "b");
    list.Add("KEYB", "B");  // keys ignore case
    list.Add("Keya", "a", 1);
    list.Add("Keyz", "z", 7);  // no such position
    list.Add("Keyc", "c");
    EXPECT_EQ(keywordsOf(list), (QStringList{"a", "b", "c"}));
    EXPECT_TRUE(testenv::errorLog().isEmpty());

    list.Remove(2);
    EXPECT_EQ(keywordsOf(list), (QStringList{"a", "c"}));
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
    EXPECT_TRUE(list.UpdateObject("red shoes", "Count", "c"));
    EXPECT_TRUE(list.UpdateObject("RED SHOES", "CurBid", "cb"));
    EXPECT_TRUE(list.UpdateObject("red shoes", "NextBid", "nb"));
    for (int i = 1; i <= 5; ++i)
        EXPECT_TRUE(list.UpdateObject("red shoes", QString::number(i), "p" + QString::number(i)));
    EXPECT_TRUE(list.UpdateObject("red shoes", "CurPos", "cp"));
    EXPECT_TRUE(list.UpdateObject("red shoes", "Status", "Fail"));
    EXPECT_TRUE(list.UpdateObject("red shoes", "count", "ignored"));  // names are exact
    EXPECT_FALSE(list.UpdateObject("blue shoes", "Count", "x"));

    const clsKeyword &k = item(list, 1);
    EXPECT_EQ(k.Count(), "c");
    EXPECT_EQ(k.CurBid(), "cb");
    EXPECT_EQ(k.NextBid(), "nb");
    EXPECT_EQ(k.FirstBid(), "p1");
    EXPECT_EQ(k.SecondBid(), "p2");
    EXPECT_EQ(k.ThirdBid(), "p3");
    EXPECT_EQ(k.FourthBid(), "p4");
    EXPECT_EQ(k.FifthBid(), "p5");
    EXPECT_EQ(k.CurPos(), "cp");
    EXPECT_EQ(k.Status(), "Fail");

    // A collection keyed otherwise (by the bare keyword) is still searched.
    auto col = std::make_shared<KeywordCollection>();
    auto rec = std::make_shared<clsKeyword>();
    rec->setKeyword("boots");
    col->Add(rec, "boots");
    list.setKeywords(col);
    EXPECT_TRUE(list.UpdateObject("Boots", "Status", "ok"));
    EXPECT_EQ(rec->Status(), "ok");
}

namespace {
void writeResults(const QString &engine, const QString &fileName, const QByteArray &bytes) {
    testenv::writeFile(testenv::programDir() + "/Results/" + engine + "/" + fileName, bytes);
}
URLCollectionPtr urls(const QStringList &list) {
    auto col = std::make_shared<URLCollection>();
    for (const QString &u : list)
        col->Add(u, u);
    return col;
}
}  // namespace

TEST(clsKeywords, UrlMergeFromResultsFile) {
    writeResults("Overture", "shoes.dat",
                 "www.other.com/a;#Other A;#$0.40\r\n"
                 "www.mysite.com/shoes;#Mine;#$0.30\r\n"
                 "\r\n"
                 "not a listing\r\n"
                 "www.third.com;#Third;#$0.25\r\n"
                 "http://www.mysite.com/boots;#Mine again;#$0.20\r\n"
                 "www.fifth.com;#Fifth;#$0.15\r\n"
                 "www.mysite.com/free;#Free;#$0.00\r\n");
    clsKeywords list = listOf();
    list.Add("Keyshoes", "shoes");
    clsKeyword &k = *list.Keywords()->Item(1);
    k.setFirstBid("old1");
    k.setFourthBid("old4");
    list.UpdateKeywordsToURLs(urls({" www.mysite.com "}));
    EXPECT_EQ(k.CurBid(), "$0.30,$0.20");
    EXPECT_EQ(k.CurPos(), "2,4");
    EXPECT_EQ(k.NextBid(), "$0.25");
    EXPECT_EQ(k.FirstBid(), "old1");
    EXPECT_EQ(k.FourthBid(), "old4");
    EXPECT_TRUE(testenv::errorLog().isEmpty());
}

TEST(clsKeywords, UrlMergeEdgeCases) {
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
    list.Add("Key  cheap flights ", "  cheap flights ");  // the file name uses the trimmed keyword
    list.Add("Keytricky", "tricky");
    list.Add("Keynofile", "nofile");
    clsKeyword &nofile = *list.Keywords()->Item(3);
    nofile.setCurBid("stale");
    nofile.setCurPos("9");
    nofile.setNextBid("stale");

    list.UpdateKeywordsToURLs(urls({"www.mysite.com"}));
    const clsKeyword &cheap = item(list, 1);
    EXPECT_EQ(cheap.CurBid(), PoundSign() + "0.00," + PoundSign() + "0.10");
    EXPECT_EQ(cheap.CurPos(), "1,4");
    EXPECT_EQ(cheap.NextBid(), PoundSign() + "0.50");
    const clsKeyword &tricky = item(list, 2);
    EXPECT_EQ(tricky.CurBid(), "$0.70");
    EXPECT_EQ(tricky.CurPos(), "2");
    EXPECT_EQ(tricky.NextBid(), "$0.60");
    EXPECT_EQ(nofile.CurBid(), "");
    EXPECT_EQ(nofile.CurPos(), "");
    EXPECT_EQ(nofile.NextBid(), "");

    // No URL list: nothing is own.
    list.UpdateKeywordsToURLs(nullptr);
    EXPECT_EQ(item(list, 1).CurBid(), "");
    EXPECT_EQ(item(list, 1).NextBid(), "");
    // The match is case-sensitive.
    list.UpdateKeywordsToURLs(urls({"WWW.MYSITE.COM"}));
    EXPECT_EQ(item(list, 2).CurBid(), "");
}

TEST(clsKeywords, ResultsFileNameIsTrimmedAndSafe) {
    EXPECT_EQ(clsKeywords::ResultsFile("Overture", "  red shoes "),
              testenv::programDir() + "/Results/Overture/red shoes.dat");
    EXPECT_EQ(clsKeywords::ResultsFile("Find/What", "a/../b"),
              testenv::programDir() + "/Results/Find%2FWhat/a%2F..%2Fb.dat");
}

namespace {
QString pad(const QString &s, int w) { return s.size() > w ? s + "  " : s + QString(w - s.size(), ' '); }
const QString kHeader = pad("#", 5) + pad("Keywords", 30) + pad("Counts", 9) + pad("Cur_Bid", 15) +
                        pad("Next_Bid", 9) + pad("1st_Bid", 9) + pad("2nd_Bid", 9) + pad("3rd_Bid", 9) +
                        pad("CurPos", 10) + pad("Status", 12);
const QString kRule = QString(118, '=');
}  // namespace

TEST(clsKeywords, EmailMsgHeaderAndRows) {
    testenv::setNow(QDateTime(QDate(2024, 3, 5), QTime(14, 7, 9)));
    testenv::writeFile(accountDir("Overture", "Shop") + "/URLs.dat", "www.mysite.com\r\n\r\n site-b \r\n\r\n");
    clsKeywords list = listOf();
    list.Add("Keyshoes", "shoes");
    list.Add("Keynobid", "nobid");
    list.Add("Keylong", "a keyword that is longer than thirty");
    list.UpdateObject("shoes", "Count", "120");
    list.UpdateObject("shoes", "CurBid", "$0.30,$0.20");
    list.UpdateObject("shoes", "NextBid", "$0.25");
    list.UpdateObject("shoes", "1", "$0.40");
    list.UpdateObject("shoes", "2", "$0.30");
    list.UpdateObject("shoes", "3", "$0.25");
    list.UpdateObject("shoes", "CurPos", "2,4");
    list.UpdateObject("shoes", "Status", "2:07:09 PM");
    list.UpdateObject("nobid", "Count", "7");
    list.UpdateObject("a keyword that is longer than thirty", "CurBid", "$1.00");

    EXPECT_EQ(kHeader.size(), 117);
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

    clsKeywords empty = listOf();
    EXPECT_EQ(empty.EmailMsg(), "");
}

TEST(clsKeywords, PopulateKeywordsFillsColumnsAndSkipsTakenKeys) {
    clsKeywords list = listOf();
    list.Add("Keyshoes", "shoes");
    list.Add("Keyboots", "boots");
    list.UpdateObject("shoes", "Count", "120");
    list.UpdateObject("shoes", "CurBid", "$0.30");
    list.UpdateObject("shoes", "NextBid", "$0.25");
    list.UpdateObject("shoes", "1", "a");
    list.UpdateObject("shoes", "2", "b");
    list.UpdateObject("shoes", "3", "c");
    list.UpdateObject("shoes", "4", "not shown");
    list.UpdateObject("shoes", "CurPos", "2");
    list.UpdateObject("shoes", "Status", "Fail");

    QTreeWidget view;
    view.setColumnCount(10);
    list.PopulateKeywords(&view);
    ASSERT_EQ(view.topLevelItemCount(), 2);
    QStringList row;
    for (int c = 0; c < 10; ++c)
        row << view.topLevelItem(0)->text(c);
    EXPECT_EQ(row, (QStringList{"1", "shoes", "120", "$0.30", "$0.25", "a", "b", "c", "2", "Fail"}));
    EXPECT_EQ(view.topLevelItem(1)->text(0), "2");
    EXPECT_EQ(view.topLevelItem(1)->text(1), "boots");
    EXPECT_EQ(listview::FindItem(&view, "KEYBOOTS"), view.topLevelItem(1));

    QTreeWidget names;
    listview::AddItem(&names, -1, "KeySHOES", "SHOES");
    list.PopulateKeywords(&names, true);
    ASSERT_EQ(names.topLevelItemCount(), 2);
    EXPECT_EQ(names.topLevelItem(0)->text(0), "SHOES");  // the taken key was skipped
    EXPECT_EQ(names.topLevelItem(1)->text(0), "boots");
}
