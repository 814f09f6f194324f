// The start-up new version check over HTTPS: fetching the update server's version and changes
// files (CheckForNewVersion) and downloading the installer (TUpdateDownload). Every request
// verifies the server's certificate and follows redirects only to HTTPS addresses, at most 10.
// The rules that need no network are in uNewVersionRules.
#pragma once

#include "uNewVersionRules.h"

#include <QByteArray>
#include <QCryptographicHash>
#include <QFile>
#include <QList>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QObject>
#include <QPointer>
#include <QSslCertificate>
#include <QString>
#include <QUrl>
#include <optional>
#include <string>

// Paths of the update server's files below its address.
inline constexpr const char* VersionFilePath = "/download/version/pagewell-version.html";
inline constexpr const char* ChangesFilePath = "/download/version/pagewell-changes.html";
inline constexpr const char* InstallerFilePath = "/download/pagewell.exe";
// The name the installer is saved under, in a new folder of its own.
inline constexpr const char* InstallerSaveName = "brn_update.exe";

// Where and how to ask. The options can only name the server and add certificates to trust
// (a test's own); the certificate check and the HTTPS-only rule always apply.
struct TUpdateCheckOptions {
    std::string ServerAddress;  // "https://host[:port][/prefix]"; empty: no check
    QList<QSslCertificate> ExtraTrustedCertificates;
    int ReadTimeoutMs = 10000;   // a request with no data for this long fails
    int TotalTimeoutMs = 10000;  // the whole check never takes longer
};

// The options the program starts with: the address from the build setting PAGEWELL_UPDATE_SERVER,
// overridden by the environment variable of the same name.
TUpdateCheckOptions StartupUpdateCheckOptions();

// The address of APath on the server, or an empty QUrl when the server address is not HTTPS.
QUrl UpdateFileUrl(const std::string& AServer, const char* APath);

// A request for AUrl with the user agent, the redirect policy and certificate verification.
QNetworkRequest MakeUpdateRequest(const QUrl& AUrl, const TUpdateCheckOptions& AOptions);

// What the dialog needs from the check.
struct TNewVersionState {
    TNewVersionOffer Offer;
    std::optional<std::string> Sha256;  // the checksum the installer must match, when published
    QUrl InstallerUrl;
};

// Asks the server; true when the dialog is to be shown, with AState filled. Every failure (no
// address or no HTTPS address, no network, certificate, time-out, HTTP error, malformed file)
// gives false and shows nothing.
bool CheckForNewVersion(const TUpdateCheckOptions& AOptions, TNewVersionState& AState);

// Downloads the installer into a new file in a new folder of the temporary folder, both readable
// by this user only, checks the published checksum and reports progress. The file is never run.
// On any failure (and when destroyed unfinished) the file and its folder are removed.
class TUpdateDownload : public QObject {
    Q_OBJECT
public:
    TUpdateDownload(const TUpdateCheckOptions& AOptions, QObject* AParent = nullptr);
    ~TUpdateDownload() override;

    // Starts the download; Finished follows, also when the file cannot even be created.
    void Start(const QUrl& AUrl, const std::optional<std::string>& ASha256);
    // Ends a running download with the cancelled failure.
    void Cancel();
    bool Running() const { return FReply != nullptr; }
    // The downloaded file once Finished reported success.
    QString FileName() const { return FFile.fileName(); }

signals:
    void Progress(int APercent);
    // AFailure is empty on success.
    void Finished(const QString& AFailure);

private:
    void ReadBlock();
    void ReplyFinished();
    void Fail(const QString& AFailure);
    void RemoveFiles();

    TUpdateCheckOptions FOptions;
    QNetworkAccessManager FManager;
    QPointer<QNetworkReply> FReply;
    QFile FFile;
    QString FFolder;
    QCryptographicHash FHash{QCryptographicHash::Sha256};
    std::optional<std::string> FSha256;
    bool FCancelRequested = false;
    bool FDone = false;
};
