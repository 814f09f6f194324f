#include "uStorage.h"

#include "uJson.h"
#include "uUtils.h"

#include <cstdlib>
#include <filesystem>
#include <unistd.h>

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

void SaveProjectFolder(const TDocProject& AProject) {
    const std::string& root = AProject.RootPath();
    EnsureDir(root);
    EnsureDir(MetaFolder(root));

    TJson proj = TJson::object();
    proj["title"] = AProject.Title();
    proj["styleProfile"] = AProject.StyleProfile();
    WriteUtf8File(CombinePath(root, "project.json"), JsonWrite(proj));

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
    const std::string treePath = TopicsJsonPath(root);
    KeepUnreadableTreeFile(treePath);
    WriteUtf8File(treePath, JsonWrite(tree));
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
    if (!FileExists(treePath))
        return;
    TJson j;
    if (!JsonTryParse(ReadUtf8File(treePath), j))
        return;
    JsonRequireObject(j, treePath);
    AppendArrayTexts(j, "rootTopicIds", AProject.RootTopicIDs(), treePath);
    const TJson* topics = JsonMember(j, "topics");
    if (!topics)
        return;
    JsonRequireArray(*topics, "\"topics\" in " + treePath);
    const std::string rootWithDelim = IncludeTrailingPathDelimiter(ARootPath);
    for (const auto& e : *topics) {
        JsonRequireObject(e, "a topic element in " + treePath);
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
        AppendArrayTexts(e, "children", topic->Children(), treePath);
        AppendArrayTexts(e, "keywords", topic->Keywords(), treePath);
        AppendArrayTexts(e, "index", topic->IndexEntries(), treePath);
        if (AProject.Topics().contains(id))
            throw EAppError("Duplicate topic id " + id + " in " + treePath);
        AProject.Topics().add(std::move(topic));
    }
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

void CopyProjectFolder(const std::string& ASource, const std::string& ATarget) {
    EnsureDir(ATarget);
    const fs::path src(ASource);
    std::error_code ec;
    for (fs::recursive_directory_iterator it(src, fs::directory_options::skip_permission_denied, ec), end;
         !ec && it != end; it.increment(ec)) {
        if (!it->is_regular_file())
            continue;
        std::string rel = fs::relative(it->path(), src).generic_string();
        if (StartsText("build/", rel))
            continue;
        if (SameText(ExtractFileExt(rel), ".svp"))
            continue;
        std::string dest = CombinePath(ATarget, rel);
        EnsureDir(ExtractFileDir(dest));
        std::error_code cec;
        fs::copy_file(it->path(), fs::path(dest), fs::copy_options::overwrite_existing, cec);
        if (cec)
            throw EAppError("Cannot copy \"" + it->path().string() + "\" to \"" + dest + "\": " + cec.message());
    }
    if (ec)
        throw EAppError("Cannot read folder \"" + ASource + "\": " + ec.message());
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

std::string UserDataFolder() {
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
    return CombinePath(base, ApplicationExeName());
}

std::string LastProjectFilePath() { return CombinePath(UserDataFolder(), "last_project.txt"); }
