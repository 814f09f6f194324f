// Turning the manual document into a PDF with an outside printer program, and waiting for the
// file it writes.
//
// The printer is a Chromium-family browser found on PATH (msedge, microsoft-edge, chromium,
// chromium-browser, google-chrome), run headless; when there is none, our own pagewell-pdf
// (Qt WebEngine) from the application folder. Both are started the same way (argument vector,
// no shell) and waited for without time limit; only the PDF file they leave behind counts.
#pragma once

#include "uPdfPaper.h"

#include <string>
#include <vector>

// A fresh folder <temporary folder>/<APrefix>-XXXXXX, removed with everything in it when the
// object goes. Raises EAppError when it cannot be created.
class TPdfTempFolder {
public:
    explicit TPdfTempFolder(const std::string& APrefix);
    ~TPdfTempFolder();
    TPdfTempFolder(const TPdfTempFolder&) = delete;
    TPdfTempFolder& operator=(const TPdfTempFolder&) = delete;
    const std::string& Path() const { return FPath; }

private:
    std::string FPath;
};

// Where the printers are looked for. Tests and callers with another layout fill it themselves.
struct TPdfPrinterSearch {
    std::string FPathList;   // PATH value searched for a browser
    std::string FAppFolder;  // folder holding pagewell-pdf
};

// This process's PATH and the folder of the running executable.
TPdfPrinterSearch DefaultPdfPrinterSearch();

enum class TPdfPrinterKind { None, Browser, Bundled };

struct TPdfPrinter {
    TPdfPrinterKind FKind = TPdfPrinterKind::None;
    std::string FPath;
};

// Name of our own printer program in the application folder.
inline constexpr const char* BundledPdfPrinterName = "pagewell-pdf";

// Path of the first browser on ASearch's PATH, empty when there is none.
std::string FindEdgeExe(const TPdfPrinterSearch& ASearch);
// The browser if there is one, else pagewell-pdf when it is an executable in the application
// folder, else a printer of kind None.
TPdfPrinter FindPdfPrinter(const TPdfPrinterSearch& ASearch);

// The file: address given to the printer: "file://", the absolute path with forward slashes
// (a "/" added in front when the path does not start with one). Spaces and other characters stay
// as they are, except those that would end or bend the path part of an address: '%', '#', '?'
// and (where it is not a separator) the backslash are written %25, %23, %3F and %5C.
std::string PdfDocumentAddress(const std::string& AHtmlPath);

// Full command line (program first) for printing the document at AHtmlPath to APdfPath.
// AProfileFolder is the browser's user-data folder (unused by pagewell-pdf). The browser prints
// no header and footer of its own into the margins and takes paper and margins from the
// document's @page rule; pagewell-pdf is given APaper and ManualMargins.
std::vector<std::string> PdfPrinterArguments(const TPdfPrinter& APrinter, const std::string& AHtmlPath,
                                             const std::string& APdfPath, const std::string& AProfileFolder,
                                             TPdfPaper APaper = TPdfPaper::A4);

// Finds a printer ("Microsoft Edge not found" when there is none at all), runs it on the
// document and waits for it to end. A browser gets a fresh profile folder in the temporary
// folder, removed afterwards. Start failures are raised; the printer's exit code is not judged,
// WaitForFile decides.
void PrintHtmlToPdf(const std::string& AHtmlPath, const std::string& APdfPath,
                    const TPdfPrinterSearch& ASearch = DefaultPdfPrinterSearch(), TPdfPaper APaper = TPdfPaper::A4);

// Returns once APath exists with a size above 0, checking at once and then every 50 ms; raises
// "PDF file was not created in time" when ATimeoutMs have passed without that.
void WaitForFile(const std::string& APath, int ATimeoutMs);

// The wait ExportPdf allows after the printer has ended.
inline constexpr int PdfWaitTimeoutMs = 5000;
