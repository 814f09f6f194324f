// TfrmNewVersion: the start-up dialog that announces a new version, offers its download and,
// when the update is forced, ends the program unless the user updates. It finishes in the stay
// state (start-up goes on) or the leave state (the program ends before the main window exists).
// The downloaded installer is never run: its folder is handed to the desktop through the prompts.
#pragma once

#include "uNewVersionCheck.h"

#include <QDialog>

class QLabel;
class QProgressBar;
class QPushButton;
class QScrollArea;
class TUiPrompts;

class TfrmNewVersion : public QDialog {
    Q_OBJECT
public:
    TfrmNewVersion(const TNewVersionState& AState, const TUpdateCheckOptions& AOptions, TUiPrompts& APrompts,
                   QWidget* AParent = nullptr);

    // True once the dialog has finished in the leave state.
    bool LeaveRequested() const { return FLeave; }

    QLabel* Label1 = nullptr;
    QProgressBar* ProgressBar1 = nullptr;
    QPushButton* btUpdateNow = nullptr;
    QPushButton* btCancel = nullptr;

    // Closing in any way (button, close box, Escape) finishes the dialog.
    void done(int AResult) override;

protected:
    void showEvent(QShowEvent* AEvent) override;

private:
    void FormShow();
    void SetMessage(const QString& AText);
    void btUpdateNowClick();
    void btCancelClick();
    void DownloadFinished(const QString& AFailure);

    TNewVersionState FState;
    TUpdateCheckOptions FOptions;
    TUiPrompts& FPrompts;
    TUpdateDownload* FDownload = nullptr;
    QScrollArea* FTextArea = nullptr;
    int FMinTextHeight = 0;
    int FMaxTextHeight = 0;
    bool FForced = false;
    bool FLeave = false;
};

// The start-up step: runs the check with AOptions and, when it reports a new version, shows the
// dialog modally. False when the program is to end without creating its main window.
bool PassStartupUpdateCheck(const TUpdateCheckOptions& AOptions, TUiPrompts& APrompts);
