#include "uToolbarSync.h"

#include <gtest/gtest.h>

namespace {

const std::vector<std::string> kSizes = {"8",  "9",  "10", "11", "12", "14", "16", "18", "20", "22",
                                         "24", "26", "28", "32", "36", "40", "48", "60", "72"};
const std::vector<std::string> kSpacings = {"1.0", "1.15", "1.2", "1.5", "2.0"};
const std::vector<std::string> kFonts = {"Arial", "Georgia", "Times New Roman"};

// A toolbar whose clock the test sets.
struct TSyncFixture {
    TMonotonicMs Clock = 0;
    TToolbarSync Sync{[this] { return Clock; }};
    TToolbarControls Controls;
    TSyncFixture() {
        Controls.FontSize.Items = kSizes;
        Controls.LineSpacing.Items = kSpacings;
        Controls.Font.Items = kFonts;
    }
    TToolbarShow Report(const TEditorCursorStyle& S) {
        auto show = Sync.Follow(S, Controls);
        EXPECT_TRUE(show.has_value());
        return show.value_or(TToolbarShow{});
    }
};

TEditorCursorStyle Style(int APx, const std::string& AFont = "", const std::string& AColor = "") {
    TEditorCursorStyle s;
    s.FontSizePx = APx;
    s.FontName = AFont;
    s.TextColorHtml = AColor;
    return s;
}

}  // namespace

TEST(ToolbarSync, SizeBoxTextIsClampedAndNonNumbersSendNothing) {
    const struct {
        const char* Text;
        std::optional<int> Sent;
    } cases[] = {{"250", 200}, {"5", 8}, {"abc", std::nullopt}, {" 24 ", 24}, {"0", std::nullopt},
                 {"-3", std::nullopt}, {"", std::nullopt}, {"12px", std::nullopt}, {"+16", 16}};
    for (const auto& c : cases) {
        TSyncFixture f;
        f.Clock = 5000;
        EXPECT_EQ(f.Sync.ApplyFontSizeText(c.Text), c.Sent) << c.Text;
        EXPECT_EQ(f.Sync.FontSizeUntil(), c.Sent ? 5700 : 0) << c.Text;
    }
}

// Each step sets the clock, then either applies a size from the box (Choose > 0) or receives a
// report of that size; Shows is the text the size box must take (nothing: it stays).
TEST(ToolbarSync, SizeReportsWithinTheDeadline) {
    struct TStep {
        TMonotonicMs At;
        int Choose;
        int Report;
        const char* Shows;
    };
    const TMonotonicMs wrap = TMonotonicMs(1) << 32;
    const struct {
        const char* Name;
        std::vector<TStep> Steps;
    } scenarios[] = {
        {"a disagreeing report inside the span keeps the chosen size",
         {{1000, 24, 0, nullptr}, {1300, 0, 16, nullptr}, {1699, 0, 16, nullptr}, {1700, 0, 16, "16"}}},
        {"a matching report ends the span, so the next one shows at once",
         {{1000, 24, 0, nullptr}, {1300, 0, 16, nullptr}, {1400, 0, 24, "24"}, {1450, 0, 16, "16"}}},
        {"nothing applied yet: every report shows", {{0, 0, 16, "16"}, {1, 0, 15, "15"}}},
        {"a size of 0 is not shown", {{10, 0, 0, nullptr}}},
        {"the span holds across the 32-bit millisecond wrap",
         {{wrap - 100, 24, 0, nullptr}, {wrap - 90, 0, 16, nullptr}, {wrap + 500, 0, 16, nullptr},
          {wrap + 600, 0, 16, "16"}}},
    };
    for (const auto& sc : scenarios) {
        TSyncFixture f;
        for (const TStep& st : sc.Steps) {
            f.Clock = st.At;
            if (st.Choose > 0) {
                f.Sync.ApplyFontSizeText(std::to_string(st.Choose));
                continue;
            }
            const TToolbarShow show = f.Report(Style(st.Report));
            ASSERT_EQ(show.FontSize.has_value(), st.Shows != nullptr) << sc.Name << " at " << st.At;
            if (st.Shows) {
                EXPECT_EQ(show.FontSize->Text, st.Shows) << sc.Name;
            }
        }
    }
}

