// TToolbarSync: how the formatting toolbar and the caret's style reports meet, without widgets.
//
// The page reports the style at the caret asynchronously, so a report that arrives shortly after
// the author picked a value can still carry the old value. For each kind of value the class keeps
// the value last applied and a deadline until which a disagreeing report is ignored:
//   - font size and line height accept any report while none of theirs was applied yet, and a
//     report that matches ends their deadline at once;
//   - font name and text colour accept only a matching report until their deadline runs out;
//   - bold, italic, underline and the list buttons accept no report while theirs is in force.
// The window describes its controls (focus, open list, entries) and the class says what each one
// must show. Deadlines are taken from a monotonic 64-bit millisecond clock, which can be replaced
// (tests set it by hand). A deadline is in force while "now" is below it.
//
// Updating() is set while the window changes its own controls; the change handlers do nothing
// meanwhile, and a style report that arrives then is dropped whole. One object per toolbar, on
// the user-interface thread.
#pragma once

#include "uColors.h"
#include "uEditorProtocol.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

using TMonotonicMs = int64_t;
using TMonotonicClock = std::function<TMonotonicMs()>;

// Milliseconds since an arbitrary fixed point, never going back.
TMonotonicMs SteadyClockMs();

// What the class needs of a list control.
struct TListControlState {
    bool Focused = false;
    bool DroppedDown = false;
    std::vector<std::string> Items;
};

// What the toolbar's controls look like when a report arrives.
struct TToolbarControls {
    TListControlState Heading, Font, FontSize, TextColor, LineSpacing;
    TColor CurrentTextColor = 0;  // the colour box's value, the fallback of unreadable colour text
};

// A box that shows a text and selects the list entry of that text; Index -1 when there is none
// (the box then keeps showing the text).
struct TBoxText {
    std::string Text;
    int Index = -1;
};

// What each control must show after a report; an empty member leaves the control as it is.
struct TToolbarShow {
    std::optional<bool> Bold, Italic, Underline, BulletList, NumericList;
    std::optional<int> Heading;  // 0 standard text, 1 to 3 H1 to H3
    std::optional<int> Font;     // index into the font list
    std::optional<TBoxText> FontSize;
    std::optional<TColor> TextColor;
    std::optional<TTextAlign> Align;
    std::optional<TBoxText> LineSpacing;
};

// A command for the page with the font size that goes with it.
struct THeadingCommand {
    std::string Cmd;  // "p", "h1", "h2", "h3"
    int FontSizePx = 0;
};

// The four heading sizes of the project settings.
struct THeadingSizes {
    int Body = 0, H1 = 0, H2 = 0, H3 = 0;
};

class TToolbarSync {
public:
    static constexpr TMonotonicMs StyleSpanMs = 350;
    static constexpr TMonotonicMs ValueSpanMs = 700;
    static constexpr TMonotonicMs SettingsSpanMs = 1200;

    explicit TToolbarSync(TMonotonicClock AClock = SteadyClockMs);
    void SetClock(TMonotonicClock AClock) { FClock = std::move(AClock); }

    // ---- programmatic updates -------------------------------------------------------------
    bool Updating() const { return FUpdating; }
    // Sets Updating() for its lifetime (nested scopes keep it set until the outermost ends).
    class TUpdatingScope {
    public:
        explicit TUpdatingScope(TToolbarSync& ASync) : FSync(ASync), FWas(ASync.FUpdating) { FSync.FUpdating = true; }
        ~TUpdatingScope() { FSync.FUpdating = FWas; }
        TUpdatingScope(const TUpdatingScope&) = delete;
        TUpdatingScope& operator=(const TUpdatingScope&) = delete;

    private:
        TToolbarSync& FSync;
        bool FWas;
    };

