#include "uHtmlDom.h"

#include "uHtmlUtils.h"
#include "uUtils.h"

#include <libxml/HTMLparser.h>
#include <libxml/tree.h>

#include <algorithm>

namespace {

std::string XmlText(const xmlChar* AText) { return AText ? std::string(reinterpret_cast<const char*>(AText)) : std::string(); }

std::string AttributeValue(const xmlAttr* AAttr) {
    std::string value;
    for (const xmlNode* c = AAttr->children; c; c = c->next)
        if (c->type == XML_TEXT_NODE || c->type == XML_CDATA_SECTION_NODE)
            value += XmlText(c->content);
    return value;
}

// Copies the libxml2 children of AFrom below ATo, flattening below kMaxHtmlDepth.
void CopyChildren(const xmlNode* AFrom, THtmlNode& ATo) {
    struct TItem {
        const xmlNode* From;
        THtmlNode* To;
        int Depth;
    };
    std::vector<TItem> stack{{AFrom, &ATo, 0}};
    // Children are visited in order by pushing them reversed.
    while (!stack.empty()) {
        const TItem item = stack.back();
        stack.pop_back();
        std::vector<TItem> next;
        for (const xmlNode* c = item.From->children; c; c = c->next) {
            auto node = std::make_unique<THtmlNode>();
            switch (c->type) {
            case XML_ELEMENT_NODE: {
                node->Kind = THtmlNode::ElementNode;
                node->Name = LowerAscii(XmlText(c->name));
                for (const xmlAttr* a = c->properties; a; a = a->next) {
                    const std::string name = LowerAscii(XmlText(a->name));
                    if (!node->Attr(name))
                        node->Attributes.emplace_back(name, AttributeValue(a));
                }
                break;
            }
            case XML_TEXT_NODE:
            case XML_CDATA_SECTION_NODE:
                node->Kind = THtmlNode::TextNode;
                node->Text = XmlText(c->content);
                break;
            case XML_COMMENT_NODE:
                node->Kind = THtmlNode::CommentNode;
                node->Text = XmlText(c->content);
                break;
            default:
                continue;
            }
            const bool element = node->Kind == THtmlNode::ElementNode;
            // Too deep: the element's content goes on at the same level, the element itself is kept.
            THtmlNode& added = item.To->AppendChild(std::move(node));
            if (element && c->children)
                next.push_back({c, item.Depth + 1 < kMaxHtmlDepth ? &added : item.To, item.Depth + 1});
        }
        for (auto it = next.rbegin(); it != next.rend(); ++it)
            stack.push_back(*it);
    }
}

bool IsVoidElement(std::string_view AName) {
    static const char* const kVoid[] = {"area", "base", "basefont", "br", "col", "embed", "frame", "hr", "img", "input",
                                        "isindex", "keygen", "link", "meta", "param", "source", "track", "wbr"};
    return std::any_of(std::begin(kVoid), std::end(kVoid), [&](const char* v) { return AName == v; });
}

bool IsRawTextElement(std::string_view AName) { return AName == "script" || AName == "style"; }

std::string EscapeText(std::string_view AText) {
    std::string out;
    out.reserve(AText.size());
    for (char c : AText) {
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        default: out += c;
        }
    }
    return out;
}

void Serialize(const THtmlNode& ANode, std::string& AOut, bool ARaw) {
    switch (ANode.Kind) {
    case THtmlNode::TextNode:
        AOut += ARaw ? ANode.Text : EscapeText(ANode.Text);
        return;
    case THtmlNode::CommentNode:
        AOut += "<!--" + ReplaceText(ANode.Text, "--", "- -") + "-->";
        return;
    case THtmlNode::ElementNode:
        break;
    }
    const bool document = ANode.Name == "#document";
    if (document) {
        AOut += "<!DOCTYPE html>\n";
    } else {
        AOut += "<" + ANode.Name;
        for (const auto& [name, value] : ANode.Attributes)
            AOut += " " + name + "=\"" + HtmlEncodeEntities(value) + "\"";
        AOut += ">";
        if (IsVoidElement(ANode.Name))
            return;
    }
    const bool raw = IsRawTextElement(ANode.Name);
    for (const auto& c : ANode.Children)
        Serialize(*c, AOut, raw);
    if (!document)
        AOut += "</" + ANode.Name + ">";
}

void CollectText(const THtmlNode& ANode, std::string& AOut) {
    for (const auto& c : ANode.Children) {
        if (c->Kind == THtmlNode::TextNode)
            AOut += c->Text;
        else if (c->Kind == THtmlNode::ElementNode && !IsRawTextElement(c->Name) && c->Name != "template")
            CollectText(*c, AOut);
    }
}

