// The bid window's work without its screen: load, fetch, the apply step with
// its change counter, and the scheduled pass, against a scripted connection
// window.

#include "BidFixtures.h"

#include "autobid/BidGrid.h"
#include "autobid/KeywordsSettingFile.h"
#include "connect/ConnectRunControl.h"
#include "connect/frmConnectOverture.h"
#include "core/Globals.h"
#include "core/clsKeywords.h"
#include "fakes/FakeOvertureSite.h"
#include "platform/Folders.h"

#include <QFile>
#include <QRegularExpression>
#include <QSignalSpy>
#include <gtest/gtest.h>

using bidfix::at;
using bidfix::KeywordRecord;
using fake::FakeConnectWindow;

namespace {

using Row = FakeConnectWindow::SiteRow;

void writeSettings(const QString &engine, const QByteArray &bytes) {
    testenv::writeFile(KeywordsSettingFile::FilePath(engine, "main"), bytes);
}
void writeLookUp(const QString &engine, const QByteArray &bytes) {
    clsKeywords list;
    list.setEngine(engine);
    list.setAccountName("main");
    testenv::writeFile(list.KeywordsFile(), bytes);
}

// A bid window of the account "main" without its screen.
struct Window {
    explicit Window(const QString &engine = "Overture", std::vector<Row> site = {}) {
        windows.site = std::move(site);
        manager.setAccount(bidfix::makeAccount(engine));
    }
    BidGrid &grid() { return manager.Grid(); }
    clsKeyword &keyword(const QString &k) { return *manager.State().m_colKeywords->Item(k); }
    FakeConnectWindow &connect() { return *windows.connect; }
    QStringList column(int col) {
        QStringList out;
        for (int r = 1; r < grid().Rows(); ++r)
            out << grid().TextMatrix(r, col);
        return out;
    }
    // Loaded and fetched: the grid shows the site's keywords with their computed bids.
    void fetch() {
        manager.Load();
        ASSERT_TRUE(manager.GetBids());
    }
    bidfix::ScopedWindows windows;
    BidManager manager;
};

Row site(const char *keyword, const char *cur, const char *pos, const char *next = "", const char *first = "") {
    return Row{keyword, cur, pos, first, next, {}};
}

}  // namespace

TEST(BidManager, LoadShowsTheSavedKeywordsWithTheLastLookUp) {
    writeSettings("Overture", "shoes;1.5;0.1;True;;;;6;2;\r\nhats;1;0.1;False;;;;3;;\r\n\r\n");
    writeLookUp("Overture", "SHOES;10;$0.55;$0.45;$0.90;$0.70;$0.60;$0.50;$0.40;2;ok\r\n"
                            "hats;5;$0.30;$0.20;$0.50;$0.40;$0.35;1;ok\r\n"
                            "socks;5;$0.30;$0.20;$0.50;$0.40;$0.35;1;ok;x\r\n"
                            ";5;$0.30;$0.20;$0.50;$0.40;$0.35;1;ok\r\n\r\n");
    testenv::writeFile(g_sEngineDataFile, "[Overture]\r\nMinBid=0.05\r\n");
    Window w;
    QSignalSpy buttons(&w.manager, &BidManager::buttonsEnabled);
    w.manager.Load();
    EXPECT_EQ(w.windows.engines, QStringList{"Overture"});
    EXPECT_EQ(w.connect().Account(), w.manager.Account());
    EXPECT_EQ(w.manager.State().m_sEngineMinBid, "0.05");
    EXPECT_EQ(w.manager.State().m_sLimitEngines, "Overture");
    ASSERT_EQ(buttons.count(), 1);
    EXPECT_FALSE(buttons.first().first().toBool());
    EXPECT_EQ(w.manager.Caption(), "AutoBid for Overture - main");

    EXPECT_EQ(w.grid().TextMatrix(0, 0), "Keywords (2)");
    const QStringList captions = {"Cur Bid", "Next Bid", "Position", "1st Bid", "2nd Bid",
                                  "3rd Bid", "4th Bid",  "5th Bid",  "Target",  "New Bid", "Status"};
    for (int col = 1; col < 12; ++col)
        EXPECT_EQ(w.grid().TextMatrix(0, col), captions[col - 1]);
    EXPECT_EQ(w.column(BidGrid::colKeyword), (QStringList{"shoes", "hats"}));
    // Keywords.dat in another letter case still matches; the current bid and
    // bids 1 to 5 come from the look-up, the position does not.
    EXPECT_EQ(w.column(BidGrid::colCurBid), (QStringList{"$0.55", "$0.30"}));
    EXPECT_EQ(w.column(BidGrid::colNextBid), (QStringList{"$0.45", "$0.20"}));
    EXPECT_EQ(w.column(BidGrid::colPosition), (QStringList{"", ""}));
    EXPECT_EQ(w.column(BidGrid::colFifthBid), (QStringList{"$0.40", ""}));
    EXPECT_EQ(w.column(BidGrid::colTarget), (QStringList{"2", ""}));
    EXPECT_EQ(w.column(BidGrid::colStatus), (QStringList{"AutoBid: off", "AutoBid: 3"}));
    // Nothing is computed before a fetch.
    EXPECT_EQ(w.column(BidGrid::colNewBid), (QStringList{"", ""}));
    EXPECT_TRUE(w.grid().CellShaded(1, 0));
    EXPECT_FALSE(w.grid().CellShaded(1, 1));
    EXPECT_EQ(w.grid().Row(), 0);
}

