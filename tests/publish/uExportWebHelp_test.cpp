#include "publish/WebHelpFixture.h"

#include "uExportWebHelp.h"
#include "uSettingsCss.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <fstream>
#include <vector>

#include <sys/stat.h>

using namespace webhelp_fixture;

namespace {

// The page as the publisher must write it, spelled out piece by piece.
std::string ExpectedPage(const std::string& ABody, const std::string& AHeader, const std::string& AHeaderBg) {
    return "<!doctype html><html><head><meta charset=\"utf-8\"><meta name=\"viewport\" content=\"width=device-width, "
           "initial-scale=1\"><link rel=\"stylesheet\" href=\"../style.css\"><style>body{margin:0;font-family:Segoe "
           "UI,Arial;background:#00EEFF;}.sv-page-body p{margin:0;}.sv-page-body h1,.sv-page-body h2,.sv-page-body "
           "h3,.sv-page-body h4,.sv-page-body h5,.sv-page-body h6{margin:0;}.sv-page-body ul,.sv-page-body "
           "ol{margin:0;padding-left:1.5em;}.sv-page-body li{margin:0;}table{border-collapse:collapse;max-width:100%;}"
           "td,th{border:1px solid #999;padding:4px;vertical-align:top;}</style></head><body><div "
           "class=\"sv-page-header\" style=\"background:" +
           AHeaderBg + ";padding:12px 16px;\">" + AHeader +
           "</div><div class=\"sv-page-body\" style=\"padding:16px;\">" + ABody +
           "</div><div class=\"sv-page-footer\" style=\"padding:10px 16px;border-top:1px solid "
           "#d0d0d0;font-size:12px;opacity:0.85;\">\xC2\xA9 2026 Me &amp; Co</div></body></html>";
}

class WebHelpExport : public ::testing::Test {
protected:
    void SetUp() override {
        WriteFixtureProject(FDir / "Proj", FProject);
        FOut = FDir / "Proj/build/webhelp";
    }
    std::string Out(const std::string& ARel) { return GetFile(CombinePath(FOut, ARel)); }
    void InstallFixtureTemplates() {
        PutFile(FDir / "Proj/internal/webhelp/app.html",
                "<html><head><title>WebHelp</title></head><body><title>WebHelp</title></body></html>");
        PutFile(FDir / "Proj/internal/webhelp/app.js", "var x = 1;\r\n");
        PutFile(FDir / "Proj/internal/webhelp/app.css",
                "a{color:__SV_TOC_COLOR__;font-size:__SV_TOC_SIZE__px;background:__SV_LEFT_BG__}b{color:__SV_TOC_COLOR__}");
    }

    TTempDir FDir;
    TDocProject FProject;
    std::string FOut;
};

}  // namespace

TEST_F(WebHelpExport, pagesMatchTheTemplateByteForByte) {
    ExportWebHelp(FProject, FOut);
    EXPECT_EQ(Out("topics/" + kA + ".html"),
              ExpectedPage("<p style=\"background-color: transparent\">Hello Pagewell &lt;Pro&gt;</p><p><a href=\"" + kC +
                               ".html\">child</a> <a href=\"#\">hidden</a> <a href=\"#\">gone</a></p><img "
                               "src=\"../assets/images/pic.png\">",
                           "<i>A head</i>", "#fafafa"));
    // No body file: the title as a heading; no own header: the project default files.
    EXPECT_EQ(Out("topics/" + kC + ".html"), ExpectedPage("<h1>Child</h1>", "<b>Default header</b>", "#eeeeee"));
    // Blank body: the escaped title; an empty own header falls back to the plain project title.
    EXPECT_EQ(Out("topics/" + kD + ".html"),
              ExpectedPage("<h1>A&lt;B</h1>", "<div style=\"font-size:14px;\"><b>Docs & More</b></div>", "#eeeeee"));
    EXPECT_FALSE(FileExists(CombinePath(FOut, "topics/" + kB + ".html")));
}

