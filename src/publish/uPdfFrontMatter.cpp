#include "uPdfFrontMatter.h"

#include "uHtmlUtils.h"
#include "uUtils.h"

#include <algorithm>
#include <cstdio>

namespace {

const char* const CrLf = "\r\n";

// Indentation of a contents entry per level of depth, and the deepest level indented further.
constexpr double IndentPerLevelMm = 6;
constexpr int DeepestIndentedLevel = 8;

std::string Millimetres(double AValue) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%gmm", AValue);
    return buf;
}

// Height of the page's text area, a little less so that rounding never pushes the title page's
// box onto a second page.
double TitlePageHeightMm(TPdfPaper APaper) {
    const double paperMm = PdfPaperHeightPt(APaper) / 72 * 25.4;
    return paperMm - ManualMargins.FTop - ManualMargins.FBottom - 3;
}

}  // namespace

bool HasFrontPages(const TPdfFrontMatter& AFrontMatter) {
    return !AFrontMatter.FTitle.empty() || !AFrontMatter.FEntries.empty();
}

std::string BuildPdfFrontMatterHtml(const TPdfFrontMatter& AFrontMatter, TPdfPaper APaper,
                                    const std::string& AStyleSheetHref) {
    std::vector<std::string> lines = {
        "<!doctype html>",
        "<html>",
        "<head>",
        "<meta charset=\"utf-8\">",
        "<title>" + HtmlEncodeEntities(AFrontMatter.FTitle) + "</title>",
    };
    if (!AStyleSheetHref.empty())
        lines.push_back("<link rel=\"stylesheet\" href=\"" + HtmlEncodeEntities(AStyleSheetHref) + "\">");
    lines.push_back("<style>");
    const std::vector<std::string> pageCss = ManualPageCssLines(APaper);
    lines.insert(lines.end(), pageCss.begin(), pageCss.end());
    lines.insert(lines.end(), {
        // The title page fills the text area and centres its content both ways.
        ".pw-title-page { display:flex; flex-direction:column; justify-content:center; align-items:center;"
        " text-align:center; min-height:" + Millimetres(TitlePageHeightMm(APaper)) + "; break-after:page; }",
        ".pw-title { font-size:30pt; font-weight:bold; line-height:1.25; margin:0 0 10mm 0;"
        " overflow-wrap:anywhere; }",
        ".pw-footer { font-size:11pt; margin:0; }",
        ".pw-contents-heading { font-size:20pt; margin:0 0 6mm 0; }",
        // Title, leader and number in a row: the title wraps in its own box, the number keeps its
        // place on the entry's last line, the leader fills what is left between them.
        "a.pw-entry { display:flex; align-items:flex-end; margin:0 0 1.2mm 0; break-inside:avoid; }",
        // The entries read as text, whatever the settings' link colour and underline say.
        "a.pw-entry, a.pw-entry:link, a.pw-entry:visited { color:inherit !important; text-decoration:none !important; }",
        ".pw-entry-title { flex:0 1 auto; min-width:0; overflow-wrap:anywhere; }",
        ".pw-entry-leader { flex:1 0 8mm; border-bottom:1.2pt dotted currentColor; margin:0 2mm 0.3em 2mm; }",
        ".pw-entry-page { flex:0 0 auto; min-width:7mm; text-align:right; }",
        ".pw-depth-0 { font-weight:bold; margin-top:2.5mm !important; }",
        "</style>",
        "</head>",
        "<body>",
    });
    if (!AFrontMatter.FTitle.empty()) {
        lines.push_back("<div class=\"pw-title-page\">");
        lines.push_back("<p class=\"pw-title\">" + HtmlEncodeEntities(AFrontMatter.FTitle) + "</p>");
        if (!AFrontMatter.FFooterHtml.empty())
            lines.push_back("<p class=\"pw-footer\">" + AFrontMatter.FFooterHtml + "</p>");
        lines.push_back("</div>");
    }
    if (!AFrontMatter.FEntries.empty()) {
        lines.push_back("<div class=\"pw-contents\">");
        lines.push_back("<h1 class=\"pw-contents-heading\">Contents</h1>");
        for (const TPdfContentsEntry& e : AFrontMatter.FEntries) {
            const int level = std::clamp(e.FDepth, 0, DeepestIndentedLevel);
            lines.push_back("<a class=\"pw-entry pw-depth-" + IntToStr(level) + "\" href=\"" +
                            HtmlEncodeEntities(e.FLink) + "\" style=\"padding-left:" +
                            Millimetres(level * IndentPerLevelMm) + "\"><span class=\"pw-entry-title\">" +
                            HtmlEncodeEntities(e.FTitle) + "</span><span class=\"pw-entry-leader\"></span>" +
                            "<span class=\"pw-entry-page\">" + IntToStr(e.FPageNumber) + "</span></a>");
        }
        lines.push_back("</div>");
    }
    lines.push_back("</body>");
    lines.push_back("</html>");
    std::string out;
    for (const std::string& line : lines)
        out += line + CrLf;
    return out;
}
