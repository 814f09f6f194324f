// Times the desktop window as an author feels it, in-process: the real window offscreen with the
// real editor page, on a generated project of N topics (default 2,000, about 8 KB each). Prints
// the time from start to "ready" (the editor page answered) and to the first topic shown, then
// p50/p95/max of M topic switches (default 200): from the tree's selection change until the
// page shows the new topic's text, the stash and header round trips included.
// Usage: bench_editor [topics] [switches]   (run with QT_QPA_PLATFORM=offscreen)
#include "../BenchProject.h"
#include "app/support/TScriptedPrompts.h"

#include "uMain.h"
#include "uStorage.h"
#include "uUtils.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>
#include <QWebEnginePage>
#include <QWebEngineView>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace {

std::string Marker(size_t AIndex) { return "bench-marker-" + std::to_string(AIndex) + "-end"; }

std::string Body(const std::vector<std::string>& AIDs, size_t AIndex) {
    std::string body = "<h1>Topic " + std::to_string(AIndex) + "</h1><p>" + Marker(AIndex) + "</p>";
    for (int p = 0; p < 40; ++p)
        body += "<p>Paragraph " + std::to_string(p) +
                " explains how to install, configure and publish the documentation, then <a href=\"doc:" +
                AIDs[(AIndex * 31 + static_cast<size_t>(p) * 7 + 1) % AIDs.size()] +
                "\">see this topic</a> for the details that the team reviews before sharing it.</p>";
    return body;
}

// Processes events until ADone() holds; returns false after ATimeoutMs.
template <class TDone>
bool WaitUntil(TDone ADone, int ATimeoutMs = 20000) {
    QElapsedTimer t;
    t.start();
    while (!ADone()) {
        if (t.elapsed() > ATimeoutMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    return true;
}

// Asks the page whether its text area holds AText, and waits for the answer.
bool PageShows(TfrmMain& AWindow, const std::string& AText) {
    bool answered = false;
    bool shows = false;
    const QString script = QString("(function(){var b=document.getElementById('sv-body');"
                                   "return !!b && b.innerHTML.indexOf('%1')>=0;})()")
                               .arg(QString::fromStdString(AText));
    AWindow.EditorView()->page()->runJavaScript(script, [&](const QVariant& AResult) {
        shows = AResult.toBool();
        answered = true;
    });
    WaitUntil([&] { return answered; });
    return shows;
}

double Percentile(std::vector<double> AValues, double AP) {
    std::sort(AValues.begin(), AValues.end());
    const size_t at = std::min(AValues.size() - 1, static_cast<size_t>(AP * static_cast<double>(AValues.size())));
    return AValues[at];
}

}  // namespace

int main(int argc, char** argv) {
    const size_t topics = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 2000;
    const int switches = argc > 2 ? std::atoi(argv[2]) : 200;
    const std::string work = (std::filesystem::temp_directory_path() / "pagewell-bench-editor").string();
    std::filesystem::remove_all(work);
    qputenv("APPDATA", QByteArray::fromStdString(CombinePath(work, "appdata")));
    if (qEnvironmentVariableIsEmpty("QTWEBENGINE_CHROMIUM_FLAGS"))
        qputenv("QTWEBENGINE_CHROMIUM_FLAGS", "--disable-gpu");

    TDocProject project;
    const std::string root = CombinePath(work, "Guide");
    const std::vector<std::string> ids = MakeBenchmarkTree(root, "Benchmark Guide", "Topic ", topics, project);
    for (size_t i = 0; i < ids.size(); ++i)
        WriteUtf8File(project.GetTopic(ids[i]).HtmlPath(), Body(ids, i));
    const std::string file = CombinePath(work, "Guide.svp");
    SaveProjectFolder(project);
    SaveProjectFile(file, project);

    QApplication app(argc, argv);
    QElapsedTimer clock;
    clock.start();
    TScriptedPrompts prompts;
    TfrmMain window(prompts, {QString::fromStdString(file)});
    window.resize(1200, 800);
    window.show();
    const double constructed = static_cast<double>(clock.nsecsElapsed()) / 1e6;
    if (!WaitUntil([&] { return window.EditorReady(); })) {
        std::fprintf(stderr, "the editor page never became ready\n");
        return 1;
    }
    const double ready = static_cast<double>(clock.nsecsElapsed()) / 1e6;
    const size_t firstIndex = static_cast<size_t>(std::find(ids.begin(), ids.end(), window.CurrentTopicID()) - ids.begin());
    if (firstIndex >= ids.size() || !WaitUntil([&] { return PageShows(window, Marker(firstIndex)); })) {
        std::fprintf(stderr, "the first topic was never shown\n");
        return 1;
    }
    const double first = static_cast<double>(clock.nsecsElapsed()) / 1e6;

    std::vector<QTreeWidgetItem*> items;
    for (QTreeWidgetItemIterator it(window.tvToc); *it; ++it)
        items.push_back(*it);
    std::vector<double> times;
    size_t at = 0;
    for (int s = 0; s < switches; ++s) {
        at = (at * 7 + 13) % items.size();
        QElapsedTimer t;
        t.start();
        window.tvToc->setCurrentItem(items[at]);
        const std::string id = window.CurrentTopicID();
        const size_t index = static_cast<size_t>(std::find(ids.begin(), ids.end(), id) - ids.begin());
        if (index >= ids.size() || !WaitUntil([&] { return PageShows(window, Marker(index)); })) {
            std::fprintf(stderr, "switch %d never showed its topic\n", s);
            return 1;
        }
        times.push_back(static_cast<double>(t.nsecsElapsed()) / 1e6);
    }
    std::printf("topics: %zu, switches: %d\n", topics, switches);
    std::printf("window constructed  %8.1f ms\n", constructed);
    std::printf("editor ready        %8.1f ms\n", ready);
    std::printf("first topic shown   %8.1f ms\n", first);
    std::printf("switch p50 %.1f ms, p95 %.1f ms, max %.1f ms\n", Percentile(times, 0.5), Percentile(times, 0.95),
                Percentile(times, 1.0));
    window.close();
    std::filesystem::remove_all(work);
    return 0;
}
