// Markup of an imported document that must not reach a published page, and the decoding of the
// character references in attribute values. Imported documents are often not the author's own;
// what this removes would run for every reader of the published WebHelp. Pure functions.
#pragma once

#include <string>
#include <string_view>

// Removes, from every start tag of AHtml: event-handler attributes (any name beginning with
// "on"); href, src, action, formaction and xlink:href attributes whose address is a javascript:
// or vbscript: address; srcdoc attributes; and in iframe, object and embed elements every
// attribute whose value is a data:text/html address. <base> elements are removed whole.
// Addresses are compared as a browser reads them: references decoded, tabs and line breaks
// dropped, leading blanks skipped, ASCII case ignored. Tags are read the way a browser reads
// them (quoted values may hold ">", "/" separates attributes); the kept text of a tag is copied
// byte for byte, and a tag without such attributes is unchanged.
std::string StripHostileMarkup(std::string_view AHtml);

// Decodes the character references of one attribute value in one pass: decimal and hexadecimal
// references and &amp; &lt; &gt; &quot; &apos; &nbsp; (and the upper-case AMP LT GT QUOT), each
// with its ";". Anything else is copied unchanged; a reference to no Unicode scalar value
// becomes U+FFFD. "a&amp;amp;b" decodes to "a&amp;b": the text is decoded exactly once.
std::string DecodeAttributeValue(std::string_view AValue);
