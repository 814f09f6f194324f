#include "uExportWebHelp.h"

#include "uContextIds.h"
#include "uHtmlUtils.h"
#include "uIndexEntries.h"
#include "uJson.h"
#include "uPublishCommon.h"
#include "uSearchIndex.h"
#include "uSettingsCss.h"
#include "uTokenExpansion.h"
#include "uTopicHeaders.h"
#include "uUtils.h"
#include "uWebHelpContext.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <unordered_set>

namespace {

std::string TopicPageRef(const std::string& AID) { return "topics/" + TopicPageFileName(AID); }

// Writes <name>.json and <name>.js ("window.<variable> = " + json + ";").
void WriteJsonWithScript(const std::string& AOutputRoot, const std::string& AName, const std::string& AVariable,
                         const TJson& AValue) {
    const std::string json = JsonWrite(AValue);
    WriteUtf8File(CombinePath(AOutputRoot, AName + ".json"), json);
    WriteUtf8File(CombinePath(AOutputRoot, AName + ".js"), "window." + AVariable + " = " + json + ";");
}

// search.json and search.js written entry by entry, so the index is never held whole. Both go
// to temporary files renamed into place by Finish; without Finish they are removed.
class TSearchIndexWriter {
public:
    explicit TSearchIndexWriter(const std::string& AOutputRoot)
        : FJson(AOutputRoot, "search.json", "{\"topics\":["),
          FScript(AOutputRoot, "search.js", "window.__SV_SEARCH = {\"topics\":[") {}

    void Add(std::string_view AEntryJson) {
        if (FCount++ > 0) {
            FJson.Write(",");
            FScript.Write(",");
        }
        FJson.Write(AEntryJson);
        FScript.Write(AEntryJson);
    }

    void Finish() {
        FJson.Write("]}");
        FScript.Write("]};");
        FJson.Finish();
        FScript.Finish();
    }

private:
    class TPart {
    public:
        TPart(const std::string& AFolder, const std::string& AName, std::string_view AHead)
            : FFinal(CombinePath(AFolder, AName)), FTemp(CombinePath(AFolder, "." + AName + ".tmp-" + NewGuidHex().substr(0, 12))) {
            FFile = std::fopen(FTemp.c_str(), "wb");
            if (!FFile)
                throw EAppError("Cannot create file \"" + FFinal + "\": " + std::strerror(errno));
            std::setvbuf(FFile, nullptr, _IOFBF, 1 << 20);
            Write(AHead);
        }
        ~TPart() {
            if (FFile) {
                std::fclose(FFile);
                std::remove(FTemp.c_str());
            }
        }
        TPart(const TPart&) = delete;
        TPart& operator=(const TPart&) = delete;

        void Write(std::string_view AText) {
            if (std::fwrite(AText.data(), 1, AText.size(), FFile) != AText.size())
                throw EAppError("Cannot write file \"" + FFinal + "\": " + std::strerror(errno));
        }
        void Finish() {
            std::FILE* file = FFile;
            FFile = nullptr;
            if (std::fclose(file) != 0 || std::rename(FTemp.c_str(), FFinal.c_str()) != 0) {
                const int err = errno;
                std::remove(FTemp.c_str());
                throw EAppError("Cannot write file \"" + FFinal + "\": " + std::strerror(err));
            }
        }

    private:
        std::string FFinal;
        std::string FTemp;
        std::FILE* FFile = nullptr;
    };

    TPart FJson;
    TPart FScript;
    size_t FCount = 0;
};

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
    const std::string text = CopyrightFooterHtml(ASettings);
    if (text.empty())
        return {};
    return "<div class=\"sv-page-footer\" style=\"padding:10px 16px;border-top:1px solid #d0d0d0;font-size:12px;"
           "opacity:0.85;\">" +
           text + "</div>";
}

std::string ResolveWebHelpTopicLink(const TDocProject& AProject, const std::string& AID) {
    const TTopic* topic = AProject.Topics().find(AID);
    return topic && !topic->ExcludeWeb() ? TopicPageFileName(AID) : std::string();
}

TWebHelpExportContext::TWebHelpExportContext(const TDocProject& AProject, const TProjectSettings& ASettings)
    : FProject(AProject),
      FPageBg(ColorToHex(ASettings.DefaultPageBgColor)),
      FFooter(WebHelpFooter(ASettings)),
      FResolver([&AProject](const std::string& AID) { return ResolveWebHelpTopicLink(AProject, AID); }) {}

