#include "uHtmlUtils.h"

#include "uRegex.h"
#include "uUtils.h"

namespace {

bool IsAsciiDigit(char c) { return c >= '0' && c <= '9'; }

bool ContinuesColourValue(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || IsAsciiDigit(c) || c == '-';
}

// Literal replace-all ignoring ASCII case, skipping occurrences that a colour-value character
// follows.
std::string ReplaceDeclaration(std::string_view AText, std::string_view AFrom, std::string_view ATo) {
    size_t hit = FindText(AText, AFrom, 0);
    if (hit == std::string_view::npos)
        return std::string(AText);
    std::string out;
    out.reserve(AText.size());
    size_t copied = 0;
    while (hit != std::string_view::npos) {
        size_t end = hit + AFrom.size();
        if (end < AText.size() && ContinuesColourValue(AText[end])) {
            hit = FindText(AText, AFrom, hit + 1);
            continue;
        }
        out.append(AText.substr(copied, hit - copied));
        out.append(ATo);
        copied = end;
        hit = FindText(AText, AFrom, end);
    }
    out.append(AText.substr(copied));
    return out;
}

const TRegex& DocLinkRegex() {
    static const TRegex re(kDocLinkPattern, roIgnoreCase);
    return re;
}

// & < > " as entities, and the apostrophe as &#39; when asked.
std::string EncodeMarkupCharacters(std::string_view AText, bool AApostrophe) {
    std::string out;
    out.reserve(AText.size() + AText.size() / 8);
    for (char c : AText) {
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        case '\'':
            if (AApostrophe)
                out += "&#39;";
            else
                out.push_back(c);
            break;
        default: out.push_back(c); break;
        }
    }
    return out;
}

}  // namespace

std::string HtmlEncodeEntities(std::string_view AText) { return EncodeMarkupCharacters(AText, false); }

std::string HtmlDecodeEntities(std::string_view AText) {
    static constexpr std::pair<std::string_view, char> kNamed[] = {
        {"&amp;", '&'}, {"&apos;", '\''}, {"&gt;", '>'}, {"&lt;", '<'}, {"&quot;", '"'}};
    std::string out;
    out.reserve(AText.size());
    size_t i = 0;
    const size_t n = AText.size();
    while (i < n) {
        size_t amp = AText.find('&', i);
        if (amp == std::string_view::npos) {
            out.append(AText.substr(i));
            break;
        }
        out.append(AText.substr(i, amp - i));
        i = amp;
        std::string_view rest = AText.substr(i);
        if (rest.size() > 2 && rest[1] == '#') {
            size_t semi = rest.find(';', 2);
            if (semi != std::string_view::npos && semi > 2) {
                std::string_view digits = rest.substr(2, semi - 2);
                bool allDigits = true;
                char32_t value = 0;
                for (char d : digits) {
                    if (!IsAsciiDigit(d)) {
                        allDigits = false;
                        break;
                    }
                    if (value <= 0x10FFFF)  // saturate: anything larger is invalid anyway
                        value = value * 10 + static_cast<char32_t>(d - '0');
                }
                if (allDigits) {
                    if (value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF))
                        value = 0xFFFD;
                    AppendUtf8(out, value);
                    i += semi + 1;
                    continue;
                }
            }
        } else {
            bool matched = false;
            for (const auto& [name, ch] : kNamed) {
                if (StartsWith(rest, name)) {
                    out.push_back(ch);
                    i += name.size();
                    matched = true;
                    break;
                }
            }
            if (matched)
                continue;
        }
        out.push_back('&');
        ++i;
    }
    return out;
}

std::string EscapeHtml(std::string_view AText) {
    // The five passes in a row ("&" first) give the same text as this single scan: no later pass
    // can meet a character that an earlier one produced.
    return EncodeMarkupCharacters(AText, true);
}

