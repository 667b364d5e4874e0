// URL lists (URLs.dat).
// Properties: entries are trimmed, non-empty, without line breaks and unique
// ignoring case; each is its own listing match; the list saved as the URL
// dialog saves it reads back as the same entries in the same order.

#include "FuzzSupport.h"

#include "core/clsURL.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    fuzz::Init();
    fuzz::Reset();
    const QString engine = QStringLiteral("Overture"), account = QStringLiteral("Shop");
    fuzz::WriteRaw(clsURL::URLFile(engine, account), fuzz::Bytes(data, size));

    const URLCollectionPtr col = clsURL::GetURLCollection(engine, account);
    if (!col) {
        FUZZ_CHECK(size == 0);
        return 0;
    }
    QStringList entries;
    QSet<QString> seen;
    for (const QString &url : *col) {
        FUZZ_CHECK(!url.isEmpty() && vb::Trim(url) == url);
        FUZZ_CHECK(!url.contains(QLatin1Char('\r')) && !url.contains(QLatin1Char('\n')));
        FUZZ_CHECK(!seen.contains(url.toCaseFolded()));
        seen.insert(url.toCaseFolded());
        FUZZ_CHECK(clsURL::ValidURL(QStringLiteral("http://") + url + QStringLiteral("/page"), col));
        entries << url;
    }
    clsURL::SaveURL(engine, account, entries.join(QStringLiteral("\r\n")));
    const URLCollectionPtr again = clsURL::GetURLCollection(engine, account);
    FUZZ_CHECK(again);
    QStringList back;
    for (const QString &url : *again)
        back << url;
    FUZZ_CHECK(back == entries);
    return 0;
}
