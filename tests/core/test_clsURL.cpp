#include "core/clsURL.h"
#include "support/FileFaults.h"
#include "support/TestEnv.h"

#include <QFileInfo>
#include <QTreeWidget>
#include <gtest/gtest.h>

namespace {
QString urlFile(const QString &engine, const QString &account) {
    return testenv::programDir() + "/Accounts/" + engine + "/" + account + "/URLs.dat";
}
QStringList entries(const URLCollectionPtr &col) {
    QStringList out;
    for (const QString &u : *col)
        out << u;
    return out;
}
}  // namespace

TEST(clsURL, UrlFileGivesTrimmedUniqueEntriesAtEveryLineEnd) {
    for (const char *eol : {"\n", "\r", "\r\n"}) {
        const QByteArray e(eol);
        testenv::writeFile(urlFile("Overture", "Shop"), " site-a " + e + e + "SITE-A" + e + "site-b/x" + e + e);
        const URLCollectionPtr col = clsURL::GetURLCollection("Overture", "Shop");
        ASSERT_TRUE(col);
        EXPECT_EQ(entries(col), (QStringList{"site-a", "site-b/x"})) << testing::PrintToString(eol);
    }
    const URLCollectionPtr col = clsURL::GetURLCollection("Overture", "Shop");
    EXPECT_TRUE(col->Exists("SITE-B/X"));

    EXPECT_TRUE(clsURL::ValidURL("http://www.site-b/x/page", col));
    EXPECT_FALSE(clsURL::ValidURL("http://www.site-c/page", col));
    EXPECT_FALSE(clsURL::ValidURL("http://www.site-b/x/page", clsURL::ConverStrToCol("Site-b/x", "\r\n")));
    EXPECT_FALSE(clsURL::ValidURL("anything", nullptr));
    // An entry kept with blanks (as a caller may build it) is trimmed for the test.
    auto padded = std::make_shared<URLCollection>();
    padded->Add(" site-b/x ", "k");
    EXPECT_TRUE(clsURL::ValidURL("www.site-b/x/page", padded));
    EXPECT_TRUE(testenv::errorLog().isEmpty());
}

TEST(clsURL, MissingOrEmptyFileGivesNoCollection) {
    EXPECT_FALSE(clsURL::GetURLCollection("Overture", "Nobody"));
    testenv::writeFile(urlFile("Overture", "Empty"), "");
    EXPECT_FALSE(clsURL::GetURLCollection("Overture", "Empty"));
    testenv::writeFile(urlFile("Overture", "Blank"), "\r\n\r\n  \r\n");
    const URLCollectionPtr blank = clsURL::GetURLCollection("Overture", "Blank");
    ASSERT_TRUE(blank);
    EXPECT_EQ(blank->Count(), 0);
    EXPECT_FALSE(clsURL::LoadURLs(testenv::tempDir() + "/missing.dat"));
}

TEST(clsURL, StringToCollectionRule) {
    EXPECT_EQ(entries(clsURL::ConverStrToCol(" a ,b,,A, c d ,b", ",")), (QStringList{"a", "b", "c d"}));
    // The separator is matched exactly; a lone line feed is not CR LF.
    EXPECT_EQ(entries(clsURL::ConverStrToCol("x\ny\r\nz", "\r\n")), (QStringList{"x\ny", "z"}));
    EXPECT_EQ(clsURL::ConverStrToCol("", "\r\n")->Count(), 0);
}

TEST(clsURL, SaveCreatesFoldersAndWritesTheTextWithOneLineEnd) {
    clsURL::SaveURL("Overture(UK)", "New Shop", "www.a.com\r\nwww.b.com");
    EXPECT_EQ(testenv::readFile(urlFile("Overture(UK)", "New Shop")), "www.a.com\r\nwww.b.com\r\n");
    EXPECT_EQ(entries(clsURL::GetURLCollection("Overture(UK)", "New Shop")), (QStringList{"www.a.com", "www.b.com"}));

    clsURL::SaveURL("Overture(UK)", "New Shop", "");
    EXPECT_EQ(testenv::readFile(urlFile("Overture(UK)", "New Shop")), "\r\n");
    EXPECT_EQ(clsURL::GetURLCollection("Overture(UK)", "New Shop")->Count(), 0);

    clsURL::SaveURL("x", "a/b", "u");
    EXPECT_TRUE(QFileInfo::exists(testenv::programDir() + "/Accounts/x/a%2Fb/URLs.dat"));
}

TEST(clsURL, AddURLListKeysItemsAndSkipsRepeats) {
    QTreeWidget view;
    listview::AddItem(&view, -1, "Keywww.a.com", "www.a.com");
    clsURL::AddURLList(clsURL::ConverStrToCol("WWW.A.COM\r\nwww.b.com", "\r\n"), &view);
    clsURL::AddURLList(nullptr, &view);
    ASSERT_EQ(view.topLevelItemCount(), 2);
    EXPECT_EQ(view.topLevelItem(0)->text(0), "www.a.com");
    EXPECT_EQ(view.topLevelItem(1)->text(0), "www.b.com");
    EXPECT_EQ(view.topLevelItem(1)->data(0, listview::KeyRole).toString(), "Keywww.b.com");
}

TEST(clsURL, SaveOnAFullDiskIsShownAndKeepsTheOldList) {
    clsURL::SaveURL("Overture", "Shop", "site-a");
    testenv::answerMsgBox(seam::vbOK);
    {
        testenv::FileSizeLimit limit(100);
        clsURL::SaveURL("Overture", "Shop", QString(3000, 'u'));
    }
    EXPECT_EQ(testenv::readFile(urlFile("Overture", "Shop")), "site-a\r\n");
    ASSERT_EQ(testenv::shownMsgBoxes().size(), 1);
    EXPECT_EQ(testenv::shownMsgBoxes()[0].title, "Save File");
    EXPECT_TRUE(testenv::shownMsgBoxes()[0].text.startsWith(urlFile("Overture", "Shop") + ": "));
}
