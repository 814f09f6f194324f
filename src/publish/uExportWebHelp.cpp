#include "uExportWebHelp.h"

#include "uHtmlUtils.h"
#include "uJson.h"
#include "uPublishCommon.h"
#include "uSearchIndex.h"
#include "uSettingsCss.h"
#include "uTokenExpansion.h"
#include "uTopicHeaders.h"
#include "uUtils.h"

#include <unordered_set>

namespace {

// The project ResolveWebHelpTopicLink consults, set for the duration of a page loop.
thread_local const TDocProject* GExportingProject = nullptr;

class TExportingProjectScope {
public:
    explicit TExportingProjectScope(const TDocProject& AProject) : FPrevious(GExportingProject) {
        GExportingProject = &AProject;
    }
    ~TExportingProjectScope() { GExportingProject = FPrevious; }
    TExportingProjectScope(const TExportingProjectScope&) = delete;
    TExportingProjectScope& operator=(const TExportingProjectScope&) = delete;

private:
    const TDocProject* FPrevious;
};

std::string TopicPageRef(const std::string& AID) { return "topics/" + TopicPageFileName(AID); }

// Writes <name>.json and <name>.js ("window.<variable> = " + json + ";").
void WriteJsonWithScript(const std::string& AOutputRoot, const std::string& AName, const std::string& AVariable,
                         const TJson& AValue) {
    const std::string json = JsonWrite(AValue);
    WriteUtf8File(CombinePath(AOutputRoot, AName + ".json"), json);
    WriteUtf8File(CombinePath(AOutputRoot, AName + ".js"), "window." + AVariable + " = " + json + ";");
}

TJson TocNodes(const TDocProject& AProject, const std::vector<std::string>& AIDs,
               std::unordered_set<std::string>& AVisited) {
    TJson nodes = TJson::array();
    for (const std::string& id : AIDs) {
        const TTopic* topic = AProject.Topics().find(id);
        if (!topic || topic->ExcludeWeb() || !AVisited.insert(id).second)
            continue;
        TJson node = TJson::object();
        node["id"] = id;
        node["title"] = topic->Title();
        node["file"] = TopicPageRef(id);
        node["children"] = TocNodes(AProject, topic->Children(), AVisited);
        nodes.push_back(std::move(node));
    }
    return nodes;
}

// The ids of the contents, depth-first, each once: the order in which the viewer numbers topics.
void TocOrder(const TJson& ANodes, std::vector<std::string>& AOut) {
    for (const TJson& node : ANodes) {
        AOut.push_back(node["id"].get<std::string>());
        TocOrder(node["children"], AOut);
    }
}

std::string JoinWithSpaces(const std::vector<std::string>& AItems) {
    std::string out;
    for (size_t i = 0; i < AItems.size(); ++i) {
        if (i)
            out += ' ';
        out += AItems[i];
    }
    return out;
}

std::string WebHelpStyleSheet(const TDocProject& AProject, const TProjectSettings& ASettings) {
    return ProjectBaseStyleSheet(AProject) + BuildSettingsCss(&ASettings);
}

void ReplaceViewerPlaceholders(const std::string& ACssFile, const TProjectSettings& ASettings) {
    std::string css = ReadUtf8File(ACssFile);
    css = ReplaceText(css, "__SV_TOC_COLOR__", ColorToHex(ASettings.TocTextColor));
    css = ReplaceText(css, "__SV_TOC_SIZE__", IntToStr(ASettings.TocTextSize));
    css = ReplaceText(css, "__SV_LEFT_BG__", ColorToHex(ASettings.DefaultPageBgColor));
    WriteUtf8File(ACssFile, css);
}

void CopyTemplate(const std::string& ASource, const std::string& ATarget) {
    if (!FileExists(ASource))
        throw EAppError("Cannot copy " + ASource + " to " + ATarget + ": No such file or directory");
    WriteFileBytes(ATarget, ReadFileBytes(ASource));
}

}  // namespace

std::string TopicPageFileName(const std::string& AID) { return AID + ".html"; }

