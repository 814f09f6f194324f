#include "uTocCommands.h"

#include "uAppInfo.h"
#include "uMain.h"
#include "uQtText.h"
#include "uStorage.h"
#include "uTopicPropertiesPage.h"
#include "uUiPrompts.h"

#include <QTreeWidgetItem>
#include <vector>

namespace {

std::vector<std::string> SubtreeIDs(const TDocProject& AProject, const std::string& AID) {
    std::vector<std::string> ids;
    for (const TTopic& t : AProject.Topics())
        if (AProject.IsDescendant(t.ID(), AID))
            ids.push_back(t.ID());
    return ids;
}

}  // namespace

void TTocCommands::NewTopic(bool AAsRoot) {
    const std::string parent = AAsRoot ? std::string() : F.SelectedTopicID();
    const auto title = F.FPrompts.InputText("New Topic", "Title:", "New Topic");
    if (!title)
        return;
    const std::string id = F.FProject->AddTopic(*title, parent).ID();
    SaveProjectFolder(*F.FProject);
    F.BuildTopicTree();
    F.SelectTopicNode(id);
    // The switch shows the topic once the page is ready; showing it here as well writes its
    // body and header files now. A switch that had to wait for another one shows it itself.
    if (F.FCurrentTopicID == id)
        F.LoadTopicIntoEditor(id);
    F.MarkProjectDirty();
}

void TTocCommands::RemoveTopic() {
    const std::string id = F.SelectedTopicID();
    if (id.empty())
        return;
    if (!F.FPrompts.ConfirmYesNo(AppTitle, "Delete this topic and its subtopics?"))
        return;
    const std::vector<std::string> removed = SubtreeIDs(*F.FProject, id);
    F.FProject->DeleteTopic(id);
    SaveProjectFolder(*F.FProject);
    F.BuildTopicTree();
    // Nothing held for a removed topic may be written by a later Save.
    F.FCurrentTopicID.clear();
    F.FDirtyHtml.clear();
    std::erase_if(F.FUnsavedTopicHtml, [&](const auto& AEntry) { return !F.FProject->HasTopic(AEntry.first); });
    for (const std::string& gone : removed)
        F.FPendingTextFiles.erase(F.TopicBodyPath(gone));
    if (!F.FProject->HasTopic(F.tsProperties->TopicID()))
        F.tsProperties->ShowNoTopic();
    if (F.tvToc->topLevelItemCount() > 0)
        F.tvToc->setCurrentItem(F.tvToc->topLevelItem(0));
}

void TTocCommands::RenameByDialog() {
    QTreeWidgetItem* item = F.tvToc->currentItem();
    if (!item)
        return;
    const auto text = F.FPrompts.InputText("Rename Topic", "Title:", FromQ(item->text(0)));
    if (!text)
        return;
    item->setText(0, ToQ(*text));
    RenameInPlace(TTocTreeView::ItemTopicID(item), *text);
}

void TTocCommands::RenameInPlace(const std::string& AID, const std::string& AText) {
    if (AID.empty() || !F.FProject->HasTopic(AID))
        return;
    F.FProject->GetTopic(AID).SetTitle(AText);
    if (QTreeWidgetItem* item = F.tvToc->FindTopicItem(AID))
        item->setText(0, ToQ(AText));
    F.MarkProjectDirty();
}

void TTocCommands::MoveUp() { MoveSelected(&TTocMoveRule::Up); }
void TTocCommands::MoveDown() { MoveSelected(&TTocMoveRule::Down); }
void TTocCommands::MoveLevelUp() { MoveSelected(&TTocMoveRule::LevelUp); }

void TTocCommands::MoveSelected(TMoveRule ARule) {
    const std::string id = F.SelectedTopicID();
    if (id.empty() || !F.FProject->HasTopic(id))
        return;
    const auto place = ARule(*F.FProject, id);
    if (!place)
        return;
    F.FProject->MoveTopic(id, place->ParentID, place->Index);
    F.MarkProjectDirty();
    MoveAndShow(id);
}

void TTocCommands::Drop(const std::string& ADraggedID, const std::string& ATargetID,
                        const std::string& ATargetParentID, TDropMode AMode) {
    if (!TTocDropRule::Allows(*F.FProject, ADraggedID, ATargetID))
        return;
    const TTocPlace place = TTocDropRule::Place(*F.FProject, ADraggedID, ATargetID, ATargetParentID, AMode);
    F.FProject->MoveTopic(ADraggedID, place.ParentID, place.Index);
    MoveAndShow(ADraggedID);
}

void TTocCommands::MoveAndShow(const std::string& AID) {
    SaveProjectFolder(*F.FProject);
    F.BuildTopicTree();
    F.SelectTopicNode(AID);
}
