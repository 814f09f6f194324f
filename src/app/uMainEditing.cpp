// TfrmMain: the topic editing state. One topic at a time is shown in the editor page; its HTML
// travels from the page (the live document) to FDirtyHtml (the latest HTML the page reported)
// to FUnsavedTopicHtml (topics left, held until Save). The page is asked for its HTML and header
// with fire-and-forget messages; the window then waits in a nested event loop for the answer.
//
// Every request to the page is recorded in order (the page answers in the order it was asked),
// so an answer that comes after its wait has ended is still put where it belongs: into the
// topic it was asked for, never into the topic shown when it arrives. Topic switches are
// serialised: a switch asked for while another one waits for the page runs after it.
#include "uMain.h"

#include "uAppErrors.h"
#include "uAppInfo.h"
#include "uEditorBridge.h"
#include "uEditorText.h"
#include "uRecoveryKeeper.h"
#include "uSettingsCss.h"
#include "uTopicHeaders.h"
#include "uTopicPropertiesPage.h"
#include "uUiPrompts.h"
#include "uUtils.h"

#include <QCheckBox>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <QVBoxLayout>
#include <QWebEngineView>

#include <algorithm>

// ---- the browser and its bridge -------------------------------------------------------------

void TfrmMain::CreateEditorBridge() {
    if (FBridge)
        return;
    delete FEditorPlaceholder;
    FEditorPlaceholder = nullptr;
    FEdgeView = new QWebEngineView(Edge);
    FEdgeView->setObjectName("EdgeView");
    EdgeLayout->addWidget(FEdgeView, 1);

    chkShowHeader = new QCheckBox("Show header", Panel1);
    chkShowHeader->setObjectName("chkShowHeader");
    connect(chkShowHeader, &QCheckBox::clicked, this, [this] { chkShowHeaderClick(); });
    chkShowHeaderClick();

    FBridge = new TEditorBridge(FEdgeView, this);
    FBridge->OnReady = [this] { RunGuarded(FPrompts, [&] { BridgeReady(); }); };
    FBridge->OnHtmlChanged = [this](const std::string& AHtml) {
        RunGuarded(FPrompts, [&] { BridgeHtmlChanged(AHtml); });
    };
    FBridge->OnHeaderChanged = [this](const std::string& AHtml, const std::string& ABg) {
        RunGuarded(FPrompts, [&] { BridgeHeaderChanged(AHtml, ABg); });
    };
    FBridge->OnAreaChanged = [this](const std::string& AArea) { BridgeAreaChanged(AArea); };
    FBridge->OnCursorStyle = [this](const TEditorCursorStyle& S) { RunGuarded(FPrompts, [&] { ApplyCursorStyle(S); }); };
    FBridge->NavigateToEditor(CombinePath(FProject->RootPath(), "internal/editor/editor.html"));
}

void TfrmMain::DestroyEditorBridge() {
    WakeEditorWaits();
    delete FBridge;
    FBridge = nullptr;
}

void TfrmMain::SetEditorBaseAddress() {
    if (FEditorReady && FBridge && FProject)
        FBridge->SetBaseHref(TEditorBridge::FilePathToFileUrl(IncludeTrailingPathDelimiter(FProject->RootPath())));
}

// ---- events of the page ---------------------------------------------------------------------

void TfrmMain::BridgeReady() {
    FEditorReady = true;
    FEditorCssShown.clear();  // a new page has no style sheet yet
    FLoadedTopicBaselineHtml.clear();
    // A new page knows nothing of what the old one was asked; what the author typed there and
    // the window has not stored yet is kept for the topic.
    FHtmlRequests.clear();
    FHeaderMessages.clear();
    FWaitingHtmlResponse = FWaitingHeaderResponse = false;
    WakeEditorWaits();
    if (!FCurrentTopicID.empty() && !FDirtyHtml.empty()) {
        FUnsavedTopicHtml[FCurrentTopicID] = FDirtyHtml;
        FDirtyHtml.clear();
    }
    SetEditorBaseAddress();
    ApplyEditorStyleSheet();
    chkShowHeaderClick();
    LoadHeader(FCurrentTopicID);
    PushHeaderToEditor();
    ApplySettingsToEditor();
    if (!FCurrentTopicID.empty())
        LoadTopicIntoEditor(FCurrentTopicID);
    RequestEditorFocus();
}

