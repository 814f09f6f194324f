// The commands of pagewell-cli. Each command lives in its own file and is listed once in the
// table in main.cpp. A command receives the arguments after its own name, writes its results to
// stdout and its errors to stderr, and returns the process exit code.
#pragma once

#include "uPublishPipeline.h"

#include <initializer_list>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

using TCliArgs = std::vector<std::string>;

// Exit codes shared by the commands.
inline constexpr int kExitOk = 0;
inline constexpr int kExitFailed = 1;
inline constexpr int kExitUsage = 2;

int RunPublishWebHelp(const TCliArgs& AArgs);  // cliWebHelp.cpp
int RunPublishPdf(const TCliArgs& AArgs);      // cliPdf.cpp
int RunPublishChm(const TCliArgs& AArgs);      // cliChm.cpp
int RunCheckLinks(const TCliArgs& AArgs);      // cliCheckLinks.cpp
int RunImportHtml(const TCliArgs& AArgs);      // cliImportHtml.cpp
int RunImportManual(const TCliArgs& AArgs);    // cliImportManual.cpp
int RunContextMap(const TCliArgs& AArgs);      // cliContextMap.cpp

// ---- helpers for the commands (cliCommon.cpp) ------------------------------------------------

// The folder holding the running executable (its resources/ copy sits there: AppFiles/...).
std::string ApplicationFolder();
// Writes AMessage and a line break to stderr and returns AExitCode.
int CliFail(const std::string& AMessage, int AExitCode);
// Checks that AArgs is exactly one PROJECT argument; otherwise prints the usage line of
// ACommand to stderr and returns false.
bool TakeProjectArgument(const TCliArgs& AArgs, const std::string& ACommand, std::string& AProject);

enum class TOptionTake { Absent, Taken, MissingValue };
// Takes the first "AName VALUE" or "AName=VALUE" out of AArgs into AValue.
TOptionTake TakeValueOption(TCliArgs& AArgs, const std::string& AName, std::string& AValue);
// A command line of exactly APositional arguments and options: each of AValueOptions takes a
// value ("--name VALUE" or "--name=VALUE"; repeatable, every value kept in order), each of AFlags
// none. Anything else starting with "--", an empty argument, a missing value or another count of
// positional arguments gives nothing, for the command's usage line.
struct TCommandArgs {
    std::vector<std::string> Positional;
    std::map<std::string, std::vector<std::string>, std::less<>> Values;
    std::set<std::string, std::less<>> Flags;
    // The last value given for AName, or "".
    std::string Last(std::string_view AName) const;
};
std::optional<TCommandArgs> ParseCommandArgs(const TCliArgs& AArgs, size_t APositional,
                                             std::initializer_list<std::string_view> AValueOptions,
                                             std::initializer_list<std::string_view> AFlags = {});

// The publish commands: PROJECT and, before or after it, an optional --quiet. Otherwise prints
// the usage line of ACommand to stderr and returns false.
bool TakePublishArguments(const TCliArgs& AArgs, const std::string& ACommand, std::string& AProject, bool& AQuiet);
// The options a publish command runs with: every core, and progress ("\r<ALabel>: n/m topics")
// on stderr when stderr is a terminal and AQuiet is false; no progress otherwise.
TPublishOptions CliPublishOptions(const std::string& ALabel, bool AQuiet);
