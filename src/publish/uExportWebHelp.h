// WebHelp publishing: one page per topic under topics/, the copied assets, style.css, the table
// of contents and the search index (each as JSON and as a script setting window.__SV_TOC /
// window.__SV_SEARCH), and the viewer (index.html, app.js, app.css) installed from the templates.
//
// Every function reads the project as stored on disk and writes UTF-8 without byte-order mark.
// PublishWebHelp writes a whole new site beside the previous one and swaps it in when complete,
// so a failed or cancelled publication leaves the previous site as it was, and pages of deleted
// or excluded topics go. The page step runs on every core (TPublishOptions); the output is the
// same bytes whatever the number of threads, and publishing the same project twice gives
// identical bytes. Failures are raised as EAppError.
#pragma once

#include "uDocModel.h"
#include "uProjectSettings.h"
#include "uSearchIndex.h"

#include "uHtmlUtils.h"
#include "uPublishPipeline.h"

#include <string>

class TTokenExpander;

// id + ".html".
std::string TopicPageFileName(const std::string& AID);

// The topic page: the fixed head with the style-sheet link and the inline rules, the header band
// (AHeaderHtml on AHeaderBg), the body, then AFooter.
std::string BuildWebHelpPage(const std::string& ABody, const std::string& AHeaderHtml, const std::string& AHeaderBg,
                             const std::string& APageBg, const std::string& AStyleSheetRef, const std::string& AFooter);

// The footer every page carries: the escaped copyright text in its div when CopyrightEnabled and
// the trimmed text is not empty, else "".
std::string WebHelpFooter(const TProjectSettings& ASettings);

// TopicPageFileName(id) for a topic of AProject that is not excluded from WebHelp; "" otherwise,
// which RewriteDocLinks turns into href="#".
std::string ResolveWebHelpTopicLink(const TDocProject& AProject, const std::string& AID);

// One entry of search.json as compact JSON: id, title, file, text (APlainText), keywords.
std::string WebHelpSearchEntry(const TTopic& ATopic, const std::string& APlainText);

struct TWebHelpTopicOutput {
    std::string Page;         // the whole topic page
    std::string SearchEntry;  // its entry in search.json
    std::string SearchText;   // its plain text
    TSearchTopicWords Words;  // its words for the prebuilt index
};

// What every page of one export needs, made once and only read by the page workers: the
// project, the page background and footer from the settings, the topic-link resolver.
class TWebHelpExportContext {
public:
    // AProject must outlive the context.
    TWebHelpExportContext(const TDocProject& AProject, const TProjectSettings& ASettings);
    // The topic's page (body read from topics/<id>.html, the escaped title as a heading when it
    // is blank, tokens, topic links, asset links, white backgrounds, header, footer) and its
    // search entry (the HtmlPath file expanded and reduced to plain text). Raises for an id that
    // cannot be a file name. Safe to call from several threads, each with its own expander.
    TWebHelpTopicOutput BuildTopic(const TTopic& ATopic, TTokenExpander& AExpander) const;

private:
    const TDocProject& FProject;
    std::string FPageBg;
    std::string FFooter;
    TDocLinkResolver FResolver;
};

// toc.json ({"roots":[...]}: id, title, file, children per node, in RootTopicIDs/Children order;
// a missing or excluded topic takes its whole subtree with it), then toc.js.
void WriteWebHelpToc(const TDocProject& AProject, const std::string& AOutputRoot);
// search.json ({"topics":[...]}: id, title, file, text, keywords for every topic not excluded,
// in dictionary order; text is the HtmlPath file expanded and reduced to plain text), then
// search.js, both written as a stream and renamed into place when complete; then the prebuilt
// index the viewer loads in pieces (search/, start.js). AExpander, when given, is the expansion
// context of the running export.
void WriteWebHelpSearchIndex(const TDocProject& AProject, const std::string& AOutputRoot,
                             TTokenExpander* AExpander = nullptr, const TSearchIndexOptions& AIndexOptions = {});
// The ids of the table of contents, depth-first, each once.
std::vector<std::string> WebHelpTocOrder(const TDocProject& AProject);

// index-entries.js: "window.__SV_INDEX = " + {"entries":[...]} + ";", the index of the WebHelp
// output (uIndexEntries) in its order; an entry is {"text", "topics": [ids], "subs": [entries]},
// "subs" only when it has sub-entries, "topics" empty for a main entry that only groups.
std::string WebHelpIndexScript(const TDocProject& AProject);

// Pages, assets, style.css, table of contents and search index into AOutputRoot, with the
// settings loaded afresh from the project's settings file. When a topic with a page has an index
// entry, also index-entries.js, named "index" in "later" of start.js. The pages are written in place
// (meant for a fresh folder); nothing is deleted first.
void ExportWebHelp(const TDocProject& AProject, const std::string& AOutputRoot, const TPublishOptions& AOptions = {});

// Installs the viewer from ATemplateDir (the project's internal/webhelp) into AOutputRoot: when
// the folder exists, app.html is copied to index.html, app.js and app.css as they are (a missing
// template raises the copy error); then, when AWindowSettings is given, the placeholders
// __SV_TOC_COLOR__, __SV_TOC_SIZE__ and __SV_LEFT_BG__ in app.css are replaced by the settings'
// TocTextColor, TocTextSize and DefaultPageBgColor (a failure in this step is ignored); then the
// first "<title>WebHelp</title>" of index.html, when that file exists, becomes the escaped
// project title. Returns the full path of index.html (which may not exist).
std::string InstallWebHelpViewer(const std::string& ATemplateDir, const std::string& AOutputRoot,
                                 const TProjectSettings* AWindowSettings, const std::string& AProjectTitle);

// The whole publication as the WebHelp command makes it after saving: ExportWebHelp into a fresh
// sibling of <RootPath>/build/webhelp, then InstallWebHelpViewer there from
// <RootPath>/internal/webhelp (or from ATemplateDir when it is not empty) with AWindowSettings
// and the project title, then the new folder replaces build/webhelp. Returns the full path of
// build/webhelp/index.html. Opens nothing. On failure or cancel build/webhelp is untouched.
std::string PublishWebHelp(const TDocProject& AProject, const TProjectSettings* AWindowSettings,
                           const std::string& ATemplateDir = {}, const TPublishOptions& AOptions = {});

// <RootPath>/build/webhelp.
std::string WebHelpOutputRoot(const TDocProject& AProject);
