// TfrmMain: construction, start-up, destruction, close query, caption and status bar.
#include "uMain.h"

#include "uAppErrors.h"
#include "uAppInfo.h"
#include "uQtText.h"
#include "uRecoveryKeeper.h"
#include "uStorage.h"
#include "uUiPrompts.h"
#include "uUtils.h"

#include <QAction>
#include <QCloseEvent>
#include <QShowEvent>
#include <QLabel>
#include <QSplitter>
#include <cmath>
#include <QToolButton>

TfrmMain::TfrmMain(TUiPrompts& APrompts, const QStringList& AArguments, QWidget* AParent)
    : QMainWindow(AParent), FPrompts(APrompts) {
    setObjectName("frmMain");
    setWindowTitle(AppTitle);
    BuildLayout();
    BuildMainMenu();
    BindLeftButtons();
    FormCreate(AArguments);
}

TfrmMain::~TfrmMain() { FormDestroy(); }

void TfrmMain::FormCreate(const QStringList& AArguments) {
    // 1. The web address in the status bar (the toolbar's last-applied values start empty in
    //    the toolbar unit).
    lbHomepageURL->setText(AppHomepageURL);

    // 2. The window's own objects.
    FProject = std::make_unique<TDocProject>();
    FUnsavedTopicHtml.clear();
    FPendingTextFiles.clear();
    FSettings = std::make_unique<TProjectSettings>();
    FProjectDirty = false;
    FProjectFileName.clear();
    CreateRecoveryKeeper(TRecoveryJournal::RecoveryFolder());

    // 3. The start-up project. A project that fails to open is reported and start-up goes on
    //    with a scratch project.
    if (!RunGuarded(FPrompts, [&] { OpenStartupProject(AArguments); })) {
        FCurrentTopicID.clear();
        RunGuarded(FPrompts, [&] { CreateScratchProject(); });
    }

    // 4. Settings; a broken settings file is reported, the defaults stay.
    RunGuarded(FPrompts, [&] { LoadProjectSettings(); });

    // 5. The style profile list, with the project's profile selected (ShowFirstTopic refills it
    //    for every project loaded or created later).
    RunGuarded(FPrompts, [&] { FillStyleProfiles(); });
    // 6. Toolbar and left panel width.
    InitFormattingToolbar();
    FLeftPanelWidth = static_cast<int>(std::lround(btnVariablesConditionsSnippets->width() * 1.2)) +
                      btnVariablesConditionsSnippets->x();
    ApplyLeftPanelWidth();
    LayoutToolbar();

    // 7, 8. The editor bridge and its page.
    RunGuarded(FPrompts, [&] { CreateEditorBridge(); });

    // 9. The tree, with the first topic selected.
    RunGuarded(FPrompts, [&] { ShowFirstTopic(); });

    // 10.
    UpdateCaption();
}

void TfrmMain::OpenStartupProject(const QStringList& AArguments) {
    if (!AArguments.isEmpty()) {
        std::string arg = NormalizeProjectPath(FromQ(AArguments.first()));
        if (FileExists(arg) && SameText(ExtractFileExt(arg), ".svp")) {
            OpenProjectFile(arg);
            return;
        }
    }
    std::string last;
    try {
        const std::string record = LastProjectFilePath();
        if (FileExists(record))
            last = NormalizeProjectPath(Trim(ReadUtf8File(record)));
    } catch (...) {
        last.clear();
    }
    if (!last.empty() && FileExists(last) && SameText(ExtractFileExt(last), ".svp")) {
        OpenProjectFile(last);
        return;
    }
    CreateScratchProject();
}

void TfrmMain::FormDestroy() {
    if (FDestroyed)
        return;
    FDestroyed = true;
    FreeTreeNodeData();
    DestroyEditorBridge();
    delete FRecovery;  // an unsaved project's journal stays for the next start
    FRecovery = nullptr;
    FUnsavedTopicHtml.clear();
    FPendingTextFiles.clear();
    FSettings.reset();
    FProject.reset();
}

void TfrmMain::ApplyLeftPanelWidth() {
    const int total = std::max(spl1->width(), width());
    spl1->setSizes({FLeftPanelWidth, std::max(1, total - FLeftPanelWidth - spl1->handleWidth())});
}

void TfrmMain::showEvent(QShowEvent* AEvent) {
    QMainWindow::showEvent(AEvent);
    // The splitter shares out its width only once it has one.
    if (!FShownOnce) {
        FShownOnce = true;
        ApplyLeftPanelWidth();
    }
}

void TfrmMain::closeEvent(QCloseEvent* AEvent) {
    bool canClose = false;
    RunGuarded(FPrompts, [&] { canClose = ConfirmSaveChanges(); });
    if (canClose) {
        ClearEditingState();  // what the author chose not to save goes with the window
        AEvent->accept();
    } else {
        AEvent->ignore();
    }
}

void TfrmMain::Guarded(void (TfrmMain::*ACommand)()) {
    RunGuarded(FPrompts, [&] { (this->*ACommand)(); });
}

void TfrmMain::MarkProjectDirty() {
    FProjectDirty = true;
    if (FRecovery)
        FRecovery->Schedule();
    UpdateCaption();
}

void TfrmMain::UpdateCaption() {
    if (!FProject) {
        setWindowTitle(AppTitle);
        return;
    }
    HoldProjectLock();
    const std::string mark = FProjectDirty ? "*" : "";
    btnSave->setEnabled(FProjectDirty);
    Save1->setEnabled(FProjectDirty);
    std::string caption = std::string(AppTitle) + mark + " - " + FProject->Title();
    if (!FProjectFileName.empty())
        caption += " [" + FProjectFileName + "]";
    setWindowTitle(ToQ(caption));
}

void TfrmMain::ShowStatus(const std::string& AText) { FStatusText->setText(ToQ(AText)); }

QString TfrmMain::StatusText() const { return FStatusText->text(); }
