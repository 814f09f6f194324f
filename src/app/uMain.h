// TfrmMain: the main window. It owns, for its whole life, one TDocProject, one TProjectSettings,
// the editor bridge and the two dictionaries of the topic editing state; New and Open clear and
// refill these same objects. Every modal question goes through the TUiPrompts it is given (not
// owned), so tests answer them.
//
// The class is split over several files by concern:
//   uMain.cpp          construction, FormCreate / FormDestroy, close query, caption and status
//   uMainLayout.cpp    panels, buttons, tree view, status bar
//   uMainMenus.cpp     the main menu, Open Output Folder, Visit Website, About, the web label
//   uMainProject.cpp   the project commands (scratch project, New, Open, Save, Save As, Exit)
//   uMainTree.cpp      the tree view built from the model, selection, new topic HTML
//   uMainPublish.cpp   the Publish commands, thin over the publishers
// and, until their own units land, placeholder bodies for what later units provide:
//   uMainEditingSeam.cpp  topic editing state and the editor bridge (replaced by uMainEditing.cpp)
//   uMainToolbarSeam.cpp  formatting toolbar hooks (replaced by the toolbar unit)
//   uMainSeams.cpp        the project settings dialog
// A menu item or button whose command is not built yet is bound to no handler and stays
// disabled (see BuildMainMenu and BindLeftButtons in uMainMenus.cpp).
#pragma once

#include "uDocModel.h"
#include "uProjectSettings.h"

#include <QMainWindow>
#include <QStringList>
#include <map>
#include <memory>
#include <string>

class QAction;
class QLabel;
class QMenu;
class QSplitter;
class QStatusBar;
class QTabWidget;
class QToolButton;
class QTreeWidget;
class QTreeWidgetItem;
class QVBoxLayout;
class TEditorBridge;
class TUiPrompts;

class TfrmMain : public QMainWindow {
    Q_OBJECT

public:
    // Runs FormCreate: chooses the start-up project from AArguments (the program's arguments
    // without the program name), then last_project.txt, then a fresh scratch project.
    TfrmMain(TUiPrompts& APrompts, const QStringList& AArguments, QWidget* AParent = nullptr);
    // Runs FormDestroy. Nothing is saved.
    ~TfrmMain() override;

    // ---- project commands (uMainProject.cpp) -----------------------------------------------
    void btnNewProjectClick();
    void btnOpenProjectClick();
    void btnSaveClick();
    void btnSaveAsClick();
    void Exit1Click();

    // Opens a project file. On failure the window keeps the project, file name and tree it had
    // (or, when the failure comes after the old state was given up, a fresh scratch project) and
    // the error is raised to the caller.
    void OpenProjectFile(const std::string& AFileName);
    void CreateScratchProject();
    // Trims, drops a stray quotation mark (or other garbage) before the path and makes it
    // absolute; a path that cannot be made absolute is returned as cleaned.
    static std::string NormalizeProjectPath(const std::string& APath);
    void EnsureProjectFolders();
    void InstallAppFiles();
    void LoadProjectSettings();
    void FlushUnsavedTopics();
    // False means that the calling command must stop.
    bool ConfirmSaveChanges();
    void MarkProjectDirty();
    void UpdateCaption();
    void ShowStatus(const std::string& AText);

    // The executable's folder (editor page, viewer templates, default style sheet).
    static std::string ApplicationFolder();
    // The per-user scratch project root, with a trailing separator.
    static std::string ScratchRoot();

    // ---- tree view (uMainTree.cpp) ---------------------------------------------------------
    void BuildTopicTree();
    void FreeTreeNodeData();
    std::string SelectedTopicID() const;
    void SelectTopicNode(const std::string& AID);
    std::string NewTopicHtml() const;
    void WriteTopicHtml(const std::string& AID, const std::string& AHtml);

    // ---- publishing (uMainPublish.cpp): save what is pending, call the publisher ------------
    void btnExportWebClick();
    // Writes what the editor holds and the tree files; no project file, the modified flag stays.
    void SaveBeforeWebExport();

