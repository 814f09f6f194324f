// WebHelp publishing: one page per topic under topics/, the copied assets, style.css, the table
// of contents and the search index (each as JSON and as a script setting window.__SV_TOC /
// window.__SV_SEARCH), and the viewer (index.html, app.js, app.css) installed from the templates.
//
// Every function reads the project as stored on disk and writes with WriteUtf8File (UTF-8, no
// byte-order mark, atomic replacement). Nothing is deleted first: files of an earlier export
// that this one does not write stay. Publishing the same project twice gives identical bytes.
// Failures are raised as EAppError; what was written before stays. Not thread-safe: the link
// resolver consults the project being exported on the calling thread.
#pragma once

#include "uDocModel.h"
#include "uProjectSettings.h"
#include "uSearchIndex.h"

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

// While a project is being exported (inside ExportWebHelp's page loop): TopicPageFileName(id)
// for a topic of that project that is not excluded from WebHelp; "" otherwise (also outside an
// export), which RewriteDocLinks turns into href="#".
std::string ResolveWebHelpTopicLink(const std::string& AID);

// toc.json ({"roots":[...]}: id, title, file, children per node, in RootTopicIDs/Children order;
// a missing or excluded topic takes its whole subtree with it), then toc.js.
void WriteWebHelpToc(const TDocProject& AProject, const std::string& AOutputRoot);
// search.json ({"topics":[...]}: id, title, file, text, keywords for every topic not excluded,
// in dictionary order; text is the HtmlPath file expanded and reduced to plain text), then
// search.js; then the prebuilt index the viewer loads in pieces (search/, start.js). AExpander,
// when given, is the expansion context of the running export.
void WriteWebHelpSearchIndex(const TDocProject& AProject, const std::string& AOutputRoot,
                             TTokenExpander* AExpander = nullptr, const TSearchIndexOptions& AIndexOptions = {});
// The ids of the table of contents, depth-first, each once.
std::vector<std::string> WebHelpTocOrder(const TDocProject& AProject);

// Pages, assets, style.css, table of contents and search index into AOutputRoot, with the
// settings loaded afresh from the project's settings file.
void ExportWebHelp(const TDocProject& AProject, const std::string& AOutputRoot);

// Installs the viewer from ATemplateDir (the project's internal/webhelp) into AOutputRoot: when
// the folder exists, app.html is copied to index.html, app.js and app.css as they are (a missing
// template raises the copy error); then, when AWindowSettings is given, the placeholders
// __SV_TOC_COLOR__, __SV_TOC_SIZE__ and __SV_LEFT_BG__ in app.css are replaced by the settings'
// TocTextColor, TocTextSize and DefaultPageBgColor (a failure in this step is ignored); then the
// first "<title>WebHelp</title>" of index.html, when that file exists, becomes the escaped
// project title. Returns the full path of index.html (which may not exist).
std::string InstallWebHelpViewer(const std::string& ATemplateDir, const std::string& AOutputRoot,
                                 const TProjectSettings* AWindowSettings, const std::string& AProjectTitle);

// The whole publication as the WebHelp command makes it after saving: EnsureDir of
// <RootPath>/build/webhelp, ExportWebHelp, then InstallWebHelpViewer from
// <RootPath>/internal/webhelp (or from ATemplateDir when it is not empty) with AWindowSettings
// and the project title. Returns the full path of index.html. Opens nothing.
std::string PublishWebHelp(const TDocProject& AProject, const TProjectSettings* AWindowSettings,
                           const std::string& ATemplateDir = {});

// <RootPath>/build/webhelp.
std::string WebHelpOutputRoot(const TDocProject& AProject);
