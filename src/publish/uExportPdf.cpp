#include "uExportPdf.h"

#include "uContextIds.h"
#include "uHtmlUtils.h"
#include "uIndexEntries.h"
#include "uPdfAssembly.h"
#include "uPdfFrontMatter.h"
#include "uPdfIndex.h"
#include "uPdfOutline.h"
#include "uProjectSettings.h"
#include "uPublishCommon.h"
#include "uPublishPipeline.h"
#include "uTokenExpansion.h"
#include "uSettingsCss.h"
#include "uTopicHeaders.h"
#include "uUtils.h"

#include <filesystem>
#include <optional>
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

TManualDocument BuildManualDocument(const TDocProject& AProject, TPdfPaper APaper, const TPublishOptions& AOptions) {
    std::vector<std::string> lines = {
        "<!doctype html>",
        "<html>",
        "<head>",
        "<meta charset=\"utf-8\">",
        "<title>" + HtmlEncodeEntities(AProject.Title()) + "</title>",
        "<link rel=\"stylesheet\" href=\"style.css\">",
        "<style>",
    };
    const std::vector<std::string> pageCss = ManualPageCssLines(APaper);
    lines.insert(lines.end(), pageCss.begin(), pageCss.end());
    lines.insert(lines.end(), {"</style>", "</head>", "<body>"});
    const TPdfAnchorTargets anchorTargets = CollectPdfAnchorTargets(AProject);
    // The one walk over the contents; the sections are built on every core and joined in
    // table-of-contents order, each worker filling in the heading of its own section.
    TManualDocument manual;
    std::vector<const TTopic*> topics;
    ForEachTopicInTocOrder(AProject, [&](const TTopic& ATopic, int ADepth) {
        if (ATopic.ExcludePdf())
            return false;  // the whole subtree stays out
        manual.FSections.push_back({ATopic.ID(), ADepth, {}});
        topics.push_back(&ATopic);
        return true;
    });
    TExpanderPool expanders(AProject, PipelineWorkerCount(AOptions, topics.size()));
    std::string sectionLines;
    RunPagePipeline(
        topics.size(), AOptions,
        [&](size_t AIndex, size_t AWorker) {
            const TTopic& topic = *topics[AIndex];
            TManualSection& section = manual.FSections[AIndex];
            section.FHeading = PdfHeadingText(AProject, topic.ID(), topic.Title());
            const std::string tag = HeadingTagForDepth(section.FDepth);
            return JoinLines({"<section id=\"" + topic.ID() + "\">",
                              "<" + tag + ">" + HtmlEncodeEntities(section.FHeading) + "</" + tag + ">",
                              PdfTopicBody(expanders.For(AWorker), AProject, topic.ID(), anchorTargets), "</section>"});
        },
        [&](size_t, std::string&& ALines) { sectionLines += ALines; });
    manual.FHtml = JoinLines(lines) + sectionLines + JoinLines({"</body>", "</html>"});
    return manual;
}

