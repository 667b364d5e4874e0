#pragma once
// What every fuzz target shares: an offscreen application, private program,
// Windows and settings folders, desktop seams that answer without a screen,
// and (from FuzzInput.h) a check that ends the run (a finding) when a property
// does not hold.

#include "FuzzInput.h"
#include "core/Globals.h"
#include "core/modCommon.h"
#include "platform/Folders.h"
#include "platform/Registry.h"
#include "platform/Seams.h"
#include "platform/TextFile.h"

#include <QApplication>
#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QString>
#include <QTemporaryDir>

#include <cstdio>
#include <cstdlib>
#include <memory>

namespace fuzz {

inline int &messageBoxCount() {
    static int n = 0;
    return n;
}

// Once per process.
inline void Init() {
    static bool done = false;
    if (done)
        return;
    done = true;
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "fuzz";
    static char *argv[] = {name, nullptr};
    static QApplication app(argc, argv);
    static QTemporaryDir dir;
    QDir().mkpath(dir.path() + QStringLiteral("/program"));
    QDir().mkpath(dir.path() + QStringLiteral("/windows"));
    platform::setProgramFolder(dir.path() + QStringLiteral("/program"));
    platform::setWindowsFolder(dir.path() + QStringLiteral("/windows"));
    platform::Registry::setStoreFile(dir.path() + QStringLiteral("/config/registry.json"));
    seam::setMessageBoxHandler([](const seam::MessageBoxRequest &r) {
        ++messageBoxCount();
        return r.buttons() == seam::vbYesNo ? int(seam::vbNo) : int(seam::vbOK);
    });
    seam::setFileDialogHandler([](const seam::FileDialogRequest &) { return QString(); });
    seam::setShellOpenHandler([](const QString &) { return false; });
    seam::setEndProgramHandler([] {});
    app::SetGlobalPaths();
}

// Between inputs: no error log growing without end, no earlier input's files.
inline void Reset() {
    ResetErrorLogForTests();
    QFile::remove(platform::JoinPath(platform::ProgramFolder(), QStringLiteral("Error.log")));
    messageBoxCount() = 0;
}

// Writes a file of the run's folders (creating its folder) without the program's writer.
inline void WriteRaw(const QString &path, const QByteArray &bytes) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    if (f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        f.write(bytes);
}

// Splits an input at the first occurrences of a separator byte (at most `parts` pieces).
inline QList<QByteArray> Pieces(const QByteArray &bytes, char separator, int parts) {
    QList<QByteArray> out;
    qsizetype from = 0;
    while (int(out.size()) < parts - 1) {
        const qsizetype at = bytes.indexOf(separator, from);
        if (at < 0)
            break;
        out.append(bytes.mid(from, at - from));
        from = at + 1;
    }
    out.append(bytes.mid(from));
    while (int(out.size()) < parts)
        out.append(QByteArray());
    return out;
}

}  // namespace fuzz

// Set up before the first input, so what start-up allocates once is not
// taken for a leak of an input.
extern "C" int LLVMFuzzerInitialize(int *, char ***) {
    fuzz::Init();
    return 0;
}
