// TfrmMain: the Variables, Snippets, Conditions command. The dialog (uFrmReusableContent) edits
// the grids; this handler loads the store, saves it after any result but Cancel and inserts the
// token of an insert button at the editor's caret.
#include "uMain.h"

#include "uAppInfo.h"
#include "uEditorBridge.h"
#include "uFrmReusableContent.h"
#include "uHtmlUtils.h"
#include "uReusableContent.h"
#include "uUiPrompts.h"

void TfrmMain::btnVariablesConditionsSnippetsClick() {
    if (!FProject || FProject->RootPath().empty())
        return;
    RequestHtmlAndWait(500);

    // A file that fails to load stops the command before the dialog shows.
    TReusableProjectContent store;
    store.LoadFromProject(*FProject);
    TfrmReusableContent dlg(this);
    dlg.LoadFrom(store);
    const int result = dlg.exec();
    if (result == QDialog::Rejected)
        return;

    dlg.ReadInto(store);
    store.SaveToProject(*FProject);
    MarkProjectDirty();
    if (!FCurrentTopicID.empty() && FEditorReady)
        RequestHtmlAndWait(600);

    // The name is read from the grid of the button's own kind, whichever tab was shown last.
    const auto insertNamed = [&](TfrmReusableContent::TKind AKind, std::string (*AMakeToken)(std::string_view),
                                 const char* AWhat) {
        const std::string name = dlg.CurrentName(AKind);
        if (name.empty())
            FPrompts.ShowInfo(AppTitle, std::string("Select or enter a ") + AWhat + " name first.");
        else
            InsertTokenIntoEditor(AMakeToken(name));
    };
    switch (result) {
    case TfrmReusableContent::mrInsertVariable:
        insertNamed(TfrmReusableContent::rkVariables, &MakeVariableToken, "variable");
        break;
    case TfrmReusableContent::mrInsertSnippet:
        insertNamed(TfrmReusableContent::rkSnippets, &MakeSnippetToken, "snippet");
        break;
    case TfrmReusableContent::mrInsertBeginCondition:
        insertNamed(TfrmReusableContent::rkConditions, &MakeBeginConditionToken, "condition");
        break;
    case TfrmReusableContent::mrInsertEndCondition:
        InsertTokenIntoEditor(HtmlEncodeEntities("{endcond}"));
        break;
    default:
        break;
    }
}

void TfrmMain::InsertTokenIntoEditor(const std::string& AToken) {
    if (AToken.empty() || !FEditorReady || !FBridge)
        return;
    FBridge->ExecCommand("insertHTML", AToken);
    RequestEditorFocus();
}
