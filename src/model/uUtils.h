// File, path and text utilities shared by the model, the storage, the header files and the
// publishers. Text is UTF-8 std::string throughout; paths are native paths in UTF-8.
// None of these functions catch file-system failures: they raise EAppError (or a
// std::filesystem error) naming the file concerned.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

// Every failure the program reports to the user is an exception carrying its message text.
class EAppError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The platform's path separator ('/' here) and "rooted" means an absolute path.
inline constexpr char PathDelim = '/';

// ---- paths -----------------------------------------------------------------------------------

// Creates APath with all missing parents when it is not empty and does not exist yet; returns
// APath unchanged.
std::string EnsureDir(const std::string& APath);

// ARel empty: ABase with a trailing separator. ARel rooted: ARel. Otherwise ABase, a separator
// unless ABase already ends with one, then ARel. A relative part holding a character the
// platform does not allow in a path raises "Invalid characters in path".
std::string CombinePath(const std::string& ABase, const std::string& ARel);

bool IsPathRooted(const std::string& APath);
bool FileExists(const std::string& APath);       // a regular file (or a link to one)
bool DirectoryExists(const std::string& APath);
std::string IncludeTrailingPathDelimiter(const std::string& APath);
std::string ExcludeTrailingPathDelimiter(const std::string& APath);
std::string ExtractFileDir(const std::string& APath);   // directory part, no trailing separator
std::string ExtractFileName(const std::string& APath);  // after the last separator
std::string ExtractFileExt(const std::string& APath);   // ".ext" of the file name, or ""
std::string FileNameWithoutExt(const std::string& APath);
// The absolute, lexically normalised form of APath (no file-system access).
std::string ExpandFileName(const std::string& APath);

// ---- files -----------------------------------------------------------------------------------

// Whole file as UTF-8 text; a leading byte-order mark is skipped and invalid byte sequences
// become U+FFFD, so the result is always valid UTF-8.
std::string ReadUtf8File(const std::string& AFileName);
// Raw bytes of a file.
std::string ReadFileBytes(const std::string& AFileName);
// Creates the folder, then replaces the file atomically with AText (no byte-order mark): a
// temporary file in the same folder is written completely and renamed over the old one, so a
// failure part-way leaves the old file whole.
void WriteUtf8File(const std::string& AFileName, const std::string& AText);
// Same, with the UTF-8 byte-order mark EF BB BF before the text.
void WriteUtf8BomFile(const std::string& AFileName, const std::string& AText);
// Same, raw bytes.
void WriteFileBytes(const std::string& AFileName, std::string_view ABytes);

// Trim, fall back to "topic", replace each of  " * / : < > ? \ |  by '_'.
std::string SafeFileName(const std::string& AText);

// ---- text ------------------------------------------------------------------------------------

// Removes leading/trailing code points up to U+0020.
std::string Trim(std::string_view AText);
// Case mapping and comparison fold ASCII A-Z only.
std::string LowerAscii(std::string_view AText);
bool SameText(std::string_view A, std::string_view B);
bool StartsText(std::string_view APrefix, std::string_view AText);  // case-insensitive
bool EndsText(std::string_view ASuffix, std::string_view AText);    // case-insensitive
bool StartsWith(std::string_view AText, std::string_view APrefix);
bool EndsWith(std::string_view AText, std::string_view ASuffix);
// Literal replacement; AIgnoreCase folds ASCII only; AAll false replaces the first occurrence.
std::string ReplaceText(std::string_view AText, std::string_view AFrom, std::string_view ATo,
                        bool AAll = true, bool AIgnoreCase = false);
// Position of ANeedle in AText at or after AFrom ignoring ASCII case, or npos.
size_t FindText(std::string_view AText, std::string_view ANeedle, size_t AFrom = 0);
std::vector<std::string> SplitString(std::string_view AText, char ADelim);
// The value of a hexadecimal digit (either case), or -1 for any other character.
int HexDigitValue(char C);

// ---- UTF-8 -----------------------------------------------------------------------------------

// Decodes the code point at AText[AIndex] and advances AIndex past it; on an invalid sequence
// returns false and advances by one byte.
bool DecodeUtf8CodePoint(std::string_view AText, size_t& AIndex, char32_t& ACodePoint);
// Decodes UTF-8 into code points; invalid sequences become U+FFFD.
std::u32string Utf8ToCodePoints(std::string_view AText);
void AppendUtf8(std::string& AOut, char32_t ACodePoint);
// Replaces invalid UTF-8 sequences by U+FFFD; valid text is returned unchanged.
std::string SanitizeUtf8(std::string_view AText);
bool IsValidUtf8(std::string_view AText);

// ---- misc ------------------------------------------------------------------------------------

// 128 random bits from the operating system as 32 upper-case hexadecimal digits.
std::string NewGuidHex();
// Decimal text of an integer, independent of the locale.
std::string IntToStr(long long AValue);
