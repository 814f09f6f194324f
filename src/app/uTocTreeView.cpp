#include "uTocTreeView.h"

#include "uQtText.h"

#include <QDrag>
#include <QDragEnterEvent>
#include <QDragLeaveEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QLineEdit>
#include <QMimeData>
#include <QPainter>
#include <QTreeWidgetItemIterator>
#include <unordered_map>

namespace {

constexpr int TopicIdRole = Qt::UserRole;

constexpr Qt::ItemFlags NodeFlags = Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemIsEditable |
                                    Qt::ItemIsDragEnabled | Qt::ItemIsDropEnabled;

}  // namespace

const char* const TTocTreeView::TopicMimeType = "application/x-pagewell-topic-id";

TTocTreeView::TTocTreeView(QWidget* AParent) : QTreeWidget(AParent) {
    setHeaderHidden(true);
    setColumnCount(1);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setUniformRowHeights(true);
    // Drags start in the view; where they land is decided here, never by the item model.
    setDragEnabled(true);
    setAcceptDrops(true);
    viewport()->setAcceptDrops(true);
    setDragDropMode(QAbstractItemView::DragDrop);
    setDefaultDropAction(Qt::MoveAction);
    setDropIndicatorShown(false);  // the view draws its own (the zones differ from Qt's)
    setEditTriggers(QAbstractItemView::EditKeyPressed | QAbstractItemView::SelectedClicked);
    setAccessibleName("Table of contents");
    connect(this, &QTreeWidget::itemCollapsed, this,
            [this](QTreeWidgetItem* AItem) { FCollapsedIDs.insert(ItemTopicID(AItem)); });
    connect(this, &QTreeWidget::itemExpanded, this,
            [this](QTreeWidgetItem* AItem) { FCollapsedIDs.erase(ItemTopicID(AItem)); });
}

TTocTreeView::~TTocTreeView() { blockSignals(true); }

std::string TTocTreeView::ItemTopicID(const QTreeWidgetItem* AItem) {
    if (!AItem)
        return {};
    const QVariant v = AItem->data(0, TopicIdRole);
    return v.isValid() ? FromQ(v.toString()) : std::string();
}

// ---- building ---------------------------------------------------------------------------------

void TTocTreeView::BuildFrom(const TDocProject& AProject) {
    setUpdatesEnabled(false);
    const QSignalBlocker block(this);  // a rebuild is no change of selection or expansion
    EndDrag();
    FreeNodeData();
    clear();
    // Each topic is shown once, so a hand-edited file with a cycle or a twice-listed child
    // cannot make the tree endless. Nodes are assembled detached and added in one batch.
    QList<QTreeWidgetItem*> roots;
    std::vector<QTreeWidgetItem*> levels;
    std::vector<QTreeWidgetItem*> collapsed;
    std::set<std::string> stillCollapsed;
    ForEachTopicInTocOrder(AProject, [&](const TTopic& ATopic, int ADepth) {
        auto* item = new QTreeWidgetItem();
        item->setText(0, ToQ(ATopic.Title()));
        item->setData(0, TopicIdRole, ToQ(ATopic.ID()));
        item->setFlags(NodeFlags);
        levels.resize(size_t(ADepth));
        if (ADepth == 0)
            roots.push_back(item);
        else
            levels.back()->addChild(item);
        levels.push_back(item);
        if (FCollapsedIDs.count(ATopic.ID())) {
            collapsed.push_back(item);
            stillCollapsed.insert(ATopic.ID());
        }
        return true;
    });
    addTopLevelItems(roots);
    expandAll();
    for (QTreeWidgetItem* item : collapsed)
        item->setExpanded(false);
    FCollapsedIDs = std::move(stillCollapsed);  // topics that are gone are forgotten
    setUpdatesEnabled(true);
}

QTreeWidgetItem* TTocTreeView::FindTopicItem(const std::string& AID) const {
    if (AID.empty())
        return nullptr;
    for (QTreeWidgetItemIterator it(const_cast<TTocTreeView*>(this)); *it; ++it)
        if (ItemTopicID(*it) == AID)
            return *it;
    return nullptr;
}

bool TTocTreeView::SelectTopic(const std::string& AID) {
    QTreeWidgetItem* item = FindTopicItem(AID);
    if (!item)
        return false;
    for (QTreeWidgetItem* p = item->parent(); p; p = p->parent())
        p->setExpanded(true);
    setCurrentItem(item);
    scrollToItem(item);
    return true;
}

void TTocTreeView::FreeNodeData() {
    for (QTreeWidgetItemIterator it(this); *it; ++it)
        (*it)->setData(0, TopicIdRole, QVariant());
}

// ---- in-place rename --------------------------------------------------------------------------

bool TTocTreeView::edit(const QModelIndex& AIndex, EditTrigger ATrigger, QEvent* AEvent) {
    const bool opened = QTreeWidget::edit(AIndex, ATrigger, AEvent);
    if (opened)
        FEditedID = ItemTopicID(itemFromIndex(AIndex));
    return opened;
}

void TTocTreeView::commitData(QWidget* AEditor) {
    // Only the author's commit reaches here; the window sets the node's text with the title.
    auto* line = qobject_cast<QLineEdit*>(AEditor);
    const std::string id = FEditedID;
    if (line && !id.empty() && OnLabelEdited)
        OnLabelEdited(id, FromQ(line->text()));
}

// ---- drag and drop ----------------------------------------------------------------------------

QMimeData* TTocTreeView::StartDrag(QTreeWidgetItem* AItem) {
    FDragNode = AItem;
    FDragID = ItemTopicID(AItem);
    auto* data = new QMimeData();
    data->setData(TopicMimeType, QByteArray::fromStdString(FDragID));
    return data;
}

