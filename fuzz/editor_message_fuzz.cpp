// The messages the editor page posts, and the host messages built from what they carry.
#include "FuzzSupport.h"
#include "uEditorProtocol.h"
#include "uJson.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* AData, size_t ASize) {
    const std::string_view bytes = FuzzBytes(AData, ASize);
    const TEditorMessage msg = ParseEditorMessage(bytes);
    // Whatever the page sent, what goes back into it is one well-formed message.
    const std::string back = BuildSetHtmlMessage(msg.Html);
    FUZZ_CHECK(PostToPageScript(back).find('\n') == std::string::npos);
    // The text read from a message survives being quoted into one again.
    const std::string text = msg.Html + msg.HeaderHtml + msg.Area + msg.Style.FontName;
    const TEditorMessage echo = ParseEditorMessage("{\"type\":\"htmlResponse\",\"html\":" + JsonQuote(text) + "}");
    FUZZ_CHECK(echo.Kind == TEditorMessageKind::HtmlResponse && echo.Html == text);
    BuildExecMessage(msg.Style.FontName, msg.Area, msg.User);
    JsQuote(bytes);
    return 0;
}
