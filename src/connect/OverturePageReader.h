#pragma once
// Reading the Overture advertiser pages, without a network: the markers of
// the engine data file, the merged-account form, the link to the bid pages,
// the keywords-per-page form, the page-select form and the bid pages with
// their keyword rows. Every cut uses the scraper's primitives; marker
// searches compare letter case exactly, searches for "selected" ignore it.

#include "connect/FormMarkers.h"

#include <QString>
#include <memory>
#include <vector>

#include "connect/clsField.h"
#include "core/clsKeyword.h"

class clsConnect;

// The engine's markers and settings, one per key of its section of the
// engine data file ("" when missing).
struct OvertureMarkers : FormMarkers {
    QString ImgMapSectionStart, ImgMapSectionEnd, AltStart, AltEnd, MngBids, MngBidsURLStart;
    QString MbFormStart, MbFormEnd;
    QString RowStart, RowEnd, ColumStart, ColumEnd;
    QString DisplayMaxStart, DisplayMaxFormStart, DisplayMaxFormEnd, DisplayMaxInputName, DisplayMaxNum;
    QString SelectPageStart, SelectPageformstart, SelectPageformEnd, SelectTagstart, SelectTagend;
    QString OptionTagStart, OptionTagEnd, SelectTagFieldName;
    QString AccountIDFieldName;
    // Read only when a merged login needs them.
    QString AccountFormStart, AccountStart, AccountFormEnd;

    // Every key but the three merged-account ones.
    void Read(const QString &engineDataFile, const QString &engine);
    void ReadAccountForm(const QString &engineDataFile, const QString &engine);
};

// One bid page as read: its form's action and other inputs, and its keyword
// rows in page order (the rows are shared with the keyed field collection,
// so a new bid written there goes out with this page).
struct BidPage {
    QString actionURL;
    FieldCollectionPtr hidden = std::make_shared<FieldCollection>();
    std::vector<clsFieldPtr> rows;
};
using BidPagePtr = std::shared_ptr<BidPage>;

class OverturePageReader {
public:
    static const char *const kEngineUK;  // "Overture(UK)": amounts carry the pound sign

    OverturePageReader(clsConnect &scraper, const OvertureMarkers &markers);

    void setEngine(const QString &engine) {
        m_sEngine = engine;
        m_bPound = engine == QLatin1String(kEngineUK);
    }
    const QString &Engine() const { return m_sEngine; }

    // ---- after login ----
    // The merged-account form from AccountStart on ("" when missing).
    QString GetMergeAccountForm(const QString &page) const;
    // The Account IDs of the merged-account list joined by ";"; selected
    // gets the ID of the option marked selected.
    QString GetAllMergeAccountID(const QString &page, QString &selected) const;
    // When the form has a list: a field (AccountIDFieldName, accountID),
    // then every input of the whole form; null without a list.
    FieldCollectionPtr GetMergeAccountFieldCol(const QString &page, QString &actionURL,
                                               const QString &accountID) const;
    // The link of the image-map area whose alt text is MngBids ("" when none).
    QString GetManageBidsURL(const QString &page) const;

    // ---- bid pages ----
    // The keywords-per-page form's inputs; null when a marker or its action is missing.
    FieldCollectionPtr GetDisplayMaxFormFields(const QString &page, QString &actionURL) const;
    // The page-select form: a field (the list's name, "1") then its inputs;
    // pageCount counts the options, selected is the text of the selected one.
    FieldCollectionPtr GetComboFormField(const QString &page, QString &actionURL, int &pageCount,
                                         QString &selected) const;
    // One bid page: false (logged under logLabel) when it has no bid form.
    // Each keyword row is merged into `keywords`, keyed in `keywordFields`
    // and listed in the page; a keyword met before keeps its first row's
    // values, and its later row goes back with the page as the page gave it.
    bool ReadBidPage(const QString &page, BidPage &bidPage, FieldCollection &keywordFields,
                     KeywordCollection &keywords, const QString &logLabel) const;

    // One cent under the position-1 amount in exact cents ("$#0.00", the
    // pound sign instead for the UK site); when the amount is not one, the
    // current bid at position 1, else the amount text as it stands.
    static QString FirstBid(const QString &amount, const QString &curBid, const QString &position, bool pound);

private:
    void ReadRow(QStringView row, BidPage &bidPage, FieldCollection &keywordFields,
                 KeywordCollection &keywords) const;
    void GetKeywordAndFieldFromRow(QStringView rest, BidPage &bidPage, FieldCollection &keywordFields,
                                   KeywordCollection &keywords) const;
    // The inputs of a text in order; the scan ends at the first missing
    // section, and at the first unnamed input unless keepUnnamed.
    FieldCollectionPtr inputsOf(QStringView text, bool keepUnnamed) const;

    clsConnect &m_scraper;
    const OvertureMarkers &m_markers;
    QString m_sEngine;
    bool m_bPound = false;
};
