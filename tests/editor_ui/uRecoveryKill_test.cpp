// Killed sessions: the main window runs in a child process (this program started again with a
// child command), edits through the real editor page or saves a large project, and is killed
// with SIGKILL. The next start offers the edits back; a Save cut off at any moment leaves a
// project that opens, every file holding its old or its new text, and nothing lost.
#include "support/TEditorHarness.h"

#include "app/support/AppTestSupport.h"
#include "app/support/TScriptedPrompts.h"
#include "uMain.h"
#include "uRecoveryJournal.h"
#include "uRecoveryKeeper.h"

#include <QApplication>
#include <QProcess>
#include <QRegularExpression>
#include <QTest>
#include <QWebEngineView>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <map>

namespace fs = std::filesystem;

namespace {

struct TProjectOnDisk {
    std::string FileName, Root;
    std::vector<std::string> IDs;
};

// A saved project with ACount root topics "Topic <n>", bodies "<p>old <n></p>".
TProjectOnDisk MakeProject(const std::string& ADir, int ACount) {
    TProjectOnDisk d;
    d.FileName = CombinePath(ADir, "Manual.svp");
    d.Root = IncludeTrailingPathDelimiter(CombinePath(ADir, "Manual"));
    TDocProject p;
    p.SetRootPath(d.Root);
    p.SetTitle("Manual");
    for (int i = 0; i < ACount; ++i) {
        TTopic& t = p.AddTopic("Topic " + std::to_string(i), "");
        d.IDs.push_back(t.ID());
        WriteUtf8File(t.HtmlPath(), "<p>old " + std::to_string(i) + "</p>");
    }
    SaveProjectFile(d.FileName, p);
    return d;
}

// What Save writes: the project file, the tree files and the topic bodies.
std::map<std::string, std::string> SavedFiles(const std::string& AFileName, const std::string& ARoot) {
    std::map<std::string, std::string> files{{AFileName, ReadFileBytes(AFileName)}};
    for (const char* rel : {"project.json", "meta/topics.json"})
        files[CombinePath(ARoot, rel)] = ReadFileBytes(CombinePath(ARoot, rel));
    for (const auto& e : fs::directory_iterator(CombinePath(ARoot, "topics")))
        if (e.path().extension() == ".html")
            files[e.path().string()] = ReadFileBytes(e.path().string());
    return files;
}

// ---- the child: a window that edits, or saves, and then waits to be killed -------------------

bool WaitFor(const std::function<bool()>& APredicate, int AMs) { return TEditorHarness::WaitFor(APredicate, AMs); }

void Say(const char* AWord) {
    std::cout << AWord << std::endl;
}

void TypeAtEndOfBody(TfrmMain& W, const QString& AText) {
    W.activateWindow();
    W.EditorView()->setFocus();
    RunJsSync(W.EditorView()->page(),
              "(function(){var el=document.querySelector('#sv-body p');el.closest('.sv-area').focus();"
              "var r=document.createRange();r.selectNodeContents(el);r.collapse(false);"
              "var s=getSelection();s.removeAllRanges();s.addRange(r);})()");
    TEditorHarness::Pump(50);
    QTest::keyClicks(W.EditorView()->focusProxy(), AText);
}

QString PageBody(TfrmMain& W) {
    return RunJsSync(W.EditorView()->page(), "document.getElementById('sv-body').innerHTML").toString();
}

// Types into the first two topics through the page and renames the third, then waits until the
// journal holds all of it and says so.
int RunEditingChild(const std::string& AFileName) {
    TScriptedPrompts prompts;
    TfrmMain w(prompts, {QString::fromStdString(AFileName)});
    w.resize(1100, 750);
    w.show();
    const TDocProject& p = w.Project();
    std::vector<std::string> ids = p.RootTopicIDs();
    if (!WaitFor([&] { return w.EditorReady() && PageBody(w).contains("old 0"); }, 30000))
        return 3;
    TypeAtEndOfBody(w, " typed");
    if (!WaitFor([&] { return w.DirtyHtml() == "<p>old 0 typed</p>"; }, 10000))
        return 4;
    w.SelectTopicNode(ids[1]);
    if (!WaitFor([&] { return PageBody(w).contains("old 1"); }, 10000))
        return 5;
    TypeAtEndOfBody(w, " more");
    if (!WaitFor([&] { return w.DirtyHtml() == "<p>old 1 more</p>"; }, 10000))
        return 6;
    w.Project().GetTopic(ids[2]).SetTitle("Renamed");  // as the tree's rename does
    w.MarkProjectDirty();
    // The timer writes what the page reported; this child only watches the journal.
    const std::string base = TRecoveryJournal::RecoveryFolder();
    if (!WaitFor([&] {
            try {
                TJournalContents c = TRecoveryJournal::Read(base, p.RootPath());
                return c.TopicHtml.size() == 2 && c.TopicHtml[ids[1]] == "<p>old 1 more</p>" &&
                       c.TreeJson.find("Renamed") != std::string::npos;
            } catch (const EAppError&) {
                return false;
            }
        }, 15000))
        return 7;
    Say("JOURNALED");
    return QApplication::exec();
}

// Gives every topic a new body and title, writes the journal, says "SAVING" and saves.
int RunSavingChild(const std::string& AFileName) {
    TScriptedPrompts prompts;
    TfrmMain w(prompts, {QString::fromStdString(AFileName)});
    int n = 0;
    for (const std::string& id : w.Project().RootTopicIDs()) {
        w.UnsavedTopicHtml()[id] = "<p>new " + std::to_string(n) + "</p>";
        w.Project().GetTopic(id).SetTitle("New title " + std::to_string(n++));
    }
    w.MarkProjectDirty();
    w.Recovery()->WriteNow();
    Say("SAVING");
    w.btnSaveClick();
    Say("SAVED");
    return QApplication::exec();
}

}  // namespace

