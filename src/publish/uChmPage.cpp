#include "uChmPage.h"

#include "uHtmlUtils.h"
#include "uRegex.h"
#include "uUtils.h"

std::string RebaseChmImageLinks(std::string_view AHtml) {
    std::string s = ReplaceText(AHtml, "src=\"assets/", "src=\"../assets/", true, true);
    return ReplaceText(s, "src=\"/assets/", "src=\"../assets/", true, true);
}

std::string ClearWhiteBackgroundsChm(std::string_view AHtml) { return MakeWhiteBackgroundColorsTransparent(AHtml); }

std::string ColorFirstTableRow(std::string_view AHtml, const std::string& AColor) {
    static const TRegex row("(<tr\\b[^>]*>)(.*?)(</tr>)", roIgnoreCase | roSingleLine);
    static const TRegex cell("<(td|th)\\b([^>]*)>", roIgnoreCase);
    std::optional<TRegexMatch> m = row.Match(AHtml);
    if (!m)
        return std::string(AHtml);
    const std::string colored = cell.Replace(m->Value(), [&](const TRegexMatch& c) {
        return "<" + std::string(c.Group(1)) + std::string(c.Group(2)) + " bgcolor=\"" + AColor +
               "\" style=\"background-color: " + AColor + ";\">";
    });
    std::string out(AHtml.substr(0, m->Index()));
    out += colored;
    out += AHtml.substr(m->Index() + m->Length());
    return out;
}

std::string StripInvisibleChars(std::string_view AText) {
    std::string s(AText);
    for (const char* ch : {"\xEF\xBB\xBF", "\xE2\x80\x8B", "\xE2\x80\x8C", "\xE2\x80\x8D", "\xE2\x81\xA0", "\xC2\xAD"})
        s = ReplaceText(s, ch, "");
    return s;
}

std::string ChmFooter(const TProjectSettings& ASettings) {
    if (!ASettings.CopyrightEnabled || Trim(ASettings.CopyrightText).empty())
        return {};
    return "<div class=\"sv-footer\">" + HtmlEncodeEntities(ASettings.CopyrightText) + "</div>";
}

std::string BuildChmPage(const std::string& ABody, const std::string& AHeaderHtml, const std::string& AHeaderBg,
                         const std::string& APageBg, const std::string& AFooter, std::string_view ACharset) {
    std::string p;
    p.reserve(ABody.size() + AHeaderHtml.size() + AFooter.size() + 600);
    p += "<html><head><meta http-equiv=\"Content-Type\" content=\"text/html; charset=";
    p += ACharset;
    p += "\"><link rel=\"stylesheet\" href=\"../style.css\"><style>body{margin:0;background:";
    p += APageBg;
    p += ";}";
    p += ".sv-header{padding:12px 16px;background:";
    p += AHeaderBg;
    p += ";}";
    p += ".sv-body{padding:16px;}";
    p += ".sv-body p{margin:0;}";
    p += ".sv-footer{padding:10px 16px;font-size:12px;color:#666;border-top:1px solid #d0d0d0;}";
    p += "</style></head><body>";
    p += "<div class=\"sv-header\">";
    p += AHeaderHtml;
    p += "</div>";
    p += "<div class=\"sv-body\">";
    p += ABody;
    p += "</div>";
    p += AFooter;
    p += "</body></html>";
    return p;
}

std::string EncodeChmPage(std::string_view AHtml, const TWindowsCodePage& ACodePage) {
    static const TRegex rawText("(<(style|script)\\b[^>]*>)(.*?)</\\2\\s*>", roIgnoreCase | roSingleLine);
    std::string out;
    out.reserve(AHtml.size() + AHtml.size() / 8);
    size_t done = 0;
    rawText.ForEachMatch(AHtml, [&](const TRegexMatch& m) {
        const std::string_view content = m.Group(3);
        const size_t start = m.Index() + m.Group(1).size();
        out += ACodePage.Encode(AHtml.substr(done, start - done), TUnmappable::HtmlReference);
        const bool style = LowerAscii(m.Group(2)) == "style";
        out += ACodePage.Encode(content, style ? TUnmappable::CssEscape : TUnmappable::ScriptEscape);
        done = start + content.size();
        return true;
    });
    out += ACodePage.Encode(AHtml.substr(done), TUnmappable::HtmlReference);
    return out;
}
