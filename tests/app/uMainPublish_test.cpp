// The Publish commands of the main window: each saves what is pending, runs its publisher and
// reports in the status bar (and its notes in a box), opening the result through the prompts.
#include "support/AppTestSupport.h"
#include "support/TScriptedPrompts.h"

#include "uMain.h"
#include "uPdfOutline.h"
#include "uProjectSettings.h"
#include "uStorage.h"

#include <QAction>
#include <QtTest>
#include <memory>

class TestMainPublish : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<TTempAppData> FAppData;
    std::unique_ptr<QTemporaryDir> FWork;

    std::string Work() const { return FWork->path().toStdString(); }

private slots:
    void initTestCase() { SetApplicationExeName("pagewell"); }
    void init() {
        FAppData = std::make_unique<TTempAppData>();
        FWork = std::make_unique<QTemporaryDir>();
    }
    void cleanup() {
        FWork.reset();
        FAppData.reset();
    }

    void publishWebHelp_writesTheSiteReportsAndOpensIt() {
        TScriptedPrompts prompts;
        TfrmMain w(prompts, {});
        const std::string id = w.CurrentTopicID();
        w.UnsavedTopicHtml()[id] = "<p>Hello from the scratch project</p>";
        w.MarkProjectDirty();
        w.PublishWebHelp1->trigger();
        QVERIFY2(prompts.Errors.empty(), prompts.Errors.empty() ? "" : prompts.Errors[0].c_str());
        const std::string out = CombinePath(w.Project().RootPath(), "build/webhelp");
        const std::string index = CombinePath(out, "index.html");
        QCOMPARE(w.StatusText(), QString::fromStdString("WebHelp exported: " + index));
        QCOMPARE(prompts.Opened, std::vector<std::string>({index}));
        QVERIFY(FindText(ReadText(CombinePath(out, "topics/" + id + ".html")), "Hello from the scratch project") !=
                std::string::npos);
        QVERIFY(FindText(ReadText(CombinePath(out, "toc.json")), "Welcome") != std::string::npos);
        // The pending edit is on disk now, but the project is still unsaved.
        QVERIFY(w.ProjectDirty() && w.ProjectFileName().empty());
        w.OpenOutputFolder1->trigger();
        QCOMPARE(prompts.Explored, std::vector<std::string>({CombinePath(w.Project().RootPath(), "build")}));
    }

    void publishChm_savesCompilesReportsAndOpens() {
        const TDiskProject d = MakeDiskProject(Work(), "Guide", "User Guide");
        TScriptedPrompts prompts;
        TfrmMain w(prompts, {QString::fromStdString(d.FileName)});
        w.UnsavedTopicHtml()[d.FirstID] = "<p>Compiled text</p>";
        w.MarkProjectDirty();
        w.PublishChm1->trigger();
        QVERIFY2(prompts.Errors.empty(), prompts.Errors.empty() ? "" : prompts.Errors[0].c_str());
        const std::string chm = CombinePath(d.Root, "build/chm/help.chm");
        QCOMPARE(w.StatusText(), QString::fromStdString("CHM exported: " + chm));
        QCOMPARE(prompts.Opened, std::vector<std::string>({chm}));
        QVERIFY(FileExists(chm));
        // The command saved the project first.
        QVERIFY(!w.ProjectDirty());
        QCOMPARE(ReadText(CombinePath(d.Root, "topics/" + d.FirstID + ".html")), std::string("<p>Compiled text</p>"));
    }

    void publishChm_cyrillicOnlyProjectStillCompilesAndSaysSearchIsMissing() {
        // Not one Latin word on any page (no copyright line either): the compiler's search
        // index has nothing to hold.
        const std::string title = "\u0420\u0443\u043a\u043e\u0432\u043e\u0434\u0441\u0442\u0432\u043e";
        const std::string word = "\u041f\u0440\u0438\u0432\u0435\u0442";
        const std::string file = CombinePath(Work(), "Ru.svp");
        const std::string root = CombinePath(Work(), "Ru");
        TDocProject p;
        p.SetRootPath(IncludeTrailingPathDelimiter(root));
        p.SetTitle(title);
        TTopic& topic = p.AddTopic(word, "");
        WriteUtf8File(topic.HtmlPath(), "<p>" + word + "</p>");
        SaveProjectFile(file, p);
        TProjectSettings settings;
        settings.ProjTitle = title;
        settings.CopyrightEnabled = false;
        settings.SaveToFile(TProjectSettings::DefaultSettingsPathForProject(root));

        TScriptedPrompts prompts;
        TfrmMain w(prompts, {QString::fromStdString(file)});
        w.PublishChm1->trigger();
        QVERIFY2(prompts.Errors.empty(), prompts.Errors.empty() ? "" : prompts.Errors[0].c_str());
        const std::string chm = CombinePath(root, "build/chm/help.chm");
        QCOMPARE(w.StatusText(), QString::fromStdString("CHM exported: " + chm));
        QCOMPARE(prompts.Infos.size(), size_t(1));
        QVERIFY2(FindText(prompts.Infos[0], "without full-text search") != std::string::npos, prompts.Infos[0].c_str());
        QCOMPARE(prompts.Opened, std::vector<std::string>({chm}));
    }

    void publishChm_failureIsShownInItsOwnWords() {
        const TDiskProject d = MakeDiskProject(Work(), "Guide", "User Guide");
        TScriptedPrompts prompts;
        TfrmMain w(prompts, {QString::fromStdString(d.FileName)});
        for (TTopic& t : w.Project().Topics())
            t.SetExcludeChm(true);
        w.PublishChm1->trigger();
        QCOMPARE(prompts.Errors.size(), size_t(1));
        QVERIFY2(StartsWith(prompts.Errors[0], "CHM export failed: "), prompts.Errors[0].c_str());
        QCOMPARE(w.StatusText(), QString("Saved"));  // from the save before the export, nothing after it
        QVERIFY(prompts.Opened.empty());
    }

    void publishPdf_writesTheManualAndOpensBoth() {
        // No browser on PATH: the program's own printer beside the executable prints, if built.
        QTemporaryDir emptyPath;
        const QByteArray oldPath = qgetenv("PATH");
        qputenv("PATH", emptyPath.path().toUtf8());
        const TDiskProject d = MakeDiskProject(Work(), "Guide", "User Guide");
        TScriptedPrompts prompts;
        TfrmMain w(prompts, {QString::fromStdString(d.FileName)});
        // A pending edit that hides the first heading in print: its bookmark cannot find it.
        w.UnsavedTopicHtml()[d.FirstID] = "<style>h1 { display: none }</style><p>opening words</p>";
        w.MarkProjectDirty();
        w.PublishPdf1->trigger();
        qputenv("PATH", oldPath);
        const std::string folder = CombinePath(d.Root, "build/pdf");
        const std::string manual = CombinePath(folder, "manual.html");
        if (FileExists(CombinePath(TfrmMain::ApplicationFolder(), "pagewell-pdf"))) {
            QVERIFY(FindText(ReadText(manual), "opening words") != std::string::npos);
            QVERIFY2(prompts.Errors.empty(), prompts.Errors.empty() ? "" : prompts.Errors[0].c_str());
            QCOMPARE(prompts.Infos, std::vector<std::string>({UnresolvedBookmarksNote(1)}));
            QCOMPARE(w.StatusText(), QString::fromStdString("Manual HTML exported: " + manual));
            QCOMPARE(prompts.Opened, std::vector<std::string>({CombinePath(folder, "manual.pdf"), manual}));
        } else {
            QCOMPARE(prompts.Errors, std::vector<std::string>({"Microsoft Edge not found."}));
            QVERIFY(prompts.Opened.empty());
            QVERIFY(!FileExists(manual));  // a failed run leaves no half output
        }
    }
};

QTEST_MAIN(TestMainPublish)
#include "uMainPublish_test.moc"
