#include "ui/modEngineData.h"

#include "connect/frmHTTP.h"
#include "core/Globals.h"
#include "core/RegistryAPI.h"
#include "core/clsPreference.h"
#include "core/modCommon.h"
#include "platform/Folders.h"
#include "platform/Ini.h"
#include "platform/Registry.h"
#include "platform/Seams.h"
#include "platform/TextFile.h"
#include "platform/VB.h"

#include <QDir>
#include <QTemporaryFile>
#include <QTreeWidget>

namespace modEngineData {

const char *const kInvalidProxy = "Invalid Proxy Server address.";
const char *const kInvalidPort = "Invalid Proxy Port Number.";

namespace {

// A host of the dealer's built-in domain.
const char *const kFixedDownloadURL = "http://www.morvaine.example.com/enginedata/zqaeng.dat";
QString g_downloadOverride;

const char *const kEngineListSection = "OvertureEngines";
const char *const kFirstEngineKey = "1";
const char *const kGoodStatus = "200";
const char *const kHttpScheme = "http://";
const char *const kCrLf = "\r\n";

const char *const kSaveFailed = "The engine data file could not be written: ";
const char *const kSaveFailedEnd = "Your engine data file has been left as it was.";
const char *const kFlagsNotSaved = "The engine settings could not be saved: ";
const char *const kFlagsNotSavedEnd = "Please make sure that the settings file can be written, then try again.";
const char *const kSettingsSaveTitle = "SaveSetting Preference";
const char *const kSettingsSaveLog = "clsPreference_SaveSettings: ";

constexpr int kMaxPort = 65535;
constexpr int kMaxTimeOut = 32767;  // the HTTP window reads it as a 16-bit number

QString L(const char *s) { return QString::fromLatin1(s); }

// Digits only after the blanks around are gone; the value when it is in range.
bool wholeNumber(const QString &text, int low, int high) {
    QString t = vb::Trim(text);
    if (t.isEmpty())
        return false;
    for (QChar c : t)
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return false;
    while (t.size() > 1 && t.startsWith(QLatin1Char('0')))
        t.remove(0, 1);
    if (t.size() > 5)
        return false;
    const int v = t.toInt();
    return v >= low && v <= high;
}

}  // namespace

QString DownloadURL() { return g_downloadOverride.isEmpty() ? L(kFixedDownloadURL) : g_downloadOverride; }
void setDownloadURL(const QString &url) { g_downloadOverride = url; }

void StartDownload(frmHTTP *http, IHTTPCaller *caller) {
    if (!http)
        return;
    http->setObject(caller);
    http->setSubmitMethod(QString());
    http->Connect1(DownloadURL());
}

void StopDownload(frmHTTP *http) {
    seam::SetPointer(seam::Pointer::Hourglass);
    if (http)
        http->Disconnect();
}

void ReleaseWindow(QPointer<frmHTTP> &http) {
    if (http)
        http->Unload();
    http = nullptr;
}

bool IsGoodAnswer(const QString &statusCode, const QString &body) {
    return vb::Trim(statusCode) == QLatin1String(kGoodStatus) && !body.isEmpty() && IsEngineData(body);
}

bool IsEngineData(const QString &body) {
    if (body.isEmpty())
        return false;
    // Read through the program's own ini reader, so that what passes here is
    // what the next start loads.
    QTemporaryFile file(platform::JoinPath(QDir::tempPath(), QStringLiteral("zqaeng-XXXXXX.dat")));
    if (!file.open())
        return false;
    const QByteArray bytes = platform::ToAnsi(body);
    if (file.write(bytes) != bytes.size() || !file.flush())
        return false;
    file.close();
    const QString engine = vb::Trim(ReadIniString(file.fileName(), L(kEngineListSection), L(kFirstEngineKey)));
    if (engine.isEmpty())
        return false;
    const QStringList sections = platform::GetProfileSections(file.fileName());
    for (const QString &section : sections)
        if (section.compare(engine, Qt::CaseInsensitive) == 0 &&
            engine.compare(L(kEngineListSection), Qt::CaseInsensitive) != 0)
            return true;
    return false;
}

bool SaveEngineData(const QString &body, QString *errorText) {
    QString reason;
    if (platform::WriteAnsiFileAtomic(g_sEngineDataFile, body + L(kCrLf), false, &reason))
        return true;
    if (errorText)
        *errorText = L(kSaveFailed) + QDir::toNativeSeparators(g_sEngineDataFile) +
                     (reason.isEmpty() ? QString() : QStringLiteral(" (") + reason + QLatin1Char(')')) +
                     QStringLiteral(".\r\n") + L(kSaveFailedEnd);
    return false;
}

bool ProxyHost(const QString &text, QString *host) {
    QString t = vb::Trim(text);
    if (t.startsWith(L(kHttpScheme), Qt::CaseInsensitive))
        t = t.mid(int(qstrlen(kHttpScheme)));
    if (t.isEmpty())
        return false;
    static const QString notInHost = QStringLiteral(" /:@\\?#");
    for (QChar c : t)
        if (c.unicode() < 0x20 || c.unicode() == 0x7F || c.isSpace() || notInHost.contains(c))
            return false;
    if (host)
        *host = t;
    return true;
}

bool IsValidPort(const QString &text) { return wholeNumber(text, 1, kMaxPort); }
bool IsValidTimeOut(const QString &text) { return wholeNumber(text, 0, kMaxTimeOut); }

ProxyCheck CheckProxySettings(const QString &proxyText, const QString &portText, QString *proxy) {
    QString host;
    if (!ProxyHost(proxyText, &host))
        return ProxyCheck::BadProxy;
    if (!IsValidPort(portText))
        return ProxyCheck::BadPort;
    if (proxy)
        *proxy = host;
    return ProxyCheck::Ok;
}

bool SaveConnectionSettings(const clsPreference &preference, bool withProxy) {
    QList<QPair<QString, QString>> values = {{QStringLiteral("AccessType"), QString::number(preference.AccessType())}};
    if (withProxy) {
        values.append({QStringLiteral("Proxy"), preference.Proxy()});
        values.append({QStringLiteral("Port"), preference.Port()});
    }
    values.append({QStringLiteral("Auth_Username"), preference.HTTPUserName()});
    values.append({QStringLiteral("Auth_Password"), preference.HTTPPassword()});

    CreateRegistryKey(HKEY_CURRENT_USER, g_sPreferenceKey);
    for (const auto &value : values) {
        if (!SetRegistryValue(HKEY_CURRENT_USER, g_sPreferenceKey, value.first, REG_SZ, value.second)) {
            const QString error = QStringLiteral("Cannot save the setting ") + value.first;
            WriteErrorLog(L(kSettingsSaveLog) + error);
            seam::MsgBox(error, seam::vbOKOnly, L(kSettingsSaveTitle));
            return false;
        }
    }
    return true;
}

QStringList UnstoredEngineFlags(const QTreeWidget *list) {
    QStringList out;
    if (!list)
        return out;
    for (int i = 0; i < list->topLevelItemCount(); ++i) {
        const QTreeWidgetItem *item = list->topLevelItem(i);
        const QString wanted = item->checkState(0) == Qt::Checked ? QStringLiteral("1") : QStringLiteral("0");
        if (GetRegistryValue(HKEY_CURRENT_USER, g_sEngineKey, item->text(0), REG_SZ, QString()) != wanted)
            out.append(item->text(0));
    }
    return out;
}

QString EngineFlagsNotSavedText(const QStringList &engines) {
    return L(kFlagsNotSaved) + engines.join(QStringLiteral(", ")) + QStringLiteral(".\r\n") +
           QDir::toNativeSeparators(platform::Registry::storeFile()) + QStringLiteral("\r\n") + L(kFlagsNotSavedEnd);
}

}  // namespace modEngineData
