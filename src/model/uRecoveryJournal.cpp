#include "uRecoveryJournal.h"

#include "uContextIds.h"
#include "uJson.h"
#include "uStorage.h"
#include "uUtils.h"

#include <cerrno>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <filesystem>
#include <set>
#include <sys/file.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

constexpr const char* kManifestName = "journal.json";

// 64-bit FNV-1a as 16 lower-case hexadecimal digits.
std::string HashText(std::string_view AText) {
    unsigned long long h = 1469598103934665603ull;
    for (unsigned char c : AText) {
        h ^= c;
        h *= 1099511628211ull;
    }
    static const char* digits = "0123456789abcdef";
    std::string s(16, '0');
    for (int i = 15; i >= 0; --i, h >>= 4)
        s[static_cast<size_t>(i)] = digits[h & 15];
    return s;
}

std::string NormalRoot(const std::string& ARoot) { return ExcludeTrailingPathDelimiter(ExpandFileName(ARoot)); }

// The help context ids as the file holds them; an empty list when the project has none.
std::string JournalContextIds(const TDocProject& AProject) {
    const std::string json = ContextIdsJson(AProject);
    return json.empty() ? std::string("{\"topics\":[]}") : json;
}

std::string NowUtcText() {
    std::time_t now = std::time(nullptr);
    std::tm tm{};
    gmtime_r(&now, &tm);
    char buf[32];
    std::strftime(buf, sizeof buf, "%Y-%m-%d %H:%M:%S", &tm);
    return buf;
}

std::string LockPath(const std::string& AFolder) { return AFolder + ".lock"; }

// The journal folders this process keeps (a second lock of the same file here would fail).
std::set<std::string>& AttachedFolders() {
    static std::set<std::string> folders;
    return folders;
}

// Whether a running session holds the lock of AFolder.
bool LockedElsewhere(const std::string& AFolder) {
    if (AttachedFolders().count(AFolder))
        return true;
    const int fd = ::open(LockPath(AFolder).c_str(), O_RDWR | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool locked = ::flock(fd, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK;
    ::close(fd);  // also releases the probe's own lock
    return locked;
}

bool IsJournalFileName(const std::string& AName) {
    if (!StartsWith(AName, "topic-") || !EndsWith(AName, ".html") || AName.size() <= 11)
        return false;
    for (size_t i = 6; i < AName.size() - 5; ++i)
        if (AName[i] < '0' || AName[i] > '9')
            return false;
    return true;
}

const TJson& Member(const TJson& AObject, const char* AName, const std::string& AFile) {
    const TJson* m = JsonMember(AObject, AName);
    if (!m)
        throw EAppError("Member \"" + std::string(AName) + "\" not found in " + AFile);
    return *m;
}

std::string TextMember(const TJson& AObject, const char* AName, const std::string& AFile) {
    const TJson& m = Member(AObject, AName, AFile);
    if (!m.is_string())
        throw EAppError("Member \"" + std::string(AName) + "\" is not text in " + AFile);
    return m.get<std::string>();
}

void RemoveFolder(const std::string& AFolder) {
    std::error_code ec;
    fs::remove_all(fs::path(AFolder), ec);
    if (ec)
        throw EAppError("Cannot remove the recovery journal \"" + AFolder + "\": " + ec.message());
}

}  // namespace

TRecoveryJournal::TRecoveryJournal(std::string ABaseFolder) : FBase(std::move(ABaseFolder)) {}

TRecoveryJournal::~TRecoveryJournal() { Detach(); }

std::string TRecoveryJournal::RecoveryFolder() { return CombinePath(UserDataFolder(), "recovery"); }

std::string TRecoveryJournal::FolderFor(const std::string& ABaseFolder, const std::string& ARoot) {
    const std::string root = NormalRoot(ARoot);
    std::string name = SafeFileName(ExtractFileName(root));
    if (name.size() > 40)
        name.resize(40);
    for (char& c : name)
        if (static_cast<unsigned char>(c) < 0x20 || c == ' ' || c == '.')
            c = '_';
    return CombinePath(ABaseFolder, name + "-" + HashText(root));
}

std::string TRecoveryJournal::Folder() const { return FolderFor(FBase, FRoot); }

bool TRecoveryJournal::Attach(const std::string& ARoot) {
    Detach();
    const std::string folder = FolderFor(FBase, ARoot);
    if (LockedElsewhere(folder))
        return false;
    EnsureDir(FBase);
    const int fd = ::open(LockPath(folder).c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0)
        return false;
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        return false;
    }
    FLockFd = fd;
    FRoot = NormalRoot(ARoot);
    AttachedFolders().insert(folder);
    ForgetWritten();
    return true;
}

