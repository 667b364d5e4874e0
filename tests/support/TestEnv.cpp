#include "support/TestEnv.h"

#include "core/Globals.h"
#include "core/modCommon.h"
#include "platform/Folders.h"
#include "platform/Registry.h"
#include "report/SmtpDialogue.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>

namespace testenv {

namespace {
std::unique_ptr<QTemporaryDir> g_dir;
QList<int> g_answers;
QList<seam::MessageBoxRequest> g_shown;
QStringList g_fileAnswers;
QList<seam::FileDialogRequest> g_fileDialogs;
QStringList g_opened;
int g_endCount = 0;

int scriptedMessageBox(const seam::MessageBoxRequest &r) {
    g_shown.append(r);
    if (!g_answers.isEmpty())
        return g_answers.takeFirst();
    ADD_FAILURE() << "unexpected message box: title \"" << r.title.toStdString() << "\", text \""
                  << r.text.toStdString() << "\"";
    switch (r.buttons()) {
    case seam::vbYesNo: return seam::vbNo;
    case seam::vbOKOnly: return seam::vbOK;
    default: return seam::vbCancel;
    }
}

QString scriptedFileDialog(const seam::FileDialogRequest &r) {
    g_fileDialogs.append(r);
    if (!g_fileAnswers.isEmpty())
        return g_fileAnswers.takeFirst();
    ADD_FAILURE() << "unexpected file dialog: " << r.title.toStdString();
    return QString();
}

// Fresh folders and scripted seams around every test.
class Listener : public ::testing::EmptyTestEventListener {
    void OnTestStart(const ::testing::TestInfo &) override {
        g_dir = std::make_unique<QTemporaryDir>();
        const QString root = g_dir->path();
        QDir().mkpath(root + QStringLiteral("/program"));
        QDir().mkpath(root + QStringLiteral("/windows"));
        QDir().mkpath(root + QStringLiteral("/temp"));
        platform::setProgramFolder(root + QStringLiteral("/program"));
        platform::setWindowsFolder(root + QStringLiteral("/windows"));
        platform::Registry::setStoreFile(root + QStringLiteral("/config/registry.json"));
        ResetErrorLogForTests();
        g_answers.clear();
        g_shown.clear();
        g_fileAnswers.clear();
        g_fileDialogs.clear();
        g_opened.clear();
        g_endCount = 0;
        seam::setMessageBoxHandler(scriptedMessageBox);
        seam::setFileDialogHandler(scriptedFileDialog);
        seam::setShellOpenHandler([](const QString &t) {
            g_opened.append(t);
            return true;
        });
        seam::setEndProgramHandler([] { ++g_endCount; });
        seam::setClock({});
        SmtpDialogue::setMessageIdSource({});
        seam::SetPointer(seam::Pointer::Default);
        app::SetGlobalPaths();
    }
    void OnTestEnd(const ::testing::TestInfo &) override {
        ResetErrorLogForTests();
        g_dir.reset();
    }
};
}  // namespace

void installListener() { ::testing::UnitTest::GetInstance()->listeners().Append(new Listener); }

QString programDir() { return platform::ProgramFolder(); }
QString windowsDir() { return platform::WindowsFolder(); }
QString tempDir() { return g_dir->path() + QStringLiteral("/temp"); }

void answerMsgBox(int answer) { g_answers.append(answer); }
const QList<seam::MessageBoxRequest> &shownMsgBoxes() { return g_shown; }
void clearShownMsgBoxes() { g_shown.clear(); }
void answerFileDialog(const QString &path) { g_fileAnswers.append(path); }
const QList<seam::FileDialogRequest> &fileDialogs() { return g_fileDialogs; }
const QStringList &shellOpened() { return g_opened; }
int endProgramCount() { return g_endCount; }

void setNow(const QDateTime &now) {
    if (now.isValid())
        seam::setClock([now] { return now; });
    else
        seam::setClock({});
}

void setRegistryValue(const QString &key, const QString &name, const QString &value) {
    auto &registry = platform::Registry::instance();
    registry.createKey(key);
    ASSERT_TRUE(registry.setValue(key, name, value));
}

QByteArray readFile(const QString &path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return QByteArray();
    return f.readAll();
}

void writeFile(const QString &path, const QByteArray &bytes) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    if (f.open(QIODevice::WriteOnly))
        f.write(bytes);
}

QByteArray errorLog() { return readFile(platform::ProgramFolder() + QStringLiteral("/Error.log")); }

}  // namespace testenv
