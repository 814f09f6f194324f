// meta/reusable_content.json: reading, lookups, and saving what was read, which must read back
// as the same content.
#include "FuzzSupport.h"
#include "uReusableContent.h"

namespace {

std::string ContentText(const TReusableProjectContent& AStore) {
    std::string s;
    for (const auto& v : AStore.Variables())
        s += "v|" + v.Name + "|" + v.Value + "\n";
    for (const auto& v : AStore.Snippets())
        s += "s|" + v.Name + "|" + v.Html + "\n";
    for (const auto& v : AStore.Conditions())
        s += std::string("c|") + v.Name + (v.Enabled ? "|1\n" : "|0\n");
    return s;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* AData, size_t ASize) {
    FuzzRemove("r");
    const std::string file = FuzzWriteFile("r/a/meta/reusable_content.json", FuzzBytes(AData, ASize));
    TReusableProjectContent store;
    try {
        store.LoadFromFile(file);
    } catch (const EAppError&) {
        return 0;
    }
    for (const auto& v : store.Variables())
        FUZZ_CHECK(store.IndexOfVariable(v.Name) >= 0);
    for (const auto& v : store.Snippets())
        FUZZ_CHECK(store.IndexOfSnippet(v.Name) >= 0);
    for (const auto& v : store.Conditions())
        FUZZ_CHECK(store.IndexOfCondition(v.Name) >= 0);

    TDocProject project;
    project.SetRootPath(FuzzPath("r/b"));
    store.SaveToProject(project);
    TReusableProjectContent again;
    again.LoadFromProject(project);
    FUZZ_CHECK(ContentText(again) == ContentText(store));
    return 0;
}
