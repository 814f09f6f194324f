// TfrmMain: the formatting toolbar's hooks before the toolbar unit lands. That unit replaces this
// file: it fills pnlToolbar with its controls, lays them out and shows the settings in them.
#include "uMain.h"

void TfrmMain::InitFormattingToolbar() {
    // No controls yet: the panel stays out of the way.
    pnlToolbar->hide();
}

void TfrmMain::LayoutToolbar() {}

void TfrmMain::SyncToolbarFromSettings() {
    // The project title a user sees always comes from the settings.
    FProject->SetTitle(FSettings->ProjTitle);
}
