#include "common/TUnreadablePath.h"
#include "common/TestHelpers.h"
#include "uStorage.h"

#include <gtest/gtest.h>
#include <filesystem>
#include <functional>
#include <sys/stat.h>
#include <memory>

namespace fs = std::filesystem;

namespace {

std::string MessageOf(const std::function<void()>& f) {
    try {
        f();
    } catch (const std::exception& e) {
        return e.what();
    }
    return "";
}

struct StorageFixture : ::testing::Test {
    TTempDir dir;
    TDocProject p;
    std::string root;
    void SetUp() override {
        root = IncludeTrailingPathDelimiter(dir / "Proj");
        p.SetRootPath(root);
        p.Clear();
    }
    void PutTree(const std::string& json) { PutFile(root + "meta/topics.json", json); }
};

}  // namespace

TEST_F(StorageFixture, EmptyProjectWritesTheTwoMinimalFiles) {
    SaveProjectFolder(p);
    EXPECT_EQ(GetFile(root + "project.json"), R"({"title":"Untitled Documentation","styleProfile":"default"})");
    EXPECT_EQ(GetFile(root + "meta/topics.json"), R"({"rootTopicIds":[],"topics":[]})");
}

TEST_F(StorageFixture, TopicsRoundTripExactly) {
    p.SetTitle("\xC3\x84/\xC3\xA9");
    p.SetStyleProfile("corp");
    TTopic& a = p.AddTopic("A \"quoted\"", "");
    TTopic& b = p.AddTopic("B", a.ID());
    b.Keywords() = {"k1", "k\xE2\x82\xAC"};
    b.IndexEntries() = {"i1"};
    b.SetExcludeChm(true);
    b.SetHtmlPath("/somewhere/else.html");  // never written: htmlPath comes from the id
    SaveProjectFolder(p);

    EXPECT_EQ(GetFile(root + "project.json"), R"({"title":"\u00C4\/\u00E9","styleProfile":"corp"})");
    const std::string want = R"({"rootTopicIds":[")" + a.ID() + R"("],"topics":[{"id":")" + a.ID() +
        R"(","title":"A \"quoted\"","htmlPath":"topics\\)" + a.ID() + R"(.html","parentId":"","excludeWeb":false,"excludeChm":false,"excludePdf":false,"children":[")" +
        b.ID() + R"("],"keywords":[],"index":[]},{"id":")" + b.ID() + R"(","title":"B","htmlPath":"topics\\)" + b.ID() +
        R"(.html","parentId":")" + a.ID() + R"(","excludeWeb":false,"excludeChm":true,"excludePdf":false,"children":[],"keywords":["k1","k\u20AC"],"index":["i1"]}]})";
    EXPECT_EQ(GetFile(root + "meta/topics.json"), want);

    TDocProject q;
    LoadProjectFolder(root, q);
    EXPECT_EQ(q.Title(), "\xC3\x84/\xC3\xA9");
    EXPECT_EQ(q.StyleProfile(), "corp");
    EXPECT_EQ(q.RootPath(), root);
    ASSERT_TRUE(q.HasTopic(b.ID()));
    const TTopic& qb = q.GetTopic(b.ID());
    EXPECT_EQ(qb.HtmlPath(), root + "topics/" + b.ID() + ".html");
    EXPECT_EQ(qb.Keywords(), b.Keywords());
    EXPECT_TRUE(qb.ExcludeChm());
    EXPECT_EQ(q.GetTopic(a.ID()).Children(), std::vector<std::string>{b.ID()});
}

