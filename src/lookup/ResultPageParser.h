#pragma once
// Cuts an engine's public result page into listings with the marker texts
// of the engine data file, formats their prices and finds the account's own
// listings among them. No files, no screen.

#include "core/clsURL.h"

#include <QList>
#include <QString>

// One listing of a result page, as its results file stores it.
struct ResultListing {
    QString URL;
    QString Title;
    QString Price;
    bool operator==(const ResultListing &o) const { return URL == o.URL && Title == o.Title && Price == o.Price; }
};

// The engine's markers; every search compares letter case exactly.
struct ResultMarkers {
    QString ResultStartString;
    QString ResultEndString;
    QString beginTitle;
    QString endTitle;
    QString beginURL;
    QString endURL;
    QString beginPrice;
    QString endPrice;
};

// What one result page gives for its keyword.
struct ResultPage {
    // The page holds the results section (start marker, then end marker).
    bool SectionFound = false;
    // Set when a listing broke off (a price start without its end): the
    // listings before it stand, the own-listing summary does not.
    QString Error;
    // In page order; position n is Listings[n - 1].
    QList<ResultListing> Listings;
    // The own listings' prices and positions, comma-joined (a later own
    // listing without a price is left out of both), and the price of the
    // first other listing after the first own one.
    QString CurBid;
    QString CurPos;
    QString NextBid;
    bool HasSummary() const { return SectionFound && Error.isEmpty(); }
};

class ResultPageParser {
public:
    // decodeURLs: the engine's listing URLs are percent-encoded.
    ResultPageParser(const ResultMarkers &markers, const QString &engineName, bool decodeURLs);

    // A listing is own when one of ownURLs occurs in its URL (null: none is own).
    ResultPage Parse(const QString &page, const URLCollectionPtr &ownURLs) const;

    // "$" and at least one integer digit, a point and two decimals; a text
    // that is not an amount stays as it is. With poundSign every "$" becomes
    // the pound sign.
    static QString FormatPrice(const QString &price, bool poundSign);
    // Engines whose prices are written with the pound sign.
    static bool UsesPoundSign(const QString &engineName);
    // Percent-decoding of a listing URL by the fixed table; codes outside
    // the table (lower-case ones, "%20", a lone "%") are removed.
    static QString DecodedHTMLString(const QString &text);
    // A field as it may stand in a results file line: no line breaks and no
    // ";#" of its own, so every reader still sees three fields.
    static QString FileField(const QString &text);

private:
    ResultListing cleanListing(const QString &url, const QString &title, const QString &price) const;

    ResultMarkers m_markers;
    QString m_sEngineName;
    bool m_bDecodeURLs = false;
    bool m_bPound = false;
    bool m_bNumberedTitles = false;
};
