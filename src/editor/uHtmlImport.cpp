#include "uHtmlImport.h"

#include "uHtmlSanitize.h"
#include "uHtmlUtils.h"
#include "uRegex.h"
#include "uUtils.h"

#include <cstdio>
#include <functional>
#include <vector>

namespace {

constexpr unsigned kImportOptions = roIgnoreCase | roSingleLine;

std::string RemoveAll(std::string_view AText, std::string_view APattern) {
    return TRegex(APattern, kImportOptions).Replace(AText, "");
}

// The value of the first of the groups AFirst..ALast that took part in the match.
std::string_view FirstSetGroup(const TRegexMatch& AMatch, int AFirst, int ALast) {
    for (int g = AFirst; g <= ALast; ++g)
        if (AMatch.GroupSuccess(g))
            return AMatch.Group(g);
    return {};
}

std::string QuotedAttribute(std::string_view AName, std::string_view AValue) {
    return " " + std::string(AName) + "=\"" + EscapeAttributeValue(AValue) + "\"";
}

// One attribute pass of the body: every element the pattern names has the value of its first
// matching attribute replaced by what ARewrite makes of the decoded value.
std::string RewriteAttributePass(std::string_view ABody, std::string_view APattern,
                                 const std::function<std::string(const std::string&)>& ARewrite) {
    return TRegex(APattern, kImportOptions).Replace(ABody, [&](const TRegexMatch& AMatch) {
        const std::string value = DecodeAttributeValue(FirstSetGroup(AMatch, 2, 4));
        return std::string(AMatch.Group(1)) + "\"" + EscapeAttributeValue(ARewrite(value)) + "\"";
    });
}

const char* const kImportPlaceholderPrefix = "__DM_IMPORT_URL_";

using TReserveFunction = bool (*)(const std::string&, const std::string&, TAssetReservation&, TReservedAssetPaths*);

// The address of the copy of the file at APath kept in AMap; on first sight the file gets a free
// name from AReserve and AWrite writes it there. ARef itself when APath names no existing file or
// no name could be reserved.
// ResolveLocalPath or ResolveCssPath. In an import of many pages (MayRead set) an address that
// is no valid path (a malformed "%" escape) is left as written instead of ending the import.
std::string LocalPath(std::string_view AValue, const std::string& AFolder, bool AInCss, const TImportContext& AContext) {
    if (!AContext.MayRead)
        return AInCss ? ResolveCssPath(AValue, AFolder) : ResolveLocalPath(AValue, AFolder);
    try {
        return AInCss ? ResolveCssPath(AValue, AFolder) : ResolveLocalPath(AValue, AFolder);
    } catch (const EAppError&) {
        return "";
    }
}

bool MayReadFile(const std::string& APath, const TImportContext& AContext) {
    return !APath.empty() && FileExists(APath) && (!AContext.MayRead || AContext.MayRead(APath));
}

// The folder part of an address ("assets/css" of "assets/css/a.css").
std::string AddressFolder(const std::string& AAddress) {
    const size_t slash = AAddress.rfind('/');
    return slash == std::string::npos ? std::string() : AAddress.substr(0, slash);
}

// With a content index: the address of an earlier file with the bytes just written to
// ADestination, which is then removed again; otherwise ADestination is recorded and AAddress
// kept.
std::string ReuseSameContent(const std::string& AAddress, const std::string& ADestination, TImportContext& AContext) {
    if (!AContext.Contents)
        return AAddress;
    const std::string same = AContext.Contents->Find(AddressFolder(AAddress), ADestination);
    if (same.empty()) {
        AContext.Contents->Add(AAddress, ADestination);
        return AAddress;
    }
    std::remove(ADestination.c_str());
    AContext.Reserved.erase(ADestination);
    return same;
}

std::string CopiedFileAddress(const std::string& ARef, const std::string& APath, std::map<std::string, std::string>& AMap,
                              TReserveFunction AReserve, TImportContext& AContext,
                              const std::function<void(const std::string& ADestination)>& AWrite) {
    if (!MayReadFile(APath, AContext))
        return ARef;
    auto it = AMap.find(APath);
    if (it != AMap.end()) {
        if (AContext.Writing.count(APath))
            AContext.SelfReferenced.insert(APath);
        return it->second;
    }
    TAssetReservation r;
    if (!AReserve(AContext.ProjectRoot, APath, r, &AContext.Reserved))
        return ARef;
    AMap[APath] = r.RelativeAddress;  // before writing: a style sheet that imports itself finds its own copy
    AContext.Writing.insert(APath);
    AWrite(r.DestinationPath);
    AContext.Writing.erase(APath);
    if (AContext.SelfReferenced.count(APath)) {
        if (AContext.Contents)
            AContext.Contents->Add(r.RelativeAddress, r.DestinationPath);
        return r.RelativeAddress;
    }
    return AMap[APath] = ReuseSameContent(r.RelativeAddress, r.DestinationPath, AContext);
}

// The address of an existing local style sheet's copy, importing the sheet on first sight.
std::string ImportedStyleSheetAddress(const std::string& ARef, const std::string& APath, TImportContext& AContext) {
    return CopiedFileAddress(ARef, APath, AContext.StyleSheets, ReserveCssAssetPath, AContext,
                             [&](const std::string& ADestination) { ImportCssFile(APath, ADestination, AContext); });
}

}  // namespace

