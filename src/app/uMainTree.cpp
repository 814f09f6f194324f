// TfrmMain: the table of contents in tvToc, built from the model. Each node carries its own copy
// of its topic's id; a node without one belongs to no topic. The tree commands that change the
// structure live in their own unit.
#include "uMain.h"

#include "uColors.h"
#include "uQtText.h"
#include "uUtils.h"

#include <QTreeWidget>
#include <QTreeWidgetItemIterator>

namespace {

constexpr int TopicIdRole = Qt::UserRole;

std::string NodeTopicID(const QTreeWidgetItem* AItem) {
    if (!AItem)
        return {};
    const QVariant v = AItem->data(0, TopicIdRole);
    return v.isValid() ? FromQ(v.toString()) : std::string();
}

}  // namespace

void TfrmMain::BuildTopicTree() {
    tvToc->setUpdatesEnabled(false);
    const QSignalBlocker block(tvToc);  // the rebuild itself is no change of selection
    FreeTreeNodeData();
    tvToc->clear();
    // Each topic is shown once, so a hand-edited file with a cycle or a twice-listed child
    // cannot make the tree endless.
    std::vector<QTreeWidgetItem*> levels;
    ForEachTopicInTocOrder(*FProject, [&](const TTopic& ATopic, int ADepth) {
        auto* item = new QTreeWidgetItem();
        item->setText(0, ToQ(ATopic.Title()));
        item->setData(0, TopicIdRole, ToQ(ATopic.ID()));
        levels.resize(size_t(ADepth));
        if (ADepth == 0)
            tvToc->addTopLevelItem(item);
        else
            levels.back()->addChild(item);
        levels.push_back(item);
        return true;
    });
    tvToc->expandAll();
    tvToc->setUpdatesEnabled(true);
}

void TfrmMain::ShowFirstTopic() {
    BuildTopicTree();
    if (tvToc->topLevelItemCount() > 0)
        tvToc->setCurrentItem(tvToc->topLevelItem(0));
}

void TfrmMain::FreeTreeNodeData() {
    for (QTreeWidgetItemIterator it(tvToc); *it; ++it)
        (*it)->setData(0, TopicIdRole, QVariant());
}

std::string TfrmMain::SelectedTopicID() const { return NodeTopicID(tvToc->currentItem()); }

void TfrmMain::SelectTopicNode(const std::string& AID) {
    for (QTreeWidgetItemIterator it(tvToc); *it; ++it) {
        if (NodeTopicID(*it) == AID) {
            tvToc->setCurrentItem(*it);
            return;
        }
    }
}

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
