// The main window with the real editor page: showing topics, keeping edits across topic
// switches until Save, header files, and answers of a slow page that come after their wait.
#include "support/TEditorHarness.h"

#include "app/support/AppTestSupport.h"
#include "app/support/TScriptedPrompts.h"
#include "uMain.h"
#include "uTopicHeaders.h"

#include <QTest>
#include <QTimer>
#include <QWebEngineView>

#include <filesystem>

namespace {

struct TThreeTopics {
    std::string FileName, Root, A, B, C;
};

// A saved project with the root topics Alpha, Beta and Gamma and their bodies on disk.
TThreeTopics MakeThreeTopics(const std::string& ADir) {
    TThreeTopics t;
    t.FileName = CombinePath(ADir, "Manual.svp");
    t.Root = IncludeTrailingPathDelimiter(CombinePath(ADir, "Manual"));
    TDocProject p;
    p.SetRootPath(t.Root);
    p.SetTitle("Manual");
    const char* names[] = {"Alpha", "Beta", "Gamma"};
    std::string* ids[] = {&t.A, &t.B, &t.C};
    for (int i = 0; i < 3; ++i) {
        TTopic& topic = p.AddTopic(names[i], "");
        *ids[i] = topic.ID();
        WriteUtf8File(topic.HtmlPath(), "<p>" + LowerAscii(names[i]) + "</p>");
    }
    SaveProjectFile(t.FileName, p);
    return t;
}

// Makes the page process host messages only after ADelayMs, in their order, as a page whose
// thread is busy would: its answers then come late but never out of order. 0 switches it off.
const char* const kSlowPageScript = R"JS(
(function (delay) {
  if (!window.__svOriginalRecv) {
    window.__svOriginalRecv = window.__sv_recv;
    var queue = [];
    window.__sv_recv = function (text) {
      if (!window.__svDelay && !queue.length) return window.__svOriginalRecv(text);
      queue.push(text);
      if (queue.length === 1) setTimeout(function flush() {
        var items = queue; queue = [];
        items.forEach(function (t) { window.__svOriginalRecv(t); });
      }, window.__svDelay);
    };
  }
  window.__svDelay = delay;
})(%1))JS";

}  // namespace

class MainEditingTest : public QObject {
    Q_OBJECT
    std::unique_ptr<TTempAppData> FAppData;
    std::unique_ptr<TScriptedPrompts> FPrompts;
    std::unique_ptr<TfrmMain> W;

    QVariant Js(const QString& AScript) { return RunJsSync(W->EditorView()->page(), AScript); }
    QString PageBody() { return Js("document.getElementById('sv-body').innerHTML").toString(); }
    QString PageHeader() { return Js("document.getElementById('sv-header').innerHTML").toString(); }
    bool PageShows(const QString& AText) {
        return TEditorHarness::WaitFor([&] { return PageBody().contains(AText); }, 5000);
    }
    void Start(const QStringList& AArgs) {
        W = std::make_unique<TfrmMain>(*FPrompts, AArgs);
        W->resize(1100, 750);
        W->show();
        QVERIFY(QTest::qWaitForWindowExposed(W.get()));
    }
    bool WaitReady() {
        return TEditorHarness::WaitFor([&] { return W->EditorReady(); }, 15000);
    }
    // Real key presses into the page, after putting the caret at the end of an element.
    void TypeAtEndOf(const QString& ASelector, const QString& AText) {
        W->activateWindow();
        W->EditorView()->setFocus();
        Js(QStringLiteral("(function(){var el=document.querySelector('%1');el.closest('.sv-area').focus();"
                          "var r=document.createRange();r.selectNodeContents(el);r.collapse(false);"
                          "var s=getSelection();s.removeAllRanges();s.addRange(r);})()")
               .arg(ASelector));
        TEditorHarness::Pump(50);
        QTest::keyClicks(W->EditorView()->focusProxy(), AText);
    }
    void SelectAndSettle(const std::string& AID, const QString& ABodyText) {
        W->SelectTopicNode(AID);
        QVERIFY(PageShows(ABodyText));
        QCOMPARE(W->CurrentTopicID(), AID);
    }

private slots:
    void init() {
        FAppData = std::make_unique<TTempAppData>();
        FPrompts = std::make_unique<TScriptedPrompts>();
    }
    void cleanup() {
        W.reset();
        FPrompts.reset();
        FAppData.reset();
    }

