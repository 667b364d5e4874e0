#include "report/KeywordReportFile.h"

#include "core/clsFileController.h"
#include "core/modCommon.h"
#include "platform/Folders.h"
#include "platform/TextFile.h"

#include <QDir>

namespace {
// One folder for every report, whatever case a caller spells it in.
const char kReportsFolder[] = "reports";
constexpr int kShowMaximized = 3;

void makeIfMissing(const QString &folder) {
    if (!QDir(folder).exists())
        platform::MakeFolder(folder);
}
}  // namespace

QString KeywordReportFile::Path(const QString &engineName, const QString &accountName, const QString &extension) {
    QString folder = platform::JoinPath(platform::ProgramFolder(), QString::fromLatin1(kReportsFolder));
    makeIfMissing(folder);
    folder = platform::JoinPath(folder, platform::SafePathComponent(engineName));
    makeIfMissing(folder);
    return platform::JoinPath(folder, platform::SafePathComponent(accountName) + extension);
}

bool KeywordReportFile::WriteAndOpen(const QString &path, QByteArray ansiText) {
    clsFileController files;
    if (!files.saveAnsiFile(path, std::move(ansiText)))
        return false;
    ShellOpen(path, kShowMaximized);
    return true;
}
