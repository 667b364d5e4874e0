// The shared run control with scripted engine steps: waits, attempts,
// texts, cancel and the reuse of a recent login.

#include "SessionFixture.h"
#include "connect/OvertureSession.h"

#include <functional>

using namespace connectfix;

namespace {

const QString kEngine = QStringLiteral("Overture");
const QString kAdviceTitle = finalTitle(kEngine);

class ScriptedRun : public ConnectRunControl {
public:
    using ConnectRunControl::UpdateResult;

    ScriptedRun() : ConnectRunControl(OvertureSession::OvertureTexts()) {
        connect(this, &ConnectRunControl::finished, [this] { ++finishedCount; });
    }

    // Results of the next attempts' steps (false / Failed when none is left).
    QList<bool> getBids;
    QList<UpdateResult> updates;
    // Runs inside a step, as an event served during a request would.
    std::function<void(ScriptedRun &)> insideGetBids;
    std::function<void(ScriptedRun &)> insideUpdate;
    bool badEngineData = false;

    QStringList calls;  // the steps run, in order
    QStringList loads;  // engine data reads
    KeywordCollectionPtr collectionSeenByGetBids;
    int finishedCount = 0;

    void giveUp() { EndLoginAttempts(); }
    void failWith(const QString &text) { setErrorText(text); }
    void step() { StepProgress(); }

protected:
    void LoadEngineData(const QString &sEngine) override {
        loads << sEngine;
        m_loaded = true;
        if (badEngineData)
            vb::Raise(vb::errTypeMismatch);
    }
    bool EngineDataLoaded() const override { return m_loaded; }
    bool GetBids() override {
        calls << QStringLiteral("getbids");
        collectionSeenByGetBids = KeywordsCollection();
        if (insideGetBids)
            insideGetBids(*this);
        return getBids.isEmpty() ? false : getBids.takeFirst();
    }
    UpdateResult UpdateBids() override {
        calls << QStringLiteral("update");
        if (insideUpdate)
            insideUpdate(*this);
        return updates.isEmpty() ? UpdateResult::Failed : updates.takeFirst();
    }
    void AbortRequest() override { calls << QStringLiteral("abort"); }

private:
    bool m_loaded = false;
};

std::string joined(const QStringList &list) { return lines(list, ", "); }

// Prepares a run and lets its start wait end.
void start(ScriptedRun &run, const QString &action, bool load = true) {
    run.setAction(action);
    run.Prepare(kEngine, load);
    run.FireStartTimer();
}

// A login at `when` by a successful read.
void loginAt(ScriptedRun &run, const QDateTime &when) {
    testenv::setNow(when);
    run.getBids = {true};
    start(run, QStringLiteral("GetBids"));
    ASSERT_FALSE(run.Cancelled());
    run.calls.clear();
}

}  // namespace

TEST(ConnectRunControl, WaitsTwoSecondsThenReadsAndEnds) {
    testenv::setNow(at("10:00:30"));
    ScriptedRun run;
    EXPECT_EQ(run.Caption(), "Connect to  Overture...");
    run.setAction("GetBids");
    run.Prepare(kEngine, true);
    EXPECT_TRUE(run.StartPending());
    EXPECT_EQ(run.StartInterval(), 2000);
    EXPECT_EQ(run.Title(), "Please wait while connecting ....");
    EXPECT_EQ(joined(run.loads), "Overture");
    EXPECT_TRUE(run.calls.isEmpty());
    EXPECT_TRUE(run.Active());

    run.getBids = {true};
    run.insideGetBids = [](ScriptedRun &r) {
        EXPECT_EQ(r.Caption(), "Retrieve Keyword Bid data from Overture");
        EXPECT_EQ(r.Title(), "Please wait while connecting to the web server ...");
        EXPECT_EQ(r.ProgressMax(), 12);
        for (int i = 0; i < 20; ++i)
            r.step();
        EXPECT_EQ(r.ProgressValue(), 12);  // never past the maximum
    };
    run.FireStartTimer();
    EXPECT_EQ(joined(run.calls), "getbids");
    EXPECT_EQ(run.finishedCount, 1);
    EXPECT_FALSE(run.Cancelled());
    EXPECT_FALSE(run.Active());
    EXPECT_EQ(run.Title(), "Keyword bid data has been successfully retrieved");
    EXPECT_EQ(run.ProgressValue(), 0);
    EXPECT_EQ(run.LastLogin(), at("10:00:30").toUTC());
    EXPECT_TRUE(run.KeywordsCollection());  // a run without one gets an empty one

    // A second Prepare that does not ask for the engine data keeps it.
    run.Prepare(kEngine, false);
    EXPECT_EQ(joined(run.loads), "Overture");
}

