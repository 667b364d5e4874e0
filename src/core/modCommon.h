#pragma once
// Shared procedures every part of the program calls: the error log, ini
// access, the Windows folder, shell open, form centring, money text, the time
// check, text and URL helpers and Base64.

#include "platform/VB.h"

#include <QString>

#include <exception>

class QWidget;
class QTreeWidgetItem;
namespace platform {
class ProfileReader;
}

// Appends text & CR LF to Error.log in the program folder. Never raises.
void WriteErrorLog(const QString &text);
// The label, then what the error says.
void WriteErrorLog(const char *label, const std::exception &e);
// Forgets the open log (tests only: the next record opens the file again).
void ResetErrorLogForTests();

// Ini access with a 560-character buffer and "" as default; right-trimmed.
QString ReadIniString(const QString &file, const QString &section, const QString &key);
// The same from a file read once for several keys.
QString ReadIniString(const platform::ProfileReader &file, const QString &section, const QString &key);
QString WriteIniString(const QString &file, const QString &section, const QString &key,
                       const QString &value);

// The Windows folder with one trailing "/" ("" when unavailable).
QString GetWindowsDir();
QString StripNulls(const QString &text);
// Opens a target with the desktop's "open" verb (hourglass while it runs).
bool ShellOpen(const QString &target, int showCode = 1);
void CenterForm(QWidget *form);
QString RemoveLineBreaks(const QString &text);
QString TrimComma(const QString &text);
QString GetHostFromURL(const QString &url);
// An engine's enable flag under the Engine key ("1" when missing); raises 13 on bad text.
bool GetEngineSetting(const QString &engineName);

// Money text: every pound sign removed, then converted; raise 13 when not an amount.
vb::Currency StrToCurrency(const QString &text);
float StrToSingle(const QString &text);
bool IsNumericAmount(const QString &text);

bool isValidTime(const QString &text);
int GetKeywordsCount(const QString &engineName, const QString &accountName);
QString StripHTML(const QString &html);
QString ParseString(const QString &text, const QString &delimiter, int field);
QString GetURLPath(const QString &url);
QString Base64Encode(const QString &text);

// The pound sign (character code 163), never stored as a literal.
QString PoundSign();
