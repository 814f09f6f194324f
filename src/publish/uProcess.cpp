#include "uProcess.h"

#include "uUtils.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

// Releases the spawn attribute objects on every path out of RunProcessAndWait.
struct TSpawnActions {
    posix_spawn_file_actions_t FActions;
    TSpawnActions() { posix_spawn_file_actions_init(&FActions); }
    ~TSpawnActions() { posix_spawn_file_actions_destroy(&FActions); }
    TSpawnActions(const TSpawnActions&) = delete;
    TSpawnActions& operator=(const TSpawnActions&) = delete;
};

}  // namespace

int RunProcessAndWait(const std::vector<std::string>& AArgs) {
    if (AArgs.empty() || AArgs[0].empty())
        throw EAppError("No program to start");
    std::vector<char*> argv;
    argv.reserve(AArgs.size() + 1);
    for (const std::string& a : AArgs)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);

    TSpawnActions actions;
    posix_spawn_file_actions_addopen(&actions.FActions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
#if defined(__GLIBC__) && (__GLIBC__ > 2 || (__GLIBC__ == 2 && __GLIBC_MINOR__ >= 34))
    posix_spawn_file_actions_addclosefrom_np(&actions.FActions, STDERR_FILENO + 1);
#endif
    pid_t pid = 0;
    const int rc = posix_spawn(&pid, argv[0], &actions.FActions, nullptr, argv.data(), environ);
    if (rc != 0)
        throw EAppError("Cannot start " + AArgs[0] + ": " + std::strerror(rc));

    int status = 0;
    while (::waitpid(pid, &status, 0) < 0) {
        if (errno != EINTR)
            throw EAppError("Cannot wait for " + AArgs[0] + ": " + std::strerror(errno));
    }
    if (WIFEXITED(status))
        return WEXITSTATUS(status);
    if (WIFSIGNALED(status))
        return 128 + WTERMSIG(status);
    return -1;
}

namespace {

struct TPipe {
    int FRead = -1, FWrite = -1;
    ~TPipe() {
        if (FRead >= 0) ::close(FRead);
        if (FWrite >= 0) ::close(FWrite);
    }
};

int WaitForExit(pid_t APid, const std::string& AProgram) {
    int status = 0;
    while (::waitpid(APid, &status, 0) < 0) {
        if (errno != EINTR)
            throw EAppError("Cannot wait for " + AProgram + ": " + std::strerror(errno));
    }
    if (WIFEXITED(status))
        return WEXITSTATUS(status);
    if (WIFSIGNALED(status))
        return 128 + WTERMSIG(status);
    return -1;
}

}  // namespace

namespace {

// This process's environment with the "NAME=value" texts of AOverrides in place of its own
// variables of those names. The pointers stay valid while AOverrides and environ do.
std::vector<char*> EnvironmentWith(const std::vector<std::string>& AOverrides) {
    std::vector<char*> env;
    auto overridden = [&](const char* AVar) {
        for (const std::string& o : AOverrides) {
            const size_t eq = o.find('=');
            if (eq != std::string::npos && std::strncmp(AVar, o.c_str(), eq + 1) == 0)
                return true;
        }
        return false;
    };
    for (char** e = environ; e && *e; ++e)
        if (!overridden(*e))
            env.push_back(*e);
    for (const std::string& o : AOverrides)
        env.push_back(const_cast<char*>(o.c_str()));
    env.push_back(nullptr);
    return env;
}

}  // namespace

int RunProcessCapturingOutput(const std::vector<std::string>& AArgs, const std::string& AWorkDir,
                              std::string& AOutput, const std::vector<std::string>& AEnvironment) {
    constexpr size_t kKeep = 64 * 1024;
    AOutput.clear();
    if (AArgs.empty() || AArgs[0].empty())
        throw EAppError("No program to start");
    std::vector<char*> argv;
    for (const std::string& a : AArgs)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);

    TPipe out;
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0)
        throw EAppError("Cannot start " + AArgs[0] + ": " + std::strerror(errno));
    out.FRead = fds[0];
    out.FWrite = fds[1];

    TSpawnActions actions;
    posix_spawn_file_actions_addopen(&actions.FActions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions.FActions, out.FWrite, STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(&actions.FActions, out.FWrite, STDERR_FILENO);
#if defined(__GLIBC__) && (__GLIBC__ > 2 || (__GLIBC__ == 2 && __GLIBC_MINOR__ >= 34))
    posix_spawn_file_actions_addclosefrom_np(&actions.FActions, STDERR_FILENO + 1);
#endif
    if (!AWorkDir.empty())
        posix_spawn_file_actions_addchdir_np(&actions.FActions, AWorkDir.c_str());
    std::vector<char*> env = EnvironmentWith(AEnvironment);
    pid_t pid = 0;
    const int rc = posix_spawn(&pid, argv[0], &actions.FActions, nullptr, argv.data(), env.data());
    if (rc != 0)
        throw EAppError("Cannot start " + AArgs[0] + ": " + std::strerror(rc));
    ::close(out.FWrite);
    out.FWrite = -1;

    char buf[8192];
    for (;;) {
        const ssize_t n = ::read(out.FRead, buf, sizeof buf);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        AOutput.append(buf, static_cast<size_t>(n));
        if (AOutput.size() > 2 * kKeep)
            AOutput.erase(0, AOutput.size() - kKeep);
    }
    if (AOutput.size() > kKeep)
        AOutput.erase(0, AOutput.size() - kKeep);
    return WaitForExit(pid, AArgs[0]);
}

bool IsExecutableFile(const std::string& APath) {
    struct stat st {};
    return !APath.empty() && ::stat(APath.c_str(), &st) == 0 && S_ISREG(st.st_mode) &&
           ::access(APath.c_str(), X_OK) == 0;
}

std::string FindExecutableOnPath(const std::string& AName, const std::string& APathList) {
    if (AName.empty() || APathList.empty())
        return {};
    for (const std::string& dir : SplitString(APathList, ':')) {
        const std::string candidate = CombinePath(dir.empty() ? std::string(".") : dir, AName);
        if (IsExecutableFile(candidate))
            return candidate;
    }
    return {};
}

std::string RunningExecutableFolder() {
    std::error_code ec;
    const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (ec || exe.empty())
        return {};
    return exe.parent_path().string();
}