TEST(ToolbarSync, SizeBoxSelectsTheEntryOrNoneForSizesOffTheList) {
    TSyncFixture f;
    const TToolbarShow at24 = f.Report(Style(24));
    EXPECT_EQ(at24.FontSize->Text, "24");
    EXPECT_EQ(at24.FontSize->Index, 10);
    const TToolbarShow at15 = f.Report(Style(15));
    EXPECT_EQ(at15.FontSize->Text, "15");
    EXPECT_EQ(at15.FontSize->Index, -1);
    f.Controls.FontSize.Focused = true;
    EXPECT_FALSE(f.Report(Style(30)).FontSize);
}

TEST(ToolbarSync, StyleButtonsIgnoreEveryReportWhileTheirDeadlineIsInForce) {
    TSyncFixture f;
    f.Clock = 100;
    f.Sync.StyleClicked();
    TEditorCursorStyle s = Style(16);
    s.ListType = "UL";
    f.Clock = 449;
    EXPECT_FALSE(f.Report(s).Bold);
    EXPECT_FALSE(f.Report(s).BulletList);
    f.Clock = 450;
    const TToolbarShow show = f.Report(s);
    EXPECT_EQ(show.Bold, false);
    EXPECT_EQ(show.BulletList, true);
    EXPECT_EQ(show.NumericList, false);
}

// Font name and colour accept only a report that matches until the deadline runs out, even after
// a matching one.
TEST(ToolbarSync, FontNameAndColourAcceptOnlyMatchingReportsInsideTheSpan) {
    TSyncFixture f;
    f.Clock = 1000;
    EXPECT_EQ(f.Sync.ChooseFont("  Georgia "), std::optional<std::string>("Georgia"));
    EXPECT_EQ(f.Sync.ChooseTextColor(0x0000FF), "#FF0000");
    EXPECT_EQ(f.Sync.ChooseFont("   "), std::nullopt);
    f.Controls.CurrentTextColor = 0x123456;

    const struct {
        TMonotonicMs At;
        const char* Font;
        const char* Color;
        std::optional<int> FontShown;
        std::optional<TColor> ColorShown;
    } steps[] = {
        {1100, "Arial", "#000000", std::nullopt, std::nullopt},
        {1200, "georgia", "#ff0000", 1, 0x0000FF},
        {1300, "Arial", "#000000", std::nullopt, std::nullopt},
        {1700, "Times New Roman", "#00FF00", 2, 0x00FF00},
        {1800, "Unknown Sans", "#GG0000", std::nullopt, 0x123456},  // no entry; unreadable colour: fallback
        {1900, "", "", std::nullopt, std::nullopt},
    };
    for (const auto& st : steps) {
        f.Clock = st.At;
        const TToolbarShow show = f.Report(Style(16, st.Font, st.Color));
        EXPECT_EQ(show.Font, st.FontShown) << st.At;
        EXPECT_EQ(show.TextColor, st.ColorShown) << st.At;
    }
    f.Controls.Font.DroppedDown = true;
    f.Controls.TextColor.Focused = true;
    const TToolbarShow closed = f.Report(Style(16, "Arial", "#000000"));
    EXPECT_FALSE(closed.Font);
    EXPECT_FALSE(closed.TextColor);
}

