#pragma once
// The program's entry into its own logic: title, global paths, the error log
// banner, the engine data wizard decision, the Setting key, the dealer record,
// the splash and the hand-over to the account-tree controller.

#include <QDateTime>
#include <QString>
#include <functional>

namespace modStartUp {

// The windows start-up hands over to; they live in the user interface layer.
struct Hooks {
    std::function<void()> runWizard;    // engine data wizard, modal
    std::function<void()> showSplash;   // shown without waiting
    std::function<void()> closeSplash;
    std::function<void()> display;      // creates the account-tree controller and shows the main window
};

void Main(const Hooks &hooks);
// The hooks of the real program (defined by the user interface layer).
Hooks DefaultHooks();

// The start banner record (without the CR LF the log writer adds).
QString BannerText(const QDateTime &now);
// True when the stored version is older than this program's, or the engine data file is missing.
bool WizardNeeded(const QString &storedVersion, bool engineFileExists);

constexpr qint64 kErrorLogLimit = 32000;

}  // namespace modStartUp
