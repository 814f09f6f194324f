#include "uDlgPickTopic.h"

#include "uDocModel.h"
#include "uQtText.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <vector>

namespace {
constexpr int IdRole = Qt::UserRole;
}

bool TfrmPickTopic::Execute(QWidget* AOwner, const TDocProject* AProject, std::string& ATopicID) {
    ATopicID.clear();
    if (!AProject)
        return false;
    TfrmPickTopic dialog(AOwner, *AProject);
    dialog.FillTree();
    if (dialog.exec() != QDialog::Accepted)
        return false;
    ATopicID = dialog.FSelectedID;
    return true;
}

TfrmPickTopic::TfrmPickTopic(QWidget* AOwner, const TDocProject& AProject) : QDialog(AOwner), FProject(AProject) {
    setObjectName("frmPickTopic");
    setWindowTitle("Select Topic");
    resize(414, 411);

    tvPick = new QTreeWidget(this);
    tvPick->setObjectName("tvPick");
    tvPick->setHeaderHidden(true);
    tvPick->setColumnCount(1);
    tvPick->setSelectionMode(QAbstractItemView::SingleSelection);
    tvPick->setAccessibleName("Topics");
    connect(tvPick, &QTreeWidget::itemDoubleClicked, this, [this] { tvPickDblClick(); });

    btnOK = new QPushButton("OK", this);
    btnOK->setObjectName("btnOK");
    btnOK->setDefault(true);
    connect(btnOK, &QPushButton::clicked, this, [this] { btnOKClick(); });
    btnCancel = new QPushButton("Cancel", this);
    btnCancel->setObjectName("btnCancel");
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(btnOK);
    buttons->addWidget(btnCancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(tvPick, 1);
    layout->addLayout(buttons);
}

void TfrmPickTopic::FillTree() {
    tvPick->setUpdatesEnabled(false);
    tvPick->clear();
    std::vector<QTreeWidgetItem*> parents;  // parents[d]: the last node added at depth d
    ForEachTopicInTocOrder(FProject, [&](const TTopic& ATopic, int ADepth) {
        parents.resize(size_t(ADepth));
        auto* item = ADepth == 0 ? new QTreeWidgetItem(tvPick) : new QTreeWidgetItem(parents.back());
        item->setText(0, ToQ(ATopic.Title()));
        item->setData(0, IdRole, ToQ(ATopic.ID()));
        parents.push_back(item);
        return true;
    });
    tvPick->expandAll();
    if (QTreeWidgetItem* first = tvPick->topLevelItem(0)) {
        tvPick->setCurrentItem(first);
        tvPick->scrollToItem(first);
    }
    tvPick->setUpdatesEnabled(true);
}

void TfrmPickTopic::btnOKClick() {
    QTreeWidgetItem* item = tvPick->currentItem();
    FSelectedID = item && item->isSelected() ? FromQ(item->data(0, IdRole).toString()) : std::string();
    if (FSelectedID.empty())
        reject();
    else
        accept();
}

void TfrmPickTopic::tvPickDblClick() {
    if (tvPick->currentItem())
        btnOKClick();
}