std::string BuildWebHelpPage(const std::string& ABody, const std::string& AHeaderHtml, const std::string& AHeaderBg,
                             const std::string& APageBg, const std::string& AStyleSheetRef, const std::string& AFooter) {
    std::string page;
    page.reserve(ABody.size() + AHeaderHtml.size() + AFooter.size() + 1024);
    page += "<!doctype html><html><head><meta charset=\"utf-8\"><meta name=\"viewport\" "
            "content=\"width=device-width, initial-scale=1\"><link rel=\"stylesheet\" href=\"";
    page += AStyleSheetRef;
    page += "\">";
    page += "<style>";
    page += "body{margin:0;font-family:Segoe UI,Arial;background:";
    page += APageBg;
    page += ";}";
    page += ".sv-page-body p{margin:0;}";
    page += ".sv-page-body h1,.sv-page-body h2,.sv-page-body h3,.sv-page-body h4,.sv-page-body h5,"
            ".sv-page-body h6{margin:0;}";
    page += ".sv-page-body ul,.sv-page-body ol{margin:0;padding-left:1.5em;}";
    page += ".sv-page-body li{margin:0;}";
    page += "table{border-collapse:collapse;max-width:100%;}";
    page += "td,th{border:1px solid #999;padding:4px;vertical-align:top;}";
    page += "</style>";
    page += "</head><body>";
    page += "<div class=\"sv-page-header\" style=\"background:";
    page += AHeaderBg;
    page += ";padding:12px 16px;\">";
    page += AHeaderHtml;
    page += "</div>";
    page += "<div class=\"sv-page-body\" style=\"padding:16px;\">";
    page += ABody;
    page += "</div>";
    page += AFooter;
    page += "</body></html>";
    return page;
}

std::string WebHelpFooter(const TProjectSettings& ASettings) {
    if (!ASettings.CopyrightEnabled || Trim(ASettings.CopyrightText).empty())
        return {};
    return "<div class=\"sv-page-footer\" style=\"padding:10px 16px;border-top:1px solid #d0d0d0;font-size:12px;"
           "opacity:0.85;\">" +
           EscapeHtml(ASettings.CopyrightText) + "</div>";
}

std::string ResolveWebHelpTopicLink(const std::string& AID) {
    if (!GExportingProject)
        return {};
    const TTopic* topic = GExportingProject->Topics().find(AID);
    return topic && !topic->ExcludeWeb() ? TopicPageFileName(AID) : std::string();
}

std::vector<std::string> WebHelpTocOrder(const TDocProject& AProject) {
    std::unordered_set<std::string> visited;
    std::vector<std::string> order;
    TocOrder(TocNodes(AProject, AProject.RootTopicIDs(), visited), order);
    return order;
}

void WriteWebHelpToc(const TDocProject& AProject, const std::string& AOutputRoot) {
    std::unordered_set<std::string> visited;
    TJson toc = TJson::object();
    toc["roots"] = TocNodes(AProject, AProject.RootTopicIDs(), visited);
    WriteJsonWithScript(AOutputRoot, "toc", "__SV_TOC", toc);
}

void WriteWebHelpSearchIndex(const TDocProject& AProject, const std::string& AOutputRoot, TTokenExpander* AExpander,
                             const TSearchIndexOptions& AIndexOptions) {
    TSearchIndexBuilder prebuilt(WebHelpTocOrder(AProject), AIndexOptions);
    std::unique_ptr<TTokenExpander> own;
    if (!AExpander) {
        own = std::make_unique<TTokenExpander>(AProject);
        AExpander = own.get();
    }
    TJson topics = TJson::array();
    for (const TTopic& topic : AProject.Topics()) {
        if (topic.ExcludeWeb())
            continue;
        TJson entry = TJson::object();
        entry["id"] = topic.ID();
        entry["title"] = topic.Title();
        entry["file"] = TopicPageRef(topic.ID());
        entry["text"] = HtmlToPlainText(AExpander->Expand(ReadTopicHtmlPath(topic)));
        entry["keywords"] = JoinWithSpaces(topic.Keywords());
        prebuilt.Add(topic.ID(), topic.Title(), TopicPageRef(topic.ID()), entry["text"].get<std::string>(),
                     entry["keywords"].get<std::string>());
        topics.push_back(std::move(entry));
    }
    TJson index = TJson::object();
    index["topics"] = std::move(topics);
    WriteJsonWithScript(AOutputRoot, "search", "__SV_SEARCH", index);
    prebuilt.Write(AOutputRoot);
}

