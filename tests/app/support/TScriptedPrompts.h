// A scripted TUiPrompts for the desktop tests: each question takes the next scripted answer of
// its kind and every call is recorded. A question without a scripted answer is recorded as
// unexpected and answered as cancelled, so a test never blocks on a dialog.
#pragma once

#include "uUiPrompts.h"

#include <deque>
#include <optional>
#include <string>
#include <vector>

class TScriptedPrompts : public TUiPrompts {
public:
    std::deque<std::optional<std::string>> OpenAnswers;
    std::deque<std::optional<std::string>> SaveAnswers;
    std::deque<TConfirmAnswer> ConfirmAnswers;
    std::deque<bool> YesNoAnswers;
    std::deque<std::optional<std::string>> InputAnswers;

    std::vector<std::string> Errors;      // texts of the error boxes
    std::vector<std::string> ErrorTitles;
    std::vector<std::string> Infos;
    std::vector<std::string> Confirmations;
    std::vector<std::string> SaveProposals;  // proposed names of the save dialogs
    std::vector<std::string> Opened;
    std::vector<std::string> Explored;
    std::vector<std::string> Unexpected;

    std::optional<std::string> OpenFileName(const std::string& AFilter, const std::string&) override {
        return Take(OpenAnswers, "open dialog " + AFilter, std::optional<std::string>());
    }
    std::optional<std::string> SaveFileName(const std::string& AFilter, const std::string&,
                                            const std::string& AProposedName) override {
        SaveProposals.push_back(AProposedName);
        return Take(SaveAnswers, "save dialog " + AFilter, std::optional<std::string>());
    }
    TConfirmAnswer ConfirmYesNoCancel(const std::string&, const std::string& AText) override {
        Confirmations.push_back(AText);
        return Take(ConfirmAnswers, "confirmation " + AText, TConfirmAnswer::Cancel);
    }
    bool ConfirmYesNo(const std::string&, const std::string& AText) override {
        Confirmations.push_back(AText);
        return Take(YesNoAnswers, "yes/no " + AText, false);
    }
    std::optional<std::string> InputText(const std::string& ACaption, const std::string&, const std::string&) override {
        return Take(InputAnswers, "input " + ACaption, std::optional<std::string>());
    }
    void ShowError(const std::string& ATitle, const std::string& AText) override {
        ErrorTitles.push_back(ATitle);
        Errors.push_back(AText);
    }
    void ShowInfo(const std::string&, const std::string& AText) override { Infos.push_back(AText); }
    void ShellOpen(const std::string& AUrlOrFile) override { Opened.push_back(AUrlOrFile); }
    void ShellExplore(const std::string& AFolder) override { Explored.push_back(AFolder); }

private:
    template <class T>
    T Take(std::deque<T>& AQueue, const std::string& AWhat, T ADefault) {
        if (AQueue.empty()) {
            Unexpected.push_back(AWhat);
            return ADefault;
        }
        T v = AQueue.front();
        AQueue.pop_front();
        return v;
    }
};
