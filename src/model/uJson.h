// The one compact JSON writer every stored file goes through, and small reading helpers.
//
// Written JSON is byte-exact: no white space, members in insertion order (use
// nlohmann::ordered_json), the slash as \/, \b \t \n \f \r as short escapes, every other
// character below U+0020 and every character above U+007F as \uXXXX with upper-case hex digits
// (characters above U+FFFF as two escaped UTF-16 surrogates). The text is therefore pure ASCII.
#pragma once

#include <nlohmann/json.hpp>
#include <string>
#include <string_view>

using TJson = nlohmann::ordered_json;

// The JSON string literal (with its quotes) for UTF-8 text.
std::string JsonQuote(std::string_view AText);
// Appends the escaped content of AText (without quotes) to AOut.
void JsonEscapeAppend(std::string& AOut, std::string_view AText);
// Compact text of a value.
std::string JsonWrite(const TJson& AValue);

// Deepest nesting of arrays and objects a readable file may have.
inline constexpr size_t JsonMaxDepth = 512;
// Parses AText; returns false (leaving AOut discarded) when it is not valid JSON or nests
// deeper than JsonMaxDepth.
bool JsonTryParse(std::string_view AText, TJson& AOut);

// A member "read as text": a string gives its content, any other value its compact JSON text,
// a missing member (nullptr) the empty string.
std::string JsonText(const TJson* AValue);
// The member AName of an object, or nullptr when missing.
const TJson* JsonMember(const TJson& AObject, std::string_view AName);
// Raises EAppError("Invalid type cast: ...") unless AValue is an object / array.
const TJson& JsonRequireObject(const TJson& AValue, std::string_view AWhat);
const TJson& JsonRequireArray(const TJson& AValue, std::string_view AWhat);
