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
//   uMainTree.cpp      the tree view built from the model, selection, new topic HTML, the
//                      thin handlers of the tree commands (TTocCommands) and Check Links
//   uMainProperties.cpp  the topic's Properties page and the style profile list
//   uMainPublish.cpp   the Publish commands, thin over the publishers
//   uMainEditing.cpp   the editor bridge and the topic editing state (topic switch, waits)
//   uMainHeader.cpp    the topic header band and the settings pushed into the editor page
//   uMainToolbar.cpp   the formatting toolbar's handlers, the Edit menu, Create Topic Link
//   uImportCommands.cpp  Add Image, Replace Image and Add HTML (the TImportCommands unit)
// and, until its own unit lands, a placeholder body for what a later unit provides:
// A menu item or button whose command is not built yet is bound to no handler and stays
// disabled (see BuildMainMenu and BindLeftButtons in uMainMenus.cpp).
#pragma once

#include "uDocModel.h"
#include "uProjectLock.h"
#include "uProjectSettings.h"
#include "uToolbarSync.h"
#include "uTocTreeView.h"

#include <QMainWindow>
#include <QStringList>
#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <string>
#include <vector>

class QAction;
class QCheckBox;
class QEventLoop;
class QWebEngineView;
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
class TFormattingToolbar;
class TRecoveryKeeper;
class TfrmLinkIssues;
class TTopicPropertiesPage;
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
    // False means that the calling command must stop. "No" discards nothing by itself: the
    // command that goes on replaces the project (and its unsaved changes) only once it succeeds.
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

    // ---- tree commands (uMainTree.cpp over uTocCommands.cpp) ---------------------------------
    void btnNewRootTopicClick();  // btnNewRootTopic, NewRootTopic1
    void btnNewSubTopicClick();   // btnNewSubTopic, NewChildTopic1
    void btnDeleteTopicClick();
    void Rename1Click();
    // The author committed AText as the label of AID's node.
    void tvTocEdited(const std::string& AID, const std::string& AText);
    void Up1Click();
    void Down1Click();
    void ChangeParent1Click();
    // A drop the tree view took (it decides the target and zone while the author drags).
    void tvTocDragDrop(const std::string& ADraggedID, const std::string& ATargetID,
                       const std::string& ATargetParentID, TDropMode AMode);
    // Tools > Check Links: checks the stored files, not the pending edits.
    void btnCheckLinksClick();
    TfrmLinkIssues* LinkIssuesDialog() const { return FLinkIssues; }

    // ---- topic properties and style profiles (uMainProperties.cpp) --------------------------
    void ShowTopicProperties(const std::string& AID);
    // Copies the page into the topic and saves the project folder.
    void StoreTopicProperties(const std::string& AID);
    // Stores what the author typed on the page without Apply (part of StashCurrentEdits).
    void StorePendingTopicProperties();
    // "" when the Properties page has no changes, or changes that can be stored; else the
    // message why its help alias or number cannot be.
    std::string PendingTopicPropertiesProblem() const;
    // Tools > Assign Help Context IDs...: the dialog, then the missing aliases and numbers.
    void AssignHelpContextIds1Click();
    void btnApplyPropsClick();
    // Refills cbStyle from the project's styles folder and selects the project's profile.
    void FillStyleProfiles();
    void cbStyleChange(const std::string& AName);
    // Topic > Properties: shows or hides the Properties page beside the editor.
    void Properties1Click();

    // ---- publishing (uMainPublish.cpp): save what is pending, call the publisher ------------
    void btnExportWebClick();
    void btnExportChmClick();
    void btnExportPdfClick();
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

    // ---- topic editing state (uMainEditing.cpp) --------------------------------------------
    void tvTocChange();
    // Ask the page for its HTML (header) and wait at most ATimeoutMs in a nested event loop.
    void RequestHtmlAndWait(int ATimeoutMs);
    void RequestHeaderAndWait(int ATimeoutMs);
    // The two halves of each: the request (false when none was sent) and the wait for its answer.
    bool PostHtmlRequest();
    void WaitForHtmlAnswer(int ATimeoutMs);
    bool PostHeaderRequest();
    void WaitForHeaderAnswer(int ATimeoutMs);
    void StashCurrentEdits();
    std::string CurrentTopicHtml();
    // Shows a topic in the page; an unknown id raises "Topic not found".
    void LoadTopicIntoEditor(const std::string& AID);
    static bool IsHtmlEffectivelyEmpty(const std::string& AHtml);
    static std::string HtmlTextContent(const std::string& AHtml);
    void ApplyEditorStyleSheet();
    // Queues giving the keyboard focus to the editor (several requests give one focus change).
    void RequestEditorFocus();
    std::string TopicBodyPath(const std::string& AID) const;
    void BridgeReady();
    void BridgeHtmlChanged(const std::string& AHtml);
    void BridgeHeaderChanged(const std::string& AHeaderHtml, const std::string& AHeaderBgHtml);
    void BridgeAreaChanged(const std::string& AArea);
    // ---- topic header and settings in the page (uMainHeader.cpp) ---------------------------
    std::string DefaultHeaderHtml(const std::string& ATitle) const;
    void LoadHeader(const std::string& AID);
    void SaveHeader(const std::string& AID);
    void PushHeaderToEditor();
    void chkShowHeaderClick();
    bool IsDefaultHeader(const std::string& AHeaderHtml, const std::string& ATitle) const;
    void RefreshDefaultHeader();
    void ApplySettingsToEditor();
    // FormCreate steps 7 and 8: create FBridge in the editor area and load the project's copy of
    // the editor page.
    void CreateEditorBridge();
    // Points the editor page's base address at the project root (only once the page is ready).
    void SetEditorBaseAddress();
    // FormDestroy: frees the bridge.
    void DestroyEditorBridge();

    // ---- formatting toolbar and Edit menu (uMainToolbar.cpp; the controls: TFormattingToolbar) ----
    // Creates Toolbar in pnlToolbar / pnlToolbar2 and connects its controls.
    void InitFormattingToolbar();
    void LayoutToolbar();
    // Shows the settings in the toolbar, the tree's font and the left panel's colour; copies the
    // settings' project title into FProject.
    void SyncToolbarFromSettings();
    // The subscriber of the bridge's OnCursorStyle: the toolbar follows the caret.
    void ApplyCursorStyle(const TEditorCursorStyle& S);
    void btnBoldClick();
    void btnItalicClick();
    void btnUnderlineClick();
    void btnULClick();
    void btnOLClick();
    void btnAlignLeftClick();
    void btnAlignCenterClick();
    void btnAlignRightClick();
    void btnLinkClick();
    void btnTopicLinkClick();
    void btnInsertTableClick();
    void btnTableDropdownMenuClick();
    void TableDropdownMenuItemClick(int ATag);
    void cmbHeadingChange();
    void cmbTextFontChange();
    void cmbFontSizeSelect();
    void cmbFontSizeEnter();
    void cmbLineSpacingChange();
    void cmbLineSpacingEnter();
    void cbTextColorChange();
    void ApplyFontSize();
    void ApplyLineSpacing();
    void Undo1Click();
    void Redo1Click();
    void Cut1Click();
    void Copy1Click();
    void Paste1Click();
    void Delete1Click();
    void SelectAll1Click();

    // ---- bringing outside files into the topic (uImportCommands.cpp) -----------------------
    void btnImageClick();         // Add Image
    void btnReplaceImageClick();  // Replace Image
    void btnImportHTMLClick();    // Add HTML
    // File > Import HTML Manual... (uManualImportCommand.cpp): a whole manual as new topics.
    void ImportHtmlManual1Click();
    // Holds the lock that tells other programs the open project is in use (uManualImportCommand.cpp);
    // follows the project root whenever the caption is updated.
    void HoldProjectLock();

    // ---- reusable content (uMainReusable.cpp) ----------------------------------------------
    // Edits the project's variables, snippets and conditions in their dialog; an insert button
    // saves them and inserts its token at the editor's caret.
    void btnVariablesConditionsSnippetsClick();
    // Sends AToken to the page as HTML at the caret and gives the editor the focus back; nothing
    // when the token is empty or the page is not ready.
    void InsertTokenIntoEditor(const std::string& AToken);

    // ---- project settings (uMainSettings.cpp) ----------------------------------------------
    // Shows the project settings dialog on FSettings; true when OK committed valid values.
    bool ShowProjectSettingsDialog();
    // Tools > Project Settings...: after OK the settings are stored and applied everywhere.
    void btnProjectSettingsClick();

    // ---- recovery journal (uMainRecovery.cpp) ---------------------------------------------
    // Replaces the journal keeper; its journals live in ABaseFolder (FormCreate passes the
    // per-user recovery folder).
    void CreateRecoveryKeeper(const std::string& ABaseFolder);
    bool JournalLeftBehind(const std::string& ARoot) const;
    // Asks whether to restore a journal a killed session left for ARoot (a damaged one is kept
    // aside and reported) and then keeps ARoot's journal. Restoring replaces the project's tree,
    // puts the topic HTML back as unsaved changes and marks the project modified; true then.
    bool OfferRecovery(const std::string& ARoot);
    // A help context ids file the load could not read is renamed aside, with a warning naming
    // it and its first problem (uMainProject.cpp).
    void SetAsideUnreadableContextIds();
    TRecoveryKeeper* Recovery() const { return FRecovery; }

    // ---- state, for the tests and the units that build on the window ------------------------
    TDocProject& Project() { return *FProject; }
    TProjectSettings& Settings() { return *FSettings; }
    const std::string& ProjectFileName() const { return FProjectFileName; }
    bool ProjectDirty() const { return FProjectDirty; }
    const std::string& CurrentTopicID() const { return FCurrentTopicID; }
    std::map<std::string, std::string>& UnsavedTopicHtml() { return FUnsavedTopicHtml; }
    std::map<std::string, std::string>& PendingTextFiles() { return FPendingTextFiles; }
    QString StatusText() const;
    TEditorBridge* Bridge() const { return FBridge; }
    QWebEngineView* EditorView() const { return FEdgeView; }
    bool EditorReady() const { return FEditorReady; }
    const std::string& DirtyHtml() const { return FDirtyHtml; }
    const std::string& HeaderHtml() const { return FHeaderHtml; }
    const std::string& HeaderBg() const { return FHeaderBg; }
    const std::string& ActiveArea() const { return FActiveArea; }
    TToolbarSync& ToolbarSync() { return FToolbarSync; }

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
    TTocTreeView* tvToc = nullptr;
    QSplitter* spl1 = nullptr;
    QWidget* pnlRight = nullptr;
    QWidget* pnlToolbar = nullptr;   // the formatting toolbar fills it
    QWidget* Edge = nullptr;         // the editor area: the bridge puts its browser view here
    QVBoxLayout* EdgeLayout = nullptr;
    QWidget* pnlToolbar2 = nullptr;  // shown when the toolbar wraps
    TFormattingToolbar* Toolbar = nullptr;  // the toolbar's controls (btnBold ... cmbFontSize)
    QSplitter* splEditor = nullptr;  // the editor area and, beside it, pcRight
    QTabWidget* pcRight = nullptr;   // the "Properties" page, hidden until the author shows it
    TTopicPropertiesPage* tsProperties = nullptr;
    QWidget* Panel1 = nullptr;       // hidden
    QStatusBar* StatusBar1 = nullptr;
    QLabel* lbHomepageURL = nullptr;
    QCheckBox* chkShowHeader = nullptr;  // in the hidden Panel1, always checked and disabled

    // Main menu items (MainMenu1 is the window's menu bar).
    QAction* NewProject1 = nullptr;
    QAction* OpenProject1 = nullptr;
    QAction* Save1 = nullptr;
    QAction* SaveAs1 = nullptr;
    QAction* ImportHtmlManual1 = nullptr;
    QAction* Exit1 = nullptr;
    QAction* NewRootTopic1 = nullptr;
    QAction* NewChildTopic1 = nullptr;
    QAction* RemoveTopic1 = nullptr;
    QAction* Up1 = nullptr;
    QAction* Down1 = nullptr;
    QAction* ChangeParent1 = nullptr;
    QAction* Rename1 = nullptr;
    QAction* Properties1 = nullptr;
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
    QAction* CheckLinks1 = nullptr;
    QAction* AssignHelpContextIds1 = nullptr;
    QAction* VisitWebsite1 = nullptr;
    QAction* About1 = nullptr;

