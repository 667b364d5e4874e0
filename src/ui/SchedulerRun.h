#pragma once
// The scheduler's work without a screen: which accounts are due, the stamp
// a minute tick puts on each account it collects, the state of the run that
// works the collected accounts one after another, and the watchdog that
// notices a step whose servers have gone silent.
//
// Minutes are minute boundaries counted on UTC from the stored local times,
// in 64 bits, so a summer-time change moves nothing and a long holiday
// overflows nothing. A last look-up in the future (a clock set back) is
// stamped now; one that can't be read is due.

#include <QDateTime>
#include <QList>
#include <QObject>
#include <QString>
#include <memory>

class QTimer;
class clsAccount;

class SchedulerRun : public QObject {
    Q_OBJECT
public:
    // One account node of the tree: its engine (the parent's text) and its name.
    struct Node {
        QString engine;
        QString account;
    };

    // What the due test makes of one account at one moment.
    struct DueCheck {
        bool due = false;
        bool future = false;      // the last look-up lies ahead of now: stamp it now
        qint64 minutes = 0;       // minute boundaries since the last look-up
        double nextMinutes = 0;   // from now until the account is due next
        // When the account is due next.
        QDateTime Next(const QDateTime &now) const;
    };

    // The step of the account in work.
    enum class Step { None, LookUp, BidPass };

    static constexpr qint64 kDefaultStepLimitMs = 30LL * 60 * 1000;
    static constexpr int kWatchdogIntervalMs = 60000;

    explicit SchedulerRun(QObject *parent = nullptr);
    ~SchedulerRun() override;

    // ---- the due test ----
    // Minute boundaries crossed from `from` to `to`, on UTC (negative when `to` is earlier).
    static qint64 MinuteBoundaries(const QDateTime &from, const QDateTime &to);
    // Its scheduler is on and its interval is above 0 hours.
    static bool TakesPart(const clsAccount &account);
    static DueCheck CheckDue(const clsAccount &account, const QDateTime &now);
    // "Next Auto Lookup: " and the time as "hh:nn:ss AM/PM".
    static QString NextLookupText(const QDateTime &time);

    // ---- the minute tick ----
    // Reads each node's account file once; stamps the due accounts with now
    // and collects them in node order. An account whose file can't be read
    // or stamped is logged and passed over. `panelText` (status panel 2 as
    // it stands) receives what the panel shows next. False, reading
    // nothing, while a run is in progress.
    bool Collect(const QList<Node> &nodes, QString *panelText);

    // ---- the run ----
    // The accounts the last collecting tick found due, in the order found.
    QList<std::shared_ptr<clsAccount>> m_colScheduled;
    int m_iScheduleIndex = 0;  // 1-based position of the account in work; 0 before the first
    bool m_bSchedulerRunning = false;
    std::shared_ptr<clsAccount> m_oScheduleAccount;

    // Moves to the next collected account and makes it the one in work;
    // past the last one the run is over and null comes back.
    std::shared_ptr<clsAccount> NextAccount();
    // Ends the run at once; the accounts collected keep their stamps.
    void EndRun();
    // Writes back the last look-up the account in work held before the tick
    // stamped it (the zero date for one that could not be read), so that a
    // pass-over for a busy moment costs no interval. Raises when the file
    // can't be written.
    void RestoreLastLookup();
    // The account's last look-up becomes now, in its file too. Raises when
    // the file can't be written.
    static void StampNow(clsAccount &account);

    // ---- the step in work and its watchdog ----
    Step CurrentStep() const { return m_step; }
    // Starts watching: from here a request must get an answer within the limit.
    void StepStarted(Step step);
    void StepEnded();
    // How often the current step has stayed silent for the whole limit.
    int Silences() const { return m_iSilences; }
    void setStepLimit(qint64 milliseconds) { m_iStepLimitMs = milliseconds; }
    qint64 StepLimit() const { return m_iStepLimitMs; }
    // The watchdog's tick (tests set its interval or call CheckWatchdog).
    QTimer *tmrWatchdog = nullptr;
    // Counts an answered request anywhere in the program as life; after
    // the limit without one the step is reported silent (again after each
    // further limit).
    void CheckWatchdog();

Q_SIGNALS:
    // The step in work got no answered request for the limit; `count` is 1
    // the first time, 2 after another limit, ...
    void stepSilent(int count);

private:
    static DueCheck checkDue(const clsAccount &account, qint64 nowMinute);

    QList<QDateTime> m_colPrevious;  // per collected account: its last look-up before the stamp
    Step m_step = Step::None;
    int m_iSilences = 0;
    qint64 m_iStepLimitMs = kDefaultStepLimitMs;
    quint64 m_iAnswered = 0;
    QDateTime m_dLastLife;
};
