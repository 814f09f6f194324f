// The compiled-help topic page: the steps of the page pipeline that only the CHM publisher has
// (image-link rebasing, white backgrounds, first-row colouring, invisible characters) and its
// page template. Pure functions of their arguments; thread-safe.
#pragma once

#include "uProjectSettings.h"
#include "uWindowsCodePage.h"

#include <string>
#include <string_view>

// Every src="assets/ and then every src="/assets/ (both ignoring case) becomes src="../assets/.
// href attributes and single-quoted sources are left alone.
std::string RebaseChmImageLinks(std::string_view AHtml);

// The eight "background-color:" white forms become "background-color: transparent" (the
// "background:" short forms stay).
std::string ClearWhiteBackgroundsChm(std::string_view AHtml);

// In the first <tr ...>...</tr> of the page (ignoring case, across lines), every <td ...> and
// <th ...> opening tag gets bgcolor="AColor" style="background-color: AColor;" appended. Text
// without a table row is returned unchanged.
std::string ColorFirstTableRow(std::string_view AHtml, const std::string& AColor);

// Removes U+FEFF, U+200B, U+200C, U+200D, U+2060 and U+00AD.
std::string StripInvisibleChars(std::string_view AText);

// "<div class=\"sv-footer\">" + the HTML-encoded copyright text + "</div>" when CopyrightEnabled
// and the trimmed text is not empty; "" otherwise.
std::string ChmFooter(const TProjectSettings& ASettings);

// The page: head with the content type in ACharset ("windows-1251"), the ../style.css link and
// the inline rules (page background APageBg, header background AHeaderBg), then the header band,
// the body and the footer, without line breaks and without title element.
std::string BuildChmPage(const std::string& ABody, const std::string& AHeaderHtml, const std::string& AHeaderBg,
                         const std::string& APageBg, const std::string& AFooter, std::string_view ACharset);

// The page's bytes in ACodePage. What the code page cannot represent becomes a character
// reference, and inside style and script elements, where references mean nothing, a CSS or a
// script escape; so the page loses nothing.
std::string EncodeChmPage(std::string_view AHtml, const TWindowsCodePage& ACodePage);
