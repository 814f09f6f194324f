// The WebHelp viewer templates in the real browser engine, on a small hand-made site loaded
// from file://: contents tree, page frame, address and history, keyboard, search, narrow layout.
#include "support/ViewerHarness.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QRegularExpression>
#include <QTest>
#include <QWebEngineView>

namespace {

QString Id(char AChar) { return QString(32, QChar(AChar)); }

void Put(const QString& AFileName, const QByteArray& ABytes) {
    QDir().mkpath(QFileInfo(AFileName).absolutePath());
    QFile f(AFileName);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(ABytes);
}

QByteArray Page(const QString& ABody) {
    return ("<!doctype html><html><head><meta charset=\"utf-8\"></head><body><div class=\"sv-page-body\">" + ABody +
            "</div></body></html>")
        .toUtf8();
}

QJsonObject Node(const QString& AID, const QString& ATitle, QJsonArray AChildren = {}) {
    return {{"id", AID}, {"title", ATitle}, {"file", "topics/" + AID + ".html"}, {"children", AChildren}};
}

QJsonObject Entry(const QString& AID, const QString& ATitle, const QString& AText, const QString& AKeywords = {}) {
    return {{"id", AID}, {"title", ATitle}, {"file", "topics/" + AID + ".html"}, {"text", AText}, {"keywords", AKeywords}};
}

}  // namespace

class TWebHelpViewerTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir FSite;
    QString FIndex;
    std::unique_ptr<TViewerHarness> FSearchViewer;  // one page for all search rows

    void WriteSite() {
        const QString root = FSite.path();
        for (const char* name : {"app.html", "app.js", "app.css"}) {
            QFile f(ViewerTemplateDir() + "/" + name);
            QVERIFY2(f.open(QIODevice::ReadOnly), qPrintable(f.fileName()));
            QByteArray bytes = f.readAll();
            if (QByteArray(name) == "app.css")
                bytes = FillViewerPlaceholders(QString::fromUtf8(bytes)).toUtf8();
            if (QByteArray(name) == "app.html")
                bytes.replace("<title>WebHelp</title>", "<title>Fixture Help</title>");
            Put(root + "/" + (QByteArray(name) == "app.html" ? QString("index.html") : QString(name)), bytes);
        }
        QJsonArray roots{Node(Id('A'), "Getting started"),
                         Node(Id('B'), "Installation guide",
                              QJsonArray{Node(Id('C'), QString::fromUtf8("Установка")), Node(Id('D'), "Troubleshooting")}),
                         Node(Id('F'), "Reference")};
        QJsonArray entries{
            Entry(Id('A'), "Getting started", "Welcome. Install the product with the setup wizard."),
            Entry(Id('B'), "Installation guide", QString::fromUtf8("Run the installer. Café settings are kept.")),
            Entry(Id('C'), QString::fromUtf8("Установка"), QString::fromUtf8("Запустите программу установки. Ёлка."), "setup"),
            Entry(Id('D'), "Troubleshooting", "If the installer fails, read Getting started."),
            Entry(Id('E'), "Orphan", "zebra crossing"),
            Entry(Id('F'), "Reference", "Command reference; install is described elsewhere.", "api"),
        };
        Put(root + "/toc.js", "window.__SV_TOC = " + QJsonDocument(QJsonObject{{"roots", roots}}).toJson(QJsonDocument::Compact) + ";");
        Put(root + "/search.js",
            "window.__SV_SEARCH = " + QJsonDocument(QJsonObject{{"topics", entries}}).toJson(QJsonDocument::Compact) + ";");
        Put(root + "/topics/" + Id('A') + ".html", Page("<h1>Getting started</h1><p>Welcome text.</p>"));
        Put(root + "/topics/" + Id('B') + ".html", Page("<h1>Installation guide</h1>"));
        Put(root + "/topics/" + Id('C') + ".html", Page(QString::fromUtf8("<h1>Установка</h1>")));
        Put(root + "/topics/" + Id('D') + ".html",
            Page("<h1>Troubleshooting</h1><p><a id=\"back\" href=\"" + Id('A') + ".html\">Getting started</a></p>"));
        Put(root + "/topics/" + Id('E') + ".html", Page("<h1>Orphan page</h1>"));
        Put(root + "/topics/" + Id('F') + ".html", Page("<h1>Reference</h1>"));
        FIndex = root + "/index.html";
    }

    QString FrameId(TViewerHarness& AViewer) { return AViewer.Js("__SV_VIEWER.currentId()").toString(); }
    QString Hash(TViewerHarness& AViewer) { return AViewer.Js("location.hash").toString(); }
    QString CurrentTocId(TViewerHarness& AViewer) {
        return AViewer.Js("(function(){var r=document.querySelector('#sv-toc .sv-current');return r?r.parentNode.dataset.id:'';})()")
            .toString();
    }
    bool FrameShows(TViewerHarness& AViewer, const QString& AText) {
        return AViewer.WaitFor("document.getElementById('sv-frame').contentDocument.body.innerText.indexOf(" +
                               QString::fromUtf8(QJsonDocument(QJsonArray{AText}).toJson(QJsonDocument::Compact)) +
                               "[0]) >= 0");
    }

