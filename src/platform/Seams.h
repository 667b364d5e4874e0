#pragma once
// The few places where the program meets the user's desktop or the outside
// world, each behind one replaceable handler so tests can script or record
// them: message boxes, file dialogs, shell open, the mouse pointer, the
// clock and program end.

#include <QDateTime>
#include <QString>
#include <functional>

class QWidget;

namespace seam {

// Message box styles and answers, with the classic numeric values.
enum MsgBoxStyle {
    vbOKOnly = 0, vbOKCancel = 1, vbAbortRetryIgnore = 2, vbYesNoCancel = 3, vbYesNo = 4, vbRetryCancel = 5,
    vbCritical = 16, vbQuestion = 32, vbExclamation = 48, vbInformation = 64,
    vbDefaultButton2 = 256,
};
enum MsgBoxResult { vbOK = 1, vbCancel = 2, vbAbort = 3, vbRetry = 4, vbIgnore = 5, vbYes = 6, vbNo = 7 };

struct MessageBoxRequest {
    QString text;
    int style = vbOKOnly;   // buttons + icon
    QString title;
    int buttons() const { return style & 7; }
    int icon() const { return style & 0x70; }
};
using MessageBoxHandler = std::function<int(const MessageBoxRequest &)>;
// Shows a message box and returns the answer. The default handler uses a real dialog.
int MsgBox(const QString &text, int style = vbOKOnly, const QString &title = QString());
void setMessageBoxHandler(MessageBoxHandler handler);  // empty restores the default

// Common file dialog. `filter` is in the "Text (*.txt)|*.txt|All (*.*)|*.*" form,
// `filterIndex` 1-based. Returns the chosen path, "" when cancelled.
struct FileDialogRequest {
    bool save = false;
    QString title;
    QString filter;
    int filterIndex = 1;
    QString initialDir;
    QString fileName;
    // Set by the dialog: the 1-based filter the user picked (0 = not reported).
    mutable int selectedFilterIndex = 0;
};
using FileDialogHandler = std::function<QString(const FileDialogRequest &)>;
QString FileDialog(const FileDialogRequest &request);
void setFileDialogHandler(FileDialogHandler handler);

// Opens a web address or one of the program's own files with the desktop.
// Only http, https and mailto addresses and files under the program folder
// are accepted; anything else returns false without opening.
using ShellOpenHandler = std::function<bool(const QString &target)>;
bool ShellOpen(const QString &target);
bool IsAllowedShellTarget(const QString &target);
void setShellOpenHandler(ShellOpenHandler handler);

// Absolute pointer state, not a stack.
enum class Pointer { Default, Hourglass };
void SetPointer(Pointer p);
Pointer CurrentPointer();

// The clock.
QDateTime Now();
void setClock(std::function<QDateTime()> clock);  // empty restores the real one

// Ends the program (all windows and timers stop).
void EndProgram();
// True once EndProgram ran with the default handler (start-up checks it
// before entering the event loop, which would otherwise ignore the request).
bool EndRequested();
void setEndProgramHandler(std::function<void()> handler);

}  // namespace seam
