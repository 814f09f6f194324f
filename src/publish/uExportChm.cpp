#include "uExportChm.h"

#include "uChmCompiler.h"
#include "uChmContext.h"
#include "uChmPage.h"
#include "uChmProjectFiles.h"
#include "uContextIds.h"
#include "uJpegOrientation.h"
#include "uPublishCommon.h"
#include "uPublishPipeline.h"
#include "uRegex.h"
#include "uSettingsCss.h"
#include "uTokenExpansion.h"
#include "uTopicHeaders.h"
#include "uUtils.h"

#include <algorithm>
#include <filesystem>
#include <set>

namespace fs = std::filesystem;

namespace {

constexpr const char* kChmBaseCss = "body{font-family:Segoe UI,Arial;line-height:1.5;}p{margin:0;}";
constexpr const char* kCompiledFile = "help.chm";

bool IncludedInChm(const TTopic& ATopic) { return !ATopic.ExcludeChm(); }

// The topic id of a page-list entry ("topics/" id ".html").
std::string PageTopicID(const std::string& AEntry) { return AEntry.substr(7, AEntry.size() - 7 - 5); }

// The file under <AOutputFolder>/assets that an image source names, or "" when it names none.
std::string AssetCopyForSource(const std::string& AOutputFolder, std::string_view ASource) {
    std::string src = Trim(ASource);
    if (StartsText("/assets/", src))
        src.erase(0, 1);
    else if (!StartsText("assets/", src))
        return {};
    const std::string ext = LowerAscii(ExtractFileExt(src));
    if (ext != ".jpg" && ext != ".jpeg")
        return {};
    // The copy's folder is called "assets" whatever case the source gives it; nothing may lead
    // out of it.
    const fs::path rel = fs::path(src.substr(7)).lexically_normal();
    if (rel.empty() || rel.is_absolute() || *rel.begin() == "..")
        return {};
    return CombinePath(CombinePath(AOutputFolder, "assets"), rel.string());
}

}  // namespace

std::string ChmOutputFolder(const TDocProject& AProject) {
    return CombinePath(CombinePath(AProject.RootPath(), "build"), "chm");
}

std::string ResolveChmTopicLink(const TDocProject& AProject, const std::string& AID) {
    if (!AProject.HasTopic(AID) || AProject.GetTopic(AID).ExcludeChm())
        return {};
    return AID + ".html";
}

std::string BuildChmTopicPage(const TDocProject& AProject, const TProjectSettings& ASettings,
                              TTokenExpander& AExpander, const std::string& AID, std::string_view ACharset) {
    const TDocLinkResolver resolver = [&AProject](const std::string& id) { return ResolveChmTopicLink(AProject, id); };
    std::string html = ExpandAndRewriteTopicLinks(AExpander, ReadTopicBody(AProject, AID), resolver);
    html = RebaseChmImageLinks(html);
    const TTopicHeader header = ChmTopicHeader(AProject, AID);
    html = ClearWhiteBackgroundsChm(html);
    html = ColorFirstTableRow(html, ColorToHex(ASettings.DefaultHeaderBgColor));
    html = BuildChmPage(html, header.Html, header.Bg, ColorToHex(ASettings.DefaultPageBgColor), ChmFooter(ASettings),
                        ACharset);
    return StripInvisibleChars(html);
}

std::vector<std::string> NormalizeJpegOrientations(const TDocProject& AProject, const std::string& AOutputFolder,
                                                   const TPublishOptions& AOptions) {
    static const TRegex source("src\\s*=\\s*[\"']([^\"']+)[\"']", roIgnoreCase);
    // The copies to look at, each once, in the order the topics name them.
    std::set<std::string> handled;
    std::vector<std::string> candidates;
    for (const TTopic& topic : AProject.Topics()) {
        if (!IncludedInChm(topic))
            continue;
        const std::string path = TopicBodyFilePath(AProject, topic.ID());
        if (!FileExists(path))
            continue;
        const std::string html = ReadUtf8File(path);
        source.ForEachMatch(html, [&](const TRegexMatch& m) {
            const std::string file = AssetCopyForSource(AOutputFolder, m.Group(1));
            if (!file.empty() && FileExists(file) && handled.insert(file).second)
                candidates.push_back(file);
            return true;
        });
    }
    // Each copy is its own file, so they are turned on every core; the list keeps their order.
    // The progress callback counts pages, not photographs.
    TPublishOptions options = AOptions;
    options.Progress = nullptr;
    std::vector<std::string> rotated;
    RunPagePipeline(
        candidates.size(), options,
        [&](size_t AIndex, size_t) { return RotateJpegToUpright(candidates[AIndex]) ? std::string("1") : std::string(); },
        [&](size_t AIndex, std::string&& ARotated) {
            if (!ARotated.empty())
                rotated.push_back(candidates[AIndex]);
        });
    return rotated;
}

