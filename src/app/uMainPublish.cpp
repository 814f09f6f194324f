// TfrmMain: the Publish commands. Each one saves what is pending, calls its publisher in the core
// and reports the result; the publishing itself is entirely the core's.
#include "uMain.h"

#include "uAppInfo.h"
#include "uExportChm.h"
#include "uExportPdf.h"
#include "uExportWebHelp.h"
#include "uStorage.h"
#include "uUiPrompts.h"
#include "uUtils.h"

#include <QApplication>
#include <QCursor>
#include <exception>

namespace {

// The hourglass for a long command; the previous cursor comes back whatever happens.
class TWaitCursor {
public:
    TWaitCursor() {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    }
    ~TWaitCursor() { QApplication::restoreOverrideCursor(); }
    TWaitCursor(const TWaitCursor&) = delete;
    TWaitCursor& operator=(const TWaitCursor&) = delete;
};

}  // namespace

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

void TfrmMain::btnExportChmClick() {
    btnSaveClick();
    TWaitCursor wait;
    // The compiler's own failures are reported by this command, in its own words.
    try {
        EnsureDir(ChmOutputFolder(*FProject));
        const TChmExportResult result = ExportChm(*FProject);
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
    const std::string folder = EnsureDir(PdfOutputFolder(*FProject));
    TPdfExportOptions options;
    options.FOpenFile = [this](const std::string& AFileName) { FPrompts.ShellOpen(AFileName); };
    const TPdfExportResult result = ExportPdf(*FProject, folder, options);
    for (const std::string& note : result.FNotes)
        FPrompts.ShowInfo(AppTitle, note);
    const std::string manual = CombinePath(folder, "manual.html");
    ShowStatus("Manual HTML exported: " + manual);
    FPrompts.ShellOpen(manual);
}
