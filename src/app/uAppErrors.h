// The application's general error display: an error that escapes a command is shown in one modal
// box with the application title, an error icon and the message, and the window keeps running.
#pragma once

#include <QApplication>
#include <functional>
#include <string>

class TUiPrompts;

// The message as the error box shows it: a full stop is added when the last character's code is
// above that of the full stop (so "Saved" and "Why?" get one, "Done." and "Stop!" do not). Empty stays empty.
std::string ErrorBoxText(const std::string& AMessage);

// Shows AMessage in the application's error box through APrompts.
void ShowAppError(TUiPrompts& APrompts, const std::string& AMessage);

// Runs ACommand; any exception that escapes it is shown with ShowAppError. Returns false when the
// command ended with an error.
bool RunGuarded(TUiPrompts& APrompts, const std::function<void()>& ACommand);

// The QApplication of the desktop program. Commands are guarded one by one; this is the last
// line for an error thrown from any other event handler: it is shown through the prompts set
// with SetErrorPrompts (or written to stderr when none are set) and the event loop goes on.
class TPagewellApplication : public QApplication {
public:
    TPagewellApplication(int& argc, char** argv) : QApplication(argc, argv) {}
    bool notify(QObject* AReceiver, QEvent* AEvent) override;
    void SetErrorPrompts(TUiPrompts* APrompts) { FPrompts = APrompts; }

private:
    TUiPrompts* FPrompts = nullptr;
};
