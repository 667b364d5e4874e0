// Suggestion cache file reader: every row it gives has a keyword and
// neither field holds a separator or a line break; writing the rows back
// gives a file that reads as the same rows, byte for byte the same again.
#include "lookup/clsKeywordBuilder.h"
#include "platform/TextFile.h"

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
    const QList<SuggestionRow> rows = clsKeywordBuilder::ParseCache(platform::FromAnsi(bytes));
    check(rows.size() <= bytes.count(';'));
    for (const SuggestionRow &r : rows) {
        check(!r.Keyword.isEmpty());
        for (const QString *f : {&r.Keyword, &r.Count})
            check(!f->contains(QLatin1Char(';')) && !f->contains(QLatin1Char('\r')) && !f->contains(QLatin1Char('\n')));
    }
    const QByteArray written = clsKeywordBuilder::CacheBytes(rows);
    check(written.endsWith("\r\n"));
    const QList<SuggestionRow> again = clsKeywordBuilder::ParseCache(platform::FromAnsi(written));
    check(again == rows);
    check(clsKeywordBuilder::CacheBytes(again) == written);
    return 0;
}
