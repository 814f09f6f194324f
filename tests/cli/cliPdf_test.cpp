// pagewell-cli publish pdf as a user runs it: the built binary, its pagewell-pdf beside it; the
// bookmarks read back with qpdf.
#include "publish/WebHelpFixture.h"

#include "uProcess.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <filesystem>
#include <tuple>
#include <locale.h>

using namespace webhelp_fixture;

namespace {

struct TPdfRun {
    int ExitCode = -1;
    std::string Out, Err;
};

// Runs AProgram with AArgs and APathList as PATH, capturing stdout and stderr through files.
TPdfRun RunProgram(const std::string& AProgram, const std::vector<std::string>& AArgs, const TTempDir& ADir,
                   const std::string& APathList = "/usr/bin:/bin") {
    std::vector<std::string> args = {"/bin/sh", "-c", "PATH=\"$PDFTEST_PATH\" \"$0\" \"$@\" >\"$PDFTEST_OUT\" 2>\"$PDFTEST_ERR\"",
                                     AProgram};
    args.insert(args.end(), AArgs.begin(), AArgs.end());
    TScopedEnv path("PDFTEST_PATH", APathList), out("PDFTEST_OUT", ADir / "out.txt"), err("PDFTEST_ERR", ADir / "err.txt");
    TPdfRun run;
    run.ExitCode = RunProcessAndWait(args);
    run.Out = GetFile(ADir / "out.txt");
    run.Err = GetFile(ADir / "err.txt");
    return run;
}

const std::string kCli = PAGEWELL_APP_DIR "/pagewell-cli";

// Width and height in points from pdfinfo's "Page size:" line of the first page.
std::pair<double, double> PageSize(const std::string& APdf, const TTempDir& ADir) {
    const TPdfRun info = RunProgram("pdfinfo", {APdf}, ADir);
    const size_t at = info.Out.find("Page size:");
    if (info.ExitCode != 0 || at == std::string::npos)
        return {0, 0};
    const std::string size = info.Out.substr(at + 10);
    return {std::stod(size), std::stod(size.substr(size.find('x') + 1))};
}

bool LocaleInstalled(const char* AName) {
    locale_t loc = ::newlocale(LC_ALL_MASK, AName, static_cast<locale_t>(nullptr));
    if (loc)
        ::freelocale(loc);
    return loc != nullptr;
}

}  // namespace

TEST(CliPdf, publishPdfWritesTheManualAndPrintsThePdfPath) {
    if (!IsExecutableFile(PAGEWELL_APP_DIR "/pagewell-pdf"))
        GTEST_SKIP() << "pagewell-pdf is not built (no Qt WebEngine)";
    TTempDir dir;
    TDocProject project;
    WriteFixtureProject(dir / "My Docs/Manual", project);
    SaveProjectFile(dir / "My Docs/Manual.svp", project);

    // A PATH without browsers: the bundled printer does the work.
    const TPdfRun run = RunProgram(kCli, {"publish", "pdf", dir / "My Docs/Manual.svp"}, dir);
    ASSERT_EQ(run.ExitCode, 0) << run.Err;
    const std::string out = dir / "My Docs/Manual/build/pdf";
    EXPECT_EQ(run.Out, CombinePath(out, "manual.pdf") + "\n");
    EXPECT_EQ(GetFile(CombinePath(out, "manual.pdf")).substr(0, 5), "%PDF-");
    EXPECT_TRUE(FileExists(CombinePath(out, "manual.html")));
    EXPECT_TRUE(FileExists(CombinePath(out, "assets/images/pic.png")));
    EXPECT_EQ(run.Err.find("Note:"), std::string::npos) << run.Err;  // every heading found

    // The bookmarks mirror the contents, with the headings as the reader sees them.
    const TPdfRun outline = RunProgram("qpdf", {"--json", "--json-key=outlines", CombinePath(out, "manual.pdf")}, dir);
    ASSERT_EQ(outline.ExitCode, 0) << outline.Err;
    const nlohmann::json json = nlohmann::json::parse(outline.Out);
    std::vector<std::string> titles;
    for (const nlohmann::json& item : json["outlines"]) {
        titles.push_back(item["title"]);
        for (const nlohmann::json& kid : item["kids"])
            titles.push_back("  " + kid["title"].get<std::string>());
    }
    EXPECT_EQ(titles, (std::vector<std::string>{"A head", "Default header", "  Default header", "A<B"}));
}

