// TfrmMain: the Project Settings command and what a confirmed settings dialog changes in the
// window, the editor page and the project folder (shared with New Project).
#include "uMain.h"

#include "uAppInfo.h"
#include "uColors.h"
#include "uEditorBridge.h"
#include "uFrmProjectSettings.h"
#include "uTopicHeaders.h"
#include "uUiPrompts.h"

#include <exception>

bool TfrmMain::ShowProjectSettingsDialog() { return TfrmProjectSettings::Execute(this, *FSettings, FPrompts); }

void TfrmMain::btnProjectSettingsClick() {
    if (!FSettings || !ShowProjectSettingsDialog())
        return;
    ApplyConfirmedSettings(false);
    RequestEditorFocus();
    // Every topic's own header background gives way to the new default.
    ResetHeaderBackgrounds(FProject->RootPath(), ColorToHex(FSettings->DefaultHeaderBgColor));
    MarkProjectDirty();
}

void TfrmMain::ApplyConfirmedSettings(bool ANewProject) {
    // A settings file that cannot be written is said at once: the settings stay applied in the
    // window, and Save writes them again.
    try {
        FSettings->SaveToFile(TProjectSettings::DefaultSettingsPathForProject(FProject->RootPath()));
    } catch (const std::exception& e) {
        FPrompts.ShowError(AppTitle, std::string("The project settings could not be saved: ") + e.what());
    }
    SyncToolbarFromSettings();
    ApplyEditorStyleSheet();
    // An empty topic is started again in the new look.
    if (!FCurrentTopicID.empty() && IsHtmlEffectivelyEmpty(CurrentTopicHtml())) {
        const std::string html = NewTopicHtml();
        FLoadedTopicBaselineHtml = html;
        FUnsavedTopicHtml[FCurrentTopicID] = html;
        if (ANewProject)
            WriteTopicHtml(FCurrentTopicID, html);
        if (FEditorReady && FBridge) {
            ++FEditorDocGeneration;
            FTopicLoadGeneration[FCurrentTopicID] = FEditorDocGeneration;
            FBridge->SetHtml(html);
            FDirtyHtml.clear();
        }
    }
    RefreshDefaultHeader();
    ApplySettingsToEditor();  // nothing while the page is not ready
}
