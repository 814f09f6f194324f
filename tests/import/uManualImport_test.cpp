// Importing whole manuals: three small fixture manuals in the styles generators write, the
// folder-tree boundary, the all-or-nothing write, and the text of pages in old character sets.
#include "common/TestHelpers.h"

#include "uLinkChecker.h"
#include "uManualImport.h"
#include "uStorage.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <map>

namespace fs = std::filesystem;

namespace {

const std::string kManuals = PAGEWELL_TEST_DATA_DIR "/manuals";

// An empty stored project in a temporary folder.
struct TProjectDir {
    TTempDir Dir;
    TDocProject Project;
    TProjectSettings Settings;
    TProjectDir() {
        Project.SetRootPath(IncludeTrailingPathDelimiter(Dir / "proj"));
        EnsureDir(Dir / "proj");
        SaveProjectFolder(Project);
    }
    std::string Root() const { return Dir / "proj"; }
};

// "Title(Child,Child(Grandchild))" of the subtree at AID.
std::string TreeText(const TDocProject& AProject, const std::string& AID) {
    const TTopic& t = AProject.GetTopic(AID);
    std::string out = t.Title();
    if (!t.Children().empty()) {
        out += "(";
        for (size_t i = 0; i < t.Children().size(); ++i)
            out += (i ? "," : "") + TreeText(AProject, t.Children()[i]);
        out += ")";
    }
    return out;
}

std::string IdOf(const TDocProject& AProject, const std::string& ATitle) {
    for (const TTopic& t : AProject.Topics())
        if (t.Title() == ATitle)
            return t.ID();
    return "<no topic " + ATitle + ">";
}

std::string BodyOf(const TDocProject& AProject, const std::string& ATitle) {
    return GetFile(AProject.TopicHtmlPathFor(IdOf(AProject, ATitle)));
}

// Topic ids in a text replaced by the topics' titles, so expectations read as the manual does.
std::string WithTitles(const TDocProject& AProject, std::string AText) {
    for (const TTopic& t : AProject.Topics())
        AText = ReplaceText(AText, t.ID(), "<" + t.Title() + ">");
    return AText;
}

std::vector<std::string> LinkIssues(const TDocProject& AProject) {
    std::vector<std::string> out;
    for (const TLinkIssue& issue : CheckProjectLinks(AProject))
        out.push_back(WithTitles(AProject, issue.TopicTitle + ": " + issue.Issue));
    return out;
}

std::vector<std::string> Notes(const std::vector<TImportLinkNote>& ANotes) {
    std::vector<std::string> out;
    for (const TImportLinkNote& n : ANotes)
        out.push_back(n.Page + ": " + n.Address + " (" + n.Reason + ")");
    return out;
}

std::vector<std::string> AssetFiles(const std::string& ARoot) {
    std::vector<std::string> out;
    std::error_code ec;
    for (fs::recursive_directory_iterator it(ARoot + "/assets", ec), end; !ec && it != end; it.increment(ec))
        if (it->is_regular_file())
            out.push_back(fs::relative(it->path(), ARoot).string());
    std::sort(out.begin(), out.end());
    return out;
}

// Every file and folder below ARoot with its bytes.
std::map<std::string, std::string> Snapshot(const std::string& ARoot) {
    std::map<std::string, std::string> out;
    for (const auto& e : fs::recursive_directory_iterator(ARoot))
        out[fs::relative(e.path(), ARoot).string()] = e.is_regular_file() ? GetFile(e.path().string()) : "<dir>";
    return out;
}

}  // namespace

