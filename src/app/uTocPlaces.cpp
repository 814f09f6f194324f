#include "uTocPlaces.h"

#include <algorithm>
#include <vector>

namespace {

// The list that holds the children of AParentID (the root list for an empty id).
const std::vector<std::string>& SiblingList(const TDocProject& AProject, const std::string& AParentID) {
    return AParentID.empty() ? AProject.RootTopicIDs() : AProject.GetTopic(AParentID).Children();
}

int PositionIn(const std::vector<std::string>& AList, const std::string& AID) {
    auto it = std::find(AList.begin(), AList.end(), AID);
    return it == AList.end() ? -1 : static_cast<int>(it - AList.begin());
}

// The target list as MoveTopic sees it once the moved topic has left its own list.
std::vector<std::string> ListWithoutMoved(const TDocProject& AProject, const std::string& AMovedID,
                                          const std::string& AParentID) {
    std::vector<std::string> list = SiblingList(AProject, AParentID);
    if (AProject.GetTopic(AMovedID).ParentID() == AParentID) {
        auto it = std::find(list.begin(), list.end(), AMovedID);
        if (it != list.end())
            list.erase(it);
    }
    return list;
}

}  // namespace

TDropMode TTocDropRule::ModeAt(int AOffsetY, int AHeight) {
    if (AOffsetY < AHeight / 3)
        return TDropMode::dmBefore;
    if (AOffsetY > (2 * AHeight) / 3)
        return TDropMode::dmAfter;
    return TDropMode::dmChild;
}

bool TTocDropRule::Allows(const TDocProject& AProject, const std::string& ADraggedID, const std::string& ATargetID) {
    return !ADraggedID.empty() && ADraggedID != ATargetID && AProject.HasTopic(ADraggedID) &&
           AProject.HasTopic(ATargetID) && !AProject.IsDescendant(ATargetID, ADraggedID);
}

TTocPlace TTocDropRule::Place(const TDocProject& AProject, const std::string& ADraggedID, const std::string& ATargetID,
                              const std::string& ATargetParentID, TDropMode AMode) {
    if (AMode == TDropMode::dmChild)
        return {ATargetID, static_cast<int>(ListWithoutMoved(AProject, ADraggedID, ATargetID).size())};
    const std::vector<std::string> list = ListWithoutMoved(AProject, ADraggedID, ATargetParentID);
    const int p = PositionIn(list, ATargetID);
    if (p < 0)
        return {ATargetParentID, static_cast<int>(list.size())};
    return {ATargetParentID, AMode == TDropMode::dmBefore ? p : p + 1};
}

std::optional<TTocPlace> TTocMoveRule::Up(const TDocProject& AProject, const std::string& AID) {
    if (!AProject.HasTopic(AID))
        return std::nullopt;
    const std::string parent = AProject.GetTopic(AID).ParentID();
    const int p = PositionIn(SiblingList(AProject, parent), AID);
    if (p <= 0)
        return std::nullopt;
    return TTocPlace{parent, p - 1};
}

std::optional<TTocPlace> TTocMoveRule::Down(const TDocProject& AProject, const std::string& AID) {
    if (!AProject.HasTopic(AID))
        return std::nullopt;
    const std::string parent = AProject.GetTopic(AID).ParentID();
    const std::vector<std::string>& list = SiblingList(AProject, parent);
    const int p = PositionIn(list, AID);
    if (p < 0 || p + 1 >= static_cast<int>(list.size()))
        return std::nullopt;
    return TTocPlace{parent, p + 1};
}

std::optional<TTocPlace> TTocMoveRule::LevelUp(const TDocProject& AProject, const std::string& AID) {
    if (!AProject.HasTopic(AID))
        return std::nullopt;
    const std::string parent = AProject.GetTopic(AID).ParentID();
    if (parent.empty() || !AProject.HasTopic(parent))
        return std::nullopt;
    const std::string grand = AProject.GetTopic(parent).ParentID();
    if (!grand.empty() && !AProject.HasTopic(grand))
        return std::nullopt;
    const std::vector<std::string>& list = SiblingList(AProject, grand);
    const int p = PositionIn(list, parent);
    return TTocPlace{grand, p < 0 ? static_cast<int>(list.size()) : p + 1};
}
