#include "uPublishRunner.h"

#include "uWorkerProgress.h"

namespace {

// The dialog appears only for publications that take a moment.
constexpr int kShowAfterMs = 400;

// The worker reports at most every whole percent (and the last topic), so a large project does
// not flood the window with updates.
bool WorthReporting(size_t ADone, size_t ATotal) {
    return ADone == ATotal || ADone * 100 / ATotal != (ADone - 1) * 100 / ATotal;
}

}  // namespace

QString PublishProgressText(const QString& ALabel, size_t ADone, size_t ATotal) {
    return QString("%1: %2 of %3 topics").arg(ALabel).arg(ADone).arg(ATotal);
}

bool RunPublishWithProgress(QWidget* AParent, const QString& ALabel, const TPublishJob& AJob) {
    TWorkerProgress progress(AParent, ALabel, kShowAfterMs);
    TPublishOptions options;
    options.Cancel = &progress.CancelFlag();
    options.Progress = [&progress, ALabel](size_t ADone, size_t ATotal) {
        if (WorthReporting(ADone, ATotal))
            progress.Report(ADone, ATotal, PublishProgressText(ALabel, ADone, ATotal));
    };
    try {
        progress.Run([&] { AJob(options); });
    } catch (const EPublishCancelled&) {
        return false;
    }
    return true;
}
