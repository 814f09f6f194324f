// The rules of the new version check that need no network: reading the version and changes
// files, the version text, the offer and its texts, the progress rule and the server address.
#include "uNewVersionRules.h"

#include <QtTest>
#include <optional>
#include <string>
#include <vector>

Q_DECLARE_METATYPE(std::string)

namespace {

const std::string Digest = "0123456789abcdef0123456789abcdef0123456789abcdef0123456789abcdef";

QString Describe(const std::optional<TVersionFile>& AFile) {
    if (!AFile)
        return QStringLiteral("none");
    return QStringLiteral("%1/%2 %3").arg(AFile->Latest).arg(AFile->Minimum).arg(QString::fromStdString(AFile->Sha256.value_or("-")));
}

}  // namespace

class TestNewVersionRules : public QObject {
    Q_OBJECT

private slots:
    void versionFile_data() {
        QTest::addColumn<std::string>("text");
        QTest::addColumn<QString>("expected");
        QTest::newRow("plain") << std::string("12/10") << "12/10 -";
        QTest::newRow("CR before the line feed") << std::string("12/10\r\nignored") << "12/10 -";
        QTest::newRow("trailing CR alone") << std::string("12/10\r") << "12/10 -";
        QTest::newRow("blanks around the numbers") << std::string(" 11 / 10 \n") << "11/10 -";
        QTest::newRow("byte-order mark") << std::string("\xEF\xBB\xBF" "11/11") << "11/11 -";
        QTest::newRow("signs") << std::string("+12/-1") << "12/-1 -";
        QTest::newRow("no slash") << std::string("1110") << "none";
        QTest::newRow("not a number") << std::string("x/10") << "none";
        QTest::newRow("empty minimum") << std::string("11/") << "none";
        QTest::newRow("second slash") << std::string("11/10/3") << "none";
        QTest::newRow("hex is not decimal") << std::string("0x11/10") << "none";
        QTest::newRow("overflow") << std::string("99999999999/10") << "none";
        QTest::newRow("empty file") << std::string("") << "none";
        QTest::newRow("empty first line") << std::string("\n11/10") << "none";
        QTest::newRow("checksum line") << std::string("12/10\r\nsha256 " + Digest + "\r\n") << QString("12/10 " + QString::fromStdString(Digest));
        QTest::newRow("checksum in upper case") << std::string("12/10\nSHA256  0123456789ABCDEF0123456789ABCDEF0123456789ABCDEF0123456789ABCDEF")
                                               << QString("12/10 " + QString::fromStdString(Digest));
        QTest::newRow("other second line is ignored") << std::string("12/10\nreleased in May") << "12/10 -";
        QTest::newRow("short checksum") << std::string("12/10\nsha256 0123") << "none";
        QTest::newRow("checksum not hex") << std::string("12/10\nsha256 " + std::string(63, '0') + "g") << "none";
        QTest::newRow("checksum without a blank") << std::string("12/10\nsha256" + Digest) << "none";
    }
    void versionFile() {
        QFETCH(std::string, text);
        QFETCH(QString, expected);
        QCOMPARE(Describe(ParseVersionFile(text)), expected);
    }

    void displayVersionText_data() {
        QTest::addColumn<int>("version");
        QTest::addColumn<QString>("expected");
        QTest::newRow("12") << 12 << "1.2";
        QTest::newRow("110") << 110 << "11.0";
        QTest::newRow("7") << 7 << ".7";
        QTest::newRow("10") << 10 << "1.0";
    }
    void displayVersionText() {
        QFETCH(int, version);
        QFETCH(QString, expected);
        QCOMPARE(QString::fromStdString(DisplayVersionText(version)), expected);
    }

    void changesLines_dropOnlyEmptyLines() {
        const std::vector<std::string> expected{"Faster PDF", " ", "New icons", "Fixes", "Last"};
        QCOMPARE(ChangesLines("\xEF\xBB\xBF" "Faster PDF\r\n\r\n \nNew icons\n\nFixes\rLast\r\n"), expected);
        QVERIFY(ChangesLines("").empty());
    }

