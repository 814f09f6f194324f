// pagewell-cli as a user runs it: the built binary on a stored project.
#include "publish/WebHelpFixture.h"

#include "uExportWebHelp.h"
#include "uProjectLock.h"

#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdio>

using namespace webhelp_fixture;

namespace {

struct TRun {
    int ExitCode = -1;
    std::string Out;
    std::string Err;
};

std::string ShellQuote(const std::string& A) { return "'" + ReplaceText(A, "'", "'\\''") + "'"; }

TRun RunCli(const std::vector<std::string>& AArgs, const std::string& AErrFile,
           const std::string& AProgram = PAGEWELL_APP_DIR "/pagewell-cli") {
    std::string cmd = ShellQuote(AProgram);
    for (const std::string& a : AArgs)
        cmd += " " + ShellQuote(a);
    cmd += " 2>" + ShellQuote(AErrFile);
    TRun run;
    FILE* pipe = ::popen(cmd.c_str(), "r");
    if (!pipe)
        return run;
    char buf[4096];
    for (size_t n; (n = fread(buf, 1, sizeof buf, pipe)) > 0;)
        run.Out.append(buf, n);
    const int status = ::pclose(pipe);
    run.ExitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    run.Err = FileExists(AErrFile) ? GetFile(AErrFile) : "";
    return run;
}

class Cli : public ::testing::Test {
protected:
    void SetUp() override {
        WriteFixtureProject(FDir / "Docs/Manual", FProject);
        SaveProjectFile(FDir / "Docs/Manual.svp", FProject);
    }
    TRun Run(const std::vector<std::string>& AArgs) { return RunCli(AArgs, FDir / "stderr.txt"); }

    TTempDir FDir;
    TDocProject FProject;
};

}  // namespace

TEST_F(Cli, publishWebHelpWritesWhatTheDesktopCommandWrites) {
    const TRun run = Run({"publish", "webhelp", FDir / "Docs/Manual.svp"});
    ASSERT_EQ(run.ExitCode, 0) << run.Err;
    const std::string out = FDir / "Docs/Manual/build/webhelp";
    EXPECT_EQ(run.Out, CombinePath(out, "index.html") + "\n");
    EXPECT_EQ(run.Err, "");

    // The same publication made in-process with the project's own settings file as the window's
    // settings and the application's templates.
    const auto published = Snapshot(out);
    std::filesystem::remove_all(out);
    TProjectSettings settings = FixtureSettings();
    FProject.SetTitle(settings.ProjTitle);
    PublishWebHelp(FProject, &settings, PAGEWELL_APP_DIR "/AppFiles/webhelp");
    EXPECT_EQ(published, Snapshot(out));

    // The viewer got the settings' colours and the project title.
    const std::string css = published.at("app.css");
    EXPECT_EQ(css.find("__SV_"), std::string::npos);
    EXPECT_NE(css.find("color: #FF0000;"), std::string::npos);
    EXPECT_NE(css.find("font-size: 14px;"), std::string::npos);
    EXPECT_NE(published.at("index.html").find("<title>Docs &amp; More</title>"), std::string::npos);
    EXPECT_EQ(published.at("app.js"), GetFile(PAGEWELL_APP_DIR "/AppFiles/webhelp/app.js"));
}

TEST_F(Cli, publishWebHelpTakesARootFolderToo) {
    const TRun run = Run({"publish", "webhelp", FDir / "Docs/Manual/"});
    ASSERT_EQ(run.ExitCode, 0) << run.Err;
    EXPECT_EQ(run.Out, (FDir / "Docs/Manual/build/webhelp/index.html") + "\n");
    EXPECT_TRUE(FileExists(FDir / "Docs/Manual/build/webhelp/topics/" + kA + ".html"));
}

// Progress shows only on a terminal (here a pseudo-terminal made by script(1)) and not with
// --quiet; without a terminal stderr stays empty (publishWebHelpWritesWhatTheDesktopCommandWrites).
TEST_F(Cli, publishShowsProgressOnlyOnATerminalWithoutQuiet) {
    const struct {
        std::vector<std::string> Options;
        bool Progress;
    } cases[] = {{{}, true}, {{"--quiet"}, false}};
    for (const auto& c : cases) {
        std::string command = ShellQuote(PAGEWELL_APP_DIR "/pagewell-cli") + " publish webhelp";
        for (const std::string& o : c.Options)
            command += " " + o;
        command += " " + ShellQuote(FDir / "Docs/Manual.svp");
        const TRun run = RunCli({"-qec", command, "/dev/null"}, FDir / "stderr.txt", "script");
        ASSERT_EQ(run.ExitCode, 0) << run.Out << run.Err;
        const std::string line = "\rPublishing WebHelp: 3/3 topics";
        EXPECT_EQ(run.Out.find(line) != std::string::npos, c.Progress) << run.Out;
        EXPECT_NE(run.Out.find("build/webhelp/index.html"), std::string::npos) << run.Out;
    }
}

