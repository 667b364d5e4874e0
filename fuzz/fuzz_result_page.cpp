// Result page parser: the first eight lines of the input are the engine's
// markers (empty ones included), the rest is the page. Checks that the parse
// ends, that every listing is safe to store, that the own-listing summary is
// consistent, and that the listings survive a results-file round trip.
#include "lookup/RankingResultsFile.h"
#include "lookup/ResultPageParser.h"
#include "platform/TextFile.h"

#include <QStringList>
#include <cstdint>
#include <cstdlib>

namespace {
void check(bool ok) {
    if (!ok)
        std::abort();
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    const QString input = platform::FromAnsi(QByteArrayView(reinterpret_cast<const char *>(data), qsizetype(size)));
    QStringList parts = input.split(QLatin1Char('\n'));
    while (parts.size() < 9)
        parts.append(QString());
    ResultMarkers m;
    QString *fields[] = {&m.ResultStartString, &m.ResultEndString, &m.beginTitle, &m.endTitle,
                         &m.beginURL,          &m.endURL,          &m.beginPrice, &m.endPrice};
    for (int i = 0; i < 8; ++i)
        *fields[i] = parts[i];
    const QString page = parts.mid(8).join(QLatin1Char('\n'));

    auto own = std::make_shared<URLCollection>();
    own->Add(QStringLiteral("shop"), QStringLiteral("shop"));
    const bool decode = size > 0 && (data[0] & 1);
    const QString engine = size > 1 && (data[1] & 1) ? QStringLiteral("Overture(UK)") : QStringLiteral("Google");
    const ResultPage r = ResultPageParser(m, engine, decode).Parse(page, own);

    if (!r.SectionFound)
        check(r.Listings.isEmpty() && r.Error.isEmpty());
    if (!m.beginTitle.isEmpty())
        check(r.Listings.size() <= page.count(m.beginTitle));
    else
        check(r.Listings.isEmpty());
    for (const ResultListing &l : r.Listings) {
        for (const QString *f : {&l.URL, &l.Title, &l.Price}) {
            check(!f->contains(QLatin1Char('\r')) && !f->contains(QLatin1Char('\n')));
            check(!f->contains(QLatin1String(";#")));
        }
        check(!l.Price.contains(QLatin1Char(';')));
    }
    // Own positions are rising listing numbers.
    if (!r.CurPos.isEmpty()) {
        int last = 0;
        for (const QString &p : r.CurPos.split(QLatin1Char(','))) {
            bool ok = false;
            const int n = p.toInt(&ok);
            check(ok && n > last && n <= r.Listings.size());
            last = n;
        }
    }
    // Every listing is one line of three fields.
    const QByteArray bytes = RankingResultsFile::Bytes(r.Listings);
    const QList<ResultListing> back = RankingResultsFile::Parse(bytes);
    check(back.size() == r.Listings.size());
    check(RankingResultsFile::Bytes(back) == bytes);
    return 0;
}
