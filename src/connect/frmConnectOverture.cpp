#include "connect/frmConnectOverture.h"

#include "connect/OvertureSession.h"

frmConnectOverture::frmConnectOverture(QWidget *parent) : ConnectWindow(new OvertureSession, parent) {}

frmConnectOverture::~frmConnectOverture() = default;

OvertureSession &frmConnectOverture::Session() { return static_cast<OvertureSession &>(RunControl()); }
