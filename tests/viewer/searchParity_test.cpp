// The viewer's search over the prebuilt index, split into many tiny pieces, against the viewer
// as it was before that index (a frozen copy under fixtures/, reading the whole search.js): the
// same ordered ids, count line and result markup. Then broken pieces: the incomplete-index
// message while the contents keep working.
#include "support/ViewerHarness.h"

#include "uSearchIndex.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>

namespace {

QString Id(char AChar) { return QString(32, QChar(AChar)); }

QByteArray ReadAll(const QString& AFileName) {
    QFile f(AFileName);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void Put(const QString& AFileName, const QByteArray& ABytes) {
    QDir().mkpath(QFileInfo(AFileName).absolutePath());
    QFile f(AFileName);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(ABytes);
}

QString JsString(const QString& AText) {
    return QString::fromUtf8(QJsonDocument(QJsonArray{AText}).toJson(QJsonDocument::Compact)) + "[0]";
}

struct TFixtureTopic {
    char Id;
    const char* Title;
    const char* Text;
    const char* Keywords;
};

QString LongText() {
    QString s;
    for (int i = 0; i < 12; ++i)
        s += "Filler words about settings and options number " + QString::number(i) + ". ";
    return s + "The zebra appears here, far into the text. " + s;
}

// Contents: A, B (C, D), F (I); E, G and H exist only in the search index.
const TFixtureTopic kTopics[] = {
    {'A', "Getting started", "Welcome. Install the product with the setup wizard. R\xC3\xA9sum\xC3\xA9 of caf\xC3\xA9 options.", ""},
    {'B', "Installation guide",
     "Run the installer. Caf\xC3\xA9 settings are kept. install install install install install install install install "
     "install install install install install install install install install install install install install install",
     ""},
    {'C', "\xD0\xA3\xD1\x81\xD1\x82\xD0\xB0\xD0\xBD\xD0\xBE\xD0\xB2\xD0\xBA\xD0\xB0",
     "\xD0\x97\xD0\xB0\xD0\xBF\xD1\x83\xD1\x81\xD1\x82\xD0\xB8\xD1\x82\xD0\xB5 \xD1\x83\xD1\x81\xD1\x82\xD0\xB0\xD0\xBD"
     "\xD0\xBE\xD0\xB2\xD0\xBA\xD1\x83. \xD0\x81\xD0\xBB\xD0\xBA\xD0\xB0.",
     "setup"},
    {'D', "Troubleshooting", "If the installer fails, read Getting started. Na\xC3\xAFve r\xC3\xA9sum\xC3\xA9.", ""},
    {'E', "Orphan", "zebra crossing, install elsewhere", ""},
    {'F', "Reference", "Command reference; install is described elsewhere. \xCE\x9F\xCE\x94\xCE\x9F\xCE\xA3 e e", "api install"},
    {'G', "\xC3\x89lan vital", "\xC3\x89" "clair and \xC3\xA9lan.", "el"},
    {'H', "Empty topic", "", "install"},
    {'I', "Long text", nullptr, ""},
};

QJsonObject Node(char AId, QJsonArray AChildren = {}) {
    for (const TFixtureTopic& t : kTopics)
        if (t.Id == AId)
            return {{"id", Id(AId)}, {"title", QString::fromUtf8(t.Title)}, {"file", "topics/" + Id(AId) + ".html"},
                    {"children", AChildren}};
    return {};
}

QString TextOf(const TFixtureTopic& AT) { return AT.Text ? QString::fromUtf8(AT.Text) : LongText(); }

struct TSiteTopic {
    QString Id, Title, Text, Keywords;
};

// Writes both viewers beside the same data: index.html (today's viewer, prebuilt index in tiny
// pieces) and frozen.html (the frozen viewer, search.js). ATopics in search.json order; ATocIds
// the ids of ARoots depth-first.
void WriteSite(const QString& ARoot, const QJsonArray& ARoots, const std::vector<std::string>& ATocIds,
               const std::vector<TSiteTopic>& ATopics) {
    const QString templates = ViewerTemplateDir();
    QByteArray html = ReadAll(templates + "/app.html");
    html.replace("<title>WebHelp</title>", "<title>Parity Help</title>");
    Put(ARoot + "/index.html", html);
    Put(ARoot + "/app.js", ReadAll(templates + "/app.js"));
    Put(ARoot + "/app.css", FillViewerPlaceholders(QString::fromUtf8(ReadAll(templates + "/app.css"))).toUtf8());
    QByteArray frozen = ReadAll(PAGEWELL_SOURCE_DIR "/tests/viewer/fixtures/frozen-app.html");
    frozen.replace("<title>WebHelp</title>", "<title>Parity Help</title>");
    frozen.replace("src=\"app.js\"", "src=\"frozen-app.js\"");
    Put(ARoot + "/frozen.html", frozen);
    Put(ARoot + "/frozen-app.js", ReadAll(PAGEWELL_SOURCE_DIR "/tests/viewer/fixtures/frozen-app.js"));

    Put(ARoot + "/toc.js", "window.__SV_TOC = " + QJsonDocument(QJsonObject{{"roots", ARoots}}).toJson(QJsonDocument::Compact) + ";");
    TSearchIndexBuilder builder(ATocIds, {/*ShardBytes=*/60, /*TopicsPerTextPiece=*/2});
    QJsonArray entries;
    for (const TSiteTopic& t : ATopics) {
        const QString file = "topics/" + t.Id + ".html";
        entries.append(QJsonObject{{"id", t.Id}, {"title", t.Title}, {"file", file}, {"text", t.Text}, {"keywords", t.Keywords}});
        builder.Add(t.Id.toStdString(), t.Title.toStdString(), file.toStdString(), t.Text.toStdString(), t.Keywords.toStdString());
        Put(ARoot + "/" + file, "<!doctype html><html><head><meta charset=\"utf-8\"></head><body><h1>" + t.Title.toUtf8() +
                                    "</h1></body></html>");
    }
    Put(ARoot + "/search.js",
        "window.__SV_SEARCH = " + QJsonDocument(QJsonObject{{"topics", entries}}).toJson(QJsonDocument::Compact) + ";");
    builder.Write(ARoot.toStdString());
}

void WriteSite(const QString& ARoot) {
    const QJsonArray roots{Node('A'), Node('B', {Node('C'), Node('D')}), Node('F', {Node('I')})};
    // search.json order differs from the contents order on purpose.
    std::vector<TSiteTopic> topics;
    for (char c : {'I', 'E', 'D', 'C', 'H', 'B', 'A', 'G', 'F'})
        for (const TFixtureTopic& t : kTopics)
            if (t.Id == c)
                topics.push_back({Id(c), QString::fromUtf8(t.Title), TextOf(t), QString::fromUtf8(t.Keywords)});
    WriteSite(ARoot, roots, {Id('A').toStdString(), Id('B').toStdString(), Id('C').toStdString(), Id('D').toStdString(),
                             Id('F').toStdString(), Id('I').toStdString()},
              topics);
}

// 150 topics that share words, for lists longer than the viewer shows: 30 chapters of 3
// pages, and one topic per chapter left out of the contents. Many scores tie.
void WriteLongListSite(const QString& ARoot) {
    auto id = [](int AN) { return QString("t%1").arg(AN, 3, 10, QChar('0')); };
    std::vector<TSiteTopic> topics;
    for (int i = 0; i < 150; ++i) {
        QString text = "word" + QString::number(i) + ".";
        for (int k = 0; k < i % 9; ++k)
            text += " common ground";
        topics.push_back({id(i), (i % 10 ? "Topic " : "Common topic ") + QString::number(i), text, i % 15 ? "" : "common"});
    }
    auto node = [&](int AN, QJsonArray AChildren = {}) {
        return QJsonObject{{"id", id(AN)}, {"title", topics[AN].Title}, {"file", "topics/" + id(AN) + ".html"}, {"children", AChildren}};
    };
    QJsonArray roots;
    std::vector<std::string> tocIds;
    for (int c = 0; c < 150; c += 5) {
        roots.append(node(c, {node(c + 1), node(c + 2), node(c + 3)}));  // c + 4 is search-only
        for (int k = 0; k < 4; ++k)
            tocIds.push_back(id(c + k).toStdString());
    }
    std::reverse(topics.begin(), topics.end());  // search.json order apart from the contents
    WriteSite(ARoot, roots, tocIds, topics);
}

}  // namespace

class TSearchParityTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir FDir;
    std::unique_ptr<TViewerHarness> FNew, FFrozen;

