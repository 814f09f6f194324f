// pagewell-cli check-links PROJECT: the desktop Check Links command's text on stdout; exit code
// 0 without issues, 1 with issues, 2 when the check could not run.
#include "cliCommands.h"

#include "uLinkChecker.h"
#include "uPublishCommon.h"

#include <iostream>

int RunCheckLinks(const TCliArgs& AArgs) {
    std::string path;
    if (!TakeProjectArgument(AArgs, "check-links", path))
        return kExitUsage;
    try {
        TDocProject project;
        TProjectSettings settings;
        OpenProjectForPublishing(path, project, settings);
        const std::vector<TLinkIssue> issues = CheckProjectLinks(project);
        const std::string text = FormatLinkIssues(issues);
        std::cout << text;
        if (issues.empty())
            std::cout << '\n';
        return issues.empty() ? kExitOk : kExitFailed;
    } catch (const std::exception& e) {
        return CliFail(e.what(), kExitUsage);
    }
}
