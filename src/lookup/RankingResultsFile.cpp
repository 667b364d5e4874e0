#include "lookup/RankingResultsFile.h"

#include "platform/Folders.h"
#include "platform/TextFile.h"
#include "platform/VB.h"

#include <QFileInfo>
#include <exception>

namespace {
const char kFieldSeparator[] = ";#";
const char kLineEnd[] = "\r\n";
constexpr int kFields = 3;
}  // namespace

QByteArray RankingResultsFile::Bytes(const QList<ResultListing> &listings) {
    QString text;
    const QString sep = QLatin1String(kFieldSeparator);
    for (const ResultListing &l : listings) {
        // Fields are made safe once more: a line must always split into three.
        text += ResultPageParser::FileField(l.URL) + sep + ResultPageParser::FileField(l.Title) + sep +
                ResultPageParser::FileField(l.Price) + QLatin1String(kLineEnd);
    }
    return platform::ToAnsi(text);
}

bool RankingResultsFile::Write(const QString &path, const QList<ResultListing> &listings, QString *errorText) {
    const QByteArray bytes = Bytes(listings);
    // A page that has not changed leaves its file as it is: a durable
    // rewrite costs far more than the look-up's own work.
    const QFileInfo info(path);
    QByteArray old;
    if (info.isFile() && info.size() == bytes.size() && platform::ReadFileBytes(path, &old) && old == bytes)
        return true;
    try {
        platform::MakeFolder(info.absolutePath());
    } catch (const std::exception &e) {
        if (errorText)
            *errorText = vb::Describe(e);
        return false;
    }
    return platform::WriteCacheFileAtomic(path, bytes, errorText);
}

QList<ResultListing> RankingResultsFile::Parse(const QByteArray &bytes) {
    QList<ResultListing> rows;
    const QString sep = QLatin1String(kFieldSeparator);
    const QStringList lines = platform::SplitLines(platform::FromAnsi(bytes));
    for (const QString &line : lines) {
        if (line.isEmpty())
            break;
        const QStringList parts = line.split(sep);
        if (parts.size() != kFields)
            continue;
        rows.append(ResultListing{parts[0], parts[1], parts[2]});
    }
    return rows;
}

QList<ResultListing> RankingResultsFile::Read(const QString &path) {
    QByteArray bytes;
    if (!QFileInfo(path).isFile() || !platform::ReadFileBytes(path, &bytes))
        return {};
    return Parse(bytes);
}