TEST_F(StorageFixture, LoaderToleratesWhatItMayAndFailsOnWrongTypes) {
    struct Case { const char* tree; const char* error; size_t topics; bool pdf; };
    const Case cases[] = {
        {R"({"topics":[{"title":"no id"},{"id":"A","excludePdf":"TRUE"}]})", nullptr, 1, true},
        {R"({"topics":[{"id":"A","excludePdf":1}]})", nullptr, 1, false},
        {R"({"topics":[{"id":"A","excludePdf":true,"extra":{}}]})", nullptr, 1, true},
        {R"({"topics":[{"id":"A"}]})", nullptr, 1, false},
        {R"(not json at all)", nullptr, 0, false},
        {R"({"rootTopicIds":"x"})", "Invalid type cast", 0, false},
        {R"({"topics":{}})", "Invalid type cast", 0, false},
        {R"({"topics":[1]})", "Invalid type cast", 0, false},
        {R"({"topics":[{"id":"A","children":"B"}]})", "Invalid type cast", 0, false},
        {R"([1,2])", "Invalid type cast", 0, false},
        {R"({"topics":[{"id":"A"},{"id":"A"}]})", "Duplicate topic id A", 1, false},
        {R"({"rootTopicIds":["A"],"topics":[{"id":"A","tit)", nullptr, 0, false},  // truncated
        {"\x00\xFF\xFE{\x01\x80\"", nullptr, 0, false},                                     // binary
        {"\xEF\xBB\xBF{\"topics\":[{\"id\":\"A\",\"title\":\"\xFF\"}]}", nullptr, 1, false},  // stray byte in a string
        {R"({"topics":[{"id":{"nested":true}}]})", nullptr, 1, false},
    };
    for (const auto& c : cases) {
        PutTree(c.tree);
        TDocProject q;
        std::string err = MessageOf([&] { LoadProjectFolder(root, q); });
        if (c.error)
            EXPECT_NE(err.find(c.error), std::string::npos) << c.tree << " gave " << err;
        else
            EXPECT_EQ(err, "") << c.tree;
        EXPECT_EQ(q.Topics().size(), c.topics) << c.tree;
        if (q.HasTopic("A")) {
            EXPECT_EQ(q.GetTopic("A").ExcludePdf(), c.pdf) << c.tree;
            EXPECT_TRUE(q.GetTopic("A").Children().empty() || !c.error);
        }
    }
}

TEST_F(StorageFixture, ProjectFileReaderNeverCrashesOnMalformedFiles) {
    const std::string file = dir / "M.svp";
    const std::string inputs[] = {
        "", "\xEF\xBB\xBF", R"({"title":"T","root)", std::string("\x00\x01\xFF\xFE", 4), "[]", "42",
        R"({"title":1,"root":[]})", std::string(100000, '{'),
    };
    for (const auto& in : inputs) {
        PutFile(file, in);
        std::string r, t;
        std::string err = MessageOf([&] { ReadProjectFile(file, r, t); });
        EXPECT_TRUE(err.rfind("Invalid project file: ", 0) == 0 || err.find("Invalid type cast") != std::string::npos ||
                    err.empty())
            << err;
    }
}

TEST_F(StorageFixture, ProjectJsonDefaultsAndIgnoresBrokenText) {
    PutFile(root + "project.json", R"({"styleProfile":""})");
    TDocProject q;
    LoadProjectFolder(root, q);
    EXPECT_EQ(q.Title(), "Untitled Documentation");
    EXPECT_EQ(q.StyleProfile(), "default");
    PutFile(root + "project.json", "{broken");
    EXPECT_NO_THROW(LoadProjectFolder(root, q));
    PutFile(root + "project.json", "\"just a string\"");
    EXPECT_NE(MessageOf([&] { LoadProjectFolder(root, q); }).find("Invalid type cast"), std::string::npos);
}

TEST_F(StorageFixture, AnUnreadableTreeFileIsKeptAsideBeforeTheNextSave) {
    PutTree("{\"rootTopicIds\":[\"A\"], hand edit gone wrong");
    TDocProject q;
    LoadProjectFolder(root, q);
    EXPECT_EQ(q.Topics().size(), 0u);
    SaveProjectFolder(q);
    SaveProjectFolder(q);  // a second save must not touch the kept copy
    EXPECT_EQ(GetFile(root + "meta/topics.json.unreadable-1"), "{\"rootTopicIds\":[\"A\"], hand edit gone wrong");
    EXPECT_FALSE(FileExists(root + "meta/topics.json.unreadable-2"));
    PutTree("broken again");
    SaveProjectFolder(q);
    EXPECT_EQ(GetFile(root + "meta/topics.json.unreadable-2"), "broken again");
    EXPECT_EQ(GetFile(root + "meta/topics.json"), R"({"rootTopicIds":[],"topics":[]})");
}

