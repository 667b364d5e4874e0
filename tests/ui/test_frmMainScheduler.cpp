#include "ProgramFixtures.h"

#include "connect/OvertureSession.h"
#include "connect/frmConnectOverture.h"
#include "core/AccountWindowGuard.h"
#include "core/clsURL.h"
#include "fakes/FakeConnectWindow.h"
#include "fakes/FakeOvertureSite.h"
#include "fakes/FakeResultServer.h"
#include "fakes/FakeSmtpServer.h"
#include "platform/Ini.h"
#include "platform/VB.h"
#include "report/frmSendMail.h"
#include "ui/SchedulerRun.h"

#include <QDir>
#include <climits>

using fake::FakeResultServer;
using fake::HttpResponse;
using fixtures::bidWindows;
using fixtures::storedLastLookup;

namespace {

const QDateTime kTick(QDate(2024, 3, 5), QTime(13, 0, 0));
const QDateTime kLater = kTick.addSecs(7 * 60);

QString general(const QDateTime &t) { return vb::FormatGeneralDate(t); }

// An account with a scheduler and two keywords of its own.
void writeAccount(const QString &engine, const QString &account, const QString &enable, const QString &hours,
                  const QDateTime &lastLookup, const QString &sentReport = "False") {
    fixtures::writeScheduledAccount(engine, account, enable, hours, general(lastLookup), sentReport);
    fixtures::writeKeywords(engine, account, {account + " one", account + " two"});
}

// A bidding account, ready for a pass, with the fake site's three keywords.
void writeBidAccount(const QString &engine, const QString &account, const QDateTime &lastLookup) {
    writeAccount(engine, account, "True", "1", lastLookup);
    fixtures::writeShoesBootsHatsLookUp(engine, account);
}

bool posted(const fake::FakeOvertureSite &site) {
    return !site.requestLines().filter(QRegularExpression("^POST /bids/update")).isEmpty();
}

// The clock at the tick, engines on the fake result server (the "Overture"
// engine's bid pages on the fake site, when given) and the scheduler
// setting; bid windows' own look-ups are the look-up window's matter.
struct Engines {
    FakeResultServer server;
    fixtures::CountedLookUps bidWindowLookUps;
    Engines(const QString &schedulerSetting, const QList<FakeResultServer::Engine> &engines,
            fake::FakeOvertureSite *site) {
        testenv::setNow(kTick);
        testenv::setRegistryValue(g_sPreferenceKey, "SchedlerEnable", schedulerSetting);
        server.writeEngineData(engines);
        if (site) {
            const QString siteData = testenv::tempDir() + "/site.dat";
            site->writeEngineData(siteData, "Overture");
            for (const QString &key : platform::GetProfileKeys(siteData, "Overture"))
                platform::WriteProfileString(g_sEngineDataFile, "Overture", key,
                                             platform::GetProfileString(siteData, "Overture", key, QString(), 560));
        }
    }
    ~Engines() {
        BidManager::ConnectWindowHook() = nullptr;
        g_bAutoBidRunning = false;
    }
};

struct Program : Engines, fixtures::Program {
    explicit Program(const QByteArray &project, const QString &schedulerSetting = "True",
                     const QList<FakeResultServer::Engine> &engines = {{"Google", false}, {"Lycos", false}},
                     fake::FakeOvertureSite *site = nullptr)
        : Engines(schedulerSetting, engines, site), fixtures::Program(project) {
        form->tmrSearchComplete->setInterval(1);
        form->tmrDisconnect->setInterval(1);
    }
    // The scheduled bid window, once opened, starts its pass and its connection at once.
    bool waitForBidWindow() {
        if (!QTest::qWaitFor([&] { return !form->m_frmAutoBid.isNull(); }, 10000))
            return false;
        frmAutoBid *w = form->m_frmAutoBid;
        if (auto *connection = dynamic_cast<frmConnectOverture *>(w->Manager().ConnectWindow())) {
            connection->Session().setStartInterval(0);
            connection->Session().setRetryInterval(0);
        }
        w->tmrScheduler->setInterval(0);
        return true;
    }
    SchedulerRun &run() const { return *form->m_oSchedulerRun; }
    // One minute tick, as the timer would run it.
    void tick() { form->tmrScheduler_Timer(); }
    bool waitRunOver() {
        return QTest::qWaitFor([&] { return !run().m_bSchedulerRunning && !form->m_bInsearch; }, 10000);
    }
    QString panel2() const { return form->stbPanel2->text(); }
};

}  // namespace

