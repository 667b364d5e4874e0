#include "core/modStartUp.h"
#include "platform/Seams.h"

#include <QApplication>

int main(int argc, char **argv) {
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);  // the program ends only through its exit question
    modStartUp::Main(modStartUp::DefaultHooks());
    if (seam::EndRequested())
        return 0;
    return app.exec();
}