    static void Type(TViewerHarness& AViewer, const QString& AQuery) {
        AViewer.Js("(function(){var s=document.getElementById('sv-search');s.value=" + JsString(AQuery) +
                   ";s.dispatchEvent(new Event('input'));})()");
    }
    // What the results area shows (nothing when it is hidden).
    static QString ResultsMarkup(TViewerHarness& AViewer) {
        return AViewer.Js("document.getElementById('sv-results').hidden ? '(hidden)' : "
                          "document.getElementById('sv-results-count').textContent + '\\n' + "
                          "document.getElementById('sv-results-list').innerHTML")
            .toString();
    }
    static bool ResultsDrawn(TViewerHarness& AViewer) {
        return AViewer.WaitFor("!document.getElementById('sv-results').hasAttribute('aria-busy') && "
                               "!document.querySelector('.sv-result[data-pending]')");
    }
    // The search box shows the incomplete-index message, and the contents still open pages.
    static void ExpectIncomplete(const QString& AIndex) {
        TViewerHarness v;
        QVERIFY(v.Load(AIndex));
        Type(v, "install");
        QVERIFY(v.WaitFor("document.getElementById('sv-results-count').textContent === "
                          "'The search index is incomplete. Publish the help again.'"));
        QCOMPARE(v.Js("document.querySelectorAll('.sv-result').length").toInt(), 0);
        QVERIFY(!v.JsAwait("__SV_VIEWER.search('install')").isValid());
        Type(v, "");
        v.Js("document.querySelector('li[data-id=\"" + Id('F') + "\"] a').click()");
        QVERIFY(v.WaitFor("document.getElementById('sv-frame').contentDocument.body.innerText.indexOf('Reference') >= 0"));
    }
    QString Site(const QString& AName) {
        const QString root = FDir.path() + "/" + AName;
        WriteSite(root);
        return root;
    }

private slots:
    void initTestCase() {
        QVERIFY(FDir.isValid());
        const QString root = Site("site");
        QVERIFY(QDir(root + "/search").entryList({"*.js"}).size() > 10);  // really split into pieces
        FNew = std::make_unique<TViewerHarness>();
        QVERIFY(FNew->Load(root + "/index.html"));
        FFrozen = std::make_unique<TViewerHarness>();
        QVERIFY(FFrozen->Load(root + "/frozen.html"));
    }

