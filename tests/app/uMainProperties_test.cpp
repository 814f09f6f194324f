// The Properties page beside the editor: keywords and index entries as lines, the exclusions
// reaching the publications, Apply, values typed without Apply kept at a topic switch and at
// Save, and the style profile list (sorted, refilled for every project, set only by the author).
#include "support/WindowTestSupport.h"

#include "uExportWebHelp.h"
#include "uFrmProjectSettings.h"
#include "uMain.h"
#include "uTopicPropertiesPage.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QtTest>
#include <memory>

class TestMainProperties : public QObject, public TWindowFixture {
    Q_OBJECT

    void Start(const std::string& AFileName) {
        OpenWindowOn(AFileName, 1000, 700);
        W->Properties1->trigger();
        QVERIFY(W->pcRight->isVisible());
    }
    void Open(const std::vector<std::pair<std::string, std::string>>& ATopics) {
        T = MakeTreeProject(FAppData->Path(), ATopics);
        Start(T.FileName);
    }
    TTopicPropertiesPage& Page() { return *W->tsProperties; }
    void Select(const std::string& ATitle) { W->SelectTopicNode(T.Ids.at(ATitle)); }
    // Real key presses into a line list: each line followed by Return except the last.
    void TypeLines(QPlainTextEdit* ABox, const QStringList& ALines) {
        ABox->setFocus();
        for (int i = 0; i < ALines.size(); ++i) {
            QTest::keyClicks(ABox, ALines[i]);
            if (i + 1 < ALines.size())
                QTest::keyClick(ABox, Qt::Key_Return);
        }
    }
    std::unique_ptr<TDocProject> OnDisk() {
        auto p = std::make_unique<TDocProject>();
        LoadProjectFolder(T.Root, *p);
        return p;
    }

private slots:
    void init() { InitWindow(); }
    void cleanup() { CleanupWindow(); }

    void keywords_blankAndEmptyLinesStoreTwo_andPublishingListsThem() {
        Open({{"A", ""}, {"B", ""}});
        Select("A");
        TypeLines(Page().memKeywords, {"  alpha  ", "", " beta"});
        TypeLines(Page().memIndex, {"entry one", "entry one"});
        Page().btnApplyProps->click();
        QCOMPARE(W->StatusText(), QString("Properties saved"));
        const TTopic a = OnDisk()->GetTopic(T.Ids["A"]);  // saved at once
        QCOMPARE(a.Keywords(), std::vector<std::string>({"alpha", "beta"}));
        QCOMPARE(a.IndexEntries(), std::vector<std::string>({"entry one", "entry one"}));
        Select("B");
        QCOMPARE(Page().memKeywords->toPlainText(), QString());
        Select("A");
        QCOMPARE(Page().memKeywords->toPlainText(), QString("alpha\nbeta"));

        W->PublishWebHelp1->trigger();
        const std::string search = ReadText(CombinePath(WebHelpOutputRoot(W->Project()), "search.json"));
        QVERIFY2(search.find("\"keywords\":\"alpha beta\"") != std::string::npos, search.c_str());
    }

    void exclusions_typedWithoutApplyAreStoredAtTheSwitch_andWebHelpLeavesTheTopicOut() {
        Open({{"A", ""}, {"B", ""}, {"C", "B"}});
        Select("B");
        QVERIFY(!W->ProjectDirty());
        Page().chkExcludeWeb->click();
        QVERIFY(W->ProjectDirty());  // so closing asks before anything typed here is lost
        Select("A");                 // no Apply: the switch stores the page
        QVERIFY(W->Project().GetTopic(T.Ids["B"]).ExcludeWeb());
        QVERIFY(OnDisk()->GetTopic(T.Ids["B"]).ExcludeWeb());
        QVERIFY(!OnDisk()->GetTopic(T.Ids["B"]).ExcludeChm());

        W->PublishWebHelp1->trigger();
        const std::string out = WebHelpOutputRoot(W->Project());
        QVERIFY(FileExists(CombinePath(out, "topics/" + TopicPageFileName(T.Ids["A"]))));
        QVERIFY(!FileExists(CombinePath(out, "topics/" + TopicPageFileName(T.Ids["B"]))));
        QCOMPARE(ReadText(CombinePath(out, "toc.json")).find(T.Ids["B"]), std::string::npos);

        // Typed and saved without Apply or a switch: Save stores it.
        Select("C");
        TypeLines(Page().memKeywords, {"gamma"});
        W->btnSaveClick();
        QCOMPARE(OnDisk()->GetTopic(T.Ids["C"]).Keywords(), std::vector<std::string>({"gamma"}));
        QVERIFY(!W->ProjectDirty());
    }

    void typedWithoutApply_isDroppedWhenTheAuthorDeclinesToSave() {
        Open({{"A", ""}});
        TypeLines(Page().memKeywords, {"unsaved"});
        QVERIFY(W->ProjectDirty());
        FPrompts->ConfirmAnswers = {TConfirmAnswer::No};
        FPrompts->OpenAnswers = {T.FileName};  // the same project again
        W->btnOpenProjectClick();
        QVERIFY(W->Project().GetTopic(T.Ids["A"]).Keywords().empty());
        QVERIFY(OnDisk()->GetTopic(T.Ids["A"]).Keywords().empty());
        QCOMPARE(Page().memKeywords->toPlainText(), QString());
    }

    void apply_withNoTopicSelected_storesNothingAndStillReports() {
        Open({{"A", ""}});
        const std::string tree = ReadText(T.Root + "meta/topics.json");
        W->tvToc->setCurrentItem(nullptr);
        TypeLines(Page().memKeywords, {"stray"});
        Page().btnApplyProps->click();
        QCOMPARE(W->StatusText(), QString("Properties saved"));
        QVERIFY(W->Project().GetTopic(T.Ids["A"]).Keywords().empty());
        QCOMPARE(ReadText(T.Root + "meta/topics.json"), tree);
    }

