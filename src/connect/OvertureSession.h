#pragma once
// One account's exchange with the Overture (or Overture(UK)) advertiser
// site, without a screen: log in (selecting the account of a merged login),
// follow the link to the bid pages, set the keywords per page, read every
// page of bids, and post new bids page by page. Runs under the shared run
// control; every request goes through the session's own HTTP control in
// synchronous mode.

#include <QString>
#include <memory>
#include <vector>

#include "connect/ConnectRunControl.h"
#include "connect/OverturePageReader.h"

class clsConnect;

class OvertureSession : public ConnectRunControl {
    Q_OBJECT
public:
    // The site's page size that needs no keywords-per-page post.
    static constexpr int kSiteDefaultPerPage = 40;
    // Appended to every bid post as it stands.
    static const char *const kUpdateSuffix;

    explicit OvertureSession(QObject *parent = nullptr);
    ~OvertureSession() override;

    static ConnectTexts OvertureTexts();

    // The login address read at the last Prepare that loaded the engine data.
    QString LoginURL() const { return m_markers.LoginURL; }
    const OvertureMarkers &Markers() const { return m_markers; }
    // The rows of the last read, keyed by keyword, and the page records.
    FieldCollectionPtr KeywordFields() const { return m_colKeywordFields; }
    FieldCollectionPtr HiddenFields() const { return m_colHiddenFields; }
    const std::vector<BidPagePtr> &Pages() const { return m_pages; }

protected:
    void LoadEngineData(const QString &sEngine) override;
    bool EngineDataLoaded() const override { return Scraper() != nullptr; }
    bool GetBids() override;
    UpdateResult UpdateBids() override;

private:
    bool ValidAccountID(const QString &sAccountList);
    bool GetAllPageKeywordBids(const QString &sPage);
    bool GetFirstPageKeywordBids(const QString &sPage);
    bool GetPageKeywordBids(const QString &sPage);
    bool SentBidsToServer();
    // The hidden fields, then the rows.
    static FieldCollection MergeFieldCollections(const std::vector<clsFieldPtr> &rows, const FieldCollection &hidden);
    QString bidPostString(const BidPage &page) const;
    QString pageSwitch(const FieldCollection &fields, int page) const;

    OvertureMarkers m_markers;
    std::unique_ptr<OverturePageReader> m_reader;
    QString m_sEngineDataFile;

    FieldCollectionPtr m_colKeywordFields = std::make_shared<FieldCollection>();
    FieldCollectionPtr m_colHiddenFields = std::make_shared<FieldCollection>();
    QString m_sBidFormActionURL;
    std::vector<BidPagePtr> m_pages;
    FieldCollectionPtr m_colMergeFields;
    QString m_sMergeActionURL;
};
