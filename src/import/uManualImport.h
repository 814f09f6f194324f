// Importing a whole HTML manual into a project in one step: the start page and every page it
// reaches inside its folder tree become topics, the manual's contents list becomes the tree
// below the start page, links between pages become topic links (with their fragments), the
// navigation bars the generator repeated on every page are removed, and style sheets, pictures,
// fonts and other linked files are copied once per content into the project's assets folders.
// Each page's fragment goes through the same steps as a single imported document
// (uHtmlImport.h): style sheets collected, body cut out, scripts and event handlers removed.
//
// Two phases. PrepareManualImport reads and converts every page and stages the copied files in a
// temporary folder inside the project root; it changes nothing in the project. Commit writes
// the topic files, their header files and the staged files (never over an existing file),
// recording each path, and adds the topics to the project in memory; with AWriteTree it then
// writes the tree files through the storage functions. A failure or a cancel during Commit
// removes every file it wrote and every topic it added, and restores the tree files, so the
// project is as it was. Failures are EAppError (EImportCancelled for a cancel).
// Not thread-safe; one import at a time per project.
#pragma once

#include "uDocModel.h"
#include "uProjectSettings.h"
#include "uUtils.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

class EImportCancelled : public EAppError {
public:
    EImportCancelled() : EAppError("Import cancelled") {}
};

// Pages larger than this are refused ("Page too large").
inline constexpr size_t kMaxImportPageBytes = 64u * 1024 * 1024;

struct TManualImportOptions {
    std::string ParentID;               // the imported root goes below this topic; empty: a new root topic
    bool KeepNavigation = false;        // keep the repeated navigation blocks
    std::vector<std::string> Excludes;  // glob patterns of pages not to import
    // Called as work goes on: the phase ("Reading pages", "Converting pages", "Writing files"),
    // work done and the total known so far. Returning false cancels the import.
    std::function<bool(const std::string& APhase, size_t ADone, size_t ATotal)> Progress;
    // Called before each file the commit writes, with its path; a test's way to make a write fail.
    std::function<void(const std::string& APath)> BeforeWrite;
};

// A link of the report: the page (relative to the start page's folder), the address as written
// and why it is listed.
struct TImportLinkNote {
    std::string Page;
    std::string Address;
    std::string Reason;
    bool operator==(const TImportLinkNote&) const = default;
};

struct TManualImportReport {
    size_t Pages = 0;          // pages read and imported
    size_t Topics = 0;         // topics made
    size_t Assets = 0;         // files copied into assets
    size_t TopicLinks = 0;     // links made into topic links
    size_t ExternalLinks = 0;  // links to addresses outside the project kept as they are
    size_t CharsetFallbacks = 0;  // pages read as windows-1252 for want of anything better
    struct TNavigation {
        std::string Pattern;
        size_t Pages = 0;
    };
    std::vector<TNavigation> Navigation;         // removed navigation patterns
    std::vector<TImportLinkNote> NotCarriedOver;  // outside the tree, a folder, a link, excluded...
    std::vector<TImportLinkNote> Broken;          // already broken in the original
    std::vector<std::string> PageNotes;           // pages left out or imported as plain text, and why
    std::string RootTopicID;
};

struct TManualImportPlan;  // the pages, ready to be written
// Deletes a plan and its staging folder.
void DestroyManualImportPlan(TManualImportPlan* APlan);
struct TManualImportPlanDeleter {
    void operator()(TManualImportPlan* APlan) const { DestroyManualImportPlan(APlan); }
};
using TManualImportPlanPtr = std::unique_ptr<TManualImportPlan, TManualImportPlanDeleter>;

// Reads the manual that starts at AStartPage for the project AProject (its RootPath) and its
// settings. Raises EAppError for a start page that is missing, unreadable, too large or not
// HTML, for an unknown parent topic, and EImportCancelled when Progress says so.
TManualImportPlanPtr PrepareManualImport(const TDocProject& AProject, const TProjectSettings& ASettings,
                                         const std::string& AStartPage, const TManualImportOptions& AOptions);

// Replaces the progress callback the commit reports to (the one given to PrepareManualImport
// may refer to a dialog that is gone by then); an empty one reports nothing.
void SetManualImportProgress(TManualImportPlan& APlan,
                             std::function<bool(const std::string& APhase, size_t ADone, size_t ATotal)> AProgress);

// Writes the prepared import into AProject (see above) and gives the report.
TManualImportReport CommitManualImport(TManualImportPlan& APlan, TDocProject& AProject, bool AWriteTree);

// Both phases.
TManualImportReport ImportManual(TDocProject& AProject, const TProjectSettings& ASettings, const std::string& AStartPage,
                                 const TManualImportOptions& AOptions, bool AWriteTree);

// The report as text lines ending in "\n".
std::string FormatManualImportReport(const TManualImportReport& AReport);
