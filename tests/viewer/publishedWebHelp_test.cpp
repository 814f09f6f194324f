// A project published by the WebHelp publisher, with the real viewer templates, opened from
// file:// in Qt WebEngine: the tree shows the topics, selecting one shows its page, search finds
// body words and ranks title hits first.
#include "support/ViewerHarness.h"

#include "publish/WebHelpFixture.h"
#include "uExportWebHelp.h"
#include "uPublishCommon.h"

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>
#include <QTest>

using namespace webhelp_fixture;

class TPublishedWebHelpTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir FDir;
    QString FIndex;

    static QString Q(const std::string& A) { return QString::fromStdString(A); }
    static QString JsString(const QString& A) {
        QString s = A;
        s.replace("\\", "\\\\").replace("'", "\\'");
        return "'" + s + "'";
    }
    void Search(TViewerHarness& AViewer, const QString& AQuery) {
        AViewer.Js("(function(){var s=document.getElementById('sv-search');s.value=" + JsString(AQuery) +
                   ";s.dispatchEvent(new Event('input'));})()");
    }
    QStringList Results(TViewerHarness& AViewer) {
        if (!AViewer.WaitFor("!document.getElementById('sv-results').hasAttribute('aria-busy')"))
            return {"(still searching)"};
        return AViewer.Js("Array.from(document.querySelectorAll('.sv-result')).map(function(a){return a.dataset.id;})")
            .toStringList();
    }

private slots:
    void initTestCase() {
        QVERIFY(FDir.isValid());
        const std::string root = FDir.path().toStdString() + "/Proj";
        TDocProject project;
        WriteFixtureProject(root, project);
        CopyDirectoryTree(PAGEWELL_SOURCE_DIR "/resources/AppFiles/webhelp", root + "/internal/webhelp");
        const TProjectSettings settings = FixtureSettings();
        FIndex = Q(PublishWebHelp(project, &settings));
        QVERIFY(QFile::exists(FIndex));
    }

    void treeShowsTopicsAndSelectingOneShowsItsPage() {
        TViewerHarness v;
        QVERIFY(v.Load(FIndex));
        QCOMPARE(v.Js("document.title").toString(), QString("Start/Home \u00E9 - Docs & More"));
        QCOMPARE(v.Js("Array.from(document.querySelectorAll('#sv-toc > li')).map(function(li){return li.textContent;})")
                     .toStringList(),
                 QStringList({QString("Start/Home \u00E9"), QString("A<B")}));
        QCOMPARE(v.FrameText().contains("Hello Pagewell <Pro>"), true);
        v.Js("document.querySelector('li[data-id=\"" + Q(kD) + "\"] a').click()");
        QVERIFY(v.WaitFor("location.hash === '#" + Q(kD) + "'"));
        QVERIFY(v.WaitFor("document.getElementById('sv-frame').contentDocument.body.innerText.indexOf('A<B') >= 0"));
        // The topic link to the child of the excluded parent opens its page.
        v.Js("location.hash = '#" + Q(kA) + "'");
        QVERIFY(v.WaitFor("document.getElementById('sv-frame').contentDocument.body.innerText.indexOf('Hello') >= 0"));
        v.Js("document.getElementById('sv-frame').contentDocument.querySelector('a[href=\"" + Q(kC) + ".html\"]').click()");
        QVERIFY(v.WaitFor("location.hash === '#" + Q(kC) + "'"));
        QVERIFY(v.FrameText().contains("Child"));
    }

    void searchFindsBodyWordsAndRanksTitlesFirst() {
        TViewerHarness v;
        QVERIFY(v.Load(FIndex));
        Search(v, "hello");  // only in the first topic's body
        QCOMPARE(Results(v), QStringList{Q(kA)});
        Search(v, "pagewell pro");  // from the expanded variable
        QCOMPARE(Results(v), QStringList{Q(kA)});
        Search(v, "CHILD");  // the child's title beats the link text in the first topic's body
        QCOMPARE(Results(v), QStringList({Q(kC), Q(kA)}));
        Search(v, QString("h\u00F3me"));
        QCOMPARE(Results(v), QStringList{Q(kA)});
    }

    // A small project with default settings, for looking at: the screenshot goes to
    // $PAGEWELL_SCREENSHOT_DIR (else the temporary folder).
    void screenshotOfThePublishedViewer() {
        const std::string root = FDir.path().toStdString() + "/Demo";
        TDocProject project;
        project.SetRootPath(root + "/");
        struct TDemoTopic {
            char Id;
            const char* Title;
            char Parent;
            const char* Body;
        };
        const TDemoTopic topics[] = {
            {'1', "Welcome", 0, "<h1>Welcome</h1><p>This guide shows how to install the product and write your first topic.</p>"},
            {'2', "Installing", 0, "<h1>Installing</h1><p>Run the installer and follow the steps.</p>"},
            {'3', "System requirements", '2', "<h1>System requirements</h1><ul><li>64-bit system</li><li>2 GB of memory</li></ul>"},
            {'4', "\xD0\xA3\xD1\x81\xD1\x82\xD0\xB0\xD0\xBD\xD0\xBE\xD0\xB2\xD0\xBA\xD0\xB0", '2',
             "<h1>\xD0\xA3\xD1\x81\xD1\x82\xD0\xB0\xD0\xBD\xD0\xBE\xD0\xB2\xD0\xBA\xD0\xB0</h1><p>Run the installer.</p>"},
            {'5', "Writing topics", 0, "<h1>Writing topics</h1><p>Select a topic in the tree and type. Links to other "
                                       "topics keep working after you install a new version.</p>"},
            {'6', "Publishing", 0, "<h1>Publishing</h1><p>Publish as WebHelp, CHM or PDF.</p>"},
        };
        for (const TDemoTopic& t : topics) {
            TTopic& topic = AddFixedTopic(project, std::string(32, t.Id), t.Title, t.Parent ? std::string(32, t.Parent) : "");
            PutFile(topic.HtmlPath(), t.Body);
        }
        project.SetTitle("Product Guide");
        CopyDirectoryTree(PAGEWELL_SOURCE_DIR "/resources/AppFiles/webhelp", root + "/internal/webhelp");
        TProjectSettings settings;
        settings.ProjTitle = "Product Guide";
        const QString index = Q(PublishWebHelp(project, &settings));

        TViewerHarness v(1000, 560);
        QVERIFY(v.Load(index, Q(std::string(32, '3'))));
        QVERIFY(v.WaitFor("document.getElementById('sv-frame').contentDocument.body.innerText.indexOf('64-bit') >= 0"));
        Search(v, "instal");
        QCOMPARE(Results(v).first(), Q(std::string(32, '2')));
        const QString out = qEnvironmentVariable("PAGEWELL_SCREENSHOT_DIR", QDir::tempPath()) + "/webhelp-viewer.png";
        QVERIFY(v.SaveScreenshot(out));
        qInfo("screenshot: %s", qPrintable(out));
        Search(v, "");
        const QString tree = qEnvironmentVariable("PAGEWELL_SCREENSHOT_DIR", QDir::tempPath()) + "/webhelp-viewer-tree.png";
        QVERIFY(v.SaveScreenshot(tree));
    }
};

int main(int argc, char** argv) {
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    TPublishedWebHelpTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "publishedWebHelp_test.moc"
