// The PDF printer lookup, the command lines handed to the printers, the process start and the
// wait for the PDF file. Printers are stand-in shell scripts here; the real pagewell-pdf is
// exercised by the PDF export tests.
#include "uPdfPrinter.h"
#include "uProcess.h"

#include "common/TestHelpers.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace {

void PutScript(const std::string& APath, const std::string& ABody) {
    PutFile(APath, "#!/bin/sh\n" + ABody);
    ::chmod(APath.c_str(), 0755);
}

// A stand-in printer that records its arguments, one a line, in args.txt beside itself, notes
// whether the --user-data-dir folder existed while it ran, and writes "%PDF" to the file named by
// --print-to-pdf=.
const char* const RecordingPrinter = R"SH(
dir=$(dirname "$0")
: > "$dir/args.txt"
for a in "$@"; do
  printf '%s\n' "$a" >> "$dir/args.txt"
  case "$a" in
    --user-data-dir=*) [ -d "${a#--user-data-dir=}" ] && echo yes > "$dir/profile-existed.txt" ;;
    --print-to-pdf=*) printf '%%PDF' > "${a#--print-to-pdf=}" ;;
  esac
done
)SH";

std::vector<std::string> ReadLines(const std::string& APath) {
    std::vector<std::string> lines = SplitString(GetFile(APath), '\n');
    if (!lines.empty() && lines.back().empty())
        lines.pop_back();
    return lines;
}

std::string ValueOf(const std::vector<std::string>& AArgs, const std::string& APrefix) {
    for (const std::string& a : AArgs)
        if (StartsWith(a, APrefix))
            return a.substr(APrefix.size());
    return "<missing>";
}

}  // namespace

TEST(PdfPrinter, findsBrowserOnPathFirstThenBundledPrinterElseNothing) {
    TTempDir tmp;
    const std::string bin1 = tmp / "bin one", bin2 = tmp / "bin2", app = tmp / "app";
    PutScript(CombinePath(bin2, "chromium"), "exit 0\n");
    PutScript(CombinePath(bin2, "google-chrome"), "exit 0\n");
    PutFile(CombinePath(bin1, "msedge"), "not executable");  // skipped: no execute permission
    PutScript(CombinePath(app, "pagewell-pdf"), "exit 0\n");
    EnsureDir(tmp / "empty");

    struct Case {
        std::string FPath, FApp;
        TPdfPrinterKind FKind;
        std::string FFound;
    } cases[] = {
        {bin1 + ":" + bin2, app, TPdfPrinterKind::Browser, CombinePath(bin2, "chromium")},
        {tmp / "empty", app, TPdfPrinterKind::Bundled, CombinePath(app, "pagewell-pdf")},
        {"", app, TPdfPrinterKind::Bundled, CombinePath(app, "pagewell-pdf")},
        {bin1, tmp / "empty", TPdfPrinterKind::None, ""},
        {"", "", TPdfPrinterKind::None, ""},
    };
    for (const Case& c : cases) {
        const TPdfPrinter p = FindPdfPrinter({c.FPath, c.FApp});
        EXPECT_EQ(p.FKind, c.FKind) << c.FPath << " | " << c.FApp;
        EXPECT_EQ(p.FPath, c.FFound) << c.FPath << " | " << c.FApp;
    }
    // Edge is preferred wherever it is on PATH; PATH order decides between folders for one name.
    PutScript(CombinePath(bin1, "google-chrome"), "exit 0\n");
    PutScript(CombinePath(bin2, "microsoft-edge"), "exit 0\n");
    EXPECT_EQ(FindEdgeExe({bin1 + ":" + bin2, ""}), CombinePath(bin2, "microsoft-edge"));
    EXPECT_EQ(FindEdgeExe({bin2 + ":" + bin1, ""}), CombinePath(bin2, "microsoft-edge"));
    ::chmod(CombinePath(bin2, "microsoft-edge").c_str(), 0644);
    ::chmod(CombinePath(bin2, "chromium").c_str(), 0644);
    EXPECT_EQ(FindEdgeExe({bin2 + ":" + bin1, ""}), CombinePath(bin2, "google-chrome"));
}

TEST(PdfPrinter, noPrinterAtAllIsMicrosoftEdgeNotFound) {
    TTempDir tmp;
    EnsureDir(tmp / "empty");
    try {
        PrintHtmlToPdf(tmp / "manual.html", tmp / "manual.pdf", {tmp / "empty", tmp / "empty"});
        FAIL() << "no error";
    } catch (const EAppError& e) {
        EXPECT_STREQ(e.what(), "Microsoft Edge not found");
    }
}

TEST(PdfPrinter, documentAddressKeepsSpacesAndEscapesOnlyWhatWouldEndThePath) {
    EXPECT_EQ(PdfDocumentAddress("/srv/My Project/build/pdf/manual.html"),
              "file:///srv/My Project/build/pdf/manual.html");
    EXPECT_EQ(PdfDocumentAddress("/srv/a#1/b?c/50%/d\\e/Ünï.html"),
              "file:///srv/a%231/b%3Fc/50%25/d%5Ce/Ünï.html");
    EXPECT_EQ(PdfDocumentAddress("/srv/x/../y/./m.html"), "file:///srv/y/m.html");
}