TEST_F(WebHelpExport, tocSearchIndexStyleSheetAndAssets) {
    ExportWebHelp(FProject, FOut);
    const std::string toc = "{\"roots\":[{\"id\":\"" + kA + "\",\"title\":\"Start\\/Home \\u00E9\",\"file\":\"topics\\/" +
                            kA + ".html\",\"children\":[]},{\"id\":\"" + kD + "\",\"title\":\"A<B\",\"file\":\"topics\\/" +
                            kD + ".html\",\"children\":[]}]}";
    EXPECT_EQ(Out("toc.json"), toc);
    EXPECT_EQ(Out("toc.js"), "window.__SV_TOC = " + toc + ";");

    // Dictionary order; the child of the excluded parent is listed; text expanded, then plain.
    const std::string search =
        "{\"topics\":[{\"id\":\"" + kA + "\",\"title\":\"Start\\/Home \\u00E9\",\"file\":\"topics\\/" + kA +
        ".html\",\"text\":\"Hello Pagewell <Pro> child hidden gone\",\"keywords\":\"alpha beta\"},{\"id\":\"" + kC +
        "\",\"title\":\"Child\",\"file\":\"topics\\/" + kC + ".html\",\"text\":\"\",\"keywords\":\"\"},{\"id\":\"" + kD +
        "\",\"title\":\"A<B\",\"file\":\"topics\\/" + kD + ".html\",\"text\":\"\",\"keywords\":\"\"}]}";
    EXPECT_EQ(Out("search.json"), search);
    EXPECT_EQ(Out("search.js"), "window.__SV_SEARCH = " + search + ";");
    // The viewer's start file names the topic the contents leave out; its index is beside it.
    EXPECT_EQ(Out("start.js"), "window.__SV_START = {\"searchOnly\":[{\"id\":\"" + kC +
                                   "\",\"title\":\"Child\",\"file\":\"topics\\/" + kC +
                                   ".html\"}],\"load\":[],\"later\":{}};");
    EXPECT_NE(Out("search/index.js").find("\"topics\":3,"), std::string::npos);

    const TProjectSettings settings = FixtureSettings();
    EXPECT_EQ(Out("style.css"), "body{color:red}" + BuildSettingsCss(&settings));
    EXPECT_EQ(Out("assets/images/pic.png"), GetFile(FDir / "Proj/assets/images/pic.png"));
    EXPECT_EQ(Out("assets/css/sub/x.css"), "p{}");
}

TEST_F(WebHelpExport, missingStyleProfileUsesTheBuiltInBaseRule) {
    FProject.SetStyleProfile("nothere");
    ExportWebHelp(FProject, FOut);
    const TProjectSettings settings = FixtureSettings();
    EXPECT_EQ(Out("style.css"), "body{font-family:Segoe UI,Arial;line-height:1.5;margin:0;}" + BuildSettingsCss(&settings));
}

TEST_F(WebHelpExport, emptyProjectStillWritesTocIndexAndFolders) {
    TDocProject empty;
    empty.SetRootPath(IncludeTrailingPathDelimiter(FDir / "Empty"));
    const std::string out = FDir / "Empty/build/webhelp";
    ExportWebHelp(empty, out);
    const TProjectSettings defaults;
    EXPECT_EQ(GetFile(CombinePath(out, "toc.js")), "window.__SV_TOC = {\"roots\":[]};");
    EXPECT_EQ(GetFile(CombinePath(out, "search.js")), "window.__SV_SEARCH = {\"topics\":[]};");
    EXPECT_EQ(GetFile(CombinePath(out, "start.js")), "window.__SV_START = {\"searchOnly\":[],\"load\":[],\"later\":{}};");
    EXPECT_TRUE(FileExists(CombinePath(out, "search/index.js")));
    EXPECT_TRUE(DirectoryExists(CombinePath(out, "topics")));
    EXPECT_TRUE(DirectoryExists(CombinePath(out, "assets")));
    EXPECT_EQ(GetFile(CombinePath(out, "style.css")),
              "body{font-family:Segoe UI,Arial;line-height:1.5;margin:0;}" + BuildSettingsCss(&defaults));
}

TEST_F(WebHelpExport, resolverNamesPagesOfIncludedTopicsOnly) {
    const struct {
        std::string ID;
        std::string Expected;
    } cases[] = {{kA, kA + ".html"}, {kC, kC + ".html"}, {kB, ""}, {kUnknown, ""}, {"", ""}};
    for (const auto& c : cases)
        EXPECT_EQ(ResolveWebHelpTopicLink(FProject, c.ID), c.Expected) << c.ID;
}

