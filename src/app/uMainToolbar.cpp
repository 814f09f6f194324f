// TfrmMain: the thin handlers between the formatting toolbar (TFormattingToolbar, which owns the
// controls) and the editor bridge, the caret following the toolbar through TToolbarSync, the
// project settings shown in the toolbar, the Edit menu and Create Topic Link.
#include "uMain.h"

#include "uAppErrors.h"
#include "uColorBox.h"
#include "uDlgPickTopic.h"
#include "uEditorBridge.h"
#include "uFormattingToolbar.h"
#include "uQtText.h"
#include "uUiPrompts.h"
#include "uUtils.h"

#include <QComboBox>
#include <QToolButton>
#include <QTreeWidget>

// ---- set-up ---------------------------------------------------------------------------------

void TfrmMain::InitFormattingToolbar() {
    if (!Toolbar) {
        Toolbar = new TFormattingToolbar(pnlToolbar, pnlToolbar2, this);
        BindToolbar();
    }
    {
        TToolbarSync::TUpdatingScope updating(FToolbarSync);
        Toolbar->Init();
    }
    FActiveArea = "body";
    // The settings were loaded before the toolbar existed.
    if (FSettings)
        SyncToolbarFromSettings();
}

void TfrmMain::BindToolbar() {
    TFormattingToolbar& t = *Toolbar;
    BindButton(t.btnBold, &TfrmMain::btnBoldClick, true);
    BindButton(t.btnItalic, &TfrmMain::btnItalicClick, true);
    BindButton(t.btnUnderline, &TfrmMain::btnUnderlineClick, true);
    BindButton(t.btnUL, &TfrmMain::btnULClick, true);
    BindButton(t.btnOL, &TfrmMain::btnOLClick, true);
    BindButton(t.btnAlignLeft, &TfrmMain::btnAlignLeftClick, true);
    BindButton(t.btnAlignCenter, &TfrmMain::btnAlignCenterClick, true);
    BindButton(t.btnAlignRight, &TfrmMain::btnAlignRightClick, true);
    BindButton(t.btnLink, &TfrmMain::btnLinkClick, true);
    BindButton(t.btnTopicLink, &TfrmMain::btnTopicLinkClick, true);
    BindButton(t.btnInsertTable, &TfrmMain::btnInsertTableClick, true);
    BindButton(t.btnTableDropdownMenu, &TfrmMain::btnTableDropdownMenuClick, true);
    BindButton(t.btnImage, &TfrmMain::btnImageClick, true);
    BindButton(t.btnReplaceImage, &TfrmMain::btnReplaceImageClick, true);
    BindButton(t.btnImportHTML, &TfrmMain::btnImportHTMLClick, true);
    connect(&t, &TFormattingToolbar::tableMenuItemChosen, this,
            [this](int ATag) { RunGuarded(FPrompts, [&] { TableDropdownMenuItemClick(ATag); }); });
    connect(t.cmbHeading, &QComboBox::activated, this, [this] { Guarded(&TfrmMain::cmbHeadingChange); });
    connect(t.cmbTextFont, &QComboBox::activated, this, [this] { Guarded(&TfrmMain::cmbTextFontChange); });
    connect(t.cmbFontSize, &QComboBox::activated, this, [this] { Guarded(&TfrmMain::cmbFontSizeSelect); });
    connect(&t, &TFormattingToolbar::fontSizeEntered, this, [this] { Guarded(&TfrmMain::cmbFontSizeEnter); });
    connect(t.cmbLineSpacing, &QComboBox::activated, this, [this] { Guarded(&TfrmMain::cmbLineSpacingChange); });
    connect(&t, &TFormattingToolbar::lineSpacingEntered, this, [this] { Guarded(&TfrmMain::cmbLineSpacingEnter); });
    connect(t.cbTextColor, &TColorBox::colorChosen, this, [this] { Guarded(&TfrmMain::cbTextColorChange); });
}

void TfrmMain::LayoutToolbar() {
    if (Toolbar)
        Toolbar->Layout();
}

// ---- settings -------------------------------------------------------------------------------

