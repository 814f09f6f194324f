// The project settings dialog driven through its widgets: parsing and clamping on OK, an invalid
// value that keeps the dialog open and the caller's settings untouched, Cancel, presets, and
// what the main window's command writes after OK.
#include "support/ModalTestSupport.h"
#include "support/AppTestSupport.h"
#include "support/TScriptedPrompts.h"

#include "uColorBox.h"
#include "uFrmProjectSettings.h"
#include "uMain.h"
#include "uTopicHeaders.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTimer>
#include <QToolButton>
#include <QtTest>
#include <filesystem>
#include <functional>

class FrmProjectSettingsTest : public QObject {
    Q_OBJECT
    std::unique_ptr<TTempAppData> FAppData;
    TScriptedPrompts FPrompts;

    bool Run(TProjectSettings& ASettings, const std::function<void(TfrmProjectSettings&)>& AStep, bool& AResult) {
        return WithModalDialog<TfrmProjectSettings>(AStep, [&] { AResult = TfrmProjectSettings::Execute(nullptr, ASettings, FPrompts); });
    }

private slots:
    void init() {
        FAppData = std::make_unique<TTempAppData>();
        FPrompts = TScriptedPrompts();
    }
    void cleanup() { FAppData.reset(); }

    void okParsesAndClampsEachValue() {
        const struct {
            const char* What;
            std::function<void(TfrmProjectSettings&)> Set;
            std::function<bool(const TProjectSettings&)> Check;
        } cases[] = {
            {"2,25", [](auto& d) { d.edLineSpacing->setText("2,25"); }, [](auto& s) { return s.DefaultLineSpacing == 2.25; }},
            {"9 spacing", [](auto& d) { d.edLineSpacing->setText(" 9 "); }, [](auto& s) { return s.DefaultLineSpacing == 5; }},
            {"tree 3", [](auto& d) { d.edTocTextSize->setText("3"); }, [](auto& s) { return s.TocTextSize == 6; }},
            {"border 0", [](auto& d) { d.edTableBorderWidth->setText("0"); }, [](auto& s) { return s.TableBorderWidth == 1; }},
            {"border 50", [](auto& d) { d.edTableBorderWidth->setText("50"); }, [](auto& s) { return s.TableBorderWidth == 12; }},
            {"body 100", [](auto& d) { d.cmbBodyFontSize->setEditText("100"); }, [](auto& s) { return s.FontSizeBody == 100; }},
            {"body cleared", [](auto& d) { d.cmbBodyFontSize->setEditText(""); }, [](auto& s) { return s.FontSizeBody == 17; }},
            {"font not installed", [](auto&) {}, [](auto& s) { return s.DefaultFontName == "No Such Font Family"; }},
            {"headings", [](auto&) {}, [](auto& s) { return s.FontSizeH1 == 41 && s.FontSizeH2 == 27 && s.FontSizeH3 == 19; }},
            {"title and footer",
             [](auto& d) {
                 d.edProjTitle->setText("  My Manual ");
                 d.chkCopyright->setChecked(true);
                 d.edCopyrightText->setText(" (c) Us ");
                 d.cmbLinkStyle->setCurrentText("dotted");
             },
             [](auto& s) {
                 return s.ProjTitle == "My Manual" && s.CopyrightEnabled && s.CopyrightText == "(c) Us" && s.LinkStyle == "dotted";
             }},
        };
        for (const auto& c : cases) {
            TProjectSettings s;
            s.FontSizeH1 = 41, s.FontSizeH2 = 27, s.FontSizeH3 = 19, s.FontSizeBody = 17;
            s.DefaultFontName = "No Such Font Family";
            bool ok = false;
            QVERIFY(Run(s, [&](TfrmProjectSettings& d) {
                c.Set(d);
                d.btnOk->click();
                if (d.isVisible())
                    d.reject();
            }, ok));
            QVERIFY2(ok && c.Check(s), c.What);
        }
        QVERIFY2(FPrompts.Errors.empty(), FPrompts.Errors.empty() ? "" : FPrompts.Errors[0].c_str());
    }

