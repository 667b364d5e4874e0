#include "connect/frmConnectFindWhat.h"

#include "connect/FindWhatSession.h"

frmConnectFindWhat::frmConnectFindWhat(QWidget *parent) : ConnectWindow(new FindWhatSession, parent) {}

frmConnectFindWhat::~frmConnectFindWhat() = default;

FindWhatSession &frmConnectFindWhat::Session() { return static_cast<FindWhatSession &>(RunControl()); }
