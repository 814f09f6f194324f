// TfrmProjectSettings: see the header.
#include "uFrmProjectSettings.h"

#include "uAppInfo.h"
#include "uColorBox.h"
#include "uDpiScale.h"
#include "uQtText.h"
#include "uUiPrompts.h"
#include "uUtils.h"

#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QFont>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QScreen>
#include <QScrollArea>
#include <QVBoxLayout>
#include <algorithm>
#include <charconv>
#include <cmath>
#include <exception>

bool ParseSettingsInt(const std::string& AText, int& AValue) {
    std::string t = Trim(AText);
    if (!t.empty() && t[0] == '+')
        t.erase(0, 1);
    if (t.empty())
        return false;
    int v = 0;
    const auto [end, ec] = std::from_chars(t.data(), t.data() + t.size(), v);
    if (ec != std::errc() || end != t.data() + t.size())
        return false;
    AValue = v;
    return true;
}

bool ParseSettingsDecimal(const std::string& AText, double& AValue) {
    std::string t = Trim(AText);
    std::replace(t.begin(), t.end(), ',', '.');
    if (!t.empty() && t[0] == '+')
        t.erase(0, 1);
    if (t.empty())
        return false;
    double v = 0;
    const auto [end, ec] = std::from_chars(t.data(), t.data() + t.size(), v);
    if (ec != std::errc() || end != t.data() + t.size() || !std::isfinite(v))
        return false;
    AValue = v;
    return true;
}

bool TfrmProjectSettings::Execute(QWidget* AOwner, TProjectSettings& ASettings, TUiPrompts& APrompts) {
    TfrmProjectSettings dlg(AOwner, ASettings, APrompts);
    return dlg.exec() == QDialog::Accepted;
}

int TfrmProjectSettings::S(double AValue) const { return ScaleAt96(this, AValue); }

TfrmProjectSettings::TfrmProjectSettings(QWidget* AOwner, TProjectSettings& ASettings, TUiPrompts& APrompts)
    : QDialog(AOwner), FSettings(ASettings), FWork(ASettings), FPrompts(APrompts) {
    setObjectName("frmProjectSettings");
    setWindowTitle("Project Settings");
    setFont(QFont("Segoe UI", 9));
    setSizeGripEnabled(true);
    BuildControls();
    SettingsToControls(FWork);
}

QLineEdit* TfrmProjectSettings::NewEdit(const char* AObjectName) {
    auto* e = new QLineEdit(FContent);
    e->setObjectName(AObjectName);
    return e;
}

TColorBox* TfrmProjectSettings::NewColorBox(const char* AObjectName) {
    auto* c = new TColorBox(FContent);
    c->setObjectName(AObjectName);
    return c;
}

QComboBox* TfrmProjectSettings::NewCombo(const char* AObjectName, const QStringList& AItems, bool AEditable) {
    auto* c = new QComboBox(FContent);
    c->setObjectName(AObjectName);
    c->setEditable(AEditable);
    c->addItems(AItems);
    return c;
}

void TfrmProjectSettings::AddHeading(const char* ACaption) {
    FY += S(8);
    auto* heading = new QLabel(ACaption, FContent);
    QFont bold = font();
    bold.setBold(true);
    heading->setFont(bold);
    heading->move(S(12), FY);
    heading->adjustSize();
    FY += FTextHeight + S(14);
}

void TfrmProjectSettings::AddRow(const char* ACaption, QWidget* AControl, int AWidth) {
    if (auto* check = qobject_cast<QCheckBox*>(AControl)) {
        check->setGeometry(S(12), FY, S(AWidth), FControlHeight);
    } else {
        auto* label = new QLabel(ACaption, FContent);
        label->setGeometry(S(12), FY + S(4), S(300), FTextHeight + S(2));
        label->setBuddy(AControl);
        AControl->setAccessibleName(QString(ACaption).remove(QRegularExpression(":$")));
        AControl->setGeometry(S(330), FY, S(AWidth), FControlHeight);
    }
    FY += FRowStep;
}

