// The help context ids in the published viewer, in Qt WebEngine from file://: a context page and
// index.html#<alias> open their topic, not the first one.
#include "support/ViewerHarness.h"

#include "publish/WebHelpFixture.h"
#include "uExportWebHelp.h"
#include "uPublishCommon.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

using namespace webhelp_fixture;

class TWebHelpContextTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir FDir;
    QString FSite;

    static QString Q(const std::string& A) { return QString::fromStdString(A); }

private slots:
    void initTestCase() {
        QVERIFY(FDir.isValid());
        const std::string root = FDir.path().toStdString() + "/Proj";
        TDocProject project;
        WriteFixtureProject(root, project);
        // kA is the first topic, which the viewer shows when it cannot tell which one is meant.
        project.GetTopic(kD).SetHelpAlias("Settings_Dialog");
        project.GetTopic(kD).SetHelpContextNumber(1010);
        project.GetTopic(kC).SetHelpAlias("child.topic");
        CopyDirectoryTree(PAGEWELL_SOURCE_DIR "/resources/AppFiles/webhelp", root + "/internal/webhelp");
        const TProjectSettings settings = FixtureSettings();
        FSite = QFileInfo(Q(PublishWebHelp(project, &settings))).absolutePath();
    }

    void contextPagesOpenTheirTopic_data() {
        QTest::addColumn<QString>("page");
        QTest::addColumn<QString>("id");
        QTest::newRow("alias page") << "context/settings_dialog.html" << Q(kD);
        QTest::newRow("number page") << "context/1010.html" << Q(kD);
        QTest::newRow("topic outside the contents") << "context/child.topic.html" << Q(kC);
    }
    void contextPagesOpenTheirTopic() {
        QFETCH(QString, page);
        QFETCH(QString, id);
        TViewerHarness v;
        QVERIFY(v.Load(FSite + "/" + page));
        QVERIFY(v.WaitFor("window.__SV_VIEWER.currentId() === '" + id + "'"));
        QVERIFY(v.Js("location.pathname").toString().endsWith("/index.html"));
        QVERIFY(v.WaitFor("document.getElementById('sv-frame').contentWindow.location.href.indexOf('" + id + ".html') >= 0"));
    }

    void aliasFragmentOpensItsTopicIgnoringCase_data() {
        QTest::addColumn<QString>("fragment");
        QTest::addColumn<QString>("id");
        QTest::newRow("as written") << "Settings_Dialog" << Q(kD);
        QTest::newRow("other case") << "SETTINGS_dialog" << Q(kD);
        QTest::newRow("topic id") << Q(kD) << Q(kD);
        QTest::newRow("unknown alias: first topic") << "no_such_alias" << Q(kA);
    }
    void aliasFragmentOpensItsTopicIgnoringCase() {
        QFETCH(QString, fragment);
        QFETCH(QString, id);
        TViewerHarness v;
        QVERIFY(v.Load(FSite + "/index.html", fragment));
        QVERIFY(v.WaitFor("window.__SV_VIEWER.currentId() === '" + id + "'"));
        QVERIFY(v.WaitFor("document.getElementById('sv-frame').contentWindow.location.href.indexOf('" + id + ".html') >= 0"));
        // Going on to another alias in the same page follows it as well.
        v.Js("location.hash = '#child.TOPIC'");
        QVERIFY(v.WaitFor("window.__SV_VIEWER.currentId() === '" + Q(kC) + "'"));
    }
};

QTEST_MAIN(TWebHelpContextTest)
#include "webhelpContext_test.moc"
