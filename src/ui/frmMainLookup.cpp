// The main window's look-up control: starting, stopping and finishing a
// ranking look-up, the saved results of the selected keyword, and the
// colouring of the keyword and ranking lists.

#include "ui/frmMain.h"

#include "core/AccountWindowGuard.h"
#include "core/clsEngine.h"
#include "core/clsKeywords.h"
#include "core/clsURL.h"
#include "core/modCommon.h"
#include "lookup/IRankingCaller.h"
#include "lookup/RankingResultsFile.h"
#include "lookup/RankingRules.h"
#include "lookup/clsRanking.h"
#include "platform/VB.h"
#include "ui/TreeNode.h"

#include <QColor>
#include <QLabel>
#include <QProgressBar>
#include <QTimer>
#include <QTreeWidget>
#include <exception>

namespace {

const char kModeSelected[] = "SelectedKeyword";
const char kModeAll[] = "AllKeywords";
const char kConnecting[] = "Connecting ....";
const char kSearchStatus[] = "Please wait while retrieving search results from the internet ...";
const char kCompleted[] = "Look up completed";
const char kStopped[] = "stop";
const char kNoSelectedKeyword[] = "no keyword is selected";

const char kCreateRankingLog[] = "CreateRanking_Error: ";
const char kCreateRankingLogEnd[] = "\r\nLog: ";
const char kSetRankingObjectLog[] = "SetRankingObject_Error: ";
const char kConnectLog[] = "connect_Error: ";
const char kConnectStateLog[] = "connect_Error: m_oRanking is not setted or m_bInsearch is true";
const char kDisconnectLog[] = "frmMain_Disconnect error :  ";
const char kLookUpCompleteLog[] = "frmMain_LookUpComplete: ";
const char kHighLightKeywordLog[] = "frmMain_HightLightKeyword: ";
const char kHighLightResultLog[] = "frmMain_HightLightResult: ";
const char kHighLightMatchURLLog[] = "frmMain_HightLightMatchURL: ";
const char kSearchCompleteLog[] = "frmMain_tmrSearchComplete_timer error";
const char kDisconnectTimerLog[] = "frmMain_tmrDisconnect_Timer:  ";

const char kRowKeyPrefix[] = "Key";
constexpr int kPollMs = 1000;
// Columns of the keyword list and of the ranking list.
constexpr int kColKeyword = 1;
constexpr int kColCurBid = 3;
constexpr int kColNextBid = 4;
constexpr int kColTitle = 1;
constexpr int kColURL = 2;
constexpr int kColBid = 3;

const QColor kOwnColour(255, 0, 0);      // own listings, keyword bids with a gap
const QColor kResultGapColour(0, 0, 255);  // result bids with a gap

QString L(const char *s) { return QString::fromLatin1(s); }

// The main window as the calling window of its look-ups.
class MainWindowCaller : public QObject, public IRankingCaller {
public:
    explicit MainWindowCaller(frmMain *form) : QObject(form), m_form(form) {}
    void SetStatus() override { m_form->SetStatus(); }

private:
    frmMain *m_form;
};

}  // namespace

void frmMain::setupLookUpControl() {
    m_oRankingCaller = new MainWindowCaller(this);
    tmrSearchComplete = new QTimer(this);
    tmrSearchComplete->setObjectName(QStringLiteral("tmrSearchComplete"));
    tmrSearchComplete->setInterval(kPollMs);
    tmrDisconnect = new QTimer(this);
    tmrDisconnect->setObjectName(QStringLiteral("tmrDisconnect"));
    tmrDisconnect->setInterval(kPollMs);
    connect(tmrSearchComplete, &QTimer::timeout, this, &frmMain::tmrSearchComplete_Timer);
    connect(tmrDisconnect, &QTimer::timeout, this, &frmMain::tmrDisconnect_Timer);
}