    // ---- small commands (uMainMenus.cpp) ---------------------------------------------------
    void OpenOutputFolder1Click();
    void VisitWebsite1Click();
    void About1Click();
    void lbHomepageURLMouseEnter();
    void lbHomepageURLMouseLeave();
    // The About box text.
    static std::string AboutText();

    // ---- topic editing state (uMainEditingSeam.cpp until uMainEditing.cpp lands) -----------
    void tvTocChange();
    void RequestHeaderAndWait(int ATimeoutMs);
    void StashCurrentEdits();
    std::string CurrentTopicHtml();
    static bool IsHtmlEffectivelyEmpty(const std::string& AHtml);
    void ApplyEditorStyleSheet();
    void RefreshDefaultHeader();
    std::string TopicBodyPath(const std::string& AID) const;
    void ApplySettingsToEditor();
    // FormCreate steps 7 and 8: create FBridge in the editor area and load the project's copy of
    // the editor page.
    void CreateEditorBridge();
    // Points the editor page's base address at the project root (only once the page is ready).
    void SetEditorBaseAddress();
    // FormDestroy: frees the bridge.
    void DestroyEditorBridge();

    // ---- formatting toolbar (uMainToolbarSeam.cpp until the toolbar unit lands) -------------
    void InitFormattingToolbar();
    void LayoutToolbar();
    // Shows the settings in the toolbar, the tree's font and the left panel's colour; copies the
    // settings' project title into FProject.
    void SyncToolbarFromSettings();

    // ---- commands of later units (uMainSeams.cpp) ------------------------------------------
    // Shows the project settings dialog on FSettings; true when confirmed. False while the
    // dialog is not built (its menu item and button stay disabled).
    bool ShowProjectSettingsDialog();

    // ---- state, for the tests and the units that build on the window ------------------------
    TDocProject& Project() { return *FProject; }
    TProjectSettings& Settings() { return *FSettings; }
    const std::string& ProjectFileName() const { return FProjectFileName; }
    bool ProjectDirty() const { return FProjectDirty; }
    const std::string& CurrentTopicID() const { return FCurrentTopicID; }
    std::map<std::string, std::string>& UnsavedTopicHtml() { return FUnsavedTopicHtml; }
    std::map<std::string, std::string>& PendingTextFiles() { return FPendingTextFiles; }
    QString StatusText() const;

    // ---- components ------------------------------------------------------------------------
    QWidget* pnlLeft = nullptr;
    QWidget* pnlLeftTop = nullptr;
    QToolButton* btnNewProject = nullptr;
    QToolButton* btnOpenProject = nullptr;
    QToolButton* btnSave = nullptr;
    QToolButton* btnProjectSettings = nullptr;
    QToolButton* btnNewRootTopic = nullptr;
    QToolButton* btnNewSubTopic = nullptr;
    QToolButton* btnDeleteTopic = nullptr;
    QToolButton* btnVariablesConditionsSnippets = nullptr;
    QToolButton* btnExportCHM = nullptr;  // hidden
    QToolButton* btnExportPDF = nullptr;  // hidden
    QToolButton* btnExportWeb = nullptr;  // hidden
    QToolButton* btnSaveAs = nullptr;     // hidden
    QTreeWidget* tvToc = nullptr;
    QSplitter* spl1 = nullptr;
    QWidget* pnlRight = nullptr;
    QWidget* pnlToolbar = nullptr;   // the formatting toolbar fills it
    QWidget* Edge = nullptr;         // the editor area: the bridge puts its browser view here
    QVBoxLayout* EdgeLayout = nullptr;
    QWidget* pnlToolbar2 = nullptr;  // hidden
    QTabWidget* pcRight = nullptr;   // hidden; tabs "Editor" and "Properties"
    QWidget* Panel1 = nullptr;       // hidden
    QStatusBar* StatusBar1 = nullptr;
    QLabel* lbHomepageURL = nullptr;

