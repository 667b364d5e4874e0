#include "core/modStartUp.h"
#include "ui/clsMain.h"
#include "ui/frmMain.h"
#include "ui/frmPreference.h"
#include "ui/frmSplash.h"
#include "ui/frmWizard.h"

#include <QTreeWidget>

namespace modStartUp {

Hooks DefaultHooks() {
    Hooks h;
    h.runWizard = [] { frmWizard::ShowModal(nullptr); };
    h.showSplash = [] { frmSplash::ShowSplash(); };
    h.closeSplash = [] { frmSplash::UnloadSplash(); };
    h.display = [] {
        // The controller hands itself to the main window, which owns it from then on.
        auto *oMain = new clsMain;
        oMain->Display();
    };
    frmMain::ConfigurationDialogHook() = [](QWidget *owner) { frmPreference::ShowModal(owner); };
    return h;
}

}  // namespace modStartUp