TEST(ToolbarSync, LineHeightReportsAreReadInFactorsOfTheFontSize) {
    const struct {
        const char* LineHeight;
        int Px;
        const char* Text;  // nullptr: the box is left alone
        int Index;
    } cases[] = {
        {"24px", 16, "1.5", 3},  {"24px", 0, "24px", -1}, {"20px", 16, "1.25", -1}, {"10px", 14, "1", -1},
        {" 1.15 ", 14, "1.15", 1}, {"2.0", 14, "2.0", 4},   {"", 14, nullptr, -1},     {"abcpx", 16, "abcpx", -1},
        {"21,6PX", 12, "1.8", -1},
    };
    for (const auto& c : cases) {
        TSyncFixture f;
        TEditorCursorStyle s = Style(c.Px);
        s.LineHeight = c.LineHeight;
        const TToolbarShow show = f.Report(s);
        ASSERT_EQ(show.LineSpacing.has_value(), c.Text != nullptr) << c.LineHeight;
        if (c.Text) {
            EXPECT_EQ(show.LineSpacing->Text, c.Text) << c.LineHeight;
            EXPECT_EQ(show.LineSpacing->Index, c.Index) << c.LineHeight;
        }
    }
}

TEST(ToolbarSync, LineHeightDeadlineRejectsOthersAndEndsOnAMatch) {
    TSyncFixture f;
    f.Clock = 1000;
    EXPECT_EQ(f.Sync.ApplyLineSpacingText("", "2.0"), 2.0);
    TEditorCursorStyle s = Style(16);
    s.LineHeight = "1.5";
    f.Clock = 1200;
    EXPECT_FALSE(f.Report(s).LineSpacing);
    s.LineHeight = "32px";  // 2 at 16 px, but "2" is not the text "2.0" that was applied
    EXPECT_FALSE(f.Report(s).LineSpacing);
    s.LineHeight = "2.0";
    EXPECT_EQ(f.Report(s).LineSpacing->Text, "2.0");
    EXPECT_EQ(f.Sync.LineHeightUntil(), 0);
    s.LineHeight = "1.5";
    EXPECT_EQ(f.Report(s).LineSpacing->Text, "1.5");
}

TEST(ToolbarSync, LineSpacingBoxTextIsReadWithCommaOrPoint) {
    const struct {
        const char* Box;
        const char* Selected;
        std::optional<double> Sent;
        const char* Kept;
    } cases[] = {{"1,5", "", 1.5, "1,5"}, {" 1.15 ", "1.5", 1.15, "1.15"}, {"", " 2.0 ", 2.0, "2.0"},
                 {"", "1,2", 1.2, "1.2"}, {"0.5", "", 1.0, "0.5"},       {"abc", "1.5", std::nullopt, ""},
                 {"", "", std::nullopt, ""}, {"-2", "", std::nullopt, ""}};
    for (const auto& c : cases) {
        TSyncFixture f;
        f.Clock = 10;
        EXPECT_EQ(f.Sync.ApplyLineSpacingText(c.Box, c.Selected), c.Sent) << c.Box;
        EXPECT_EQ(f.Sync.LastAppliedLineHeight(), c.Kept) << c.Box;
        EXPECT_EQ(f.Sync.LineHeightUntil(), c.Sent ? 710 : 0) << c.Box;
    }
}

TEST(ToolbarSync, AlignmentHeadingAndFocusedControls) {
    const struct {
        const char* Align;
        std::optional<TTextAlign> Shown;
    } aligns[] = {{"", TTextAlign::taLeft},          {"LEFT", TTextAlign::taLeft}, {"center", TTextAlign::taCenter},
                  {"Right", TTextAlign::taRight},    {"justify", std::nullopt},    {"start", std::nullopt}};
    for (const auto& a : aligns) {
        TSyncFixture f;
        TEditorCursorStyle s = Style(16);
        s.Align = a.Align;
        EXPECT_EQ(f.Report(s).Align, a.Shown) << a.Align;
    }
    const struct {
        const char* Tag;
        int Heading;
    } tags[] = {{"h1", 1}, {"H2", 2}, {"h3", 3}, {"h4", 0}, {"p", 0}, {"", 0}};
    for (const auto& t : tags) {
        TSyncFixture f;
        TEditorCursorStyle s = Style(16);
        s.BlockTag = t.Tag;
        EXPECT_EQ(f.Report(s).Heading, t.Heading) << t.Tag;
    }
    // A focused heading box is left alone; the other controls still follow.
    TSyncFixture f;
    f.Controls.Heading.Focused = true;
    TEditorCursorStyle s = Style(16);
    s.BlockTag = "h2";
    s.Bold = true;
    const TToolbarShow show = f.Report(s);
    EXPECT_FALSE(show.Heading);
    EXPECT_EQ(show.Bold, true);
    EXPECT_EQ(show.FontSize->Text, "16");
}

