#include "fakes/FakeConnectWindow.h"

#include "autobid/BidManager.h"
#include "core/clsKeyword.h"
#include "core/modCommon.h"

namespace fake {

FakeConnectWindow::~FakeConnectWindow() {
    if (destroyed)
        *destroyed = true;
}

void FakeConnectWindow::Prepare(const QString &sEngine, bool bLoadEngineFile) {
    m_engine = sEngine;
    m_loadEngineFile = bLoadEngineFile;
    m_prepared = true;
    m_cancelled = false;
}

QString FakeConnectWindow::bidOf(const QString &keyword) const {
    for (const SiteRow &row : site)
        if (row.keyword == keyword)
            return row.curBid;
    return QString();
}

void FakeConnectWindow::ShowModal(QWidget *owner) {
    if (!m_prepared)
        return;
    m_prepared = false;
    Run run;
    run.action = m_action;
    run.engine = m_engine;
    run.loadEngineFile = m_loadEngineFile;
    run.owner = owner;
    run.connectionFlagSet = g_bAutoBidRunning;
    if (during)
        during();
    const size_t index = runs.size();
    m_cancelled = index < cancelRuns.size() && cancelRuns[index];
    if (!m_cancelled && m_keywords) {
        if (m_action == QLatin1String("GetBids")) {
            for (const SiteRow &row : site) {
                clsKeywordPtr k;
                if (m_keywords->Exists(row.keyword)) {
                    k = m_keywords->Item(row.keyword);
                } else {
                    k = std::make_shared<clsKeyword>();
                    k->setKeyword(row.keyword);
                    m_keywords->Add(k, row.keyword);
                }
                k->setCurBid(row.curBid);
                k->setCurPos(row.curPos);
                k->setFirstBid(row.firstBid);
                k->setNextBid(row.nextBid);
                k->setNewBid(row.curBid);
                if (!row.bids.isEmpty()) {
                    k->setSecondBid(row.bids.value(0));
                    k->setThirdBid(row.bids.value(1));
                    k->setFourthBid(row.bids.value(2));
                    k->setFifthBid(row.bids.value(3));
                }
            }
        } else if (m_action == QLatin1String("Update")) {
            for (const clsKeywordPtr &k : *m_keywords) {
                run.newBids.insert(k->Keyword(), k->NewBid());
                for (SiteRow &row : site)
                    if (row.keyword == k->Keyword() && IsNumericAmount(k->NewBid()))
                        row.curBid = QStringLiteral("$") + vb::Format00(StrToCurrency(k->NewBid()));
            }
        }
    }
    runs.push_back(run);
}

}  // namespace fake
