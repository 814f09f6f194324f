#include "common/TestHelpers.h"
#include "uDocModel.h"

#include <gtest/gtest.h>

namespace {

struct ProjectFixture : ::testing::Test {
    TTempDir dir;
    TDocProject p;
    void SetUp() override { p.SetRootPath(IncludeTrailingPathDelimiter(dir.Path())); }

    std::vector<std::string> Titles(const std::vector<std::string>& AIDs) {
        std::vector<std::string> out;
        for (const auto& id : AIDs)
            out.push_back(p.GetTopic(id).Title());
        return out;
    }
};

std::string MessageOf(const std::function<void()>& f) {
    try {
        f();
    } catch (const std::exception& e) {
        return e.what();
    }
    return "";
}

}  // namespace

TEST_F(ProjectFixture, AddTopicAppendsWithPathAndFolderButNoFile) {
    TTopic& t = p.AddTopic("", "");
    EXPECT_EQ(t.ID().size(), 32u);
    EXPECT_EQ(t.Title(), "");
    EXPECT_EQ(t.HtmlPath(), dir / ("topics/" + t.ID() + ".html"));
    EXPECT_TRUE(DirectoryExists(dir / "topics"));
    EXPECT_FALSE(FileExists(t.HtmlPath()));
    EXPECT_EQ(p.RootTopicIDs(), std::vector<std::string>{t.ID()});

    EXPECT_EQ(MessageOf([&] { p.AddTopic("x", "NOPE"); }), "Topic not found: NOPE");
    EXPECT_EQ(p.Topics().size(), 1u);
    EXPECT_EQ(MessageOf([&] { p.GetTopic("Q"); }), "Topic not found: Q");
}

TEST_F(ProjectFixture, DeleteTopicRemovesTheWholeSubtreeAndItsFiles) {
    TTopic& keep1 = p.AddTopic("keep1", "");
    std::string top = p.AddTopic("top", "").ID();
    TTopic& keep2 = p.AddTopic("keep2", "");
    std::vector<std::string> gone{top};
    for (const char* name : {"A", "B", "C"}) {
        std::string c = p.AddTopic(name, top).ID();
        gone.push_back(c);
        gone.push_back(p.AddTopic(std::string(name) + "1", c).ID());
    }
    for (const auto& id : gone)
        WriteUtf8File(p.GetTopic(id).HtmlPath(), "body");
    std::vector<std::string> files;
    for (const auto& id : gone)
        files.push_back(p.GetTopic(id).HtmlPath());

    p.DeleteTopic(top);
    for (const auto& id : gone)
        EXPECT_FALSE(p.HasTopic(id));
    for (const auto& f : files)
        EXPECT_FALSE(FileExists(f));
    EXPECT_EQ(p.RootTopicIDs(), (std::vector<std::string>{keep1.ID(), keep2.ID()}));
    p.DeleteTopic("unknown");  // nothing happens
    EXPECT_EQ(p.Topics().size(), 2u);
}

TEST_F(ProjectFixture, IsDescendantCountsTheTopicItself) {
    std::string parent = p.AddTopic("P", "").ID();
    std::string child = p.AddTopic("C", parent).ID();
    EXPECT_TRUE(p.IsDescendant(parent, parent));
    EXPECT_FALSE(p.IsDescendant("", parent));
    EXPECT_TRUE(p.IsDescendant(child, parent));
    EXPECT_FALSE(p.IsDescendant(parent, child));
}

TEST_F(ProjectFixture, MoveTopicIndexesTheListWithoutTheMovedTopic) {
    struct Case { int from; int index; std::vector<std::string> want; };
    const Case cases[] = {
        {0, 2, {"B", "C", "A"}},
        {2, 0, {"C", "A", "B"}},
        {0, 99, {"B", "C", "A"}},
        {2, -5, {"C", "A", "B"}},
        {1, 0, {"B", "A", "C"}},  // one place up
        {1, 2, {"A", "C", "B"}},  // one place down
    };
    for (const auto& c : cases) {
        p.Clear();
        std::string parent = p.AddTopic("P", "").ID();
        for (const char* t : {"A", "B", "C"})
            p.AddTopic(t, parent);
        std::string moved = p.GetTopic(parent).Children()[c.from];
        p.MoveTopic(moved, parent, c.index);
        EXPECT_EQ(Titles(p.GetTopic(parent).Children()), c.want) << c.from << " -> " << c.index;
    }
}

