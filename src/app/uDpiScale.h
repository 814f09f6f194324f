// Pixel sizes of the dialogs built in code are given at 96 dots per inch and scaled by the
// widget's current dots per inch (96 when it reports less than 1).
#pragma once

#include <QWidget>
#include <cmath>

inline int DpiOf(const QWidget* AWidget) {
    const int dpi = AWidget ? AWidget->logicalDpiX() : 96;
    return dpi < 1 ? 96 : dpi;
}

// n x dpi / 96, to the nearest integer.
inline int ScaleAt96(const QWidget* AWidget, double AValue) {
    return static_cast<int>(std::lround(AValue * DpiOf(AWidget) / 96.0));
}
