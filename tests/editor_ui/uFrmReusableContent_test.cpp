// The Variables, Snippets, Conditions dialog, opened through the main window's command on a real
// project with the real editor page: what the grids show, what Save writes, and the tokens the
// insert buttons put at the page's caret.
#include "app/support/ModalTestSupport.h"
#include "support/TEditorHarness.h"

#include "app/support/AppTestSupport.h"
#include "app/support/TScriptedPrompts.h"
#include "uFrmReusableContent.h"
#include "uMain.h"
#include "uReusableContent.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTabWidget>
#include <QTableWidget>
#include <QTest>
#include <QTimer>
#include <QWebEngineView>

#include <functional>

class FrmReusableContentTest : public QObject {
    Q_OBJECT
    std::unique_ptr<TTempAppData> FAppData;
    std::unique_ptr<TScriptedPrompts> FPrompts;
    std::unique_ptr<TfrmMain> W;
    TDiskProject FDisk;
    bool FDialogSeen = false;

    QVariant Js(const QString& AScript) { return RunJsSync(W->EditorView()->page(), AScript); }
    QString PageBody() { return Js("document.getElementById('sv-body').innerHTML").toString(); }
    std::string ContentFile() const { return ReusableContentPath(W->Project()); }

    // A saved project opened in a shown window, the first topic in the ready page.
    void StartOnProject(bool AWaitForPage) {
        FDisk = MakeDiskProject(FAppData->Path(), "Manual", "Manual");
        W = std::make_unique<TfrmMain>(*FPrompts, QStringList{QString::fromStdString(FDisk.FileName)});
        W->resize(1100, 750);
        W->show();
        QVERIFY(QTest::qWaitForWindowExposed(W.get()));
        if (AWaitForPage) {
            QVERIFY(TEditorHarness::WaitFor([&] { return W->EditorReady(); }, 15000));
            QVERIFY(TEditorHarness::WaitFor([&] { return PageBody().contains("intro"); }, 5000));
        }
    }
    // Runs the command; AStep acts on the dialog once it shows and must close it.
    void RunDialog(const std::function<void(TfrmReusableContent&)>& AStep) {
        FDialogSeen = WithModalDialog<TfrmReusableContent>(AStep, [this] { W->VariablesSnippetsConditions1->trigger(); });
    }
    static void Fill(QTableWidget* AGrid, int ARow, const QString& AName, const QString& AValue) {
        AGrid->setItem(ARow, 0, new QTableWidgetItem(AName));
        AGrid->setItem(ARow, 1, new QTableWidgetItem(AValue));
    }
    // The grid's open cell editor (opened on its current cell when none is).
    static QLineEdit* OpenCellEditor(QTableWidget* AGrid) {
        const auto visibleEditor = [AGrid]() -> QLineEdit* {
            for (QLineEdit* e : AGrid->viewport()->findChildren<QLineEdit*>())
                if (e->isVisible())
                    return e;
            return nullptr;
        };
        TEditorHarness::Pump(20);
        if (!visibleEditor())
            AGrid->editItem(AGrid->currentItem());
        return visibleEditor();
    }
    void CaretAtEndOfBody() {
        W->activateWindow();
        W->EditorView()->setFocus();
        Js("(function(){var el=document.querySelector('#sv-body p');el.closest('.sv-area').focus();"
           "var r=document.createRange();r.selectNodeContents(el);r.collapse(false);"
           "var s=getSelection();s.removeAllRanges();s.addRange(r);})()");
        TEditorHarness::Pump(50);
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

    void enabledTextTable() {
        const struct {
            const char* Text;
            bool Enabled;
        } cases[] = {{"true", true}, {"Yes", true}, {" ON ", true}, {"1", true},       {"\tyes\n", true},
                     {"false", false}, {"enabled", false}, {"y", false}, {"2", false}, {"", false}, {"o n", false}};
        for (const auto& c : cases)
            QVERIFY2(ParseEnabledText(c.Text) == c.Enabled, c.Text);
        QCOMPARE(EnabledToText(true), std::string("true"));
        QCOMPARE(EnabledToText(false), std::string("false"));
    }

    void projectWithoutFileShowsThreeEmptyGridsAndSaveWritesEmptyArrays() {
        StartOnProject(false);
        QVERIFY(!FileExists(ContentFile()));
        RunDialog([&](TfrmReusableContent& d) {
            QCOMPARE(d.windowTitle(), QString("Variables, snippets and conditions"));
            QCOMPARE(d.pcPages->currentWidget(), d.tsVars);
            const QStringList headers[] = {{"Name", "Value"}, {"Name", "HTML"}, {"Name", "Enabled"}};
            const QString captions[] = {"Variables", "Snippets", "Conditions"};
            for (int k = 0; k < 3; ++k) {
                QTableWidget* g = d.Grid(TfrmReusableContent::TKind(k));
                QCOMPARE(d.pcPages->tabText(k), captions[k]);
                QCOMPARE(g->accessibleName(), captions[k]);
                QCOMPARE(g->rowCount(), 15);
                QCOMPARE(g->horizontalHeaderItem(0)->text(), headers[k][0]);
                QCOMPARE(g->horizontalHeaderItem(1)->text(), headers[k][1]);
                QCOMPARE(g->columnWidth(0), 190);
                QVERIFY(g->columnWidth(1) >= 260);
                // Every grid is labelled by its help text.
                auto* help = d.findChild<QLabel*>(d.pcPages->widget(k)->objectName() + "Help");
                QVERIFY(help && help->buddy() == g);
            }
            d.btnSave->click();
        });
        QVERIFY(FDialogSeen);
        QCOMPARE(ReadText(ContentFile()), std::string(R"({"variables":[],"snippets":[],"conditions":[]})"));
        QVERIFY(W->ProjectDirty());
        QVERIFY(FPrompts->Infos.empty() && FPrompts->Errors.empty());
    }

    void rowsGrowWithTheEntriesAndSaveReadsTheGridsBack() {
        StartOnProject(false);
        TReusableProjectContent store;
        for (int i = 0; i < 20; ++i)
            store.Variables().push_back({"V" + std::to_string(i), "value " + std::to_string(i)});
        store.Conditions().push_back({"Pro", false});
        store.SaveToProject(W->Project());
        RunDialog([&](TfrmReusableContent& d) {
            QCOMPARE(d.grdVars->rowCount(), 31);  // 32 rows with the header
            QCOMPARE(d.grdVars->item(19, 1)->text(), QString("value 19"));
            QCOMPARE(d.grdConds->item(0, 1)->text(), QString("false"));
            QCOMPARE(d.grdSnips->rowCount(), 15);
            Fill(d.grdVars, 0, "  Product ", " Leafwright ");  // name trimmed, value as typed
            Fill(d.grdVars, 1, "   ", "dropped");
            for (int r = 2; r < 20; ++r)
                Fill(d.grdVars, r, "", "");
            Fill(d.grdConds, 0, "A", "Yes");
            Fill(d.grdConds, 1, "B", " ON ");
            Fill(d.grdConds, 2, "C", "enabled");
            Fill(d.grdConds, 3, "D", "y");
            Fill(d.grdConds, 4, "E", "2");
            d.btnSave->click();
        });
        TReusableProjectContent saved;
        saved.LoadFromProject(W->Project());
        QCOMPARE(saved.Variables().size(), size_t(1));
        QCOMPARE(saved.Variables()[0].Name, std::string("Product"));
        QCOMPARE(saved.Variables()[0].Value, std::string(" Leafwright "));
        QCOMPARE(saved.Snippets().size(), size_t(0));
        std::string flags;
        for (const auto& c : saved.Conditions())
            flags += c.Name + (c.Enabled ? "+" : "-");
        QCOMPARE(flags, std::string("A+B+C-D-E-"));
    }

    void cancelAndTheCloseBoxSaveNothing() {
        StartOnProject(false);
        for (int closeBox = 0; closeBox < 2; ++closeBox) {
            RunDialog([&](TfrmReusableContent& d) {
                Fill(d.grdVars, 0, "Edited", "x");
                if (closeBox)
                    d.close();
                else
                    d.btnCancel->click();
            });
            QVERIFY(FDialogSeen);
        }
        QVERIFY(!FileExists(ContentFile()));
        QVERIFY(!W->ProjectDirty());
    }

    void switchingTabsEnablesTheButtonsOfThatKind() {
        StartOnProject(false);
        RunDialog([&](TfrmReusableContent& d) {
            const struct {
                QWidget* Tab;
                bool Var, Snip, Cond;
            } cases[] = {{d.tsVars, true, false, false}, {d.tsConds, false, false, true},
                         {d.tsSnips, false, true, false}, {d.tsVars, true, false, false}};
            for (const auto& c : cases) {
                d.pcPages->setCurrentWidget(c.Tab);
                QCOMPARE(d.btnInsVar->isEnabled(), c.Var);
                QCOMPARE(d.btnInsSnip->isEnabled(), c.Snip);
                QCOMPARE(d.btnInsCondBegin->isEnabled(), c.Cond);
                QCOMPARE(d.btnInsCondEnd->isEnabled(), c.Cond);
            }
            QVERIFY(d.btnSave->isDefault());
            d.reject();
        });
        QVERIFY(FDialogSeen);
    }

    void insertSnippetTypedIntoANewRowSavesAndInsertsItsToken() {
        StartOnProject(true);
        CaretAtEndOfBody();
        RunDialog([&](TfrmReusableContent& d) {
            d.pcPages->setCurrentWidget(d.tsSnips);
            d.grdSnips->setFocus();
            d.grdSnips->setItem(2, 0, new QTableWidgetItem);
            d.grdSnips->setCurrentCell(2, 0);  // opens the cell editor in an active window
            QLineEdit* editor = OpenCellEditor(d.grdSnips);
            if (!editor)
                return d.reject();
            // Typed into the cell editor, still open when the button is pressed.
            QTest::keyClicks(editor, "SupportNote");
            d.btnInsSnip->click();
        });
        TReusableProjectContent saved;
        saved.LoadFromProject(W->Project());
        QCOMPARE(saved.Snippets().size(), size_t(1));
        QCOMPARE(saved.Snippets()[0].Name, std::string("SupportNote"));
        QVERIFY2(TEditorHarness::WaitFor([&] { return PageBody() == "<p>intro{snip:SupportNote}</p>"; }),
                 qPrintable(PageBody()));
    }

    void insertEndConditionInsertsTheTokenAndAMissingNameIsReported() {
        StartOnProject(true);
        CaretAtEndOfBody();
        RunDialog([&](TfrmReusableContent& d) { d.btnInsCondEnd->setEnabled(true), d.btnInsCondEnd->click(); });
        QVERIFY(TEditorHarness::WaitFor([&] { return PageBody() == "<p>intro{endcond}</p>"; }));

        // No name in the current (here: first) row: the message, the grids saved all the same.
        RunDialog([&](TfrmReusableContent& d) {
            Fill(d.grdVars, 1, "Second", "v");
            d.btnInsVar->click();
        });
        QCOMPARE(FPrompts->Infos, std::vector<std::string>{"Select or enter a variable name first."});
        TReusableProjectContent saved;
        saved.LoadFromProject(W->Project());
        QCOMPARE(saved.Variables().size(), size_t(1));
        TEditorHarness::Pump(200);
        QCOMPARE(PageBody(), QString("<p>intro{endcond}</p>"));
    }

    void aContentFileThatFailsToLoadStopsBeforeTheDialog() {
        StartOnProject(false);
        WriteUtf8File(ContentFile(), R"({"variables":5})");
        RunDialog([&](TfrmReusableContent& d) { d.reject(); });
        QVERIFY(!FDialogSeen);
        QCOMPARE(FPrompts->Errors.size(), size_t(1));
        QVERIFY2(FPrompts->Errors[0].find("Invalid type cast") != std::string::npos, FPrompts->Errors[0].c_str());
        QCOMPARE(ReadText(ContentFile()), std::string(R"({"variables":5})"));
    }
};

QTEST_MAIN(FrmReusableContentTest)
#include "uFrmReusableContent_test.moc"
