#include "uManualImport.h"

#include "uAssetContentIndex.h"
#include "uCharsetDetect.h"
#include "uColors.h"
#include "uHtmlDom.h"
#include "uHtmlImport.h"
#include "uHtmlUtils.h"
#include "uImportLinks.h"
#include "uManualContents.h"
#include "uManualNavigation.h"
#include "uStorage.h"
#include "uTopicHeaders.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <map>
#include <mutex>
#include <optional>
#include <set>
#include <system_error>

namespace fs = std::filesystem;

namespace {

constexpr size_t kNone = static_cast<size_t>(-1);

struct TImportPage {
    std::string Path;    // links resolved
    std::string Rel;     // relative to the start page's folder, for the report
    std::string Folder;  // where its relative addresses start
    size_t From = kNone; // the page that first linked to it
    std::string Failure; // why it is not imported; empty for an imported page
    bool FellBack = false;
    THtmlDocument Doc;
    THtmlNode* FirstHeading = nullptr;
    std::string DocTitle, HeadingTitle, ContentsTitle, Title;
    std::string ID;
    size_t Parent = kNone;
    std::vector<size_t> Children;
    std::set<std::string> Anchors;
    std::string Fragment;
};

// The heading's text without its permalinks (links to a fragment, such as a trailing "¶").
std::string HeadingText(const THtmlNode& AHeading) {
    std::string text;
    std::function<void(const THtmlNode&)> walk = [&](const THtmlNode& ANode) {
        for (const auto& c : ANode.Children) {
            if (c->Kind == THtmlNode::TextNode)
                text += c->Text;
            else if (c->Kind == THtmlNode::ElementNode && !(c->Name == "a" && StartsWith(c->AttrOr("href"), "#")) &&
                     c->Name != "script" && c->Name != "style")
                walk(*c);
        }
    };
    walk(AHeading);
    return CollapseSpaces(text);
}

// The page's first heading: its first h1, else its first heading of any level. Generators put
// the page's title in an h1, while a menu before it often has smaller headings of its own.
THtmlNode* FirstHeadingOf(const THtmlNode* ABody) {
    if (!ABody)
        return nullptr;
    THtmlNode* first = nullptr;
    THtmlNode* firstH1 = nullptr;
    ForEachElement(*ABody, [&](THtmlNode& AElement) {
        if (!first && IsHeadingName(AElement.Name))
            first = &AElement;
        if (!firstH1 && AElement.Name == "h1")
            firstH1 = &AElement;
        return !firstH1;
    });
    return firstH1 ? firstH1 : first;
}

// The ids and a names of the elements of ANode.
void CollectAnchors(const THtmlNode& ANode, std::set<std::string>& AOut) {
    ForEachElement(ANode, [&](THtmlNode& AElement) {
        if (const std::string* id = AElement.Attr("id"))
            AOut.insert(*id);
        if (AElement.Name == "a")
            if (const std::string* name = AElement.Attr("name"))
                AOut.insert(*name);
        return true;
    });
}

// Every id and a name in the heading, each as an empty anchor.
std::vector<std::unique_ptr<THtmlNode>> AnchorsReplacing(const THtmlNode& AHeading) {
    std::vector<std::unique_ptr<THtmlNode>> anchors;
    auto add = [&](const char* AAttr, const std::string& AValue) {
        auto a = std::make_unique<THtmlNode>();
        a->Name = "a";
        a->SetAttr(AAttr, AValue);
        anchors.push_back(std::move(a));
    };
    if (const std::string* id = AHeading.Attr("id"))
        add("id", *id);
    ForEachElement(AHeading, [&](THtmlNode& AElement) {
        if (const std::string* id = AElement.Attr("id"))
            add("id", *id);
        if (AElement.Name == "a")
            if (const std::string* name = AElement.Attr("name"))
                add("name", *name);
        return true;
    });
    return anchors;
}

std::string NotCarriedReason(TLinkKind AKind) {
    switch (AKind) {
    case TLinkKind::Outside: return "outside the start page's folder";
    case TLinkKind::OutsideLink: return "a symbolic link leading outside the start page's folder";
    case TLinkKind::Folder: return "a folder";
    case TLinkKind::BadEscape: return "a malformed % escape";
    case TLinkKind::ExcludedPage: return "an excluded page";
    default: return "";
    }
}

// Writes a file that must not exist yet; the path is recorded as soon as it exists.
void WriteNewFile(const std::string& APath, std::string_view ABytes, std::vector<std::string>& AWritten) {
    const int fd = ::open(APath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd < 0) {
        const int err = errno;
        throw EAppError("Cannot write file \"" + APath + "\": " +
                        (err == EEXIST ? std::string("a file of that name already exists") : std::strerror(err)));
    }
    AWritten.push_back(APath);
    size_t done = 0;
    while (done < ABytes.size()) {
        const ssize_t n = ::write(fd, ABytes.data() + done, ABytes.size() - done);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            const int err = errno;
            ::close(fd);
            throw EAppError("Cannot write file \"" + APath + "\": " + std::strerror(err));
        }
        done += static_cast<size_t>(n);
    }
    if (::close(fd) != 0)
        throw EAppError("Cannot write file \"" + APath + "\": " + std::strerror(errno));
}

}  // namespace

