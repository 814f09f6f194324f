// pagewell-cli publish pdf PROJECT: writes build/pdf under the project root as the desktop PDF
// command does (manual.html, style.css, assets, then manual.pdf from the PDF printer, without
// opening anything) and prints the path of manual.pdf.
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
        ExportPdf(project, out);
        std::cout << CombinePath(out, "manual.pdf") << '\n';
        return kExitOk;
    } catch (const std::exception& e) {
        return CliFail(e.what(), kExitFailed);
    }
}
