#include "uTopicHeaders.h"

#include "common/TestHelpers.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

namespace {

const char kProjectHeader14[] = "<div style=\"font-size:14px;\"><b>Guide &amp; More</b></div>";

// A project with one topic "Intro" in a temporary root; files are added per case.
class TopicHeaders : public ::testing::Test {
protected:
    TopicHeaders() {
        FProject.SetRootPath(FTmp.Path());
        FProject.SetTitle("Guide & More");
        FID = FProject.AddTopic("Intro <1>", "").ID();
    }
    void Put(const std::string& AName, const std::string& AText) { PutFile(FTmp / ("meta/" + AName), AText); }
    std::string TopicHtml() const { return "header_" + FID + ".html"; }
    std::string TopicBg() const { return "headerbg_" + FID + ".txt"; }

    TTempDir FTmp;
    TDocProject FProject;
    TProjectSettings FSettings;
    std::string FID;
};

}  // namespace

TEST_F(TopicHeaders, PathsAreInTheMetaFolder) {
    const std::string meta = FTmp / "meta/";
    EXPECT_EQ(HeaderHtmlPath(FTmp.Path(), FID), meta + "header_" + FID + ".html");
    EXPECT_EQ(HeaderBgPath(FTmp.Path(), FID), meta + "headerbg_" + FID + ".txt");
    EXPECT_EQ(HeaderHtmlPath(FTmp.Path(), " a/b "), meta + "header_a_b.html");  // SafeFileName
    EXPECT_EQ(DefaultHeaderHtmlPath(FTmp.Path()), meta + "header_default.html");
    EXPECT_EQ(DefaultHeaderBgPath(FTmp.Path()), meta + "headerbg_default.txt");
}

TEST_F(TopicHeaders, DefaultHeaderHtmlUsesFontSizeColourAndEncodedTitle) {
    EXPECT_EQ(DefaultHeaderHtml(FSettings, "Welcome"),
              "<div style=\"font-size:16px;font-family:Segoe UI, Arial, sans-serif;color:#000000;\"><b>Welcome</b></div>");
    TProjectSettings s;
    s.DefaultFontName = "  Say \"Hi\" ";
    s.FontSizeBody = 20;
    s.DefaultTextColor = 0xFF0000;
    EXPECT_EQ(DefaultHeaderHtml(s, "A<B & \"C\" 'd'>"),
              "<div style=\"font-size:20px;font-family:Say &quot;Hi&quot;, Arial, sans-serif;color:#0000FF;\">"
              "<b>A&lt;B &amp; &quot;C&quot; 'd'&gt;</b></div>");
    s.DefaultFontName = "";
    s.DefaultTextColor = clSysHighlight;
    EXPECT_EQ(DefaultHeaderHtml(s, "A<B"),
              "<div style=\"font-size:20px;font-family:Segoe UI, Arial, sans-serif;color:#0078D7;\"><b>A&lt;B</b></div>");
}

// The main window's view: a topic uses only its own files, then its generated header.
TEST_F(TopicHeaders, WindowLoadUsesTopicFilesThenGeneratedHeader) {
    const std::string generated = DefaultHeaderHtml(FSettings, "Intro <1>");
    Put("header_default.html", "<p>project default</p>");
    Put("headerbg_default.txt", "#123456");

    // Missing files: generated from the topic title, built-in background; the default is not used.
    EXPECT_EQ(LoadTopicHeader(FProject, FSettings, FID), (TTopicHeader{generated, "#fafafa"}));

    // An empty header file gives an empty header; a blank background file the built-in one.
    Put(TopicHtml(), "");
    Put(TopicBg(), " \r\n\t ");
    EXPECT_EQ(LoadTopicHeader(FProject, FSettings, FID), (TTopicHeader{"", "#fafafa"}));

    // Existing files: HTML untouched, background trimmed.
    Put(TopicHtml(), "  <b>Own</b>\n");
    Put(TopicBg(), "  #ABCDEF\n");
    EXPECT_EQ(LoadTopicHeader(FProject, FSettings, FID), (TTopicHeader{"  <b>Own</b>\n", "#ABCDEF"}));

    // No topic current: the default files, else the project title.
    EXPECT_EQ(LoadTopicHeader(FProject, FSettings, ""), (TTopicHeader{"<p>project default</p>", "#123456"}));
    const std::string forProject = DefaultHeaderHtml(FSettings, "Guide & More");
    EXPECT_EQ(LoadTopicHeader(FProject, FSettings, "0123456789ABCDEF0123456789ABCDEF"),
              (TTopicHeader{forProject, "#fafafa"}));  // an id without a topic
    std::filesystem::remove(FTmp / "meta/header_default.html");
    std::filesystem::remove(FTmp / "meta/headerbg_default.txt");
    EXPECT_EQ(LoadTopicHeader(FProject, FSettings, ""), (TTopicHeader{forProject, "#fafafa"}));
}

