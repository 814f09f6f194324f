#include "uEditorProtocol.h"

#include "uJson.h"
#include "uUtils.h"

#include <charconv>
#include <climits>

// ---- host to page ----------------------------------------------------------------------------

std::string BuildSetHtmlMessage(std::string_view AHtml) {
    TJson msg = TJson::object();
    msg["type"] = "setHtml";
    msg["html"] = std::string(AHtml);
    return JsonWrite(msg);
}

std::string BuildRequestMessage(std::string_view AType) {
    TJson msg = TJson::object();
    msg["type"] = std::string(AType);
    return JsonWrite(msg);
}

std::string BuildExecMessage(std::string_view ACmd, std::string_view AArg, bool AProgrammatic) {
    TJson msg = TJson::object();
    msg["type"] = "exec";
    msg["cmd"] = std::string(ACmd);
    msg["origin"] = AProgrammatic ? "program" : "user";
    if (!AArg.empty())
        msg["arg"] = std::string(AArg);
    return JsonWrite(msg);
}

std::string JsQuote(std::string_view AText) {
    std::string out;
    out.reserve(AText.size() + 2);
    out.push_back('"');
    for (char c : AText) {
        switch (c) {
        case '\\': out += "\\\\"; break;
        case '"': out += "\\\""; break;
        case '\r': out += "\\r"; break;
        case '\n': out += "\\n"; break;
        default: out.push_back(c); break;
        }
    }
    out.push_back('"');
    return out;
}

std::string PostToPageScript(std::string_view AJsonText) {
    return "window.__sv_recv && window.__sv_recv(" + JsQuote(AJsonText) + ");";
}

std::string SetBaseHrefScript(std::string_view AHref) {
    return "svSetBaseHref(" + JsQuote(AHref) + ");";
}

const char* const KeyboardHookScript =
    "if (!window.__hostKeyHooked) {  window.__hostKeyHooked = true;  "
    "document.addEventListener(\"keydown\", function(e) {    chrome.webview.postMessage(\"key\");  "
    "}, true);}";

std::optional<std::string> AlignArg(TTextAlign AAlign) {
    switch (static_cast<int>(AAlign)) {
    case 0: return std::string("left");
    case 1: return std::string("center");
    case 2: return std::string("right");
    case 3: return std::string("justify");
    default: return std::nullopt;
    }
}

std::string TableArg(int ARows, int ACols) { return IntToStr(ARows) + "," + IntToStr(ACols); }

std::string TopicLinkArg(const std::string& ATopicID, const std::string& ATitle) {
    TJson link = TJson::object();
    link["href"] = "doc:" + ATopicID;
    link["text"] = ATitle;
    return JsonWrite(link);
}

std::string FilePathToFileUrl(const std::string& APath) {
    bool trailing = !APath.empty() && (APath.back() == '/' || APath.back() == '\\');
    std::string path = ReplaceText(ExpandFileName(APath), "\\", "/");
    if (trailing && !EndsWith(path, "/"))
        path += '/';
    path = ReplaceText(path, " ", "%20");
    if (StartsWith(path, "/"))
        return "file://" + path;
    return "file:///" + path;
}

// ---- page to host ----------------------------------------------------------------------------

namespace {

std::string ReadJsonText(const TJson& AObject, std::string_view AName) {
    return JsonText(JsonMember(AObject, AName));
}

int ReadJsonInt(const TJson& AObject, std::string_view AName) {
    std::string text = ReadJsonText(AObject, AName);
    const char* first = text.data();
    const char* last = text.data() + text.size();
    if (first != last && *first == '+')
        ++first;
    long long value = 0;
    auto res = std::from_chars(first, last, value);
    if (res.ec != std::errc() || res.ptr != last || first == last || value < INT_MIN || value > INT_MAX)
        return 0;
    return static_cast<int>(value);
}

bool ReadJsonBool(const TJson& AObject, std::string_view AName) {
    std::string text = ReadJsonText(AObject, AName);
    return SameText(text, "true") || text == "1";
}

}  // namespace

TEditorMessage ParseEditorMessage(std::string_view AJsonText) {
    TEditorMessage msg;
    TJson value;
    if (!JsonTryParse(AJsonText, value) || !value.is_object())
        return msg;
    std::string type = ReadJsonText(value, "type");
    if (SameText(type, "ready")) {
        msg.Kind = TEditorMessageKind::Ready;
    } else if (SameText(type, "htmlChanged") || SameText(type, "htmlResponse")) {
        bool changed = SameText(type, "htmlChanged");
        msg.Kind = changed ? TEditorMessageKind::HtmlChanged : TEditorMessageKind::HtmlResponse;
        msg.Html = ReadJsonText(value, "html");
        msg.User = changed && ReadJsonBool(value, "user");
    } else if (SameText(type, "cursorStyle")) {
        msg.Kind = TEditorMessageKind::CursorStyle;
        TEditorCursorStyle& s = msg.Style;
        s.Area = ReadJsonText(value, "area");
        s.FontName = ReadJsonText(value, "fontName");
        s.FontSizePx = ReadJsonInt(value, "fontSizePx");
        s.TextColorHtml = ReadJsonText(value, "textColor");
        s.BackColorHtml = ReadJsonText(value, "backColor");
        s.Align = ReadJsonText(value, "align");
        s.Bold = ReadJsonBool(value, "bold");
        s.Italic = ReadJsonBool(value, "italic");
        s.Underline = ReadJsonBool(value, "underline");
        s.ListType = ReadJsonText(value, "listType");
        s.BlockTag = ReadJsonText(value, "blockTag");
        s.LineHeight = ReadJsonText(value, "lineHeight");
    } else if (SameText(type, "headerChanged")) {
        msg.Kind = TEditorMessageKind::HeaderChanged;
        msg.HeaderHtml = ReadJsonText(value, "headerHtml");
        msg.HeaderBg = ReadJsonText(value, "headerBg");
    } else if (SameText(type, "areaChanged")) {
        msg.Kind = TEditorMessageKind::AreaChanged;
        msg.Area = ReadJsonText(value, "area");
    }
    return msg;
}