void TRecoveryJournal::Detach() {
    if (FLockFd < 0)
        return;
    AttachedFolders().erase(Folder());
    ::close(FLockFd);  // releases the lock
    FLockFd = -1;
    FRoot.clear();
    ForgetWritten();
}

bool TRecoveryJournal::Attached() const { return FLockFd >= 0; }

void TRecoveryJournal::ForgetWritten() {
    FWritten.clear();
    FLastManifestBody.clear();
    FTreeOf = nullptr;
    FTreeJson.clear();
}

void TRecoveryJournal::Write(const TDocProject& AProject, const std::map<std::string, std::string>& ATopicHtml,
                             TTree ATree) {
    if (!Attached())
        return;
    const std::string folder = Folder();
    EnsureDir(folder);
    // 1. New text goes to new files; journal.json still names the old ones.
    std::map<std::string, TWritten> next;
    std::string topics = "[";
    for (const auto& [id, html] : ATopicHtml) {
        if (!AProject.HasTopic(id))
            continue;
        const std::string hash = HashText(html);
        auto old = FWritten.find(id);
        TWritten w;
        if (old != FWritten.end() && old->second.Hash == hash) {
            w = old->second;
        } else {
            w = {"topic-" + std::to_string(++FNextFile) + ".html", hash};
            while (FileExists(CombinePath(folder, w.File)))
                w.File = "topic-" + std::to_string(++FNextFile) + ".html";
            WriteFileBytes(CombinePath(folder, w.File), html);
        }
        if (topics.size() > 1)
            topics += ',';
        topics += "{\"id\":" + JsonQuote(id) + ",\"file\":" + JsonQuote(w.File) +
                  ",\"size\":" + std::to_string(html.size()) + ",\"hash\":" + JsonQuote(w.Hash) + "}";
        next[id] = w;
    }
    topics += "]";
    // 2. journal.json names the new files (unless nothing at all changed). The tree text is the
    // larger part of it; it is built again only when the tree may have changed.
    if (ATree == TTree::Changed || FTreeOf != &AProject) {
        FTreeOf = nullptr;
        FTreeJson = ProjectTreeJson(AProject);
        FTreeOf = &AProject;
        ++FTreeBuilds;
    }
    std::string body = "\"root\":" + JsonQuote(FRoot) + ",\"title\":" + JsonQuote(AProject.Title()) +
                       ",\"styleProfile\":" + JsonQuote(AProject.StyleProfile()) + ",\"tree\":" + FTreeJson +
                       ",\"contextIds\":" + JournalContextIds(AProject) +
                       ",\"topics\":" + topics;
    const bool unchanged = body == FLastManifestBody && FileExists(CombinePath(folder, kManifestName));
    if (!unchanged)
        WriteUtf8File(CombinePath(folder, kManifestName),
                      "{\"version\":1,\"written\":" + JsonQuote(NowUtcText()) + "," + body + "}");
    FLastManifestBody = std::move(body);
    FWritten = std::move(next);
    // 3. Files journal.json no longer names go.
    std::set<std::string> named;
    for (const auto& [id, w] : FWritten)
        named.insert(w.File);
    std::error_code ec;
    for (fs::directory_iterator it(fs::path(folder), ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        if (name != kManifestName && !named.count(name)) {
            std::error_code rec;
            fs::remove(it->path(), rec);
        }
    }
}

void TRecoveryJournal::Remove() {
    if (!Attached())
        return;
    RemoveFolder(Folder());
    ForgetWritten();
}

void TRecoveryJournal::MoveTo(const std::string& ANewRoot) {
    if (!Attached() || NormalRoot(ANewRoot) == FRoot)
        return;
    const std::string oldFolder = Folder();
    const bool had = DirectoryExists(oldFolder);
    if (!Attach(ANewRoot)) {
        // Another session keeps the journal of the new place: this one keeps none.
        return;
    }
    const std::string newFolder = Folder();
    if (!had)
        return;
    RemoveFolder(newFolder);
    std::error_code ec;
    fs::rename(fs::path(oldFolder), fs::path(newFolder), ec);
    if (ec)
        throw EAppError("Cannot move the recovery journal \"" + oldFolder + "\": " + ec.message());
    // The next write names the new root and writes every topic again.
}

bool TRecoveryJournal::HasLeftBehind(const std::string& ABaseFolder, const std::string& ARoot) {
    const std::string folder = FolderFor(ABaseFolder, ARoot);
    return FileExists(CombinePath(folder, kManifestName)) && !LockedElsewhere(folder);
}

TJournalContents TRecoveryJournal::Read(const std::string& ABaseFolder, const std::string& ARoot) {
    const std::string folder = FolderFor(ABaseFolder, ARoot);
    const std::string file = CombinePath(folder, kManifestName);
    TJson j;
    if (!FileExists(file) || !JsonTryParse(ReadUtf8File(file), j))
        throw EAppError("The recovery journal is not readable: " + file);
    JsonRequireObject(j, file);
    const TJson& version = Member(j, "version", file);
    if (!version.is_number_integer() || version.get<long long>() != 1)
        throw EAppError("Unknown recovery journal version in " + file);
    TJournalContents c;
    c.Root = TextMember(j, "root", file);
    c.WrittenUtc = TextMember(j, "written", file);
    c.Title = TextMember(j, "title", file);
    c.StyleProfile = TextMember(j, "styleProfile", file);
    const TJson& tree = Member(j, "tree", file);
    TDocProject probe;
    ReadProjectTree(tree, ARoot, probe, "\"tree\" in " + file);
    c.TreeJson = JsonWrite(tree);
    if (const TJson* ids = JsonMember(j, "contextIds")) {
        c.ContextIdsJson = JsonWrite(*ids);
        ReadContextIds(c.ContextIdsJson, probe, "\"contextIds\" in " + file);
        c.HasContextIds = true;
    }
    const TJson& topics = JsonRequireArray(Member(j, "topics", file), "\"topics\" in " + file);
    for (const TJson& e : topics) {
        JsonRequireObject(e, "a topic element in " + file);
        const std::string id = TextMember(e, "id", file);
        const std::string name = TextMember(e, "file", file);
        const std::string hash = TextMember(e, "hash", file);
        const TJson& size = Member(e, "size", file);
        if (!probe.HasTopic(id))
            throw EAppError("The recovery journal names topic " + id + " that its tree lacks: " + file);
        if (!IsJournalFileName(name) || !size.is_number_unsigned())
            throw EAppError("The recovery journal names an invalid file for topic " + id + ": " + file);
        const std::string path = CombinePath(folder, name);
        if (!FileExists(path))
            throw EAppError("The recovery journal file is missing: " + path);
        std::string html = ReadFileBytes(path);
        if (html.size() != size.get<unsigned long long>() || HashText(html) != hash)
            throw EAppError("The recovery journal file is damaged: " + path);
        if (!c.TopicHtml.emplace(id, std::move(html)).second)
            throw EAppError("The recovery journal names topic " + id + " twice: " + file);
    }
    return c;
}

std::string TRecoveryJournal::KeepAside(const std::string& ABaseFolder, const std::string& ARoot) {
    const std::string folder = FolderFor(ABaseFolder, ARoot);
    for (int n = 1;; ++n) {
        const std::string aside = folder + ".damaged-" + std::to_string(n);
        std::error_code ec;
        if (fs::exists(fs::path(aside), ec))
            continue;
        fs::rename(fs::path(folder), fs::path(aside), ec);
        if (ec)
            throw EAppError("Cannot keep the recovery journal \"" + folder + "\" aside: " + ec.message());
        return aside;
    }
}

void TRecoveryJournal::Discard(const std::string& ABaseFolder, const std::string& ARoot) {
    RemoveFolder(FolderFor(ABaseFolder, ARoot));
}

void ApplyJournalTree(const TJournalContents& AContents, TDocProject& AProject) {
    TJson tree;
    if (!JsonTryParse(AContents.TreeJson, tree))
        throw EAppError("The recovery journal's tree is not readable");
    const std::string root = AProject.RootPath();
    const std::string problem = AProject.ContextIdsProblem();
    std::map<std::string, std::pair<std::string, unsigned>> ids;
    for (const TTopic& t : AProject.Topics())
        ids[t.ID()] = {t.HelpAlias(), t.HelpContextNumber()};
    AProject.Clear();
    AProject.SetRootPath(root);
    AProject.SetContextIdsProblem(problem);
    ReadProjectTree(tree, root, AProject, "the recovery journal");
    if (AContents.HasContextIds) {
        ReadContextIds(AContents.ContextIdsJson, AProject, "the recovery journal");
    } else {
        for (TTopic& t : AProject.Topics())
            if (auto it = ids.find(t.ID()); it != ids.end()) {
                t.SetHelpAlias(it->second.first);
                t.SetHelpContextNumber(it->second.second);
            }
    }
    AProject.SetTitle(AContents.Title);
    AProject.SetStyleProfile(AContents.StyleProfile.empty() ? "default" : AContents.StyleProfile);
}
