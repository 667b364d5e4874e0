#include "ProgramFixtures.h"

#include "platform/VB.h"
#include "support/FileFaults.h"
#include "ui/SchedulerRun.h"

#include <QTimeZone>
#include <time.h>

using fixtures::storedLastLookup;
using fixtures::writeScheduledAccount;

namespace {

const QDateTime kNow(QDate(2024, 3, 5), QTime(13, 0, 0));

QString accountFile(const QString &engine, const QString &account) { return fixtures::settingsFile(engine, account); }

QString general(const QDateTime &t) { return vb::FormatGeneralDate(t); }

clsAccount account(float hours, const QDateTime &last, bool stored = true) {
    clsAccount a;
    a.setSchedulerEnable(true);
    a.setHours(hours);
    a.setLastLookup(last);
    if (!stored) {
        // An account file whose last look-up can't be read.
        a.setEngine("E");
        a.setAccountName("unreadable");
        writeScheduledAccount("E", "unreadable", "True", QString::number(double(hours)), "never");
        a.GetSchedulerSettings();
    }
    return a;
}

// A run at kNow, its tick over "Engine/account" nodes.
struct Tick : ::testing::Test {
    SchedulerRun run;
    QString panel = "Scheduler: On";
    void SetUp() override { testenv::setNow(kNow); }
    bool collect(const QStringList &nodes) {
        QList<SchedulerRun::Node> list;
        for (const QString &n : nodes)
            list.append({n.section('/', 0, 0), n.section('/', 1)});
        return run.Collect(list, &panel);
    }
    // The accounts the last tick collected.
    QStringList collected() const {
        QStringList out;
        for (const auto &a : run.m_colScheduled)
            out << a->Engine() + "/" + a->AccountName();
        return out;
    }
};

// The local time zone for one test (the due test reads stored local times).
class LocalZone {
public:
    explicit LocalZone(const char *zone) : m_old(qgetenv("TZ")), m_had(qEnvironmentVariableIsSet("TZ")) {
        qputenv("TZ", zone);
        tzset();
    }
    ~LocalZone() {
        if (m_had)
            qputenv("TZ", m_old);
        else
            qunsetenv("TZ");
        tzset();
    }

private:
    QByteArray m_old;
    bool m_had;
};

}  // namespace

// ---- the due test ---------------------------------------------------------------------

TEST(SchedulerDueTest, MinuteBoundariesIntervalsAndNextTimes) {
    struct Case {
        const char *what;
        float hours;
        QDateTime last;
        bool due;
        qint64 minutes;
        int nextInSeconds;
    };
    const Case cases[] = {
        {"59 boundaries of 60", 1, kNow.addSecs(-59 * 60), false, 59, 60},
        {"60 boundaries", 1, kNow.addSecs(-60 * 60), true, 60, 3600},
        // 59 minutes and one second have passed, but 60 minute boundaries.
        {"boundaries, not elapsed time", 1, QDateTime(QDate(2024, 3, 5), QTime(12, 0, 59)), true, 60, 3600},
        {"within the same minute", 1, kNow.addSecs(-59 * 60 + 30), false, 59, 60},
        {"a tenth of an hour is six minutes", 0.1f, kNow.addSecs(-6 * 60), true, 6, 360},
        {"an hour and a half", 1.5f, kNow.addSecs(-89 * 60), false, 89, 60},
        // More minutes than a 16-bit count holds: a holiday of a month.
        {"after 30 days", 24, kNow.addDays(-30), true, 30 * 1440, 24 * 3600},
        {"the zero date", 24, clsAccount::ZeroDate(), true, kNow.toSecsSinceEpoch() / 60 -
                                                              clsAccount::ZeroDate().toSecsSinceEpoch() / 60,
         24 * 3600},
        // A clock set back: not due, waits a whole interval from the stamp.
        {"in the future", 1, kNow.addSecs(3 * 3600), false, 0, 3600},
    };
    for (const Case &c : cases) {
        const SchedulerRun::DueCheck check = SchedulerRun::CheckDue(account(c.hours, c.last), kNow);
        EXPECT_EQ(check.due, c.due) << c.what;
        EXPECT_EQ(check.minutes, c.minutes) << c.what;
        EXPECT_EQ(check.Next(kNow), kNow.addSecs(c.nextInSeconds)) << c.what;
        EXPECT_EQ(check.future, c.last > kNow) << c.what;
    }
    // A last look-up that can't be read is due.
    const SchedulerRun::DueCheck unreadable = SchedulerRun::CheckDue(account(1, kNow, false), kNow);
    EXPECT_TRUE(unreadable.due);
    EXPECT_EQ(unreadable.Next(kNow), kNow.addSecs(3600));
}

