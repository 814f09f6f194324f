#include "uLinkChecker.h"

#include "uHtmlUtils.h"
#include "uRegex.h"
#include "uUtils.h"

namespace {

constexpr std::string_view kLocalReferencePattern = "(src|href)\\s*=\\s*\"([^\"]+)\"";

bool IsSkippedReference(std::string_view ARef) {
    return StartsText("http", ARef) || StartsText("mailto:", ARef) || StartsText("doc:", ARef) ||
           StartsWith(ARef, "#");
}

// Whether the reference names an existing file, resolved against the project root (both slash
// directions accepted). A reference that is no valid path names no file.
bool LocalReferenceExists(const std::string& ARootPath, const std::string& ARef) {
    try {
        return FileExists(ExpandFileName(CombinePath(ARootPath, ReplaceText(ARef, "\\", "/"))));
    } catch (const std::exception&) {
        return false;
    }
}

}  // namespace

std::vector<TLinkIssue> CheckProjectLinks(const TDocProject& AProject) {
    static const TRegex localRef(kLocalReferencePattern, roIgnoreCase);
    std::vector<TLinkIssue> issues;
    for (const TTopic& topic : AProject.Topics()) {
        auto add = [&](std::string AIssue) { issues.push_back({topic.ID(), topic.Title(), std::move(AIssue)}); };
        if (!FileExists(topic.HtmlPath())) {
            add("Missing HTML file: " + topic.HtmlPath());
            continue;
        }
        const std::string html = ReadUtf8File(topic.HtmlPath());
        for (const std::string& id : ExtractDocLinkIds(html))
            if (!AProject.HasTopic(id))
                add("Broken internal link: doc:" + id);
        localRef.ForEachMatch(html, [&](const TRegexMatch& AMatch) {
            const std::string ref(AMatch.Group(2));
            if (!IsSkippedReference(ref) && !LocalReferenceExists(AProject.RootPath(), ref))
                add("Missing local reference: " + ref);
            return true;
        });
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