TEST_F(ProjectFixture, MoveTopicRefusesCyclesAndUnknownParentsWithoutChange) {
    std::string a = p.AddTopic("A", "").ID();
    std::string b = p.AddTopic("B", a).ID();
    std::string c = p.AddTopic("C", b).ID();
    const std::string cycle = "Cannot move a topic into itself/its descendant.";
    EXPECT_EQ(MessageOf([&] { p.MoveTopic(a, a, 0); }), cycle);
    EXPECT_EQ(MessageOf([&] { p.MoveTopic(a, c, 0); }), cycle);
    EXPECT_EQ(MessageOf([&] { p.MoveTopic(b, "GHOST", 0); }), "Topic not found: GHOST");
    EXPECT_EQ(MessageOf([&] { p.MoveTopic("GHOST", "", 0); }), "Topic not found: GHOST");
    EXPECT_EQ(p.RootTopicIDs(), std::vector<std::string>{a});
    EXPECT_EQ(p.GetTopic(a).Children(), std::vector<std::string>{b});
    EXPECT_EQ(p.GetTopic(b).ParentID(), a);

    p.MoveTopic(c, "", 0);
    EXPECT_EQ(p.RootTopicIDs(), (std::vector<std::string>{c, a}));
    EXPECT_TRUE(p.GetTopic(c).ParentID().empty());
    EXPECT_TRUE(p.GetTopic(b).Children().empty());
}

TEST_F(ProjectFixture, HandEditedCyclesAndDoubleListingsEndEveryWalk) {
    // X and Y name each other as parent and child; Z is listed twice under X.
    auto add = [&](const std::string& id, const std::string& parent, std::vector<std::string> children) {
        auto t = std::make_unique<TTopic>(id);
        t->SetParentID(parent);
        t->Children() = std::move(children);
        t->SetHtmlPath(p.TopicHtmlPathFor(id));
        p.Topics().add(std::move(t));
    };
    add("X", "Y", {"Y", "Z", "Z"});
    add("Y", "X", {"X"});
    add("Z", "X", {});
    p.RootTopicIDs() = {"X", "GHOST"};

    EXPECT_FALSE(p.IsDescendant("X", "NOTANANCESTOR"));
    EXPECT_TRUE(p.IsDescendant("X", "Y"));

    std::vector<std::string> seen;
    ForEachTopicInTocOrder(p, [&](const TTopic& t, int depth) {
        seen.push_back(t.ID() + ":" + std::to_string(depth));
        return true;
    });
    EXPECT_EQ(seen, (std::vector<std::string>{"X:0", "Y:1", "Z:1"}));

    // Moves inside the cycle end: Y's ancestors never reach Z, so Z may go below Y; X is Y's
    // parent, so X may not.
    p.MoveTopic("Z", "Y", 0);
    EXPECT_EQ(p.GetTopic("Y").Children(), (std::vector<std::string>{"Z", "X"}));
    EXPECT_EQ(p.GetTopic("X").Children(), (std::vector<std::string>{"Y", "Z"}));
    EXPECT_THROW(p.MoveTopic("X", "Y", 0), EAppError);

    p.DeleteTopic("X");
    EXPECT_EQ(p.Topics().size(), 0u);
}

TEST_F(ProjectFixture, DictionaryKeepsInsertionOrderAndRejectsDuplicates) {
    std::vector<std::string> ids;
    for (int i = 0; i < 20; ++i)
        ids.push_back(p.AddTopic("t" + std::to_string(i), "").ID());
    p.DeleteTopic(ids[5]);
    ids.erase(ids.begin() + 5);
    std::vector<std::string> order;
    for (const TTopic& t : p.Topics())
        order.push_back(t.ID());
    EXPECT_EQ(order, ids);
    EXPECT_THROW(p.Topics().add(std::make_unique<TTopic>(ids[0])), EAppError);

    p.Clear();
    EXPECT_EQ(p.Title(), "Untitled Documentation");
    EXPECT_EQ(p.StyleProfile(), "default");
    EXPECT_TRUE(p.RootTopicIDs().empty());
    EXPECT_EQ(p.RootPath(), IncludeTrailingPathDelimiter(dir.Path()));
}
