#include "uEditorBridge.h"

#include "uProjectSettings.h"
#include "uUtils.h"

#include <QDebug>

#include <QFile>
#include <QUrl>
#include <QWebChannel>
#include <QWebEnginePage>
#include <QWebEngineScript>
#include <QWebEngineScriptCollection>
#include <QWebEngineSettings>
#include <QWebEngineView>

namespace {

const char* const kPostScriptName = "pagewell-webview-post";
const char* const kReceiverName = "pagewellHost";

// Defines chrome.webview.postMessage(value) in the page: the value goes to the host as
// JSON.stringify(value) over QWebChannel. Messages posted before the channel is connected are
// kept and sent in order once it is. A lone UTF-16 surrogate (which JSON.stringify writes as a
// \udXXX escape no JSON reader accepts) becomes U+FFFD, so such text cannot make a message vanish.
const char* const kPostShim = R"JS(
(function () {
  if (window.chrome && window.chrome.webview && window.chrome.webview.__pagewell) return;
  var host = null, queue = [];
  var loneSurrogate = /(?<!\\)((?:\\\\)*)\\u[dD][89a-fA-F][0-9a-fA-F]{2}/g;
  function send(text) { if (host) host.post(text); else queue.push(text); }
  window.chrome = window.chrome || {};
  window.chrome.webview = {
    __pagewell: true,
    postMessage: function (value) {
      var text = JSON.stringify(value);
      if (typeof text !== 'string') return;
      send(text.replace(loneSurrogate, '$1\\ufffd'));
    }
  };
  function connect() {
    new QWebChannel(qt.webChannelTransport, function (channel) {
      host = channel.objects.pagewellHost;
      var pending = queue; queue = [];
      for (var i = 0; i < pending.length; i++) host.post(pending[i]);
    });
  }
  if (window.qt && window.qt.webChannelTransport) connect();
  else document.addEventListener('DOMContentLoaded', connect);
})();
)JS";

QString ReadResourceText(const QString& APath) {
    QFile f(APath);
    if (!f.open(QIODevice::ReadOnly))
        return QString();
    return QString::fromUtf8(f.readAll());
}

}  // namespace

TEditorBridge::TEditorBridge(QWebEngineView* AEdge, QObject* AParent) : QObject(AParent), FEdge(AEdge) {
    FReceiver = new TEditorWebMessageReceiver(this);
    FChannel = new QWebChannel(this);
    FChannel->registerObject(QString::fromLatin1(kReceiverName), FReceiver);
    if (!FEdge)
        return;
    QWebEnginePage* page = FEdge->page();
    page->setWebChannel(FChannel, QWebEngineScript::MainWorld);
    QWebEngineSettings* s = page->settings();
    s->setAttribute(QWebEngineSettings::JavascriptCanAccessClipboard, true);
    s->setAttribute(QWebEngineSettings::JavascriptCanPaste, true);
    s->setAttribute(QWebEngineSettings::LocalContentCanAccessFileUrls, true);
    s->setAttribute(QWebEngineSettings::LocalContentCanAccessRemoteUrls, true);
    InstallPostMessageScript();
    connect(FEdge.data(), &QWebEngineView::loadFinished, this, [this](bool) { NavigationCompleted(); });
}

TEditorBridge::~TEditorBridge() {
    FReceiver->Detach();
    if (FEdge) {
        QWebEnginePage* page = FEdge->page();
        if (page->webChannel() == FChannel)
            page->setWebChannel(nullptr, QWebEngineScript::MainWorld);
        for (const QWebEngineScript& script : page->scripts().find(QString::fromLatin1(kPostScriptName)))
            page->scripts().remove(script);
    }
}

void TEditorBridge::InstallPostMessageScript() {
    QWebEngineScriptCollection& scripts = FEdge->page()->scripts();
    for (const QWebEngineScript& old : scripts.find(QString::fromLatin1(kPostScriptName)))
        scripts.remove(old);
    QWebEngineScript script;
    script.setName(QString::fromLatin1(kPostScriptName));
    script.setInjectionPoint(QWebEngineScript::DocumentCreation);
    script.setWorldId(QWebEngineScript::MainWorld);
    script.setRunsOnSubFrames(false);
    script.setSourceCode(ReadResourceText(QStringLiteral(":/qtwebchannel/qwebchannel.js")) + QString::fromUtf8(kPostShim));
    scripts.insert(script);
}

