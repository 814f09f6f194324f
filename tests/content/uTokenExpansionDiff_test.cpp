// The fast schedule against the literal one on generated topics and stores: every output must be
// the same byte for byte.
#include "common/TDeterministicRandom.h"
#include "uTokenExpansion.h"

#include "common/TestHelpers.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace {

const char* const kVarNames[] = {"Product", "R&amp;D", "a&lt;b", "Ver", "Unknown", "&quot;q&quot;", "product"};
const char* const kSnipNames[] = {"S0", "S1", "S2", "S3", "S4", "s0", "Nope"};
const char* const kCondNames[] = {"On", "Off", "X&amp;Y", "Maybe", "on", "Gone", "<b>On</b>"};
const char* const kBlocks[] = {"p", "div", "li", "td", "h2", "section", "blockquote", "span"};
const char* const kWords[] = {"alpha", "beta ", " gamma", "\n", "&amp;", "&nbsp;", "x", "{", "}", ":", "\xC3\xA9t\xC3\xA9"};

std::string Spaces(TDeterministicRandom& R) { return R.Chance(80) ? "" : R.Pick({" ", "  ", "\n", "\t"}); }

std::string Keyword(TDeterministicRandom& R, const char* AWord) {
    std::string k = AWord;
    if (R.Chance(15))
        k[0] = static_cast<char>(k[0] - 32);
    return k;
}

std::string Token(TDeterministicRandom& R, const char* AKeyword, const char* AName) {
    return "{" + Spaces(R) + Keyword(R, AKeyword) + Spaces(R) + ":" + Spaces(R) + AName + Spaces(R) + "}";
}

std::string EndMarker(TDeterministicRandom& R) {
    if (R.Chance(50))
        return "{" + Spaces(R) + Keyword(R, "endcond") + Spaces(R) + "}";
    return Token(R, "endcond", R.Pick(kCondNames));
}

std::string Piece(TDeterministicRandom& R, int ADepth);

std::string Pieces(TDeterministicRandom& R, int ACount, int ADepth) {
    std::string s;
    for (int i = 0; i < ACount; ++i)
        s += Piece(R, ADepth);
    return s;
}

std::string Piece(TDeterministicRandom& R, int ADepth) {
    switch (R.Below(16)) {
    case 0: case 1: return R.Pick(kWords);
    case 2: return Token(R, "var", R.Pick(kVarNames));
    case 3: return Token(R, "snip", R.Pick(kSnipNames));
    case 4: return Token(R, "begincond", R.Pick(kCondNames));
    case 5: return EndMarker(R);
    case 6: {  // a marker alone in a block (sometimes with a mismatched closing tag)
        std::string tag = R.Pick(kBlocks);
        std::string close = R.Chance(85) ? tag : R.Pick(kBlocks);
        if (R.Chance(20))
            tag[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(tag[0])));
        std::string marker = R.Chance(50) ? Token(R, "begincond", R.Pick(kCondNames)) : EndMarker(R);
        return "<" + tag + (R.Chance(30) ? " class=\"m\"" : "") + ">" + Spaces(R) + marker + Spaces(R) + "</" + close + ">";
    }
    case 7: {  // a whole condition around more content
        if (ADepth > 2)
            return "y";
        return Token(R, "begincond", R.Pick(kCondNames)) + Pieces(R, 1 + R.Below(4), ADepth + 1) + EndMarker(R);
    }
    case 8: {  // a block element around content
        if (ADepth > 2)
            return "<br>";
        std::string tag = R.Pick(kBlocks);
        return "<" + tag + ">" + Pieces(R, 1 + R.Below(3), ADepth + 1) + "</" + tag + ">";
    }
    case 9:  // tokens inside a tag
        return "<a data-v=\"" + Token(R, "var", R.Pick(kVarNames)) + "\" href=\"" + Token(R, "snip", R.Pick(kSnipNames)) + "\">";
    case 10:  // marker styling
        return R.Pick({"<span style=\"border: 1px dashed #888\" contenteditable=\"false\" title=\"t\">",
                       "<span style=\"background:#eef5ff\">", "<img title=\"x\" src=\"a.png\">", "</span>",
                       "<span style='border:1px dashed'>"});
    case 11:  // a token split by a tag or cut short
        return R.Pick({"{var:Pro<b>duct}</b>", "{snip:", "S1}", "{begin", "cond:On}", "{var:Product", "{}", "{var:}"});
    case 12: return "</" + std::string(R.Pick(kBlocks)) + ">";
    default: return R.Pick(kWords);
    }
}

void MakeStore(TDeterministicRandom& R, const TDocProject& AProject) {
    TReusableProjectContent store;
    store.Variables() = {{"Product", "Page<well>"}, {"R&D", "research & \"dev\""}, {"a<b", "{snip:S1}"},
                         {"Ver", R.Chance(50) ? "1.0" : "{begincond:Off}"}, {"\"q\"", "{var:Product}"}};
    for (int i = 0; i < 5; ++i) {
        std::string html = Pieces(R, 1 + R.Below(5), 1);
        // Refers to itself or to other snippets, so cycles of every length occur.
        for (int k = R.Below(3); k > 0; --k)
            html.insert(R.Chance(50) ? 0 : html.size(), Token(R, "snip", kSnipNames[R.Below(5)]));
        if (R.Chance(10))
            html = "";
        store.Snippets().push_back({"S" + IntToStr(i), html});
    }
    const char* names[] = {"On", "Off", "X&Y", "Maybe"};
    for (const char* n : names)
        store.Conditions().push_back({n, R.Chance(50)});
    store.SaveToProject(AProject);
}

TEST(TokenExpansionDifferential, FastScheduleMatchesLiteralScheduleOnGeneratedInput) {
    constexpr int kStores = 10;
    constexpr int kTopicsPerStore = 250;
    int compared = 0, changedByExpansion = 0;
    for (int s = 0; s < kStores; ++s) {
        TTempDir dir;
        TDocProject project;
        project.SetRootPath(dir.Path());
        TDeterministicRandom R(static_cast<uint64_t>(s) + 1);
        MakeStore(R, project);
        TTokenExpander fast(project);  // one context for all topics, as a publisher keeps it
        TTokenExpander literal(project, TExpansionSchedule::Literal);
        for (int t = 0; t < kTopicsPerStore; ++t) {
            std::string html = Pieces(R, R.Below(20), 0);
            std::string a, b;
            try {
                a = fast.Expand(html);
            } catch (const EAppError& e) {
                a = std::string("error: ") + e.what();
            }
            try {
                b = literal.Expand(html);
            } catch (const EAppError& e) {
                b = std::string("error: ") + e.what();
            }
            ASSERT_EQ(a, b) << "store " << s << " topic " << t << ":\n" << html;
            ++compared;
            changedByExpansion += a != html;
        }
    }
    EXPECT_EQ(compared, kStores * kTopicsPerStore);
    EXPECT_GT(changedByExpansion, compared / 2);  // the inputs do exercise the passes
}

}  // namespace
