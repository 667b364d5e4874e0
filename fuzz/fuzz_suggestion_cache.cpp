// Suggestion cache file reader: every row it gives has a keyword and
// neither field holds a separator or a line break; writing the rows back
// gives a file that reads as the same rows, byte for byte the same again.
#include "FuzzInput.h"
#include "lookup/clsKeywordBuilder.h"
#include "platform/TextFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    const QByteArray bytes = fuzz::Bytes(data, size);
    const QList<SuggestionRow> rows = clsKeywordBuilder::ParseCache(platform::FromAnsi(bytes));
    FUZZ_CHECK(rows.size() <= bytes.count(';'));
    for (const SuggestionRow &r : rows) {
        FUZZ_CHECK(!r.Keyword.isEmpty());
        for (const QString *f : {&r.Keyword, &r.Count})
            FUZZ_CHECK(!f->contains(QLatin1Char(';')) && !f->contains(QLatin1Char('\r')) &&
                       !f->contains(QLatin1Char('\n')));
    }
    const QByteArray written = clsKeywordBuilder::CacheBytes(rows);
    FUZZ_CHECK(written.endsWith("\r\n"));
    const QList<SuggestionRow> again = clsKeywordBuilder::ParseCache(platform::FromAnsi(written));
    FUZZ_CHECK(again == rows);
    FUZZ_CHECK(clsKeywordBuilder::CacheBytes(again) == written);
    return 0;
}
