// A small tree of an HTML page, read with libxml2's HTML parser (which reads broken markup the
// way browsers mostly do) and written back as HTML text. Only elements, text and comments are
// kept; text and attribute values are decoded UTF-8. Nesting deeper than kMaxHtmlDepth is
// flattened at that depth, so every walk over the tree stays shallow.
// Not thread-safe for one tree; separate trees may be used on separate threads.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

inline constexpr int kMaxHtmlDepth = 400;

struct THtmlNode {
    enum TKind { ElementNode, TextNode, CommentNode };
    TKind Kind = ElementNode;
    std::string Name;  // elements: lower-case tag name
    std::string Text;  // text and comments: their content
    std::vector<std::pair<std::string, std::string>> Attributes;  // lower-case names, decoded values
    std::vector<std::unique_ptr<THtmlNode>> Children;
    THtmlNode* Parent = nullptr;

    bool IsElement(std::string_view AName) const { return Kind == ElementNode && Name == AName; }
    // The attribute's value, or nullptr when the element has none of that name.
    const std::string* Attr(std::string_view AName) const;
    std::string AttrOr(std::string_view AName, std::string_view ADefault = {}) const;
    void SetAttr(std::string_view AName, std::string AValue);
    // Appends a new child and returns it.
    THtmlNode& AppendChild(std::unique_ptr<THtmlNode> AChild);
    // Removes this node from its parent (it is destroyed).
    void Remove();
    // Replaces this node by ANodes, in order (this node is destroyed).
    void ReplaceWith(std::vector<std::unique_ptr<THtmlNode>> ANodes);
};

struct THtmlDocument {
    std::unique_ptr<THtmlNode> Root;  // an element named "#document"
    THtmlNode* Html() const;
    THtmlNode* Head() const;
    THtmlNode* Body() const;  // the body element, or nullptr (a frameset page has none)
};

// Parses UTF-8 text. Never fails: anything becomes some tree (perhaps with an empty body).
THtmlDocument ParseHtml(std::string_view AUtf8);

// The node and everything inside it as HTML text: a document gives "<!DOCTYPE html>" and the
// html element. Text is escaped (& < >), attribute values are double-quoted with & " < >
// escaped; script and style content is written as it stands.
std::string SerializeHtml(const THtmlNode& ANode);

// The text of the node and its descendants, comments, scripts and styles left out.
std::string TextContent(const THtmlNode& ANode);
// Runs of white space as one blank, trimmed.
std::string CollapseSpaces(std::string_view AText);

// Visits the elements below ANode (not ANode itself) in document order. AVisit returns false to
// skip the element's descendants. The tree must not be changed during the walk.
void ForEachElement(const THtmlNode& ANode, const std::function<bool(THtmlNode& AElement)>& AVisit);

// The first element named AName below ANode in document order, or nullptr.
THtmlNode* FindElement(const THtmlNode& ANode, std::string_view AName);
bool IsHeadingName(std::string_view AName);  // h1 ... h6
