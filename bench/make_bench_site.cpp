// Writes the same N pages (default 2,000, each about 8 KB, one topic link per paragraph) twice:
// as a Pagewell project in <DIR>/project and as a Hugo site in <DIR>/hugo, for
// bench/compare_hugo.sh. Usage: make_bench_site DIR [topics]
//
// make_bench_site --varied DIR [topics] writes only the project, for bench/viewer: each page
// about 8 KB of prose whose words are drawn Zipf-like from 60,000 distinct words (some with
// accents, some Cyrillic), titles of a few such words, and <DIR>/queries.json with the query set
// of the viewer benchmark (one letter, the most frequent word, a rare word, two words, no hit, a
// Cyrillic prefix, a 1,000-character paste).
#include "BenchProject.h"
#include "uStorage.h"
#include "uUtils.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <unordered_set>
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

// ---- varied text ----------------------------------------------------------------------------

struct TRandom {
    uint64_t State;
    uint64_t Next() {  // splitmix64
        uint64_t z = (State += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    size_t Below(size_t AN) { return static_cast<size_t>(Next() % AN); }
    double Unit() { return static_cast<double>(Next() >> 11) / 9007199254740992.0; }
};

constexpr size_t kVocabulary = 60000;

// Distinct words, in rank order (rank 0 the most frequent): mostly Latin syllables, every tenth
// word Cyrillic, about one Latin word in eight with an accented vowel. No word holds a "q".
std::vector<std::string> MakeVocabulary(TRandom& ARandom) {
    static const char* latinC[] = {"b", "c", "d", "f", "g", "h", "k", "l", "m", "n", "p", "r", "s", "t", "v", "w", "z", "st", "tr", "ch"};
    static const char* latinV[] = {"a", "e", "i", "o", "u", "y", "ea", "io"};
    static const char* accentV[] = {"\xC3\xA9", "\xC3\xA8", "\xC3\xBC", "\xC3\xB6", "\xC3\xA0", "\xC3\xB1", "\xC3\xA7", "\xC3\xA2"};
    static const char* cyrC[] = {"\xD0\xB1", "\xD0\xB2", "\xD0\xB3", "\xD0\xB4", "\xD0\xB6", "\xD0\xB7", "\xD0\xBA", "\xD0\xBB",
                                 "\xD0\xBC", "\xD0\xBD", "\xD0\xBF", "\xD1\x80", "\xD1\x81", "\xD1\x82"};
    static const char* cyrV[] = {"\xD0\xB0", "\xD0\xB5", "\xD0\xB8", "\xD0\xBE", "\xD1\x83", "\xD1\x8B", "\xD1\x8F", "\xD1\x91"};
    std::vector<std::string> words;
    std::unordered_set<std::string> seen;
    while (words.size() < kVocabulary) {
        const size_t rank = words.size();
        const bool cyrillic = rank % 10 == 7;
        // Frequent words are short, rare ones long.
        const size_t syllables = 1 + std::min<size_t>(4, static_cast<size_t>(std::log10(rank + 2.0)) + ARandom.Below(2));
        std::string w;
        for (size_t k = 0; k < syllables; ++k) {
            if (cyrillic) {
                w += cyrC[ARandom.Below(std::size(cyrC))];
                w += cyrV[ARandom.Below(std::size(cyrV))];
            } else {
                w += latinC[ARandom.Below(std::size(latinC))];
                w += (ARandom.Below(8) == 0) ? accentV[ARandom.Below(std::size(accentV))] : latinV[ARandom.Below(std::size(latinV))];
            }
        }
        if (ARandom.Below(3) == 0)
            w += cyrillic ? "\xD0\xBD" : "n";
        if (seen.insert(w).second)
            words.push_back(w);
    }
    return words;
}

// Draws ranks with probability proportional to 1 / (rank + 1).
class TZipf {
public:
    explicit TZipf(size_t AN) : FCumulative(AN) {
        double sum = 0;
        for (size_t i = 0; i < AN; ++i)
            FCumulative[i] = (sum += 1.0 / static_cast<double>(i + 1));
        for (double& c : FCumulative)
            c /= sum;
    }
    size_t Draw(TRandom& ARandom) const {
        const auto it = std::lower_bound(FCumulative.begin(), FCumulative.end(), ARandom.Unit());
        return std::min(static_cast<size_t>(it - FCumulative.begin()), FCumulative.size() - 1);
    }

private:
    std::vector<double> FCumulative;
};

std::string Capitalised(const std::string& AWord) {
    if (!AWord.empty() && AWord[0] >= 'a' && AWord[0] <= 'z')
        return static_cast<char>(AWord[0] - 32) + AWord.substr(1);
    return AWord;
}

std::string JsonString(const std::string& AText) {
    std::string out = "\"";
    for (char c : AText) {
        if (c == '"' || c == '\\')
            out += '\\';
        out += c;
    }
    return out + "\"";
}

int MakeVariedSite(const std::string& ADir, size_t ATopics) {
    TRandom random{20261210};
    const std::vector<std::string> vocab = MakeVocabulary(random);
    const TZipf zipf(vocab.size());
    TDocProject project;
    const std::string root = CombinePath(ADir, "project");
    const std::vector<std::string> ids = MakeBenchmarkTree(root, "Benchmark Guide", "Topic ", ATopics, project);
    std::vector<uint32_t> topicsWith(vocab.size(), 0), lastTopic(vocab.size(), UINT32_MAX);
    std::string pasteSource;
    for (size_t i = 0; i < ids.size(); ++i) {
        TTopic& topic = project.GetTopic(ids[i]);
        std::string title;
        for (size_t k = 0, n = 2 + random.Below(3); k < n; ++k)
            title += (k ? " " : "") + (k ? vocab[zipf.Draw(random)] : Capitalised(vocab[zipf.Draw(random)]));
        topic.SetTitle(title + " " + std::to_string(i));
        std::string body = "<h1>" + topic.Title() + "</h1>\n", plain;
        while (plain.size() < 7600) {
            std::string paragraph;
            for (size_t s = 0, sentences = 3 + random.Below(4); s < sentences; ++s) {
                for (size_t k = 0, n = 6 + random.Below(14); k < n; ++k) {
                    const size_t rank = zipf.Draw(random);
                    if (lastTopic[rank] != i) {
                        lastTopic[rank] = static_cast<uint32_t>(i);
                        ++topicsWith[rank];
                    }
                    paragraph += k ? " " + vocab[rank] : Capitalised(vocab[rank]);
                }
                paragraph += random.Below(5) == 0 ? ", " + std::to_string(random.Below(10000)) + ". " : ". ";
            }
            plain += paragraph;
            body += "<p>" + paragraph + "</p>\n";
        }
        if (i == 7)
            pasteSource = plain;
        WriteUtf8File(topic.HtmlPath(), body);
    }
    SaveProjectFolder(project);

    // The queries: the rare word is the Latin word in the fewest topics (at least one).
    std::string rare, cyrillic;
    uint32_t fewest = UINT32_MAX;
    for (size_t r = vocab.size(); r-- > 0;)
        if (topicsWith[r] >= 1 && topicsWith[r] < fewest && static_cast<unsigned char>(vocab[r][0]) < 0x80) {
            rare = vocab[r];
            fewest = topicsWith[r];
        }
    for (size_t r = 0; r < vocab.size() && cyrillic.empty(); ++r)
        if (static_cast<unsigned char>(vocab[r][0]) >= 0x80 && vocab[r].size() >= 6)
            cyrillic = vocab[r].substr(0, 6);  // three Cyrillic letters
    // The first 1,000 characters (not bytes) of a page's text.
    size_t end = 0;
    for (size_t chars = 0; end < pasteSource.size() && chars <= 1000; ++end)
        if ((static_cast<unsigned char>(pasteSource[end]) & 0xC0) != 0x80 && ++chars > 1000)
            break;
    const std::string paste = pasteSource.substr(0, end);
    const std::vector<std::pair<std::string, std::string>> queries = {
        {"one letter", vocab[0].substr(0, 1)}, {"most frequent word", vocab[0]}, {"rare word", rare},
        {"two words", vocab[20] + " " + vocab[200]}, {"no hit", "qxqzv"}, {"Cyrillic prefix", cyrillic},
        {"1,000-character paste", paste}};
    std::string json = "[";
    for (size_t i = 0; i < queries.size(); ++i)
        json += std::string(i ? ",\n" : "\n") + "{\"name\":" + JsonString(queries[i].first) +
                ",\"text\":" + JsonString(queries[i].second) + "}";
    WriteUtf8File(CombinePath(ADir, "queries.json"), json + "\n]\n");
    std::printf("%s\n%s\n", root.c_str(), CombinePath(ADir, "queries.json").c_str());
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc >= 3 && std::strcmp(argv[1], "--varied") == 0)
        return MakeVariedSite(argv[2], argc > 3 ? std::strtoul(argv[3], nullptr, 10) : 2000);
    if (argc < 2) {
        std::fprintf(stderr, "usage: make_bench_site [--varied] DIR [topics]\n");
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