TEST(ToolbarSync, ReportsWhileUpdatingAreDroppedWhole) {
    TSyncFixture f;
    {
        TToolbarSync::TUpdatingScope outer(f.Sync);
        {
            TToolbarSync::TUpdatingScope inner(f.Sync);
        }
        EXPECT_TRUE(f.Sync.Updating());
        EXPECT_FALSE(f.Sync.Follow(Style(16), f.Controls));
    }
    EXPECT_FALSE(f.Sync.Updating());
    EXPECT_TRUE(f.Sync.Follow(Style(16), f.Controls));
}

TEST(ToolbarSync, HeadingChoiceSendsItsSizeAndSettingsSetFourDeadlinesFromOneReading) {
    TSyncFixture f;
    f.Clock = 40;
    const THeadingSizes sizes{14, 28, 22, 18};
    const auto h2 = f.Sync.ChooseHeading(2, sizes);
    ASSERT_TRUE(h2);
    EXPECT_EQ(h2->Cmd, "h2");
    EXPECT_EQ(h2->FontSizePx, 22);
    EXPECT_EQ(f.Sync.LastAppliedFontSize(), 22);
    EXPECT_EQ(f.Sync.FontSizeUntil(), 740);
    EXPECT_EQ(f.Sync.ChooseHeading(0, sizes)->Cmd, "p");
    EXPECT_FALSE(f.Sync.ChooseHeading(4, sizes));

    TMonotonicMs ticks = 1000;
    TToolbarSync counting([&] { return ticks++; });
    counting.SettingsApplied("#112233", "Georgia", 15, "1.5");
    EXPECT_EQ(counting.TextColorUntil(), 2200);
    EXPECT_EQ(counting.FontNameUntil(), 2200);
    EXPECT_EQ(counting.FontSizeUntil(), 2200);
    EXPECT_EQ(counting.LineHeightUntil(), 2200);
    EXPECT_EQ(counting.LastAppliedFontSize(), 15);
    EXPECT_EQ(counting.LastAppliedLineHeight(), "1.5");
}

TEST(ToolbarSync, FormatLineHeightTableSizeAndToolbarBreak) {
    const struct {
        double X;
        const char* Text;
    } heights[] = {{1.5, "1.5"}, {1.25, "1.25"}, {1.0, "1"}, {2.0, "2"}, {1.333, "1.33"}, {10.0, "10"}, {1.999, "2"}};
    for (const auto& h : heights)
        EXPECT_EQ(TToolbarSync::FormatLineHeight(h.X), h.Text) << h.X;

    const struct {
        const char* Text;
        bool HasComma, Valid;
    } tables[] = {{"2,2", true, true}, {" 4 , 5 ", true, true}, {"3,x", true, false},
                  {"3", false, false}, {"0,3", true, false},    {"3,4,5", true, false}};
    for (const auto& t : tables) {
        const TTableSizeText r = ReadTableSizeText(t.Text);
        EXPECT_EQ(r.HasComma, t.HasComma) << t.Text;
        EXPECT_EQ(r.Valid(), t.Valid) << t.Text;
    }
    EXPECT_EQ(ReadTableSizeText(" 4 , 5 ").Cols, 5);

    const struct {
        std::vector<int> Widths;
        int Client, Break;
    } breaks[] = {{{10, 10, 10}, 30, -1}, {{10, 10, 10}, 29, 2}, {{10, 0, 25}, 30, 2},
                  {{40, 10}, 30, 0},      {{}, 10, -1},          {{0, 0}, 0, -1}};
    for (const auto& b : breaks)
        EXPECT_EQ(ToolbarBreakGroup(b.Widths, b.Client), b.Break) << b.Client;
}
