#include "uDocModel.h"

#include "uUtils.h"

#include <algorithm>
#include <filesystem>
#include <unordered_set>

// ---- TTopicDictionary --------------------------------------------------------------------------

TTopic* TTopicDictionary::find(const std::string& AID) const {
    auto it = FIndex.find(AID);
    return it == FIndex.end() ? nullptr : it->second->get();
}

TTopic& TTopicDictionary::add(std::unique_ptr<TTopic> ATopic) {
    const std::string id = ATopic->ID();
    if (FIndex.count(id))
        throw EAppError("Duplicate topic id: " + id);
    FList.push_back(std::move(ATopic));
    auto it = std::prev(FList.end());
    FIndex.emplace(id, it);
    return **it;
}

void TTopicDictionary::remove(const std::string& AID) {
    auto it = FIndex.find(AID);
    if (it == FIndex.end())
        return;
    FList.erase(it->second);
    FIndex.erase(it);
}

void TTopicDictionary::clear() {
    FIndex.clear();
    FList.clear();
}

// ---- TDocProject -------------------------------------------------------------------------------

namespace {

void EraseFirst(std::vector<std::string>& AList, const std::string& AID) {
    auto it = std::find(AList.begin(), AList.end(), AID);
    if (it != AList.end())
        AList.erase(it);
}

}  // namespace

void TDocProject::Clear() {
    FTopics.clear();
    FRootTopicIDs.clear();
    FTitle = "Untitled Documentation";
    FStyleProfile = "default";
    FContextIdsProblem.clear();
}

std::string TDocProject::NewTopicID() const {
    std::string id;
    do
        id = NewGuidHex();
    while (FTopics.contains(id));
    return id;
}

std::string TDocProject::TopicHtmlPathFor(const std::string& AID) const {
    return CombinePath(CombinePath(FRootPath, "topics"), AID + ".html");
}

TTopic& TDocProject::AddTopic(const std::string& ATitle, const std::string& AParentID) {
    TTopic* parent = nullptr;
    if (!AParentID.empty()) {
        parent = FTopics.find(AParentID);
        if (!parent)
            throw EAppError("Topic not found: " + AParentID);
    }
    auto topic = std::make_unique<TTopic>(NewTopicID());
    topic->SetTitle(ATitle);
    topic->SetParentID(AParentID);
    std::string folder = EnsureDir(CombinePath(FRootPath, "topics"));
    topic->SetHtmlPath(CombinePath(folder, topic->ID() + ".html"));
    TTopic& added = FTopics.add(std::move(topic));
    if (parent)
        parent->Children().push_back(added.ID());
    else
        FRootTopicIDs.push_back(added.ID());
    return added;
}

void TDocProject::DeleteTopic(const std::string& AID) {
    std::vector<std::string> inProgress;
    DeleteTopicRec(AID, inProgress);
}

void TDocProject::DeleteTopicRec(const std::string& AID, std::vector<std::string>& AInProgress) {
    TTopic* topic = FTopics.find(AID);
    if (!topic)
        return;
    // A topic already being deleted further up (a parent cycle) is not entered again.
    if (std::find(AInProgress.begin(), AInProgress.end(), AID) != AInProgress.end())
        return;
    AInProgress.push_back(AID);
    const std::vector<std::string> children = topic->Children();
    for (const std::string& child : children)
        DeleteTopicRec(child, AInProgress);
    AInProgress.pop_back();

    topic = FTopics.find(AID);
    if (!topic)
        return;
    if (topic->ParentID().empty()) {
        EraseFirst(FRootTopicIDs, AID);
    } else if (TTopic* parent = FTopics.find(topic->ParentID())) {
        EraseFirst(parent->Children(), AID);
    }
    if (!topic->HtmlPath().empty() && FileExists(topic->HtmlPath())) {
        std::error_code ec;
        std::filesystem::remove(std::filesystem::path(topic->HtmlPath()), ec);
        if (ec)
            throw EAppError("Cannot delete file \"" + topic->HtmlPath() + "\": " + ec.message());
    }
    FTopics.remove(AID);
}

TTopic& TDocProject::GetTopic(const std::string& AID) const {
    TTopic* t = FTopics.find(AID);
    if (!t)
        throw EAppError("Topic not found: " + AID);
    return *t;
}

bool TDocProject::IsDescendant(const std::string& ANodeID, const std::string& APossibleAncestorID) const {
    std::string current = ANodeID;
    // A parent cycle in a hand-edited file would never reach a root: there cannot be more
    // distinct ancestors than topics.
    size_t steps = FTopics.size() + 1;
    while (!current.empty() && steps-- > 0) {
        if (current == APossibleAncestorID)
            return true;
        TTopic* t = FTopics.find(current);
        if (!t)
            break;
        current = t->ParentID();
    }
    return false;
}

void TDocProject::MoveTopic(const std::string& AID, const std::string& ANewParentID, int AInsertIndex) {
    TTopic* topic = FTopics.find(AID);
    if (!topic)
        throw EAppError("Topic not found: " + AID);
    if (ANewParentID == AID || (!ANewParentID.empty() && IsDescendant(ANewParentID, AID)))
        throw EAppError("Cannot move a topic into itself/its descendant.");
    std::vector<std::string>* source = &FRootTopicIDs;
    if (!topic->ParentID().empty()) {
        TTopic* oldParent = FTopics.find(topic->ParentID());
        if (!oldParent)
            throw EAppError("Topic not found: " + topic->ParentID());
        source = &oldParent->Children();
    }
    std::vector<std::string>* target = &FRootTopicIDs;
    if (!ANewParentID.empty()) {
        TTopic* newParent = FTopics.find(ANewParentID);
        if (!newParent)
            throw EAppError("Topic not found: " + ANewParentID);
        target = &newParent->Children();
    }
    EraseFirst(*source, AID);
    topic->SetParentID(ANewParentID);
    int index = std::max(AInsertIndex, 0);
    index = std::min(index, static_cast<int>(target->size()));
    target->insert(target->begin() + index, AID);
}

void TDocProject::UpdateTopicHtmlPaths() {
    for (TTopic& t : FTopics)
        t.SetHtmlPath(TopicHtmlPathFor(t.ID()));
}

// ---- walks -------------------------------------------------------------------------------------

namespace {

void WalkRec(const TDocProject& AProject, const std::vector<std::string>& AIDs, int ADepth,
             std::unordered_set<std::string>& AVisited,
             const std::function<bool(const TTopic&, int)>& AVisit) {
    for (const std::string& id : AIDs) {
        TTopic* t = AProject.Topics().find(id);
        if (!t || !AVisited.insert(id).second)
            continue;
        if (AVisit(*t, ADepth))
            WalkRec(AProject, t->Children(), ADepth + 1, AVisited, AVisit);
    }
}

}  // namespace

void ForEachTopicInTocOrder(const TDocProject& AProject,
                            const std::function<bool(const TTopic& ATopic, int ADepth)>& AVisit) {
    std::unordered_set<std::string> visited;
    WalkRec(AProject, AProject.RootTopicIDs(), 0, visited, AVisit);
}
