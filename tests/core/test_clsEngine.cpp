#include "core/Globals.h"
#include "core/RegistryAPI.h"
#include "core/clsEngine.h"
#include "platform/Registry.h"
#include "platform/TextFile.h"
#include "support/FileFaults.h"
#include "support/TestEnv.h"

#include <QTreeWidget>
#include <QWidget>
#include <gtest/gtest.h>

namespace {

const char *const kMissingText =
    "Engine data file is corrupted or missing, you need to download the new engine data file from our web site "
    "by click on the 'File/Update Engine Data' menu item from the main menu bar and following the instruction "
    "on the screen.";

class EngineTest : public ::testing::Test {
protected:
    void SetUp() override { app::SetGlobalPaths(); }

    static void writeEngineFile(const QString &text) {
        QString crlf = text;
        crlf.replace("\n", "\r\n");
        testenv::writeFile(g_sEngineDataFile, platform::ToAnsi(crlf));
    }
    static void setEnabled(const QString &engine, const QString &flag) {
        CreateRegistryKey(HKEY_CURRENT_USER, g_sEngineKey);
        SetRegistryValue(HKEY_CURRENT_USER, g_sEngineKey, engine, REG_SZ, flag);
    }
    static std::optional<QString> flag(const QString &engine) {
        platform::Registry::setStoreFile(platform::Registry::storeFile());
        return platform::Registry::instance().value(g_sEngineKey, engine);
    }
    static void expectMissingFileMessage() {
        ASSERT_EQ(testenv::shownMsgBoxes().size(), 1);
        const auto &box = testenv::shownMsgBoxes()[0];
        EXPECT_EQ(box.text, kMissingText);
        EXPECT_EQ(box.title, "Error");
        EXPECT_EQ(box.style, seam::vbInformation);
    }
};

// Three engines: a GET engine, a POST engine on the overture site, and a third.
const char *const kThreeEngines =
    "[OvertureEngines]\n"
    "1=Overture\n"
    "2=FindWhat\n"
    "3=Espotting\n"
    "\n"
    "[Overture]\n"
    "EngineURL=  http://search.overture.example  \n"
    "LoginURL=https://secure.overture.example/signin?back=https://secure.overture.example/&via=nonsecure.example\n"
    "QueryKeyword1=/d/search/p/?Keywords=\n"
    "QueryKeyword2=&mkt=us\n"
    "SubmitMethod=GET\n"
    "Start=1\n"
    "PerPage=20 per page\n"
    "\n"
    "[FindWhat]\n"
    "EngineURL=http://www.findwhat.example\n"
    "LoginURL=https://secure.findwhat.example/login\n"
    "QueryKeyword1=/bin/findwhat.cgi\n"
    "PostString=qry=[KEYWORD]&x=a b\n"
    "SubmitMethod=POST\n"
    "Start=abc\n"
    "\n"
    "[Espotting]\n"
    "EngineURL=http://www.espotting.example\n"
    "LoginURL=https://www.espotting.example/Overture/login\n"
    "QueryKeyword1=/search?q=\n"
    "SubmitMethod=post\n";

}  // namespace

TEST_F(EngineTest, MissingFileShowsMessageAndLoadsOrListsNothing) {
    QWidget splash;
    splash.setObjectName("frmSplash");
    splash.show();
    testenv::answerMsgBox(seam::vbOK);
    clsEngine engine;
    EXPECT_FALSE(engine.loadEngineData());
    expectMissingFileMessage();
    EXPECT_FALSE(splash.isVisible());  // it would cover the message
    EXPECT_EQ(engine.GetEngineCount(), 0);
    EXPECT_EQ(engine.GetEngineNameCol(), nullptr);
    EXPECT_EQ(engine.GetURL("Overture", "shoes"), "");
    EXPECT_THROW(engine.GetEngineURL(1), vb::VBError);

    // The enable list shows the same message and keeps its items.
    QTreeWidget list;
    SetListCheckBoxes(&list, true);
    new QTreeWidgetItem(&list, QStringList{"Kept"});
    testenv::answerMsgBox(seam::vbOK);
    engine.PopulateAllEngine(&list);
    ASSERT_EQ(testenv::shownMsgBoxes().size(), 2);
    EXPECT_EQ(testenv::shownMsgBoxes()[1].text, kMissingText);
    EXPECT_EQ(testenv::shownMsgBoxes()[1].title, "Error");
    EXPECT_EQ(list.topLevelItemCount(), 1);
}

