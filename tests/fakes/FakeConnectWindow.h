#pragma once
// A connection window without a site: a fetch merges scripted site rows
// into the caller's collection the way the engine windows do (a known
// keyword keeps its settings and takes the fresh values, a new one is
// added); an update records the bids handed over. Every run is recorded,
// with whether the process-wide "connection open" flag was set during it.

#include "connect/IConnectWindow.h"

#include <QMap>
#include <QString>
#include <functional>
#include <vector>

namespace fake {

class FakeConnectWindow : public IConnectWindow {
public:
    struct SiteRow {
        QString keyword;
        QString curBid;
        QString curPos;
        QString firstBid;
        QString nextBid;
        QStringList bids;  // 2nd..5th (an engine that reads them)
    };
    struct Run {
        QString action;
        QString engine;
        bool loadEngineFile = false;
        QWidget *owner = nullptr;
        bool connectionFlagSet = false;
        QMap<QString, QString> newBids;  // keyword -> NewBid handed over by an update
    };

    std::vector<SiteRow> site;
    // The next runs end cancelled (one entry per run; missing = success).
    std::vector<bool> cancelRuns;
    // Runs inside the modal show, before the run's work.
    std::function<void()> during;
    std::vector<Run> runs;
    // Set when the window is destroyed (the owner let go of it).
    bool *destroyed = nullptr;

    ~FakeConnectWindow() override;

    KeywordCollectionPtr KeywordsCollection() const override { return m_keywords; }
    void setKeywordsCollection(KeywordCollectionPtr colKeywords) override { m_keywords = std::move(colKeywords); }
    std::shared_ptr<clsAccount> Account() const override { return m_account; }
    void setAccount(std::shared_ptr<clsAccount> oAccount) override { m_account = std::move(oAccount); }
    QString Action() const override { return m_action; }
    void setAction(const QString &sAction) override { m_action = sAction; }
    bool Cancelled() const override { return m_cancelled; }
    void Prepare(const QString &sEngine, bool bLoadEngineFile) override;
    void ShowModal(QWidget *owner) override;

    // The bid a site row holds after the updates so far ("" for an unknown keyword).
    QString bidOf(const QString &keyword) const;

private:
    KeywordCollectionPtr m_keywords;
    std::shared_ptr<clsAccount> m_account;
    QString m_action;
    QString m_engine;
    bool m_loadEngineFile = false;
    bool m_prepared = false;
    bool m_cancelled = false;
};

}  // namespace fake
