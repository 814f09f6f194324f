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

bool TakeProjectArgument(const TCliArgs& AArgs, const std::string& ACommand, std::string& AProject) {
    if (AArgs.size() != 1 || AArgs[0].empty() || AArgs[0].rfind("--", 0) == 0) {
        std::cerr << "usage: pagewell-cli " << ACommand << " PROJECT   (a .svp file or a project root folder)\n";
        return false;
    }
    AProject = AArgs[0];
    return true;
}
