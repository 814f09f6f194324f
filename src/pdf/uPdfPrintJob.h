// One print job of pagewell-pdf: loads a document into an off-screen browser page, waits until
// the page and every image in it have finished loading, prints it to PDF and writes the file.
// Lives on the GUI thread of a running QApplication; reports its end exactly once through the
// callback given to Start.
#pragma once

#include <QMarginsF>
#include <QObject>
#include <QPageSize>
#include <QString>
#include <QTimer>
#include <QUrl>

#include <functional>

class QWebEnginePage;
class QWebEngineProfile;

struct TPdfPrintOptions {
    QUrl FDocument;            // file: address of the HTML document
    QString FOutputFile;       // PDF file to write (replaced atomically)
    QPageSize::PageSizeId FPaper = QPageSize::A4;
    QMarginsF FMarginsMm{10, 10, 10, 10};  // page margins (left, top, right, bottom)
    int FTimeoutMs = 600000;   // the whole job, loading and printing (a long manual takes a while)
};

class TPdfPrintJob {
public:
    // AOnDone(success, message): message is empty on success, else the reason for stderr.
    using TDoneCallback = std::function<void(bool ASuccess, const QString& AMessage)>;

    explicit TPdfPrintJob(TPdfPrintOptions AOptions);
    ~TPdfPrintJob();
    TPdfPrintJob(const TPdfPrintJob&) = delete;
    TPdfPrintJob& operator=(const TPdfPrintJob&) = delete;

    void Start(TDoneCallback AOnDone);

private:
    void PollUntilSettled();
    void Print();
    void Finish(bool ASuccess, const QString& AMessage);

    TPdfPrintOptions FOptions;
    TDoneCallback FOnDone;
    QWebEngineProfile* FProfile = nullptr;
    QWebEnginePage* FPage = nullptr;
    QTimer FDeadline;
    QTimer FPoll;
    bool FPrinting = false;
    bool FDone = false;
    QObject FContext;  // receiver for the connections, so they end with the job
};
