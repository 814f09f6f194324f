// pagewell-cli context-map PROJECT [--format c|csharp|python|json]: the help context numbers as
// source text for the calling application (ContextMapText) on stdout. Exit code 0, or 2 when
// the arguments are wrong or the project or its help context ids file cannot be read.
#include "cliCommands.h"

#include "uContextIds.h"
#include "uPublishCommon.h"

#include <iostream>

int RunContextMap(const TCliArgs& AArgs) {
    TCliArgs rest = AArgs;
    std::string formatText = "c";
    TContextMapFormat format = TContextMapFormat::C;
    std::string path;
    if (TakeValueOption(rest, "--format", formatText) == TOptionTake::MissingValue ||
        !ParseContextMapFormat(formatText, format) || rest.size() != 1 || rest[0].rfind("--", 0) == 0) {
        std::cerr << "usage: pagewell-cli context-map PROJECT [--format c|csharp|python|json]\n";
        return kExitUsage;
    }
    path = rest[0];
    try {
        TDocProject project;
        TProjectSettings settings;
        OpenProjectForPublishing(path, project, settings);
        RequireReadableContextIds(project);
        std::cout << ContextMapText(project, format);
        return kExitOk;
    } catch (const std::exception& e) {
        return CliFail(e.what(), kExitUsage);
    }
}