// The page workers run in parallel; the site must not depend on how many there are.
TEST_F(WebHelpExport, oneThreadAndManyThreadsWriteTheSameBytes) {
    // Topic links need 32 hex digits: 30 E's and the number in hex.
    const auto id = [](int AIndex) {
        const char* hex = "0123456789ABCDEF";
        return std::string(30, 'E') + hex[AIndex / 16] + hex[AIndex % 16];
    };
    for (int i = 0; i < 40; ++i) {
        AddFixedTopic(FProject, id(i), "Topic " + std::to_string(i), i % 2 ? kA : "");
        PutFile(FDir / ("Proj/topics/" + id(i) + ".html"), "<p>{var:Product} " + std::to_string(i) + " <a href=\"doc:" +
                                                              id(i * 7 % 40) + "\">next</a> <a href=\"doc:" + kB +
                                                              "\">hidden</a></p>");
    }
    SaveProjectFolder(FProject);
    TPublishOptions one;
    one.Threads = 1;
    TPublishOptions many;
    many.Threads = 4;
    ExportWebHelp(FProject, FDir / "one", one);
    ExportWebHelp(FProject, FDir / "many", many);
    const auto single = Snapshot(FDir / "one");
    size_t pages = 0;
    for (const auto& [name, bytes] : single)
        pages += name.rfind("topics/", 0) == 0 ? 1 : 0;
    EXPECT_EQ(pages, 43u);
    EXPECT_EQ(Snapshot(FDir / "many"), single);
    EXPECT_NE(single.at("topics/" + id(7) + ".html")
                  .find("Pagewell &lt;Pro&gt; 7 <a href=\"" + id(9) + ".html\">next</a> <a href=\"#\">hidden</a>"),
              std::string::npos);
}

TEST_F(WebHelpExport, progressCountsEveryPageAndCancelStopsThePublication) {
    InstallFixtureTemplates();
    const TProjectSettings settings = FixtureSettings();
    PublishWebHelp(FProject, &settings);
    const auto before = Snapshot(FOut);

    std::vector<size_t> done;
    std::atomic<bool> cancel = false;
    TPublishOptions options;
    options.Threads = 2;
    options.Cancel = &cancel;
    options.Progress = [&](size_t ADone, size_t ATotal) {
        done.push_back(ADone);
        EXPECT_EQ(ATotal, 3u);
        cancel = ADone == 2;
    };
    PutFile(FDir / ("Proj/topics/" + kA + ".html"), "<p>changed</p>");
    EXPECT_THROW(PublishWebHelp(FProject, &settings, {}, options), EPublishCancelled);
    EXPECT_EQ(done, (std::vector<size_t>{1, 2}));
    EXPECT_EQ(Snapshot(FOut), before);

    cancel = false;
    options.Progress = [&](size_t ADone, size_t) { done.push_back(ADone); };
    PublishWebHelp(FProject, &settings, {}, options);
    EXPECT_EQ(done, (std::vector<size_t>{1, 2, 1, 2, 3}));
    EXPECT_NE(Out("topics/" + kA + ".html").find("changed"), std::string::npos);
}

TEST_F(WebHelpExport, publishingTwiceIsIdenticalAndDropsPagesOfDeletedTopics) {
    InstallFixtureTemplates();
    const TProjectSettings settings = FixtureSettings();
    PublishWebHelp(FProject, &settings);
    const auto first = Snapshot(FOut);
    PublishWebHelp(FProject, &settings);
    EXPECT_EQ(Snapshot(FOut), first);

    FProject.DeleteTopic(kD);
    PublishWebHelp(FProject, &settings);
    EXPECT_FALSE(FileExists(CombinePath(FOut, "topics/" + kD + ".html")));
    EXPECT_EQ(Out("toc.json").find(kD), std::string::npos);
    // Nothing is left beside the site but the publication it replaced, kept to be rewritten.
    std::vector<std::string> entries;
    for (const auto& e : std::filesystem::directory_iterator(FDir / "Proj/build"))
        entries.push_back(e.path().filename().string());
    std::sort(entries.begin(), entries.end());
    EXPECT_EQ(entries, (std::vector<std::string>{".webhelp.spare", "webhelp"}));
}