TEST(MainWindowScheduler, SettingSwitchesTheMinuteTimerAndPanel) {
    Program off("[Google]\r\nLast=0\r\n", "False");
    EXPECT_FALSE(off.form->tmrScheduler->isActive());
    EXPECT_EQ(off.panel2(), "Scheduler: Off");

    Program on("[Google]\r\nLast=0\r\n", "True");
    EXPECT_TRUE(on.form->tmrScheduler->isActive());
    EXPECT_EQ(on.form->tmrScheduler->interval(), 60000);
    EXPECT_EQ(on.panel2(), "Scheduler: On");
}

TEST(MainWindowScheduler, TwoDueLookUpAccountsRunOneAfterTheOtherInTheOrderAdded) {
    fake::FakeSmtpServer smtp;
    testenv::setRegistryValue(g_sPreferenceKey, "SMTPServer", "127.0.0.1");
    testenv::setRegistryValue(g_sPreferenceKey, "SMTPPort", QString::number(smtp.port()));
    testenv::setRegistryValue(g_sPreferenceKey, "Email", "me@x.test");
    // Added "zed" first; the tree shows "alpha" first.
    Program p("[Google]\r\n1=zed\r\n2=alpha\r\n3=later\r\n4=off\r\n5=never\r\nLast=5\r\n");
    writeAccount("Google", "zed", "True", "1", kTick.addSecs(-60 * 60));
    writeAccount("Google", "alpha", "True", "2", kTick.addDays(-40), "True");
    writeAccount("Google", "later", "True", "1", kTick.addSecs(-59 * 60));
    writeAccount("Google", "off", "False", "1", kTick.addDays(-3));
    writeAccount("Google", "never", "True", "0", kTick.addDays(-3));
    clsURL::SaveURL("Google", "alpha", "shop.example\r\n");
    p.server.setListings("alpha one", {{"shop.example/a", "Ours", "0.40"}, {"b.example", "Theirs", "0.30"}});

    p.tick();
    // The first due account's look-up runs; both are stamped with the tick's time.
    EXPECT_TRUE(p.run().m_bSchedulerRunning);
    EXPECT_EQ(p.form->m_sLookupAccount, "zed");
    EXPECT_EQ(p.run().m_colScheduled.size(), 2);
    EXPECT_EQ(storedLastLookup("Google", "zed"), "3/5/2024 1:00:00 PM");
    EXPECT_EQ(storedLastLookup("Google", "alpha"), "3/5/2024 1:00:00 PM");
    EXPECT_EQ(storedLastLookup("Google", "later"), general(kTick.addSecs(-59 * 60)));
    EXPECT_EQ(p.panel2(), "Next Auto Lookup: 03:00:00 PM");  // the last one found due: 2 hours
    // A tick during the run changes nothing.
    p.tick();
    EXPECT_EQ(p.run().m_iScheduleIndex, 1);

    testenv::setNow(kLater);
    ASSERT_TRUE(p.waitRunOver());
    EXPECT_EQ(p.server.terms(), (QStringList{"zed one", "zed two", "alpha one", "alpha two"}));
    // Each look-up's end stamps its account again.
    EXPECT_EQ(storedLastLookup("Google", "zed"), "3/5/2024 1:07:00 PM");
    EXPECT_EQ(storedLastLookup("Google", "alpha"), "3/5/2024 1:07:00 PM");
    EXPECT_EQ(storedLastLookup("Google", "off"), general(kTick.addDays(-3)));
    EXPECT_EQ(storedLastLookup("Google", "never"), general(kTick.addDays(-3)));
    // Only the account that asks for its report mails it.
    QSignalSpy ended(p.form->m_frmSendMail.get(), &frmSendMail::DialogueEnded);
    ASSERT_TRUE(ended.count() > 0 || ended.wait(5000));
    ASSERT_EQ(smtp.messages().size(), 1);
    EXPECT_TRUE(smtp.messages().at(0).data.contains("alpha one")) << smtp.messages().at(0).data.constData();
    EXPECT_FALSE(testenv::errorLog().contains("Scheduler")) << testenv::errorLog().constData();
    EXPECT_FALSE(testenv::errorLog().contains("frmMain")) << testenv::errorLog().constData();
}

