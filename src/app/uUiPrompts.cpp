#include "uUiPrompts.h"

#include "uQtText.h"

#include <QDesktopServices>
#include <QFileDialog>
#include <QFileInfo>
#include <QInputDialog>
#include <QMessageBox>
#include <QUrl>

std::optional<std::string> TQtUiPrompts::OpenFileName(const std::string& AFilter, const std::string& ADefaultExt) {
    QFileDialog dlg(FParent);
    dlg.setAcceptMode(QFileDialog::AcceptOpen);
    dlg.setFileMode(QFileDialog::ExistingFile);
    dlg.setNameFilter(ToQ(AFilter));
    dlg.setDefaultSuffix(ToQ(ADefaultExt));
    if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty())
        return std::nullopt;
    return FromQ(dlg.selectedFiles().first());
}

std::optional<std::string> TQtUiPrompts::SaveFileName(const std::string& AFilter, const std::string& ADefaultExt,
                                                      const std::string& AProposedName) {
    QFileDialog dlg(FParent);
    dlg.setAcceptMode(QFileDialog::AcceptSave);
    dlg.setFileMode(QFileDialog::AnyFile);  // the folder must exist: the dialog only offers existing ones
    dlg.setNameFilter(ToQ(AFilter));
    dlg.setDefaultSuffix(ToQ(ADefaultExt));
    dlg.selectFile(ToQ(AProposedName));
    if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty())
        return std::nullopt;
    return FromQ(dlg.selectedFiles().first());
}

TConfirmAnswer TQtUiPrompts::ConfirmYesNoCancel(const std::string& ATitle, const std::string& AText) {
    auto r = QMessageBox::question(FParent, ToQ(ATitle), ToQ(AText),
                                   QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, QMessageBox::Yes);
    if (r == QMessageBox::Yes)
        return TConfirmAnswer::Yes;
    if (r == QMessageBox::Cancel)
        return TConfirmAnswer::Cancel;
    return TConfirmAnswer::No;
}

bool TQtUiPrompts::ConfirmYesNo(const std::string& ATitle, const std::string& AText) {
    return QMessageBox::warning(FParent, ToQ(ATitle), ToQ(AText), QMessageBox::Yes | QMessageBox::No,
                                QMessageBox::No) == QMessageBox::Yes;
}

std::optional<std::string> TQtUiPrompts::InputText(const std::string& ACaption, const std::string& APrompt,
                                                   const std::string& ADefault) {
    bool ok = false;
    QString text = QInputDialog::getText(FParent, ToQ(ACaption), ToQ(APrompt), QLineEdit::Normal, ToQ(ADefault), &ok);
    if (!ok)
        return std::nullopt;
    return FromQ(text);
}

void TQtUiPrompts::ShowError(const std::string& ATitle, const std::string& AText) {
    QMessageBox::critical(FParent, ToQ(ATitle), ToQ(AText));
}

void TQtUiPrompts::ShowInfo(const std::string& ATitle, const std::string& AText) {
    QMessageBox::information(FParent, ToQ(ATitle), ToQ(AText));
}

void TQtUiPrompts::ShowWarning(const std::string& ATitle, const std::string& AText) {
    QMessageBox::warning(FParent, ToQ(ATitle), ToQ(AText));
}

void TQtUiPrompts::ShellOpen(const std::string& AUrlOrFile) {
    QString target = ToQ(AUrlOrFile);
    QUrl url = QFileInfo::exists(target) ? QUrl::fromLocalFile(target) : QUrl(target);
    QDesktopServices::openUrl(url);
}

void TQtUiPrompts::ShellExplore(const std::string& AFolder) {
    QDesktopServices::openUrl(QUrl::fromLocalFile(ToQ(AFolder)));
}