TEST(ConnectRunControl, TwoFailedAttemptsShowTheFinalMessageThenCancel) {
    ScriptedRun run;
    start(run, "GetBids");
    EXPECT_EQ(run.Title(), kRetryTitle);
    EXPECT_EQ(run.Status(), "Login failed or System Temporarily Unavailable.");
    EXPECT_TRUE(run.RetryPending());
    EXPECT_EQ(run.RetryInterval(), 6000);
    EXPECT_EQ(run.finishedCount, 0);

    run.FireRetryTimer();
    EXPECT_EQ(run.Title(), kAdviceTitle);
    EXPECT_EQ(run.Status(), "Connect Failed");
    EXPECT_TRUE(run.RetryPending());  // the message stands for the retry wait
    EXPECT_EQ(run.finishedCount, 0);
    EXPECT_FALSE(run.Cancelled());

    run.FireRetryTimer();
    EXPECT_TRUE(run.Cancelled());
    EXPECT_EQ(run.finishedCount, 1);
    EXPECT_FALSE(run.Active());
    EXPECT_EQ(run.calls.count("getbids"), 2);
    EXPECT_FALSE(run.LastLogin().isValid());
}

TEST(ConnectRunControl, ARefusalForGoodShowsTheFinalMessageAfterOneAttempt) {
    struct Case { const char *action; QString errorText; QString title; };
    const Case cases[] = {
        {"GetBids", QString(), kAdviceTitle},
        {"GetBids", "Failed to login.", "Unable to connect to your Overture account.\r\nError: Failed to login."},
        // An update whose login is refused does not promise another try.
        {"Update", QString(), kAdviceTitle},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.action);
        ScriptedRun run;
        run.insideGetBids = [&c](ScriptedRun &r) {
            r.giveUp();
            if (!c.errorText.isEmpty())
                r.failWith(c.errorText);
        };
        start(run, c.action);
        EXPECT_EQ(run.Title(), c.title);
        EXPECT_EQ(run.Status(), "Connect Failed");
        run.FireRetryTimer();
        EXPECT_TRUE(run.Cancelled());
        EXPECT_EQ(run.calls.count("getbids"), 1);
    }
}

TEST(ConnectRunControl, PrepareClearsTheLastErrorText) {
    ScriptedRun run;
    run.insideGetBids = [](ScriptedRun &r) { r.failWith("Failed to login."); };
    start(run, "GetBids");
    run.FireRetryTimer();
    EXPECT_EQ(run.Title(), "Unable to connect to your Overture account.\r\nError: Failed to login.");
    run.FireRetryTimer();

    run.insideGetBids = nullptr;  // fails for another reason this time
    start(run, "GetBids");
    EXPECT_TRUE(run.ErrorText().isEmpty());
    run.FireRetryTimer();
    EXPECT_EQ(run.Title(), kAdviceTitle);
}

