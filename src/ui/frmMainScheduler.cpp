// The main window's scheduler: every minute the accounts whose interval has
// passed are stamped and collected, then worked one after another, each
// with a look-up of all its keywords followed, for a bidding engine, by one
// unattended bid pass, or else by the mailed keyword report.

#include "ui/frmMain.h"

#include "autobid/BidManager.h"
#include "autobid/frmAutoBid.h"
#include "connect/IConnectWindow.h"
#include "core/AccountWindowGuard.h"
#include "core/clsAccount.h"
#include "core/modCommon.h"
#include "lookup/clsRanking.h"
#include "platform/VB.h"
#include "ui/SchedulerRun.h"
#include "ui/TreeNode.h"

#include <QDialog>
#include <QLabel>
#include <QPointer>
#include <QTimer>
#include <QTreeWidget>
#include <algorithm>
#include <exception>

namespace {

const char kTickLog[] = "tmrScheduler_Timer: ";
const char kSchedulerLog[] = "Scheduler_Error: ";
const char kLookUpEndLog[] = "frmMain_tmrSearchComplete_timer error";
const char kModeAll[] = "AllKeywords";
const char kSilentStopped[] = "no answer for %1 minutes, the %2 of %3/%4 is stopped";
const char kSilentLeft[] = "no answer for %1 minutes, the %2 of %3/%4 is left behind";
const char kStepLookUp[] = "look-up";
const char kStepBidPass[] = "bid pass";
// Engines whose look-up is followed by a bid pass (found anywhere in the name, letter case exact).
const char *const kBidEngineWords[] = {"FindWhat", "Overture"};

QString L(const char *s) { return QString::fromLatin1(s); }

bool IsBiddingEngine(const QString &engine) {
    return std::any_of(std::begin(kBidEngineWords), std::end(kBidEngineWords),
                       [&](const char *word) { return engine.contains(QLatin1String(word), Qt::CaseSensitive); });
}

// The account nodes in the order they were added (the tree shows its levels sorted).
QList<SchedulerRun::Node> AccountNodes(const QTreeWidget *tree) {
    struct Entry {
        qint64 order;
        SchedulerRun::Node node;
    };
    QList<Entry> entries;
    const QTreeWidgetItem *root = treenode::RootNode(tree);
    for (int e = 0; root && e < root->childCount(); ++e) {
        const QTreeWidgetItem *engine = root->child(e);
        for (int a = 0; a < engine->childCount(); ++a) {
            const QTreeWidgetItem *account = engine->child(a);
            if (treenode::IsAccount(account))
                entries.append({treenode::AddedOrder(account), {engine->text(0), account->text(0)}});
        }
    }
    std::stable_sort(entries.begin(), entries.end(),
                     [](const Entry &x, const Entry &y) { return x.order < y.order; });
    QList<SchedulerRun::Node> nodes;
    nodes.reserve(entries.size());
    for (const Entry &entry : entries)
        nodes.append(entry.node);
    return nodes;
}

// Still in the tree under the same engine and name: a deleted or renamed
// account is not worked, and nothing is written for it.
bool IsInTree(const QTreeWidget *tree, const clsAccount &account) {
    const QTreeWidgetItem *engine = treenode::FindEngineNode(tree, account.Engine());
    const QTreeWidgetItem *node = engine ? treenode::FindAccountNode(engine, account.AccountName()) : nullptr;
    return node && node->text(0) == account.AccountName();
}

// A bid pass waits in a modal window (the connection or the look-up window):
// Cancel there, as the user would.
void CancelBidWork(frmAutoBid *window) {
    if (auto *connection = dynamic_cast<QDialog *>(window->Manager().ConnectWindow()); connection &&
                                                                                      connection->isVisible())
        connection->reject();
    for (QDialog *dialog : window->findChildren<QDialog *>())
        if (dialog->isVisible())
            dialog->reject();
}

// The account's bid window, or its keyword, URL or suggestion window, is open.
bool IsAccountBusy(const clsAccount &account) {
    return frmAutoBid::IsAccountOpen(account.Engine(), account.AccountName()) ||
           AccountWindowGuard::IsOpen(account.Engine(), account.AccountName());
}

bool SameAccount(const clsAccount &account, const QString &engine, const QString &name) {
    return account.Engine().compare(engine, Qt::CaseInsensitive) == 0 &&
           account.AccountName().compare(name, Qt::CaseInsensitive) == 0;
}

}  // namespace

void frmMain::setupScheduler() {
    m_oSchedulerRun = new SchedulerRun(this);
    connect(tmrScheduler, &QTimer::timeout, this, &frmMain::tmrScheduler_Timer);
    connect(m_oSchedulerRun, &SchedulerRun::stepSilent, this, &frmMain::SchedulerStepSilent);
}

void frmMain::tmrScheduler_Timer() {
    try {
        if (m_oSchedulerRun->m_bSchedulerRunning)
            return;
        QString panel = stbPanel2->text();
        if (!m_oSchedulerRun->Collect(AccountNodes(tvwAccount), &panel))
            return;
        stbPanel2->setText(panel);
        Scheduler();
    } catch (const std::exception &e) {
        WriteErrorLog(kTickLog, e);
    }
}

