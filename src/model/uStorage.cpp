#include "uStorage.h"

#include "uContextIds.h"
#include "uJson.h"
#include "uUtils.h"

#include <cstdlib>
#include <filesystem>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

std::string MetaFolder(const std::string& ARoot) { return CombinePath(ARoot, "meta"); }
std::string TopicsJsonPath(const std::string& ARoot) { return CombinePath(MetaFolder(ARoot), "topics.json"); }

TJson StringArray(const std::vector<std::string>& AItems) {
    TJson a = TJson::array();
    for (const auto& s : AItems)
        a.push_back(s);
    return a;
}

void AppendArrayTexts(const TJson& AObject, const char* AName, std::vector<std::string>& AOut,
                      const std::string& AFile) {
    const TJson* m = JsonMember(AObject, AName);
    if (!m)
        return;
    JsonRequireArray(*m, "\"" + std::string(AName) + "\" in " + AFile);
    for (const auto& e : *m)
        AOut.push_back(JsonText(&e));
}

bool FlagText(const TJson& AObject, const char* AName) {
    return LowerAscii(JsonText(JsonMember(AObject, AName))) == "true";
}

// A tree file the loader could not read is moved aside before it would be replaced.
void KeepUnreadableTreeFile(const std::string& APath) {
    if (!FileExists(APath))
        return;
    TJson probe;
    if (JsonTryParse(ReadUtf8File(APath), probe))
        return;
    for (int n = 1;; ++n) {
        std::string aside = APath + ".unreadable-" + std::to_string(n);
        std::error_code ec;
        if (fs::exists(fs::path(aside), ec))
            continue;
        fs::rename(fs::path(APath), fs::path(aside), ec);
        if (ec)
            throw EAppError("Cannot keep the unreadable file \"" + APath + "\" aside: " + ec.message());
        return;
    }
}

std::string g_ExeName;

}  // namespace

std::string ProjectTreeJson(const TDocProject& AProject) {
    TJson tree = TJson::object();
    tree["rootTopicIds"] = StringArray(AProject.RootTopicIDs());
    TJson topics = TJson::array();
    for (const TTopic& t : AProject.Topics()) {
        TJson e = TJson::object();
        e["id"] = t.ID();
        e["title"] = t.Title();
        e["htmlPath"] = "topics\\" + t.ID() + ".html";
        e["parentId"] = t.ParentID();
        e["excludeWeb"] = t.ExcludeWeb();
        e["excludeChm"] = t.ExcludeChm();
        e["excludePdf"] = t.ExcludePdf();
        e["children"] = StringArray(t.Children());
        e["keywords"] = StringArray(t.Keywords());
        e["index"] = StringArray(t.IndexEntries());
        topics.push_back(std::move(e));
    }
    tree["topics"] = std::move(topics);
    return JsonWrite(tree);
}

void ReadProjectTree(const TJson& ATree, const std::string& ARootPath, TDocProject& AProject, const std::string& AWhat) {
    JsonRequireObject(ATree, AWhat);
    AppendArrayTexts(ATree, "rootTopicIds", AProject.RootTopicIDs(), AWhat);
    const TJson* topics = JsonMember(ATree, "topics");
    if (!topics)
        return;
    JsonRequireArray(*topics, "\"topics\" in " + AWhat);
    const std::string rootWithDelim = IncludeTrailingPathDelimiter(ARootPath);
    for (const auto& e : *topics) {
        JsonRequireObject(e, "a topic element in " + AWhat);
        std::string id = JsonText(JsonMember(e, "id"));
        if (id.empty())
            continue;
        auto topic = std::make_unique<TTopic>(id);
        topic->SetTitle(JsonText(JsonMember(e, "title")));
        topic->SetParentID(JsonText(JsonMember(e, "parentId")));
        topic->SetHtmlPath(rootWithDelim + "topics" + PathDelim + id + ".html");
        topic->SetExcludeWeb(FlagText(e, "excludeWeb"));
        topic->SetExcludeChm(FlagText(e, "excludeChm"));
        topic->SetExcludePdf(FlagText(e, "excludePdf"));
        AppendArrayTexts(e, "children", topic->Children(), AWhat);
        AppendArrayTexts(e, "keywords", topic->Keywords(), AWhat);
        AppendArrayTexts(e, "index", topic->IndexEntries(), AWhat);
        if (AProject.Topics().contains(id))
            throw EAppError("Duplicate topic id " + id + " in " + AWhat);
        AProject.Topics().add(std::move(topic));
    }
}

