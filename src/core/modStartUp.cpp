#include "core/modStartUp.h"

#include "core/Globals.h"
#include "core/RegistryAPI.h"
#include "core/clsDealerInfo.h"
#include "core/modCommon.h"
#include "platform/Folders.h"
#include "platform/Registry.h"
#include "platform/Seams.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>

namespace modStartUp {

namespace {
const QString kTitleSuffix = QStringLiteral(" For Overture");
const QString kErrorLog = QStringLiteral("Error.log");
const QString kMainError = QStringLiteral("modStartUp_Main error:  ");

// Major, minor and revision compared as numbers; missing parts read as 0.
bool olderThanProgram(const QString &stored) {
    const QStringList parts = stored.split(QLatin1Char('.'));
    const int running[3] = {app::VersionMajor, app::VersionMinor, app::VersionRevision};
    for (int i = 0; i < 3; ++i) {
        const double v = i < parts.size() ? vb::Val(parts[i]) : 0.0;
        if (v != running[i])
            return v < running[i];
    }
    return false;
}

void trimErrorLog() {
    const QString path = platform::JoinPath(platform::ProgramFolder(), kErrorLog);
    QFileInfo fi(path);
    if (fi.exists() && fi.size() > kErrorLogLimit && !QFile::remove(path))
        vb::Raise(vb::errPermissionDenied);
}
}  // namespace

QString BannerText(const QDateTime &now) {
    return QStringLiteral("\r\n") + app::Title() + QStringLiteral(" - Version: ") +
           QString::number(app::VersionMajor) + QLatin1Char('.') + QString::number(app::VersionMinor) +
           QLatin1Char('.') + vb::Format2Digits(app::VersionRevision) + QStringLiteral("\r\n Time: ") +
           vb::FormatGeneralDate(now) + QStringLiteral("\r\n") + QString(36, QLatin1Char('-'));
}

bool WizardNeeded(const QString &storedVersion, bool engineFileExists) {
    return !engineFileExists || olderThanProgram(storedVersion);
}

void Main(const Hooks &hooks) {
    try {
        app::SetTitle(app::Title() + kTitleSuffix);
        QCoreApplication::setApplicationName(app::Title());
        app::SetGlobalPaths();
        trimErrorLog();
        WriteErrorLog(BannerText(seam::Now()));

        const QString stored = GetRegistryValue(HKEY_CURRENT_USER, g_sSettingKey, QStringLiteral("Version"), REG_SZ, QString());
        if (WizardNeeded(stored, QFileInfo::exists(g_sEngineDataFile)) && hooks.runWizard)
            hooks.runWizard();
        if (!platform::Registry::instance().keyExists(g_sSettingKey))
            CreateRegistryKey(HKEY_CURRENT_USER, g_sSettingKey);

        g_oDealerInfo = new clsDealerInfo;
        g_oDealerInfo->Load();

        if (hooks.showSplash) {
            hooks.showSplash();
            QCoreApplication::processEvents();
        }
        seam::SetPointer(seam::Pointer::Hourglass);
        if (hooks.display)
            hooks.display();
    } catch (const std::exception &e) {
        WriteErrorLog(kMainError + vb::Describe(e));
        if (hooks.closeSplash)
            hooks.closeSplash();
    }
}

}  // namespace modStartUp
