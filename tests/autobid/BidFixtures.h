#pragma once
// Keyword records and bid windows without a screen for the bid tests.

#include "autobid/BidManager.h"
#include "core/clsAccount.h"
#include "core/clsKeyword.h"
#include "fakes/FakeConnectWindow.h"
#include "support/TestEnv.h"

#include <QDateTime>
#include <QStringList>
#include <initializer_list>
#include <memory>

namespace bidfix {

// A keyword as the grid shows it after a fetch.
struct KeywordRecord {
    QString keyword = QStringLiteral("shoes");
    QString curBid;
    QString nextBid;
    QString curPos;
    QStringList bids;  // 1st..5th, missing ones empty
    QString minBid;
    QString maxBid;
    QString bidTo;
    QString range;
    QString autoBid = QStringLiteral("True");
    QString startTime;
    QString endTime;
    QString firstUpdate;
    QString updateNumber = QStringLiteral("0");
    QString newBid;
};

inline clsKeywordPtr makeKeyword(const KeywordRecord &s) {
    auto k = std::make_shared<clsKeyword>();
    k->setKeyword(s.keyword);
    k->setCurBid(s.curBid);
    k->setNextBid(s.nextBid);
    k->setCurPos(s.curPos);
    const QStringList b = s.bids;
    k->setFirstBid(b.value(0));
    k->setSecondBid(b.value(1));
    k->setThirdBid(b.value(2));
    k->setFourthBid(b.value(3));
    k->setFifthBid(b.value(4));
    k->setMinBid(s.minBid);
    k->setMaxBid(s.maxBid);
    k->setBidTo(s.bidTo);
    k->setRange(s.range);
    k->setAutoBid(s.autoBid);
    k->setStartTime(s.startTime);
    k->setEndTime(s.endTime);
    k->setFirstUpdateTime(s.firstUpdate);
    k->setUpdateNumber(s.updateNumber);
    k->setNewBid(s.newBid);
    return k;
}

inline std::shared_ptr<clsAccount> makeAccount(const QString &engine = QStringLiteral("Overture"),
                                               const QString &name = QStringLiteral("main"), float minBid = 0.10f,
                                               float maxBid = 1.00f) {
    auto a = std::make_shared<clsAccount>();
    a->setEngine(engine);
    a->setAccountName(name);
    a->setUserName(QStringLiteral("joe"));
    a->setPassword(QStringLiteral("secret"));
    a->setMinBid(minBid);
    a->setMaxBid(maxBid);
    return a;
}

// A bid window without its screen, its keywords in the grid, bids loaded.
struct Bench {
    explicit Bench(const QString &engine = QStringLiteral("Overture")) {
        manager.setAccount(makeAccount(engine));
        manager.State().m_sLimitEngines = QStringLiteral("Overture");
        manager.State().m_bBidsLoaded = true;
    }
    void add(const KeywordRecord &s) { manager.State().m_colKeywords->Add(makeKeyword(s), s.keyword); }
    void show() { manager.PopulateKeywords(); }
    clsKeyword &keyword(const QString &k = QStringLiteral("shoes")) { return *manager.State().m_colKeywords->Item(k); }
    QString cell(int row, int col) const { return const_cast<BidManager &>(manager).Grid().TextMatrix(row, col); }
    BidManager manager;
};

// The windows a bid window drives, replaced for one test: a scripted
// connection window and a look-up that completes (or not) at once.
struct ScopedWindows {
    ScopedWindows() {
        BidManager::ConnectWindowHook() = [this](const QString &engine) -> std::unique_ptr<IConnectWindow> {
            engines.append(engine);
            auto w = std::make_unique<fake::FakeConnectWindow>();
            w->site = site;
            connect = w.get();
            return w;
        };
        BidManager::LookUpHook() = [this](QWidget *, const QString &account, std::shared_ptr<const clsEngine>,
                                          const QString &engine) {
            lookUps.append(engine + QLatin1Char('/') + account);
            if (onLookUp)
                onLookUp();
            return lookUpCompletes;
        };
    }
    ~ScopedWindows() {
        BidManager::ConnectWindowHook() = nullptr;
        BidManager::LookUpHook() = nullptr;
        BidManager::SettingsDialogHook() = nullptr;
        BidManager::ReportHook() = nullptr;
        BidManager::ReportMailHook() = nullptr;
    }
    ScopedWindows(const ScopedWindows &) = delete;
    ScopedWindows &operator=(const ScopedWindows &) = delete;

    std::vector<fake::FakeConnectWindow::SiteRow> site;  // given to each new connection window
    fake::FakeConnectWindow *connect = nullptr;          // the last one made
    QStringList engines;
    QStringList lookUps;
    bool lookUpCompletes = true;
    std::function<void()> onLookUp;
};

// A fixed clock on a day without a summer-time change.
inline QDateTime at(const QString &hhmm, int dayOffset = 0) {
    return QDateTime(QDate(2024, 6, 12).addDays(dayOffset), QTime::fromString(hhmm, QStringLiteral("HH:mm")));
}

}  // namespace bidfix