void TfrmProjectSettings::BuildControls() {
    QScreen* screen = parentWidget() ? parentWidget()->screen() : QGuiApplication::primaryScreen();
    const QRect work = screen ? screen->availableGeometry() : QRect(0, 0, 1280, 1024);
    resize(std::max(S(660), work.width() / 4), std::max(S(780), static_cast<int>(work.height() * 0.75)));
    setMinimumSize(S(660), S(560));

    FTextHeight = QFontMetrics(font()).height();
    FControlHeight = std::max(S(24), FTextHeight + S(8));
    FRowStep = std::max(S(30), FTextHeight + S(12));

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    sbxMain = new QScrollArea(this);
    sbxMain->setObjectName("sbxMain");
    sbxMain->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    sbxMain->setFrameShape(QFrame::NoFrame);
    FContent = new QWidget;
    FContent->setObjectName("pnlContent");
    auto* pnlBottom = new QWidget(this);
    pnlBottom->setObjectName("pnlBottom");
    pnlBottom->setFixedHeight(S(56));
    layout->addWidget(sbxMain, 1);
    layout->addWidget(pnlBottom);

    // The values the dialog carries without showing them.
    edH1 = NewEdit("edH1");
    edH2 = NewEdit("edH2");
    edH3 = NewEdit("edH3");
    edBody = NewEdit("edBody");
    edFontName = NewEdit("edFontName");
    for (QLineEdit* hidden : {edH1, edH2, edH3, edBody, edFontName})
        hidden->hide();

    QStringList families = QFontDatabase::families();
    families.sort();
    families.removeDuplicates();
    QStringList sizes;
    for (int size : {8, 9, 10, 11, 12, 14, 16, 18, 20, 22, 24, 26, 28, 32, 36, 40, 48, 60, 72})
        sizes << QString::number(size);

    FY = S(12);
    AddHeading("Project Title");
    AddRow("Title:", edProjTitle = NewEdit("edProjTitle"), 260);
    AddHeading("Default Font");
    AddRow("Font title:", cmbFontName = NewCombo("cmbFontName", families, false), 260);
    AddRow("Font size:", cmbBodyFontSize = NewCombo("cmbBodyFontSize", sizes, true), 90);
    AddRow("Font Color:", cbTextColor = NewColorBox("cbTextColor"), 220);
    AddRow("Default line interval (e.g. 1.5):", edLineSpacing = NewEdit("edLineSpacing"), 90);
    AddHeading("Background Colors (WebHelp, CHM)");
    AddRow("Page background color:", cbPageBg = NewColorBox("cbPageBg"), 220);
    AddRow("Header background color:", cbHeaderBg = NewColorBox("cbHeaderBg"), 220);
    AddHeading("Content tree appearance");
    AddRow("Tree text color:", cbTocTextColor = NewColorBox("cbTocTextColor"), 220);
    AddRow("Tree text size:", edTocTextSize = NewEdit("edTocTextSize"), 90);
    AddHeading("WebHelp footer");
    chkCopyright = new QCheckBox("Enable copyright footer", FContent);
    chkCopyright->setObjectName("chkCopyright");
    AddRow("", chkCopyright, 320);
    AddRow("Footer text:", edCopyrightText = NewEdit("edCopyrightText"), 260);
    AddHeading("Link style");
    AddRow("Link color:", cbLinkColor = NewColorBox("cbLinkColor"), 220);
    AddRow("Link style:", cmbLinkStyle = NewCombo("cmbLinkStyle", {"none", "solid", "dashed", "dotted", "double"}, false),
           140);
    AddHeading("Table style");
    AddRow("Border style:", cmbTableBorderStyle = NewCombo("cmbTableBorderStyle", {"solid", "dashed", "dotted", "double"}, false),
           140);
    AddRow("Border width (px):", edTableBorderWidth = NewEdit("edTableBorderWidth"), 90);
    AddRow("Border color:", cbTableBorderColor = NewColorBox("cbTableBorderColor"), 220);
    FY += S(20);
    FContent->setFixedSize(S(330 + 260 + 12), FY);
    sbxMain->setWidget(FContent);

    const auto button = [&](const char* AName, const char* ACaption, int AWidth) {
        auto* b = new QPushButton(ACaption, pnlBottom);
        b->setObjectName(AName);
        b->setAutoDefault(false);
        b->resize(S(AWidth), FControlHeight + S(4));
        return b;
    };
    btnOk = button("btnOk", "OK", 90);
    btnCancel = button("btnCancel", "Cancel", 90);
    btnSavePreset = button("btnSavePreset", "Save preset...", 120);
    btnLoadPreset = button("btnLoadPreset", "Load preset...", 120);
    btnOk->setDefault(true);
    btnSavePreset->move(S(12), S(10));
    btnLoadPreset->move(S(140), S(10));
    connect(btnOk, &QPushButton::clicked, this, &TfrmProjectSettings::accept);
    connect(btnCancel, &QPushButton::clicked, this, &TfrmProjectSettings::reject);
    connect(btnSavePreset, &QPushButton::clicked, this, &TfrmProjectSettings::SavePresetClick);
    connect(btnLoadPreset, &QPushButton::clicked, this, &TfrmProjectSettings::LoadPresetClick);
    // OK and Cancel keep their distance from the panel's right edge.
    pnlBottom->installEventFilter(this);
    FBottom = pnlBottom;
    PlaceOkCancel();

    if (parentWidget())
        move(parentWidget()->frameGeometry().center() - QPoint(width() / 2, height() / 2));
    else if (screen)
        move(work.center() - QPoint(width() / 2, height() / 2));
}

