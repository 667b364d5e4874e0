#pragma once
// Per-test environment: fresh program, Windows and registry folders, and
// scripted desktop seams. Installed for every test by the shared test main.

#include "platform/Seams.h"

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>

namespace testenv {

QString programDir();  // the program folder of the running test
QString windowsDir();  // the Windows folder of the running test
QString tempDir();     // a scratch folder of the running test

// Message boxes: queue the answers of the next boxes in order. A box with no
// queued answer fails the test (and answers vbCancel/vbNo/vbOK by its buttons).
void answerMsgBox(int answer);
const QList<seam::MessageBoxRequest> &shownMsgBoxes();
void clearShownMsgBoxes();

// File dialogs: queue the next chosen paths ("" = cancelled); unscripted fails the test.
void answerFileDialog(const QString &path);
const QList<seam::FileDialogRequest> &fileDialogs();

// Targets handed to shell open that passed the safety check, in order.
const QStringList &shellOpened();
// How often the program asked to end.
int endProgramCount();
// Fixes the clock (an invalid value restores the real clock).
void setNow(const QDateTime &now);

// Stores a settings value, creating its key when missing.
void setRegistryValue(const QString &key, const QString &name, const QString &value);

QByteArray readFile(const QString &path);
void writeFile(const QString &path, const QByteArray &bytes);  // creates folders
QByteArray errorLog();  // bytes of Error.log in the program folder ("" when missing)

}  // namespace testenv
