// The topic header files in the project's meta folder: header_<id>.html and headerbg_<id>.txt
// per topic, header_default.html and headerbg_default.txt for the whole project. These are the
// pure parts of the main window's LoadHeader/SaveHeader and the one lookup the publishers share.
//
// A missing file is never an error, it only selects the next fallback. Failures reading or
// writing an existing file are raised (EAppError naming the file).
#pragma once

#include "uDocModel.h"
#include "uProjectSettings.h"

#include <optional>
#include <string>

// The background used wherever a header background is missing or blank.
inline constexpr const char* BuiltInHeaderBg = "#fafafa";

// A header: its HTML fragment and its background colour text.
struct TTopicHeader {
    std::string Html;
    std::string Bg;
    bool operator==(const TTopicHeader&) const = default;
};

// <root>/meta/header_<SafeFileName(AID)>.html and <root>/meta/headerbg_<SafeFileName(AID)>.txt.
std::string HeaderHtmlPath(const std::string& ARootPath, const std::string& AID);
std::string HeaderBgPath(const std::string& ARootPath, const std::string& AID);
// <root>/meta/header_default.html and <root>/meta/headerbg_default.txt.
std::string DefaultHeaderHtmlPath(const std::string& ARootPath);
std::string DefaultHeaderBgPath(const std::string& ARootPath);

// The generated header for a title in the settings' font, body size and text colour:
// <div style="font-size:16px;font-family:Segoe UI, Arial, sans-serif;color:#000000;"><b>Title</b></div>
std::string DefaultHeaderHtml(const TProjectSettings& ASettings, const std::string& ATitle);

// The main window's view of a header. With AID not empty: the topic's own files only (no
// project default); a missing HTML file gives DefaultHeaderHtml of the topic's title (of the
// project title when AID names no topic). With AID empty: the project default files, falling
// back to DefaultHeaderHtml of the project title. The HTML is taken untrimmed (possibly empty);
// the background is trimmed, and a missing or blank one is BuiltInHeaderBg.
TTopicHeader LoadTopicHeader(const TDocProject& AProject, const TProjectSettings& ASettings, const std::string& AID);
// Writes both files of AID (the default files when AID is empty), creating the meta folder.
void SaveTopicHeader(const std::string& ARootPath, const std::string& AID, const TTopicHeader& AHeader);

// How a publisher puts the project title into the generated 14px header.
enum class THeaderTitleForm { Plain, HtmlEncoded };

// The publishers' lookup: the project default files, replaced by the topic's own files where
// they exist (an empty topic file still replaces), a blank background becomes BuiltInHeaderBg
// and a blank header becomes <div style="font-size:14px;"><b>project title</b></div>.
// AID may be empty (project default only).
TTopicHeader PublishedTopicHeader(const TDocProject& AProject, const std::string& AID, THeaderTitleForm ATitleForm);
// WebHelp inserts the project title unchanged, CHM HTML-encodes it (& < > ").
TTopicHeader WebHelpTopicHeader(const TDocProject& AProject, const std::string& AID);
TTopicHeader ChmTopicHeader(const TDocProject& AProject, const std::string& AID);

// The PDF's header source: the raw text of the topic's header_<id>.html if it exists, else of
// header_default.html if that exists, else nothing. The PDF publisher prepares the text itself.
std::optional<std::string> PdfHeaderSourceHtml(const TDocProject& AProject, const std::string& AID);

// After the header background setting changed: writes AColorText to headerbg_default.txt and
// then to every meta/headerbg_*.txt (not in subfolders), when the project has a root and its
// meta folder exists. Every write failure is ignored.
void ResetHeaderBackgrounds(const std::string& ARootPath, const std::string& AColorText);
