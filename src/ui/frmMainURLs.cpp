// The main window's URL list commands.

#include "ui/frmMain.h"

void frmMain::EditURLs() {}
void frmMain::ShowURLPosition() {}
