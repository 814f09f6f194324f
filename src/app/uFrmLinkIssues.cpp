#include "uFrmLinkIssues.h"

#include "uAppInfo.h"
#include "uQtText.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>
#include <cmath>

TfrmLinkIssues::TfrmLinkIssues(const std::vector<TLinkIssue>& AIssues, const std::string& ANote, QWidget* AParent)
    : QDialog(AParent) {
    setObjectName("frmLinkIssues");
    setWindowTitle(QString(AppTitle) + " - Check Links");
    auto* layout = new QVBoxLayout(this);

    lblNote = new QLabel(ToQ(ANote), this);
    lblNote->setObjectName("lblNote");
    lblNote->setWordWrap(true);
    lblNote->setVisible(!ANote.empty());
    layout->addWidget(lblNote);

    lblIssues = new QLabel(QString("&Link issues (%1), choose one to select its topic:").arg(AIssues.size()), this);
    lblIssues->setObjectName("lblIssues");
    layout->addWidget(lblIssues);
    lstIssues = new QListWidget(this);
    lstIssues->setObjectName("lstIssues");
    lstIssues->setAccessibleName("Link issues");
    lblIssues->setBuddy(lstIssues);
    for (const TLinkIssue& issue : AIssues) {
        auto* item = new QListWidgetItem(ToQ(issue.TopicTitle + ": " + issue.Issue), lstIssues);
        item->setData(Qt::UserRole, ToQ(issue.TopicID));
    }
    layout->addWidget(lstIssues, 1);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::close);
    layout->addWidget(buttons);

    connect(lstIssues, &QListWidget::itemClicked, this, [this](QListWidgetItem* AItem) { Choose(AItem); });
    connect(lstIssues, &QListWidget::itemActivated, this, [this](QListWidgetItem* AItem) { Choose(AItem); });
    const double scale = logicalDpiX() / 96.0;
    resize(static_cast<int>(std::lround(640 * scale)), static_cast<int>(std::lround(360 * scale)));
}

void TfrmLinkIssues::Choose(QListWidgetItem* AItem) {
    if (AItem && OnChooseTopic)
        OnChooseTopic(FromQ(AItem->data(Qt::UserRole).toString()));
}