void TfrmProjectSettings::PlaceOkCancel() {
    btnOk->move(FBottom->width() - S(200), S(10));
    btnCancel->move(FBottom->width() - S(100), S(10));
}

bool TfrmProjectSettings::eventFilter(QObject* AWatched, QEvent* AEvent) {
    if (AWatched == FBottom && AEvent->type() == QEvent::Resize)
        PlaceOkCancel();
    return QDialog::eventFilter(AWatched, AEvent);
}

namespace {

void SelectText(QComboBox* ABox, const std::string& AText, int AFallback) {
    const int i = ABox->findText(ToQ(AText), Qt::MatchExactly);
    ABox->setCurrentIndex(i >= 0 ? i : AFallback);
}

std::string TrimmedText(const QLineEdit* AEdit) { return Trim(FromQ(AEdit->text())); }

}  // namespace

void TfrmProjectSettings::SettingsToControls(const TProjectSettings& ASettings) {
    const TProjectSettings& s = ASettings;
    edH1->setText(QString::number(s.FontSizeH1));
    edH2->setText(QString::number(s.FontSizeH2));
    edH3->setText(QString::number(s.FontSizeH3));
    edBody->setText(QString::number(s.FontSizeBody));
    edFontName->setText(ToQ(s.DefaultFontName));
    // Installed fonts only: a font that is not installed leaves no selection (its name is kept
    // in the hidden edit).
    SelectText(cmbFontName, s.DefaultFontName, -1);
    const int size = cmbBodyFontSize->findText(QString::number(s.FontSizeBody), Qt::MatchExactly);
    cmbBodyFontSize->setCurrentIndex(size);
    cmbBodyFontSize->setEditText(QString::number(s.FontSizeBody));
    cbTextColor->Select(s.DefaultTextColor);
    cbHeaderBg->Select(s.DefaultHeaderBgColor);
    cbPageBg->Select(s.DefaultPageBgColor);
    cbTocTextColor->Select(s.TocTextColor);
    cbLinkColor->Select(s.LinkColor);
    cbTableBorderColor->Select(s.TableBorderColor);
    edLineSpacing->setText(ToQ(FormatLineSpacing(s.DefaultLineSpacing)));
    edTocTextSize->setText(QString::number(s.TocTextSize));
    edTableBorderWidth->setText(QString::number(s.TableBorderWidth));
    edProjTitle->setText(ToQ(s.ProjTitle));
    chkCopyright->setChecked(s.CopyrightEnabled);
    edCopyrightText->setText(ToQ(s.CopyrightText));
    SelectText(cmbLinkStyle, s.LinkStyle, 1);
    SelectText(cmbTableBorderStyle, s.TableBorderStyle, 0);
}

