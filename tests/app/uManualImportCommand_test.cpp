// File > Import HTML Manual... in the window: the topics join the open project in memory beside
// the author's unsaved edits, only new files are written, the report is shown; the window holds
// the project's lock, so the command line refuses to import behind its back.
#include "support/ModalTestSupport.h"
#include "support/WindowTestSupport.h"

#include "uManualImportCommand.h"
#include "uProjectLock.h"
#include "uStorage.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QPlainTextEdit>
#include <QTimer>
#include <QtTest>

class TestManualImportCommand : public QObject, public TWindowFixture {
    Q_OBJECT

private slots:
    void init() { InitWindow(); }
    void cleanup() { CleanupWindow(); }

    void importAddsTopicsInMemoryWritesOnlyNewFilesAndShowsTheReport() {
        OpenWindow({{"A", ""}, {"B", "A"}}, 1000, 700);
        W->UnsavedTopicHtml()[T.Ids.at("B")] = "<p>edited, not saved</p>";
        W->MarkProjectDirty();
        const std::string treeFile = T.Root + "meta/topics.json";
        const std::string treeBefore = ReadFileBytes(treeFile);

        FPrompts->OpenAnswers.push_back(std::string(PAGEWELL_TEST_DATA_DIR "/manuals/sidemenu/index.html"));
        QString report, summary;
        bool buddy = false;
        // The progress dialog comes first, then the report.
        QVERIFY(WithModalDialog<TfrmManualImportReport>(
            [&](TfrmManualImportReport& ADialog) {
                buddy = ADialog.lblReport->buddy() == ADialog.memReport;
                report = ADialog.memReport->toPlainText();
                summary = ADialog.lblSummary->text();
                ADialog.btnOK->click();
            },
            [&] { W->ImportHtmlManual1->trigger(); }));
        QVERIFY(buddy);
        QCOMPARE(summary, QString("5 topics and 1 asset were added to the project. Save the project to keep them."));

        QVERIFY2(report.startsWith("Pages imported: 5\nTopics made: 5\n"), qPrintable(report));
        QVERIFY(report.contains("body>div.sidebar (5 pages)"));
        TDocProject& p = W->Project();
        QCOMPARE(p.RootTopicIDs().size(), size_t(2));
        const TTopic& imported = p.GetTopic(p.RootTopicIDs().back());
        QCOMPARE(imported.Title(), std::string("Home - Site"));
        QCOMPARE(imported.Children().size(), size_t(3));
        QVERIFY(FileExists(p.TopicHtmlPathFor(imported.ID())));
        QVERIFY(FileExists(T.Root + "assets/css/site.css"));
        QCOMPARE(ReadFileBytes(treeFile), treeBefore);  // the tree is Save's to write
        QVERIFY(W->ProjectDirty());
        QCOMPARE(W->SelectedTopicID(), imported.ID());
        QCOMPARE(W->StatusText(), QString("Imported HTML manual: 5 topics"));

        W->btnSaveClick();
        TDocProject saved;
        LoadProjectFolder(T.Root, saved);
        QCOMPARE(saved.Topics().size(), size_t(7));
        QCOMPARE(ReadFileBytes(p.TopicHtmlPathFor(T.Ids.at("B"))), std::string("<p>edited, not saved</p>"));
    }

    void theOpenProjectIsLockedAndAFailedImportChangesNothing() {
        OpenWindow({{"A", ""}}, 800, 600);
        TProjectLock cli;
        QVERIFY(!cli.TryAcquire(T.Root));

        FPrompts->OpenAnswers.push_back(T.Root + "no-such-page.html");
        W->ImportHtmlManual1->trigger();
        QCOMPARE(FPrompts->Errors.size(), size_t(1));
        QVERIFY(FPrompts->Errors[0].rfind("File not found: ", 0) == 0);
        FPrompts->Errors.clear();
        QCOMPARE(W->Project().Topics().size(), size_t(1));
        QVERIFY(!W->ProjectDirty());

        W.reset();  // the window is gone: the lock with it
        QVERIFY(cli.TryAcquire(T.Root));
    }
};

QTEST_MAIN(TestManualImportCommand)
#include "uManualImportCommand_test.moc"
