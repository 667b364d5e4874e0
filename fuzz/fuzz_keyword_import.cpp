// Keyword import files: decoding, splitting by the chosen separator and the
// way into Keywords.dat.
// Properties: every keyword is trimmed, non-empty and holds no line break
// (nor a tab with a separator other than lines); no two are equal letter
// case aside; what the keyword list takes or refuses adds up to the split;
// the saved Keywords.dat reads back as the same keywords in the same order.

#include "FuzzSupport.h"

#include "core/KeywordRefusals.h"
#include "core/KeywordText.h"
#include "core/clsKeywords.h"
#include "platform/KeyedCollection.h"
#include "platform/VB.h"

#include <QSet>

namespace {
// The first input byte picks the separator.
const char *const kSeparators[] = {"One keyword per line", "", ",", ";", "|", " and ", "\xE2\x82\xAC"};
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    fuzz::Init();
    fuzz::Reset();
    if (size == 0)
        return 0;
    const QString separator = QString::fromUtf8(kSeparators[data[0] % std::size(kSeparators)]);
    const bool byLine = separator.isEmpty() || separator == QLatin1String(KeywordText::kOnePerLine);
    const QByteArray bytes = fuzz::Bytes(data + 1, size - 1);

    const QString text = KeywordText::DecodeImport(bytes);
    if (!bytes.startsWith("\xEF\xBB\xBF"))
        FUZZ_CHECK(text.size() <= bytes.size());
    const QStringList keywords = KeywordText::SplitImport(text, separator);
    // Letter case compared as the keyword list compares its keys.
    QSet<vb::CaselessKey> seen;
    for (const QString &k : keywords) {
        FUZZ_CHECK(!k.isEmpty());
        FUZZ_CHECK(k == vb::Trim(k));
        FUZZ_CHECK(!k.contains(QLatin1Char('\r')) && !k.contains(QLatin1Char('\n')));
        FUZZ_CHECK(byLine || !k.contains(QLatin1Char('\t')));
        FUZZ_CHECK(byLine || !k.contains(separator));
        const qsizetype before = seen.size();
        seen.insert(vb::CaselessKey(k));
        FUZZ_CHECK(seen.size() == before + 1);
    }

    clsKeywords list;
    list.setEngine(QStringLiteral("Fuzz"));
    list.setAccountName(QStringLiteral("import"));
    KeywordRefusals refused;
    refused.AddTo(list, keywords);
    FUZZ_CHECK(list.Keywords()->Count() + refused.Total() == keywords.size());
    list.SaveKeywords();

    clsKeywords again;
    again.setEngine(list.Engine());
    again.setAccountName(list.AccountName());
    again.loadKeywords();
    FUZZ_CHECK(again.Keywords()->Count() == list.Keywords()->Count());
    for (int i = 1; i <= list.Keywords()->Count(); ++i)
        FUZZ_CHECK(again.GetKeyword(i) == list.GetKeyword(i));
    return 0;
}
