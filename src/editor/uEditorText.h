// Text comparisons of the topic editing state: the visible text of editor HTML, whether a topic
// body has any content, and whether a topic header is still the generated one. HTML is not
// parsed: tags are skipped character by character. Pure functions.
#pragma once

#include <string>
#include <string_view>

// The characters outside tags ("<" starts a tag, ">" ends one; a stray ">" is dropped), with
// &nbsp; and &#160; as blanks and &amp; &lt; &gt; &quot; &#39; decoded (any case, in that
// order), trimmed.
std::string HtmlTextContent(std::string_view AHtml);

// False when the HTML holds a picture, table, video or inline frame; otherwise true exactly when
// its text holds nothing but blanks, no-break spaces, tabs and line breaks.
bool IsHtmlEffectivelyEmpty(std::string_view AHtml);

// True when the header's text equals (ignoring ASCII case) ATitle or AProjectTitle, each trimmed,
// and the header holds no picture, table or link.
bool IsDefaultHeader(std::string_view AHeaderHtml, std::string_view ATitle, std::string_view AProjectTitle);
