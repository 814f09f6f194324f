// meta/context_ids.json beside a fixed tree: loading never raises (a bad file is a recorded
// problem), the loaded ids obey every rule, and saving them reads back as the same ids.
#include "FuzzSupport.h"
#include "uContextIds.h"
#include "uDocModel.h"
#include "uStorage.h"

namespace {

std::string IdsText(const TDocProject& AProject) {
    std::string s;
    for (const TTopic& t : AProject.Topics())
        s += t.ID() + "|" + t.HelpAlias() + "|" + std::to_string(t.HelpContextNumber()) + "\n";
    return s;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* AData, size_t ASize) {
    FuzzRemove("c");
    FuzzWriteFile("c/a/meta/topics.json",
                  "{\"rootTopicIds\":[\"A\",\"B\"],\"topics\":[{\"id\":\"A\",\"title\":\"One\"},{\"id\":\"B\",\"title\":\"Two\"}]}");
    FuzzWriteFile("c/a/meta/context_ids.json", FuzzBytes(AData, ASize));
    TDocProject project;
    LoadProjectFolder(FuzzPath("c/a"), project);
    for (const TTopic& t : project.Topics()) {
        FUZZ_CHECK(HelpContextIdsProblem(project, t.ID(), t.HelpAlias(), t.HelpContextNumber()).empty());
        if (!project.ContextIdsProblem().empty())
            FUZZ_CHECK(t.HelpAlias().empty() && t.HelpContextNumber() == 0);
    }
    if (!project.ContextIdsProblem().empty())
        return 0;
    project.SetRootPath(FuzzPath("c/b"));
    SaveProjectFolder(project);
    TDocProject again;
    LoadProjectFolder(FuzzPath("c/b"), again);
    FUZZ_CHECK(again.ContextIdsProblem().empty());
    FUZZ_CHECK(IdsText(again) == IdsText(project));
    AssignHelpContextIds(again, true, true);
    for (const TTopic& t : again.Topics())
        FUZZ_CHECK(HelpContextIdsProblem(again, t.ID(), t.HelpAlias(), t.HelpContextNumber()).empty());
    return 0;
}
