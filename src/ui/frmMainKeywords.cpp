// The main window's keyword list commands.

#include "ui/frmMain.h"

void frmMain::DoAddKeywords() {}
void frmMain::DoDeleteKeywords() {}
void frmMain::DoRemoveAllKeywords() {}
void frmMain::DoCopyKeywords() {}
void frmMain::DoPasteKeywords() {}
void frmMain::DoBuildKeyword() {}
void frmMain::DownLoadKeywords() {}
void frmMain::Exportkeywords() {}
