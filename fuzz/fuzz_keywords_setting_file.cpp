// KeywordsSetting.dat as the bid window reads it: whatever the file holds,
// every loaded keyword is a non-empty key found once with amounts for its
// limits, every saved line has ten fields, a file that lost a line is kept
// beside it with its exact bytes, and saving what a save wrote loads and
// saves again to the same bytes (one save reaches a fixed point).
//
// Input: the file's bytes (Windows-1252).

#include "FuzzSupport.h"

#include "autobid/KeywordsSettingFile.h"
#include "core/clsAccount.h"

namespace {

QByteArray saved(const QString &path, const KeywordCollection &keywords, const clsAccount &account) {
    QFile::remove(path);
    FUZZ_CHECK(KeywordsSettingFile::Save(path, keywords, nullptr, account));
    QByteArray bytes;
    platform::ReadFileBytes(path, &bytes);
    return bytes;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    fuzz::Init();
    fuzz::Reset();
    const QByteArray bytes = fuzz::Bytes(data, size);
    clsAccount account;
    account.setEngine(QStringLiteral("Overture"));
    account.setAccountName(QStringLiteral("fuzz"));
    account.setMinBid(0.1f);
    account.setMaxBid(1.5f);
    const QString path = KeywordsSettingFile::FilePath(account.Engine(), account.AccountName());
    QFile::remove(path + QStringLiteral(".bad"));
    fuzz::WriteRaw(path, bytes);

    bool unreadable = true;
    const KeywordCollectionPtr first = KeywordsSettingFile::Load(path, account, &unreadable);
    FUZZ_CHECK(!unreadable);
    for (int i = 1; i <= first->Count(); ++i) {
        const clsKeyword &k = *first->Item(i);
        FUZZ_CHECK(KeywordsSettingFile::IsStorable(k.Keyword()));
        FUZZ_CHECK(first->IndexOf(k.Keyword()) == i);
        FUZZ_CHECK(IsNumericAmount(k.MaxBid()) && IsNumericAmount(k.MinBid()));
    }
    // A damaged file's copy holds the file as it was.
    if (QFileInfo::exists(path + QStringLiteral(".bad"))) {
        QByteArray copy;
        FUZZ_CHECK(platform::ReadFileBytes(path + QStringLiteral(".bad"), &copy) && copy == bytes);
    }
    if (first->isEmpty())
        return 0;

    const QByteArray once = saved(path, *first, account);
    const QString text = platform::FromAnsi(once);
    FUZZ_CHECK(text.endsWith(QStringLiteral("\r\n")));
    for (const QString &line : text.left(text.size() - 2).split(QStringLiteral("\r\n"), Qt::SkipEmptyParts))
        FUZZ_CHECK(line.count(QLatin1Char(';')) == KeywordsSettingFile::kFields - 1);

    const KeywordCollectionPtr second = KeywordsSettingFile::Load(path, account);
    FUZZ_CHECK(second->Count() == first->Count());
    FUZZ_CHECK(saved(path, *second, account) == once);
    return 0;
}