void TTocTreeView::startDrag(Qt::DropActions) {
    QTreeWidgetItem* item = currentItem();
    if (!item || ItemTopicID(item).empty())
        return;
    auto* drag = new QDrag(this);
    drag->setMimeData(StartDrag(item));
    const QRect r = visualItemRect(item);
    if (!r.isEmpty()) {
        QPixmap picture = viewport()->grab(r);
        drag->setPixmap(picture);
        drag->setHotSpot(QPoint(qMin(16, r.width()), r.height() / 2));
    }
    drag->exec(Qt::MoveAction);
    EndDrag();
}

void TTocTreeView::EndDrag() {
    FDragNode = nullptr;
    FDragID.clear();
    SetDropTarget(nullptr, TDropMode::dmChild);
}

bool TTocTreeView::IsOwnDrag(const QMimeData* AData) const {
    // The source is this view: a drag it started itself, carrying the dragged node's id.
    return FDragNode && AData && AData->hasFormat(TopicMimeType) &&
           AData->data(TopicMimeType).toStdString() == FDragID;
}

QTreeWidgetItem* TTocTreeView::AllowedTargetAt(const QPoint& APos, QRect& ALabel) const {
    if (!FDragNode || !FProject)
        return nullptr;
    QTreeWidgetItem* item = itemAt(APos);
    if (!item || item == FDragNode || !TTocDropRule::Allows(*FProject, FDragID, ItemTopicID(item)))
        return nullptr;
    ALabel = visualItemRect(item);
    return item;
}

bool TTocTreeView::DragOver(const QPoint& APos) {
    QRect label;
    QTreeWidgetItem* target = AllowedTargetAt(APos, label);
    if (!target) {
        SetDropTarget(nullptr, TDropMode::dmChild);
        return false;
    }
    SetDropTarget(target, TTocDropRule::ModeAt(APos.y() - label.top(), label.height()));
    return true;
}

bool TTocTreeView::DragDrop(const QPoint& APos) {
    // The drop lands where the indicator shows for this position.
    if (!DragOver(APos)) {
        EndDrag();
        return false;
    }
    const std::string dragged = FDragID;
    const std::string target = ItemTopicID(FDropTarget);
    const std::string targetParent = ItemTopicID(FDropTarget->parent());
    const TDropMode mode = FDropMode;
    EndDrag();
    // The move rebuilds the view and switches topics (which waits for the editor page): it runs
    // once the drag has ended, not inside the drag's own event handling.
    QMetaObject::invokeMethod(
        this,
        [this, dragged, target, targetParent, mode] {
            if (OnDropTopic)
                OnDropTopic(dragged, target, targetParent, mode);
        },
        Qt::QueuedConnection);
    return true;
}

void TTocTreeView::SetDropTarget(QTreeWidgetItem* AItem, TDropMode AMode) {
    if (AItem == FDropTarget && AMode == FDropMode)
        return;
    FDropTarget = AItem;
    FDropMode = AMode;
    viewport()->update();
}

void TTocTreeView::dragEnterEvent(QDragEnterEvent* AEvent) {
    if (!IsOwnDrag(AEvent->mimeData())) {
        AEvent->ignore();
        return;
    }
    AEvent->setDropAction(Qt::MoveAction);
    AEvent->accept();
    DragOver(AEvent->position().toPoint());
}

void TTocTreeView::dragMoveEvent(QDragMoveEvent* AEvent) {
    const QPoint pos = AEvent->position().toPoint();
    // Near the top or bottom edge the view scrolls, as it does for its own drags.
    const int margin = autoScrollMargin();
    if (hasAutoScroll() && (pos.y() < margin || pos.y() > viewport()->height() - margin))
        startAutoScroll();
    if (IsOwnDrag(AEvent->mimeData()) && DragOver(pos)) {
        AEvent->setDropAction(Qt::MoveAction);
        AEvent->accept();
    } else {
        SetDropTarget(nullptr, TDropMode::dmChild);
        AEvent->ignore();
    }
}

void TTocTreeView::dragLeaveEvent(QDragLeaveEvent* AEvent) {
    stopAutoScroll();
    SetDropTarget(nullptr, TDropMode::dmChild);
    AEvent->accept();
}

void TTocTreeView::dropEvent(QDropEvent* AEvent) {
    stopAutoScroll();
    if (IsOwnDrag(AEvent->mimeData()) && DragDrop(AEvent->position().toPoint())) {
        AEvent->setDropAction(Qt::MoveAction);
        AEvent->accept();
    } else {
        SetDropTarget(nullptr, TDropMode::dmChild);
        AEvent->ignore();
    }
}

void TTocTreeView::paintEvent(QPaintEvent* AEvent) {
    QTreeWidget::paintEvent(AEvent);
    if (!FDropTarget)
        return;
    const QRect r = visualItemRect(FDropTarget);
    if (r.isEmpty())
        return;
    QPainter p(viewport());
    p.setRenderHint(QPainter::Antialiasing);
    const QColor color = palette().color(QPalette::Highlight);
    QPen pen(color, 2);
    p.setPen(pen);
    if (FDropMode == TDropMode::dmChild) {
        QColor fill = color;
        fill.setAlpha(60);
        p.setBrush(fill);
        p.drawRoundedRect(QRectF(r).adjusted(1, 1, -1, -1), 3, 3);
        return;
    }
    const int y = FDropMode == TDropMode::dmBefore ? r.top() + 1 : r.bottom();
    p.setBrush(color);
    p.drawEllipse(QPointF(r.left() + 3, y), 3, 3);
    p.drawLine(QPoint(r.left() + 6, y), QPoint(viewport()->width() - 2, y));
}