std::string BuildManualHtml(const TDocProject& AProject, TPdfPaper APaper, const TPublishOptions& AOptions) {
    return BuildManualDocument(AProject, APaper, AOptions).FHtml;
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

std::vector<TPdfHeadingPlace> FindManualHeadingPlaces(const std::string& ABodyPdf,
                                                      const std::vector<TManualSection>& ASections) {
    try {
        std::vector<std::string> headings;
        headings.reserve(ASections.size());
        for (const TManualSection& section : ASections)
            headings.push_back(section.FHeading);
        return FindHeadingPlaces(ABodyPdf, headings);
    } catch (const std::exception& e) {
        throw EAppError("Finding the heading pages of " + ABodyPdf + " failed: " + e.what());
    }
}

TManualFinishResult FinishManualPdf(const TDocProject& AProject, const TManualDocument& AManual,
                                    const std::string& ABodyPdf, const std::string& AOutPdf,
                                    const std::string& AWorkFolder, const std::string& AStyleSheet,
                                    const TPdfExportOptions& AOptions) {
    TManualFinishResult result;
    const std::vector<TPdfHeadingPlace> places = FindManualHeadingPlaces(ABodyPdf, AManual.FSections);
    for (const TPdfHeadingPlace& place : places)
        if (!place.FFound)
            ++result.FUnresolvedHeadings;
    ThrowIfCancelled(AOptions.FPublish);

    TPdfManualParts parts;
    parts.FBodyPdf = ABodyPdf;
    parts.FBookmarks = ManualBookmarks(AManual.FSections, places);
    parts.FInfo = ManualDocumentInfo(AProject);

    // The front matter and the index are printed once each: their numbers are those of the
    // pages from the first body page on, which do not depend on how many front pages there are.
    TPdfFrontMatter front;
    front.FTitle = AProject.Title();
    front.FFooterHtml = CopyrightFooterHtml(LoadPublishSettings(AProject));
    TPdfExtraDocument frontDoc{"title page and contents", CombinePath(AWorkFolder, "front.pdf"),
                               TPdfPlacement::BeforeBody, {}};
    for (size_t i = 0; i < AManual.FSections.size(); ++i) {
        front.FEntries.push_back({AManual.FSections[i].FHeading, AManual.FSections[i].FDepth, places[i].FPage + 1,
                                  PdfPlaceholderAddress(i)});
        frontDoc.FLinkTargets.push_back({places[i].FPage, places[i].FTop});
    }
    // The index behind the last body page, only when a topic with a section has an entry.
    if (HasIndexEntries(AProject, TIndexOutput::Pdf)) {
        const int bodyPages = PdfPageCount(ABodyPdf);
        std::map<std::string, size_t> sectionOf;
        for (size_t i = 0; i < AManual.FSections.size(); ++i)
            sectionOf.emplace(AManual.FSections[i].FID, i);
        TPdfExtraDocument indexDoc{"index", CombinePath(AWorkFolder, "index.pdf"), TPdfPlacement::AfterBody,
                                   frontDoc.FLinkTargets};
        try {
            const std::vector<TPdfIndexLine> lines =
                PdfIndexLines(BuildIndex(AProject, TIndexOutput::Pdf), [&](const std::string& AID) {
                    const auto found = sectionOf.find(AID);
                    return found == sectionOf.end()
                               ? std::optional<TPdfIndexTarget>()
                               : TPdfIndexTarget{places[found->second].FPage + 1, PdfPlaceholderAddress(found->second)};
                });
            const std::string html = CombinePath(AWorkFolder, "index.html");
            WriteUtf8File(html, BuildPdfIndexHtml(lines, AOptions.FPaper,
                                                  AStyleSheet.empty() ? "" : PdfDocumentAddress(AStyleSheet)));
            PrintHtmlToPdf(html, indexDoc.FPdfFile, AOptions.FPrinterSearch, AOptions.FPaper);
            WaitForFile(indexDoc.FPdfFile, PdfWaitTimeoutMs);
        } catch (const std::exception& e) {
            throw EAppError(std::string("Printing the index failed: ") + e.what());
        }
        parts.FExtras.push_back(std::move(indexDoc));
        parts.FBookmarks.push_back({"Index", 0, bodyPages, 0});
        front.FEntries.push_back({"Index", 0, bodyPages + 1, PdfPlaceholderAddress(frontDoc.FLinkTargets.size())});
        frontDoc.FLinkTargets.push_back({bodyPages, 0});
        ThrowIfCancelled(AOptions.FPublish);
    }
    // Without any section the title page stands alone.
    if (HasFrontPages(front)) {
        try {
            const std::string html = CombinePath(AWorkFolder, "front.html");
            WriteUtf8File(html, BuildPdfFrontMatterHtml(front, AOptions.FPaper,
                                                        AStyleSheet.empty() ? "" : PdfDocumentAddress(AStyleSheet)));
            PrintHtmlToPdf(html, frontDoc.FPdfFile, AOptions.FPrinterSearch, AOptions.FPaper);
            WaitForFile(frontDoc.FPdfFile, PdfWaitTimeoutMs);
        } catch (const std::exception& e) {
            throw EAppError(std::string("Printing the title page and contents failed: ") + e.what());
        }
        parts.FExtras.push_back(std::move(frontDoc));
    }
    ThrowIfCancelled(AOptions.FPublish);
    result.FFrontPages = AssembleManualPdf(parts, AOutPdf).FFrontPages;
    return result;
}

TPdfExportResult ExportPdf(const TDocProject& AProject, const std::string& AOutputFolder,
                           const TPdfExportOptions& AOptions) {
    RequireReadableContextIds(AProject);
    // Written and printed in a fresh folder that replaces AOutputFolder once the manual is
    // complete; the printed parts live in a temporary folder of their own.
    TStagedOutput staged(AOutputFolder);
    const std::string folder = staged.Folder();
    const std::string htmlFile = CombinePath(folder, "manual.html");
    const std::string styleFile = CombinePath(folder, "style.css");
    const std::string pdfFile = CombinePath(folder, "manual.pdf");

    const TManualDocument manual = BuildManualDocument(AProject, AOptions.FPaper, AOptions.FPublish);
    WriteUtf8File(htmlFile, manual.FHtml);
    WriteUtf8File(styleFile, BuildPdfStyleSheet(AProject));
    const std::string assets = CombinePath(AProject.RootPath(), "assets");
    if (DirectoryExists(assets))
        CopyAssetFiles(assets, CombinePath(folder, "assets"));

    ThrowIfCancelled(AOptions.FPublish);
    TPdfTempFolder work("pagewell-pdf");
    const std::string bodyFile = CombinePath(work.Path(), "body.pdf");
    PrintHtmlToPdf(htmlFile, bodyFile, AOptions.FPrinterSearch, AOptions.FPaper);
    WaitForFile(bodyFile, PdfWaitTimeoutMs);
    ThrowIfCancelled(AOptions.FPublish);
    const TManualFinishResult finished =
        FinishManualPdf(AProject, manual, bodyFile, pdfFile, work.Path(), styleFile, AOptions);
    ThrowIfCancelled(AOptions.FPublish);
    staged.Commit();
    TPdfExportResult result{staged.FinalPath(pdfFile), {}};
    if (const std::string note = UnresolvedBookmarksNote(finished.FUnresolvedHeadings); !note.empty())
        result.FNotes.push_back(note);
    if (AOptions.FOpenFile)
        AOptions.FOpenFile(result.FPdfFile);
    return result;
}