std::string BuildImportFragment(const std::string& AProjectRoot, const std::string& AHtmlFile) {
    TImportContext context;
    context.ProjectRoot = AProjectRoot;
    context.BaseFolder = ExtractFileDir(ExpandFileName(AHtmlFile));
    return BuildImportFragmentFromText(ReadImportTextFile(AHtmlFile), context);
}

std::string BuildImportFragmentFromText(std::string_view ADocument, TImportContext& AContext) {
    const std::string styles = CollectStyleSheets(ADocument, AContext);
    const std::string wrapper = BodyWrapperTag(ADocument);
    std::string body = SimplifyTags(RewriteResourceRefs(ExtractBodyContent(ADocument), AContext));
    if (!wrapper.empty())
        body = wrapper + body + "</div>";
    return StripHostileMarkup(styles + body);
}

std::string HtmlDocumentTitle(std::string_view ADocument) {
    static const TRegex title("<title\\b[^>]*>(.*?)</title>", kImportOptions);
    static const TRegex spaces("\\s+", kImportOptions);
    const auto m = title.Match(ADocument);
    if (!m)
        return "";
    return Trim(spaces.Replace(DecodeAttributeValue(m->Group(1)), " "));
}

std::string ExtractBodyContent(std::string_view ADocument) {
    std::string s = RemoveAll(ADocument, "<!doctype[^>]*>");
    // A script ends at its end tag even with blanks or junk before the ">"; one without an end
    // tag (or without even a ">") runs to the end of the document, as a browser reads it.
    s = RemoveAll(s, "<script\\b(?:[^>]*>.*?(?:</script\\b[^>]*>|\\z)|.*)");
    s = RemoveAll(s, "<title\\b[^>]*>.*?</title>");
    const std::string lower = LowerAscii(s);
    const size_t body = lower.find("<body");
    if (body == std::string::npos) {
        s = RemoveAll(s, "<html\\b[^>]*>");
        s = RemoveAll(s, "</html>");
        s = RemoveAll(s, "<head\\b[^>]*>.*?</head>");
    } else {
        const size_t gt = s.find('>', body);
        if (gt != std::string::npos) {
            const size_t end = lower.find("</body", gt + 1);
            s = s.substr(gt + 1, end == std::string::npos ? std::string::npos : end - gt - 1);
        }
    }
    s = RemoveAll(s, "<style\\b[^>]*>.*?</style>");
    s = RemoveAll(s, "<link\\b[^>]*>");
    s = RemoveAll(s, "<meta\\b[^>]*>");
    return Trim(s);
}

std::string BodyWrapperTag(std::string_view ADocument) {
    static const TRegex bodyTag("<body\\b[^>]*>", kImportOptions);
    const auto m = bodyTag.Match(ADocument);
    if (!m)
        return "";
    std::string added;
    for (const char* name : {"class", "style", "lang", "dir"}) {
        const std::string value = DecodeAttributeValue(GetTagAttr(m->Value(), name));
        if (!value.empty())
            added += QuotedAttribute(name, value);
    }
    return added.empty() ? "" : "<div" + added + ">";
}

