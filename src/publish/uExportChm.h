// CHM publishing: topic pages, style.css, the copied assets (JPEG photos turned upright),
// toc.hhc, index.hhk and project.hhp in <RootPath>/build/chm, then the help compiler, which
// writes help.chm there.
//
// Pages, contents and project file are written in the code page chosen from the titles
// (ChooseChmCodePage); on pages, characters it cannot represent become character references, so
// pages lose nothing. The project file declares the language (ChooseChmLanguage, or the one the
// caller gives). The index (the authors' entries and the titles, uIndexEntries) is written in
// UTF-8 for chmcmd, which runs under the C.UTF-8 locale, and in Windows-1251 for hhc.exe.
//
// Reads the project as stored on disk. Everything is written and compiled in a fresh sibling of
// build/chm that replaces it once the compile succeeded, so a failed or cancelled publication
// leaves the previous build/chm as it was and files of earlier runs never linger. The pages are
// built on every core (TPublishOptions), with the same bytes whatever the number of threads;
// publishing the same project twice writes identical source files. Failures are raised as
// EAppError. Waits for the compiler without time limit.
#pragma once

#include "uChmLanguage.h"
#include "uDocModel.h"
#include "uPublishPipeline.h"
#include "uWindowsCodePage.h"

#include <optional>
#include <string>
#include <vector>

class TProjectSettings;
class TTokenExpander;

// <RootPath>/build/chm.
std::string ChmOutputFolder(const TDocProject& AProject);

// The resolver for topic links on CHM pages: id + ".html" for a topic of AProject that is not
// excluded from CHM, "" otherwise. AProject must outlive the resolver.
std::string ResolveChmTopicLink(const TDocProject& AProject, const std::string& AID);

// One topic page through the whole pipeline (body read from topics/<id>.html, tokens, topic
// links, image links, header, white backgrounds, first table row, template, invisible
// characters), as UTF-8 text before encoding; the page declares ACharset ("windows-1251").
std::string BuildChmTopicPage(const TDocProject& AProject, const TProjectSettings& ASettings,
                              TTokenExpander& AExpander, const std::string& AID, std::string_view ACharset);

// Turns upright every JPEG copy under <AOutputFolder>/assets that an included topic's stored
// body refers to in a src attribute ("assets/..." or "/assets/...") and whose orientation is 3,
// 6 or 8; each file at most once. A source that would leave the assets folder ("..") is
// ignored. Returns the files it rewrote, in the order the topics first name them. The photos are
// turned on AOptions.Threads workers (cancel honoured, no progress calls).
std::vector<std::string> NormalizeJpegOrientations(const TDocProject& AProject, const std::string& AOutputFolder,
                                                   const TPublishOptions& AOptions = {});

struct TChmExportOptions {
    std::optional<TChmLanguage> Language;  // the language to declare instead of the chosen one
    TPublishOptions Publish;               // threads, progress (pages done) and cancelling
};

struct TChmExportResult {
    std::string ChmFile;               // full path of help.chm
    std::string Compiler;              // the compiler that ran
    std::vector<std::string> Pages;    // page list, table-of-contents order
    std::vector<std::string> Rotated;  // JPEG copies turned upright
    bool FullTextSearch = true;        // false when compiled without the search index
    int CodePage = 1251;               // of the pages, the contents and the project file
    TChmLanguage Language;             // declared in the project file
    std::vector<std::string> Notes;    // messages for the user (titles shown with "?", why search is missing)
};

// The whole export and the compile. A project without any topic included in CHM raises
// "Nothing to publish: ..." before anything is written; a compile that fails raises an error
// naming the compiler and its last output lines. Titles the chosen code page cannot show are
// written with "?" and named in a note; the export still succeeds. The paths in the result are
// those under build/chm.
TChmExportResult ExportChm(const TDocProject& AProject, const TChmExportOptions& AOptions = {});

// The note for titles the code page cannot show: "These titles cannot be shown exactly in the
// CHM contents: " and the first ten distinct titles in double quotes, then how many more; ""
// when every title can be shown.
std::string UnshowableTitlesNote(const TWindowsCodePage& ACodePage, const std::vector<std::string>& ATitles);
