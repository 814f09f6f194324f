// Makes a file or folder unreadable for the lifetime of the object, also when the tests run as
// root: its mode is cleared and the calling thread gives up the two capabilities that let it read
// and search what the mode forbids. Mode and capabilities are restored afterwards. Only the
// calling thread is affected, so create it on the thread that does the reading.
#pragma once

#include <linux/capability.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <string>

class TUnreadablePath {
public:
    explicit TUnreadablePath(const std::string& APath) : FPath(APath) {
        struct stat st {};
        FHadMode = ::stat(APath.c_str(), &st) == 0;
        FMode = st.st_mode & 07777;
        ::chmod(APath.c_str(), 0);
        FHaveCaps = ::syscall(SYS_capget, &FHeader, FSaved) == 0;
        if (FHaveCaps) {
            __user_cap_data_struct lowered[2] = {FSaved[0], FSaved[1]};
            lowered[0].effective &= ~((1u << CAP_DAC_OVERRIDE) | (1u << CAP_DAC_READ_SEARCH));
            ::syscall(SYS_capset, &FHeader, lowered);
        }
    }
    ~TUnreadablePath() {
        if (FHaveCaps)
            ::syscall(SYS_capset, &FHeader, FSaved);
        if (FHadMode)
            ::chmod(FPath.c_str(), FMode);
    }
    TUnreadablePath(const TUnreadablePath&) = delete;
    TUnreadablePath& operator=(const TUnreadablePath&) = delete;

private:
    std::string FPath;
    bool FHadMode = false;
    mode_t FMode = 0;
    bool FHaveCaps = false;
    __user_cap_header_struct FHeader{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct FSaved[2] = {};
};
