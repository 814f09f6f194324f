#include "common/TestHelpers.h"
#include "uContextIds.h"
#include "uRecoveryJournal.h"
#include "uStorage.h"

#include <gtest/gtest.h>
#include <filesystem>

namespace fs = std::filesystem;

namespace {

struct ContextIdsFixture : ::testing::Test {
    TTempDir dir;
    TDocProject p;
    std::string root;
    void SetUp() override {
        root = IncludeTrailingPathDelimiter(dir / "Proj");
        p.SetRootPath(root);
        p.Clear();
    }
    std::string File() const { return ContextIdsFilePath(root); }
    TTopic& Add(const std::string& ATitle, const std::string& AAlias = "", unsigned ANumber = 0,
                const std::string& AParent = "") {
        TTopic& t = p.AddTopic(ATitle, AParent);
        t.SetHelpAlias(AAlias);
        t.SetHelpContextNumber(ANumber);
        return t;
    }
};

}  // namespace

TEST(ContextIdsRules, AliasAndNumberValidation) {
    struct Case { const char* alias; bool ok; const char* part; };
    const Case aliases[] = {
        {"", true, ""},
        {"settings_dialog", true, ""},
        {"_x.y-z9", true, ""},
        {"A", true, ""},
        {"9lives", false, "must begin with a letter"},
        {".hidden", false, "must begin with a letter"},
        {"with space", false, "must begin with a letter"},
        {"caf\xC3\xA9", false, "must begin with a letter"},
        {"ABCDEF0123456789abcdef0123456789", false, "reads as a topic id"},
        {"ABCDEF0123456789abcdef012345678", true, ""},  // 31 digits: an alias
        {"con", false, "Windows reserves"},
        {"Com7", false, "Windows reserves"},
        {"lpt1.help", false, "Windows reserves"},
        {"COM0", true, ""},
        {"console", true, ""},
    };
    for (const auto& c : aliases) {
        const std::string p = HelpAliasProblem(c.alias);
        EXPECT_EQ(p.empty(), c.ok) << c.alias << ": " << p;
        EXPECT_NE(p.find(c.part), std::string::npos) << c.alias << ": " << p;
    }
    EXPECT_TRUE(HelpAliasProblem(std::string(64, 'a')).empty());
    EXPECT_NE(HelpAliasProblem(std::string(65, 'a')).find("longer than 64"), std::string::npos);

    struct NCase { const char* text; bool ok; unsigned number; };
    const NCase numbers[] = {
        {"", true, 0}, {"  ", true, 0}, {"1", true, 1}, {" 1000 ", true, 1000},
        {"2147483647", true, 2147483647u}, {"2147483648", false, 0}, {"0", false, 0},
        {"0100", false, 0}, {"-5", false, 0}, {"+5", false, 0}, {"1e3", false, 0},
        {"99999999999999999999", false, 0}, {"12a", false, 0},
    };
    for (const auto& c : numbers) {
        unsigned n = 77;
        const std::string p = ParseHelpContextNumber(c.text, n);
        EXPECT_EQ(p.empty(), c.ok) << c.text << ": " << p;
        EXPECT_EQ(n, c.number) << c.text;
    }
    EXPECT_EQ(HelpContextMapName("Settings.dialog-2"), "SETTINGS_DIALOG_2");
}

