// The formatting toolbar, the Edit menu and Create Topic Link of the main window with the real
// editor page: what the page is sent, what it then holds, and the toolbar following the caret.
#include "app/support/ModalTestSupport.h"
#include "support/TEditorHarness.h"

#include "app/support/AppTestSupport.h"
#include "app/support/TScriptedPrompts.h"
#include "uColorBox.h"
#include "uDlgPickTopic.h"
#include "uFormattingToolbar.h"
#include "uMain.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QTreeWidget>
#include <QWebEngineView>

namespace {

struct TLinkProject {
    std::string FileName, First, Second;
};

// A saved project with the root topics "Intro" (a heading and a paragraph) and "Q&A/B".
TLinkProject MakeLinkProject(const std::string& ADir) {
    TLinkProject t;
    t.FileName = CombinePath(ADir, "Links.svp");
    TDocProject p;
    p.SetRootPath(IncludeTrailingPathDelimiter(CombinePath(ADir, "Links")));
    p.SetTitle("Links");
    TTopic& a = p.AddTopic("Intro", "");
    TTopic& b = p.AddTopic("Q&A/B", "");
    t.First = a.ID();
    t.Second = b.ID();
    WriteUtf8File(a.HtmlPath(), "<h2>Title</h2><p>hello world</p>");
    WriteUtf8File(b.HtmlPath(), "<p>answers</p>");
    SaveProjectFile(t.FileName, p);
    return t;
}

// Records every message the host hands to the page (window.__sent, JSON texts).
const char* const kRecordSentScript = R"JS(
(function () {
  if (window.__sent) { window.__sent = []; return; }
  window.__sent = [];
  var recv = window.__sv_recv;
  window.__sv_recv = function (text) { window.__sent.push(text); return recv(text); };
})())JS";

}  // namespace

class MainToolbarTest : public QObject {
    Q_OBJECT
    std::unique_ptr<TTempAppData> FAppData;
    std::unique_ptr<TScriptedPrompts> FPrompts;
    std::unique_ptr<TfrmMain> W;
    TLinkProject FProject;

