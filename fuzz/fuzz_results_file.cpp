// Ranking results file reader: every row it shows has three fields without
// line breaks or separators of their own, and writing the rows back gives a
// file that reads as the same rows.
#include "lookup/RankingResultsFile.h"

#include <cstdint>
#include <cstdlib>

namespace {
void check(bool ok) {
    if (!ok)
        std::abort();
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    const QList<ResultListing> rows = RankingResultsFile::Parse(bytes);
    check(rows.size() <= bytes.count('\n') + bytes.count('\r') + 1);
    for (const ResultListing &l : rows)
        for (const QString *f : {&l.URL, &l.Title, &l.Price})
            check(!f->contains(QLatin1Char('\r')) && !f->contains(QLatin1Char('\n')) &&
                  !f->contains(QLatin1String(";#")));
    const QByteArray written = RankingResultsFile::Bytes(rows);
    const QList<ResultListing> again = RankingResultsFile::Parse(written);
    check(again.size() == rows.size());
    check(RankingResultsFile::Bytes(again) == written);
    return 0;
}