// Republishing rewrites the files of the publication before the last in place; what that one
// held besides is gone, and no file is written through a link into somewhere else.
TEST_F(WebHelpExport, republishingReusesTheSpareWithoutKeepingOrWritingThroughAnythingOfIt) {
    InstallFixtureTemplates();
    const TProjectSettings settings = FixtureSettings();
    PublishWebHelp(FProject, &settings);
    const auto fresh = Snapshot(FOut);
    PublishWebHelp(FProject, &settings);
    const std::filesystem::path spare = FDir / "Proj/build/.webhelp.spare";
    ASSERT_TRUE(std::filesystem::is_directory(spare));

    const std::string pageA = "topics/" + kA + ".html", pageB = "topics/" + kB + ".html";
    const auto inode = [](const std::filesystem::path& APath) {
        struct stat st {};
        return ::stat(APath.c_str(), &st) == 0 ? st.st_ino : 0;
    };
    const auto pageAInode = inode(spare / pageA);
    // A backup that shares a file with the spare, a link out of it, and things no publication makes.
    PutFile(FDir / "outside.html", "mine");
    std::filesystem::remove(spare / pageB);
    std::filesystem::create_symlink(FDir / "outside.html", spare / pageB);
    std::filesystem::create_hard_link(spare / "search/0.js", FDir / "backup.js");
    std::ofstream(FDir / "backup.js", std::ios::binary | std::ios::trunc) << "kept";  // through the link
    PutFile(spare / "topics/gone.html", "old page");
    PutFile(spare / "search/999.js", "old piece");
    PutFile(spare / "stray.txt", "x");
    std::filesystem::create_directories(spare / "topics/sub");

    PublishWebHelp(FProject, &settings);
    EXPECT_EQ(Snapshot(FOut), fresh);
    const std::filesystem::path out(FOut);
    EXPECT_EQ(inode(out / pageA), pageAInode);
    EXPECT_EQ(GetFile(FDir / "outside.html"), "mine");
    EXPECT_EQ(GetFile(FDir / "backup.js"), "kept");
    EXPECT_FALSE(std::filesystem::is_symlink(out / pageB));
}

// ---- the viewer templates --------------------------------------------------------------------

TEST_F(WebHelpExport, viewerGetsPlaceholdersAndTitleFromTheWindowSettings) {
    InstallFixtureTemplates();
    TProjectSettings window = FixtureSettings();
    window.TocTextColor = 0x332211;
    window.TocTextSize = 9;
    const std::string index = PublishWebHelp(FProject, &window);
    EXPECT_EQ(index, ExpandFileName(CombinePath(FOut, "index.html")));
    EXPECT_EQ(Out("index.html"),
              "<html><head><title>Docs &amp; More</title></head><body><title>WebHelp</title></body></html>");
    EXPECT_EQ(Out("app.js"), "var x = 1;\r\n");
    EXPECT_EQ(Out("app.css"), "a{color:#112233;font-size:9px;background:#00EEFF}b{color:#112233}");
}

TEST_F(WebHelpExport, viewerWithoutWindowSettingsKeepsPlaceholders) {
    InstallFixtureTemplates();
    PublishWebHelp(FProject, nullptr);
    EXPECT_EQ(Out("app.css"), GetFile(FDir / "Proj/internal/webhelp/app.css"));
}

TEST_F(WebHelpExport, missingTemplateFolderInstallsNoViewer) {
    const TProjectSettings settings = FixtureSettings();
    const std::string index = PublishWebHelp(FProject, &settings);
    EXPECT_FALSE(FileExists(index));
    EXPECT_TRUE(FileExists(CombinePath(FOut, "toc.js")));
}

// A publication that fails half-way (here: a viewer template is missing after all pages were
// written) leaves the previous site whole, and no part of the new one behind.
TEST_F(WebHelpExport, failedPublicationLeavesThePreviousSiteWhole) {
    InstallFixtureTemplates();
    const TProjectSettings settings = FixtureSettings();
    PublishWebHelp(FProject, &settings);
    const auto before = Snapshot(FOut);

    PutFile(FDir / ("Proj/topics/" + kA + ".html"), "<p>changed</p>");
    FProject.DeleteTopic(kD);
    std::filesystem::remove(FDir / "Proj/internal/webhelp/app.js");
    EXPECT_THROW(PublishWebHelp(FProject, &settings), EAppError);
    EXPECT_EQ(Snapshot(FOut), before);
    EXPECT_EQ(Snapshot(FDir / "Proj/build").size(), before.size());
}

// A hand-edited tree with an id that is a path must not make the export write outside its folder.
TEST_F(WebHelpExport, topicIdThatIsAPathStopsTheExport) {
    AddFixedTopic(FProject, "../../escape", "Escape");
    EXPECT_THROW(ExportWebHelp(FProject, FOut), EAppError);
    EXPECT_FALSE(FileExists(FDir / "Proj/escape.html"));
}