TEST(ManualImport, fixtureManualsGiveTheirTreeLinksNavigationAssetsAndLinkCheck) {
    const struct TCase {
        const char* Manual;
        std::string Tree;
        // A topic, and a piece of its body (topic ids written as <title>).
        std::string LinkTopic, LinkHtml;
        std::vector<std::string> Navigation;  // "pattern (n pages)"
        std::vector<std::string> Assets;
        std::vector<std::string> NotCarried, Broken, Issues;
    } cases[] = {
        {"nested",
         "Nested Manual(Installing(Configuring),Using it(Questions,Extra notes))",
         "Installing",
         "<a id=\"top\"></a>\n<p>Install it. <img src=\"assets/images/logo.png\" alt=\"Logo\"></p>\n<h2 id=\"linux\">On Linux</h2>\n"
         "<p>Then read <a href=\"doc:<Configuring>#files\">the files</a> and <a href=\"doc:<Using it>\">usage</a>.</p>",
         {},
         {"assets/css/logo.png", "assets/css/style.css", "assets/images/logo.png"},
         {"index.html: ../outside.html (outside the start page's folder)"},
         {"guide/config.html: install.html#nowhere (no matching anchor)", "guide/config.html: missing.html (file missing)"},
         {"Nested Manual: Missing local reference: ../outside.html",
          "Configuring: Missing anchor: doc:<Installing>#nowhere", "Configuring: Missing local reference: missing.html"}},
        {"dlbars",
         "Book of Bars(1. Intro(Details),2. Setup,3. Usage,A. Notes)",
         "3. Usage",
         "<div class=\"chapter\">\n<p><img src=\"assets/images/note.gif\" alt=\"Note\"> Use it. Back to "
         "<a href=\"doc:<1. Intro>#why\">why</a>.</p></div>",
         {"body>div.navheader (6 pages)", "body>div.navfooter (6 pages)"},
         // the two pictures with the same bytes are one file
         {"assets/css/docbook.css", "assets/images/note.gif"},
         {"apa.html: ../nested/index.html (outside the start page's folder)"},
         {"ch01s02.html: ch03.html#usage-tips (no matching anchor)"},
         {"Details: Missing anchor: doc:<3. Usage>#usage-tips", "A. Notes: Missing local reference: ../nested/index.html"}},
        {"sidemenu",
         "Home - Site(Alpha(Alpha One),Beta,Gamma)",
         "Alpha",
         "<link rel=\"stylesheet\" href=\"assets/css/site.css\">\r\n<div class=\"content\"><p>First. Next: "
         "<a href=\"doc:<Alpha One>#one\">Alpha One</a>.</p></div><div class=\"footer\">Made with care.</div>",
         {"body>div.sidebar (5 pages)"},
         {"assets/css/site.css"},
         {},
         // a fragment missing in the same page stays "#top": only the report can name it
         {"pages/a1.html: b.html#missing (no matching anchor)", "pages/c.html: #top (no matching anchor)"},
         {"Alpha One: Missing anchor: doc:<Beta>#missing"}},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Manual);
        TProjectDir p;
        const TManualImportReport report =
            ImportManual(p.Project, p.Settings, kManuals + "/" + c.Manual + "/index.html", {}, true);
        TDocProject loaded;
        LoadProjectFolder(p.Project.RootPath(), loaded);
        ASSERT_EQ(loaded.RootTopicIDs().size(), 1u);
        EXPECT_EQ(TreeText(loaded, loaded.RootTopicIDs()[0]), c.Tree);
        EXPECT_NE(WithTitles(loaded, BodyOf(loaded, c.LinkTopic)).find(c.LinkHtml), std::string::npos)
            << WithTitles(loaded, BodyOf(loaded, c.LinkTopic));
        std::vector<std::string> navigation;
        for (const auto& n : report.Navigation)
            navigation.push_back(n.Pattern + " (" + IntToStr(static_cast<long long>(n.Pages)) + " pages)");
        EXPECT_EQ(navigation, c.Navigation);
        EXPECT_EQ(AssetFiles(p.Root()), c.Assets);
        EXPECT_EQ(report.Assets, c.Assets.size());
        EXPECT_EQ(Notes(report.NotCarriedOver), c.NotCarried);
        EXPECT_EQ(Notes(report.Broken), c.Broken);
        EXPECT_EQ(LinkIssues(loaded), c.Issues);
        EXPECT_EQ(report.Pages, loaded.Topics().size());
        // Every topic shows its own title in its header.
        for (const TTopic& t : loaded.Topics())
            EXPECT_NE(GetFile(p.Root() + "/meta/header_" + t.ID() + ".html").find("<b>" + t.Title() + "</b>"), std::string::npos);
    }
}

