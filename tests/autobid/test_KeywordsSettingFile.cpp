// KeywordsSetting.dat: what a load keeps and the bytes a save writes.

#include "BidFixtures.h"

#include "autobid/KeywordsSettingFile.h"
#include "core/clsAccount.h"
#include "support/FileFaults.h"

#include <gtest/gtest.h>

using bidfix::KeywordRecord;

namespace {

QString settingsPath() { return KeywordsSettingFile::FilePath("Overture", "main"); }
void writeSettings(const QByteArray &bytes) { testenv::writeFile(settingsPath(), bytes); }
QByteArray readSettings() { return testenv::readFile(settingsPath()); }

QStringList fieldsOf(const clsKeyword &k) {
    return {k.Keyword(),         k.MaxBid(),       k.MinBid(), k.AutoBid(), k.StartTime(),
            k.EndTime(),         k.FirstUpdateTime(), k.UpdateNumber(), k.BidTo(), k.Range()};
}

}  // namespace

TEST(KeywordsSettingFile, LoadKeepsTenFieldLinesWithDefaultsAndSaveWritesThemBack) {
    const QByteArray file = "shoes;1.5;0.1;True;09:00;17:00;2024-06-12 09:10:00;3;2;3-5\r\n"
                            "boots;;;;;;;;;\r\n"
                            "\r\n"
                            "nine;1;1;1;1;1;1;1;1\r\n"
                            "eleven;1;1;1;1;1;1;1;1;1;1\r\n"
                            ";1;0.1;True;;;;0;;\r\n"
                            "hats;abc;0.2;False;;;;2;2-4;\n"
                            "Shoes;9;9;True;;;;0;;\r\n"
                            "socks;$2.00;\xA3" "0.05;True;;;6/12/2024 9:10:00 AM;6;;\r"
                            "\r\n";
    writeSettings(file);
    auto account = bidfix::makeAccount();
    const KeywordCollectionPtr keywords = KeywordsSettingFile::Load(settingsPath(), *account);
    ASSERT_EQ(keywords->Count(), 4);
    EXPECT_EQ(fieldsOf(*keywords->Item(1)), (QStringList{"shoes", "1.5", "0.1", "True", "09:00", "17:00",
                                                         "2024-06-12 09:10:00", "3", "2", "3-5"}));
    EXPECT_EQ(fieldsOf(*keywords->Item(2)), (QStringList{"boots", "1", "0.1", "False", "", "", "", "0", "", ""}));
    EXPECT_EQ(fieldsOf(*keywords->Item(3)), (QStringList{"hats", "1", "0.2", "False", "", "", "", "2", "2-4", ""}));
    EXPECT_EQ(keywords->Item(4)->Keyword(), "socks");
    // The repeat in another letter case is logged and skipped; the lines after it still load.
    // What a save would drop is kept beside the file.
    EXPECT_EQ(testenv::errorLog(), "frmAutoBidetting_loadKeywordsetting error : This key is already associated with "
                                   "an element of this collection\r\n"
                                   "frmAutoBidetting_loadKeywordsetting error : the damaged file's bytes are kept as " +
                                       (settingsPath() + ".bad").toUtf8() + "\r\n");
    EXPECT_EQ(testenv::readFile(settingsPath() + ".bad"), file);

    ASSERT_TRUE(KeywordsSettingFile::Save(settingsPath(), *keywords, nullptr, *account));
    EXPECT_EQ(readSettings(), "shoes;1.5;0.1;True;09:00;17:00;2024-06-12 09:10:00;3;2;3-5\r\n"
                              "boots;1;0.1;False;;;;0;;\r\n"
                              "hats;1;0.2;False;;;;2;2-4;\r\n"
                              "socks;$2.00;\xA3" "0.05;True;;;6/12/2024 9:10:00 AM;6;;\r\n"
                              "\r\n");
}

TEST(KeywordsSettingFile, SavingFillsEmptyLimitsAndLeavesOutWhatCantBeOneLine) {
    auto account = bidfix::makeAccount("Overture", "main", 0.05f, 2.5f);
    KeywordCollection keywords;
    for (const char *text : {"plain", "semi;colon", "line\r\nbreak", "lf\nonly", "last"}) {
        auto k = std::make_shared<clsKeyword>();
        k->setKeyword(text);
        k->setAutoBid("True");
        k->setStartTime("09;00");
        k->setUpdateNumber("0");
        keywords.Add(k, text);
    }
    KeywordsSettingFile::MakeFolders("Overture", "main");
    ASSERT_TRUE(KeywordsSettingFile::Save(settingsPath(), keywords, nullptr, *account));
    EXPECT_EQ(readSettings(), "plain;2.5;0.05;True;0900;;;0;;\r\n"
                              "last;2.5;0.05;True;0900;;;0;;\r\n"
                              "\r\n");
    EXPECT_EQ(keywords.Item("plain")->MaxBid(), "2.5");
    EXPECT_EQ(keywords.Item("plain")->MinBid(), "0.05");

    // What was written loads back the same.
    const KeywordCollectionPtr again = KeywordsSettingFile::Load(settingsPath(), *account);
    ASSERT_EQ(again->Count(), 2);
    EXPECT_EQ(fieldsOf(*again->Item(2)), fieldsOf(*keywords.Item("last")).replaceInStrings("09;00", "0900"));
}

TEST(KeywordsSettingFile, AFileThatCantBeReadIsNotOverwritten) {
    const QByteArray file = "shoes;1.5;0.1;True;;;;3;2;\r\n\r\n";
    writeSettings(file);
    bidfix::Bench b;
    {
        testenv::Unreadable guard(settingsPath());
        b.manager.loadKeywordsetting();
    }
    EXPECT_TRUE(b.manager.State().m_colKeywords->isEmpty());
    b.add(KeywordRecord{});
    b.manager.SaveKeywordsSetting();
    EXPECT_EQ(readSettings(), file);
    EXPECT_TRUE(testenv::errorLog().contains("could not be read when it was loaded; it is not overwritten"))
        << testenv::errorLog().constData();
}

TEST(KeywordsSettingFile, AnEmptyCollectionLeavesTheFileAndAMissingFileLoadsNothing) {
    auto account = bidfix::makeAccount();
    EXPECT_TRUE(KeywordsSettingFile::Load(settingsPath(), *account)->isEmpty());
    writeSettings("kept;1;0.1;True;;;;0;;\r\n\r\n");
    ASSERT_TRUE(KeywordsSettingFile::Save(settingsPath(), KeywordCollection(), nullptr, *account));
    EXPECT_EQ(readSettings(), "kept;1;0.1;True;;;;0;;\r\n\r\n");
}

TEST(KeywordsSettingFile, TheWindowKeepsTheSettingsOfKeywordsAFetchLeftWithoutPosition) {
    writeSettings("shoes;1.5;0.1;True;;;2024-06-12 09:10:00;4;2;\r\n"
                  "boots;2;0.2;True;;;;0;;\r\n\r\n");
    bidfix::Bench b;
    b.manager.loadKeywordsetting();
    ASSERT_EQ(b.manager.State().m_colKeywords->Count(), 2);
    b.keyword("boots").setCurPos("3");
    b.manager.RemoveInvalidKeyword();
    EXPECT_EQ(b.manager.State().m_colKeywords->Count(), 1);
    b.manager.SaveKeywordsSetting();
    EXPECT_EQ(readSettings(), "boots;2;0.2;True;;;;0;;\r\n"
                              "shoes;1.5;0.1;True;;;2024-06-12 09:10:00;4;2;\r\n"
                              "\r\n");
}
