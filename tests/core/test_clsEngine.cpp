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

// Three engines: a GET engine, a POST engine on the overture site, and a third.
const char *const kThreeEngines =
    "[OvertureEngines]\n1=Overture\n2=FindWhat\n3=Espotting\n\n"
    "[Overture]\n"
    "EngineURL=  http://search.overture.example  \n"
    "LoginURL=https://secure.overture.example/signin?back=https://secure.overture.example/&via=nonsecure.example\n"
    "QueryKeyword1=/d/search/p/?Keywords=\nQueryKeyword2=&mkt=us\nSubmitMethod=GET\nStart=1\nPerPage=20 per page\n\n"
    "[FindWhat]\n"
    "EngineURL=http://www.findwhat.example\nLoginURL=https://secure.findwhat.example/login\n"
    "QueryKeyword1=/bin/findwhat.cgi\nPostString=qry=[KEYWORD]&x=a b\nSubmitMethod=POST\nStart=abc\n\n"
    "[Espotting]\n"
    "EngineURL=http://www.espotting.example\nLoginURL=https://www.espotting.example/Overture/login\n"
    "QueryKeyword1=/search?q=\nSubmitMethod=post\n";

class EngineTest : public ::testing::Test {
protected:
    void SetUp() override { app::SetGlobalPaths(); }

    static void writeEngineFile(const QString &text = kThreeEngines) {
        testenv::writeFile(g_sEngineDataFile, platform::ToAnsi(QString(text).replace("\n", "\r\n")));
    }
    static void setEnabled(const QString &engine, const QString &flag) {
        CreateRegistryKey(HKEY_CURRENT_USER, g_sEngineKey);
        SetRegistryValue(HKEY_CURRENT_USER, g_sEngineKey, engine, REG_SZ, flag);
    }
    static std::optional<QString> flag(const QString &engine) {
        platform::Registry::setStoreFile(platform::Registry::storeFile());
        return platform::Registry::instance().value(g_sEngineKey, engine);
    }
    // The loaded engines' names in index order.
    static QString names(const clsEngine &engine) {
        QStringList out;
        for (int i = 1; i <= engine.GetEngineCount(); ++i)
            out << engine.GetEnginName(i);
        return out.join(',');
    }
    // The names, check marks ("+" or "-") and keys a list shows.
    static QString listed(const QTreeWidget &list) {
        QStringList out;
        for (int i = 0; i < list.topLevelItemCount(); ++i) {
            const QTreeWidgetItem *item = list.topLevelItem(i);
            out << item->text(0) + (item->checkState(0) == Qt::Checked ? "+" : "-") +
                       item->data(0, kListItemKeyRole).toString();
        }
        return out.join(',');
    }
    static void expectMissingFileMessage(int boxes = 1) {
        ASSERT_EQ(testenv::shownMsgBoxes().size(), boxes);
        const auto &box = testenv::shownMsgBoxes().last();
        EXPECT_EQ(box.text, kMissingText);
        EXPECT_EQ(box.title, "Error");
        EXPECT_EQ(box.style, seam::vbInformation);
    }
};

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
    expectMissingFileMessage(2);
    EXPECT_EQ(list.topLevelItemCount(), 1);
}

TEST_F(EngineTest, LoadsTheListInOrderWithTrimmedValues) {
    writeEngineFile();
    clsEngine engine;
    ASSERT_TRUE(engine.loadEngineData());
    EXPECT_EQ(names(engine), "Overture,FindWhat,Espotting");
    auto col = engine.GetEngineNameCol();
    ASSERT_NE(col, nullptr);
    EXPECT_EQ(QStringList({col->Item(1), col->Item(2), col->Item(3)}).join(','), names(engine));
    EXPECT_EQ(engine.GetEngineURL(1), "http://search.overture.example");
    EXPECT_EQ(engine.GetSubmitMethod(2), "POST");
    // Numbers read their leading digits; missing keys read as empty.
    EXPECT_EQ(std::make_tuple(engine.Record(1).Start, engine.Record(1).PerPage, engine.Record(2).Start,
                              engine.Record(2).PerPage),
              std::make_tuple(1, 20, 0, 0));
    EXPECT_EQ(engine.GetResultStartString(2), "");
    EXPECT_THROW(engine.GetEngineURL(4), vb::VBError);
    EXPECT_THROW(engine.GetEngineURL(0), vb::VBError);
    // Names match exactly, letter case included.
    EXPECT_EQ(engine.GetEngineIndex("Espotting"), 3);
    EXPECT_EQ(engine.GetEngineIndex("overture"), 0);
}