    void topicSelectedBeforeReadyIsShownOnReadyAndFirstDisplayWritesItsFiles() {
        Start({});
        QVERIFY(!W->EditorReady());
        const std::string id = W->CurrentTopicID();
        QVERIFY(!id.empty());
        const std::string root = W->Project().RootPath();
        QVERIFY(!FileExists(W->TopicBodyPath(id)));

        QVERIFY(WaitReady());
        QVERIFY(PageShows("<br>"));
        QCOMPARE(PageBody(), QString::fromStdString(W->NewTopicHtml()));
        QVERIFY(TEditorHarness::WaitFor([&] { return PageHeader().contains("Welcome"); }));
        QCOMPARE(PageHeader(), QString::fromStdString(W->DefaultHeaderHtml("Welcome")));
        QCOMPARE(ReadText(W->TopicBodyPath(id)), W->NewTopicHtml());
        QCOMPARE(ReadText(HeaderHtmlPath(root, id)), W->DefaultHeaderHtml("Welcome"));
        QCOMPARE(ReadText(HeaderBgPath(root, id)), std::string("#E7EFF5"));
        QVERIFY(!W->ProjectDirty());
        QCOMPARE(W->StatusText(), QString("Loaded: Welcome"));
        QVERIFY(FPrompts->Errors.empty());
    }

    void typedTextOutlivesTopicSwitchesUntilSave() {
        const TThreeTopics t = MakeThreeTopics(FAppData->Path());
        Start({QString::fromStdString(t.FileName)});
        QVERIFY(WaitReady());
        QVERIFY(PageShows("alpha"));
        TypeAtEndOf("#sv-body p", " typed");
        QVERIFY(TEditorHarness::WaitFor([&] { return W->DirtyHtml() == "<p>alpha typed</p>"; }));
        QVERIFY(W->ProjectDirty());

        SelectAndSettle(t.B, "beta");
        QCOMPARE(W->UnsavedTopicHtml()[t.A], std::string("<p>alpha typed</p>"));
        QCOMPARE(ReadText(t.Root + "topics/" + t.A + ".html"), std::string("<p>alpha</p>"));

        SelectAndSettle(t.A, "alpha typed");
        // Leaving Beta untouched still kept its HTML, which Save writes back unchanged.
        QCOMPARE(W->UnsavedTopicHtml()[t.B], std::string("<p>beta</p>"));
        W->btnSaveClick();
        QCOMPARE(ReadText(t.Root + "topics/" + t.A + ".html"), std::string("<p>alpha typed</p>"));
        QCOMPARE(ReadText(t.Root + "topics/" + t.B + ".html"), std::string("<p>beta</p>"));
        QVERIFY(!W->ProjectDirty());
        QVERIFY(FPrompts->Errors.empty());
    }

    void headerEditIsOnDiskBeforeSave() {
        const TThreeTopics t = MakeThreeTopics(FAppData->Path());
        Start({QString::fromStdString(t.FileName)});
        QVERIFY(WaitReady());
        QVERIFY(TEditorHarness::WaitFor([&] { return PageHeader().contains("Alpha"); }));
        TypeAtEndOf("#sv-header b", " Guide");
        const std::string path = HeaderHtmlPath(t.Root, t.A);
        QVERIFY(TEditorHarness::WaitFor([&] { return ReadText(path).find("Alpha Guide") != std::string::npos; }));
        QVERIFY(!W->ProjectDirty());
        // Moving on keeps it, and the next topic's header files hold its own header.
        SelectAndSettle(t.B, "beta");
        QVERIFY(ReadText(path).find("Alpha Guide") != std::string::npos);
        QVERIFY(TEditorHarness::WaitFor([&] { return PageHeader().contains("Beta"); }));
        QVERIFY(ReadText(HeaderHtmlPath(t.Root, t.B)).find("Alpha") == std::string::npos);
    }

