// The Index tab of the WebHelp viewer on a published project, in Qt WebEngine from file://:
// loading on first opening, filtering, sub-entries under their main entry, entries with one and
// with several topics, the keyboard and the roles; hidden for a site without index entries.
#include "support/ViewerHarness.h"

#include "publish/WebHelpFixture.h"
#include "uExportWebHelp.h"
#include "uPublishCommon.h"

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>
#include <QTest>

using namespace webhelp_fixture;

namespace {

const std::string kStart(32, '1'), kGuide(32, '2'), kExport(32, '3');

QString Q(const std::string& A) { return QString::fromStdString(A); }

QString JsString(const QString& A) {
    QString s = A;
    s.replace("\\", "\\\\").replace("'", "\\'");
    return "'" + s + "'";
}

}  // namespace

class TWebHelpIndexTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir FDir;
    QString FIndex;

    QString Publish(const std::string& ARoot, TDocProject& AProject) {
        CopyDirectoryTree(PAGEWELL_SOURCE_DIR "/resources/AppFiles/webhelp", ARoot + "/internal/webhelp");
        TProjectSettings settings;
        settings.ProjTitle = AProject.Title();
        return Q(PublishWebHelp(AProject, &settings));
    }

    // Opens the Index tab and waits for its entries.
    void OpenIndex(TViewerHarness& AViewer) {
        AViewer.Js("document.getElementById('sv-tab-index').click()");
        QVERIFY(AViewer.WaitFor("document.querySelectorAll('#sv-index-list li').length > 0"));
    }
    void Filter(TViewerHarness& AViewer, const QString& AText) {
        AViewer.Js("(function(){var f=document.getElementById('sv-index-filter');f.value=" + JsString(AText) +
                   ";f.dispatchEvent(new Event('input'));})()");
    }
    QStringList Rows(TViewerHarness& AViewer, const char* AList = "sv-index-list") {
        return AViewer
            .Js(QString("Array.from(document.querySelectorAll('#%1 li')).map(function(li){"
                        "return (li.classList.contains('sv-index-sub') ? '  ' : '') + li.textContent;})")
                    .arg(AList))
            .toStringList();
    }
    void Key(TViewerHarness& AViewer, const char* AKey) {
        AViewer.Js(QString("document.activeElement.dispatchEvent(new KeyboardEvent('keydown',{key:'%1',bubbles:true,"
                           "cancelable:true}))")
                       .arg(AKey));
    }
    QString Focused(TViewerHarness& AViewer) {
        return AViewer.Js("(function(){var a=document.activeElement;return a.id || a.textContent;})()").toString();
    }
    bool Opens(TViewerHarness& AViewer, const std::string& AID) {
        return AViewer.WaitFor("__SV_VIEWER.currentId() === '" + Q(AID) + "'");
    }

