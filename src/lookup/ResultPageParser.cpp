#include "lookup/ResultPageParser.h"

#include "core/modCommon.h"
#include "platform/VB.h"

#include <QStringView>

namespace {

const char kNoPrice[] = "$0.00";
const char kNoPriceAfterPound[] = "0.00";
const char kFieldSeparator[] = ";#";
const char kSeparatorInField[] = "; #";
const char kPoundEngine[] = "Overture(UK)";
const char kPoundEngineUpper[] = "ESPOTTING";
// Its titles start with a listing number ("1. ").
const char kNumberedTitleEngine[] = "Espotting";
constexpr int kNumberSearchLength = 10;
constexpr int kTitleAfterNumber = 3;

struct Code {
    const char *code;
    char character;
};
// Tested in this order.
const Code kCodes[] = {
    {"%7E", '~'}, {"%2E", '.'}, {"%2D", '-'}, {"%21", '!'}, {"%23", '#'}, {"%24", '$'}, {"%25", '%'}, {"%5E", '^'},
    {"%26", '&'}, {"%28", '('}, {"%29", ')'}, {"%2B", '+'}, {"%60", '`'}, {"%3D", '='}, {"%7B", '{'}, {"%7D", '}'},
    {"%7C", '|'}, {"%5B", '['}, {"%5D", ']'}, {"%5C", '\\'}, {"%5F", '_'}, {"%3A", ':'}, {"%27", '\''}, {"%3B", ';'},
    {"%3C", '<'}, {"%3E", '>'}, {"%3F", '?'}, {"%2C", ','}, {"%2F", '/'},
};

// An empty marker is never found: it would match everywhere and consume nothing.
qsizetype find(QStringView text, const QString &marker, qsizetype from) {
    if (marker.isEmpty())
        return -1;
    return text.indexOf(marker, from, Qt::CaseSensitive);
}

// The same, for a marker that must end before `limit`.
qsizetype findBefore(QStringView text, const QString &marker, qsizetype from, qsizetype limit) {
    const qsizetype at = find(text, marker, from);
    return at >= 0 && at + marker.size() <= limit ? at : -1;
}

// A character the line-break remover turns into a blank.
bool hasLineBreak(const QString &text) {
    for (const QChar c : text)
        if (c == QLatin1Char('\r') || c == QLatin1Char('\n') || c == QLatin1Char('\t'))
            return true;
    return false;
}

}  // namespace

ResultPageParser::ResultPageParser(const ResultMarkers &markers, const QString &engineName, bool decodeURLs)
    : m_markers(markers),
      m_sEngineName(engineName),
      m_bDecodeURLs(decodeURLs),
      m_bPound(UsesPoundSign(engineName)),
      m_bNumberedTitles(engineName == QLatin1String(kNumberedTitleEngine)) {}

bool ResultPageParser::UsesPoundSign(const QString &engineName) {
    return engineName == QLatin1String(kPoundEngine) || vb::UCase(engineName) == QLatin1String(kPoundEngineUpper);
}

QString ResultPageParser::FormatPrice(const QString &price, bool poundSign) {
    QString text = vb::Trim(price);
    if (IsNumericAmount(text)) {
        vb::Currency amount = StrToCurrency(text);
        const bool negative = amount.scaled < 0;
        if (negative)
            amount.scaled = -amount.scaled;
        text = (negative ? QStringLiteral("-$") : QStringLiteral("$")) + vb::Format00(amount);
    }
    if (poundSign)
        text.replace(QLatin1Char('$'), PoundSign());
    return text;
}

QString ResultPageParser::DecodedHTMLString(const QString &text) {
    QString s = text;
    // Every pass removes at least one "%" and shortens the text.
    for (qsizetype at = s.indexOf(QLatin1Char('%')); at >= 0; at = s.indexOf(QLatin1Char('%'))) {
        const QString code = s.mid(at, 3);
        QString with;
        for (const Code &c : kCodes) {
            if (code == QLatin1String(c.code)) {
                with = QChar::fromLatin1(c.character);
                break;
            }
        }
        s.replace(code, with, Qt::CaseSensitive);
    }
    return s;
}

QString ResultPageParser::FileField(const QString &text) {
    if (!hasLineBreak(text) && !text.contains(QLatin1String(kFieldSeparator)))
        return text;
    QString field = RemoveLineBreaks(text);
    field.replace(QLatin1String(kFieldSeparator), QLatin1String(kSeparatorInField));
    return field;
}