    void cleanupTestCase() {
        FNew.reset();
        FFrozen.reset();
    }

    void sameResultsAsTheFrozenViewer_data() {
        QTest::addColumn<QString>("query");
        QString paste;
        while (paste.size() < 1000)
            paste += QString::fromUtf8("install the product, caf\xC3\xA9! ");
        const char* queries[] = {
            "instal", "INSTALL Guide", "install", "cafe", "R\xC3\x89SUM\xC3\x89", "naive",
            "\xD0\xA3\xD0\xA1\xD0\xA2\xD0\x90\xD0\x9D", "\xD0\xB5\xD0\xBB\xD0\xBA\xD0\xB0", "\xD1\x83\xD1\x81\xD1\x82",
            "\xD1\x83", "\xD1\x91", "setup", "zebra", "e", "el", "\xC3\xA9l", "i", "in", "install zebra", "?!", "api",
            "\xCE\xBF\xCE\xB4\xCE\xBF\xCF\x82", "nothing", "empty install", "settings"};
        for (const char* q : queries)
            QTest::newRow(q) << QString::fromUtf8(q);
        QTest::newRow("1,000-character paste") << paste.left(1000);
    }

    void sameResultsAsTheFrozenViewer() {
        QFETCH(QString, query);
        const QStringList frozen = FFrozen->Js("__SV_VIEWER.search(" + JsString(query) + ")").toStringList();
        QCOMPARE(FNew->JsAwait("__SV_VIEWER.search(" + JsString(query) + ")").toStringList(), frozen);
        Type(*FFrozen, query);
        Type(*FNew, query);
        QVERIFY(ResultsDrawn(*FNew));
        QCOMPARE(ResultsMarkup(*FNew), ResultsMarkup(*FFrozen));
    }

    void fastTypingShowsOnlyTheLastQuery() {
        for (const char* q : {"z", "ze", "zeb", "zebr", "in", "ins", "inst"})
            Type(*FNew, q);
        Type(*FFrozen, "inst");
        QVERIFY(ResultsDrawn(*FNew));
        QCOMPARE(ResultsMarkup(*FNew), ResultsMarkup(*FFrozen));
    }

