// File > Import HTML Manual...: brings a whole HTML manual into the open project (uManualImport.h).
// The pages are read on a worker thread behind a progress dialog that can be cancelled; the
// topics are then added to the project in memory below a new root topic, only the new topic,
// header and asset files are written, and the project is marked modified, so Save keeps both
// the import and the author's unsaved edits. A report dialog shows what came in and what was
// left behind. Failures are raised to the caller (the window's error box); a cancel shows
// "Import cancelled" in the status bar. Either way the project is as it was.
// Made for one command and dropped.
#pragma once

#include <QDialog>

#include <string>

class QLabel;
class QPlainTextEdit;
class QPushButton;
class TfrmMain;
class TUiPrompts;
struct TManualImportReport;

class TManualImportCommand {
public:
    TManualImportCommand(TfrmMain& AForm, TUiPrompts& APrompts) : FForm(AForm), FPrompts(APrompts) {}
    void Run();

    static const char* const StartPageFilter;

private:
    TfrmMain& FForm;
    TUiPrompts& FPrompts;
};

// The report of one import, read-only, closed with OK.
class TfrmManualImportReport : public QDialog {
    Q_OBJECT

public:
    TfrmManualImportReport(const TManualImportReport& AReport, QWidget* AParent);

    QLabel* lblSummary = nullptr;
    QLabel* lblReport = nullptr;
    QPlainTextEdit* memReport = nullptr;
    QPushButton* btnOK = nullptr;
};