    void lateAnswersOfASlowPageGoToTheTopicTheyWereAskedFor() {
        const TThreeTopics t = MakeThreeTopics(FAppData->Path());
        Start({QString::fromStdString(t.FileName)});
        QVERIFY(WaitReady());
        QVERIFY(PageShows("alpha"));
        QVERIFY(TEditorHarness::WaitFor([&] { return PageHeader().contains("Alpha"); }));
        // What the page holds but has not reported yet.
        Js("document.getElementById('sv-body').innerHTML = '<p>alpha late</p>';"
           "document.getElementById('sv-header').innerHTML = '<b>Alpha late header</b>';");
        Js(QString::fromLatin1(kSlowPageScript).arg(1500));

        W->SelectTopicNode(t.B);  // both waits run out before the page answers
        QCOMPARE(W->CurrentTopicID(), t.B);
        QVERIFY(PageShows("beta"));
        TEditorHarness::Pump(800);
        QCOMPARE(W->UnsavedTopicHtml()[t.A], std::string("<p>alpha late</p>"));
        QVERIFY(W->DirtyHtml().empty());
        QVERIFY(ReadText(HeaderHtmlPath(t.Root, t.A)).find("Alpha late header") != std::string::npos);
        QVERIFY(ReadText(HeaderHtmlPath(t.Root, t.B)).find("late") == std::string::npos);

        W->SelectTopicNode(t.C);
        QVERIFY(PageShows("gamma"));
        TEditorHarness::Pump(800);
        QCOMPARE(W->UnsavedTopicHtml()[t.B], std::string("<p>beta</p>"));
        QCOMPARE(W->UnsavedTopicHtml()[t.A], std::string("<p>alpha late</p>"));
        QVERIFY(W->UnsavedTopicHtml().count(t.C) == 0);
        QVERIFY(ReadText(HeaderHtmlPath(t.Root, t.C)).find("Beta") == std::string::npos);

        Js(QString::fromLatin1(kSlowPageScript).arg(0));
        W->btnSaveClick();
        QCOMPARE(ReadText(t.Root + "topics/" + t.A + ".html"), std::string("<p>alpha late</p>"));
        QCOMPARE(ReadText(t.Root + "topics/" + t.B + ".html"), std::string("<p>beta</p>"));
        QCOMPARE(ReadText(t.Root + "topics/" + t.C + ".html"), std::string("<p>gamma</p>"));
    }

    void aSecondSwitchDuringAWaitRunsAfterIt() {
        const TThreeTopics t = MakeThreeTopics(FAppData->Path());
        Start({QString::fromStdString(t.FileName)});
        QVERIFY(WaitReady());
        QVERIFY(PageShows("alpha"));
        Js(QString::fromLatin1(kSlowPageScript).arg(300));
        QTimer::singleShot(100, W.get(), [&] { W->SelectTopicNode(t.C); });
        W->SelectTopicNode(t.B);
        QVERIFY(PageShows("gamma"));
        TEditorHarness::Pump(1000);
        QCOMPARE(W->CurrentTopicID(), t.C);
        QVERIFY(PageBody().contains("gamma"));
        QVERIFY(TEditorHarness::WaitFor([&] { return PageHeader().contains("Gamma"); }));
        QCOMPARE(W->UnsavedTopicHtml()[t.A], std::string("<p>alpha</p>"));
        if (W->UnsavedTopicHtml().count(t.B))
            QCOMPARE(W->UnsavedTopicHtml()[t.B], std::string("<p>beta</p>"));
        QVERIFY(W->UnsavedTopicHtml().count(t.C) == 0);
        QVERIFY(ReadText(HeaderHtmlPath(t.Root, t.A)).find("Alpha") != std::string::npos);
        // Gamma's header files are written when it is left or its header is edited.
        const std::string gammaHeader = ReadText(HeaderHtmlPath(t.Root, t.C));
        QVERIFY(gammaHeader.empty() || gammaHeader.find("Gamma") != std::string::npos);
        QVERIFY(FPrompts->Errors.empty());
    }