bool TfrmMain::IsCurrentDocument(const TEditorRequestTag& ATag) const {
    return ATag.Root == FProject->RootPath() && ATag.TopicID == FCurrentTopicID && ATag.Generation == FEditorDocGeneration;
}

void TfrmMain::MoveEditorRecordsToRoot(const std::string& AOldRoot, const std::string& ANewRoot) {
    auto follow = [&](std::string& ARoot) {
        if (ARoot == AOldRoot)
            ARoot = ANewRoot;
    };
    follow(FPageHeaderRoot);
    for (TEditorRequestTag& tag : FHtmlRequests)
        follow(tag.Root);
    for (TEditorRequestTag& tag : FHeaderMessages)
        follow(tag.Root);
}

void TfrmMain::BridgeHtmlChanged(const std::string& AHtml) {
    if (FBridge && FBridge->LastHtmlChangeWasUser()) {
        // The author's own change is the page's latest document; it also ends a wait for it.
        FDirtyHtml = AHtml;
        // As MarkProjectDirty, but the recovery journal is told that only topic text changed.
        FProjectDirty = true;
        if (FRecovery)
            FRecovery->ScheduleTopicText();
        UpdateCaption();
        if (FWaitingHtmlResponse) {
            FWaitingHtmlResponse = false;
            WakeEditorWaits();
        }
        return;
    }
    if (FHtmlRequests.empty())
        return;  // a change the window caused itself
    const TEditorRequestTag tag = FHtmlRequests.front();
    FHtmlRequests.pop_front();
    if (IsCurrentDocument(tag)) {
        FDirtyHtml = AHtml;
        FWaitingHtmlResponse = false;
        WakeEditorWaits();
        return;
    }
    // A late answer about a topic the author has left: it is that topic's latest HTML, unless
    // the topic has been shown again since (then its newer visit counts).
    if (tag.Root != FProject->RootPath() || tag.TopicID.empty() || tag.TopicID == FCurrentTopicID ||
        !FProject->HasTopic(tag.TopicID))
        return;
    auto it = FTopicLoadGeneration.find(tag.TopicID);
    if (it != FTopicLoadGeneration.end() && it->second == tag.Generation)
        FUnsavedTopicHtml[tag.TopicID] = AHtml;
}

void TfrmMain::BridgeHeaderChanged(const std::string& AHeaderHtml, const std::string& AHeaderBgHtml) {
    // The page reports headers in the order it was sent pushes and requests: the echo of a push
    // is dropped, an answer belongs to the header the page showed when asked, and an edit of the
    // author to the header the page shows now.
    TEditorRequestTag target{FPageHeaderRoot, FPageHeaderTopicID, 0, false};
    if (!FHeaderMessages.empty()) {
        target = FHeaderMessages.front();
        FHeaderMessages.pop_front();
        if (target.Echo)
            return;
    }
    FWaitingHeaderResponse = false;
    WakeEditorWaits();
    if (!FProject || target.Root != FProject->RootPath())
        return;
    if (target.TopicID == FCurrentTopicID) {
        FHeaderHtml = AHeaderHtml;
        if (!Trim(AHeaderBgHtml).empty())
            FHeaderBg = AHeaderBgHtml;
        SaveHeader(FCurrentTopicID);
        return;
    }
    if (!target.TopicID.empty() && !FProject->HasTopic(target.TopicID))
        return;
    TTopicHeader header = LoadTopicHeader(*FProject, *FSettings, target.TopicID);
    header.Html = AHeaderHtml;
    if (!Trim(AHeaderBgHtml).empty())
        header.Bg = AHeaderBgHtml;
    SaveTopicHeader(FProject->RootPath(), target.TopicID, header);
}

void TfrmMain::BridgeAreaChanged(const std::string& AArea) { FActiveArea = AArea; }

// ---- waiting for the page -------------------------------------------------------------------