void TfrmMain::SyncToolbarFromSettings() {
    const TProjectSettings& s = *FSettings;
    if (Toolbar) {
        TToolbarSync::TUpdatingScope updating(FToolbarSync);
        const TFormattingToolbar& t = *Toolbar;
        t.cbTextColor->Select(s.DefaultTextColor);
        Toolbar->SelectFont(ToQ(s.DefaultFontName));
        const TToolbarControls controls = t.ControlsState();
        Toolbar->ShowFontSize(TToolbarSync::SizeBoxText(s.FontSizeBody, controls.FontSize.Items));
        Toolbar->ShowLineSpacing(
            TToolbarSync::LineSpacingBoxText(FormatLineSpacing(s.DefaultLineSpacing), controls.LineSpacing.Items));
    }
    QFont treeFont = tvToc->font();
    if (s.TocTextSize > 0)
        treeFont.setPointSize(s.TocTextSize);
    tvToc->setFont(treeFont);
    QPalette treePalette = tvToc->palette();
    treePalette.setColor(QPalette::Text, ToQColor(s.TocTextColor));
    tvToc->setPalette(treePalette);
    QPalette leftPalette = pnlLeft->palette();
    leftPalette.setColor(QPalette::Window, ToQColor(s.DefaultPageBgColor));
    pnlLeft->setPalette(leftPalette);
    pnlLeft->setAutoFillBackground(true);
    // The project title a user sees always comes from the settings.
    FProject->SetTitle(s.ProjTitle);
}

// ---- following the caret --------------------------------------------------------------------

void TfrmMain::ApplyCursorStyle(const TEditorCursorStyle& S) {
    if (!Toolbar)
        return;
    const std::optional<TToolbarShow> show = FToolbarSync.Follow(S, Toolbar->ControlsState());
    if (!show)
        return;  // the window is changing the toolbar itself
    TToolbarSync::TUpdatingScope updating(FToolbarSync);
    FActiveArea = S.Area;
    Toolbar->Show(*show);
}

// ---- commands -------------------------------------------------------------------------------

bool TfrmMain::ToolbarCommandAllowed(bool AUnlessUpdating) const {
    return FEditorReady && FBridge && Toolbar && !(AUnlessUpdating && FToolbarSync.Updating());
}

void TfrmMain::SendStyleCommand(const char* ACmd) {
    if (!ToolbarCommandAllowed(false))
        return;
    FToolbarSync.StyleClicked();
    FBridge->ExecCommand(ACmd, "");
    RequestEditorFocus();
}

void TfrmMain::btnBoldClick() { SendStyleCommand("bold"); }
void TfrmMain::btnItalicClick() { SendStyleCommand("italic"); }
void TfrmMain::btnUnderlineClick() { SendStyleCommand("underline"); }
void TfrmMain::btnULClick() { SendStyleCommand("ul"); }
void TfrmMain::btnOLClick() { SendStyleCommand("ol"); }

void TfrmMain::SendAlign(TTextAlign AAlign) {
    if (!ToolbarCommandAllowed(true))
        return;
    {
        TToolbarSync::TUpdatingScope updating(FToolbarSync);
        Toolbar->SetAlignDown(AAlign);
    }
    FBridge->SetAlign(AAlign);
    RequestEditorFocus();
}

void TfrmMain::btnAlignLeftClick() { SendAlign(TTextAlign::taLeft); }
void TfrmMain::btnAlignCenterClick() { SendAlign(TTextAlign::taCenter); }
void TfrmMain::btnAlignRightClick() { SendAlign(TTextAlign::taRight); }

void TfrmMain::btnLinkClick() {
    const std::optional<std::string> url = FPrompts.InputText("Insert Link", "URL:", "https://");
    if (url && FBridge)
        FBridge->ExecCommand("link", *url);
}

void TfrmMain::btnTopicLinkClick() {
    std::string id;
    if (!TfrmPickTopic::Execute(this, FProject.get(), id) || id.empty() || !FProject->HasTopic(id))
        return;
    if (!FBridge)
        return;
    // Sent as the author's own change, whether or not the page has said it is ready.
    FBridge->ExecCommand("topicLink", TopicLinkArg(id, FProject->GetTopic(id).Title()));
    RequestEditorFocus();
}

void TfrmMain::btnInsertTableClick() {
    if (!ToolbarCommandAllowed(false))
        return;
    const std::optional<std::string> text = FPrompts.InputText("Insert Table", "Rows,Cols", "2,2");
    if (!text)
        return;
    const TTableSizeText size = ReadTableSizeText(*text);
    if (!size.HasComma)
        return;
    if (size.Valid())
        FBridge->InsertTable(size.Rows, size.Cols);
    RequestEditorFocus();
}

void TfrmMain::btnTableDropdownMenuClick() {
    if (Toolbar)
        Toolbar->PopupTableMenu();
}

