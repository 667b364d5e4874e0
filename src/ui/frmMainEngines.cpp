// The main window's engine setting and engine data update commands.

#include "ui/frmMain.h"

void frmMain::Engingsetting() {}
void frmMain::UpdateEngineDataFile() {}
