// The formatting toolbar's controls, lists and two-row layout, in the window and on its own, and
// the colour box it shares with the settings dialog.
#include "support/AppTestSupport.h"
#include "support/TScriptedPrompts.h"

#include "uAppStyle.h"
#include "uColorBox.h"
#include "uFormattingToolbar.h"
#include "uMain.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QLabel>
#include <QSignalSpy>
#include <QToolButton>
#include <QVBoxLayout>
#include <QtTest>
#include <memory>

namespace {

// Name and hint of every control in layout order ("" for no hint).
const QList<QPair<QString, QString>> kControls = {
    {"btnBold", "Bold"}, {"btnItalic", "Italic"}, {"btnUnderline", "Underline"}, {"Bevel1", ""},
    {"btnUL", "Bullet List"}, {"btnOL", "Numeric List"}, {"Bevel2", ""}, {"btnAlignLeft", "Left Align"},
    {"btnAlignCenter", "Center Align"}, {"btnAlignRight", "Right Align"}, {"Bevel3", ""},
    {"btnLink", "Create Link..."}, {"btnTopicLink", "Create Topic Link..."}, {"btnImage", "Add Image..."},
    {"btnReplaceImage", "Replace Image..."}, {"btnInsertTable", "Add Table..."}, {"btnTableDropdownMenu", ""},
    {"btnImportHTML", "Add HTML..."}, {"Bevel4", ""}, {"VirtualImage1", "Line Spacing"},
    {"cmbLineSpacing", "Line Spacing"}, {"VirtualImage2", "Font Color"}, {"cbTextColor", "Font Color"},
    {"VirtualImage3", "Text Heading"}, {"cmbHeading", "Text Heading"}, {"VirtualImage5", "Font Name"},
    {"cmbTextFont", ""}, {"VirtualImage4", "Font Size"}, {"cmbFontSize", ""}};

QStringList ItemTexts(const QComboBox* ABox) {
    QStringList out;
    for (int i = 0; i < ABox->count(); ++i)
        out << ABox->itemText(i);
    return out;
}

// Two panels in a shown container, as the window has them.
struct TToolbarHost {
    QWidget Host;
    QWidget* Panel;
    QWidget* Panel2;
    std::unique_ptr<TFormattingToolbar> Toolbar;
    TToolbarHost() {
        auto* layout = new QVBoxLayout(&Host);
        layout->setContentsMargins(0, 0, 0, 0);
        Panel = new QWidget(&Host);
        Panel2 = new QWidget(&Host);
        layout->addWidget(Panel);
        layout->addWidget(Panel2);
        layout->addStretch(1);
        Toolbar = std::make_unique<TFormattingToolbar>(Panel, Panel2);
        Toolbar->Init();
        Host.resize(1400, 200);
        Host.show();
    }
    void SetWidth(int AWidth) {
        Host.resize(AWidth, 200);
        QCoreApplication::processEvents();
    }
};

}  // namespace

class TestFormattingToolbar : public QObject {
    Q_OBJECT
    std::unique_ptr<TTempAppData> FAppData;

private slots:
    void initTestCase() { ApplyLightStyle(*qApp); }
    void init() { FAppData = std::make_unique<TTempAppData>(); }
    void cleanup() { FAppData.reset(); }

