// Help context ids in the window: the two fields of the Properties page (stored with the other
// properties, refused with a message naming the other topic, which also keeps the author on the
// topic) and Tools > Assign Help Context IDs....
#include "support/ModalTestSupport.h"
#include "support/AppTestSupport.h"
#include "support/TScriptedPrompts.h"
#include "support/TocTestSupport.h"

#include "uContextIds.h"
#include "uDlgAssignContextIds.h"
#include "uMain.h"
#include "uTopicPropertiesPage.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>
#include <QToolButton>
#include <QtTest>
#include <memory>

class TestContextIdsWindow : public QObject {
    Q_OBJECT
    std::unique_ptr<TTempAppData> FAppData;
    std::unique_ptr<TScriptedPrompts> FPrompts;
    std::unique_ptr<TfrmMain> W;
    TTreeProject T;

    void Open(const std::vector<std::pair<std::string, std::string>>& ATopics) {
        T = MakeTreeProject(FAppData->Path(), ATopics);
        W = std::make_unique<TfrmMain>(*FPrompts, QStringList{QString::fromStdString(T.FileName)});
        W->resize(1000, 700);
        W->show();
        QVERIFY(QTest::qWaitForWindowExposed(W.get()));
        W->Properties1->trigger();
    }
    TTopicPropertiesPage& Page() { return *W->tsProperties; }
    void Select(const std::string& ATitle) { W->SelectTopicNode(T.Ids.at(ATitle)); }
    void Type(QLineEdit* AEdit, const QString& AText) {
        AEdit->setFocus();
        AEdit->selectAll();
        QTest::keyClicks(AEdit, AText);
    }
    std::unique_ptr<TDocProject> OnDisk() {
        auto p = std::make_unique<TDocProject>();
        LoadProjectFolder(T.Root, *p);
        return p;
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

    void fields_areStoredWithTheOtherProperties_andShownAgain() {
        Open({{"Settings", ""}, {"Other", ""}});
        QCOMPARE(Page().lblHelpAlias->text(), QString("Help alias"));
        QCOMPARE(Page().lblHelpContextNumber->text(), QString("Help context number"));
        QCOMPARE(Page().lblHelpAlias->buddy(), static_cast<QWidget*>(Page().edtHelpAlias));
        QCOMPARE(Page().lblHelpContextNumber->buddy(), static_cast<QWidget*>(Page().edtHelpContextNumber));
        QCOMPARE(Page().edtHelpAlias->accessibleName(), QString("Help alias"));
        Select("Settings");
        Type(Page().edtHelpAlias, " settings_dialog ");
        Type(Page().edtHelpContextNumber, "1000");
        Page().btnApplyProps->click();
        QCOMPARE(W->StatusText(), QString("Properties saved"));
        const TTopic t = OnDisk()->GetTopic(T.Ids["Settings"]);
        QCOMPARE(t.HelpAlias(), std::string("settings_dialog"));
        QCOMPARE(t.HelpContextNumber(), 1000u);
        QVERIFY(FileExists(ContextIdsFilePath(T.Root)));
        // Typed without Apply: stored at the switch; shown again on return.
        Select("Other");
        Type(Page().edtHelpAlias, "other");
        Select("Settings");
        QCOMPARE(Page().edtHelpAlias->text(), QString("settings_dialog"));
        QCOMPARE(Page().edtHelpContextNumber->text(), QString("1000"));
        QCOMPARE(OnDisk()->GetTopic(T.Ids["Other"]).HelpAlias(), std::string("other"));
        QVERIFY(FPrompts->Errors.empty());
    }

    void takenOrInvalidValues_refuseTheStoreAndTheSwitch_data() {
        QTest::addColumn<QString>("alias");
        QTest::addColumn<QString>("number");
        QTest::addColumn<QString>("message");
        QTest::newRow("taken alias") << "SETTINGS_dialog" << "" << "The alias SETTINGS_dialog is already used by the topic Settings.";
        QTest::newRow("taken number") << "mine" << "1000" << "The help context number 1000 is already used by the topic Settings.";
        QTest::newRow("number without alias") << "" << "5" << "A help context number needs a help alias.";
        QTest::newRow("leading zero") << "mine" << "010" << "The help context number 010 must be a whole number";
        QTest::newRow("topic id") << QString(32, 'A') << "" << "The help alias " + QString(32, 'A') + " reads as a topic id";
    }
    void takenOrInvalidValues_refuseTheStoreAndTheSwitch() {
        QFETCH(QString, alias);
        QFETCH(QString, number);
        QFETCH(QString, message);
        Open({{"Settings", ""}, {"Other", ""}, {"Third", ""}});
        Select("Settings");
        Type(Page().edtHelpAlias, "settings_dialog");
        Type(Page().edtHelpContextNumber, "1000");
        Page().btnApplyProps->click();
        Select("Other");
        Page().memKeywords->setPlainText("kept only on the page");
        Type(Page().edtHelpAlias, alias);
        Type(Page().edtHelpContextNumber, number);

        // Apply: nothing on the page is stored.
        Page().btnApplyProps->click();
        QCOMPARE(int(FPrompts->Errors.size()), 1);
        QVERIFY2(QString::fromStdString(FPrompts->Errors[0]).startsWith(message), FPrompts->Errors[0].c_str());
        QVERIFY(OnDisk()->GetTopic(T.Ids["Other"]).Keywords().empty());
        QVERIFY(W->Project().GetTopic(T.Ids["Other"]).Keywords().empty());
        // A topic switch: refused with the same message, the selection stays.
        Select("Third");
        QCOMPARE(int(FPrompts->Infos.size()), 1);
        QVERIFY(QString::fromStdString(FPrompts->Infos[0]).startsWith(message));
        QCOMPARE(W->CurrentTopicID(), T.Ids["Other"]);
        QCOMPARE(W->SelectedTopicID(), T.Ids["Other"]);
        QCOMPARE(Page().edtHelpAlias->text(), alias);
        // Mended, the switch goes ahead and stores the page.
        Type(Page().edtHelpAlias, "other");
        Page().edtHelpContextNumber->clear();
        Select("Third");
        QCOMPARE(W->CurrentTopicID(), T.Ids["Third"]);
        QCOMPARE(OnDisk()->GetTopic(T.Ids["Other"]).Keywords(), std::vector<std::string>{"kept only on the page"});
        QCOMPARE(OnDisk()->GetTopic(T.Ids["Other"]).HelpAlias(), std::string("other"));
    }

    void assign_givesTheMissingValuesAndMarksTheProjectModified() {
        Open({{"Overview", ""}, {"Settings dialog", "Overview"}, {"Settings-Dialog", ""}});
        Select("Overview");
        QVERIFY(!W->ProjectDirty());
        QVERIFY(WithModalDialog<TdlgAssignContextIds>(
            [](TdlgAssignContextIds& ADialog) {
                ADialog.chkNumbers->setChecked(true);
                ADialog.accept();
            },
            [&] { W->AssignHelpContextIds1->trigger(); }));
        const TDocProject& p = W->Project();
        QCOMPARE(p.GetTopic(T.Ids["Overview"]).HelpAlias(), std::string("Overview"));
        QCOMPARE(p.GetTopic(T.Ids["Settings dialog"]).HelpAlias(), std::string("Settings_dialog"));
        QCOMPARE(p.GetTopic(T.Ids["Settings-Dialog"]).HelpAlias(), std::string("Settings_Dialog_2"));
        QCOMPARE(p.GetTopic(T.Ids["Overview"]).HelpContextNumber(), 1000u);
        QCOMPARE(p.GetTopic(T.Ids["Settings dialog"]).HelpContextNumber(), 1010u);
        QCOMPARE(p.GetTopic(T.Ids["Settings-Dialog"]).HelpContextNumber(), 1020u);
        QVERIFY(W->ProjectDirty());
        QCOMPARE(Page().edtHelpAlias->text(), QString("Overview"));  // the page shows them
        QCOMPARE(W->StatusText(), QString("Help context IDs assigned: 3 aliases, 3 numbers"));
        QVERIFY(!FileExists(ContextIdsFilePath(T.Root)));  // not saved until Save
        W->btnSave->click();
        QCOMPARE(OnDisk()->GetTopic(T.Ids["Settings-Dialog"]).HelpContextNumber(), 1020u);

        // Cancelled: nothing changes.
        QVERIFY(WithModalDialog<TdlgAssignContextIds>([](TdlgAssignContextIds& ADialog) { ADialog.reject(); },
                                                      [&] { W->AssignHelpContextIds1->trigger(); }));
        QVERIFY(FPrompts->Errors.empty());
    }
};

QTEST_MAIN(TestContextIdsWindow)
#include "uContextIdsWindow_test.moc"