private slots:
    void initTestCase() {
        QVERIFY(FSite.isValid());
        WriteSite();
    }

    void cleanupTestCase() { FSearchViewer.reset(); }

    void opening_showsTreeAndFirstTopic() {
        TViewerHarness v;
        QVERIFY(v.Load(FIndex));
        QCOMPARE(v.Js("document.querySelectorAll('#sv-toc > li').length").toInt(), 3);
        // Closed branches are made when they open.
        QCOMPARE(v.Js("document.querySelectorAll('#sv-toc li').length").toInt(), 3);
        QCOMPARE(v.Js("document.querySelector('li[data-id=\"" + Id('B') + "\"]').getAttribute('aria-expanded')").toString(),
                 QString("false"));
        QCOMPARE(v.Js("document.getElementById('sv-brand').textContent").toString(), QString("Fixture Help"));
        QVERIFY(FrameShows(v, "Welcome text."));
        QCOMPARE(CurrentTocId(v), Id('A'));
        // Children start folded away.
        QCOMPARE(v.Js("(function(){var li=document.querySelector('li[data-id=\"" + Id('C') + "\"]');"
                      "return !li || li.offsetParent === null;})()").toBool(),
                 true);
        // The placeholders reached the style sheet of the contents.
        QCOMPARE(v.Js("getComputedStyle(document.getElementById('sv-side')).fontSize").toString(), QString("15px"));
        QCOMPARE(v.Js("getComputedStyle(document.getElementById('sv-side')).color").toString(), QString("rgb(18, 52, 86)"));
    }

    void clickingTopic_showsPageAndPutsItInTheAddress() {
        TViewerHarness v;
        QVERIFY(v.Load(FIndex));
        v.Js("document.querySelector('li[data-id=\"" + Id('B') + "\"] a').click()");
        QVERIFY(FrameShows(v, "Installation guide"));
        QCOMPARE(Hash(v), "#" + Id('B'));
        QCOMPARE(CurrentTocId(v), Id('B'));
        QCOMPARE(v.Js("document.title").toString(), QString("Installation guide - Fixture Help"));
        // Selecting a parent opens it.
        QVERIFY(v.WaitFor("document.querySelector('li[data-id=\"" + Id('C') + "\"]').offsetParent !== null"));
        QCOMPARE(v.Js("document.querySelectorAll('#sv-toc li').length").toInt(), 5);
    }

    void addressWithTopic_opensItRevealedAndHistoryWorks() {
        TViewerHarness v;
        QVERIFY(v.Load(FIndex, Id('C')));
        QVERIFY(FrameShows(v, QString::fromUtf8("Установка")));
        QCOMPARE(CurrentTocId(v), Id('C'));
        QCOMPARE(v.Js("document.querySelector('li[data-id=\"" + Id('B') + "\"]').getAttribute('aria-expanded')").toString(),
                 QString("true"));
        v.Js("location.hash = '#" + Id('F') + "'");
        QVERIFY(FrameShows(v, "Reference"));
        v.Js("history.back()");
        QVERIFY(FrameShows(v, QString::fromUtf8("Установка")));
        QCOMPARE(CurrentTocId(v), Id('C'));
        v.Js("history.forward()");
        QVERIFY(FrameShows(v, "Reference"));
        QCOMPARE(CurrentTocId(v), Id('F'));
        // A topic that only the search index knows (its parent is left out of the contents).
        v.Js("location.hash = '#" + Id('E') + "'");
        QVERIFY(FrameShows(v, "Orphan page"));
        QCOMPARE(CurrentTocId(v), QString());
        // An unknown id falls back to the first topic.
        v.Js("location.hash = '#nothing-here'");
        QVERIFY(FrameShows(v, "Welcome text."));
    }

    void linkInsidePage_updatesAddressAndTree() {
        TViewerHarness v;
        QVERIFY(v.Load(FIndex, Id('D')));
        QVERIFY(FrameShows(v, "Troubleshooting"));
        v.Js("document.getElementById('sv-frame').contentDocument.getElementById('back').click()");
        QVERIFY(FrameShows(v, "Welcome text."));
        QVERIFY(v.WaitFor("location.hash === '#" + Id('A') + "'"));
        QCOMPARE(CurrentTocId(v), Id('A'));
    }

    void keyboard_movesThroughTreeAndOpensTopics() {
        TViewerHarness v;
        QVERIFY(v.Load(FIndex));
        v.Js("document.querySelector('#sv-toc li').focus()");
        auto key = [&](const char* AKey) {
            v.Js(QString("document.activeElement.dispatchEvent(new KeyboardEvent('keydown',{key:'%1',bubbles:true,cancelable:true}))")
                     .arg(AKey));
        };
        auto focused = [&] { return v.Js("document.activeElement.dataset.id").toString(); };
        key("ArrowDown");
        QCOMPARE(focused(), Id('B'));
        key("ArrowRight");  // opens B
        QCOMPARE(v.Js("document.activeElement.getAttribute('aria-expanded')").toString(), QString("true"));
        key("ArrowRight");  // into its first child
        QCOMPARE(focused(), Id('C'));
        key("ArrowDown");
        QCOMPARE(focused(), Id('D'));
        key("Enter");
        QVERIFY(FrameShows(v, "Troubleshooting"));
        QCOMPARE(Hash(v), "#" + Id('D'));
        key("ArrowLeft");  // to the parent
        QCOMPARE(focused(), Id('B'));
        key("ArrowLeft");  // folds it
        QCOMPARE(v.Js("document.activeElement.getAttribute('aria-expanded')").toString(), QString("false"));
        key("End");
        QCOMPARE(focused(), Id('F'));
        key("Home");
        QCOMPARE(focused(), Id('A'));
        key("r");  // type-ahead
        QCOMPARE(focused(), Id('F'));
    }

    void search_data() {
        QTest::addColumn<QString>("query");
        QTest::addColumn<QStringList>("expected");  // ids in rank order
        QTest::newRow("prefix, title first") << "instal" << QStringList{Id('B'), Id('A'), Id('D'), Id('F')};
        QTest::newRow("all words required, any case") << "INSTALL Guide" << QStringList{Id('B')};
        QTest::newRow("accents ignored") << "cafe" << QStringList{Id('B')};
        QTest::newRow("Cyrillic prefix") << QString::fromUtf8("УСТАН") << QStringList{Id('C')};
        QTest::newRow("Cyrillic yo folds") << QString::fromUtf8("елка") << QStringList{Id('C')};
        QTest::newRow("keyword before body") << "setup" << QStringList{Id('C'), Id('A')};
        QTest::newRow("topic outside the contents") << "zebra" << QStringList{Id('E')};
        QTest::newRow("one word missing") << "install zebra" << QStringList{};
        QTest::newRow("punctuation only") << "?!" << QStringList{};
    }

    void search() {
        QFETCH(QString, query);
        QFETCH(QStringList, expected);
        if (!FSearchViewer) {
            FSearchViewer = std::make_unique<TViewerHarness>();
            QVERIFY(FSearchViewer->Load(FIndex));
        }
        TViewerHarness* v = FSearchViewer.get();
        const QString q = QString::fromUtf8(QJsonDocument(QJsonArray{query}).toJson(QJsonDocument::Compact));
        QCOMPARE(v->JsAwait("__SV_VIEWER.search(" + q + "[0])").toStringList(), expected);
        v->Js("(function(){var s=document.getElementById('sv-search');s.value=" + q + "[0];s.dispatchEvent(new Event('input'));})()");
        QVERIFY(v->WaitFor("!document.getElementById('sv-results').hasAttribute('aria-busy')"));
        QStringList shown = v->Js("Array.from(document.querySelectorAll('.sv-result')).map(function(a){return a.dataset.id;})").toStringList();
        QCOMPARE(shown, expected);
        QCOMPARE(v->Js("document.getElementById('sv-toc').hidden").toBool(), !QStringList(words(query)).isEmpty());
    }

    void searchResult_hasHighlightedExcerptAndOpensTopic() {
        TViewerHarness v;
        QVERIFY(v.Load(FIndex));
        v.Js("(function(){var s=document.getElementById('sv-search');s.value='wizard';s.dispatchEvent(new Event('input'));})()");
        QVERIFY(v.WaitFor("document.querySelector('.sv-result') && !document.querySelector('.sv-result[data-pending]')"));
        QCOMPARE(v.Js("document.querySelector('.sv-result .sv-result-excerpt mark').textContent").toString(), QString("wizard"));
        QVERIFY(v.Js("document.querySelector('.sv-result .sv-result-excerpt').textContent").toString().contains("setup wizard"));
        QCOMPARE(v.Js("document.getElementById('sv-results-count').textContent").toString(), QString("1 topic found"));
        v.Js("document.getElementById('sv-search-form').dispatchEvent(new Event('submit',{cancelable:true}))");
        QVERIFY(FrameShows(v, "Welcome text."));
        // Escape clears the query and brings the contents back.
        v.Js("document.getElementById('sv-search').dispatchEvent(new KeyboardEvent('keydown',{key:'Escape',bubbles:true}))");
        QCOMPARE(v.Js("document.getElementById('sv-toc').hidden").toBool(), false);
        QCOMPARE(v.Js("document.getElementById('sv-results').hidden").toBool(), true);
    }

    void narrowWindow_foldsContentsBehindMenu() {
        TViewerHarness v(480, 700);
        QVERIFY(v.Load(FIndex));
        QVERIFY(v.WaitFor("document.getElementById('sv-side').getBoundingClientRect().right <= 0"));
        QVERIFY(v.Js("document.getElementById('sv-frame').getBoundingClientRect().width").toDouble() >= 470);
        v.Js("document.getElementById('sv-menu').click()");
        QVERIFY(v.WaitFor("document.getElementById('sv-side').getBoundingClientRect().left >= 0"));
        v.Js("document.querySelector('li[data-id=\"" + Id('F') + "\"] a').click()");
        QVERIFY(FrameShows(v, "Reference"));
        QVERIFY(v.WaitFor("document.getElementById('sv-side').getBoundingClientRect().right <= 0"));
        v.Resize(1000, 700);
        QVERIFY(v.WaitFor("document.getElementById('sv-side').getBoundingClientRect().width > 100 &&"
                          "document.getElementById('sv-side').getBoundingClientRect().left >= 0"));
    }

    void screenshot() {
        TViewerHarness v;
        QVERIFY(v.Load(FIndex, Id('C')));
        QVERIFY(FrameShows(v, QString::fromUtf8("Установка")));
        v.Js("(function(){var s=document.getElementById('sv-search');s.value='install';s.dispatchEvent(new Event('input'));})()");
        const QString out = QDir::temp().filePath("pagewell-webhelp-viewer.png");
        QVERIFY(v.SaveScreenshot(out));
        qInfo("screenshot: %s", qPrintable(out));
    }

private:
    static QStringList words(const QString& AText) {
        return AText.split(QRegularExpression("[^\\p{L}\\p{N}]+"), Qt::SkipEmptyParts);
    }
};

int main(int argc, char** argv) {
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    TWebHelpViewerTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "webhelpViewer_test.moc"