namespace {

// Staging folders sit in the project folder under this prefix while an import is prepared; the
// plan removes its own. One left behind by a process that was killed is removed by the next
// import of the project, unless it belongs to a plan this process still holds.
const std::string kStagingPrefix = ".pagewell-import-";

std::mutex& LiveStagingsMutex() {
    static std::mutex m;
    return m;
}
std::set<std::string>& LiveStagings() {
    static std::set<std::string> live;
    return live;
}

void RemoveStaleStagings(const std::string& ARoot) {
    std::lock_guard<std::mutex> lock(LiveStagingsMutex());
    std::error_code ec;
    for (fs::directory_iterator it(ARoot, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        if (StartsWith(name, kStagingPrefix) && it->is_directory(ec) && !LiveStagings().count(it->path().string())) {
            std::error_code removeError;
            fs::remove_all(it->path(), removeError);
        }
    }
}

std::string MakeStaging(const std::string& ARoot) {
    std::lock_guard<std::mutex> lock(LiveStagingsMutex());
    const std::string staging = CombinePath(ARoot, kStagingPrefix + NewGuidHex().substr(0, 12));
    std::error_code ec;
    if (!fs::create_directory(staging, ec))
        throw EAppError("Cannot create folder \"" + staging + "\": " + (ec ? ec.message() : "it exists"));
    LiveStagings().insert(staging);
    return staging;
}

void DropStaging(const std::string& AStaging) {
    std::error_code ec;
    fs::remove_all(AStaging, ec);
    std::lock_guard<std::mutex> lock(LiveStagingsMutex());
    LiveStagings().erase(AStaging);
}

}  // namespace

struct TManualImportPlan {
    std::string ProjectRoot;
    std::string Staging;  // the copied files, laid out as in the project
    std::string ParentID;
    std::string HeaderBg;
    std::vector<TImportPage> Pages;
    std::vector<std::string> HeaderHtml;  // per page
    TManualImportReport Report;
    TManualImportOptions Options;

    ~TManualImportPlan() {
        if (!Staging.empty())
            DropStaging(Staging);
    }
};

void DestroyManualImportPlan(TManualImportPlan* APlan) { delete APlan; }

namespace {

class TPlanBuilder {
public:
    TPlanBuilder(TManualImportPlan& APlan, const TDocProject& AProject, const TProjectSettings& ASettings, TImportTree& ATree)
        : P(APlan), FProject(AProject), FSettings(ASettings), FTree(ATree), FContents(APlan.ProjectRoot) {}

    void Run(const std::string& AStartPage);

private:
    void Progress(const char* APhase, size_t ADone, size_t ATotal) {
        if (P.Options.Progress && !P.Options.Progress(APhase, ADone, ATotal))
            throw EImportCancelled();
    }
    const TLinkTarget& Resolve(const std::string& AAddress, const TImportPage& AFrom) {
        auto key = std::make_pair(AFrom.Folder, AAddress);
        auto it = FResolved.find(key);
        if (it == FResolved.end())
            it = FResolved.emplace(std::move(key), FTree.Resolve(AAddress, AFrom.Folder)).first;
        return it->second;
    }
    // The imported page a target names, or kNone.
    size_t PageOf(const TLinkTarget& ATarget) const {
        if (ATarget.Kind != TLinkKind::Page)
            return kNone;
        const auto it = FIndex.find(ATarget.Path);
        return it == FIndex.end() ? kNone : it->second;
    }
    bool Imported(size_t AIndex) const { return AIndex != kNone && P.Pages[AIndex].Failure.empty(); }

