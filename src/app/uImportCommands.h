// Add Image, Replace Image and Add HTML: the window commands that bring outside files into the
// topic being edited. Pictures are copied into the project's assets/images folder under a free
// name; a whole HTML document brings its style sheets, pictures, fonts and media along
// (uHtmlImport.h) and is inserted at the caret as one fragment.
//
// Made for one command and dropped; it keeps no state. Errors (a failed copy, a malformed "%"
// escape in the document) are raised to the caller, which shows them in the window's error box;
// files copied before the error stay in the project.
#pragma once

#include <optional>
#include <string>

class TfrmMain;
class TUiPrompts;

class TImportCommands {
public:
    TImportCommands(TfrmMain& AForm, TUiPrompts& APrompts) : FForm(AForm), FPrompts(APrompts) {}

    // Only with the editor ready: a chosen picture is copied and inserted at the caret; the
    // keyboard focus returns to the editor.
    void AddImage();
    // Only with the editor ready: a chosen picture is copied and replaces the selected one.
    void ReplaceImage();
    // A chosen HTML document is imported and its fragment inserted at the caret; the project is
    // marked modified and the status bar names the file.
    void ImportHtml();

    // The open-file filters of the commands.
    static const char* const ImageFilter;
    static const char* const HtmlFilter;

private:
    // Asks for a picture and copies it into assets/images; its address, or nothing when the
    // dialog was cancelled or the project has no root.
    std::optional<std::string> CopyChosenPicture();
    void Inform(const char* AText);

    TfrmMain& FForm;
    TUiPrompts& FPrompts;
};