void TfrmMain::WaitForEditor(const bool& AFlag, int ATimeoutMs) {
    QElapsedTimer elapsed;
    elapsed.start();
    while (AFlag && FBridge && elapsed.elapsed() < ATimeoutMs) {
        QEventLoop loop;
        FEditorWaits.push_back(&loop);
        QTimer::singleShot(std::max<int>(1, ATimeoutMs - static_cast<int>(elapsed.elapsed())), &loop, &QEventLoop::quit);
        loop.exec();
        FEditorWaits.erase(std::find(FEditorWaits.begin(), FEditorWaits.end(), &loop));
    }
}

void TfrmMain::WakeEditorWaits() {
    for (QEventLoop* loop : FEditorWaits)
        loop->quit();
}

void TfrmMain::RequestHtmlAndWait(int ATimeoutMs) {
    if (PostHtmlRequest())
        WaitForHtmlAnswer(ATimeoutMs);
}

bool TfrmMain::PostHtmlRequest() {
    if (!FEditorReady || !FBridge || FCurrentTopicID.empty())
        return false;
    FHtmlRequests.push_back({FProject->RootPath(), FCurrentTopicID, FEditorDocGeneration, false});
    FWaitingHtmlResponse = true;
    FBridge->RequestHtml();
    return true;
}

void TfrmMain::WaitForHtmlAnswer(int ATimeoutMs) {
    WaitForEditor(FWaitingHtmlResponse, ATimeoutMs);
    // An answer after the time-out is placed by its record; the mark does not outlive the wait.
    FWaitingHtmlResponse = false;
}

void TfrmMain::RequestHeaderAndWait(int ATimeoutMs) {
    if (PostHeaderRequest())
        WaitForHeaderAnswer(ATimeoutMs);
}

bool TfrmMain::PostHeaderRequest() {
    if (!FEditorReady || !FBridge)
        return false;
    FHeaderMessages.push_back({FPageHeaderRoot, FPageHeaderTopicID, 0, false});
    FWaitingHeaderResponse = true;
    FBridge->RequestHeader();
    return true;
}

void TfrmMain::WaitForHeaderAnswer(int ATimeoutMs) {
    WaitForEditor(FWaitingHeaderResponse, ATimeoutMs);
    FWaitingHeaderResponse = false;
}

// ---- the topic's HTML -----------------------------------------------------------------------

void TfrmMain::StashCurrentEdits() {
    RequestHtmlAndWait(600);
    KeepDirtyHtml();
    StorePendingTopicProperties();
}

void TfrmMain::KeepDirtyHtml() {
    if (!FCurrentTopicID.empty() && !FDirtyHtml.empty()) {
        FUnsavedTopicHtml[FCurrentTopicID] = FDirtyHtml;
        FDirtyHtml.clear();
    }
}

std::string TfrmMain::CurrentTopicHtml() {
    if (FCurrentTopicID.empty())
        return {};
    RequestHtmlAndWait(600);
    if (!FDirtyHtml.empty())
        return FDirtyHtml;
    if (auto it = FUnsavedTopicHtml.find(FCurrentTopicID); it != FUnsavedTopicHtml.end())
        return it->second;
    if (!FLoadedTopicBaselineHtml.empty())
        return FLoadedTopicBaselineHtml;
    const std::string path = TopicBodyPath(FCurrentTopicID);
    return FileExists(path) ? ReadUtf8File(path) : std::string();
}

std::string TfrmMain::TopicBodyPath(const std::string& AID) const {
    return IncludeTrailingPathDelimiter(FProject->RootPath()) + "topics" + PathDelim + AID + ".html";
}

void TfrmMain::LoadTopicIntoEditor(const std::string& AID) {
    const TTopic& topic = FProject->GetTopic(AID);
    const std::string id = topic.ID();
    const std::string title = topic.Title();
    const std::string bodyPath = TopicBodyPath(id);
    std::string html;
    if (auto it = FUnsavedTopicHtml.find(id); it != FUnsavedTopicHtml.end()) {
        html = it->second;
    } else if (FileExists(bodyPath)) {
        html = ReadUtf8File(bodyPath);
    } else {
        // Shown for the first time: the body file and both header files are written now.
        html = NewTopicHtml();
        FHeaderHtml = DefaultHeaderHtml(title);
        FHeaderBg = ColorToHtml(FSettings->DefaultHeaderBgColor);
        SaveHeader(id);
        WriteUtf8File(bodyPath, html);
    }
    ApplyEditorStyleSheet();
    PushHeaderToEditor();
    FLoadedTopicBaselineHtml = html;
    ++FEditorDocGeneration;
    FTopicLoadGeneration[id] = FEditorDocGeneration;
    if (FBridge)
        FBridge->SetHtml(html);
    FDirtyHtml.clear();
    ApplySettingsToEditor();
    ShowStatus("Loaded: " + title);
    RequestEditorFocus();
}

