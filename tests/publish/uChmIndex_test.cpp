#include "publish/ChmFixture.h"

#include "uChmCompiler.h"
#include "uChmProjectFiles.h"
#include "uExportChm.h"
#include "uUnicodeText.h"

#include <gtest/gtest.h>

using namespace chm_fixture;

namespace {

const std::string kPrint(32, 'A');  // Cyrillic title, a sub-entry and an accented entry
const std::string kExport(32, 'B');
const std::string kHidden(32, 'C');  // excluded from CHM

void WriteIndexProject(const std::string& ARoot, TDocProject& AProject) {
    AProject.Clear();
    AProject.SetRootPath(IncludeTrailingPathDelimiter(ARoot));
    AProject.SetTitle("Index");
    AddFixedTopic(AProject, kPrint, "Печать документа").IndexEntries() = {"Printing, margins", "Café"};
    AddFixedTopic(AProject, kExport, "Export").IndexEntries() = {"printing, Margins", "cafe\xCC\x81", "Ёлка, ёж"};
    TTopic& hidden = AddFixedTopic(AProject, kHidden, "Hidden");
    hidden.IndexEntries() = {"Secret"};
    hidden.SetExcludeChm(true);
    SaveProjectFolder(AProject);
    for (const std::string& id : {kPrint, kExport, kHidden})
        PutFile(CombinePath(ARoot, "topics/" + id + ".html"), "<p>Some text " + id + "</p>");
}

std::string Crlf(std::initializer_list<std::string> ALines) {
    std::string s;
    for (const std::string& l : ALines)
        s += l + "\r\n";
    return s;
}

std::string Item(const std::string& AName, const std::string& AID = {}) {
    if (AID.empty())
        return Crlf({"<LI><OBJECT type=\"text/sitemap\">", "<param name=\"Name\" value=\"" + AName + "\">", "</OBJECT>"});
    return Crlf({"<LI><OBJECT type=\"text/sitemap\">", "<param name=\"Name\" value=\"" + AName + "\">",
                 "<param name=\"Local\" value=\"topics/" + AID + ".html\">", "</OBJECT>"});
}

std::string Utf16Le(const std::string& AText) {
    std::string out;
    for (char16_t c : Utf8ToUtf16(AText)) {
        out += static_cast<char>(c & 0xFF);
        out += static_cast<char>(c >> 8);
    }
    return out;
}

}  // namespace

TEST(ChmIndex, entriesAreNestedSortedAndOneItemPerTopic) {
    TTempDir dir;
    TDocProject project;
    WriteIndexProject(dir / "P", project);
    // The exact lines of a main entry that only groups, and of its sub-entry with two topics.
    const std::string text = ChmIndexText(project);
    EXPECT_NE(text.find(Crlf({"<LI><OBJECT type=\"text/sitemap\">", "<param name=\"Name\" value=\"Printing\">",
                              "</OBJECT>", "<UL>", "<LI><OBJECT type=\"text/sitemap\">",
                              "<param name=\"Name\" value=\"margins\">",
                              "<param name=\"Local\" value=\"topics/" + kPrint + ".html\">", "</OBJECT>",
                              "<LI><OBJECT type=\"text/sitemap\">", "<param name=\"Name\" value=\"margins\">",
                              "<param name=\"Local\" value=\"topics/" + kExport + ".html\">", "</OBJECT>",
                              "</UL>"})),
              std::string::npos);
    EXPECT_EQ(text,
              Crlf({"<HTML><BODY><UL>"}) + Item("Café", kPrint) + Item("Café", kExport) + Item("Export", kExport) +
                  Item("Printing") + Crlf({"<UL>"}) + Item("margins", kPrint) + Item("margins", kExport) +
                  Crlf({"</UL>"}) + Item("Ёлка") + Crlf({"<UL>"}) + Item("ёж", kExport) + Crlf({"</UL>"}) +
                  Item("Печать документа", kPrint) + Crlf({"</UL></BODY></HTML>"}));

    // The file: UTF-8 for chmcmd, Windows-1251 for hhc.exe.
    EnsureDir(dir / "out");
    WriteChmIndex(project, dir / "out", true);
    EXPECT_EQ(GetFile(dir / "out/index.hhk"), ChmIndexText(project));
    WriteChmIndex(project, dir / "out", false);
    EXPECT_NE(GetFile(dir / "out/index.hhk").find("value=\"\xCF\xE5\xF7\xE0\xF2\xFC"), std::string::npos);  // Печать
}

TEST(ChmIndex, compilerEnvironmentGivesChmcmdAUtf8Locale) {
    EXPECT_TRUE(IsChmcmd("/usr/bin/chmcmd"));
    EXPECT_TRUE(IsChmcmd("/opt/fpc/bin/CHMCMD.EXE"));
    EXPECT_FALSE(IsChmcmd("C:\\Program Files\\HTML Help Workshop\\hhc.exe"));
    EXPECT_EQ(ChmCompilerEnvironment("/usr/bin/chmcmd"), std::vector<std::string>{"LC_ALL=C.UTF-8"});
    EXPECT_TRUE(ChmCompilerEnvironment("/usr/bin/hhc").empty());
}

// The compiled keyword index holds every keyword as UTF-16 text, whatever the locale the
// program itself runs under.
TEST(ChmIndex, compiledKeywordIndexHoldsNonAsciiKeywords) {
    TTempDir dir;
    TDocProject project;
    WriteIndexProject(dir / "P", project);
    TScopedEnv locale("LC_ALL", "C");
    const TChmExportResult result = ExportChm(project);
    ASSERT_TRUE(ExtractChm(result.ChmFile, dir / "unpacked"));
    const std::string btree = GetFile(dir / "unpacked/$WWKeywordLinks/BTree");
    ASSERT_FALSE(btree.empty());
    for (const char* keyword : {"Café", "Export", "Printing", "margins", "Ёлка", "ёж", "Печать документа"})
        EXPECT_NE(btree.find(Utf16Le(keyword)), std::string::npos) << keyword;
    EXPECT_EQ(btree.find(Utf16Le("Secret")), std::string::npos);
    EXPECT_EQ(btree.find(Utf16Le("Hidden")), std::string::npos);
}
