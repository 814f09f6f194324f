#include "uPdfPrinter.h"

#include "uProcess.h"
#include "uUtils.h"

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <thread>
#include <unistd.h>

namespace {

const char* const BrowserNames[] = {"msedge", "microsoft-edge", "chromium", "chromium-browser", "google-chrome"};

}  // namespace

TPdfTempFolder::TPdfTempFolder(const std::string& APrefix) {
    std::error_code ec;
    std::filesystem::path tmp = std::filesystem::temp_directory_path(ec);
    if (ec)
        tmp = "/tmp";
    std::string tmpl = (tmp / (APrefix + "-XXXXXX")).string();
    if (!::mkdtemp(tmpl.data()))
        throw EAppError("Cannot create a temporary folder in " + tmp.string());
    FPath = tmpl;
}

TPdfTempFolder::~TPdfTempFolder() {
    std::error_code ec;
    std::filesystem::remove_all(FPath, ec);
}

TPdfPrinterSearch DefaultPdfPrinterSearch() {
    const char* path = std::getenv("PATH");
    return {path ? path : "", RunningExecutableFolder()};
}

std::string FindEdgeExe(const TPdfPrinterSearch& ASearch) {
    for (const char* name : BrowserNames) {
        std::string found = FindExecutableOnPath(name, ASearch.FPathList);
        if (!found.empty())
            return found;
    }
    return {};
}

TPdfPrinter FindPdfPrinter(const TPdfPrinterSearch& ASearch) {
    std::string browser = FindEdgeExe(ASearch);
    if (!browser.empty())
        return {TPdfPrinterKind::Browser, browser};
    if (!ASearch.FAppFolder.empty()) {
        std::string bundled = CombinePath(ASearch.FAppFolder, BundledPdfPrinterName);
        if (IsExecutableFile(bundled))
            return {TPdfPrinterKind::Bundled, bundled};
    }
    return {};
}

std::string PdfDocumentAddress(const std::string& AHtmlPath) {
    std::string path = ExpandFileName(AHtmlPath);
    if (PathDelim == '\\')
        path = ReplaceText(path, "\\", "/");
    std::string address = "file://";
    if (!StartsWith(path, "/"))
        address += '/';
    for (char c : path) {
        switch (c) {
            case '%': address += "%25"; break;
            case '#': address += "%23"; break;
            case '?': address += "%3F"; break;
            case '\\': address += "%5C"; break;  // a file-name character here, not a separator
            default: address += c;
        }
    }
    return address;
}

std::vector<std::string> PdfPrinterArguments(const TPdfPrinter& APrinter, const std::string& AHtmlPath,
                                             const std::string& APdfPath, const std::string& AProfileFolder,
                                             TPdfPaper APaper) {
    const std::string pdf = ExpandFileName(APdfPath);
    const std::string address = PdfDocumentAddress(AHtmlPath);
    if (APrinter.FKind == TPdfPrinterKind::Bundled)
        return {APrinter.FPath,
                "--paper=" + PdfPaperName(APaper),
                "--margin=" + IntToStr(ManualMargins.FTop) + "," + IntToStr(ManualMargins.FRight) + "," +
                    IntToStr(ManualMargins.FBottom) + "," + IntToStr(ManualMargins.FLeft),
                "--print-to-pdf=" + pdf,
                address};
    std::vector<std::string> args = {
        APrinter.FPath,
        "--headless",
        "--disable-gpu",
        "--no-first-run",
        "--no-default-browser-check",
        "--disable-print-preview",
        "--kiosk-printing",
        "--user-data-dir=" + AProfileFolder,
        "--print-to-pdf=" + pdf,
        // The margins are the document's: no date, title, file path or page count in them.
        "--no-pdf-header-footer",
        // Nothing else talks to the network or updates itself while the browser prints.
        "--disable-background-networking",
        "--disable-component-update",
        "--disable-sync",
    };
    // The browser's sandbox refuses to run as root.
    if (::geteuid() == 0)
        args.push_back("--no-sandbox");
    args.push_back(address);
    return args;
}

void PrintHtmlToPdf(const std::string& AHtmlPath, const std::string& APdfPath, const TPdfPrinterSearch& ASearch,
                    TPdfPaper APaper) {
    const TPdfPrinter printer = FindPdfPrinter(ASearch);
    if (printer.FKind == TPdfPrinterKind::None)
        throw EAppError("Microsoft Edge not found");
    if (printer.FKind == TPdfPrinterKind::Bundled) {
        RunProcessAndWait(PdfPrinterArguments(printer, AHtmlPath, APdfPath, {}, APaper));
        return;
    }
    // A fresh profile per print, so parallel or earlier runs never share one (a shared profile
    // is locked by the first browser).
    TPdfTempFolder profile("EdgePdfProfile");
    RunProcessAndWait(PdfPrinterArguments(printer, AHtmlPath, APdfPath, profile.Path(), APaper));
}

void WaitForFile(const std::string& APath, int ATimeoutMs) {
    using Clock = std::chrono::steady_clock;
    const Clock::time_point start = Clock::now();
    while (true) {
        std::error_code ec;
        const auto size = std::filesystem::file_size(APath, ec);
        if (!ec && size > 0)
            return;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        if (Clock::now() - start > std::chrono::milliseconds(ATimeoutMs))
            throw EAppError("PDF file was not created in time");
    }
}