    void styleProfileNames_data() {
        QTest::addColumn<QStringList>("files");  // "" for no styles folder at all
        QTest::addColumn<QStringList>("names");
        QTest::newRow("no folder") << QStringList() << QStringList{"default"};
        QTest::newRow("empty folder") << QStringList{""} << QStringList{"default"};
        QTest::newRow("sheets, sorted, others ignored")
            << QStringList{"print.css", "Blue.css", "notes.txt", "sub/inner.css", "Wide.CSS"}
            << QStringList{"Blue", "print", "Wide"};
    }
    void styleProfileNames() {
        QFETCH(QStringList, files);
        QFETCH(QStringList, names);
        const std::string root = CombinePath(FAppData->Path(), "P");
        EnsureDir(root);
        for (const QString& f : files) {
            const std::string path = CombinePath(root, "styles/" + f.toStdString());
            if (f.isEmpty())
                EnsureDir(path);
            else {
                EnsureDir(ExtractFileDir(path));
                WriteUtf8File(path, "body{}");
            }
        }
        QStringList got;
        for (const std::string& n : StyleProfileNames(root))
            got << QString::fromStdString(n);
        QCOMPARE(got, names);
    }

    void styleList_refilledForEveryProject_andSetOnlyByTheAuthorsChoice() {
        T = MakeTreeProject(FAppData->Path(), {{"A", ""}});
        WriteUtf8File(T.Root + "styles/Blue.css", "body{color:blue}");
        WriteUtf8File(T.Root + "styles/print.css", "body{color:black}");
        {
            TDocProject p;
            LoadProjectFolder(T.Root, p);
            p.SetStyleProfile("missing");  // a sheet the folder does not have
            SaveProjectFolder(p);
        }
        Start(T.FileName);
        QComboBox* box = Page().cbStyle;
        QCOMPARE(Page().StyleNames(), std::vector<std::string>({"Blue", "default", "print"}));
        QCOMPARE(box->currentText(), QString("Blue"));  // the first entry
        QCOMPARE(W->Project().StyleProfile(), std::string("missing"));
        QCOMPARE(OnDisk()->StyleProfile(), std::string("missing"));

        // Free text selects no entry and changes nothing.
        box->setFocus();
        box->lineEdit()->selectAll();
        QTest::keyClicks(box, "Nothing");
        QTest::keyClick(box, Qt::Key_Return);
        QCOMPARE(W->Project().StyleProfile(), std::string("missing"));

        // The author picks an entry (keyboard): the profile is set and saved at once.
        box->setCurrentIndex(0);
        QTest::keyClick(box, Qt::Key_Down);
        QCOMPARE(box->currentText(), QString("default"));
        QCOMPARE(W->Project().StyleProfile(), std::string("default"));
        QCOMPARE(OnDisk()->StyleProfile(), std::string("default"));
        QCOMPARE(W->StatusText(), QString("Style set: default"));
        QVERIFY(FileExists(T.Root + "internal/editor/editor_effective.css"));

        // Another project brings its own sheets; the previous project's are gone.
        const TTreeProject other = MakeTreeProject(CombinePath(FAppData->Path(), "other"), {{"X", ""}});
        FPrompts->OpenAnswers = {other.FileName};
        W->btnOpenProjectClick();
        QCOMPARE(Page().StyleNames(), std::vector<std::string>({"default"}));
        QCOMPARE(W->Project().StyleProfile(), std::string("default"));
        // And so does a new project.
        WriteUtf8File(CombinePath(other.Root, "styles/Dark.css"), "body{}");
        FPrompts->OpenAnswers = {other.FileName};
        W->btnOpenProjectClick();
        QCOMPARE(Page().StyleNames(), std::vector<std::string>({"Dark", "default"}));
        // New Project ends in the project settings dialog: cancel it.
        QTimer closer;
        connect(&closer, &QTimer::timeout, this, [] {
            if (auto* d = qobject_cast<TfrmProjectSettings*>(QApplication::activeModalWidget()))
                d->reject();
        });
        closer.start(20);
        W->btnNewProjectClick();
        closer.stop();
        QCOMPARE(Page().StyleNames(), std::vector<std::string>({"default"}));
    }

    void page_controlsHaveNamesAndLabels() {
        Open({{"A", ""}});
        QCOMPARE(W->pcRight->tabText(0), QString("Properties"));
        QCOMPARE(Page().lblKeywords->buddy(), static_cast<QWidget*>(Page().memKeywords));
        QCOMPARE(Page().lblIndex->buddy(), static_cast<QWidget*>(Page().memIndex));
        QCOMPARE(Page().lblStyle->buddy(), static_cast<QWidget*>(Page().cbStyle));
        for (QWidget* w : std::initializer_list<QWidget*>{Page().memKeywords, Page().memIndex, Page().cbStyle})
            QVERIFY(!w->accessibleName().isEmpty());
        // The hint under the index box, shown and told to screen readers.
        const QString hint = "One entry per line; 'Main, sub' makes a sub-entry.";
        QCOMPARE(Page().lblIndexHint->text(), hint);
        QCOMPARE(Page().memIndex->accessibleDescription(), hint);
        QVERIFY(Page().lblIndexHint->geometry().top() >= Page().memIndex->geometry().bottom());
        QVERIFY(Page().lblIndexHint->geometry().bottom() <= Page().chkExcludeWeb->geometry().top());
    }
};

QTEST_MAIN(TestMainProperties)
#include "uMainProperties_test.moc"
