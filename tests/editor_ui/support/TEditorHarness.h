// A real editor page in Qt WebEngine behind the bridge the application uses, for the page tests:
// every event the bridge raises is recorded, scripts can be run synchronously, and the page's
// raw posted messages can be captured.
#pragma once

#include "uEditorBridge.h"

#include <QString>
#include <QVariant>

#include <functional>
#include <memory>
#include <string>
#include <vector>

class QWebEnginePage;
class QWebEngineView;

// Runs a script in a page and returns its result (invalid on time-out), processing events.
QVariant RunJsSync(QWebEnginePage* APage, const QString& AScript, int ATimeoutMs = 5000);

struct TRecordedEvent {
    enum TKind { evReady, evHtml, evStyle, evHeader, evArea } Kind;
    std::string Html;        // Html
    bool User = false;       // Html: LastHtmlChangeWasUser at the time of the event
    std::string HeaderHtml;  // Header
    std::string HeaderBg;    // Header
    std::string Area;        // Area
    TEditorCursorStyle Style;
};

class TEditorHarness {
public:
    // Creates a shown 900x700 view with a bridge; Load() navigates to the page.
    TEditorHarness();
    ~TEditorHarness();

    // The application's copy of the editor page.
    static std::string EditorPagePath();
    // Navigates and waits for "ready"; false on time-out.
    bool Load(const std::string& APagePath = EditorPagePath());

    TEditorBridge& Bridge() { return *FBridge; }
    QWebEngineView& View() { return *FView; }
    std::vector<TRecordedEvent>& Events() { return FEvents; }
    int Count(TRecordedEvent::TKind AKind) const;
    // The last event of a kind, or nullptr.
    const TRecordedEvent* Last(TRecordedEvent::TKind AKind) const;

    // Runs a script and returns its result (invalid on time-out).
    QVariant Js(const QString& AScript, int ATimeoutMs = 5000);
    // Processes events until APredicate holds or the time is up.
    static bool WaitFor(const std::function<bool()>& APredicate, int ATimeoutMs = 3000);
    // Processes events for a while.
    static void Pump(int AMs);

    // Loads HTML and waits until the page holds it (the round trip through getHtml).
    bool SetHtmlAndSettle(const std::string& AHtml);
    // Asks for the HTML and waits for the answer; empty optional on time-out.
    bool RequestHtml(std::string& AOut, int ATimeoutMs = 600);
    // Selects the text AText inside the first element matching ASelector (an editable area's
    // descendant) as a real selection.
    bool SelectText(const QString& ASelector, const QString& AText);
    // Puts the caret at the start or end of the first element matching ASelector.
    bool PlaceCaret(const QString& ASelector, bool AAtEnd);
    // Starts recording the raw objects the page posts (window.__posted, JSON texts).
    void CaptureRawPosts();
    QStringList RawPosts();

private:
    std::unique_ptr<QWebEngineView> FView;
    std::unique_ptr<TEditorBridge> FBridge;
    std::vector<TRecordedEvent> FEvents;
};
