// Every modal question the desktop shell asks (file dialogs, confirmations, input boxes, message
// boxes) and every hand-over to the desktop ("open" a file or web address, "explore" a folder)
// goes through TUiPrompts, so tests answer them from a script and a headless run never blocks.
// TQtUiPrompts is the real implementation; the window does not own the prompts it is given.
#pragma once

#include <optional>
#include <string>

class QWidget;

// Answers of a Yes / No / Cancel confirmation. Closing the box counts as No, as on the desktop.
enum class TConfirmAnswer { Yes, No, Cancel };

class TUiPrompts {
public:
    virtual ~TUiPrompts() = default;

    // Open-file dialog for an existing file; AFilter is "Description (*.ext)", ADefaultExt
    // without the dot. Returns the chosen path, or nothing when cancelled.
    virtual std::optional<std::string> OpenFileName(const std::string& AFilter, const std::string& ADefaultExt) = 0;
    // Save-file dialog that asks before overwriting and requires an existing folder, proposing
    // AProposedName. Returns the chosen path, or nothing when cancelled.
    virtual std::optional<std::string> SaveFileName(const std::string& AFilter, const std::string& ADefaultExt,
                                                    const std::string& AProposedName) = 0;
    // Question box with Yes, No and Cancel.
    virtual TConfirmAnswer ConfirmYesNoCancel(const std::string& ATitle, const std::string& AText) = 0;
    // Warning box with Yes and No; true for Yes.
    virtual bool ConfirmYesNo(const std::string& ATitle, const std::string& AText) = 0;
    // One-line input box; nothing when cancelled.
    virtual std::optional<std::string> InputText(const std::string& ACaption, const std::string& APrompt,
                                                 const std::string& ADefault) = 0;
    // Error box (error icon, OK) and information box (information icon, OK).
    virtual void ShowError(const std::string& ATitle, const std::string& AText) = 0;
    virtual void ShowInfo(const std::string& ATitle, const std::string& AText) = 0;
    // Warning box (warning icon, OK); prompts without one of their own show it as information.
    virtual void ShowWarning(const std::string& ATitle, const std::string& AText) { ShowInfo(ATitle, AText); }

    // The desktop's "open" (a web address or a file) and "explore" (a folder in a file manager).
    virtual void ShellOpen(const std::string& AUrlOrFile) = 0;
    virtual void ShellExplore(const std::string& AFolder) = 0;
};

// Qt dialogs and QDesktopServices, parented to AParent (may be null).
class TQtUiPrompts : public TUiPrompts {
public:
    explicit TQtUiPrompts(QWidget* AParent = nullptr) : FParent(AParent) {}
    void SetParent(QWidget* AParent) { FParent = AParent; }

    std::optional<std::string> OpenFileName(const std::string& AFilter, const std::string& ADefaultExt) override;
    std::optional<std::string> SaveFileName(const std::string& AFilter, const std::string& ADefaultExt,
                                            const std::string& AProposedName) override;
    TConfirmAnswer ConfirmYesNoCancel(const std::string& ATitle, const std::string& AText) override;
    bool ConfirmYesNo(const std::string& ATitle, const std::string& AText) override;
    std::optional<std::string> InputText(const std::string& ACaption, const std::string& APrompt,
                                         const std::string& ADefault) override;
    void ShowError(const std::string& ATitle, const std::string& AText) override;
    void ShowInfo(const std::string& ATitle, const std::string& AText) override;
    void ShowWarning(const std::string& ATitle, const std::string& AText) override;
    void ShellOpen(const std::string& AUrlOrFile) override;
    void ShellExplore(const std::string& AFolder) override;

private:
    QWidget* FParent;
};
