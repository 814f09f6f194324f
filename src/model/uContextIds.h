// Help context ids: the alias and the number a calling application uses to open the help at a
// topic (F1, "?" buttons). They are kept on the topics (TTopic::HelpAlias, HelpContextNumber)
// and stored in meta/context_ids.json, beside the tree, so that meta/topics.json keeps its form.
//
// Rules: an alias is a letter or "_", then letters, digits, "_", "." or "-", at most 64
// characters, compared ignoring ASCII case; it is neither 32 hexadecimal digits (that reads as a
// topic id) nor a name Windows reserves for a device (CON, PRN, AUX, NUL, COM1-9, LPT1-9, also
// before a "."). A number is 1 to 2,147,483,647, written in digits without leading zeros, and
// needs an alias. Aliases, numbers and map names are each unique in the project.
// Every function is a plain function of its arguments; none is thread-safe against a project
// being changed meanwhile.
#pragma once

#include "uDocModel.h"

#include <string>
#include <string_view>
#include <vector>

inline constexpr unsigned kMaxHelpContextNumber = 2147483647u;
inline constexpr size_t kMaxHelpAliasLength = 64;

// "" when AAlias is a valid alias (the empty alias, "no alias", is valid too), else the message.
std::string HelpAliasProblem(std::string_view AAlias);
// Reads the number as typed: "" (after trimming) gives 0, "no number". Returns "" and sets
// ANumber, or returns the message.
std::string ParseHelpContextNumber(std::string_view AText, unsigned& ANumber);
// The name a header file gives the alias: upper-cased, "." and "-" as "_".
std::string HelpContextMapName(std::string_view AAlias);

// "" when topic AID may take AAlias and ANumber (0: none): both valid, a number only with an
// alias, and neither the alias, its map name nor the number used by another topic. The message
// names the other topic: "The alias settings_dialog is already used by the topic Settings."
std::string HelpContextIdsProblem(const TDocProject& AProject, const std::string& AID, const std::string& AAlias,
                                  unsigned ANumber);

// The topics that have an alias or a number, in the file's order: those with a number first, by
// number; then the rest by alias (ASCII case ignored); then by id.
std::vector<const TTopic*> TopicsWithContextIds(const TDocProject& AProject);

// <ARoot>/meta/context_ids.json.
std::string ContextIdsFilePath(const std::string& ARoot);
// {"topics":[{"id":..,"alias":..,"number":..},..]} in the project's JSON form (a missing value
// left out, the number an integer); "" when no topic has ids.
std::string ContextIdsJson(const TDocProject& AProject);
// Sets the ids of AProject's topics from the text of a context ids file. Entries for topics the
// project does not have are dropped. Text that is not JSON, a wrong type, an invalid or
// out-of-range value or a duplicate raises EAppError with the first problem, naming AWhat;
// the topics are then left without any ids.
void ReadContextIds(std::string_view AText, TDocProject& AProject, const std::string& AWhat);
// Writes the file of AProject under its RootPath, or deletes it when no topic has ids. While the
// project holds a ContextIdsProblem the file is left as it is (it is the author's and unread).
void SaveContextIds(const TDocProject& AProject);
// Loads the file of the project's RootPath, if there is one. A file that cannot be read leaves
// the topics without ids and records "<file>: <problem>" as the project's ContextIdsProblem.
void LoadContextIds(TDocProject& AProject);
// Renames an unreadable context ids file of ARoot to a free context_ids.json.unreadable-<n>
// beside it and returns the new path; raises EAppError when it cannot be renamed.
std::string KeepContextIdsFileAside(const std::string& ARoot);
// Raises EAppError with the project's ContextIdsProblem when it has one (publishing and the
// header files refuse a project whose ids could not be read).
void RequireReadableContextIds(const TDocProject& AProject);

// ---- Assign Help Context IDs ------------------------------------------------------------------

// The alias Assign makes from a title: ASCII letters and digits kept, every other character "_",
// runs of "_" collapsed, "_" trimmed at both ends, "topic" when empty, a leading digit prefixed
// with "_", and cut to 60 characters, which leaves room for a suffix.
std::string HelpAliasFromTitle(std::string_view ATitle);

struct TAssignContextIdsResult {
    int Aliases = 0;  // aliases given
    int Numbers = 0;  // numbers given
};
// Gives each topic its missing alias (AAliases: made from the title, made unique ignoring case
// with "_2", "_3", ...) and then its missing number (ANumbers: only to topics with an alias, from
// the largest number in use + 10, or 1000, in steps of 10). Topics in contents order, then the
// topics outside the contents in dictionary order. When a number would pass the limit nothing is
// assigned and EAppError is raised.
TAssignContextIdsResult AssignHelpContextIds(TDocProject& AProject, bool AAliases, bool ANumbers);

// ---- header files for the calling application ----------------------------------------------

enum class TContextMapFormat { C, CSharp, Python, Json };
// Parses "c", "csharp", "python" or "json"; false for anything else.
bool ParseContextMapFormat(std::string_view AText, TContextMapFormat& AFormat);
// The topics with a number, by number, as source text for the application's developers (line
// breaks "\n", the text ends with one):
//   c       #define IDH_OVERVIEW 1000                 (IDH_ + map name)
//   csharp  public static class HelpContext { public const int OVERVIEW = 1000; }
//   python  OVERVIEW = 1000
//   json    {"overview":1000}                         (by alias as written)
std::string ContextMapText(const TDocProject& AProject, TContextMapFormat AFormat);
