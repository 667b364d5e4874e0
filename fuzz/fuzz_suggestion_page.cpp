// Suggestion page parser: the first eight lines of the input are the
// engine's markers (empty ones included), the rest is the page. Checks that
// the cut ends, that every row is a keyword the list and the cache can hold
// (unique without regard to case, no separator, no line break), and that the
// rows come back from their cache file as they went in.
#include "lookup/clsKeywordBuilder.h"
#include "platform/TextFile.h"

#include <QSet>
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
    SuggestMarkers m;
    QString *fields[] = {&m.SuggestStartString, &m.SuggestEndString,   &m.SuggestSectionStart,
                         &m.SuggestSectionEnd,  &m.beginCountSection,  &m.endCountSection,
                         &m.begineKeywordSection, &m.endKeywordSection};
    for (int i = 0; i < 8; ++i)
        *fields[i] = parts[i];
    const QString page = parts.mid(8).join(QLatin1Char('\n'));

    const SuggestionPage out = clsKeywordBuilder::ParsePage(m, page);
    if (m.SuggestSectionStart.isEmpty())
        check(out.Rows.isEmpty());
    else
        check(out.Rows.size() + out.Skipped.size() <= page.count(m.SuggestSectionStart));
    QSet<QString> keys;
    for (const SuggestionRow &r : out.Rows) {
        check(!r.Keyword.isEmpty());
        check(!r.Keyword.contains(QLatin1Char(';')));
        for (const QString *f : {&r.Keyword, &r.Count})
            check(!f->contains(QLatin1Char('\r')) && !f->contains(QLatin1Char('\n')) && !f->contains(QLatin1Char('\t')));
        check(r.Keyword == clsKeywordBuilder::CleanText(r.Keyword) || r.Keyword.contains(QLatin1String("&nbsp;")));
        check(!keys.contains(r.Keyword.toCaseFolded()));
        keys.insert(r.Keyword.toCaseFolded());
    }

    // Through the cache: keywords whole, counts up to a separator of their own.
    const QList<SuggestionRow> back =
        clsKeywordBuilder::ParseCache(platform::FromAnsi(clsKeywordBuilder::CacheBytes(out.Rows)));
    check(back.size() == out.Rows.size());
    for (qsizetype i = 0; i < back.size(); ++i) {
        check(back[i].Keyword == out.Rows[i].Keyword);
        check(back[i].Count == out.Rows[i].Count.section(QLatin1Char(';'), 0, 0));
    }
    return 0;
}
