// TfrmProjectSettings: the modal dialog in which the author edits the project settings, built in
// code each time it opens. It works on a copy of the caller's settings and commits the copy to
// the caller's object only when OK finds every value valid; otherwise it stays open with the
// message "Some values are invalid. Please fix them.", the entries as typed and the focus on the
// first invalid field. Cancel, Esc and the close box change nothing. Presets are saved from and
// loaded into the copy as well. Messages and file dialogs go through the TUiPrompts given (not
// owned).
#pragma once

#include "uProjectSettings.h"

#include <QDialog>
#include <string>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QScrollArea;
class TColorBox;
class TUiPrompts;

// Whole numbers: optional sign and decimal digits after trimming. Decimals: the same with ","
// taken as "." and an optional fraction or exponent. False when the text is not such a number.
bool ParseSettingsInt(const std::string& AText, int& AValue);
bool ParseSettingsDecimal(const std::string& AText, double& AValue);

class TfrmProjectSettings : public QDialog {
    Q_OBJECT
public:
    // Shows the dialog on ASettings; true when OK committed valid values into ASettings (false,
    // and ASettings untouched, for Cancel or the close box).
    static bool Execute(QWidget* AOwner, TProjectSettings& ASettings, TUiPrompts& APrompts);

    TfrmProjectSettings(QWidget* AOwner, TProjectSettings& ASettings, TUiPrompts& APrompts);

    void SettingsToControls(const TProjectSettings& ASettings);
    // Reads the controls onto ASettings (which is a working copy: fields before an invalid value
    // have been written). Returns the first invalid field, or nullptr when every value is valid.
    QWidget* ControlsToSettings(TProjectSettings& ASettings) const;

    void SavePresetClick();
    void LoadPresetClick();
    // OK: commits when valid, else says so and stays open.
    void accept() override;

    static constexpr const char* InvalidValuesText = "Some values are invalid. Please fix them.";
    static constexpr const char* PresetFilter = "Settings preset (*.json);;All files (*)";

    QLineEdit* edProjTitle = nullptr;
    QLineEdit* edH1 = nullptr;
    QLineEdit* edH2 = nullptr;
    QLineEdit* edH3 = nullptr;
    QLineEdit* edBody = nullptr;
    QLineEdit* edFontName = nullptr;
    QLineEdit* edLineSpacing = nullptr;
    TColorBox* cbTextColor = nullptr;
    TColorBox* cbHeaderBg = nullptr;
    TColorBox* cbPageBg = nullptr;
    QComboBox* cmbFontName = nullptr;
    QComboBox* cmbBodyFontSize = nullptr;
    TColorBox* cbTocTextColor = nullptr;
    QLineEdit* edTocTextSize = nullptr;
    QCheckBox* chkCopyright = nullptr;
    QLineEdit* edCopyrightText = nullptr;
    TColorBox* cbLinkColor = nullptr;
    QComboBox* cmbLinkStyle = nullptr;
    TColorBox* cbTableBorderColor = nullptr;
    QComboBox* cmbTableBorderStyle = nullptr;
    QLineEdit* edTableBorderWidth = nullptr;
    QPushButton* btnOk = nullptr;
    QPushButton* btnCancel = nullptr;
    QPushButton* btnSavePreset = nullptr;
    QPushButton* btnLoadPreset = nullptr;
    QScrollArea* sbxMain = nullptr;

private:
    int S(double AValue) const;
    void BuildControls();
    void AddHeading(const char* ACaption);
    void AddRow(const char* ACaption, QWidget* AControl, int AWidth);
    QLineEdit* NewEdit(const char* AObjectName);
    TColorBox* NewColorBox(const char* AObjectName);
    QComboBox* NewCombo(const char* AObjectName, const QStringList& AItems, bool AEditable);
    void ShowInvalid(QWidget* AField, const char* AText);
    void PlaceOkCancel();
    bool eventFilter(QObject* AWatched, QEvent* AEvent) override;

    TProjectSettings& FSettings;  // the caller's, written only by a valid OK
    TProjectSettings FWork;       // what the dialog shows: the caller's settings or a loaded preset
    TUiPrompts& FPrompts;
    QWidget* FContent = nullptr;
    QWidget* FBottom = nullptr;
    int FY = 0;
    int FTextHeight = 0;
    int FControlHeight = 0;
    int FRowStep = 0;
};
