// TEditorBridge: the only code that talks to the editor page. It loads the page into a
// QWebEngineView, hands every editing request to the page as a small JSON message (a script
// calling the page's window.__sv_recv), and turns what the page posts back into events.
//
// The page posts with chrome.webview.postMessage(value). A script injected at document creation
// defines that function and forwards JSON.stringify(value) over QWebChannel, so every message
// reaches HandleWebMessage in its JSON form; a posted string stays a JSON string and is dropped.
//
// The bridge keeps no queue, no request ids and no readiness: a send is a fire-and-forget script
// call (lost without error before the page defined its receive function), and answers come back
// later as ordinary events, delivered through the Qt event loop (so also inside a nested wait).
// The view is not owned. Destroying the bridge detaches it from the page first, so no message
// reaches a freed bridge; the view may also go first. User-interface thread only.
#pragma once

#include "uEditorProtocol.h"

#include <QObject>
#include <QPointer>
#include <QString>

#include <functional>
#include <string>

class QWebChannel;
class QWebEngineView;
class TEditorWebMessageReceiver;

class TEditorBridge : public QObject {
    Q_OBJECT
public:
    using TNotifyEvent = std::function<void()>;
    using TEditorHtmlEvent = std::function<void(const std::string& AHtml)>;
    // The record is valid only during the call.
    using TEditorCursorStyleEvent = std::function<void(const TEditorCursorStyle& S)>;
    using TEditorHeaderChangedEvent = std::function<void(const std::string& AHeaderHtml, const std::string& AHeaderBgHtml)>;
    using TEditorAreaChangedEvent = std::function<void(const std::string& AArea)>;

    // Installs the message channel and the posting script on the view's page (replacing any
    // channel the page had) and runs the keyboard hook after every completed navigation.
    explicit TEditorBridge(QWebEngineView* AEdge, QObject* AParent = nullptr);
    ~TEditorBridge() override;
    TEditorBridge(const TEditorBridge&) = delete;
    TEditorBridge& operator=(const TEditorBridge&) = delete;

    static std::string FilePathToFileUrl(const std::string& APath) { return ::FilePathToFileUrl(APath); }

    // Events; an event without subscriber is not raised.
    TEditorHtmlEvent OnHtmlChanged;          // "htmlChanged" and "htmlResponse"
    TNotifyEvent OnReady;                    // "ready"
    TEditorCursorStyleEvent OnCursorStyle;   // "cursorStyle"
    TEditorHeaderChangedEvent OnHeaderChanged;  // "headerChanged"
    TEditorAreaChangedEvent OnAreaChanged;   // "areaChanged"

    // The "user" flag of the last "htmlChanged"; false after every "htmlResponse". Set before the
    // event is raised, so a subscriber reads the value of the message it is handling.
    bool LastHtmlChangeWasUser() const { return FLastHtmlChangeWasUser; }
    int ProgrammaticDepth() const { return FProgrammaticDepth; }

    // ---- sending ------------------------------------------------------------------------------
    void NavigateToEditor(const std::string& AEditorHtmlFile);
    void SetHtml(const std::string& AHtml);
    void RequestHtml();
    void RequestHeader();
    // "origin" is "program" inside a programmatic section, else "user"; an empty AArg is left out.
    void ExecCommand(const std::string& ACmd, const std::string& AArg);
    void SetCssFile(const std::string& ACssFilePath) { ExecCommand("setCssFile", ACssFilePath); }
    void SetFontName(const std::string& AFontName) { ExecCommand("fontName", AFontName); }
    void SetFontSizePx(int APx);
    void SetTextColor(const std::string& AColorHtml) { ExecCommand("foreColor", AColorHtml); }
    void SetTextBackColor(const std::string& AColorHtml) { ExecCommand("backColor", AColorHtml); }
    void SetDefaultFontName(const std::string& AFontName) { ExecCommand("setDefaultFontName", AFontName); }
    void SetDefaultFontSizePx(int APx);
    void SetDefaultTextColor(const std::string& AColorHtml) { ExecCommand("setDefaultTextColor", AColorHtml); }
    void SetDefaultLineSpacing(double ALineHeight);
    // Sends nothing for a value outside the enumeration.
    void SetAlign(TTextAlign AAlign);
    void InsertTable(int ARows, int ACols) { ExecCommand("table", TableArg(ARows, ACols)); }
    void SetLineSpacing(double ALineHeight);
    void RemoveSelectedImage() { ExecCommand("removeSelectedImage", ""); }
    void ReplaceSelectedImage(const std::string& ASrc) { ExecCommand("replaceSelectedImage", ASrc); }
    // Runs svSetBaseHref(<href>) in the page directly (no JSON message).
    void SetBaseHref(const std::string& AHref);
    void SetHeaderHtml(const std::string& AHeaderHtml) { ExecCommand("setHeaderHtml", AHeaderHtml); }
    void SetHeaderBgColor(const std::string& AColorHtml) { ExecCommand("setHeaderBg", AColorHtml); }
    void SetTableBorderStyle(const std::string& ABorderStyle) { ExecCommand("setTableBorderStyle", ABorderStyle); }
    void SetTableBorderWidth(int APx);
    void SetTableBorderColor(const std::string& AColorHtml) { ExecCommand("setTableBorderColor", AColorHtml); }
    void SetPageBgColor(const std::string& AColorHtml) { ExecCommand("setPageBg", AColorHtml); }

    // Programmatic sections nest; EndProgrammatic at depth 0 changes nothing. Prefer
    // TProgrammaticSection, which closes the section on every path.
    void BeginProgrammatic() { ++FProgrammaticDepth; }
    void EndProgrammatic() {
        if (FProgrammaticDepth > 0)
            --FProgrammaticDepth;
    }

    // Handles one posted message in its JSON form (called by the channel; public for tests).
    void HandleWebMessage(const QString& AJsonText);

    // Runs a script in the page without waiting for its result.
    void RunScript(const std::string& AScript);

private:
    void PostToPage(const std::string& AJsonText) { RunScript(PostToPageScript(AJsonText)); }
    void InstallPostMessageScript();
    void NavigationCompleted();

    QPointer<QWebEngineView> FEdge;
    QWebChannel* FChannel = nullptr;
    TEditorWebMessageReceiver* FReceiver = nullptr;
    int FProgrammaticDepth = 0;
    bool FLastHtmlChangeWasUser = false;
};

// Opens a programmatic section for its lifetime.
class TProgrammaticSection {
public:
    explicit TProgrammaticSection(TEditorBridge& ABridge) : FBridge(ABridge) { FBridge.BeginProgrammatic(); }
    ~TProgrammaticSection() { FBridge.EndProgrammatic(); }
    TProgrammaticSection(const TProgrammaticSection&) = delete;
    TProgrammaticSection& operator=(const TProgrammaticSection&) = delete;

private:
    TEditorBridge& FBridge;
};

// The object the page's posting script calls over QWebChannel.
class TEditorWebMessageReceiver : public QObject {
    Q_OBJECT
public:
    explicit TEditorWebMessageReceiver(TEditorBridge* ABridge) : QObject(ABridge), FBridge(ABridge) {}
    Q_INVOKABLE void post(const QString& AJsonText);
    void Detach() { FBridge = nullptr; }

private:
    TEditorBridge* FBridge;
};
