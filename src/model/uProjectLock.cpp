#include "uProjectLock.h"

#include "uStorage.h"
#include "uUtils.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <filesystem>
#include <system_error>

namespace {

// The desktop app's executable name: its per-user folder holds the locks for every program.
const char* const kDesktopAppName = "pagewell";

std::string CanonicalRoot(const std::string& AProjectRoot) {
    const std::string root = ExcludeTrailingPathDelimiter(ExpandFileName(AProjectRoot));
    std::error_code ec;
    const std::filesystem::path p = std::filesystem::weakly_canonical(root, ec);
    return ec ? root : ExcludeTrailingPathDelimiter(p.string());
}

std::string HashHex(const std::string& AText) {
    unsigned long long h = 1469598103934665603ULL;  // FNV-1a, 64 bits
    for (unsigned char c : AText) {
        h ^= c;
        h *= 1099511628211ULL;
    }
    static const char* const kHex = "0123456789abcdef";
    std::string out(16, '0');
    for (int i = 15; i >= 0; --i, h >>= 4)
        out[static_cast<size_t>(i)] = kHex[h & 15];
    return out;
}

}  // namespace

std::string ProjectLockPath(const std::string& AProjectRoot) {
    return CombinePath(CombinePath(UserDataFolderFor(kDesktopAppName), "locks"), HashHex(CanonicalRoot(AProjectRoot)) + ".lock");
}

bool TProjectLock::TryAcquire(const std::string& AProjectRoot) {
    Release();
    const std::string path = ProjectLockPath(AProjectRoot);
    try {
        EnsureDir(ExtractFileDir(path));
    } catch (const std::exception&) {
        return false;
    }
    const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0)
        return false;
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        return false;
    }
    FFd = fd;
    FRoot = ExcludeTrailingPathDelimiter(AProjectRoot);
    return true;
}

void TProjectLock::Release() {
    if (FFd >= 0) {
        ::close(FFd);  // closing the descriptor releases the lock
        FFd = -1;
    }
    FRoot.clear();
}