protected:
    void closeEvent(QCloseEvent* AEvent) override;  // FormCloseQuery
    void showEvent(QShowEvent* AEvent) override;
    bool eventFilter(QObject* AWatched, QEvent* AEvent) override;

private:
    friend class TTocCommands;
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
    void BuildPropertiesPage();
    QToolButton* NewLeftButton(const char* AObjectName, const char* AHint, int AIconKind);
    // uMainMenus.cpp
    void BuildMainMenu();
    QAction* AddMenuItem(QMenu* AMenu, const char* AObjectName, const char* ACaption,
                         void (TfrmMain::*AHandler)(), bool AEnabled = true);
    void BindButton(QToolButton* AButton, void (TfrmMain::*AHandler)(), bool AEnabled);
    void BindLeftButtons();
    void BindToolbar();
    // A toolbar command: runs only once the editor is ready (and, with AUnlessUpdating, not while
    // the window changes the toolbar itself).
    bool ToolbarCommandAllowed(bool AUnlessUpdating) const;
    void SendStyleCommand(const char* ACmd);
    void SendAlign(TTextAlign AAlign);
    void SendEditCommand(const char* ACmd, bool AFocus);
    // uMainProject.cpp
    void ResetScratchRoot();
    void ClearEditingState();
    void SetUpScratchProjectObject();
    void SaveDefaultSettings();
    void AddWelcomeTopic();
    void SaveProjectFileKeepingRoot();
    void RecordLastProject();
    void FallBackToScratchProject();
    // uMainSettings.cpp: the settings file, toolbar, style sheet, empty topic, default header and
    // editor after a confirmed dialog (New Project also writes the new topic file at once).
    void ApplyConfirmedSettings(bool ANewProject);
    void ShowFirstTopic();

    TUiPrompts& FPrompts;

    // Project state.
    std::unique_ptr<TDocProject> FProject;
    std::unique_ptr<TProjectSettings> FSettings;
    TEditorBridge* FBridge = nullptr;  // created by CreateEditorBridge, freed by DestroyEditorBridge
    TRecoveryKeeper* FRecovery = nullptr;  // created in FormCreate, freed in FormDestroy
    TProjectLock FProjectLock;  // on the open project's root while the window has it open
    std::string FProjectFileName;
    bool FProjectDirty = false;

    // Topic editing state: the two dictionaries are owned here; the editing unit uses them.
    std::map<std::string, std::string> FUnsavedTopicHtml;  // topic id -> HTML held for Save
    std::map<std::string, std::string> FPendingTextFiles;  // full path -> text for Save
    std::string FDirtyHtml;
    std::string FCurrentTopicID;
    std::string FLoadedTopicBaselineHtml;
    bool FEditorReady = false;
    std::string FEditorCssShown;  // the style sheet file the page has loaded, empty for none
    bool FWaitingHtmlResponse = false;
    bool FWaitingHeaderResponse = false;
    bool FPendingFocusEditor = false;
    std::string FActiveArea = "body";
    std::string FHeaderHtml;
    std::string FHeaderBg;
    // What the toolbar last applied and until when it ignores disagreeing caret reports.
    TToolbarSync FToolbarSync;

    // uMainEditing.cpp: what each outstanding request to the page was about. The page answers
    // in order, so the front record names the topic (and project) of the next answer. Header
    // pushes are recorded too (Echo): the page answers each with one "headerChanged", dropped.
    struct TEditorRequestTag {
        std::string Root;
        std::string TopicID;
        unsigned Generation = 0;  // FEditorDocGeneration when asked (HTML only)
        bool Echo = false;
    };
    std::deque<TEditorRequestTag> FHtmlRequests;
    std::deque<TEditorRequestTag> FHeaderMessages;
    unsigned FEditorDocGeneration = 0;                      // +1 for every document sent
    std::map<std::string, unsigned> FTopicLoadGeneration;   // topic id -> its last document
    std::string FPageHeaderRoot;      // the project and topic whose header the page shows
    std::string FPageHeaderTopicID;
    std::vector<QEventLoop*> FEditorWaits;
    bool FInTopicSwitch = false;
    bool FTopicSwitchPending = false;
    QWebEngineView* FEdgeView = nullptr;
    bool IsCurrentDocument(const TEditorRequestTag& ATag) const;
    // The project moved from AOldRoot to ANewRoot (Save As): the header the page shows and every
    // outstanding request belong to the project in its new place.
    void MoveEditorRecordsToRoot(const std::string& AOldRoot, const std::string& ANewRoot);
    void WaitForEditor(const bool& AFlag, int ATimeoutMs);
    void WakeEditorWaits();
    void KeepDirtyHtml();
    void SwitchToSelectedTopic();
    void HandleEditorFocusRequest();

    TfrmLinkIssues* FLinkIssues = nullptr;  // the last Check Links result, owned as a child
    QLabel* FStatusText = nullptr;
    QWidget* FEditorPlaceholder = nullptr;
    int FLeftPanelWidth = 0;
    bool FShownOnce = false;
    bool FDestroyed = false;
};
