// TfrmMain: the topic header band (its files, its push into the editor page, the generated
// default) and the project settings pushed into the page.
#include "uMain.h"

#include "uEditorBridge.h"
#include "uEditorText.h"
#include "uTopicHeaders.h"
#include "uUtils.h"

#include <QCheckBox>

std::string TfrmMain::DefaultHeaderHtml(const std::string& ATitle) const { return ::DefaultHeaderHtml(*FSettings, ATitle); }

void TfrmMain::LoadHeader(const std::string& AID) {
    const TTopicHeader header = LoadTopicHeader(*FProject, *FSettings, AID);
    FHeaderHtml = header.Html;
    FHeaderBg = header.Bg;
}

void TfrmMain::SaveHeader(const std::string& AID) {
    SaveTopicHeader(FProject->RootPath(), AID, TTopicHeader{FHeaderHtml, FHeaderBg});
}

void TfrmMain::PushHeaderToEditor() {
    if (!FEditorReady || !FBridge)
        return;
    // The page answers the push with one "headerChanged", which is dropped in its turn.
    FHeaderMessages.push_back({FProject->RootPath(), FCurrentTopicID, 0, true});
    FPageHeaderRoot = FProject->RootPath();
    FPageHeaderTopicID = FCurrentTopicID;
    TProgrammaticSection section(*FBridge);
    FBridge->SetHeaderHtml(FHeaderHtml);
    FBridge->SetHeaderBgColor(FHeaderBg);
}

void TfrmMain::chkShowHeaderClick() {
    if (!chkShowHeader)
        return;
    chkShowHeader->setChecked(true);
    chkShowHeader->setEnabled(false);
}

bool TfrmMain::IsDefaultHeader(const std::string& AHeaderHtml, const std::string& ATitle) const {
    return ::IsDefaultHeader(AHeaderHtml, ATitle, FProject ? FProject->Title() : std::string());
}

void TfrmMain::RefreshDefaultHeader() {
    if (FCurrentTopicID.empty() || !FProject->HasTopic(FCurrentTopicID))
        return;
    if (!IsHtmlEffectivelyEmpty(CurrentTopicHtml()))
        return;  // a topic with content keeps its header
    // The wait above may have seen the topic change.
    if (FCurrentTopicID.empty() || !FProject->HasTopic(FCurrentTopicID))
        return;
    const std::string title = FProject->GetTopic(FCurrentTopicID).Title();
    if (!Trim(FHeaderHtml).empty() && !IsDefaultHeader(FHeaderHtml, title))
        return;
    FHeaderHtml = DefaultHeaderHtml(title);
    FHeaderBg = ColorToHtml(FSettings->DefaultHeaderBgColor);
    SaveHeader(FCurrentTopicID);
    PushHeaderToEditor();
}

void TfrmMain::ApplySettingsToEditor() {
    if (!FEditorReady || !FBridge || !FSettings)
        return;
    const TProjectSettings& s = *FSettings;
    const std::string textColor = ColorToHtml(s.DefaultTextColor);
    // The four deadlines come from one clock reading, before anything is sent.
    FToolbarSync.SettingsApplied(textColor, s.DefaultFontName, s.FontSizeBody, FormatLineSpacing(s.DefaultLineSpacing));
    TProgrammaticSection section(*FBridge);
    FHeaderBg = ColorToHtml(s.DefaultHeaderBgColor);
    FBridge->SetHeaderBgColor(FHeaderBg);
    FBridge->SetPageBgColor(ColorToHtml(s.DefaultPageBgColor));
    FBridge->SetTextColor(textColor);
    FBridge->SetTextBackColor("");
    FBridge->SetFontName(s.DefaultFontName);
    FBridge->SetFontSizePx(s.FontSizeBody);
    FBridge->SetLineSpacing(s.DefaultLineSpacing);
    FBridge->SetTableBorderStyle(s.TableBorderStyle);
    FBridge->SetTableBorderWidth(s.TableBorderWidth);
    FBridge->SetTableBorderColor(ColorToHtml(s.TableBorderColor));
}