TEST_F(StorageFixture, SaveProjectFileWritesBesideTheFileAndRestoresRootPath) {
    p.SetTitle("Guide");
    const std::string file = dir / "A/Guide.svp";
    SaveProjectFile(file, p);
    EXPECT_EQ(GetFile(file), "\xEF\xBB\xBF{\"version\":\"1.0\",\"title\":\"Guide\",\"root\":\"" +
                                 ReplaceText(dir / "A/Guide", "/", "\\/") + "\"}");
    EXPECT_TRUE(FileExists(dir / "A/Guide/project.json"));
    EXPECT_TRUE(FileExists(dir / "A/Guide/meta/topics.json"));
    EXPECT_EQ(p.RootPath(), root);

    std::string r, t;
    ReadProjectFile(file, r, t);
    EXPECT_EQ(r, dir / "A/Guide");
    EXPECT_EQ(t, "Guide");

    SaveProjectFile(dir / "B/.svp", p);
    EXPECT_TRUE(FileExists(dir / "B/Project/project.json"));

    // A folder save that fails part-way still gives RootPath back.
    PutFile(dir / "C/Broken/meta", "a file where the meta folder belongs");
    EXPECT_THROW(SaveProjectFile(dir / "C/Broken.svp", p), std::exception);
    EXPECT_EQ(p.RootPath(), root);
}

TEST_F(StorageFixture, ReadProjectFileFindsTheFolderBesideAMovedFile) {
    const std::string file = dir / "Moved.svp";
    PutFile(dir / "Moved/project.json", "{}");
    struct Case { std::string json; std::string want; };
    const Case cases[] = {
        {R"({"title":"T","root":"\/old\/place"})", dir / "Moved"},
        {R"({"title":"T","root":""})", dir / "Moved"},
        {"\xEF\xBB\xBF{\"title\":\"T\",\"root\":\"" + ReplaceText(root, "/", "\\/") + "\"}", root},
    };
    PutFile(root + "project.json", "{}");
    for (const auto& c : cases) {
        PutFile(file, c.json);
        std::string r, t;
        ReadProjectFile(file, r, t);
        EXPECT_EQ(r, c.want) << c.json;
    }
}

TEST_F(StorageFixture, ReadProjectFileErrors) {
    const std::string file = dir / "X.svp";
    EXPECT_EQ(MessageOf([&] { std::string r, t; ReadProjectFile(file, r, t); }), "Project file not found: " + file);
    PutFile(file, "nope");
    EXPECT_EQ(MessageOf([&] { std::string r, t; ReadProjectFile(file, r, t); }), "Invalid project file: " + file);
    PutFile(file, R"({"title":"T"})");
    EXPECT_NE(MessageOf([&] { std::string r, t; ReadProjectFile(file, r, t); }).find("\"root\""), std::string::npos);
    PutFile(file, R"({"root":"r"})");
    EXPECT_NE(MessageOf([&] { std::string r, t; ReadProjectFile(file, r, t); }).find("\"title\""), std::string::npos);
}

TEST_F(StorageFixture, CopyProjectFolderSkipsBuildAndProjectFiles) {
    const std::string src = dir / "src";
    PutFile(src + "/build/webhelp/index.html", "x");
    PutFile(src + "/BUILD/other.txt", "x");
    PutFile(src + "/topics/X.html", "body");
    PutFile(src + "/Old.svp", "x");
    PutFile(src + "/notes/build/a.txt", "a");
    PutFile(src + "/notes/b.SVP", "x");
    const std::string dst = dir / "dst";
    PutFile(dst + "/topics/X.html", "stale");
    PutFile(dst + "/extra.txt", "stays");
    CopyProjectFolder(src, dst);
    EXPECT_EQ(GetFile(dst + "/topics/X.html"), "body");
    EXPECT_EQ(GetFile(dst + "/notes/build/a.txt"), "a");
    EXPECT_EQ(GetFile(dst + "/extra.txt"), "stays");
    EXPECT_FALSE(DirectoryExists(dst + "/build"));
    EXPECT_FALSE(DirectoryExists(dst + "/BUILD"));
    EXPECT_FALSE(FileExists(dst + "/Old.svp"));
    EXPECT_FALSE(FileExists(dst + "/notes/b.SVP"));
}

