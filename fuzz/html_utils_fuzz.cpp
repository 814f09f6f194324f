// The text functions over HTML and the UTF-8 helpers under them.
#include "FuzzSupport.h"
#include "uHtmlUtils.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* AData, size_t ASize) {
    const std::string_view bytes = FuzzBytes(AData, ASize);
    const std::string text = SanitizeUtf8(bytes);
    FUZZ_CHECK(IsValidUtf8(text));
    FUZZ_CHECK(IsValidUtf8(bytes) == (text == bytes));
    FUZZ_CHECK(HtmlDecodeEntities(HtmlEncodeEntities(text)) == text);
    FUZZ_CHECK(IsValidUtf8(HtmlDecodeEntities(text)));
    FUZZ_CHECK(EscapeHtml(text).find_first_of("<>\"'") == std::string::npos);
    const std::string plain = HtmlToPlainText(text);
    FUZZ_CHECK(plain == Trim(plain));
    const std::vector<std::string> ids = ExtractDocLinkIds(text);
    for (const auto& id : ids)
        FUZZ_CHECK(id.size() == 32);
    const std::string rewritten = RewriteDocLinks(text, [](const std::string& AID) { return AID.substr(0, 4) + ".html"; });
    FUZZ_CHECK(ExtractDocLinkIds(rewritten).empty() || !ids.empty());
    RewriteDocLinks(text, nullptr);
    MakeWhiteBackgroundsTransparent(text);
    MakeWhiteBackgroundColorsTransparent(text);
    RebaseAssetLinks(text);
    return 0;
}
