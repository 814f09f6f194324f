// TfrmMain: the project settings dialog's hook before the dialog lands. The settings dialog unit
// replaces this file (and binds btnProjectSettings and ProjectSettings1 to its command).
#include "uMain.h"

bool TfrmMain::ShowProjectSettingsDialog() { return false; }
