// Meeting a modal dialog in a desktop test: the command that opens it runs its own event loop,
// so the test acts on the dialog from a timer that looks for it every 20 ms until it shows.
#pragma once

#include <QApplication>
#include <QTimer>
#include <QWidget>

#include <functional>

// Runs ARun, which opens a modal dialog of type TDialog; AStep acts on that dialog once it shows
// and must close it (ARun does not return before). Returns whether the dialog came. A dialog that
// shows late is still met, and one of another type (a progress dialog first) is passed over.
template <class TDialog>
bool WithModalDialog(const std::function<void(TDialog&)>& AStep, const std::function<void()>& ARun) {
    bool seen = false;
    QTimer timer;
    timer.setInterval(20);
    QObject::connect(&timer, &QTimer::timeout, [&] {
        if (auto* dialog = qobject_cast<TDialog*>(QApplication::activeModalWidget())) {
            timer.stop();
            seen = true;
            AStep(*dialog);
        }
    });
    timer.start();
    ARun();
    return seen;
}