TWebHelpTopicOutput TWebHelpExportContext::BuildTopic(const TTopic& ATopic, TTokenExpander& AExpander) const {
    RequireTopicIdIsFileName(ATopic.ID());
    const std::string stored = ReadTopicBody(FProject, ATopic.ID());
    std::string text = stored;
    if (Trim(text).empty())
        text = "<h1>" + EscapeHtml(ATopic.Title()) + "</h1>";
    const std::string expanded = AExpander.Expand(text);
    // The search text comes from the topic's HtmlPath file, which is normally the body just read.
    std::string searchText;
    if (ATopic.HtmlPath() == TopicBodyFilePath(FProject, ATopic.ID()))
        searchText = HtmlToPlainText(text == stored ? expanded : AExpander.Expand(stored));
    else
        searchText = HtmlToPlainText(AExpander.Expand(ReadTopicHtmlPath(ATopic)));
    text = RewriteDocLinks(expanded, FResolver);
    text = RebaseAssetLinks(text);
    text = MakeWhiteBackgroundsTransparent(text);
    const TTopicHeader header = WebHelpTopicHeader(FProject, ATopic.ID());
    TSearchTopicWords words = AnalyseSearchTopic(ATopic.Title(), JoinWithSpaces(ATopic.Keywords()), searchText);
    std::string entry = WebHelpSearchEntry(ATopic, searchText);
    return {BuildWebHelpPage(text, header.Html, header.Bg, FPageBg, "../style.css", FFooter), std::move(entry),
            std::move(searchText), std::move(words)};
}

