// Importing an outside HTML document: the whole import into a fresh project (references point at
// files that may or may not exist beside the document), and each step on its own.
#include "FuzzSupport.h"
#include "uHtmlImport.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* AData, size_t ASize) {
    const std::string_view bytes = FuzzBytes(AData, ASize);
    const std::string text = SanitizeUtf8(bytes);
    FuzzRemove("i");
    FuzzWriteFile("i/doc/a.css", "body{background:url(b.png)} @import 'a.css';");
    FuzzWriteFile("i/doc/b.png", "png");
    const std::string doc = FuzzWriteFile("i/doc/page.html", bytes);
    try {
        const std::string fragment = BuildImportFragment(FuzzPath("i/project"), doc);
        FUZZ_CHECK(IsValidUtf8(fragment));
    } catch (const EAppError&) {
    }
    FUZZ_CHECK(IsValidUtf8(HtmlDocumentTitle(text)));
    SimplifyTags(ExtractBodyContent(text));
    BodyWrapperTag(text);
    FlattenFlexGrid(text);
    GetTagAttr(text, "src");
    IsStylesheetRel(text);
    FUZZ_CHECK(EscapeAttributeValue(text).find_first_of("\"<>") == std::string::npos);
    CssQuoteValue(text);
    return 0;
}
