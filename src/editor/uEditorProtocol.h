// The message protocol between the main window and the editor page, as plain functions: the JSON
// text of every host message, the scripts that carry it into the page, and the tolerant reading
// of what the page posts back. No browser is involved here; TEditorBridge (uEditorBridge) hands
// these texts to the browser engine and raises events for the parsed messages.
// All functions are pure and thread-safe; none of them raises on malformed input.
#pragma once

#include <optional>
#include <string>
#include <string_view>

enum class TTextAlign { taLeft = 0, taCenter = 1, taRight = 2, taJustify = 3 };

// The formatting at the caret as the page reports it ("cursorStyle"). Zero-filled by default.
struct TEditorCursorStyle {
    std::string Area;
    std::string FontName;
    int FontSizePx = 0;
    std::string TextColorHtml;
    std::string BackColorHtml;
    std::string Align;
    bool Bold = false;
    bool Italic = false;
    bool Underline = false;
    std::string ListType;
    std::string BlockTag;
    std::string LineHeight;
};

// ---- host to page ----------------------------------------------------------------------------

// {"type":"setHtml","html":...}
std::string BuildSetHtmlMessage(std::string_view AHtml);
// {"type":<AType>} for the requests without members ("getHtml", "getHeader").
std::string BuildRequestMessage(std::string_view AType);
// {"type":"exec","cmd":...,"origin":"user"|"program"[,"arg":...]}; an empty AArg leaves "arg"
// out. AProgrammatic selects "program".
std::string BuildExecMessage(std::string_view ACmd, std::string_view AArg, bool AProgrammatic);

// A JavaScript string literal for AText: backslash, double quote, CR and LF escaped, in double
// quotes. Other characters pass unchanged (the JSON it is given is pure ASCII already).
std::string JsQuote(std::string_view AText);
// The script that hands a JSON message to the page's receive function.
std::string PostToPageScript(std::string_view AJsonText);
// The script that points the page's relative addresses at AHref.
std::string SetBaseHrefScript(std::string_view AHref);
// Run after every completed navigation: makes every key press post the plain string "key".
extern const char* const KeyboardHookScript;

// Argument texts of the commands (decimal numbers use FormatLineSpacing of the settings).
// "left", "center", "right", "justify"; nothing for a value outside the enumeration.
std::optional<std::string> AlignArg(TTextAlign AAlign);
// "<rows>,<cols>".
std::string TableArg(int ARows, int ACols);
// The compact JSON object {"href":"doc:<id>","text":<title>} that "topicLink" carries.
std::string TopicLinkArg(const std::string& ATopicID, const std::string& ATitle);

// "file:///" + the absolute path with "/" separators and blanks as "%20"; nothing else encoded.
// On a platform whose absolute paths already begin with "/", that slash is the third one, so
// the address has the usual form file:///home/... . A trailing separator is kept.
std::string FilePathToFileUrl(const std::string& APath);

// ---- page to host ----------------------------------------------------------------------------

enum class TEditorMessageKind { None, Ready, HtmlChanged, HtmlResponse, CursorStyle, HeaderChanged, AreaChanged };

struct TEditorMessage {
    TEditorMessageKind Kind = TEditorMessageKind::None;
    std::string Html;        // HtmlChanged, HtmlResponse
    bool User = false;       // HtmlChanged
    TEditorCursorStyle Style;  // CursorStyle
    std::string HeaderHtml;  // HeaderChanged
    std::string HeaderBg;    // HeaderChanged
    std::string Area;        // AreaChanged
};

// Reads one posted message in its JSON form. Text that does not parse, a value that is not an
// object, an unknown or missing "type" all give Kind None. "type" is compared ignoring case.
TEditorMessage ParseEditorMessage(std::string_view AJsonText);