TEST(BidManager, AnAccountWithoutSettingsShowsTheHeaderAndOneEmptyRow) {
    testenv::writeFile(platform::JoinPath(testenv::programDir(), "access.zqa"), "[Access]\r\nOverture=Off\r\n");
    Window w("FindWhat");
    w.manager.Load();
    EXPECT_EQ(w.grid().Rows(), 2);
    EXPECT_EQ(w.grid().TextMatrix(0, 0), "Keywords");
    EXPECT_EQ(w.column(0), QStringList{""});
    EXPECT_EQ(w.manager.State().m_sLimitEngines, "Overture-OFF");
    EXPECT_EQ(w.manager.StatusText("6"), "AutoBid: 6");
}

TEST(BidManager, AFetchFillsTheGridWithThePositionedKeywordsAndComputesTheirBids) {
    writeSettings("Overture", "shoes;1;0.1;True;;;;0;;\r\nhats;2;0.2;True;;;2024-06-12 09:00:00;4;1;\r\n\r\n");
    Window w("Overture", {site("shoes", "$0.50", "2", "$0.40", "$0.80"), site("boots", "$0.30", "", "$0.20"),
                          site("socks", "$0.25", "1", "$0.10", "$0.25")});
    QSignalSpy status(&w.manager, &BidManager::statusChanged);
    QSignalSpy buttons(&w.manager, &BidManager::buttonsEnabled);
    w.manager.Load();
    bool refused = false;
    w.windows.onLookUp = nullptr;
    // A second fetch while the first runs is refused silently.
    w.connect().during = [&] { refused = !w.manager.GetBids(); };
    ASSERT_TRUE(w.manager.GetBids());
    EXPECT_TRUE(refused);
    ASSERT_EQ(w.connect().runs.size(), 1u);
    const FakeConnectWindow::Run &run = w.connect().runs[0];
    EXPECT_EQ(run.action, "GetBids");
    EXPECT_EQ(run.engine, "Overture");
    EXPECT_TRUE(run.loadEngineFile);
    EXPECT_TRUE(run.connectionFlagSet);
    EXPECT_FALSE(g_bAutoBidRunning);
    EXPECT_FALSE(w.manager.Online());
    EXPECT_EQ(status.count(), 2);
    EXPECT_EQ(status.at(0).first().toString(), "Please wait while retrieving keywords from your account ...");
    EXPECT_EQ(status.at(1).first().toString(), "Completed.");
    EXPECT_TRUE(buttons.last().first().toBool());

    // Keywords without a position are dropped from the grid; shoes and socks are computed.
    EXPECT_EQ(w.column(BidGrid::colKeyword), (QStringList{"shoes", "socks"}));
    EXPECT_EQ(w.column(BidGrid::colNewBid), (QStringList{"0.41", "0.11"}));
    EXPECT_EQ(w.grid().TextMatrix(0, 0), "Keywords (2)");
    // Held back, hats keeps its settings for the next save and rejoins the next fetch.
    w.manager.SaveKeywordsSetting();
    EXPECT_EQ(testenv::readFile(KeywordsSettingFile::FilePath("Overture", "main")),
              "shoes;1;0.1;True;;;;0;;\r\nsocks;1;0.1;;;;;;;\r\n"
              "hats;2;0.2;True;;;2024-06-12 09:00:00;4;1;\r\nboots;1;0.1;;;;;;;\r\n\r\n");
}

