// The published index: the authors' index entries and the topic titles, merged, sorted and
// limited to the topics of one output. Every publisher writes the same list in the same order.
//
// An entry "Main" or "Main, sub" is split at its first ", " and each part trimmed; a deeper
// comma stays in the sub text, an empty sub part leaves a main entry, and an entry whose main
// part is empty is left out. A topic's title (trimmed, never split) is a main entry of its own.
// Texts are the same entry when they are equal after NFC and full case folding; the spelling met
// first in contents order is the one shown (a topic's title before its entries). Each entry
// lists its topics once, in contents order. Main entries and, under each, their sub-entries are
// in the order of ICU's root collator, ties broken by the UTF-16 order of the shown text.
// Stateless and thread-safe.
#pragma once

#include "uDocModel.h"

#include <string>
#include <vector>

enum class TIndexOutput { Chm, WebHelp, Pdf };

struct TIndexEntryParts {
    std::string Main;
    std::string Sub;  // "" for a main entry
    bool operator==(const TIndexEntryParts&) const = default;
};
TIndexEntryParts SplitIndexEntry(const std::string& AEntry);

// NFC, then full case folding (UTF-16): the key that tells whether two texts are one entry.
std::u16string IndexEntryKey(const std::string& AText);

struct TIndexEntry {
    std::string Text;                     // as shown
    std::vector<std::string> TopicIDs;    // contents order; empty for a main entry that only groups
    std::vector<TIndexEntry> SubEntries;  // sorted; always empty on a sub-entry
    bool operator==(const TIndexEntry&) const = default;
};

// The topics of an output in contents order: the contents walk, then the topics the contents do
// not reach, in dictionary order. CHM and WebHelp: every topic not excluded from that output
// (each has a page there). PDF: the topics the contents reach without passing an excluded topic
// (each has a section).
std::vector<const TTopic*> IndexOutputTopics(const TDocProject& AProject, TIndexOutput AOutput);

// Whether one of those topics has an index entry with a main part. Without one, each output
// writes what it wrote before it had an index of entries.
bool HasIndexEntries(const TDocProject& AProject, TIndexOutput AOutput);

// The index of one output: every entry with at least one topic of that output.
std::vector<TIndexEntry> BuildIndex(const TDocProject& AProject, TIndexOutput AOutput);

// The link check's line for a stored entry that publishers leave out ("" when the entry is fine).
std::string IndexEntryIssue(const std::string& AEntry);
