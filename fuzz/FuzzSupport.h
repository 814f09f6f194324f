// Shared pieces of the fuzz targets: a scratch folder per process, writing an input to a file,
// and a check that stops the run with a message (a broken promise of the code under test).
#pragma once

#include "uUtils.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <unistd.h>

#define FUZZ_CHECK(cond)                                                                  \
    do {                                                                                  \
        if (!(cond)) {                                                                    \
            std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #cond); \
            std::abort();                                                                 \
        }                                                                                 \
    } while (0)

// A folder of this process, created on first use and emptied on demand. Inputs that must be
// files (the readers take file names) are written here.
inline const std::string& FuzzScratchFolder() {
    // Never freed: the clean-up at exit still needs it after static objects are gone.
    static const std::string* folder = [] {
        std::error_code ec;
        std::filesystem::path base = std::filesystem::exists("/dev/shm", ec) ? "/dev/shm" : std::filesystem::temp_directory_path();
        std::filesystem::path p = base / ("pagewell-fuzz-" + std::to_string(getpid()));
        std::filesystem::create_directories(p);
        auto* s = new std::string(p.string());
        std::atexit([] {
            std::error_code ignored;
            std::filesystem::remove_all(std::filesystem::path(*folder), ignored);
        });
        return s;
    }();
    return *folder;
}

// The path of ARel inside the scratch folder.
inline std::string FuzzPath(const std::string& ARel) { return CombinePath(FuzzScratchFolder(), ARel); }

// Writes the raw bytes to ARel inside the scratch folder (creating its folder) and returns the path.
inline std::string FuzzWriteFile(const std::string& ARel, std::string_view ABytes) {
    const std::string path = FuzzPath(ARel);
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(ABytes.data(), static_cast<std::streamsize>(ABytes.size()));
    return path;
}

// Removes ARel inside the scratch folder with everything in it.
inline void FuzzRemove(const std::string& ARel) {
    std::error_code ec;
    std::filesystem::remove_all(std::filesystem::path(FuzzPath(ARel)), ec);
}

inline std::string_view FuzzBytes(const uint8_t* AData, size_t ASize) {
    return {reinterpret_cast<const char*>(AData), ASize};
}

// Splits the input at the first byte ASep: the part before it and the rest (empty when absent).
inline std::pair<std::string_view, std::string_view> FuzzSplit(std::string_view AInput, char ASep) {
    const size_t p = AInput.find(ASep);
    if (p == std::string_view::npos)
        return {AInput, {}};
    return {AInput.substr(0, p), AInput.substr(p + 1)};
}
