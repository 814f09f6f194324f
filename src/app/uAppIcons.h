// The line icons of the main window's buttons, drawn in code so the program ships no image files.
#pragma once

#include <QColor>
#include <QIcon>

#include <functional>

class QPainter;

enum class TAppIconKind { NewProject, OpenProject, Save, Settings, NewRootTopic, NewChildTopic, DeleteTopic, Reusable, Application };

// An icon of ASize logical pixels (drawn at twice that for high-density screens), with a
// greyed-out form for the disabled state.
QIcon AppIcon(TAppIconKind AKind, int ASize = 20);

// The inks of one state of a line icon (the disabled state draws all three in grey).
struct TIconInks {
    QColor Ink, Accent, Danger;
};
// Draws a glyph on a 24 x 24 grid with antialiasing and no brush.
using TGlyphPainter = std::function<void(QPainter& APainter, const TIconInks& AInks)>;

// A line icon of ASize logical pixels drawn by ADraw, in the same form as AppIcon's.
QIcon LineIcon(const TGlyphPainter& ADraw, int ASize = 20);
