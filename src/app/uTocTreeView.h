// TTocTreeView: the table of contents as the author sees it. It shows a TDocProject's tree (each
// node carries its topic's id), keeps the branches the author collapsed collapsed across
// rebuilds, lets the author rename a node in place and drag a node onto another one.
//
// Drag and drop is the view's own: the view never moves an item itself. While hovering it asks
// TTocDropRule for the zone under the mouse and shows the drop target (a line above or below the
// node, or the node highlighted for a child); on a drop it reports the dragged and target ids
// and the zone through OnDropTopic, and the window changes the model and rebuilds the view.
// Likewise a committed label edit is reported through OnLabelEdited and never written into the
// item by the view. The view does not own the project it is given.
#pragma once

#include "uTocPlaces.h"

#include <QTreeWidget>
#include <functional>
#include <set>
#include <string>

class TTocTreeView : public QTreeWidget {
    Q_OBJECT

public:
    explicit TTocTreeView(QWidget* AParent = nullptr);
    // Tearing the nodes down is no change of selection for anyone listening.
    ~TTocTreeView() override;
    using QTreeWidget::edit;

    // The project whose ids the drag rules look up (not owned; may be null).
    void SetProject(const TDocProject* AProject) { FProject = AProject; }

    // Rebuilds every node from the project, keeping the author's collapsed branches collapsed
    // (every other branch is expanded). Emits no selection or expansion signals.
    void BuildFrom(const TDocProject& AProject);
    // Selects the node of AID, expanding its ancestors so it can be seen. False when no node
    // carries that id.
    bool SelectTopic(const std::string& AID);
    QTreeWidgetItem* FindTopicItem(const std::string& AID) const;
    // Releases the ids attached to the nodes.
    void FreeNodeData();

    static std::string ItemTopicID(const QTreeWidgetItem* AItem);

    // Drag and drop (public for the window's tests and the drag machinery).
    // Starts dragging AItem: it becomes the drag node; returns the drag's data.
    QMimeData* StartDrag(QTreeWidgetItem* AItem);
    // Whether a drop at APos (viewport coordinates) would be taken, with the target and zone.
    bool DragOver(const QPoint& APos);
    // Ends the drag on APos; when the drop is allowed, reports it through OnDropTopic as soon as
    // the event loop runs again. Returns whether it was taken.
    bool DragDrop(const QPoint& APos);
    void EndDrag();
    QTreeWidgetItem* DragNode() const { return FDragNode; }
    QTreeWidgetItem* DropTarget() const { return FDropTarget; }
    TDropMode DropMode() const { return FDropMode; }
    // The mime type of the view's own drags; its data is the dragged topic's id.
    static const char* const TopicMimeType;

    // (dragged id, target id, id of the target's parent node, zone)
    std::function<void(const std::string&, const std::string&, const std::string&, TDropMode)> OnDropTopic;
    // (id of the edited node, the text the author committed)
    std::function<void(const std::string&, const std::string&)> OnLabelEdited;

protected:
    void startDrag(Qt::DropActions ASupportedActions) override;
    void dragEnterEvent(QDragEnterEvent* AEvent) override;
    void dragMoveEvent(QDragMoveEvent* AEvent) override;
    void dragLeaveEvent(QDragLeaveEvent* AEvent) override;
    void dropEvent(QDropEvent* AEvent) override;
    void paintEvent(QPaintEvent* AEvent) override;
    bool edit(const QModelIndex& AIndex, EditTrigger ATrigger, QEvent* AEvent) override;
    void commitData(QWidget* AEditor) override;

private:
    // The node under APos and the rectangle of its label, when a drop there is allowed.
    QTreeWidgetItem* AllowedTargetAt(const QPoint& APos, QRect& ALabel) const;
    bool IsOwnDrag(const QMimeData* AData) const;
    void SetDropTarget(QTreeWidgetItem* AItem, TDropMode AMode);

    const TDocProject* FProject = nullptr;
    std::set<std::string> FCollapsedIDs;  // branches the author collapsed
    QTreeWidgetItem* FDragNode = nullptr;
    std::string FDragID;
    QTreeWidgetItem* FDropTarget = nullptr;
    TDropMode FDropMode = TDropMode::dmChild;
    std::string FEditedID;  // the node whose label editor is open
};
