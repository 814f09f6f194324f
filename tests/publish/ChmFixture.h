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

}  // namespace chm_fixture
