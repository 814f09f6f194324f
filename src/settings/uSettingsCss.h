// The "Project settings overrides" CSS block generated from the project settings, in its
// standard form (WebHelp, PDF and the editor page) and its CHM form, and the editor page's
// effective style sheet. The block is CR LF text that starts with an empty line and ends with
// CR LF; numbers never depend on the locale. Pure functions except WriteEditorEffectiveCss.
#pragma once

#include "uDocModel.h"
#include "uProjectSettings.h"

#include <string>
#include <string_view>

// The base style sheet used when a project has no sheet of its own (WebHelp, PDF, editor).
inline constexpr std::string_view FallbackBaseCss = "body{font-family:Segoe UI,Arial;line-height:1.5;margin:0;}";

// Standard form; "" when ASettings is null.
std::string BuildSettingsCss(const TProjectSettings* ASettings);
// CHM form; "" when ASettings is null.
std::string BuildChmSettingsCss(const TProjectSettings* ASettings);

// Writes <root>/internal/editor/editor_effective.css (UTF-8 without byte-order mark, folder
// created, file replaced): the base sheet (styles/<StyleProfile>.css, else styles/default.css,
// else FallbackBaseCss), CR LF, then BuildSettingsCss(ASettings). Returns the file's full path.
// A file that already holds that text is left untouched; AWritten, when given, tells whether the
// file was written. Reading and writing failures are raised.
std::string WriteEditorEffectiveCss(const TDocProject& AProject, const TProjectSettings& ASettings,
                                    bool* AWritten = nullptr);
