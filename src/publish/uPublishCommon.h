// What the WebHelp, CHM and PDF publishers share: opening a project from disk without the main
// window, the settings a publisher works with, reading a topic body, the front of the page
// pipeline (token expansion and topic-link rewriting), and copying the assets.
//
// All functions run on the calling thread and keep no state. Failures are raised as EAppError
// naming the file or folder concerned; a missing topic body or a missing assets folder is not a
// failure.
#pragma once

#include "uDocModel.h"
#include "uHtmlUtils.h"
#include "uProjectSettings.h"

#include <functional>
#include <string>

class TTokenExpander;

// ---- opening a project without the main window -----------------------------------------------

// Fills AProject and ASettings the way opening APath in the main window would, without writing
// anything: APath is a project file (.svp, any case) or a project root folder (one holding
// project.json or meta/topics.json). The root gets a trailing separator (as the main window sets
// it), topics are loaded as stored, a title stored in the project file is taken, then the
// settings are read from the project's settings file (defaults when it is missing) and the
// project title becomes the settings' ProjTitle. Raises "Project file not found: <path>" for a
// path that names nothing, "Not a project file: <path>" for another kind of file and "Not a
// project folder: <path>" for a folder without project files; ReadProjectFile's and
// LoadProjectFolder's errors propagate.
void OpenProjectForPublishing(const std::string& APath, TDocProject& AProject, TProjectSettings& ASettings);
// The first half of that: the root folder APath names (from its project file, for a .svp), and the
// title stored in its project file (empty for a folder). Raises the same errors.
std::string ProjectRootForPath(const std::string& APath, std::string& AStoredTitle);

// The settings a publisher works with: defaults, then the project's settings file
// (DefaultSettingsPathForProject(RootPath)) when it exists. Without that file the title is the
// project's own, as the window's settings would be once it opened the project. Never writes.
TProjectSettings LoadPublishSettings(const TDocProject& AProject);

// ATarget becomes a copy of AProject's tree (root, title, style profile, every topic and the
// root list), so a publication on another thread reads nothing the window may change meanwhile.
void CopyProjectForPublishing(const TDocProject& AProject, TDocProject& ATarget);

// ---- topic bodies ----------------------------------------------------------------------------

// <RootPath>/topics/<id>.html.
std::string TopicBodyFilePath(const TDocProject& AProject, const std::string& AID);
// Raises EAppError("Invalid topic id: <id>") unless AID can name a file in the output's topics
// folder (not empty, not "." or "..", no path separator, no NUL): a hand-edited tree must not
// make a publisher write outside its output folder.
void RequireTopicIdIsFileName(const std::string& AID);
// That file's text as UTF-8; "" when it does not exist.
std::string ReadTopicBody(const TDocProject& AProject, const std::string& AID);
// The topic's HtmlPath read as UTF-8; "" when the path is empty or the file does not exist.
std::string ReadTopicHtmlPath(const TTopic& ATopic);

// A topic-link resolver: an id naming a topic of AProject for which AIncluded is true gives
// id + ".html" (the page beside the linking one), anything else "" (the link becomes "#").
// AProject must outlive the resolver.
TDocLinkResolver MakeTopicPageResolver(const TDocProject& AProject, std::function<bool(const TTopic&)> AIncluded);

// The front of every page pipeline: tokens expanded with AExpander, then topic links rewritten
// with AResolver.
std::string ExpandAndRewriteTopicLinks(TTokenExpander& AExpander, const std::string& AHtml,
                                       const TDocLinkResolver& AResolver);

// ---- files -----------------------------------------------------------------------------------

// EnsureDir(ATarget); copies every file directly in ASource to ATarget under the same name,
// overwriting; then CopyDirectoryTree(subfolder, ATarget + subfolder name) for each subfolder,
// in name order. A failed copy raises EAppError with the system's message and the file name.
void CopyDirectoryTree(const std::string& ASource, const std::string& ATarget);
// When <RootPath>/assets exists: CopyDirectoryTree into <AOutputRoot>/assets; returns whether
// it did.
bool CopyProjectAssets(const TDocProject& AProject, const std::string& AOutputRoot);

// ---- footer ----------------------------------------------------------------------------------

// The footer text the publications show (WebHelp pages, the PDF title page): EscapeHtml of
// CopyrightText when CopyrightEnabled and the trimmed text is not empty, else "".
std::string CopyrightFooterHtml(const TProjectSettings& ASettings);

// ---- style sheets ----------------------------------------------------------------------------

// The text of <RootPath>/styles/<StyleProfile>.css when that file exists, else FallbackBaseCss:
// the base of the WebHelp and PDF style sheets, before the settings overrides.
std::string ProjectBaseStyleSheet(const TDocProject& AProject);