void SaveProjectFolder(const TDocProject& AProject) {
    const std::string& root = AProject.RootPath();
    EnsureDir(root);
    EnsureDir(MetaFolder(root));

    TJson proj = TJson::object();
    proj["title"] = AProject.Title();
    proj["styleProfile"] = AProject.StyleProfile();
    WriteUtf8File(CombinePath(root, "project.json"), JsonWrite(proj));

    const std::string treePath = TopicsJsonPath(root);
    KeepUnreadableTreeFile(treePath);
    WriteUtf8File(treePath, ProjectTreeJson(AProject));
    SaveContextIds(AProject);
}

void LoadProjectFolder(const std::string& ARootPath, TDocProject& AProject) {
    AProject.Clear();
    AProject.SetRootPath(ARootPath);

    const std::string projPath = CombinePath(ARootPath, "project.json");
    if (FileExists(projPath)) {
        TJson j;
        if (JsonTryParse(ReadUtf8File(projPath), j)) {
            JsonRequireObject(j, projPath);
            if (const TJson* t = JsonMember(j, "title"))
                AProject.SetTitle(JsonText(t));
            if (const TJson* s = JsonMember(j, "styleProfile")) {
                std::string profile = JsonText(s);
                AProject.SetStyleProfile(profile.empty() ? "default" : profile);
            }
        }
    }

    const std::string treePath = TopicsJsonPath(ARootPath);
    TJson j;
    if (FileExists(treePath) && !JsonTryParse(ReadUtf8File(treePath), j)) {
        // The ids belong to the tree that could not be read: they are kept for it, not dropped.
        if (FileExists(ContextIdsFilePath(ARootPath)))
            AProject.SetContextIdsProblem("The help context ids file " + ContextIdsFilePath(ARootPath) +
                                          " was not read: the tree file " + treePath + " is not readable.");
        return;
    }
    if (FileExists(treePath))
        ReadProjectTree(j, ARootPath, AProject, treePath);
    LoadContextIds(AProject);
}

std::string DerivedProjectRoot(const std::string& AFileName) {
    std::string name = FileNameWithoutExt(AFileName);
    if (name.empty())
        name = "Project";
    std::string dir = ExtractFileDir(AFileName);
    if (dir.empty())
        return name;
    return CombinePath(dir, name);
}

void SaveProjectFile(const std::string& AFileName, TDocProject& AProject) {
    SaveProjectFileAt(AFileName, AProject, ExpandFileName(DerivedProjectRoot(AFileName)));
}

void SaveProjectFileAt(const std::string& AFileName, TDocProject& AProject, const std::string& ARootPath) {
    std::string dir = ExtractFileDir(AFileName);
    EnsureDir(dir);
    const std::string root = ExcludeTrailingPathDelimiter(ARootPath);
    EnsureDir(root);

    TJson pf = TJson::object();
    pf["version"] = "1.0";
    pf["title"] = AProject.Title();
    pf["root"] = root;
    WriteUtf8BomFile(AFileName, JsonWrite(pf));

    const std::string saved = AProject.RootPath();
    AProject.SetRootPath(IncludeTrailingPathDelimiter(root));
    try {
        SaveProjectFolder(AProject);
    } catch (...) {
        AProject.SetRootPath(saved);
        throw;
    }
    AProject.SetRootPath(saved);
}

void ReadProjectFile(const std::string& AFileName, std::string& ARootPath, std::string& ATitle) {
    ARootPath.clear();
    ATitle.clear();
    if (!FileExists(AFileName))
        throw EAppError("Project file not found: " + AFileName);
    TJson j;
    if (!JsonTryParse(ReadUtf8File(AFileName), j))
        throw EAppError("Invalid project file: " + AFileName);
    JsonRequireObject(j, AFileName);
    const TJson* title = JsonMember(j, "title");
    if (!title)
        throw EAppError("Member \"title\" not found in " + AFileName);
    const TJson* root = JsonMember(j, "root");
    if (!root)
        throw EAppError("Member \"root\" not found in " + AFileName);
    ATitle = JsonText(title);
    ARootPath = JsonText(root);

    const std::string derived = DerivedProjectRoot(AFileName);
    if (ARootPath.empty())
        ARootPath = derived;
    if (!FileExists(CombinePath(ARootPath, "project.json")) && FileExists(CombinePath(derived, "project.json")))
        ARootPath = derived;
}

namespace {

// Whether AInner is AOuter or lies inside it (both canonical).
bool IsSameOrInside(const fs::path& AInner, const fs::path& AOuter) {
    auto i = AInner.begin();
    for (auto o = AOuter.begin(); o != AOuter.end(); ++o, ++i)
        if (i == AInner.end() || *i != *o)
            return false;
    return true;
}

// The Save As copy of a project root. Relative paths are built as text while descending, so a
// link never changes where its copy goes: a file link is copied as the file it points to, a
// folder link as a folder with what it holds. Anything that cannot be read or copied stops the
// copy with an error naming it.
class TProjectFolderCopy {
public:
    explicit TProjectFolderCopy(const std::string& ATarget) : FTarget(ATarget) {
        EnsureDir(ATarget);
        FTargetReal = fs::canonical(fs::path(ATarget));
    }

