// pagewell-cli publish chm as a user runs it: the built binary and the real chmcmd.
#include "publish/ChmFixture.h"

#include <gtest/gtest.h>

using namespace chm_fixture;

namespace {

struct TChmRun {
    int ExitCode = -1;
    std::string Out, Err;
};

// Runs pagewell-cli with AArgs and APathList as PATH; stdout captured, stderr through a file.
TChmRun RunCli(const std::vector<std::string>& AArgs, const TTempDir& ADir, const std::string& APathList) {
    std::vector<std::string> args = {"/bin/sh", "-c", "PATH=\"$CHMTEST_PATH\" \"$0\" \"$@\" 2>\"$CHMTEST_ERR\"",
                                     PAGEWELL_APP_DIR "/pagewell-cli"};
    args.insert(args.end(), AArgs.begin(), AArgs.end());
    TScopedEnv path("CHMTEST_PATH", APathList), err("CHMTEST_ERR", ADir / "err.txt");
    TChmRun run;
    run.ExitCode = RunProcessCapturingOutput(args, "", run.Out);
    run.Err = GetFile(ADir / "err.txt");
    return run;
}

}  // namespace

TEST(CliChm, publishChmCompilesAndPrintsThePathWithNotesOnStderr) {
    TTempDir dir;
    TDocProject project;
    WriteCyrillicOnlyProject(dir / "Ru Docs/Help", project);
    SaveProjectFile(dir / "Ru Docs/Help.svp", project);

    const TChmRun run = RunCli({"publish", "chm", dir / "Ru Docs/Help.svp"}, dir, "/usr/bin:/bin");
    ASSERT_EQ(run.ExitCode, 0) << run.Err;
    const std::string chm = dir / "Ru Docs/Help/build/chm/help.chm";
    EXPECT_EQ(run.Out, chm + "\n");
    EXPECT_NE(run.Err.find("Note: help.chm was compiled without full-text search"), std::string::npos) << run.Err;
    EXPECT_TRUE(ExtractChm(chm, dir / "unpacked"));
}

TEST(CliChm, aFailedCompileExitsOneWithTheCompilersMessage) {
    TTempDir dir;
    TDocProject project;
    WriteCyrillicOnlyProject(dir / "Ru", project);
    PutFile(dir / "bin/hhc", "#!/bin/sh\necho 'Error: cannot open toc.hhc'\nexit 2\n");
    std::filesystem::permissions(dir / "bin/hhc", std::filesystem::perms::owner_all);

    TChmRun run = RunCli({"publish", "chm", dir / "Ru"}, dir, dir / "bin");
    EXPECT_EQ(run.ExitCode, 1);
    EXPECT_EQ(run.Out, "");
    EXPECT_NE(run.Err.find("failed with exit code 2:\nError: cannot open toc.hhc"), std::string::npos) << run.Err;

    run = RunCli({"publish", "chm"}, dir, "/usr/bin:/bin");
    EXPECT_EQ(run.ExitCode, 2);
}

TEST(CliChm, languageComesFromTheLocaleOrTheOption) {
    TTempDir dir;
    TDocProject project;
    project.SetRootPath(IncludeTrailingPathDelimiter(dir / "De"));
    AddFixedTopic(project, std::string(32, '1'), "Überblick");
    SaveProjectFolder(project);
    PutFile(dir / "De/topics/" + std::string(32, '1') + ".html", "<p>Grüße aus München</p>");
    const std::string hhp = dir / "De/build/chm/project.hhp";
    struct Case { std::vector<std::string> options; const char* locale; const char* line; unsigned lcid; } cases[] = {
        {{}, "de_DE.UTF-8", "Language=0x0407 German", 0x0407},
        {{}, "C", "Language=0x0409 English (United States)", 0x0409},
        {{"--language", "0x0C07"}, "C", "Language=0x0C07 German (Austria)", 0x0C07},
        {{"--language=0x419"}, "de_DE.UTF-8", "Language=0x0419 Russian", 0x0419},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line);
        TScopedEnv locale("LC_ALL", c.locale);
        std::vector<std::string> args = {"publish", "chm"};
        args.insert(args.end(), c.options.begin(), c.options.end());
        args.push_back(dir / "De");
        const TChmRun run = RunCli(args, dir, "/usr/bin:/bin");
        ASSERT_EQ(run.ExitCode, 0) << run.Err;
        EXPECT_NE(GetFile(hhp).find("\r\n" + std::string(c.line) + "\r\n"), std::string::npos) << GetFile(hhp);
        EXPECT_EQ(ChmHeaderLanguage(dir / "De/build/chm/help.chm"), c.lcid);
    }
    for (const std::vector<std::string>& bad : {std::vector<std::string>{"--language", "German"},
                                                std::vector<std::string>{"--language"}}) {
        std::vector<std::string> args = {"publish", "chm"};
        args.insert(args.end(), bad.begin(), bad.end());
        if (bad.size() > 1)
            args.push_back(dir / "De");
        const TChmRun run = RunCli(args, dir, "/usr/bin:/bin");
        EXPECT_EQ(run.ExitCode, 2) << run.Err;
        EXPECT_NE(run.Err.find("language id"), std::string::npos) << run.Err;
    }
}

TEST(CliChm, titlesTheContentsCannotShowAreNamedAndThePublishStillSucceeds) {
    TTempDir dir;
    TDocProject project;
    project.SetRootPath(IncludeTrailingPathDelimiter(dir / "Mixed"));
    AddFixedTopic(project, std::string(32, '1'), "Введение");
    AddFixedTopic(project, std::string(32, '2'), "Überblick");
    SaveProjectFolder(project);
    const TChmRun run = RunCli({"publish", "chm", dir / "Mixed"}, dir, "/usr/bin:/bin");
    ASSERT_EQ(run.ExitCode, 0) << run.Err;
    EXPECT_NE(run.Err.find("Note: These titles cannot be shown exactly in the CHM contents: \"Überblick\"\n"),
              std::string::npos) << run.Err;
}