std::string WebHelpSearchEntry(const TTopic& ATopic, const std::string& APlainText) {
    // What JsonWrite makes of the object, without copying the text into one.
    std::string entry;
    entry.reserve(APlainText.size() + ATopic.Title().size() + 128);
    const auto member = [&entry](const char* AName, std::string_view AValue) {
        entry += AName;
        entry += '"';
        JsonEscapeAppend(entry, AValue);
        entry += '"';
    };
    member("{\"id\":", ATopic.ID());
    member(",\"title\":", ATopic.Title());
    member(",\"file\":", TopicPageRef(ATopic.ID()));
    member(",\"text\":", APlainText);
    member(",\"keywords\":", JoinWithSpaces(ATopic.Keywords()));
    entry += '}';
    return entry;
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

namespace {

std::vector<const TTopic*> WebHelpTopics(const TDocProject& AProject) {
    std::vector<const TTopic*> topics;
    for (const TTopic& topic : AProject.Topics())
        if (!topic.ExcludeWeb())
            topics.push_back(&topic);
    return topics;
}

}  // namespace

void WriteWebHelpSearchIndex(const TDocProject& AProject, const std::string& AOutputRoot, TTokenExpander* AExpander,
                             const TSearchIndexOptions& AIndexOptions) {
    TSearchIndexBuilder prebuilt(WebHelpTocOrder(AProject), AIndexOptions);
    std::unique_ptr<TTokenExpander> own;
    if (!AExpander) {
        own = std::make_unique<TTokenExpander>(AProject);
        AExpander = own.get();
    }
    TSearchIndexWriter index(AOutputRoot);
    for (const TTopic* topic : WebHelpTopics(AProject)) {
        const std::string text = HtmlToPlainText(AExpander->Expand(ReadTopicHtmlPath(*topic)));
        index.Add(WebHelpSearchEntry(*topic, text));
        prebuilt.Add(topic->ID(), topic->Title(), TopicPageRef(topic->ID()), text, JoinWithSpaces(topic->Keywords()));
    }
    index.Finish();
    prebuilt.Write(AOutputRoot);
}

void ExportWebHelp(const TDocProject& AProject, const std::string& AOutputRoot, const TPublishOptions& AOptions) {
    RequireReadableContextIds(AProject);
    EnsureDir(AOutputRoot);
    const TProjectSettings settings = LoadPublishSettings(AProject);
    const TWebHelpExportContext context(AProject, settings);
    const std::string topicsOut = EnsureDir(CombinePath(AOutputRoot, "topics"));
    EnsureDir(CombinePath(AOutputRoot, "assets"));

    // Pages are written by the workers; the search entries come back in topic order.
    const std::vector<const TTopic*> topics = WebHelpTopics(AProject);
    const size_t workers = PipelineWorkerCount(AOptions, topics.size());
    TExpanderPool expanders(AProject, workers);
    TSearchIndexWriter index(AOutputRoot);
    TSearchIndexOptions indexOptions;
    indexOptions.Threads = AOptions.Threads;
    TSearchIndexBuilder prebuilt(WebHelpTocOrder(AProject), indexOptions);
    // What a worker made for the prebuilt index waits here, by topic, until it is handed on.
    std::vector<TWebHelpTopicOutput> pending(topics.size());
    RunPagePipeline(
        topics.size(), AOptions,
        [&](size_t AIndex, size_t AWorker) {
            const TTopic& topic = *topics[AIndex];
            TWebHelpTopicOutput out = context.BuildTopic(topic, expanders.For(AWorker));
            WriteOutputFile(CombinePath(topicsOut, TopicPageFileName(topic.ID())), out.Page);
            out.Page.clear();
            std::string entry = std::move(out.SearchEntry);
            pending[AIndex] = std::move(out);
            return entry;
        },
        [&](size_t AIndex, std::string&& AEntry) {
            index.Add(AEntry);
            TWebHelpTopicOutput out = std::move(pending[AIndex]);
            const TTopic& topic = *topics[AIndex];
            prebuilt.Add(topic.ID(), topic.Title(), TopicPageRef(topic.ID()), out.SearchText, std::move(out.Words));
        });

    ThrowIfCancelled(AOptions);
    // A reused output folder may still hold pages of topics that are gone or excluded now.
    std::unordered_set<std::string> pages;
    for (const TTopic* topic : topics)
        pages.insert(TopicPageFileName(topic->ID()));
    RemoveEntriesNotWritten(topicsOut, pages);
    CopyProjectAssets(AProject, AOutputRoot);
    WriteUtf8File(CombinePath(AOutputRoot, "style.css"), WebHelpStyleSheet(AProject, settings));
    WriteWebHelpToc(AProject, AOutputRoot);
    if (WriteWebHelpContextFiles(AProject, AOutputRoot))
        prebuilt.AddStartScript("context.js");
    index.Finish();
    if (HasIndexEntries(AProject, TIndexOutput::WebHelp)) {
        WriteUtf8File(CombinePath(AOutputRoot, "index-entries.js"), WebHelpIndexScript(AProject));
        prebuilt.AddLater("index", "index-entries.js");
    }
    prebuilt.Write(AOutputRoot);
}

namespace {

TJson IndexEntryJson(const TIndexEntry& AEntry) {
    TJson e = TJson::object();
    e["text"] = AEntry.Text;
    e["topics"] = AEntry.TopicIDs;
    if (!AEntry.SubEntries.empty()) {
        TJson subs = TJson::array();
        for (const TIndexEntry& sub : AEntry.SubEntries)
            subs.push_back(IndexEntryJson(sub));
        e["subs"] = std::move(subs);
    }
    return e;
}

}  // namespace

std::string WebHelpIndexScript(const TDocProject& AProject) {
    TJson entries = TJson::array();
    for (const TIndexEntry& entry : BuildIndex(AProject, TIndexOutput::WebHelp))
        entries.push_back(IndexEntryJson(entry));
    TJson index = TJson::object();
    index["entries"] = std::move(entries);
    return "window.__SV_INDEX = " + JsonWrite(index) + ";";
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
                           const std::string& ATemplateDir, const TPublishOptions& AOptions) {
    // Republishing rewrites the pages and index pieces of the publication before the last in
    // place instead of making thousands of new files.
    TStagedOutput output(WebHelpOutputRoot(AProject), {"topics", "search"});
    ExportWebHelp(AProject, output.Folder(), AOptions);
    const std::string templates =
        ATemplateDir.empty() ? CombinePath(CombinePath(AProject.RootPath(), "internal"), "webhelp") : ATemplateDir;
    const std::string index = InstallWebHelpViewer(templates, output.Folder(), AWindowSettings, AProject.Title());
    ThrowIfCancelled(AOptions);
    output.Commit();
    return output.FinalPath(index);
}
