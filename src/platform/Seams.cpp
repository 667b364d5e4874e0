#include "platform/Seams.h"

#include "platform/Folders.h"

#include <QApplication>
#include <QCursor>
#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QUrl>

namespace seam {

namespace {
MessageBoxHandler g_msgBox;
FileDialogHandler g_fileDialog;
ShellOpenHandler g_shellOpen;
std::function<QDateTime()> g_clock;
std::function<void()> g_end;
Pointer g_pointer = Pointer::Default;
bool g_endRequested = false;

int defaultMessageBox(const MessageBoxRequest &r) {
    QMessageBox box;
    box.setText(r.text);
    box.setWindowTitle(r.title.isEmpty() ? QApplication::applicationName() : r.title);
    switch (r.icon()) {
    case vbCritical: box.setIcon(QMessageBox::Critical); break;
    case vbQuestion: box.setIcon(QMessageBox::Question); break;
    case vbExclamation: box.setIcon(QMessageBox::Warning); break;
    case vbInformation: box.setIcon(QMessageBox::Information); break;
    default: break;
    }
    struct B { QMessageBox::StandardButton button; int result; };
    QList<B> buttons;
    switch (r.buttons()) {
    case vbOKCancel: buttons = {{QMessageBox::Ok, vbOK}, {QMessageBox::Cancel, vbCancel}}; break;
    case vbAbortRetryIgnore:
        buttons = {{QMessageBox::Abort, vbAbort}, {QMessageBox::Retry, vbRetry}, {QMessageBox::Ignore, vbIgnore}};
        break;
    case vbYesNoCancel:
        buttons = {{QMessageBox::Yes, vbYes}, {QMessageBox::No, vbNo}, {QMessageBox::Cancel, vbCancel}};
        break;
    case vbYesNo: buttons = {{QMessageBox::Yes, vbYes}, {QMessageBox::No, vbNo}}; break;
    case vbRetryCancel: buttons = {{QMessageBox::Retry, vbRetry}, {QMessageBox::Cancel, vbCancel}}; break;
    default: buttons = {{QMessageBox::Ok, vbOK}}; break;
    }
    QMessageBox::StandardButtons all;
    for (const B &b : buttons)
        all |= b.button;
    box.setStandardButtons(all);
    const int defaultIndex = (r.style & vbDefaultButton2) && buttons.size() > 1 ? 1 : 0;
    box.setDefaultButton(buttons[defaultIndex].button);
    const int clicked = box.exec();
    for (const B &b : buttons)
        if (b.button == clicked)
            return b.result;
    // Escape or the close box: the cancelling answer.
    for (const B &b : buttons)
        if (b.result == vbCancel || b.result == vbNo)
            return b.result;
    return buttons.first().result;
}

// The patterns of "*.txt;*.log" as Qt lists them: "*.txt *.log".
QString patternList(const QString &patterns) {
    return QString(patterns).replace(QLatin1Char(';'), QLatin1Char(' ')).simplified();
}

// "Desc (*.txt)|*.txt|All (*.*)|*.*" -> Qt filters. Qt filters by the
// blank-separated patterns in the parentheses at the end of each; a
// description that ends with its own patterns that way is shown once.
QStringList qtFilters(const QString &filter) {
    QStringList out;
    const QStringList parts = filter.split(QLatin1Char('|'));
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        const QString description = parts[i].trimmed();
        const QString patterns = patternList(parts[i + 1]);
        const qsizetype open = description.lastIndexOf(QLatin1Char('('));
        const bool shown = description.endsWith(QLatin1Char(')')) && open >= 0 &&
                           description.mid(open + 1, description.size() - open - 2).simplified() == patterns;
        out.append(shown ? description : description + QStringLiteral(" (") + patterns + QLatin1Char(')'));
    }
    return out;
}

QString defaultFileDialog(const FileDialogRequest &r) {
    QFileDialog dlg(nullptr, r.title, r.initialDir);
    dlg.setAcceptMode(r.save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dlg.setFileMode(r.save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    const QStringList filters = qtFilters(r.filter);
    if (!filters.isEmpty()) {
        dlg.setNameFilters(filters);
        if (r.filterIndex >= 1 && r.filterIndex <= filters.size())
            dlg.selectNameFilter(filters[r.filterIndex - 1]);
    }
    if (!r.fileName.isEmpty())
        dlg.selectFile(r.fileName);
    if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty())
        return QString();
    r.selectedFilterIndex = int(filters.indexOf(dlg.selectedNameFilter())) + 1;
    return dlg.selectedFiles().first();
}

bool defaultShellOpen(const QString &target) {
    if (QFileInfo(target).isAbsolute())
        return QDesktopServices::openUrl(QUrl::fromLocalFile(target));
    return QDesktopServices::openUrl(QUrl(target));
}
}  // namespace

int MsgBox(const QString &text, int style, const QString &title) {
    MessageBoxRequest r{text, style, title};
    return g_msgBox ? g_msgBox(r) : defaultMessageBox(r);
}
void setMessageBoxHandler(MessageBoxHandler handler) { g_msgBox = std::move(handler); }

QString FileDialog(const FileDialogRequest &request) {
    return g_fileDialog ? g_fileDialog(request) : defaultFileDialog(request);
}
void setFileDialogHandler(FileDialogHandler handler) { g_fileDialog = std::move(handler); }

bool IsAllowedShellTarget(const QString &target) {
    const QString t = target.trimmed();
    if (t.isEmpty())
        return false;
    const QUrl url(t);
    const QString scheme = url.scheme().toLower();
    if (scheme == QLatin1String("http") || scheme == QLatin1String("https"))
        return !url.host().isEmpty();
    if (scheme == QLatin1String("mailto"))
        return true;
    // Otherwise only an existing file of the program's own folder.
    QString path = t;
    if (scheme == QLatin1String("file"))
        path = url.toLocalFile();
    else if (!scheme.isEmpty() && scheme.size() > 1)
        return false;
    const QFileInfo fi(path);
    if (!fi.isAbsolute() || !fi.exists() || !fi.isFile())
        return false;
    const QString root = QFileInfo(platform::ProgramFolder()).canonicalFilePath();
    const QString canonical = fi.canonicalFilePath();
    return !root.isEmpty() && canonical.startsWith(root + QLatin1Char('/'));
}

bool ShellOpen(const QString &target) {
    if (!IsAllowedShellTarget(target))
        return false;
    return g_shellOpen ? g_shellOpen(target.trimmed()) : defaultShellOpen(target.trimmed());
}
void setShellOpenHandler(ShellOpenHandler handler) { g_shellOpen = std::move(handler); }

void SetPointer(Pointer p) {
    if (p == g_pointer)
        return;
    g_pointer = p;
    if (!qobject_cast<QApplication *>(QCoreApplication::instance()))
        return;
    if (p == Pointer::Hourglass)
        QApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
    else
        QApplication::restoreOverrideCursor();
}
Pointer CurrentPointer() { return g_pointer; }

QDateTime Now() { return g_clock ? g_clock() : QDateTime::currentDateTime(); }
void setClock(std::function<QDateTime()> clock) { g_clock = std::move(clock); }

void EndProgram() {
    if (g_end) {
        g_end();
        return;
    }
    g_endRequested = true;
    // Leaves every running event loop, nested ones included.
    QCoreApplication::exit(0);
}
bool EndRequested() { return g_endRequested; }
void setEndProgramHandler(std::function<void()> handler) { g_end = std::move(handler); }

}  // namespace seam
