#pragma once
// Process-wide paths set once at start-up and read everywhere.

#include <QString>

class clsDealerInfo;

extern QString g_sPreferenceKey;   // settings root & "\Preference"
extern QString g_sSettingKey;      // settings root & "\Setting"
extern QString g_sEngineKey;       // settings root & "\Engine"
extern QString g_sEngineDataFile;  // Windows folder & "zqaeng.dat"
extern clsDealerInfo *g_oDealerInfo;

namespace app {
// "Quillbeck Ambrivex For Overture" once start-up has appended the suffix.
QString Title();
void SetTitle(const QString &title);
constexpr int VersionMajor = 1;
constexpr int VersionMinor = 1;
constexpr int VersionRevision = 13;
// Sets the key paths and the engine data file path (start-up step 2).
void SetGlobalPaths();
}  // namespace app
