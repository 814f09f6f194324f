// The new version check and TfrmNewVersion against a local HTTPS server (Python's http.server
// with a certificate made by openssl for this run and trusted in code): the offers, what closing
// the dialog does to start-up, the download with its progress, abort and checksum, and the
// addresses and certificates the check refuses.
#include "support/TScriptedPrompts.h"

#include "uAppInfo.h"
#include "uFrmNewVersion.h"
#include "uNewVersionCheck.h"

#include <QCryptographicHash>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>
#include <memory>

namespace {

void WriteFile(const QString& APath, const QByteArray& ABytes) {
    QDir().mkpath(QFileInfo(APath).absolutePath());
    QFile f(APath);
    QVERIFY2(f.open(QIODevice::WriteOnly | QIODevice::Truncate), qPrintable(APath));
    f.write(ABytes);
}

bool Run(const QString& AProgram, const QStringList& AArgs) {
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(AProgram, AArgs);
    if (!p.waitForFinished(30000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) {
        qWarning("%s failed: %s", qPrintable(AProgram), p.readAll().constData());
        return false;
    }
    return true;
}

QByteArray Sha256Hex(const QByteArray& ABytes) {
    return QCryptographicHash::hash(ABytes, QCryptographicHash::Sha256).toHex();
}

// What to do with the dialog once it is up.
enum class TCloseBy { Nothing, CancelButton, CloseBox, Escape };

}  // namespace

class TestNewVersionCheck : public QObject {
    Q_OBJECT

private:
    QTemporaryDir FWork;
    QProcess FServer;
    int FPort = 0;
    QList<QSslCertificate> FTrusted;
    QByteArray FInstaller;

    QString Root(const QString& ARel) const { return FWork.filePath("root" + ARel); }
    QString TempFolder() const { return FWork.filePath("tmp"); }
    std::string Address() const { return "https://127.0.0.1:" + std::to_string(FPort); }

    TUpdateCheckOptions Options(bool ATrust = true) const {
        TUpdateCheckOptions o;
        o.ServerAddress = Address();
        if (ATrust)
            o.ExtraTrustedCertificates = FTrusted;
        return o;
    }

    void Publish(const QByteArray& AVersionFile) {
        WriteFile(Root(VersionFilePath), AVersionFile);
        WriteFile(Root(ChangesFilePath), "Faster PDF\r\n\r\nNew icons\r\n");
        WriteFile(Root(InstallerFilePath), FInstaller);
    }

