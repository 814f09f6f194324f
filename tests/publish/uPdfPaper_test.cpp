// The paper of the PDF manual: from the locale's paper part, without changing the process
// locale, and from the names the command lines take.
#include "uPdfPaper.h"

#include "common/TestHelpers.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cstring>
#include <locale.h>

namespace {

bool LocaleInstalled(const char* AName) {
    locale_t loc = ::newlocale(LC_ALL_MASK, AName, static_cast<locale_t>(nullptr));
    if (loc)
        ::freelocale(loc);
    return loc != nullptr;
}

}  // namespace

TEST(PdfPaper, sizesAndNames) {
    const struct {
        unsigned FWidth, FHeight;
        TPdfPaper FPaper;
    } sizes[] = {{216, 279, TPdfPaper::Letter}, {210, 297, TPdfPaper::A4}, {279, 216, TPdfPaper::A4},
                 {216, 356, TPdfPaper::A4}, {0, 0, TPdfPaper::A4}};
    for (const auto& s : sizes)
        EXPECT_EQ(PdfPaperForSize(s.FWidth, s.FHeight), s.FPaper) << s.FWidth << " x " << s.FHeight;

    EXPECT_EQ(PdfPaperFromName("a4"), TPdfPaper::A4);
    EXPECT_EQ(PdfPaperFromName("letter"), TPdfPaper::Letter);
    for (const char* bad : {"", "A4", "Letter", "a5", "legal", "a4 "})
        EXPECT_FALSE(PdfPaperFromName(bad).has_value()) << bad;
    for (TPdfPaper p : {TPdfPaper::A4, TPdfPaper::Letter})
        EXPECT_EQ(PdfPaperFromName(PdfPaperName(p)), p);
    EXPECT_EQ(PdfPaperCssSize(TPdfPaper::A4), "A4");
    EXPECT_EQ(PdfPaperCssSize(TPdfPaper::Letter), "letter");
}

TEST(PdfPaper, followsTheLocaleNamedByTheEnvironmentAndLeavesTheProcessLocaleAlone) {
    for (const char* name : {"de_DE.UTF-8", "en_US.UTF-8"})
        if (!LocaleInstalled(name))
            GTEST_SKIP() << name << " is not installed (scripts/install-deps generates it)";
    const std::string before = std::setlocale(LC_ALL, nullptr);
    const struct {
        const char *FAll, *FPaper, *FLang;
        TPdfPaper FExpected;
    } cases[] = {
        {"de_DE.UTF-8", "", "", TPdfPaper::A4},
        {"en_US.UTF-8", "", "", TPdfPaper::Letter},
        {"", "en_US.UTF-8", "de_DE.UTF-8", TPdfPaper::Letter},  // LC_PAPER before LANG
        {"", "", "en_US.UTF-8", TPdfPaper::Letter},
        {"de_DE.UTF-8", "en_US.UTF-8", "", TPdfPaper::A4},     // LC_ALL before LC_PAPER
        {"C", "", "", TPdfPaper::A4},
        {"xx_NOWHERE.UTF-8", "", "", TPdfPaper::A4},           // not installed
    };
    for (const auto& c : cases) {
        TScopedEnv all("LC_ALL", c.FAll), paper("LC_PAPER", c.FPaper), lang("LANG", c.FLang);
        EXPECT_EQ(LocalePdfPaper(), c.FExpected) << c.FAll << " | " << c.FPaper << " | " << c.FLang;
    }
    EXPECT_EQ(std::setlocale(LC_ALL, nullptr), before);
}
