#include "uToolbarSync.h"

#include "uUtils.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <chrono>
#include <cmath>

TMonotonicMs SteadyClockMs() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

namespace {

std::string_view WithoutPlus(std::string_view AText) {
    if (!AText.empty() && AText.front() == '+')
        AText.remove_prefix(1);
    return AText;
}

int FirstIndexIgnoringCase(const std::vector<std::string>& AItems, std::string_view AText, bool ATrimItems) {
    for (size_t i = 0; i < AItems.size(); ++i)
        if (SameText(ATrimItems ? Trim(AItems[i]) : AItems[i], AText))
            return static_cast<int>(i);
    return -1;
}

}  // namespace

int ReadDecimalInt(std::string_view AText) {
    const std::string_view s = WithoutPlus(AText);
    int value = 0;
    const auto res = std::from_chars(s.data(), s.data() + s.size(), value, 10);
    if (s.empty() || res.ec != std::errc() || res.ptr != s.data() + s.size())
        return 0;
    return value;
}

double ReadDecimalNumber(std::string_view AText) {
    const std::string_view s = WithoutPlus(AText);
    double value = 0;
    const auto res = std::from_chars(s.data(), s.data() + s.size(), value, std::chars_format::general);
    if (s.empty() || res.ec != std::errc() || res.ptr != s.data() + s.size() || !std::isfinite(value))
        return 0;
    return value;
}

TTableSizeText ReadTableSizeText(std::string_view AText) {
    TTableSizeText out;
    const size_t comma = AText.find(',');
    if (comma == std::string_view::npos)
        return out;
    out.HasComma = true;
    out.Rows = ReadDecimalInt(Trim(AText.substr(0, comma)));
    out.Cols = ReadDecimalInt(Trim(AText.substr(comma + 1)));
    return out;
}

int ToolbarBreakGroup(const std::vector<int>& AGroupWidths, int AClientWidth) {
    long long sum = 0;
    for (size_t i = 0; i < AGroupWidths.size(); ++i) {
        const int w = AGroupWidths[i];
        if (w == 0)
            continue;
        if (sum + w > 0 && sum + w > AClientWidth)
            return static_cast<int>(i);
        sum += w;
    }
    return -1;
}

TToolbarSync::TToolbarSync(TMonotonicClock AClock) : FClock(std::move(AClock)) {}

void TToolbarSync::StyleClicked() { FIgnoreStyleSyncUntil = Now() + StyleSpanMs; }

std::optional<int> TToolbarSync::ApplyFontSizeText(std::string_view ABoxText) {
    const int value = ReadDecimalInt(Trim(ABoxText));
    if (value <= 0)
        return std::nullopt;
    FLastAppliedFontSize = std::clamp(value, 8, 200);
    FIgnoreFontSizeSyncUntil = Now() + ValueSpanMs;
    return FLastAppliedFontSize;
}

std::optional<THeadingCommand> TToolbarSync::ChooseHeading(int AIndex, const THeadingSizes& ASizes) {
    static const char* const kCmds[] = {"p", "h1", "h2", "h3"};
    const int sizes[] = {ASizes.Body, ASizes.H1, ASizes.H2, ASizes.H3};
    if (AIndex < 0 || AIndex > 3)
        return std::nullopt;
    FLastAppliedFontSize = sizes[AIndex];
    FIgnoreFontSizeSyncUntil = Now() + ValueSpanMs;
    return THeadingCommand{kCmds[AIndex], sizes[AIndex]};
}

std::optional<std::string> TToolbarSync::ChooseFont(std::string_view AName) {
    std::string name = Trim(AName);
    if (name.empty())
        return std::nullopt;
    FLastAppliedFontName = name;
    FIgnoreFontNameSyncUntil = Now() + ValueSpanMs;
    return name;
}

std::optional<double> TToolbarSync::ApplyLineSpacingText(std::string_view ABoxText, std::string_view ASelectedCaption) {
    const std::string boxText = Trim(ABoxText);
    const std::string text = ReplaceText(boxText.empty() ? Trim(ASelectedCaption) : boxText, ",", ".");
    const double value = ReadDecimalNumber(text);
    if (!(value > 0))
        return std::nullopt;
    FLastAppliedLineHeight = boxText.empty() ? text : boxText;
    FIgnoreLineHeightSyncUntil = Now() + ValueSpanMs;
    return std::max(1.0, value);
}

std::string TToolbarSync::ChooseTextColor(TColor AColor) {
    FLastAppliedTextColor = ColorToHtml(AColor);
    FIgnoreTextColorSyncUntil = Now() + ValueSpanMs;
    return FLastAppliedTextColor;
}

