#include "publish/WebHelpFixture.h"

#include "uLinkChecker.h"

#include <gtest/gtest.h>

using namespace webhelp_fixture;

namespace {

class LinkCheck : public ::testing::Test {
protected:
    void SetUp() override {
        FProject.SetRootPath(IncludeTrailingPathDelimiter(FDir / "Proj"));
        PutFile(FDir / "Proj/assets/images/ok.png", "png");
        PutFile(FDir / "Proj/files/a.pdf", "pdf");
    }
    TTopic& Topic(const std::string& AID, const std::string& ATitle, const std::string* ABody) {
        TTopic& t = AddFixedTopic(FProject, AID, ATitle);
        if (ABody)
            PutFile(t.HtmlPath(), *ABody);
        return t;
    }

    TTempDir FDir;
    TDocProject FProject;
};

}  // namespace

TEST_F(LinkCheck, cleanProjectHasNoIssues) {
    const std::string body = "<a href=\"doc:" + kA + "\">me</a><img src=\"assets/images/ok.png\"><a href=\"files/a.pdf\">";
    Topic(kA, "Alpha", &body);
    EXPECT_TRUE(CheckProjectLinks(FProject).empty());
    EXPECT_EQ(FormatLinkIssues({}), "No link issues found.");
}

TEST_F(LinkCheck, reportsEachKindInTopicAndDocumentOrder) {
    const std::string lower(32, 'c');
    const std::string body =
        "<img src=\"assets/images/gone.png\">"             // missing, but listed after the topic links
        "<a href=\"doc:" + kUnknown + "\">x</a>"            // broken
        "<a href=\"doc:" + kUnknown + "\">x again</a>"      // the same, reported twice
        "<a href=\"doc:" + lower + "\">case</a>"            // differs from kC only in case
        "<a href=\"doc:123\">short id</a>"                  // neither a topic link nor local
        "<IMG SRC = \"assets/images/ok.png\">"              // exists
        "<img src=\"assets\\images\\ok.png\">"              // backslashes accepted
        "<img src=\"./assets/../assets/images/ok.png\">"    // dots resolved
        "<a href=\"http://example.invalid/\">web</a><a href=\"HTTPS://x\">s</a><a href=\"MailTo:a@b\">m</a>"
        "<a href=\"#top\">top</a><a href='single.txt'>single quotes are not looked at</a>"
        "<a href=\"files/a.pdf#page=2\">fragment</a>"       // looked up with the fragment: missing
        "<a href=\"files/a.pdf?x=1\">query</a>"
        "<img src=\"data:image/png;base64,AAAA\">"
        "<a href=\"javascript:void(0)\">script</a>"
        "<a href=\"ftp://host/file\">other scheme</a><a href=\"tel:+1-555\">t</a><a href=\"news:x.y\">n</a>"
        "<a href=\"file:gone.txt\">file is the one scheme looked at</a>"
        "<img src=\"C:/pics/gone.png\">"                  // a drive, not a scheme
        "<a href=\"" + FDir.Path() + "/Proj/files/a.pdf\">absolute, exists</a>";
    const std::string fine = "<p>fine</p>";
    Topic(kA, "No file", nullptr);
    Topic(kB, "Links", &body);
    Topic(kC, "Fine", &fine);

    const std::vector<TLinkIssue> expected = {
        {kA, "No file", "Missing HTML file: " + FProject.GetTopic(kA).HtmlPath()},
        {kB, "Links", "Broken internal link: doc:" + kUnknown},
        {kB, "Links", "Broken internal link: doc:" + kUnknown},
        {kB, "Links", "Broken internal link: doc:" + lower},
        {kB, "Links", "Missing local reference: assets/images/gone.png"},
        {kB, "Links", "Missing local reference: files/a.pdf#page=2"},
        {kB, "Links", "Missing local reference: files/a.pdf?x=1"},
        {kB, "Links", "Missing local reference: file:gone.txt"},
        {kB, "Links", "Missing local reference: C:/pics/gone.png"},
    };
    EXPECT_EQ(CheckProjectLinks(FProject), expected);
    EXPECT_EQ(FormatLinkIssues({expected[0], expected[1]}),
              "No file: " + expected[0].Issue + "\nLinks: Broken internal link: doc:" + kUnknown + "\n");
}