class RecoveryKillTest : public QObject {
    Q_OBJECT
    std::unique_ptr<TTempAppData> FAppData;

    // Starts this program as a child running ACommand on AFileName.
    std::unique_ptr<QProcess> StartChild(const char* ACommand, const std::string& AFileName) {
        auto child = std::make_unique<QProcess>();
        child->setProcessChannelMode(QProcess::ForwardedErrorChannel);
        child->start(QCoreApplication::applicationFilePath(), {ACommand, QString::fromStdString(AFileName)});
        return child;
    }
    static bool WaitForLine(QProcess& AChild, const QByteArray& ALine, int AMs) {
        QByteArray seen;
        return WaitFor([&] {
            seen += AChild.readAllStandardOutput();
            return seen.contains(ALine + "\n") || AChild.state() == QProcess::NotRunning;
        }, AMs) && seen.contains(ALine + "\n");
    }
    static void Kill(QProcess& AChild) {
        ::kill(static_cast<pid_t>(AChild.processId()), SIGKILL);
        AChild.waitForFinished(10000);
        QCOMPARE(AChild.exitStatus(), QProcess::CrashExit);
    }

private slots:
    void init() { FAppData = std::make_unique<TTempAppData>(); }
    void cleanup() { FAppData.reset(); }

    void killedSessionIsOfferedItsEditsBack() {
        const TProjectOnDisk d = MakeProject(FAppData->Path(), 3);
        const auto before = SavedFiles(d.FileName, d.Root);
        auto child = StartChild("--edit-and-wait", d.FileName);
        QVERIFY2(WaitForLine(*child, "JOURNALED", 120000), qPrintable("child exit " + QString::number(child->exitCode())));
        Kill(*child);
        QVERIFY(SavedFiles(d.FileName, d.Root) == before);

        TScriptedPrompts prompts;
        prompts.YesNoAnswers = {true};
        TfrmMain w(prompts, {QString::fromStdString(d.FileName)});
        QCOMPARE(prompts.Confirmations.size(), size_t(1));
        QVERIFY(QString::fromStdString(prompts.Confirmations[0])
                    .contains(QRegularExpression("^Unsaved changes from \\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d were found\\. Restore them\\?$")));
        QVERIFY(w.ProjectDirty());
        QCOMPARE(w.UnsavedTopicHtml()[d.IDs[0]], std::string("<p>old 0 typed</p>"));
        QCOMPARE(w.UnsavedTopicHtml()[d.IDs[1]], std::string("<p>old 1 more</p>"));
        QCOMPARE(w.Project().GetTopic(d.IDs[2]).Title(), std::string("Renamed"));
        QVERIFY(SavedFiles(d.FileName, d.Root) == before);
        w.show();
        QVERIFY(WaitFor([&] { return w.EditorReady() && PageBody(w).contains("old 0 typed"); }, 30000));

        w.btnSaveClick();
        QCOMPARE(ReadText(d.Root + "topics/" + d.IDs[1] + ".html"), std::string("<p>old 1 more</p>"));
        QVERIFY(ReadText(d.Root + "meta/topics.json").find("Renamed") != std::string::npos);
        QVERIFY(!TRecoveryJournal::HasLeftBehind(TRecoveryJournal::RecoveryFolder(), d.Root));
        QVERIFY(prompts.Errors.empty());
    }

