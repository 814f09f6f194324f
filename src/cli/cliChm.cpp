// pagewell-cli publish chm PROJECT: writes build/chm under the project root and compiles
// help.chm as the desktop CHM command does (without opening it), prints the path of help.chm;
// notes for the user (a compile without full-text search) go to stderr.
#include "cliCommands.h"

#include "uExportChm.h"
#include "uPublishCommon.h"

#include <iostream>

int RunPublishChm(const TCliArgs& AArgs) {
    std::string path;
    if (!TakeProjectArgument(AArgs, "publish chm", path))
        return kExitUsage;
    try {
        TDocProject project;
        TProjectSettings settings;
        OpenProjectForPublishing(path, project, settings);
        const TChmExportResult result = ExportChm(project);
        for (const std::string& note : result.Notes)
            std::cerr << "Note: " << note << '\n';
        std::cout << result.ChmFile << '\n';
        return kExitOk;
    } catch (const std::exception& e) {
        return CliFail(e.what(), kExitFailed);
    }
}
