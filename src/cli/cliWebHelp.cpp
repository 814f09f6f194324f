// pagewell-cli publish webhelp PROJECT: writes build/webhelp under the project root as the
// desktop WebHelp command does (without opening the result) and prints the path of index.html.
#include "cliCommands.h"

#include "uExportWebHelp.h"
#include "uPublishCommon.h"
#include "uUtils.h"

#include <iostream>

int RunPublishWebHelp(const TCliArgs& AArgs) {
    std::string path;
    bool quiet = false;
    if (!TakePublishArguments(AArgs, "publish webhelp", path, quiet))
        return kExitUsage;
    try {
        TDocProject project;
        TProjectSettings settings;
        OpenProjectForPublishing(path, project, settings);
        // Opening a project in the desktop app refreshes its viewer templates from the
        // application folder; take them from there too, else from the project's own copy.
        const std::string appTemplates =
            CombinePath(CombinePath(ApplicationFolder(), "AppFiles"), "webhelp");
        const std::string index = PublishWebHelp(project, &settings, DirectoryExists(appTemplates) ? appTemplates : "",
                                                 CliPublishOptions("Publishing WebHelp", quiet));
        std::cout << index << '\n';
        return kExitOk;
    } catch (const std::exception& e) {
        return CliFail(e.what(), kExitFailed);
    }
}