    // Lists longer than the viewer draws in one step: the same ids, count line and titles as the
    // frozen viewer; a query typed while the rows of the one before are still coming replaces them.
    void longListsAsTheFrozenViewer() {
        const QString root = FDir.path() + "/long";
        WriteLongListSite(root);
        TViewerHarness now, frozen;
        QVERIFY(now.Load(root + "/index.html"));
        QVERIFY(frozen.Load(root + "/frozen.html"));
        const auto rows = [](TViewerHarness& AViewer) {
            return AViewer.Js("document.getElementById('sv-results-count').textContent + '\\n' + "
                              "Array.from(document.querySelectorAll('.sv-result')).map(function(a){"
                              "return a.dataset.id + ' ' + a.querySelector('.sv-result-title').innerHTML;}).join('\\n')")
                .toString();
        };
        const QString drawn = "!document.getElementById('sv-results').hasAttribute('aria-busy')";
        for (const char* q : {"common", "c", "topic common", "ground", "word1"}) {
            QCOMPARE(now.JsAwait("__SV_VIEWER.search(" + JsString(q) + ")").toStringList(),
                     frozen.Js("__SV_VIEWER.search(" + JsString(q) + ")").toStringList());
            Type(now, q);
            Type(frozen, q);
            QVERIFY(now.WaitFor(drawn));
            QCOMPARE(rows(now), rows(frozen));
        }
        QVERIFY(rows(frozen).startsWith("61 topics found"));

        // As soon as the first rows of "ground" (133 topics) are there, "word7" is typed.
        now.Js("(function(){var c=document.getElementById('sv-results-count');var o=new MutationObserver(function(){"
               "if(!c.textContent)return;o.disconnect();window.rowsAtSwitch=document.querySelectorAll('.sv-result').length;"
               "var s=document.getElementById('sv-search');s.value='word7';s.dispatchEvent(new Event('input'));});"
               "o.observe(c,{childList:true,characterData:true,subtree:true});})()");
        Type(now, "ground");
        Type(frozen, "word7");
        QVERIFY(now.WaitFor("document.getElementById('sv-search').value === 'word7' && " + drawn));
        QVERIFY(now.Js("window.rowsAtSwitch").toInt() < 100);
        QCOMPARE(rows(now), rows(frozen));
        QVERIFY(rows(now).startsWith("11 topics found"));
    }

    void brokenPiecesShowTheIncompleteMessage_data() {
        QTest::addColumn<QString>("damage");
        QTest::newRow("missing") << "missing";
        QTest::newRow("truncated") << "truncated";
        QTest::newRow("foreign") << "foreign";
    }

    void brokenPiecesShowTheIncompleteMessage() {
        QFETCH(QString, damage);
        const QString root = Site(damage);
        const QDir search(root + "/search");
        int damaged = 0;
        for (const QString& name : search.entryList({"*.js"})) {
            if (name == "index.js")
                continue;
            const QString file = search.filePath(name);
            QByteArray bytes = ReadAll(file);
            if (damage == "missing")
                QVERIFY(QFile::remove(file));
            else if (damage == "truncated")
                Put(file, bytes.left(bytes.size() / 2));
            else
                Put(file, bytes.replace(QRegularExpression("\"[0-9a-f]{16}\"").match(QString::fromLatin1(bytes)).captured().toLatin1(),
                                        "\"0000000000000000\""));
            ++damaged;
        }
        QVERIFY(damaged > 0);
        ExpectIncomplete(root + "/index.html");
    }

    void noManifestFallsBackToSearchJs() {
        const QString root = Site("nomanifest");
        QVERIFY(QDir(root + "/search").removeRecursively());
        QVERIFY(QFile::remove(root + "/start.js"));
        TViewerHarness v;
        QVERIFY(v.Load(root + "/index.html", Id('G')));  // a topic only search.js knows
        QVERIFY(v.WaitFor("document.getElementById('sv-frame').contentDocument.body.innerText.indexOf('vital') >= 0"));
        for (const char* q : {"install", "\xC3\xA9l", "zebra"})
            QCOMPARE(v.JsAwait("__SV_VIEWER.search(" + JsString(QString::fromUtf8(q)) + ")").toStringList(),
                     FFrozen->Js("__SV_VIEWER.search(" + JsString(QString::fromUtf8(q)) + ")").toStringList());
    }
};

int main(int argc, char** argv) {
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    TSearchParityTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "searchParity_test.moc"
