// The Windows-1251 encoder: one byte per code point, and every assigned byte coming back.
#include "FuzzSupport.h"
#include "uCp1251.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* AData, size_t ASize) {
    const std::string_view bytes = FuzzBytes(AData, ASize);
    const std::string encoded = Utf8ToCp1251(bytes);
    FUZZ_CHECK(encoded.size() == Utf8ToCodePoints(bytes).size());
    const std::string decoded = Cp1251ToUtf8(bytes);
    FUZZ_CHECK(IsValidUtf8(decoded));
    if (bytes.find('\x98') == std::string_view::npos)
        FUZZ_CHECK(Utf8ToCp1251(decoded) == bytes);
    return 0;
}
