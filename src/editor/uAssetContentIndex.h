// Which files of a project's assets folders (and of the files one import has written so far)
// have which content, so that an import copies each distinct file once and reuses a copy the
// project already has. A folder of the project is read (and its files hashed) the first time it
// is asked about. Not thread-safe.
#pragma once

#include <map>
#include <set>
#include <string>
#include <vector>

class TAssetContentIndex {
public:
    // AProjectRoot: the project whose assets folders count.
    explicit TAssetContentIndex(std::string AProjectRoot);

    // The address ("assets/css/a.css") of a file in the folder AFolder ("assets/css") whose bytes
    // are those of AFile, other than AFile itself; empty when there is none.
    std::string Find(const std::string& AFolder, const std::string& AFile);
    // Records a file the import wrote for AAddress at AFile (in the project or a staging folder).
    void Add(const std::string& AAddress, const std::string& AFile);

private:
    struct TEntry {
        std::string Address;
        std::string Path;
    };
    void ScanProjectFolder(const std::string& AFolder);

    std::string FProjectRoot;
    std::set<std::string> FScanned;
    // folder -> (size and hash of the content) -> files
    std::map<std::string, std::map<std::pair<size_t, unsigned long long>, std::vector<TEntry>>> FFiles;
};