private slots:
    void initTestCase() {
        QVERIFY(FDir.isValid());
        const std::string root = FDir.path().toStdString() + "/Indexed";
        TDocProject project;
        project.SetRootPath(root + "/");
        project.SetTitle("Indexed Help");
        AddFixedTopic(project, kStart, "Getting started").IndexEntries() = {"Printing, margins", "Caf\xC3\xA9"};
        AddFixedTopic(project, kGuide, "Printing guide").IndexEntries() = {"printing, Margins",
                                                                            "\xD0\x81\xD0\xBB\xD0\xBA\xD0\xB0"};  // Ёлка
        AddFixedTopic(project, kExport, "Export").IndexEntries() = {"Options, colours", "Options, fonts"};
        for (const std::string& id : {kStart, kGuide, kExport})
            PutFile(project.TopicHtmlPathFor(id), "<p>Page " + id + "</p>");
        FIndex = Publish(root, project);
        QVERIFY(QFile::exists(FIndex));
    }

    void siteWithoutEntries_hasNoIndexTab() {
        const std::string root = FDir.path().toStdString() + "/Plain";
        TDocProject project;
        WriteFixtureProject(root, project);
        TViewerHarness v;
        QVERIFY(v.Load(Publish(root, project)));
        QCOMPARE(v.Js("document.getElementById('sv-tabs').hidden").toBool(), true);
        QCOMPARE(v.Js("document.getElementById('sv-index').hidden").toBool(), true);
        QCOMPARE(v.Js("typeof window.__SV_INDEX").toString(), QString("undefined"));
    }

    void tab_loadsTheEntriesWhenFirstOpened_inFileOrderWithRoles() {
        TViewerHarness v;
        QVERIFY(v.Load(FIndex));
        QCOMPARE(v.Js("document.getElementById('sv-tabs').hidden").toBool(), false);
        QCOMPARE(v.Js("typeof window.__SV_INDEX").toString(), QString("undefined"));
        QCOMPARE(v.Js("document.getElementById('sv-tabs').getAttribute('role')").toString(), QString("tablist"));
        QCOMPARE(v.Js("Array.from(document.querySelectorAll('#sv-tabs [role=tab]')).map(function(t){return t.textContent;})")
                     .toStringList(),
                 QStringList({"Contents", "Index"}));
        OpenIndex(v);
        QCOMPARE(Rows(v), QStringList({QString::fromUtf8("Café"), "Export", "Getting started", "Options", "  colours",
                                       "  fonts", "Printing", "  margins", "Printing guide", QString::fromUtf8("Ёлка")}));
        QCOMPARE(v.Js("document.getElementById('sv-tab-index').getAttribute('aria-selected')").toString(), QString("true"));
        QCOMPARE(v.Js("document.getElementById('sv-index').getAttribute('role')").toString(), QString("tabpanel"));
        QCOMPARE(v.Js("document.getElementById('sv-index-list').getAttribute('role')").toString(), QString("listbox"));
        QCOMPARE(v.Js("document.querySelectorAll('#sv-index-list li[role=option]').length").toInt(), 10);
        QCOMPARE(v.Js("document.getElementById('sv-toc').offsetParent === null").toBool(), true);
        // A sub-entry tells its main entry to a screen reader.
        QCOMPARE(v.Js("document.querySelectorAll('#sv-index-list li')[7].getAttribute('aria-label')").toString(),
                 QString("Printing, margins"));
        // Back to the contents.
        v.Js("document.getElementById('sv-tab-toc').click()");
        QCOMPARE(v.Js("document.getElementById('sv-toc').offsetParent !== null").toBool(), true);
        QCOMPARE(v.Js("document.getElementById('sv-index').hidden").toBool(), true);
    }

    void filter_isAFoldedPrefixAndShowsSubEntriesUnderTheirMain() {
        TViewerHarness v;
        QVERIFY(v.Load(FIndex));
        OpenIndex(v);
        const struct {
            const char* Typed;
            QStringList Rows;
        } cases[] = {
            {"PRI", {"Printing", "  margins", "Printing guide"}},
            {"marg", {"Printing", "  margins"}},               // a sub-entry under its main entry
            {"cafe", {QString::fromUtf8("Café")}},             // accents folded away
            {"\xD0\xB5\xD0\xbb", {QString::fromUtf8("Ёлка")}},  // "ел" finds Ёлка
            {"printing, M", {"Printing", "  margins"}},
            {"  options ", {"Options", "  colours", "  fonts"}},
            {"ting", {}},                                      // a prefix, not a part
        };
        for (const auto& c : cases) {
            Filter(v, QString::fromUtf8(c.Typed));
            QCOMPARE(Rows(v), c.Rows);
        }
        QVERIFY(!v.Js("document.getElementById('sv-index-status').textContent").toString().isEmpty());
        Filter(v, "");
        QCOMPARE(Rows(v).size(), 10);
    }

    void entryWithOneTopicOpensIt_withSeveralOffersTheirTitles() {
        TViewerHarness v;
        QVERIFY(v.Load(FIndex));
        OpenIndex(v);
        v.Js("document.querySelectorAll('#sv-index-list li')[1].click()");  // Export
        QVERIFY(Opens(v, kExport));
        v.Js("document.querySelectorAll('#sv-index-list li')[7].click()");  // Printing, margins
        QVERIFY(v.WaitFor("!document.getElementById('sv-index-choice').hidden"));
        QCOMPARE(v.Js("document.getElementById('sv-index-choice-label').textContent").toString(),
                 QString::fromUtf8("Topics for “Printing, margins”"));
        QCOMPARE(Rows(v, "sv-index-choice-list"), QStringList({"Getting started", "Printing guide"}));
        QCOMPARE(v.Js("document.getElementById('sv-index-list').hidden").toBool(), true);
        v.Js("document.querySelectorAll('#sv-index-choice-list li')[1].click()");
        QVERIFY(Opens(v, kGuide));
        QVERIFY(v.WaitFor("document.getElementById('sv-frame').contentDocument.body.innerText.indexOf('Page " + Q(kGuide) +
                          "') >= 0"));
    }

    void keyboard_arrowsEnterAndEscape() {
        TViewerHarness v;
        QVERIFY(v.Load(FIndex));
        OpenIndex(v);
        v.Js("document.getElementById('sv-index-filter').focus()");
        Key(v, "ArrowDown");
        QCOMPARE(Focused(v), QString::fromUtf8("Café"));
        QCOMPARE(v.Js("document.activeElement.getAttribute('aria-selected')").toString(), QString("true"));
        Key(v, "ArrowDown");
        Key(v, "ArrowDown");
        Key(v, "ArrowDown");
        QCOMPARE(Focused(v), QString("Options"));
        Key(v, "Enter");  // a main entry that only groups: to its first sub-entry
        QCOMPARE(Focused(v), QString("colours"));
        Key(v, "Enter");
        QVERIFY(Opens(v, kExport));
        Key(v, "End");
        Key(v, "ArrowUp");
        Key(v, "ArrowUp");
        QCOMPARE(Focused(v), QString("margins"));
        Key(v, "Enter");  // two topics: their titles, the first focused
        QCOMPARE(Focused(v), QString("Getting started"));
        Key(v, "Escape");  // back to the entry
        QCOMPARE(Focused(v), QString("margins"));
        QCOMPARE(v.Js("document.getElementById('sv-index-choice').hidden").toBool(), true);
        Key(v, "Enter");
        Key(v, "ArrowDown");
        Key(v, "Enter");
        QVERIFY(Opens(v, kGuide));
        Key(v, "Escape");  // from the titles back to the entry
        Key(v, "Escape");  // from the list to the filter
        QCOMPARE(Focused(v), QString("sv-index-filter"));
        Filter(v, "get");
        Key(v, "Enter");  // the filter opens the first entry shown
        QVERIFY(Opens(v, kStart));
        Key(v, "Escape");  // clears the filter
        QCOMPARE(v.Js("document.getElementById('sv-index-filter').value").toString(), QString());
        QCOMPARE(Rows(v).size(), 10);
        // The tabs: arrows move between them.
        v.Js("document.getElementById('sv-tab-index').focus()");
        Key(v, "ArrowLeft");
        QCOMPARE(Focused(v), QString("sv-tab-toc"));
        QCOMPARE(v.Js("document.getElementById('sv-index').hidden").toBool(), true);
        Key(v, "ArrowRight");
        QCOMPARE(Focused(v), QString("sv-tab-index"));
        QCOMPARE(v.Js("document.getElementById('sv-index').hidden").toBool(), false);
    }

    void searching_showsTheContentsTabAgain() {
        TViewerHarness v;
        QVERIFY(v.Load(FIndex));
        OpenIndex(v);
        v.Js("(function(){var s=document.getElementById('sv-search');s.value='page';s.dispatchEvent(new Event('input'));})()");
        QCOMPARE(v.Js("document.getElementById('sv-index').hidden").toBool(), true);
        QCOMPARE(v.Js("document.getElementById('sv-tab-toc').getAttribute('aria-selected')").toString(), QString("true"));
        QCOMPARE(v.Js("document.getElementById('sv-results').offsetParent !== null").toBool(), true);
    }

    void screenshotOfTheIndexTab() {
        TViewerHarness v(1000, 560);
        QVERIFY(v.Load(FIndex));
        OpenIndex(v);
        v.Js("document.querySelectorAll('#sv-index-list li')[7].focus()");
        const QString out = qEnvironmentVariable("PAGEWELL_SCREENSHOT_DIR", QDir::tempPath()) + "/webhelp-index.png";
        QVERIFY(v.SaveScreenshot(out));
        qInfo("screenshot: %s", qPrintable(out));
    }
};

int main(int argc, char** argv) {
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    TWebHelpIndexTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "webhelpIndex_test.moc"
