// The table of contents with the real editor page: a new topic is shown in the page at once, and
// removing the topic being edited drops what was typed in it, so Save writes nothing for it.
#include "support/TEditorHarness.h"

#include "app/support/WindowTestSupport.h"
#include "uMain.h"
#include "uTopicHeaders.h"
#include "uTopicPropertiesPage.h"

#include <QAction>
#include <QDragMoveEvent>
#include <QMimeData>
#include <QPainter>
#include <QPlainTextEdit>
#include <QTabWidget>
#include <QToolButton>
#include <QTest>
#include <QWebEngineView>

class TocWindowTest : public QObject, public TWindowFixture {
    Q_OBJECT

    QVariant Js(const QString& AScript) { return RunJsSync(W->EditorView()->page(), AScript); }
    QString PageBody() { return Js("document.getElementById('sv-body').innerHTML").toString(); }
    QString PageHeader() { return Js("document.getElementById('sv-header').innerHTML").toString(); }
    void Start(const std::vector<std::pair<std::string, std::string>>& ATopics, int AWidth = 1100) {
        OpenWindow(ATopics, AWidth, 720);
        QVERIFY(TEditorHarness::WaitFor([&] { return W->EditorReady(); }, 15000));
    }

private slots:
    void init() { InitWindow(); }
    void cleanup() { CleanupWindow(); }

    void newTopicIsShownAtOnce_andRemovingItDropsWhatWasTyped() {
        Start({{"Alpha", ""}, {"Beta", ""}});
        QVERIFY(TEditorHarness::WaitFor([&] { return PageBody() == "<p>Alpha</p>"; }, 5000));
        FPrompts->InputAnswers = {std::string("Child")};
        W->NewChildTopic1->trigger();
        const std::string id = W->CurrentTopicID();
        QCOMPARE(W->Project().GetTopic(id).ParentID(), T.Ids["Alpha"]);
        QVERIFY(TEditorHarness::WaitFor([&] { return PageBody() == QString::fromStdString(W->NewTopicHtml()); }, 5000));
        QVERIFY(TEditorHarness::WaitFor([&] { return PageHeader().contains("Child"); }, 5000));
        QVERIFY(FileExists(W->TopicBodyPath(id)) && FileExists(HeaderHtmlPath(T.Root, id)));

        // The author types in the new topic, then removes it.
        Js("(function(){var b=document.getElementById('sv-body');(b.closest('.sv-area')||b).focus();"
           "var r=document.createRange();r.selectNodeContents(b);r.collapse(false);var s=getSelection();"
           "s.removeAllRanges();s.addRange(r);document.execCommand('insertText',false,'draft text');})()");
        QVERIFY(TEditorHarness::WaitFor([&] { return W->DirtyHtml().find("draft text") != std::string::npos; }, 5000));
        FPrompts->YesNoAnswers = {true};
        W->btnDeleteTopic->click();
        QCOMPARE(W->CurrentTopicID(), T.Ids["Alpha"]);
        QVERIFY(TEditorHarness::WaitFor([&] { return PageBody() == "<p>Alpha</p>"; }, 5000));
        W->btnSaveClick();
        QVERIFY(!FileExists(W->TopicBodyPath(id)));
        QCOMPARE(DiskOutline(T.Root), QStringList({"Alpha", "Beta"}));
    }

    // Not a check: a twelve-topic manual with a topic being dragged (its drop indicator shown)
    // and the Properties page open, for the README.
    void screenshot() {
        const QByteArray dir = qgetenv("PAGEWELL_SCREENSHOT_DIR");
        if (dir.isEmpty())
            QSKIP("set PAGEWELL_SCREENSHOT_DIR to keep a screenshot");
        Start({{"Getting Started", ""},
               {"Installation", "Getting Started"},
               {"Your First Project", "Getting Started"},
               {"Creating Topics", "Your First Project"},
               {"Saving Your Work", "Your First Project"},
               {"Writing", ""},
               {"Formatting Text", "Writing"},
               {"Links Between Topics", "Writing"},
               {"Reusable Content", "Writing"},
               {"Publishing", ""},
               {"WebHelp", "Publishing"},
               {"CHM and PDF", "Publishing"}},
              1280);
        const std::string moved = T.Ids["Saving Your Work"];
        WriteUtf8File(W->TopicBodyPath(moved),
                      "<h2>Saving your work</h2><p>Choose <b>File &gt; Save Project</b> to write every topic, the "
                      "table of contents and the settings. Until the first save the project lives in a scratch "
                      "folder.</p><ul><li>Save often.</li><li>Use <i>Save Project As</i> for a copy.</li></ul>");
        TTopic& topic = W->Project().GetTopic(moved);
        topic.Keywords() = {"save", "project file", "scratch folder"};
        topic.IndexEntries() = {"Saving", "Project file"};
        topic.SetExcludePdf(true);
        W->Properties1->trigger();
        W->SelectTopicNode(moved);
        QVERIFY(TEditorHarness::WaitFor([&] { return PageBody().contains("scratch"); }, 5000));

        TTocTreeView* tree = W->tvToc;
        std::unique_ptr<QMimeData> data(tree->StartDrag(tree->currentItem()));
        const QRect target = tree->visualItemRect(tree->FindTopicItem(T.Ids["Formatting Text"]));
        const QPoint pos(target.left() + 30, target.bottom() - 2);
        QDragEnterEvent enter(pos, Qt::MoveAction, data.get(), Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(tree->viewport(), &enter);
        QDragMoveEvent move(pos, Qt::MoveAction, data.get(), Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(tree->viewport(), &move);
        QVERIFY(move.isAccepted() && tree->DropMode() == TDropMode::dmAfter);
        TEditorHarness::Pump(600);

        // The window, with the drag image the pointer carries drawn where the pointer is.
        QPixmap shot = W->grab();
        const QRect source = tree->visualItemRect(tree->currentItem());
        const QPixmap dragImage = tree->viewport()->grab(source);
        QPainter p(&shot);
        p.setOpacity(0.75);
        p.drawPixmap(tree->viewport()->mapTo(W.get(), pos) + QPoint(-16, -source.height() / 2), dragImage);
        p.end();
        tree->EndDrag();
        QVERIFY(shot.save(QString::fromLocal8Bit(dir) + "/table-of-contents.png"));
    }
};

QTEST_MAIN(TocWindowTest)
#include "uTocWindow_test.moc"
