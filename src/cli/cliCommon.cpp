#include "cliCommands.h"

#include "uProgressLine.h"
#include "uUtils.h"

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <memory>

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

std::string TCommandArgs::Last(std::string_view AName) const {
    const auto it = Values.find(AName);
    return it == Values.end() || it->second.empty() ? std::string() : it->second.back();
}

std::optional<TCommandArgs> ParseCommandArgs(const TCliArgs& AArgs, size_t APositional,
                                             std::initializer_list<std::string_view> AValueOptions,
                                             std::initializer_list<std::string_view> AFlags) {
    TCommandArgs out;
    for (size_t i = 0; i < AArgs.size(); ++i) {
        const std::string& a = AArgs[i];
        if (a.empty())
            return std::nullopt;
        if (a.rfind("--", 0) != 0) {
            out.Positional.push_back(a);
            continue;
        }
        const size_t eq = a.find('=');
        const std::string_view name = std::string_view(a).substr(0, eq);
        if (std::find(AValueOptions.begin(), AValueOptions.end(), name) != AValueOptions.end()) {
            if (eq != std::string::npos)
                out.Values[std::string(name)].push_back(a.substr(eq + 1));
            else if (i + 1 < AArgs.size())
                out.Values[a].push_back(AArgs[++i]);
            else
                return std::nullopt;
        } else if (eq == std::string::npos && std::find(AFlags.begin(), AFlags.end(), name) != AFlags.end()) {
            out.Flags.insert(a);
        } else {
            return std::nullopt;
        }
    }
    if (out.Positional.size() != APositional)
        return std::nullopt;
    return out;
}

namespace {

// Exactly one argument that is not an option.
bool IsOneProjectArgument(const TCliArgs& AArgs) {
    return AArgs.size() == 1 && !AArgs[0].empty() && AArgs[0].rfind("--", 0) != 0;
}

}  // namespace

bool TakeProjectArgument(const TCliArgs& AArgs, const std::string& ACommand, std::string& AProject) {
    if (!IsOneProjectArgument(AArgs)) {
        std::cerr << "usage: pagewell-cli " << ACommand << " PROJECT   (a .svp file or a project root folder)\n";
        return false;
    }
    AProject = AArgs[0];
    return true;
}

bool TakePublishArguments(const TCliArgs& AArgs, const std::string& ACommand, std::string& AProject, bool& AQuiet) {
    TCliArgs rest;
    AQuiet = false;
    for (const std::string& a : AArgs) {
        if (a == "--quiet")
            AQuiet = true;
        else
            rest.push_back(a);
    }
    if (IsOneProjectArgument(rest)) {
        AProject = rest[0];
        return true;
    }
    std::cerr << "usage: pagewell-cli " << ACommand << " PROJECT [--quiet]   (a .svp file or a project root folder)\n";
    return false;
}

TPublishOptions CliPublishOptions(const std::string& ALabel, bool AQuiet) {
    TPublishOptions options;
    if (AQuiet || !::isatty(STDERR_FILENO))
        return options;
    auto line = std::make_shared<TProgressLine>(ALabel);
    options.Progress = [line](size_t ADone, size_t ATotal) {
        const auto now = std::chrono::steady_clock::now().time_since_epoch();
        const std::string text = line->Update(ADone, ATotal, std::chrono::duration_cast<std::chrono::milliseconds>(now).count());
        if (!text.empty())
            std::cerr << text << std::flush;
    };
    return options;
}