namespace {

// What <[^>]+> replaced by " " does to valid UTF-8: a "<" with at least one character before the
// next ">" starts a tag that ends there.
std::string ReplaceTagsWithSpaces(std::string_view AText) {
    std::string out;
    out.reserve(AText.size());
    size_t at = 0;
    while (at < AText.size()) {
        const size_t open = AText.find('<', at);
        const size_t close = open == std::string_view::npos ? open : AText.find('>', open + 1);
        if (close == std::string_view::npos) {
            out.append(AText.substr(at));
            break;
        }
        if (close == open + 1) {
            out.append(AText.substr(at, close - at));
            at = close;
            continue;
        }
        out.append(AText.substr(at, open - at));
        out.push_back(' ');
        at = close + 1;
    }
    return out;
}

// Whether a "<" is followed by "script" or "style" in any case, the "s" also as U+017F, its
// case form outside ASCII: what <(script|style) needs to match without case.
bool MayHoldScriptOrStyle(std::string_view AText) {
    for (size_t at = AText.find('<'); at != std::string_view::npos; at = AText.find('<', at + 1)) {
        std::string_view rest = AText.substr(at + 1);
        if (StartsText("s", rest))
            rest.remove_prefix(1);
        else if (rest.starts_with("\xC5\xBF"))
            rest.remove_prefix(2);
        else
            continue;
        if (StartsText("cript", rest) || StartsText("tyle", rest))
            return true;
    }
    return false;
}

bool IsRegexSpace(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

// What \s+ replaced by " " does: every run of ASCII white space as one space.
std::string CollapseSpaces(std::string_view AText) {
    std::string out;
    out.reserve(AText.size());
    for (size_t i = 0; i < AText.size();) {
        if (!IsRegexSpace(AText[i])) {
            const size_t from = i;
            while (i < AText.size() && !IsRegexSpace(AText[i]))
                ++i;
            out.append(AText.substr(from, i - from));
            continue;
        }
        out.push_back(' ');
        while (i < AText.size() && IsRegexSpace(AText[i]))
            ++i;
    }
    return out;
}

}  // namespace

std::string HtmlToPlainText(std::string_view AHtml) {
    static const TRegex scriptStyle("<(script|style)[^>]*>.*?</\\1>", roIgnoreCase | roSingleLine);
    static const TRegex anyTag("<[^>]+>");
    static const TRegex spaces("\\s+");
    // The patterns never match across bytes that are not UTF-8, so such text takes them as they
    // are; valid text takes the plain scans that give the same result.
    const bool valid = IsValidUtf8(AHtml);
    std::string s = MayHoldScriptOrStyle(AHtml) ? scriptStyle.Replace(AHtml, " ") : std::string(AHtml);
    s = valid ? ReplaceTagsWithSpaces(s) : anyTag.Replace(s, " ");
    static constexpr std::pair<std::string_view, std::string_view> kEntities[] = {
        {"&nbsp;", " "}, {"&amp;", "&"}, {"&lt;", "<"}, {"&gt;", ">"}, {"&quot;", "\""}, {"&#39;", "'"}};
    // Every entity begins with "&" and no replacement brings one where there was none.
    if (s.find('&') != std::string::npos)
        for (const auto& [from, to] : kEntities)
            s = ReplaceText(s, from, to, /*AAll=*/true, /*AIgnoreCase=*/true);
    s = valid ? CollapseSpaces(s) : spaces.Replace(s, " ");
    return Trim(s);
}

namespace {

// Group 2 of a topic-link match without its "#".
std::string DocLinkFragment(const TRegexMatch& AMatch) {
    const std::string_view group = AMatch.Group(2);
    return group.empty() ? std::string() : std::string(group.substr(1));
}

}  // namespace

std::vector<TDocLink> ExtractDocLinks(std::string_view AHtml) {
    std::vector<TDocLink> links;
    DocLinkRegex().ForEachMatch(AHtml, [&](const TRegexMatch& AMatch) {
        links.push_back({std::string(AMatch.Group(1)), DocLinkFragment(AMatch)});
        return true;
    });
    return links;
}

std::vector<std::string> ExtractDocLinkIds(std::string_view AHtml) {
    std::vector<std::string> ids;
    DocLinkRegex().ForEachMatch(AHtml, [&](const TRegexMatch& AMatch) {
        ids.emplace_back(AMatch.Group(1));
        return true;
    });
    return ids;
}

std::string RewriteDocLinkTargets(std::string_view AHtml, const TDocLinkTargetResolver& AResolver) {
    return DocLinkRegex().Replace(AHtml, [&](const TRegexMatch& AMatch) {
        std::string target = AResolver ? AResolver(std::string(AMatch.Group(1)), DocLinkFragment(AMatch)) : std::string();
        if (target.empty())
            return std::string("href=\"#\"");
        return "href=\"" + target + "\"";
    });
}

std::string RewriteDocLinks(std::string_view AHtml, const TDocLinkResolver& AResolver) {
    if (!AResolver)
        return RewriteDocLinkTargets(AHtml, nullptr);
    return RewriteDocLinkTargets(AHtml, [&](const std::string& AID, const std::string& AFragment) {
        std::string target = AResolver(AID);
        return target.empty() || AFragment.empty() ? target : target + "#" + AFragment;
    });
}

std::string PercentDecode(std::string_view AText) {
    std::string out;
    out.reserve(AText.size());
    for (size_t i = 0; i < AText.size(); ++i) {
        const int high = AText[i] == '%' && i + 2 < AText.size() ? HexDigitValue(AText[i + 1]) : -1;
        const int low = high >= 0 ? HexDigitValue(AText[i + 2]) : -1;
        if (low >= 0) {
            out.push_back(static_cast<char>(high * 16 + low));
            i += 2;
        } else {
            out.push_back(AText[i]);
        }
    }
    return out;
}

std::string RenameAnchors(std::string_view AHtml, const TAnchorRenamer& ARenamer) {
    // A start tag, then each of its attributes in turn, so that text inside a quoted value is
    // never taken for an attribute.
    static const TRegex tag("<([A-Za-z][A-Za-z0-9]*)(\\s[^>]*)>");
    static const TRegex attribute("(\\s)([^\\s\"'>/=]+)(?:(\\s*=\\s*)(?:\"([^\"]*)\"|'([^']*)'|([^\\s\"'>]+)))?");
    return tag.Replace(AHtml, [&](const TRegexMatch& ATag) {
        const bool isA = SameText(ATag.Group(1), "a");
        const std::string attributes = attribute.Replace(ATag.Group(2), [&](const TRegexMatch& AAttr) {
            const std::string_view name = AAttr.Group(2);
            if (!AAttr.GroupSuccess(3) || !(SameText(name, "id") || (isA && SameText(name, "name"))))
                return std::string(AAttr.Value());
            const int valueGroup = AAttr.GroupSuccess(4) ? 4 : AAttr.GroupSuccess(5) ? 5 : 6;
            const std::string renamed = ARenamer(AAttr.Group(valueGroup));
            if (renamed.empty())
                return std::string(AAttr.Value());
            return std::string(AAttr.Group(1)) + std::string(name) + "=\"" + ReplaceText(renamed, "\"", "&quot;") + "\"";
        });
        return "<" + std::string(ATag.Group(1)) + attributes + ">";
    });
}

std::vector<std::string> ExtractAnchorNames(std::string_view AHtml) {
    std::vector<std::string> names;
    RenameAnchors(AHtml, [&](std::string_view AName) {
        names.emplace_back(AName);
        return std::string();
    });
    return names;
}

namespace {
constexpr std::string_view kTransparentColor = "background-color: transparent";
constexpr std::string_view kTransparentShort = "background: transparent";
// The "background-color:" forms come first; both lists are applied in this order.
constexpr std::pair<std::string_view, std::string_view> kWhiteColorSteps[] = {
    {"background-color: rgb(255, 255, 255)", kTransparentColor},
    {"background-color:rgb(255, 255, 255)", kTransparentColor},
    {"background-color:#ffffff", kTransparentColor},
    {"background-color: #ffffff", kTransparentColor},
    {"background-color:#fff", kTransparentColor},
    {"background-color: #fff", kTransparentColor},
    {"background-color:white", kTransparentColor},
    {"background-color: white", kTransparentColor},
};
constexpr std::pair<std::string_view, std::string_view> kWhiteShortSteps[] = {
    {"background: rgb(255, 255, 255)", kTransparentShort},
    {"background:#ffffff", kTransparentShort},
    {"background:#fff", kTransparentShort},
    {"background:white", kTransparentShort},
};
}  // namespace

std::string MakeWhiteBackgroundColorsTransparent(std::string_view AHtml) {
    // Every step needs a "background" and leaves none where there was none.
    std::string s(AHtml);
    if (FindText(s, "background") == std::string::npos)
        return s;
    for (const auto& [from, to] : kWhiteColorSteps)
        s = ReplaceDeclaration(s, from, to);
    return s;
}

std::string MakeWhiteBackgroundsTransparent(std::string_view AHtml) {
    std::string s = MakeWhiteBackgroundColorsTransparent(AHtml);
    if (FindText(s, "background") == std::string::npos)
        return s;
    for (const auto& [from, to] : kWhiteShortSteps)
        s = ReplaceDeclaration(s, from, to);
    return s;
}

std::string RebaseAssetLinks(std::string_view AHtml) {
    std::string s = ReplaceText(AHtml, "src=\"assets/", "src=\"../assets/");
    s = ReplaceText(s, "href=\"assets/", "href=\"../assets/");
    // Imported pictures, videos and objects also refer to the assets through these attributes.
    s = ReplaceText(s, "poster=\"assets/", "poster=\"../assets/");
    s = ReplaceText(s, "data=\"assets/", "data=\"../assets/");
    static const TRegex srcset("\\bsrcset=\"([^\"]*)\"");
    static const TRegex candidate("(^|,)(\\s*)assets/");
    return srcset.Replace(s, [](const TRegexMatch& AMatch) {
        return "srcset=\"" + candidate.Replace(AMatch.Group(1), "$1$2../assets/") + "\"";
    });
}