TEST(MainWindowScheduler, StopDuringTheFirstOfThreeEndsTheRunAndKeepsTheStamps) {
    Program p("[Google]\r\n1=a\r\n2=b\r\n3=c\r\nLast=3\r\n");
    for (const char *name : {"a", "b", "c"})
        writeAccount("Google", name, "True", "1", kTick.addDays(-1));
    p.server.setAnswer("a one", HttpResponse::page("<html></html>").delayed(INT_MAX));

    p.tick();
    ASSERT_TRUE(p.server.http().waitForRequests(1));
    p.form->mnuRunItems_Click(7);
    ASSERT_TRUE(p.waitRunOver());
    EXPECT_EQ(p.server.terms(), QStringList{"a one"});
    EXPECT_EQ(p.form->stbPanel1->text(), "stop");
    for (const char *name : {"a", "b", "c"})
        EXPECT_EQ(storedLastLookup("Google", name), "3/5/2024 1:00:00 PM") << name;
}

TEST(MainWindowScheduler, AccountsPassedOverForABusyMomentKeepTheirTurn) {
    Program p("[Google]\r\n1=manual\r\n2=a\r\n3=b\r\nLast=3\r\n");
    writeAccount("Google", "manual", "False", "0", kTick);
    writeAccount("Google", "a", "True", "1", kTick.addDays(-1));
    writeAccount("Google", "b", "True", "1", kTick.addDays(-2));
    p.server.setAnswer("manual one", HttpResponse::page("<html></html>").delayed(200));
    ASSERT_TRUE(p.form->CreateRanking("manual", "Google", "AllKeywords"));

    // Both are due while a user's look-up runs: their last look-up is put back, the run is over.
    p.tick();
    EXPECT_FALSE(p.run().m_bSchedulerRunning);
    EXPECT_EQ(storedLastLookup("Google", "a"), general(kTick.addDays(-1)));
    EXPECT_EQ(storedLastLookup("Google", "b"), general(kTick.addDays(-2)));
    // The user's look-up ends without starting anything.
    ASSERT_TRUE(p.waitRunOver());
    EXPECT_EQ(p.server.terms(), (QStringList{"manual one", "manual two"}));

    // Next tick: "b" has its keyword window open and waits again; "a" runs.
    {
        AccountWindowGuard keywordWindow("Google", "B");
        p.tick();
        ASSERT_TRUE(p.waitRunOver());
    }
    EXPECT_EQ(p.server.terms().mid(2), (QStringList{"a one", "a two"}));
    EXPECT_EQ(storedLastLookup("Google", "b"), general(kTick.addDays(-2)));
    p.tick();
    ASSERT_TRUE(p.waitRunOver());
    EXPECT_EQ(p.server.terms().mid(4), (QStringList{"b one", "b two"}));
}

