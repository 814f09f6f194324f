#include "common/TestHelpers.h"
#include "uRecoveryJournal.h"
#include "uStorage.h"

#include <gtest/gtest.h>
#include <algorithm>
#include <iterator>
#include <csignal>
#include <filesystem>
#include <functional>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

struct JournalFixture : ::testing::Test {
    TTempDir dir;
    std::string base, root;
    TDocProject p;
    std::string a, b;
    void SetUp() override {
        base = dir / "recovery";
        root = IncludeTrailingPathDelimiter(dir / "Proj");
        p.SetRootPath(root);
        p.Clear();
        p.SetTitle("Manual");
        a = p.AddTopic("Alpha", "").ID();
        b = p.AddTopic("Beta", a).ID();
    }
    std::string Folder() const { return TRecoveryJournal::FolderFor(base, root); }
    std::vector<std::string> FilesInFolder() const {
        std::vector<std::string> names;
        for (const auto& e : fs::directory_iterator(Folder()))
            names.push_back(e.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }
};

}  // namespace

TEST_F(JournalFixture, WhatWasWrittenReadsBackWithOnlyChangedTopicsRewritten) {
    TRecoveryJournal j(base);
    ASSERT_TRUE(j.Attach(root));
    EXPECT_FALSE(TRecoveryJournal::HasLeftBehind(base, root));  // kept by this session
    p.GetTopic(b).SetTitle("Beta renamed");
    j.Write(p, {{a, "<p>one \xC3\xA9</p>"}, {b, "<p>two</p>"}, {"NOSUCHTOPIC", "x"}});
    const auto first = FilesInFolder();
    j.Write(p, {{a, "<p>one \xC3\xA9</p>"}, {b, "<p>two, more</p>"}});
    const auto second = FilesInFolder();
    ASSERT_EQ(first.size(), 3u);  // journal.json and one file per known topic
    ASSERT_EQ(second.size(), 3u);
    // Alpha's text did not change: its file stays; Beta's did: a new file. The names do not
    // follow the topics' order (ids are random), so compare the sets.
    std::vector<std::string> kept;
    std::set_intersection(first.begin(), first.end(), second.begin(), second.end(), std::back_inserter(kept));
    ASSERT_EQ(kept.size(), 2u);  // journal.json and Alpha's file
    const std::string keptTopic = kept[0] == "journal.json" ? kept[1] : kept[0];
    EXPECT_NE(ReadUtf8File(CombinePath(Folder(), keptTopic)).find("one"), std::string::npos);

    j.Detach();
    ASSERT_TRUE(TRecoveryJournal::HasLeftBehind(base, root));
    const TJournalContents c = TRecoveryJournal::Read(base, root);
    EXPECT_EQ(c.Title, "Manual");
    EXPECT_EQ(c.TopicHtml, (std::map<std::string, std::string>{{a, "<p>one \xC3\xA9</p>"}, {b, "<p>two, more</p>"}}));
    EXPECT_EQ(c.WrittenUtc.size(), 19u);

    TDocProject restored;
    restored.SetRootPath(root);
    ApplyJournalTree(c, restored);
    EXPECT_EQ(ProjectTreeJson(restored), ProjectTreeJson(p));
    EXPECT_EQ(restored.GetTopic(b).HtmlPath(), root + "topics/" + b + ".html");
}

TEST_F(JournalFixture, TopicTextOnlyWritesReuseTheTreeTextUntilTheTreeChanges) {
    TRecoveryJournal j(base);
    ASSERT_TRUE(j.Attach(root));
    j.Write(p, {{a, "<p>1</p>"}});
    ASSERT_EQ(j.TreeBuilds(), 1u);
    // The author types: only the topic text is new, and the tree text is not built again.
    j.Write(p, {{a, "<p>2</p>"}}, TRecoveryJournal::TTree::Unchanged);
    j.Write(p, {{a, "<p>2</p>"}, {b, "<p>3</p>"}}, TRecoveryJournal::TTree::Unchanged);
    EXPECT_EQ(j.TreeBuilds(), 1u);
    TJournalContents c = TRecoveryJournal::Read(base, root);
    EXPECT_EQ(c.TopicHtml, (std::map<std::string, std::string>{{a, "<p>2</p>"}, {b, "<p>3</p>"}}));
    TDocProject restored;
    restored.SetRootPath(root);
    ApplyJournalTree(c, restored);
    EXPECT_EQ(ProjectTreeJson(restored), ProjectTreeJson(p));

    // A rename is a tree change; the next write holds it.
    p.GetTopic(b).SetTitle("Beta renamed");
    j.Write(p, {{a, "<p>2</p>"}, {b, "<p>3</p>"}});
    EXPECT_EQ(j.TreeBuilds(), 2u);
    EXPECT_NE(TRecoveryJournal::Read(base, root).TreeJson.find("Beta renamed"), std::string::npos);

    // The kept tree text goes with the journal (Save) and with another project object.
    p.GetTopic(a).SetTitle("Alpha renamed");
    j.Remove();
    j.Write(p, {{a, "<p>4</p>"}}, TRecoveryJournal::TTree::Unchanged);
    EXPECT_EQ(j.TreeBuilds(), 3u);
    EXPECT_NE(TRecoveryJournal::Read(base, root).TreeJson.find("Alpha renamed"), std::string::npos);
    TDocProject other;
    other.SetRootPath(root);
    other.Clear();
    const std::string g = other.AddTopic("Gamma", "").ID();
    j.Write(other, {{g, "<p>5</p>"}}, TRecoveryJournal::TTree::Unchanged);
    EXPECT_EQ(j.TreeBuilds(), 4u);
    c = TRecoveryJournal::Read(base, root);
    EXPECT_NE(c.TreeJson.find("Gamma"), std::string::npos);
    EXPECT_EQ(c.TopicHtml, (std::map<std::string, std::string>{{g, "<p>5</p>"}}));
}