void ExportWebHelp(const TDocProject& AProject, const std::string& AOutputRoot) {
    EnsureDir(AOutputRoot);
    const TProjectSettings settings = LoadPublishSettings(AProject);
    const std::string pageBg = ColorToHex(settings.DefaultPageBgColor);
    const std::string footer = WebHelpFooter(settings);
    const std::string topicsOut = EnsureDir(CombinePath(AOutputRoot, "topics"));
    EnsureDir(CombinePath(AOutputRoot, "assets"));

    TTokenExpander expander(AProject);
    {
        TExportingProjectScope scope(AProject);
        for (const TTopic& topic : AProject.Topics()) {
            if (topic.ExcludeWeb())
                continue;
            RequireTopicIdIsFileName(topic.ID());
            std::string text = ReadTopicBody(AProject, topic.ID());
            if (Trim(text).empty())
                text = "<h1>" + EscapeHtml(topic.Title()) + "</h1>";
            text = ExpandAndRewriteTopicLinks(expander, text, ResolveWebHelpTopicLink);
            text = RebaseAssetLinks(text);
            text = MakeWhiteBackgroundsTransparent(text);
            const TTopicHeader header = WebHelpTopicHeader(AProject, topic.ID());
            WriteUtf8File(CombinePath(topicsOut, TopicPageFileName(topic.ID())),
                          BuildWebHelpPage(text, header.Html, header.Bg, pageBg, "../style.css", footer));
        }
    }

    CopyProjectAssets(AProject, AOutputRoot);
    WriteUtf8File(CombinePath(AOutputRoot, "style.css"), WebHelpStyleSheet(AProject, settings));
    WriteWebHelpToc(AProject, AOutputRoot);
    WriteWebHelpSearchIndex(AProject, AOutputRoot, &expander);
}

std::string InstallWebHelpViewer(const std::string& ATemplateDir, const std::string& AOutputRoot,
                                 const TProjectSettings* AWindowSettings, const std::string& AProjectTitle) {
    const std::string index = CombinePath(AOutputRoot, "index.html");
    if (DirectoryExists(ATemplateDir)) {
        CopyTemplate(CombinePath(ATemplateDir, "app.html"), index);
        CopyTemplate(CombinePath(ATemplateDir, "app.js"), CombinePath(AOutputRoot, "app.js"));
        const std::string css = CombinePath(AOutputRoot, "app.css");
        CopyTemplate(CombinePath(ATemplateDir, "app.css"), css);
        if (FileExists(css) && AWindowSettings) {
            try {
                ReplaceViewerPlaceholders(css, *AWindowSettings);
            } catch (const std::exception&) {
                // The copied style sheet stays as it is.
            }
        }
    }
    if (FileExists(index)) {
        const std::string html = ReadUtf8File(index);
        WriteUtf8File(index, ReplaceText(html, "<title>WebHelp</title>", "<title>" + EscapeHtml(AProjectTitle) + "</title>",
                                         /*AAll=*/false));
    }
    return ExpandFileName(index);
}

std::string WebHelpOutputRoot(const TDocProject& AProject) {
    return CombinePath(CombinePath(AProject.RootPath(), "build"), "webhelp");
}

std::string PublishWebHelp(const TDocProject& AProject, const TProjectSettings* AWindowSettings,
                           const std::string& ATemplateDir) {
    const std::string output = EnsureDir(WebHelpOutputRoot(AProject));
    ExportWebHelp(AProject, output);
    const std::string templates =
        ATemplateDir.empty() ? CombinePath(CombinePath(AProject.RootPath(), "internal"), "webhelp") : ATemplateDir;
    return InstallWebHelpViewer(templates, output, AWindowSettings, AProject.Title());
}
