#include "platform/Folders.h"

#include "platform/VB.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace platform {

namespace {
QString g_programOverride;
QString g_windowsOverride;

QString ensure(const QString &path) {
    // Asked for on every file path: a look costs less than a creation attempt.
    if (!QFileInfo(path).isDir())
        QDir().mkpath(path);
    return path;
}

QString dataHome() {
    QString base = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    if (base.isEmpty())
        base = QDir::homePath() + QStringLiteral("/.local/share");
    return base + QStringLiteral("/quillbeck-ambrivex");
}

QString stripSlash(QString p) {
    while (p.size() > 1 && p.endsWith(QLatin1Char('/')))
        p.chop(1);
    return p;
}
}  // namespace

QString ProgramFolder() {
    return ensure(g_programOverride.isEmpty() ? dataHome() + QStringLiteral("/program") : g_programOverride);
}

QString WindowsFolder() {
    return ensure(g_windowsOverride.isEmpty() ? dataHome() + QStringLiteral("/windows") : g_windowsOverride);
}

void setProgramFolder(const QString &path) { g_programOverride = stripSlash(path); }
void setWindowsFolder(const QString &path) { g_windowsOverride = stripSlash(path); }

void MakeFolder(const QString &path) {
    if (!QDir().mkpath(path))
        vb::Raise(vb::errPathNotFound);
}

QString JoinPath(const QString &a, const QString &b) {
    if (a.isEmpty())
        return b;
    if (a.endsWith(QLatin1Char('/')))
        return b.startsWith(QLatin1Char('/')) ? a + b.mid(1) : a + b;
    return b.startsWith(QLatin1Char('/')) ? a + b : a + QLatin1Char('/') + b;
}
QString JoinPath(const QString &a, const QString &b, const QString &c) { return JoinPath(JoinPath(a, b), c); }
QString JoinPath(const QString &a, const QString &b, const QString &c, const QString &d) {
    return JoinPath(JoinPath(a, b, c), d);
}

}  // namespace platform
