#pragma once
// The FindWhat connection window: the shared connection window over a
// FindWhat session.

#include "connect/ConnectWindow.h"

class FindWhatSession;

class frmConnectFindWhat : public ConnectWindow {
    Q_OBJECT
public:
    explicit frmConnectFindWhat(QWidget *parent = nullptr);
    ~frmConnectFindWhat() override;

    FindWhatSession &Session();
};
