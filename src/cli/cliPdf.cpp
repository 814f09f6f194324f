// pagewell-cli publish pdf PROJECT: writes build/pdf under the project root as the desktop PDF
// command does (manual.html, style.css, assets, then manual.pdf from the PDF printer with its
// bookmarks, without opening anything) and prints the path of manual.pdf; notes for the user
// (bookmarks whose heading was not found) go to stderr.
#include "cliCommands.h"

#include "uExportPdf.h"
#include "uPublishCommon.h"
#include "uUtils.h"

#include <iostream>

int RunPublishPdf(const TCliArgs& AArgs) {
    std::string path;
    if (!TakeProjectArgument(AArgs, "publish pdf", path))
        return kExitUsage;
    try {
        TDocProject project;
        TProjectSettings settings;
        OpenProjectForPublishing(path, project, settings);
        const std::string out = ExpandFileName(EnsureDir(PdfOutputFolder(project)));
        const TPdfExportResult result = ExportPdf(project, out);
        for (const std::string& note : result.FNotes)
            std::cerr << "Note: " << note << '\n';
        std::cout << result.FPdfFile << '\n';
        return kExitOk;
    } catch (const std::exception& e) {
        return CliFail(e.what(), kExitFailed);
    }
}