TEST(BidManager, ACancelledFetchLeavesTheGridAndDisablesUpdate) {
    writeSettings("Overture", "shoes;1;0.1;True;;;;0;;\r\n\r\n");
    Window w("Overture", {site("shoes", "$0.50", "2", "$0.40")});
    w.manager.Load();
    w.connect().cancelRuns = {true};
    QSignalSpy buttons(&w.manager, &BidManager::buttonsEnabled);
    EXPECT_FALSE(w.manager.GetBids());
    EXPECT_FALSE(w.manager.State().m_bBidsLoaded);
    EXPECT_EQ(w.column(BidGrid::colCurBid), QStringList{""});
    ASSERT_EQ(buttons.count(), 1);
    EXPECT_FALSE(buttons.first().first().toBool());
    // Without bids the apply step does nothing.
    w.manager.UpdateKeywordsToGrid();
    EXPECT_EQ(w.connect().runs.size(), 1u);
}

TEST(BidManager, AManualUpdatePostsOnlyAmountsAndRefreshesTheGrid) {
    testenv::setNow(at("12:00"));
    Window w("Overture", {site("shoes", "$0.50", "2", "$0.40"), site("boots", "$0.30", "1", "$0.20"),
                          site("hats", "$0.90", "3", "$0.10")});
    w.fetch();
    w.grid().setTextMatrix(2, BidGrid::colNewBid, "abc");  // boots
    w.grid().setTextMatrix(3, BidGrid::colNewBid, "0.75");
    w.keyword("hats").setUpdateNumber("3");
    QSignalSpy last(&w.manager, &BidManager::lastUpdateChanged);
    w.manager.UpdateKeywordsToGrid();
    ASSERT_EQ(w.connect().runs.size(), 2u);
    const FakeConnectWindow::Run &run = w.connect().runs[1];
    EXPECT_EQ(run.action, "Update");
    EXPECT_FALSE(run.loadEngineFile);
    EXPECT_TRUE(run.connectionFlagSet);
    EXPECT_EQ(run.newBids.value("shoes"), "0.41");
    EXPECT_EQ(run.newBids.value("boots"), "0.21");  // what the rules left, not the text typed
    EXPECT_EQ(run.newBids.value("hats"), "0.75");
    EXPECT_EQ(w.keyword("hats").UpdateNumber(), "3");
    EXPECT_EQ(w.windows.lookUps, QStringList{"Overture/main"});
    ASSERT_EQ(last.count(), 1);
    EXPECT_EQ(last.first().first().toString(), "Last update: 6/12/2024 12:00:00 PM");
    EXPECT_FALSE(w.manager.Online());
}

TEST(BidManager, TheChangeCounterAllowsSixAutomaticChangesIn24Hours) {
    struct Case {
        const char *name;
        const char *engine;
        const char *limitWord;
        const char *count;
        const char *first;
        const char *cell;
        const char *countAfter;
        const char *firstAfter;
        const char *posted;
        const char *newPos;
    };
    const char *recent = "2024-06-12 09:00:00";
    const char *now = "2024-06-12 12:00:00";
    const Case cases[] = {
        {"first change opens a window", "Overture", "Overture", "0", "", "0.41", "1", now, "0.41", ""},
        {"no change outside a window", "Overture", "Overture", "3", "", "0.50", "0", "", "0.50", ""},
        {"second change", "Overture", "Overture", "1", recent, "0.41", "2", recent, "0.41", ""},
        {"sixth change", "Overture", "Overture", "5", recent, "0.41", "6", recent, "0.41", ""},
        {"seventh change withdrawn", "Overture", "Overture", "6", recent, "0.41", "6", recent, "0.5", "2"},
        {"seventh on Overture(UK) withdrawn", "Overture(UK)", "Overture", "6", recent, "0.41", "6", recent, "0.5",
         "2"},
        {"seventh on FindWhat", "FindWhat", "Overture", "6", recent, "0.41", "7", recent, "0.41", ""},
        {"seventh with the limit off", "Overture", "Overture-OFF", "6", recent, "0.41", "7", recent, "0.41", ""},
        {"a change after 25 hours opens a new window", "Overture", "Overture", "6", "2024-06-11 11:00:00", "0.41",
         "1", now, "0.41", ""},
        {"no change inside a window", "Overture", "Overture", "4", recent, "0.50", "4", recent, "0.50", ""},
        {"unreadable time: the window is over", "Overture", "Overture", "6", "12.06.2024", "0.41", "1", now, "0.41",
         ""},
        {"new bid that is no amount", "Overture", "Overture", "2", recent, "-", "2", recent, "0.50", ""},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        testenv::setNow(at("12:00"));
        Window w(c.engine, {site("shoes", "$0.50", "2", "$0.49")});
        w.fetch();
        w.manager.State().m_sLimitEngines = c.limitWord;
        w.manager.State().m_bIsSchedler = true;
        clsKeyword &k = w.keyword("shoes");
        k.setUpdateNumber(c.count);
        k.setFirstUpdateTime(c.first);
        k.setNewPos("");
        w.grid().setTextMatrix(1, BidGrid::colNewBid, c.cell);
        w.manager.UpdateKeywordsToGrid();
        ASSERT_EQ(w.connect().runs.size(), 2u);
        EXPECT_EQ(w.connect().runs[1].newBids.value("shoes"), c.posted);
        EXPECT_EQ(k.UpdateNumber(), c.countAfter);
        EXPECT_EQ(k.FirstUpdateTime(), c.firstAfter);
        EXPECT_EQ(k.NewPos(), c.newPos);
    }
}

