#include "uExportPdf.h"

#include "uContextIds.h"
#include "uHtmlUtils.h"
#include "uPdfOutline.h"
#include "uPdfPageNumbers.h"
#include "uProjectSettings.h"
#include "uPublishCommon.h"
#include "uPublishPipeline.h"
#include "uTokenExpansion.h"
#include "uSettingsCss.h"
#include "uTopicHeaders.h"
#include "uUtils.h"

#include <filesystem>
#include <system_error>
#include <vector>

namespace fs = std::filesystem;

namespace {

const char* const CrLf = "\r\n";

std::string JoinLines(const std::vector<std::string>& ALines) {
    std::string out;
    for (const std::string& line : ALines) {
        out += line;
        out += CrLf;
    }
    return out;
}

// Everything from each "<" to the next ">" removed; a "<" without a ">" after it stays.
std::string StripTags(const std::string& AText) {
    std::string out;
    out.reserve(AText.size());
    size_t pos = 0;
    while (pos < AText.size()) {
        const size_t lt = AText.find('<', pos);
        if (lt == std::string::npos)
            break;
        const size_t gt = AText.find('>', lt + 1);
        if (gt == std::string::npos)
            break;
        out.append(AText, pos, lt - pos);
        pos = gt + 1;
    }
    out.append(AText, pos, std::string::npos);
    return out;
}


}  // namespace

std::string PdfOutputFolder(const TDocProject& AProject) {
    return CombinePath(CombinePath(AProject.RootPath(), "build"), "pdf");
}

std::string HeadingTagForDepth(int ADepth) {
    long long level = static_cast<long long>(ADepth) + 1;
    if (level < 1)
        level = 1;
    if (level > 6)
        level = 6;
    return "h" + IntToStr(level);
}

std::string PlainHeaderTitle(const std::string& AHeaderHtml) {
    // The editor page writes a no-break space as "&nbsp;", which the decoder leaves alone; it
    // is read as the character here so a heading never shows the entity's text.
    std::string text = ReplaceText(StripTags(AHeaderHtml), "&nbsp;", "\u00A0");
    text = HtmlDecodeEntities(text);
    text = ReplaceText(text, "\u00A0", " ");
    return Trim(text);
}

std::string PdfHeadingText(const TDocProject& AProject, const std::string& AID, const std::string& ATitle) {
    const std::optional<std::string> source = PdfHeaderSourceHtml(AProject, AID);
    if (!source)
        return ATitle;
    std::string text = PlainHeaderTitle(*source);
    return text.empty() ? ATitle : text;
}

std::string ResolvePdfTopicLink(const TDocProject& AProject, const std::string& AID) {
    return AProject.HasTopic(AID) ? "#" + AID : "#";
}

std::string PdfSectionAnchor(const std::string& AID, std::string_view AFragment) {
    return AID + "-" + std::string(AFragment);
}

TPdfAnchorTargets CollectPdfAnchorTargets(const TDocProject& AProject) {
    TPdfAnchorTargets targets;
    for (const TTopic& topic : AProject.Topics())
        for (const TDocLink& link : ExtractDocLinks(ReadTopicBody(AProject, topic.ID())))
            if (!link.Fragment.empty())
                targets[link.ID].insert(PercentDecode(link.Fragment));
    return targets;
}

std::string PdfTopicBody(TTokenExpander& AExpander, const TDocProject& AProject, const std::string& AID,
                         const TPdfAnchorTargets& ATargets) {
    std::string html = AExpander.Expand(ReadTopicBody(AProject, AID));
    if (const auto targeted = ATargets.find(AID); targeted != ATargets.end())
        html = RenameAnchors(html, [&](std::string_view AName) {
            return targeted->second.count(std::string(AName)) ? PdfSectionAnchor(AID, AName) : std::string();
        });
    return RewriteDocLinkTargets(html, [&AProject](const std::string& AId, const std::string& AFragment) {
        const std::string section = ResolvePdfTopicLink(AProject, AId);
        return AFragment.empty() || section == "#" ? section : "#" + PdfSectionAnchor(AId, AFragment);
    });
}

