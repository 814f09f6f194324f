#include "ViewerHarness.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QPixmap>
#include <QSignalSpy>
#include <QTest>
#include <QUrl>
#include <QWebEnginePage>
#include <QWebEngineView>

TViewerHarness::TViewerHarness(int AWidth, int AHeight) : FView(std::make_unique<QWebEngineView>()) {
    FView->resize(AWidth, AHeight);
    FView->show();
}

TViewerHarness::~TViewerHarness() = default;

QWebEngineView* TViewerHarness::View() const { return FView.get(); }

bool TViewerHarness::Load(const QString& AFileName, const QString& AFragment) {
    QSignalSpy spy(FView.get(), &QWebEngineView::loadFinished);
    QUrl url = QUrl::fromLocalFile(AFileName);
    if (!AFragment.isEmpty())
        url.setFragment(AFragment);
    FView->load(url);
    if (!spy.wait(20000) || !spy.first().first().toBool())
        return false;
    return WaitFor("!!window.__SV_VIEWER && document.getElementById('sv-frame').contentDocument"
                   " && document.getElementById('sv-frame').contentDocument.readyState === 'complete'");
}

QVariant TViewerHarness::Js(const QString& AScript) {
    QVariant result;
    bool done = false;
    FView->page()->runJavaScript(AScript, [&](const QVariant& AValue) {
        result = AValue;
        done = true;
    });
    (void)QTest::qWaitFor([&] { return done; }, 10000);
    return result;
}

QVariant TViewerHarness::JsAwait(const QString& AScript, int ATimeoutMs) {
    Js("window.__svAwait = null; Promise.resolve((function(){return " + AScript +
       ";})()).then(function(v){window.__svAwait={ok:true,v:v};},function(){window.__svAwait={ok:false};});");
    if (!WaitFor("window.__svAwait", ATimeoutMs) || !Js("window.__svAwait.ok").toBool())
        return {};
    return Js("window.__svAwait.v");
}

bool TViewerHarness::WaitFor(const QString& ACondition, int ATimeoutMs) {
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < ATimeoutMs) {
        if (Js("(function(){try{return !!(" + ACondition + ");}catch(e){return false;}})()").toBool())
            return true;
        QTest::qWait(25);
    }
    return false;
}

QString TViewerHarness::FrameText() {
    return Js("(function(){try{return document.getElementById('sv-frame').contentDocument.body.innerText;}"
              "catch(e){return '';}})()")
        .toString();
}

void TViewerHarness::Resize(int AWidth, int AHeight) {
    FView->resize(AWidth, AHeight);
    QTest::qWait(50);
}

bool TViewerHarness::SaveScreenshot(const QString& AFileName) {
    QTest::qWait(300);  // let the compositor present the last frame
    const QImage image = FView->grab().toImage();
    return !image.isNull() && image.save(AFileName);
}

QString FillViewerPlaceholders(QString ACss) {
    ACss.replace("__SV_TOC_COLOR__", "#123456");
    ACss.replace("__SV_TOC_SIZE__", "15");
    ACss.replace("__SV_LEFT_BG__", "#FAFBFC");
    return ACss;
}

QString ViewerTemplateDir() { return QStringLiteral(PAGEWELL_SOURCE_DIR "/resources/AppFiles/webhelp"); }
