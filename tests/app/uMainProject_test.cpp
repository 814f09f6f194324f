// Start-up and the project commands of the main window: scratch project, New, Open, Save,
// Save As, the modified prompt and the caption, with every dialog answered by a script.
#include "support/AppTestSupport.h"
#include "support/TScriptedPrompts.h"

#include "common/TUnreadablePath.h"

#include "uContextIds.h"
#include "uJson.h"
#include "uFrmProjectSettings.h"
#include "uMain.h"
#include "uStorage.h"
#include "uTopicPropertiesPage.h"

#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QToolButton>
#include <QTreeWidget>
#include <QtTest>
#include <filesystem>
#include <memory>

namespace fs = std::filesystem;

namespace {

QStringList TreeTitles(const QTreeWidget* ATree) {
    QStringList out;
    for (QTreeWidgetItemIterator it(const_cast<QTreeWidget*>(ATree)); *it; ++it)
        out << QString(int(ATree->indexFromItem(*it).parent().isValid()) * 2, ' ') + (*it)->text(0);
    return out;
}

std::string JsonMemberText(const std::string& AFile, const char* AName) {
    TJson j;
    if (!JsonTryParse(ReadText(AFile), j))
        return "<invalid>";
    return JsonText(JsonMember(j, AName));
}

}  // namespace

class TestMainProject : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<TTempAppData> FAppData;
    std::unique_ptr<QTemporaryDir> FWork;

    std::string Work(const std::string& ARel = "") const {
        return ARel.empty() ? FWork->path().toStdString() : CombinePath(FWork->path().toStdString(), ARel);
    }
    static std::string Scratch() { return TfrmMain::ScratchRoot(); }

