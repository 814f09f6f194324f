#include "uManualImportCommand.h"

#include "uAppInfo.h"
#include "uDpiScale.h"
#include "uMain.h"
#include "uManualImport.h"
#include "uQtText.h"
#include "uUiPrompts.h"
#include "uUtils.h"
#include "uWorkerProgress.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>


const char* const TManualImportCommand::StartPageFilter = "HTML files (*.html *.htm);;All files (*)";

namespace {

// Reads and converts the manual on a worker thread while the window shows the progress.
TManualImportPlanPtr PrepareWithProgress(QWidget* AParent, const TDocProject& AProject, const TProjectSettings& ASettings,
                                         const std::string& AStartPage) {
    const QString label = "Importing HTML manual";
    TWorkerProgress progress(AParent, label, 300);
    TManualImportOptions options;
    options.Progress = [&progress, label](const std::string& APhase, size_t ADone, size_t ATotal) {
        if (progress.Cancelled())
            return false;
        progress.Report(ADone, ATotal, QString("%1: %2 (%3 of %4 pages)").arg(label, ToQ(APhase)).arg(ADone).arg(ATotal));
        return true;
    };
    TManualImportPlanPtr plan;
    progress.Run([&] { plan = PrepareManualImport(AProject, ASettings, AStartPage, options); });
    SetManualImportProgress(*plan, {});  // the commit is quick and runs after the dialog is gone
    return plan;
}

}  // namespace

void TManualImportCommand::Run() {
    if (FForm.Project().RootPath().empty()) {
        FPrompts.ShowInfo(AppTitle, "Please open or create a project first.");
        return;
    }
    const std::optional<std::string> start = FPrompts.OpenFileName(StartPageFilter, "html");
    if (!start)
        return;
    TManualImportReport report;
    try {
        TManualImportPlanPtr plan = PrepareWithProgress(&FForm, FForm.Project(), FForm.Settings(), *start);
        report = CommitManualImport(*plan, FForm.Project(), false);
    } catch (const EImportCancelled&) {
        FForm.ShowStatus("Import cancelled");
        return;
    }
    FForm.MarkProjectDirty();
    FForm.BuildTopicTree();
    FForm.SelectTopicNode(report.RootTopicID);
    FForm.ShowStatus("Imported HTML manual: " + IntToStr(static_cast<long long>(report.Topics)) + " topics");
    TfrmManualImportReport dialog(report, &FForm);
    dialog.exec();
}

TfrmManualImportReport::TfrmManualImportReport(const TManualImportReport& AReport, QWidget* AParent) : QDialog(AParent) {
    setObjectName("frmManualImportReport");
    setWindowTitle("Import HTML Manual");
    auto* layout = new QVBoxLayout(this);
    const auto count = [](size_t AN, const char* AOne, const char* AMany) {
        return QString("%1 %2").arg(AN).arg(AN == 1 ? AOne : AMany);
    };
    lblSummary = new QLabel(QString("%1 and %2 were added to the project. Save the project to keep them.")
                                .arg(count(AReport.Topics, "topic", "topics"), count(AReport.Assets, "asset", "assets")),
                            this);
    lblSummary->setObjectName("lblSummary");
    lblSummary->setWordWrap(true);
    layout->addWidget(lblSummary);
    lblReport = new QLabel("&Report:", this);
    lblReport->setObjectName("lblReport");
    layout->addWidget(lblReport);
    memReport = new QPlainTextEdit(ToQ(FormatManualImportReport(AReport)), this);
    memReport->setObjectName("memReport");
    memReport->setReadOnly(true);
    memReport->setLineWrapMode(QPlainTextEdit::NoWrap);
    memReport->setAccessibleName("Report");
    lblReport->setBuddy(memReport);
    layout->addWidget(memReport, 1);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    btnOK = buttons->button(QDialogButtonBox::Ok);
    btnOK->setObjectName("btnOK");
    btnOK->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    layout->addWidget(buttons);
    resize(ScaleAt96(this, 640), ScaleAt96(this, 420));
}

// ---- the window's handlers ---------------------------------------------------------------------

void TfrmMain::ImportHtmlManual1Click() { TManualImportCommand(*this, FPrompts).Run(); }

void TfrmMain::HoldProjectLock() {
    const std::string root = FProject ? ExcludeTrailingPathDelimiter(FProject->RootPath()) : std::string();
    if (root == FProjectLock.Root())
        return;
    FProjectLock.Release();
    if (!root.empty())
        FProjectLock.TryAcquire(root);  // another window may hold it; the CLI then still refuses
}
