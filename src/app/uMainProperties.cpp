// TfrmMain: the selected topic's Properties page (keywords, index entries, the three exclusions)
// and the project's style profile. The page is TTopicPropertiesPage on pcRight, beside the
// editor; the author shows and hides it with Topic > Properties.
//
// What the author types on the page is stored into the topic by Apply, and also whenever the
// window stashes the current edits (a topic switch, Save, Save As, publishing): properties typed
// without Apply are never dropped silently. The first change on the page marks the project
// modified, so closing asks about it.
#include "uMain.h"

#include "uAppErrors.h"
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
    tsProperties->StoreInto(FProject->GetTopic(AID));
    SaveProjectFolder(*FProject);
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
