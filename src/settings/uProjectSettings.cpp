#include "uProjectSettings.h"

#include "uUtils.h"

#include <array>
#include <charconv>
#include <limits>
#include <string_view>

namespace {

// Integer field: a JSON integer that fits, the current value for any non-number; a number with
// a fraction or an exponent (nlohmann reads those as floating point), or one too large for an
// integer, is a conversion error.
int ReadInt(const TJson& AObject, const char* AKey, int ACurrent) {
    const TJson* v = JsonMember(AObject, AKey);
    if (!v || !v->is_number())
        return ACurrent;
    if (v->is_number_integer()) {  // signed or unsigned
        if (v->is_number_unsigned()) {
            const auto u = v->get<uint64_t>();
            if (u <= static_cast<uint64_t>(std::numeric_limits<int>::max()))
                return static_cast<int>(u);
        } else {
            const auto i = v->get<int64_t>();
            if (i >= std::numeric_limits<int>::min() && i <= std::numeric_limits<int>::max())
                return static_cast<int>(i);
        }
    }
    throw EAppError("'" + JsonWrite(*v) + "' is not a valid integer value for \"" + AKey + "\"");
}

double ReadDouble(const TJson& AObject, const char* AKey, double ACurrent) {
    const TJson* v = JsonMember(AObject, AKey);
    return v && v->is_number() ? v->get<double>() : ACurrent;
}

// The text of a value that stands where a string is expected: a string's content, any other
// value its compact JSON text. False for a missing key, which keeps the field's current value.
bool ReadText(const TJson& AObject, const char* AKey, std::string& AText) {
    const TJson* v = JsonMember(AObject, AKey);
    if (!v)
        return false;
    AText = JsonText(v);
    return true;
}


std::string ReadString(const TJson& AObject, const char* AKey, const std::string& ACurrent) {
    std::string text;
    return ReadText(AObject, AKey, text) ? text : ACurrent;
}

TColor ReadColor(const TJson& AObject, const char* AKey, TColor ACurrent) {
    std::string text;
    return ReadText(AObject, AKey, text) ? HexToColor(text, ACurrent) : ACurrent;
}

bool ReadBool(const TJson& AObject, const char* AKey, bool ACurrent) {
    const TJson* v = JsonMember(AObject, AKey);
    if (v && v->is_boolean())
        return v->get<bool>();
    std::string text;
    if (!ReadText(AObject, AKey, text))
        return ACurrent;
    const std::string s = Trim(text);
    if (SameText(s, "true"))
        return true;
    if (SameText(s, "false"))
        return false;
    return ACurrent;
}

bool IsOneOf(const std::string& AValue, std::initializer_list<const char*> AAllowed) {
    for (const char* a : AAllowed)
        if (SameText(AValue, a))
            return true;
    return false;
}

}  // namespace

TProjectSettings::TProjectSettings() { SetDefaults(); }

void TProjectSettings::SetDefaults() {
    ProjTitle = "Untitled Documentation";
    FontSizeH1 = 32;
    FontSizeH2 = 24;
    FontSizeH3 = 18;
    FontSizeBody = 16;
    DefaultTextColor = 0x000000;
    DefaultFontName = "Segoe UI";
    DefaultTextBackColor = 0xFFFFFF;
    DefaultLineSpacing = 1.5;
    DefaultPageBgColor = 0xFFFFFF;
    DefaultHeaderBgColor = 0xF5EFE7;
    TocTextColor = 0x000000;
    TocTextSize = 12;
    CopyrightEnabled = false;
    CopyrightText.clear();
    LinkColor = 0xFF0000;
    LinkStyle = "solid";
    TableBorderStyle = "solid";
    TableBorderWidth = 1;
    TableBorderColor = 0x999999;
}

TJson TProjectSettings::ToJson() const {
    TJson o = TJson::object();
    o["ProjTitle"] = ProjTitle;
    o["FontSizeH1"] = FontSizeH1;
    o["FontSizeH2"] = FontSizeH2;
    o["FontSizeH3"] = FontSizeH3;
    o["FontSizeBody"] = FontSizeBody;
    o["DefaultTextColor"] = ColorToHex(DefaultTextColor);
    o["DefaultFontName"] = DefaultFontName;
    o["DefaultTextBackColor"] = ColorToHex(DefaultTextBackColor);
    o["DefaultLineSpacing"] = DefaultLineSpacing;
    o["DefaultPageBgColor"] = ColorToHex(DefaultPageBgColor);
    o["DefaultHeaderBgColor"] = ColorToHex(DefaultHeaderBgColor);
    o["TocTextColor"] = ColorToHex(TocTextColor);
    o["TocTextSize"] = TocTextSize;
    o["CopyrightEnabled"] = CopyrightEnabled;
    o["CopyrightText"] = CopyrightText;
    o["LinkColor"] = ColorToHex(LinkColor);
    o["LinkStyle"] = LinkStyle;
    o["TableBorderStyle"] = TableBorderStyle;
    o["TableBorderWidth"] = TableBorderWidth;
    o["TableBorderColor"] = ColorToHex(TableBorderColor);
    return o;
}

