// The project file (.svp): the root it names and its stored title.
#include "FuzzSupport.h"
#include "uStorage.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* AData, size_t ASize) {
    const std::string file = FuzzWriteFile("p/Help.svp", FuzzBytes(AData, ASize));
    std::string root, title;
    try {
        ReadProjectFile(file, root, title);
        FUZZ_CHECK(!root.empty());
        FUZZ_CHECK(IsValidUtf8(root) && IsValidUtf8(title));
    } catch (const EAppError&) {
    }
    return 0;
}