bool frmMain::CreateRanking(const QString &sAccount, const QString &sEngine, const QString &sMode, bool bScheduled) {
    try {
        if (m_bInsearch)
            return false;
        // Its end would save over what an open keyword, URL or suggestion window changes.
        if (AccountWindowGuard::IsOpen(sEngine, sAccount))
            return false;
        pbrSearch->setMinimum(0);
        if (m_oRanking) {
            m_oRanking->CloseHTTPForm();
            m_oRanking.reset();
        }
        const int index = m_oEngine ? m_oEngine->GetEngineIndex(sEngine) : 0;
        int keywords = 0;
        if (sMode == L(kModeSelected)) {
            int row = lvwKeywords->currentRow();
            if (row < 0 || !lvwKeywords->isRowSelected(row)) {
                const std::vector<int> selected = lvwKeywords->selectedRowNumbers();
                row = selected.empty() ? -1 : selected.front();
            }
            if (row < 0)
                vb::Raise(vb::errInvalidCall, L(kNoSelectedKeyword));
            m_oRanking = SetRankingObject(sAccount, index, lvwKeywords->text(row, kColKeyword), keywords);
            pbrSearch->setMaximum(2);
        } else if (sMode == L(kModeAll)) {
            m_oRanking = SetRankingObject(sAccount, index, QString(), keywords);
            pbrSearch->setMaximum(keywords + 1);
        }
        if (!m_oRanking)
            return false;
        m_bScheduledLookUp = bScheduled;
        connectRanking();
        return true;
    } catch (const std::exception &e) {
        WriteErrorLog(L(kCreateRankingLog) + vb::Describe(e) + L(kCreateRankingLogEnd));
    }
    return false;
}

std::unique_ptr<clsRanking> frmMain::SetRankingObject(const QString &sAccount, int iEngineIndex,
                                                      const QString &sKeyword, int &iNumofKeyword) {
    try {
        auto ranking = std::make_unique<clsRanking>();
        ranking->setAccountName(sAccount);
        ranking->setEngineObject(m_oEngine);
        ranking->setCallForm(m_oRankingCaller);
        if (ranking->SetVariable(iEngineIndex, sKeyword, &iNumofKeyword))
            return ranking;
        ranking->CloseHTTPForm();
    } catch (const std::exception &e) {
        WriteErrorLog(kSetRankingObjectLog, e);
    }
    return nullptr;
}

void frmMain::connectRanking() {
    try {
        if (!m_oRanking || m_bInsearch) {
            WriteErrorLog(L(kConnectStateLog));
            return;
        }
        tmrSearchComplete->start();
        m_bInsearch = true;
        m_sLookupAccount.clear();
        // The status shows once control is back in the event loop; no events are pumped here.
        stbPanel1->setText(L(kConnecting));
        m_sLookupAccount = m_oRanking->AccountName();
        m_oRanking->Connect();
        setMenuToolBarstatus();
    } catch (const std::exception &e) {
        WriteErrorLog(kConnectLog, e);
    }
}

void frmMain::Disconnect() {
    try {
        if (m_bDisconnecting)
            return;
        m_bDisconnecting = true;
        tmrSearchComplete->stop();
        tmrDisconnect->start();
        if (m_oRanking)
            m_oRanking->Disconnect();
        setMenuToolBarstatus();
    } catch (const std::exception &e) {
        WriteErrorLog(kDisconnectLog, e);
    }
}

void frmMain::tmrSearchComplete_Timer() {
    try {
        if (m_oRanking && !m_oRanking->Complete())
            return;
        tmrSearchComplete->stop();
        LookUpComplete();
    } catch (const std::exception &e) {
        WriteErrorLog(kSearchCompleteLog, e);
    }
}

void frmMain::LookUpComplete() {
    const bool scheduled = m_bScheduledLookUp;
    m_bScheduledLookUp = false;
    try {
        m_bInsearch = false;
        m_sLookupAccount.clear();
        UpdateUI(true, true, true);
        stbPanel1->setText(stbPanel1->text() == L(kSearchStatus) ? L(kCompleted) : QString());
        pbrSearch->setValue(pbrSearch->minimum());
        pbrSearch->hide();
    } catch (const std::exception &e) {
        WriteErrorLog(kLookUpCompleteLog, e);
    }
    // Only the scheduler's own look-up continues its run, also after an error above.
    if (scheduled)
        ScheduledLookUpEnded(true);
}