TEST(PdfPrinter, browserGetsHeadlessFlagsAFreshProfileAndUnsplitPaths) {
    TTempDir tmp;
    const std::string bin = tmp / "browser bin";
    PutScript(CombinePath(bin, "chromium"), RecordingPrinter);
    const std::string out = tmp / "My Project/build/pdf";
    EnsureDir(out);
    const std::string html = CombinePath(out, "manual.html"), pdf = CombinePath(out, "manual.pdf");

    PrintHtmlToPdf(html, pdf, {bin, ""});

    const std::vector<std::string> args = ReadLines(CombinePath(bin, "args.txt"));
    const std::vector<std::string> expectedStart = {
        "--headless", "--disable-gpu", "--no-first-run", "--no-default-browser-check",
        "--disable-print-preview", "--kiosk-printing"};
    ASSERT_GE(args.size(), expectedStart.size() + 3);
    EXPECT_EQ(std::vector<std::string>(args.begin(), args.begin() + 6), expectedStart);
    EXPECT_EQ(ValueOf(args, "--print-to-pdf="), pdf);
    EXPECT_EQ(ValueOf(args, "--no-pdf-header-footer"), "");
    EXPECT_EQ(ValueOf(args, "--paper"), "<missing>") << "the browser takes the paper from the document";
    EXPECT_EQ(args.back(), "file://" + html);  // literal spaces, one argument
    if (::geteuid() == 0) {
        EXPECT_EQ(ValueOf(args, "--no-sandbox"), "");
    }
    const std::string profile = ValueOf(args, "--user-data-dir=");
    EXPECT_NE(profile.find("EdgePdfProfile"), std::string::npos);
    EXPECT_EQ(GetFile(CombinePath(bin, "profile-existed.txt")), "yes\n");
    EXPECT_FALSE(std::filesystem::exists(profile)) << "profile folder left behind";
    EXPECT_EQ(GetFile(pdf), "%PDF");
}

TEST(PdfPrinter, bundledPrinterGetsPaperMarginsOutputAndDocument) {
    TTempDir tmp;
    const std::string app = tmp / "app folder";
    PutScript(CombinePath(app, "pagewell-pdf"), RecordingPrinter);
    const std::string html = tmp / "a b/manual.html", pdf = tmp / "a b/manual.pdf";
    EnsureDir(tmp / "a b");

    for (TPdfPaper paper : {TPdfPaper::A4, TPdfPaper::Letter}) {
        PrintHtmlToPdf(html, pdf, {"", app}, paper);
        EXPECT_EQ(ReadLines(CombinePath(app, "args.txt")),
                  (std::vector<std::string>{"--paper=" + PdfPaperName(paper), "--margin=20,18,25,18",
                                            "--print-to-pdf=" + pdf, "file://" + html}));
        EXPECT_EQ(GetFile(pdf), "%PDF");
    }
}

TEST(Process, reportsExitCodesSignalsAndStartFailures) {
    TTempDir tmp;
    const std::string script = tmp / "with space.sh";
    PutScript(script, "[ \"$1\" = 'one arg' ] || exit 9\nexit \"$2\"\n");
    EXPECT_EQ(RunProcessAndWait({script, "one arg", "3"}), 3);
    EXPECT_EQ(RunProcessAndWait({script, "one", "0"}), 9);
    PutScript(tmp / "killed.sh", "kill -TERM $$\n");
    EXPECT_EQ(RunProcessAndWait({tmp / "killed.sh"}), 128 + 15);
    try {
        RunProcessAndWait({tmp / "missing"});
        FAIL() << "no error";
    } catch (const EAppError& e) {
        EXPECT_NE(std::string(e.what()).find(tmp / "missing"), std::string::npos) << e.what();
    }
}

TEST(WaitForFile, returnsOnceTheFileHasContentAndTimesOutOnAnEmptyOne) {
    TTempDir tmp;
    const std::string pdf = tmp / "late.pdf";
    PutFile(pdf, "");  // an empty file does not count
    std::thread writer([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        PutFile(pdf, "%PDF-1.4");
    });
    const auto start = std::chrono::steady_clock::now();
    EXPECT_NO_THROW(WaitForFile(pdf, 3000));
    writer.join();
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(300));

    PutFile(tmp / "empty.pdf", "");
    for (const std::string& path : {tmp / "empty.pdf", tmp / "never.pdf"}) {
        const auto t0 = std::chrono::steady_clock::now();
        try {
            WaitForFile(path, 200);
            FAIL() << "no error for " << path;
        } catch (const EAppError& e) {
            EXPECT_STREQ(e.what(), "PDF file was not created in time");
        }
        EXPECT_GE(std::chrono::steady_clock::now() - t0, std::chrono::milliseconds(200));
    }
}