std::string CollectStyleSheets(std::string_view ADocument, TImportContext& AContext) {
    static const TRegex linkTag("<link\\b[^>]*>", kImportOptions);
    static const TRegex styleBlock("<style\\b[^>]*>.*?</style>", kImportOptions);
    std::string out;
    linkTag.ForEachMatch(ADocument, [&](const TRegexMatch& AMatch) {
        const std::string rel = DecodeAttributeValue(GetTagAttr(AMatch.Value(), "rel"));
        const std::string href = DecodeAttributeValue(GetTagAttr(AMatch.Value(), "href"));
        if (href.empty() || !IsStylesheetRel(rel))
            return true;
        std::string address = href;
        if (!IsExternalRef(href))
            address = ImportedStyleSheetAddress(href, LocalPath(href, AContext.BaseFolder, false, AContext), AContext);
        out += "<link rel=\"stylesheet\" href=\"" + EscapeAttributeValue(address) + "\">\r\n";
        return true;
    });
    styleBlock.ForEachMatch(ADocument, [&](const TRegexMatch& AMatch) {
        out += FlattenFlexGrid(AMatch.Value()) + "\r\n";
        return true;
    });
    return out;
}

void ImportCssFile(const std::string& ASource, const std::string& ADestination, TImportContext& AContext) {
    static const TRegex importRule(
        "@import\\s+(?:url\\(\\s*(?:\"([^\"]*)\"|'([^']*)'|([^\\)\\s]+))\\s*\\)|\"([^\"]*)\"|'([^']*)')([^;]*);",
        kImportOptions);
    static const TRegex urlRef("url\\(\\s*(?:\"([^\"]*)\"|'([^']*)'|([^\\)\\s]+))\\s*\\)", kImportOptions);
    const std::string cssFolder = ExtractFileDir(ASource);
    std::string text = ReadImportTextFile(ASource);

    std::vector<std::pair<std::string, std::string>> placeholders;  // placeholder, final address
    text = importRule.Replace(text, [&](const TRegexMatch& AMatch) {
        const std::string ref(FirstSetGroup(AMatch, 1, 5));
        std::string address = ref;
        if (!IsExternalRef(ref)) {
            address = ImportedStyleSheetAddress(ref, LocalPath(ref, cssFolder, true, AContext), AContext);
            if (StartsText("assets/css/", address))
                address.erase(0, 11);  // the copies sit side by side: refer by bare name
        }
        const std::string placeholder = kImportPlaceholderPrefix + IntToStr(static_cast<long long>(placeholders.size())) + "__";
        placeholders.emplace_back(placeholder, CssQuoteValue(address));
        std::string media = Trim(AMatch.Group(6));
        if (!media.empty())
            media = " " + media;
        return "@import url(\"" + placeholder + "\")" + media + ";";
    });

    text = urlRef.Replace(text, [&](const TRegexMatch& AMatch) {
        const std::string ref(FirstSetGroup(AMatch, 1, 3));
        std::string address = ref;
        bool isPlaceholder = false;
        for (const auto& p : placeholders)
            isPlaceholder = isPlaceholder || p.first == ref;
        if (!isPlaceholder && !IsExternalRef(ref)) {
            const std::string path = LocalPath(ref, cssFolder, true, AContext);
            TAssetReservation r;
            if (MayReadFile(path, AContext) && ReserveCssAssetPath(AContext.ProjectRoot, path, r, &AContext.Reserved)) {
                CopyAssetFile(path, r.DestinationPath);
                address = ExtractFileName(ReuseSameContent(r.RelativeAddress, r.DestinationPath, AContext));
            }
        }
        return "url(\"" + CssQuoteValue(address) + "\")";
    });

    for (const auto& p : placeholders)
        text = ReplaceText(text, p.first, p.second);
    text = FlattenFlexGrid(text);
    if (FileExists(ADestination))
        throw EAppError("Cannot write file \"" + ADestination + "\": a file of that name already exists");
    WriteUtf8BomFile(ADestination, text);
}

