#include "core/modCommon.h"
#include "lookup/RankingResultsFile.h"
#include "platform/Folders.h"
#include "support/TestEnv.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>

TEST(RankingResultsFile, WritesOneCrLfLinePerListingInWindows1252) {
    const QList<ResultListing> listings = {{"shop.example", "Shoes", PoundSign() + "0.30"},
                                           {"b.example", "Caf\u00e9 ;# bar", "$0.25"},
                                           {"c.example", "Line\r\nbreak", "$0.00"}};
    const QString path = platform::JoinPath(testenv::programDir(), QStringLiteral("Results/Overture(UK)/shoes.dat"));
    ASSERT_TRUE(RankingResultsFile::Write(path, listings));
    EXPECT_EQ(testenv::readFile(path), QByteArray("shop.example;#Shoes;#\xa3"
                                                  "0.30\r\n"
                                                  "b.example;#Caf\xe9 ; # bar;#$0.25\r\n"
                                                  "c.example;#Line break;#$0.00\r\n"));
    // No listings: an empty file replaces the old one.
    ASSERT_TRUE(RankingResultsFile::Write(path, {}));
    EXPECT_EQ(testenv::readFile(path), QByteArray());
    EXPECT_TRUE(RankingResultsFile::Read(path).isEmpty());
}

TEST(RankingResultsFile, ReadersSeeLinesOfThreeFieldsUpToTheFirstEmptyLine) {
    const QByteArray bytes = "a.example;#A;#$0.50\r\n"
                             "old;#title ;# with separator;#$0.40\r\n"  // written before fields were made safe
                             "two;#fields\r\n"
                             "b.example;#;#\r\n"
                             "\r\n"
                             "c.example;#C;#$0.10\r\n";
    const QList<ResultListing> rows = RankingResultsFile::Parse(bytes);
    EXPECT_EQ(rows, (QList<ResultListing>{{"a.example", "A", "$0.50"}, {"b.example", "", ""}}));
    EXPECT_TRUE(RankingResultsFile::Read(platform::JoinPath(testenv::programDir(), QStringLiteral("none.dat"))).isEmpty());
}

TEST(RankingResultsFile, AnUnchangedPageLeavesItsFileAlone) {
    const QString path = platform::JoinPath(testenv::programDir(), QStringLiteral("Results/Google/shoes.dat"));
    const QList<ResultListing> listings = {{"a.example", "A", "$0.50"}};
    ASSERT_TRUE(RankingResultsFile::Write(path, listings));
    const QDateTime old(QDate(2001, 2, 3), QTime(4, 5, 6));
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::ReadWrite));
        ASSERT_TRUE(f.setFileTime(old, QFileDevice::FileModificationTime));
    }
    ASSERT_TRUE(RankingResultsFile::Write(path, listings));
    EXPECT_EQ(QFileInfo(path).lastModified(), old);
    ASSERT_TRUE(RankingResultsFile::Write(path, {{"a.example", "A", "$0.51"}}));
    EXPECT_NE(QFileInfo(path).lastModified(), old);
    EXPECT_EQ(testenv::readFile(path), QByteArray("a.example;#A;#$0.51\r\n"));
}
