// TfrmMain: the table of contents in tvToc, built from the model. Each node carries its own copy
// of its topic's id; a node without one belongs to no topic. The commands that change the tree
// are TTocCommands (uTocCommands.cpp); the handlers here only hand over to them. Check Links
// lists its findings in TfrmLinkIssues.
#include "uMain.h"

#include "uAppErrors.h"
#include "uAppInfo.h"
#include "uColors.h"
#include "uFrmLinkIssues.h"
#include "uLinkChecker.h"
#include "uQtText.h"
#include "uTocCommands.h"
#include "uTopicPropertiesPage.h"
#include "uUiPrompts.h"
#include "uUtils.h"

void TfrmMain::BuildTopicTree() {
    tvToc->SetProject(FProject.get());
    tvToc->BuildFrom(*FProject);
}

void TfrmMain::ShowFirstTopic() {
    // Every project that is loaded or created comes through here: its own style sheets fill the
    // style list, never those of the project open before.
    FillStyleProfiles();
    tsProperties->ShowNoTopic();  // nothing typed for the project before is stored into this one
    BuildTopicTree();
    if (tvToc->topLevelItemCount() > 0)
        tvToc->setCurrentItem(tvToc->topLevelItem(0));
}

void TfrmMain::FreeTreeNodeData() { tvToc->FreeNodeData(); }

std::string TfrmMain::SelectedTopicID() const { return TTocTreeView::ItemTopicID(tvToc->currentItem()); }

void TfrmMain::SelectTopicNode(const std::string& AID) { tvToc->SelectTopic(AID); }

std::string TfrmMain::NewTopicHtml() const {
    std::string font = Trim(FSettings->DefaultFontName);
    if (font.empty())
        font = "Segoe UI";
    font = ReplaceText(font, "\"", "&quot;");
    return "<p style=\"font-family:" + font + ", Arial, sans-serif;" + "font-size:" + IntToStr(FSettings->FontSizeBody) +
           "px;" + "color:" + ColorToHtml(FSettings->DefaultTextColor) + ";" +
           "line-height:" + ReplaceText(FormatLineSpacing(FSettings->DefaultLineSpacing), ",", ".") + ";\"><br></p>";
}

void TfrmMain::WriteTopicHtml(const std::string& AID, const std::string& AHtml) {
    WriteUtf8File(FProject->GetTopic(AID).HtmlPath(), AHtml);
}

// ---- tree commands ------------------------------------------------------------------------------

void TfrmMain::btnNewRootTopicClick() { TTocCommands(*this).NewTopic(true); }
void TfrmMain::btnNewSubTopicClick() { TTocCommands(*this).NewTopic(false); }
void TfrmMain::btnDeleteTopicClick() { TTocCommands(*this).RemoveTopic(); }
void TfrmMain::Rename1Click() { TTocCommands(*this).RenameByDialog(); }
void TfrmMain::tvTocEdited(const std::string& AID, const std::string& AText) {
    TTocCommands(*this).RenameInPlace(AID, AText);
}
void TfrmMain::Up1Click() { TTocCommands(*this).MoveUp(); }
void TfrmMain::Down1Click() { TTocCommands(*this).MoveDown(); }
void TfrmMain::ChangeParent1Click() { TTocCommands(*this).MoveLevelUp(); }
void TfrmMain::tvTocDragDrop(const std::string& ADraggedID, const std::string& ATargetID,
                             const std::string& ATargetParentID, TDropMode AMode) {
    TTocCommands(*this).Drop(ADraggedID, ATargetID, ATargetParentID, AMode);
}

// ---- Check Links --------------------------------------------------------------------------------

void TfrmMain::btnCheckLinksClick() {
    const std::vector<TLinkIssue> issues = CheckProjectLinks(*FProject);
    const std::string note =
        FProjectDirty ? "The project has unsaved changes; they were not checked. Save the project to check them." : "";
    delete FLinkIssues;
    FLinkIssues = nullptr;
    if (issues.empty()) {
        FPrompts.ShowInfo(AppTitle, note.empty() ? FormatLinkIssues(issues) : FormatLinkIssues(issues) + "\n\n" + note);
        return;
    }
    FLinkIssues = new TfrmLinkIssues(issues, note, this);
    FLinkIssues->OnChooseTopic = [this](const std::string& AID) {
        RunGuarded(FPrompts, [&] { SelectTopicNode(AID); });
    };
    FLinkIssues->show();
}
