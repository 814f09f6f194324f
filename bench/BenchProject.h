// Shared by the publishing benchmarks: the generated table of contents they all publish.
#pragma once

#include "uDocModel.h"
#include "uUtils.h"

#include <filesystem>
#include <string>
#include <vector>

// Empties ARoot and AProject, then gives the project ATopics topics titled ATitlePrefix + index:
// 20 roots, 10 children under each, every further topic below one of those 200. Returns the ids
// in creation order.
inline std::vector<std::string> MakeBenchmarkTree(const std::string& ARoot, const std::string& AProjectTitle,
                                                  const std::string& ATitlePrefix, size_t ATopics,
                                                  TDocProject& AProject) {
    std::filesystem::remove_all(ARoot);
    AProject.Clear();
    AProject.SetRootPath(IncludeTrailingPathDelimiter(ARoot));
    AProject.SetTitle(AProjectTitle);
    std::vector<std::string> ids;
    for (size_t i = 0; i < ATopics; ++i) {
        std::string parent;
        if (i >= 20 && i < 220)
            parent = ids[i % 20];
        else if (i >= 220)
            parent = ids[20 + i % 200];
        ids.push_back(AProject.AddTopic(ATitlePrefix + std::to_string(i), parent).ID());
    }
    return ids;
}