TEST(ManualImport, sectionsEveryPageHasSeveralOfAreNotNavigation) {
    TProjectDir p;
    const char* const names[] = {"index", "a", "b", "c"};
    for (const char* name : names) {
        std::string page = std::string("<title>") + name + "</title><body><div class=\"content\"><h1>" + name + "</h1>";
        for (const char* other : names)
            page += std::string("<div class=\"sect\"><p>See <a href=\"") + other + ".html\">" + other + "</a>, </p></div>";
        PutFile(p.Dir / ("src/" + std::string(name) + ".html"), page + "</div></body>");
    }
    const TManualImportReport report = ImportManual(p.Project, p.Settings, p.Dir / "src/index.html", {}, true);
    EXPECT_TRUE(report.Navigation.empty());
    EXPECT_NE(BodyOf(p.Project, "b").find("See <a href=\"doc:" + IdOf(p.Project, "c") + "\">c</a>"), std::string::npos);
}

TEST(ManualImport, keepNavigationKeepsTheBarsAndTheImportGoesBelowTheParent) {
    TProjectDir p;
    const std::string parent = p.Project.AddTopic("Existing", "").ID();
    TManualImportOptions options;
    options.KeepNavigation = true;
    options.ParentID = parent;
    const TManualImportReport report = ImportManual(p.Project, p.Settings, kManuals + "/dlbars/index.html", options, true);
    EXPECT_TRUE(report.Navigation.empty());
    EXPECT_EQ(p.Project.GetTopic(parent).Children(), std::vector<std::string>{report.RootTopicID});
    EXPECT_NE(BodyOf(p.Project, "2. Setup").find("class=\"navheader\""), std::string::npos);
}

TEST(ManualImport, nothingOutsideTheStartFolderIsReadOrCopied) {
    TProjectDir p;
    const std::string m = p.Dir / "src/manual";
    PutFile(p.Dir / "src/secret.png", "secret");
    PutFile(p.Dir / "src/outside.html", "<p><a href=\"manual/lured.html\">in</a></p>");
    PutFile(p.Dir / "src/linked.html", "<p>reached through a link</p>");
    PutFile(m + "/lured.html", "<p>only the outside page links here</p>");
    PutFile(m + "/index.html",
            "<title>Start</title><p><a href=\"../outside.html\">up</a> <img src=\"../secret.png\"> <img src=\"/etc/hostname\">"
            " <a href=\"link.html\">link</a> <a href=\"sub\">folder</a> <a href=\"q%zz.html\">bad</a> <a href=\"Other.HTML\">case</a></p>");
    PutFile(m + "/other.html", "<title>Other</title><p>found ignoring case</p>");
    EnsureDir(m + "/sub");
    fs::create_symlink(p.Dir / "src/linked.html", m + "/link.html");
    const TManualImportReport report = ImportManual(p.Project, p.Settings, m + "/index.html", {}, true);
    EXPECT_EQ(TreeText(p.Project, report.RootTopicID), "Start(Other)");
    EXPECT_EQ(Notes(report.NotCarriedOver),
              (std::vector<std::string>{"index.html: ../outside.html (outside the start page's folder)",
                                        "index.html: ../secret.png (outside the start page's folder)",
                                        "index.html: /etc/hostname (outside the start page's folder)",
                                        "index.html: link.html (a symbolic link leading outside the start page's folder)",
                                        "index.html: sub (a folder)", "index.html: q%zz.html (a malformed % escape)"}));
    EXPECT_TRUE(AssetFiles(p.Root()).empty());
    const std::string body = BodyOf(p.Project, "Start");
    EXPECT_NE(body.find("<img src=\"../secret.png\">"), std::string::npos) << body;
    EXPECT_NE(body.find("href=\"doc:" + IdOf(p.Project, "Other") + "\""), std::string::npos) << body;
}

