// KeywordsSetting.dat as the bid window reads it: whatever the file holds,
// every loaded keyword is a non-empty key found once, every saved line has
// ten fields, and saving what a save wrote loads and saves again to the same
// bytes (the file reaches a fixed point after one save).
//
// Input: the file's bytes (Windows-1252).

#include "autobid/KeywordsSettingFile.h"
#include "core/clsAccount.h"
#include "core/modCommon.h"
#include "platform/Folders.h"
#include "platform/Seams.h"
#include "platform/TextFile.h"

#include <QFile>
#include <QTemporaryDir>
#include <cstdint>
#include <cstdlib>

namespace {

QTemporaryDir *g_dir = nullptr;

void setUp() {
    if (g_dir)
        return;
    g_dir = new QTemporaryDir;
    platform::setProgramFolder(g_dir->path());
    seam::setMessageBoxHandler([](const seam::MessageBoxRequest &) -> int { std::abort(); });
}

QByteArray saved(const QString &path, const KeywordCollection &keywords, const clsAccount &account) {
    QFile::remove(path);
    if (!KeywordsSettingFile::Save(path, keywords, nullptr, account))
        std::abort();
    QByteArray bytes;
    platform::ReadFileBytes(path, &bytes);
    return bytes;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    setUp();
    clsAccount account;
    account.setEngine(QStringLiteral("Overture"));
    account.setAccountName(QStringLiteral("fuzz"));
    account.setMinBid(0.1f);
    account.setMaxBid(1.5f);
    KeywordsSettingFile::MakeFolders(account.Engine(), account.AccountName());
    const QString path = KeywordsSettingFile::FilePath(account.Engine(), account.AccountName());
    {
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly))
            std::abort();
        f.write(reinterpret_cast<const char *>(data), qint64(size));
    }

    const KeywordCollectionPtr first = KeywordsSettingFile::Load(path, account);
    for (int i = 1; i <= first->Count(); ++i) {
        const QString key = first->Item(i)->Keyword();
        if (key.isEmpty() || first->IndexOf(key) != i)
            std::abort();
        // Limits that were not amounts were replaced by the account's.
        if (!IsNumericAmount(first->Item(i)->MaxBid()) || !IsNumericAmount(first->Item(i)->MinBid()))
            std::abort();
    }
    if (first->isEmpty())
        return 0;

    const QByteArray once = saved(path, *first, account);
    const QString text = platform::FromAnsi(once);
    if (!text.endsWith(QStringLiteral("\r\n")))
        std::abort();
    for (const QString &line : text.left(text.size() - 2).split(QStringLiteral("\r\n"), Qt::SkipEmptyParts))
        if (line.count(QLatin1Char(';')) != KeywordsSettingFile::kFields - 1)
            std::abort();

    const KeywordCollectionPtr second = KeywordsSettingFile::Load(path, account);
    if (!second->isEmpty() && saved(path, *second, account) != once)
        std::abort();
    return 0;
}
