// TfrmLinkIssues: the result of Check Links when it found issues. One line per issue, "title:
// message", in the order of the check; choosing a line (click, double-click or Enter) raises
// OnChooseTopic with that issue's topic, so the window selects it in the tree while the list
// stays open. A note above the list says when unsaved changes were not checked.
#pragma once

#include "uLinkChecker.h"

#include <QDialog>
#include <functional>
#include <string>
#include <vector>

class QLabel;
class QListWidget;
class QListWidgetItem;

class TfrmLinkIssues : public QDialog {
    Q_OBJECT

public:
    TfrmLinkIssues(const std::vector<TLinkIssue>& AIssues, const std::string& ANote, QWidget* AParent);

    std::function<void(const std::string&)> OnChooseTopic;

    QLabel* lblNote = nullptr;
    QLabel* lblIssues = nullptr;
    QListWidget* lstIssues = nullptr;

private:
    void Choose(QListWidgetItem* AItem);
};