TEST(CliPdf, failuresAndUsage) {
    TTempDir dir;
    TDocProject project;
    WriteFixtureProject(dir / "Docs/Manual", project);
    // A copy of the command-line tool with no printer beside it and none on PATH.
    const std::string lonely = dir / "bin/pagewell-cli";
    EnsureDir(dir / "bin");
    std::filesystem::copy_file(kCli, lonely);
    TPdfRun run = RunProgram(lonely, {"publish", "pdf", dir / "Docs/Manual"}, dir, dir / "bin");
    EXPECT_EQ(run.ExitCode, 1);
    EXPECT_EQ(run.Err, "Microsoft Edge not found\n");
    EXPECT_FALSE(FileExists(dir / "Docs/Manual/build/pdf/manual.html"));  // a failed run leaves no half output

    run = RunProgram(kCli, {"publish", "pdf"}, dir);
    EXPECT_EQ(run.ExitCode, 2);
    EXPECT_NE(run.Err.find("usage: pagewell-cli publish pdf [--paper a4|letter] PROJECT"), std::string::npos)
        << run.Err;
    const std::vector<std::string> badPaper[] = {
        {"publish", "pdf", "--paper", "b5", dir / "Docs/Manual"},
        {"publish", "pdf", "--paper=A4", dir / "Docs/Manual"},
        {"publish", "pdf", dir / "Docs/Manual", "--paper"},
    };
    for (const std::vector<std::string>& args : badPaper) {
        run = RunProgram(kCli, args, dir);
        EXPECT_EQ(run.ExitCode, 2) << args[3];
        EXPECT_EQ(run.Err, "--paper needs a4 or letter\n") << args[3];
    }
}

TEST(CliPdf, paperFollowsTheLocaleUnlessTheCommandLineNamesIt) {
    if (!IsExecutableFile(PAGEWELL_APP_DIR "/pagewell-pdf"))
        GTEST_SKIP() << "pagewell-pdf is not built (no Qt WebEngine)";
    if (!LocaleInstalled("en_US.UTF-8") || !LocaleInstalled("de_DE.UTF-8"))
        GTEST_SKIP() << "en_US.UTF-8 or de_DE.UTF-8 is not installed (scripts/install-deps generates them)";
    TTempDir dir;
    TDocProject project;
    WriteFixtureProject(dir / "Manual", project);
    const std::string pdf = dir / "Manual/build/pdf/manual.pdf";
    const struct {
        const char* FLocale;
        std::vector<std::string> FOptions;
        double FWidth, FHeight;
    } runs[] = {
        {"de_DE.UTF-8", {}, 595.28, 841.89},
        {"en_US.UTF-8", {}, 612, 792},
        {"en_US.UTF-8", {"--paper", "a4"}, 595.28, 841.89},
    };
    for (const auto& r : runs) {
        TScopedEnv lcAll("LC_ALL", r.FLocale);
        std::vector<std::string> args = {"publish", "pdf"};
        args.insert(args.end(), r.FOptions.begin(), r.FOptions.end());
        args.push_back(dir / "Manual");
        const TPdfRun run = RunProgram(kCli, args, dir);
        ASSERT_EQ(run.ExitCode, 0) << run.Err;
        const auto [width, height] = PageSize(pdf, dir);  // the title page and the body alike
        EXPECT_NEAR(width, r.FWidth, 1) << r.FLocale << " " << r.FOptions.size();
        EXPECT_NEAR(height, r.FHeight, 1) << r.FLocale << " " << r.FOptions.size();
    }
}
