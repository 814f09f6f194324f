#include "uNewVersionCheck.h"

#include "uQtText.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QEventLoop>
#include <QFileInfo>
#include <QNetworkReply>
#include <QSslConfiguration>
#include <QTemporaryDir>
#include <QTimer>
#include <QtGlobal>

// The build setting; the CMake cache variable of the same name defines it for this file.
#ifndef PAGEWELL_UPDATE_SERVER
#define PAGEWELL_UPDATE_SERVER ""
#endif

namespace {

constexpr const char* UpdateServerVariable = "PAGEWELL_UPDATE_SERVER";
constexpr const char* UserAgent = "Mozilla/4.0 (compatible; MyApp)";
constexpr int MaxRedirects = 10;
// The version and changes files are a few lines; a server that sends more is not believed.
constexpr qint64 MaxTextFileBytes = 1 << 20;

const QString CancelledFailure = QStringLiteral("Download is cancelled. Please download manually.");
const QString MissingFileFailure = QStringLiteral("Cannot find downloaded file.");
const QString ChecksumFailure =
    QStringLiteral("The downloaded file does not match the checksum published by the update server.");

bool IsHttpOk(QNetworkReply* AReply) {
    return AReply->error() == QNetworkReply::NoError &&
           AReply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt() == 200;
}

// Fetches one small file, waiting without user input until it arrives, fails or ADeadline passes.
std::optional<std::string> FetchText(QNetworkAccessManager& AManager, const QUrl& AUrl,
                                     const TUpdateCheckOptions& AOptions, const QDeadlineTimer& ADeadline) {
    if (AUrl.isEmpty() || ADeadline.hasExpired())
        return std::nullopt;
    QNetworkReply* reply = AManager.get(MakeUpdateRequest(AUrl, AOptions));
    QEventLoop loop;
    QTimer limit;
    limit.setSingleShot(true);
    QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    QObject::connect(&limit, &QTimer::timeout, reply, &QNetworkReply::abort);
    QObject::connect(reply, &QNetworkReply::readyRead, reply, [reply] {
        if (reply->bytesAvailable() > MaxTextFileBytes)
            reply->abort();
    });
    limit.start(int(qMax<qint64>(0, ADeadline.remainingTime())));
    if (!reply->isFinished())
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    std::optional<std::string> text;
    if (IsHttpOk(reply))
        text = reply->readAll().toStdString();
    delete reply;
    return text;
}

}  // namespace

TUpdateCheckOptions StartupUpdateCheckOptions() {
    std::optional<std::string> fromEnvironment;
    if (qEnvironmentVariableIsSet(UpdateServerVariable))
        fromEnvironment = FromQ(qEnvironmentVariable(UpdateServerVariable));
    TUpdateCheckOptions options;
    options.ServerAddress = ResolveUpdateServer(PAGEWELL_UPDATE_SERVER, fromEnvironment);
    return options;
}

QUrl UpdateFileUrl(const std::string& AServer, const char* APath) {
    if (!IsSecureServerAddress(AServer))
        return QUrl();
    QUrl url(ToQ(AServer + APath), QUrl::StrictMode);
    if (!url.isValid() || url.scheme() != QLatin1String("https") || url.host().isEmpty())
        return QUrl();
    return url;
}

QNetworkRequest MakeUpdateRequest(const QUrl& AUrl, const TUpdateCheckOptions& AOptions) {
    QNetworkRequest request(AUrl);
    request.setHeader(QNetworkRequest::UserAgentHeader, UserAgent);
    // The bytes as the server holds them, so the checksum and the progress see the same length.
    request.setRawHeader("Accept-Encoding", "identity");
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::NoLessSafeRedirectPolicy);
    request.setMaximumRedirectsAllowed(MaxRedirects);
    request.setTransferTimeout(AOptions.ReadTimeoutMs);
    QSslConfiguration ssl = QSslConfiguration::defaultConfiguration();
    ssl.setPeerVerifyMode(QSslSocket::VerifyPeer);
    ssl.setProtocol(QSsl::TlsV1_2OrLater);
    if (!AOptions.ExtraTrustedCertificates.isEmpty())
        ssl.addCaCertificates(AOptions.ExtraTrustedCertificates);
    request.setSslConfiguration(ssl);
    return request;
}

bool CheckForNewVersion(const TUpdateCheckOptions& AOptions, TNewVersionState& AState) {
    AState = TNewVersionState();
    if (AOptions.ServerAddress.empty())
        return false;
    try {
        const QUrl versionUrl = UpdateFileUrl(AOptions.ServerAddress, VersionFilePath);
        if (versionUrl.isEmpty()) {
            qWarning("The update server address must start with https://; the update check is skipped.");
            return false;
        }
        QNetworkAccessManager manager;
        const QDeadlineTimer deadline(AOptions.TotalTimeoutMs);
        const auto versionText = FetchText(manager, versionUrl, AOptions, deadline);
        if (!versionText)
            return false;
        const auto versionFile = ParseVersionFile(*versionText);
        if (!versionFile || (versionFile->Latest <= OwnVersionNumber && versionFile->Minimum <= OwnVersionNumber))
            return false;
        const auto changesText =
            FetchText(manager, UpdateFileUrl(AOptions.ServerAddress, ChangesFilePath), AOptions, deadline);
        if (!changesText)
            return false;
        auto offer = DecideNewVersion(*versionFile, ChangesLines(*changesText));
        if (!offer)
            return false;
        AState.Offer = std::move(*offer);
        AState.Sha256 = versionFile->Sha256;
        AState.InstallerUrl = UpdateFileUrl(AOptions.ServerAddress, InstallerFilePath);
        return true;
    } catch (...) {
        AState = TNewVersionState();
        return false;
    }
}

