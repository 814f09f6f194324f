// TRecoveryKeeper: keeps the recovery journal (uRecoveryJournal) of the window's open project up
// to date. Changes are written a few seconds after they are reported, at most that often while
// the author types, and at once when asked (a topic switch). It only records what the window
// already holds: it never asks the editor page and never waits for it.
//
// The window tells it when a project is opened (Attach), saved or given up (Forget) and moved
// (MoveTo). Write failures are kept quiet (the journal is a safety net, not the document); the
// last one is available for the status bar and the tests.
#pragma once

#include "uRecoveryJournal.h"

#include <QObject>
#include <QTimer>
#include <functional>
#include <map>
#include <string>

class TRecoveryKeeper : public QObject {
    Q_OBJECT

public:
    // What the journal must hold now: the project and the unsaved HTML by topic id.
    using TSnapshot = std::function<void(const TDocProject*& AProject, std::map<std::string, std::string>& AHtml)>;

    // ABaseFolder: where the journals live (TRecoveryJournal::RecoveryFolder() in the program).
    TRecoveryKeeper(std::string ABaseFolder, TSnapshot ASnapshot, QObject* AParent = nullptr);

    const std::string& BaseFolder() const { return FBase; }
    // The delay between a reported change and its write, in milliseconds (2000 by default).
    void SetDelayMs(int AMs) { FTimer.setInterval(AMs); }

    void Attach(const std::string& ARoot);
    // A change was reported: written when the delay has run out (a running delay is not restarted).
    // Any change may have touched the tree, so the next write builds its text again...
    void Schedule();
    // ...except a change of topic text only, which leaves the tree text of the last write as it is.
    void ScheduleTopicText();
    // Writes what the window holds now.
    void WriteNow();
    // The changes were saved or given up: the journal goes.
    void Forget();
    // Stops keeping the journal; its files stay (the project failed to open).
    void Detach();
    // The project moved (Save As).
    void MoveTo(const std::string& ANewRoot);

    const std::string& LastError() const { return FLastError; }

private:
    std::string FBase;
    TRecoveryJournal FJournal;
    TSnapshot FSnapshot;
    QTimer FTimer;
    std::string FLastError;
    bool FTreeChanged = true;  // since the last successful write
};