// ---- the topic switch -----------------------------------------------------------------------

void TfrmMain::tvTocChange() {
    if (FInTopicSwitch) {
        FTopicSwitchPending = true;  // runs when the switch that is waiting has finished
        return;
    }
    FInTopicSwitch = true;
    struct TReset {
        bool& Flag;
        ~TReset() { Flag = false; }
    } reset{FInTopicSwitch};
    do {
        FTopicSwitchPending = false;
        SwitchToSelectedTopic();
    } while (FTopicSwitchPending && SelectedTopicID() != FCurrentTopicID);
}

void TfrmMain::SwitchToSelectedTopic() {
    // Properties that cannot be stored keep the author on their topic.
    if (const std::string problem = PendingTopicPropertiesProblem(); !problem.empty()) {
        if (SelectedTopicID() != FCurrentTopicID)
            SelectTopicNode(FCurrentTopicID);
        FPrompts.ShowWarning(AppTitle, problem);
        return;
    }
    // The HTML and the header are asked for at once. The page answers in the order it was asked,
    // so both answers come within one round trip instead of two after each other.
    const bool askedHtml = PostHtmlRequest();
    const bool askedHeader = PostHeaderRequest();
    if (askedHtml)
        WaitForHtmlAnswer(600);
    KeepDirtyHtml();  // the stash
    StorePendingTopicProperties();
    if (askedHeader)
        WaitForHeaderAnswer(400);  // usually answered by now
    KeepDirtyHtml();  // the author may have typed while the window waited for the header
    FRecovery->WriteNow();
    if (!FCurrentTopicID.empty()) {
        try {
            SaveHeader(FCurrentTopicID);
        } catch (...) {
            // A header file that cannot be written does not stop the switch.
        }
    }
    FCurrentTopicID = SelectedTopicID();
    if (FCurrentTopicID.empty()) {
        tsProperties->ShowNoTopic();
        return;
    }
    ShowTopicProperties(FCurrentTopicID);
    LoadHeader(FCurrentTopicID);
    if (FEditorReady)
        LoadTopicIntoEditor(FCurrentTopicID);  // pushes the header too
}

// ---- style sheet and focus ------------------------------------------------------------------

void TfrmMain::ApplyEditorStyleSheet() {
    if (!FBridge || !FEditorReady)
        return;
    // Asked for at every topic shown: the page loads the sheet again (restyling the whole topic)
    // only when its file changed or is not the one it has.
    bool written = false;
    const std::string path = WriteEditorEffectiveCss(*FProject, *FSettings, &written);
    if (!written && path == FEditorCssShown)
        return;
    TProgrammaticSection section(*FBridge);
    FBridge->SetCssFile(path);
    FEditorCssShown = path;
}

void TfrmMain::RequestEditorFocus() {
    FPendingFocusEditor = true;
    QMetaObject::invokeMethod(this, [this] { HandleEditorFocusRequest(); }, Qt::QueuedConnection);
}

void TfrmMain::HandleEditorFocusRequest() {
    if (!FPendingFocusEditor)
        return;
    FPendingFocusEditor = false;
    if (FEdgeView && FEdgeView->isVisible() && FEdgeView->isEnabled())
        FEdgeView->setFocus(Qt::OtherFocusReason);
}

// ---- text tests -----------------------------------------------------------------------------

bool TfrmMain::IsHtmlEffectivelyEmpty(const std::string& AHtml) { return ::IsHtmlEffectivelyEmpty(AHtml); }

std::string TfrmMain::HtmlTextContent(const std::string& AHtml) { return ::HtmlTextContent(AHtml); }
