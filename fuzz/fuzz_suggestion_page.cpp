// Suggestion page parser: the first eight lines of the input are the
// engine's markers (empty ones included), the rest is the page. Checks that
// the cut ends, that every row is a keyword the list and the cache can hold
// (unique without regard to case, no separator, no line break), and that the
// rows come back from their cache file as they went in.
#include "FuzzInput.h"
#include "lookup/clsKeywordBuilder.h"
#include "platform/TextFile.h"

#include <QSet>
#include <QStringList>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    SuggestMarkers m;
    QString *const markers[] = {&m.SuggestStartString,   &m.SuggestEndString,  &m.SuggestSectionStart,
                                &m.SuggestSectionEnd,    &m.beginCountSection, &m.endCountSection,
                                &m.begineKeywordSection, &m.endKeywordSection};
    const QString page = fuzz::MarkersAndPage(data, size, markers);

    const SuggestionPage out = clsKeywordBuilder::ParsePage(m, page);
    if (m.SuggestSectionStart.isEmpty())
        FUZZ_CHECK(out.Rows.isEmpty());
    else
        FUZZ_CHECK(out.Rows.size() + out.Skipped.size() <= page.count(m.SuggestSectionStart));
    QSet<QString> keys;
    for (const SuggestionRow &r : out.Rows) {
        FUZZ_CHECK(!r.Keyword.isEmpty());
        FUZZ_CHECK(!r.Keyword.contains(QLatin1Char(';')));
        for (const QString *f : {&r.Keyword, &r.Count})
            FUZZ_CHECK(!f->contains(QLatin1Char('\r')) && !f->contains(QLatin1Char('\n')) &&
                       !f->contains(QLatin1Char('\t')));
        FUZZ_CHECK(r.Keyword == clsKeywordBuilder::CleanText(r.Keyword) || r.Keyword.contains(QLatin1String("&nbsp;")));
        FUZZ_CHECK(!keys.contains(r.Keyword.toCaseFolded()));
        keys.insert(r.Keyword.toCaseFolded());
    }

    // Through the cache: keywords whole, counts up to a separator of their own.
    const QList<SuggestionRow> back =
        clsKeywordBuilder::ParseCache(platform::FromAnsi(clsKeywordBuilder::CacheBytes(out.Rows)));
    FUZZ_CHECK(back.size() == out.Rows.size());
    for (qsizetype i = 0; i < back.size(); ++i) {
        FUZZ_CHECK(back[i].Keyword == out.Rows[i].Keyword);
        FUZZ_CHECK(back[i].Count == out.Rows[i].Count.section(QLatin1Char(';'), 0, 0));
    }
    return 0;
}
