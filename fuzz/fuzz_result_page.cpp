// Result page parser: the first eight lines of the input are the engine's
// markers (empty ones included), the rest is the page. Checks that the parse
// ends, that every listing is safe to store, that the own-listing summary is
// consistent, and that the listings survive a results-file round trip.
#include "FuzzInput.h"
#include "lookup/RankingResultsFile.h"
#include "lookup/ResultPageParser.h"
#include "platform/TextFile.h"

#include <QStringList>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    ResultMarkers m;
    QString *const markers[] = {&m.ResultStartString, &m.ResultEndString, &m.beginTitle, &m.endTitle,
                                &m.beginURL,          &m.endURL,          &m.beginPrice, &m.endPrice};
    const QString page = fuzz::MarkersAndPage(data, size, markers);

    auto own = std::make_shared<URLCollection>();
    own->Add(QStringLiteral("shop"), QStringLiteral("shop"));
    const bool decode = size > 0 && (data[0] & 1);
    const QString engine = size > 1 && (data[1] & 1) ? QStringLiteral("Overture(UK)") : QStringLiteral("Google");
    const ResultPage r = ResultPageParser(m, engine, decode).Parse(page, own);

    if (!r.SectionFound)
        FUZZ_CHECK(r.Listings.isEmpty() && r.Error.isEmpty());
    if (!m.beginTitle.isEmpty())
        FUZZ_CHECK(r.Listings.size() <= page.count(m.beginTitle));
    else
        FUZZ_CHECK(r.Listings.isEmpty());
    for (const ResultListing &l : r.Listings) {
        for (const QString *f : {&l.URL, &l.Title, &l.Price}) {
            FUZZ_CHECK(!f->contains(QLatin1Char('\r')) && !f->contains(QLatin1Char('\n')));
            FUZZ_CHECK(!f->contains(QLatin1String(";#")));
        }
        FUZZ_CHECK(!l.Price.contains(QLatin1Char(';')));
    }
    // Own positions are rising listing numbers.
    if (!r.CurPos.isEmpty()) {
        int last = 0;
        for (const QString &p : r.CurPos.split(QLatin1Char(','))) {
            bool ok = false;
            const int n = p.toInt(&ok);
            FUZZ_CHECK(ok && n > last && n <= r.Listings.size());
            last = n;
        }
    }
    // Every listing is one line of three fields.
    const QByteArray bytes = RankingResultsFile::Bytes(r.Listings);
    const QList<ResultListing> back = RankingResultsFile::Parse(bytes);
    FUZZ_CHECK(back.size() == r.Listings.size());
    FUZZ_CHECK(RankingResultsFile::Bytes(back) == bytes);
    return 0;
}
