// Writes the same N pages (default 2,000, each about 8 KB, one topic link per paragraph) twice:
// as a Pagewell project in <DIR>/project and as a Hugo site in <DIR>/hugo, for
// bench/compare_hugo.sh. Usage: make_bench_site DIR [topics]
#include "BenchProject.h"
#include "uStorage.h"
#include "uUtils.h"

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

constexpr int kParagraphs = 40;

// One paragraph of about 200 bytes with a link made by ALink(target id).
template <class TLink>
std::string Paragraph(size_t ATopic, int AIndex, const std::string& ATarget, TLink ALink) {
    return "<p>Paragraph " + std::to_string(AIndex) + " of topic " + std::to_string(ATopic) +
           " explains how to install, configure and publish the documentation, then " + ALink(ATarget) +
           " for the details that the team reviews before sharing it.</p>\n";
}

template <class TLink>
std::string Body(const std::vector<std::string>& AIDs, size_t ATopic, TLink ALink) {
    std::string body = "<h1>Topic " + std::to_string(ATopic) + "</h1>\n";
    for (int p = 0; p < kParagraphs; ++p)
        body += Paragraph(ATopic, p, AIDs[(ATopic * 31 + static_cast<size_t>(p) * 7 + 1) % AIDs.size()], ALink);
    return body;
}

void WriteHugoSite(const std::string& ARoot, const TDocProject& AProject, const std::vector<std::string>& AIDs) {
    WriteUtf8File(CombinePath(ARoot, "hugo.toml"),
                  "baseURL = '/'\ntitle = 'Benchmark Guide'\ndisableKinds = ['taxonomy', 'term', 'RSS', 'sitemap']\n");
    WriteUtf8File(CombinePath(ARoot, "layouts/_default/single.html"),
                  "<!doctype html><html><head><meta charset=\"utf-8\"><link rel=\"stylesheet\" href=\"/style.css\">"
                  "<title>{{ .Title }}</title></head><body><div class=\"sv-page-header\"><b>{{ .Title }}</b></div>"
                  "<div class=\"sv-page-body\">{{ .Content }}</div></body></html>\n");
    WriteUtf8File(CombinePath(ARoot, "layouts/_default/list.html"),
                  "<!doctype html><html><body><ul>{{ range .Pages }}<li><a href=\"{{ .RelPermalink }}\">{{ .Title }}"
                  "</a></li>{{ end }}</ul></body></html>\n");
    for (size_t i = 0; i < AIDs.size(); ++i) {
        const std::string body = Body(AIDs, i, [](const std::string& AID) {
            return "<a href=\"/topics/" + LowerAscii(AID) + "/\">see this topic</a>";
        });
        WriteUtf8File(CombinePath(ARoot, "content/topics/" + LowerAscii(AIDs[i]) + ".html"),
                      "---\ntitle: \"" + AProject.GetTopic(AIDs[i]).Title() + "\"\n---\n" + body);
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: make_bench_site DIR [topics]\n");
        return 2;
    }
    const std::string dir = argv[1];
    const size_t topics = argc > 2 ? std::strtoul(argv[2], nullptr, 10) : 2000;
    TDocProject project;
    const std::string root = CombinePath(dir, "project");
    const std::vector<std::string> ids = MakeBenchmarkTree(root, "Benchmark Guide", "Topic ", topics, project);
    for (size_t i = 0; i < ids.size(); ++i)
        WriteUtf8File(project.GetTopic(ids[i]).HtmlPath(), Body(ids, i, [](const std::string& AID) {
                          return "<a href=\"doc:" + AID + "\">see this topic</a>";
                      }));
    SaveProjectFolder(project);
    std::filesystem::remove_all(CombinePath(dir, "hugo"));
    WriteHugoSite(CombinePath(dir, "hugo"), project, ids);
    std::printf("%s\n%s\n", root.c_str(), CombinePath(dir, "hugo").c_str());
    return 0;
}
