// TfrmMain: the main menu, the bindings of the left panel's buttons, and the small commands Open
// Output Folder, Visit Website and About with the web-address label of the status bar.
#include "uMain.h"

#include "uAppInfo.h"
#include "uUiPrompts.h"
#include "uUtils.h"

#include <QAction>
#include <QEvent>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QToolButton>
#include <filesystem>

QAction* TfrmMain::AddMenuItem(QMenu* AMenu, const char* AObjectName, const char* ACaption,
                               void (TfrmMain::*AHandler)(), bool AEnabled) {
    QAction* a = AMenu->addAction(ACaption);
    a->setObjectName(AObjectName);
    if (AHandler)
        connect(a, &QAction::triggered, this, [this, AHandler] { Guarded(AHandler); });
    // A command that is not built yet is shown, but cannot be chosen.
    a->setEnabled(AEnabled && AHandler != nullptr);
    return a;
}

void TfrmMain::BindButton(QToolButton* AButton, void (TfrmMain::*AHandler)(), bool AEnabled) {
    if (AHandler)
        connect(AButton, &QToolButton::clicked, this, [this, AHandler] { Guarded(AHandler); });
    AButton->setEnabled(AEnabled && AHandler != nullptr);
}

void TfrmMain::BuildMainMenu() {
    QMenuBar* MainMenu1 = menuBar();
    MainMenu1->setObjectName("MainMenu1");
    MainMenu1->setNativeMenuBar(false);

    QMenu* file = MainMenu1->addMenu("File");
    file->setObjectName("File1");
    NewProject1 = AddMenuItem(file, "NewProject1", "New Project", &TfrmMain::btnNewProjectClick);
    file->addSeparator();
    OpenProject1 = AddMenuItem(file, "OpenProject1", "Open Project...", &TfrmMain::btnOpenProjectClick);
    file->addSeparator();
    Save1 = AddMenuItem(file, "Save1", "Save Project", &TfrmMain::btnSaveClick);
    SaveAs1 = AddMenuItem(file, "SaveAs1", "Save Project As...", &TfrmMain::btnSaveAsClick);
    file->addSeparator();
    ImportHtmlManual1 = AddMenuItem(file, "ImportHtmlManual1", "Import HTML Manual...", &TfrmMain::ImportHtmlManual1Click);
    file->addSeparator();
    Exit1 = AddMenuItem(file, "Exit1", "Exit", &TfrmMain::Exit1Click);

    QMenu* topic = MainMenu1->addMenu("Topic");
    topic->setObjectName("Topic1");
    NewRootTopic1 = AddMenuItem(topic, "NewRootTopic1", "New Root Topic...", &TfrmMain::btnNewRootTopicClick);
    NewChildTopic1 = AddMenuItem(topic, "NewChildTopic1", "New Child Topic...", &TfrmMain::btnNewSubTopicClick);
    topic->addSeparator();
    RemoveTopic1 = AddMenuItem(topic, "RemoveTopic1", "Remove Topic", &TfrmMain::btnDeleteTopicClick);
    topic->addSeparator();
    QMenu* move = topic->addMenu("Move");
    move->setObjectName("Move1");
    Up1 = AddMenuItem(move, "Up1", "Up", &TfrmMain::Up1Click);
    Down1 = AddMenuItem(move, "Down1", "Down", &TfrmMain::Down1Click);
    ChangeParent1 = AddMenuItem(move, "ChangeParent1", "Move Level Up", &TfrmMain::ChangeParent1Click);
    topic->addSeparator();
    Rename1 = AddMenuItem(topic, "Rename1", "Rename...", &TfrmMain::Rename1Click);
    topic->addSeparator();
    // The topic's keywords, index entries, exclusions and the style profile, beside the editor.
    Properties1 = AddMenuItem(topic, "Properties1", "Properties", &TfrmMain::Properties1Click);
    Properties1->setCheckable(true);

    // No shortcuts: the editor page handles Ctrl+Z and the rest itself, a menu shortcut would
    // run the command a second time.
    QMenu* edit = MainMenu1->addMenu("Edit");
    edit->setObjectName("Edit1");
    Undo1 = AddMenuItem(edit, "Undo1", "Undo", &TfrmMain::Undo1Click);
    Redo1 = AddMenuItem(edit, "Redo1", "Redo", &TfrmMain::Redo1Click);
    edit->addSeparator();
    Cut1 = AddMenuItem(edit, "Cut1", "Cut", &TfrmMain::Cut1Click);
    Copy1 = AddMenuItem(edit, "Copy1", "Copy", &TfrmMain::Copy1Click);
    Paste1 = AddMenuItem(edit, "Paste1", "Paste", &TfrmMain::Paste1Click);
    Delete1 = AddMenuItem(edit, "Delete1", "Delete", &TfrmMain::Delete1Click);
    SelectAll1 = AddMenuItem(edit, "SelectAll1", "Select All", &TfrmMain::SelectAll1Click);

    QMenu* publish = MainMenu1->addMenu("Publish");
    publish->setObjectName("Publish1");
    PublishWebHelp1 = AddMenuItem(publish, "PublishWebHelp1", "WebHelp", &TfrmMain::btnExportWebClick);
    PublishChm1 = AddMenuItem(publish, "PublishChm1", "CHM", &TfrmMain::btnExportChmClick);
    PublishPdf1 = AddMenuItem(publish, "PublishPdf1", "PDF", &TfrmMain::btnExportPdfClick);
    publish->addSeparator();
    OpenOutputFolder1 = AddMenuItem(publish, "OpenOutputFolder1", "Open Output Folder", &TfrmMain::OpenOutputFolder1Click);

    QMenu* tools = MainMenu1->addMenu("Tools");
    tools->setObjectName("Tools1");
    ProjectSettings1 = AddMenuItem(tools, "ProjectSettings1", "Project Settings...", &TfrmMain::btnProjectSettingsClick);
    VariablesSnippetsConditions1 =
        AddMenuItem(tools, "VariablesSnippetsConditions1", "Variables, Snippets, Conditions...",
                    &TfrmMain::btnVariablesConditionsSnippetsClick);
    CheckLinks1 = AddMenuItem(tools, "CheckLinks1", "Check Links", &TfrmMain::btnCheckLinksClick);
    AssignHelpContextIds1 = AddMenuItem(tools, "AssignHelpContextIds1", "Assign Help Context IDs...",
                                        &TfrmMain::AssignHelpContextIds1Click);

    QMenu* help = MainMenu1->addMenu("Help");
    help->setObjectName("Help1");
    VisitWebsite1 = AddMenuItem(help, "VisitWebsite1", "Visit Website", &TfrmMain::VisitWebsite1Click);
    help->addSeparator();
    About1 = AddMenuItem(help, "About1", "About...", &TfrmMain::About1Click);
}