void TProjectSettings::FromJson(const TJson& AObject) {
    // Keys in file order, each assigned before the next is read, so a conversion error leaves
    // the earlier fields taken over.
    ProjTitle = ReadString(AObject, "ProjTitle", ProjTitle);
    FontSizeH1 = ReadInt(AObject, "FontSizeH1", FontSizeH1);
    FontSizeH2 = ReadInt(AObject, "FontSizeH2", FontSizeH2);
    FontSizeH3 = ReadInt(AObject, "FontSizeH3", FontSizeH3);
    FontSizeBody = ReadInt(AObject, "FontSizeBody", FontSizeBody);
    DefaultTextColor = ReadColor(AObject, "DefaultTextColor", DefaultTextColor);
    DefaultFontName = ReadString(AObject, "DefaultFontName", DefaultFontName);
    DefaultTextBackColor = ReadColor(AObject, "DefaultTextBackColor", DefaultTextBackColor);
    DefaultLineSpacing = ReadDouble(AObject, "DefaultLineSpacing", DefaultLineSpacing);
    DefaultPageBgColor = ReadColor(AObject, "DefaultPageBgColor", DefaultPageBgColor);
    DefaultHeaderBgColor = ReadColor(AObject, "DefaultHeaderBgColor", DefaultHeaderBgColor);
    TocTextColor = ReadColor(AObject, "TocTextColor", TocTextColor);
    TocTextSize = ReadInt(AObject, "TocTextSize", TocTextSize);
    CopyrightEnabled = ReadBool(AObject, "CopyrightEnabled", CopyrightEnabled);
    CopyrightText = ReadString(AObject, "CopyrightText", CopyrightText);
    LinkColor = ReadColor(AObject, "LinkColor", LinkColor);
    LinkStyle = LowerAscii(ReadString(AObject, "LinkStyle", LinkStyle));
    TableBorderStyle = LowerAscii(ReadString(AObject, "TableBorderStyle", TableBorderStyle));
    TableBorderWidth = ReadInt(AObject, "TableBorderWidth", TableBorderWidth);
    TableBorderColor = ReadColor(AObject, "TableBorderColor", TableBorderColor);
    Normalise();
}

void TProjectSettings::Normalise() {
    for (int* size : {&FontSizeBody, &FontSizeH1, &FontSizeH2, &FontSizeH3})
        if (*size < 8)
            *size = 8;
    if (TocTextSize < 6)
        TocTextSize = 6;
    if (TocTextSize > 36)
        TocTextSize = 36;
    if (DefaultLineSpacing < 1.0)
        DefaultLineSpacing = 1.0;
    if (DefaultLineSpacing > 5.0)
        DefaultLineSpacing = 5.0;
    if (!IsOneOf(LinkStyle, {"none", "solid", "dashed", "dotted", "double"}))
        LinkStyle = "solid";
    if (!IsOneOf(TableBorderStyle, {"solid", "dashed", "dotted", "double"}))
        TableBorderStyle = "solid";
    if (TableBorderWidth <= 0)
        TableBorderWidth = 1;
    if (TableBorderWidth > 12)
        TableBorderWidth = 12;
}

void TProjectSettings::SaveToFile(const std::string& AFileName) const {
    WriteUtf8BomFile(AFileName, JsonWrite(ToJson()));
}

bool TProjectSettings::LoadFromFile(const std::string& AFileName) {
    if (!FileExists(AFileName))
        return false;
    const std::string text = ReadUtf8File(AFileName);
    TJson parsed;
    if (!JsonTryParse(text, parsed) || !parsed.is_object())
        return false;
    try {
        FromJson(parsed);
    } catch (const EAppError& e) {
        throw EAppError(AFileName + ": " + e.what());
    }
    return true;
}

std::string TProjectSettings::DefaultSettingsPathForProject(const std::string& AProjectRoot) {
    return CombinePath(CombinePath(AProjectRoot, "meta"), "project_settings.json");
}

std::string FormatLineSpacing(double AValue) {
    std::array<char, 64> buf{};
    const auto res = std::to_chars(buf.data(), buf.data() + buf.size(), AValue, std::chars_format::general, 15);
    return std::string(buf.data(), res.ptr);
}
