#include "uWebHelpContext.h"

#include "uContextIds.h"
#include "uHtmlUtils.h"
#include "uJson.h"
#include "uPublishPipeline.h"
#include "uUtils.h"

#include <vector>

namespace {

std::vector<const TTopic*> WebHelpContextTopics(const TDocProject& AProject) {
    std::vector<const TTopic*> topics;
    for (const TTopic* t : TopicsWithContextIds(AProject))
        if (!t->ExcludeWeb())
            topics.push_back(t);
    return topics;
}

}  // namespace

std::string WebHelpContextPage(const TTopic& ATopic) {
    const std::string target = "../index.html#" + ATopic.ID();
    const std::string title = EscapeHtml(ATopic.Title());
    return "<!doctype html><html><head><meta charset=\"utf-8\"><title>" + title +
           "</title><meta http-equiv=\"refresh\" content=\"0; url=" + EscapeHtml(target) + "\"><script>location.replace(" +
           JsonQuote(target) + ");</script></head><body><p><a href=\"" + EscapeHtml(target) + "\">" + title +
           "</a></p></body></html>";
}

std::string WebHelpContextScript(const TDocProject& AProject) {
    TJson map = TJson::object();
    for (const TTopic* t : WebHelpContextTopics(AProject))
        if (!t->HelpAlias().empty())
            map[LowerAscii(t->HelpAlias())] = t->ID();
    return map.empty() ? std::string() : "window.__SV_CONTEXT = " + JsonWrite(map) + ";";
}

bool WriteWebHelpContextFiles(const TDocProject& AProject, const std::string& AOutputRoot) {
    const std::vector<const TTopic*> topics = WebHelpContextTopics(AProject);
    if (topics.empty())
        return false;
    const std::string folder = EnsureDir(CombinePath(AOutputRoot, "context"));
    for (const TTopic* t : topics) {
        const std::string page = WebHelpContextPage(*t);
        if (!t->HelpAlias().empty())
            WriteOutputFile(CombinePath(folder, LowerAscii(t->HelpAlias()) + ".html"), page);
        if (t->HelpContextNumber() != 0)
            WriteOutputFile(CombinePath(folder, std::to_string(t->HelpContextNumber()) + ".html"), page);
    }
    const std::string script = WebHelpContextScript(AProject);
    if (script.empty())
        return false;
    WriteOutputFile(CombinePath(AOutputRoot, "context.js"), script);
    return true;
}