TEST_F(ContextIdsFixture, TakenValuesNameTheOtherTopic) {
    TTopic& settings = Add("Settings", "settings_dialog", 1000);
    Add("Other", "a.b");
    TTopic& me = Add("Me");
    struct Case { const char* alias; unsigned number; const char* message; };
    const Case cases[] = {
        {"settings_dialog", 0, "The alias settings_dialog is already used by the topic Settings."},
        {"SETTINGS_Dialog", 0, "The alias SETTINGS_Dialog is already used by the topic Settings."},
        {"new", 1000, "The help context number 1000 is already used by the topic Settings."},
        {"A_B", 0, "The alias A_B gives the map name A_B of the alias a.b, already used by the topic Other."},
        {"", 5, "A help context number needs a help alias."},
        {"fresh", 1010, ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(HelpContextIdsProblem(p, me.ID(), c.alias, c.number), c.message) << c.alias;
    // A topic keeps its own values.
    EXPECT_EQ(HelpContextIdsProblem(p, settings.ID(), "Settings_Dialog", 1000), "");
}

TEST_F(ContextIdsFixture, FileIsWrittenInOrderAndDeletedWhenNoIdsAreLeft) {
    TTopic& a = Add("A", "zeta", 2000);
    TTopic& b = Add("B", "Beta");
    TTopic& c = Add("C", "alpha");
    TTopic& d = Add("D", "omega", 1000);
    Add("E");
    SaveProjectFolder(p);
    const std::string tree = GetFile(root + "meta/topics.json");
    EXPECT_EQ(tree.find("alias"), std::string::npos);  // the tree file keeps its form
    EXPECT_EQ(GetFile(File()), R"({"topics":[{"id":")" + d.ID() + R"(","alias":"omega","number":1000},{"id":")" + a.ID() +
                                   R"(","alias":"zeta","number":2000},{"id":")" + c.ID() + R"(","alias":"alpha"},{"id":")" +
                                   b.ID() + R"(","alias":"Beta"}]})");

    TDocProject q;
    LoadProjectFolder(root, q);
    EXPECT_EQ(q.ContextIdsProblem(), "");
    EXPECT_EQ(q.GetTopic(a.ID()).HelpAlias(), "zeta");
    EXPECT_EQ(q.GetTopic(a.ID()).HelpContextNumber(), 2000u);
    EXPECT_EQ(q.GetTopic(b.ID()).HelpContextNumber(), 0u);

    // Deleting a topic drops its entry; no ids left deletes the file.
    q.DeleteTopic(a.ID());
    SaveProjectFolder(q);
    EXPECT_EQ(GetFile(File()).find(a.ID()), std::string::npos);
    for (const char* id : {b.ID().c_str(), c.ID().c_str(), d.ID().c_str()})
        q.DeleteTopic(id);
    SaveProjectFolder(q);
    EXPECT_FALSE(FileExists(File()));
    EXPECT_EQ(GetFile(root + "meta/topics.json").find(b.ID()), std::string::npos);
}

TEST_F(ContextIdsFixture, BadFilesLeaveNoIdsAndAreNeverReplaced) {
    TTopic& a = Add("A");
    TTopic& b = Add("B");
    const std::string A = a.ID(), B = b.ID();
    SaveProjectFolder(p);
    struct Case { std::string json; const char* problem; };
    const Case cases[] = {
        {"{not json", "it is not JSON."},
        {"[]", "it is not a JSON object."},
        {R"({"topics":{}})", "\"topics\" is not an array."},
        {R"({"topics":[1]})", "entry 1: it is not an object."},
        {R"({"topics":[{"alias":"x"}]})", "entry 1: it has no topic id."},
        {R"({"topics":[{"id":")" + A + R"(","alias":7}]})", "entry 1: \"alias\" is not a string."},
        {R"({"topics":[{"id":")" + A + R"(","alias":"x","number":"1000"}]})", "entry 1: \"number\" is not an integer."},
        {R"({"topics":[{"id":")" + A + R"(","alias":"x","number":1000.5}]})", "entry 1: \"number\" is not an integer."},
        {R"({"topics":[{"id":")" + A + R"(","alias":"x","number":0}]})", "entry 1: the help context number 0 is out of range"},
        {R"({"topics":[{"id":")" + A + R"(","alias":"x","number":2147483648}]})", "out of range"},
        {R"({"topics":[{"id":")" + A + R"(","alias":"x","number":-3}]})", "out of range"},
        {R"({"topics":[{"id":")" + A + R"(","alias":"9x"}]})", "entry 1: The help alias 9x must begin"},
        {R"({"topics":[{"id":")" + A + R"(","number":5}]})", "entry 1: A help context number needs a help alias."},
        {R"({"topics":[{"id":")" + A + R"(","alias":"x"},{"id":")" + B + R"(","alias":"X"}]})",
         "entry 2: The alias X is already used by the topic A."},
        {R"({"topics":[{"id":")" + A + R"(","alias":"x","number":9},{"id":")" + B + R"(","alias":"y","number":9}]})",
         "entry 2: The help context number 9 is already used by the topic A."},
        {R"({"topics":[{"id":")" + A + R"(","alias":"x"},{"id":")" + A + R"(","alias":"y"}]})", "is listed twice."},
    };
    for (const auto& c : cases) {
        PutFile(File(), c.json);
        TDocProject q;
        LoadProjectFolder(root, q);
        EXPECT_NE(q.ContextIdsProblem().find(c.problem), std::string::npos) << c.json << "\n" << q.ContextIdsProblem();
        EXPECT_NE(q.ContextIdsProblem().find(File()), std::string::npos);
        EXPECT_EQ(q.GetTopic(A).HelpAlias(), "") << c.json;
        // Saving never replaces or deletes the file that could not be read.
        SaveProjectFolder(q);
        EXPECT_EQ(GetFile(File()), c.json);
    }

    // Set aside: a free numbered name beside it.
    PutFile(File() + ".unreadable-1", "older");
    const std::string aside = KeepContextIdsFileAside(root);
    EXPECT_EQ(aside, File() + ".unreadable-2");
    EXPECT_FALSE(FileExists(File()));
    EXPECT_EQ(GetFile(aside), cases[std::size(cases) - 1].json);
}

