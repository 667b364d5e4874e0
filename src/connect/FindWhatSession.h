#pragma once
// One account's exchange with the FindWhat advertiser site, without a
// screen: log in, follow the Account Manager link, read every keyword page
// of every web site of the account (in the largest keywords-per-page view),
// and post new bids page by page, each acknowledged by the site, then read
// the pages again. Runs under the shared run control; every request goes
// through the run's own HTTP control in synchronous mode.

#include <QString>
#include <memory>
#include <vector>

#include "connect/ConnectRunControl.h"
#include "connect/FindWhatPageReader.h"

class FindWhatSession : public ConnectRunControl {
    Q_OBJECT
public:
    // The site's answer to an accepted page of bids (letter case ignored).
    static const char *const kAcknowledgement;

    explicit FindWhatSession(QObject *parent = nullptr);
    ~FindWhatSession() override;

    static ConnectTexts FindWhatTexts();

    const FindWhatMarkers &Markers() const { return m_markers; }
    // The keyword rows of the last read keyed by keyword (a keyword's first
    // row), the pages in reading order and the first page's first input.
    FieldCollectionPtr Fields() const { return m_colFields; }
    const std::vector<KeywordPagePtr> &Pages() const { return m_pages; }
    clsFieldPtr FirstField() const { return m_oFirstField; }

protected:
    void LoadEngineData(const QString &sEngine) override;
    bool EngineDataLoaded() const override { return Scraper() != nullptr; }
    bool GetBids() override;
    UpdateResult UpdateBids() override;

private:
    // A GET sent once more when it fails (with the status shown first, when given).
    bool GetTwice(QString &sResult, const QString &sURL, const QString &retryStatus = QString());
    bool GetWebSiteKeywordBid(QString sPage);
    bool GetPageKeywordBids(const QString &sPage);
    bool SentBidsToServer();
    bool GetBidsAfterUpdate();

    FindWhatMarkers m_markers;
    std::unique_ptr<FindWhatPageReader> m_reader;

    FieldCollectionPtr m_colFields = std::make_shared<FieldCollection>();
    std::vector<KeywordPagePtr> m_pages;
    clsFieldPtr m_oFirstField;
    bool m_bFirstPage = true;
};
