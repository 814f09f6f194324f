// Add HTML, Add Image and Replace Image in the main window with the real editor page: what the
// page shows, the files copied into the project, the messages, and the pictures of a published
// WebHelp page.
#include "support/TEditorHarness.h"

#include "app/support/AppTestSupport.h"
#include "app/support/TScriptedPrompts.h"
#include "uMain.h"

#include <QAbstractButton>
#include <QTreeWidget>
#include <QTest>
#include <QWebEnginePage>
#include <QWebEngineView>

namespace {

// A 3 x 2 red PNG; bytes after its end chunk tell copies apart and do not disturb a browser.
std::string Png(const std::string& ATag) {
    return std::string("\x89\x50\x4E\x47\x0D\x0A\x1A\x0A\x00\x00\x00\x0D\x49\x48\x44\x52\x00\x00\x00\x03\x00\x00\x00"
                       "\x02\x08\x02\x00\x00\x00\x12\x16\xF1\x4D\x00\x00\x00\x10\x49\x44\x41\x54\x78\x9C\x63\xF8\xCF"
                       "\xC0\x00\x41\x0C\x70\x16\x00\x41\xD2\x05\xFB\x87\xF0\xB9\x48\x00\x00\x00\x00\x49\x45\x4E\x44"
                       "\xAE\x42\x60\x82",
                       73) +
           ATag;
}

// The outside page: a linked style sheet that imports another and uses a font, a picture with
// a srcset and a picture element.
void WriteOutsidePage(const std::string& ADir) {
    WriteFileBytes(CombinePath(ADir, "page.html"),
            "<!DOCTYPE html><html><head><title>Outside</title>\n"
            "<link rel=\"stylesheet\" href=\"css/site.css\">\n<style>.box{display:flex}</style>\n"
            "</head><body class=\"doc\">\n<h1>Imported page</h1>\n"
            "<p><img id=\"one\" src=\"img/logo.png\" srcset=\"img/logo.png 1x, img/logo@2x.png 2x\"></p>\n"
            "<picture><source srcset=\"img/wide.png\"><img id=\"two\" src=\"img/logo.png\"></picture>\n"
            "<p class=\"fancy\">Styled text</p>\n</body></html>");
    WriteFileBytes(CombinePath(ADir, "css/site.css"),
            "@import \"base.css\";\n@font-face{font-family:Imp;src:url(fonts/imp.woff2)}\n.fancy{font-family:Imp}");
    WriteFileBytes(CombinePath(ADir, "css/base.css"), ".fancy{color:rgb(0, 128, 0)}");
    WriteFileBytes(CombinePath(ADir, "css/fonts/imp.woff2"), "not really a font");
    WriteFileBytes(CombinePath(ADir, "img/logo.png"), Png("logo"));
    WriteFileBytes(CombinePath(ADir, "img/logo@2x.png"), Png("logo2x"));
    WriteFileBytes(CombinePath(ADir, "img/wide.png"), Png("wide"));
}

// Whether the element's picture loaded, its colour, as the page sees them.
const char* const kPictureAndColourScript =
    "(function(){var i=document.getElementById('one'),p=document.querySelector('.fancy');"
    "return (i&&i.complete?i.naturalWidth:-1)+' '+(p?getComputedStyle(p).color:'none');})()";

}  // namespace

class ImportCommandsTest : public QObject {
    Q_OBJECT
    std::unique_ptr<TTempAppData> FAppData;
    std::unique_ptr<TScriptedPrompts> FPrompts;
    std::unique_ptr<TfrmMain> W;
    TDiskProject FDisk;

