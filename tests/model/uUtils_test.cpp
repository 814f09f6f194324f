#include "common/TestHelpers.h"
#include "uUtils.h"

#include <gtest/gtest.h>
#include <csignal>
#include <filesystem>
#include <sys/resource.h>

TEST(CombinePath, JoinsWithOneSeparatorAndKeepsRootedParts) {
    struct Case { const char* base; const char* rel; const char* want; };
    const Case cases[] = {
        {"/p", "", "/p/"},
        {"/p/", "", "/p/"},
        {"/p/", "meta", "/p/meta"},
        {"/p", "meta", "/p/meta"},
        {"/p", "/x", "/x"},
        {"/p", "a/b.html", "/p/a/b.html"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CombinePath(c.base, c.rel), c.want) << c.base << " + " << c.rel;
}

TEST(CombinePath, RejectsInvalidCharactersInTheRelativePart) {
    try {
        CombinePath("/p", std::string("a\0b", 3));
        FAIL() << "no error";
    } catch (const EAppError& e) {
        EXPECT_STREQ(e.what(), "Invalid characters in path");
    }
}

TEST(SafeFileName, TrimsFallsBackAndReplacesTheNineCharacters) {
    EXPECT_EQ(SafeFileName("   "), "topic");
    EXPECT_EQ(SafeFileName("a/b:c?"), "a_b_c_");
    EXPECT_EQ(SafeFileName(" x "), "x");
    EXPECT_EQ(SafeFileName("\"*/:<>?\\|"), "_________");
    EXPECT_EQ(SafeFileName("a b\x01\xC3\xA9"), "a b\x01\xC3\xA9");
}

TEST(Utf8Files, RoundTripSkipBomAndReplaceAtomically) {
    TTempDir dir;
    const std::string file = dir / "sub/deeper/a.txt";
    const std::string text = "plain \xC3\xA4 \xF0\x9F\x98\x80 line\r\nend";
    WriteUtf8File(file, text);  // creates the folders
    EXPECT_EQ(ReadUtf8File(file), text);
    EXPECT_EQ(GetFile(file), text);  // no byte-order mark written

    PutFile(file, "\xEF\xBB\xBFwith bom");
    EXPECT_EQ(ReadUtf8File(file), "with bom");

    WriteUtf8BomFile(file, "x");
    EXPECT_EQ(GetFile(file), "\xEF\xBB\xBFx");

    // Invalid bytes never reach the program as invalid UTF-8.
    PutFile(file, "a\xFF" "b");
    EXPECT_EQ(ReadUtf8File(file), "a\xEF\xBF\xBD" "b");

    // Replacing leaves no temporary file behind.
    WriteUtf8File(file, "final");
    int entries = 0;
    for (auto& e : std::filesystem::directory_iterator(dir / "sub/deeper")) {
        (void)e;
        ++entries;
    }
    EXPECT_EQ(entries, 1);
}

TEST(Utf8Files, AFailedWriteKeepsTheOldFile) {
    TTempDir dir;
    const std::string file = dir / "keep.txt";
    WriteUtf8File(file, "old");
    // A file-size limit makes the write fail part-way, as a full disk would.
    struct rlimit saved {};
    ::getrlimit(RLIMIT_FSIZE, &saved);
    auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit tiny = saved;
    tiny.rlim_cur = 8;
    ::setrlimit(RLIMIT_FSIZE, &tiny);
    std::string err;
    try {
        WriteUtf8File(file, "a much longer new text that does not fit");
    } catch (const EAppError& e) {
        err = e.what();
    }
    ::setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);
    EXPECT_NE(err.find(file), std::string::npos) << err;
    EXPECT_EQ(ReadUtf8File(file), "old");
    int entries = 0;
    for (auto& e : std::filesystem::directory_iterator(dir.Path())) {
        (void)e;
        ++entries;
    }
    EXPECT_EQ(entries, 1) << "the temporary file was left behind";
}

TEST(ReadUtf8File, MissingFileNamesTheFile) {
    try {
        ReadUtf8File("/nonexistent/x.txt");
        FAIL();
    } catch (const EAppError& e) {
        EXPECT_NE(std::string(e.what()).find("/nonexistent/x.txt"), std::string::npos);
    }
}

TEST(TextHelpers, TrimAndCaseFoldOnlyTouchAscii) {
    EXPECT_EQ(Trim("\t\r\n x \x01"), "x");
    EXPECT_EQ(Trim("\xC2\xA0x\xC2\xA0"), "\xC2\xA0x\xC2\xA0");  // no-break space is kept
    EXPECT_TRUE(SameText("AbC", "aBc"));
    EXPECT_FALSE(SameText("\xC3\x84", "\xC3\xA4"));
    EXPECT_EQ(ReplaceText("aXbxc", "x", "-", true, true), "a-b-c");
    EXPECT_EQ(ReplaceText("aXbxc", "x", "-", false, false), "aXb-c");
}

TEST(TextHelpers, FindTextIgnoresAsciiCaseFromAnyStart) {
    const struct {
        const char* Text;
        const char* Needle;
        size_t From;
        size_t Expected;
    } cases[] = {
        {"xx BaCK back", "back", 0, 3},          // upper-case first letter before the lower one
        {"bacx Bacx BACK", "back", 0, 10},       // candidates of both cases that fail first
        {"bacx Bacx BACK", "back", 11, std::string::npos},
        {"abc", "ABC", 0, 0},                    // the whole text
        {"abcabc", "ABC", 1, 3},
        {"abc", "abcd", 0, std::string::npos},   // longer than the text
        {"abc", "c", 3, std::string::npos},      // start past the last place
        {"abc", "", 3, 3},                       // the empty needle is found where asked
        {"abc", "", 4, std::string::npos},
        {"a&amp;b", "&AMP;", 0, 1},              // a first character that is no letter
        {"\xC3\x84\xC3\xA4", "\xC3\xA4", 0, 2}, // other bytes only as they are
    };
    for (const auto& c : cases)
        EXPECT_EQ(FindText(c.Text, c.Needle, c.From), c.Expected) << c.Text << " / " << c.Needle << " @" << c.From;
}

TEST(NewGuidHex, Is32UpperHexDigitsAndUnique) {
    std::string a = NewGuidHex(), b = NewGuidHex();
    EXPECT_EQ(a.size(), 32u);
    EXPECT_EQ(a.find_first_not_of("0123456789ABCDEF"), std::string::npos);
    EXPECT_NE(a, b);
}