// A reference that is no valid path (here one holding a NUL character) is reported like any
// missing file, and the check goes on with the rest of the topic and the project.
TEST_F(LinkCheck, referenceThatIsNoPathIsReportedAndTheCheckGoesOn) {
    const std::string body = std::string("<img src=\"a\0b.png\"><img src=\"after.png\">", 40);
    const std::string next = "<img src=\"next.png\">";
    Topic(kA, "Bad", &body);
    Topic(kB, "Next", &next);
    const std::vector<TLinkIssue> expected = {
        {kA, "Bad", std::string("Missing local reference: a\0b.png", 32)},
        {kA, "Bad", "Missing local reference: after.png"},
        {kB, "Next", "Missing local reference: next.png"},
    };
    EXPECT_EQ(CheckProjectLinks(FProject), expected);
}

TEST_F(LinkCheck, deletedImageIsReportedOnceGone) {
    const std::string body = "<img src=\"assets/images/ok.png\">";
    Topic(kA, "Pic", &body);
    EXPECT_TRUE(CheckProjectLinks(FProject).empty());
    std::filesystem::remove(FDir / "Proj/assets/images/ok.png");
    ASSERT_EQ(CheckProjectLinks(FProject).size(), 1u);
    EXPECT_EQ(CheckProjectLinks(FProject)[0].Issue, "Missing local reference: assets/images/ok.png");
}

// A fragment must name an id (or an a name) of the target topic, exactly, after percent-decoding.
TEST_F(LinkCheck, fragmentLinksNeedTheAnchorInTheTarget) {
    const std::string target = "<h2 id=\"Intro\">i</h2><a name='caf\xC3\xA9'>c</a><span name=\"span\">s</span>";
    const std::string links = "<a href=\"doc:" + kA + "#Intro\">ok</a><a href=\"doc:" + kA + "#caf%C3%A9\">ok</a>" +
                              "<a href=\"doc:" + kA + "#\">bare</a><a href=\"doc:" + kA + "#intro\">case</a>" +
                              "<a href=\"doc:" + kA + "#span\">not a link</a><a href=\"doc:" + kUnknown + "#Intro\">x</a>" +
                              "<a href=\"doc:" + kC + "#any\">no file</a>";
    Topic(kA, "Target", &target);
    Topic(kB, "Links", &links);
    Topic(kC, "No file", nullptr);
    const std::vector<TLinkIssue> expected = {
        {kB, "Links", "Missing anchor: doc:" + kA + "#intro"},
        {kB, "Links", "Missing anchor: doc:" + kA + "#span"},
        {kB, "Links", "Broken internal link: doc:" + kUnknown + "#Intro"},
        {kB, "Links", "Missing anchor: doc:" + kC + "#any"},
        {kC, "No file", "Missing HTML file: " + FProject.GetTopic(kC).HtmlPath()},
    };
    std::vector<TLinkIssue> issues = CheckProjectLinks(FProject);
    EXPECT_EQ(issues, expected);
}

TEST_F(LinkCheck, helpContextIdsOfTopicsWithoutAPage) {
    const std::string body = "<p>x</p>";
    struct Case { bool chm, web; const char* alias; unsigned number; std::vector<std::string> lines; };
    const Case cases[] = {
        {false, false, "shown", 1000, {}},
        {true, false, "settings_dialog", 0, {"Help alias settings_dialog points at a topic left out of CHM"}},
        {false, true, "web", 1010, {"Help alias web points at a topic left out of WebHelp",
                                    "Help context number 1010 points at a topic left out of WebHelp"}},
        {true, true, "both", 0, {"Help alias both points at a topic left out of CHM",
                                 "Help alias both points at a topic left out of WebHelp"}},
        {true, true, "", 0, {}},
    };
    for (const auto& c : cases) {
        FProject.Clear();
        TTopic& t = Topic(kA, "Settings", &body);
        t.SetExcludeChm(c.chm);
        t.SetExcludeWeb(c.web);
        t.SetHelpAlias(c.alias);
        t.SetHelpContextNumber(c.number);
        std::vector<std::string> lines;
        for (const TLinkIssue& issue : CheckProjectLinks(FProject)) {
            EXPECT_EQ(issue.TopicID, kA);
            lines.push_back(issue.Issue);
        }
        EXPECT_EQ(lines, c.lines) << c.alias;
    }
    // A file the load could not read is an issue of its own, listed first.
    FProject.SetContextIdsProblem("The help context ids file x cannot be read: it is not JSON.");
    const auto issues = CheckProjectLinks(FProject);
    ASSERT_FALSE(issues.empty());
    EXPECT_EQ(FormatLinkIssues({issues[0]}), "Help context ids: The help context ids file x cannot be read: it is not JSON.\n");
}
