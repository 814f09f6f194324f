#include "uEditorText.h"

#include "uUtils.h"

std::string HtmlTextContent(std::string_view AHtml) {
    std::string text;
    text.reserve(AHtml.size());
    bool inTag = false;
    for (char c : AHtml) {
        if (c == '<')
            inTag = true;
        else if (c == '>')
            inTag = false;
        else if (!inTag)
            text.push_back(c);
    }
    static const std::pair<const char*, const char*> kEntities[] = {
        {"&nbsp;", " "}, {"&#160;", " "}, {"&amp;", "&"}, {"&lt;", "<"},
        {"&gt;", ">"},   {"&quot;", "\""}, {"&#39;", "'"},
    };
    for (const auto& [from, to] : kEntities)
        text = ReplaceText(text, from, to, true, true);
    return Trim(text);
}

bool IsHtmlEffectivelyEmpty(std::string_view AHtml) {
    const std::string lower = LowerAscii(AHtml);
    for (const char* tag : {"<img", "<table", "<video", "<iframe"})
        if (lower.find(tag) != std::string::npos)
            return false;
    std::string text = ReplaceText(HtmlTextContent(AHtml), "\xC2\xA0", "");
    for (char c : text)
        if (c != '\r' && c != '\n' && c != '\t' && c != ' ')
            return false;
    return true;
}

bool IsDefaultHeader(std::string_view AHeaderHtml, std::string_view ATitle, std::string_view AProjectTitle) {
    const std::string text = HtmlTextContent(AHeaderHtml);
    if (!SameText(text, Trim(ATitle)) && !SameText(text, Trim(AProjectTitle)))
        return false;
    const std::string lower = LowerAscii(AHeaderHtml);
    for (const char* tag : {"<img", "<table", "<a "})
        if (lower.find(tag) != std::string::npos)
            return false;
    return true;
}
