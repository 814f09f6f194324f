#include "cliCommands.h"

#include "uUtils.h"

#include <filesystem>
#include <iostream>
#include <system_error>

std::string ApplicationFolder() {
    std::error_code ec;
    const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (ec)
        return ExpandFileName(".");
    return exe.parent_path().string();
}

int CliFail(const std::string& AMessage, int AExitCode) {
    std::cerr << AMessage << '\n';
    return AExitCode;
}

TOptionTake TakeValueOption(TCliArgs& AArgs, const std::string& AName, std::string& AValue) {
    for (size_t i = 0; i < AArgs.size(); ++i) {
        size_t taken = 1;
        if (AArgs[i].rfind(AName + "=", 0) == 0) {
            AValue = AArgs[i].substr(AName.size() + 1);
        } else if (AArgs[i] == AName) {
            if (i + 1 == AArgs.size())
                return TOptionTake::MissingValue;
            AValue = AArgs[i + 1];
            taken = 2;
        } else {
            continue;
        }
        AArgs.erase(AArgs.begin() + static_cast<long>(i), AArgs.begin() + static_cast<long>(i + taken));
        return TOptionTake::Taken;
    }
    return TOptionTake::Absent;
}

bool TakeProjectArgument(const TCliArgs& AArgs, const std::string& ACommand, std::string& AProject) {
    if (AArgs.size() != 1 || AArgs[0].empty() || AArgs[0].rfind("--", 0) == 0) {
        std::cerr << "usage: pagewell-cli " << ACommand << " PROJECT   (a .svp file or a project root folder)\n";
        return false;
    }
    AProject = AArgs[0];
    return true;
}
