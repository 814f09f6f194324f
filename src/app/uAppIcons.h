// The line icons of the main window's buttons, drawn in code so the program ships no image files.
#pragma once

#include <QIcon>

enum class TAppIconKind { NewProject, OpenProject, Save, Settings, NewRootTopic, NewChildTopic, DeleteTopic, Reusable, Application };

// An icon of ASize logical pixels (drawn at twice that for high-density screens), with a
// greyed-out form for the disabled state.
QIcon AppIcon(TAppIconKind AKind, int ASize = 20);
