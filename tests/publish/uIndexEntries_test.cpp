#include "publish/WebHelpFixture.h"

#include "uIndexEntries.h"
#include "uLinkChecker.h"
#include "uUnicodeText.h"

#include <gtest/gtest.h>

using webhelp_fixture::AddFixedTopic;

namespace {

const std::string kT1(32, '1'), kT2(32, '2'), kT3(32, '3'), kT4(32, '4'), kT5(32, '5');

using TIds = std::vector<std::string>;

TIndexEntry Entry(const std::string& AText, TIds AIds, std::vector<TIndexEntry> ASubs = {}) {
    return {AText, std::move(AIds), std::move(ASubs)};
}

// Topics without titles, so that only their entries make the index.
TTopic& Untitled(TDocProject& AProject, const std::string& AID, std::vector<std::string> AEntries,
                 const std::string& AParent = {}) {
    TTopic& t = AddFixedTopic(AProject, AID, "", AParent);
    t.IndexEntries() = std::move(AEntries);
    return t;
}

}  // namespace

TEST(IndexEntries, splitsAtTheFirstCommaAndSpaceAndTrimsEachPart) {
    const struct {
        const char* Entry;
        TIndexEntryParts Parts;
    } cases[] = {
        {"Printing", {"Printing", ""}},
        {"Printing, margins", {"Printing", "margins"}},
        {"  Printing ,   margins  ", {"Printing", "margins"}},
        {"Printing, margins, left", {"Printing", "margins, left"}},
        {"Printing,margins", {"Printing,margins", ""}},
        {"Printing, ", {"Printing", ""}},
        {", margins", {"", "margins"}},
        {"", {"", ""}},
        {"Печать, поля", {"Печать", "поля"}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(SplitIndexEntry(c.Entry), c.Parts) << c.Entry;
}

TEST(IndexEntries, keysAreEqualAfterNfcAndFullCaseFolding) {
    const struct {
        const char* A;
        const char* B;
        bool Same;
    } cases[] = {
        {"Printing", "PRINTING", true},
        {"Caf\xC3\xA9", "cafe\xCC\x81", true},         // NFC and NFD spellings
        {"Caf\xC3\xA9", "Cafe", false},                // accents count
        {"\xD0\x9F\xD0\xB5\xD1\x87\xD0\xB0\xD1\x82\xD1\x8C", "\xD0\xBF\xD0\x95\xD0\xA7\xD0\x90\xD0\xA2\xD0\xAC", true},  // Печать, пЕЧАТЬ
        {"Stra\xC3\x9F" "e", "STRASSE", true},         // full folding: ß is ss
        {"\xE2\x84\xAA" "elvin", "kelvin", true},      // the Kelvin sign folds to k
        {"Printing", "Printing ", false},              // keys are made of trimmed parts
    };
    for (const auto& c : cases)
        EXPECT_EQ(IndexEntryKey(c.A) == IndexEntryKey(c.B), c.Same) << c.A << " / " << c.B;
}

TEST(IndexEntries, mergesSpellingsShowsTheFirstInContentsOrderAndListsTopicsOnce) {
    TDocProject p;
    // Dictionary order kT3, kT1, kT2; contents order kT1, kT2 > kT3; kT4 outside the contents.
    AddFixedTopic(p, kT3, "");
    Untitled(p, kT1, {"printing, MARGINS", "Printing", "printing"});
    Untitled(p, kT2, {"PRINTING, margins", "Printing, Margins", "cafe\xCC\x81"});
    p.RootTopicIDs() = {kT1, kT2};
    p.GetTopic(kT2).Children() = {kT3};
    p.GetTopic(kT3).IndexEntries() = {"Caf\xC3\xA9", "printing"};
    Untitled(p, kT4, {"Printing, margins"});
    p.RootTopicIDs().pop_back();  // kT4 is in the dictionary only

    const std::vector<TIndexEntry> expected = {
        Entry("cafe\xCC\x81", {kT2, kT3}),
        Entry("printing", {kT1, kT3}, {Entry("MARGINS", {kT1, kT2, kT4})}),
    };
    EXPECT_EQ(BuildIndex(p, TIndexOutput::WebHelp), expected);
}

TEST(IndexEntries, titlesAreMainEntriesMergedWithEqualEntries) {
    TDocProject p;
    AddFixedTopic(p, kT1, " Printing ");
    AddFixedTopic(p, kT2, "Page setup, margins").IndexEntries() = {"printing", "Setup, paper"};
    AddFixedTopic(p, kT3, "   ");                 // no entry for a blank title
    AddFixedTopic(p, kT4, "Setup").IndexEntries() = {"Printing, margins"};
    const std::vector<TIndexEntry> expected = {
        Entry("Page setup, margins", {kT2}),        // never split
        Entry("Printing", {kT1, kT2}, {Entry("margins", {kT4})}),
        Entry("Setup", {kT4}, {Entry("paper", {kT2})}),
    };
    EXPECT_EQ(BuildIndex(p, TIndexOutput::Chm), expected);
}

TEST(IndexEntries, sortsByTheRootCollatorThenByUtf16AndSubEntriesUnderTheirMain) {
    TDocProject p;
    Untitled(p, kT1, {"zebra", "\xC3\x89" "cole", "apple", "Zebra, b", "zebra, A", "zebra, \xC3\xA0 la",
                      "\xD0\xAF\xD0\xB1\xD0\xBB\xD0\xBE\xD0\xBA\xD0\xBE", "\xD0\x90\xD0\xB8\xD1\x81\xD1\x82", "10", "9",
                      "ecole"});
    // The root collator puts digits first ("10" before "9"), then Latin letters with accents
    // beside the plain ones, then Cyrillic (Аист before Яблоко).
    std::vector<std::string> mains;
    const std::vector<TIndexEntry> index = BuildIndex(p, TIndexOutput::WebHelp);
    for (const TIndexEntry& e : index)
        mains.push_back(e.Text);
    EXPECT_EQ(mains, (std::vector<std::string>{"10", "9", "apple", "ecole", "\xC3\x89" "cole", "zebra",
                                               "\xD0\x90\xD0\xB8\xD1\x81\xD1\x82",
                                               "\xD0\xAF\xD0\xB1\xD0\xBB\xD0\xBE\xD0\xBA\xD0\xBE"}));
    ASSERT_EQ(index[5].SubEntries.size(), 3u);
    EXPECT_EQ(index[5].SubEntries[0].Text, "A");
    EXPECT_EQ(index[5].SubEntries[1].Text, "\xC3\xA0 la");
    EXPECT_EQ(index[5].SubEntries[2].Text, "b");

    // Texts the collator finds equal keep the UTF-16 order: a zero-width space is ignored by
    // the collator but not by the folding.
    TDocProject q;
    Untitled(q, kT1, {"a\u200Bb", "ab"});
    const std::vector<TIndexEntry> tie = BuildIndex(q, TIndexOutput::WebHelp);
    ASSERT_EQ(tie.size(), 2u);
    EXPECT_EQ(tie[0].Text, "ab");
    EXPECT_EQ(tie[1].Text, "a\u200Bb");
}

TEST(IndexEntries, mainEntryWithOnlySubEntriesCarriesNoTopicAndEmptyMainPartsAreLeftOut) {
    TDocProject p;
    Untitled(p, kT1, {"Printing, margins", ", orphan", "", "Printing, "});
    Untitled(p, kT2, {"Export, PDF", "Export, CHM"});
    const std::vector<TIndexEntry> expected = {
        Entry("Export", {}, {Entry("CHM", {kT2}), Entry("PDF", {kT2})}),
        Entry("Printing", {kT1}, {Entry("margins", {kT1})}),
    };
    EXPECT_EQ(BuildIndex(p, TIndexOutput::Chm), expected);
}

// Tree: kT1 (excluded from everything) > kT2; kT3 > kT4; kT5 outside the contents.
TEST(IndexEntries, membershipFollowsEachOutput) {
    TDocProject p;
    Untitled(p, kT1, {"One"}).SetExcludePdf(true);
    p.GetTopic(kT1).SetExcludeChm(true);
    p.GetTopic(kT1).SetExcludeWeb(true);
    Untitled(p, kT2, {"Two", "Shared"}, kT1);
    Untitled(p, kT3, {"Three", "Shared"}).SetExcludeWeb(true);
    Untitled(p, kT4, {"Four, sub"}, kT3).SetExcludeChm(true);
    Untitled(p, kT5, {"Five"});
    p.RootTopicIDs() = {kT1, kT3};

    const struct {
        TIndexOutput Output;
        TIds Topics;
        std::vector<std::string> Mains;
    } cases[] = {
        // A page of its own is enough, under an excluded parent or outside the contents.
        {TIndexOutput::Chm, {kT2, kT3, kT5}, {"Five", "Shared", "Three", "Two"}},
        {TIndexOutput::WebHelp, {kT2, kT4, kT5}, {"Five", "Four", "Shared", "Two"}},
        // A section needs every ancestor included and the topic reachable.
        {TIndexOutput::Pdf, {kT3, kT4}, {"Four", "Shared", "Three"}},
    };
    for (const auto& c : cases) {
        TIds topics;
        for (const TTopic* t : IndexOutputTopics(p, c.Output))
            topics.push_back(t->ID());
        EXPECT_EQ(topics, c.Topics) << static_cast<int>(c.Output);
        std::vector<std::string> mains;
        for (const TIndexEntry& e : BuildIndex(p, c.Output))
            mains.push_back(e.Text);
        EXPECT_EQ(mains, c.Mains) << static_cast<int>(c.Output);
    }
    EXPECT_TRUE(HasIndexEntries(p, TIndexOutput::Pdf));

    // Only excluded topics and empty main parts hold entries: that output has no index of entries.
    TDocProject q;
    AddFixedTopic(q, kT1, "Title").IndexEntries() = {", margins", "  "};
    Untitled(q, kT2, {"Hidden"}).SetExcludeChm(true);
    EXPECT_FALSE(HasIndexEntries(q, TIndexOutput::Chm));
    EXPECT_TRUE(HasIndexEntries(q, TIndexOutput::WebHelp));
}

TEST(IndexEntries, linkCheckReportsEntriesWithAnEmptyMainPart) {
    TTempDir dir;
    TDocProject p;
    p.SetRootPath(IncludeTrailingPathDelimiter(dir / "Proj"));
    TTopic& a = AddFixedTopic(p, kT1, "Alpha");
    a.IndexEntries() = {"Printing, margins", ", margins", " , x", ""};
    AddFixedTopic(p, kT2, "Beta").IndexEntries() = {", orphan"};
    PutFile(a.HtmlPath(), "<p>ok</p>");
    const std::vector<TLinkIssue> expected = {
        {kT1, "Alpha", "Index entry without a main entry: \", margins\""},
        {kT1, "Alpha", "Index entry without a main entry: \" , x\""},
        {kT1, "Alpha", "Index entry without a main entry: \"\""},
        {kT2, "Beta", "Missing HTML file: " + p.GetTopic(kT2).HtmlPath()},
        {kT2, "Beta", "Index entry without a main entry: \", orphan\""},
    };
    EXPECT_EQ(CheckProjectLinks(p), expected);
}
