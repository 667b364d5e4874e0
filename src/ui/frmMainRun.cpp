// The main window's Run menu and bid launch.

#include "ui/frmMain.h"

void frmMain::mnuRunItems_Click(int) {}