// A counter that is no integer, read for a change inside its 24 hours, stops
// the scheduled pass before anything is posted; no keyword counts a change.
TEST(BidManager, AnUnreadableChangeCounterStopsThePassBeforeAnyBidIsPosted) {
    struct Case {
        const char *name;
        const char *hatsCount;
        bool posted;
        const char *shoesAfter;
        const char *hatsAfter;
    };
    const Case cases[] = {
        {"readable counters", "3", true, "3", "4"},
        {"unreadable counter", "x", false, "2", "x"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const qsizetype logged = testenv::errorLog().size();
        testenv::setNow(at("12:00"));
        fake::FakeOvertureSite site;
        site.setCredentials("joe", "secret");
        site.addKeyword("shoes", 50, "2", 80);
        site.addKeyword("hats", 90, "3", 120);
        QFile::remove(g_sEngineDataFile);  // the section names this case's site only
        site.writeEngineData(g_sEngineDataFile, "Overture");
        // With the limit off the strategies leave the counter to the apply step.
        testenv::writeFile(platform::JoinPath(platform::ProgramFolder(), "access.zqa"), "[Access]\r\nOverture=Off\r\n");
        writeLookUp("Overture", "shoes;10;$0.50;$0.40;$0.80;$0.60;$0.45;$0.30;$0.20;2;ok\r\n"
                                "hats;7;$0.90;$0.10;$1.20;$0.95;$0.50;$0.40;$0.30;3;ok\r\n\r\n");
        writeSettings("Overture", QByteArray("shoes;1;0.1;True;;;2024-06-12 09:00:00;2;;\r\n"
                                             "hats;2;0.1;True;;;2024-06-12 09:00:00;") +
                                      c.hatsCount + ";;\r\n\r\n");
        bidfix::ScopedWindows windows;  // the look-ups; the connection window is the real one
        BidManager::ConnectWindowHook() = [](const QString &) -> std::unique_ptr<IConnectWindow> {
            auto w = std::make_unique<frmConnectOverture>();
            w->RunControl().setStartInterval(0);
            w->RunControl().setRetryInterval(0);
            return w;
        };
        BidManager manager;
        manager.setAccount(bidfix::makeAccount());
        manager.Load();
        manager.ScheduledPass();
        ASSERT_TRUE(manager.State().m_bBidsLoaded);
        const bool postSeen = !site.requestLines().filter(QRegularExpression("^POST /bids/update")).isEmpty();
        EXPECT_EQ(postSeen, c.posted);
        EXPECT_EQ(site.bidOf("shoes"), c.posted ? "0.41" : "0.50");
        EXPECT_EQ(site.bidOf("hats"), c.posted ? "0.11" : "0.90");
        const KeywordCollection &keywords = *manager.State().m_colKeywords;
        EXPECT_EQ(keywords.Item("shoes")->UpdateNumber(), c.shoesAfter);
        EXPECT_EQ(keywords.Item("hats")->UpdateNumber(), c.hatsAfter);
        const QByteArray log = testenv::errorLog().mid(logged);
        EXPECT_EQ(log, c.posted ? "" : "frmAutoBid_UpdateKeywordsToGrid error:  Type mismatch\r\n") << log.constData();
        EXPECT_FALSE(manager.Online());
    }
}

TEST(BidManager, TheScheduledPassFetchesAppliesMailsAndPosts) {
    testenv::setNow(at("12:00"));
    Window w("Overture", {site("shoes", "$0.50", "2", "$0.40"), site("boots", "$0.30", "1", "$0.20")});
    writeSettings("Overture", "shoes;1;0.1;True;;;;0;;\r\nboots;1;0.1;False;;;;0;;\r\n\r\n");
    w.manager.Account()->setSentReport(true);
    std::vector<size_t> runsAtMail;
    BidManager::ReportMailHook() = [&](QWidget *, BidWindowState &state) {
        runsAtMail.push_back(w.connect().runs.size());
        EXPECT_TRUE(state.m_bIsSchedler);
    };
    w.manager.Load();
    w.manager.ScheduledPass();
    ASSERT_EQ(w.connect().runs.size(), 2u);
    EXPECT_EQ(runsAtMail, std::vector<size_t>{1});  // mailed before the post
    // Only the keyword whose AutoBid is on was changed.
    EXPECT_EQ(w.connect().runs[1].newBids.value("shoes"), "0.41");
    EXPECT_EQ(w.connect().runs[1].newBids.value("boots"), "$0.30");
    EXPECT_EQ(w.keyword("shoes").UpdateNumber(), "1");
    EXPECT_EQ(w.keyword("boots").UpdateNumber(), "0");
    EXPECT_EQ(w.connect().bidOf("shoes"), "$0.41");
}

TEST(BidManager, FindWhatKeepsTheBidsItsWindowReadAndGetsANoticeAfterAManualUpdate) {
    writeLookUp("FindWhat", "shoes;10;$0.55;$0.45;$0.90;$0.70;$0.60;$0.50;$0.40;2;ok\r\n\r\n");
    Row row = site("shoes", "$0.50", "2", "$0.40", "$0.95");
    row.bids = {"$0.81", "$0.71", "$0.61", "$0.51"};
    Window w("FindWhat", {row});
    w.fetch();
    EXPECT_EQ(w.keyword("shoes").NextBid(), "$0.45");  // always from the look-up
    EXPECT_EQ(w.keyword("shoes").SecondBid(), "$0.81");
    EXPECT_EQ(w.keyword("shoes").FifthBid(), "$0.51");

    testenv::answerMsgBox(seam::vbOK);
    w.manager.UpdateKeywordsToGrid();
    ASSERT_EQ(testenv::shownMsgBoxes().size(), 1);
    const seam::MessageBoxRequest &box = testenv::shownMsgBoxes().first();
    EXPECT_EQ(box.text, "Findwhat has received your bid change request. Your requested changes will begin to take\r\n"
                        "effect.Typically, you should see your bid changes. During high-volume periods however,\r\n"
                        "it may take hours. There is no need to submit your bid change more than once.");
    EXPECT_EQ(box.icon(), seam::vbExclamation);
    EXPECT_EQ(box.title, "AutoBid for FindWhat - main");

    // Not in a scheduled pass.
    w.manager.State().m_bIsSchedler = true;
    w.manager.UpdateKeywordsToGrid();
    EXPECT_EQ(testenv::shownMsgBoxes().size(), 1);

    // Another engine takes the second to fifth bids from the look-up.
    Window o("Overture", {row});
    writeLookUp("Overture", "shoes;10;$0.55;$0.45;$0.90;$0.70;$0.60;$0.50;$0.40;2;ok\r\n\r\n");
    o.fetch();
    EXPECT_EQ(o.keyword("shoes").SecondBid(), "$0.70");
    EXPECT_EQ(o.keyword("shoes").FifthBid(), "$0.40");
}

TEST(BidManager, AnEngineWithoutAConnectionWindowCannotFetch) {
    Window w("FindWhat");
    BidManager::ConnectWindowHook() = [](const QString &) { return std::unique_ptr<IConnectWindow>(); };
    w.manager.Load();
    QSignalSpy buttons(&w.manager, &BidManager::buttonsEnabled);
    EXPECT_FALSE(w.manager.GetBids());
    EXPECT_FALSE(buttons.last().first().toBool());
}
