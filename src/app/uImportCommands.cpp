#include "uImportCommands.h"

#include "uAppInfo.h"
#include "uAssetPaths.h"
#include "uEditorBridge.h"
#include "uHtmlImport.h"
#include "uMain.h"
#include "uUiPrompts.h"
#include "uUtils.h"

const char* const TImportCommands::ImageFilter = "Images (*.png *.jpg *.jpeg *.gif *.bmp *.webp)";
const char* const TImportCommands::HtmlFilter = "HTML files (*.html *.htm);;All files (*)";

std::optional<std::string> TImportCommands::CopyChosenPicture() {
    const std::optional<std::string> chosen = FPrompts.OpenFileName(ImageFilter, "");
    if (!chosen)
        return std::nullopt;
    TAssetReservation r;
    if (!ReserveImageAssetPath(FForm.Project().RootPath(), *chosen, r))
        return std::nullopt;
    CopyAssetFile(*chosen, r.DestinationPath);
    return r.RelativeAddress;
}

void TImportCommands::AddImage() {
    if (!FForm.EditorReady() || !FForm.Bridge())
        return;
    if (const auto address = CopyChosenPicture()) {
        FForm.Bridge()->ExecCommand("image", *address);
        FForm.RequestEditorFocus();
    }
}

void TImportCommands::ReplaceImage() {
    if (!FForm.EditorReady() || !FForm.Bridge())
        return;
    if (const auto address = CopyChosenPicture())
        FForm.Bridge()->ReplaceSelectedImage(*address);
}

void TImportCommands::ImportHtml() {
    const std::string root = FForm.Project().RootPath();
    if (root.empty() || FForm.CurrentTopicID().empty())
        return Inform("Please open or create a project and select a topic first.");
    if (!FForm.EditorReady() || !FForm.Bridge())
        return Inform("The editor is not ready yet.");
    const std::optional<std::string> chosen = FPrompts.OpenFileName(HtmlFilter, "html");
    if (!chosen || !FileExists(*chosen))
        return;
    const std::string fragment = BuildImportFragment(root, *chosen);
    if (Trim(fragment).empty())
        return Inform("The selected HTML file does not contain importable body content.");
    FForm.Bridge()->ExecCommand("insertHTML", fragment);
    FForm.MarkProjectDirty();
    FForm.ShowStatus("Inserted HTML: " + ExtractFileName(*chosen));
    FForm.RequestEditorFocus();
}

void TImportCommands::Inform(const char* AText) { FPrompts.ShowInfo(AppTitle, AText); }

// ---- the window's handlers ---------------------------------------------------------------------

void TfrmMain::btnImageClick() { TImportCommands(*this, FPrompts).AddImage(); }
void TfrmMain::btnReplaceImageClick() { TImportCommands(*this, FPrompts).ReplaceImage(); }
void TfrmMain::btnImportHTMLClick() { TImportCommands(*this, FPrompts).ImportHtml(); }