TEST(ConnectRunControl, CancelStopsEverythingAndStaysCancelled) {
    // Cancel in the start wait: nothing runs, even when the tick is forced.
    {
        ScriptedRun run;
        run.setAction("GetBids");
        run.Prepare(kEngine, true);
        run.CancelConnect();
        EXPECT_FALSE(run.StartPending());
        EXPECT_TRUE(run.Cancelled());
        EXPECT_EQ(run.finishedCount, 1);
        run.FireStartTimer();
        EXPECT_EQ(run.calls.count("getbids"), 0);
    }
    // Cancel during a read that then reports success: still cancelled, no
    // success text, no login kept.
    {
        ScriptedRun run;
        run.getBids = {true};
        run.insideGetBids = [](ScriptedRun &r) { r.CancelConnect(); };
        start(run, "GetBids");
        EXPECT_TRUE(run.Cancelled());
        EXPECT_FALSE(run.Active());
        EXPECT_EQ(run.finishedCount, 1);
        EXPECT_NE(run.Title(), "Keyword bid data has been successfully retrieved");
        EXPECT_FALSE(run.LastLogin().isValid());
        EXPECT_TRUE(run.calls.contains("abort"));
    }
    // Cancel during a failing read: no retry.
    {
        ScriptedRun run;
        run.insideGetBids = [](ScriptedRun &r) { r.CancelConnect(); };
        start(run, "GetBids");
        EXPECT_FALSE(run.RetryPending());
        EXPECT_NE(run.Title(), kRetryTitle);
    }
    // Cancel during the retry wait.
    {
        ScriptedRun run;
        start(run, "GetBids");
        ASSERT_TRUE(run.RetryPending());
        run.CancelConnect();
        EXPECT_FALSE(run.RetryPending());
        run.FireRetryTimer();
        EXPECT_EQ(run.calls.count("getbids"), 1);
        EXPECT_TRUE(run.Cancelled());
    }
    // Cancel during the post of an update that then reports it posted.
    {
        ScriptedRun run;
        loginAt(run, at("10:00:00"));
        testenv::setNow(at("10:05:00"));
        run.updates = {ScriptedRun::UpdateResult::Posted};
        run.insideUpdate = [](ScriptedRun &r) { r.CancelConnect(); };
        start(run, "Update");
        EXPECT_TRUE(run.Cancelled());
        EXPECT_NE(run.Title(), "Keyword bids have been successfully updated");
        EXPECT_EQ(run.LastLogin(), at("10:00:00").toUTC());
    }
}

TEST(ConnectRunControl, ErrorsAndBadEngineDataAreFailedAttempts) {
    {
        ScriptedRun run;
        run.insideGetBids = [](ScriptedRun &) { vb::Raise(vb::errInvalidCall); };
        start(run, "GetBids");
        EXPECT_TRUE(run.RetryPending());
        EXPECT_EQ(run.Title(), kRetryTitle);
        EXPECT_TRUE(testenv::errorLog().contains("frmConnectOverture_Connect error:  "));
    }
    {
        ScriptedRun run;
        run.badEngineData = true;
        start(run, "GetBids");
        EXPECT_TRUE(testenv::errorLog().contains("frmConnectOvertureOverture_Prepare Error:  Type mismatch"));
        EXPECT_TRUE(run.RetryPending());
        run.FireRetryTimer();
        run.FireRetryTimer();
        EXPECT_TRUE(run.Cancelled());
        EXPECT_EQ(run.calls.count("getbids"), 0);  // nothing is sent on bad data
        // The next Prepare reads the engine data again even when not asked to.
        run.badEngineData = false;
        run.getBids = {true};
        start(run, "GetBids", false);
        EXPECT_FALSE(run.Cancelled());
    }
    // An Action nobody knows ends the run at once.
    {
        ScriptedRun run;
        start(run, "Fetch");
        EXPECT_TRUE(run.Cancelled());
        EXPECT_EQ(run.finishedCount, 1);
        EXPECT_FALSE(run.Active());
    }
}

TEST(ConnectRunControl, AnUpdateReusesALoginYoungerThanThirteenMinuteBoundaries) {
    struct Case { const char *name; QDateTime login; QDateTime update; bool reused; };
    const Case cases[] = {
        {"five minutes", at("10:00:00"), at("10:05:00"), true},
        {"12 boundaries, 12:59 elapsed", at("10:00:00"), at("10:12:59"), true},
        {"12 boundaries, 11:02 elapsed", at("10:00:59"), at("10:12:01"), true},
        {"13 boundaries, 12:59 elapsed", at("10:00:01"), at("10:13:00"), false},
        {"13 boundaries", at("10:00:00"), at("10:13:00"), false},
        // The clock went back an hour (summer time ended): 65 minutes on UTC.
        {"clock went back", at("02:50:00", 7200), at("02:55:00", 3600), false},
        {"login in the future", at("10:20:00"), at("10:05:00"), false},
        {"across midnight", at("23:55:00"), at("23:55:00").addSecs(8 * 60), true},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        ScriptedRun run;
        loginAt(run, c.login);
        testenv::setNow(c.update);
        run.getBids = {true};
        run.updates = {ScriptedRun::UpdateResult::Posted};
        start(run, "Update");
        EXPECT_EQ(joined(run.calls), c.reused ? "update" : "getbids, update");
        EXPECT_FALSE(run.Cancelled());
        EXPECT_EQ(run.Title(), "Keyword bids have been successfully updated");
        EXPECT_EQ(run.Caption(), "Update Bids in Overture");
        EXPECT_EQ(run.LastLogin(), c.update.toUTC());
    }
}