    QStringList FilesLeftInTemp() const {
        QStringList out;
        QDirIterator it(TempFolder(), QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
        while (it.hasNext())
            out << it.next();
        return out;
    }

    // A checked, offered dialog that is shown but not run modally, for the download cases.
    std::unique_ptr<TfrmNewVersion> OpenDialog(TScriptedPrompts& APrompts) {
        TNewVersionState state;
        if (!CheckForNewVersion(Options(), state))
            return nullptr;
        auto dlg = std::make_unique<TfrmNewVersion>(state, Options(), APrompts);
        dlg->show();
        return dlg;
    }

private slots:
    void initTestCase() {
        QVERIFY(FWork.isValid());
        const QString openssl = QStandardPaths::findExecutable("openssl");
        const QString python = QStandardPaths::findExecutable("python3");
        QVERIFY2(!openssl.isEmpty() && !python.isEmpty(), "openssl and python3 are needed (scripts/install-deps)");
        const QString cert = FWork.filePath("cert.pem"), key = FWork.filePath("key.pem");
        QVERIFY(Run(openssl, {"req", "-x509", "-newkey", "ec", "-pkeyopt", "ec_paramgen_curve:prime256v1", "-nodes",
                              "-keyout", key, "-out", cert, "-days", "2", "-subj", "/CN=localhost", "-addext",
                              "subjectAltName=IP:127.0.0.1,DNS:localhost"}));
        FTrusted = QSslCertificate::fromPath(cert);
        QCOMPARE(FTrusted.size(), 1);
        QDir().mkpath(Root(""));
        FServer.start(python, {PAGEWELL_SOURCE_DIR "/tests/app/support/update_server.py", "--root", Root(""),
                               "--cert", cert, "--key", key, "--user-agent", "Mozilla/4.0 (compatible; MyApp)"});
        QVERIFY(FServer.waitForStarted(10000));
        QTRY_VERIFY_WITH_TIMEOUT(FServer.canReadLine() || FServer.state() != QProcess::Running, 10000);
        FPort = FServer.readLine().trimmed().toInt();
        QVERIFY2(FPort > 0, FServer.readAllStandardError().constData());
        // Downloads go to a temporary folder the test can look into.
        QDir().mkpath(TempFolder());
        qputenv("TMPDIR", TempFolder().toLocal8Bit());
        for (int i = 0; i < 16 * 1024; ++i)
            FInstaller.append(char('A' + i % 26));
    }
    void cleanupTestCase() {
        FServer.kill();
        FServer.waitForFinished(5000);
    }
    void init() {
        QDir(Root("")).removeRecursively();
        QDir(TempFolder()).removeRecursively();
        QDir().mkpath(TempFolder());
    }

    // Start-up through the real hook: the check, the modal dialog, and whether the program goes on.
    void startup_data() {
        QTest::addColumn<QByteArray>("versionFile");
        QTest::addColumn<int>("closeBy");
        QTest::addColumn<QString>("button");  // btCancel's text, empty when no dialog may appear
        QTest::addColumn<bool>("goesOn");
        const int cancel = int(TCloseBy::CancelButton), box = int(TCloseBy::CloseBox), esc = int(TCloseBy::Escape);
        QTest::newRow("current version") << QByteArray("10/10") << cancel << "" << true;
        QTest::newRow("no slash") << QByteArray("1110") << cancel << "" << true;
        QTest::newRow("not a number") << QByteArray("eleven/10") << cancel << "" << true;
        QTest::newRow("offered, Skip") << QByteArray("11/10\r\n") << cancel << "Skip" << true;
        QTest::newRow("offered, close box") << QByteArray("11/10") << box << "Skip" << true;
        QTest::newRow("offered, Escape") << QByteArray("11/10") << esc << "Skip" << true;
        QTest::newRow("forced, Exit") << QByteArray("11/11") << cancel << "Exit" << false;
        QTest::newRow("forced, close box") << QByteArray("11/11") << box << "Exit" << false;
        QTest::newRow("forced, Escape") << QByteArray("11/11") << esc << "Exit" << false;
    }
    void startup() {
        QFETCH(QByteArray, versionFile);
        QFETCH(int, closeBy);
        QFETCH(QString, button);
        QFETCH(bool, goesOn);
        Publish(versionFile);
        TScriptedPrompts prompts;
        QString seenButton, seenText, seenCaption, seenUpdateNow;
        bool seenBarHidden = false;
        QTimer watch;
        connect(&watch, &QTimer::timeout, this, [&] {
            auto* dlg = qobject_cast<TfrmNewVersion*>(QApplication::activeModalWidget());
            if (!dlg)
                return;
            watch.stop();
            seenButton = dlg->btCancel->text();
            seenText = dlg->Label1->text();
            seenCaption = dlg->windowTitle();
            seenBarHidden = dlg->ProgressBar1->isHidden();
            seenUpdateNow = dlg->btUpdateNow->text();
            if (TCloseBy(closeBy) == TCloseBy::CancelButton)
                QTest::mouseClick(dlg->btCancel, Qt::LeftButton);
            else if (TCloseBy(closeBy) == TCloseBy::CloseBox)
                dlg->close();
            else
                QTest::keyClick(dlg, Qt::Key_Escape);
        });
        watch.start(10);
        QCOMPARE(PassStartupUpdateCheck(Options(), prompts), goesOn);
        QCOMPARE(seenButton, button);
        if (!button.isEmpty()) {
            QCOMPARE(seenCaption, QString(" ") + AppTitle);
            QCOMPARE(seenUpdateNow, QString("Update Now"));
            QVERIFY(seenBarHidden);
            QVERIFY2(seenText.startsWith(goesOn ? "The new version 1.1 is available\n\nWhat's new:\nFaster PDF\nNew icons"
                                                : "This version of the software is out of date."),
                     qPrintable(seenText));
        }
        QVERIFY(prompts.Errors.empty() && prompts.Opened.empty() && prompts.Explored.empty());
    }

    void startup_noAddressNoCheck() {
        TScriptedPrompts prompts;
        TUpdateCheckOptions none;
        QElapsedTimer t;
        t.start();
        QVERIFY(PassStartupUpdateCheck(none, prompts));
        QVERIFY(t.elapsed() < 1000);
        QVERIFY(QApplication::topLevelWidgets().isEmpty());
    }

    // What the check refuses: it never offers anything from an unverified or unsafe source.
    void serverSafety_data() {
        QTest::addColumn<QString>("setup");
        QTest::addColumn<bool>("offered");
        QTest::newRow("trusted certificate") << "plain" << true;
        QTest::newRow("redirect within HTTPS") << "redirect-https" << true;
        QTest::newRow("plain HTTP address") << "http-address" << false;
        QTest::newRow("certificate not trusted") << "untrusted" << false;
        QTest::newRow("redirect to plain HTTP") << "redirect-http" << false;
        QTest::newRow("ten redirects") << "redirects-10" << true;
        QTest::newRow("eleven redirects") << "redirects-11" << false;
        QTest::newRow("redirect loop") << "redirect-loop" << false;
        QTest::newRow("missing changes file") << "no-changes" << false;
    }
    void serverSafety() {
        QFETCH(QString, setup);
        QFETCH(bool, offered);
        Publish("11/10");
        TUpdateCheckOptions o = Options(setup != "untrusted");
        const QString port = QString::number(FPort);
        if (setup == "http-address") {
            o.ServerAddress = "http://127.0.0.1:" + port.toStdString();
            QTest::ignoreMessage(QtWarningMsg, "The update server address must start with https://; the update check is skipped.");
        } else if (setup.startsWith("redirect-")) {
            const QString target = setup == "redirect-https" ? "https://127.0.0.1:" + port + "/moved/version.txt"
                                   : setup == "redirect-http" ? "http://127.0.0.1:" + port + "/moved/version.txt"
                                                              : QString(VersionFilePath);
            WriteFile(Root("/moved/version.txt"), "11/10");
            WriteFile(Root(VersionFilePath) + ".redirect", target.toUtf8());
        } else if (setup.startsWith("redirects-")) {
            // A chain: the version file's address, then /hop/1 ... /hop/N-1, then the file itself.
            const int hops = setup.mid(10).toInt();
            WriteFile(Root("/moved/version.txt"), "11/10");
            for (int i = 0; i < hops; ++i) {
                const QString from = i == 0 ? QString(VersionFilePath) : "/hop/" + QString::number(i);
                const QString to = i + 1 == hops ? "/moved/version.txt" : "/hop/" + QString::number(i + 1);
                WriteFile(Root(from) + ".redirect", to.toUtf8());
            }
        } else if (setup == "no-changes") {
            QFile::remove(Root(ChangesFilePath));
        }
        TNewVersionState state;
        QCOMPARE(CheckForNewVersion(o, state), offered);
        QCOMPARE(state.Offer.Message.empty(), !offered);
    }

    void check_silentServerIsBounded() {
        QTcpServer silent;  // accepts and never answers
        QVERIFY(silent.listen(QHostAddress::LocalHost));
        TUpdateCheckOptions o = Options();
        o.ServerAddress = "https://127.0.0.1:" + std::to_string(silent.serverPort());
        o.TotalTimeoutMs = 300;
        TNewVersionState state;
        QElapsedTimer t;
        t.start();
        QVERIFY(!CheckForNewVersion(o, state));
        QVERIFY2(t.elapsed() < 3000, qPrintable(QString::number(t.elapsed())));
    }

    void dialog_longChangesListKeepsTheButtonsOnScreen() {
        Publish("11/11");
        QByteArray changes;
        for (int i = 1; i <= 200; ++i)
            changes += "Change number " + QByteArray::number(i) + "\r\n";
        WriteFile(Root(ChangesFilePath), changes);
        TScriptedPrompts prompts;
        auto dlg = OpenDialog(prompts);
        QVERIFY(dlg);
        QVERIFY(dlg->Label1->text().endsWith("Change number 200\n"));
        const QRect screen = dlg->screen()->availableGeometry();
        QVERIFY2(dlg->frameGeometry().height() <= screen.height(), qPrintable(QString::number(dlg->height())));
        QVERIFY(dlg->btUpdateNow->isVisible() && dlg->btCancel->isVisible());
    }

    void download_verifiedFileIsHandedToTheDesktop() {
        Publish("12/10\nsha256 " + Sha256Hex(FInstaller) + "\n");
        TScriptedPrompts prompts;
        auto dlg = OpenDialog(prompts);
        QVERIFY(dlg);
        QTest::mouseClick(dlg->btUpdateNow, Qt::LeftButton);
        QCOMPARE(dlg->btCancel->text(), QString("Abort"));
        QVERIFY(!dlg->btUpdateNow->isEnabled());
        QVERIFY(dlg->ProgressBar1->isVisible());
        QTRY_COMPARE_WITH_TIMEOUT(prompts.Explored.size(), size_t(1), 10000);
        const QStringList files = FilesLeftInTemp();
        QCOMPARE(files.size(), 2);  // the new folder and the installer in it
        const QString file = files.filter(InstallerSaveName).value(0);
        QCOMPARE(QFileInfo(file).absolutePath(), QString::fromStdString(prompts.Explored[0]));
        QFile f(file);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), FInstaller);
        QCOMPARE(f.permissions() & ~(QFile::ReadUser | QFile::WriteUser), QFile::ReadOwner | QFile::WriteOwner);
        QCOMPARE(QFileInfo(QFileInfo(file).absolutePath()).permissions() & (QFile::ReadGroup | QFile::ReadOther | QFile::ExeOther),
                 QFileDevice::Permissions());
        QVERIFY2(dlg->Label1->text().contains(QDir::toNativeSeparators(file)), qPrintable(dlg->Label1->text()));
        QVERIFY(dlg->Label1->text().contains("version 1.2"));
        QCOMPARE(dlg->ProgressBar1->value(), 100);
        QCOMPARE(dlg->btCancel->text(), QString("Exit"));
        QVERIFY(prompts.Errors.empty() && prompts.Opened.empty());
        // The download is never started; closing the dialog now ends the program.
        QTest::mouseClick(dlg->btCancel, Qt::LeftButton);
        QVERIFY(dlg->isHidden());
        QVERIFY(dlg->LeaveRequested());
    }

