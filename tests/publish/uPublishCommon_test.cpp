#include "publish/WebHelpFixture.h"

#include "uExportWebHelp.h"
#include "uPublishCommon.h"

#include <gtest/gtest.h>

using namespace webhelp_fixture;

TEST(CopyDirectoryTree, copiesNestedFoldersOverwritingAndStopsAtFolderLinkLoops) {
    TTempDir dir;
    PutFile(dir / "src/a.txt", "new a");
    PutFile(dir / "src/sub/deeper/b.bin", std::string("\0\1\2", 3));
    EnsureDir(dir / "src/empty");
    PutFile(dir / "dst/a.txt", "old a");
    PutFile(dir / "dst/keep.txt", "kept");
    std::filesystem::create_directory_symlink("..", dir / "src/sub/loop");

    CopyDirectoryTree(dir / "src", dir / "dst");
    EXPECT_EQ(GetFile(dir / "dst/a.txt"), "new a");
    EXPECT_EQ(GetFile(dir / "dst/sub/deeper/b.bin"), std::string("\0\1\2", 3));
    EXPECT_EQ(GetFile(dir / "dst/keep.txt"), "kept");
    EXPECT_TRUE(DirectoryExists(dir / "dst/empty"));
    EXPECT_FALSE(FileExists(dir / "dst/sub/loop/a.txt"));
}

TEST(CopyDirectoryTree, failedCopyRaisesWithTheFileName) {
    TTempDir dir;
    PutFile(dir / "src/a.txt", "a");
    EnsureDir(dir / "dst/a.txt");  // a folder where the file should go
    try {
        CopyDirectoryTree(dir / "src", dir / "dst");
        FAIL() << "no error";
    } catch (const EAppError& e) {
        EXPECT_NE(std::string(e.what()).find(dir / "dst/a.txt"), std::string::npos) << e.what();
    }
}

TEST(OpenProjectForPublishing, projectFileOrRootFolderGiveTheSameProjectWithTheSettingsTitle) {
    TTempDir dir;
    TDocProject written;
    WriteFixtureProject(dir / "Docs/Manual", written);
    written.SetTitle("Stored title");
    SaveProjectFile(dir / "Docs/Manual.svp", written);

    for (const std::string& path : {dir / "Docs/Manual.svp", dir / "Docs/Manual", dir / "Docs/Manual/"}) {
        TDocProject project;
        TProjectSettings settings;
        OpenProjectForPublishing(path, project, settings);
        EXPECT_EQ(project.RootPath(), (dir / "Docs/Manual") + "/") << path;
        EXPECT_EQ(project.Title(), "Docs & More") << path;  // ProjTitle wins, as in the main window
        EXPECT_EQ(settings, FixtureSettings()) << path;
        EXPECT_EQ(project.Topics().size(), 4u);
        EXPECT_EQ(project.GetTopic(kC).HtmlPath(), dir / "Docs/Manual/topics/" + kC + ".html");
    }

    // Without a settings file the defaults apply, but the project keeps its stored title, as the
    // window's settings do once it has opened such a project.
    std::filesystem::remove(TProjectSettings::DefaultSettingsPathForProject(dir / "Docs/Manual"));
    TDocProject project;
    TProjectSettings settings;
    OpenProjectForPublishing(dir / "Docs/Manual.svp", project, settings);
    EXPECT_EQ(project.Title(), "Stored title");
    TProjectSettings expected;
    expected.ProjTitle = "Stored title";
    EXPECT_EQ(settings, expected);
    EXPECT_FALSE(FileExists(TProjectSettings::DefaultSettingsPathForProject(dir / "Docs/Manual")));  // nothing written
}

TEST(PublishPipeline, resolverAndTopicIdCheck) {
    TTempDir dir;
    TDocProject project;
    WriteFixtureProject(dir / "P", project);
    const TDocLinkResolver resolver = MakeTopicPageResolver(project, [](const TTopic& t) { return !t.ExcludeWeb(); });
    EXPECT_EQ(resolver(kC), kC + ".html");
    EXPECT_EQ(resolver(kB), "");
    EXPECT_EQ(resolver(kUnknown), "");
    EXPECT_EQ(ReadTopicBody(project, kA), kBodyA);
    EXPECT_EQ(ReadTopicBody(project, kC), "");
    for (const std::string& bad : std::vector<std::string>{"", ".", "..", "../x", "a/b", "a\\b", std::string("a\0b", 3)})
        EXPECT_THROW(RequireTopicIdIsFileName(bad), EAppError) << bad;
    EXPECT_NO_THROW(RequireTopicIdIsFileName(kA));
}

// The window publishes from a copy; changing the project afterwards must not reach it.
TEST(CopyProjectForPublishing, copyPublishesTheSameSiteAndIsIndependentOfTheOriginal) {
    TTempDir dir;
    TDocProject project;
    WriteFixtureProject(dir / "Proj", project);
    project.SetStyleProfile("nothere");
    TDocProject copy;
    CopyProjectForPublishing(project, copy);
    ExportWebHelp(project, dir / "original");
    ExportWebHelp(copy, dir / "copy");
    EXPECT_EQ(Snapshot(dir / "copy"), Snapshot(dir / "original"));

    project.GetTopic(kA).SetTitle("Renamed");
    project.DeleteTopic(kD);
    EXPECT_EQ(copy.GetTopic(kA).Title(), "Start/Home \xC3\xA9");
    EXPECT_TRUE(copy.HasTopic(kD));
    EXPECT_EQ(copy.RootTopicIDs(), (std::vector<std::string>{kA, kB, kD}));
}
