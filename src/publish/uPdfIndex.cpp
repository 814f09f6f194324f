#include "uPdfIndex.h"

#include "uHtmlUtils.h"
#include "uUtils.h"

#include <algorithm>

namespace {

const char* const CrLf = "\r\n";

TPdfIndexLine LineOf(const TIndexEntry& AEntry, int ADepth,
                     const std::function<std::optional<TPdfIndexTarget>(const std::string&)>& ATargetOf) {
    TPdfIndexLine line{AEntry.Text, ADepth, {}};
    for (const std::string& id : AEntry.TopicIDs) {
        const std::optional<TPdfIndexTarget> target = ATargetOf(id);
        if (!target)
            continue;
        const bool printed = std::any_of(line.FNumbers.begin(), line.FNumbers.end(),
                                         [&](const TPdfIndexNumber& N) { return N.FPageNumber == target->FPageNumber; });
        if (!printed)
            line.FNumbers.push_back({target->FPageNumber, target->FLink});
    }
    return line;
}

}  // namespace

std::vector<TPdfIndexLine> PdfIndexLines(
    const std::vector<TIndexEntry>& AIndex,
    const std::function<std::optional<TPdfIndexTarget>(const std::string& ATopicID)>& ATargetOf) {
    std::vector<TPdfIndexLine> lines;
    for (const TIndexEntry& entry : AIndex) {
        lines.push_back(LineOf(entry, 0, ATargetOf));
        for (const TIndexEntry& sub : entry.SubEntries)
            lines.push_back(LineOf(sub, 1, ATargetOf));
    }
    return lines;
}

std::string BuildPdfIndexHtml(const std::vector<TPdfIndexLine>& ALines, TPdfPaper APaper,
                              const std::string& AStyleSheetHref) {
    std::vector<std::string> lines = {
        "<!doctype html>",
        "<html>",
        "<head>",
        "<meta charset=\"utf-8\">",
        "<title>Index</title>",
    };
    if (!AStyleSheetHref.empty())
        lines.push_back("<link rel=\"stylesheet\" href=\"" + HtmlEncodeEntities(AStyleSheetHref) + "\">");
    lines.push_back("<style>");
    const std::vector<std::string> pageCss = ManualPageCssLines(APaper);
    lines.insert(lines.end(), pageCss.begin(), pageCss.end());
    lines.insert(lines.end(), {
        ".pw-index-heading { font-size:20pt; margin:0 0 6mm 0; }",
        ".pw-index { column-count:2; column-gap:10mm; }",
        // A line that wraps goes on indented under its own text.
        ".pw-index-entry { margin:0 0 0.8mm 0; padding-left:5mm; text-indent:-5mm; break-inside:avoid;"
        " overflow-wrap:anywhere; }",
        ".pw-index-sub { padding-left:10mm; }",
        // A main entry stays with its first sub-entry.
        ".pw-index-main { break-after:avoid; }",
        // The numbers read as text, whatever the settings' link colour and underline say.
        ".pw-index a, .pw-index a:link, .pw-index a:visited { color:inherit !important; text-decoration:none !important; }",
        "</style>",
        "</head>",
        "<body>",
        "<h1 class=\"pw-index-heading\">Index</h1>",
        "<div class=\"pw-index\">",
    });
    for (const TPdfIndexLine& l : ALines) {
        std::string numbers;
        for (const TPdfIndexNumber& n : l.FNumbers)
            numbers += std::string(numbers.empty() ? "" : ", ") + "<a href=\"" + HtmlEncodeEntities(n.FLink) + "\">" +
                       IntToStr(n.FPageNumber) + "</a>";
        lines.push_back(std::string("<p class=\"pw-index-entry ") + (l.FDepth == 0 ? "pw-index-main" : "pw-index-sub") +
                        "\">" + HtmlEncodeEntities(l.FText) + (numbers.empty() ? "" : "&emsp;" + numbers) + "</p>");
    }
    lines.push_back("</div>");
    lines.push_back("</body>");
    lines.push_back("</html>");
    std::string out;
    for (const std::string& line : lines)
        out += line + CrLf;
    return out;
}
