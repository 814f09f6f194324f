// Shared helpers for the core tests: a temporary folder that removes itself, file shortcuts.
#pragma once

#include "uUtils.h"

#include <cstdlib>
#include <filesystem>
#include <string>

class TTempDir {
public:
    TTempDir() {
        std::string tmpl = (std::filesystem::temp_directory_path() / "pagewell-test-XXXXXX").string();
        if (!::mkdtemp(tmpl.data()))
            throw EAppError("mkdtemp failed");
        FPath = tmpl;
    }
    ~TTempDir() {
        std::error_code ec;
        std::filesystem::remove_all(FPath, ec);
    }
    TTempDir(const TTempDir&) = delete;
    TTempDir& operator=(const TTempDir&) = delete;

    const std::string& Path() const { return FPath; }
    // Path of a file or folder inside the temporary folder.
    std::string operator/(const std::string& ARel) const { return CombinePath(FPath, ARel); }

private:
    std::string FPath;
};

// Writes raw bytes to a file, creating its folder.
inline void PutFile(const std::string& APath, const std::string& ABytes) { WriteFileBytes(APath, ABytes); }
inline std::string GetFile(const std::string& APath) { return ReadFileBytes(APath); }

// Sets an environment variable for the lifetime of the object.
class TScopedEnv {
public:
    TScopedEnv(const char* AName, const std::string& AValue) : FName(AName) {
        if (const char* old = std::getenv(AName)) {
            FHad = true;
            FOld = old;
        }
        ::setenv(AName, AValue.c_str(), 1);
    }
    ~TScopedEnv() {
        if (FHad)
            ::setenv(FName, FOld.c_str(), 1);
        else
            ::unsetenv(FName);
    }

private:
    const char* FName;
    bool FHad = false;
    std::string FOld;
};
