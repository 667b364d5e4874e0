#pragma once
// The Overture (and Overture(UK)) connection window: the shared connection
// window over an Overture session.

#include "connect/ConnectWindow.h"

class OvertureSession;

class frmConnectOverture : public ConnectWindow {
    Q_OBJECT
public:
    explicit frmConnectOverture(QWidget *parent = nullptr);
    ~frmConnectOverture() override;

    OvertureSession &Session();
};
