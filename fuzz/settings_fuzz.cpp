// meta/project_settings.json: reading, and the normalised settings surviving their own JSON form.
#include "FuzzSupport.h"
#include "uProjectSettings.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* AData, size_t ASize) {
    const std::string file = FuzzWriteFile("s/project_settings.json", FuzzBytes(AData, ASize));
    TProjectSettings settings;
    try {
        if (!settings.LoadFromFile(file))
            return 0;
    } catch (const EAppError&) {
        return 0;
    }
    const std::string text = JsonWrite(settings.ToJson());
    TProjectSettings again;
    again.FromJson(settings.ToJson());
    FUZZ_CHECK(JsonWrite(again.ToJson()) == text);
    FUZZ_CHECK(IsValidUtf8(text));
    return 0;
}
