#include "uUnicodeText.h"

#include "uUtils.h"

#include <unicode/ustring.h>

std::u16string Utf8ToUtf16(const std::string& AText) {
    if (AText.empty())
        return {};
    std::u16string out(AText.size(), u'\0');
    int32_t length = 0;
    UErrorCode status = U_ZERO_ERROR;
    u_strFromUTF8WithSub(reinterpret_cast<UChar*>(out.data()), static_cast<int32_t>(out.size()), &length, AText.data(),
                         static_cast<int32_t>(AText.size()), 0xFFFD, nullptr, &status);
    if (U_FAILURE(status))
        throw EAppError(std::string("Cannot decode UTF-8 text: ") + u_errorName(status));
    out.resize(static_cast<size_t>(length));
    return out;
}

std::string Utf16ToUtf8(const std::u16string& AText) {
    if (AText.empty())
        return {};
    std::string out(AText.size() * 3, '\0');
    int32_t length = 0;
    UErrorCode status = U_ZERO_ERROR;
    u_strToUTF8WithSub(out.data(), static_cast<int32_t>(out.size()), &length,
                       reinterpret_cast<const UChar*>(AText.data()), static_cast<int32_t>(AText.size()), 0xFFFD, nullptr,
                       &status);
    if (U_FAILURE(status))
        throw EAppError(std::string("Cannot encode UTF-16 text: ") + u_errorName(status));
    out.resize(static_cast<size_t>(length));
    return out;
}
