// Small text functions over HTML shared by token expansion, the publishers and the link checker.
// None of them parses HTML: each is a fixed sequence of literal or regular-expression
// replacements over the text, and that sequence is part of the publishers' output format.
// All are pure functions of their arguments and safe to call from any thread.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

// One left-to-right scan: & < > and the double quote become &amp; &lt; &gt; &quot;. The
// apostrophe and every other character are copied unchanged.
std::string HtmlEncodeEntities(std::string_view AText);

// One left-to-right scan decoding decimal character references ("&#" digits ";") and the five
// lower-case named references &amp; &apos; &gt; &lt; &quot;. Every other "&" sequence (&nbsp;,
// hexadecimal references, upper-case names, an "&#" not followed by digits and ";") is copied
// unchanged. A decimal reference to a value that is no Unicode scalar value (a surrogate, or
// above U+10FFFF) becomes U+FFFD, since UTF-8 text cannot hold it.
std::string HtmlDecodeEntities(std::string_view AText);

// & < > " ' become &amp; &lt; &gt; &quot; &#39; (an entity already present is escaped again).
std::string EscapeHtml(std::string_view AText);

// One line of plain text for a search index: script and style elements vanish with their
// content, every other tag becomes a space, &nbsp; &amp; &lt; &gt; &quot; &#39; are decoded
// (ignoring case, &amp; first), runs of white space become one space, the ends are trimmed.
std::string HtmlToPlainText(std::string_view AHtml);

// The topic-link pattern (ignore case): href = "doc:" or 'doc:', 32 hexadecimal digits and an
// optional fragment; group 1 is the topic id as written, group 2 the fragment with its "#".
inline constexpr std::string_view kDocLinkPattern =
    "href\\s*=\\s*[\"']doc:([a-fA-F0-9]{32})(#[^\"'\\s<>]*)?[\"']";

// One topic link: the id as written and the fragment after "#" as written (empty when the link
// has none, or only a bare "#").
struct TDocLink {
    std::string ID;
    std::string Fragment;
    bool operator==(const TDocLink&) const = default;
};

// Every topic link in document order, duplicates included, letter case as written.
std::vector<TDocLink> ExtractDocLinks(std::string_view AHtml);

// The ids of every topic link in document order, duplicates included, letter case as written.
std::vector<std::string> ExtractDocLinkIds(std::string_view AHtml);

// Maps a topic id (as written in the link) to the link target, or to empty text when the topic is
// unknown or left out of the publication.
using TDocLinkResolver = std::function<std::string(const std::string& AID)>;

// Replaces every topic link's href (from "href" to the closing quote) by href="<target>" followed
// by the link's fragment ("#" and the fragment, when it has one), or by href="#" when the
// resolver is empty or gives empty text. Without topic links the html is returned unchanged.
std::string RewriteDocLinks(std::string_view AHtml, const TDocLinkResolver& AResolver);

// Maps a topic link's id and fragment (both as written; the fragment empty when there is none)
// to its whole target, or to empty text for href="#".
using TDocLinkTargetResolver = std::function<std::string(const std::string& AID, const std::string& AFragment)>;

// RewriteDocLinks for publishers that place the fragment themselves: the resolver gives the whole
// target, which is written as it is.
std::string RewriteDocLinkTargets(std::string_view AHtml, const TDocLinkTargetResolver& AResolver);

// Decodes every "%" followed by two hexadecimal digits into that byte; any other "%" is kept.
std::string PercentDecode(std::string_view AText);

// Gives the new name of an anchor (the value of an element's id, or of an a element's name, as
// written), or empty text to leave it alone.
using TAnchorRenamer = std::function<std::string(std::string_view AName)>;

// Rewrites the anchors ARenamer renames as id="<new>" or name="<new>"; everything else, other
// anchors included, is copied unchanged.
std::string RenameAnchors(std::string_view AHtml, const TAnchorRenamer& ARenamer);

// The anchors a fragment can point at: the id of every element and the name of every a element,
// as written, in document order.
std::vector<std::string> ExtractAnchorNames(std::string_view AHtml);

// Twelve literal replace-all passes (ignoring case) turning white backgrounds into transparent
// ones: "background-color: rgb(255, 255, 255)", ...:#ffffff, ...: #fff, ...:white and the
// "background:" forms. An occurrence directly followed by a letter, digit or hyphen (a longer
// colour value) is left alone.
std::string MakeWhiteBackgroundsTransparent(std::string_view AHtml);
// Only the first eight of those passes, the "background-color:" forms (the compiled-help pages).
std::string MakeWhiteBackgroundColorsTransparent(std::string_view AHtml);

// src="assets/ -> src="../assets/, then href="assets/, poster="assets/ and data="assets/ the
// same way (case-sensitive), then every candidate address beginning with assets/ in a
// double-quoted srcset, for pages published one folder below the copied assets.
std::string RebaseAssetLinks(std::string_view AHtml);