TEST(MainWindowScheduler, AnAccountDeletedWhileQueuedIsSkippedAndNothingIsWrittenForIt) {
    Program p("[Google]\r\n1=a\r\n2=gone\r\n3=c\r\nLast=3\r\n");
    for (const char *name : {"a", "gone", "c"})
        writeAccount("Google", name, "True", "1", kTick.addDays(-1));
    p.server.setAnswer("a one", HttpResponse::page("<html></html>").delayed(100));

    p.tick();
    ASSERT_EQ(p.form->m_sLookupAccount, "a");
    // The account in work can be neither deleted nor renamed; the queued one can.
    EXPECT_TRUE(p.form->IsAccountLookingUp("Google", "a"));
    EXPECT_TRUE(p.form->IsAccountInScheduledWork("Google", "A"));
    EXPECT_FALSE(p.form->IsAccountLookingUp("Google", "gone"));
    QTreeWidgetItem *gone = p.node("Google", "gone");
    ASSERT_NE(gone, nullptr);
    delete gone;
    ASSERT_TRUE(QDir(fixtures::accountFolder("Google", "gone")).removeRecursively());

    ASSERT_TRUE(p.waitRunOver());
    EXPECT_EQ(p.server.terms(), (QStringList{"a one", "a two", "c one", "c two"}));
    EXPECT_FALSE(QFileInfo::exists(fixtures::accountFolder("Google", "gone")));
    EXPECT_FALSE(p.form->IsAccountInScheduledWork("Google", "a"));
}

TEST(MainWindowScheduler, ASilentServerIsStoppedAfterTheLimitAndTheRunGoesOn) {
    testenv::setRegistryValue(g_sPreferenceKey, "TimeOut", "0");  // the look-up itself waits for ever
    Program p("[Google]\r\n1=silent\r\n2=next\r\nLast=2\r\n");
    writeAccount("Google", "silent", "True", "1", kTick.addDays(-1));
    writeAccount("Google", "next", "True", "1", kTick.addDays(-1));
    p.server.setAnswer("silent one", HttpResponse::page("<html></html>").delayed(INT_MAX));
    p.run().setStepLimit(30 * 60 * 1000);

    p.tick();
    ASSERT_TRUE(p.server.http().waitForRequests(1));
    testenv::setNow(kTick.addSecs(29 * 60));
    p.run().CheckWatchdog();
    EXPECT_EQ(p.form->m_sLookupAccount, "silent");
    testenv::setNow(kTick.addSecs(30 * 60));
    p.run().CheckWatchdog();

    ASSERT_TRUE(p.waitRunOver());
    EXPECT_EQ(p.server.terms(), (QStringList{"silent one", "next one", "next two"}));
    EXPECT_EQ(testenv::errorLog(),
              "Scheduler_Error: no answer for 30 minutes, the look-up of Google/silent is stopped\r\n");
    EXPECT_EQ(storedLastLookup("Google", "silent"), "3/5/2024 1:00:00 PM");
    EXPECT_EQ(storedLastLookup("Google", "next"), "3/5/2024 1:30:00 PM");
}

TEST(MainWindowScheduler, AStepThatOutlivesItsStopIsLeftBehind) {
    testenv::setRegistryValue(g_sPreferenceKey, "TimeOut", "0");
    Program p("[Google]\r\n1=silent\r\nLast=1\r\n");
    writeAccount("Google", "silent", "True", "1", kTick.addDays(-1));
    p.server.setAnswer("silent one", HttpResponse::page("<html></html>").delayed(INT_MAX));

    p.tick();
    ASSERT_TRUE(p.server.http().waitForRequests(1));
    // The stop never gets through (its poll is held here); after another limit the run moves on.
    p.form->tmrDisconnect->setInterval(INT_MAX);
    Q_EMIT p.run().stepSilent(1);
    EXPECT_TRUE(p.run().m_bSchedulerRunning);
    Q_EMIT p.run().stepSilent(2);
    EXPECT_FALSE(p.run().m_bSchedulerRunning);
    EXPECT_TRUE(testenv::errorLog().endsWith(
        "Scheduler_Error: no answer for 60 minutes, the look-up of Google/silent is left behind\r\n"));
    // Its late end moves nothing.
    p.form->tmrDisconnect_Timer();
    EXPECT_FALSE(p.run().m_bSchedulerRunning);
}

// ---- bid passes ---------------------------------------------------------------------------

