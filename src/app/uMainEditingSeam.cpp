// TfrmMain: the topic editing state as far as the window needs it before the editor bridge is
// integrated. The editing unit (uMainEditing.cpp) replaces this whole file: it defines the same
// member functions with the editor page behind them (topic switch, timed waits for the page's
// HTML and header, header files, style sheet, focus) and creates FBridge in EdgeLayout.
//
// Without a page nothing can be edited, so the waits return at once and nothing is sent.
#include "uMain.h"

#include "uUtils.h"

#include <QLabel>
#include <QVBoxLayout>

void TfrmMain::tvTocChange() { FCurrentTopicID = SelectedTopicID(); }

void TfrmMain::RequestHeaderAndWait(int /*ATimeoutMs*/) {}

void TfrmMain::StashCurrentEdits() {
    if (!FCurrentTopicID.empty() && !FDirtyHtml.empty()) {
        FUnsavedTopicHtml[FCurrentTopicID] = FDirtyHtml;
        FDirtyHtml.clear();
    }
}

std::string TfrmMain::CurrentTopicHtml() {
    if (!FDirtyHtml.empty())
        return FDirtyHtml;
    if (auto it = FUnsavedTopicHtml.find(FCurrentTopicID); it != FUnsavedTopicHtml.end())
        return it->second;
    if (FCurrentTopicID.empty() || !FileExists(TopicBodyPath(FCurrentTopicID)))
        return {};
    return ReadUtf8File(TopicBodyPath(FCurrentTopicID));
}

bool TfrmMain::IsHtmlEffectivelyEmpty(const std::string& AHtml) {
    // Text outside tags, without white space and &nbsp;.
    std::string text;
    bool inTag = false;
    for (char c : AHtml) {
        if (c == '<')
            inTag = true;
        else if (c == '>')
            inTag = false;
        else if (!inTag)
            text += c;
    }
    text = ReplaceText(text, "&nbsp;", "", true, true);
    return Trim(text).empty() && FindText(AHtml, "<img") == std::string::npos;
}

void TfrmMain::ApplyEditorStyleSheet() {}

void TfrmMain::RefreshDefaultHeader() {}

std::string TfrmMain::TopicBodyPath(const std::string& AID) const {
    return IncludeTrailingPathDelimiter(FProject->RootPath()) + "topics" + PathDelim + AID + ".html";
}

void TfrmMain::ApplySettingsToEditor() {}

void TfrmMain::CreateEditorBridge() {
    // The editor area stays a placeholder until the bridge puts its browser view here.
    if (FEditorPlaceholder)
        return;
    auto* label = new QLabel("The topic editor opens here.", Edge);
    label->setObjectName("EditorPlaceholder");
    label->setAlignment(Qt::AlignCenter);
    EdgeLayout->addWidget(label, 1);
    FEditorPlaceholder = label;
}

void TfrmMain::SetEditorBaseAddress() {}

void TfrmMain::DestroyEditorBridge() { FBridge = nullptr; }
