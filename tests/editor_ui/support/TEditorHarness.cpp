#include "TEditorHarness.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTest>
#include <QWebEnginePage>
#include <QWebEngineView>

TEditorHarness::TEditorHarness() : FView(std::make_unique<QWebEngineView>()) {
    FView->resize(900, 700);
    FView->show();
    FBridge = std::make_unique<TEditorBridge>(FView.get());
    TEditorBridge& b = *FBridge;
    b.OnReady = [this] { FEvents.push_back({TRecordedEvent::evReady}); };
    b.OnHtmlChanged = [this](const std::string& AHtml) {
        TRecordedEvent e{TRecordedEvent::evHtml};
        e.Html = AHtml;
        e.User = FBridge->LastHtmlChangeWasUser();
        FEvents.push_back(e);
    };
    b.OnCursorStyle = [this](const TEditorCursorStyle& S) {
        TRecordedEvent e{TRecordedEvent::evStyle};
        e.Style = S;
        FEvents.push_back(e);
    };
    b.OnHeaderChanged = [this](const std::string& AHtml, const std::string& ABg) {
        TRecordedEvent e{TRecordedEvent::evHeader};
        e.HeaderHtml = AHtml;
        e.HeaderBg = ABg;
        FEvents.push_back(e);
    };
    b.OnAreaChanged = [this](const std::string& AArea) {
        TRecordedEvent e{TRecordedEvent::evArea};
        e.Area = AArea;
        FEvents.push_back(e);
    };
}

TEditorHarness::~TEditorHarness() {
    FBridge.reset();  // the bridge detaches from the page before the view goes
    FView.reset();
}

std::string TEditorHarness::EditorPagePath() { return std::string(PAGEWELL_APP_DIR) + "/AppFiles/editor/editor.html"; }

bool TEditorHarness::Load(const std::string& APagePath) {
    FEvents.clear();
    FBridge->NavigateToEditor(APagePath);
    return WaitFor([this] { return Count(TRecordedEvent::evReady) > 0; }, 15000);
}

int TEditorHarness::Count(TRecordedEvent::TKind AKind) const {
    int n = 0;
    for (const auto& e : FEvents)
        n += e.Kind == AKind;
    return n;
}

const TRecordedEvent* TEditorHarness::Last(TRecordedEvent::TKind AKind) const {
    for (auto it = FEvents.rbegin(); it != FEvents.rend(); ++it)
        if (it->Kind == AKind)
            return &*it;
    return nullptr;
}

QVariant RunJsSync(QWebEnginePage* APage, const QString& AScript, int ATimeoutMs) {
    struct TState {
        bool Done = false;
        QVariant Result;
    };
    auto state = std::make_shared<TState>();
    APage->runJavaScript(AScript, [state](const QVariant& v) {
        state->Result = v;
        state->Done = true;
    });
    TEditorHarness::WaitFor([state] { return state->Done; }, ATimeoutMs);
    return state->Result;
}

QVariant TEditorHarness::Js(const QString& AScript, int ATimeoutMs) { return RunJsSync(FView->page(), AScript, ATimeoutMs); }

bool TEditorHarness::WaitFor(const std::function<bool()>& APredicate, int ATimeoutMs) {
    QElapsedTimer t;
    t.start();
    while (!APredicate()) {
        if (t.elapsed() > ATimeoutMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QTest::qSleep(2);
    }
    return true;
}

void TEditorHarness::Pump(int AMs) {
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < AMs) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QTest::qSleep(2);
    }
}

bool TEditorHarness::RequestHtml(std::string& AOut, int ATimeoutMs) {
    size_t before = FEvents.size();
    FBridge->RequestHtml();
    bool got = WaitFor([&] {
        for (size_t i = before; i < FEvents.size(); ++i)
            if (FEvents[i].Kind == TRecordedEvent::evHtml && !FEvents[i].User)
                return true;
        return false;
    }, ATimeoutMs);
    if (!got)
        return false;
    for (size_t i = FEvents.size(); i-- > before;)
        if (FEvents[i].Kind == TRecordedEvent::evHtml && !FEvents[i].User) {
            AOut = FEvents[i].Html;
            break;
        }
    return true;
}

bool TEditorHarness::SetHtmlAndSettle(const std::string& AHtml) {
    FBridge->SetHtml(AHtml);
    std::string html;
    return RequestHtml(html, 3000);
}

bool TEditorHarness::SelectText(const QString& ASelector, const QString& AText) {
    QString script = QStringLiteral(R"JS(
(function (sel, text) {
  var el = document.querySelector(sel);
  if (!el) return false;
  var w = document.createTreeWalker(el, NodeFilter.SHOW_TEXT);
  for (var n = w.nextNode(); n; n = w.nextNode()) {
    var i = n.data.indexOf(text);
    if (i < 0) continue;
    var area = n.parentElement.closest('.sv-area');
    area.focus();
    var r = document.createRange();
    r.setStart(n, i); r.setEnd(n, i + text.length);
    var s = getSelection(); s.removeAllRanges(); s.addRange(r);
    return true;
  }
  return false;
})(%1, %2))JS")
                         .arg(QString::fromStdString(JsQuote(ASelector.toStdString())),
                              QString::fromStdString(JsQuote(AText.toStdString())));
    bool ok = Js(script).toBool();
    Pump(50);
    return ok;
}

bool TEditorHarness::PlaceCaret(const QString& ASelector, bool AAtEnd) {
    QString script = QStringLiteral(R"JS(
(function (sel, atEnd) {
  var el = document.querySelector(sel);
  if (!el) return false;
  var area = el.closest('.sv-area') || el;
  area.focus();
  var r = document.createRange();
  r.selectNodeContents(el); r.collapse(!atEnd);
  var s = getSelection(); s.removeAllRanges(); s.addRange(r);
  return true;
})(%1, %2))JS")
                         .arg(QString::fromStdString(JsQuote(ASelector.toStdString())),
                              AAtEnd ? QStringLiteral("true") : QStringLiteral("false"));
    bool ok = Js(script).toBool();
    Pump(50);
    return ok;
}

void TEditorHarness::CaptureRawPosts() {
    Js(QStringLiteral(R"JS(
(function () {
  if (window.__posted) return;
  window.__posted = [];
  var orig = chrome.webview.postMessage;
  chrome.webview.postMessage = function (v) { window.__posted.push(JSON.stringify(v)); return orig.call(chrome.webview, v); };
})())JS"));
}

QStringList TEditorHarness::RawPosts() { return Js(QStringLiteral("window.__posted || []")).toStringList(); }
