// The project's presentation settings: one plain record with its defaults, its flat JSON form
// and the settings file meta/project_settings.json (the same format serves as a preset file).
//
// Reading is tolerant: missing keys and values of the wrong JSON type keep the field's current
// value, and the numbers and styles are brought into range afterwards. The one hard failure is
// a number with a fraction or an exponent (or out of range) in an integer field, which raises
// EAppError. Not thread-safe; a plain value type.
#pragma once

#include "uColors.h"
#include "uJson.h"

#include <string>

class TProjectSettings {
public:
    // Constructs with the defaults (SetDefaults).
    TProjectSettings();

    std::string ProjTitle;
    int FontSizeH1 = 0;
    int FontSizeH2 = 0;
    int FontSizeH3 = 0;
    int FontSizeBody = 0;
    TColor DefaultTextColor = 0;
    std::string DefaultFontName;
    TColor DefaultTextBackColor = 0;
    double DefaultLineSpacing = 0;
    TColor DefaultPageBgColor = 0;
    TColor DefaultHeaderBgColor = 0;
    TColor TocTextColor = 0;
    int TocTextSize = 0;
    bool CopyrightEnabled = false;
    std::string CopyrightText;
    TColor LinkColor = 0;
    std::string LinkStyle;
    std::string TableBorderStyle;
    int TableBorderWidth = 0;
    TColor TableBorderColor = 0;

    bool operator==(const TProjectSettings&) const = default;

    // Every field back to its default (title "Untitled Documentation", font "Segoe UI", sizes
    // 32/24/18/16, line spacing 1.5, header background #E7EFF5, links #0000FF solid, tables
    // 1px solid #999999, ...).
    void SetDefaults();

    // The 20 keys in their fixed order; colours as colour text.
    TJson ToJson() const;
    // Takes the keys of AObject onto the current values, then normalises. Missing or unusable
    // keys leave their field as it was. A non-integer number in an integer field raises
    // EAppError; the fields read before it keep their new values and no normalisation runs.
    void FromJson(const TJson& AObject);

    // Writes ToJson compactly as UTF-8 with byte-order mark, creating the folder; replaces the
    // file atomically. Failures are raised.
    void SaveToFile(const std::string& AFileName) const;
    // False (and no change) for a missing file, text that is not JSON or a top level that is not
    // an object; true after FromJson. Errors reading an existing file, and FromJson's
    // conversion error (prefixed with the file name), are raised.
    bool LoadFromFile(const std::string& AFileName);

    // AProjectRoot + "meta/project_settings.json", a separator added only where needed.
    static std::string DefaultSettingsPathForProject(const std::string& AProjectRoot);

    void SavePreset(const std::string& AFileName) const { SaveToFile(AFileName); }
    bool LoadPreset(const std::string& AFileName) { return LoadFromFile(AFileName); }

private:
    static std::string ColorToHex(TColor AColor) { return ::ColorToHex(AColor); }
    static TColor HexToColor(std::string_view AText, TColor AFallback) { return ::HexToColor(AText, AFallback); }
    void Normalise();
};

// A line spacing (or any such factor) as text: general format with up to 15 significant digits
// and no trailing zeros (1.5 gives "1.5", 2.0 gives "2"), always with "." as the decimal
// separator, whatever the locale.
std::string FormatLineSpacing(double AValue);
