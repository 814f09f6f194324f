// Times CHM publishing on a generated project: N topics (default 2,000) in a three-level tree,
// bodies mixing Cyrillic and Latin text with a variable, topic links, a table and an image,
// 20 photos of which 10 need turning upright. Reports the whole ExportChm, its page step and
// its photo step on one worker and on one per core, one JPEG rotation and the compiler (chmcmd)
// alone. Usage: bench_chm [topics] [runs]
#include "BenchProject.h"
#include "uChmCompiler.h"
#include "uChmPage.h"
#include "uChmProjectFiles.h"
#include "uCp1251.h"
#include "uExportChm.h"
#include "uJpegOrientation.h"
#include "uPublishPipeline.h"
#include "uPublishCommon.h"
#include "uReusableContent.h"
#include "uStorage.h"
#include "uTokenExpansion.h"
#include "uUtils.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include <sys/resource.h>

namespace fs = std::filesystem;

namespace {

const std::string kPhotoDir = fs::path(__FILE__).parent_path().parent_path().string() + "/tests/data/exif-orientation";

std::string TopicBody(const std::vector<std::string>& AIDs, size_t AIndex) {
    const std::string n = std::to_string(AIndex);
    std::string body = "<h1>Раздел " + n + ": {var:Product}</h1>";
    body += "<p style=\"background-color:#ffffff\">Описание функции " + n + " и её настроек. Feature " + n +
            " explained.</p>";
    body += "<p>См. <a href=\"doc:" + AIDs[(AIndex + 1) % AIDs.size()] + "\">следующий раздел</a>.</p>";
    body += "<p><img src=\"assets/images/photo" + std::to_string(AIndex % 20) + ".jpg\"></p>";
    body += "<table><tr><th>Параметр</th><th>Значение</th></tr><tr><td>Режим</td><td>Авто</td></tr></table>";
    for (int i = 0; i < 5; ++i)
        body += "<p>Абзац " + std::to_string(i) + " с обычным текстом\u200B: установить, настроить, опубликовать "
                "and share the documentation with the team.</p>";
    return body;
}

void MakeProject(const std::string& ARoot, size_t ATopics, TDocProject& AProject) {
    const std::vector<std::string> ids = MakeBenchmarkTree(ARoot, "Руководство", "Тема ", ATopics, AProject);
    for (size_t i = 0; i < ids.size(); ++i)
        WriteUtf8File(AProject.GetTopic(ids[i]).HtmlPath(), TopicBody(ids, i));
    SaveProjectFolder(AProject);
    const std::string upright = ReadFileBytes(kPhotoDir + "/Landscape_1.jpg");
    const std::string sideways = ReadFileBytes(kPhotoDir + "/Landscape_6.jpg");
    for (int i = 0; i < 20; ++i)
        WriteFileBytes(CombinePath(ARoot, "assets/images/photo" + std::to_string(i) + ".jpg"), i % 2 ? sideways : upright);
    TReusableProjectContent store;
    store.Variables().push_back({"Product", "Pagewell"});
    store.SaveToProject(AProject);
    TProjectSettings().SaveToFile(TProjectSettings::DefaultSettingsPathForProject(ARoot));
}

struct TTiming {
    double WallMs = 0;
    double CpuMs = 0;       // this process
    double ChildCpuMs = 0;  // the programs it ran (the compiler)
};

double ChildrenCpuMs() {
    rusage u{};
    ::getrusage(RUSAGE_CHILDREN, &u);
    return 1000.0 * (u.ru_utime.tv_sec + u.ru_stime.tv_sec) + (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1000.0;
}

TTiming TimeMs(const std::function<void()>& AWork) {
    const auto start = std::chrono::steady_clock::now();
    const std::clock_t cpuStart = std::clock();
    const double childStart = ChildrenCpuMs();
    AWork();
    return {std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count(),
            1000.0 * static_cast<double>(std::clock() - cpuStart) / CLOCKS_PER_SEC, ChildrenCpuMs() - childStart};
}

TTiming Median(std::vector<TTiming> A) {
    auto mid = [&](double TTiming::*AField) {
        std::vector<double> v;
        for (const TTiming& t : A)
            v.push_back(t.*AField);
        std::sort(v.begin(), v.end());
        return v[v.size() / 2];
    };
    return {mid(&TTiming::WallMs), mid(&TTiming::CpuMs), mid(&TTiming::ChildCpuMs)};
}

void Report(const char* AName, const std::vector<TTiming>& ARuns) {
    const TTiming m = Median(ARuns);
    std::printf("%-52s wall %8.1f ms   cpu %8.1f ms   compiler cpu %8.1f ms\n", AName, m.WallMs, m.CpuMs,
                m.ChildCpuMs);
}

}  // namespace

int main(int argc, char** argv) {
    const size_t topics = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 2000;
    const int runs = argc > 2 ? std::atoi(argv[2]) : 3;
    const std::string root = (fs::temp_directory_path() / "pagewell-bench-chm").string();
    TDocProject project;
    MakeProject(root, topics, project);
    const std::string out = ExpandFileName(ChmOutputFolder(project));
    std::printf("%zu topics, %d runs\n", topics, runs);

    // The two steps that run on the page workers, as ExportChm runs them, on one worker and on
    // one per core.
    const unsigned cores = std::max(1u, std::thread::hardware_concurrency());
    const std::vector<unsigned> threadCounts = cores > 1 ? std::vector<unsigned>{1, cores} : std::vector<unsigned>{1};
    std::vector<TTiming> whole, rotate, compile;
    std::vector<std::vector<TTiming>> pages(threadCounts.size()), turns(threadCounts.size());
    for (int r = 0; r < runs; ++r) {
        fs::remove_all(CombinePath(root, "build"));
        whole.push_back(TimeMs([&] { ExportChm(project); }));
        const TProjectSettings settings = LoadPublishSettings(project);
        const std::vector<std::string> list = ChmPageList(project);
        const TWindowsCodePage& codePage = TWindowsCodePage::Get(1251);
        for (size_t t = 0; t < threadCounts.size(); ++t) {
            TPublishOptions options;
            options.Threads = threadCounts[t];
            pages[t].push_back(TimeMs([&] {
                TExpanderPool expanders(project, PipelineWorkerCount(options, list.size()));
                RunPagePipeline(
                    list.size(), options,
                    [&](size_t AIndex, size_t AWorker) {
                        const std::string page = BuildChmTopicPage(project, settings, expanders.For(AWorker),
                                                                   list[AIndex].substr(7, 32), codePage.Charset());
                        WriteOutputFile(CombinePath(out, list[AIndex]), EncodeChmPage(page, codePage));
                        return std::string();
                    },
                    [](size_t, std::string&&) {});
            }));
            CopyProjectAssets(project, out);  // the photos sideways again
            turns[t].push_back(TimeMs([&] { NormalizeJpegOrientations(project, out, options); }));
        }
        const std::string photo = CombinePath(root, "rotate.jpg");
        WriteFileBytes(photo, ReadFileBytes(kPhotoDir + "/Landscape_6.jpg"));
        rotate.push_back(TimeMs([&] { RotateJpegToUpright(photo); }));
        compile.push_back(TimeMs([&] { CompileChm(out, CombinePath(out, "project.hhp"), "help.chm"); }));
    }
    Report("ExportChm (whole, compiler included)", whole);
    for (size_t t = 0; t < threadCounts.size(); ++t) {
        const std::string threads = " (" + std::to_string(threadCounts[t]) + (threadCounts[t] == 1 ? " thread)" : " threads)");
        Report(("page step + Windows-1251 writes" + threads).c_str(), pages[t]);
        Report(("turning the photos upright" + threads).c_str(), turns[t]);
    }
    Report("RotateJpegToUpright (1800x1200)", rotate);
    Report("CompileChm (chmcmd)", compile);
    std::printf("help.chm: %ju bytes\n", static_cast<uintmax_t>(fs::file_size(CombinePath(out, "help.chm"))));
    fs::remove_all(root);
    return 0;
}
