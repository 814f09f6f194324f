// TfrmMain: the project commands. The scratch project, New, Open, Save, Save As and Exit, the
// modified prompt, and the project folders and application files every project receives.
#include "uMain.h"

#include "uAppErrors.h"
#include "uAppInfo.h"
#include "uContextIds.h"
#include "uRecoveryKeeper.h"
#include "uStorage.h"
#include "uUiPrompts.h"
#include "uUtils.h"

#include <QCoreApplication>
#include <filesystem>

#include "uQtText.h"

namespace fs = std::filesystem;

namespace {

const char* const ProjectFolders[] = {"topics", "meta", "assets/images", "build", "styles", "internal/editor",
                                      "internal/webhelp"};

void EnsureProjectFoldersAt(const std::string& ARoot) {
    EnsureDir(ARoot);
    for (const char* f : ProjectFolders)
        EnsureDir(CombinePath(ARoot, f));
}

void CopyFileReplacing(const std::string& ASource, const std::string& ATarget) {
    std::error_code ec;
    fs::copy_file(fs::path(ASource), fs::path(ATarget), fs::copy_options::overwrite_existing, ec);
    if (ec)
        throw EAppError("Cannot copy \"" + ASource + "\" to \"" + ATarget + "\": " + ec.message());
}

// Copies the regular files directly inside ASourceDir (not its subfolders) into ATargetDir.
void CopyFolderFiles(const std::string& ASourceDir, const std::string& ATargetDir) {
    EnsureDir(ATargetDir);
    std::error_code ec;
    for (fs::directory_iterator it(fs::path(ASourceDir), ec), end; !ec && it != end; it.increment(ec)) {
        std::error_code fec;
        if (!it->is_regular_file(fec))
            continue;
        CopyFileReplacing(it->path().string(), CombinePath(ATargetDir, it->path().filename().string()));
    }
    if (ec)
        throw EAppError("Cannot read folder \"" + ASourceDir + "\": " + ec.message());
}

void InstallAppFilesAt(const std::string& ARoot) {
    const std::string app = TfrmMain::ApplicationFolder();
    // The editor page (with any files it is split into) replaces the project's copy.
    const std::string editorDir = CombinePath(app, "AppFiles/editor");
    if (FileExists(CombinePath(editorDir, "editor.html")))
        CopyFolderFiles(editorDir, CombinePath(ARoot, "internal/editor"));
    // The WebHelp viewer templates.
    const std::string projectWebhelp = EnsureDir(CombinePath(ARoot, "internal/webhelp"));
    const std::string webhelpDir = CombinePath(app, "AppFiles/webhelp");
    if (DirectoryExists(webhelpDir))
        CopyFolderFiles(webhelpDir, projectWebhelp);
    // The default style sheet, never over the project's own.
    const std::string css = CombinePath(app, "styles/default.css");
    const std::string projectCss = CombinePath(ARoot, "styles/default.css");
    if (FileExists(css) && !FileExists(projectCss)) {
        EnsureDir(ExtractFileDir(projectCss));
        CopyFileReplacing(css, projectCss);
    }
}

// Whether two paths name the same folder: the same folder on disk when both exist, otherwise
// the same absolute path (compared exactly: folder names differ by case on this platform).
bool SameFolder(const std::string& A, const std::string& B) {
    const std::string a = ExpandFileName(ExcludeTrailingPathDelimiter(A));
    const std::string b = ExpandFileName(ExcludeTrailingPathDelimiter(B));
    std::error_code ec;
    if (fs::exists(fs::path(a), ec) && fs::exists(fs::path(b), ec)) {
        bool same = fs::equivalent(fs::path(a), fs::path(b), ec);
        if (!ec)
            return same;
    }
    return a == b;
}

// Whether AInner lies strictly inside AOuter (both absolute).
bool IsInsideFolder(const std::string& AInner, const std::string& AOuter) {
    const std::string inner = ExpandFileName(ExcludeTrailingPathDelimiter(AInner));
    const std::string outer = IncludeTrailingPathDelimiter(ExpandFileName(ExcludeTrailingPathDelimiter(AOuter)));
    return inner.size() > outer.size() && StartsWith(inner, outer);
}

bool HasRootTopics(const TDocProject& AProject) {
    for (const auto& id : AProject.RootTopicIDs())
        if (AProject.HasTopic(id))
            return true;
    return false;
}

}  // namespace

// ---- folders ------------------------------------------------------------------------------

