// Bringing a whole outside HTML document into a topic: its style sheets (with their @import
// chains and the fonts and pictures they use), the pictures and media its body refers to, and a
// body cut down to a fragment the editor page can hold. Copied files go into the project's
// assets folders (uAssetPaths.h) under names no file of the project or of the same import has.
//
// Every transformation is a fixed sequence of regular-expression replacements (ignoring case,
// "." matching line breaks, all matches replaced); the HTML is never parsed into a tree.
// Attribute values are decoded once (a&amp;b.png names the file a&b.png), paths are resolved on
// the decoded text, and every value written back passes through EscapeAttributeValue once.
//
// Failures raise EAppError (a failed copy, a malformed "%" escape, an unreadable file); files
// copied before the failure stay in the project. A referenced file that does not exist leaves
// its reference as it was. Not thread-safe for one context.
#pragma once

#include "uAssetContentIndex.h"
#include "uAssetPaths.h"

#include <functional>
#include <map>
#include <set>
#include <string>
#include <string_view>

// The state of one import command, dropped at its end.
struct TImportContext {
    std::string ProjectRoot;
    std::string BaseFolder;  // folder of the document being imported
    // Absolute source path of a style sheet to the address its copy received; shared by every
    // style sheet of the import, those reached through @import included.
    std::map<std::string, std::string> StyleSheets;
    // Absolute source path to address, for every file the body refers to.
    std::map<std::string, std::string> Resources;
    TReservedAssetPaths Reserved;
    // Optional, for an import of many pages. MayRead says which source files may be read or
    // copied at all; a reference to any other file is left as written. Contents makes every
    // copy with the content of a file already copied (or already in the project's assets)
    // refer to that file instead.
    std::function<bool(const std::string& APath)> MayRead;
    TAssetContentIndex* Contents = nullptr;
    // Style sheets being written, and those among them that refer to themselves (their copy's
    // name is then in use and never given up for another file of the same content).
    std::set<std::string> Writing, SelfReferenced;
};

// The fragment that importing AHtmlFile into the project at AProjectRoot inserts: the style
// sheets' link tags and style blocks, then the simplified body (inside a div carrying the body
// tag's class, style, lang and dir when it has any), with hostile markup removed. Copies the
// files it refers to. Empty text (after trimming) means nothing importable.
std::string BuildImportFragment(const std::string& AProjectRoot, const std::string& AHtmlFile);

// The same for a document already read, with a context the caller keeps (so that several
// documents of one import share their copies); the context's BaseFolder is the document's folder.
std::string BuildImportFragmentFromText(std::string_view ADocument, TImportContext& AContext);

// The document's title: the text of its first <title> element, references decoded, runs of
// white space made one blank, trimmed; empty when there is none.
std::string HtmlDocumentTitle(std::string_view ADocument);

// The steps of the import, in the order BuildImportFragment uses them.
std::string ExtractBodyContent(std::string_view ADocument);
std::string BodyWrapperTag(std::string_view ADocument);
std::string CollectStyleSheets(std::string_view ADocument, TImportContext& AContext);
// Rewrites the style sheet at ASource into ADestination (UTF-8 with byte-order mark), importing
// the sheets it @imports first and copying the files its url() references name.
void ImportCssFile(const std::string& ASource, const std::string& ADestination, TImportContext& AContext);
std::string RewriteResourceRefs(std::string_view ABody, TImportContext& AContext);
// The address a body reference becomes: the copy's address for an existing local file, else the
// value unchanged. AValue is decoded text.
std::string RewriteAssetRef(const std::string& AValue, TImportContext& AContext);
std::string RewriteSrcset(const std::string& AValue, TImportContext& AContext);
std::string SimplifyTags(std::string_view ABody);
std::string FlattenFlexGrid(std::string_view AStyle);

// The raw (undecoded) value of attribute AName, a fixed ASCII name, in ATag; empty when absent.
std::string GetTagAttr(std::string_view ATag, std::string_view AName);
bool IsStylesheetRel(std::string_view ARel);
// & " < > become &amp; &quot; &lt; &gt;.
std::string EscapeAttributeValue(std::string_view AText);
// Every backslash becomes "/", then every double quote a backslash and a double quote.
std::string CssQuoteValue(std::string_view AText);