void frmMain::Scheduler() {
    SchedulerRun &run = *m_oSchedulerRun;
    // Each account either starts its step or is passed over; an error moves on too.
    for (;;) {
        try {
            const std::shared_ptr<clsAccount> account = run.NextAccount();
            if (!account)
                return;
            if (!IsInTree(tvwAccount, *account))
                continue;
            // Another look-up holds the account or the window, or one of the account's
            // windows is open: it gets its turn at the next tick.
            if (m_bInsearch || IsAccountBusy(*account) ||
                clsRanking::IsAccountBeingLookedUp(account->Engine(), account->AccountName())) {
                run.RestoreLastLookup();
                continue;
            }
            if (CreateRanking(account->AccountName(), account->Engine(), L(kModeAll), true)) {
                run.StepStarted(SchedulerRun::Step::LookUp);
                return;
            }
        } catch (const std::exception &e) {
            WriteErrorLog(kSchedulerLog, e);
        }
    }
}

void frmMain::ScheduledLookUpEnded(bool completed) {
    SchedulerRun &run = *m_oSchedulerRun;
    // A look-up the run has left behind ends without moving it again.
    if (run.CurrentStep() != SchedulerRun::Step::LookUp)
        return;
    const bool silenced = run.Silences() > 0;
    run.StepEnded();
    if (!completed && !silenced) {
        // Run > Stop ends the run; the accounts collected keep their stamps.
        run.EndRun();
        return;
    }
    try {
        const std::shared_ptr<clsAccount> account = run.m_oScheduleAccount;
        if (completed && account && IsInTree(tvwAccount, *account)) {
            if (IsBiddingEngine(account->Engine())) {
                if (StartScheduledBidPass(account))
                    return;
                // Not ready for bidding, or passed over for a busy moment: the next account.
            } else {
                SchedulerRun::StampNow(*account);
                if (account->SentReport())
                    MailReport(*account);
            }
        }
    } catch (const std::exception &e) {
        WriteErrorLog(kLookUpEndLog, e);
    }
    Scheduler();
}

bool frmMain::StartScheduledBidPass(const std::shared_ptr<clsAccount> &account) {
    SchedulerRun &run = *m_oSchedulerRun;
    // Another bid window holds its connection, or one of the account's windows is open.
    if (g_bAutoBidRunning || IsAccountBusy(*account)) {
        run.RestoreLastLookup();
        return false;
    }
    frmAutoBid *window = AutoBid(account);
    if (!window)
        return false;
    run.StepStarted(SchedulerRun::Step::BidPass);
    const QPointer<frmAutoBid> sender(window);
    connect(window, &frmAutoBid::Completed, this, [this, sender] { m_frmAutoBid_Completed(sender); });
    return true;
}

void frmMain::m_frmAutoBid_Completed(frmAutoBid *window) {
    SchedulerRun &run = *m_oSchedulerRun;
    const bool current = window && window == m_frmAutoBid && run.CurrentStep() == SchedulerRun::Step::BidPass;
    const std::shared_ptr<clsAccount> account = window ? window->Account() : nullptr;
    if (window) {
        // Raised from inside the window's own timer tick: it goes once that tick is over.
        window->close();
        window->deleteLater();
        if (window == m_frmAutoBid)
            m_frmAutoBid = nullptr;
    }
    try {
        // The account of the window that ended, even when the run has left it behind.
        if (account && IsInTree(tvwAccount, *account))
            SchedulerRun::StampNow(*account);
    } catch (const std::exception &e) {
        WriteErrorLog(kSchedulerLog, e);
    }
    if (!current)
        return;
    run.StepEnded();
    Scheduler();
}

void frmMain::SchedulerStepSilent(int count) {
    SchedulerRun &run = *m_oSchedulerRun;
    const SchedulerRun::Step step = run.CurrentStep();
    if (step == SchedulerRun::Step::None)
        return;
    const std::shared_ptr<clsAccount> account = run.m_oScheduleAccount;
    const QString minutes = QString::number(run.StepLimit() * count / 60000);
    const QString what = L(step == SchedulerRun::Step::LookUp ? kStepLookUp : kStepBidPass);
    const QString engine = account ? account->Engine() : QString();
    const QString name = account ? account->AccountName() : QString();
    if (count == 1) {
        WriteErrorLog(L(kSchedulerLog) + L(kSilentStopped).arg(minutes, what, engine, name));
        // Stopped as Run > Stop or Cancel would; its end moves the run on.
        if (step == SchedulerRun::Step::LookUp)
            Disconnect();
        else if (m_frmAutoBid)
            CancelBidWork(m_frmAutoBid);
        return;
    }
    // Even the stop got nowhere: the run goes on without this step.
    WriteErrorLog(L(kSchedulerLog) + L(kSilentLeft).arg(minutes, what, engine, name));
    if (step == SchedulerRun::Step::LookUp)
        m_bScheduledLookUp = false;
    else
        m_frmAutoBid = nullptr;  // its Completed, should it come, only stamps its account
    run.StepEnded();
    Scheduler();
}

bool frmMain::IsAccountInScheduledWork(const QString &engine, const QString &account) const {
    const SchedulerRun &run = *m_oSchedulerRun;
    return run.m_bSchedulerRunning && run.CurrentStep() != SchedulerRun::Step::None && run.m_oScheduleAccount &&
           SameAccount(*run.m_oScheduleAccount, engine, account);
}
