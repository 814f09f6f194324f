// Times the bookmark step of the PDF manual on a generated project: N topics (default 1,000) in a
// three-level tree, each with a few paragraphs and a table. First times the making of
// manual.html (BuildManualHtml) on one thread and on one per core. Prints the manual once with the PDF
// printer the app would use (a browser on PATH, else pagewell-pdf beside this program), then on a
// fresh copy of that print per run times the whole step (AddManualOutline) and its parts: the
// heading search (text extraction) and the rewrite (qpdf); then the page numbers and labels added
// after it (AddPageNumbers). Usage: bench_pdf_outline [topics] [runs]
#include "BenchProject.h"
#include "uExportPdf.h"
#include "uPdfHeadingSearch.h"
#include "uPdfOutline.h"
#include "uPdfPageNumbers.h"
#include "uPdfPrinter.h"
#include "uStorage.h"
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

namespace fs = std::filesystem;

namespace {

std::string TopicBody(size_t AIndex) {
    const std::string n = std::to_string(AIndex);
    std::string body = "<p>Feature " + n + " explained: what it does, when to use it and how to set it up.</p>";
    body += "<table><tr><th>Option</th><th>Value</th></tr><tr><td>Mode</td><td>Auto</td></tr></table>";
    for (int i = 0; i < 3; ++i)
        body += "<p>Paragraph " + std::to_string(i) + " of topic " + n + " with ordinary text: install, configure, "
                "publish and share the documentation with the team.</p>";
    return body;
}

struct TTiming {
    double FWallMs = 0;
    double FCpuMs = 0;  // this process only
};

TTiming TimeMs(const std::function<void()>& AWork) {
    const auto start = std::chrono::steady_clock::now();
    const std::clock_t cpuStart = std::clock();
    AWork();
    return {std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count(),
            1000.0 * static_cast<double>(std::clock() - cpuStart) / CLOCKS_PER_SEC};
}

void Report(const char* AName, std::vector<TTiming> ARuns) {
    const auto median = [&](double TTiming::*AField) {
        std::sort(ARuns.begin(), ARuns.end(), [&](const TTiming& A, const TTiming& B) { return A.*AField < B.*AField; });
        return ARuns[ARuns.size() / 2].*AField;
    };
    const double wall = median(&TTiming::FWallMs), cpu = median(&TTiming::FCpuMs);
    std::printf("%-42s wall %9.1f ms   cpu %9.1f ms\n", AName, wall, cpu);
}

}  // namespace

int main(int argc, char** argv) {
    const size_t topics = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 1000;
    const int runs = std::max(1, argc > 2 ? std::atoi(argv[2]) : 3);
    const std::string root = (fs::temp_directory_path() / "pagewell-bench-pdf").string();
    TDocProject project;
    const std::vector<std::string> ids = MakeBenchmarkTree(root, "Bench Manual", "Topic ", topics, project);
    for (size_t i = 0; i < ids.size(); ++i)
        WriteUtf8File(project.GetTopic(ids[i]).HtmlPath(), TopicBody(i));
    SaveProjectFolder(project);

    // The manual's sections are made on the page workers: on one and on one per core, the same
    // document.
    const unsigned cores = std::max(1u, std::thread::hardware_concurrency());
    std::string manual;
    for (unsigned threads : cores > 1 ? std::vector<unsigned>{1, cores} : std::vector<unsigned>{1}) {
        TPublishOptions options;
        options.Threads = threads;
        std::vector<TTiming> build;
        for (int r = 0; r < runs; ++r) {
            std::string made;
            build.push_back(TimeMs([&] { made = BuildManualHtml(project, TPdfPaper::A4, options); }));
            if (manual.empty())
                manual = made;
            else if (made != manual) {
                std::fprintf(stderr, "the manual differs on %u threads\n", threads);
                return 1;
            }
        }
        Report(("manual.html, " + std::to_string(threads) + (threads == 1 ? " thread" : " threads")).c_str(), build);
    }
    std::printf("manual.html: %zu bytes\n", manual.size());
    std::fflush(stdout);

    const std::string out = EnsureDir(PdfOutputFolder(project));
    const std::string html = CombinePath(out, "manual.html"), printed = CombinePath(out, "printed.pdf");
    const std::string pdf = CombinePath(out, "manual.pdf");
    WriteUtf8File(html, manual);
    WriteUtf8File(CombinePath(out, "style.css"), BuildPdfStyleSheet(project));
    const TPdfPrinter printer = FindPdfPrinter(DefaultPdfPrinterSearch());
    std::printf("%zu topics, %d runs, printer %s\n", topics, runs, printer.FPath.c_str());
    const TTiming print = TimeMs([&] {
        PrintHtmlToPdf(html, printed);
        WaitForFile(printed, PdfWaitTimeoutMs);
    });

    std::vector<TTiming> whole, search, rewrite, numbers;
    TPdfOutlineResult result;
    size_t pages = 0;
    for (int r = 0; r < runs; ++r) {
        fs::copy_file(printed, pdf, fs::copy_options::overwrite_existing);
        whole.push_back(TimeMs([&] { result = AddManualOutline(project, pdf); }));

        fs::copy_file(printed, pdf, fs::copy_options::overwrite_existing);
        std::vector<TPdfBookmark> bookmarks = ManualBookmarks(project);
        std::vector<std::string> headings;
        for (const TPdfBookmark& b : bookmarks)
            headings.push_back(b.FTitle);
        std::vector<TPdfHeadingPlace> places;
        search.push_back(TimeMs([&] { places = FindHeadingPlaces(pdf, headings); }));
        for (size_t i = 0; i < bookmarks.size(); ++i) {
            bookmarks[i].FPage = places[i].FPage;
            bookmarks[i].FTop = places[i].FTop;
            pages = std::max(pages, static_cast<size_t>(places[i].FPage + 1));
        }
        rewrite.push_back(TimeMs([&] { WritePdfOutline(pdf, bookmarks, ManualDocumentInfo(project)); }));
        numbers.push_back(TimeMs([&] { AddPageNumbers(pdf); }));
    }
    std::printf("%-42s wall %9.1f ms   (the printer's own process)\n", "printing, once (not part of the step)",
                print.FWallMs);
    Report("bookmark step, whole (AddManualOutline)", whole);
    Report("  heading search (text extraction)", search);
    Report("  rewrite with outline (qpdf)", rewrite);
    Report("page numbers and labels (AddPageNumbers)", numbers);
    std::printf("%zu bookmarks, %zu not found, last heading on page %zu; manual.pdf %ju bytes\n", result.FBookmarks,
                result.FUnresolved, pages, static_cast<uintmax_t>(fs::file_size(pdf)));
    fs::remove_all(root);
    return 0;
}
