// The link check: reads every topic's body file from disk and lists missing body files, topic
// links to ids the project does not have, topic links whose fragment names no id (or a name) in
// the target topic, local file references whose file does not exist, and index entries that the
// publishers leave out (an empty main part, as in ", margins"). Addresses with a
// scheme other than "file:" are external and not looked at.
// Works on what is stored, not on unsaved edits. Stateless; failures reading an existing body
// file are raised as EAppError.
#pragma once

#include "uDocModel.h"

#include <string>
#include <vector>

struct TLinkIssue {
    std::string TopicID;
    std::string TopicTitle;
    // "Missing HTML file: ...", "Broken internal link: doc:...[#...]", "Missing anchor: doc:...#...",
    // "Missing local reference: ...", "Index entry without a main entry: \"...\"",
    // "Help alias ... points at a topic left out of CHM", ...
    std::string Issue;
    bool operator==(const TLinkIssue&) const = default;
};

// Topics in dictionary order; per topic its broken topic links first, then its missing local
// references, each in document order and repeated as often as they occur, then its index
// entries without a main part, in stored order, then its help alias and number when the topic is
// left out of CHM or WebHelp ("Help alias x points at a topic left out of CHM"). A reference that
// cannot be made into a file path is reported as a missing local reference. A help context ids
// file the load could not read comes first, titled "Help context ids", with the reason.
std::vector<TLinkIssue> CheckProjectLinks(const TDocProject& AProject);

// The desktop command's message text: "No link issues found." for no issues, else one
// "title: message" line per issue, each ended by a line break.
std::string FormatLinkIssues(const std::vector<TLinkIssue>& AIssues);