    void anInvalidValueKeepsTheDialogOpenAndTheCallersSettings() {
        TProjectSettings s;
        const TProjectSettings before = s;
        bool ok = true, stayedOpen = false, keptEntry = false, focusOnInvalid = false, untouched = false;
        QVERIFY(Run(s, [&](TfrmProjectSettings& d) {
            d.edProjTitle->setText("Changed");
            d.edLineSpacing->setText("abc");
            d.btnOk->click();
            stayedOpen = d.isVisible();
            keptEntry = d.edProjTitle->text() == "Changed";
            focusOnInvalid = d.focusWidget() == d.edLineSpacing;
            untouched = s == before;
            d.reject();
        }, ok));
        QVERIFY(stayedOpen && keptEntry && focusOnInvalid && untouched);
        QVERIFY(!ok);
        QVERIFY(s == before);
        QCOMPARE(FPrompts.Errors, std::vector<std::string>{"Some values are invalid. Please fix them."});

        // Fixed, OK commits everything typed.
        QVERIFY(Run(s, [&](TfrmProjectSettings& d) {
            d.edProjTitle->setText("Changed");
            d.edLineSpacing->setText("abc");
            d.btnOk->click();
            d.edLineSpacing->setText("2");
            d.btnOk->click();
        }, ok));
        QVERIFY(ok);
        QCOMPARE(s.ProjTitle, std::string("Changed"));
        QCOMPARE(s.DefaultLineSpacing, 2.0);
    }

    void cancelAndTheCloseBoxChangeNothing() {
        for (int closeBox = 0; closeBox < 2; ++closeBox) {
            TProjectSettings s;
            const TProjectSettings before = s;
            bool ok = true;
            QVERIFY(Run(s, [&](TfrmProjectSettings& d) {
                d.edProjTitle->setText("Changed");
                d.cbHeaderBg->Select(0x0000FF);
                closeBox ? (void)d.close() : d.btnCancel->click();
            }, ok));
            QVERIFY(!ok && s == before);
        }
    }

    void everyFieldHasALabelTiedToIt() {
        TProjectSettings s;
        bool ok = true, presetsShown = false;
        qsizetype unlabelled = -1;
        QVERIFY(Run(s, [&](TfrmProjectSettings& d) {
            QList<QWidget*> fields = {d.edProjTitle, d.cmbFontName, d.cmbBodyFontSize, d.cbTextColor, d.edLineSpacing,
                                      d.cbPageBg, d.cbHeaderBg, d.cbTocTextColor, d.edTocTextSize, d.edCopyrightText,
                                      d.cbLinkColor, d.cmbLinkStyle, d.cmbTableBorderStyle, d.edTableBorderWidth,
                                      d.cbTableBorderColor};
            for (QLabel* l : d.findChildren<QLabel*>())
                fields.removeAll(l->buddy());
            unlabelled = fields.size();
            presetsShown = d.btnSavePreset->isVisible() && d.btnLoadPreset->isVisible();
            d.reject();
        }, ok));
        QCOMPARE(unlabelled, 0);
        QVERIFY(presetsShown);
    }

    void presetsRoundTripAndLoadOnlyReachesTheCopy() {
        const std::string preset = CombinePath(FAppData->Path(), "look.json");
        const std::string broken = CombinePath(FAppData->Path(), "broken.json");
        WriteUtf8File(broken, "not json");
        TProjectSettings s;
        const TProjectSettings before = s;
        bool ok = true;
        FPrompts.SaveAnswers.push_back(preset);
        FPrompts.OpenAnswers.push_back(preset);
        FPrompts.OpenAnswers.push_back(broken);
        QString shownAfterLoad, shownAfterBroken;
        QVERIFY(Run(s, [&](TfrmProjectSettings& d) {
            d.edProjTitle->setText("Preset Title");
            d.edTocTextSize->setText("20");
            d.btnSavePreset->click();
            d.edProjTitle->setText("Other");
            d.edTocTextSize->setText("30");
            d.btnLoadPreset->click();
            shownAfterLoad = d.edProjTitle->text() + "/" + d.edTocTextSize->text();
            d.btnLoadPreset->click();
            shownAfterBroken = d.edProjTitle->text();
            d.reject();
        }, ok));
        QCOMPARE(shownAfterLoad, QString("Preset Title/20"));
        QCOMPARE(shownAfterBroken, QString("Preset Title"));
        QVERIFY(!ok && s == before);
        QCOMPARE(FPrompts.Infos, (std::vector<std::string>{"Preset saved.", "Preset loaded."}));
        QCOMPARE(FPrompts.Errors, std::vector<std::string>{"Preset file is invalid."});
        TProjectSettings loaded;
        QVERIFY(loaded.LoadPreset(preset));
        QCOMPARE(loaded.ProjTitle, std::string("Preset Title"));
        QCOMPARE(loaded.TocTextSize, 20);
    }

