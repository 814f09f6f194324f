// The topic tree in memory: TDocProject owns every TTopic in a dictionary that keeps insertion
// order (so every listing "in no particular order" is deterministic), and RootTopicIDs plus each
// topic's Children hold the table-of-contents order.
//
// A project read from disk is taken as stored, so the tree may hold a cycle of parent links or a
// child listed twice. Every walk here is bounded: IsDescendant stops after as many steps as there
// are topics, DeleteTopic and ForEachTopicInTocOrder visit each topic at most once.
// Not thread-safe; a TTopic pointer is valid until the next operation that deletes or clears.
#pragma once

#include <functional>
#include <list>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

class TTopic {
public:
    explicit TTopic(std::string AID) : FID(std::move(AID)) {}

    const std::string& ID() const { return FID; }
    const std::string& Title() const { return FTitle; }
    void SetTitle(const std::string& A) { FTitle = A; }
    const std::string& HtmlPath() const { return FHtmlPath; }
    void SetHtmlPath(const std::string& A) { FHtmlPath = A; }
    const std::string& ParentID() const { return FParentID; }
    void SetParentID(const std::string& A) { FParentID = A; }
    std::vector<std::string>& Children() { return FChildren; }
    const std::vector<std::string>& Children() const { return FChildren; }
    std::vector<std::string>& Keywords() { return FKeywords; }
    const std::vector<std::string>& Keywords() const { return FKeywords; }
    std::vector<std::string>& IndexEntries() { return FIndexEntries; }
    const std::vector<std::string>& IndexEntries() const { return FIndexEntries; }
    bool ExcludeWeb() const { return FExcludeWeb; }
    void SetExcludeWeb(bool A) { FExcludeWeb = A; }
    bool ExcludeChm() const { return FExcludeChm; }
    void SetExcludeChm(bool A) { FExcludeChm = A; }
    bool ExcludePdf() const { return FExcludePdf; }
    void SetExcludePdf(bool A) { FExcludePdf = A; }
    // Help context ids (meta/context_ids.json): "" and 0 when the topic has none.
    const std::string& HelpAlias() const { return FHelpAlias; }
    void SetHelpAlias(const std::string& A) { FHelpAlias = A; }
    unsigned HelpContextNumber() const { return FHelpContextNumber; }
    void SetHelpContextNumber(unsigned A) { FHelpContextNumber = A; }

private:
    std::string FID;
    std::string FTitle;
    std::string FHtmlPath;
    std::string FParentID;
    std::vector<std::string> FChildren;
    std::vector<std::string> FKeywords;
    std::vector<std::string> FIndexEntries;
    bool FExcludeWeb = false;
    bool FExcludeChm = false;
    bool FExcludePdf = false;
    std::string FHelpAlias;
    unsigned FHelpContextNumber = 0;
};

// Dictionary from id to topic that owns its topics and iterates in insertion order.
class TTopicDictionary {
public:
    using List = std::list<std::unique_ptr<TTopic>>;

    size_t size() const { return FList.size(); }
    bool empty() const { return FList.empty(); }
    bool contains(const std::string& AID) const { return FIndex.count(AID) != 0; }
    TTopic* find(const std::string& AID) const;
    // Raises a duplicate-key error when the id is already present.
    TTopic& add(std::unique_ptr<TTopic> ATopic);
    void remove(const std::string& AID);
    void clear();

    // Iteration in insertion order, yielding TTopic&.
    struct iterator {
        List::const_iterator it;
        TTopic& operator*() const { return **it; }
        TTopic* operator->() const { return it->get(); }
        iterator& operator++() { ++it; return *this; }
        bool operator!=(const iterator& o) const { return it != o.it; }
        bool operator==(const iterator& o) const { return it == o.it; }
    };
    iterator begin() const { return {FList.begin()}; }
    iterator end() const { return {FList.end()}; }

private:
    List FList;
    std::unordered_map<std::string, List::iterator> FIndex;
};

class TDocProject {
public:
    TDocProject() = default;
    TDocProject(const TDocProject&) = delete;
    TDocProject& operator=(const TDocProject&) = delete;

    const std::string& RootPath() const { return FRootPath; }
    void SetRootPath(const std::string& A) { FRootPath = A; }
    const std::string& Title() const { return FTitle; }
    void SetTitle(const std::string& A) { FTitle = A; }
    const std::string& StyleProfile() const { return FStyleProfile; }
    void SetStyleProfile(const std::string& A) { FStyleProfile = A; }
    TTopicDictionary& Topics() { return FTopics; }
    const TTopicDictionary& Topics() const { return FTopics; }
    std::vector<std::string>& RootTopicIDs() { return FRootTopicIDs; }
    const std::vector<std::string>& RootTopicIDs() const { return FRootTopicIDs; }
    // Why meta/context_ids.json could not be read at the last load ("" when it could, or there
    // was none): the project then has no help context ids, and saving leaves that file alone.
    const std::string& ContextIdsProblem() const { return FContextIdsProblem; }
    void SetContextIdsProblem(const std::string& A) { FContextIdsProblem = A; }

    // Frees every topic, empties the root list; Title "Untitled Documentation", StyleProfile
    // "default", no context ids problem; RootPath is kept.
    void Clear();
    // New topic appended as the last child of AParentID (or last root). Fails with
    // "Topic not found: <id>" for an unknown parent, before any change. Writes no file.
    TTopic& AddTopic(const std::string& ATitle, const std::string& AParentID);
    // Removes the topic, its whole subtree and their body files; unknown ids do nothing.
    void DeleteTopic(const std::string& AID);
    // Fails with "Topic not found: <id>".
    TTopic& GetTopic(const std::string& AID) const;
    bool HasTopic(const std::string& AID) const { return FTopics.contains(AID); }
    // True when APossibleAncestorID is ANodeID itself or one of its ancestors.
    bool IsDescendant(const std::string& ANodeID, const std::string& APossibleAncestorID) const;
    // Moves AID under ANewParentID (root list when empty) at AInsertIndex, counted after removal.
    void MoveTopic(const std::string& AID, const std::string& ANewParentID, int AInsertIndex);

    // Sets every topic's HtmlPath from RootPath again (after RootPath changed).
    void UpdateTopicHtmlPaths();
    // The body file path of an id under the current root.
    std::string TopicHtmlPathFor(const std::string& AID) const;

private:
    std::string NewTopicID() const;
    void DeleteTopicRec(const std::string& AID, std::vector<std::string>& AInProgress);

    std::string FRootPath;
    std::string FTitle;
    TTopicDictionary FTopics;
    std::vector<std::string> FRootTopicIDs;
    std::string FStyleProfile = "default";
    std::string FContextIdsProblem;
};

// Walks the table of contents depth-first from RootTopicIDs through Children, skipping listed ids
// without a topic and visiting each topic at most once (a child listed twice or a parent cycle in
// a hand-edited file cannot make it loop). ADepth is 0 for root topics. AVisit returns false to
// skip the topic's children.
void ForEachTopicInTocOrder(const TDocProject& AProject,
                            const std::function<bool(const TTopic& ATopic, int ADepth)>& AVisit);
