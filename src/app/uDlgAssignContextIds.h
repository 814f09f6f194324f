// TdlgAssignContextIds: the modal "Assign Help Context IDs" dialog of Tools > Assign Help Context
// IDs.... The author chooses which missing values to give: aliases made from the titles, numbers,
// or both (the default). The assigning itself is AssignHelpContextIds in the core.
#pragma once

#include <QDialog>

class QCheckBox;
class QDialogButtonBox;

class TdlgAssignContextIds : public QDialog {
    Q_OBJECT

public:
    explicit TdlgAssignContextIds(QWidget* AOwner);

    bool Aliases() const;
    bool Numbers() const;

    QCheckBox* chkAliases = nullptr;
    QCheckBox* chkNumbers = nullptr;
    QDialogButtonBox* btnBox = nullptr;

private:
    void UpdateOk();
};
