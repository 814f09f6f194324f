#include "uManualContents.h"

namespace {

// The first link with an address in ANode that is not inside a nested list.
const THtmlNode* FirstEntryLink(const THtmlNode& ANode) {
    const THtmlNode* found = nullptr;
    ForEachElement(ANode, [&](THtmlNode& AElement) {
        if (found || IsListName(AElement.Name))
            return false;
        if (AElement.Name == "a" && AElement.Attr("href")) {
            found = &AElement;
            return false;
        }
        return true;
    });
    return found;
}

// The lists directly inside ANode (not inside another list), in document order.
std::vector<const THtmlNode*> NestedLists(const THtmlNode& ANode) {
    std::vector<const THtmlNode*> lists;
    ForEachElement(ANode, [&](THtmlNode& AElement) {
        if (IsListName(AElement.Name)) {
            lists.push_back(&AElement);
            return false;
        }
        return true;
    });
    return lists;
}

TContentsEntry EntryFor(const THtmlNode& AItem) {
    TContentsEntry e;
    if (const THtmlNode* link = FirstEntryLink(AItem)) {
        e.Href = link->AttrOr("href");
        e.Text = CollapseSpaces(TextContent(*link));
    }
    return e;
}

void AppendChildrenOf(const THtmlNode& ANode, std::vector<TContentsEntry>& AOut) {
    for (const THtmlNode* list : NestedLists(ANode))
        for (TContentsEntry& child : ReadContentsList(*list))
            AOut.push_back(std::move(child));
}

// The items of a list: li children, also those wrapped in other elements that are no list.
void CollectItems(const THtmlNode& ANode, std::vector<const THtmlNode*>& AOut) {
    for (const auto& c : ANode.Children) {
        if (c->Kind != THtmlNode::ElementNode)
            continue;
        if (c->Name == "li" || c->Name == "dt" || c->Name == "dd")
            AOut.push_back(c.get());
        else if (!IsListName(c->Name))
            CollectItems(*c, AOut);
    }
}

}  // namespace

bool IsListName(std::string_view AName) { return AName == "ul" || AName == "ol" || AName == "dl"; }

std::vector<TContentsEntry> ReadContentsList(const THtmlNode& AList) {
    std::vector<TContentsEntry> entries;
    std::vector<const THtmlNode*> items;
    CollectItems(AList, items);
    for (const THtmlNode* item : items) {
        if (item->Name == "dd") {
            // The next level of the entry before it; a dd without one holds its own entries.
            if (entries.empty())
                entries.emplace_back();
            AppendChildrenOf(*item, entries.back().Children);
            continue;
        }
        TContentsEntry e = EntryFor(*item);
        if (item->Name == "li")
            AppendChildrenOf(*item, e.Children);
        entries.push_back(std::move(e));
    }
    return entries;
}

std::vector<std::vector<TContentsEntry>> FindContentsLists(const THtmlNode& ABody) {
    std::vector<std::vector<TContentsEntry>> lists;
    for (const THtmlNode* list : NestedLists(ABody))
        lists.push_back(ReadContentsList(*list));
    return lists;
}