THtmlNode* ChildElement(const THtmlNode* ANode, std::string_view AName) {
    if (!ANode)
        return nullptr;
    for (const auto& c : ANode->Children)
        if (c->IsElement(AName))
            return c.get();
    return nullptr;
}

}  // namespace

const std::string* THtmlNode::Attr(std::string_view AName) const {
    for (const auto& [name, value] : Attributes)
        if (name == AName)
            return &value;
    return nullptr;
}

std::string THtmlNode::AttrOr(std::string_view AName, std::string_view ADefault) const {
    const std::string* v = Attr(AName);
    return v ? *v : std::string(ADefault);
}

void THtmlNode::SetAttr(std::string_view AName, std::string AValue) {
    for (auto& [name, value] : Attributes)
        if (name == AName) {
            value = std::move(AValue);
            return;
        }
    Attributes.emplace_back(std::string(AName), std::move(AValue));
}

THtmlNode& THtmlNode::AppendChild(std::unique_ptr<THtmlNode> AChild) {
    AChild->Parent = this;
    Children.push_back(std::move(AChild));
    return *Children.back();
}

void THtmlNode::Remove() { ReplaceWith({}); }

void THtmlNode::ReplaceWith(std::vector<std::unique_ptr<THtmlNode>> ANodes) {
    THtmlNode* parent = Parent;
    if (!parent)
        return;
    auto& siblings = parent->Children;
    auto it = std::find_if(siblings.begin(), siblings.end(), [&](const auto& c) { return c.get() == this; });
    if (it == siblings.end())
        return;
    for (auto& n : ANodes)
        n->Parent = parent;
    std::unique_ptr<THtmlNode> self = std::move(*it);  // destroyed at the end of this call
    it = siblings.erase(it);
    siblings.insert(it, std::make_move_iterator(ANodes.begin()), std::make_move_iterator(ANodes.end()));
}

THtmlNode* THtmlDocument::Html() const { return ChildElement(Root.get(), "html"); }
THtmlNode* THtmlDocument::Head() const { return ChildElement(Html(), "head"); }
THtmlNode* THtmlDocument::Body() const { return ChildElement(Html(), "body"); }

THtmlDocument ParseHtml(std::string_view AUtf8) {
    THtmlDocument doc;
    doc.Root = std::make_unique<THtmlNode>();
    doc.Root->Name = "#document";
    const int options = HTML_PARSE_RECOVER | HTML_PARSE_NOERROR | HTML_PARSE_NOWARNING | HTML_PARSE_NONET |
                        HTML_PARSE_IGNORE_ENC | HTML_PARSE_COMPACT | XML_PARSE_HUGE;
    // An empty buffer gives no document at all; a blank still gives html and body.
    const std::string text = AUtf8.empty() ? std::string(" ") : std::string(AUtf8);
    htmlDocPtr parsed = htmlReadMemory(text.data(), static_cast<int>(text.size()), nullptr, "UTF-8", options);
    if (parsed) {
        CopyChildren(reinterpret_cast<const xmlNode*>(parsed), *doc.Root);
        xmlFreeDoc(parsed);
    }
    return doc;
}

std::string SerializeHtml(const THtmlNode& ANode) {
    std::string out;
    Serialize(ANode, out, false);
    return out;
}

std::string TextContent(const THtmlNode& ANode) {
    if (ANode.Kind != THtmlNode::ElementNode)
        return ANode.Kind == THtmlNode::TextNode ? ANode.Text : std::string();
    std::string out;
    CollectText(ANode, out);
    return out;
}

std::string CollapseSpaces(std::string_view AText) {
    std::string out;
    bool space = false;
    for (char c : AText) {
        if (c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f') {
            space = true;
            continue;
        }
        if (space && !out.empty())
            out += ' ';
        space = false;
        out += c;
    }
    // A no-break space counts as white space for titles too.
    return Trim(ReplaceText(out, "\xC2\xA0", " "));
}

void ForEachElement(const THtmlNode& ANode, const std::function<bool(THtmlNode& AElement)>& AVisit) {
    for (const auto& c : ANode.Children)
        if (c->Kind == THtmlNode::ElementNode && AVisit(*c))
            ForEachElement(*c, AVisit);
}

THtmlNode* FindElement(const THtmlNode& ANode, std::string_view AName) {
    THtmlNode* found = nullptr;
    ForEachElement(ANode, [&](THtmlNode& AElement) {
        if (!found && AElement.Name == AName)
            found = &AElement;
        return !found;
    });
    return found;
}

bool IsHeadingName(std::string_view AName) {
    return AName.size() == 2 && AName[0] == 'h' && AName[1] >= '1' && AName[1] <= '6';
}
