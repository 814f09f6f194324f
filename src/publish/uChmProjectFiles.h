// The three input files of the help compiler in the CHM output folder: the table of contents
// (toc.hhc), the index (index.hhk) and the project file (project.hhp). Each is a list of lines
// ended by CR LF (the last one included), replaced atomically. The contents and the project file
// are written in the code page chosen for the project, the index in UTF-8 for chmcmd and in
// Windows-1251 for hhc.exe; characters the file's code page cannot represent become "?". Failures are raised naming the file.
#pragma once

#include "uChmLanguage.h"
#include "uDocModel.h"
#include "uWindowsCodePage.h"

#include <string>
#include <vector>

// "topics/" + id + ".html": a page's name inside the compiled file.
std::string ChmPageEntry(const std::string& AID);

// The topics that get a page, as page-list entries: every topic not excluded from CHM, in
// table-of-contents order (an excluded parent does not hide its included children here), then
// the topics the tree does not reach, in dictionary order.
std::vector<std::string> ChmPageList(const TDocProject& AProject);

// toc.hhc: the root topics in RootTopicIDs order, children nested in <UL> under their parent;
// a missing or excluded topic hides its whole subtree; titles unescaped. A topic is written at
// most once, so a cycle in a hand-edited tree cannot make it loop. Declares and uses ACodePage.
void WriteChmToc(const TDocProject& AProject, const std::string& AOutputFolder, const TWindowsCodePage& ACodePage);

// index.hhk. When a topic with a page has an index entry (uIndexEntries): the index of the CHM
// output in its order, sub-entries in a <UL> under their main entry; an entry with several
// topics is one <LI> per topic with the same Name (chmcmd keeps only one Name/Local pair of an
// object), a main entry without topics of its own has no Local. Otherwise, as before there were
// entries: one entry per included topic in dictionary order, named by its title. Texts
// unescaped, like the contents.
std::string ChmIndexText(const TDocProject& AProject);
// Writes that text in UTF-8 when AUtf8 (for chmcmd, IsChmcmd), else in Windows-1251.
void WriteChmIndex(const TDocProject& AProject, const std::string& AOutputFolder, bool AUtf8);

// The asset lines of the project file: "assets/" + the path of every file under
// <AOutputFolder>/assets relative to that folder, deeper levels separated by a backslash; the
// files of a folder (in name order) before its subfolders (in name order). Links to folders are
// not followed. Empty when the folder does not exist.
std::vector<std::string> ChmAssetEntries(const std::string& AOutputFolder);

// project.hhp with the compiled file name, toc.hhc, index.hhk, the first page as default topic,
// full-text search on, the language, and the files: toc.hhc, index.hhk, the pages, style.css,
// the assets, then AContextSections (ChmContextSections); written in ACodePage. APages must not
// be empty (raises EAppError).
void WriteChmProjectFile(const std::string& AOutputFolder, const std::string& ACompiledFile,
                         const std::vector<std::string>& APages, const TChmLanguage& ALanguage,
                         const TWindowsCodePage& ACodePage, const std::string& AContextSections = {});
// The text of that file before encoding (AFullTextSearch false writes "Full-text search=No").
std::string ChmProjectFileText(const std::string& AOutputFolder, const std::string& ACompiledFile,
                               const std::vector<std::string>& APages, const TChmLanguage& ALanguage,
                               bool AFullTextSearch = true, const std::string& AContextSections = {});