    void Discover(const std::string& AStartPage);
    void ReadPage(TImportPage& APage, bool AIsStart);
    void BuildTree();
    void PlaceEntries(const std::vector<TContentsEntry>& AEntries, size_t AParent, std::vector<bool>& APlaced);
    size_t CountReach(const std::vector<TContentsEntry>& AEntries, std::set<size_t>& AReached);
    void RemoveNavigation();
    void ConvertPages();
    void RewriteLinks(TImportPage& APage, TImportContext& AContext);

    TManualImportPlan& P;
    const TDocProject& FProject;
    const TProjectSettings& FSettings;
    TImportTree& FTree;
    TAssetContentIndex FContents;
    std::map<std::string, size_t> FIndex;  // page path -> index
    std::map<std::pair<std::string, std::string>, TLinkTarget> FResolved;
};

void TPlanBuilder::ReadPage(TImportPage& APage, bool AIsStart) {
    auto fail = [&](const std::string& AWhy) {
        if (AIsStart)
            throw EAppError(AWhy + ": " + APage.Path);
        APage.Failure = AWhy;
    };
    std::error_code ec;
    const auto size = fs::file_size(APage.Path, ec);
    if (ec)
        return fail("Cannot read file");
    if (size > kMaxImportPageBytes)
        return fail("Page too large");
    std::string bytes;
    try {
        bytes = ReadFileBytes(APage.Path);
    } catch (const std::exception&) {
        return fail("Cannot read file");
    }
    if (bytes.substr(0, 8192).find('\0') != std::string::npos && !StartsWith(bytes, "\xFF\xFE") && !StartsWith(bytes, "\xFE\xFF"))
        return fail("Not an HTML page");
    TDecodedPage decoded = DecodeHtmlBytes(bytes);
    bytes.clear();
    APage.FellBack = decoded.Source == TCharsetSource::Fallback;
    APage.Doc = ParseHtml(decoded.Text);
    if (!APage.Doc.Html())
        return fail("Not an HTML page");
    if (const THtmlNode* head = APage.Doc.Head())
        if (const THtmlNode* title = FindElement(*head, "title"))
            APage.DocTitle = CollapseSpaces(TextContent(*title));
    APage.FirstHeading = FirstHeadingOf(APage.Doc.Body());
    if (APage.FirstHeading)
        APage.HeadingTitle = HeadingText(*APage.FirstHeading);
}

void TPlanBuilder::Discover(const std::string& AStartPage) {
    TImportPage start;
    start.Path = AStartPage;
    P.Pages.push_back(std::move(start));
    FIndex[AStartPage] = 0;
    for (size_t i = 0; i < P.Pages.size(); ++i) {
        Progress("Reading pages", i, P.Pages.size());
        {
            TImportPage& page = P.Pages[i];
            page.Folder = ExtractFileDir(page.Path);
            page.Rel = FTree.Relative(page.Path);
            ReadPage(page, i == 0);
            if (!page.Failure.empty()) {
                page.Doc = THtmlDocument();
                P.Report.PageNotes.push_back(page.Rel + ": " + page.Failure + "; not imported");
                continue;
            }
        }
        std::vector<std::string> found;
        ForEachElement(*P.Pages[i].Doc.Root, [&](THtmlNode& AElement) {
            const char* attr = (AElement.Name == "a" || AElement.Name == "area") ? "href"
                               : (AElement.Name == "frame" || AElement.Name == "iframe") ? "src" : nullptr;
            if (attr)
                if (const std::string* value = AElement.Attr(attr)) {
                    const TLinkTarget& t = Resolve(*value, P.Pages[i]);
                    if (t.Kind == TLinkKind::Page && !FIndex.count(t.Path))
                        found.push_back(t.Path);
                }
            return true;
        });
        for (const std::string& path : found) {
            if (FIndex.count(path))
                continue;
            FIndex[path] = P.Pages.size();
            TImportPage page;
            page.Path = path;
            page.From = i;
            P.Pages.push_back(std::move(page));
        }
    }
}

size_t TPlanBuilder::CountReach(const std::vector<TContentsEntry>& AEntries, std::set<size_t>& AReached) {
    for (const TContentsEntry& e : AEntries) {
        const size_t page = PageOf(Resolve(e.Href, P.Pages[0]));
        if (Imported(page) && page != 0)
            AReached.insert(page);
        CountReach(e.Children, AReached);
    }
    return AReached.size();
}

void TPlanBuilder::PlaceEntries(const std::vector<TContentsEntry>& AEntries, size_t AParent, std::vector<bool>& APlaced) {
    for (const TContentsEntry& e : AEntries) {
        const size_t page = PageOf(Resolve(e.Href, P.Pages[0]));
        if (Imported(page) && !APlaced[page]) {
            APlaced[page] = true;
            P.Pages[page].Parent = AParent;
            P.Pages[page].ContentsTitle = e.Text;
            P.Pages[AParent].Children.push_back(page);
            PlaceEntries(e.Children, page, APlaced);
        } else {
            PlaceEntries(e.Children, AParent, APlaced);
        }
    }
}

void TPlanBuilder::BuildTree() {
    std::vector<bool> placed(P.Pages.size(), false);
    placed[0] = true;
    if (const THtmlNode* body = P.Pages[0].Doc.Body()) {
        const std::vector<std::vector<TContentsEntry>> lists = FindContentsLists(*body);
        size_t best = kNone, bestReach = 0;
        for (size_t i = 0; i < lists.size(); ++i) {
            std::set<size_t> reached;
            const size_t reach = CountReach(lists[i], reached);
            if (reach > bestReach) {
                best = i;
                bestReach = reach;
            }
        }
        if (best != kNone)
            PlaceEntries(lists[best], 0, placed);
    }
    for (size_t i = 1; i < P.Pages.size(); ++i) {
        if (placed[i] || !Imported(i))
            continue;
        size_t parent = P.Pages[i].From;
        while (parent != kNone && !Imported(parent))
            parent = P.Pages[parent].From;
        placed[i] = true;
        P.Pages[i].Parent = parent == kNone ? 0 : parent;
        P.Pages[P.Pages[i].Parent].Children.push_back(i);
    }
    for (TImportPage& page : P.Pages) {
        if (!page.Failure.empty())
            continue;
        page.Title = !page.ContentsTitle.empty() ? page.ContentsTitle
                     : !page.DocTitle.empty()    ? page.DocTitle
                     : !page.HeadingTitle.empty() ? page.HeadingTitle
                                                  : ExtractFileName(page.Path);
    }
}

void TPlanBuilder::RemoveNavigation() {
    std::vector<TNavPage> navPages(P.Pages.size());
    std::set<std::string> titles;
    for (size_t i = 0; i < P.Pages.size(); ++i) {
        const TImportPage& page = P.Pages[i];
        if (!page.Failure.empty())
            continue;
        navPages[i] = {page.Doc.Body(), page.FirstHeading};
        for (const std::string* t : {&page.DocTitle, &page.HeadingTitle, &page.ContentsTitle, &page.Title})
            if (!t->empty())
                titles.insert(*t);
    }
    const TNavigationBlocks blocks = FindNavigationBlocks(navPages, titles, [&](size_t APage, const std::string& AHref) {
        const TLinkTarget& t = Resolve(AHref, P.Pages[APage]);
        if (t.Kind == TLinkKind::SameFragment)
            return TNavLink::SamePage;
        if (t.Kind == TLinkKind::Page || t.Kind == TLinkKind::ExcludedPage)
            return t.Path == P.Pages[APage].Path ? TNavLink::SamePage : TNavLink::OtherPage;
        return TNavLink::Other;
    });
    for (size_t i = 0; i < P.Pages.size(); ++i)
        for (THtmlNode* node : blocks.PerPage[i])
            node->Remove();
    for (const TNavigationPattern& pattern : blocks.Patterns)
        P.Report.Navigation.push_back({pattern.Pattern, pattern.Pages});
}

void TPlanBuilder::RewriteLinks(TImportPage& APage, TImportContext& AContext) {
    auto note = [&](std::vector<TImportLinkNote>& AList, const std::string& AAddress, const std::string& AWhy) {
        AList.push_back({APage.Rel, AAddress, AWhy});
    };
    ForEachElement(*APage.Doc.Root, [&](THtmlNode& AElement) {
        const std::string& name = AElement.Name;
        if ((name == "a" || name == "area") && AElement.Attr("href")) {
            const std::string href = *AElement.Attr("href");
            const TLinkTarget& t = Resolve(href, APage);
            const size_t page = PageOf(t);
            switch (t.Kind) {
            case TLinkKind::Empty:
                break;
            case TLinkKind::SameFragment:
                if (!t.Fragment.empty() && !APage.Anchors.count(PercentDecode(t.Fragment)))
                    note(P.Report.Broken, href, "no matching anchor");
                break;
            case TLinkKind::External:
                if (!TImportTree::IsScriptAddress(href))
                    ++P.Report.ExternalLinks;
                if (Trim(href) != href)  // as a browser reads it
                    AElement.SetAttr("href", Trim(href));
                break;
            case TLinkKind::Page:
                if (!Imported(page)) {
                    note(P.Report.NotCarriedOver, href, page == kNone ? "a page not imported" : "a page not imported (" + P.Pages[page].Failure + ")");
                    break;
                }
                AElement.SetAttr("href", "doc:" + P.Pages[page].ID + (t.Fragment.empty() ? "" : "#" + t.Fragment));
                ++P.Report.TopicLinks;
                if (!t.Fragment.empty() && !P.Pages[page].Anchors.count(PercentDecode(t.Fragment)))
                    note(P.Report.Broken, href, "no matching anchor");
                break;
            case TLinkKind::File:
                AElement.SetAttr("href", RewriteAssetRef(href, AContext));
                break;
            case TLinkKind::Missing:
                note(P.Report.Broken, href, "file missing");
                break;
            default:
                note(P.Report.NotCarriedOver, href, NotCarriedReason(t.Kind));
                break;
            }
            return true;
        }
        // The files the page shows: a missing one is already broken, one outside is not copied.
        const std::string* value = nullptr;
        if (name == "img" || name == "source" || name == "video" || name == "audio" || name == "track" || name == "embed" ||
            name == "iframe") {
            value = AElement.Attr("src");
            if (!value && name == "video")
                value = AElement.Attr("poster");
        } else if (name == "object") {
            value = AElement.Attr("data");
        } else if (name == "link" && IsStylesheetRel(AElement.AttrOr("rel"))) {
            value = AElement.Attr("href");
        }
        if (value) {
            const TLinkTarget& t = Resolve(*value, APage);
            if (t.Kind == TLinkKind::Missing)
                note(P.Report.Broken, *value, "file missing");
            else if (t.Kind == TLinkKind::Outside || t.Kind == TLinkKind::OutsideLink || t.Kind == TLinkKind::BadEscape ||
                     t.Kind == TLinkKind::Folder)
                note(P.Report.NotCarriedOver, *value, NotCarriedReason(t.Kind));
        }
        return true;
    });
}

void TPlanBuilder::ConvertPages() {
    TImportContext context;
    context.ProjectRoot = P.Staging;
    context.MayRead = [this](const std::string& APath) { return FTree.Contains(APath); };
    context.Contents = &FContents;
    // Names the project's assets folders already hold are taken for the staged copies too.
    std::error_code ec;
    const fs::path assets = fs::path(P.ProjectRoot) / "assets";
    for (fs::recursive_directory_iterator it(assets, ec), end; !ec && it != end; it.increment(ec))
        context.Reserved.insert(CombinePath(P.Staging, fs::relative(it->path(), P.ProjectRoot, ec).string()));

    size_t done = 0;
    const size_t total = P.Pages.size();
    for (TImportPage& page : P.Pages) {
        Progress("Converting pages", done++, total);
        if (!page.Failure.empty())
            continue;
        context.BaseFolder = page.Folder;
        RewriteLinks(page, context);
        if (page.FirstHeading && page.HeadingTitle == page.Title)
            page.FirstHeading->ReplaceWith(AnchorsReplacing(*page.FirstHeading));
        page.FirstHeading = nullptr;
        const std::string document = SerializeHtml(*page.Doc.Root);
        try {
            page.Fragment = BuildImportFragmentFromText(document, context);
        } catch (const EAppError& e) {
            if (!StartsWith(e.what(), "Regular expression"))
                throw;
            // A page too unusual for the pattern steps keeps its text.
            const THtmlNode* body = page.Doc.Body();
            page.Fragment = "<p>" + EscapeHtml(CollapseSpaces(body ? TextContent(*body) : std::string())) + "</p>";
            P.Report.PageNotes.push_back(page.Rel + ": imported as plain text (" + e.what() + ")");
        }
        page.Doc = THtmlDocument();  // the tree is no longer needed
        if (page.FellBack)
            ++P.Report.CharsetFallbacks;
    }
}

void TPlanBuilder::Run(const std::string& AStartPage) {
    Discover(AStartPage);
    BuildTree();
    std::set<std::string> ids;
    for (TImportPage& page : P.Pages) {
        if (!page.Failure.empty())
            continue;
        do
            page.ID = NewGuidHex();
        while (!ids.insert(page.ID).second || FProject.HasTopic(page.ID));
    }
    if (!P.Options.KeepNavigation)
        RemoveNavigation();
    for (TImportPage& page : P.Pages)
        if (page.Failure.empty())
            CollectAnchors(*page.Doc.Root, page.Anchors);
    ConvertPages();
    P.HeaderBg = ColorToHex(FSettings.DefaultHeaderBgColor);
    for (const TImportPage& page : P.Pages)
        P.HeaderHtml.push_back(page.Failure.empty() ? DefaultHeaderHtml(FSettings, page.Title) : std::string());
}

// Everything the commit wrote, and how to take it back.
class TCommitJournal {
public:
    explicit TCommitJournal(const TManualImportOptions& AOptions) : FOptions(AOptions) {}
    ~TCommitJournal() {
        if (!FDone)
            Rollback();
    }
    void Done() { FDone = true; }

