// Times the table of contents in the window on a generated project: rebuilding the tree view
// from the model (every branch expanded, then with the 200 second-level branches collapsed),
// drawing it, selecting the last topic, and a whole Move command (model, tree files, rebuild,
// selection). Runs headless: QT_QPA_PLATFORM=offscreen bench_ui_tree [topics] [runs]
#include "BenchProject.h"

#include "uStorage.h"
#include "uTocTreeView.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <functional>
#include <vector>

namespace {

struct TFigure {
    double WallMs;
    double CpuMs;
};

double CpuNowMs() { return 1000.0 * double(std::clock()) / CLOCKS_PER_SEC; }

// The median of ARuns runs of AStep.
TFigure Median(int ARuns, const std::function<void()>& AStep) {
    std::vector<TFigure> runs;
    for (int i = 0; i < ARuns; ++i) {
        QElapsedTimer wall;
        const double cpu = CpuNowMs();
        wall.start();
        AStep();
        runs.push_back({double(wall.nsecsElapsed()) / 1e6, CpuNowMs() - cpu});
    }
    std::sort(runs.begin(), runs.end(), [](const TFigure& A, const TFigure& B) { return A.WallMs < B.WallMs; });
    return runs[runs.size() / 2];
}

void Report(const char* AWhat, const TFigure& AFigure) {
    std::printf("%-58s %9.1f ms wall %9.1f ms cpu\n", AWhat, AFigure.WallMs, AFigure.CpuMs);
}

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    QApplication app(argc, argv);
    const size_t topics = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 2000;
    const int runs = argc > 2 ? std::atoi(argv[2]) : 7;

    TDocProject project;
    const std::string root = QDir::tempPath().toStdString() + "/pagewell-bench-tree";
    const std::vector<std::string> ids = MakeBenchmarkTree(root, "Bench", "Topic ", topics, project);
    EnsureDir(CombinePath(root, "meta"));

    TTocTreeView view;
    view.SetProject(&project);
    view.resize(320, 900);
    view.show();
    QApplication::processEvents();

    std::printf("%zu topics, %d runs (median)\n", topics, runs);
    Report("rebuild, every branch expanded", Median(runs, [&] { view.BuildFrom(project); }));
    Report("rebuild and draw", Median(runs, [&] {
               view.BuildFrom(project);
               view.viewport()->repaint();
           }));
    // The author collapses the 200 second-level branches (when the tree has them).
    for (size_t i = 20; i < std::min<size_t>(220, ids.size()); ++i)
        view.collapseItem(view.FindTopicItem(ids[i]));
    Report("rebuild, 200 branches kept collapsed", Median(runs, [&] { view.BuildFrom(project); }));
    Report("select the last topic (its branch opened)", Median(runs, [&] {
               view.BuildFrom(project);
               view.SelectTopic(ids.back());
           }));
    // Move Up of the last root topic and back, as the window runs it.
    const std::string last = project.RootTopicIDs().back();
    int turn = 0;
    Report("move command: MoveTopic, tree files, rebuild, select", Median(runs, [&] {
               const int n = static_cast<int>(project.RootTopicIDs().size());
               project.MoveTopic(last, "", (turn++ % 2) ? n - 1 : n - 2);
               SaveProjectFolder(project);
               view.BuildFrom(project);
               view.SelectTopic(last);
           }));
    return 0;
}
