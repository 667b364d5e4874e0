#include "core/clsPreference.h"

#include "core/Globals.h"
#include "core/RegistryAPI.h"
#include "core/modCommon.h"
#include "platform/Folders.h"
#include "platform/Seams.h"
#include "platform/VB.h"

#include <exception>
#include <vector>

namespace {

const QString kCrLf = QStringLiteral("\r\n");
const char *const kGetSettingsTitle = "GetSetting Preference";
const char *const kSaveSettingsTitle = "SaveSetting Preference";
const char *const kGetSettingsLabel = "clsPreference_Getsetting";
const char *const kSaveSettingsLabel = "clsPreference_SaveSettings: ";

// Value names as stored; "SchedlerEnable" is the name existing stores hold.
const char *const kAccessType = "AccessType";
const char *const kProxy = "Proxy";
const char *const kPort = "Port";
const char *const kTimeOut = "TimeOut";
const char *const kSMTPServer = "SMTPServer";
const char *const kSMTPPort = "SMTPPort";
const char *const kConfirmConnection = "ConfirmConnection";
const char *const kAuthentication = "Authentication";
const char *const kAuthUsername = "Auth_Username";
const char *const kAuthPassword = "Auth_Password";
const char *const kReporterName = "ReporterName";
const char *const kCompanyName = "CompanyName";
const char *const kEmail = "Email";
const char *const kWebSite = "WebSite";
const char *const kLogoURL = "LogoURL";
const char *const kLogoPosition = "LogoPosition";
const char *const kSchedulerEnable = "SchedlerEnable";
const char *const kVersion = "Version";
const char *const kLocation = "Location";


QString ReadPreference(const char *name, const char *defaultValue) {
    return GetRegistryValue(HKEY_CURRENT_USER, g_sPreferenceKey, QString::fromLatin1(name), REG_SZ,
                            QString::fromLatin1(defaultValue));
}

}  // namespace

QString clsPreference::HTTPLogin() const {
    if (m_sHTTPUserName.isEmpty() || m_sHTTPPassword.isEmpty())
        return QString();
    return Base64Encode(m_sHTTPUserName + QLatin1Char(':') + m_sHTTPPassword);
}

bool clsPreference::GetSettings() {
    QString trace;
    try {
        trace += QStringLiteral("Begin") + kCrLf;

        // Version and folder stamps; both writes do nothing until start-up
        // has created the Setting key.
        const QString stored =
            GetRegistryValue(HKEY_CURRENT_USER, g_sSettingKey, QString::fromLatin1(kVersion), REG_SZ, QString());
        const QString current = QStringLiteral("%1.%2.%3")
                                    .arg(app::VersionMajor)
                                    .arg(app::VersionMinor)
                                    .arg(app::VersionRevision);
        if (stored != current)
            SetRegistryValue(HKEY_CURRENT_USER, g_sSettingKey, QString::fromLatin1(kVersion), REG_SZ, current);
        SetRegistryValue(HKEY_CURRENT_USER, g_sSettingKey, QString::fromLatin1(kLocation), REG_SZ,
                         platform::ProgramFolder());

        // Each property is set as soon as it is read, so a bad value leaves
        // the later ones as they were.
        m_iAccessType = vb::CInt(ReadPreference(kAccessType, "1"));
        m_sProxy = ReadPreference(kProxy, "");
        m_sPort = ReadPreference(kPort, "8080");
        trace += QStringLiteral("Log1") + kCrLf;
        m_sTimeOut = ReadPreference(kTimeOut, "30");
        m_sSMTPServer = ReadPreference(kSMTPServer, "");
        m_sSMTPPort = ReadPreference(kSMTPPort, "25");
        m_sConfirmConnection = ReadPreference(kConfirmConnection, "1");
        trace += QStringLiteral("Log2") + kCrLf;
        m_iAuthentication = vb::CInt(ReadPreference(kAuthentication, "0"));
        m_sHTTPUserName = ReadPreference(kAuthUsername, "");
        m_sHTTPPassword = ReadPreference(kAuthPassword, "");
        trace += QStringLiteral("Log3") + kCrLf;
        m_sReporterName = ReadPreference(kReporterName, "");
        m_sCompanyName = ReadPreference(kCompanyName, "");
        m_sEmail = ReadPreference(kEmail, "");
        m_sWebSite = ReadPreference(kWebSite, "");
        m_sLogoURL = ReadPreference(kLogoURL, "");
        m_sLogoPosition = ReadPreference(kLogoPosition, "Top");
        m_bSchedulerEnable = vb::CBool(ReadPreference(kSchedulerEnable, "True"));
        return true;
    } catch (const std::exception &e) {
        const QString error = vb::Describe(e);
        seam::MsgBox(error, seam::vbOKOnly, QString::fromLatin1(kGetSettingsTitle));
        WriteErrorLog(QString::fromLatin1(kGetSettingsLabel) + error + kCrLf + trace + kCrLf +
                      QStringLiteral("Getsetting End"));
    }
    return false;
}

void clsPreference::SaveSettings() {
    QString trace;
    try {
        trace += QStringLiteral("Begin") + kCrLf;

        // The whole set is built before anything is written.
        struct Entry {
            const char *name;
            QString value;
            const char *traceAfter;  // trace line after this value, or null
        };
        const std::vector<Entry> values = {
            {kAccessType, QString::number(m_iAccessType), nullptr},
            {kProxy, m_sProxy, nullptr},
            {kPort, m_sPort, nullptr},
            {kTimeOut, m_sTimeOut, "Log1"},
            {kConfirmConnection, m_sConfirmConnection, nullptr},
            {kSMTPServer, m_sSMTPServer, nullptr},
            {kSMTPPort, m_sSMTPPort, nullptr},
            {kAuthUsername, m_sHTTPUserName, nullptr},
            {kAuthPassword, m_sHTTPPassword, nullptr},
            {kAuthentication, QString::number(m_iAuthentication), "Log2"},
            {kReporterName, m_sReporterName, nullptr},
            {kCompanyName, m_sCompanyName, nullptr},
            {kEmail, m_sEmail, "Log3"},
            {kWebSite, m_sWebSite, nullptr},
            {kLogoURL, m_sLogoURL, nullptr},
            {kLogoPosition, m_sLogoPosition, nullptr},
            {kSchedulerEnable, vb::BoolText(m_bSchedulerEnable), nullptr},
        };

        CreateRegistryKey(HKEY_CURRENT_USER, g_sPreferenceKey);
        trace += QStringLiteral("after CreateRegistryKey") + kCrLf;
        for (const Entry &entry : values) {
            const QString name = QString::fromLatin1(entry.name);
            // A value that cannot be stored stops the save; it is not reported as saved.
            if (!SetRegistryValue(HKEY_CURRENT_USER, g_sPreferenceKey, name, REG_SZ, entry.value))
                vb::Raise(vb::errPermissionDenied, QStringLiteral("Cannot save the setting ") + name);
            if (entry.traceAfter)
                trace += QString::fromLatin1(entry.traceAfter) + kCrLf;
        }
    } catch (const std::exception &e) {
        const QString error = vb::Describe(e);
        WriteErrorLog(QString::fromLatin1(kSaveSettingsLabel) + error + kCrLf + trace + kCrLf +
                      QStringLiteral("SaveSettings End"));
        seam::MsgBox(error, seam::vbOKOnly, QString::fromLatin1(kSaveSettingsTitle));
    }
}