    void EnsureFolder(const std::string& AFolder) {
        std::vector<std::string> missing;
        for (fs::path p = AFolder; !p.empty() && !DirectoryExists(p.string()); p = p.parent_path()) {
            missing.push_back(p.string());
            if (p == p.parent_path())
                break;
        }
        for (auto it = missing.rbegin(); it != missing.rend(); ++it) {
            std::error_code ec;
            if (fs::create_directory(*it, ec))
                FFolders.push_back(*it);
            else if (ec)
                throw EAppError("Cannot create folder \"" + *it + "\": " + ec.message());
        }
    }
    void WriteFile(const std::string& APath, std::string_view ABytes) {
        if (FOptions.BeforeWrite)
            FOptions.BeforeWrite(APath);
        EnsureFolder(ExtractFileDir(APath));
        WriteNewFile(APath, ABytes, FFiles);
    }
    // Moves a staged file into place, never over an existing file.
    void PlaceFile(const std::string& AStaged, const std::string& ATarget) {
        if (FOptions.BeforeWrite)
            FOptions.BeforeWrite(ATarget);
        EnsureFolder(ExtractFileDir(ATarget));
        if (::link(AStaged.c_str(), ATarget.c_str()) == 0) {
            FFiles.push_back(ATarget);
            return;
        }
        if (errno == EEXIST)
            throw EAppError("Cannot write file \"" + ATarget + "\": a file of that name already exists");
        WriteNewFile(ATarget, ReadFileBytes(AStaged), FFiles);  // a file system without hard links
    }
    // Keeps the bytes of a file the commit replaces, to put back on rollback.
    void Keep(const std::string& APath) {
        std::optional<std::string> bytes;
        if (FileExists(APath))
            bytes = ReadFileBytes(APath);
        FKept.emplace_back(APath, std::move(bytes));
    }
    std::function<void()> OnRollback;

private:
    void Rollback() noexcept {
        try {
            if (OnRollback)
                OnRollback();
        } catch (...) {
        }
        for (auto& [path, bytes] : FKept) {
            try {
                if (bytes)
                    WriteFileBytes(path, *bytes);
                else
                    std::remove(path.c_str());
            } catch (...) {
            }
        }
        for (auto it = FFiles.rbegin(); it != FFiles.rend(); ++it)
            std::remove(it->c_str());
        for (auto it = FFolders.rbegin(); it != FFolders.rend(); ++it) {
            std::error_code ec;
            fs::remove(*it, ec);  // only when empty
        }
    }

