// Runs a publication on a worker thread while a window-modal progress dialog shows how many
// topics are done out of all of them, with Cancel. The dialog keeps the author from changing
// the project meanwhile; the job should still work on its own copy of the project and settings.
#pragma once

#include "uPublishPipeline.h"

#include <QString>
#include <functional>

class QWidget;

using TPublishJob = std::function<void(const TPublishOptions& AOptions)>;

// Starts AJob on a worker thread with options whose progress drives the dialog ("ALabel: n of m
// topics") and whose cancel flag Cancel sets, and returns once it has ended. Returns false when
// the author cancelled it; any other failure of the job is raised here, on the calling thread.
bool RunPublishWithProgress(QWidget* AParent, const QString& ALabel, const TPublishJob& AJob);

// The dialog's text for ADone of ATotal topics ("ALabel: 12 of 2,000 topics" without the group
// separator: "12 of 2000 topics").
QString PublishProgressText(const QString& ALabel, size_t ADone, size_t ATotal);
