// The main window's scheduler.

#include "ui/frmMain.h"

void frmMain::ScheduledLookUpEnded(bool) {}