QWidget* TfrmProjectSettings::ControlsToSettings(TProjectSettings& ASettings) const {
    TProjectSettings& s = ASettings;
    s.ProjTitle = TrimmedText(edProjTitle);
    if (!ParseSettingsInt(FromQ(edH1->text()), s.FontSizeH1))
        return edH1;
    if (!ParseSettingsInt(FromQ(edH2->text()), s.FontSizeH2))
        return edH2;
    if (!ParseSettingsInt(FromQ(edH3->text()), s.FontSizeH3))
        return edH3;
    // No range here: heading and body sizes are taken as typed.
    const std::string sizeText = Trim(FromQ(cmbBodyFontSize->currentText()));
    if (!ParseSettingsInt(sizeText.empty() ? FromQ(edBody->text()) : sizeText, s.FontSizeBody))
        return cmbBodyFontSize;
    std::string fontName = Trim(FromQ(cmbFontName->currentText()));
    if (fontName.empty())
        fontName = TrimmedText(edFontName);
    s.DefaultFontName = fontName.empty() ? "Segoe UI" : fontName;
    s.DefaultTextColor = cbTextColor->Selected();
    if (!ParseSettingsDecimal(FromQ(edLineSpacing->text()), s.DefaultLineSpacing))
        return edLineSpacing;
    s.DefaultLineSpacing = std::clamp(s.DefaultLineSpacing, 1.0, 5.0);
    s.DefaultPageBgColor = cbPageBg->Selected();
    s.DefaultHeaderBgColor = cbHeaderBg->Selected();
    s.TocTextColor = cbTocTextColor->Selected();
    if (!ParseSettingsInt(FromQ(edTocTextSize->text()), s.TocTextSize))
        return edTocTextSize;
    s.TocTextSize = std::clamp(s.TocTextSize, 6, 36);
    s.CopyrightEnabled = chkCopyright->isChecked();
    s.CopyrightText = TrimmedText(edCopyrightText);
    s.LinkColor = cbLinkColor->Selected();
    s.LinkStyle = cmbLinkStyle->currentIndex() >= 0 ? FromQ(cmbLinkStyle->currentText()) : "solid";
    s.TableBorderStyle = cmbTableBorderStyle->currentIndex() >= 0 ? FromQ(cmbTableBorderStyle->currentText()) : "solid";
    if (!ParseSettingsInt(FromQ(edTableBorderWidth->text()), s.TableBorderWidth))
        return edTableBorderWidth;
    s.TableBorderWidth = std::clamp(s.TableBorderWidth, 1, 12);
    s.TableBorderColor = cbTableBorderColor->Selected();
    return nullptr;
}

void TfrmProjectSettings::ShowInvalid(QWidget* AField, const char* AText) {
    FPrompts.ShowError(AppTitle, AText);
    if (AField && AField->isVisibleTo(this)) {
        sbxMain->ensureWidgetVisible(AField);
        AField->setFocus(Qt::OtherFocusReason);
    }
}

void TfrmProjectSettings::accept() {
    TProjectSettings read = FWork;
    if (QWidget* invalid = ControlsToSettings(read)) {
        ShowInvalid(invalid, InvalidValuesText);
        return;
    }
    FSettings = read;
    QDialog::accept();
}

void TfrmProjectSettings::SavePresetClick() {
    TProjectSettings read = FWork;
    if (QWidget* invalid = ControlsToSettings(read)) {
        ShowInvalid(invalid, "Some values are invalid. Please fix them first.");
        return;
    }
    const auto file = FPrompts.SaveFileName(PresetFilter, "json", "");
    if (!file)
        return;
    try {
        read.SavePreset(*file);
    } catch (const std::exception& e) {
        FPrompts.ShowError(AppTitle, std::string("Failed to save preset: ") + e.what());
        return;
    }
    FPrompts.ShowInfo(AppTitle, "Preset saved.");
}

void TfrmProjectSettings::LoadPresetClick() {
    const auto file = FPrompts.OpenFileName(PresetFilter, "json");
    if (!file)
        return;
    // Loaded into a copy: a preset that fails half-way changes nothing.
    TProjectSettings loaded = FWork;
    try {
        if (!loaded.LoadPreset(*file)) {
            FPrompts.ShowError(AppTitle, "Preset file is invalid.");
            return;
        }
    } catch (const std::exception& e) {
        FPrompts.ShowError(AppTitle, std::string("Failed to load preset: ") + e.what());
        return;
    }
    FWork = loaded;
    SettingsToControls(FWork);
    FPrompts.ShowInfo(AppTitle, "Preset loaded.");
}
