// The last look-up's Keywords.dat merged into the bid window's keywords:
// whatever the file holds, no keyword is added or dropped, the settings and
// the current position are never touched, and every value taken is a field
// of a line of that keyword.
//
// Input: one byte choosing the merge (all values or after a fetch, and the
// engine), then the file's bytes (Windows-1252).

#include "FuzzSupport.h"

#include "autobid/BidManager.h"
#include "core/clsAccount.h"
#include "core/clsKeywords.h"

#include <QSet>

namespace {

const char *const kKeywords[] = {"shoes", "Red Shoes", "boots", "a;b"};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    fuzz::Init();
    fuzz::Reset();
    if (size < 1)
        return 0;
    const bool all = data[0] & 1;
    const QString engine = (data[0] & 2) ? QStringLiteral("FindWhat") : QStringLiteral("Overture");
    const QString text =
        platform::FromAnsi(QByteArrayView(reinterpret_cast<const char *>(data + 1), qsizetype(size - 1)));

    auto account = std::make_shared<clsAccount>();
    account->setEngine(engine);
    account->setAccountName(QStringLiteral("fuzz"));
    clsKeywords list;
    list.setEngine(engine);
    list.setAccountName(QStringLiteral("fuzz"));
    fuzz::WriteRaw(list.KeywordsFile(), fuzz::Bytes(data + 1, size - 1));

    BidManager manager;
    manager.setAccount(account);
    KeywordCollection &keywords = *manager.State().m_colKeywords;
    for (const char *k : kKeywords) {
        auto keyword = std::make_shared<clsKeyword>();
        keyword->setKeyword(QString::fromLatin1(k));
        keyword->setCurPos(QStringLiteral("pos"));
        keyword->setMaxBid(QStringLiteral("max"));
        keyword->setBidTo(QStringLiteral("to"));
        keywords.Add(keyword, keyword->Keyword());
    }
    manager.FillKeywordsValueFromLookup(all);

    // Every field of every line, by keyword (letter case aside).
    QHash<QString, QSet<QString>> fieldsOf;
    for (const QString &line : text.split(QStringLiteral("\r\n"))) {
        const QStringList fields = line.split(QLatin1Char(';'));
        fieldsOf[fields.value(0).toCaseFolded()].unite(QSet<QString>(fields.begin(), fields.end()));
    }

    FUZZ_CHECK(keywords.Count() == int(std::size(kKeywords)));
    for (int i = 1; i <= keywords.Count(); ++i) {
        const clsKeyword &k = *keywords.Item(i);
        FUZZ_CHECK(k.Keyword() == QString::fromLatin1(kKeywords[i - 1]) && k.CurPos() == QLatin1String("pos") &&
                   k.MaxBid() == QLatin1String("max") && k.BidTo() == QLatin1String("to"));
        const QSet<QString> &allowed = fieldsOf[k.Keyword().toCaseFolded()];
        for (const QString &value : {k.CurBid(), k.NextBid(), k.FirstBid(), k.SecondBid(), k.ThirdBid(),
                                     k.FourthBid(), k.FifthBid()})
            FUZZ_CHECK(value.isEmpty() || allowed.contains(value));
    }
    return 0;
}