    void window_hasEveryControlInOrderWithItsHintAndStartState() {
        TScriptedPrompts prompts;
        TfrmMain w(prompts, {});
        QVERIFY(w.Toolbar);
        const TFormattingToolbar& t = *w.Toolbar;
        QCOMPARE(int(t.Controls().size()), kControls.size());
        for (int i = 0; i < kControls.size(); ++i) {
            const QWidget* c = t.Controls()[size_t(i)];
            QCOMPARE(c->objectName(), kControls[i].first);
            QCOMPARE(c->toolTip(), kControls[i].second);
            if (!kControls[i].second.isEmpty())
                QCOMPARE(c->accessibleName(), kControls[i].second);
            if (!c->objectName().startsWith("Bevel"))
                QVERIFY2(!c->accessibleName().isEmpty(), qPrintable(c->objectName()));
        }
        for (QAbstractButton* b : {(QAbstractButton*)t.btnBold, (QAbstractButton*)t.btnItalic,
                                   (QAbstractButton*)t.btnUnderline, (QAbstractButton*)t.btnUL, (QAbstractButton*)t.btnOL})
            QVERIFY(b->isCheckable() && !b->isChecked() && b->isEnabled());
        QVERIFY(t.btnAlignLeft->isChecked() && !t.btnAlignCenter->isChecked() && !t.btnAlignRight->isChecked());
        for (QToolButton* b : {t.btnLink, t.btnTopicLink, t.btnImage, t.btnReplaceImage, t.btnInsertTable,
                               t.btnTableDropdownMenu, t.btnImportHTML})
            QVERIFY(b->isEnabled() && !b->isHidden());

        QCOMPARE(ItemTexts(t.cmbLineSpacing), QStringList({"1.0", "1.15", "1.2", "1.5", "2.0"}));
        QCOMPARE(t.cmbLineSpacing->currentText(), QString("1.5"));
        QCOMPARE(ItemTexts(t.cmbFontSize), TFormattingToolbar::FontSizeItems());
        QCOMPARE(t.cmbFontSize->count(), 19);
        QCOMPARE(t.cmbFontSize->currentText(), QString::number(w.Settings().FontSizeBody));
        QVERIFY(t.cmbFontSize->isEditable() && t.cmbFontSize->completer() == nullptr);
        QCOMPARE(ItemTexts(t.cmbHeading), QStringList({"Standard text", "H1", "H2", "H3"}));
        QCOMPARE(t.cmbHeading->currentIndex(), 0);
        const QStringList fonts = ItemTexts(t.cmbTextFont);
        QVERIFY(!fonts.isEmpty());
        QCOMPARE(fonts, TFormattingToolbar::InstalledFontNames());
        for (int i = 1; i < fonts.size(); ++i)
            QVERIFY(fonts[i - 1].compare(fonts[i], Qt::CaseInsensitive) <= 0 && fonts[i - 1] != fonts[i]);
        QCOMPARE(t.cbTextColor->Selected(), w.Settings().DefaultTextColor);
        QCOMPARE(w.pnlToolbar->height(), 49);
        QCOMPARE(w.pnlToolbar2->height(), 49);
        QCOMPARE(w.ActiveArea(), std::string("body"));
    }

    void window_narrowerMovesTrailingGroupsToTheSecondRowAndWiderHidesIt() {
        TScriptedPrompts prompts;
        TfrmMain w(prompts, {});
        w.resize(1400, 700);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        QCoreApplication::processEvents();
        const auto& controls = w.Toolbar->Controls();
        QVERIFY(w.pnlToolbar2->isHidden());
        for (QWidget* c : controls)
            QCOMPARE(c->parentWidget(), w.pnlToolbar);

        w.resize(900, 700);
        QCoreApplication::processEvents();
        QVERIFY(!w.pnlToolbar2->isHidden());
        QCOMPARE(w.Toolbar->cmbFontSize->parentWidget(), w.pnlToolbar2);
        QCOMPARE(w.Toolbar->VirtualImage4->parentWidget(), w.pnlToolbar2);
        QCOMPARE(w.Toolbar->btnBold->parentWidget(), w.pnlToolbar);
        QVERIFY(w.Toolbar->cmbFontSize->isVisible());

        w.resize(1400, 700);
        QCoreApplication::processEvents();
        QVERIFY(w.pnlToolbar2->isHidden());
        for (QWidget* c : controls) {
            QCOMPARE(c->parentWidget(), w.pnlToolbar);
            QVERIFY(c->isVisible());
        }
    }