std::string UnshowableTitlesNote(const TWindowsCodePage& ACodePage, const std::vector<std::string>& ATitles) {
    constexpr size_t kMaxNamed = 10;
    std::vector<std::string> unshowable;
    for (const std::string& t : ATitles)
        if (!ACodePage.CanEncodeAll(t) && std::find(unshowable.begin(), unshowable.end(), t) == unshowable.end())
            unshowable.push_back(t);
    if (unshowable.empty())
        return {};
    std::string note = "These titles cannot be shown exactly in the CHM contents: ";
    for (size_t i = 0; i < unshowable.size() && i < kMaxNamed; ++i)
        note += (i ? ", \"" : "\"") + unshowable[i] + "\"";
    if (unshowable.size() > kMaxNamed)
        note += " and " + std::to_string(unshowable.size() - kMaxNamed) + " more";
    return note;
}

TChmExportResult ExportChm(const TDocProject& AProject, const TChmExportOptions& AOptions) {
    RequireReadableContextIds(AProject);
    TChmExportResult result;
    result.Pages = ChmPageList(AProject);
    if (result.Pages.empty())
        throw EAppError("Nothing to publish: no topic is included in the CHM output (every topic is excluded from CHM)");
    // A hand-edited id such as "../x" must not make a page land outside the output folder.
    for (const std::string& entry : result.Pages)
        RequireTopicIdIsFileName(PageTopicID(entry));
    // The contents and the index show the titles of exactly the topics that get a page.
    std::vector<std::string> titles;
    for (const std::string& entry : result.Pages)
        titles.push_back(AProject.GetTopic(PageTopicID(entry)).Title());
    result.CodePage = ChooseChmCodePage(titles);
    const TWindowsCodePage& codePage = TWindowsCodePage::Get(result.CodePage);
    result.Language = AOptions.Language ? *AOptions.Language : ChooseChmLanguage(result.CodePage, titles, AuthorCtypeLocale());

    // Everything is written and compiled in a fresh folder that replaces build/chm at the end.
    TStagedOutput staged(ChmOutputFolder(AProject));
    const std::string out = staged.Folder();
    EnsureDir(CombinePath(out, "topics"));
    const TProjectSettings settings = LoadPublishSettings(AProject);
    WriteUtf8File(CombinePath(out, "style.css"), kChmBaseCss + BuildChmSettingsCss(&settings));
    CopyProjectAssets(AProject, out);

    const TPublishOptions& publish = AOptions.Publish;
    TExpanderPool expanders(AProject, PipelineWorkerCount(publish, result.Pages.size()));
    RunPagePipeline(
        result.Pages.size(), publish,
        [&](size_t AIndex, size_t AWorker) {
            const std::string& entry = result.Pages[AIndex];
            const std::string page =
                BuildChmTopicPage(AProject, settings, expanders.For(AWorker), PageTopicID(entry), codePage.Charset());
            WriteOutputFile(CombinePath(out, entry), EncodeChmPage(page, codePage));
            return std::string();
        },
        [](size_t, std::string&&) {});
    for (const std::string& file : NormalizeJpegOrientations(AProject, out, publish))
        result.Rotated.push_back(staged.FinalPath(file));
    WriteChmToc(AProject, out, codePage);
    WriteChmIndex(AProject, out, IsChmcmd(FindHhcExe()));
    // Help context ids: the context table only from a compiler that names the pages as given.
    const std::string contextHeader = ChmContextHeader(AProject);
    const bool withMap = !contextHeader.empty() && CompilerWritesContextTable(FindHhcExe());
    const std::string contextSections = ChmContextSections(AProject, withMap);
    if (withMap)
        WriteFileBytes(CombinePath(out, "context.h"), contextHeader);
    else if (!contextHeader.empty())
        result.Notes.push_back(kChmNoContextNumbersNote);
    WriteChmProjectFile(out, kCompiledFile, result.Pages, result.Language, codePage, contextSections);
    if (std::string note = UnshowableTitlesNote(codePage, titles); !note.empty())
        result.Notes.push_back(std::move(note));
    ThrowIfCancelled(publish);

    const std::string withoutSearch =
        codePage.Encode(ChmProjectFileText(out, kCompiledFile, result.Pages, result.Language, false, contextSections));
    const TChmCompileResult compiled =
        CompileChm(out, CombinePath(out, "project.hhp"), kCompiledFile, withoutSearch);
    ThrowIfCancelled(publish);
    staged.Commit();
    result.ChmFile = staged.FinalPath(ExpandFileName(compiled.ChmFile));
    result.Compiler = compiled.Compiler;
    result.FullTextSearch = compiled.FullTextSearch;
    if (!compiled.Note.empty())
        result.Notes.push_back(compiled.Note);
    return result;
}