TEST_F(EngineTest, LoadsTheListInOrderWithTrimmedValues) {
    writeEngineFile(kThreeEngines);
    clsEngine engine;
    ASSERT_TRUE(engine.loadEngineData());
    EXPECT_EQ(engine.GetEngineCount(), 3);
    auto names = engine.GetEngineNameCol();
    ASSERT_NE(names, nullptr);
    ASSERT_EQ(names->Count(), 3);
    EXPECT_EQ(names->Item(1), "Overture");
    EXPECT_EQ(names->Item(3), "Espotting");
    EXPECT_EQ(engine.GetEnginName(2), "FindWhat");
    EXPECT_EQ(engine.GetEngineURL(1), "http://search.overture.example");
    EXPECT_EQ(engine.GetSubmitMethod(2), "POST");
    EXPECT_EQ(engine.Record(1).Start, 1);
    EXPECT_EQ(engine.Record(1).PerPage, 20);
    EXPECT_EQ(engine.Record(2).Start, 0);
    EXPECT_EQ(engine.Record(2).PerPage, 0);
    EXPECT_EQ(engine.GetResultStartString(2), "");  // missing keys read as empty
    EXPECT_THROW(engine.GetEngineURL(4), vb::VBError);
    EXPECT_THROW(engine.GetEngineURL(0), vb::VBError);
    // Names match exactly, letter case included.
    EXPECT_EQ(engine.GetEngineIndex("Espotting"), 3);
    EXPECT_EQ(engine.GetEngineIndex("overture"), 0);
}

