#include "uLinkChecker.h"

#include "uHtmlUtils.h"
#include "uIndexEntries.h"
#include "uRegex.h"
#include "uUtils.h"

#include <map>
#include <optional>
#include <set>

namespace {

constexpr std::string_view kLocalReferencePattern = "(src|href)\\s*=\\s*\"([^\"]+)\"";

// An address with a scheme ("ftp:", "tel:", "data:", ...) names no file of the project, except
// "file:". A single letter before ":\" or ":/" is a drive, not a scheme.
bool HasAddressScheme(std::string_view ARef) {
    static const TRegex scheme("^[A-Za-z][A-Za-z0-9+.-]*:");
    const std::optional<TRegexMatch> match = scheme.Match(ARef);
    if (!match || StartsText("file:", ARef))
        return false;
    const bool drive = match->Length() == 2 && ARef.size() > 2 && (ARef[2] == '/' || ARef[2] == '\\');
    return !drive;
}

bool IsSkippedReference(std::string_view ARef) {
    return StartsText("http", ARef) || StartsWith(ARef, "#") || HasAddressScheme(ARef);
}

// The anchors of each topic a fragment link points into, read once per check.
class TAnchorCache {
public:
    bool Has(const TTopic& ATopic, const std::string& AName) {
        auto it = FNames.find(ATopic.ID());
        if (it == FNames.end()) {
            std::vector<std::string> names;
            if (FileExists(ATopic.HtmlPath()))
                names = ExtractAnchorNames(ReadUtf8File(ATopic.HtmlPath()));
            it = FNames.emplace(ATopic.ID(), std::set<std::string>(names.begin(), names.end())).first;
        }
        return it->second.count(AName) > 0;
    }

private:
    std::map<std::string, std::set<std::string>> FNames;
};

// Whether the reference names an existing file, resolved against the project root (both slash
// directions accepted). A reference that is no valid path names no file.
bool LocalReferenceExists(const std::string& ARootPath, const std::string& ARef) {
    try {
        return FileExists(ExpandFileName(CombinePath(ARootPath, ReplaceText(ARef, "\\", "/"))));
    } catch (const std::exception&) {
        return false;
    }
}

// A help alias or number that an application would call, where the topic has no page.
template <class TAdd>
void AddContextIdIssues(const TTopic& ATopic, TAdd& AAdd) {
    const std::pair<bool, const char*> outputs[] = {{ATopic.ExcludeChm(), "CHM"}, {ATopic.ExcludeWeb(), "WebHelp"}};
    for (const auto& [excluded, output] : outputs) {
        if (!excluded)
            continue;
        if (!ATopic.HelpAlias().empty())
            AAdd("Help alias " + ATopic.HelpAlias() + " points at a topic left out of " + output);
        if (ATopic.HelpContextNumber() != 0)
            AAdd("Help context number " + std::to_string(ATopic.HelpContextNumber()) + " points at a topic left out of " + output);
    }
}

}  // namespace

std::vector<TLinkIssue> CheckProjectLinks(const TDocProject& AProject) {
    static const TRegex localRef(kLocalReferencePattern, roIgnoreCase);
    std::vector<TLinkIssue> issues;
    TAnchorCache anchors;
    if (!AProject.ContextIdsProblem().empty())
        issues.push_back({"", "Help context ids", AProject.ContextIdsProblem()});
    for (const TTopic& topic : AProject.Topics()) {
        auto add = [&](std::string AIssue) { issues.push_back({topic.ID(), topic.Title(), std::move(AIssue)}); };
        // Index entries that the publishers leave out come last, also for a missing body file.
        auto addIndexIssues = [&] {
            for (const std::string& entry : topic.IndexEntries())
                if (std::string issue = IndexEntryIssue(entry); !issue.empty())
                    add(std::move(issue));
        };
        if (!FileExists(topic.HtmlPath())) {
            add("Missing HTML file: " + topic.HtmlPath());
            addIndexIssues();
            AddContextIdIssues(topic, add);
            continue;
        }
        const std::string html = ReadUtf8File(topic.HtmlPath());
        for (const TDocLink& link : ExtractDocLinks(html)) {
            const std::string written = "doc:" + link.ID + (link.Fragment.empty() ? "" : "#" + link.Fragment);
            const TTopic* target = AProject.Topics().find(link.ID);
            if (!target)
                add("Broken internal link: " + written);
            else if (!link.Fragment.empty() && !anchors.Has(*target, PercentDecode(link.Fragment)))
                add("Missing anchor: " + written);
        }
        localRef.ForEachMatch(html, [&](const TRegexMatch& AMatch) {
            const std::string ref(AMatch.Group(2));
            if (!IsSkippedReference(ref) && !LocalReferenceExists(AProject.RootPath(), ref))
                add("Missing local reference: " + ref);
            return true;
        });
        addIndexIssues();
        AddContextIdIssues(topic, add);
    }
    return issues;
}

std::string FormatLinkIssues(const std::vector<TLinkIssue>& AIssues) {
    if (AIssues.empty())
        return "No link issues found.";
    std::string text;
    for (const TLinkIssue& issue : AIssues)
        text += issue.TopicTitle + ": " + issue.Issue + "\n";
    return text;
}
