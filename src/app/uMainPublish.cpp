// TfrmMain: the Publish commands. Each one saves what is pending, then runs its publisher in the
// core on a worker thread, from a copy of the project and settings, with a progress dialog
// (Cancel stops it and leaves the previous output as it was), and reports the result.
#include "uMain.h"

#include "uAppInfo.h"
#include "uExportChm.h"
#include "uExportPdf.h"
#include "uExportWebHelp.h"
#include "uPublishCommon.h"
#include "uPublishRunner.h"
#include "uStorage.h"
#include "uUiPrompts.h"
#include "uUtils.h"

#include <exception>
#include <memory>

namespace {

constexpr const char* kCancelledStatus = "Publishing cancelled";

// The worker's own copy of the project tree: nothing the window does can change it meanwhile.
std::unique_ptr<TDocProject> ProjectSnapshot(const TDocProject& AProject) {
    auto snapshot = std::make_unique<TDocProject>();
    CopyProjectForPublishing(AProject, *snapshot);
    return snapshot;
}

}  // namespace

void TfrmMain::SaveBeforeWebExport() {
    RequestHeaderAndWait(400);
    StashCurrentEdits();
    FlushUnsavedTopics();
    SaveProjectFolder(*FProject);
}

void TfrmMain::btnExportWebClick() {
    SaveBeforeWebExport();
    const auto project = ProjectSnapshot(*FProject);
    const TProjectSettings settings = *FSettings;
    std::string index;
    if (!RunPublishWithProgress(this, "Publishing WebHelp", [&](const TPublishOptions& AOptions) {
            index = PublishWebHelp(*project, &settings, {}, AOptions);
        })) {
        ShowStatus(kCancelledStatus);
        return;
    }
    ShowStatus("WebHelp exported: " + index);
    FPrompts.ShellOpen(index);
}

void TfrmMain::btnExportChmClick() {
    btnSaveClick();
    const auto project = ProjectSnapshot(*FProject);
    // The compiler's own failures are reported by this command, in its own words.
    try {
        TChmExportResult result;
        if (!RunPublishWithProgress(this, "Publishing CHM", [&](const TPublishOptions& AOptions) {
                TChmExportOptions options;
                options.Publish = AOptions;
                result = ExportChm(*project, options);
            })) {
            ShowStatus(kCancelledStatus);
            return;
        }
        ShowStatus("CHM exported: " + result.ChmFile);
        // For example that the compiler could only build the file without full-text search.
        for (const std::string& note : result.Notes)
            FPrompts.ShowInfo(AppTitle, note);
        FPrompts.ShellOpen(result.ChmFile);
    } catch (const std::exception& e) {
        FPrompts.ShowError(AppTitle, std::string("CHM export failed: ") + e.what());
    }
}

void TfrmMain::btnExportPdfClick() {
    btnSaveClick();
    const auto project = ProjectSnapshot(*FProject);
    const std::string folder = EnsureDir(PdfOutputFolder(*project));
    TPdfExportOptions options;
    std::string pdf;
    // The finished file is opened here, on the window's thread.
    options.FOpenFile = [&pdf](const std::string& AFileName) { pdf = AFileName; };
    TPdfExportResult result;
    if (!RunPublishWithProgress(this, "Publishing PDF", [&](const TPublishOptions& AOptions) {
            TPdfExportOptions run = options;
            run.FPublish = AOptions;
            result = ExportPdf(*project, folder, run);
        })) {
        ShowStatus(kCancelledStatus);
        return;
    }
    for (const std::string& note : result.FNotes)
        FPrompts.ShowInfo(AppTitle, note);
    FPrompts.ShellOpen(pdf);
    const std::string manual = CombinePath(folder, "manual.html");
    ShowStatus("Manual HTML exported: " + manual);
    FPrompts.ShellOpen(manual);
}
