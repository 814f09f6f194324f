// pagewell-cli as a user runs it: the built binary on a stored project.
#include "publish/WebHelpFixture.h"

#include "uExportWebHelp.h"

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

TRun RunCli(const std::vector<std::string>& AArgs, const std::string& AErrFile) {
    std::string cmd = ShellQuote(PAGEWELL_APP_DIR "/pagewell-cli");
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
        {{"publish", "webhelp"}, 2, "usage: pagewell-cli publish webhelp PROJECT"},
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
    EXPECT_NE(run.Out.find("publish webhelp PROJECT"), std::string::npos);
    EXPECT_NE(run.Out.find("check-links PROJECT"), std::string::npos);
}
