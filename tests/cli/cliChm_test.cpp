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
