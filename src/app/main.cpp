#include "core/modStartUp.h"
#include "platform/Seams.h"

#include <QApplication>
#include <QWidget>

int main(int argc, char **argv) {
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);  // the program ends only through its exit question
    modStartUp::Main(modStartUp::DefaultHooks());
    if (seam::EndRequested())
        return 0;
    // A start-up that failed before any window was shown leaves nothing to
    // close: end here rather than live on invisibly.
    bool anyShown = false;
    for (QWidget *w : QApplication::topLevelWidgets())
        anyShown = anyShown || w->isVisible();
    if (!anyShown)
        return 1;
    return app.exec();
}
