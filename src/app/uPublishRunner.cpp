#include "uPublishRunner.h"

#include "uAppInfo.h"

#include <QEventLoop>
#include <QProgressDialog>
#include <QWidget>
#include <atomic>
#include <exception>
#include <thread>

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
    QProgressDialog dialog(ALabel, "Cancel", 0, 0, AParent);
    dialog.setWindowTitle(AppTitle);
    dialog.setAccessibleName(ALabel);
    dialog.setWindowModality(Qt::WindowModal);
    dialog.setMinimumDuration(kShowAfterMs);
    dialog.setAutoClose(false);
    dialog.setAutoReset(false);
    dialog.setValue(0);

    std::atomic<bool> cancel = false;
    QObject::connect(&dialog, &QProgressDialog::canceled, &dialog, [&] {
        cancel = true;
        dialog.setLabelText(ALabel + ": cancelling");
    });

    TPublishOptions options;
    options.Cancel = &cancel;
    options.Progress = [&dialog, &cancel, ALabel](size_t ADone, size_t ATotal) {
        if (!WorthReporting(ADone, ATotal))
            return;
        QMetaObject::invokeMethod(
            &dialog,
            [&dialog, &cancel, ALabel, ADone, ATotal] {
                if (cancel)
                    return;
                dialog.setMaximum(static_cast<int>(ATotal));
                dialog.setValue(static_cast<int>(ADone));
                dialog.setLabelText(PublishProgressText(ALabel, ADone, ATotal));
            },
            Qt::QueuedConnection);
    };

    QEventLoop loop;
    std::exception_ptr failure;
    std::thread worker([&] {
        try {
            AJob(options);
        } catch (...) {
            failure = std::current_exception();
        }
        QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
    });
    loop.exec();
    worker.join();
    dialog.reset();
    if (!failure)
        return true;
    try {
        std::rethrow_exception(failure);
    } catch (const EPublishCancelled&) {
        return false;
    }
}