    void offer_data() {
        QTest::addColumn<int>("latest");
        QTest::addColumn<int>("minimum");
        QTest::addColumn<QString>("expected");  // "forced|message", "optional|message" or "none"
        QTest::newRow("current") << 10 << 10 << "none";
        QTest::newRow("older server") << 9 << 5 << "none";
        QTest::newRow("newer") << 11 << 10 << "optional|The new version 1.1 is available";
        QTest::newRow("minimum equals own") << 12 << 10 << "optional|The new version 1.2 is available";
        QTest::newRow("forced") << 11 << 11
                                << "forced|This version of the software is out of date. You must download the current "
                                   "version 1.1 to continue using the software.";
        QTest::newRow("forced shows the latest") << 110 << 11
                                                 << "forced|This version of the software is out of date. You must "
                                                    "download the current version 11.0 to continue using the software.";
    }
    void offer() {
        QFETCH(int, latest);
        QFETCH(int, minimum);
        QFETCH(QString, expected);
        const auto offer = DecideNewVersion(TVersionFile{latest, minimum, std::nullopt}, {});
        const QString got = offer ? QString(offer->Forced ? "forced|" : "optional|") + QString::fromStdString(offer->Message)
                                  : QStringLiteral("none");
        QCOMPARE(got, expected);
    }

    void offer_dialogTextListsTheChanges() {
        const auto offer = DecideNewVersion(TVersionFile{12, 10, std::nullopt}, {"Faster PDF", "New icons"});
        QVERIFY(offer);
        QCOMPARE(offer->DialogText,
                 std::string("The new version 1.2 is available\r\n\r\nWhat's new:\r\nFaster PDF\r\nNew icons\r\n"));
        QCOMPARE(offer->VersionText, std::string("1.2"));
        QCOMPARE(DecideNewVersion(TVersionFile{12, 10, std::nullopt}, {})->DialogText,
                 std::string("The new version 1.2 is available\r\n\r\nWhat's new:\r\n"));
    }

    void progress_data() {
        QTest::addColumn<QString>("encoding");
        QTest::addColumn<qint64>("length");
        QTest::addColumn<qint64>("received");
        QTest::addColumn<int>("expected");  // -1: the bar keeps its place
        QTest::newRow("half") << "" << qint64(200) << qint64(100) << 50;
        QTest::newRow("rounds down") << "" << qint64(3) << qint64(2) << 66;
        QTest::newRow("done") << "" << qint64(3) << qint64(3) << 100;
        QTest::newRow("large file") << "" << qint64(8'000'000'000) << qint64(4'000'000'000) << 50;
        QTest::newRow("more than announced") << "" << qint64(100) << qint64(150) << 100;
        QTest::newRow("chunked") << "chunked" << qint64(200) << qint64(100) << -1;
        QTest::newRow("chunked in any case") << "gzip, Chunked" << qint64(200) << qint64(100) << -1;
        QTest::newRow("no length") << "" << qint64(-1) << qint64(100) << -1;
        QTest::newRow("zero length") << "" << qint64(0) << qint64(0) << -1;
    }
    void progress() {
        QFETCH(QString, encoding);
        QFETCH(qint64, length);
        QFETCH(qint64, received);
        QFETCH(int, expected);
        QCOMPARE(DownloadProgressPercent(encoding.toStdString(), length, received).value_or(-1), expected);
    }

    void serverAddress_data() {
        QTest::addColumn<QString>("builtIn");
        QTest::addColumn<QString>("environment");  // "<unset>" when the variable is not set
        QTest::addColumn<QString>("resolved");
        QTest::addColumn<bool>("secure");
        QTest::newRow("nothing configured") << "" << "<unset>" << "" << false;
        QTest::newRow("build setting") << "https://updates.example.org/" << "<unset>" << "https://updates.example.org" << true;
        QTest::newRow("environment wins") << "https://a.example" << " https://b.example:8443/pw//" << "https://b.example:8443/pw" << true;
        QTest::newRow("empty environment turns it off") << "https://a.example" << "" << "" << false;
        QTest::newRow("plain HTTP refused") << "" << "http://updates.example.org" << "http://updates.example.org" << false;
        QTest::newRow("scheme in upper case") << "HTTPS://updates.example.org" << "<unset>" << "HTTPS://updates.example.org" << true;
        QTest::newRow("no host") << "https://" << "<unset>" << "https:" << false;
        QTest::newRow("port without host") << "https://:443/x" << "<unset>" << "https://:443/x" << false;
        QTest::newRow("other scheme") << "ftp://updates.example.org" << "<unset>" << "ftp://updates.example.org" << false;
        QTest::newRow("lookalike scheme") << "https:updates.example.org" << "<unset>" << "https:updates.example.org" << false;
    }
    void serverAddress() {
        QFETCH(QString, builtIn);
        QFETCH(QString, environment);
        QFETCH(QString, resolved);
        QFETCH(bool, secure);
        std::optional<std::string> env;
        if (environment != "<unset>")
            env = environment.toStdString();
        const std::string address = ResolveUpdateServer(builtIn.toStdString(), env);
        QCOMPARE(QString::fromStdString(address), resolved);
        QCOMPARE(IsSecureServerAddress(address), secure);
    }
};

QTEST_APPLESS_MAIN(TestNewVersionRules)
#include "uNewVersionRules_test.moc"