TEST_F(EngineTest, DamagedOrUnreadableFileGetsTheMissingFileMessage) {
    struct Case {
        const char *what;
        QByteArray bytes;
    } cases[] = {
        {"empty", ""},
        {"NULs", QByteArray(2048, '\0')},
        {"garbage", "\x1f\x8b\x08\x00binary\r\n"},
        {"cut before the list", "[Overture]\r\nEngineURL=http://a.example\r\n[OvertureEng"},
        {"no list", "[KeywordBuilder]\r\n1=Overture\r\n"},
        {"empty list", "[OvertureEngines]\r\n1=\r\n2=B\r\n"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        testenv::clearShownMsgBoxes();
        testenv::writeFile(g_sEngineDataFile, c.bytes);
        testenv::answerMsgBox(seam::vbOK);
        clsEngine engine;
        EXPECT_TRUE(engine.loadEngineData());  // read to its end, nothing in it
        expectMissingFileMessage();
        EXPECT_EQ(engine.GetEngineCount(), 0);
    }
    // Unreadable: reported, and nothing loaded.
    writeEngineFile(kThreeEngines);
    testenv::clearShownMsgBoxes();
    testenv::Unreadable guard(g_sEngineDataFile);
    testenv::answerMsgBox(seam::vbOK);
    clsEngine engine;
    EXPECT_FALSE(engine.loadEngineData());
    expectMissingFileMessage();
    EXPECT_EQ(engine.GetEngineCount(), 0);
}

TEST_F(EngineTest, AllEnginesSwitchedOffIsNotDamage) {
    writeEngineFile(kThreeEngines);
    for (const char *e : {"Overture", "FindWhat", "Espotting"})
        setEnabled(e, "0");
    clsEngine engine;
    EXPECT_TRUE(engine.loadEngineData());
    EXPECT_EQ(engine.GetEngineCount(), 0);
    EXPECT_TRUE(testenv::shownMsgBoxes().isEmpty());
}

TEST_F(EngineTest, ListEndsAtTheFirstMissingKey) {
    writeEngineFile("[OvertureEngines]\n1=A\n2=B\n4=D\n[A]\nEngineURL=http://a.example\n"
                    "[B]\nEngineURL=http://b.example\n[D]\nEngineURL=http://d.example\n");
    clsEngine engine;
    EXPECT_TRUE(engine.loadEngineData());
    EXPECT_EQ(engine.GetEngineCount(), 2);
    EXPECT_EQ(engine.GetEngineIndex("D"), 0);

}

TEST_F(EngineTest, DisabledEnginesAreSkippedAndReloadStartsAfresh) {
    writeEngineFile(kThreeEngines);
    clsEngine engine;
    ASSERT_TRUE(engine.loadEngineData());
    ASSERT_EQ(engine.GetEngineCount(), 3);

    setEnabled("FindWhat", "0");
    setEnabled("Espotting", "True");
    ASSERT_TRUE(engine.loadEngineData());
    EXPECT_EQ(engine.GetEngineCount(), 2);
    EXPECT_EQ(engine.GetEngineIndex("Espotting"), 2);
    EXPECT_EQ(engine.GetEngineIndex("FindWhat"), 0);

    // With every engine disabled the earlier list must not survive.
    setEnabled("Overture", "0");
    setEnabled("Espotting", "False");
    ASSERT_TRUE(engine.loadEngineData());
    EXPECT_EQ(engine.GetEngineCount(), 0);
    EXPECT_EQ(engine.GetEngineNameCol(), nullptr);
    EXPECT_EQ(engine.GetURL("Overture", "shoes"), "");
}

TEST_F(EngineTest, DamagedEnableFlagEndsTheLoad) {
    writeEngineFile(kThreeEngines);
    setEnabled("FindWhat", "maybe");
    clsEngine engine;
    EXPECT_FALSE(engine.loadEngineData());
    EXPECT_EQ(engine.GetEngineCount(), 1);
    EXPECT_EQ(engine.GetEnginName(1), "Overture");
}

TEST_F(EngineTest, OvertureLoginUsesTheAlternateSecureHost) {
    writeEngineFile(kThreeEngines);
    clsEngine engine;
    ASSERT_TRUE(engine.loadEngineData());
    // Only whole "secure" host labels move to the alternate host.
    EXPECT_EQ(engine.GetLoginURL(1),
              "https://a-secure.overture.example/signin?back=https://a-secure.overture.example/&via=nonsecure.example");
    EXPECT_EQ(engine.GetDTCURL(1),
              "https://secure.overture.example/signin?back=https://secure.overture.example/&via=nonsecure.example");
    // Other sites keep their login address and have no DTC address.
    EXPECT_EQ(engine.GetLoginURL(2), "https://secure.findwhat.example/login");
    EXPECT_EQ(engine.GetDTCURL(2), "");
    // The match is on lower-case "overture" only.
    EXPECT_EQ(engine.GetLoginURL(3), "https://www.espotting.example/Overture/login");
    EXPECT_EQ(engine.GetDTCURL(3), "");
}

TEST_F(EngineTest, SearchRequestForGetAndPostEngines) {
    writeEngineFile(kThreeEngines);
    clsEngine engine;
    ASSERT_TRUE(engine.loadEngineData());
    EXPECT_EQ(engine.GetURL("Overture", "red shoes"),
              "http://search.overture.example/d/search/p/?Keywords=red+shoes&mkt=us");
    // POST engines: the address only; the keyword goes into the body.
    EXPECT_EQ(engine.GetURL("FindWhat", "red shoes"), "http://www.findwhat.example/bin/findwhat.cgi");
    EXPECT_EQ(engine.GetPostString(2, "red shoes"), "qry=red%20shoes&x=a%20b");
    // Only an exact "POST" is a post; "post" builds the GET form.
    EXPECT_EQ(engine.GetURL("Espotting", "shoes"), "http://www.espotting.example/search?q=shoes");
    EXPECT_EQ(engine.GetURL("Unknown", "shoes"), "");
    EXPECT_TRUE(testenv::errorLog().isEmpty());
}

TEST_F(EngineTest, KeywordCannotChangeTheRequest) {
    writeEngineFile(kThreeEngines);
    clsEngine engine;
    ASSERT_TRUE(engine.loadEngineData());
    EXPECT_EQ(engine.GetURL("Overture", "c++ & b=1#x?100%"),
              "http://search.overture.example/d/search/p/?Keywords=c%2B%2B+%26+b%3D1%23x%3F100%25&mkt=us");
    EXPECT_EQ(engine.GetURL("Overture", QString::fromUtf8("caf\u00e9 \u00a3")),
              "http://search.overture.example/d/search/p/?Keywords=caf%E9+%A3&mkt=us");
    EXPECT_EQ(engine.GetPostString(2, "a&x=b c"), "qry=a%26x%3Db%20c&x=a%20b");
    EXPECT_EQ(engine.GetPostString(2, "line\r\nbreak"), "qry=line%0D%0Abreak&x=a%20b");
}

TEST_F(EngineTest, EveryMarkerGetterReadsItsOwnKey) {
    const char *const keys[] = {"ResultStartString", "ResultEndString", "beginTitle", "endTitle",
                                "beginURL", "endURL", "beginPrice", "endPrice",
                                "QuerySuggest1", "QuerySuggest2", "SuggestStartString", "SuggestEndString",
                                "SuggestSectionStart", "SuggestSectionEnd", "beginCountSection", "endCountSection",
                                "begineKeywordSection", "endKeywordSection"};
    QString file = "[OvertureEngines]\n1=Full\n[Full]\n";
    for (const char *k : keys)
        file += QString(k) + "= <" + k + "> \n";
    writeEngineFile(file);
    clsEngine engine;
    ASSERT_TRUE(engine.loadEngineData());
    const QString got[] = {engine.GetResultStartString(1), engine.GetResultEndString(1), engine.GetBeginTitle(1),
                           engine.GetEndTitle(1), engine.GetBeginURL(1), engine.GetEndURL(1),
                           engine.GetBeginPrice(1), engine.GetEndPrice(1), engine.GetQuerySuggest1(1),
                           engine.GetQuerySuggest2(1), engine.GetSuggestStartString(1),
                           engine.GetSuggestEndString(1), engine.GetSuggestSectionStart(1),
                           engine.GetSuggestSectionEnd(1), engine.GetBeginCountSection(1),
                           engine.GetEndCountSection(1), engine.GetBegineKeywordSection(1),
                           engine.GetEndKeywordSection(1)};
    for (size_t i = 0; i < std::size(keys); ++i)
        EXPECT_EQ(got[i], QString("<") + keys[i] + ">") << keys[i];
}

TEST_F(EngineTest, EnableListShowsEveryEngineAndSavesTheFlags) {
    writeEngineFile(kThreeEngines);
    setEnabled("FindWhat", "0");
    setEnabled("Retired", "1");
    QTreeWidget list;
    SetListCheckBoxes(&list, true);
    new QTreeWidgetItem(&list, QStringList{"stale"});
    clsEngine engine;
    engine.PopulateAllEngine(&list);
    ASSERT_EQ(list.topLevelItemCount(), 3);
    EXPECT_EQ(list.topLevelItem(0)->text(0), "Overture");
    EXPECT_EQ(list.topLevelItem(0)->data(0, kListItemKeyRole).toString(), "KeyOverture");
    EXPECT_EQ(list.topLevelItem(0)->checkState(0), Qt::Checked);
    EXPECT_EQ(list.topLevelItem(1)->text(0), "FindWhat");
    EXPECT_EQ(list.topLevelItem(1)->checkState(0), Qt::Unchecked);
    EXPECT_EQ(list.topLevelItem(2)->checkState(0), Qt::Checked);

    list.topLevelItem(1)->setCheckState(0, Qt::Checked);
    list.topLevelItem(2)->setCheckState(0, Qt::Unchecked);
    engine.Savesetting(&list);
    EXPECT_EQ(flag("Overture").value_or(""), "1");
    EXPECT_EQ(flag("FindWhat").value_or(""), "1");
    EXPECT_EQ(flag("Espotting").value_or(""), "0");
    EXPECT_EQ(flag("Retired").value_or(""), "1");  // engines no longer listed keep their value

    ASSERT_TRUE(engine.loadEngineData());
    EXPECT_EQ(engine.GetEngineCount(), 2);
    EXPECT_EQ(engine.GetEnginName(2), "FindWhat");
}

TEST_F(EngineTest, ListWithoutCheckBoxesIsListedButNeverSaved) {
    writeEngineFile(kThreeEngines);
    QTreeWidget list;
    clsEngine engine;
    engine.PopulateAllEngine(&list);
    ASSERT_EQ(list.topLevelItemCount(), 3);
    engine.Savesetting(&list);
    EXPECT_FALSE(platform::Registry::instance().keyExists(g_sEngineKey));
}

TEST_F(EngineTest, DamagedFlagIsListedUncheckedSoSavingRepairsIt) {
    writeEngineFile(kThreeEngines);
    setEnabled("Overture", "maybe");
    QTreeWidget list;
    SetListCheckBoxes(&list, true);
    clsEngine engine;
    engine.PopulateAllEngine(&list);
    ASSERT_EQ(list.topLevelItemCount(), 3);
    EXPECT_EQ(list.topLevelItem(0)->checkState(0), Qt::Unchecked);
    engine.Savesetting(&list);
    EXPECT_EQ(flag("Overture").value_or(""), "0");
    EXPECT_TRUE(engine.loadEngineData());
}