    void windowAfterOkWritesTheSettingsAndEveryHeaderBackground() {
        const TDiskProject p = MakeDiskProject(FAppData->Path(), "Manual", "Manual");
        TfrmMain w(FPrompts, {QString::fromStdString(p.FileName)});
        const std::string root = w.Project().RootPath();
        const std::string settingsFile = TProjectSettings::DefaultSettingsPathForProject(root);
        WriteUtf8File(HeaderBgPath(root, p.FirstID), "#123456");
        const std::string settingsBefore = ReadText(settingsFile);

        // Cancel: no file changes.
        QVERIFY(WithModalDialog<TfrmProjectSettings>([](TfrmProjectSettings& d) {
            d.cbHeaderBg->Select(0x0000FF);
            d.btnCancel->click();
        }, [&] { w.ProjectSettings1->trigger(); }));
        QCOMPARE(ReadText(settingsFile), settingsBefore);
        QCOMPARE(ReadText(HeaderBgPath(root, p.FirstID)), std::string("#123456"));
        QVERIFY(!w.ProjectDirty());

        QVERIFY(WithModalDialog<TfrmProjectSettings>([](TfrmProjectSettings& d) {
            d.cbHeaderBg->Select(0x0000FF);
            d.edProjTitle->setText("Renamed");
            d.btnOk->click();
        }, [&] { w.btnProjectSettings->click(); }));
        QVERIFY(w.ProjectDirty());
        QCOMPARE(w.Project().Title(), std::string("Renamed"));
        TProjectSettings onDisk;
        QVERIFY(onDisk.LoadFromFile(settingsFile));
        QCOMPARE(onDisk.ProjTitle, std::string("Renamed"));
        int files = 0;
        for (const auto& e : std::filesystem::directory_iterator(CombinePath(root, "meta"))) {
            const std::string name = e.path().filename().string();
            if (name.rfind("headerbg_", 0) == 0) {
                ++files;
                QCOMPARE(ReadText(e.path().string()), std::string("#FF0000"));
            }
        }
        QVERIFY(files >= 2);  // the default and the topic's own
        QVERIFY(FPrompts.Errors.empty());

        // A settings file that cannot be written is reported; the window keeps the settings.
        std::filesystem::remove(settingsFile);
        std::filesystem::create_directories(std::filesystem::path(settingsFile) / "blocker");
        QVERIFY(WithModalDialog<TfrmProjectSettings>([](TfrmProjectSettings& d) {
            d.edProjTitle->setText("Kept");
            d.btnOk->click();
        }, [&] { w.ProjectSettings1->trigger(); }));
        QCOMPARE(FPrompts.Errors.size(), size_t(1));
        QVERIFY2(FPrompts.Errors[0].rfind("The project settings could not be saved: ", 0) == 0, FPrompts.Errors[0].c_str());
        QCOMPARE(w.Settings().ProjTitle, std::string("Kept"));
    }

    void newProjectRunsTheDialogAndWritesTheWelcomeTopicInTheNewLook() {
        TfrmMain w(FPrompts, {});
        QVERIFY(WithModalDialog<TfrmProjectSettings>([](TfrmProjectSettings& d) {
            d.edProjTitle->setText("Fresh Manual");
            d.cmbBodyFontSize->setEditText("22");
            d.btnOk->click();
        }, [&] { w.NewProject1->trigger(); }));
        QCOMPARE(w.Settings().FontSizeBody, 22);
        const std::string id = w.CurrentTopicID();
        QVERIFY(!id.empty());
        QCOMPARE(ReadText(w.TopicBodyPath(id)), w.NewTopicHtml());
        TProjectSettings onDisk;
        QVERIFY(onDisk.LoadFromFile(TProjectSettings::DefaultSettingsPathForProject(w.Project().RootPath())));
        QCOMPARE(onDisk.ProjTitle, std::string("Fresh Manual"));
        QCOMPARE(w.StatusText(), QString("New project created (not saved)"));
    }
};

QTEST_MAIN(FrmProjectSettingsTest)
#include "uFrmProjectSettings_test.moc"
