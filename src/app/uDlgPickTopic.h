// TfrmPickTopic: the modal "Select Topic" dialog of Create Topic Link. It shows the project's
// table of contents, all branches expanded and the first topic selected; OK (or a double click on
// a topic) confirms the selected topic.
#pragma once

#include <QDialog>

#include <string>

class QPushButton;
class QTreeWidget;
class TDocProject;

class TfrmPickTopic : public QDialog {
    Q_OBJECT

public:
    // True with ATopicID set when the user confirmed a topic; false with ATopicID empty otherwise,
    // at once and without showing anything when AProject is absent.
    static bool Execute(QWidget* AOwner, const TDocProject* AProject, std::string& ATopicID);

    TfrmPickTopic(QWidget* AOwner, const TDocProject& AProject);

    // Fills tvPick from the project: every topic once, in table-of-contents order (a cycle or a
    // missing id in a hand-edited file neither hangs nor shows an empty node).
    void FillTree();
    // Takes the selected node's id and closes: accepted with an id, rejected without one.
    void btnOKClick();
    void tvPickDblClick();
    const std::string& SelectedID() const { return FSelectedID; }

    QTreeWidget* tvPick = nullptr;
    QPushButton* btnOK = nullptr;
    QPushButton* btnCancel = nullptr;

private:
    const TDocProject& FProject;
    std::string FSelectedID;
};
