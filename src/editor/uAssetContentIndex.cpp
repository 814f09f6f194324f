#include "uAssetContentIndex.h"

#include "uUtils.h"

#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

namespace {

unsigned long long ContentHash(const std::string& ABytes) {
    unsigned long long h = 1469598103934665603ULL;  // FNV-1a
    for (unsigned char c : ABytes) {
        h ^= c;
        h *= 1099511628211ULL;
    }
    return h;
}

}  // namespace

TAssetContentIndex::TAssetContentIndex(std::string AProjectRoot) : FProjectRoot(std::move(AProjectRoot)) {}

void TAssetContentIndex::ScanProjectFolder(const std::string& AFolder) {
    if (!FScanned.insert(AFolder).second)
        return;
    std::error_code ec;
    for (fs::directory_iterator it(CombinePath(FProjectRoot, AFolder), ec), end; !ec && it != end; it.increment(ec)) {
        if (!it->is_regular_file(ec))
            continue;
        const std::string path = it->path().string();
        try {
            const std::string bytes = ReadFileBytes(path);
            FFiles[AFolder][{bytes.size(), ContentHash(bytes)}].push_back({AFolder + "/" + it->path().filename().string(), path});
        } catch (const std::exception&) {
            // A file the index cannot read is simply never reused.
        }
    }
}

std::string TAssetContentIndex::Find(const std::string& AFolder, const std::string& AFile) {
    ScanProjectFolder(AFolder);
    const std::string bytes = ReadFileBytes(AFile);
    const auto folder = FFiles.find(AFolder);
    if (folder == FFiles.end())
        return "";
    const auto same = folder->second.find({bytes.size(), ContentHash(bytes)});
    if (same == folder->second.end())
        return "";
    for (const TEntry& e : same->second) {
        if (e.Path == AFile)
            continue;
        try {
            if (ReadFileBytes(e.Path) == bytes)
                return e.Address;
        } catch (const std::exception&) {
        }
    }
    return "";
}

void TAssetContentIndex::Add(const std::string& AAddress, const std::string& AFile) {
    const size_t slash = AAddress.rfind('/');
    const std::string folder = slash == std::string::npos ? std::string() : AAddress.substr(0, slash);
    ScanProjectFolder(folder);
    const std::string bytes = ReadFileBytes(AFile);
    FFiles[folder][{bytes.size(), ContentHash(bytes)}].push_back({AAddress, AFile});
}