TEST(ManualImport, aFailedOrCancelledWriteLeavesTheProjectAsItWas) {
    TProjectDir p;
    p.Project.AddTopic("Existing", "");
    SaveProjectFolder(p.Project);
    PutFile(p.Root() + "/assets/images/logo.png", "an older picture of the same name");
    const std::map<std::string, std::string> before = Snapshot(p.Root());
    const std::string start = kManuals + "/nested/index.html";

    // The commit writes 6 topics with 2 header files each, 3 assets, then the tree: fail at each
    // kind of write in turn, and cancel while writing.
    for (int failAt : {1, 2, 10, 19, 22}) {
        SCOPED_TRACE(failAt);
        TManualImportOptions options;
        int writes = 0;
        options.BeforeWrite = [&](const std::string& APath) {
            if (++writes == failAt)
                throw EAppError("disk full: " + APath);
        };
        EXPECT_THROW(ImportManual(p.Project, p.Settings, start, options, true), EAppError);
        EXPECT_EQ(writes, failAt);
        EXPECT_EQ(Snapshot(p.Root()), before);
        EXPECT_EQ(p.Project.Topics().size(), 1u);
        EXPECT_EQ(p.Project.RootTopicIDs().size(), 1u);
    }
    TManualImportOptions cancelling;
    cancelling.Progress = [](const std::string& APhase, size_t ADone, size_t) { return !(APhase == "Writing files" && ADone == 7); };
    EXPECT_THROW(ImportManual(p.Project, p.Settings, start, cancelling, true), EImportCancelled);
    EXPECT_EQ(Snapshot(p.Root()), before);
    EXPECT_EQ(p.Project.Topics().size(), 1u);

    // A name taken while the import was prepared fails it without overwriting.
    TManualImportPlanPtr plan = PrepareManualImport(p.Project, p.Settings, start, {});
    PutFile(p.Root() + "/assets/css/style.css", "written meanwhile");
    EXPECT_THROW(CommitManualImport(*plan, p.Project, true), EAppError);
    EXPECT_EQ(GetFile(p.Root() + "/assets/css/style.css"), "written meanwhile");
    plan.reset();  // removes the staged copies
    std::remove((p.Root() + "/assets/css/style.css").c_str());
    std::error_code ec;
    fs::remove(p.Root() + "/assets/css", ec);
    EXPECT_EQ(Snapshot(p.Root()), before);

    // Succeeding after all, the older picture keeps its name. The staging folder of an import
    // that was killed is cleared away; that of a plan still held is not.
    PutFile(p.Root() + "/.pagewell-import-0123456789ab/assets/images/logo.png", "left by a killed import");
    TManualImportPlanPtr held = PrepareManualImport(p.Project, p.Settings, start, {});
    const TManualImportReport report = ImportManual(p.Project, p.Settings, start, {}, true);
    EXPECT_FALSE(fs::exists(p.Root() + "/.pagewell-import-0123456789ab"));
    size_t stagings = 0;
    for (const auto& e : fs::directory_iterator(p.Root()))
        stagings += e.path().filename().string().rfind(".pagewell-import-", 0) == 0;
    EXPECT_EQ(stagings, 1u);
    held.reset();
    EXPECT_FALSE(fs::exists(p.Root() + "/.pagewell-import-0123456789ab"));
    for (const auto& e : fs::directory_iterator(p.Root()))
        EXPECT_NE(e.path().filename().string().rfind(".pagewell-import-", 0), 0u) << e.path();
    EXPECT_EQ(GetFile(p.Root() + "/assets/images/logo.png"), "an older picture of the same name");
    EXPECT_NE(BodyOf(p.Project, "Nested Manual").find("assets/images/logo_2.png"), std::string::npos);
    EXPECT_EQ(p.Project.Topics().size(), 7u);
    EXPECT_EQ(report.Topics, 6u);
}

TEST(ManualImport, aDeclaredWindows1252PageKeepsItsCurlyQuotesAndUnassignedBytes) {
    TProjectDir p;
    const std::string m = p.Dir / "src";
    PutFile(m + "/index.html",
            "<html><head><meta http-equiv=\"Content-Type\" content=\"text/html; charset=iso-8859-1\"><title>Caf\xE9</title></head>"
            "<body><p>\x93quoted\x94 \x81 end</p><p><a href=\"plain.html\">next</a></p></body></html>");
    PutFile(m + "/plain.html", "<title>Plain</title><p>no declaration, not UTF-8: \x96 dash</p>");
    const TManualImportReport report = ImportManual(p.Project, p.Settings, m + "/index.html", {}, true);
    EXPECT_EQ(p.Project.GetTopic(report.RootTopicID).Title(), "Caf\xC3\xA9");
    EXPECT_NE(BodyOf(p.Project, "Caf\xC3\xA9").find("<p>\xE2\x80\x9Cquoted\xE2\x80\x9D \xC2\x81 end</p>"), std::string::npos);
    EXPECT_NE(BodyOf(p.Project, "Plain").find("not UTF-8: \xE2\x80\x93 dash"), std::string::npos);
    EXPECT_EQ(report.CharsetFallbacks, 1u);
}

