#include "uChmCompiler.h"

#include "uProcess.h"
#include "uUtils.h"

#include <cstdlib>
#include <filesystem>

namespace fs = std::filesystem;

std::string FindHhcExe() {
#ifdef _WIN32
    for (const char* p : {"C:\\Program Files (x86)\\HTML Help Workshop\\hhc.exe",
                          "C:\\Program Files\\HTML Help Workshop\\hhc.exe", "C:\\Windows\\hhc.exe"})
        if (FileExists(p))
            return p;
    return {};
#else
    const char* path = std::getenv("PATH");
    const std::string list = path ? path : "";
    if (std::string hhc = FindExecutableOnPath("hhc", list); !hhc.empty())
        return hhc;
    if (std::string bundled = BundledChmcmd(); !bundled.empty())
        return bundled;
    return FindExecutableOnPath("chmcmd", list);
#endif
}

bool IsChmcmd(const std::string& ACompiler) {
    std::string name = LowerAscii(ExtractFileName(ACompiler));
    if (EndsWith(name, ".exe"))
        name.resize(name.size() - 4);
    return name == "chmcmd";
}

std::vector<std::string> ChmCompilerEnvironment(const std::string& ACompiler) {
    if (IsChmcmd(ACompiler))
        return {"LC_ALL=C.UTF-8"};
    return {};
}

namespace {
std::optional<std::string> g_BundledChmcmd;
}  // namespace

std::string BundledChmcmd() {
    if (g_BundledChmcmd)
        return *g_BundledChmcmd;
    const std::string folder = RunningExecutableFolder();
    if (folder.empty())
        return {};
    const std::string tool = CombinePath(CombinePath(folder, "tools"), "chmcmd");
    return IsExecutableFile(tool) ? tool : std::string();
}

void SetBundledChmcmd(std::optional<std::string> APath) { g_BundledChmcmd = std::move(APath); }

bool CompilerWritesContextTable(const std::string& ACompiler) {
    return !IsChmcmd(ACompiler) || (!BundledChmcmd().empty() && ACompiler == BundledChmcmd());
}

std::vector<std::string> SplitArgumentText(const std::string& AText) {
    std::vector<std::string> args;
    std::string cur;
    bool inQuotes = false, have = false;
    for (char c : AText) {
        if (c == '"') {
            inQuotes = !inQuotes;
            have = true;
        } else if ((c == ' ' || c == '\t') && !inQuotes) {
            if (have)
                args.push_back(cur);
            cur.clear();
            have = false;
        } else {
            cur += c;
            have = true;
        }
    }
    if (have)
        args.push_back(cur);
    return args;
}

int RunHhc(const std::string& ACompiler, const std::string& AArgumentText, const std::string& AWorkDir,
           std::string& AOutput) {
    std::vector<std::string> args{ACompiler};
    for (std::string& a : SplitArgumentText(AArgumentText))
        args.push_back(std::move(a));
    try {
        return RunProcessCapturingOutput(args, AWorkDir, AOutput, ChmCompilerEnvironment(ACompiler));
    } catch (const EAppError& e) {
        throw EAppError("Failed to run " + ExtractFileName(ACompiler) + ": " + e.what());
    }
}

std::string LastOutputLines(const std::string& AOutput, size_t AMaxLines) {
    std::vector<std::string> lines;
    for (const std::string& raw : SplitString(AOutput, '\n')) {
        std::string line = Trim(raw);
        if (!line.empty())
            lines.push_back(SanitizeUtf8(line));
    }
    std::string out;
    for (size_t i = lines.size() > AMaxLines ? lines.size() - AMaxLines : 0; i < lines.size(); ++i)
        out += (out.empty() ? "" : "\n") + lines[i];
    return out;
}

namespace {

struct TAttempt {
    int ExitCode = 0;
    std::string Output;
    std::string Failure;  // "" when the compiled file is there
};

TAttempt CompileOnce(const std::string& ACompiler, const std::string& AProjectFile, const std::string& AWorkDir,
                     const std::string& AChmFile) {
    TAttempt a;
    std::error_code ec;
    fs::remove(AChmFile, ec);
    if (FileExists(AChmFile))
        throw EAppError("Cannot replace " + AChmFile + ": " + (ec ? ec.message() : "the file is in use"));
    a.ExitCode = RunHhc(ACompiler, "\"" + AProjectFile + "\"", AWorkDir, a.Output);
    const bool written = FileExists(AChmFile) && fs::file_size(AChmFile, ec) > 0 && !ec;
    if (a.ExitCode > 128 && a.ExitCode < 128 + 65)
        a.Failure = "crashed (signal " + IntToStr(a.ExitCode - 128) + ")";
    else if (a.ExitCode != 0)
        a.Failure = "failed with exit code " + IntToStr(a.ExitCode);
    else if (!written)
        a.Failure = "did not write " + ExtractFileName(AChmFile);
    return a;
}

std::string DescribeFailure(const std::string& ACompiler, const TAttempt& A) {
    std::string msg = "The help compiler " + ACompiler + " " + A.Failure;
    const std::string tail = LastOutputLines(A.Output);
    if (!tail.empty())
        msg += ":\n" + tail;
    return msg;
}

}  // namespace

TChmCompileResult CompileChm(const std::string& AOutputFolder, const std::string& AProjectFile,
                             const std::string& ACompiledFile, const std::string& AFullTextFallbackFile) {
    TChmCompileResult result;
    result.Compiler = FindHhcExe();
    if (result.Compiler.empty())
        throw EAppError("Failed to run hhc.exe: no HTML Help compiler was found (hhc or chmcmd on PATH; "
                        "chmcmd comes with the fp-utils package)");
    result.ChmFile = CombinePath(AOutputFolder, ACompiledFile);
    TAttempt first = CompileOnce(result.Compiler, AProjectFile, AOutputFolder, result.ChmFile);
    if (first.Failure.empty())
        return result;
    if (AFullTextFallbackFile.empty())
        throw EAppError(DescribeFailure(result.Compiler, first));

    const std::string fallbackFile = CombinePath(AOutputFolder, "project-nosearch.hhp");
    WriteFileBytes(fallbackFile, AFullTextFallbackFile);
    TAttempt second;
    try {
        second = CompileOnce(result.Compiler, fallbackFile, AOutputFolder, result.ChmFile);
    } catch (...) {
        std::error_code ec;
        fs::remove(fallbackFile, ec);
        throw;
    }
    std::error_code ec;
    fs::remove(fallbackFile, ec);
    if (!second.Failure.empty())
        throw EAppError(DescribeFailure(result.Compiler, first));
    result.FullTextSearch = false;
    result.Note = "help.chm was compiled without full-text search: " + ExtractFileName(result.Compiler) +
                  " " + first.Failure + " while building the search index (it does when no page holds a word "
                  "of Latin letters or digits)";
    return result;
}