    // Main menu items (MainMenu1 is the window's menu bar).
    QAction* NewProject1 = nullptr;
    QAction* OpenProject1 = nullptr;
    QAction* Save1 = nullptr;
    QAction* SaveAs1 = nullptr;
    QAction* Exit1 = nullptr;
    QAction* NewRootTopic1 = nullptr;
    QAction* NewChildTopic1 = nullptr;
    QAction* RemoveTopic1 = nullptr;
    QAction* Up1 = nullptr;
    QAction* Down1 = nullptr;
    QAction* ChangeParent1 = nullptr;
    QAction* Rename1 = nullptr;
    QAction* Undo1 = nullptr;
    QAction* Redo1 = nullptr;
    QAction* Cut1 = nullptr;
    QAction* Copy1 = nullptr;
    QAction* Paste1 = nullptr;
    QAction* Delete1 = nullptr;
    QAction* SelectAll1 = nullptr;
    QAction* PublishWebHelp1 = nullptr;
    QAction* PublishChm1 = nullptr;
    QAction* PublishPdf1 = nullptr;
    QAction* OpenOutputFolder1 = nullptr;
    QAction* ProjectSettings1 = nullptr;
    QAction* VariablesSnippetsConditions1 = nullptr;
    QAction* VisitWebsite1 = nullptr;
    QAction* About1 = nullptr;

protected:
    void closeEvent(QCloseEvent* AEvent) override;  // FormCloseQuery
    void showEvent(QShowEvent* AEvent) override;
    bool eventFilter(QObject* AWatched, QEvent* AEvent) override;

private:
    // uMain.cpp
    void FormCreate(const QStringList& AArguments);
    void FormDestroy();
    void OpenStartupProject(const QStringList& AArguments);
    void ApplyLeftPanelWidth();
    // Runs a command through the general error display.
    void Guarded(void (TfrmMain::*ACommand)());
    // uMainLayout.cpp
    void BuildLayout();
    void BuildLeftPanel();
    void BuildRightPanel();
    void BuildStatusBar();
    QToolButton* NewLeftButton(const char* AObjectName, const char* AHint, int AIconKind);
    // uMainMenus.cpp
    void BuildMainMenu();
    QAction* AddMenuItem(QMenu* AMenu, const char* AObjectName, const char* ACaption,
                         void (TfrmMain::*AHandler)(), bool AEnabled = true);
    void BindButton(QToolButton* AButton, void (TfrmMain::*AHandler)(), bool AEnabled);
    void BindLeftButtons();
    // uMainProject.cpp
    void ResetScratchRoot();
    void ClearEditingState();
    void SetUpScratchProjectObject();
    void SaveDefaultSettings();
    void AddWelcomeTopic();
    void SaveProjectFileKeepingRoot();
    void RecordLastProject();
    void FallBackToScratchProject();
    void ShowFirstTopic();

    TUiPrompts& FPrompts;

    // Project state.
    std::unique_ptr<TDocProject> FProject;
    std::unique_ptr<TProjectSettings> FSettings;
    TEditorBridge* FBridge = nullptr;  // created by CreateEditorBridge, freed by DestroyEditorBridge
    std::string FProjectFileName;
    bool FProjectDirty = false;

    // Topic editing state: the two dictionaries are owned here; the editing unit uses them.
    std::map<std::string, std::string> FUnsavedTopicHtml;  // topic id -> HTML held for Save
    std::map<std::string, std::string> FPendingTextFiles;  // full path -> text for Save
    std::string FDirtyHtml;
    std::string FCurrentTopicID;
    std::string FLoadedTopicBaselineHtml;
    bool FEditorReady = false;

    QLabel* FStatusText = nullptr;
    QWidget* FEditorPlaceholder = nullptr;
    int FLeftPanelWidth = 0;
    bool FShownOnce = false;
    bool FDestroyed = false;
};