TEST_F(ContextIdsFixture, EntriesOfUnknownTopicsAreDroppedAndAnUnreadableTreeKeepsTheFile) {
    TTopic& a = Add("A");
    SaveProjectFolder(p);
    PutFile(File(), R"({"topics":[{"id":"GONE","alias":"x","number":5},{"id":")" + a.ID() + R"(","alias":"x","number":5}]})");
    TDocProject q;
    LoadProjectFolder(root, q);
    EXPECT_EQ(q.ContextIdsProblem(), "");
    EXPECT_EQ(q.GetTopic(a.ID()).HelpContextNumber(), 5u);
    SaveProjectFolder(q);
    EXPECT_EQ(GetFile(File()), R"({"topics":[{"id":")" + a.ID() + R"(","alias":"x","number":5}]})");

    // The ids belong to a tree the loader could not read: they stay for it.
    PutFile(root + "meta/topics.json", "{broken");
    TDocProject r;
    LoadProjectFolder(root, r);
    EXPECT_NE(r.ContextIdsProblem(), "");
    SaveProjectFolder(r);
    EXPECT_TRUE(FileExists(File()));
}

TEST_F(ContextIdsFixture, SaveProjectFileCarriesTheIds) {
    TTopic& a = Add("A", "start", 10);
    const std::string target = dir / "Other/Copy.svp";
    SaveProjectFile(target, p);
    TDocProject q;
    LoadProjectFolder(IncludeTrailingPathDelimiter(dir / "Other/Copy"), q);
    EXPECT_EQ(q.GetTopic(a.ID()).HelpAlias(), "start");
    EXPECT_EQ(q.GetTopic(a.ID()).HelpContextNumber(), 10u);
}

TEST_F(ContextIdsFixture, JournalCarriesUnsavedIds) {
    TTopic& a = Add("A", "old", 10);
    SaveProjectFolder(p);
    const std::string base = dir / "recovery";
    TRecoveryJournal j(base);
    ASSERT_TRUE(j.Attach(root));
    a.SetHelpAlias("renamed");
    a.SetHelpContextNumber(20);
    j.Write(p, {});
    j.Detach();

    TDocProject q;
    LoadProjectFolder(root, q);
    EXPECT_EQ(q.GetTopic(a.ID()).HelpAlias(), "old");
    ApplyJournalTree(TRecoveryJournal::Read(base, root), q);
    EXPECT_EQ(q.GetTopic(a.ID()).HelpAlias(), "renamed");
    EXPECT_EQ(q.GetTopic(a.ID()).HelpContextNumber(), 20u);

    // A journal written before ids were journalled keeps the ids the project has.
    TJournalContents older = TRecoveryJournal::Read(base, root);
    older.HasContextIds = false;
    TDocProject r;
    LoadProjectFolder(root, r);
    ApplyJournalTree(older, r);
    EXPECT_EQ(r.GetTopic(a.ID()).HelpAlias(), "old");
}