// An error escaping a subscriber must not unwind through the channel's message dispatch; the
// main window guards its own handlers, this is only the last line.
void TEditorWebMessageReceiver::post(const QString& AJsonText) {
    if (!FBridge)
        return;
    try {
        FBridge->HandleWebMessage(AJsonText);
    } catch (const std::exception& e) {
        qWarning("Editor message handler failed: %s", e.what());
    }
}

void TEditorBridge::NavigationCompleted() { RunScript(KeyboardHookScript); }

void TEditorBridge::RunScript(const std::string& AScript) {
    if (FEdge)
        FEdge->page()->runJavaScript(QString::fromUtf8(AScript.data(), static_cast<qsizetype>(AScript.size())));
}

// A path with a number sign or a question mark would be cut short by a URL parser, so the
// navigation itself takes the local-file form of the same path.
void TEditorBridge::NavigateToEditor(const std::string& AEditorHtmlFile) {
    if (FEdge)
        FEdge->setUrl(QUrl::fromLocalFile(QString::fromStdString(ExpandFileName(AEditorHtmlFile))));
}

void TEditorBridge::SetHtml(const std::string& AHtml) { PostToPage(BuildSetHtmlMessage(AHtml)); }
void TEditorBridge::RequestHtml() { PostToPage(BuildRequestMessage("getHtml")); }
void TEditorBridge::RequestHeader() { PostToPage(BuildRequestMessage("getHeader")); }

void TEditorBridge::ExecCommand(const std::string& ACmd, const std::string& AArg) {
    PostToPage(BuildExecMessage(ACmd, AArg, FProgrammaticDepth > 0));
}

void TEditorBridge::SetFontSizePx(int APx) { ExecCommand("fontSizePx", IntToStr(APx)); }
void TEditorBridge::SetDefaultFontSizePx(int APx) { ExecCommand("setDefaultFontSizePx", IntToStr(APx)); }
void TEditorBridge::SetDefaultLineSpacing(double ALineHeight) {
    ExecCommand("setDefaultLineHeight", FormatLineSpacing(ALineHeight));
}
void TEditorBridge::SetLineSpacing(double ALineHeight) { ExecCommand("lineHeight", FormatLineSpacing(ALineHeight)); }
void TEditorBridge::SetTableBorderWidth(int APx) { ExecCommand("setTableBorderWidth", IntToStr(APx)); }

void TEditorBridge::SetAlign(TTextAlign AAlign) {
    if (auto arg = AlignArg(AAlign))
        ExecCommand("align", *arg);
}

void TEditorBridge::SetBaseHref(const std::string& AHref) { RunScript(SetBaseHrefScript(AHref)); }

void TEditorBridge::HandleWebMessage(const QString& AJsonText) {
    const QByteArray utf8 = AJsonText.toUtf8();
    TEditorMessage msg = ParseEditorMessage(std::string_view(utf8.constData(), static_cast<size_t>(utf8.size())));
    switch (msg.Kind) {
    case TEditorMessageKind::Ready:
        if (OnReady)
            OnReady();
        break;
    case TEditorMessageKind::HtmlChanged:
    case TEditorMessageKind::HtmlResponse:
        FLastHtmlChangeWasUser = msg.User;  // always false for a response
        if (OnHtmlChanged)
            OnHtmlChanged(msg.Html);
        break;
    case TEditorMessageKind::CursorStyle:
        if (OnCursorStyle)
            OnCursorStyle(msg.Style);
        break;
    case TEditorMessageKind::HeaderChanged:
        if (OnHeaderChanged)
            OnHeaderChanged(msg.HeaderHtml, msg.HeaderBg);
        break;
    case TEditorMessageKind::AreaChanged:
        if (OnAreaChanged)
            OnAreaChanged(msg.Area);
        break;
    case TEditorMessageKind::None:
        break;
    }
}
