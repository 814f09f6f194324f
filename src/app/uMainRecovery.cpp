// TfrmMain: the recovery journal of unsaved changes (TRecoveryKeeper) and the restore question
// when a project, or the scratch project, is opened with a journal a killed session left behind.
#include "uMain.h"

#include "uAppInfo.h"
#include "uQtText.h"
#include "uRecoveryKeeper.h"
#include "uUiPrompts.h"
#include "uUtils.h"

#include <QDateTime>

void TfrmMain::CreateRecoveryKeeper(const std::string& ABaseFolder) {
    delete FRecovery;
    FRecovery = new TRecoveryKeeper(ABaseFolder, [this](const TDocProject*& AProject, std::map<std::string, std::string>& AHtml) {
        if (!FProject || !FProjectDirty)
            return;
        AProject = FProject.get();
        AHtml = FUnsavedTopicHtml;
        // The shown topic as the page last reported it; never asked for here.
        if (!FCurrentTopicID.empty() && !FDirtyHtml.empty())
            AHtml[FCurrentTopicID] = FDirtyHtml;
    }, this);
}

bool TfrmMain::JournalLeftBehind(const std::string& ARoot) const {
    return FRecovery && TRecoveryJournal::HasLeftBehind(FRecovery->BaseFolder(), ARoot);
}

bool TfrmMain::OfferRecovery(const std::string& ARoot) {
    if (!FRecovery)
        return false;
    const std::string base = FRecovery->BaseFolder();
    bool restored = false;
    if (TRecoveryJournal::HasLeftBehind(base, ARoot)) {
        TJournalContents contents;
        bool readable = true;
        try {
            contents = TRecoveryJournal::Read(base, ARoot);
        } catch (const EAppError& e) {
            readable = false;
            std::string where;
            try {
                where = TRecoveryJournal::KeepAside(base, ARoot);
            } catch (const EAppError& aside) {
                where = aside.what();
            }
            FPrompts.ShowError(AppTitle, "Unsaved changes were found but cannot be read (" + std::string(e.what()) +
                                             "). They were kept in " + where + ".");
        }
        if (readable) {
            const QDateTime read = QDateTime::fromString(ToQ(contents.WrittenUtc), "yyyy-MM-dd HH:mm:ss");
            const QDateTime utc(read.date(), read.time(), Qt::UTC);
            const std::string shown =
                read.isValid() ? FromQ(utc.toLocalTime().toString("yyyy-MM-dd HH:mm:ss")) : contents.WrittenUtc;
            if (FPrompts.ConfirmYesNo(AppTitle, "Unsaved changes from " + shown + " were found. Restore them?")) {
                ApplyJournalTree(contents, *FProject);
                FUnsavedTopicHtml = contents.TopicHtml;
                FProjectDirty = true;
                restored = true;
            } else {
                TRecoveryJournal::Discard(base, ARoot);
            }
        }
    }
    FRecovery->Attach(ARoot);
    if (restored)
        FRecovery->WriteNow();
    return restored;
}
