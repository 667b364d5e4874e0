#include "core/Globals.h"

#include "core/modCommon.h"
#include "platform/Folders.h"

QString g_sPreferenceKey;
QString g_sSettingKey;
QString g_sEngineKey;
QString g_sEngineDataFile;

namespace app {

namespace {
QString g_title = QStringLiteral("Quillbeck Ambrivex");
// A fixed text, deliberately not the title.
const QString kSettingsRoot = QStringLiteral("Software\\Morvaine\\Zentrova Quillbeck Ambrivex For Overture");
}  // namespace

QString Title() { return g_title; }
void SetTitle(const QString &title) { g_title = title; }

void SetGlobalPaths() {
    g_sPreferenceKey = kSettingsRoot + QStringLiteral("\\Preference");
    g_sSettingKey = kSettingsRoot + QStringLiteral("\\Setting");
    g_sEngineKey = kSettingsRoot + QStringLiteral("\\Engine");
    g_sEngineDataFile = GetWindowsDir() + QStringLiteral("zqaeng.dat");
}

}  // namespace app
