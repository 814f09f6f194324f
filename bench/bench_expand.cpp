// Token expansion on a generated project: the literal schedule against the fast one.
//
//   bench_expand [topics] [literal-topics]
//
// Builds a store of 200 variables, 50 snippets (nesting up to three deep) and 20 conditions,
// and topics of about 8 KB with variable, snippet and condition tokens, marker-only paragraphs
// and marker styling. Expands every topic with one fast TTokenExpander (as a publisher keeps it
// for an export), with ExpandReusableContent per topic, and the first literal-topics topics with
// the literal schedule; checks that the outputs agree and prints topics per second of processor time.
#include "../tests/common/TDeterministicRandom.h"
#include "uTokenExpansion.h"

#include "uUtils.h"

#include <ctime>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace {

constexpr int kVariables = 200, kSnippets = 50, kConditions = 20;

const char* const kWords[] = {"the", "project", "topic", "editor", "publish", "help", "window", "select",
                              "setting", "page", "content", "and", "with", "of", "for", "click"};

std::string Words(TDeterministicRandom& R, int N) {
    std::string s;
    for (int i = 0; i < N; ++i) {
        if (i)
            s += ' ';
        s += kWords[R.Below(16)];
    }
    return s;
}

std::string Var(TDeterministicRandom& R) { return "{var:Variable" + IntToStr(R.Below(kVariables)) + "}"; }
std::string Cond(TDeterministicRandom& R) { return "Condition" + IntToStr(R.Below(kConditions)); }

TReusableProjectContent MakeStore(TDeterministicRandom& R) {
    TReusableProjectContent store;
    for (int i = 0; i < kVariables; ++i)
        store.Variables().push_back({"Variable" + IntToStr(i), Words(R, 2) + (i % 7 ? "" : " & <more>")});
    for (int i = 0; i < kSnippets; ++i) {
        std::string html = "<div class=\"note\"><p>" + Words(R, 12) + " " + Var(R) + " " + Words(R, 10) + "</p>";
        html += "<p>{begincond:" + Cond(R) + "}" + Words(R, 8) + "{endcond}</p>";
        if (i + 1 < kSnippets && i % 3 == 0)  // nested snippets, three levels at most
            html += "<p>{snip:Snippet" + IntToStr(i + 1 + R.Below(std::min(3, kSnippets - i - 1))) + "}</p>";
        html += "<p>" + Words(R, 20) + " " + Var(R) + "</p></div>";
        store.Snippets().push_back({"Snippet" + IntToStr(i), html});
    }
    for (int i = 0; i < kConditions; ++i)
        store.Conditions().push_back({"Condition" + IntToStr(i), i % 2 == 0});
    return store;
}

std::string MakeTopic(TDeterministicRandom& R) {
    std::string s = "<h1>" + Words(R, 4) + "</h1>";
    while (s.size() < 8000) {
        switch (R.Below(10)) {
        case 0:
            s += "<p>{begincond:" + Cond(R) + "}</p><p>" + Words(R, 20) + " " + Var(R) + "</p><p>{endcond}</p>";
            break;
        case 1:
            s += "<p>" + Words(R, 6) + " {begincond:" + Cond(R) + "}" + Words(R, 10) + "{endcond:" + "Condition" +
                 IntToStr(R.Below(kConditions)) + "} " + Words(R, 6) + "</p>";
            break;
        case 2:
            s += "<p>{snip:Snippet" + IntToStr(R.Below(kSnippets)) + "}</p>";
            break;
        case 3:
            s += "<p>Use <span style=\"border: 1px dashed #88a; background: #eef5ff\" contenteditable=\"false\" "
                 "title=\"Variable\">" + Var(R) + "</span> here.</p>";
            break;
        case 4:
            s += "<ul><li>" + Words(R, 8) + "</li><li>" + Var(R) + " " + Words(R, 5) + "</li></ul>";
            break;
        default:
            s += "<p>" + Words(R, 25) + " " + Var(R) + " <b>" + Words(R, 3) + "</b> " + Words(R, 15) + "</p>";
            break;
        }
    }
    return s;
}

// Processor time of this process: the machine may be shared, and wall time would count the
// other programs' share too.
double CpuNow() {
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) / 1e9;
}
double Seconds(double AStart) { return CpuNow() - AStart; }

}  // namespace

int main(int argc, char** argv) {
    const int topicCount = argc > 1 ? std::atoi(argv[1]) : 2000;
    const int literalCount = argc > 2 ? std::min(std::atoi(argv[2]), topicCount) : topicCount;

    std::string root = (std::filesystem::temp_directory_path() / ("pagewell-bench-expand-" + NewGuidHex())).string();
    TDocProject project;
    project.SetRootPath(root);
    TDeterministicRandom R(42);
    MakeStore(R).SaveToProject(project);
    std::vector<std::string> topics;
    size_t bytes = 0;
    for (int i = 0; i < topicCount; ++i) {
        topics.push_back(MakeTopic(R));
        bytes += topics.back().size();
    }
    std::printf("corpus: %d topics, %.1f KB average, %d variables, %d snippets, %d conditions\n", topicCount,
                bytes / 1024.0 / std::max(1, topicCount), kVariables, kSnippets, kConditions);

    double t0 = CpuNow();
    std::vector<std::string> fast;
    {
        TTokenExpander expander(project);  // one per export
        for (const auto& t : topics)
            fast.push_back(expander.Expand(t));
    }
    double fastSeconds = Seconds(t0);

    t0 = CpuNow();
    size_t mismatches = 0;
    for (size_t i = 0; i < topics.size(); ++i)
        mismatches += ExpandReusableContent(project, topics[i]) != fast[i];
    double perCallSeconds = Seconds(t0);

    t0 = CpuNow();
    {
        TTokenExpander literal(project, TExpansionSchedule::Literal);
        for (int i = 0; i < literalCount; ++i)
            mismatches += literal.Expand(topics[static_cast<size_t>(i)]) != fast[static_cast<size_t>(i)];
    }
    double literalSeconds = Seconds(t0);

    double fastRate = topicCount / fastSeconds, perCallRate = topicCount / perCallSeconds;
    double literalRate = literalCount / literalSeconds;
    std::printf("literal schedule:                 %9.1f topics/s  (%d topics, %.2f s CPU)\n", literalRate, literalCount,
                literalSeconds);
    std::printf("fast, one expander per export:    %9.1f topics/s  (%d topics, %.2f s CPU)  %.1fx\n", fastRate, topicCount,
                fastSeconds, fastRate / literalRate);
    std::printf("fast, ExpandReusableContent/topic:%9.1f topics/s  (%d topics, %.2f s CPU)  %.1fx\n", perCallRate,
                topicCount, perCallSeconds, perCallRate / literalRate);
    std::printf("outputs %s\n", mismatches ? "DIFFER" : "identical");
    std::error_code ec;
    std::filesystem::remove_all(root, ec);
    return mismatches ? 1 : 0;
}
