// pagewell-cli import-manual PROJECT START_PAGE [--parent ID] [--keep-navigation] [--exclude GLOB]...:
// brings a whole HTML manual into the project: every page the start page reaches inside its
// folder becomes a topic below the start page's topic, in the order of the manual's contents,
// with links between pages made into topic links and shared files copied once. Prints the
// report; exit code 0 on success (also when the original had broken links), 2 on every error,
// the project then unchanged.
#include "cliCommands.h"

#include "uManualImport.h"
#include "uProjectLock.h"
#include "uPublishCommon.h"
#include "uStorage.h"
#include "uUtils.h"

#include <iostream>

namespace {

const char* const kUsage =
    "usage: pagewell-cli import-manual PROJECT START_PAGE [--parent ID] [--keep-navigation] [--exclude GLOB]...";

struct TImportManualArgs {
    std::string Project, StartPage;
    TManualImportOptions Options;
};

bool ParseImportManualArgs(const TCliArgs& AArgs, TImportManualArgs& AOut) {
    const std::optional<TCommandArgs> args = ParseCommandArgs(AArgs, 2, {"--parent", "--exclude"}, {"--keep-navigation"});
    if (!args)
        return false;
    AOut.Project = args->Positional[0];
    AOut.StartPage = args->Positional[1];
    AOut.Options.ParentID = args->Last("--parent");
    if (const auto excludes = args->Values.find("--exclude"); excludes != args->Values.end())
        AOut.Options.Excludes = excludes->second;
    AOut.Options.KeepNavigation = args->Flags.count("--keep-navigation") > 0;
    return true;
}

}  // namespace

int RunImportManual(const TCliArgs& AArgs) {
    TImportManualArgs args;
    if (!ParseImportManualArgs(AArgs, args))
        return CliFail(kUsage, kExitUsage);
    try {
        std::string storedTitle;
        const std::string root = IncludeTrailingPathDelimiter(ProjectRootForPath(args.Project, storedTitle));
        TProjectLock lock;
        if (!lock.TryAcquire(root))
            throw EAppError("The project is open in Pagewell; close it first.");
        TDocProject project;
        LoadProjectFolder(root, project);
        const TProjectSettings settings = LoadPublishSettings(project);
        const TManualImportReport report = ImportManual(project, settings, args.StartPage, args.Options, true);
        std::cout << FormatManualImportReport(report);
        return kExitOk;
    } catch (const std::exception& e) {
        return CliFail(e.what(), kExitUsage);
    }
}
