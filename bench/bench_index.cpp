// Times the published index on a generated project: N topics (default 2,000) in a three-level
// tree, each with four index entries (a main entry shared by 20 topics, a sub-entry shared by
// 5, an accented and a Cyrillic entry of its own), so the index has about 4 entries per topic.
// Reports building the index of each output (folding, merging, collation) and the texts the CHM
// and the WebHelp write from it. Nothing is written to disk. Usage: bench_index [topics] [runs]
#include "BenchProject.h"
#include "uChmProjectFiles.h"
#include "uExportWebHelp.h"
#include "uIndexEntries.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

namespace {

double TimeMs(const std::function<void()>& AWork) {
    const auto start = std::chrono::steady_clock::now();
    AWork();
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

void Report(const char* AName, int ARuns, const std::function<void()>& AWork) {
    std::vector<double> runs;
    for (int i = 0; i < ARuns; ++i)
        runs.push_back(TimeMs(AWork));
    std::sort(runs.begin(), runs.end());
    std::printf("%-36s median %8.1f ms   best %8.1f ms\n", AName, runs[runs.size() / 2], runs.front());
}

}  // namespace

int main(int argc, char** argv) {
    const size_t topics = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 2000;
    const int runs = argc > 2 ? std::atoi(argv[2]) : 5;
    TDocProject project;
    const std::vector<std::string> ids =
        MakeBenchmarkTree("/tmp/pagewell-bench-index", "Index bench", "Topic ", topics, project);
    for (size_t i = 0; i < ids.size(); ++i) {
        const std::string n = std::to_string(i);
        project.GetTopic(ids[i]).IndexEntries() = {
            "Feature " + std::to_string(i / 20), "Settings, option " + std::to_string(i / 5),
            "Caf\xC3\xA9 " + n, "\xD0\x9F\xD0\xB5\xD1\x87\xD0\xB0\xD1\x82\xD1\x8C " + n + ", \xD0\xBF\xD0\xBE\xD0\xBB\xD1\x8F"};
    }
    size_t entries = 0;
    for (const TIndexEntry& e : BuildIndex(project, TIndexOutput::WebHelp))
        entries += 1 + e.SubEntries.size();
    std::printf("%zu topics, %zu index lines\n", topics, entries);
    Report("BuildIndex (WebHelp)", runs, [&] { BuildIndex(project, TIndexOutput::WebHelp); });
    Report("BuildIndex (PDF)", runs, [&] { BuildIndex(project, TIndexOutput::Pdf); });
    Report("ChmIndexText", runs, [&] { ChmIndexText(project); });
    Report("WebHelpIndexScript", runs, [&] { WebHelpIndexScript(project); });
    return 0;
}