TEST(SchedulerDueTest, MinutesAreCountedOnUtcAcrossSummerTime) {
    const QTimeZone london("Europe/London");
    ASSERT_TRUE(london.isValid());
    // Spring: 00:30 GMT to 02:30 BST is one hour, though the wall clock moved two.
    EXPECT_EQ(SchedulerRun::MinuteBoundaries(QDateTime(QDate(2024, 3, 31), QTime(0, 30), london),
                                             QDateTime(QDate(2024, 3, 31), QTime(2, 30), london)),
              60);
    // Autumn: 00:30 BST to 02:30 GMT is three hours, though the wall clock moved two.
    EXPECT_EQ(SchedulerRun::MinuteBoundaries(QDateTime(QDate(2024, 10, 27), QTime(0, 30), london),
                                             QDateTime(QDate(2024, 10, 27), QTime(2, 30), london)),
              180);
    EXPECT_EQ(SchedulerRun::MinuteBoundaries(kNow, kNow.addSecs(-61)), -2);
}

TEST(SchedulerDueTest, NextTimeTextUsesTwelveHourClockWithTwoDigits) {
    for (const auto &[time, text] : {std::pair{QTime(13, 5, 9), "Next Auto Lookup: 01:05:09 PM"},
                                     {QTime(0, 0, 0), "Next Auto Lookup: 12:00:00 AM"},
                                     {QTime(11, 59, 59), "Next Auto Lookup: 11:59:59 AM"}})
        EXPECT_EQ(SchedulerRun::NextLookupText(QDateTime(QDate(2024, 3, 5), time)), text);
}

// ---- the minute tick ----------------------------------------------------------------------

TEST_F(Tick, CollectsAndStampsTheDueAccountsInNodeOrder) {
    writeScheduledAccount("Google", "b-due", "True", "1", general(kNow.addSecs(-3600)));
    writeScheduledAccount("Google", "not-due", "True", "2", general(kNow.addSecs(-3600)));
    writeScheduledAccount("Google", "off", "False", "1", general(kNow.addDays(-3)));
    writeScheduledAccount("Google", "zero-hours", "True", "0", general(kNow.addDays(-3)));
    writeScheduledAccount("Overture", "a-due", "True", "24", "never");
    const QByteArray notDue = testenv::readFile(accountFile("Google", "not-due"));
    const QByteArray off = testenv::readFile(accountFile("Google", "off"));

    ASSERT_TRUE(collect({"Google/b-due", "Google/not-due", "Google/off", "Google/zero-hours", "Overture/a-due",
                         "Google/no-file"}));
    EXPECT_EQ(collected(), (QStringList{"Google/b-due", "Overture/a-due"}));
    EXPECT_EQ(run.m_iScheduleIndex, 0);
    EXPECT_FALSE(run.m_bSchedulerRunning);
    // The panel shows the next time of the last account found due (24 hours on).
    EXPECT_EQ(panel, "Next Auto Lookup: 01:00:00 PM");
    EXPECT_EQ(storedLastLookup("Google", "b-due"), "3/5/2024 1:00:00 PM");
    EXPECT_EQ(storedLastLookup("Overture", "a-due"), "3/5/2024 1:00:00 PM");
    EXPECT_EQ(testenv::readFile(accountFile("Google", "not-due")), notDue);
    EXPECT_EQ(testenv::readFile(accountFile("Google", "off")), off);
    EXPECT_FALSE(QFile::exists(accountFile("Google", "no-file")));
    // The collected accounts are read whole for their run.
    EXPECT_EQ(run.m_colScheduled.at(0)->UserName(), "u");
    EXPECT_TRUE(testenv::errorLog().isEmpty());

    // Nothing due: an empty panel gets the next time of an account ("not-due" has 30 of its 120 minutes left).
    testenv::setNow(kNow.addSecs(30 * 60));
    panel.clear();
    collect({"Google/not-due"});
    EXPECT_TRUE(collected().isEmpty());
    EXPECT_EQ(panel, "Next Auto Lookup: 02:00:00 PM");
}

