// Token expansion: the input is a topic's HTML, then after each \x01 one reusable entry written
// as a kind letter (v variable, s snippet, c condition), its name, "=" and its value. The fast
// schedule must give exactly what the plain one gives.
#include "FuzzSupport.h"
#include "uTokenExpansion.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* AData, size_t ASize) {
    const std::vector<std::string> parts = SplitString(FuzzBytes(AData, ASize), '\x01');
    auto store = std::make_shared<TReusableProjectContent>();
    for (size_t i = 1; i < parts.size(); ++i) {
        if (parts[i].empty())
            continue;
        auto [name, value] = FuzzSplit(std::string_view(parts[i]).substr(1), '=');
        const std::string n = SanitizeUtf8(name), v = SanitizeUtf8(value);
        switch (parts[i][0]) {
        case 'v': store->Variables().push_back({n, v}); break;
        case 's': store->Snippets().push_back({n, v}); break;
        default: store->Conditions().push_back({n, v != "0"}); break;
        }
    }
    const std::string html = parts.empty() ? std::string() : parts[0];
    FuzzRemove("x");
    TDocProject project;
    project.SetRootPath(FuzzPath("x"));
    store->SaveToProject(project);
    // The stored file is what both schedules read (blank names are not stored).
    auto stored = std::make_shared<TReusableProjectContent>();
    stored->LoadFromProject(project);

    TExpansionLimits limits;
    limits.MaxResultBytes = 1 << 20;
    limits.MaxSnippetExpansions = 2000;
    const std::string topic = SanitizeUtf8(html);
    std::string fast, literal;
    bool fastFailed = false, literalFailed = false;
    try {
        TTokenExpander expander(&project, stored, TExpansionSchedule::Fast, limits);
        fast = expander.Expand(topic);
    } catch (const EAppError&) {
        fastFailed = true;
    }
    try {
        TTokenExpander expander(&project, stored, TExpansionSchedule::Literal, limits);
        literal = expander.Expand(topic);
    } catch (const EAppError&) {
        literalFailed = true;
    }
    if (!fastFailed && !literalFailed)
        FUZZ_CHECK(fast == literal);
    if (!fastFailed)
        FUZZ_CHECK(IsValidUtf8(fast));
    return 0;
}