    // A journal as a killed session leaves it: written, never removed.
    static void LeaveJournal(const std::string& ARoot, const TDocProject& AProject, const std::map<std::string, std::string>& AHtml) {
        TRecoveryJournal j(TRecoveryJournal::RecoveryFolder());
        QVERIFY(j.Attach(ARoot));
        j.Write(AProject, AHtml);
    }

    void declinedJournalIsDeletedAndDamagedOneKeptAside() {
        for (const bool damaged : {false, true}) {
            const TProjectOnDisk d = MakeProject(CombinePath(FAppData->Path(), damaged ? "b" : "a"), 2);
            TDocProject p;
            LoadProjectFolder(d.Root, p);
            LeaveJournal(d.Root, p, {{d.IDs[0], "<p>lost?</p>"}});
            const std::string folder = TRecoveryJournal::FolderFor(TRecoveryJournal::RecoveryFolder(), d.Root);
            if (damaged)
                WriteUtf8File(CombinePath(folder, "journal.json"), "{\"version\":1,\"root\":");
            const auto before = SavedFiles(d.FileName, d.Root);
            TScriptedPrompts prompts;
            prompts.YesNoAnswers = {false};
            TfrmMain w(prompts, {QString::fromStdString(d.FileName)});
            QVERIFY(!w.ProjectDirty());
            QVERIFY(w.UnsavedTopicHtml().empty());
            QVERIFY(!TRecoveryJournal::HasLeftBehind(TRecoveryJournal::RecoveryFolder(), d.Root));
            QVERIFY(SavedFiles(d.FileName, d.Root) == before);
            if (damaged) {
                QVERIFY(prompts.Confirmations.empty());
                QCOMPARE(prompts.Errors.size(), size_t(1));
                QVERIFY(prompts.Errors[0].find(folder + ".damaged-1") != std::string::npos);
                QVERIFY(FileExists(CombinePath(folder + ".damaged-1", "journal.json")));
            } else {
                QCOMPARE(prompts.Confirmations.size(), size_t(1));
                QVERIFY(prompts.Errors.empty());
                QVERIFY(!DirectoryExists(folder));
            }
        }
    }

    void scratchProjectOfAKilledSessionSurvivesStartUpUntilAnswered() {
        const std::string scratch = TfrmMain::ScratchRoot();
        TDocProject p;
        p.SetRootPath(scratch);
        p.SetTitle("Draft");
        const std::string id = p.AddTopic("First draft", "").ID();
        WriteUtf8File(CombinePath(scratch, "assets/images/picture.png"), "png");
        LeaveJournal(scratch, p, {{id, "<p>draft text</p>"}});

        TScriptedPrompts prompts;
        prompts.YesNoAnswers = {true};
        TfrmMain w(prompts, {});
        QCOMPARE(prompts.Confirmations.size(), size_t(1));
        QVERIFY(w.ProjectDirty());
        QVERIFY(w.ProjectFileName().empty());
        QCOMPARE(w.Project().GetTopic(id).Title(), std::string("First draft"));
        QCOMPARE(w.UnsavedTopicHtml()[id], std::string("<p>draft text</p>"));
        QVERIFY(FileExists(CombinePath(scratch, "assets/images/picture.png")));
        QVERIFY(prompts.Errors.empty());
    }