    QVariant Js(const QString& AScript) { return RunJsSync(W->EditorView()->page(), AScript); }
    QString PageBody() { return Js("document.getElementById('sv-body').innerHTML").toString(); }
    bool PageBodyMatches(const QString& APattern) {
        const QRegularExpression re(APattern);
        return TEditorHarness::WaitFor([&] { return re.match(PageBody()).hasMatch(); }, 5000);
    }
    void RecordSent() { Js(kRecordSentScript); }
    // The "exec" commands sent since RecordSent, as "cmd" or "cmd=arg".
    QStringList SentCommands() {
        TEditorHarness::Pump(50);
        QStringList out;
        for (const QVariant& v : Js("window.__sent || []").toList()) {
            const QJsonObject m = QJsonDocument::fromJson(v.toString().toUtf8()).object();
            if (m.value("type").toString() != "exec")
                continue;
            QString c = m.value("cmd").toString();
            if (m.contains("arg"))
                c += "=" + m.value("arg").toString();
            out << c;
        }
        return out;
    }
    void Select(const QString& ASelector, const QString& AText) {
        Js(QStringLiteral("(function(){var el=document.querySelector('%1');el.closest('.sv-area').focus();"
                          "var t=el.firstChild,i=t.data.indexOf('%2');var r=document.createRange();"
                          "r.setStart(t,i);r.setEnd(t,i+%3);var s=getSelection();s.removeAllRanges();s.addRange(r);})()")
               .arg(ASelector, AText)
               .arg(AText.size()));
    }
    void Start() {
        FProject = MakeLinkProject(FAppData->Path());
        W = std::make_unique<TfrmMain>(*FPrompts, QStringList{QString::fromStdString(FProject.FileName)});
        W->resize(1400, 750);
        W->show();
        QVERIFY(QTest::qWaitForWindowExposed(W.get()));
        QVERIFY(TEditorHarness::WaitFor([&] { return W->EditorReady(); }, 15000));
        QVERIFY(PageBodyMatches("hello world"));
        RecordSent();
    }
    static void Choose(QComboBox* ABox, int AIndex) {
        ABox->setCurrentIndex(AIndex);
        emit ABox->activated(AIndex);
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

    void boldMakesTheSelectedWordBoldAndTheButtonFollowsTheCaret() {
        Start();
        Select("#sv-body p", "world");
        TEditorHarness::Pump(100);
        W->Toolbar->btnBold->click();
        QVERIFY(PageBodyMatches("<p>hello <(b|strong)>world</(b|strong)></p>"));
        QVERIFY(W->ProjectDirty());
        QVERIFY(W->Toolbar->btnBold->isChecked());
        // After the button's deadline the caret's style counts again.
        TEditorHarness::Pump(400);
        Select("#sv-body p", "hello");
        QVERIFY(TEditorHarness::WaitFor([&] { return !W->Toolbar->btnBold->isChecked(); }));
        Select("#sv-body p > *", "world");
        QVERIFY(TEditorHarness::WaitFor([&] { return W->Toolbar->btnBold->isChecked(); }));
    }

    void headingBoxFollowsTheCaretAndChoosingH2SendsItsSize() {
        Start();
        Select("#sv-body h2", "Title");
        QVERIFY(TEditorHarness::WaitFor([&] { return W->Toolbar->cmbHeading->currentText() == "H2"; }));
        Select("#sv-body p", "hello");
        QVERIFY(TEditorHarness::WaitFor([&] { return W->Toolbar->cmbHeading->currentIndex() == 0; }));
        QCOMPARE(W->Toolbar->cmbHeading->currentText(), QString("Standard text"));

        RecordSent();
        Choose(W->Toolbar->cmbHeading, 2);
        const QString h2 = QString::number(W->Settings().FontSizeH2);
        QCOMPARE(SentCommands(), QStringList({"h2", "fontSizePx=" + h2}));
        QCOMPARE(W->Toolbar->cmbFontSize->currentText(), h2);
        QVERIFY(PageBodyMatches("<h2[^>]*>.*hello"));
        // The page's report of the new size is accepted and keeps the box on it.
        TEditorHarness::Pump(300);
        QCOMPARE(W->Toolbar->cmbFontSize->currentText(), h2);
    }

    void sizeBoxEnterClampsAndTextThatIsNoNumberSendsNothing() {
        Start();
        Select("#sv-body p", "world");
        const struct {
            const char* Typed;
            QStringList Sent;
        } cases[] = {{"250", {"fontSizePx=200"}}, {"5", {"fontSizePx=8"}}, {"abc", {}}};
        QLineEdit* edit = W->Toolbar->cmbFontSize->lineEdit();
        for (const auto& c : cases) {
            RecordSent();
            W->Toolbar->cmbFontSize->setFocus();
            edit->selectAll();
            QTest::keyClicks(edit, c.Typed);
            QTest::keyClick(edit, Qt::Key_Return);
            QCOMPARE(SentCommands(), c.Sent);
            QCOMPARE(W->Toolbar->cmbFontSize->count(), 19);  // Enter adds nothing to the list
        }
    }

    void linkTableAndTableMenuSendTheirCommands() {
        Start();
        Select("#sv-body p", "world");
        FPrompts->InputAnswers = {std::string("https://example.org/a"), std::string(""), std::nullopt,
                                  std::string("3,x"), std::string("3"), std::string(" 2 , 3 "), std::nullopt};
        W->btnLinkClick();
        W->btnLinkClick();
        W->btnLinkClick();
        W->btnInsertTableClick();
        W->btnInsertTableClick();
        W->btnInsertTableClick();
        W->btnInsertTableClick();
        for (int tag : {1, 2, 3, 4, 5})
            W->TableDropdownMenuItemClick(tag);
        QCOMPARE(SentCommands(), QStringList({"link=https://example.org/a", "link", "table=2,3", "insertTableRowAfter",
                                              "removeTableRow", "insertTableColumnAfter", "removeTableColumn"}));
        QVERIFY(FPrompts->InputAnswers.empty() && FPrompts->Unexpected.empty());
        QVERIFY(PageBodyMatches("<table"));

        W->Toolbar->btnTableDropdownMenu->click();
        QMenu* menu = W->Toolbar->TableDropdownMenu;
        QVERIFY(TEditorHarness::WaitFor([&] { return menu->isVisible(); }));
        QStringList captions;
        for (QAction* a : menu->actions())
            captions << a->text() + "=" + a->data().toString();
        QCOMPARE(captions, QStringList({"Insert Row=1", "Remove Row=2", "Insert Column=3", "Remove Column=4"}));
        menu->hide();
    }

    void colourAlignmentAndLineSpacingReachThePage() {
        Start();
        Select("#sv-body p", "world");
        W->Toolbar->cbTextColor->Select(0x0000FF);
        emit W->Toolbar->cbTextColor->colorChosen(0x0000FF);
        W->Toolbar->btnAlignCenter->click();
        Choose(W->Toolbar->cmbLineSpacing, 4);
        QCOMPARE(SentCommands(), QStringList({"foreColor=#FF0000", "align=center", "lineHeight=2"}));
        QVERIFY(W->Toolbar->btnAlignCenter->isChecked() && !W->Toolbar->btnAlignLeft->isChecked());
        QVERIFY(PageBodyMatches("text-align: center"));
        QVERIFY(PageBodyMatches("line-height: 2"));
        // The page's reports leave the chosen values in the boxes.
        TEditorHarness::Pump(300);
        QCOMPARE(W->Toolbar->cmbLineSpacing->currentText(), QString("2.0"));
        QCOMPARE(W->Toolbar->cbTextColor->Selected(), TColor(0x0000FF));
        QVERIFY(W->Toolbar->btnAlignCenter->isChecked());
    }

    void topicLinkInsertsTheTopicsTitleAndEditUndoRemovesIt() {
        Start();
        Select("#sv-body p", "hello world");
        Js("getSelection().collapseToEnd()");
        int offered = 0;
        QVERIFY(WithModalDialog<TfrmPickTopic>(
            [&](TfrmPickTopic& ADialog) {
                offered = ADialog.tvPick->topLevelItemCount();
                ADialog.tvPick->setCurrentItem(ADialog.tvPick->topLevelItem(1));
                ADialog.btnOK->click();
            },
            [&] { W->Toolbar->btnTopicLink->click(); }));
        QCOMPARE(offered, 2);
        const QString link = QStringLiteral("<a href=\"doc:%1\">Q&amp;A/B</a>").arg(QString::fromStdString(FProject.Second));
        QVERIFY(PageBodyMatches(QRegularExpression::escape(link)));
        QCOMPARE(SentCommands().size(), 1);
        QVERIFY(SentCommands().first().startsWith("topicLink={\"href\":\"doc:"));
        QVERIFY(W->ProjectDirty());

        QVERIFY(W->Undo1->isEnabled());
        W->Undo1->trigger();
        QVERIFY(TEditorHarness::WaitFor([&] { return !PageBody().contains("<a "); }, 5000));
        QCOMPARE(PageBody(), QString("<h2>Title</h2><p>hello world</p>"));
        W->Redo1->trigger();
        QVERIFY(PageBodyMatches(QRegularExpression::escape(link)));
        QCOMPARE(SentCommands().mid(1), QStringList({"undo", "redo"}));

        // Cancelling the picker sends nothing.
        RecordSent();
        QVERIFY(WithModalDialog<TfrmPickTopic>([](TfrmPickTopic& ADialog) { ADialog.close(); },
                                               [&] { W->Toolbar->btnTopicLink->click(); }));
        QCOMPARE(SentCommands(), QStringList());
    }
};

QTEST_MAIN(MainToolbarTest)
#include "uMainToolbar_test.moc"
