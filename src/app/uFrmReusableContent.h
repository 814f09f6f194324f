// TfrmReusableContent: the modal dialog in which the author edits the project's variables,
// snippets and conditions in three grids, and TReusableTabButtonGuard, which keeps the insert
// buttons in step with the tab shown. The dialog is built in code for one opening; the grids are
// its only working copy (LoadFrom fills them, ReadInto reads them back). It closes with
// QDialog::Accepted (Save), QDialog::Rejected (Cancel, Esc, the close box) or one of the insert
// results below; saving and inserting are the caller's (TfrmMain::btnVariablesConditionsSnippetsClick).
#pragma once

#include "uReusableContent.h"

#include <QDialog>
#include <QObject>
#include <string>

class QLabel;
class QPushButton;
class QTabWidget;
class QTableWidget;

// Trimmed and ASCII-lower-cased, "true", "yes", "1" and "on" are true; anything else is false.
bool ParseEnabledText(const std::string& AText);
// "true" or "false".
std::string EnabledToText(bool AEnabled);

// Enables "Insert variable" on the Variables tab only, "Insert snippet" on the Snippets tab only
// and both condition buttons on the Conditions tab only. References are not owned; a missing one
// is skipped, and without a page control nothing happens.
class TReusableTabButtonGuard : public QObject {
    Q_OBJECT
public:
    explicit TReusableTabButtonGuard(QObject* AOwner) : QObject(AOwner) {}

    QTabWidget* Pages = nullptr;
    QWidget* TsVars = nullptr;
    QWidget* TsSnips = nullptr;
    QWidget* TsConds = nullptr;
    QPushButton* BtnInsVar = nullptr;
    QPushButton* BtnInsSnip = nullptr;
    QPushButton* BtnInsCondBegin = nullptr;
    QPushButton* BtnInsCondEnd = nullptr;

    void PageChanged(QObject* ASender);
    void UpdateButtons();
};

class TfrmReusableContent : public QDialog {
    Q_OBJECT
public:
    enum TResult { mrInsertVariable = 101, mrInsertSnippet = 102, mrInsertBeginCondition = 103, mrInsertEndCondition = 104 };
    enum TKind { rkVariables = 0, rkSnippets = 1, rkConditions = 2 };

    // Sized and placed on AParent (the main window): centred, its monitor's work area.
    explicit TfrmReusableContent(QWidget* AParent = nullptr);

    // Fills the grids from AContent: rows = the larger of entries + 12 and 16 (the header row
    // counted), entries in list order; then sets the column widths.
    void LoadFrom(const TReusableProjectContent& AContent);
    // Clears AContent and appends every row whose trimmed name is not empty, in row order.
    void ReadInto(TReusableProjectContent& AContent) const;
    // The trimmed name of the current row of the kind's grid (the first row when none is current).
    std::string CurrentName(TKind AKind) const;
    QTableWidget* Grid(TKind AKind) const;

    // The help texts above the grids, lines separated by CR LF.
    static std::string VariablesHelpText();
    static std::string SnippetsHelpText();
    static std::string ConditionsHelpText();
    static constexpr const char* SupportAddress = "support@pagewell.example.org";

    QTabWidget* pcPages = nullptr;
    QWidget* tsVars = nullptr;
    QWidget* tsSnips = nullptr;
    QWidget* tsConds = nullptr;
    QTableWidget* grdVars = nullptr;
    QTableWidget* grdSnips = nullptr;
    QTableWidget* grdConds = nullptr;
    QWidget* pnlBottom = nullptr;
    QPushButton* btnInsVar = nullptr;
    QPushButton* btnInsSnip = nullptr;
    QPushButton* btnInsCondBegin = nullptr;
    QPushButton* btnInsCondEnd = nullptr;
    QPushButton* btnSave = nullptr;
    QPushButton* btnCancel = nullptr;
    TReusableTabButtonGuard* Guard = nullptr;

    // Every result but Rejected first commits a cell that is being edited.
    void done(int AResult) override;

protected:
    bool eventFilter(QObject* AWatched, QEvent* AEvent) override;
    void showEvent(QShowEvent* AEvent) override;

private:
    int S(double AValue) const;
    QWidget* AddTab(const char* AObjectName, const char* ACaption, const std::string& AHelp,
                    const char* AValueHeader, QTableWidget*& AGrid);
    QPushButton* AddButton(const char* AObjectName, const char* ACaption, int ALeft, int AWidth, int AResult);
    void SetRowCount(QTableWidget* AGrid, int AEntries);
    void SetColumnWidths(QTableWidget* AGrid);
    void PlaceSaveCancel();

    int FRowHeight = 0;
    int FButtonHeight = 0;
    bool FShownOnce = false;
};
