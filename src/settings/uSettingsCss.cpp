#include "uSettingsCss.h"

#include "uUtils.h"

namespace {

// The settings' values as they go into the block.
struct TCssValues {
    std::string LinkStyle;
    bool LinkNone = false;
    std::string FontName;
    std::string BodySize;
    std::string TextColor;
    std::string LineHeight;
    std::string LinkColor;
    std::string TableStyle;
    std::string TableWidth;
    std::string TableColor;
    std::string HeaderBg;
};

TCssValues PrepareValues(const TProjectSettings& S) {
    TCssValues v;
    v.LinkStyle = LowerAscii(Trim(S.LinkStyle));
    if (v.LinkStyle.empty())
        v.LinkStyle = "solid";
    v.LinkNone = SameText(v.LinkStyle, "none");
    v.FontName = Trim(S.DefaultFontName);
    if (v.FontName.empty())
        v.FontName = "Segoe UI";
    v.FontName = ReplaceText(v.FontName, "\"", "\\\"");
    v.BodySize = IntToStr(S.FontSizeBody);
    v.TextColor = ColorToHex(S.DefaultTextColor);
    v.LineHeight = FormatLineSpacing(S.DefaultLineSpacing);
    v.LinkColor = ColorToHex(S.LinkColor);
    v.TableStyle = LowerAscii(Trim(S.TableBorderStyle));
    v.TableWidth = IntToStr(S.TableBorderWidth);
    v.TableColor = ColorToHex(S.TableBorderColor);
    v.HeaderBg = ColorToHex(S.DefaultHeaderBgColor);
    return v;
}

// Collects CR LF terminated lines.
class TCssLines {
public:
    TCssLines& operator<<(std::string_view ALine) {
        FText += ALine;
        FText += "\r\n";
        return *this;
    }
    std::string Text() const { return FText; }

private:
    std::string FText;
};

// Lines 1 to 10, shared by both forms: the body rule and the opening of the link rule.
void AppendBodyAndLinkColor(TCssLines& L, const TCssValues& v) {
    L << "" << "/* Project settings overrides */"
      << "body {"
      << "  font-family: \"" + v.FontName + "\", Arial, sans-serif !important;"
      << "  font-size: " + v.BodySize + "px !important;"
      << "  color: " + v.TextColor + " !important;"
      << "  line-height: " + v.LineHeight + " !important;"
      << "}"
      << "a, a:link, a:visited {"
      << "  color: " + v.LinkColor + " !important;";
}

}  // namespace

std::string BuildSettingsCss(const TProjectSettings* ASettings) {
    if (!ASettings)
        return "";
    const TCssValues v = PrepareValues(*ASettings);
    TCssLines L;
    AppendBodyAndLinkColor(L, v);
    if (v.LinkNone)
        L << "  text-decoration: none !important;";
    else
        L << "  text-decoration-line: underline !important;"
          << "  text-decoration-style: " + v.LinkStyle + " !important;";
    L << "}"
      << "table {"
      << "  border-collapse: collapse;"
      << "  max-width: 100%;"
      << "}"
      << "table, td, th {"
      << "  border-style: " + v.TableStyle + " !important;"
      << "  border-width: " + v.TableWidth + "px !important;"
      << "  border-color: " + v.TableColor + " !important;"
      << "}"
      << "td, th {"
      << "  padding: 6px;"
      << "  vertical-align: top;"
      << "}"
      << "table tr:first-child > td, table tr:first-child > th {"
      << "  background: " + v.HeaderBg + " !important;"
      << "  background-color: " + v.HeaderBg + " !important;"
      << "}";
    return L.Text();
}

std::string BuildChmSettingsCss(const TProjectSettings* ASettings) {
    if (!ASettings)
        return "";
    const TCssValues v = PrepareValues(*ASettings);
    const std::string border = "  border: " + v.TableWidth + "px " + v.TableStyle + " " + v.TableColor + " !important;";
    TCssLines L;
    AppendBodyAndLinkColor(L, v);
    L << "  text-decoration: none !important;";
    if (v.LinkNone)
        L << "  border-bottom: none !important;";
    else
        L << "  border-bottom-width: 1px !important;"
          << "  border-bottom-style: " + v.LinkStyle + " !important;"
          << "  border-bottom-color: " + v.LinkColor + " !important;";
    L << "}"
      << "table {"
      << "  border-collapse: collapse;"
      << "  max-width: 100%;"
      << border
      << "}"
      << "td, th {"
      << border
      << "  padding: 6px;"
      << "  vertical-align: top;"
      << "}"
      << "table thead td, table thead th, table tr:first-child td, table tr:first-child th {"
      << "  background: " + v.HeaderBg + " !important;"
      << "  background-color: " + v.HeaderBg + " !important;"
      << "}";
    return L.Text();
}

std::string WriteEditorEffectiveCss(const TDocProject& AProject, const TProjectSettings& ASettings, bool* AWritten) {
    const std::string root = AProject.RootPath();
    const std::string styles = CombinePath(root, "styles");
    std::string candidate = CombinePath(styles, AProject.StyleProfile() + ".css");
    if (!FileExists(candidate))
        candidate = CombinePath(styles, "default.css");
    const std::string output = CombinePath(CombinePath(CombinePath(root, "internal"), "editor"), "editor_effective.css");
    const std::string base = FileExists(candidate) ? ReadUtf8File(candidate) : std::string(FallbackBaseCss);
    const std::string css = base + "\r\n" + BuildSettingsCss(&ASettings);
    // The editor asks for this at every topic it shows: reading the small file back is much
    // cheaper than replacing it.
    const bool same = FileExists(output) && ReadFileBytes(output) == css;
    if (!same)
        WriteUtf8File(output, css);
    if (AWritten)
        *AWritten = !same;
    return output;
}
