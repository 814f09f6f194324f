// The lock a window holds on its open project, outside the project.
#include "common/TestHelpers.h"

#include "uProjectLock.h"

#include <gtest/gtest.h>

TEST(ProjectLock, oneHolderPerProjectUntilReleased) {
    TTempDir dir;
    TScopedEnv appdata("APPDATA", dir / "appdata");
    EnsureDir(dir / "proj");
    const std::string lockFile = ProjectLockPath(dir / "proj/");
    EXPECT_EQ(lockFile.rfind(dir / "appdata/pagewell/locks/", 0), 0u) << lockFile;
    EXPECT_EQ(ProjectLockPath(dir / "proj"), lockFile);
    EXPECT_EQ(ProjectLockPath(dir / "x/../proj"), lockFile);
    EXPECT_NE(ProjectLockPath(dir / "other"), lockFile);

    TProjectLock window, cli, other;
    ASSERT_TRUE(window.TryAcquire(dir / "proj"));
    EXPECT_FALSE(cli.TryAcquire(dir / "proj/"));
    EXPECT_TRUE(other.TryAcquire(dir / "other"));
    EXPECT_FALSE(FileExists(dir / "proj/.lock"));
    window.Release();
    EXPECT_TRUE(cli.TryAcquire(dir / "proj"));
}
