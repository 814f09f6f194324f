// Stored projects for the CHM tests and a real CHM reader (extract_chmLib from libchm-bin).
#pragma once

#include "publish/WebHelpFixture.h"
#include "uProcess.h"

#include <gtest/gtest.h>

#include <string>

namespace chm_fixture {

using webhelp_fixture::AddFixedTopic;

inline std::string PhotoPath(const std::string& AName) {
    return CombinePath(CombinePath(PAGEWELL_TEST_DATA_DIR, "exif-orientation"), AName);
}

// A project of Cyrillic text only: chmcmd finds no word to index in it.
inline void WriteCyrillicOnlyProject(const std::string& ARoot, TDocProject& AProject) {
    AProject.Clear();
    AProject.SetRootPath(IncludeTrailingPathDelimiter(ARoot));
    AProject.SetTitle("Справка");
    const std::string id(32, '7');
    AddFixedTopic(AProject, id, "Тема");
    SaveProjectFolder(AProject);
    PutFile(CombinePath(ARoot, "topics/" + id + ".html"), "<p>Привет</p>");
    TProjectSettings s;
    s.ProjTitle = "Справка";
    s.CopyrightEnabled = false;
    s.SaveToFile(TProjectSettings::DefaultSettingsPathForProject(ARoot));
}

// Unpacks a compiled help file with a real CHM reader. Fails the test loudly (never skips)
// when the reader is not installed.
inline bool ExtractChm(const std::string& AChmFile, const std::string& ATarget) {
    const std::string reader = FindExecutableOnPath("extract_chmLib", "/usr/bin:/usr/local/bin:/bin");
    if (reader.empty()) {
        ADD_FAILURE() << "extract_chmLib is missing: install libchm-bin (scripts/install-deps)";
        return false;
    }
    std::string output;
    const int rc = RunProcessCapturingOutput({reader, AChmFile, ATarget}, "", output);
    EXPECT_EQ(rc, 0) << output;
    return rc == 0;
}

// The little-endian 32-bit number at APos, or 0 past the end.
inline unsigned LittleEndian32(const std::string& ABytes, size_t APos) {
    if (APos + 4 > ABytes.size())
        return 0;
    unsigned v = 0;
    for (int i = 3; i >= 0; --i)
        v = v << 8 | static_cast<unsigned char>(ABytes[APos + static_cast<size_t>(i)]);
    return v;
}
// The Windows language id a compiled help file declares: in its file header (AChmFile) and in
// record 4 of the #SYSTEM file that ExtractChm unpacked into AUnpacked. 0 when it is not there.
inline unsigned ChmHeaderLanguage(const std::string& AChmFile) { return LittleEndian32(GetFile(AChmFile), 0x14); }
inline unsigned ChmSystemLanguage(const std::string& AUnpacked) {
    const std::string sys = GetFile(CombinePath(AUnpacked, "#SYSTEM"));
    for (size_t pos = 4; pos + 4 <= sys.size();) {  // a version, then records: code, length, data
        const unsigned code = static_cast<unsigned char>(sys[pos]) | static_cast<unsigned char>(sys[pos + 1]) << 8;
        const size_t length = static_cast<unsigned char>(sys[pos + 2]) | static_cast<unsigned char>(sys[pos + 3]) << 8;
        if (code == 4)
            return LittleEndian32(sys, pos + 4);
        pos += 4 + length;
    }
    return 0;
}

}  // namespace chm_fixture