void TToolbarSync::SettingsApplied(const std::string& ATextColorHtml, const std::string& AFontName, int AFontSizePx,
                                   const std::string& ALineHeight) {
    const TMonotonicMs until = Now() + SettingsSpanMs;
    FLastAppliedTextColor = ATextColorHtml;
    FIgnoreTextColorSyncUntil = until;
    FLastAppliedFontName = AFontName;
    FIgnoreFontNameSyncUntil = until;
    FLastAppliedFontSize = AFontSizePx;
    FIgnoreFontSizeSyncUntil = until;
    FLastAppliedLineHeight = ALineHeight;
    FIgnoreLineHeightSyncUntil = until;
}

std::string TToolbarSync::FormatLineHeight(double AValue) {
    std::array<char, 64> buf{};
    const auto res = std::to_chars(buf.data(), buf.data() + buf.size(), AValue, std::chars_format::fixed, 2);
    std::string s(buf.data(), res.ptr);
    if (s.find('.') != std::string::npos) {
        while (!s.empty() && s.back() == '0')
            s.pop_back();
        if (!s.empty() && s.back() == '.')
            s.pop_back();
    }
    return s;
}

TBoxText TToolbarSync::SizeBoxText(int APx, const std::vector<std::string>& AItems) {
    TBoxText out{IntToStr(APx), -1};
    const auto it = std::find(AItems.begin(), AItems.end(), out.Text);
    if (it != AItems.end())
        out.Index = static_cast<int>(it - AItems.begin());
    return out;
}

TBoxText TToolbarSync::LineSpacingBoxText(const std::string& AText, const std::vector<std::string>& AItems) {
    return TBoxText{AText, FirstIndexIgnoringCase(AItems, AText, true)};
}

std::optional<TToolbarShow> TToolbarSync::Follow(const TEditorCursorStyle& S, const TToolbarControls& C) {
    if (FUpdating)
        return std::nullopt;
    const TMonotonicMs now = Now();
    TToolbarShow show;

    if (!InForce(FIgnoreStyleSyncUntil, now)) {
        show.Bold = S.Bold;
        show.Italic = S.Italic;
        show.Underline = S.Underline;
        show.BulletList = SameText(S.ListType, "ul");
        show.NumericList = SameText(S.ListType, "ol");
    }

    if (!C.Heading.Focused) {
        show.Heading = 0;
        for (int level = 1; level <= 3; ++level)
            if (SameText(S.BlockTag, "h" + IntToStr(level)))
                show.Heading = level;
    }

    if (!C.Font.Focused && !C.Font.DroppedDown) {
        const bool accepted = !InForce(FIgnoreFontNameSyncUntil, now) || SameText(S.FontName, FLastAppliedFontName);
        if (accepted && !S.FontName.empty()) {
            const int index = FirstIndexIgnoringCase(C.Font.Items, S.FontName, false);
            if (index >= 0)
                show.Font = index;
        }
    }

    if (!C.FontSize.Focused && S.FontSizePx > 0 &&
        (!InForce(FIgnoreFontSizeSyncUntil, now) || FLastAppliedFontSize <= 0 || S.FontSizePx == FLastAppliedFontSize)) {
        if (FLastAppliedFontSize > 0 && FLastAppliedFontSize == S.FontSizePx)
            FIgnoreFontSizeSyncUntil = 0;
        show.FontSize = SizeBoxText(S.FontSizePx, C.FontSize.Items);
    }

    if (!C.TextColor.Focused && !C.TextColor.DroppedDown) {
        const bool accepted =
            !InForce(FIgnoreTextColorSyncUntil, now) || SameText(S.TextColorHtml, FLastAppliedTextColor);
        if (accepted && !S.TextColorHtml.empty())
            show.TextColor = HtmlToColor(S.TextColorHtml, C.CurrentTextColor);
    }

    if (S.Align.empty() || SameText(S.Align, "left"))
        show.Align = TTextAlign::taLeft;
    else if (SameText(S.Align, "center"))
        show.Align = TTextAlign::taCenter;
    else if (SameText(S.Align, "right"))
        show.Align = TTextAlign::taRight;

    if (!C.LineSpacing.Focused)
        FollowLineHeight(S, now, show, C.LineSpacing.Items);
    return show;
}

void TToolbarSync::FollowLineHeight(const TEditorCursorStyle& S, TMonotonicMs ANow, TToolbarShow& AShow,
                                    const std::vector<std::string>& AItems) {
    std::string L = Trim(S.LineHeight);
    if (!L.empty() && FindText(L, "px") != std::string::npos && S.FontSizePx > 0) {
        const std::string number = ReplaceText(Trim(ReplaceText(LowerAscii(L), "px", "")), ",", ".");
        const double px = ReadDecimalNumber(number);
        if (px > 0)
            L = FormatLineHeight(std::max(1.0, px / S.FontSizePx));
    }
    const bool applied = !FLastAppliedLineHeight.empty();
    if (InForce(FIgnoreLineHeightSyncUntil, ANow) && applied && !SameText(L, FLastAppliedLineHeight))
        return;
    if (applied && SameText(FLastAppliedLineHeight, L))
        FIgnoreLineHeightSyncUntil = 0;
    if (!L.empty())
        AShow.LineSpacing = LineSpacingBoxText(L, AItems);
}
