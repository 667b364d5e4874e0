#pragma once
// The engine data download shared by the update dialog and the first-run
// wizard: the download address, the rule for a good answer, the write of the
// engine data file, the checks of the connection fields and the check that
// the engine enable flags were stored. No window of its own.

#include <QPointer>
#include <QString>
#include <QStringList>

class IHTTPCaller;
class QTreeWidget;
class clsPreference;
class frmHTTP;

namespace modEngineData {

// The engine data file on the maker's web server (a fixed text, not a setting).
QString DownloadURL();
// Tests only: points the download elsewhere; "" restores the fixed address.
void setDownloadURL(const QString &url);

// Starts the download (a GET) on the window for the caller, who hears the
// answer through ProcessData.
void StartDownload(frmHTTP *http, IHTTPCaller *caller);
// Stops a running download; the pointer shows the hourglass until the
// window reports the disconnection.
void StopDownload(frmHTTP *http);
// Lets go of a download's window: its caller hears nothing more from it
// (a download still running included) and it unloads.
void ReleaseWindow(QPointer<frmHTTP> &http);

// An answer replaces the engine data file only when its status is 200 and
// its body is engine data (IsEngineData).
bool IsGoodAnswer(const QString &statusCode, const QString &body);
// True when the text, read as the program reads the engine data file, lists
// a first engine ("OvertureEngines", key "1") that has a section of its own.
// A proxy's or hotspot's page never does.
bool IsEngineData(const QString &body);

// Writes the text and one CR LF as the whole engine data file, replacing it
// at once. False when it can't; `errorText` then names the file and the reason
// and the old file is left as it was.
bool SaveEngineData(const QString &body, QString *errorText = nullptr);

// ---- Connection fields ------------------------------------------------------
extern const char *const kInvalidProxy;  // "Invalid Proxy Server address."
extern const char *const kInvalidPort;   // "Invalid Proxy Port Number."

// The proxy host as stored: the text with blanks around and one leading
// "http://" (any letter case) removed. False when what is left is no bare
// host name (empty, or holding a blank, "/", ":", "@", "\", "?", "#" or a
// control character).
bool ProxyHost(const QString &text, QString *host);
// A port: a whole number from 1 to 65535, blanks around allowed.
bool IsValidPort(const QString &text);
// A time-out: whole seconds from 0 to 32767, blanks around allowed.
bool IsValidTimeOut(const QString &text);

enum class ProxyCheck { Ok, BadProxy, BadPort };
// The proxy then the port, as both windows check them with "Proxy Server"
// chosen. On Ok the host goes to `proxy`; the port is stored as typed.
ProxyCheck CheckProxySettings(const QString &proxyText, const QString &portText, QString *proxy);

// Writes only the connection values a page sets (access type, the proxy and
// port when `withProxy`, proxy user and password), leaving every other
// setting as stored. False (after the settings store's failure box) when a
// value could not be stored.
bool SaveConnectionSettings(const clsPreference &preference, bool withProxy);

// ---- Engine enable flags -----------------------------------------------------
// The engines of a check-box list whose stored flag is not what the box shows.
QStringList UnstoredEngineFlags(const QTreeWidget *list);
// The message for flags that could not be stored.
QString EngineFlagsNotSavedText(const QStringList &engines);

}  // namespace modEngineData
