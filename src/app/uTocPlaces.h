// Where a topic goes when the author moves it in the table of contents: the three drop zones of
// a node's label, which drops are allowed, and the (parent, index) place each move command and
// each drop gives. Pure rules over the model, without widgets; the tree view and the tree
// commands ask them. An index is counted in the target list without the moved topic, as
// TDocProject::MoveTopic takes it.
#pragma once

#include "uDocModel.h"

#include <optional>
#include <string>

enum class TDropMode { dmBefore, dmChild, dmAfter };

// A place in the table of contents: ParentID empty for the root list.
struct TTocPlace {
    std::string ParentID;
    int Index = 0;
    bool operator==(const TTocPlace&) const = default;
};

class TTocDropRule {
public:
    // The zone of a label AHeight pixels high at AOffsetY pixels below its top (integer thirds):
    // before in the upper third, after below two thirds, child in between (both bounds included).
    static TDropMode ModeAt(int AOffsetY, int AHeight);
    // Whether ADraggedID may be dropped on ATargetID: both exist, they differ, and the target is
    // not inside the dragged topic's subtree.
    static bool Allows(const TDocProject& AProject, const std::string& ADraggedID, const std::string& ATargetID);
    // The place of a drop on ATargetID, whose node sits under the node of ATargetParentID (empty
    // for a top-level node): directly before or after the target among its siblings (at the end
    // when the target is not in that list), or last child of the target.
    static TTocPlace Place(const TDocProject& AProject, const std::string& ADraggedID, const std::string& ATargetID,
                           const std::string& ATargetParentID, TDropMode AMode);
};

// Places of the Move commands; nothing when the command does nothing (first or last sibling, a
// root topic for Level Up, an unknown topic).
class TTocMoveRule {
public:
    static std::optional<TTocPlace> Up(const TDocProject& AProject, const std::string& AID);
    static std::optional<TTocPlace> Down(const TDocProject& AProject, const std::string& AID);
    // After its former parent, among the parent's siblings.
    static std::optional<TTocPlace> LevelUp(const TDocProject& AProject, const std::string& AID);
};
