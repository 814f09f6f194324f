#include "uWorkerProgress.h"

#include "uAppInfo.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QWidget>

#include <exception>
#include <thread>

TWorkerProgress::TWorkerProgress(QWidget* AParent, const QString& ALabel, int AShowAfterMs)
    : FLabel(ALabel), FDialog(ALabel, "Cancel", 0, 0, AParent) {
    FDialog.setWindowTitle(AppTitle);
    FDialog.setAccessibleName(ALabel);
    FDialog.setWindowModality(Qt::WindowModal);
    FDialog.setMinimumDuration(AShowAfterMs);
    FDialog.setAutoClose(false);
    FDialog.setAutoReset(false);
    FDialog.setValue(0);
    QObject::connect(&FDialog, &QProgressDialog::canceled, &FDialog, [this] {
        FCancel = true;
        FDialog.setLabelText(FLabel + ": cancelling");
    });
}

void TWorkerProgress::Report(size_t ADone, size_t ATotal, const QString& AText) {
    QMetaObject::invokeMethod(
        &FDialog,
        [this, AText, ADone, ATotal] {
            if (FCancel)
                return;
            FDialog.setMaximum(static_cast<int>(ATotal));
            FDialog.setValue(static_cast<int>(ADone));
            FDialog.setLabelText(AText);
        },
        Qt::QueuedConnection);
}

void TWorkerProgress::Run(const std::function<void()>& AJob) {
    QEventLoop loop;
    std::exception_ptr failure;
    std::thread worker([&] {
        try {
            AJob();
        } catch (...) {
            failure = std::current_exception();
        }
        QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
    });
    loop.exec();
    worker.join();
    // Updates the worker queued before it ended are dropped with the dialog's reset.
    QCoreApplication::removePostedEvents(&FDialog, QEvent::MetaCall);
    FDialog.reset();
    if (failure)
        std::rethrow_exception(failure);
}