    // ADir is the source root (ARel empty) or a folder, or folder link, inside it.
    void CopyFolder(const fs::path& ADir, const std::string& ARel) {
        std::error_code ec;
        const fs::path real = fs::canonical(ADir, ec);
        if (ec)
            throw EAppError("Cannot read folder \"" + ADir.string() + "\": " + ec.message());
        // Entering a folder that holds one being copied (or the copy) would never end.
        for (const fs::path& open : FOpen)
            if (IsSameOrInside(open, real))
                throw EAppError("Cannot copy the folder link \"" + ADir.string() +
                                "\": it leads back into a folder being copied");
        if (IsSameOrInside(FTargetReal, real))
            throw EAppError("Cannot copy \"" + ADir.string() + "\" into \"" + FTarget + "\", which lies inside it");
        std::vector<fs::path> entries;
        for (fs::directory_iterator it(ADir, ec), end; !ec && it != end; it.increment(ec))
            entries.push_back(it->path());
        if (ec)
            throw EAppError("Cannot read folder \"" + ADir.string() + "\": " + ec.message());
        FOpen.push_back(real);
        for (const fs::path& entry : entries) {
            const std::string name = entry.filename().string();
            CopyEntry(entry, ARel.empty() ? name : ARel + "/" + name);
        }
        FOpen.pop_back();
    }

private:
    void CopyEntry(const fs::path& APath, const std::string& ARel) {
        std::error_code ec;
        const fs::file_status status = fs::status(APath, ec);
        // The publishing output is not copied, whatever state it is in.
        if (SameText(ARel, "build") && !fs::is_regular_file(status))
            return;
        if (ec) {
            std::error_code lec;
            if (ec == std::errc::no_such_file_or_directory && fs::is_symlink(fs::symlink_status(APath, lec))) {
                const std::string to = fs::read_symlink(APath, lec).string();
                throw EAppError("Broken link \"" + APath.string() + "\": it points to \"" + to + "\", which does not exist");
            }
            throw EAppError("Cannot read \"" + APath.string() + "\": " + ec.message());
        }
        if (fs::is_directory(status)) {
            CopyFolder(APath, ARel);
            return;
        }
        if (!fs::is_regular_file(status))
            throw EAppError("Cannot copy \"" + APath.string() + "\": it is neither a file nor a folder");
        if (SameText(ExtractFileExt(ARel), ".svp"))
            return;
        const std::string dest = CombinePath(FTarget, ARel);
        EnsureDir(ExtractFileDir(dest));
        // A link already in the target is replaced, never written through.
        if (fs::is_symlink(fs::symlink_status(fs::path(dest), ec)))
            fs::remove(fs::path(dest), ec);
        fs::copy_file(APath, fs::path(dest), fs::copy_options::overwrite_existing, ec);
        if (ec)
            throw EAppError("Cannot copy \"" + APath.string() + "\" to \"" + dest + "\": " + ec.message());
    }

    std::string FTarget;
    fs::path FTargetReal;
    std::vector<fs::path> FOpen;  // canonical paths of the folders being copied, outermost first
};

}  // namespace

void CopyProjectFolder(const std::string& ASource, const std::string& ATarget) {
    TProjectFolderCopy(ATarget).CopyFolder(fs::path(ASource), "");
}

void SetApplicationExeName(const std::string& AName) { g_ExeName = AName; }

std::string ApplicationExeName() {
    if (!g_ExeName.empty())
        return g_ExeName;
    std::error_code ec;
    fs::path exe = fs::read_symlink("/proc/self/exe", ec);
    if (ec)
        return "pagewell";
    return FileNameWithoutExt(exe.filename().string());
}

std::string UserDataFolder() { return UserDataFolderFor(ApplicationExeName()); }

std::string UserDataFolderFor(const std::string& AExeName) {
    std::string base;
    if (const char* appdata = std::getenv("APPDATA"); appdata && *appdata) {
        base = appdata;
    } else if (const char* xdg = std::getenv("XDG_DATA_HOME"); xdg && *xdg) {
        base = xdg;
    } else if (const char* home = std::getenv("HOME"); home && *home) {
        base = CombinePath(home, ".local/share");
    } else {
        std::error_code ec;
        base = ExtractFileDir(fs::read_symlink("/proc/self/exe", ec).string());
    }
    return CombinePath(base, AExeName);
}

std::string LastProjectFilePath() { return CombinePath(UserDataFolder(), "last_project.txt"); }