void frmMain::tmrDisconnect_Timer() {
    try {
        // A look-up that completed before the stop reached it has nothing left to stop.
        if (m_oRanking && !m_oRanking->Disconnected() && !m_oRanking->Complete())
            return;
        tmrDisconnect->stop();
        m_bInsearch = false;
        m_sLookupAccount.clear();
        m_bDisconnecting = false;
        const bool scheduled = m_bScheduledLookUp;
        m_bScheduledLookUp = false;
        try {
            UpdateUI(true, true, true);
        } catch (const std::exception &e) {
            WriteErrorLog(kDisconnectTimerLog, e);
        }
        // Only a stop of the scheduler's own look-up reaches its run, also after an error above.
        if (scheduled)
            ScheduledLookUpEnded(false);
        stbPanel1->setText(stbPanel1->text() == L(kSearchStatus) ? L(kStopped) : QString());
        pbrSearch->setValue(pbrSearch->minimum());
        pbrSearch->hide();
    } catch (const std::exception &e) {
        WriteErrorLog(kDisconnectTimerLog, e);
    }
}

void frmMain::ShowKeywordResults(int row) {
    if (row < 0 || row >= lvwKeywords->rowCount())
        return;
    m_sCurrentKeyword = lvwKeywords->text(row, kColKeyword);
    lvwRanking->clear();
    if (m_sEngineName.isEmpty())
        return;
    const QList<ResultListing> rows = RankingResultsFile::Read(clsKeywords::ResultsFile(m_sEngineName, m_sCurrentKeyword));
    int n = 0;
    for (const ResultListing &row : rows) {
        ++n;
        auto *listItem = new QTreeWidgetItem;
        listItem->setData(0, listview::KeyRole, L(kRowKeyPrefix) + QString::number(n));
        listItem->setText(0, QString::number(n));
        listItem->setText(kColTitle, row.Title);
        listItem->setText(kColURL, row.URL);
        listItem->setText(kColBid, row.Price);
        lvwRanking->addTopLevelItem(listItem);
    }
}

void frmMain::HightLightKeyword() {
    bool logged = false;
    KeywordListModel *rows = lvwKeywords->rows();
    for (int i = 0; i < rows->count(); ++i) {
        const QString cur = rows->text(i, kColCurBid);
        const QString next = rows->text(i, kColNextBid);
        if (cur.isEmpty() || next.isEmpty())
            continue;
        try {
            if (RankingRules::HasBidGap(RankingRules::FirstOwnBid(cur), next))
                rows->setForeground(i, kColCurBid, kOwnColour);
        } catch (const std::exception &e) {
            // One unreadable row leaves the others marked; the log gets one record per pass.
            if (!logged)
                WriteErrorLog(kHighLightKeywordLog, e);
            logged = true;
        }
    }
}

void frmMain::HightLightResult() {
    lvwRanking->sortItems(kColBid, Qt::DescendingOrder);
    bool logged = false;
    for (int i = 0; i + 1 < lvwRanking->topLevelItemCount(); ++i) {
        QTreeWidgetItem *high = lvwRanking->topLevelItem(i);
        const QString highPrice = high->text(kColBid);
        const QString lowPrice = lvwRanking->topLevelItem(i + 1)->text(kColBid);
        try {
            if (RankingRules::HasBidGap(highPrice, lowPrice))
                high->setForeground(kColBid, kResultGapColour);
        } catch (const std::exception &e) {
            if (!logged)
                WriteErrorLog(L(kHighLightResultLog) + vb::Describe(e) + QStringLiteral("\r\nHighPrice: ") + highPrice +
                              QStringLiteral(", LowPrice: ") + lowPrice);
            logged = true;
        }
    }
}

void frmMain::HightLightMatchURL() {
    try {
        QTreeWidgetItem *node = tvwAccount->currentItem();
        QTreeWidgetItem *root = tvwAccount->topLevelItemCount() > 0 ? tvwAccount->topLevelItem(0) : nullptr;
        if (!node || !node->parent() || (root && node->text(0) == root->text(0)))
            return;
        const URLCollectionPtr urls = clsURL::GetURLCollection(node->parent()->text(0), node->text(0));
        if (!urls)
            return;
        const int columns = lvwRanking->columnCount();
        for (const QString &url : *urls) {
            const QString own = vb::Trim(url);
            for (int i = 0; i < lvwRanking->topLevelItemCount(); ++i) {
                QTreeWidgetItem *row = lvwRanking->topLevelItem(i);
                if (!vb::Trim(row->text(kColURL)).contains(own, Qt::CaseSensitive))
                    continue;
                for (int c = 0; c < columns; ++c)
                    row->setForeground(c, kOwnColour);
            }
        }
    } catch (const std::exception &e) {
        WriteErrorLog(kHighLightMatchURLLog, e);
    }
}