// ---- TUpdateDownload -------------------------------------------------------------------------

TUpdateDownload::TUpdateDownload(const TUpdateCheckOptions& AOptions, QObject* AParent)
    : QObject(AParent), FOptions(AOptions) {}

TUpdateDownload::~TUpdateDownload() {
    if (FReply) {
        FReply->disconnect(this);
        FReply->abort();
    }
    if (!FDone)
        RemoveFiles();
}

void TUpdateDownload::Start(const QUrl& AUrl, const std::optional<std::string>& ASha256) {
    FSha256 = ASha256;
    FCancelRequested = false;
    FDone = false;
    FHash.reset();
    // A new folder only this user can enter, and a new file in it: nothing anyone else placed in
    // the shared temporary folder is ever written to or handed on.
    QTemporaryDir folder(QDir::tempPath() + QStringLiteral("/pagewell-update-XXXXXX"));
    if (!folder.isValid()) {
        Fail(QStringLiteral("Cannot create a folder for the download in %1: %2")
                 .arg(QDir::toNativeSeparators(QDir::tempPath()), folder.errorString()));
        return;
    }
    folder.setAutoRemove(false);
    FFolder = folder.path();
    FFile.setFileName(folder.filePath(InstallerSaveName));
    if (!FFile.open(QIODevice::WriteOnly | QIODevice::NewOnly, QFileDevice::ReadOwner | QFileDevice::WriteOwner)) {
        Fail(QStringLiteral("Cannot create %1: %2").arg(QDir::toNativeSeparators(FFile.fileName()), FFile.errorString()));
        return;
    }
    if (AUrl.isEmpty() || AUrl.scheme() != QLatin1String("https")) {
        Fail(QStringLiteral("The download address is not an HTTPS address."));
        return;
    }
    FReply = FManager.get(MakeUpdateRequest(AUrl, FOptions));
    connect(FReply, &QNetworkReply::readyRead, this, &TUpdateDownload::ReadBlock);
    connect(FReply, &QNetworkReply::downloadProgress, this, [this](qint64 AReceived, qint64) {
        if (!FReply)
            return;
        const QVariant length = FReply->header(QNetworkRequest::ContentLengthHeader);
        const auto percent = DownloadProgressPercent(FReply->rawHeader("Transfer-Encoding").toStdString(),
                                                     length.isValid() ? length.toLongLong() : -1, AReceived);
        if (percent)
            emit Progress(*percent);
    });
    connect(FReply, &QNetworkReply::finished, this, &TUpdateDownload::ReplyFinished);
}

void TUpdateDownload::Cancel() {
    if (!FReply)
        return;
    FCancelRequested = true;
    Fail(CancelledFailure);
}

void TUpdateDownload::ReadBlock() {
    if (!FReply || FDone)
        return;
    const QByteArray block = FReply->readAll();
    if (block.isEmpty())
        return;
    if (FFile.write(block) != block.size()) {
        Fail(QStringLiteral("Cannot write %1: %2").arg(QDir::toNativeSeparators(FFile.fileName()), FFile.errorString()));
        return;
    }
    FHash.addData(block);
}

void TUpdateDownload::ReplyFinished() {
    if (!FReply || FDone)
        return;
    if (IsHttpOk(FReply))
        ReadBlock();
    if (FDone)
        return;
    QNetworkReply* reply = FReply;
    FReply = nullptr;
    reply->deleteLater();
    if (reply->error() != QNetworkReply::NoError) {
        Fail(reply->errorString());
        return;
    }
    if (!IsHttpOk(reply)) {
        Fail(QStringLiteral("The update server answered with status %1.")
                 .arg(reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt()));
        return;
    }
    FFile.close();
    if (!QFileInfo::exists(FFile.fileName())) {
        Fail(MissingFileFailure);
        return;
    }
    if (FSha256 && FHash.result().toHex().toStdString() != *FSha256) {
        Fail(ChecksumFailure);
        return;
    }
    FDone = true;
    emit Progress(100);
    emit Finished(QString());
}

void TUpdateDownload::Fail(const QString& AFailure) {
    FDone = true;
    if (FReply) {
        QNetworkReply* reply = FReply;
        FReply = nullptr;
        reply->disconnect(this);
        reply->abort();
        reply->deleteLater();
    }
    RemoveFiles();
    emit Finished(AFailure);
}

void TUpdateDownload::RemoveFiles() {
    if (FFile.isOpen())
        FFile.close();
    if (!FFile.fileName().isEmpty())
        QFile::remove(FFile.fileName());
    if (!FFolder.isEmpty())
        QDir().rmdir(FFolder);
}
