// TTocCommands: the commands that change the table of contents in the window (new root or child
// topic, remove, rename by dialog or in place, move up, down, one level up, and a drop from the
// tree view). Each command works on the window's project and tree and runs to its end or raises;
// a command that finds no selected topic, a first or last position, or a refused drop does
// nothing. Which commands write the tree files at once and which mark the project modified:
//   new topic: AddTopic, writes, marks        remove: DeleteTopic, writes, does not mark
//   rename: Title, does not write, marks      move up/down/level up: MoveTopic, writes, marks
//   drop: MoveTopic, writes, does not mark
// A short-lived helper over the window (not owned); TfrmMain's handlers create one per command.
#pragma once

#include "uTocPlaces.h"

#include <optional>
#include <string>

class TfrmMain;

class TTocCommands {
public:
    explicit TTocCommands(TfrmMain& AMain) : F(AMain) {}

    // Asks for the title ("New Topic", "Title:"); a root topic when AAsRoot or nothing is
    // selected, else the selected topic's last child. The new topic is selected and shown, and
    // its body and header files are on disk when the command returns.
    void NewTopic(bool AAsRoot);
    // After the warning box; the topic and its subtree leave the tree, the tree files, topics/
    // and everything the window holds for the next Save.
    void RemoveTopic();
    void RenameByDialog();
    // The author committed AText as the label of AID's node (also the end of RenameByDialog).
    void RenameInPlace(const std::string& AID, const std::string& AText);
    void MoveUp();
    void MoveDown();
    void MoveLevelUp();
    void Drop(const std::string& ADraggedID, const std::string& ATargetID, const std::string& ATargetParentID,
              TDropMode AMode);

private:
    using TMoveRule = std::optional<TTocPlace> (*)(const TDocProject&, const std::string&);
    void MoveSelected(TMoveRule ARule);
    // Writes the tree files, rebuilds the tree and selects AID.
    void MoveAndShow(const std::string& AID);

    TfrmMain& F;
};