    // Every failed download: the reason under the download-failed message, the web site opened,
    // the dialog closed in the leave state and nothing left on disk.
    void download_failures_data() {
        QTest::addColumn<QString>("setup");
        QTest::addColumn<QString>("reason");
        QTest::newRow("abort") << "abort" << "Download is cancelled. Please download manually.";
        QTest::newRow("checksum mismatch") << "mismatch"
                                           << "The downloaded file does not match the checksum published by the update server.";
        QTest::newRow("file removed meanwhile") << "remove" << "Cannot find downloaded file.";
        QTest::newRow("installer missing") << "missing" << "*Not Found";
    }
    void download_failures() {
        QFETCH(QString, setup);
        QFETCH(QString, reason);
        const QByteArray digest = setup == "mismatch" ? Sha256Hex("something else") : Sha256Hex(FInstaller);
        Publish("11/11\nsha256 " + digest);
        if (setup == "abort" || setup == "remove")
            WriteFile(Root(InstallerFilePath) + ".throttle", "0.03");
        if (setup == "missing")
            QFile::remove(Root(InstallerFilePath));
        TScriptedPrompts prompts;
        auto dlg = OpenDialog(prompts);
        QVERIFY(dlg);
        QTest::mouseClick(dlg->btUpdateNow, Qt::LeftButton);
        if (setup == "abort" || setup == "remove") {
            QTRY_VERIFY_WITH_TIMEOUT(dlg->ProgressBar1->value() > 0, 10000);
            QVERIFY(dlg->ProgressBar1->value() < 100);
            if (setup == "abort")
                QTest::mouseClick(dlg->btCancel, Qt::LeftButton);
            else
                QVERIFY(QFile::remove(FilesLeftInTemp().filter(InstallerSaveName).value(0)));
        }
        QTRY_COMPARE_WITH_TIMEOUT(prompts.Errors.size(), size_t(1), 10000);
        const QString text = QString::fromStdString(prompts.Errors[0]);
        const QString lead = "Failed to download update. Please download manually on website.\r\n\r\n";
        if (reason.startsWith('*'))
            QVERIFY2(text.startsWith(lead) && text.contains(reason.mid(1)), qPrintable(text));
        else
            QCOMPARE(text, lead + reason);
        QCOMPARE(prompts.Opened, std::vector<std::string>{AppHomepageURL});
        QVERIFY(prompts.Explored.empty());
        QVERIFY(dlg->isHidden());
        QVERIFY(dlg->LeaveRequested());
        QCOMPARE(FilesLeftInTemp(), QStringList());
    }

    void download_closingTheDialogStopsIt() {
        Publish("11/10");
        WriteFile(Root(InstallerFilePath) + ".throttle", "0.03");
        TScriptedPrompts prompts;
        auto dlg = OpenDialog(prompts);
        QVERIFY(dlg);
        QCOMPARE(dlg->btCancel->text(), QString("Skip"));
        QTest::mouseClick(dlg->btUpdateNow, Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(dlg->ProgressBar1->value() > 0, 10000);
        dlg->close();
        QVERIFY(dlg->LeaveRequested());  // a started update ends the program, even if it was optional
        QCOMPARE(FilesLeftInTemp(), QStringList());
        QTest::qWait(100);
        QVERIFY(prompts.Errors.empty() && prompts.Opened.empty() && prompts.Explored.empty());
    }
};

QTEST_MAIN(TestNewVersionCheck)
#include "uNewVersionCheck_test.moc"
