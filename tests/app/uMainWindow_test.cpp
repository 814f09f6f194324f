// The main window's layout, menus, status bar label, small commands and the general error box.
#include "support/AppTestSupport.h"
#include "support/TScriptedPrompts.h"

#include "uAppErrors.h"
#include "uAppStyle.h"
#include "uMain.h"
#include "uStorage.h"

#include <QAction>
#include <QApplication>
#include <QEvent>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QSplitter>
#include <QTabWidget>
#include <QToolButton>
#include <QTreeWidget>
#include <QtTest>
#include <memory>

class TestMainWindow : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<TTempAppData> FAppData;

    // "-" for a separator, ">Name" opens a submenu, "<" closes it; "!" before a caption marks an
    // item that must be enabled.
    static QStringList MenuOutline(const QMenu* AMenu) {
        QStringList out;
        for (QAction* a : AMenu->actions()) {
            if (a->isSeparator())
                out << "-";
            else if (a->menu()) {
                out << ">" + a->text();
                out << MenuOutline(a->menu());
                out << "<";
            } else
                out << (a->isEnabled() ? "!" : "") + a->text();
        }
        return out;
    }

private slots:
    void initTestCase() {
        SetApplicationExeName("pagewell");
        ApplyLightStyle(*qApp);
    }
    void init() { FAppData = std::make_unique<TTempAppData>(); }
    void cleanup() { FAppData.reset(); }

    void menu_hasEveryItemWithUnbuiltCommandsDisabled() {
        TScriptedPrompts prompts;
        TfrmMain w(prompts, {});
        const QList<QAction*> top = w.menuBar()->actions();
        QStringList titles;
        for (QAction* a : top)
            titles << a->text();
        QCOMPARE(titles, QStringList({"File", "Topic", "Edit", "Publish", "Tools", "Help"}));
        const QList<QStringList> expected = {
            {"!New Project", "-", "!Open Project...", "-", "Save Project", "!Save Project As...", "-", "!Import HTML Manual...", "-", "!Exit"},
            {"!New Root Topic...", "!New Child Topic...", "-", "!Remove Topic", "-", ">Move", "!Up", "!Down",
             "!Move Level Up", "<", "-", "!Rename...", "-", "!Properties"},
            {"!Undo", "!Redo", "-", "!Cut", "!Copy", "!Paste", "!Delete", "!Select All"},
            {"!WebHelp", "!CHM", "!PDF", "-", "!Open Output Folder"},
            {"!Project Settings...", "!Variables, Snippets, Conditions...", "!Check Links",
             "!Assign Help Context IDs..."},
            {"!Visit Website", "-", "!About..."}};
        for (int i = 0; i < top.size(); ++i)
            QCOMPARE(MenuOutline(top[i]->menu()), expected[i]);
        for (QAction* a : w.findChildren<QAction*>())
            QVERIFY2(a->shortcut().isEmpty(), qPrintable(a->text()));
        // The left panel's buttons follow the same rule.
        QVERIFY(w.btnNewProject->isEnabled() && w.btnOpenProject->isEnabled() && w.btnVariablesConditionsSnippets->isEnabled() &&
                w.btnProjectSettings->isEnabled());
        QVERIFY(w.btnNewRootTopic->isEnabled() && w.btnNewSubTopic->isEnabled() && w.btnDeleteTopic->isEnabled());
    }

    void layout_leftPanelButtonsTreeAndEditorArea() {
        TScriptedPrompts prompts;
        TfrmMain w(prompts, {});
        const QList<QPair<QToolButton*, QString>> row1 = {{w.btnNewProject, "New Project"},
                                                          {w.btnOpenProject, "Open Project..."},
                                                          {w.btnSave, "Save Project"},
                                                          {w.btnProjectSettings, "Project Settings..."}};
        const QList<QPair<QToolButton*, QString>> row2 = {{w.btnNewRootTopic, "Add Root Topic..."},
                                                          {w.btnNewSubTopic, "Add Child Topic..."},
                                                          {w.btnDeleteTopic, "Remove Topic"},
                                                          {w.btnVariablesConditionsSnippets, "Variables, Snippets, Conditions..."}};
        for (int i = 0; i < 4; ++i) {
            QCOMPARE(row1[i].first->toolTip(), row1[i].second);
            QCOMPARE(row2[i].first->toolTip(), row2[i].second);
            QCOMPARE(row1[i].first->accessibleName(), row1[i].second);
            QCOMPARE(row2[i].first->accessibleName(), row2[i].second);
            QVERIFY(row2[i].first->y() > row1[i].first->y());
            QCOMPARE(row2[i].first->x(), row1[i].first->x());
            if (i > 0)
                QVERIFY(row1[i].first->x() > row1[i - 1].first->x());
        }
        for (QToolButton* hidden : {w.btnExportCHM, w.btnExportPDF, w.btnExportWeb, w.btnSaveAs})
            QVERIFY(hidden->isHidden());
        QCOMPARE(w.btnSaveAs->text(), QString("Save As"));
        w.resize(1000, 600);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        const QToolButton* v = w.btnVariablesConditionsSnippets;
        QCOMPARE(w.pnlLeft->width(), int(std::lround(v->width() * 1.2)) + v->x());
        QCOMPARE(w.spl1->widget(0), w.pnlLeft);
        QCOMPARE(w.spl1->widget(1), w.pnlRight);
        QVERIFY(w.tvToc->parentWidget() == w.pnlLeft && w.Edge->parentWidget() == w.splEditor);
        QCOMPARE(w.tvToc->accessibleName(), QString("Table of contents"));
        QVERIFY(w.Panel1->isHidden());
        // The Properties page sits beside the editor; Topic > Properties shows and hides it.
        QCOMPARE(w.splEditor->widget(0), w.Edge);
        QCOMPARE(w.splEditor->widget(1), static_cast<QWidget*>(w.pcRight));
        QVERIFY(w.pcRight->isHidden());
        w.Properties1->trigger();
        QVERIFY(w.pcRight->isVisible() && w.Properties1->isChecked());
        QVERIFY(w.pcRight->width() >= w.pcRight->minimumWidth() && w.Edge->width() > w.pcRight->width());
        w.Properties1->trigger();
        QVERIFY(w.pcRight->isHidden());
    }

    void homepageLabel_underlineFollowsTheMouse_andClickOpensTheSite() {
        TScriptedPrompts prompts;
        TfrmMain w(prompts, {});
        QLabel* lb = w.lbHomepageURL;
        QVERIFY(lb->text().startsWith("https://"));
        QCOMPARE(lb->cursor().shape(), Qt::PointingHandCursor);
        QVERIFY(lb->font().underline());
        QEvent enter(QEvent::Enter);
        QApplication::sendEvent(lb, &enter);
        QVERIFY(!lb->font().underline());
        QEvent leave(QEvent::Leave);
        QApplication::sendEvent(lb, &leave);
        QVERIFY(lb->font().underline());
        QTest::mouseClick(lb, Qt::LeftButton);
        w.VisitWebsite1->trigger();
        QCOMPARE(prompts.Opened, std::vector<std::string>(2, lb->text().toStdString()));
    }

    void aboutAndOutputFolder() {
        TScriptedPrompts prompts;
        TfrmMain w(prompts, {});
        w.About1->trigger();
        QCOMPARE(prompts.Infos.size(), size_t(1));
        QVERIFY(StartsWith(prompts.Infos[0], "Pagewell\nVersion: " PAGEWELL_VERSION "\n\n"));
        // Nothing published yet: nothing to show.
        w.OpenOutputFolder1->trigger();
        QVERIFY(prompts.Explored.empty());
        const std::string build = CombinePath(w.Project().RootPath(), "build");
        WriteUtf8File(CombinePath(build, "webhelp/index.html"), "x");
        w.OpenOutputFolder1->trigger();
        QCOMPARE(prompts.Explored, std::vector<std::string>({build}));
    }

    void errorBoxText_addsFullStopAfterCharactersAboveIt_data() {
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("shown");
        QTest::newRow("letter") << "Project file not found: a.svp" << "Project file not found: a.svp.";
        QTest::newRow("full stop") << "Done." << "Done.";
        QTest::newRow("question mark is above") << "Why?" << "Why?.";
        QTest::newRow("exclamation mark is below") << "Stop!" << "Stop!";
        QTest::newRow("bracket") << "failed (x)" << "failed (x)";
        QTest::newRow("slash") << "in /tmp/" << "in /tmp/.";
        QTest::newRow("digit") << "code 5" << "code 5.";
        QTest::newRow("non-ASCII") << QString::fromUtf8("Datei \xC3\xBC") << QString::fromUtf8("Datei \xC3\xBC.");
        QTest::newRow("empty") << "" << "";
    }
    void errorBoxText_addsFullStopAfterCharactersAboveIt() {
        QFETCH(QString, message);
        QFETCH(QString, shown);
        QCOMPARE(QString::fromStdString(ErrorBoxText(message.toStdString())), shown);
    }

    void commandError_showsOneBoxAndTheWindowGoesOn() {
        TScriptedPrompts prompts;
        TfrmMain w(prompts, {});
        const std::string missing = FAppData->Path() + "/Nowhere/Missing.svp";
        prompts.OpenAnswers.push_back(missing);
        w.OpenProject1->trigger();
        QCOMPARE(prompts.Errors, std::vector<std::string>({"Project file not found: " + missing + "."}));
        QCOMPARE(prompts.ErrorTitles, std::vector<std::string>({"Pagewell"}));
        // Still usable afterwards.
        w.MarkProjectDirty();
        QCOMPARE(w.windowTitle(), QString("Pagewell* - Untitled Documentation"));
        QVERIFY(prompts.Unexpected.empty());
    }

    // At the window's starting width (1280 pixels) every control of the formatting toolbar
    // fits in the first row and the second row stays hidden.
    void formattingToolbar_fitsOneRowAtTheStartingWidth() {
        TScriptedPrompts prompts;
        TfrmMain w(prompts, {});
        QCOMPARE(w.width(), 1280);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        QVERIFY(w.pnlToolbar2->isHidden());
        const QList<QWidget*> controls = w.pnlToolbar->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly);
        QVERIFY(controls.size() >= 29);
        for (const QWidget* c : controls)
            if (c->isVisible())
                QVERIFY2(c->geometry().right() < w.pnlToolbar->width(), qPrintable(c->objectName()));
    }

    void screenshot() {
        TScriptedPrompts prompts;
        TfrmMain w(prompts, {});
        TDocProject& p = w.Project();
        TTopic& start = p.AddTopic("Getting Started", "");
        p.AddTopic("Installing", start.ID());
        p.AddTopic("First Project", start.ID());
        TTopic& guide = p.AddTopic("Writing Topics", "");
        p.AddTopic("Variables and Snippets", guide.ID());
        p.AddTopic("Topic Links", guide.ID());
        p.AddTopic("Publishing", "");
        WriteUtf8File(start.HtmlPath(),
                      "<h1>Getting Started</h1><p>Pagewell keeps your help topics in a tree on the left and "
                      "publishes them as <b>WebHelp</b>, <b>CHM</b> and <b>PDF</b>.</p><ul><li>Add topics with the "
                      "buttons above the tree.</li><li>Reuse text with variables and snippets.</li><li>Publish "
                      "from the Publish menu.</li></ul>");
        w.BuildTopicTree();
        w.SelectTopicNode(start.ID());
        w.MarkProjectDirty();
        w.ShowStatus("New project created (not saved)");
        w.resize(1280, 700);  // the window's own width: the formatting toolbar fits one row
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        // With the editor page, the picture shows the selected topic in it.
        if (w.Bridge()) {
            QTRY_VERIFY_WITH_TIMEOUT(w.EditorReady(), 20000);
            QTest::qWait(1500);
        }
        QPixmap shot = w.grab();
        QCOMPARE(shot.size(), w.size());
        const QString out = qEnvironmentVariable("PAGEWELL_SCREENSHOT",
                                                 QString(PAGEWELL_APP_DIR) + "/../screenshots/main-window.png");
        QDir().mkpath(QFileInfo(out).path());
        QVERIFY(shot.save(out, "PNG"));
    }
};

QTEST_MAIN(TestMainWindow)
#include "uMainWindow_test.moc"