void TfrmMain::BindLeftButtons() {
    BindButton(btnNewProject, &TfrmMain::btnNewProjectClick, true);
    BindButton(btnOpenProject, &TfrmMain::btnOpenProjectClick, true);
    BindButton(btnSave, &TfrmMain::btnSaveClick, true);
    BindButton(btnSaveAs, &TfrmMain::btnSaveAsClick, true);
    BindButton(btnProjectSettings, &TfrmMain::btnProjectSettingsClick, true);
    BindButton(btnNewRootTopic, &TfrmMain::btnNewRootTopicClick, true);
    BindButton(btnNewSubTopic, &TfrmMain::btnNewSubTopicClick, true);
    BindButton(btnDeleteTopic, &TfrmMain::btnDeleteTopicClick, true);
    BindButton(btnVariablesConditionsSnippets, &TfrmMain::btnVariablesConditionsSnippetsClick, true);
    BindButton(btnExportWeb, &TfrmMain::btnExportWebClick, true);
    BindButton(btnExportCHM, &TfrmMain::btnExportChmClick, true);
    BindButton(btnExportPDF, &TfrmMain::btnExportPdfClick, true);
}

bool TfrmMain::eventFilter(QObject* AWatched, QEvent* AEvent) {
    if (AWatched == lbHomepageURL) {
        switch (AEvent->type()) {
        case QEvent::Enter:
            lbHomepageURLMouseEnter();
            break;
        case QEvent::Leave:
            lbHomepageURLMouseLeave();
            break;
        case QEvent::MouseButtonRelease:
            if (static_cast<QMouseEvent*>(AEvent)->button() == Qt::LeftButton)
                Guarded(&TfrmMain::VisitWebsite1Click);
            break;
        default:
            break;
        }
    }
    return QMainWindow::eventFilter(AWatched, AEvent);
}

void TfrmMain::lbHomepageURLMouseEnter() {
    QFont f = lbHomepageURL->font();
    f.setUnderline(false);
    lbHomepageURL->setFont(f);
}

void TfrmMain::lbHomepageURLMouseLeave() {
    QFont f = lbHomepageURL->font();
    f.setUnderline(true);
    lbHomepageURL->setFont(f);
}

void TfrmMain::OpenOutputFolder1Click() {
    // Every project has an empty build folder from the start; there is nothing to show in it
    // before something has been published.
    const std::string build = CombinePath(FProject->RootPath(), "build");
    std::error_code ec;
    if (DirectoryExists(build) && !std::filesystem::is_empty(std::filesystem::path(build), ec) && !ec)
        FPrompts.ShellExplore(build);
}

void TfrmMain::VisitWebsite1Click() { FPrompts.ShellOpen(AppHomepageURL); }

std::string TfrmMain::AboutText() {
    return std::string(AppTitle) + "\nVersion: " + AppVersionText + "\n\n" +
           "A desktop authoring tool for help documentation.\nCopyright (c) " + AppVendorName +
           ".\nBuilt with Qt " + QT_VERSION_STR + ".";
}

void TfrmMain::About1Click() { FPrompts.ShowInfo(AppTitle, AboutText()); }