void TfrmMain::TableDropdownMenuItemClick(int ATag) {
    static const char* const kCmds[] = {"insertTableRowAfter", "removeTableRow", "insertTableColumnAfter",
                                        "removeTableColumn"};
    if (!ToolbarCommandAllowed(false))
        return;
    if (ATag >= 1 && ATag <= 4)
        FBridge->ExecCommand(kCmds[ATag - 1], "");
    RequestEditorFocus();
}

void TfrmMain::cmbHeadingChange() {
    if (!ToolbarCommandAllowed(true) || Toolbar->cmbHeading->currentIndex() < 0)
        return;
    const TProjectSettings& s = *FSettings;
    const std::optional<THeadingCommand> heading = FToolbarSync.ChooseHeading(
        Toolbar->cmbHeading->currentIndex(), THeadingSizes{s.FontSizeBody, s.FontSizeH1, s.FontSizeH2, s.FontSizeH3});
    if (!heading)
        return;
    FBridge->ExecCommand(heading->Cmd, "");
    {
        TToolbarSync::TUpdatingScope updating(FToolbarSync);
        Toolbar->ShowFontSize(TToolbarSync::SizeBoxText(heading->FontSizePx, Toolbar->ControlsState().FontSize.Items));
    }
    FBridge->SetFontSizePx(heading->FontSizePx);
    RequestEditorFocus();
}

void TfrmMain::cmbTextFontChange() {
    if (!ToolbarCommandAllowed(true) || Toolbar->cmbTextFont->currentIndex() < 0)
        return;
    const std::optional<std::string> name = FToolbarSync.ChooseFont(FromQ(Toolbar->cmbTextFont->currentText()));
    if (!name)
        return;
    {
        // The size box shows "14" until the page reports the size at the caret.
        TToolbarSync::TUpdatingScope updating(FToolbarSync);
        Toolbar->FillFontSizes();
    }
    FBridge->SetFontName(*name);
    RequestEditorFocus();
}

void TfrmMain::ApplyFontSize() {
    if (const std::optional<int> px = FToolbarSync.ApplyFontSizeText(FromQ(Toolbar->cmbFontSize->currentText())))
        FBridge->SetFontSizePx(*px);
}

void TfrmMain::cmbFontSizeSelect() {
    if (!ToolbarCommandAllowed(true) || Toolbar->cmbFontSize->currentIndex() < 0)
        return;
    ApplyFontSize();
    RequestEditorFocus();
}

void TfrmMain::cmbFontSizeEnter() {
    if (!ToolbarCommandAllowed(true))
        return;
    ApplyFontSize();
    RequestEditorFocus();
}

void TfrmMain::ApplyLineSpacing() {
    if (const std::optional<double> value = FToolbarSync.ApplyLineSpacingText(
            FromQ(Toolbar->LineSpacingText()), FromQ(Toolbar->SelectedLineSpacingCaption())))
        FBridge->SetLineSpacing(*value);
}

void TfrmMain::cmbLineSpacingChange() {
    if (!ToolbarCommandAllowed(true) || Toolbar->cmbLineSpacing->currentIndex() < 0)
        return;
    ApplyLineSpacing();
    RequestEditorFocus();
}

void TfrmMain::cmbLineSpacingEnter() {
    if (!ToolbarCommandAllowed(true))
        return;
    ApplyLineSpacing();
    RequestEditorFocus();
}

void TfrmMain::cbTextColorChange() {
    if (!ToolbarCommandAllowed(true))
        return;
    FBridge->SetTextColor(FToolbarSync.ChooseTextColor(Toolbar->cbTextColor->Selected()));
    RequestEditorFocus();
}

// ---- Edit menu: the page keeps its own history and clipboard handling -------------------------

void TfrmMain::SendEditCommand(const char* ACmd, bool AFocus) {
    if (FBridge)
        FBridge->ExecCommand(ACmd, "");
    if (AFocus)
        RequestEditorFocus();
}

void TfrmMain::Undo1Click() { SendEditCommand("undo", true); }
void TfrmMain::Redo1Click() { SendEditCommand("redo", true); }
void TfrmMain::Cut1Click() { SendEditCommand("cut", true); }
void TfrmMain::Copy1Click() { SendEditCommand("copy", true); }
void TfrmMain::Paste1Click() { SendEditCommand("paste", false); }
void TfrmMain::Delete1Click() { SendEditCommand("delete", true); }
void TfrmMain::SelectAll1Click() { SendEditCommand("selectAll", true); }