    // At every width: the first row holds a leading run of the controls that fits, the second
    // the rest in order, and no icon is ever parted from its box.
    void layout_atEveryWidthKeepsOrderFitAndIconsWithTheirBoxes() {
        TToolbarHost h;
        const auto& controls = h.Toolbar->Controls();
        int wrapped = 0;
        for (int width = 300; width <= 1300; width += 23) {
            h.SetWidth(width);
            const int rowWidth = h.Panel->contentsRect().width();
            bool inSecond = false;
            int lastRight = 0;
            for (size_t i = 0; i < controls.size(); ++i) {
                QWidget* c = controls[i];
                const bool second = c->parentWidget() == h.Panel2;
                QVERIFY2(second || c->parentWidget() == h.Panel, qPrintable(c->objectName()));
                QVERIFY2(!inSecond || second, "a control after the break went back to the first row");
                if (second && !inSecond)
                    lastRight = 0;
                inSecond = second;
                QVERIFY(c->x() >= lastRight);
                lastRight = c->geometry().right();
                if (!second && h.Panel2->isVisible())
                    QVERIFY2(c->geometry().right() < rowWidth, qPrintable(c->objectName()));
                QVERIFY(c->y() >= 0 && c->geometry().bottom() < 49);
            }
            for (size_t i = 19; i < 29; i += 2)
                QCOMPARE(controls[i]->parentWidget(), controls[i + 1]->parentWidget());
            QCOMPARE(h.Panel2->isVisible(), inSecond);
            wrapped += inSecond ? 1 : 0;
        }
        QVERIFY(wrapped > 10);
    }

    void colorBox_namesSystemColoursCustomEntryAndChoices() {
        TColorBox box;
        QCOMPARE(box.itemText(0), QString("Black"));
        QCOMPARE(box.itemText(box.count() - 1), TColorBox::CustomEntryCaption());
        QCOMPARE(TColorBox::ColorName(0x000080), QString("Maroon"));
        QCOMPARE(TColorBox::ColorName(clSysWindowText), QString("Window Text"));
        QCOMPARE(TColorBox::ColorName(0x00FFFF), QString("Yellow"));
        QCOMPARE(TColorBox::ColorName(0x123456), QString("#563412"));
        QCOMPARE(ToQColor(0x0000FF), QColor(255, 0, 0));
        QCOMPARE(FromQColor(QColor(0x12, 0x34, 0x56)), TColor(0x563412));

        QSignalSpy chosen(&box, &TColorBox::colorChosen);
        box.Select(clSysWindowText);
        QCOMPARE(box.Selected(), clSysWindowText);
        QVERIFY(box.Selected() < 0);
        QCOMPARE(box.currentText(), QString("Window Text"));
        const int before = box.count();
        box.Select(0x563412);
        QCOMPARE(box.count(), before + 1);
        QCOMPARE(box.currentText(), QString("#123456"));
        QCOMPARE(box.itemText(box.count() - 1), TColorBox::CustomEntryCaption());
        box.Select(0x563412);  // once only
        QCOMPARE(box.count(), before + 1);
        QCOMPARE(chosen.count(), 0);

        std::optional<TColor> answer;
        TColor asked = -1;
        box.SetCustomColorPicker([&](TColor ACurrent, QWidget*) {
            asked = ACurrent;
            return answer;
        });
        emit box.activated(box.count() - 1);  // cancelled
        QCOMPARE(asked, TColor(0x563412));
        QCOMPARE(box.Selected(), TColor(0x563412));
        QCOMPARE(box.currentText(), QString("#123456"));
        QCOMPARE(chosen.count(), 0);
        answer = 0xABCDEF;
        emit box.activated(box.count() - 1);
        QCOMPARE(chosen.count(), 1);
        QCOMPARE(chosen.takeFirst().at(0).value<TColor>(), TColor(0xABCDEF));
        QCOMPARE(box.currentText(), QString("#EFCDAB"));
        box.setCurrentIndex(9);
        emit box.activated(9);
        QCOMPARE(box.Selected(), TColor(0x0000FF));
        QCOMPARE(chosen.takeFirst().at(0).value<TColor>(), TColor(0x0000FF));
    }
};

QTEST_MAIN(TestFormattingToolbar)
#include "uFormattingToolbar_test.moc"