std::string BuildManualHtml(const TDocProject& AProject, TPdfPaper APaper, const TPublishOptions& AOptions) {
    std::vector<std::string> lines = {
        "<!doctype html>",
        "<html>",
        "<head>",
        "<meta charset=\"utf-8\">",
        "<title>" + HtmlEncodeEntities(AProject.Title()) + "</title>",
        "<link rel=\"stylesheet\" href=\"style.css\">",
        "<style>",
        "@page {",
        // Every page gets the margins: on html and body they would apply only above the first
        // page and below the last one.
        "  size: " + PdfPaperCssSize(APaper) + ";",
        "  margin: " + IntToStr(ManualMargins.FTop) + "mm " + IntToStr(ManualMargins.FRight) + "mm " +
            IntToStr(ManualMargins.FBottom) + "mm;",
        "}",
        "html, body { margin:0; }",
        "</style>",
        "</head>",
        "<body>",
    };
    const TPdfAnchorTargets anchorTargets = CollectPdfAnchorTargets(AProject);
    // The sections are built on every core and joined in table-of-contents order.
    struct TSection {
        const TTopic* Topic;
        int Depth;
    };
    std::vector<TSection> sections;
    ForEachTopicInTocOrder(AProject, [&](const TTopic& ATopic, int ADepth) {
        if (ATopic.ExcludePdf())
            return false;  // the whole subtree stays out
        sections.push_back({&ATopic, ADepth});
        return true;
    });
    TExpanderPool expanders(AProject, PipelineWorkerCount(AOptions, sections.size()));
    std::string sectionLines;
    RunPagePipeline(
        sections.size(), AOptions,
        [&](size_t AIndex, size_t AWorker) {
            const TTopic& topic = *sections[AIndex].Topic;
            const std::string tag = HeadingTagForDepth(sections[AIndex].Depth);
            return JoinLines({"<section id=\"" + topic.ID() + "\">",
                              "<" + tag + ">" + HtmlEncodeEntities(PdfHeadingText(AProject, topic.ID(), topic.Title())) +
                                  "</" + tag + ">",
                              PdfTopicBody(expanders.For(AWorker), AProject, topic.ID(), anchorTargets), "</section>"});
        },
        [&](size_t, std::string&& ALines) { sectionLines += ALines; });
    return JoinLines(lines) + sectionLines + JoinLines({"</body>", "</html>"});
}

std::string BuildPdfStyleSheet(const TDocProject& AProject) {
    std::string css = ProjectBaseStyleSheet(AProject);
    if (css.find("p { margin") == std::string::npos)
        css += std::string(CrLf) + "p { margin: 0; }";
    const TProjectSettings settings = LoadPublishSettings(AProject);
    return css + BuildSettingsCss(&settings);
}

void CopyAssetFiles(const std::string& ASourceFolder, const std::string& ATargetFolder) {
    const fs::path source = fs::path(ASourceFolder);
    const fs::path target = fs::path(ATargetFolder);
    std::error_code ec;
    fs::recursive_directory_iterator it(source, ec), end;
    if (ec)
        throw EAppError("Cannot read folder " + ASourceFolder + ": " + ec.message());
    for (; it != end; it.increment(ec)) {
        if (ec)
            throw EAppError("Cannot read folder " + ASourceFolder + ": " + ec.message());
        if (!it->is_regular_file(ec))
            continue;
        const fs::path rel = it->path().lexically_relative(source);
        const fs::path to = target / rel;
        fs::create_directories(to.parent_path(), ec);
        if (ec)
            throw EAppError("Cannot create folder " + to.parent_path().string() + ": " + ec.message());
        fs::copy_file(it->path(), to, fs::copy_options::overwrite_existing, ec);
        if (ec)
            throw EAppError("Cannot copy " + it->path().string() + " to " + to.string() + ": " + ec.message());
    }
}

TPdfExportResult ExportPdf(const TDocProject& AProject, const std::string& AOutputFolder,
                           const TPdfExportOptions& AOptions) {
    RequireReadableContextIds(AProject);
    // Written and printed in a fresh folder that replaces AOutputFolder once the PDF is there.
    TStagedOutput staged(AOutputFolder);
    const std::string folder = staged.Folder();
    const std::string htmlFile = CombinePath(folder, "manual.html");
    const std::string pdfFile = CombinePath(folder, "manual.pdf");

    WriteUtf8File(htmlFile, BuildManualHtml(AProject, AOptions.FPaper, AOptions.FPublish));
    WriteUtf8File(CombinePath(folder, "style.css"), BuildPdfStyleSheet(AProject));
    const std::string assets = CombinePath(AProject.RootPath(), "assets");
    if (DirectoryExists(assets))
        CopyAssetFiles(assets, CombinePath(folder, "assets"));

    ThrowIfCancelled(AOptions.FPublish);
    PrintHtmlToPdf(htmlFile, pdfFile, AOptions.FPrinterSearch, AOptions.FPaper);
    WaitForFile(pdfFile, PdfWaitTimeoutMs);
    ThrowIfCancelled(AOptions.FPublish);
    // The printed manual is whole: it replaces the previous one before the bookmark step, whose
    // failure leaves the printed file in place.
    staged.Commit();
    TPdfExportResult result{staged.FinalPath(pdfFile), {}};
    if (const std::string note = UnresolvedBookmarksNote(AddManualOutline(AProject, result.FPdfFile).FUnresolved);
        !note.empty())
        result.FNotes.push_back(note);
    AddPageNumbers(result.FPdfFile);
    if (AOptions.FOpenFile)
        AOptions.FOpenFile(result.FPdfFile);
    return result;
}
