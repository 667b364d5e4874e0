#pragma once
// Reading the FindWhat advertiser pages, without a network: the markers of
// the engine data file, the link to the Account Manager, the table of the
// account's web sites, the keywords-per-page link, the page links of a web
// site, and the keyword pages with their keyword rows, additional keyword
// rows and hidden fields. Every cut uses the scraper's primitives; marker
// searches compare letter case exactly, the searches the site's own texts
// need ("<a", "selected", the row markers of the loops) ignore it.
//
// Each page keeps the fields it goes back with, so a page is always posted
// with its own rows, whatever the other pages held.

#include "connect/FormMarkers.h"

#include <QString>
#include <QStringList>
#include <QStringView>
#include <memory>
#include <vector>

#include "connect/clsField.h"
#include "connect/clsPage.h"
#include "core/clsKeyword.h"

class clsConnect;

// The engine's markers and settings, one per key of its section of the
// engine data file ("" when missing).
struct FindWhatMarkers : FormMarkers {
    QString TabTableStart, TableEnd;
    QString ColumStart, ColumEnd;
    QString WebSiteProfileTableStart, WebSiteProfileTableEnd;
    QString RowStart, RowEnd;
    QString KeywordPerPageStart, KeywordPerPageEnd;
    int DisplayMaxNum = 0;  // the keywords-per-page choice to select
    QString PageTableStart;
    QString KeywordFormStart, KeywordFormEnd;
    QString KeywordBidTableStart, KeywordBidTableEnd;
    QString KeywordBidRowEnd;
    QString OptionTagStart, OptionTagEnd;
    QString AdditionKeywordStart, AdditionKeywordEnd;
    QString LastFieldsStart;

    // Every key in order. A "DisplayMaxNum" that is missing or not a
    // number raises a type mismatch: the run can't choose its page size.
    void Read(const QString &engineDataFile, const QString &engine);
};

// One keyword page as read: its record and the fields it goes back with.
// The keyword rows are shared with the keyed field list, so a new bid
// written there goes out with this page.
struct KeywordPage {
    clsPagePtr record = std::make_shared<clsPage>();
    clsFieldPtr firstField;               // the form's first input; null when it had none
    std::vector<clsFieldPtr> rows;        // keyword rows, in page order
    std::vector<clsFieldPtr> additional;  // rows of the additional keyword table that hold an input
};
using KeywordPagePtr = std::shared_ptr<KeywordPage>;

class FindWhatPageReader {
public:
    FindWhatPageReader(clsConnect &scraper, const FindWhatMarkers &markers);

    // The engine name the keywords are merged with.
    void setEngine(const QString &engine) { m_sEngine = engine; }

    // The link of the Account Manager tab (the second cell of the tab
    // table), as found; "" when the page has no tab table.
    QString GetManageBidsURL(const QString &page) const;
    // The links of the web-site table's rows (the heading row skipped; a
    // row without a link in its third cell left out), completed against
    // currentURL. False when the page has no such table or a row of it
    // can't be cut: the account's web sites are unknown.
    bool GetEveryWebSiteURLs(const QString &page, const QString &currentURL, QStringList &urls) const;
    // The link of the keywords-per-page choice "[DisplayMaxNum]", as found;
    // "" when there is none.
    QString GetMaxKeywordPerPage(const QString &page) const;
    // The URLs of every page of a web site, in page order, completed against
    // currentURL, the URL of the page in hand: numbered links in sequence,
    // the page in hand where its own number is missing or after the last
    // link. False when a link of the page-link table can't be cut.
    bool GetEveryPageURLs(const QString &page, const QString &currentURL, QStringList &urls) const;
    // One keyword page read from currentURL: its record, its fields and its
    // keywords, merged into `keywords` and keyed in `keywordFields`. A
    // keyword met before keeps its first row's values; its later row goes
    // back with this page as the page gave it. On the first page read the
    // form's first input is required. False (logged) when a part is missing.
    bool GetPageKeywordBids(const QString &page, const QString &currentURL, bool firstPage, KeywordPage &out,
                            FieldCollection &keywordFields, KeywordCollection &keywords) const;

    // The post body of a page: its keyword rows, its additional rows, its
    // first field (or firstField when it had none) and its term count.
    static QString PostString(const KeywordPage &page, const clsFieldPtr &firstField);

private:
    void RetrieveKeywordAndField(QStringView row, KeywordPage &page, FieldCollection &keywordFields,
                                 KeywordCollection &keywords) const;
    // The next input of a text as a field (pair 1), consuming the text;
    // null when there is none.
    clsFieldPtr nextInput(QStringView &text) const;
    bool nextInput(QStringView &text, QString &name, QString &value) const;

    clsConnect &m_scraper;
    const FindWhatMarkers &m_markers;
    QString m_sEngine;
};