private slots:
    void initTestCase() {
        SetApplicationExeName("pagewell");
        // New Project ends in the project settings dialog; these tests cancel it.
        auto* closer = new QTimer(this);
        connect(closer, &QTimer::timeout, this, [] {
            if (auto* d = qobject_cast<TfrmProjectSettings*>(QApplication::activeModalWidget()))
                d->reject();
        });
        closer->start(20);
    }
    void init() {
        FAppData = std::make_unique<TTempAppData>();
        FWork = std::make_unique<QTemporaryDir>();
    }
    void cleanup() {
        FWork.reset();
        FAppData.reset();
    }

    void startWithoutArguments_givesFreshScratchProjectWithWelcome() {
        // A leftover of an earlier run is removed with the scratch root.
        WriteUtf8File(CombinePath(Scratch(), "topics/OLD.html"), "old");
        TScriptedPrompts prompts;
        TfrmMain w(prompts, {});
        QCOMPARE(TreeTitles(w.tvToc), QStringList({"Welcome"}));
        QCOMPARE(w.windowTitle(), QString("Pagewell - Untitled Documentation"));
        QVERIFY(!w.btnSave->isEnabled() && !w.Save1->isEnabled() && w.SaveAs1->isEnabled());
        QVERIFY(w.ProjectFileName().empty());
        QCOMPARE(w.Project().RootPath(), Scratch());
        QCOMPARE(w.CurrentTopicID(), w.Project().RootTopicIDs().front());
        QVERIFY(!FileExists(CombinePath(Scratch(), "topics/OLD.html")));
        for (const char* f : {"topics", "meta", "assets/images", "build", "styles", "internal/editor", "internal/webhelp"})
            QVERIFY2(DirectoryExists(CombinePath(Scratch(), f)), f);
        QVERIFY(FileExists(CombinePath(Scratch(), "meta/project_settings.json")));
        // The application files are installed from the folder beside the executable.
        if (FileExists(CombinePath(TfrmMain::ApplicationFolder(), "AppFiles/webhelp/app.html")))
            QVERIFY(FileExists(CombinePath(Scratch(), "internal/webhelp/app.html")));
        QVERIFY(prompts.Errors.empty() && prompts.Unexpected.empty());
    }

    void change_marksCaptionAndSave_andSaveClearsThem() {
        TScriptedPrompts prompts;
        TfrmMain w(prompts, {});
        w.MarkProjectDirty();
        QCOMPARE(w.windowTitle(), QString("Pagewell* - Untitled Documentation"));
        QVERIFY(w.btnSave->isEnabled() && w.Save1->isEnabled());
        const std::string file = Work("Docs/Guide.svp");
        fs::create_directories(Work("Docs"));
        prompts.SaveAnswers.push_back(file);
        w.Save1->trigger();
        QCOMPARE(w.windowTitle(), QString::fromStdString("Pagewell - Untitled Documentation [" + file + "]"));
        QVERIFY(!w.btnSave->isEnabled());
        w.MarkProjectDirty();
        w.Save1->trigger();  // with a file name: no dialog
        QCOMPARE(w.StatusText(), QString("Saved"));
        QCOMPARE(w.windowTitle(), QString::fromStdString("Pagewell - Untitled Documentation [" + file + "]"));
        QCOMPARE(prompts.SaveProposals.size(), size_t(1));
        QVERIFY(prompts.Unexpected.empty());
    }

    void saveInScratchState_goesOnToSaveAs_andCancelKeepsItUnsaved() {
        TScriptedPrompts prompts;
        TfrmMain w(prompts, {});
        const std::string id = w.CurrentTopicID();
        w.UnsavedTopicHtml()[id] = "<p>typed</p>";
        w.MarkProjectDirty();
        prompts.SaveAnswers.push_back(std::nullopt);
        w.btnSave->click();
        QCOMPARE(prompts.SaveProposals, std::vector<std::string>({"Untitled.svp"}));
        QVERIFY(w.ProjectDirty() && w.ProjectFileName().empty());
        // The scratch root already holds what was saved so far.
        QVERIFY(FileExists(CombinePath(Scratch(), "project.json")));
        QVERIFY(FindText(ReadText(CombinePath(Scratch(), "meta/topics.json")), id) != std::string::npos);
        QCOMPARE(ReadText(CombinePath(Scratch(), "topics/" + id + ".html")), std::string("<p>typed</p>"));
    }

    void saveAs_copiesScratchRootWithoutBuildAndProjectFiles() {
        TScriptedPrompts prompts;
        TfrmMain w(prompts, {});
        const std::string id = w.CurrentTopicID();
        WriteUtf8File(CombinePath(Scratch(), "build/webhelp/index.html"), "published");
        WriteUtf8File(CombinePath(Scratch(), "Stray.svp"), "{}");
        WriteUtf8File(CombinePath(Scratch(), "assets/images/pic.png"), "png");
        w.UnsavedTopicHtml()[id] = "<p>kept</p>";
        w.MarkProjectDirty();
        fs::create_directories(Work("Out"));
        const std::string file = Work("Out/Manual.svp");
        prompts.SaveAnswers.push_back(file);
        w.SaveAs1->trigger();

        const std::string root = Work("Out/Manual");
        QCOMPARE(w.Project().RootPath(), root + "/");
        QCOMPARE(ReadText(CombinePath(root, "topics/" + id + ".html")), std::string("<p>kept</p>"));
        QCOMPARE(w.Project().GetTopic(id).HtmlPath(), CombinePath(root, "topics/" + id + ".html"));
        QVERIFY(FileExists(CombinePath(root, "assets/images/pic.png")));
        QVERIFY(FileExists(CombinePath(root, "meta/topics.json")) && FileExists(CombinePath(root, "project.json")));
        QVERIFY(!FileExists(CombinePath(root, "build/webhelp/index.html")));
        QVERIFY(!FileExists(CombinePath(root, "Stray.svp")));
        QVERIFY(StartsWith(ReadFileBytes(file), "\xEF\xBB\xBF"));
        QCOMPARE(JsonMemberText(file, "root"), root);
        QCOMPARE(ReadText(LastProjectFilePath()), file);
        QVERIFY(w.windowTitle().endsWith(QString::fromStdString(" [" + file + "]")));
        QCOMPARE(w.StatusText(), QString("Saved As"));
        QVERIFY(!w.ProjectDirty());
        // The scratch root is left as it was.
        QVERIFY(FileExists(CombinePath(Scratch(), "build/webhelp/index.html")));

        // Save As onto its own name copies nothing and saves in place.
        WriteUtf8File(CombinePath(root, "build/out.txt"), "x");
        prompts.SaveAnswers.push_back(file);
        w.SaveAs1->trigger();
        QCOMPARE(w.Project().RootPath(), root + "/");
        QVERIFY(FileExists(CombinePath(root, "build/out.txt")));
        QVERIFY(prompts.Errors.empty() && prompts.Unexpected.empty());
    }

    void saveAsOfTheScratchProject_carriesTheHelpContextIds() {
        TScriptedPrompts prompts;
        TfrmMain w(prompts, {});
        const std::string id = w.CurrentTopicID();
        w.Project().GetTopic(id).SetHelpAlias("welcome");
        w.Project().GetTopic(id).SetHelpContextNumber(1000);
        w.MarkProjectDirty();
        fs::create_directories(Work("Out"));
        prompts.SaveAnswers.push_back(Work("Out/Ids.svp"));
        w.SaveAs1->trigger();
        QCOMPARE(ReadText(ContextIdsFilePath(Work("Out/Ids"))),
                 R"({"topics":[{"id":")" + id + R"(","alias":"welcome","number":1000}]})");
        QVERIFY(prompts.Errors.empty() && prompts.Unexpected.empty());
    }

    void openWithAnUnreadableContextIdsFile_setsItAsideWithAWarning() {
        const TDiskProject d = MakeDiskProject(Work(), "Guide", "User Guide");
        const std::string file = ContextIdsFilePath(d.Root);
        WriteUtf8File(file, R"({"topics":[{"id":")" + d.FirstID + R"(","number":12}]})");
        TScriptedPrompts prompts;
        TfrmMain w(prompts, {});
        prompts.OpenAnswers.push_back(d.FileName);
        w.OpenProject1->trigger();
        QCOMPARE(w.ProjectFileName(), d.FileName);
        QVERIFY(!FileExists(file));
        QCOMPARE(ReadText(file + ".unreadable-1"), R"({"topics":[{"id":")" + d.FirstID + R"(","number":12}]})");
        QCOMPARE(int(prompts.Infos.size()), 1);
        QVERIFY(prompts.Infos[0].find(file) != std::string::npos);
        QVERIFY(prompts.Infos[0].find("A help context number needs a help alias.") != std::string::npos);
        QVERIFY(prompts.Infos[0].find(file + ".unreadable-1") != std::string::npos);
        QCOMPARE(w.Project().GetTopic(d.FirstID).HelpContextNumber(), 0u);
        // The project goes on without ids: new ones are saved as usual.
        QCOMPARE(w.CurrentTopicID(), d.FirstID);
        w.tsProperties->edtHelpAlias->setText("intro");
        w.btnSave->click();
        QVERIFY(ReadText(file).find("intro") != std::string::npos);
        QVERIFY(FileExists(file + ".unreadable-1"));
        QVERIFY(prompts.Errors.empty());
    }

    void saveAsWithAnUnreadableFolder_failsNamingIt_andTheProjectStays() {
        TScriptedPrompts prompts;
        TfrmMain w(prompts, {});
        const std::string id = w.CurrentTopicID();
        WriteUtf8File(CombinePath(Scratch(), "assets/images/pic.png"), "png");
        w.UnsavedTopicHtml()[id] = "<p>kept</p>";
        w.MarkProjectDirty();
        fs::create_directories(Work("Out"));
        const std::string file = Work("Out/Manual.svp");
        prompts.SaveAnswers.push_back(file);
        const std::string images = CombinePath(Scratch(), "assets/images");
        {
            TUnreadablePath unreadable(images);
            w.SaveAs1->trigger();
        }
        QCOMPARE(prompts.Errors.size(), size_t(1));
        QVERIFY2(FindText(prompts.Errors[0], "\"" + images + "\"") != std::string::npos, prompts.Errors[0].c_str());
        QCOMPARE(w.Project().RootPath(), Scratch());
        QVERIFY(w.ProjectFileName().empty() && w.ProjectDirty());
        QCOMPARE(w.UnsavedTopicHtml()[id], std::string("<p>kept</p>"));
        QVERIFY(!FileExists(file) && !FileExists(LastProjectFilePath()));
        QVERIFY(w.StatusText() != QString("Saved As"));
    }

    void saveAs_rejectsNamesOutsideTheRules_data() {
        QTest::addColumn<QString>("name");
        QTest::newRow("json extension") << "Manual.json";
        QTest::newRow("no extension") << "Manual";
        QTest::newRow("svp in the folder name only") << "Manual.svp/x.txt";
    }
    void saveAs_rejectsNamesOutsideTheRules() {
        QFETCH(QString, name);
        TScriptedPrompts prompts;
        TfrmMain w(prompts, {});
        const std::string file = Work(name.toStdString());
        prompts.SaveAnswers.push_back(file);
        w.SaveAs1->trigger();
        QCOMPARE(prompts.Errors, std::vector<std::string>({"Invalid project filename: " + file + "."}));
        QVERIFY(w.ProjectFileName().empty());
        QVERIFY(!fs::exists(fs::path(file)));
        QVERIFY(!fs::exists(fs::path(Work(FileNameWithoutExt(file)))));
        QVERIFY(!FileExists(LastProjectFilePath()));
    }

    void saveAs_intoAFolderInsideTheProjectRoot_isRefused() {
        TScriptedPrompts prompts;
        TfrmMain w(prompts, {});
        const std::string file = CombinePath(Scratch(), "Inner.svp");
        prompts.SaveAnswers.push_back(file);
        w.SaveAs1->trigger();
        QCOMPARE(prompts.Errors.size(), size_t(1));
        QVERIFY(StartsWith(prompts.Errors[0], "Cannot save the project inside its own folder"));
        QVERIFY(!DirectoryExists(CombinePath(Scratch(), "Inner")));
        QVERIFY(w.ProjectFileName().empty());
    }

    void startupProjectChoice_data() {
        QTest::addColumn<QString>("argument");  // %1 stands for the argument project's file
        QTest::addColumn<bool>("opensArgument");
        QTest::newRow("project file") << "%1" << true;
        QTest::newRow("stray quote before the path") << "\"%1" << true;
        QTest::newRow("quoted path with blanks around") << "  \"%1\"  " << true;
        QTest::newRow("text file") << "%T" << false;
        QTest::newRow("missing project file") << "%M" << false;
    }
    void startupProjectChoice() {
        QFETCH(QString, argument);
        QFETCH(bool, opensArgument);
        const TDiskProject arg = MakeDiskProject(Work(), "Arg", "Argument Project");
        const TDiskProject last = MakeDiskProject(Work(), "Last", "Last Project");
        WriteUtf8File(LastProjectFilePath(), "  " + last.FileName + "\r\n");
        WriteUtf8File(Work("notes.txt"), "hello");
        QString a = argument;
        a.replace("%1", QString::fromStdString(arg.FileName))
            .replace("%T", QString::fromStdString(Work("notes.txt")))
            .replace("%M", QString::fromStdString(Work("Missing.svp")));
        TScriptedPrompts prompts;
        TfrmMain w(prompts, {a});
        const TDiskProject& expected = opensArgument ? arg : last;
        QCOMPARE(w.ProjectFileName(), expected.FileName);
        QCOMPARE(TreeTitles(w.tvToc), QStringList({"Intro", "  Details"}));
        QCOMPARE(w.CurrentTopicID(), expected.FirstID);
        QVERIFY(prompts.Errors.empty());
    }

    void startupWhoseProjectFailsToOpen_showsErrorAndGoesOnWithScratch() {
        fs::create_directories(Work("Bad"));
        WriteUtf8File(Work("Bad.svp"), "{not json");
        WriteUtf8File(LastProjectFilePath(), Work("Bad.svp"));
        TScriptedPrompts prompts;
        TfrmMain w(prompts, {});
        QCOMPARE(prompts.Errors, std::vector<std::string>({"Invalid project file: " + Work("Bad.svp") + "."}));
        QCOMPARE(TreeTitles(w.tvToc), QStringList({"Welcome"}));
        QCOMPARE(w.windowTitle(), QString("Pagewell - Untitled Documentation"));
        QVERIFY(w.ProjectFileName().empty());
        QCOMPARE(w.Project().RootPath(), Scratch());
    }

    void openRoundTrip_throughTheDialog() {
        const TDiskProject d = MakeDiskProject(Work(), "Guide", "User Guide");
        TScriptedPrompts prompts;
        TfrmMain w(prompts, {});
        prompts.OpenAnswers.push_back(d.FileName);
        w.OpenProject1->trigger();
        QCOMPARE(w.ProjectFileName(), d.FileName);
        QCOMPARE(w.Project().RootPath(), d.Root + "/");
        QCOMPARE(TreeTitles(w.tvToc), QStringList({"Intro", "  Details"}));
        // The project had no settings file: the defaults are written, with the stored title.
        QCOMPARE(w.windowTitle(), QString::fromStdString("Pagewell - User Guide [" + d.FileName + "]"));
        QCOMPARE(JsonMemberText(CombinePath(d.Root, "meta/project_settings.json"), "ProjTitle"), std::string("User Guide"));
        QCOMPARE(ReadText(LastProjectFilePath()), d.FileName);
        QVERIFY(FileExists(CombinePath(d.Root, "meta/project_settings.json")));
        // Edit, save, and the next window reads it back.
        w.UnsavedTopicHtml()[d.FirstID] = "<p>changed</p>";
        w.MarkProjectDirty();
        w.btnSave->click();
        QCOMPARE(ReadText(CombinePath(d.Root, "topics/" + d.FirstID + ".html")), std::string("<p>changed</p>"));
        TScriptedPrompts prompts2;
        TfrmMain w2(prompts2, {});
        QCOMPARE(w2.ProjectFileName(), d.FileName);
        QCOMPARE(TreeTitles(w2.tvToc), QStringList({"Intro", "  Details"}));
        QVERIFY(prompts.Unexpected.empty() && prompts2.Errors.empty());
    }

    void openedSettings_takeTheirTitle_andMissingKeysTheDefaults() {
        const TDiskProject a = MakeDiskProject(Work(), "A", "Project A");
        const TDiskProject b = MakeDiskProject(Work(), "B", "Project B");
        WriteUtf8File(CombinePath(a.Root, "meta/project_settings.json"), "{\"ProjTitle\":\"Alpha\",\"FontSizeBody\":22}");
        WriteUtf8File(CombinePath(b.Root, "meta/project_settings.json"), "{\"ProjTitle\":\"Beta\"}");
        TScriptedPrompts prompts;
        TfrmMain w(prompts, {QString::fromStdString(a.FileName)});
        QCOMPARE(w.Settings().FontSizeBody, 22);
        QVERIFY(w.windowTitle().startsWith("Pagewell - Alpha ["));
        prompts.OpenAnswers.push_back(b.FileName);
        w.OpenProject1->trigger();
        QVERIFY(w.windowTitle().startsWith("Pagewell - Beta ["));
        // Nothing of project A's settings carries over into B.
        QCOMPARE(w.Settings().FontSizeBody, 16);
        QVERIFY(prompts.Errors.empty());
    }

    void openProjectWithoutRootTopics_addsAndSavesWelcome() {
        const std::string file = Work("Empty.svp");
        TDocProject p;
        p.SetRootPath(Work("Empty/"));
        p.SetTitle("");
        SaveProjectFile(file, p);
        TScriptedPrompts prompts;
        TfrmMain w(prompts, {QString::fromStdString(file)});
        QCOMPARE(TreeTitles(w.tvToc), QStringList({"Welcome"}));
        const std::string id = w.Project().RootTopicIDs().front();
        QCOMPARE(ReadText(CombinePath(Work("Empty"), "topics/" + id + ".html")), w.NewTopicHtml());
        QVERIFY(FindText(ReadText(Work("Empty/meta/topics.json")), id) != std::string::npos);
        QCOMPARE(JsonMemberText(Work("Empty/project.json"), "title"), std::string("Empty"));
        QVERIFY(!w.ProjectDirty());
    }

    void failedOpen_keepsTheProjectFileNameAndTree_data() {
        QTest::addColumn<QString>("kind");
        QTest::newRow("missing project file") << "missing";
        QTest::newRow("project file not JSON") << "invalid";
        QTest::newRow("tree file of the wrong shape") << "tree";
        QTest::newRow("duplicate topic ids") << "duplicate";
    }
    void failedOpen_keepsTheProjectFileNameAndTree() {
        QFETCH(QString, kind);
        const TDiskProject a = MakeDiskProject(Work(), "A", "Project A");
        std::string bFile = Work("B.svp");
        if (kind == "invalid") {
            WriteUtf8File(bFile, "{\"title\":");
        } else if (kind != "missing") {
            const TDiskProject b = MakeDiskProject(Work(), "B", "Project B");
            const std::string tree = CombinePath(b.Root, "meta/topics.json");
            if (kind == "tree")
                WriteUtf8File(tree, "{\"rootTopicIds\":[],\"topics\":\"x\"}");
            else
                WriteUtf8File(tree, "{\"rootTopicIds\":[\"X\"],\"topics\":[{\"id\":\"X\"},{\"id\":\"X\"}]}");
        }
        const std::string bTreeBefore = ReadText(Work("B/meta/topics.json"));

        TScriptedPrompts prompts;
        TfrmMain w(prompts, {QString::fromStdString(a.FileName)});
        w.UnsavedTopicHtml()[a.FirstID] = "<p>A edits</p>";
        w.MarkProjectDirty();
        const QString captionBefore = w.windowTitle();
        prompts.ConfirmAnswers.push_back(TConfirmAnswer::No);
        prompts.OpenAnswers.push_back(bFile);
        w.OpenProject1->trigger();

        QCOMPARE(prompts.Errors.size(), size_t(1));
        QCOMPARE(w.ProjectFileName(), a.FileName);
        QCOMPARE(w.Project().RootPath(), a.Root + "/");
        QCOMPARE(TreeTitles(w.tvToc), QStringList({"Intro", "  Details"}));
        QCOMPARE(w.SelectedTopicID(), a.FirstID);
        // Nothing was opened in its place: the edits and the modified flag stay.
        QCOMPARE(w.windowTitle(), captionBefore);
        QVERIFY(w.ProjectDirty());
        QCOMPARE(w.UnsavedTopicHtml()[a.FirstID], std::string("<p>A edits</p>"));
        // A later Save writes project A into its own place and leaves B alone.
        w.btnSave->click();
        QCOMPARE(ReadText(CombinePath(a.Root, "topics/" + a.FirstID + ".html")), std::string("<p>A edits</p>"));
        QCOMPARE(JsonMemberText(a.FileName, "root"), a.Root);
        QVERIFY(FindText(ReadText(CombinePath(a.Root, "meta/topics.json")), a.FirstID) != std::string::npos);
        QCOMPARE(ReadText(Work("B/meta/topics.json")), bTreeBefore);
        QVERIFY(prompts.Unexpected.empty());
    }

    void projectFileNamingAnotherRoot_isSavedWhereItsTopicsAre() {
        // Moved.svp names the root of another folder that holds the project.
        const TDiskProject orig = MakeDiskProject(Work(), "Orig", "Original");
        const std::string file = Work("Elsewhere/Moved.svp");
        WriteUtf8BomFile(file, "{\"version\":\"1.0\",\"title\":\"Original\",\"root\":" + JsonQuote(orig.Root) + "}");
        TScriptedPrompts prompts;
        TfrmMain w(prompts, {QString::fromStdString(file)});
        QCOMPARE(w.Project().RootPath(), orig.Root + "/");
        TTopic& added = w.Project().AddTopic("Added", "");
        w.UnsavedTopicHtml()[added.ID()] = "<p>new</p>";
        w.MarkProjectDirty();
        w.btnSave->click();
        // Tree files and bodies stay together in the opened root, which the file keeps naming.
        QCOMPARE(JsonMemberText(file, "root"), orig.Root);
        QVERIFY(FindText(ReadText(CombinePath(orig.Root, "meta/topics.json")), added.ID()) != std::string::npos);
        QCOMPARE(ReadText(CombinePath(orig.Root, "topics/" + added.ID() + ".html")), std::string("<p>new</p>"));
        QVERIFY(!FileExists(Work("Elsewhere/Moved/meta/topics.json")));
        // Opened again, the project is whole.
        TScriptedPrompts prompts2;
        TfrmMain w2(prompts2, {QString::fromStdString(file)});
        QCOMPARE(TreeTitles(w2.tvToc), QStringList({"Intro", "  Details", "Added"}));
        QVERIFY(prompts.Errors.empty() && prompts2.Errors.empty());
    }

    void modifiedPrompt_onNewOpenAndExit_data() {
        QTest::addColumn<QString>("command");
        QTest::addColumn<int>("answer");  // TConfirmAnswer
        QTest::addColumn<bool>("proceeds");
        QTest::addColumn<bool>("savedToFile");
        for (const char* cmd : {"new", "open", "exit"}) {
            QTest::newRow(qPrintable(QString(cmd) + " cancel")) << cmd << int(TConfirmAnswer::Cancel) << false << false;
            QTest::newRow(qPrintable(QString(cmd) + " no")) << cmd << int(TConfirmAnswer::No) << true << false;
            QTest::newRow(qPrintable(QString(cmd) + " yes")) << cmd << int(TConfirmAnswer::Yes) << true << true;
        }
    }
    void modifiedPrompt_onNewOpenAndExit() {
        QFETCH(QString, command);
        QFETCH(int, answer);
        QFETCH(bool, proceeds);
        QFETCH(bool, savedToFile);
        const TDiskProject a = MakeDiskProject(Work(), "A", "Project A");
        const TDiskProject b = MakeDiskProject(Work(), "B", "Project B");
        const std::string body = CombinePath(a.Root, "topics/" + a.FirstID + ".html");
        TScriptedPrompts prompts;
        TfrmMain w(prompts, {QString::fromStdString(a.FileName)});
        w.show();
        w.UnsavedTopicHtml()[a.FirstID] = "<p>edited</p>";
        w.MarkProjectDirty();
        prompts.ConfirmAnswers.push_back(TConfirmAnswer(answer));
        if (command == "new") {
            w.NewProject1->trigger();
            QCOMPARE(w.ProjectFileName().empty(), proceeds);
            if (proceeds)
                QCOMPARE(w.StatusText(), QString("New project created (not saved)"));
        } else if (command == "open") {
            if (proceeds)
                prompts.OpenAnswers.push_back(b.FileName);
            w.OpenProject1->trigger();
            QCOMPARE(w.ProjectFileName(), proceeds ? b.FileName : a.FileName);
        } else {
            w.Exit1->trigger();
            QCOMPARE(w.isVisible(), !proceeds);
        }
        QCOMPARE(prompts.Confirmations,
                 std::vector<std::string>({"Project has been modified. Do you want to save changes?"}));
        QCOMPARE(ReadText(body), std::string(savedToFile ? "<p>edited</p>" : "<p>intro</p>"));
        if (proceeds)
            QVERIFY(w.UnsavedTopicHtml().empty());
        else
            QVERIFY(w.ProjectDirty());
        QVERIFY(prompts.Unexpected.empty());
    }

    void openAnsweredNoThenCancelled_keepsTheEditsAndTheModifiedFlag() {
        const TDiskProject a = MakeDiskProject(Work(), "A", "Project A");
        TScriptedPrompts prompts;
        TfrmMain w(prompts, {QString::fromStdString(a.FileName)});
        w.UnsavedTopicHtml()[a.FirstID] = "<p>A edits</p>";
        w.MarkProjectDirty();
        const QString captionBefore = w.windowTitle();
        prompts.ConfirmAnswers.push_back(TConfirmAnswer::No);
        prompts.OpenAnswers.push_back(std::nullopt);
        w.OpenProject1->trigger();
        QCOMPARE(w.windowTitle(), captionBefore);
        QVERIFY(w.ProjectDirty() && w.btnSave->isEnabled());
        QCOMPARE(w.UnsavedTopicHtml()[a.FirstID], std::string("<p>A edits</p>"));
        w.btnSave->click();
        QCOMPARE(ReadText(CombinePath(a.Root, "topics/" + a.FirstID + ".html")), std::string("<p>A edits</p>"));
        QVERIFY(prompts.Errors.empty() && prompts.Unexpected.empty());
    }

    void modifiedPrompt_yesWithCancelledSaveAs_keepsTheWindowOpen_data() {
        QTest::addColumn<QString>("command");
        QTest::newRow("exit") << "exit";
        QTest::newRow("new") << "new";
        QTest::newRow("open") << "open";
    }
    void modifiedPrompt_yesWithCancelledSaveAs_keepsTheWindowOpen() {
        // "Yes" saves the scratch project, which goes on to Save As; cancelling that dialog stops
        // the command, so the unsaved project is neither closed nor replaced.
        QFETCH(QString, command);
        TScriptedPrompts prompts;
        TfrmMain w(prompts, {});
        w.show();
        const std::string id = w.CurrentTopicID();
        w.UnsavedTopicHtml()[id] = "<p>typed</p>";
        w.MarkProjectDirty();
        prompts.ConfirmAnswers.push_back(TConfirmAnswer::Yes);
        prompts.SaveAnswers.push_back(std::nullopt);
        if (command == "exit")
            w.Exit1->trigger();
        else if (command == "new")
            w.NewProject1->trigger();
        else
            w.OpenProject1->trigger();  // no open dialog follows
        QVERIFY(w.isVisible());
        QVERIFY(w.ProjectDirty());
        QCOMPARE(w.CurrentTopicID(), id);
        QVERIFY(w.Project().HasTopic(id));
        QCOMPARE(ReadText(CombinePath(Scratch(), "topics/" + id + ".html")), std::string("<p>typed</p>"));
        QCOMPARE(prompts.SaveProposals, std::vector<std::string>({"Untitled.svp"}));
        QVERIFY(prompts.Errors.empty() && prompts.Unexpected.empty());
    }

    void unmodifiedProject_closesWithoutAsking() {
        TScriptedPrompts prompts;
        TfrmMain w(prompts, {});
        w.show();
        w.Exit1->trigger();
        QVERIFY(!w.isVisible());
        QVERIFY(prompts.Confirmations.empty());
    }

    void newProject_startsAFreshScratchProject() {
        const TDiskProject a = MakeDiskProject(Work(), "A", "Project A");
        TScriptedPrompts prompts;
        TfrmMain w(prompts, {QString::fromStdString(a.FileName)});
        w.btnNewProject->click();
        QCOMPARE(w.Project().RootPath(), Scratch());
        QCOMPARE(TreeTitles(w.tvToc), QStringList({"Welcome"}));
        QCOMPARE(w.windowTitle(), QString("Pagewell - Untitled Documentation"));
        QVERIFY(w.CurrentTopicID() == w.Project().RootTopicIDs().front());
        QVERIFY(prompts.Confirmations.empty() && prompts.Errors.empty());
    }

    void newTopicHtml_followsTheSettings() {
        TScriptedPrompts prompts;
        TfrmMain w(prompts, {});
        QCOMPARE(w.NewTopicHtml(), std::string("<p style=\"font-family:Segoe UI, Arial, sans-serif;font-size:16px;"
                                               "color:#000000;line-height:1.5;\"><br></p>"));
        w.Settings().DefaultFontName = "  My \"Font\" ";
        w.Settings().FontSizeBody = 13;
        w.Settings().DefaultTextColor = 0x0000FF;  // red
        w.Settings().DefaultLineSpacing = 2;
        QCOMPARE(w.NewTopicHtml(), std::string("<p style=\"font-family:My &quot;Font&quot;, Arial, sans-serif;"
                                               "font-size:13px;color:#FF0000;line-height:2;\"><br></p>"));
        w.Settings().DefaultFontName = "";
        QVERIFY(StartsWith(w.NewTopicHtml(), "<p style=\"font-family:Segoe UI, "));
    }

    void treeView_selectionAndNodeData() {
        TScriptedPrompts prompts;
        TfrmMain w(prompts, {});
        TDocProject& p = w.Project();
        TTopic& a = p.AddTopic("A", "");
        TTopic& a1 = p.AddTopic("A1", a.ID());
        p.RootTopicIDs().push_back("DANGLING");
        a.Children().push_back(a.ID());  // a hand-edited cycle is shown once
        w.BuildTopicTree();
        QCOMPARE(TreeTitles(w.tvToc), QStringList({"Welcome", "A", "  A1"}));
        w.SelectTopicNode(a1.ID());
        QCOMPARE(w.SelectedTopicID(), a1.ID());
        QCOMPARE(w.CurrentTopicID(), a1.ID());  // selecting runs the topic switch
        w.SelectTopicNode("UNKNOWN");
        QCOMPARE(w.SelectedTopicID(), a1.ID());
        w.FreeTreeNodeData();
        QVERIFY(w.SelectedTopicID().empty());
    }

    void normalizeProjectPath_data() {
        QTest::addColumn<QString>("input");
        QTest::addColumn<QString>("expected");
        QTest::newRow("trimmed") << "  /a/b.svp \t" << "/a/b.svp";
        QTest::newRow("stray quote") << "\"/a/b.svp" << "/a/b.svp";
        QTest::newRow("quoted") << "\"/a/b.svp\"" << "/a/b.svp";
        QTest::newRow("dots removed") << "/a/./x/../b.svp" << "/a/b.svp";
        QTest::newRow("garbage before a drive path") << "\"C:\\Docs\\x.svp" << "C:\\Docs\\x.svp";
        QTest::newRow("doubled drive path") << "C:\\a.svpD:\\b.svp" << "D:\\b.svp";
        QTest::newRow("empty") << "   " << "";
    }
    void normalizeProjectPath() {
        QFETCH(QString, input);
        QFETCH(QString, expected);
        std::string want = expected.toStdString();
        if (!want.empty() && want[0] != '/')
            want = ExpandFileName(want);  // a drive path is relative on this platform
        QCOMPARE(TfrmMain::NormalizeProjectPath(input.toStdString()), want);
        QCOMPARE(TfrmMain::NormalizeProjectPath("rel/b.svp"), ExpandFileName("rel/b.svp"));
    }
};

QTEST_MAIN(TestMainProject)
#include "uMainProject_test.moc"
