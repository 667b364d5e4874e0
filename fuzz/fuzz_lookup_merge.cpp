// The last look-up's Keywords.dat merged into the bid window's keywords:
// whatever the file holds, no keyword is added or dropped, the settings and
// the current position are never touched, and every value taken is a field
// of a line of that keyword.
//
// Input: one byte choosing the merge (all values or after a fetch, and the
// engine), then the file's bytes (Windows-1252).

#include "autobid/BidManager.h"
#include "core/clsAccount.h"
#include "core/clsKeywords.h"
#include "platform/Folders.h"
#include "platform/Seams.h"
#include "platform/TextFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>
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

const char *const kKeywords[] = {"shoes", "Red Shoes", "boots", "a;b"};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    setUp();
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
    QDir().mkpath(QFileInfo(list.KeywordsFile()).path());
    {
        QFile f(list.KeywordsFile());
        if (!f.open(QIODevice::WriteOnly))
            std::abort();
        f.write(reinterpret_cast<const char *>(data + 1), qint64(size - 1));
    }

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

    if (keywords.Count() != int(std::size(kKeywords)))
        std::abort();
    for (int i = 1; i <= keywords.Count(); ++i) {
        const clsKeyword &k = *keywords.Item(i);
        if (k.Keyword() != QString::fromLatin1(kKeywords[i - 1]) || k.CurPos() != QLatin1String("pos") ||
            k.MaxBid() != QLatin1String("max") || k.BidTo() != QLatin1String("to"))
            std::abort();
        const QSet<QString> &allowed = fieldsOf[k.Keyword().toCaseFolded()];
        for (const QString &value : {k.CurBid(), k.NextBid(), k.FirstBid(), k.SecondBid(), k.ThirdBid(),
                                     k.FourthBid(), k.FifthBid()})
            if (!value.isEmpty() && !allowed.contains(value))
                std::abort();
    }
    return 0;
}
