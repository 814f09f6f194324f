#include "uPublishCommon.h"

#include "uSettingsCss.h"
#include "uStorage.h"
#include "uTokenExpansion.h"
#include "uUtils.h"

#include <algorithm>
#include <memory>
#include <filesystem>
#include <system_error>
#include <vector>

namespace fs = std::filesystem;

namespace {

// Paths are UTF-8 and the platform's narrow encoding is UTF-8 here.
fs::path ToFsPath(const std::string& APath) { return fs::path(APath); }
std::string FromFsPath(const fs::path& APath) { return APath.string(); }

}  // namespace

void OpenProjectForPublishing(const std::string& APath, TDocProject& AProject, TProjectSettings& ASettings) {
    std::string storedTitle;
    const std::string root = ProjectRootForPath(APath, storedTitle);
    LoadProjectFolder(IncludeTrailingPathDelimiter(root), AProject);
    if (!storedTitle.empty())
        AProject.SetTitle(storedTitle);
    ASettings = LoadPublishSettings(AProject);
    AProject.SetTitle(ASettings.ProjTitle);
}

std::string ProjectRootForPath(const std::string& APath, std::string& AStoredTitle) {
    const std::string path = Trim(APath);
    std::string root;
    AStoredTitle.clear();
    if (DirectoryExists(path)) {
        root = ExcludeTrailingPathDelimiter(ExpandFileName(path));
        if (!FileExists(CombinePath(root, "project.json")) &&
            !FileExists(CombinePath(CombinePath(root, "meta"), "topics.json")))
            throw EAppError("Not a project folder: " + root);
    } else if (FileExists(path)) {
        if (!SameText(ExtractFileExt(path), ".svp"))
            throw EAppError("Not a project file: " + path);
        ReadProjectFile(ExpandFileName(path), root, AStoredTitle);
    } else {
        throw EAppError("Project file not found: " + path);
    }
    return root;
}

TProjectSettings LoadPublishSettings(const TDocProject& AProject) {
    TProjectSettings settings;
    const std::string path = TProjectSettings::DefaultSettingsPathForProject(AProject.RootPath());
    if (FileExists(path))
        settings.LoadFromFile(path);
    else if (!AProject.Title().empty())
        settings.ProjTitle = AProject.Title();  // what the window writes when it opens such a project
    return settings;
}

void CopyProjectForPublishing(const TDocProject& AProject, TDocProject& ATarget) {
    ATarget.Clear();
    ATarget.SetRootPath(AProject.RootPath());
    ATarget.SetTitle(AProject.Title());
    ATarget.SetStyleProfile(AProject.StyleProfile());
    ATarget.SetContextIdsProblem(AProject.ContextIdsProblem());
    for (const TTopic& topic : AProject.Topics())
        ATarget.Topics().add(std::make_unique<TTopic>(topic));
    ATarget.RootTopicIDs() = AProject.RootTopicIDs();
}

std::string TopicBodyFilePath(const TDocProject& AProject, const std::string& AID) {
    return CombinePath(CombinePath(AProject.RootPath(), "topics"), AID + ".html");
}

void RequireTopicIdIsFileName(const std::string& AID) {
    if (AID.empty() || AID == "." || AID == ".." || AID.find_first_of(std::string("/\\\0", 3)) != std::string::npos)
        throw EAppError("Invalid topic id: " + AID);
}

std::string ReadTopicBody(const TDocProject& AProject, const std::string& AID) {
    const std::string file = TopicBodyFilePath(AProject, AID);
    return FileExists(file) ? ReadUtf8File(file) : std::string();
}

std::string ReadTopicHtmlPath(const TTopic& ATopic) {
    return FileExists(ATopic.HtmlPath()) ? ReadUtf8File(ATopic.HtmlPath()) : std::string();
}

TDocLinkResolver MakeTopicPageResolver(const TDocProject& AProject, std::function<bool(const TTopic&)> AIncluded) {
    return [&AProject, AIncluded = std::move(AIncluded)](const std::string& AID) -> std::string {
        const TTopic* topic = AProject.Topics().find(AID);
        return topic && AIncluded(*topic) ? AID + ".html" : std::string();
    };
}

std::string ExpandAndRewriteTopicLinks(TTokenExpander& AExpander, const std::string& AHtml,
                                       const TDocLinkResolver& AResolver) {
    return RewriteDocLinks(AExpander.Expand(AHtml), AResolver);
}

namespace {

// AOpen holds the folders being copied further up, so a folder link that points back into the
// tree is not followed forever.
void CopyDirectoryTreeRec(const std::string& ASource, const std::string& ATarget, std::vector<fs::path>& AOpen) {
    EnsureDir(ATarget);
    std::error_code ec;
    fs::path canonical = fs::weakly_canonical(ToFsPath(ASource), ec);
    if (ec)
        canonical = ToFsPath(ASource);
    if (std::find(AOpen.begin(), AOpen.end(), canonical) != AOpen.end())
        return;
    AOpen.push_back(canonical);

    std::vector<fs::path> files;
    std::vector<fs::path> folders;
    for (fs::directory_iterator it(ToFsPath(ASource), ec), end; !ec && it != end; it.increment(ec)) {
        std::error_code typeEc;
        if (it->is_directory(typeEc))
            folders.push_back(it->path());
        else if (it->is_regular_file(typeEc))
            files.push_back(it->path());
    }
    if (ec)
        throw EAppError("Cannot read folder " + ASource + ": " + ec.message());
    std::sort(files.begin(), files.end());
    std::sort(folders.begin(), folders.end());
    for (const auto& file : files) {
        const std::string target = CombinePath(ATarget, FromFsPath(file.filename()));
        std::error_code copyEc;
        fs::copy_file(file, ToFsPath(target), fs::copy_options::overwrite_existing, copyEc);
        if (copyEc)
            throw EAppError("Cannot copy " + FromFsPath(file) + " to " + target + ": " + copyEc.message());
    }
    for (const auto& folder : folders)
        CopyDirectoryTreeRec(FromFsPath(folder), CombinePath(ATarget, FromFsPath(folder.filename())), AOpen);
    AOpen.pop_back();
}

}  // namespace

void CopyDirectoryTree(const std::string& ASource, const std::string& ATarget) {
    std::vector<fs::path> open;
    CopyDirectoryTreeRec(ASource, ATarget, open);
}

bool CopyProjectAssets(const TDocProject& AProject, const std::string& AOutputRoot) {
    const std::string assets = CombinePath(AProject.RootPath(), "assets");
    if (!DirectoryExists(assets))
        return false;
    CopyDirectoryTree(assets, CombinePath(AOutputRoot, "assets"));
    return true;
}

std::string ProjectBaseStyleSheet(const TDocProject& AProject) {
    const std::string profileSheet =
        CombinePath(CombinePath(AProject.RootPath(), "styles"), AProject.StyleProfile() + ".css");
    return FileExists(profileSheet) ? ReadUtf8File(profileSheet) : std::string(FallbackBaseCss);
}

std::string CopyrightFooterHtml(const TProjectSettings& ASettings) {
    if (!ASettings.CopyrightEnabled || Trim(ASettings.CopyrightText).empty())
        return {};
    return EscapeHtml(ASettings.CopyrightText);
}
