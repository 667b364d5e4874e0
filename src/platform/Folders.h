#pragma once
// The program folder (data files, Error.log, Accounts\...) and the "Windows
// folder" (engine data file, dealer file, URL pool): per-user folders under
// the XDG data home, created on demand, overridable by tests.
// Paths are joined with "/".

#include <QString>

namespace platform {

QString ProgramFolder();   // no trailing "/"
QString WindowsFolder();   // no trailing "/"
void setProgramFolder(const QString &path);  // empty restores the default
void setWindowsFolder(const QString &path);

// Creates a folder and its parents; raises error 76 when it can't.
void MakeFolder(const QString &path);

// Joins path parts with single "/" separators.
QString JoinPath(const QString &a, const QString &b);
QString JoinPath(const QString &a, const QString &b, const QString &c);
QString JoinPath(const QString &a, const QString &b, const QString &c, const QString &d);

}  // namespace platform
