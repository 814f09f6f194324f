// Add HTML on a large generated document: how long building the fragment takes.
//
//   bench_import [megabytes] [runs]
//
// Writes, in the temporary folder, a document of the given size (default 5 MB) made of sections
// with headings, paragraphs, figures, time and mark elements, a picture with a srcset every 20
// sections and a missing picture every 10, plus a linked style sheet that imports another and
// uses a font twice. Each run imports it into a fresh project root and prints the median wall
// time and processor time of BuildImportFragment.
#include "uHtmlImport.h"

#include "uUtils.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <string>
#include <vector>

namespace {

std::string MakeDocument(size_t ABytes) {
    std::string doc = "<!DOCTYPE html><html><head><title>Big</title><link rel=\"stylesheet\" href=\"css/site.css\">"
                      "<style>.grid{display:grid}</style></head><body class=\"doc\" lang=\"en\">\n";
    for (int i = 0; doc.size() < ABytes; ++i) {
        doc += "<section id=\"s" + IntToStr(i) + "\"><h2>Section " + IntToStr(i) + "</h2>"
               "<p>Lorem ipsum <b>dolor</b> sit amet, <a href=\"#s" + IntToStr(i + 1) + "\">next</a> "
               "<time datetime=\"2024-01-01\">today</time> and <mark>marked</mark> text.</p>"
               "<figure><figcaption>Caption " + IntToStr(i) + "</figcaption></figure>\n";
        if (i % 20 == 0)
            doc += "<picture><source srcset=\"img/a.png 1x, img/b.png 2x\"><img src=\"img/a.png\" alt=\"a\"></picture>";
        if (i % 10 == 0)
            doc += "<img src=\"img/missing-" + IntToStr(i) + ".png\" onerror=\"x()\">";
        doc += "</section>\n";
    }
    return doc + "</body></html>";
}

double CpuMs() { return 1000.0 * static_cast<double>(std::clock()) / CLOCKS_PER_SEC; }

}  // namespace

int main(int argc, char** argv) {
    const double megabytes = argc > 1 ? std::atof(argv[1]) : 5.0;
    const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 5;
    const std::string dir = (std::filesystem::temp_directory_path() / "pagewell-bench-import").string();
    std::filesystem::remove_all(dir);
    const std::string src = CombinePath(dir, "src");
    const std::string document = MakeDocument(static_cast<size_t>(megabytes * 1024 * 1024));
    WriteUtf8File(CombinePath(src, "page.html"), document);
    WriteUtf8File(CombinePath(src, "css/site.css"),
                  "@import \"base.css\" screen;@font-face{src:url(f.woff2)}.x{src:url('f.woff2')}");
    WriteUtf8File(CombinePath(src, "css/base.css"), ".b{display:flex}");
    WriteUtf8File(CombinePath(src, "css/f.woff2"), "font");
    WriteUtf8File(CombinePath(src, "img/a.png"), "a");
    WriteUtf8File(CombinePath(src, "img/b.png"), "b");

    std::vector<double> wall, cpu;
    size_t fragmentSize = 0;
    for (int r = 0; r < runs; ++r) {
        const std::string root = CombinePath(dir, "proj" + IntToStr(r));
        const auto start = std::chrono::steady_clock::now();
        const double cpuStart = CpuMs();
        fragmentSize = BuildImportFragment(root, CombinePath(src, "page.html")).size();
        cpu.push_back(CpuMs() - cpuStart);
        wall.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
    }
    std::sort(wall.begin(), wall.end());
    std::sort(cpu.begin(), cpu.end());
    std::printf("document %zu bytes, fragment %zu bytes, %d runs\n", document.size(), fragmentSize, runs);
    std::printf("BuildImportFragment: median %.0f ms wall, %.0f ms CPU\n", wall[wall.size() / 2], cpu[cpu.size() / 2]);
    std::filesystem::remove_all(dir);
    return 0;
}
