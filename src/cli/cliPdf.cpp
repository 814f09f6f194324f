// pagewell-cli publish pdf [--paper a4|letter] PROJECT: writes build/pdf under the project root
// as the desktop PDF command does (manual.html, style.css, assets, then manual.pdf from the PDF
// printer with its bookmarks, without opening anything) and prints the path of manual.pdf; notes
// for the user (bookmarks whose heading was not found) go to stderr. The paper is the locale's
// unless --paper names it.
#include "cliCommands.h"

#include "uExportPdf.h"
#include "uPublishCommon.h"
#include "uUtils.h"

#include <iostream>

namespace {

constexpr const char* kCommand = "publish pdf [--paper a4|letter]";  // for the usage line

// Takes "--paper VALUE" (or "--paper=VALUE") out of AArgs into AOptions. False, with the reason
// on stderr, when the value is missing or names no paper.
bool TakePaperOption(TCliArgs& AArgs, TPdfExportOptions& AOptions) {
    std::string value;
    const TOptionTake take = TakeValueOption(AArgs, "--paper", value);
    if (take == TOptionTake::Absent)
        return true;
    const std::optional<TPdfPaper> paper = take == TOptionTake::Taken ? PdfPaperFromName(value) : std::nullopt;
    if (!paper) {
        std::cerr << "--paper needs a4 or letter\n";
        return false;
    }
    AOptions.FPaper = *paper;
    return true;
}

}  // namespace

int RunPublishPdf(const TCliArgs& AArgs) {
    TCliArgs args = AArgs;
    TPdfExportOptions options;
    std::string path;
    bool quiet = false;
    if (!TakePaperOption(args, options) || !TakePublishArguments(args, kCommand, path, quiet))
        return kExitUsage;
    try {
        TDocProject project;
        TProjectSettings settings;
        OpenProjectForPublishing(path, project, settings);
        const std::string out = ExpandFileName(EnsureDir(PdfOutputFolder(project)));
        options.FPublish = CliPublishOptions("Publishing PDF", quiet);
        const TPdfExportResult result = ExportPdf(project, out, options);
        for (const std::string& note : result.FNotes)
            std::cerr << "Note: " << note << '\n';
        std::cout << result.FPdfFile << '\n';
        return kExitOk;
    } catch (const std::exception& e) {
        return CliFail(e.what(), kExitFailed);
    }
}