    void saveAsTakesThePagesHeaderAndLateAnswersIntoTheNewRoot() {
        const TThreeTopics t = MakeThreeTopics(FAppData->Path());
        Start({QString::fromStdString(t.FileName)});
        QVERIFY(WaitReady());
        QVERIFY(PageShows("alpha"));
        QVERIFY(TEditorHarness::WaitFor([&] { return PageHeader().contains("Alpha"); }));
        // The page holds edits it has not reported yet and answers Save As's requests late.
        Js("document.getElementById('sv-body').innerHTML = '<p>alpha late</p>';"
           "document.getElementById('sv-header').innerHTML = '<b>Alpha late header</b>';");
        Js(QString::fromLatin1(kSlowPageScript).arg(1500));
        const std::string file = CombinePath(FAppData->Path(), "Copy/Book.svp");
        std::filesystem::create_directories(ExtractFileDir(file));
        FPrompts->SaveAnswers.push_back(file);
        W->btnSaveAsClick();
        const std::string root = IncludeTrailingPathDelimiter(CombinePath(FAppData->Path(), "Copy/Book"));
        QCOMPARE(W->Project().RootPath(), root);
        TEditorHarness::Pump(1200);
        QCOMPARE(W->DirtyHtml(), std::string("<p>alpha late</p>"));
        const std::string header = HeaderHtmlPath(root, t.A);
        QVERIFY(ReadText(header).find("Alpha late header") != std::string::npos);
        Js(QString::fromLatin1(kSlowPageScript).arg(0));

        // An edit of the header after the move is written into the new root, and the topic
        // switch keeps it there.
        TypeAtEndOf("#sv-header b", " Guide");
        QVERIFY(TEditorHarness::WaitFor([&] { return ReadText(header).find("header Guide") != std::string::npos; }));
        SelectAndSettle(t.B, "beta");
        QVERIFY(ReadText(header).find("Alpha late header Guide") != std::string::npos);
        W->btnSaveClick();
        QCOMPARE(ReadText(root + "topics/" + t.A + ".html"), std::string("<p>alpha late</p>"));
        QVERIFY(ReadText(HeaderHtmlPath(t.Root, t.A)).find("Guide") == std::string::npos);
        QVERIFY(FPrompts->Errors.empty());
    }

    void openFailingLatePointsThePageAtTheScratchProject() {
        const TThreeTopics t = MakeThreeTopics(FAppData->Path());
        Start({QString::fromStdString(t.FileName)});
        QVERIFY(WaitReady());
        QVERIFY(PageShows("alpha"));
        // A project without topics whose project.json cannot be replaced: the Open fails when it
        // saves the Welcome topic it adds, after the window has taken the project over.
        const std::string broken = CombinePath(FAppData->Path(), "Broken.svp");
        TDocProject empty;
        SaveProjectFile(broken, empty);
        const std::string projectJson = CombinePath(DerivedProjectRoot(broken), "project.json");
        std::filesystem::remove(projectJson);
        std::filesystem::create_directories(projectJson);
        FPrompts->OpenAnswers.push_back(broken);
        W->OpenProject1->trigger();
        QCOMPARE(FPrompts->Errors.size(), size_t(1));
        QCOMPARE(W->Project().RootPath(), TfrmMain::ScratchRoot());
        const QString base = QString::fromStdString(TEditorBridge::FilePathToFileUrl(TfrmMain::ScratchRoot()));
        QVERIFY(TEditorHarness::WaitFor(
            [&] { return Js("document.querySelector('base').getAttribute('href')").toString() == base; }));
    }

    // Not a check: a picture of the window with a topic loaded, for a person to look at.
    void screenshot() {
        const QByteArray dir = qgetenv("PAGEWELL_SCREENSHOT_DIR");
        if (dir.isEmpty())
            QSKIP("set PAGEWELL_SCREENSHOT_DIR to keep a screenshot");
        const TThreeTopics t = MakeThreeTopics(FAppData->Path());
        WriteUtf8File(t.Root + "topics/" + t.A + ".html",
                      "<h1>Alpha</h1><p>The first topic of the <b>manual</b>, with a <a href=\"doc:" + t.B +
                          "\">link to Beta</a>.</p><ul><li>One</li><li>Two</li></ul>");
        Start({QString::fromStdString(t.FileName)});
        QVERIFY(WaitReady());
        QVERIFY(PageShows("manual"));
        TEditorHarness::Pump(800);
        QVERIFY(W->grab().save(QString::fromLocal8Bit(dir) + "/main-window-editor.png"));
    }
};

QTEST_MAIN(MainEditingTest)
#include "uMainEditing_test.moc"
