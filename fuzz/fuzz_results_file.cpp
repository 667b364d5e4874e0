// Ranking results file reader: every row it shows has three fields without
// line breaks or separators of their own, and writing the rows back gives a
// file that reads as the same rows.
#include "FuzzInput.h"
#include "lookup/RankingResultsFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    const QByteArray bytes = fuzz::Bytes(data, size);
    const QList<ResultListing> rows = RankingResultsFile::Parse(bytes);
    FUZZ_CHECK(rows.size() <= bytes.count('\n') + bytes.count('\r') + 1);
    for (const ResultListing &l : rows)
        for (const QString *f : {&l.URL, &l.Title, &l.Price})
            FUZZ_CHECK(!f->contains(QLatin1Char('\r')) && !f->contains(QLatin1Char('\n')) &&
                       !f->contains(QLatin1String(";#")));
    const QByteArray written = RankingResultsFile::Bytes(rows);
    const QList<ResultListing> again = RankingResultsFile::Parse(written);
    FUZZ_CHECK(again.size() == rows.size());
    FUZZ_CHECK(RankingResultsFile::Bytes(again) == written);
    return 0;
}
