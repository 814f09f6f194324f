// Help context ids in WebHelp: the redirect pages, context.js and the start file that loads it.
#include "publish/WebHelpFixture.h"

#include "uExportWebHelp.h"
#include "uWebHelpContext.h"

#include <gtest/gtest.h>

using namespace webhelp_fixture;

TEST(WebHelpContext, PagesForAliasesAndNumbersAndTheScriptForAliases) {
    TTempDir dir;
    TDocProject project;
    WriteFixtureProject(dir / "P", project);
    project.GetTopic(kD).SetHelpAlias("Settings.Dialog");
    project.GetTopic(kD).SetHelpContextNumber(1010);
    project.GetTopic(kC).SetHelpAlias("child");             // in WebHelp, outside the contents
    project.GetTopic(kB).SetHelpAlias("hidden");            // excluded from WebHelp: no page
    project.GetTopic(kB).SetHelpContextNumber(1020);
    const std::string out = dir / "site";
    ExportWebHelp(project, out);

    const std::string page = "<!doctype html><html><head><meta charset=\"utf-8\"><title>A&lt;B</title>"
                             "<meta http-equiv=\"refresh\" content=\"0; url=../index.html#" + kD + "\">"
                             "<script>location.replace(\"..\\/index.html#" + kD + "\");</script></head>"
                             "<body><p><a href=\"../index.html#" + kD + "\">A&lt;B</a></p></body></html>";
    EXPECT_EQ(GetFile(out + "/context/settings.dialog.html"), page);
    EXPECT_EQ(GetFile(out + "/context/1010.html"), page);
    EXPECT_TRUE(FileExists(out + "/context/child.html"));
    EXPECT_FALSE(FileExists(out + "/context/hidden.html"));
    EXPECT_FALSE(FileExists(out + "/context/1020.html"));
    EXPECT_EQ(GetFile(out + "/context.js"),
              "window.__SV_CONTEXT = {\"settings.dialog\":\"" + kD + "\",\"child\":\"" + kC + "\"};");
    EXPECT_NE(GetFile(out + "/start.js").find(",\"load\":[\"context.js\"],"), std::string::npos) << GetFile(out + "/start.js");
}

TEST(WebHelpContext, NumbersOnlyOrNoIdsWriteNoScript) {
    TTempDir dir;
    TDocProject project;
    WriteFixtureProject(dir / "P", project);
    EXPECT_EQ(WebHelpContextScript(project), "");
    ExportWebHelp(project, dir / "none");
    EXPECT_FALSE(DirectoryExists(dir / "none/context"));
    EXPECT_FALSE(FileExists(dir / "none/context.js"));
    EXPECT_NE(GetFile(dir / "none/start.js").find(",\"load\":[],"), std::string::npos);

    // Only an excluded topic has ids: nothing either.
    project.GetTopic(kB).SetHelpAlias("hidden");
    EXPECT_FALSE(WriteWebHelpContextFiles(project, dir / "excluded"));
    EXPECT_FALSE(DirectoryExists(dir / "excluded/context"));
}
