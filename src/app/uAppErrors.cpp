#include "uAppErrors.h"

#include "uAppInfo.h"
#include "uUiPrompts.h"

#include <cstdio>
#include <exception>

std::string ErrorBoxText(const std::string& AMessage) {
    if (AMessage.empty())
        return AMessage;
    // Bytes of a multi-byte UTF-8 character are all above '.', as is the character itself.
    if (static_cast<unsigned char>(AMessage.back()) > static_cast<unsigned char>('.'))
        return AMessage + ".";
    return AMessage;
}

void ShowAppError(TUiPrompts& APrompts, const std::string& AMessage) {
    APrompts.ShowError(AppTitle, ErrorBoxText(AMessage));
}

namespace {

std::string CurrentExceptionMessage() {
    try {
        throw;
    } catch (const std::exception& e) {
        return e.what();
    } catch (...) {
        return "Unknown error";
    }
}

}  // namespace

bool RunGuarded(TUiPrompts& APrompts, const std::function<void()>& ACommand) {
    try {
        ACommand();
        return true;
    } catch (...) {
        ShowAppError(APrompts, CurrentExceptionMessage());
        return false;
    }
}

bool TPagewellApplication::notify(QObject* AReceiver, QEvent* AEvent) {
    try {
        return QApplication::notify(AReceiver, AEvent);
    } catch (...) {
        std::string message = CurrentExceptionMessage();
        if (FPrompts)
            ShowAppError(*FPrompts, message);
        else
            std::fprintf(stderr, "%s: %s\n", AppTitle, ErrorBoxText(message).c_str());
        return false;
    }
}
