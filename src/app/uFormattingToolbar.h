// TFormattingToolbar: the controls of the formatting toolbar above the editor, their lists and
// their layout over two panels (the second shown only when the first is too narrow).
//
// The controls are created in the first panel and keep their names; the window connects them to
// its handlers (thin code over the editor bridge) and shows the caret's style with Show. The
// toolbar lays itself out again whenever the first panel changes size. The panels are not owned.
//
// Controls in layout order, with the groups that wrap together:
//   btnBold btnItalic btnUnderline | btnUL btnOL | btnAlignLeft btnAlignCenter btnAlignRight |
//   btnLink btnTopicLink btnImage btnReplaceImage btnInsertTable btnTableDropdownMenu btnImportHTML |
//   [VirtualImage1 cmbLineSpacing] [VirtualImage2 cbTextColor] [VirtualImage3 cmbHeading]
//   [VirtualImage5 cmbTextFont] [VirtualImage4 cmbFontSize]
// Every control carries its hint as tooltip and accessible name.
#pragma once

#include "uToolbarSync.h"

#include <QObject>
#include <QStringList>

#include <vector>

class QButtonGroup;
class QComboBox;
class QFrame;
class QLabel;
class QMenu;
class QToolButton;
class QWidget;
class TColorBox;

class TFormattingToolbar : public QObject {
    Q_OBJECT

public:
    static constexpr int PanelHeight = 49;
    static const QStringList& LineSpacingItems();
    static const QStringList& FontSizeItems();
    static const QStringList& HeadingItems();
    // The installed fonts, sorted, each once.
    static QStringList InstalledFontNames();

    TFormattingToolbar(QWidget* APanel, QWidget* APanel2, QObject* AParent = nullptr);

    // Fills the four lists (font names, line spacing, sizes, headings), selects black and puts
    // the left-alignment button down.
    void Init();
    // Arranges the controls in one or two rows.
    void Layout();

    // Refills the size list; the box then shows "14" (or its first entry).
    void FillFontSizes();
    void ShowFontSize(const TBoxText& AText);
    // A text that matches no entry selects the entry of the same value ("2" selects "2.0"), or
    // else shows greyed in the empty box.
    void ShowLineSpacing(const TBoxText& AText);
    QString LineSpacingText() const;
    QString SelectedLineSpacingCaption() const;
    void SetAlignDown(TTextAlign AAlign);
    TTextAlign AlignDown() const;
    // Selects the first font equal to AName ignoring case; false (selection unchanged) when none.
    bool SelectFont(const QString& AName);

    // What the caret rules need to know of the controls, and showing their answer.
    TToolbarControls ControlsState() const;
    void Show(const TToolbarShow& AShow);

    // Opens TableDropdownMenu, rebuilt with its four items (tags 1 to 4), below the arrow button.
    void PopupTableMenu();

    // The 29 controls in layout order and the groups of indices that wrap together.
    const std::vector<QWidget*>& Controls() const { return FControls; }
    static const std::vector<std::vector<int>>& Groups();

    QToolButton* btnBold = nullptr;
    QToolButton* btnItalic = nullptr;
    QToolButton* btnUnderline = nullptr;
    QFrame* Bevel1 = nullptr;
    QToolButton* btnUL = nullptr;
    QToolButton* btnOL = nullptr;
    QFrame* Bevel2 = nullptr;
    QToolButton* btnAlignLeft = nullptr;
    QToolButton* btnAlignCenter = nullptr;
    QToolButton* btnAlignRight = nullptr;
    QFrame* Bevel3 = nullptr;
    QToolButton* btnLink = nullptr;
    QToolButton* btnTopicLink = nullptr;
    QToolButton* btnImage = nullptr;         // Add Image (uImportCommands)
    QToolButton* btnReplaceImage = nullptr;  // Replace Image (uImportCommands)
    QToolButton* btnInsertTable = nullptr;
    QToolButton* btnTableDropdownMenu = nullptr;
    QToolButton* btnImportHTML = nullptr;    // Add HTML (uImportCommands)
    QFrame* Bevel4 = nullptr;
    QLabel* VirtualImage1 = nullptr;
    QComboBox* cmbLineSpacing = nullptr;
    QLabel* VirtualImage2 = nullptr;
    TColorBox* cbTextColor = nullptr;
    QLabel* VirtualImage3 = nullptr;
    QComboBox* cmbHeading = nullptr;
    QLabel* VirtualImage5 = nullptr;
    QComboBox* cmbTextFont = nullptr;
    QLabel* VirtualImage4 = nullptr;
    QComboBox* cmbFontSize = nullptr;
    QMenu* TableDropdownMenu = nullptr;

signals:
    // Enter in the size or line-spacing box (the key goes no further).
    void fontSizeEntered();
    void lineSpacingEntered();
    // A table menu item was chosen.
    void tableMenuItemChosen(int ATag);

protected:
    bool eventFilter(QObject* AWatched, QEvent* AEvent) override;

private:
    struct TMargins {
        int Left = 0, Top = 0, Right = 0, Bottom = 0;
    };
    QToolButton* NewButton(const char* AName, const char* AHint, int AIconKind, bool ACheckable);
    QFrame* NewBevel(const char* AName);
    QLabel* NewIcon(const char* AName, const char* AHint, int AIconKind);
    QComboBox* NewBox(const char* AName, const char* AAccessibleName, int AWidth, bool AEditable);
    void Add(QWidget* AControl, TMargins AMargins);
    int OuterWidth(int AIndex) const;
    void PlaceInto(QWidget* APanel, int AFrom, int ATo);

    QWidget* FPanel;
    QWidget* FPanel2;
    QButtonGroup* FAlignGroup = nullptr;
    QObject* FFontSizeEdit = nullptr;
    std::vector<QWidget*> FControls;
    std::vector<TMargins> FMargins;
};