TEST(MainWindowScheduler, ALookUpAccountThenAnOvertureAccountWithItsBidPassOnTheSite) {
    fake::FakeOvertureSite site;
    fixtures::addShoesBootsHats(site);
    site.setCredentials("u", "p");
    Program p("[Google]\r\n1=look\r\nLast=1\r\n\r\n[Overture]\r\n1=main\r\nLast=1\r\n", "True",
              {{"Google", false}, {"Overture", false}}, &site);
    writeAccount("Google", "look", "True", "1", kTick.addDays(-1));
    writeBidAccount("Overture", "main", kTick.addDays(-1));
    int lookUpsBeforeLogin = -1;
    site.setOnRequest([&](const fake::HttpRequest &) {
        if (lookUpsBeforeLogin < 0)
            lookUpsBeforeLogin = int(p.server.terms().size());
    });

    p.tick();
    testenv::setNow(kLater);
    ASSERT_TRUE(p.waitForBidWindow());
    frmAutoBid *window = p.form->m_frmAutoBid;
    EXPECT_EQ(window->Account()->AccountName(), "main");
    // The account in work keeps its name while its pass runs.
    EXPECT_TRUE(p.form->IsAccountLookingUp("Overture", "main"));
    QPointer<frmAutoBid> watched(window);
    ASSERT_TRUE(p.waitRunOver());
    ASSERT_TRUE(QTest::qWaitFor([&] { return watched.isNull(); }, 5000));  // released after its tick

    // The bid pass started only after both look-ups had ended.
    EXPECT_EQ(p.server.terms(), (QStringList{"look one", "look two", "shoes", "boots", "hats"}));
    EXPECT_EQ(lookUpsBeforeLogin, 5);
    EXPECT_EQ(site.loginCount(), 1);
    EXPECT_TRUE(posted(site));
    EXPECT_TRUE(site.refused().isEmpty());
    EXPECT_EQ(storedLastLookup("Google", "look"), "3/5/2024 1:07:00 PM");
    EXPECT_EQ(storedLastLookup("Overture", "main"), "3/5/2024 1:07:00 PM");
    EXPECT_TRUE(bidWindows().isEmpty());
    EXPECT_TRUE(testenv::shownMsgBoxes().isEmpty());
    EXPECT_FALSE(testenv::errorLog().contains("Error")) << testenv::errorLog().constData();
}

TEST(MainWindowScheduler, FindWhatAndOvertureUkBidTooAndAStoppedManualLookUpLeavesTheRunAlone) {
    Program p("[FindWhat]\r\n1=fw\r\nLast=1\r\n\r\n[Overture(UK)]\r\n1=uk\r\nLast=1\r\n\r\n"
              "[Lycos]\r\n1=ly\r\n2=manual\r\nLast=2\r\n",
              "True", {{"FindWhat", false}, {"Overture(UK)", false}, {"Lycos", false}});
    writeBidAccount("FindWhat", "fw", kTick.addDays(-1));
    writeBidAccount("Overture(UK)", "uk", kTick.addDays(-1));
    writeAccount("Lycos", "ly", "True", "1", kTick.addDays(-1));
    writeAccount("Lycos", "manual", "False", "1", kTick.addDays(-1));
    p.server.setAnswer("manual one", HttpResponse::page("<html></html>").delayed(INT_MAX));

    QStringList passes;  // engine and action of each connection run, in order
    bool stoppedDuringPass = false;
    BidManager::ConnectWindowHook() = [&](const QString &engine) {
        auto window = std::make_unique<fake::FakeConnectWindow>();
        window->site = {{"shoes", "$0.50", "2", "$0.80", "$0.40", {}}};
        fake::FakeConnectWindow *raw = window.get();
        window->during = [&, raw, engine] {
            passes << engine + " " + raw->Action();
            EXPECT_TRUE(p.form->IsAccountLookingUp(engine, engine == "FindWhat" ? "fw" : "uk"));
            if (engine == "FindWhat" && !stoppedDuringPass) {
                // The user looks up another account and stops it, while the pass works.
                stoppedDuringPass = true;
                ASSERT_TRUE(p.form->CreateRanking("manual", "Lycos", "AllKeywords"));
                ASSERT_TRUE(p.server.http().waitForRequests(int(p.server.terms().size()) + 1));
                p.form->mnuRunItems_Click(7);
                ASSERT_TRUE(QTest::qWaitFor([&] { return !p.form->m_bInsearch; }, 5000));
                EXPECT_TRUE(p.run().m_bSchedulerRunning);
            }
        };
        return std::unique_ptr<IConnectWindow>(std::move(window));
    };

    p.tick();
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            if (p.form->m_frmAutoBid)
                p.form->m_frmAutoBid->tmrScheduler->setInterval(0);
            return !p.run().m_bSchedulerRunning && !p.form->m_bInsearch;
        },
        10000));
    EXPECT_TRUE(stoppedDuringPass);
    EXPECT_EQ(passes, (QStringList{"FindWhat GetBids", "FindWhat Update", "Overture(UK) GetBids", "Overture(UK) Update"}));
    EXPECT_EQ(p.server.terms(), (QStringList{"shoes", "boots", "hats", "manual one", "shoes", "boots", "hats",
                                             "ly one", "ly two"}));
    for (const auto &[engine, account] : {std::pair{"FindWhat", "fw"}, {"Overture(UK)", "uk"}, {"Lycos", "ly"}})
        EXPECT_EQ(storedLastLookup(engine, account), "3/5/2024 1:00:00 PM") << engine;
    EXPECT_EQ(p.bidWindowLookUps.count, 2);  // each pass looks its keywords up again after posting
}