TEST_F(EngineTest, DamagedOrUnreadableFileGetsTheMissingFileMessage) {
    struct Case { const char *what; QByteArray bytes; } cases[] = {
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
    writeEngineFile();
    testenv::clearShownMsgBoxes();
    testenv::Unreadable guard(g_sEngineDataFile);
    testenv::answerMsgBox(seam::vbOK);
    clsEngine engine;
    EXPECT_FALSE(engine.loadEngineData());
    expectMissingFileMessage();
    EXPECT_EQ(engine.GetEngineCount(), 0);
}

TEST_F(EngineTest, EnableFlagsChooseTheEnginesAndEveryLoadStartsAfresh) {
    // The list ends at the first missing number.
    writeEngineFile("[OvertureEngines]\n1=A\n2=B\n4=D\n[A]\nEngineURL=http://a.example\n"
                    "[B]\nEngineURL=http://b.example\n[D]\nEngineURL=http://d.example\n");
    clsEngine engine;
    EXPECT_TRUE(engine.loadEngineData());
    EXPECT_EQ(names(engine), "A,B");

    writeEngineFile();
    ASSERT_TRUE(engine.loadEngineData());
    EXPECT_EQ(names(engine), "Overture,FindWhat,Espotting");
    setEnabled("FindWhat", "0");
    setEnabled("Espotting", "True");
    ASSERT_TRUE(engine.loadEngineData());
    EXPECT_EQ(names(engine), "Overture,Espotting");

    // Every engine switched off is no damage, and the earlier list must not survive.
    setEnabled("Overture", "0");
    setEnabled("Espotting", "False");
    ASSERT_TRUE(engine.loadEngineData());
    EXPECT_EQ(engine.GetEngineCount(), 0);
    EXPECT_EQ(engine.GetEngineNameCol(), nullptr);
    EXPECT_EQ(engine.GetURL("Overture", "shoes"), "");
    EXPECT_TRUE(testenv::shownMsgBoxes().isEmpty());

    // A damaged flag ends the load with the engines before it.
    setEnabled("Overture", "1");
    setEnabled("FindWhat", "maybe");
    EXPECT_FALSE(engine.loadEngineData());
    EXPECT_EQ(names(engine), "Overture");
}

TEST_F(EngineTest, OvertureLoginUsesTheAlternateSecureHost) {
    writeEngineFile();
    clsEngine engine;
    ASSERT_TRUE(engine.loadEngineData());
    // Only whole "secure" host labels move to the alternate host.
    EXPECT_EQ(engine.GetLoginURL(1),
              "https://a-secure.overture.example/signin?back=https://a-secure.overture.example/&via=nonsecure.example");
    EXPECT_EQ(engine.GetDTCURL(1),
              "https://secure.overture.example/signin?back=https://secure.overture.example/&via=nonsecure.example");
    // Other sites keep their login address and have no DTC address; the match
    // is on lower-case "overture" only.
    EXPECT_EQ(engine.GetLoginURL(2), "https://secure.findwhat.example/login");
    EXPECT_EQ(engine.GetLoginURL(3), "https://www.espotting.example/Overture/login");
    EXPECT_EQ(engine.GetDTCURL(2) + engine.GetDTCURL(3), "");
}

TEST_F(EngineTest, SearchRequestsForGetAndPostEnginesCarryTheKeywordSafely) {
    writeEngineFile();
    clsEngine engine;
    ASSERT_TRUE(engine.loadEngineData());
    const QString overture = "http://search.overture.example/d/search/p/?Keywords=";
    const struct { const char *engine; QString keyword, url; } gets[] = {
        {"Overture", "red shoes", overture + "red+shoes&mkt=us"},
        {"Overture", "c++ & b=1#x?100%", overture + "c%2B%2B+%26+b%3D1%23x%3F100%25&mkt=us"},
        {"Overture", QString::fromUtf8("caf\u00e9 \u00a3"), overture + "caf%E9+%A3&mkt=us"},
        // POST engines: the address only; the keyword goes into the body.
        {"FindWhat", "red shoes", "http://www.findwhat.example/bin/findwhat.cgi"},
        // Only an exact "POST" is a post; "post" builds the GET form.
        {"Espotting", "shoes", "http://www.espotting.example/search?q=shoes"},
        {"Unknown", "shoes", ""},
    };
    for (const auto &g : gets)
        EXPECT_EQ(engine.GetURL(g.engine, g.keyword), g.url) << g.keyword.toStdString();
    EXPECT_EQ(engine.GetPostString(2, "red shoes"), "qry=red%20shoes&x=a%20b");
    EXPECT_EQ(engine.GetPostString(2, "a&x=b c"), "qry=a%26x%3Db%20c&x=a%20b");
    EXPECT_EQ(engine.GetPostString(2, "line\r\nbreak"), "qry=line%0D%0Abreak&x=a%20b");
    EXPECT_TRUE(testenv::errorLog().isEmpty());
}

TEST_F(EngineTest, EveryMarkerGetterReadsItsOwnKey) {
    using Getter = QString (clsEngine::*)(int) const;
    const std::pair<const char *, Getter> getters[] = {
        {"ResultStartString", &clsEngine::GetResultStartString}, {"ResultEndString", &clsEngine::GetResultEndString},
        {"beginTitle", &clsEngine::GetBeginTitle},               {"endTitle", &clsEngine::GetEndTitle},
        {"beginURL", &clsEngine::GetBeginURL},                   {"endURL", &clsEngine::GetEndURL},
        {"beginPrice", &clsEngine::GetBeginPrice},               {"endPrice", &clsEngine::GetEndPrice},
        {"QuerySuggest1", &clsEngine::GetQuerySuggest1},         {"QuerySuggest2", &clsEngine::GetQuerySuggest2},
        {"SuggestStartString", &clsEngine::GetSuggestStartString},
        {"SuggestEndString", &clsEngine::GetSuggestEndString},
        {"SuggestSectionStart", &clsEngine::GetSuggestSectionStart},
        {"SuggestSectionEnd", &clsEngine::GetSuggestSectionEnd},
        {"beginCountSection", &clsEngine::GetBeginCountSection}, {"endCountSection", &clsEngine::GetEndCountSection},
        {"begineKeywordSection", &clsEngine::GetBegineKeywordSection},
        {"endKeywordSection", &clsEngine::GetEndKeywordSection},
    };
    QString file = "[OvertureEngines]\n1=Full\n[Full]\n";
    for (const auto &g : getters)
        file += QString(g.first) + "= <" + g.first + "> \n";
    writeEngineFile(file);
    clsEngine engine;
    ASSERT_TRUE(engine.loadEngineData());
    for (const auto &g : getters)
        EXPECT_EQ((engine.*g.second)(1), QString("<") + g.first + ">") << g.first;
}

TEST_F(EngineTest, EnableListShowsEveryEngineAndSavesTheFlags) {
    writeEngineFile();
    setEnabled("FindWhat", "0");
    setEnabled("Retired", "1");
    QTreeWidget list;
    SetListCheckBoxes(&list, true);
    new QTreeWidgetItem(&list, QStringList{"stale"});
    clsEngine engine;
    engine.PopulateAllEngine(&list);
    EXPECT_EQ(listed(list), "Overture+KeyOverture,FindWhat-KeyFindWhat,Espotting+KeyEspotting");

    list.topLevelItem(1)->setCheckState(0, Qt::Checked);
    list.topLevelItem(2)->setCheckState(0, Qt::Unchecked);
    engine.Savesetting(&list);
    EXPECT_EQ(flag("Overture").value_or(""), "1");
    EXPECT_EQ(flag("FindWhat").value_or(""), "1");
    EXPECT_EQ(flag("Espotting").value_or(""), "0");
    EXPECT_EQ(flag("Retired").value_or(""), "1");  // engines no longer listed keep their value
    ASSERT_TRUE(engine.loadEngineData());
    EXPECT_EQ(names(engine), "Overture,FindWhat");

    // A damaged flag is listed unchecked, so saving repairs it.
    setEnabled("Overture", "maybe");
    engine.PopulateAllEngine(&list);
    EXPECT_EQ(listed(list), "Overture-KeyOverture,FindWhat+KeyFindWhat,Espotting-KeyEspotting");
    engine.Savesetting(&list);
    EXPECT_EQ(flag("Overture").value_or(""), "0");
    EXPECT_TRUE(engine.loadEngineData());
}

TEST_F(EngineTest, ListWithoutCheckBoxesIsListedButNeverSaved) {
    writeEngineFile();
    QTreeWidget list;
    clsEngine engine;
    engine.PopulateAllEngine(&list);
    ASSERT_EQ(list.topLevelItemCount(), 3);
    engine.Savesetting(&list);
    EXPECT_FALSE(platform::Registry::instance().keyExists(g_sEngineKey));
}