ResultListing ResultPageParser::cleanListing(const QString &url, const QString &title, const QString &price) const {
    ResultListing l;
    l.Title = vb::Trim(hasLineBreak(title) ? RemoveLineBreaks(title) : title);
    if (m_bNumberedTitles) {
        const int dot = vb::InStr(vb::Left(l.Title, kNumberSearchLength), QStringLiteral("."));
        if (dot > 0)
            l.Title = vb::Mid(l.Title, dot + kTitleAfterNumber);
    }
    l.Title = FileField(l.Title);
    l.URL = vb::Trim(url);
    if (m_bDecodeURLs)
        l.URL = DecodedHTMLString(l.URL);
    l.URL = FileField(l.URL);
    // Prices also go into the keyword file, whose fields are split at ";".
    l.Price = FileField(FormatPrice(price, m_bPound)).replace(QLatin1Char(';'), QLatin1Char(' '));
    return l;
}

ResultPage ResultPageParser::Parse(const QString &page, const URLCollectionPtr &ownURLs) const {
    ResultPage out;
    const ResultMarkers &m = m_markers;
    const qsizetype start = find(page, m.ResultStartString, 0);
    if (start < 0)
        return out;
    const qsizetype end = find(page, m.ResultEndString, start + m.ResultStartString.size());
    if (end < 0 || end <= start)
        return out;
    out.SectionFound = true;
    // The start marker stays at the head of the section, the end marker goes.
    const QStringView section = QStringView(page).mid(start, end - start);

    const QString noPrice = QLatin1String(kNoPrice);
    const QString noPricePound = PoundSign() + QLatin1String(kNoPriceAfterPound);
    QString bids, positions, nextBid;
    bool ownSeen = false;
    QString url;  // a listing without its own URL keeps the one before it
    qsizetype pos = 0;  // the text not yet consumed starts here
    int n = 1;
    while (pos < section.size()) {
        const qsizetype consumedBefore = pos;
        const qsizetype title = find(section, m.beginTitle, pos);
        if (title < 0)
            break;
        pos = title + m.beginTitle.size();
        const qsizetype titleEnd = find(section, m.endTitle, pos);
        if (titleEnd < 0)
            break;
        const QString rawTitle = section.mid(pos, titleEnd - pos).toString();
        pos = titleEnd;
        // A listing's URL and price are its own: a listing without them must
        // not take the next listing's and swallow that listing.
        qsizetype listingEnd = find(section, m.beginTitle, pos + m.endTitle.size());
        if (listingEnd < 0)
            listingEnd = section.size();

        const qsizetype urlStart = findBefore(section, m.beginURL, pos, listingEnd);
        if (urlStart >= 0) {
            pos = urlStart + m.beginURL.size();
            const qsizetype urlEnd = findBefore(section, m.endURL, pos, listingEnd);
            if (urlEnd >= 0) {
                url = section.mid(pos, urlEnd - pos).toString();
                pos = urlEnd;
            }
        }

        QString price = noPrice;
        const qsizetype priceStart = findBefore(section, m.beginPrice, pos, listingEnd);
        if (priceStart >= 0) {
            pos = priceStart + m.beginPrice.size();
            const qsizetype priceEnd = findBefore(section, m.endPrice, pos, listingEnd);
            if (priceEnd < 0) {
                out.Error = vb::ErrorText(vb::errInvalidCall);
                return out;
            }
            price = section.mid(pos, priceEnd - pos).toString();
            pos = priceEnd;
        }

        const ResultListing listing = cleanListing(url, rawTitle, price);
        out.Listings.append(listing);

        if (clsURL::ValidURL(listing.URL, ownURLs)) {
            ownSeen = true;
            if (bids.isEmpty()) {
                bids = listing.Price;
                positions = QString::number(n);
            } else if (listing.Price != noPrice && listing.Price != noPricePound) {
                // A later own listing without a price is left out of both lists, so they stay parallel.
                bids += QLatin1Char(',') + listing.Price;
                positions += QLatin1Char(',') + QString::number(n);
            }
        } else if (nextBid.isEmpty() && ownSeen) {
            nextBid = listing.Price;
        }
        ++n;
        if (pos <= consumedBefore)
            break;
    }
    out.CurBid = TrimComma(bids);
    out.CurPos = TrimComma(positions);
    out.NextBid = nextBid;
    return out;
}
