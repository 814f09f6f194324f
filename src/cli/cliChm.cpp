// pagewell-cli publish chm [--language 0xNNNN] PROJECT: writes build/chm under the project root
// and compiles help.chm as the desktop CHM command does (without opening it), prints the path of
// help.chm; notes for the user (titles the contents show with "?", a compile without full-text
// search) go to stderr. --language declares that Windows language id instead of the chosen one.
#include "cliCommands.h"

#include "uExportChm.h"
#include "uPublishCommon.h"

#include <iostream>

namespace {

constexpr const char* kCommand = "publish chm [--language 0xNNNN]";  // for the usage line

// Takes "--language VALUE" (or "--language=VALUE") out of AArgs into AOptions. False, with the
// reason on stderr, when the value is missing or not a language id.
bool TakeLanguageOption(TCliArgs& AArgs, TChmExportOptions& AOptions) {
    std::string value;
    switch (TakeValueOption(AArgs, "--language", value)) {
        case TOptionTake::Absent: return true;
        case TOptionTake::MissingValue:
            std::cerr << "--language needs a Windows language id such as 0x0407\n";
            return false;
        case TOptionTake::Taken: break;
    }
    AOptions.Language = ParseChmLanguage(value);
    if (!AOptions.Language) {
        std::cerr << "Not a Windows language id: " << value << " (expected 0x and up to four hexadecimal digits, "
                  << "such as 0x0407)\n";
        return false;
    }
    return true;
}

}  // namespace

int RunPublishChm(const TCliArgs& AArgs) {
    TCliArgs args = AArgs;
    TChmExportOptions options;
    std::string path;
    bool quiet = false;
    if (!TakeLanguageOption(args, options) || !TakePublishArguments(args, kCommand, path, quiet))
        return kExitUsage;
    try {
        TDocProject project;
        TProjectSettings settings;
        OpenProjectForPublishing(path, project, settings);
        options.Publish = CliPublishOptions("Publishing CHM", quiet);
        const TChmExportResult result = ExportChm(project, options);
        for (const std::string& note : result.Notes)
            std::cerr << "Note: " << note << '\n';
        std::cout << result.ChmFile << '\n';
        return kExitOk;
    } catch (const std::exception& e) {
        return CliFail(e.what(), kExitFailed);
    }
}
