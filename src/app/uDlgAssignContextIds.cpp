#include "uDlgAssignContextIds.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

TdlgAssignContextIds::TdlgAssignContextIds(QWidget* AOwner) : QDialog(AOwner) {
    setObjectName("dlgAssignContextIds");
    setWindowTitle("Assign Help Context IDs");
    auto* layout = new QVBoxLayout(this);
    auto* intro = new QLabel("Give every topic the values it is missing, in the order of the contents. "
                             "Values the topics have are kept.", this);
    intro->setWordWrap(true);
    chkAliases = new QCheckBox("Help aliases, made from the titles", this);
    chkAliases->setObjectName("chkAliases");
    chkAliases->setChecked(true);
    chkNumbers = new QCheckBox("Help context numbers, in steps of 10 after the largest in use (topics with an alias)", this);
    chkNumbers->setObjectName("chkNumbers");
    chkNumbers->setChecked(true);
    btnBox = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    btnBox->button(QDialogButtonBox::Ok)->setText("Assign");
    layout->addWidget(intro);
    layout->addWidget(chkAliases);
    layout->addWidget(chkNumbers);
    layout->addWidget(btnBox);
    connect(btnBox, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(btnBox, &QDialogButtonBox::rejected, this, &QDialog::reject);
    for (QCheckBox* c : {chkAliases, chkNumbers})
        connect(c, &QCheckBox::toggled, this, [this] { UpdateOk(); });
    chkAliases->setFocus();
}

bool TdlgAssignContextIds::Aliases() const { return chkAliases->isChecked(); }
bool TdlgAssignContextIds::Numbers() const { return chkNumbers->isChecked(); }

void TdlgAssignContextIds::UpdateOk() {
    btnBox->button(QDialogButtonBox::Ok)->setEnabled(Aliases() || Numbers());
}