TEST_F(Cli, errorsGoToStderrWithTheirExitCodes) {
    struct TCase {
        std::vector<std::string> Args;
        int ExitCode;
        std::string ErrStart;
    };
    PutFile(FDir / "notes.txt", "x");
    PutFile(FDir / "Broken.svp", "{not json");
    EnsureDir(FDir / "EmptyFolder");
    const std::vector<TCase> cases = {
        {{"publish", "webhelp", FDir / "Nope.svp"}, 1, "Project file not found: " + (FDir / "Nope.svp")},
        {{"publish", "webhelp", FDir / "notes.txt"}, 1, "Not a project file: "},
        {{"publish", "webhelp", FDir / "Broken.svp"}, 1, "Invalid project file: "},
        {{"publish", "webhelp", FDir / "EmptyFolder"}, 1, "Not a project folder: "},
        {{"check-links", FDir / "Nope.svp"}, 2, "Project file not found: "},
        {{"publish", "webhelp"}, 2, "usage: pagewell-cli publish webhelp PROJECT [--quiet]"},
        {{"check-links", "a", "b"}, 2, "usage: pagewell-cli check-links PROJECT"},
        {{"publish", "nothing", "x"}, 2, "Unknown command: publish nothing x"},
        {{}, 2, "pagewell-cli "},
    };
    for (const TCase& c : cases) {
        const TRun run = Run(c.Args);
        EXPECT_EQ(run.ExitCode, c.ExitCode) << run.Err;
        EXPECT_EQ(run.Err.rfind(c.ErrStart, 0), 0u) << run.Err;
        EXPECT_EQ(run.Out, "");
    }
}

TEST_F(Cli, checkLinksPrintsTheDesktopMessage) {
    TRun run = Run({"check-links", FDir / "Docs/Manual.svp"});
    EXPECT_EQ(run.ExitCode, 1);
    // The fixture's first topic links to an unknown id; the child topic has no body file.
    EXPECT_EQ(run.Out, "Start/Home \xC3\xA9: Broken internal link: doc:" + kUnknown + "\n" +
                           "Child: Missing HTML file: " + (FDir / "Docs/Manual/topics/" + kC + ".html") + "\n");

    PutFile(FDir / "Docs/Manual/topics/" + kC + ".html", "<p>now here</p>");
    PutFile(FDir / "Docs/Manual/topics/" + kA + ".html", "<p>no links</p>");
    run = Run({"check-links", FDir / "Docs/Manual"});
    EXPECT_EQ(run.ExitCode, 0);
    EXPECT_EQ(run.Out, "No link issues found.\n");
}

TEST_F(Cli, helpListsTheCommands) {
    const TRun run = Run({"--help"});
    EXPECT_EQ(run.ExitCode, 0);
    EXPECT_NE(run.Out.find("publish webhelp [--quiet] PROJECT"), std::string::npos);
    EXPECT_NE(run.Out.find("check-links PROJECT"), std::string::npos);
    EXPECT_NE(run.Out.find("import-html PROJECT FILE [--title TITLE] [--parent ID]"), std::string::npos);
}

