#include "uManualNavigation.h"

#include "uUtils.h"

#include <map>
#include <unordered_map>
#include <unordered_set>

namespace {

constexpr int kMaxCandidateDepth = 3;

std::string StepName(const THtmlNode& AElement) {
    std::string name = AElement.Name;
    const std::string cls = CollapseSpaces(AElement.AttrOr("class"));
    if (!cls.empty())
        name += "." + ReplaceText(cls, " ", ".");
    return name;
}

// Walks the elements 1 to 3 levels below body with their pattern keys.
void ForEachCandidate(THtmlNode& ABody, const std::function<bool(THtmlNode& AElement, const std::string& AKey)>& AVisit) {
    struct TWalk {
        const std::function<bool(THtmlNode&, const std::string&)>& Visit;
        void Run(THtmlNode& ANode, const std::string& APath, int ADepth) {
            for (const auto& c : ANode.Children) {
                if (c->Kind != THtmlNode::ElementNode || c->Name == "script" || c->Name == "style")
                    continue;
                const std::string key = APath + ">" + StepName(*c);
                if (Visit(*c, key) && ADepth < kMaxCandidateDepth)
                    Run(*c, key, ADepth + 1);
            }
        }
    } walk{AVisit};
    walk.Run(ABody, "body", 1);
}

bool Holds(const THtmlNode& ABlock, const THtmlNode* ANode) {
    for (const THtmlNode* p = ANode; p; p = p->Parent)
        if (p == &ABlock)
            return true;
    return false;
}

struct TBlockFacts {
    std::set<std::string> Pieces;  // text outside links
    std::set<std::string> Texts;   // every piece of text, link texts and the alt text of linked images included
    int Links = 0, ManualLinks = 0, OtherPageLinks = 0;
};

void CollectFacts(const THtmlNode& ANode, size_t APage, bool AInLink, const TNavLinkClassifier& AClassify, TBlockFacts& AOut) {
    for (const auto& c : ANode.Children) {
        if (c->Kind == THtmlNode::TextNode) {
            const std::string piece = CollapseSpaces(c->Text);
            if (!piece.empty()) {
                AOut.Texts.insert(piece);
                if (!AInLink)
                    AOut.Pieces.insert(piece);
            }
            continue;
        }
        if (c->Kind != THtmlNode::ElementNode || c->Name == "script" || c->Name == "style")
            continue;
        if (AInLink && c->Name == "img") {
            const std::string alt = CollapseSpaces(c->AttrOr("alt"));
            if (!alt.empty())
                AOut.Texts.insert(alt);
        }
        bool inLink = AInLink;
        if ((c->Name == "a" || c->Name == "area") && c->Attr("href")) {
            inLink = true;
            ++AOut.Links;
            switch (AClassify(APage, *c->Attr("href"))) {
            case TNavLink::OtherPage: ++AOut.OtherPageLinks; [[fallthrough]];
            case TNavLink::SamePage: ++AOut.ManualLinks; break;
            case TNavLink::Other: break;
            }
        }
        CollectFacts(*c, APage, inLink, AClassify, AOut);
    }
}

}  // namespace

TNavigationBlocks FindNavigationBlocks(const std::vector<TNavPage>& APages, const std::set<std::string>& ATitles,
                                       const TNavLinkClassifier& AClassify) {
    TNavigationBlocks result;
    result.PerPage.resize(APages.size());
    // 1. How many pages show each pattern.
    std::map<std::string, size_t> pagesWith, blocksOf;
    size_t pagesWithBody = 0;
    for (const TNavPage& page : APages) {
        if (!page.Body)
            continue;
        ++pagesWithBody;
        std::set<std::string> keys;
        ForEachCandidate(*page.Body, [&](THtmlNode&, const std::string& AKey) {
            keys.insert(AKey);
            ++blocksOf[AKey];
            return true;
        });
        for (const std::string& k : keys)
            ++pagesWith[k];
    }
    // A bar or menu stands once on a page, or twice (above and below the text); a pattern that
    // comes more often is the page's own structure, such as its sections.
    std::unordered_set<std::string> candidates;
    for (const auto& [key, count] : pagesWith)
        if (count >= 3 && count * 10 >= pagesWithBody * 6 && blocksOf[key] <= 2 * count)
            candidates.insert(key);
    if (candidates.empty())
        return result;

    // 2. The facts of every block of a candidate pattern, and how common each piece of text is.
    struct TBlock {
        size_t Page;
        THtmlNode* Node;
        std::string Key;
        TBlockFacts Facts;
        bool HoldsHeading;
    };
    struct TPatternTexts {
        size_t Blocks = 0;
        std::unordered_map<std::string, size_t> Texts;  // text -> blocks holding it
    };
    std::vector<TBlock> blocks;
    std::unordered_map<std::string, TPatternTexts> texts;  // pattern -> its texts
    for (size_t i = 0; i < APages.size(); ++i) {
        if (!APages[i].Body)
            continue;
        ForEachCandidate(*APages[i].Body, [&](THtmlNode& AElement, const std::string& AKey) {
            if (!candidates.count(AKey))
                return true;
            TBlock b{i, &AElement, AKey, {}, Holds(AElement, APages[i].FirstHeading)};
            CollectFacts(AElement, i, false, AClassify, b.Facts);
            TPatternTexts& pattern = texts[AKey];
            ++pattern.Blocks;
            for (const std::string& p : b.Facts.Texts)
                ++pattern.Texts[p];
            blocks.push_back(std::move(b));
            return true;
        });
    }

    // 3. The blocks that are navigation; nothing inside a removed block is looked at again.
    std::map<std::string, size_t> removedPages;
    std::set<std::pair<std::string, size_t>> removedOn;
    std::vector<std::string> order;
    for (const TBlock& b : blocks) {
        bool inside = false;
        for (const THtmlNode* removed : result.PerPage[b.Page])
            inside = inside || Holds(*removed, b.Node);
        if (inside || b.HoldsHeading || b.Facts.OtherPageLinks == 0 || b.Facts.ManualLinks * 2 < b.Facts.Links)
            continue;
        const TPatternTexts& pattern = texts[b.Key];
        bool textFits = true;
        for (const std::string& p : b.Facts.Pieces) {
            if (!textFits)
                break;
            const auto it = pattern.Texts.find(p);
            textFits = ATitles.count(p) || (it != pattern.Texts.end() && it->second * 2 >= pattern.Blocks);
        }
        if (!textFits)
            continue;
        result.PerPage[b.Page].push_back(b.Node);
        if (removedPages.find(b.Key) == removedPages.end())
            order.push_back(b.Key);
        if (removedOn.insert({b.Key, b.Page}).second)
            ++removedPages[b.Key];
    }
    for (const std::string& key : order)
        result.Patterns.push_back({key, removedPages[key]});
    return result;
}
