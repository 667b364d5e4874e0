// Keywords.dat: load, save, load again.
// Properties: every loaded keyword can be stored (no ";", no line break, not
// over 1000 characters, unique ignoring case); a save then a load gives the
// same records, field by field; a second save writes the same bytes; a file
// that lost anything is kept beside it with its exact bytes.

#include "FuzzSupport.h"

#include "core/clsKeywords.h"

#include <QFileInfo>

namespace {

QStringList records(const clsKeywords &list) {
    QStringList out;
    for (const clsKeywordPtr &k : *list.Keywords())
        out << QStringList{k->Keyword(),  k->Count(),     k->CurBid(),   k->NextBid(), k->FirstBid(), k->SecondBid(),
                           k->ThirdBid(), k->FourthBid(), k->FifthBid(), k->CurPos(),  k->Status()}
                   .join(QLatin1Char('\x1F'));
    return out;
}

clsKeywords listOf() {
    clsKeywords k;
    k.setEngine(QStringLiteral("Overture"));
    k.setAccountName(QStringLiteral("Shop"));
    return k;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    fuzz::Init();
    fuzz::Reset();
    const QByteArray bytes = fuzz::Bytes(data, size);
    clsKeywords list = listOf();
    const QString file = list.KeywordsFile();
    QFile::remove(file + QStringLiteral(".bad"));
    fuzz::WriteRaw(file, bytes);

    // The tree's count is the number of non-empty lines, at any line end.
    qsizetype lines = 0;
    for (const QString &line : platform::SplitLines(platform::FromAnsi(bytes)))
        lines += line.isEmpty() ? 0 : 1;
    FUZZ_CHECK(GetKeywordsCount(QStringLiteral("Overture"), QStringLiteral("Shop")) == lines);

    list.loadKeywords();
    QSet<QString> seen;
    for (const clsKeywordPtr &k : *list.Keywords()) {
        const QString &w = k->Keyword();
        FUZZ_CHECK(!w.isEmpty() && w.size() <= 1000);
        FUZZ_CHECK(!w.contains(QLatin1Char(';')) && !w.contains(QLatin1Char('\r')) && !w.contains(QLatin1Char('\n')));
        const QString folded = w.toCaseFolded();
        FUZZ_CHECK(!seen.contains(folded));
        seen.insert(folded);
    }
    // A copy, when there is one, holds the file as it was.
    if (QFileInfo::exists(file + QStringLiteral(".bad"))) {
        QByteArray copy;
        FUZZ_CHECK(platform::ReadFileBytes(file + QStringLiteral(".bad"), &copy) && copy == bytes);
    }

    const QStringList loaded = records(list);
    list.SaveKeywords();
    QByteArray saved;
    FUZZ_CHECK(platform::ReadFileBytes(file, &saved));
    FUZZ_CHECK(saved.endsWith("\r\n"));

    QFile::remove(file + QStringLiteral(".bad"));
    clsKeywords again = listOf();
    again.loadKeywords();
    FUZZ_CHECK(records(again) == loaded);
    // Nothing was lost on the way: the saved file is not damaged.
    FUZZ_CHECK(!QFileInfo::exists(file + QStringLiteral(".bad")));
    again.SaveKeywords();
    QByteArray savedAgain;
    FUZZ_CHECK(platform::ReadFileBytes(file, &savedAgain) && savedAgain == saved);
    return 0;
}
