// Help context ids in the CHM: the project file sections, context.h, and the compiled context
// table read raw from the compiled file.
#include "publish/ChmFixture.h"
#include "uChmCompiler.h"
#include "uChmContext.h"
#include "uExportChm.h"

#include <gtest/gtest.h>
#include <map>

using namespace chm_fixture;

namespace {

const std::string kOne(32, '1'), kTwo(32, '2'), kThree(32, '3'), kOut(32, '4');

// Four topics: two with numbers, one with an alias only, one excluded from CHM.
void WriteContextProject(const std::string& ARoot, TDocProject& AProject) {
    AProject.Clear();
    AProject.SetRootPath(IncludeTrailingPathDelimiter(ARoot));
    auto add = [&](const std::string& AID, const char* ATitle, const char* AAlias, unsigned ANumber) -> TTopic& {
        TTopic& t = AddFixedTopic(AProject, AID, ATitle);
        t.SetHelpAlias(AAlias);
        t.SetHelpContextNumber(ANumber);
        PutFile(t.HtmlPath(), std::string("<p>Page ") + ATitle + "</p>");
        return t;
    };
    add(kOne, "One", "zz_last_alias", 2000);
    add(kTwo, "Two", "Settings.dialog", 1000);
    add(kThree, "Three", "alias_only", 0);
    add(kOut, "Out", "left_out", 3000).SetExcludeChm(true);
    SaveProjectFolder(AProject);
}

// The compiled context table: #IVB holds its size, then pairs of number and offset into
// #STRINGS, which holds zero-ended strings.
std::map<unsigned, std::string> ContextTable(const std::string& AUnpacked) {
    const std::string ivb = GetFile(CombinePath(AUnpacked, "#IVB"));
    const std::string strings = GetFile(CombinePath(AUnpacked, "#STRINGS"));
    std::map<unsigned, std::string> table;
    EXPECT_EQ(LittleEndian32(ivb, 0), ivb.size() - 4);
    for (size_t pos = 4; pos + 8 <= ivb.size(); pos += 8) {
        const size_t offset = LittleEndian32(ivb, pos + 4);
        table[LittleEndian32(ivb, pos)] = offset < strings.size() ? strings.substr(offset, strings.find('\0', offset) - offset) : "<past the end>";
    }
    return table;
}

// Uses the bundled compiler, or none, for one test.
struct TBundledChmcmd {
    explicit TBundledChmcmd(std::optional<std::string> APath) { SetBundledChmcmd(std::move(APath)); }
    ~TBundledChmcmd() { SetBundledChmcmd(std::nullopt); }
};

}  // namespace

TEST(ChmContext, SectionsAndHeaderTakeTheTopicsWithAChmPageInFileOrder) {
    TTempDir dir;
    TDocProject project;
    WriteContextProject(dir / "P", project);
    const std::string alias = "\r\n[ALIAS]\r\nSettings.dialog=topics/" + kTwo + ".html\r\nzz_last_alias=topics/" + kOne +
                              ".html\r\nalias_only=topics/" + kThree + ".html\r\n";
    EXPECT_EQ(ChmContextSections(project, true), alias + "\r\n[MAP]\r\n#include context.h\r\n");
    EXPECT_EQ(ChmContextSections(project, false), alias);
    EXPECT_EQ(ChmContextHeader(project), "#define Settings.dialog 1000\r\n#define zz_last_alias 2000\r\n");

    // Aliases without numbers: no [MAP]; no ids at all: nothing, so the project file stays as it was.
    for (const std::string& id : {kOne, kTwo})
        project.GetTopic(id).SetHelpContextNumber(0);
    EXPECT_EQ(ChmContextSections(project, true).find("[MAP]"), std::string::npos);
    EXPECT_EQ(ChmContextHeader(project), "");
    for (TTopic& t : project.Topics())
        t.SetHelpAlias("");
    EXPECT_EQ(ChmContextSections(project, true), "");
}

TEST(ChmContext, TheBundledCompilerWritesEachNumberWithThePagePath) {
    const std::string bundled = BundledChmcmd();
    if (bundled.empty())
        GTEST_SKIP() << "tools/chmcmd was not built (needs fpc and fpc-source; scripts/install-deps)";
    TTempDir dir;
    TDocProject project;
    WriteContextProject(dir / "P", project);
    TScopedEnv path("PATH", "/usr/bin:/bin");
    const TChmExportResult result = ExportChm(project);
    EXPECT_EQ(result.Compiler, bundled);
    EXPECT_TRUE(result.Notes.empty()) << result.Notes[0];
    const std::string out = dir / "P/build/chm";
    EXPECT_EQ(GetFile(out + "/context.h"), "#define Settings.dialog 1000\r\n#define zz_last_alias 2000\r\n");
    const std::string hhp = GetFile(out + "/project.hhp");
    EXPECT_NE(hhp.find("\r\nstyle.css\r\n\r\n[ALIAS]\r\n"), std::string::npos) << hhp;
    EXPECT_TRUE(EndsWith(hhp, "\r\n\r\n[MAP]\r\n#include context.h\r\n")) << hhp;

    ASSERT_TRUE(ExtractChm(result.ChmFile, dir / "unpacked"));
    const std::map<unsigned, std::string> want = {{1000, "topics/" + kTwo + ".html"}, {2000, "topics/" + kOne + ".html"}};
    EXPECT_EQ(ContextTable(dir / "unpacked"), want);
}

TEST(ChmContext, TheSystemChmcmdGetsNoMapAndTheAuthorIsTold) {
    const std::string system = FindExecutableOnPath("chmcmd", "/usr/bin:/bin");
    if (system.empty())
        GTEST_SKIP() << "no system chmcmd (fp-utils)";
    TBundledChmcmd none("");
    TTempDir dir;
    TDocProject project;
    WriteContextProject(dir / "P", project);
    TScopedEnv path("PATH", "/usr/bin:/bin");
    const TChmExportResult result = ExportChm(project);
    EXPECT_EQ(result.Compiler, system);
    EXPECT_EQ(result.Notes, std::vector<std::string>{kChmNoContextNumbersNote});
    const std::string out = dir / "P/build/chm";
    const std::string hhp = GetFile(out + "/project.hhp");
    EXPECT_NE(hhp.find("[ALIAS]\r\n"), std::string::npos);
    EXPECT_EQ(hhp.find("[MAP]"), std::string::npos) << hhp;
    EXPECT_FALSE(FileExists(out + "/context.h"));
    ASSERT_TRUE(ExtractChm(result.ChmFile, dir / "unpacked"));
    // No context table, so no build path in the file.
    EXPECT_EQ(GetFile(result.ChmFile).find(dir.Path()), std::string::npos);
}

TEST(ChmContext, AProjectWithoutIdsWritesNoSections) {
    TTempDir dir;
    TDocProject project;
    WriteContextProject(dir / "P", project);
    for (TTopic& t : project.Topics()) {
        t.SetHelpAlias("");
        t.SetHelpContextNumber(0);
    }
    TScopedEnv path("PATH", "/usr/bin:/bin");
    const TChmExportResult result = ExportChm(project);
    EXPECT_TRUE(result.Notes.empty());
    const std::string hhp = GetFile(dir / "P/build/chm/project.hhp");
    EXPECT_TRUE(EndsWith(hhp, "\r\nstyle.css\r\n")) << hhp;
    EXPECT_FALSE(FileExists(dir / "P/build/chm/context.h"));
}