std::string TfrmMain::ApplicationFolder() { return FromQ(QCoreApplication::applicationDirPath()); }

std::string TfrmMain::ScratchRoot() {
    return IncludeTrailingPathDelimiter(CombinePath(UserDataFolder(), "Workspace"));
}

std::string TfrmMain::NormalizeProjectPath(const std::string& APath) {
    std::string s = Trim(APath);
    // Garbage before the last drive-letter path (a stray quotation mark, a doubled path). The
    // scan runs from the third-last character back to the second one.
    for (size_t p = s.size() >= 3 ? s.size() - 3 : 0; p >= 1 && s.size() >= 3; --p) {
        const char c = s[p];
        if (((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z')) && s[p + 1] == ':' && s[p + 2] == '\\') {
            s.erase(0, p);
            break;
        }
    }
    // Stray quotation marks around an absolute path of this platform.
    if (s.find('"') != std::string::npos) {
        size_t first = s.find_first_not_of('"');
        size_t last = s.find_last_not_of('"');
        s = first == std::string::npos ? std::string() : s.substr(first, last - first + 1);
    }
    if (s.empty())
        return s;
    try {
        return ExpandFileName(s);
    } catch (...) {
        return s;
    }
}

void TfrmMain::EnsureProjectFolders() { EnsureProjectFoldersAt(FProject->RootPath()); }

void TfrmMain::InstallAppFiles() { InstallAppFilesAt(FProject->RootPath()); }

// ---- settings -----------------------------------------------------------------------------

void TfrmMain::SaveDefaultSettings() {
    if (!FSettings)
        FSettings = std::make_unique<TProjectSettings>();
    FSettings->SetDefaults();
    try {
        const std::string path = TProjectSettings::DefaultSettingsPathForProject(FProject->RootPath());
        EnsureDir(ExtractFileDir(path));
        FSettings->SaveToFile(path);
    } catch (...) {
        // A settings file that cannot be written is not an error: the defaults apply.
    }
}

void TfrmMain::LoadProjectSettings() {
    if (!FSettings)
        FSettings = std::make_unique<TProjectSettings>();
    const std::string path = TProjectSettings::DefaultSettingsPathForProject(FProject->RootPath());
    if (FileExists(path)) {
        // Keys missing from the file take their defaults, as the publishers read them, and
        // never the values of the project open before.
        FSettings->SetDefaults();
        try {
            FSettings->LoadFromFile(path);
        } catch (...) {
            FSettings->SetDefaults();
            SyncToolbarFromSettings();
            throw;
        }
    } else {
        // A project without a settings file keeps the title it was stored with.
        const std::string title = FProject->Title();
        SaveDefaultSettings();
        if (!title.empty() && title != FSettings->ProjTitle) {
            FSettings->ProjTitle = title;
            try {
                FSettings->SaveToFile(TProjectSettings::DefaultSettingsPathForProject(FProject->RootPath()));
            } catch (...) {
            }
        }
    }
    SyncToolbarFromSettings();
    if (FEditorReady && FBridge)
        ApplySettingsToEditor();
}

// ---- scratch project ----------------------------------------------------------------------

void TfrmMain::ResetScratchRoot() {
    const std::string root = ScratchRoot();
    std::error_code ec;
    fs::remove_all(fs::path(ExcludeTrailingPathDelimiter(root)), ec);  // a failure is ignored
    EnsureDir(ExcludeTrailingPathDelimiter(root));
}

void TfrmMain::ClearEditingState() {
    if (FRecovery)
        FRecovery->Forget();  // saved, or given up with the project
    FUnsavedTopicHtml.clear();
    FPendingTextFiles.clear();
    FDirtyHtml.clear();
    FProjectDirty = false;
}

void TfrmMain::SetUpScratchProjectObject() {
    FProject->Clear();
    FProject->SetRootPath(ScratchRoot());
    FProject->SetTitle("Untitled Documentation");
    FProject->SetStyleProfile("default");
}

void TfrmMain::CreateScratchProject() {
    ClearEditingState();
    SetUpScratchProjectObject();
    // A scratch project a killed session left unsaved keeps its folder until the author has
    // answered whether to restore it.
    const bool restored = OfferRecovery(ScratchRoot());
    if (!restored)
        ResetScratchRoot();
    EnsureProjectFolders();
    InstallAppFiles();
    if (!restored)
        SaveDefaultSettings();
    SyncToolbarFromSettings();
    if (!restored)
        FProject->AddTopic("Welcome", "");  // its body file is written when it is first shown
    FProjectFileName.clear();
}

void TfrmMain::FallBackToScratchProject() {
    FCurrentTopicID.clear();
    FRecovery->Detach();  // the journal of the project that failed to open stays
    RunGuarded(FPrompts, [&] {
        CreateScratchProject();
        SetEditorBaseAddress();  // the page resolves assets/... against the scratch root again
    });
    RunGuarded(FPrompts, [&] { ShowFirstTopic(); });
    UpdateCaption();
}

// ---- New ----------------------------------------------------------------------------------

void TfrmMain::btnNewProjectClick() {
    if (!ConfirmSaveChanges())
        return;
    if (JournalLeftBehind(ScratchRoot())) {
        // The scratch project of a killed session is offered back before New replaces it.
        FCurrentTopicID.clear();
        CreateScratchProject();
        if (FProjectDirty) {
            SetEditorBaseAddress();
            ShowFirstTopic();
            UpdateCaption();
            return;
        }
    }
    ResetScratchRoot();
    ClearEditingState();
    SetUpScratchProjectObject();
    FRecovery->Attach(ScratchRoot());
    FCurrentTopicID.clear();

    SetEditorBaseAddress();
    EnsureProjectFolders();
    InstallAppFiles();

    SaveDefaultSettings();
    SyncToolbarFromSettings();
    if (FEditorReady)
        ApplySettingsToEditor();

    FProject->AddTopic("Welcome", "");
    FProjectFileName.clear();
    ShowFirstTopic();
    UpdateCaption();

    if (ShowProjectSettingsDialog())
        ApplyConfirmedSettings(true);

    UpdateCaption();
    ShowStatus("New project created (not saved)");
}

// ---- Open ---------------------------------------------------------------------------------

void TfrmMain::btnOpenProjectClick() {
    if (!ConfirmSaveChanges())
        return;
    if (auto chosen = FPrompts.OpenFileName("Project (*.svp)", "svp"))
        OpenProjectFile(NormalizeProjectPath(*chosen));
}

void TfrmMain::OpenProjectFile(const std::string& AFileName) {
    // Everything that can fail on a bad project file is checked before the window gives up the
    // project it has: the project file, the tree files (read into a probe) and the folders.
    const std::string fileName = NormalizeProjectPath(AFileName);
    std::string root;
    std::string storedTitle;
    ReadProjectFile(fileName, root, storedTitle);
    if (!IsPathRooted(root))
        root = CombinePath(ExtractFileDir(fileName), root);
    root = IncludeTrailingPathDelimiter(ExpandFileName(root));
    {
        TDocProject probe;
        LoadProjectFolder(root, probe);
    }
    EnsureProjectFoldersAt(root);
    InstallAppFilesAt(root);

    // From here on the window holds the new project; a failure now leaves a scratch project,
    // never the new file name over another project's tree.
    try {
        ClearEditingState();
        FCurrentTopicID.clear();
        FProjectFileName = fileName;
        FProject->Clear();
        FProject->SetRootPath(root);
        SetEditorBaseAddress();
        LoadProjectFolder(root, *FProject);
        SetAsideUnreadableContextIds();
        if (!storedTitle.empty())
            FProject->SetTitle(storedTitle);
        OfferRecovery(root);
        if (!HasRootTopics(*FProject)) {
            if (FProject->Title().empty())
                FProject->SetTitle(FileNameWithoutExt(fileName));
            TTopic& welcome = FProject->AddTopic("Welcome", "");
            WriteTopicHtml(welcome.ID(), NewTopicHtml());
            SaveProjectFolder(*FProject);
        }
        // A broken settings file is reported; the project opens with the default settings.
        RunGuarded(FPrompts, [&] { LoadProjectSettings(); });
        ShowFirstTopic();
    } catch (...) {
        FallBackToScratchProject();
        throw;
    }
    RecordLastProject();
    UpdateCaption();
}

void TfrmMain::SetAsideUnreadableContextIds() {
    const std::string problem = FProject->ContextIdsProblem();
    if (problem.empty())
        return;
    // Renamed before anything can replace it; the project goes on without help context ids.
    const std::string aside = KeepContextIdsFileAside(FProject->RootPath());
    FProject->SetContextIdsProblem("");
    FPrompts.ShowWarning(AppTitle, problem + "\n\nThe file was renamed " + aside +
                                       ". The project opens without help context ids.");
}

void TfrmMain::RecordLastProject() {
    try {
        WriteUtf8File(LastProjectFilePath(), FProjectFileName);
    } catch (...) {
        // The record is a convenience; start-up falls back to a scratch project without it.
    }
}

// ---- Save, Save As ------------------------------------------------------------------------

void TfrmMain::SaveProjectFileKeepingRoot() {
    // A project opened from a root other than the one beside its file is saved where it was
    // opened, and the project file keeps naming that root: the tree files and the topic bodies
    // stay together.
    if (SameFolder(DerivedProjectRoot(FProjectFileName), FProject->RootPath()))
        SaveProjectFile(FProjectFileName, *FProject);
    else
        SaveProjectFileAt(FProjectFileName, *FProject, ExcludeTrailingPathDelimiter(FProject->RootPath()));
}

void TfrmMain::btnSaveClick() {
    RequestHeaderAndWait(400);
    StashCurrentEdits();
    FlushUnsavedTopics();
    SaveProjectFolder(*FProject);
    if (Trim(FProjectFileName).empty()) {
        btnSaveAsClick();
        return;
    }
    SaveProjectFileKeepingRoot();
    FProjectDirty = false;
    FRecovery->Forget();
    UpdateCaption();
    ShowStatus("Saved");
}

void TfrmMain::btnSaveAsClick() {
    RequestHeaderAndWait(400);
    const std::string proposed = FProjectFileName.empty() ? std::string("Untitled.svp") : ExtractFileName(FProjectFileName);
    auto chosen = FPrompts.SaveFileName("Help Project (*.svp)", "svp", proposed);
    if (!chosen)
        return;
    const std::string fileName = NormalizeProjectPath(*chosen);
    if (!IsPathRooted(fileName) || !SameText(ExtractFileExt(fileName), ".svp"))
        throw EAppError("Invalid project filename: " + fileName);
    const std::string newRoot = IncludeTrailingPathDelimiter(DerivedProjectRoot(fileName));
    const std::string oldRoot = FProject->RootPath();
    const bool moving = !SameFolder(newRoot, oldRoot);
    // Copying a folder into a folder of its own would copy the copy again.
    if (moving && IsInsideFolder(newRoot, oldRoot))
        throw EAppError("Cannot save the project inside its own folder: " + fileName);

    StashCurrentEdits();
    if (moving) {
        // The new root is complete before the project moves into it: a failure leaves the project
        // where it was.
        CopyProjectFolder(ExcludeTrailingPathDelimiter(oldRoot), ExcludeTrailingPathDelimiter(newRoot));
        EnsureProjectFoldersAt(newRoot);
        InstallAppFilesAt(newRoot);
        FProject->SetRootPath(newRoot);
        FProject->UpdateTopicHtmlPaths();
        MoveEditorRecordsToRoot(oldRoot, newRoot);
        FRecovery->MoveTo(newRoot);
        SetEditorBaseAddress();
    }
    FProjectFileName = fileName;
    FlushUnsavedTopics();
    SaveProjectFolder(*FProject);
    SaveProjectFileKeepingRoot();
    FProjectDirty = false;
    FRecovery->Forget();
    RecordLastProject();
    UpdateCaption();
    ShowStatus("Saved As");
}

void TfrmMain::FlushUnsavedTopics() {
    for (const auto& [id, html] : FUnsavedTopicHtml)
        FPendingTextFiles[TopicBodyPath(id)] = html;
    for (const auto& [path, text] : FPendingTextFiles) {
        EnsureDir(ExtractFileDir(path));
        WriteUtf8File(path, text);
    }
    FUnsavedTopicHtml.clear();
    FPendingTextFiles.clear();
    FDirtyHtml.clear();
}

// ---- modified prompt, Exit ----------------------------------------------------------------

bool TfrmMain::ConfirmSaveChanges() {
    if (!FProjectDirty)
        return true;
    switch (FPrompts.ConfirmYesNoCancel(AppTitle, "Project has been modified. Do you want to save changes?")) {
    case TConfirmAnswer::Cancel:
        return false;
    case TConfirmAnswer::Yes:
        // A Save As whose dialog was cancelled leaves the project modified: the calling command
        // stops, so closing or replacing the project never loses the changes.
        btnSaveClick();
        return !FProjectDirty;
    case TConfirmAnswer::No:
        break;
    }
    // "No" lets the command go on; the changes are given up only where another project really
    // takes the window's place (New, a successful Open, closing), so a cancelled or failed Open
    // keeps them and the modified flag.
    return true;
}

void TfrmMain::Exit1Click() { close(); }