std::string RewriteResourceRefs(std::string_view ABody, TImportContext& AContext) {
    const std::string once = RewriteAttributePass(
        ABody,
        "(<(?:img|source|video|audio|track|embed|object|iframe)\\b[^>]*?\\b(?:src|poster|data)\\s*=\\s*)"
        "(?:\"([^\"]*)\"|'([^']*)'|([^\\s>]+))",
        [&](const std::string& AValue) { return RewriteAssetRef(AValue, AContext); });
    return RewriteAttributePass(once,
                                "(<(?:img|source)\\b[^>]*?\\bsrcset\\s*=\\s*)(?:\"([^\"]*)\"|'([^']*)'|([^\\s>]+))",
                                [&](const std::string& AValue) { return RewriteSrcset(AValue, AContext); });
}

std::string RewriteAssetRef(const std::string& AValue, TImportContext& AContext) {
    if (IsExternalRef(AValue))
        return AValue;
    const std::string path = LocalPath(AValue, AContext.BaseFolder, false, AContext);
    return CopiedFileAddress(AValue, path, AContext.Resources, ReserveAssetPathByExtension, AContext,
                             [&](const std::string& ADestination) { CopyAssetFile(path, ADestination); });
}

std::string RewriteSrcset(const std::string& AValue, TImportContext& AContext) {
    std::string out;
    for (const std::string& part : SplitString(AValue, ',')) {
        const std::string piece = Trim(part);
        if (piece.empty())
            continue;
        const size_t blank = piece.find(' ');
        const std::string address = RewriteAssetRef(piece.substr(0, blank), AContext);
        const std::string descriptor = blank == std::string::npos ? "" : Trim(std::string_view(piece).substr(blank));
        if (!out.empty())
            out += ", ";
        out += address;
        if (!descriptor.empty())
            out += " " + descriptor;
    }
    return out;
}

std::string SimplifyTags(std::string_view ABody) {
    static const struct {
        const char* Pattern;
        const char* Replacement;
    } kSteps[] = {
        {"<\\s*(section|article|main|aside|header|footer|nav|figure|figcaption|dialog|details|summary|hgroup)\\b([^>]*)>", "<div$2>"},
        {"</\\s*(section|article|main|aside|header|footer|nav|figure|figcaption|dialog|details|summary|hgroup)\\s*>", "</div>"},
        {"<\\s*(time|mark|output|meter|progress)\\b([^>]*)>", "<span$2>"},
        {"</\\s*(time|mark|output|meter|progress)\\s*>", "</span>"},
        {"<\\s*picture\\b[^>]*>", ""},
        {"</\\s*picture\\s*>", ""},
        {"<template\\b[^>]*>.*?</template>", ""},
    };
    std::string s(ABody);
    for (const auto& step : kSteps)
        s = TRegex(step.Pattern, kImportOptions).Replace(s, step.Replacement);
    return Trim(s);
}

std::string FlattenFlexGrid(std::string_view AStyle) {
    const std::string s = TRegex("display\\s*:\\s*(inline-)?flex\\b", kImportOptions).Replace(AStyle, "display: block");
    return TRegex("display\\s*:\\s*(inline-)?grid\\b", kImportOptions).Replace(s, "display: block");
}

std::string GetTagAttr(std::string_view ATag, std::string_view AName) {
    const TRegex attr("\\b" + std::string(AName) + "\\s*=\\s*(?:\"([^\"]*)\"|'([^']*)'|([^\\s>]+))", kImportOptions);
    const auto m = attr.Match(ATag);
    return m ? std::string(FirstSetGroup(*m, 1, 3)) : std::string();
}

bool IsStylesheetRel(std::string_view ARel) {
    std::string word;
    for (char c : LowerAscii(ARel) + " ") {
        if (c == ' ' || c == '\t' || c == '\r' || c == '\n') {
            if (word == "stylesheet")
                return true;
            word.clear();
        } else {
            word += c;
        }
    }
    return false;
}

std::string EscapeAttributeValue(std::string_view AText) { return HtmlEncodeEntities(AText); }

std::string CssQuoteValue(std::string_view AText) {
    return ReplaceText(ReplaceText(AText, "\\", "/"), "\"", "\\\"");
}