    const TManualImportOptions& FOptions;
    std::vector<std::string> FFiles, FFolders;
    std::vector<std::pair<std::string, std::optional<std::string>>> FKept;
    bool FDone = false;
};

}  // namespace

TManualImportPlanPtr PrepareManualImport(const TDocProject& AProject, const TProjectSettings& ASettings,
                                         const std::string& AStartPage, const TManualImportOptions& AOptions) {
    if (!AOptions.ParentID.empty() && !AProject.HasTopic(AOptions.ParentID))
        throw EAppError("Topic not found: " + AOptions.ParentID);
    const std::string given = ExpandFileName(AStartPage);
    std::error_code ec;
    if (!fs::exists(given, ec))
        throw EAppError("File not found: " + AStartPage);
    if (fs::is_directory(given, ec))
        throw EAppError("Not an HTML page: " + AStartPage);
    const std::string start = fs::canonical(given).string();
    const std::string root = ExcludeTrailingPathDelimiter(AProject.RootPath());
    if (root.empty() || !DirectoryExists(root))
        throw EAppError("Project folder not found: " + AProject.RootPath());

    TManualImportPlanPtr plan(new TManualImportPlan);
    plan->ProjectRoot = root;
    plan->ParentID = AOptions.ParentID;
    plan->Options = AOptions;
    RemoveStaleStagings(root);
    plan->Staging = MakeStaging(root);
    TImportTree tree(ExtractFileDir(start), AOptions.Excludes);
    TPlanBuilder(*plan, AProject, ASettings, tree).Run(start);
    return plan;
}

void SetManualImportProgress(TManualImportPlan& APlan,
                             std::function<bool(const std::string& APhase, size_t ADone, size_t ATotal)> AProgress) {
    APlan.Options.Progress = std::move(AProgress);
}

TManualImportReport CommitManualImport(TManualImportPlan& APlan, TDocProject& AProject, bool AWriteTree) {
    TManualImportReport report = APlan.Report;
    if (!APlan.ParentID.empty() && !AProject.HasTopic(APlan.ParentID))
        throw EAppError("Topic not found: " + APlan.ParentID);
    for (const TImportPage& page : APlan.Pages)
        if (page.Failure.empty() && AProject.HasTopic(page.ID))
            throw EAppError("Topic id already in use: " + page.ID);

    std::vector<std::pair<std::string, std::string>> staged;  // staged file, target
    std::error_code ec;
    for (fs::recursive_directory_iterator it(APlan.Staging, ec), end; !ec && it != end; it.increment(ec))
        if (it->is_regular_file(ec))
            staged.emplace_back(it->path().string(), CombinePath(APlan.ProjectRoot, fs::relative(it->path(), APlan.Staging).string()));
    const size_t total = APlan.Pages.size() * 3 + staged.size() + 1;
    size_t done = 0;
    auto step = [&] {
        ++done;
        if (APlan.Options.Progress && !APlan.Options.Progress("Writing files", done, total))
            throw EImportCancelled();
    };

    std::vector<std::string> added;  // topics added in memory
    std::string addedRoot;
    TCommitJournal journal(APlan.Options);
    const std::string root = APlan.ProjectRoot;
    for (size_t i = 0; i < APlan.Pages.size(); ++i) {
        const TImportPage& page = APlan.Pages[i];
        if (!page.Failure.empty())
            continue;
        journal.WriteFile(AProject.TopicHtmlPathFor(page.ID), page.Fragment);
        step();
        journal.WriteFile(HeaderHtmlPath(root, page.ID), APlan.HeaderHtml[i]);
        step();
        journal.WriteFile(HeaderBgPath(root, page.ID), APlan.HeaderBg);
        step();
    }
    for (const auto& [from, to] : staged) {
        journal.PlaceFile(from, to);
        step();
    }

    // The topics in memory, the root below the parent or last among the root topics.
    journal.OnRollback = [&] {
        for (const std::string& id : added)
            AProject.Topics().remove(id);
        if (!addedRoot.empty()) {
            std::vector<std::string>& list = APlan.ParentID.empty() ? AProject.RootTopicIDs()
                                                                    : AProject.GetTopic(APlan.ParentID).Children();
            std::erase(list, addedRoot);
        }
    };
    for (const TImportPage& page : APlan.Pages) {
        if (!page.Failure.empty())
            continue;
        auto topic = std::make_unique<TTopic>(page.ID);
        topic->SetTitle(page.Title);
        topic->SetHtmlPath(AProject.TopicHtmlPathFor(page.ID));
        topic->SetParentID(page.Parent == kNone ? APlan.ParentID : APlan.Pages[page.Parent].ID);
        for (size_t c : page.Children)
            topic->Children().push_back(APlan.Pages[c].ID);
        AProject.Topics().add(std::move(topic));
        added.push_back(page.ID);
    }
    addedRoot = APlan.Pages[0].ID;
    (APlan.ParentID.empty() ? AProject.RootTopicIDs() : AProject.GetTopic(APlan.ParentID).Children()).push_back(addedRoot);

    if (AWriteTree) {
        const std::string projectJson = CombinePath(root, "project.json");
        const std::string treeJson = CombinePath(CombinePath(root, "meta"), "topics.json");
        journal.Keep(projectJson);
        journal.Keep(treeJson);
        if (APlan.Options.BeforeWrite)
            APlan.Options.BeforeWrite(treeJson);
        journal.EnsureFolder(ExtractFileDir(treeJson));
        SaveProjectFolder(AProject);
    }
    step();
    journal.Done();

    report.RootTopicID = addedRoot;
    report.Topics = added.size();
    report.Pages = added.size();
    report.Assets = staged.size();
    return report;
}

TManualImportReport ImportManual(TDocProject& AProject, const TProjectSettings& ASettings, const std::string& AStartPage,
                                 const TManualImportOptions& AOptions, bool AWriteTree) {
    TManualImportPlanPtr plan = PrepareManualImport(AProject, ASettings, AStartPage, AOptions);
    return CommitManualImport(*plan, AProject, AWriteTree);
}

std::string FormatManualImportReport(const TManualImportReport& AReport) {
    auto n = [](size_t AValue) { return IntToStr(static_cast<long long>(AValue)); };
    std::string out;
    out += "Pages imported: " + n(AReport.Pages) + "\n";
    out += "Topics made: " + n(AReport.Topics) + "\n";
    out += "Assets copied: " + n(AReport.Assets) + "\n";
    out += "Links made into topic links: " + n(AReport.TopicLinks) + "\n";
    out += "External links kept: " + n(AReport.ExternalLinks) + "\n";
    out += "Navigation patterns removed: " + n(AReport.Navigation.size()) + "\n";
    for (const auto& nav : AReport.Navigation)
        out += "  " + nav.Pattern + " (" + n(nav.Pages) + " pages)\n";
    if (AReport.CharsetFallbacks > 0)
        out += "Pages read as windows-1252 for want of a declared character set: " + n(AReport.CharsetFallbacks) + "\n";
    out += "Links not carried over: " + n(AReport.NotCarriedOver.size()) + "\n";
    for (const TImportLinkNote& l : AReport.NotCarriedOver)
        out += "  " + l.Page + ": " + l.Address + " (" + l.Reason + ")\n";
    out += "Links already broken in the original: " + n(AReport.Broken.size()) + "\n";
    for (const TImportLinkNote& l : AReport.Broken)
        out += "  " + l.Page + ": " + l.Address + " (" + l.Reason + ")\n";
    if (!AReport.PageNotes.empty()) {
        out += "Pages with problems: " + n(AReport.PageNotes.size()) + "\n";
        for (const std::string& note : AReport.PageNotes)
            out += "  " + note + "\n";
    }
    return out;
}