TEST_F(Cli, importHtmlAddsATopicWithTheImportedBody) {
    PutFile(FDir / "Outside/intro.html",
            "<html><head><title> Intro &amp; more </title><link rel=stylesheet href=s.css></head>"
            "<body><p onclick=\"x()\">Hi <img src=\"x.png\"></p></body></html>");
    PutFile(FDir / "Outside/s.css", "p{background:url(bg.png)}");
    PutFile(FDir / "Outside/bg.png", "bg");
    PutFile(FDir / "Outside/x.png", "x");
    PutFile(FDir / "Outside/chapter-2.htm", "<p>Two</p>");
    const std::string root = FDir / "Docs/Manual";

    TRun run = Run({"import-html", FDir / "Docs/Manual.svp", FDir / "Outside/intro.html", "--parent", kA});
    ASSERT_EQ(run.ExitCode, 0) << run.Err;
    ASSERT_EQ(run.Out.size(), 33u) << run.Out;
    const std::string intro = run.Out.substr(0, 32);
    run = Run({"import-html", root, FDir / "Outside/chapter-2.htm"});
    ASSERT_EQ(run.ExitCode, 0) << run.Err;
    const std::string chapter = run.Out.substr(0, 32);
    run = Run({"import-html", "--title", "Mine", root, FDir / "Outside/chapter-2.htm"});
    ASSERT_EQ(run.ExitCode, 0) << run.Err;
    const std::string mine = run.Out.substr(0, 32);

    TDocProject loaded;
    LoadProjectFolder(IncludeTrailingPathDelimiter(root), loaded);
    EXPECT_EQ(loaded.GetTopic(intro).Title(), "Intro & more");
    EXPECT_EQ(loaded.GetTopic(intro).ParentID(), kA);
    EXPECT_EQ(loaded.GetTopic(kA).Children().back(), intro);
    EXPECT_EQ(loaded.GetTopic(chapter).Title(), "chapter-2");
    EXPECT_EQ(loaded.GetTopic(mine).Title(), "Mine");
    const std::vector<std::string> rootsTail(loaded.RootTopicIDs().end() - 2, loaded.RootTopicIDs().end());
    EXPECT_EQ(rootsTail, (std::vector<std::string>{chapter, mine}));
    EXPECT_EQ(GetFile(root + "/topics/" + intro + ".html"),
              "<link rel=\"stylesheet\" href=\"assets/css/s.css\">\r\n<p>Hi <img src=\"assets/images/x.png\"></p>");
    EXPECT_EQ(GetFile(root + "/topics/" + chapter + ".html"), "<p>Two</p>");
    EXPECT_EQ(GetFile(root + "/assets/images/x.png"), "x");
    EXPECT_EQ(GetFile(root + "/assets/css/bg.png"), "bg");
    EXPECT_EQ(GetFile(root + "/assets/css/s.css"), "\xEF\xBB\xBFp{background:url(\"bg.png\")}");
}

TEST_F(Cli, importHtmlFailsWithExitCodeTwoAndAddsNothing) {
    PutFile(FDir / "Outside/bad.html", "<p><img src=\"a%zz.png\"></p>");
    PutFile(FDir / "Outside/empty.html", "<html><head><title>t</title></head><body> </body></html>");
    PutFile(FDir / "Outside/ok.html", "<p>ok</p>");
    const std::string svp = FDir / "Docs/Manual.svp";
    const std::string tree = FDir / "Docs/Manual/meta/topics.json";
    const std::string before = GetFile(tree);
    const struct { std::vector<std::string> args; std::string errStart; } cases[] = {
        {{"import-html", svp, FDir / "Outside/none.html"}, "File not found: "},
        {{"import-html", FDir / "Nope.svp", FDir / "Outside/ok.html"}, "Project file not found: "},
        {{"import-html", svp, FDir / "Outside/ok.html", "--parent", kUnknown}, "Topic not found: " + kUnknown},
        {{"import-html", svp, FDir / "Outside/bad.html"}, "Malformed URL escape in \"a%zz.png\""},
        {{"import-html", svp, FDir / "Outside/empty.html"}, "The selected HTML file does not contain importable body content."},
        {{"import-html", svp}, "usage: pagewell-cli import-html PROJECT FILE"},
        {{"import-html", svp, FDir / "Outside/ok.html", "--title"}, "usage: pagewell-cli import-html PROJECT FILE"},
        {{"import-html", svp, FDir / "Outside/ok.html", "--force"}, "usage: pagewell-cli import-html PROJECT FILE"},
    };
    for (const auto& c : cases) {
        const TRun run = Run(c.args);
        EXPECT_EQ(run.ExitCode, 2) << run.Err;
        EXPECT_EQ(run.Err.rfind(c.errStart, 0), 0u) << run.Err;
        EXPECT_EQ(run.Out, "");
    }
    EXPECT_EQ(GetFile(tree), before);
}