TEST(MainWindowScheduler, ABidAccountPassedOverForAnOpenConnectionKeepsItsTurn) {
    Program p("[FindWhat]\r\n1=fw\r\nLast=1\r\n", "True", {{"FindWhat", false}});
    writeBidAccount("FindWhat", "fw", kTick.addDays(-1));
    BidManager::ConnectWindowHook() = [](const QString &) {
        return std::unique_ptr<IConnectWindow>(new fake::FakeConnectWindow);
    };
    p.tick();
    // Another bid window holds its connection when the look-up ends.
    g_bAutoBidRunning = true;
    ASSERT_TRUE(p.waitRunOver());
    g_bAutoBidRunning = false;
    EXPECT_TRUE(bidWindows().isEmpty());
    EXPECT_EQ(storedLastLookup("FindWhat", "fw"), general(kTick.addDays(-1)));
    p.tick();
    EXPECT_TRUE(p.run().m_bSchedulerRunning);
    ASSERT_TRUE(p.waitForBidWindow());
    ASSERT_TRUE(p.waitRunOver());
    EXPECT_EQ(storedLastLookup("FindWhat", "fw"), "3/5/2024 1:00:00 PM");
}

TEST(MainWindowScheduler, ABidPassWhoseSiteFallsSilentIsCancelledAndTheRunGoesOn) {
    fake::FakeOvertureSite site;
    site.addKeyword("shoes", 50, "2", 80);
    site.setDelay("/login", INT_MAX);
    Program p("[Overture]\r\n1=main\r\nLast=1\r\n\r\n[Google]\r\n1=after\r\nLast=1\r\n", "True",
              {{"Overture", false}, {"Google", false}}, &site);
    writeBidAccount("Overture", "main", kTick.addDays(-1));
    writeAccount("Google", "after", "True", "1", kTick.addDays(-1));
    // Half an hour after the site took the login without answering, the watchdog looks.
    site.setOnRequest([&](const fake::HttpRequest &request) {
        if (request.path == "/login")
            QTimer::singleShot(0, [&] {
                testenv::setNow(kTick.addSecs(30 * 60));
                p.run().CheckWatchdog();
            });
    });

    p.tick();
    ASSERT_TRUE(p.waitForBidWindow());
    ASSERT_TRUE(p.waitRunOver());
    EXPECT_TRUE(p.server.terms().endsWith("after two"));
    EXPECT_TRUE(testenv::errorLog().contains(
        "Scheduler_Error: no answer for 30 minutes, the bid pass of Overture/main is stopped\r\n"))
        << testenv::errorLog().constData();
    EXPECT_FALSE(posted(site));
    EXPECT_TRUE(QTest::qWaitFor([] { return bidWindows().isEmpty(); }, 5000));
    EXPECT_EQ(storedLastLookup("Overture", "main"), "3/5/2024 1:30:00 PM");
}
