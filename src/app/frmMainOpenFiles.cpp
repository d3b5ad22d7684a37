// Opening local and remote files with the desktop's programs and showing
// remote files as text.
#include "app/frmMain.h"

void TfrmMain::OpenLocalItem(int) {}

void TfrmMain::OpenRemoteItem(int) {}

void TfrmMain::ShowRemoteItem(int) {}