TEST_F(TopicHeaders, SaveWritesBothFilesAndLoadReadsThemBack) {
    const TTopicHeader h{"<b>T\xC3\xBCr</b>", "#E7EFF5"};
    SaveTopicHeader(FTmp.Path(), FID, h);  // creates meta
    EXPECT_EQ(GetFile(FTmp / ("meta/" + TopicHtml())), h.Html);
    EXPECT_EQ(GetFile(FTmp / ("meta/" + TopicBg())), h.Bg);
    EXPECT_EQ(LoadTopicHeader(FProject, FSettings, FID), h);

    SaveTopicHeader(FTmp.Path(), "", TTopicHeader{"", "#000000"});
    EXPECT_EQ(GetFile(FTmp / "meta/header_default.html"), "");
    EXPECT_EQ(GetFile(FTmp / "meta/headerbg_default.txt"), "#000000");

    // Saving what the files hold leaves them alone (each write replaces the file, so its inode
    // would change); a changed part is written, and only that one.
    const auto inode = [&](const std::string& AName) {
        struct stat st {};
        EXPECT_EQ(::stat((FTmp / ("meta/" + AName)).c_str(), &st), 0) << AName;
        return st.st_ino;
    };
    const auto htmlBefore = inode(TopicHtml()), bgBefore = inode(TopicBg());
    SaveTopicHeader(FTmp.Path(), FID, h);
    EXPECT_EQ(inode(TopicHtml()), htmlBefore);
    EXPECT_EQ(inode(TopicBg()), bgBefore);
    SaveTopicHeader(FTmp.Path(), FID, TTopicHeader{h.Html, "#FFFFFF"});
    EXPECT_EQ(inode(TopicHtml()), htmlBefore);
    EXPECT_NE(inode(TopicBg()), bgBefore);
    EXPECT_EQ(LoadTopicHeader(FProject, FSettings, FID), (TTopicHeader{h.Html, "#FFFFFF"}));
}

// The publishers: the topic's own file, then the project default file, then the 14px title.
TEST_F(TopicHeaders, PublisherLookupFallsBackInOrder) {
    // Nothing on disk: the generated project-title header. CHM encodes the title, WebHelp not.
    EXPECT_EQ(ChmTopicHeader(FProject, FID), (TTopicHeader{kProjectHeader14, "#fafafa"}));
    EXPECT_EQ(WebHelpTopicHeader(FProject, FID),
              (TTopicHeader{"<div style=\"font-size:14px;\"><b>Guide & More</b></div>", "#fafafa"}));

    // Project default files apply to a topic without files of its own, and to no topic.
    Put("header_default.html", "<p>project default</p>");
    Put("headerbg_default.txt", "  #123456 ");
    EXPECT_EQ(ChmTopicHeader(FProject, FID), (TTopicHeader{"<p>project default</p>", "#123456"}));
    EXPECT_EQ(WebHelpTopicHeader(FProject, ""), (TTopicHeader{"<p>project default</p>", "#123456"}));

    // An empty topic file replaces the default and then falls back to the generated header; a
    // blank topic background replaces the default colour and becomes the built-in one.
    Put(TopicHtml(), " \n");
    Put(TopicBg(), "   ");
    EXPECT_EQ(ChmTopicHeader(FProject, FID), (TTopicHeader{kProjectHeader14, "#fafafa"}));
    EXPECT_EQ(WebHelpTopicHeader(FProject, FID).Bg, "#fafafa");

    // The topic's own files win.
    Put(TopicHtml(), "<i>own</i>");
    Put(TopicBg(), "#FEDCBA\n");
    EXPECT_EQ(WebHelpTopicHeader(FProject, FID), (TTopicHeader{"<i>own</i>", "#FEDCBA"}));

    // A blank default header with no topic files: generated as well.
    Put("header_default.html", "\t");
    EXPECT_EQ(ChmTopicHeader(FProject, "").Html, kProjectHeader14);
}

TEST_F(TopicHeaders, PdfHeaderSourceIsTopicFileThenDefaultFile) {
    EXPECT_FALSE(PdfHeaderSourceHtml(FProject, FID).has_value());
    Put("header_default.html", "<b>Default</b>");
    EXPECT_EQ(PdfHeaderSourceHtml(FProject, FID), std::optional<std::string>("<b>Default</b>"));
    Put(TopicHtml(), "");
    EXPECT_EQ(PdfHeaderSourceHtml(FProject, FID), std::optional<std::string>(""));
}

TEST_F(TopicHeaders, ResetHeaderBackgroundsRewritesEveryBackgroundFile) {
    ResetHeaderBackgrounds(FTmp.Path(), "#E7EFF5");  // no meta folder: nothing is created
    EXPECT_FALSE(DirectoryExists(FTmp / "meta"));

    Put(TopicBg(), "#111111");
    Put("headerbg_OTHER.txt", "");
    Put(TopicHtml(), "<b>keep</b>");
    Put("sub/headerbg_deep.txt", "#222222");
    Put("headerbg_x.txt.bak", "#333333");
    ResetHeaderBackgrounds(FTmp.Path(), "#E7EFF5");
    EXPECT_EQ(GetFile(FTmp / "meta/headerbg_default.txt"), "#E7EFF5");
    EXPECT_EQ(GetFile(FTmp / ("meta/" + TopicBg())), "#E7EFF5");
    EXPECT_EQ(GetFile(FTmp / "meta/headerbg_OTHER.txt"), "#E7EFF5");
    EXPECT_EQ(GetFile(FTmp / ("meta/" + TopicHtml())), "<b>keep</b>");
    EXPECT_EQ(GetFile(FTmp / "meta/sub/headerbg_deep.txt"), "#222222");
    EXPECT_EQ(GetFile(FTmp / "meta/headerbg_x.txt.bak"), "#333333");
}
