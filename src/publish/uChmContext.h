// The help context ids in the CHM sources: the [ALIAS] and [MAP] sections of the project file
// and context.h, which [MAP] includes. Only topics that have a CHM page (not excluded from CHM)
// take part, in the order of the context ids file (numbers first, by number, then by alias).
#pragma once

#include "uDocModel.h"

#include <string>

// Told to the author when the compiler found is the system chmcmd and the project has numbers.
inline constexpr const char* kChmNoContextNumbersNote =
    "The CHM has no context numbers: the installed chmcmd writes build paths into its context table.";

// What follows the last [FILES] line: "", "[ALIAS]", "<alias>=topics/<id>.html" per topic with
// an alias; then, when AWithMap and a topic has a number, "", "[MAP]", "#include context.h".
// Lines end with CR LF. "" when no topic with a CHM page has an alias.
std::string ChmContextSections(const TDocProject& AProject, bool AWithMap);
// context.h: "#define <alias> <number>" per topic with a number, CR LF after each line (ASCII,
// since aliases are); "" when there is none.
std::string ChmContextHeader(const TDocProject& AProject);
