// The recovery journal: journal.json as found (the files it may name lie beside it). A journal
// is either refused whole or read whole and applied to a project without failing.
#include "FuzzSupport.h"
#include "uRecoveryJournal.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* AData, size_t ASize) {
    FuzzRemove("rj");
    const std::string base = FuzzPath("rj/recovery");
    const std::string root = FuzzPath("rj/Proj");
    const std::string folder = TRecoveryJournal::FolderFor(base, root);
    FuzzWriteFile("rj/recovery/" + ExtractFileName(folder) + "/journal.json", FuzzBytes(AData, ASize));
    FuzzWriteFile("rj/recovery/" + ExtractFileName(folder) + "/topic-1.html", "<p>a</p>");
    FuzzWriteFile("rj/recovery/" + ExtractFileName(folder) + "/topic-2.html", "");
    TJournalContents contents;
    try {
        contents = TRecoveryJournal::Read(base, root);
    } catch (const EAppError&) {
        TRecoveryJournal::KeepAside(base, root);
        FUZZ_CHECK(!TRecoveryJournal::HasLeftBehind(base, root));
        return 0;
    }
    TDocProject project;
    project.SetRootPath(root);
    ApplyJournalTree(contents, project);
    for (const auto& [id, html] : contents.TopicHtml)
        FUZZ_CHECK(project.HasTopic(id));
    return 0;
}