    QVariant Js(const QString& AScript) { return RunJsSync(W->EditorView()->page(), AScript); }
    QString PageBody() { return Js("document.getElementById('sv-body').innerHTML").toString(); }
    std::string Outside(const std::string& ARel) const { return CombinePath(CombinePath(FAppData->Path(), "outside"), ARel); }
    std::string Asset(const std::string& ARel) const { return CombinePath(W->Project().RootPath(), "assets/" + ARel); }
    void Start() {
        FDisk = MakeDiskProject(FAppData->Path(), "Guide", "Guide");
        W = std::make_unique<TfrmMain>(*FPrompts, QStringList{QString::fromStdString(FDisk.FileName)});
        W->resize(1100, 750);
        W->show();
        QVERIFY(QTest::qWaitForWindowExposed(W.get()));
        QVERIFY(TEditorHarness::WaitFor([&] { return W->EditorReady(); }, 15000));
        QVERIFY(TEditorHarness::WaitFor([&] { return PageBody().contains("intro"); }, 5000));
        // The caret at the end of the topic's text.
        Js("(function(){var el=document.querySelector('#sv-body p');el.closest('.sv-area').focus();"
           "var r=document.createRange();r.selectNodeContents(el);r.collapse(false);"
           "var s=getSelection();s.removeAllRanges();s.addRange(r);})()");
        TEditorHarness::Pump(50);
    }
    // Clicks a toolbar button the way a user does.
    void Click(const char* AName) {
        auto* button = W->findChild<QAbstractButton*>(AName);
        QVERIFY2(button, AName);
        QVERIFY2(button->isEnabled(), AName);
        button->click();
    }
    bool PageShows(const QString& AText) {
        return TEditorHarness::WaitFor([&] { return PageBody().contains(AText); }, 5000);
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

    void addHtmlBringsStylesPicturesAndFontsIntoThePageAndThePublication() {
        WriteOutsidePage(Outside(""));
        Start();
        FPrompts->OpenAnswers.push_back(Outside("page.html"));
        Click("btnImportHTML");
        QVERIFY2(FPrompts->Errors.empty(), FPrompts->Errors.empty() ? "" : FPrompts->Errors[0].c_str());
        QVERIFY(FPrompts->Infos.empty());
        QCOMPARE(W->StatusText(), QString("Inserted HTML: page.html"));
        QVERIFY(W->ProjectDirty());

        // The page holds the fragment, with the pictures and styles of the copies.
        QVERIFY(PageShows("<h1>Imported page</h1>"));
        const QString body = PageBody();
        QVERIFY2(body.contains("src=\"assets/images/logo.png\" srcset=\"assets/images/logo.png 1x, "
                               "assets/images/logo@2x.png 2x\""), qPrintable(body));
        QVERIFY2(body.contains("<div class=\"doc\">"), qPrintable(body));
        QVERIFY2(!body.contains("<picture"), qPrintable(body));
        QVERIFY(TEditorHarness::WaitFor([&] { return Js(kPictureAndColourScript).toString() == "3 rgb(0, 128, 0)"; }, 5000));

        // The files sit under their reserved names.
        QCOMPARE(ReadFileBytes(Asset("images/logo.png")), Png("logo"));
        QCOMPARE(ReadFileBytes(Asset("images/logo@2x.png")), Png("logo2x"));
        QCOMPARE(ReadFileBytes(Asset("images/wide.png")), Png("wide"));
        QCOMPARE(ReadFileBytes(Asset("css/imp.woff2")), std::string("not really a font"));
        QCOMPARE(ReadFileBytes(Asset("css/base.css")), std::string("\xEF\xBB\xBF.fancy{color:rgb(0, 128, 0)}"));
        QVERIFY(FindText(ReadFileBytes(Asset("css/site.css")), "@import url(\"base.css\");") != std::string::npos);

        // Saved and published, the topic's page shows the pictures and the imported styles.
        W->Save1->trigger();
        W->PublishWebHelp1->trigger();
        QVERIFY2(FPrompts->Errors.empty(), FPrompts->Errors.empty() ? "" : FPrompts->Errors[0].c_str());
        const std::string page = CombinePath(W->Project().RootPath(), "build/webhelp/topics/" + FDisk.FirstID + ".html");
        QVERIFY(FileExists(page));
        QWebEngineView view;
        view.resize(800, 600);
        view.show();
        bool loaded = false;
        connect(&view, &QWebEngineView::loadFinished, this, [&](bool) { loaded = true; });
        view.load(QUrl::fromLocalFile(QString::fromStdString(page)));
        QVERIFY(TEditorHarness::WaitFor([&] { return loaded; }, 15000));
        QVERIFY(TEditorHarness::WaitFor(
            [&] { return RunJsSync(view.page(), kPictureAndColourScript).toString() == "3 rgb(0, 128, 0)"; }, 5000));
        QCOMPARE(RunJsSync(view.page(), "document.getElementById('two').naturalWidth").toInt(), 3);
    }

    void addHtmlExplainsWhyNothingHappens() {
        Start();
        WriteFileBytes(Outside("empty.html"), "<html><head><title>t</title><script>x()</script></head><body></body></html>");
        FPrompts->OpenAnswers.push_back(Outside("empty.html"));
        FPrompts->OpenAnswers.push_back(std::nullopt);
        Click("btnImportHTML");
        Click("btnImportHTML");  // cancelled
        QCOMPARE(FPrompts->Infos,
                 std::vector<std::string>({"The selected HTML file does not contain importable body content."}));
        QVERIFY(FPrompts->Unexpected.empty());
        QVERIFY(!W->ProjectDirty());

        // A malformed escape ends the import in the error box; the picture copied before it stays.
        WriteFileBytes(Outside("a.png"), Png("a"));
        WriteFileBytes(Outside("bad.html"), "<p><img src=\"a.png\"><img src=\"b%zz.png\"></p>");
        FPrompts->OpenAnswers.push_back(Outside("bad.html"));
        Click("btnImportHTML");
        QCOMPARE(FPrompts->Errors.size(), size_t(1));
        QVERIFY2(FindText(FPrompts->Errors[0], "b%zz.png") != std::string::npos, FPrompts->Errors[0].c_str());
        QVERIFY(FileExists(Asset("images/a.png")));
        QVERIFY(!W->ProjectDirty());
    }

    void addHtmlNeedsATopicAndAReadyEditor() {
        // Right after start-up the page has not reported "ready" yet.
        W = std::make_unique<TfrmMain>(*FPrompts, QStringList{});
        QVERIFY(!W->EditorReady());
        W->btnImportHTMLClick();
        W->btnImageClick();
        W->btnReplaceImageClick();
        W->Project().SetRootPath("");
        W->btnImportHTMLClick();
        QCOMPARE(FPrompts->Infos, std::vector<std::string>({"The editor is not ready yet.",
                                                            "Please open or create a project and select a topic first."}));
        QVERIFY(FPrompts->Unexpected.empty());  // no dialog was opened
    }

    void addAndReplaceImageCopyUnderFreeNames() {
        Start();
        WriteFileBytes(Outside("one/pic.png"), Png("one"));
        WriteFileBytes(Outside("two/pic.png"), Png("two"));
        W->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(W.get()));
        W->tvToc->setFocus();
        FPrompts->OpenAnswers.push_back(Outside("one/pic.png"));
        Click("btnImage");
        QVERIFY(PageShows("<img src=\"assets/images/pic.png\">"));
        // The keyboard goes back to the editor.
        QVERIFY(TEditorHarness::WaitFor([&] { return W->EditorView()->focusProxy()->hasFocus(); }));
        QCOMPARE(ReadFileBytes(Asset("images/pic.png")), Png("one"));

        // Replace the selected picture with another file of the same name: a new copy, a new address.
        Js("document.querySelector('#sv-body img').dispatchEvent(new MouseEvent('mousedown',{bubbles:true}))");
        FPrompts->OpenAnswers.push_back(Outside("two/pic.png"));
        Click("btnReplaceImage");
        QVERIFY(PageShows("<img src=\"assets/images/pic_2.png\">"));
        QCOMPARE(ReadFileBytes(Asset("images/pic.png")), Png("one"));
        QCOMPARE(ReadFileBytes(Asset("images/pic_2.png")), Png("two"));
        QVERIFY(TEditorHarness::WaitFor([&] { return Js("document.querySelector('#sv-body img').naturalWidth").toInt() == 3; }));

        // A copy that fails is an error and sends nothing.
        Js("document.querySelector('#sv-body img').dispatchEvent(new MouseEvent('mousedown',{bubbles:true}))");
        FPrompts->OpenAnswers.push_back(Outside("gone/pic.png"));
        Click("btnReplaceImage");
        QCOMPARE(FPrompts->Errors.size(), size_t(1));
        QVERIFY2(StartsText("Cannot copy file", FPrompts->Errors[0]), FPrompts->Errors[0].c_str());
        TEditorHarness::Pump(300);
        QVERIFY(PageBody().contains("<img src=\"assets/images/pic_2.png\">"));
        QVERIFY(FPrompts->Unexpected.empty());
    }
};

QTEST_MAIN(ImportCommandsTest)
#include "uImportCommands_test.moc"
