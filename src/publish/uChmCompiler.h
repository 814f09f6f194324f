// Finding and running the HTML Help compiler: hhc.exe from HTML Help Workshop on Windows,
// `hhc` or `chmcmd` (Free Pascal) on PATH elsewhere, and a compile that reports every failure.
// Runs on the calling thread and waits for the compiler without time limit.
#pragma once

#include <optional>
#include <string>
#include <vector>

// The compiler's full path, or "" when none is installed. Windows: the first existing of the
// HTML Help Workshop folders under Program Files (x86), Program Files, then C:\Windows\hhc.exe.
// Elsewhere: `hhc` on PATH, then the bundled tools/chmcmd, then `chmcmd` on PATH.
std::string FindHhcExe();
// tools/chmcmd beside the running executable, "" when it is not there. SetBundledChmcmd replaces
// that path (tests: "" for none, nullopt for the one beside the executable again).
std::string BundledChmcmd();
void SetBundledChmcmd(std::optional<std::string> APath);
// False for the system's chmcmd, which writes the build folder's absolute path into the compiled
// context table; true for every other compiler (hhc, the bundled tools/chmcmd).
bool CompilerWritesContextTable(const std::string& ACompiler);

// Whether ACompiler (a path) is chmcmd. chmcmd reads the index in its locale's character set,
// so it is given the index in UTF-8 and runs under the C.UTF-8 locale (ChmCompilerEnvironment).
bool IsChmcmd(const std::string& ACompiler);

// What RunHhc puts into the compiler's environment: "LC_ALL=C.UTF-8" for chmcmd, else nothing.
std::vector<std::string> ChmCompilerEnvironment(const std::string& ACompiler);

// Splits an argument text the way a command line is read: blanks separate arguments, double
// quotes group (and are removed), nothing else is special.
std::vector<std::string> SplitArgumentText(const std::string& AText);

// Runs ACompiler with the arguments of AArgumentText in AWorkDir, waits without time limit and
// returns its exit code (128 + signal number when it was killed); its standard output and error
// go to AOutput, its environment has ChmCompilerEnvironment(ACompiler) in it. A compiler that cannot be started raises "Failed to run <name>: <reason>".
int RunHhc(const std::string& ACompiler, const std::string& AArgumentText, const std::string& AWorkDir,
           std::string& AOutput);

// What a successful compile did.
struct TChmCompileResult {
    std::string Compiler;         // full path of the compiler that ran
    std::string ChmFile;          // full path of the compiled file
    bool FullTextSearch = true;   // false when it had to be compiled without the search index
    std::string Note;             // for the user when FullTextSearch is false, else ""
};

// Compiles AProjectFile (project.hhp in AOutputFolder) into AOutputFolder/ACompiledFile. The old
// compiled file is removed first, so an old file is never taken for a new one. A compile counts
// as failed when the compiler exits with a non-zero code, is killed, or leaves the compiled
// file missing or empty.
//
// chmcmd crashes in its full-text indexer when the pages hold no word it can index (it indexes
// only words of ASCII letters and digits; pages whose text is all Cyrillic give none). When the
// first compile fails and AFullTextFallbackFile (the bytes of the project file with full-text
// search off) is given, the compile is repeated once from it in a temporary project file beside
// AProjectFile; if that one succeeds, the result says so in Note. Any other failure raises
// EAppError naming the compiler, how it failed and its last output lines.
TChmCompileResult CompileChm(const std::string& AOutputFolder, const std::string& AProjectFile,
                             const std::string& ACompiledFile, const std::string& AFullTextFallbackFile = {});

// The last AMaxLines non-blank lines of a program's output, joined by "\n".
std::string LastOutputLines(const std::string& AOutput, size_t AMaxLines = 6);