TEST_F(JournalFixture, RemoveDeletesAndMoveToFollowsTheProject) {
    TRecoveryJournal j(base);
    ASSERT_TRUE(j.Attach(root));
    j.Write(p, {{a, "<p>x</p>"}});
    const std::string newRoot = dir / "Moved/Proj2/";
    TRecoveryJournal stale(base);  // a journal a crash left at the new place is replaced
    ASSERT_TRUE(stale.Attach(newRoot));
    stale.Write(p, {{b, "<p>stale</p>"}});
    stale.Detach();

    j.MoveTo(newRoot);
    EXPECT_FALSE(DirectoryExists(Folder()));
    j.Write(p, {{a, "<p>y</p>"}});
    j.Detach();
    const TJournalContents c = TRecoveryJournal::Read(base, newRoot);
    EXPECT_EQ(c.Root, ExcludeTrailingPathDelimiter(newRoot));
    EXPECT_EQ(c.TopicHtml, (std::map<std::string, std::string>{{a, "<p>y</p>"}}));

    ASSERT_TRUE(j.Attach(newRoot + "/"));  // any spelling of the root names the same journal
    j.Remove();
    EXPECT_FALSE(TRecoveryJournal::HasLeftBehind(base, newRoot));
}

TEST_F(JournalFixture, DamagedJournalIsRefusedWholeAndKeptAside) {
    const std::vector<std::pair<const char*, std::function<void(const std::string&)>>> damage = {
        {"not JSON", [](const std::string& f) { PutFile(f + "/journal.json", "{\"version\":1,"); }},
        {"member missing", [](const std::string& f) {
             PutFile(f + "/journal.json", ReplaceText(GetFile(f + "/journal.json"), "\"title\"", "\"titel\""));
         }},
        {"unknown version", [](const std::string& f) {
             PutFile(f + "/journal.json", ReplaceText(GetFile(f + "/journal.json"), "\"version\":1", "\"version\":2"));
         }},
        {"file missing", [](const std::string& f) {
             for (const auto& e : fs::directory_iterator(f))
                 if (e.path().extension() == ".html")
                     fs::remove(e.path());
         }},
        {"file altered", [](const std::string& f) {
             for (const auto& e : fs::directory_iterator(f))
                 if (e.path().extension() == ".html")
                     PutFile(e.path().string(), "<p>y</p>");
         }},
        {"file outside the journal", [](const std::string& f) {
             PutFile(f + "/journal.json", ReplaceText(GetFile(f + "/journal.json"), "\"file\":\"topic-", "\"file\":\"../topic-"));
         }},
        {"topic not in its tree", [&](const std::string& f) {
             PutFile(f + "/journal.json", ReplaceText(GetFile(f + "/journal.json"), "{\"id\":\"" + a + "\",\"file\"", "{\"id\":\"X\",\"file\""));
         }},
    };
    for (const auto& [what, spoil] : damage) {
        SCOPED_TRACE(what);
        {
            TRecoveryJournal j(base);
            ASSERT_TRUE(j.Attach(root));
            j.Write(p, {{a, "<p>x</p>"}});
        }
        spoil(Folder());
        EXPECT_THROW(TRecoveryJournal::Read(base, root), EAppError);
        const std::string aside = TRecoveryJournal::KeepAside(base, root);
        EXPECT_TRUE(FileExists(aside + "/journal.json"));
        EXPECT_FALSE(TRecoveryJournal::HasLeftBehind(base, root));
    }
    EXPECT_TRUE(DirectoryExists(Folder() + ".damaged-7"));
}

TEST_F(JournalFixture, JournalOfAKilledSessionIsLeftBehindAndOfALiveOneIsNot) {
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        TRecoveryJournal j(base);
        bool ok = j.Attach(root);
        j.Write(p, {{a, "<p>child</p>"}});
        const char c = ok ? 'y' : 'n';
        (void)!::write(ready[1], &c, 1);
        ::pause();
        ::_exit(0);
    }
    char c = 0;
    ASSERT_EQ(::read(ready[0], &c, 1), 1);
    EXPECT_EQ(c, 'y');
    EXPECT_FALSE(TRecoveryJournal::HasLeftBehind(base, root));
    TRecoveryJournal mine(base);
    EXPECT_FALSE(mine.Attach(root));  // a second session does not take it over
    ::kill(child, SIGKILL);
    ::waitpid(child, nullptr, 0);
    EXPECT_TRUE(TRecoveryJournal::HasLeftBehind(base, root));
    EXPECT_EQ(TRecoveryJournal::Read(base, root).TopicHtml.at(a), "<p>child</p>");
    ::close(ready[0]);
    ::close(ready[1]);
}
