#include "core/modStartUp.h"
#include "ui/clsMain.h"
#include "ui/frmSplash.h"

#include <QTreeWidget>

namespace modStartUp {

Hooks DefaultHooks() {
    Hooks h;
    h.showSplash = [] { frmSplash::ShowSplash(); };
    h.closeSplash = [] { frmSplash::UnloadSplash(); };
    h.display = [] {
        // The controller hands itself to the main window, which owns it from then on.
        auto *oMain = new clsMain;
        oMain->Display();
    };
    return h;
}

}  // namespace modStartUp
