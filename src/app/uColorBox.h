// TColorBox: a drop-down list of named colours with swatches, for the toolbar's text colour and
// the settings dialog's colour fields.
//
// The list holds the standard colours, the extended ones, the system colours (negative colour
// values, drawn with their current red, green and blue) and, last, the entry "Custom..." that
// asks for any colour. A colour that is not in the list and is selected from code, or chosen
// through "Custom...", gets an entry of its own named by its colour text ("#1A2B3C").
//
// colorChosen is emitted only for a choice of the user (a list entry, or "Custom..." confirmed);
// Select emits nothing. Cancelling "Custom..." keeps the colour the box had.
#pragma once

#include "uColors.h"

#include <QComboBox>

#include <functional>
#include <optional>

class QColor;

// A colour value as the shell draws it (system colours resolved) and back (high byte zero).
QColor ToQColor(TColor AColor);
TColor FromQColor(const QColor& AColor);

class TColorBox : public QComboBox {
    Q_OBJECT

public:
    // Asks the user for a custom colour, starting from ACurrent; nothing when cancelled.
    using TCustomColorPicker = std::function<std::optional<TColor>(TColor ACurrent, QWidget* AParent)>;

    explicit TColorBox(QWidget* AParent = nullptr);

    TColor Selected() const;
    void Select(TColor AColor);
    // Replaces the custom-colour question (by default QColorDialog).
    void SetCustomColorPicker(TCustomColorPicker APicker) { FPicker = std::move(APicker); }

    // The readable name of a colour of the list ("Maroon", "Window Text"), or its colour text.
    static QString ColorName(TColor AColor);
    // The caption of the custom-colour entry.
    static QString CustomEntryCaption() { return QStringLiteral("Custom..."); }
    // Whether the list is open.
    bool IsDroppedDown() const;

signals:
    void colorChosen(TColor AColor);

private:
    void AddColor(TColor AColor, const QString& AName, int AAt = -1);
    int IndexOfColor(TColor AColor) const;
    void EntryActivated(int AIndex);

    TCustomColorPicker FPicker;
    int FLastIndex = 0;
};
