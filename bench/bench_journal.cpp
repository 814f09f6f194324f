// The recovery journal's cost while the author works on a large project: the write after a topic
// switch or a pause in typing, with one topic changed since the last write (the tree text built
// again, or kept from the last write), and the first write of many changed topics.
//
//   bench_journal [topics] [changed-topics]
//
// Prints milliseconds of wall time per write.
#include "BenchProject.h"
#include "uRecoveryJournal.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>

int main(int argc, char** argv) {
    const size_t topics = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 2000;
    const size_t changed = argc > 2 ? std::strtoul(argv[2], nullptr, 10) : 50;
    const std::string dir = (std::filesystem::temp_directory_path() / "pagewell-bench-journal").string();
    TDocProject project;
    const auto ids = MakeBenchmarkTree(CombinePath(dir, "Proj"), "Bench", "Topic ", topics, project);
    std::map<std::string, std::string> html;
    const std::string body(8 * 1024, 'x');
    for (size_t i = 0; i < changed && i < ids.size(); ++i)
        html[ids[i]] = "<p>" + std::to_string(i) + body + "</p>";

    using clock = std::chrono::steady_clock;
    auto ms = [](clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); };
    TRecoveryJournal journal(CombinePath(dir, "recovery"));
    journal.Attach(project.RootPath());
    auto t0 = clock::now();
    journal.Write(project, html);
    const double first = ms(clock::now() - t0);

    const int rounds = 50;
    t0 = clock::now();
    for (int r = 0; r < rounds; ++r) {
        html[ids[0]] += "typed ";  // one topic changed since the last write
        journal.Write(project, html);
    }
    const double typing = ms(clock::now() - t0) / rounds;
    t0 = clock::now();
    for (int r = 0; r < rounds; ++r) {
        html[ids[0]] += "typed ";  // the same, with the tree known to be as before
        journal.Write(project, html, TRecoveryJournal::TTree::Unchanged);
    }
    const double typingTreeKept = ms(clock::now() - t0) / rounds;
    t0 = clock::now();
    for (int r = 0; r < rounds; ++r)
        journal.Write(project, html);  // nothing changed
    const double idle = ms(clock::now() - t0) / rounds;
    journal.Remove();
    std::filesystem::remove_all(dir);
    std::printf("journal, %zu topics, %zu changed topics of 8 KB: first write %.2f ms, "
                "write after typing in one topic %.2f ms (tree text kept: %.2f ms), write with nothing changed %.2f ms\n",
                topics, changed, first, typing, typingTreeKept, idle);
    return 0;
}