TEST(ContextIdsAssign, AliasesFromTitles) {
    struct Case { const char* title; const char* alias; };
    const Case cases[] = {
        {"Settings dialog", "Settings_dialog"},
        {"  --Hello,   World!--  ", "Hello_World"},
        {"a__b", "a_b"},
        {"", "topic"},
        {"\xC3\x9C" "ber", "ber"},
        {"\xD0\x9F\xD1\x80\xD0\xB8", "topic"},
        {"3D view", "_3D_view"},
        {"_private_", "private"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(HelpAliasFromTitle(c.title), c.alias) << c.title;
    const std::string longTitle = std::string(59, 'a') + " b c";
    EXPECT_EQ(HelpAliasFromTitle(longTitle), std::string(59, 'a'));  // cut at 60, "_" trimmed
    EXPECT_EQ(HelpAliasFromTitle(std::string(100, 'x')).size(), 60u);
}

TEST_F(ContextIdsFixture, AssignGivesMissingValuesInContentsOrder) {
    TTopic& root1 = Add("Overview");
    TTopic& child = Add("Settings", "", 0, root1.ID());
    TTopic& root2 = Add("settings");                  // same alias ignoring case: _2
    TTopic& taken = Add("Other", "SETTINGS_3", 5000);  // a _3 already taken
    TTopic& aliased = Add("Kept", "kept");
    TTopic& con = Add("con");                          // reserved: suffixed
    TTopic& hex = Add("ABCDEF0123456789ABCDEF0123456789");
    // A topic outside the contents, listed after those inside.
    auto loose = std::make_unique<TTopic>("LOOSE");
    loose->SetTitle("Settings");
    p.Topics().add(std::move(loose));
    p.RootTopicIDs().erase(std::find(p.RootTopicIDs().begin(), p.RootTopicIDs().end(), root2.ID()));
    p.RootTopicIDs().push_back(root2.ID());

    const TAssignContextIdsResult r = AssignHelpContextIds(p, true, true);
    EXPECT_EQ(r.Aliases, 6);
    EXPECT_EQ(r.Numbers, 7);
    EXPECT_EQ(root1.HelpAlias(), "Overview");
    EXPECT_EQ(child.HelpAlias(), "Settings");
    EXPECT_EQ(root2.HelpAlias(), "settings_2");
    EXPECT_EQ(p.GetTopic("LOOSE").HelpAlias(), "Settings_4");
    EXPECT_EQ(con.HelpAlias(), "con_2");
    EXPECT_EQ(hex.HelpAlias(), "ABCDEF0123456789ABCDEF0123456789_2");
    EXPECT_EQ(aliased.HelpAlias(), "kept");
    // Numbers from the largest + 10, in the same order.
    EXPECT_EQ(taken.HelpContextNumber(), 5000u);
    EXPECT_EQ(root1.HelpContextNumber(), 5010u);
    EXPECT_EQ(child.HelpContextNumber(), 5020u);
    EXPECT_EQ(aliased.HelpContextNumber(), 5030u);
    EXPECT_EQ(con.HelpContextNumber(), 5040u);
    EXPECT_EQ(hex.HelpContextNumber(), 5050u);
    EXPECT_EQ(root2.HelpContextNumber(), 5060u);
    EXPECT_EQ(p.GetTopic("LOOSE").HelpContextNumber(), 5070u);
    for (const TTopic& t : p.Topics())
        EXPECT_EQ(HelpContextIdsProblem(p, t.ID(), t.HelpAlias(), t.HelpContextNumber()), "") << t.Title();
    // Nothing missing: nothing given.
    const TAssignContextIdsResult again = AssignHelpContextIds(p, true, true);
    EXPECT_EQ(again.Aliases + again.Numbers, 0);
}

TEST_F(ContextIdsFixture, AssignSeparatelyAndAtTheLimit) {
    TTopic& a = Add("A");
    TTopic& b = Add("B", "b");
    // Numbers only: only topics with an alias, 1000 when none is in use.
    EXPECT_EQ(AssignHelpContextIds(p, false, true).Numbers, 1);
    EXPECT_EQ(a.HelpContextNumber(), 0u);
    EXPECT_EQ(b.HelpContextNumber(), 1000u);
    // Aliases only.
    EXPECT_EQ(AssignHelpContextIds(p, true, false).Aliases, 1);
    EXPECT_EQ(a.HelpAlias(), "A");
    EXPECT_EQ(a.HelpContextNumber(), 0u);

    // Two numbers needed above 2147483637: the second would pass the limit, so nothing changes.
    b.SetHelpContextNumber(2147483637u);
    Add("C");
    try {
        AssignHelpContextIds(p, true, true);
        FAIL() << "no error";
    } catch (const EAppError& e) {
        EXPECT_NE(std::string(e.what()).find("would pass 2147483647"), std::string::npos);
    }
    EXPECT_EQ(a.HelpContextNumber(), 0u);
    EXPECT_EQ(p.GetTopic(p.RootTopicIDs().back()).HelpAlias(), "");
    // One needed fits exactly.
    b.SetHelpContextNumber(2147483627u);
    EXPECT_EQ(AssignHelpContextIds(p, false, true).Numbers, 1);
    EXPECT_EQ(a.HelpContextNumber(), 2147483637u);
}