TEST(ManualImport, awkwardManualsImportOrFailClearly) {
    struct TCase {
        const char* Name;
        std::map<std::string, std::string> Files;  // below the manual folder; start page index.html
        std::string Error;                         // expected error, or empty
        std::string Tree;                          // otherwise the tree
    };
    const TCase cases[] = {
        {"no links", {{"index.html", "<title>Lonely</title><p>just text</p>"}}, "", "Lonely"},
        {"link loop",
         {{"index.html", "<title>A</title><a href=\"b.html\">b</a>"}, {"b.html", "<title>B</title><a href=\"index.html\">a</a><a href=\"b.html\">me</a>"}},
         "", "A(B)"},
        {"frameset",
         {{"index.html", "<html><head><title>Frames</title></head><frameset><frame src=\"toc.html\"><frame src=\"main.html\"></frameset></html>"},
          {"toc.html", "<title>Toc</title><a href=\"main.html\" target=\"main\">main</a>"}, {"main.html", "<title>Main</title><p>m</p>"}},
         "", "Frames(Toc,Main)"},
        {"not html", {{"index.html", std::string("\x89PNG\r\n\x1a\n\0\0\0", 11)}}, "Not an HTML page: ", ""},
        {"a linked page that is not HTML",
         {{"index.html", "<title>S</title><a href=\"bin.html\">b</a>"}, {"bin.html", std::string("\0\1\2", 3)}}, "", "S"},
        {"missing start page", {{"other.html", "<p>x</p>"}}, "File not found: ", ""},
        {"excluded pages",
         {{"index.html", "<title>S</title><a href=\"genindex-A.html\">i</a><a href=\"search.html\">s</a><a href=\"k.html\">k</a>"},
          {"genindex-A.html", "<title>I</title>"}, {"search.html", "<title>Q</title>"}, {"k.html", "<title>K</title>"}},
         "", "S(K)"},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        TProjectDir p;
        for (const auto& [name, bytes] : c.Files)
            PutFile(p.Dir / ("src/" + name), bytes);
        TManualImportOptions options;
        options.Excludes = {"genindex*.html", "search.html"};
        const auto before = Snapshot(p.Root());
        try {
            const TManualImportReport report = ImportManual(p.Project, p.Settings, p.Dir / "src/index.html", options, true);
            EXPECT_EQ(c.Error, "");
            EXPECT_EQ(TreeText(p.Project, report.RootTopicID), c.Tree);
        } catch (const EAppError& e) {
            EXPECT_EQ(std::string(e.what()).rfind(c.Error, 0), 0u) << e.what();
            EXPECT_FALSE(c.Error.empty()) << e.what();
            EXPECT_EQ(Snapshot(p.Root()), before);
        }
    }
}

TEST(ManualImport, hostileMarkupIsRemovedAsInTheSinglePageImport) {
    TProjectDir p;
    PutFile(p.Dir / "src/index.html",
            "<title>H</title><body onload=\"steal()\"><script>steal()</script><p onclick=\"x()\">hi "
            "<a href=\"javascript:steal()\">click</a> <iframe srcdoc=\"<script>x</script>\"></iframe></p></body>");
    const TManualImportReport report = ImportManual(p.Project, p.Settings, p.Dir / "src/index.html", {}, true);
    const std::string body = BodyOf(p.Project, "H");
    EXPECT_EQ(body.find("steal"), std::string::npos) << body;
    EXPECT_EQ(body.find("onclick"), std::string::npos) << body;
    EXPECT_EQ(body.find("srcdoc"), std::string::npos) << body;
    EXPECT_EQ(report.ExternalLinks, 0u);
}
