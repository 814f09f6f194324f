#include "uPdfPrintJob.h"

#include <QFileInfo>
#include <QPageLayout>
#include <QPageSize>
#include <QSaveFile>
#include <QVariant>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineSettings>

namespace {

// True once the document has loaded completely, every image has either loaded or failed, and
// the web fonts are ready. Lazy images would never load in a page nobody scrolls, so they are
// made eager first.
const char* const ReadyScript = R"JS(
(function () {
  var imgs = document.images;
  for (var i = 0; i < imgs.length; i++) {
    if (imgs[i].loading === 'lazy') imgs[i].loading = 'eager';
  }
  if (document.readyState !== 'complete') return false;
  for (var j = 0; j < imgs.length; j++) {
    if (!imgs[j].complete) return false;
  }
  if (document.fonts && document.fonts.status !== 'loaded') return false;
  return true;
})()
)JS";

constexpr int PollIntervalMs = 50;

}  // namespace

TPdfPrintJob::TPdfPrintJob(TPdfPrintOptions AOptions) : FOptions(std::move(AOptions)) {
    // Off the record: nothing is stored between runs, so two printers never share a profile.
    FProfile = new QWebEngineProfile(&FContext);
    FPage = new QWebEnginePage(FProfile, &FContext);
    QWebEngineSettings* s = FPage->settings();
    s->setAttribute(QWebEngineSettings::AutoLoadImages, true);
    s->setAttribute(QWebEngineSettings::LocalContentCanAccessFileUrls, true);
    s->setAttribute(QWebEngineSettings::PrintElementBackgrounds, true);
    s->setAttribute(QWebEngineSettings::ErrorPageEnabled, false);
    FDeadline.setSingleShot(true);
    FPoll.setSingleShot(true);
}

TPdfPrintJob::~TPdfPrintJob() {
    // The page must go before its profile.
    delete FPage;
    FPage = nullptr;
}

void TPdfPrintJob::Start(TDoneCallback AOnDone) {
    FOnDone = std::move(AOnDone);
    QObject::connect(&FDeadline, &QTimer::timeout, &FContext, [this] {
        Finish(false, FPrinting ? QStringLiteral("printing did not finish in time")
                                : QStringLiteral("the document did not finish loading in time"));
    });
    QObject::connect(&FPoll, &QTimer::timeout, &FContext, [this] { PollUntilSettled(); });
    QObject::connect(FPage, &QWebEnginePage::loadFinished, &FContext, [this](bool AOk) {
        if (FDone || FPrinting)
            return;
        if (!AOk) {
            Finish(false, QStringLiteral("could not load ") + FOptions.FDocument.toDisplayString());
            return;
        }
        PollUntilSettled();
    });
    QObject::connect(FPage, &QWebEnginePage::renderProcessTerminated, &FContext,
                     [this](QWebEnginePage::RenderProcessTerminationStatus, int AExitCode) {
                         Finish(false, QStringLiteral("the page renderer ended unexpectedly (exit code %1)")
                                           .arg(AExitCode));
                     });
    FDeadline.start(FOptions.FTimeoutMs);
    FPage->load(FOptions.FDocument);
}

void TPdfPrintJob::PollUntilSettled() {
    if (FDone || FPrinting)
        return;
    FPage->runJavaScript(QString::fromUtf8(ReadyScript), [this](const QVariant& AReady) {
        if (FDone || FPrinting)
            return;
        if (AReady.toBool())
            Print();
        else
            FPoll.start(PollIntervalMs);
    });
}

void TPdfPrintJob::Print() {
    FPrinting = true;
    const QMarginsF& m = FOptions.FMarginsMm;
    QPageLayout layout(QPageSize(FOptions.FPaper), QPageLayout::Portrait, m, QPageLayout::Millimeter);
    FPage->printToPdf(
        [this](const QByteArray& APdf) {
            if (FDone)
                return;
            if (APdf.isEmpty()) {
                Finish(false, QStringLiteral("the browser engine produced no PDF"));
                return;
            }
            QSaveFile out(FOptions.FOutputFile);
            if (!out.open(QIODevice::WriteOnly) || out.write(APdf) != APdf.size() || !out.commit()) {
                Finish(false, QStringLiteral("cannot write ") + FOptions.FOutputFile + QStringLiteral(": ") +
                                  out.errorString());
                return;
            }
            Finish(true, QString());
        },
        layout);
}

void TPdfPrintJob::Finish(bool ASuccess, const QString& AMessage) {
    if (FDone)
        return;
    FDone = true;
    FDeadline.stop();
    FPoll.stop();
    if (FOnDone)
        FOnDone(ASuccess, AMessage);
}