TEST_F(Tick, ALastLookUpInTheFutureIsStampedNowAndWaitsAWholeInterval) {
    writeScheduledAccount("Google", "acme", "True", "1", "12/1/2099 1:00:00 PM");
    collect({"Google/acme"});
    EXPECT_TRUE(collected().isEmpty());
    EXPECT_EQ(storedLastLookup("Google", "acme"), "3/5/2024 1:00:00 PM");
    testenv::setNow(kNow.addSecs(59 * 60));
    collect({"Google/acme"});
    EXPECT_TRUE(collected().isEmpty());
    testenv::setNow(kNow.addSecs(60 * 60));
    collect({"Google/acme"});
    EXPECT_EQ(collected(), QStringList{"Google/acme"});
}

TEST_F(Tick, SummerTimeMovesNoRun) {
    LocalZone zone("Europe/London");
    // 00:30 GMT and 02:00 BST on the night the clocks go forward: one and a half hours
    // by the wall clock, half an hour in fact.
    writeScheduledAccount("Google", "acme", "True", "1", "3/31/2024 12:30:00 AM");
    testenv::setNow(QDateTime(QDate(2024, 3, 31), QTime(2, 0)));
    collect({"Google/acme"});
    EXPECT_TRUE(collected().isEmpty());
    testenv::setNow(QDateTime(QDate(2024, 3, 31), QTime(2, 30)));
    collect({"Google/acme"});
    EXPECT_EQ(collected(), QStringList{"Google/acme"});
    EXPECT_EQ(storedLastLookup("Google", "acme"), "3/31/2024 2:30:00 AM");  // stored as local time
}

TEST_F(Tick, BadAccountFilesAreLoggedAndTheOthersStillRun) {
    for (const char *name : {"first", "locked", "last"})
        writeScheduledAccount("Google", name, "True", "1", general(kNow.addDays(-1)));
    testenv::writeFile(accountFile("Google", "no-boolean"), "[Login Detail]\r\nHours=1\r\n");
    writeScheduledAccount("Google", "bad-report", "True", "1", general(kNow.addDays(-1)), "perhaps");
    {
        testenv::Unreadable guard(accountFile("Google", "locked"));
        collect({"Google/first", "Google/no-boolean", "Google/bad-report", "Google/locked", "Google/last"});
    }
    EXPECT_EQ(collected(), (QStringList{"Google/first", "Google/last"}));
    const QByteArray log = testenv::errorLog();
    EXPECT_TRUE(log.contains("tmrScheduler_Timer: Type mismatch (Google/no-boolean)\r\n")) << log.constData();
    EXPECT_TRUE(log.contains("tmrScheduler_Timer: Type mismatch (Google/bad-report)\r\n")) << log.constData();
    EXPECT_TRUE(log.contains("tmrScheduler_Timer: Permission denied (Google/locked)\r\n")) << log.constData();
}

TEST_F(Tick, AnAccountWhoseStampCannotBeWrittenIsNotWorked) {
    writeScheduledAccount("Google", "acme", "True", "1", general(kNow.addDays(-1)));
    const QByteArray before = testenv::readFile(accountFile("Google", "acme"));
    {
        testenv::FileSizeLimit full(100);  // the log's record fits, the account file does not
        collect({"Google/acme"});
    }
    EXPECT_TRUE(collected().isEmpty());
    EXPECT_EQ(testenv::readFile(accountFile("Google", "acme")), before);
    EXPECT_TRUE(testenv::errorLog().startsWith("tmrScheduler_Timer: ")) << testenv::errorLog().constData();
    // Without it worked every minute after: its file is unchanged, so it is due again.
    EXPECT_EQ(panel, "Scheduler: On");
}

