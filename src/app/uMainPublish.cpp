// TfrmMain: the Publish commands. Each one saves what is pending, calls its publisher in the core
// and reports the result; the publishing itself is entirely the core's.
#include "uMain.h"

#include "uExportWebHelp.h"
#include "uStorage.h"
#include "uUiPrompts.h"

void TfrmMain::SaveBeforeWebExport() {
    RequestHeaderAndWait(400);
    StashCurrentEdits();
    FlushUnsavedTopics();
    SaveProjectFolder(*FProject);
}

void TfrmMain::btnExportWebClick() {
    SaveBeforeWebExport();
    const std::string index = PublishWebHelp(*FProject, FSettings.get());
    ShowStatus("WebHelp exported: " + index);
    FPrompts.ShellOpen(index);
}
