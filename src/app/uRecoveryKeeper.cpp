#include "uRecoveryKeeper.h"

#include "uUtils.h"

TRecoveryKeeper::TRecoveryKeeper(std::string ABaseFolder, TSnapshot ASnapshot, QObject* AParent)
    : QObject(AParent), FBase(std::move(ABaseFolder)), FJournal(FBase), FSnapshot(std::move(ASnapshot)) {
    FTimer.setSingleShot(true);
    FTimer.setInterval(2000);
    connect(&FTimer, &QTimer::timeout, this, [this] { WriteNow(); });
}

void TRecoveryKeeper::Attach(const std::string& ARoot) {
    FTimer.stop();
    FTreeChanged = true;
    try {
        FJournal.Attach(ARoot);
    } catch (const std::exception& e) {
        FLastError = e.what();
    }
}

void TRecoveryKeeper::Schedule() {
    FTreeChanged = true;
    ScheduleTopicText();
}

void TRecoveryKeeper::ScheduleTopicText() {
    if (FJournal.Attached() && !FTimer.isActive())
        FTimer.start();
}

void TRecoveryKeeper::WriteNow() {
    FTimer.stop();
    if (!FJournal.Attached())
        return;
    const TDocProject* project = nullptr;
    std::map<std::string, std::string> html;
    FSnapshot(project, html);
    if (!project)
        return;
    try {
        FJournal.Write(*project, html, FTreeChanged ? TRecoveryJournal::TTree::Changed : TRecoveryJournal::TTree::Unchanged);
        FTreeChanged = false;
        FLastError.clear();
    } catch (const std::exception& e) {
        FLastError = e.what();
    }
}

void TRecoveryKeeper::Forget() {
    FTimer.stop();
    FTreeChanged = true;
    try {
        FJournal.Remove();
    } catch (const std::exception& e) {
        FLastError = e.what();
    }
}

void TRecoveryKeeper::Detach() {
    FTimer.stop();
    FTreeChanged = true;
    FJournal.Detach();
}

void TRecoveryKeeper::MoveTo(const std::string& ANewRoot) {
    FTreeChanged = true;
    try {
        FJournal.MoveTo(ANewRoot);
    } catch (const std::exception& e) {
        FLastError = e.what();
    }
}
