// pagewell-pdf: prints an HTML file to PDF with the browser engine, without a window.
//
//   pagewell-pdf [OPTIONS] --print-to-pdf=OUTPUT.pdf DOCUMENT
//   pagewell-pdf [OPTIONS] DOCUMENT OUTPUT.pdf
//   OPTIONS: --timeout=SECONDS  --paper=a4|letter  --margin=MM or --margin=TOP,RIGHT,BOTTOM,LEFT
//
// DOCUMENT is a file path or a file: address. The page is printed on the paper given (A4 unless
// told otherwise) with the margins given once it and all its images have loaded. Exit code 0 when
// the PDF has been written, 1 when printing failed, 2 for a wrong command line; every failure is
// explained on stderr.
#include "uPdfPrintJob.h"

#include <QApplication>
#include <QFileInfo>
#include <QLoggingCategory>
#include <QStringList>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

int Fail(int ACode, const QString& AMessage) {
    std::fprintf(stderr, "pagewell-pdf: %s\n", AMessage.toLocal8Bit().constData());
    return ACode;
}

// The browser engine needs these to run headless and as root; the caller's values win.
void PrepareEnvironment() {
    if (!std::getenv("QT_QPA_PLATFORM"))
        ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    if (!std::getenv("QTWEBENGINE_DISABLE_SANDBOX"))
        ::setenv("QTWEBENGINE_DISABLE_SANDBOX", "1", 1);
    std::string flags = std::getenv("QTWEBENGINE_CHROMIUM_FLAGS") ? std::getenv("QTWEBENGINE_CHROMIUM_FLAGS") : "";
    if (flags.find("--disable-gpu") == std::string::npos) {
        flags = flags.empty() ? "--disable-gpu" : flags + " --disable-gpu";
        ::setenv("QTWEBENGINE_CHROMIUM_FLAGS", flags.c_str(), 1);
    }
}

QUrl DocumentUrl(const QString& AArg) {
    if (AArg.startsWith(QStringLiteral("file:"), Qt::CaseInsensitive))
        return QUrl(AArg, QUrl::TolerantMode);
    return QUrl::fromLocalFile(QFileInfo(AArg).absoluteFilePath());
}

// Reads the command line into AOptions; returns an error text, empty when it is usable.
QString ParseArguments(const QStringList& AArgs, TPdfPrintOptions& AOptions) {
    QStringList positional;
    for (int i = 1; i < AArgs.size(); ++i) {
        const QString& a = AArgs[i];
        bool ok = true;
        if (a.startsWith(QStringLiteral("--print-to-pdf=")))
            AOptions.FOutputFile = a.mid(int(std::strlen("--print-to-pdf=")));
        else if (a.startsWith(QStringLiteral("--timeout="))) {
            const double s = a.mid(int(std::strlen("--timeout="))).toDouble(&ok);
            if (!ok || s <= 0)
                return QStringLiteral("bad value in ") + a;
            AOptions.FTimeoutMs = int(s * 1000);
        } else if (a.startsWith(QStringLiteral("--margin="))) {
            const QStringList parts = a.mid(int(std::strlen("--margin="))).split(QLatin1Char(','));
            if (parts.size() != 1 && parts.size() != 4)
                return QStringLiteral("bad value in ") + a;
            QList<double> mm;
            for (const QString& part : parts) {
                mm << part.toDouble(&ok);
                if (!ok || mm.back() < 0 || mm.back() > 100)
                    return QStringLiteral("bad value in ") + a;
            }
            AOptions.FMarginsMm = parts.size() == 1 ? QMarginsF(mm[0], mm[0], mm[0], mm[0])
                                                    : QMarginsF(mm[3], mm[0], mm[1], mm[2]);
        } else if (a.startsWith(QStringLiteral("--paper="))) {
            const QString paper = a.mid(int(std::strlen("--paper=")));
            if (paper == QStringLiteral("a4"))
                AOptions.FPaper = QPageSize::A4;
            else if (paper == QStringLiteral("letter"))
                AOptions.FPaper = QPageSize::Letter;
            else
                return QStringLiteral("bad value in ") + a;
        } else if (a.startsWith(QStringLiteral("--")))
            return QStringLiteral("unknown option ") + a;
        else
            positional << a;
    }
    if (AOptions.FOutputFile.isEmpty() && positional.size() == 2)
        AOptions.FOutputFile = positional.takeLast();
    if (positional.size() != 1 || AOptions.FOutputFile.isEmpty())
        return QStringLiteral("usage: pagewell-pdf [--timeout=SECONDS] [--paper=a4|letter] "
                              "[--margin=MM|TOP,RIGHT,BOTTOM,LEFT] --print-to-pdf=OUTPUT.pdf DOCUMENT");
    AOptions.FDocument = DocumentUrl(positional.first());
    if (!AOptions.FDocument.isValid() || !AOptions.FDocument.isLocalFile())
        return QStringLiteral("not a local document: ") + positional.first();
    AOptions.FOutputFile = QFileInfo(AOptions.FOutputFile).absoluteFilePath();
    return QString();
}

}  // namespace

int main(int argc, char* argv[]) {
    PrepareEnvironment();
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    // Keeps the engine's start-up report off stderr (QT_LOGGING_RULES still overrides this).
    QLoggingCategory::setFilterRules(QStringLiteral("qt.webenginecontext=false"));
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("pagewell-pdf"));

    TPdfPrintOptions options;
    const QString usage = ParseArguments(QApplication::arguments(), options);
    if (!usage.isEmpty())
        return Fail(2, usage);
    const QString local = options.FDocument.toLocalFile();
    if (!QFileInfo(local).isFile())
        return Fail(1, QStringLiteral("document not found: ") + local);
    if (!QFileInfo(QFileInfo(options.FOutputFile).absolutePath()).isDir())
        return Fail(1, QStringLiteral("output folder does not exist: ") +
                           QFileInfo(options.FOutputFile).absolutePath());

    int exitCode = 1;
    TPdfPrintJob job(options);
    job.Start([&](bool ASuccess, const QString& AMessage) {
        if (ASuccess)
            exitCode = 0;
        else
            Fail(1, AMessage);
        QCoreApplication::exit(exitCode);
    });
    QApplication::exec();
    return exitCode;
}
