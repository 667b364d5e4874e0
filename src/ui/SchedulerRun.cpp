#include "ui/SchedulerRun.h"

#include "core/clsAccount.h"
#include "core/modCommon.h"
#include "platform/HttpControl.h"
#include "platform/Seams.h"
#include "platform/VB.h"

#include <QLocale>
#include <QTimer>
#include <cmath>
#include <exception>

namespace {

const char kTickLog[] = "tmrScheduler_Timer: ";
const char kNextLookup[] = "Next Auto Lookup: ";
const char kTimeFormat[] = "hh:mm:ss AP";
constexpr qint64 kSecondsPerMinute = 60;
// Beyond this a next time means nothing to a user (and would leave the calendar).
constexpr double kMaxNextSeconds = 100.0 * 366 * 24 * 3600;

qint64 floorMinutes(qint64 seconds) {
    return seconds >= 0 ? seconds / kSecondsPerMinute : -((-seconds + kSecondsPerMinute - 1) / kSecondsPerMinute);
}

QDateTime addMinutes(const QDateTime &from, double minutes) {
    double seconds = minutes * kSecondsPerMinute;
    if (!(seconds < kMaxNextSeconds))
        seconds = kMaxNextSeconds;
    return from.addSecs(qint64(std::llround(seconds)));
}

QString accountText(const clsAccount &account) {
    return QStringLiteral(" (") + account.Engine() + QLatin1Char('/') + account.AccountName() + QLatin1Char(')');
}

}  // namespace

SchedulerRun::SchedulerRun(QObject *parent) : QObject(parent) {
    tmrWatchdog = new QTimer(this);
    tmrWatchdog->setObjectName(QStringLiteral("tmrWatchdog"));
    tmrWatchdog->setInterval(kWatchdogIntervalMs);
    connect(tmrWatchdog, &QTimer::timeout, this, &SchedulerRun::CheckWatchdog);
}

SchedulerRun::~SchedulerRun() = default;

qint64 SchedulerRun::MinuteBoundaries(const QDateTime &from, const QDateTime &to) {
    return floorMinutes(to.toSecsSinceEpoch()) - floorMinutes(from.toSecsSinceEpoch());
}

bool SchedulerRun::TakesPart(const clsAccount &account) {
    return account.SchedulerEnable() && account.Hours() > 0;
}

SchedulerRun::DueCheck SchedulerRun::CheckDue(const clsAccount &account, const QDateTime &now) {
    return checkDue(account, floorMinutes(now.toSecsSinceEpoch()));
}

SchedulerRun::DueCheck SchedulerRun::checkDue(const clsAccount &account, qint64 nowMinute) {
    DueCheck check;
    // The interval in minutes as the stored single gives it (0.1 hours is 6 minutes).
    const float interval = account.Hours() * 60.0f;
    if (!account.LastLookupStored() || !account.LastLookup().isValid()) {
        check.due = true;
    } else {
        check.minutes = nowMinute - floorMinutes(account.LastLookup().toSecsSinceEpoch());
        if (check.minutes < 0) {
            check.future = true;
            check.minutes = 0;
        } else {
            check.due = double(interval) <= double(check.minutes);
        }
    }
    check.nextMinutes = check.due ? double(interval) : double(interval) - double(check.minutes);
    return check;
}

QDateTime SchedulerRun::DueCheck::Next(const QDateTime &now) const { return addMinutes(now, nextMinutes); }

QString SchedulerRun::NextLookupText(const QDateTime &time) {
    return QLatin1String(kNextLookup) + QLocale::c().toString(time, QLatin1String(kTimeFormat));
}

bool SchedulerRun::Collect(const QList<Node> &nodes, QString *panelText) {
    if (m_bSchedulerRunning)
        return false;
    m_colScheduled.clear();
    m_colPrevious.clear();
    m_iScheduleIndex = 0;
    const QDateTime now = seam::Now();
    const qint64 nowMinute = floorMinutes(now.toSecsSinceEpoch());
    for (const Node &node : nodes) {
        auto account = std::make_shared<clsAccount>();
        account->setEngine(node.engine);
        account->setAccountName(node.account);
        try {
            // The due test needs three values; only a due account is read whole.
            account->GetSchedulerSettings();
            if (!TakesPart(*account))
                continue;
            const DueCheck check = checkDue(*account, nowMinute);
            if (check.due) {
                const QDateTime previous = account->LastLookupStored() ? account->LastLookup() : QDateTime();
                account->GetSettings();
                StampNow(*account);
                m_colScheduled.append(account);
                m_colPrevious.append(previous);
                *panelText = NextLookupText(check.Next(now));
                continue;
            }
            if (check.future)
                StampNow(*account);
            if (panelText->isEmpty())
                *panelText = NextLookupText(check.Next(now));
        } catch (const std::exception &e) {
            // One bad account file must not keep the others from their turn.
            WriteErrorLog(QLatin1String(kTickLog) + vb::Describe(e) + accountText(*account));
        }
    }
    return true;
}

std::shared_ptr<clsAccount> SchedulerRun::NextAccount() {
    StepEnded();
    ++m_iScheduleIndex;
    if (m_iScheduleIndex >= 1 && m_iScheduleIndex <= m_colScheduled.size()) {
        m_bSchedulerRunning = true;
        m_oScheduleAccount = m_colScheduled.at(m_iScheduleIndex - 1);
        return m_oScheduleAccount;
    }
    m_iScheduleIndex = int(m_colScheduled.size()) + 1;
    EndRun();
    return nullptr;
}

void SchedulerRun::EndRun() {
    StepEnded();
    m_bSchedulerRunning = false;
    m_oScheduleAccount.reset();
}

void SchedulerRun::RestoreLastLookup() {
    if (!m_oScheduleAccount || m_iScheduleIndex < 1 || m_iScheduleIndex > m_colPrevious.size())
        return;
    const QDateTime previous = m_colPrevious.at(m_iScheduleIndex - 1);
    m_oScheduleAccount->setLastLookup(previous.isValid() ? previous : clsAccount::ZeroDate());
    m_oScheduleAccount->SaveLastLookupTime();
}

void SchedulerRun::StampNow(clsAccount &account) {
    account.setLastLookup(seam::Now());
    account.SaveLastLookupTime();
}

void SchedulerRun::StepStarted(Step step) {
    m_step = step;
    m_iSilences = 0;
    m_iAnswered = platform::HttpControl::AnsweredRequests();
    m_dLastLife = seam::Now();
    tmrWatchdog->start();
}

void SchedulerRun::StepEnded() {
    m_step = Step::None;
    m_iSilences = 0;
    tmrWatchdog->stop();
}

void SchedulerRun::CheckWatchdog() {
    if (m_step == Step::None) {
        tmrWatchdog->stop();
        return;
    }
    const QDateTime now = seam::Now();
    const quint64 answered = platform::HttpControl::AnsweredRequests();
    const qint64 quiet = m_dLastLife.msecsTo(now);
    // An answer is life; so is a clock set back, which would otherwise hold the limit off.
    if (answered != m_iAnswered || quiet < 0) {
        m_iAnswered = answered;
        m_dLastLife = now;
        return;
    }
    if (quiet < m_iStepLimitMs)
        return;
    m_dLastLife = now;
    ++m_iSilences;
    Q_EMIT stepSilent(m_iSilences);
}
