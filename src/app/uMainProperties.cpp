// TfrmMain: the selected topic's Properties page (keywords, index entries, the three exclusions,
// the help alias and context number) and the project's style profile. The page is TTopicPropertiesPage on pcRight, beside the
// editor; the author shows and hides it with Topic > Properties.
//
// What the author types on the page is stored into the topic by Apply, and also whenever the
// window stashes the current edits (a topic switch, Save, Save As, publishing): properties typed
// without Apply are never dropped silently. The first change on the page marks the project
// modified, so closing asks about it. A help alias or number that is invalid or used by another
// topic refuses the store (nothing on the page is stored) and the topic switch.
#include "uMain.h"

#include "uAppErrors.h"
#include "uContextIds.h"
#include "uDlgAssignContextIds.h"
#include "uSettingsCss.h"
#include "uStorage.h"
#include "uTopicPropertiesPage.h"
#include "uUtils.h"

#include <QAction>
#include <QPlainTextEdit>
#include <QSplitter>
#include <QTabWidget>
#include <algorithm>

void TfrmMain::ShowTopicProperties(const std::string& AID) { tsProperties->ShowTopic(FProject->GetTopic(AID)); }

void TfrmMain::StoreTopicProperties(const std::string& AID) {
    // A help alias or number that cannot be stored refuses the whole page.
    if (const std::string problem = tsProperties->ContextIdsProblem(*FProject); !problem.empty())
        throw EAppError(problem);
    tsProperties->StoreInto(FProject->GetTopic(AID));
    SaveProjectFolder(*FProject);
}

std::string TfrmMain::PendingTopicPropertiesProblem() const {
    if (!tsProperties || !tsProperties->Modified() || !FProject->HasTopic(tsProperties->TopicID()))
        return {};
    return tsProperties->ContextIdsProblem(*FProject);
}

void TfrmMain::StorePendingTopicProperties() {
    if (tsProperties && tsProperties->Modified() && FProject->HasTopic(tsProperties->TopicID()))
        StoreTopicProperties(tsProperties->TopicID());
}

void TfrmMain::btnApplyPropsClick() {
    // The page holds the values of the topic it shows, which is the selected one.
    if (!SelectedTopicID().empty() && FProject->HasTopic(tsProperties->TopicID()))
        StoreTopicProperties(tsProperties->TopicID());
    ShowStatus("Properties saved");
}

void TfrmMain::FillStyleProfiles() {
    tsProperties->FillStyles(StyleProfileNames(FProject->RootPath()), FProject->StyleProfile());
}

void TfrmMain::cbStyleChange(const std::string& AName) {
    FProject->SetStyleProfile(AName);
    SaveProjectFolder(*FProject);
    ShowStatus("Style set: " + FProject->StyleProfile());
    if (FBridge && FEditorReady)
        ApplyEditorStyleSheet();
    else
        WriteEditorEffectiveCss(*FProject, *FSettings);
}

void TfrmMain::Properties1Click() {
    const bool show = Properties1->isChecked();
    pcRight->setVisible(show);
    if (!show)
        return;
    const int total = splEditor->width();
    const int page = std::min(std::max(pcRight->minimumWidth(), total / 4), total / 2);
    splEditor->setSizes({total - page, page});
    tsProperties->memKeywords->setFocus(Qt::OtherFocusReason);
}

void TfrmMain::AssignHelpContextIds1Click() {
    StorePendingTopicProperties();  // what the page holds counts as in use
    TdlgAssignContextIds dlg(this);
    if (dlg.exec() != QDialog::Accepted)
        return;
    const TAssignContextIdsResult r = AssignHelpContextIds(*FProject, dlg.Aliases(), dlg.Numbers());
    if (!FCurrentTopicID.empty() && FProject->HasTopic(FCurrentTopicID))
        ShowTopicProperties(FCurrentTopicID);
    if (r.Aliases + r.Numbers > 0)
        MarkProjectDirty();
    ShowStatus("Help context IDs assigned: " + std::to_string(r.Aliases) + " aliases, " + std::to_string(r.Numbers) +
               " numbers");
}
