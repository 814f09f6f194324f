#include "uTokenExpansion.h"

#include "common/TestHelpers.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <thread>

namespace {

struct TCase {
    const char* Html;
    const char* Expected;
};

class TokenExpansion : public ::testing::Test {
protected:
    void SetUp() override {
        FProject.SetRootPath(FDir.Path());
        TReusableProjectContent store;
        store.Variables() = {{"ProductName", "Pagewell"}, {"Lt", "a<b & \"c\""}, {"R&D", "rd"}, {"Mark", "<b>x</b>"}};
        store.Snippets() = {{"Hello", "<b>{var:ProductName}</b>"},
                            {"Empty", ""},
                            {"Self", "[{snip:Self}]"},
                            {"A", "a{snip:B}"},
                            {"B", "b{snip:A}"},
                            {"Styled", "<span title=\"tip\">{begincond:Off}hidden{endcond}shown</span>"}};
        store.Conditions() = {{"On", true}, {"Off", false}, {"X&Y", true}, {"I1", true}, {"I0", false},
                              {"O1", true}, {"O0", false}};
        store.SaveToProject(FProject);
    }

    // Both schedules must agree; returns the fast result.
    std::string Expand(const std::string& AHtml) {
        TTokenExpander fast(FProject);
        TTokenExpander literal(FProject, TExpansionSchedule::Literal);
        std::string a = fast.Expand(AHtml);
        EXPECT_EQ(a, literal.Expand(AHtml)) << AHtml;
        EXPECT_EQ(a, ExpandReusableContent(FProject, AHtml)) << AHtml;
        return a;
    }
    void Check(const TCase* ABegin, const TCase* AEnd) {
        for (const TCase* c = ABegin; c != AEnd; ++c)
            EXPECT_EQ(Expand(c->Html), c->Expected) << c->Html;
    }

