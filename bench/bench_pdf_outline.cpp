// Times what the PDF manual does after the body is printed, on a generated project: N topics
// (default 1,000) in a three-level tree, each with a few paragraphs and a table. First times the
// making of manual.html (BuildManualDocument) on one thread and on one per core. Prints the body
// once with the PDF printer the app would use (a browser on PATH, else pagewell-pdf beside this
// program), then per run times the whole rest (FinishManualPdf) and its parts: the heading search
// (text extraction), the front matter (title page and contents: document and print) and the
// assembly (qpdf: merge, contents links, page numbers, bookmarks, one write).
// Usage: bench_pdf_outline [topics] [runs]
#include "BenchProject.h"
#include "uExportPdf.h"
#include "uPdfAssembly.h"
#include "uPdfFrontMatter.h"
#include "uPdfHeadingSearch.h"
#include "uPdfOutline.h"
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
    std::printf("%-46s wall %9.1f ms   cpu %9.1f ms\n", AName, wall, cpu);
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
    TManualDocument manual;
    for (unsigned threads : cores > 1 ? std::vector<unsigned>{1, cores} : std::vector<unsigned>{1}) {
        TPublishOptions publish;
        publish.Threads = threads;
        std::vector<TTiming> build;
        for (int r = 0; r < runs; ++r) {
            TManualDocument made;
            build.push_back(TimeMs([&] { made = BuildManualDocument(project, TPdfPaper::A4, publish); }));
            if (manual.FHtml.empty())
                manual = made;
            else if (made.FHtml != manual.FHtml) {
                std::fprintf(stderr, "the manual differs on %u threads\n", threads);
                return 1;
            }
        }
        Report(("manual.html, " + std::to_string(threads) + (threads == 1 ? " thread" : " threads")).c_str(), build);
    }
    std::printf("manual.html: %zu bytes\n", manual.FHtml.size());
    std::fflush(stdout);

    const std::string out = EnsureDir(PdfOutputFolder(project));
    const std::string html = CombinePath(out, "manual.html"), style = CombinePath(out, "style.css");
    const std::string body = CombinePath(out, "body.pdf"), front = CombinePath(out, "front.pdf");
    const std::string pdf = CombinePath(out, "manual.pdf");
    WriteUtf8File(html, manual.FHtml);
    WriteUtf8File(style, BuildPdfStyleSheet(project));
    const TPdfPrinter printer = FindPdfPrinter(DefaultPdfPrinterSearch());
    std::printf("%zu topics, %d runs, printer %s\n", topics, runs, printer.FPath.c_str());
    const TTiming print = TimeMs([&] {
        PrintHtmlToPdf(html, body);
        WaitForFile(body, PdfWaitTimeoutMs);
    });

    std::vector<TTiming> whole, search, frontPrint, assembly;
    TManualFinishResult finished;
    TPdfAssemblyResult assembled;
    TPdfExportOptions options;
    options.FPaper = TPdfPaper::A4;
    for (int r = 0; r < runs; ++r) {
        whole.push_back(TimeMs([&] { finished = FinishManualPdf(project, manual, body, pdf, out, style, options); }));

        std::vector<TPdfHeadingPlace> places;
        search.push_back(TimeMs([&] { places = FindManualHeadingPlaces(body, manual.FSections); }));
        TPdfFrontMatter matter{project.Title(), "", {}};
        TPdfExtraDocument extra{"title page and contents", front, TPdfPlacement::BeforeBody, {}};
        for (size_t i = 0; i < places.size(); ++i) {
            matter.FEntries.push_back({manual.FSections[i].FHeading, manual.FSections[i].FDepth,
                                       places[i].FPage + 1, PdfPlaceholderAddress(i)});
            extra.FLinkTargets.push_back({places[i].FPage, places[i].FTop});
        }
        frontPrint.push_back(TimeMs([&] {
            const std::string frontHtml = CombinePath(out, "front.html");
            WriteUtf8File(frontHtml, BuildPdfFrontMatterHtml(matter, TPdfPaper::A4, PdfDocumentAddress(style)));
            PrintHtmlToPdf(frontHtml, front);
            WaitForFile(front, PdfWaitTimeoutMs);
        }));
        assembly.push_back(TimeMs([&] {
            assembled = AssembleManualPdf({body, {extra}, ManualBookmarks(manual.FSections, places),
                                           ManualDocumentInfo(project)}, pdf);
        }));
    }
    std::printf("%-46s wall %9.1f ms   (the printer's own process)\n", "printing the body, once (not timed below)",
                print.FWallMs);
    Report("after the body print, whole (FinishManualPdf)", whole);
    Report("  heading search (text extraction)", search);
    Report("  front matter: document and print", frontPrint);
    Report("  assembly: merge, links, numbers, outline", assembly);
    std::printf("%d front pages, %d body pages, %zu contents links, %zu headings not found; manual.pdf %ju bytes\n",
                assembled.FFrontPages, assembled.FBodyPages, assembled.FLinks, finished.FUnresolvedHeadings,
                static_cast<uintmax_t>(fs::file_size(pdf)));
    fs::remove_all(root);
    return 0;
}
