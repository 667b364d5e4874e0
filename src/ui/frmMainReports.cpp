// The main window's keyword reports.

#include "ui/frmMain.h"

void frmMain::HTMLReport() {}
void frmMain::TextReport() {}
void frmMain::ExcelReport() {}