TEST(ConnectRunControl, AnUpdateAfterACancelledRunLogsInAgain) {
    ScriptedRun run;
    loginAt(run, at("10:00:00"));
    testenv::setNow(at("10:02:00"));
    start(run, "GetBids");
    run.CancelConnect();  // in its retry wait
    run.calls.clear();

    testenv::setNow(at("10:03:00"));
    run.getBids = {true};
    run.updates = {ScriptedRun::UpdateResult::Posted};
    start(run, "Update");
    EXPECT_EQ(joined(run.calls), "getbids, update");

    // That login clears the flag: the next update posts at once.
    run.calls.clear();
    run.updates = {ScriptedRun::UpdateResult::Posted};
    start(run, "Update");
    EXPECT_EQ(joined(run.calls), "update");
}

TEST(ConnectRunControl, TheLoginOfAnUpdateReadsIntoAFreshCollection) {
    auto callers = std::make_shared<KeywordCollection>();
    for (bool succeeds : {true, false}) {
        SCOPED_TRACE(succeeds);
        ScriptedRun run;
        run.setKeywordsCollection(callers);
        run.getBids = {succeeds};
        run.updates = {ScriptedRun::UpdateResult::Posted};
        start(run, "Update");
        ASSERT_TRUE(run.collectionSeenByGetBids);
        EXPECT_NE(run.collectionSeenByGetBids, callers);
        EXPECT_EQ(run.KeywordsCollection(), callers);
    }
    ScriptedRun cancelled;
    cancelled.setKeywordsCollection(callers);
    cancelled.insideGetBids = [](ScriptedRun &r) { r.CancelConnect(); };
    start(cancelled, "Update");
    EXPECT_EQ(cancelled.KeywordsCollection(), callers);
}

TEST(ConnectRunControl, AFailedUpdateDoesNotExtendTheLogin) {
    ScriptedRun run;
    loginAt(run, at("10:00:00"));
    testenv::setNow(at("10:10:00"));
    start(run, "Update");  // the post fails twice
    run.FireRetryTimer();
    EXPECT_EQ(joined(run.calls), "update, update");
    run.FireRetryTimer();
    EXPECT_TRUE(run.Cancelled());
    EXPECT_EQ(run.LastLogin(), at("10:00:00").toUTC());

    // The login's time stays that of the read: a retry fourteen minutes
    // after it logs in first.
    ScriptedRun fresh;
    loginAt(fresh, at("10:00:00"));
    testenv::setNow(at("10:10:00"));
    fresh.updates = {ScriptedRun::UpdateResult::Failed, ScriptedRun::UpdateResult::Posted};
    start(fresh, "Update");
    testenv::setNow(at("10:14:00"));
    fresh.FireRetryTimer();
    EXPECT_EQ(joined(fresh.calls), "update, getbids");  // the second attempt renews the login
}

TEST(ConnectRunControl, AnUpdateThatFailsForGoodIsNotTriedAgain) {
    ScriptedRun run;
    loginAt(run, at("10:00:00"));
    testenv::setNow(at("10:01:00"));
    run.updates = {ScriptedRun::UpdateResult::FailedForGood};
    start(run, "Update");
    EXPECT_TRUE(run.RetryPending());
    EXPECT_FALSE(run.Cancelled());
    run.FireRetryTimer();
    EXPECT_TRUE(run.Cancelled());
    EXPECT_EQ(run.calls.count("update"), 1);
}