TEST_F(StorageFixture, CopyProjectFolderCopiesWhatLinksPointToInsideTheTarget) {
    const std::string src = dir / "src";
    PutFile(dir / "elsewhere/logo.png", "png");
    PutFile(dir / "elsewhere/shared/site.css", "css");
    PutFile(src + "/topics/X.html", "body");
    fs::create_directories(src + "/assets/images");
    fs::create_symlink(dir / "elsewhere/logo.png", src + "/assets/images/logo.png");
    fs::create_symlink("../../elsewhere/shared", src + "/assets/shared");  // a relative folder link
    const std::string dst = dir / "out/dst";
    CopyProjectFolder(src, dst);
    EXPECT_EQ(GetFile(dst + "/topics/X.html"), "body");
    EXPECT_EQ(GetFile(dst + "/assets/images/logo.png"), "png");
    EXPECT_EQ(GetFile(dst + "/assets/shared/site.css"), "css");
    // Real files and folders in the copy, nothing written beside it.
    EXPECT_FALSE(fs::is_symlink(dst + "/assets/images/logo.png"));
    EXPECT_FALSE(fs::is_symlink(dst + "/assets/shared"));
    EXPECT_EQ(std::distance(fs::directory_iterator(dir / "out"), fs::directory_iterator()), 1);
    EXPECT_EQ(std::distance(fs::directory_iterator(dir / "elsewhere"), fs::directory_iterator()), 2);
}

TEST_F(StorageFixture, CopyProjectFolderFailsNamingWhatItCannotCopy) {
    struct TCase {
        const char* Name;
        const char* Culprit;  // relative to the source folder; the error names it
        std::function<void(const std::string& ASrc)> Make;
    };
    const std::vector<TCase> cases = {
        {"broken file link", "assets/images/gone.png",
         [](const std::string& s) { fs::create_symlink(s + "/assets/images/missing.png", s + "/assets/images/gone.png"); }},
        {"folder link back to its own folder", "assets/loop",
         [](const std::string& s) { fs::create_symlink("..", s + "/assets/loop"); }},
        {"folder link to a folder holding the project", "assets/up",
         [](const std::string& s) { fs::create_symlink("../../..", s + "/assets/up"); }},
        {"named pipe", "assets/pipe", [](const std::string& s) { ::mkfifo((s + "/assets/pipe").c_str(), 0644); }},
        {"unreadable subfolder", "topics", nullptr},
        {"unreadable file", "topics/X.html", nullptr},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        TTempDir tmp;
        const std::string src = tmp / "case/src";
        PutFile(src + "/topics/X.html", "body");
        fs::create_directories(src + "/assets/images");
        if (c.Make)
            c.Make(src);
        const std::string culprit = src + "/" + c.Culprit;
        std::string message;
        {
            std::unique_ptr<TUnreadablePath> unreadable;
            if (!c.Make)
                unreadable = std::make_unique<TUnreadablePath>(culprit);
            message = MessageOf([&] { CopyProjectFolder(src, tmp / "dst"); });
        }
        EXPECT_NE(message.find("\"" + culprit + "\""), std::string::npos) << message;
    }
}

TEST(LastProjectFilePath, HonoursAppDataAndTheExecutableName) {
    TTempDir dir;
    TScopedEnv env("APPDATA", dir.Path());
    SetApplicationExeName("pagewell");
    EXPECT_EQ(LastProjectFilePath(), dir / "pagewell/last_project.txt");
    SetApplicationExeName("");
}