    // ---- the author's choices (each records its value and deadline) ------------------------
    // Bold, Italic, Underline, Bullet List or Numeric List clicked.
    void StyleClicked();
    // The size box applied: its text trimmed, read as a decimal integer; nothing for 0 or less
    // (or text that is not a number), else the value clamped to 8..200.
    std::optional<int> ApplyFontSizeText(std::string_view ABoxText);
    // Heading item AIndex chosen (0 standard text, 1..3 H1..H3); nothing for another index.
    std::optional<THeadingCommand> ChooseHeading(int AIndex, const THeadingSizes& ASizes);
    // A font chosen: the name trimmed; nothing when empty.
    std::optional<std::string> ChooseFont(std::string_view AName);
    // The line-spacing box applied: its text, or the selected caption when the text is empty.
    // Nothing when it does not read as a number above 0 ("," counts as "."); else the value,
    // raised to 1 when below 1.
    std::optional<double> ApplyLineSpacingText(std::string_view ABoxText, std::string_view ASelectedCaption);
    // A colour chosen; answers its colour text.
    std::string ChooseTextColor(TColor AColor);
    // The project settings pushed into the page: four deadlines from one clock reading.
    void SettingsApplied(const std::string& ATextColorHtml, const std::string& AFontName, int AFontSizePx,
                         const std::string& ALineHeight);

    // ---- following the caret ----------------------------------------------------------------
    // What the controls must show for a report; nothing while Updating() (the report is dropped).
    // The caller holds a TUpdatingScope while it shows the answer.
    std::optional<TToolbarShow> Follow(const TEditorCursorStyle& S, const TToolbarControls& AControls);

    // x with two decimals, "." as separator, trailing zeros and then a trailing "." removed.
    static std::string FormatLineHeight(double AValue);
    // The size box's text for a size and the entry among AItems with exactly that text.
    static TBoxText SizeBoxText(int APx, const std::vector<std::string>& AItems);
    // The line-spacing box's text and the first entry whose trimmed caption equals it ignoring case.
    static TBoxText LineSpacingBoxText(const std::string& AText, const std::vector<std::string>& AItems);

    // ---- state, for the window and the tests -----------------------------------------------
    int LastAppliedFontSize() const { return FLastAppliedFontSize; }
    const std::string& LastAppliedLineHeight() const { return FLastAppliedLineHeight; }
    const std::string& LastAppliedTextColor() const { return FLastAppliedTextColor; }
    const std::string& LastAppliedFontName() const { return FLastAppliedFontName; }
    TMonotonicMs FontSizeUntil() const { return FIgnoreFontSizeSyncUntil; }
    TMonotonicMs LineHeightUntil() const { return FIgnoreLineHeightSyncUntil; }
    TMonotonicMs TextColorUntil() const { return FIgnoreTextColorSyncUntil; }
    TMonotonicMs FontNameUntil() const { return FIgnoreFontNameSyncUntil; }
    TMonotonicMs StyleUntil() const { return FIgnoreStyleSyncUntil; }

private:
    TMonotonicMs Now() const { return FClock(); }
    static bool InForce(TMonotonicMs AUntil, TMonotonicMs ANow) { return ANow < AUntil; }
    void FollowLineHeight(const TEditorCursorStyle& S, TMonotonicMs ANow, TToolbarShow& AShow,
                          const std::vector<std::string>& AItems);

    TMonotonicClock FClock;
    bool FUpdating = false;
    int FLastAppliedFontSize = 0;
    TMonotonicMs FIgnoreFontSizeSyncUntil = 0;
    std::string FLastAppliedLineHeight;
    TMonotonicMs FIgnoreLineHeightSyncUntil = 0;
    std::string FLastAppliedTextColor;
    TMonotonicMs FIgnoreTextColorSyncUntil = 0;
    TMonotonicMs FIgnoreStyleSyncUntil = 0;
    std::string FLastAppliedFontName;
    TMonotonicMs FIgnoreFontNameSyncUntil = 0;
};

// Text read as a whole decimal integer (an optional sign, digits); 0 when it is not one.
int ReadDecimalInt(std::string_view AText);
// Text read as a whole number with "." as decimal separator; 0 when it does not read.
double ReadDecimalNumber(std::string_view AText);

// The "Rows,Cols" text of Add Table. Without a comma the command is dropped altogether (no
// table, no focus change); with one, the table is inserted only when both numbers are above 0.
struct TTableSizeText {
    bool HasComma = false;
    int Rows = 0, Cols = 0;
    bool Valid() const { return HasComma && Rows > 0 && Cols > 0; }
};
TTableSizeText ReadTableSizeText(std::string_view AText);

// Where a toolbar of groups wraps: the index of the first group that would bring a positive
// running sum of widths above AClientWidth (groups of width 0 are passed over), or -1 when all
// fit.
int ToolbarBreakGroup(const std::vector<int>& AGroupWidths, int AClientWidth);
