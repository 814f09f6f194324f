// meta/topics.json (with project.json holding the same bytes): loading, the bounded walks over a
// tree as stored, and saving what was loaded, which must read back as the same tree.
#include "FuzzSupport.h"
#include "uDocModel.h"
#include "uStorage.h"

namespace {

std::string TreeText(const TDocProject& AProject) {
    std::string s;
    for (const auto& id : AProject.RootTopicIDs())
        s += "r:" + id + "\n";
    for (const TTopic& t : AProject.Topics()) {
        s += t.ID() + "|" + t.Title() + "|" + t.ParentID() + "|" + (t.ExcludeWeb() ? "w" : "") +
             (t.ExcludeChm() ? "c" : "") + (t.ExcludePdf() ? "p" : "");
        for (const auto& c : t.Children())
            s += "|c:" + c;
        for (const auto& k : t.Keywords())
            s += "|k:" + k;
        for (const auto& k : t.IndexEntries())
            s += "|i:" + k;
        s += "\n";
    }
    return s;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* AData, size_t ASize) {
    const std::string_view bytes = FuzzBytes(AData, ASize);
    FuzzRemove("t");
    FuzzWriteFile("t/a/meta/topics.json", bytes);
    FuzzWriteFile("t/a/project.json", bytes);
    TDocProject project;
    try {
        LoadProjectFolder(FuzzPath("t/a"), project);
    } catch (const EAppError&) {
        return 0;
    }
    size_t visited = 0;
    ForEachTopicInTocOrder(project, [&](const TTopic&, int ADepth) {
        FUZZ_CHECK(ADepth >= 0);
        ++visited;
        return true;
    });
    FUZZ_CHECK(visited <= project.Topics().size());
    for (const TTopic& t : project.Topics()) {
        project.IsDescendant(t.ID(), project.Topics().begin()->ID());
        project.IsDescendant(project.Topics().begin()->ID(), t.ID());
    }

    project.SetRootPath(FuzzPath("t/b"));
    SaveProjectFolder(project);
    TDocProject again;
    LoadProjectFolder(FuzzPath("t/b"), again);
    FUZZ_CHECK(TreeText(again) == TreeText(project));
    FUZZ_CHECK(again.Title() == project.Title() && again.StyleProfile() == project.StyleProfile());

    // Deleting every root topic must end, whatever cycles the tree holds.
    const std::vector<std::string> roots = project.RootTopicIDs();
    for (const auto& id : roots)
        project.DeleteTopic(id);
    return 0;
}