    void saveKilledAtAnyMomentLosesNothing() {
        const std::string work = CombinePath(FAppData->Path(), "work");
        // Save writes the bodies in the order of their ids, then the tree files: the child is
        // killed right after the first body, the last body, and the new tree file appear.
        for (const char* moment : {"first body", "last body", "tree file"}) {
            const std::string tag = std::string("killed after the ") + moment;
            fs::remove_all(work);
            fs::remove_all(TRecoveryJournal::RecoveryFolder());
            const TProjectOnDisk d0 = MakeProject(work, 2000);
            const std::string oldTree = ReadText(d0.Root + "meta/topics.json");
            const std::string fileName = d0.FileName;
            const std::string root = d0.Root;
            std::vector<size_t> order(d0.IDs.size());
            for (size_t i = 0; i < order.size(); ++i)
                order[i] = i;
            std::sort(order.begin(), order.end(), [&](size_t x, size_t y) { return d0.IDs[x] < d0.IDs[y]; });
            const size_t watched = std::string(moment) == "first body" ? order.front() : order.back();
            const std::string watchedPath = root + "topics/" + d0.IDs[watched] + ".html";
            const std::string watchedText = "<p>new " + std::to_string(watched) + "</p>";
            auto child = StartChild("--save-and-wait", fileName);
            QVERIFY2(WaitForLine(*child, "SAVING", 120000), tag.c_str());
            if (std::string(moment) == "tree file")
                QVERIFY2(WaitFor([&] { return ReadText(root + "meta/topics.json") != oldTree; }, 120000), tag.c_str());
            else
                QVERIFY2(WaitFor([&] { return ReadText(watchedPath) == watchedText; }, 120000), tag.c_str());
            Kill(*child);

            // The project opens, whole, every body old or new, and whatever is not on disk yet
            // is in the journal.
            std::string readRoot, title;
            ReadProjectFile(fileName, readRoot, title);
            TDocProject p;
            LoadProjectFolder(root, p);
            QVERIFY2(p.Topics().size() == 2000, tag.c_str());
            const std::string base = TRecoveryJournal::RecoveryFolder();
            TJournalContents journal;
            if (TRecoveryJournal::HasLeftBehind(base, root))
                journal = TRecoveryJournal::Read(base, root);
            int onDisk = 0;
            for (size_t i = 0; i < d0.IDs.size(); ++i) {
                const std::string body = ReadText(root + "topics/" + d0.IDs[i] + ".html");
                const std::string oldText = "<p>old " + std::to_string(i) + "</p>";
                const std::string newText = "<p>new " + std::to_string(i) + "</p>";
                QVERIFY2(body == oldText || body == newText, (tag + ": " + body).c_str());
                onDisk += body == newText;
                QVERIFY2(body == newText || journal.TopicHtml[d0.IDs[i]] == newText, tag.c_str());
            }
            const std::string tree = ReadText(root + "meta/topics.json");
            QVERIFY2(tree == oldTree ||
                         tree.find("New title 1999") != std::string::npos,
                     tag.c_str());
            std::cout << tag << ": " << onDisk << " of 2000 new bodies on disk, journal "
                      << (journal.TopicHtml.empty() ? "gone" : "kept") << std::endl;
        }
    }
};

int main(int argc, char** argv) {
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    if (argc == 3 && std::string(argv[1]) == "--edit-and-wait")
        return RunEditingChild(argv[2]);
    if (argc == 3 && std::string(argv[1]) == "--save-and-wait")
        return RunSavingChild(argv[2]);
    RecoveryKillTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "uRecoveryKill_test.moc"
