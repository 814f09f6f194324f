#include "publish/WebHelpFixture.h"

#include "uExportWebHelp.h"

#include <gtest/gtest.h>

using namespace webhelp_fixture;

// The fixture: kA "Start/Home é" and kD "A<B" in the contents, kB excluded from WebHelp with its
// child kC, which gets a page outside the contents.
TEST(WebHelpIndex, entriesAreWrittenOnlyWhenThereAreAndNamedInTheStartFile) {
    TTempDir dir;
    TDocProject project;
    WriteFixtureProject(dir / "P", project);
    const std::string plain = dir / "plain";
    ExportWebHelp(project, plain);
    EXPECT_FALSE(FileExists(plain + "/index-entries.js"));
    EXPECT_NE(GetFile(plain + "/start.js").find("\"later\":{}};"), std::string::npos);

    // Entries of the excluded kB only: still no index.
    project.GetTopic(kB).IndexEntries() = {"Secret"};
    ExportWebHelp(project, dir / "hidden");
    EXPECT_FALSE(FileExists(dir / "hidden/index-entries.js"));

    project.GetTopic(kA).IndexEntries() = {"Printing, margins", "printing"};
    project.GetTopic(kC).IndexEntries() = {"Printing, Margins", "Export, PDF"};
    const std::string indexed = dir / "indexed";
    ExportWebHelp(project, indexed);
    EXPECT_EQ(GetFile(indexed + "/index-entries.js"),
              "window.__SV_INDEX = {\"entries\":["
              "{\"text\":\"A<B\",\"topics\":[\"" + kD + "\"]},"
              "{\"text\":\"Child\",\"topics\":[\"" + kC + "\"]},"
              "{\"text\":\"Export\",\"topics\":[],\"subs\":[{\"text\":\"PDF\",\"topics\":[\"" + kC + "\"]}]},"
              "{\"text\":\"Printing\",\"topics\":[\"" + kA + "\"],\"subs\":[{\"text\":\"margins\",\"topics\":[\"" + kA +
                  "\",\"" + kC + "\"]}]},"
              "{\"text\":\"Start\\/Home \\u00E9\",\"topics\":[\"" + kA + "\"]}]};");
    const std::string startJs = GetFile(indexed + "/start.js");
    EXPECT_NE(startJs.find(",\"load\":[],\"later\":{\"index\":\"index-entries.js\"}};"), std::string::npos) << startJs;
    // The contents and the search files are those of the export without entries.
    for (const char* f : {"toc.json", "toc.js", "search.json", "search.js", "search/index.js"})
        EXPECT_EQ(GetFile(indexed + "/" + f), GetFile(plain + "/" + f)) << f;
}