// ---- the run --------------------------------------------------------------------------

TEST_F(Tick, WorksTheCollectedAccountsOneAfterAnotherAndPutsBackABusyOnesStamp) {
    const QDateTime earlier = kNow.addDays(-2);
    writeScheduledAccount("Google", "a", "True", "1", general(earlier));
    writeScheduledAccount("Google", "b", "True", "1", "never");
    writeScheduledAccount("Google", "c", "True", "1", general(earlier));
    collect({"Google/a", "Google/b", "Google/c"});

    auto first = run.NextAccount();
    ASSERT_TRUE(first);
    EXPECT_EQ(first->AccountName(), "a");
    EXPECT_TRUE(run.m_bSchedulerRunning);
    EXPECT_EQ(run.m_iScheduleIndex, 1);
    EXPECT_EQ(run.m_oScheduleAccount, first);
    // Passed over while busy: the account gets its old stamp back and is due at the next tick.
    run.RestoreLastLookup();
    EXPECT_EQ(storedLastLookup("Google", "a"), general(earlier));
    // One that could not be read gets the zero date, which is due as well.
    ASSERT_EQ(run.NextAccount()->AccountName(), "b");
    run.RestoreLastLookup();
    EXPECT_EQ(storedLastLookup("Google", "b"), "12:00:00 AM");
    // A tick during the run reads nothing.
    EXPECT_FALSE(collect({"Google/a"}));
    EXPECT_EQ(collected(), (QStringList{"Google/a", "Google/b", "Google/c"}));

    ASSERT_EQ(run.NextAccount()->AccountName(), "c");
    EXPECT_EQ(run.NextAccount(), nullptr);
    EXPECT_FALSE(run.m_bSchedulerRunning);
    EXPECT_EQ(run.m_oScheduleAccount, nullptr);
    EXPECT_EQ(storedLastLookup("Google", "c"), "3/5/2024 1:00:00 PM");
    EXPECT_EQ(run.NextAccount(), nullptr);  // stays over

    ASSERT_TRUE(collect({"Google/a", "Google/b", "Google/c"}));
    EXPECT_EQ(collected(), (QStringList{"Google/a", "Google/b"}));
}

TEST_F(Tick, WatchdogReportsASilentStepAfterEachWholeLimit) {
    QSignalSpy silent(&run, &SchedulerRun::stepSilent);
    run.setStepLimit(30 * 60 * 1000);
    run.CheckWatchdog();  // no step: nothing to watch
    EXPECT_EQ(silent.count(), 0);

    run.StepStarted(SchedulerRun::Step::BidPass);
    EXPECT_TRUE(run.tmrWatchdog->isActive());
    // At 29:59 nothing; at 30:00 the first silence; a clock set back counts
    // as life rather than holding the limit off.
    for (const auto &[secs, count] : {std::pair{29 * 60 + 59, 0}, {30 * 60, 1}, {0, 1}, {29 * 60, 1}, {30 * 60, 2}}) {
        testenv::setNow(kNow.addSecs(secs));
        run.CheckWatchdog();
        ASSERT_EQ(silent.count(), count) << secs;
        EXPECT_EQ(run.Silences(), count);
        EXPECT_EQ(count ? silent.last().at(0).toInt() : 0, count);
    }

    // A new step starts counting afresh; an ended one is not watched.
    run.StepStarted(SchedulerRun::Step::LookUp);
    EXPECT_EQ(run.Silences(), 0);
    run.StepEnded();
    EXPECT_FALSE(run.tmrWatchdog->isActive());
    testenv::setNow(kNow.addDays(1));
    run.CheckWatchdog();
    EXPECT_EQ(silent.count(), 2);
}
