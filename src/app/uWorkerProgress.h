// A long job run on a worker thread behind a window-modal progress dialog with Cancel. The
// window keeps painting while the job runs; the dialog shows itself only when the job takes a
// moment, and the author cannot change the project meanwhile.
#pragma once

#include <QProgressDialog>
#include <QString>

#include <atomic>
#include <cstddef>
#include <functional>

class QWidget;

class TWorkerProgress {
public:
    // ALabel is the dialog's text and accessible name; the dialog appears after AShowAfterMs.
    TWorkerProgress(QWidget* AParent, const QString& ALabel, int AShowAfterMs);

    // Set once the author pressed Cancel; the job polls it and stops.
    const std::atomic<bool>& CancelFlag() const { return FCancel; }
    bool Cancelled() const { return FCancel; }

    // ADone of ATotal with the dialog text AText. May be called from the worker thread; the
    // dialog is updated on its own thread, and no longer once cancelled.
    void Report(size_t ADone, size_t ATotal, const QString& AText);

    // Runs AJob on a worker thread and returns once it has ended, with the dialog closed. A
    // failure of the job is raised here, on the calling thread.
    void Run(const std::function<void()>& AJob);

private:
    QString FLabel;
    QProgressDialog FDialog;
    std::atomic<bool> FCancel = false;
};
