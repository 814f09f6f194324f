// Times WebHelp publishing and the link check on a generated project: N topics (default 2,000)
// in a three-level tree, each body with variable and snippet tokens, a condition, topic links,
// an image and a table. Usage: bench_webhelp [topics] [runs]
#include "BenchProject.h"
#include "uExportWebHelp.h"
#include "uLinkChecker.h"
#include "uPublishCommon.h"
#include "uReusableContent.h"
#include "uStorage.h"
#include "uUtils.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

std::string TopicBody(const std::vector<std::string>& AIDs, size_t AIndex) {
    const std::string& next = AIDs[(AIndex + 1) % AIDs.size()];
    const std::string& far = AIDs[(AIndex * 7 + 3) % AIDs.size()];
    std::string body = "<h1>Topic " + std::to_string(AIndex) + "</h1>";
    body += "<p style=\"background-color: rgb(255, 255, 255)\">{var:Product} version {var:Version} explains feature " +
            std::to_string(AIndex) + " of the {var:Product} suite.</p>";
    body += "{snip:Note}";
    body += "<p>{begincond:Pro}Professional edition only: advanced option " + std::to_string(AIndex) +
            ".{endcond}</p>";
    body += "<p>See <a href=\"doc:" + next + "\">the next topic</a> and <a href=\"doc:" + far +
            "\">a related one</a>.</p>";
    body += "<p><img src=\"assets/images/pic" + std::to_string(AIndex % 50) + ".png\" alt=\"figure\"></p>";
    body += "<table><tr><th>Setting</th><th>Value</th></tr><tr><td>Mode</td><td>Automatic</td></tr></table>";
    for (int i = 0; i < 6; ++i)
        body += "<p>Paragraph " + std::to_string(i) +
                " with ordinary words so that the search index has text to hold: install, configure, publish, "
                "review and share the documentation with the team.</p>";
    return body;
}

void MakeProject(const std::string& ARoot, size_t ATopics, TDocProject& AProject) {
    const std::vector<std::string> ids = MakeBenchmarkTree(ARoot, "Benchmark Guide", "Topic ", ATopics, AProject);
    for (size_t i = 0; i < ids.size(); ++i)
        AProject.GetTopic(ids[i]).Keywords() = {"kw" + std::to_string(i % 97), "feature"};
    for (size_t i = 0; i < ids.size(); ++i)
        WriteUtf8File(AProject.GetTopic(ids[i]).HtmlPath(), TopicBody(ids, i));
    SaveProjectFolder(AProject);
    for (int i = 0; i < 50; ++i)
        WriteFileBytes(CombinePath(ARoot, "assets/images/pic" + std::to_string(i) + ".png"), std::string(4096, 'x'));
    TReusableProjectContent store;
    store.Variables().push_back({"Product", "Pagewell"});
    store.Variables().push_back({"Version", "1.0 <beta>"});
    store.Snippets().push_back({"Note", "<div class=\"note\"><p>Note: {var:Product} saves your work.</p></div>"});
    store.Conditions().push_back({"Pro", true});
    store.SaveToProject(AProject);
    TProjectSettings().SaveToFile(TProjectSettings::DefaultSettingsPathForProject(ARoot));
}

// Wall-clock and process CPU time of one call, in milliseconds. On a shared machine the CPU
// time is the steadier figure.
struct TTiming {
    double WallMs = 0;
    double CpuMs = 0;
};

TTiming TimeMs(const std::function<void()>& AWork) {
    const auto start = std::chrono::steady_clock::now();
    const std::clock_t cpuStart = std::clock();
    AWork();
    return {std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count(),
            1000.0 * static_cast<double>(std::clock() - cpuStart) / CLOCKS_PER_SEC};
}

uintmax_t FolderBytes(const std::string& AFolder) {
    uintmax_t total = 0;
    for (const auto& e : fs::recursive_directory_iterator(AFolder))
        if (e.is_regular_file())
            total += e.file_size();
    return total;
}

TTiming Median(std::vector<TTiming> A) {
    auto mid = [&](auto AField) {
        std::vector<double> v;
        for (const TTiming& t : A)
            v.push_back(t.*AField);
        std::sort(v.begin(), v.end());
        return v[v.size() / 2];
    };
    return {mid(&TTiming::WallMs), mid(&TTiming::CpuMs)};
}

void Report(const char* AName, const std::vector<TTiming>& ARuns, const std::string& AExtra = {}) {
    const TTiming m = Median(ARuns);
    std::printf("%-34s wall %8.1f ms   cpu %8.1f ms%s\n", AName, m.WallMs, m.CpuMs, AExtra.c_str());
}

}  // namespace

int main(int argc, char** argv) {
    const size_t topics = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 2000;
    const int runs = argc > 2 ? std::atoi(argv[2]) : 3;
    const std::string root = (fs::temp_directory_path() / "pagewell-bench-webhelp").string();
    TDocProject project;
    MakeProject(root, topics, project);
    const TProjectSettings settings;

    std::vector<TTiming> exportMs, publishMs, tocMs, searchMs, checkMs;
    size_t issues = 0;
    for (int r = 0; r < runs; ++r) {
        fs::remove_all(CombinePath(root, "build"));
        exportMs.push_back(TimeMs([&] { ExportWebHelp(project, WebHelpOutputRoot(project)); }));
        publishMs.push_back(TimeMs([&] { PublishWebHelp(project, &settings); }));  // over an existing output
        tocMs.push_back(TimeMs([&] { WriteWebHelpToc(project, WebHelpOutputRoot(project)); }));
        searchMs.push_back(TimeMs([&] { WriteWebHelpSearchIndex(project, WebHelpOutputRoot(project)); }));
        checkMs.push_back(TimeMs([&] { issues = CheckProjectLinks(project).size(); }));
    }
    const std::string out = WebHelpOutputRoot(project);
    std::printf("topics: %zu, runs: %d (median)\n", topics, runs);
    char perTopic[64];
    std::snprintf(perTopic, sizeof perTopic, "   (%.3f ms cpu per topic)", Median(exportMs).CpuMs / static_cast<double>(topics));
    Report("ExportWebHelp (fresh output)", exportMs, perTopic);
    Report("PublishWebHelp (output present)", publishMs);
    Report("  WriteWebHelpToc", tocMs);
    Report("  WriteWebHelpSearchIndex", searchMs,
           "   (search.js " + std::to_string(fs::file_size(CombinePath(out, "search.js"))) + " bytes)");
    Report("CheckProjectLinks", checkMs, "   (" + std::to_string(issues) + " issues)");
    std::printf("output: %ju bytes\n", FolderBytes(out));
    fs::remove_all(root);
    return 0;
}
