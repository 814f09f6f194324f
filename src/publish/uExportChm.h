// CHM publishing: topic pages, style.css, the copied assets (JPEG photos turned upright),
// toc.hhc, index.hhk and project.hhp in <RootPath>/build/chm, then the help compiler, which
// writes help.chm there.
//
// Pages, contents and project file are written in the code page chosen from the titles
// (ChooseChmCodePage); on pages, characters it cannot represent become character references, so
// pages lose nothing. The project file declares the language (ChooseChmLanguage, or the one the
// caller gives). The index stays in Windows-1251.
//
// Reads the project as stored on disk. The folder is never emptied, so files of earlier runs
// stay (and are listed in project.hhp when they lie under assets). Publishing the same project
// twice writes identical source files. Failures are raised as EAppError; what was written before
// stays. Runs on the calling thread and waits for the compiler without time limit.
#pragma once

#include "uChmLanguage.h"
#include "uDocModel.h"
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
// ignored. Returns the files it rewrote.
std::vector<std::string> NormalizeJpegOrientations(const TDocProject& AProject, const std::string& AOutputFolder);

struct TChmExportOptions {
    std::optional<TChmLanguage> Language;  // the language to declare instead of the chosen one
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
// written with "?" and named in a note; the export still succeeds.
TChmExportResult ExportChm(const TDocProject& AProject, const TChmExportOptions& AOptions = {});

// The note for titles the code page cannot show: "These titles cannot be shown exactly in the
// CHM contents: " and the first ten distinct titles in double quotes, then how many more; ""
// when every title can be shown.
std::string UnshowableTitlesNote(const TWindowsCodePage& ACodePage, const std::vector<std::string>& ATitles);
