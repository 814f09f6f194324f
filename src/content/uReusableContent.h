// The reusable content of a project: variables (name, plain-text value), snippets (name, HTML
// fragment) and conditions (name, on/off), kept in meta/reusable_content.json, plus the token
// makers the reusable-content dialog inserts into topic text.
//
// A TReusableProjectContent is a plain value owned by whoever loaded it; it keeps no reference
// to the project. Not thread-safe for writing; concurrent const lookups are fine.
#pragma once

#include "uDocModel.h"
#include "uJson.h"

#include <string>
#include <string_view>
#include <vector>

struct TReusableVariable {
    std::string Name;
    std::string Value;  // plain text, HTML-encoded when it replaces a token
};

struct TReusableSnippet {
    std::string Name;
    std::string Html;  // an HTML fragment, inserted after its own expansion
};

struct TReusableCondition {
    std::string Name;
    bool Enabled = true;
};

class TReusableProjectContent {
public:
    // List order is file order (or append order): the order of lookups and of saving. Names
    // need not be unique; a lookup finds the first one.
    const std::vector<TReusableVariable>& Variables() const { return FVariables; }
    std::vector<TReusableVariable>& Variables() { return FVariables; }
    const std::vector<TReusableSnippet>& Snippets() const { return FSnippets; }
    std::vector<TReusableSnippet>& Snippets() { return FSnippets; }
    const std::vector<TReusableCondition>& Conditions() const { return FConditions; }
    std::vector<TReusableCondition>& Conditions() { return FConditions; }

    void Clear();

    // Replaces the content with what ReusableContentPath(AProject) holds. No project, an empty
    // RootPath, a missing file or a file that is not JSON leave the store empty. A top level that
    // is not an object, or a "variables", "snippets" or "conditions" member that is not an array,
    // raises EAppError("Invalid type cast: ...") naming the file (arrays read before the bad one
    // stay loaded). File-system errors propagate.
    void LoadFromProject(const TDocProject* AProject);
    void LoadFromProject(const TDocProject& AProject) { LoadFromProject(&AProject); }
    // The same from a file path (what LoadFromProject does once it knows the path).
    void LoadFromFile(const std::string& AFileName);

    // Writes the store (entries with blank names left out, names trimmed) as compact JSON to
    // ReusableContentPath(AProject), creating the meta folder and replacing the file atomically.
    // No project or an empty RootPath: nothing happens.
    void SaveToProject(const TDocProject* AProject) const;
    void SaveToProject(const TDocProject& AProject) const { SaveToProject(&AProject); }

    // Lookups compare the whole name folding ASCII letters only; AName is not trimmed.
    std::string VariableValue(std::string_view AName, const std::string& ADefault) const;
    std::string SnippetHtml(std::string_view AName, const std::string& ADefault) const;
    bool ConditionEnabled(std::string_view AName, bool ADefault) const;
    // Index of the first entry with that name, or -1.
    int IndexOfVariable(std::string_view AName) const;
    int IndexOfSnippet(std::string_view AName) const;
    int IndexOfCondition(std::string_view AName) const;

private:
    std::vector<TReusableVariable> FVariables;
    std::vector<TReusableSnippet> FSnippets;
    std::vector<TReusableCondition> FConditions;
};

// <RootPath>/meta/reusable_content.json
std::string ReusableContentPath(const TDocProject& AProject);

// "{var:" + name + "}", "{snip:" + name + "}", "{begincond:" + name + "}", each HTML-encoded
// with HtmlEncodeEntities. The name is used as given (callers trim it).
std::string MakeVariableToken(std::string_view AName);
std::string MakeSnippetToken(std::string_view AName);
std::string MakeBeginConditionToken(std::string_view AName);

// Member AKey of AObject read as text: a string gives its text; true, false and null the words
// "true", "false", "null"; a number its text; an object or array empty text. No object, or no
// such member: ADefault.
std::string JsonReadString(const TJson* AObject, std::string_view AKey, const std::string& ADefault);
// The member's text (as JsonReadString), trimmed and lower-cased: "true" and "1" give true,
// "false" and "0" false, anything else (and a missing member) ADefault.
bool JsonReadBool(const TJson* AObject, std::string_view AKey, bool ADefault);

// Parses JSON keeping every number's text as written: numbers become strings holding that text
// (every reader of this file reads numbers as text anyway). Returns false when AText is no JSON.
bool JsonParseKeepingNumberText(std::string_view AText, TJson& AOut);
