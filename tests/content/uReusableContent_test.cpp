#include "uReusableContent.h"

#include "common/TestHelpers.h"

#include <gtest/gtest.h>

namespace {

class ReusableContent : public ::testing::Test {
protected:
    void SetUp() override { FProject.SetRootPath(FDir.Path()); }
    void PutStore(const std::string& AJson) { PutFile(ReusableContentPath(FProject), AJson); }
    TReusableProjectContent Load() {
        TReusableProjectContent store;
        store.LoadFromProject(FProject);
        return store;
    }
    TTempDir FDir;
    TDocProject FProject;
};

TEST_F(ReusableContent, MissingProjectOrFileGivesAnEmptyStoreAndDefaults) {
    TReusableProjectContent store;
    store.Variables().push_back({"stale", "x"});
    store.LoadFromProject(nullptr);
    EXPECT_TRUE(store.Variables().empty());
    store = Load();
    EXPECT_EQ(store.VariableValue("Product", "dflt"), "dflt");
    EXPECT_FALSE(store.ConditionEnabled("Pro", false));
    EXPECT_TRUE(store.ConditionEnabled("Pro", true));
    PutStore("{not json");
    EXPECT_TRUE(Load().Variables().empty());
    EXPECT_EQ(ReusableContentPath(FProject), FDir.Path() + "/meta/reusable_content.json");
}

TEST_F(ReusableContent, LoadingTrimsNamesKeepsValuesAndReadsLeniently) {
    PutStore(R"({"variables":[{"name":"  Product \t","value":"  Pagewell  "},{"name":"n","value":1.50},)"
             R"({"name":"nul","value":null},{"name":"obj","value":{"a":1}},{"name":"arr","value":[1]},)"
             R"({"name":"   ","value":"dropped"},{"value":"no name"},5,"text",{"name":"big","value":1e3},)"
             R"({"name":"product","value":"second"},{"name":"t","value":true}],)"
             R"("snippets":[{"name":"S","html":"<b>x</b>"}],"extra":1})");
    TReusableProjectContent store = Load();
    struct TCase {
        const char* Name;
        const char* Value;
    } cases[] = {{"Product", "  Pagewell  "}, {"PRODUCT", "  Pagewell  "}, {"n", "1.50"}, {"nul", "null"},
                 {"obj", ""}, {"arr", ""}, {"big", "1e3"}, {"t", "true"}, {" Product", "?"}};
    for (const auto& c : cases)
        EXPECT_EQ(store.VariableValue(c.Name, "?"), c.Value) << c.Name;
    EXPECT_EQ(store.Variables().size(), 8u);
    EXPECT_EQ(store.SnippetHtml("s", ""), "<b>x</b>");
    EXPECT_TRUE(store.Conditions().empty());
}

TEST_F(ReusableContent, ConditionSwitchesFollowTheLenientBooleanRule) {
    PutStore(R"({"conditions":[{"name":"none"},{"name":"off","enabled":"off"},{"name":"no","enabled":"no"},)"
             R"({"name":"s0","enabled":"0"},{"name":"n0","enabled":0},{"name":"f","enabled":false},)"
             R"({"name":"F","enabled":" FALSE "},{"name":"t","enabled":"1"},{"name":"nul","enabled":null}]})");
    TReusableProjectContent store = Load();
    struct TCase {
        const char* Name;
        bool Enabled;
    } cases[] = {{"none", true}, {"off", true}, {"no", true}, {"s0", false}, {"n0", false},
                 {"f", false},   {"t", true},   {"nul", true}};
    for (const auto& c : cases)
        EXPECT_EQ(store.ConditionEnabled(c.Name, !c.Enabled), c.Enabled) << c.Name;
    // Two entries differing in case only: the first one wins.
    EXPECT_FALSE(store.ConditionEnabled("F", true));
}

TEST_F(ReusableContent, NameComparisonFoldsOnlyAsciiLetters) {
    PutStore(R"({"variables":[{"name":"\u00e9t\u00e9","value":"lower"},{"name":"abc","value":"ascii"}]})");
    TReusableProjectContent store = Load();
    EXPECT_EQ(store.VariableValue("ABC", "-"), "ascii");
    EXPECT_EQ(store.VariableValue("\xC3\x89T\xC3\x89", "-"), "-");  // upper-case accented name
    EXPECT_EQ(store.VariableValue("\xC3\xA9T\xC3\xA9", "-"), "lower");
}

TEST_F(ReusableContent, WrongShapesRaiseInvalidTypeErrorsNamingTheFile) {
    struct TCase {
        const char* Json;
        size_t VariablesKept;
    } cases[] = {
        {"[1,2]", 0},
        {"\"text\"", 0},
        {R"({"variables":{"name":"a"}})", 0},
        {R"({"variables":[{"name":"a","value":"1"}],"snippets":"x"})", 1},
        {R"({"variables":[{"name":"a","value":"1"}],"snippets":[],"conditions":7})", 1},
    };
    for (const auto& c : cases) {
        PutStore(c.Json);
        TReusableProjectContent store;
        try {
            store.LoadFromProject(FProject);
            ADD_FAILURE() << "no error for " << c.Json;
        } catch (const EAppError& e) {
            EXPECT_NE(std::string(e.what()).find("Invalid type cast"), std::string::npos) << e.what();
            EXPECT_NE(std::string(e.what()).find("reusable_content.json"), std::string::npos) << e.what();
        }
        EXPECT_EQ(store.Variables().size(), c.VariablesKept) << c.Json;
    }
}

TEST_F(ReusableContent, SavingWritesCompactAsciiJsonInFixedOrderAndDropsBlankNames) {
    TReusableProjectContent store;
    store.SaveToProject(FProject);
    EXPECT_EQ(GetFile(ReusableContentPath(FProject)), R"({"variables":[],"snippets":[],"conditions":[]})");

    store.Variables() = {{" A ", " v/1 "}, {"A", "\xC3\xA9"}, {"  ", "dropped"}};
    store.Snippets() = {{"S", "<p class=\"x\">\n</p>"}};
    store.Conditions() = {{"On", true}, {"Off", false}};
    store.SaveToProject(FProject);
    EXPECT_EQ(GetFile(ReusableContentPath(FProject)),
              R"({"variables":[{"name":"A","value":" v\/1 "},{"name":"A","value":"\u00E9"}],)"
              R"("snippets":[{"name":"S","html":"<p class=\"x\">\n<\/p>"}],)"
              R"("conditions":[{"name":"On","enabled":true},{"name":"Off","enabled":false}]})");
    TReusableProjectContent back = Load();
    EXPECT_EQ(back.Variables().size(), 2u);
    EXPECT_EQ(back.VariableValue("a", ""), " v/1 ");
    EXPECT_FALSE(back.ConditionEnabled("off", true));

    TReusableProjectContent none;
    none.SaveToProject(nullptr);  // no project: nothing happens
}

TEST(ReusableTokens, MakersEncodeTheWholeToken) {
    EXPECT_EQ(MakeVariableToken("Product"), "{var:Product}");
    EXPECT_EQ(MakeVariableToken("R&D <\"x\">"), "{var:R&amp;D &lt;&quot;x&quot;&gt;}");
    EXPECT_EQ(MakeSnippetToken("It's"), "{snip:It's}");
    EXPECT_EQ(MakeBeginConditionToken(" Pro "), "{begincond: Pro }");
}

}  // namespace