TEST_F(Cli, importManualPrintsTheReportAndRefusesAProjectOpenInTheWindow) {
    const std::string start = PAGEWELL_TEST_DATA_DIR "/manuals/sidemenu/index.html";
    const std::string svp = FDir / "Docs/Manual.svp";
    TScopedEnv appdata("APPDATA", FDir / "appdata");
    const std::string tree = GetFile(FDir / "Docs/Manual/meta/topics.json");
    {
        TProjectLock window;
        ASSERT_TRUE(window.TryAcquire(FDir / "Docs/Manual"));
        const TRun run = Run({"import-manual", svp, start});
        EXPECT_EQ(run.ExitCode, 2);
        EXPECT_EQ(run.Err, "The project is open in Pagewell; close it first.\n");
        EXPECT_EQ(GetFile(FDir / "Docs/Manual/meta/topics.json"), tree);
    }
    TRun run = Run({"import-manual", svp, start, "--parent", kA, "--exclude", "c.html"});
    ASSERT_EQ(run.ExitCode, 0) << run.Err;
    EXPECT_EQ(run.Out.rfind("Pages imported: 4\nTopics made: 4\nAssets copied: 1\n", 0), 0u) << run.Out;
    EXPECT_NE(run.Out.find("  body>div.sidebar (4 pages)\n"), std::string::npos) << run.Out;
    EXPECT_NE(run.Out.find("  pages/b.html: c.html (an excluded page)\n"), std::string::npos) << run.Out;
    TDocProject loaded;
    LoadProjectFolder(FDir / "Docs/Manual/", loaded);
    EXPECT_EQ(loaded.GetTopic(loaded.GetTopic(kA).Children().back()).Title(), "Home - Site");

    for (const std::vector<std::string>& args : {std::vector<std::string>{"import-manual", svp},
                                                 {"import-manual", svp, start, "--exclude"},
                                                 {"import-manual", svp, FDir / "none.html"},
                                                 {"import-manual", svp, start, "--parent", kUnknown}}) {
        run = Run(args);
        EXPECT_EQ(run.ExitCode, 2) << run.Err;
        EXPECT_EQ(run.Out, "");
    }
}

TEST_F(Cli, contextMapPrintsEachFormatExactly) {
    FProject.GetTopic(kA).SetHelpAlias("overview");
    FProject.GetTopic(kA).SetHelpContextNumber(1000);
    FProject.GetTopic(kD).SetHelpAlias("Settings.dialog-2");
    FProject.GetTopic(kD).SetHelpContextNumber(1010);
    FProject.GetTopic(kC).SetHelpAlias("no_number");  // left out of every format
    SaveProjectFile(FDir / "Docs/Manual.svp", FProject);
    struct TCase { std::vector<std::string> Format; std::string Out; };
    const std::vector<TCase> cases = {
        {{}, "#define IDH_OVERVIEW 1000\n#define IDH_SETTINGS_DIALOG_2 1010\n"},
        {{"--format", "c"}, "#define IDH_OVERVIEW 1000\n#define IDH_SETTINGS_DIALOG_2 1010\n"},
        {{"--format=csharp"},
         "public static class HelpContext { public const int OVERVIEW = 1000; public const int SETTINGS_DIALOG_2 = 1010; }\n"},
        {{"--format", "python"}, "OVERVIEW = 1000\nSETTINGS_DIALOG_2 = 1010\n"},
        {{"--format", "json"}, "{\"overview\":1000,\"Settings.dialog-2\":1010}\n"},
    };
    for (const TCase& c : cases) {
        std::vector<std::string> args = {"context-map", FDir / "Docs/Manual.svp"};
        args.insert(args.end(), c.Format.begin(), c.Format.end());
        const TRun run = Run(args);
        EXPECT_EQ(run.ExitCode, 0) << run.Err;
        EXPECT_EQ(run.Out, c.Out);
    }
    const TRun bad = Run({"context-map", FDir / "Docs/Manual.svp", "--format", "pascal"});
    EXPECT_EQ(bad.ExitCode, 2);
    EXPECT_EQ(bad.Err.rfind("usage: pagewell-cli context-map PROJECT", 0), 0u) << bad.Err;
    // A project root folder works as well.
    EXPECT_EQ(Run({"context-map", FDir / "Docs/Manual", "--format", "json"}).Out, "{\"overview\":1000,\"Settings.dialog-2\":1010}\n");
}

TEST_F(Cli, anUnreadableContextIdsFileIsRefusedAndNeverRenamed) {
    const std::string file = FDir / "Docs/Manual/meta/context_ids.json";
    PutFile(file, "{\"topics\":[{\"id\":\"" + kA + "\",\"alias\":\"1bad\"}]}");
    const std::string problem = "The help context ids file " + file + " cannot be read at entry 1: The help alias 1bad";
    const TRun publish = Run({"publish", "webhelp", FDir / "Docs/Manual.svp"});
    EXPECT_EQ(publish.ExitCode, 1);
    EXPECT_EQ(publish.Err.rfind(problem, 0), 0u) << publish.Err;
    const TRun map = Run({"context-map", FDir / "Docs/Manual.svp"});
    EXPECT_EQ(map.ExitCode, 2);
    EXPECT_EQ(map.Err.rfind(problem, 0), 0u) << map.Err;
    EXPECT_EQ(map.Out, "");
    const TRun links = Run({"check-links", FDir / "Docs/Manual.svp"});
    EXPECT_EQ(links.ExitCode, 1);
    EXPECT_EQ(links.Out.rfind("Help context ids: " + problem, 0), 0u) << links.Out;
    EXPECT_TRUE(FileExists(file));
    EXPECT_FALSE(FileExists(file + ".unreadable-1"));
}
