#include "connect/ConnectWindowFor.h"

#include "connect/frmConnectFindWhat.h"
#include "connect/frmConnectOverture.h"

IConnectWindow *NewConnectWindowFor(const QString &engine, QWidget *parent) {
    if (engine == QLatin1String("Overture") || engine == QLatin1String("Overture(UK)"))
        return new frmConnectOverture(parent);
    if (engine == QLatin1String("FindWhat"))
        return new frmConnectFindWhat(parent);
    return nullptr;
}