    TTempDir FDir;
    TDocProject FProject;
};

TEST_F(TokenExpansion, Variables) {
    const TCase cases[] = {
        {"<p>{var:ProductName}</p>", "<p>Pagewell</p>"},
        {"{VAR : ProductName }|{ Var:productname}", "Pagewell|Pagewell"},
        {"{var:}", "{var:}"},                                       // no name: no token
        {"{var: }", ""},                                            // a blank name finds nothing
        {"{var:Lt} {var:Mark}", "a&lt;b &amp; &quot;c&quot; &lt;b&gt;x&lt;/b&gt;"},
        {"{var:R&amp;D} {var: R&#38;D }", "rd rd"},                // encoded names
        {"[{var:Unknown}]", "[]"},
        {"<a data-x=\"{var:ProductName}\">{var:ProductName}</a>", "<a data-x=\"{var:ProductName}\">Pagewell</a>"},
        {"{var:Product<b>Name</b>}", "{var:Product<b>Name</b>}"},  // split by a tag
        {"{var:ProductName", "{var:ProductName"},
        {"{var:ProductName}}{{var:ProductName}", "Pagewell}{Pagewell"},
    };
    Check(std::begin(cases), std::end(cases));
}

TEST_F(TokenExpansion, Snippets) {
    const TCase cases[] = {
        {"<div>{snip:Hello}</div>", "<div><b>Pagewell</b></div>"},
        {"x{snip:Unknown}{snip:Empty}y", "xy"},
        {"{snip:Self}!", "[]!"},                 // cut off inside itself
        {"{snip:A}|{snip:B}", "ab|ba"},          // cut off through another snippet
        {"{snip:Styled}", "<span>shown</span>"}, // expanded and cleaned before insertion
        {"<i data-s=\"{snip:Hello}\"></i>", "<i data-s=\"{snip:Hello}\"></i>"},
        {"{ SNIP : hello }", "<b>Pagewell</b>"},
    };
    Check(std::begin(cases), std::end(cases));
}

TEST_F(TokenExpansion, ConditionsInSequenceAndMarkerOnlyBlocks) {
    const TCase cases[] = {
        {"{begincond:Off}x{endcond}y", "y"},
        {"{begincond:On}x{endcond}y", "xy"},
        {"{begincond:Missing}x{endcond}y", "y"},
        {"{begincond:On}a{endcond}{begincond:Off}b{endcond}{begincond:On}c{endcond:on}", "ac"},
        {"<p>{begincond:Off}</p><p>x</p><p>{endcond}</p><p>after</p>", "<p>after</p>"},
        {"<p>{begincond:On}</p><p>x</p><p> {endcond} </p><p>after</p>", "<p>x</p><p>after</p>"},
        {"<H2 class=\"m\">\n{ BeginCond : On }\n</h2>x<td>{endcond:On}</TD>", "x"},
        {"<div>{begincond:On}</p>x{endcond}", "<div></p>x"},  // tags differ: not a marker block
        {"<p>{begincond:Off} text</p>{endcond}", "<p>"},
        {"{begincond:On}x{endcond:Off}", "x"},                 // names differ: markers removed
        {"{begincond:X&amp;Y}x{endcond: X&amp;Y }", "x"},
        {"{begincond:<b>On</b>}x{endcond}", ""},               // a tag becomes part of the name
        {"stray {endcond} and {begincond:On} markers", "stray  and  markers"},
        {"{begincond:On}line\nbreak{endcond}", "line\nbreak"},
    };
    Check(std::begin(cases), std::end(cases));
}

TEST_F(TokenExpansion, NestedConditionsOfEveryCombination) {
    // Outer O (on or off) around inner I (on or off), each with a named or a bare end marker.
    for (bool outerNamed : {false, true})
        for (bool innerNamed : {false, true})
            for (bool outerOn : {false, true})
                for (bool innerOn : {false, true}) {
                    std::string o = outerOn ? "O1" : "O0", i = innerOn ? "I1" : "I0";
                    std::string html = "{begincond:" + o + "}a{begincond:" + i + "}b" +
                                       (innerNamed ? "{endcond:" + i + "}" : "{endcond}") + "c" +
                                       (outerNamed ? "{endcond:" + o + "}" : "{endcond}") + "d";
                    std::string expected;
                    if (outerNamed && innerNamed)
                        expected = "abcd";  // the outer begin meets the inner end: never evaluated
                    else if (!outerNamed && !innerNamed)
                        expected = outerOn ? (innerOn ? "abcd" : "ad") : "cd";  // outer pairs with inner end
                    else
                        expected = outerOn ? (innerOn ? "abcd" : "acd") : "d";
                    EXPECT_EQ(Expand(html), expected) << html;
                }
}

TEST_F(TokenExpansion, MarkerStylingIsRemoved) {
    const TCase cases[] = {
        {"<img title=\"t\" src=\"a.png\"><p TITLE=\"\">x</p>", "<img src=\"a.png\"><p>x</p>"},
        {"<span style=\"border: 1px dashed #999\" contenteditable=\"false\">{var:ProductName}</span>",
         "<span>Pagewell</span>"},
        {"<span style=\"color:red; BACKGROUND : #EEF5FF\">x</span>", "<span>x</span>"},
        {"<span style=\"color:red\" contenteditable=\"true\">x</span>",
         "<span style=\"color:red\" contenteditable=\"true\">x</span>"},
        {"<span style='border:1px dashed' title='t'>x</span>", "<span style='border:1px dashed' title='t'>x</span>"},
    };
    Check(std::begin(cases), std::end(cases));
}

TEST_F(TokenExpansion, EmptyInputOrNoProjectIsLeftUntouched) {
    const std::string html = "<img title=\"t\">{var:ProductName}";
    EXPECT_EQ(Expand(""), "");
    EXPECT_EQ(ExpandReusableContent(nullptr, html), html);
    TDocProject rootless;
    EXPECT_EQ(ExpandReusableContent(rootless, html), html);
    TTokenExpander none(nullptr);
    EXPECT_EQ(none.Expand(html), html);
}

TEST_F(TokenExpansion, AChangedFileIsReadAgain) {
    EXPECT_EQ(ExpandReusableContent(FProject, "{var:ProductName}"), "Pagewell");
    TReusableProjectContent store;
    store.Variables() = {{"ProductName", "Other"}};
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
    store.SaveToProject(FProject);
    EXPECT_EQ(ExpandReusableContent(FProject, "{var:ProductName}"), "Other");
    std::filesystem::remove(ReusableContentPath(FProject));
    EXPECT_EQ(ExpandReusableContent(FProject, "{var:ProductName}"), "");
}

TEST_F(TokenExpansion, AStoreOfTheWrongShapeFailsTheExpansion) {
    PutFile(ReusableContentPath(FProject), "[]");
    EXPECT_THROW(ExpandReusableContent(FProject, "x"), EAppError);
    EXPECT_THROW(TTokenExpander{FProject}, EAppError);
}

class TokenExpansionLimits : public ::testing::Test {
protected:
    void SetUp() override { FProject.SetRootPath(FDir.Path()); }
    void Save(std::vector<TReusableSnippet> ASnippets) {
        TReusableProjectContent store;
        store.Snippets() = std::move(ASnippets);
        store.SaveToProject(FProject);
    }
    void ExpectError(TExpansionSchedule ASchedule, const TExpansionLimits& ALimits, const std::string& AHtml,
                     const std::string& AWords) {
        TTokenExpander expander(FProject, ASchedule, ALimits);
        try {
            expander.Expand(AHtml);
            ADD_FAILURE() << "no error";
        } catch (const EAppError& e) {
            EXPECT_NE(std::string(e.what()).find(AWords), std::string::npos) << e.what();
        }
        // The expander stays usable after a failure.
        EXPECT_EQ(expander.Expand("plain"), "plain");
    }
    TTempDir FDir;
    TDocProject FProject;
};

TEST_F(TokenExpansionLimits, ExponentialGrowthStopsWithAnError) {
    std::vector<TReusableSnippet> chain;
    for (int i = 0; i < 40; ++i)
        chain.push_back({"S" + IntToStr(i), "{snip:S" + IntToStr(i + 1) + "}{snip:S" + IntToStr(i + 1) + "}"});
    chain.push_back({"S40", "xxxxxxxx"});
    Save(chain);
    TExpansionLimits limits;
    limits.MaxResultBytes = 1 << 20;
    ExpectError(TExpansionSchedule::Fast, limits, "{snip:S0}", "grows beyond 1048576 bytes");
    // Within the limit the reused results still give the whole text.
    TTokenExpander fast(FProject);
    EXPECT_EQ(fast.Expand("{snip:S30}").size(), 8u * 1024);
}

TEST_F(TokenExpansionLimits, DeepNestingStopsWithAnErrorInBothSchedules) {
    std::vector<TReusableSnippet> chain;
    for (int i = 0; i < 80; ++i)
        chain.push_back({"D" + IntToStr(i), "<i>{snip:D" + IntToStr(i + 1) + "}</i>"});
    Save(chain);
    for (auto schedule : {TExpansionSchedule::Fast, TExpansionSchedule::Literal})
        ExpectError(schedule, {}, "{snip:D0}", "nested more than 64 levels deep (at snippet \"D64\")");
    TExpansionLimits deep;
    deep.MaxSnippetDepth = 100;
    TTokenExpander fast(FProject, TExpansionSchedule::Fast, deep);
    EXPECT_EQ(fast.Expand("{snip:D70}"), "<i><i><i><i><i><i><i><i><i><i></i></i></i></i></i></i></i></i></i></i>");
    // A result kept from a shallow use is not reused where it would pass the limit.
    ExpectError(TExpansionSchedule::Fast, {}, "{snip:D10}", "nested more than 64 levels deep");
}

TEST_F(TokenExpansionLimits, SnippetsReferringToEachOtherEverywhereStopWithAnError) {
    std::vector<TReusableSnippet> all;
    for (int i = 0; i < 14; ++i) {
        std::string html = IntToStr(i);
        for (int j = 0; j < 14; ++j)
            html += "{snip:K" + IntToStr(j) + "}";
        all.push_back({"K" + IntToStr(i), html});
    }
    Save(all);
    TExpansionLimits limits;
    limits.MaxSnippetExpansions = 5000;
    ExpectError(TExpansionSchedule::Fast, limits, "{snip:K0}", "refer to each other too often");
}

}  // namespace
