#include "uChmContext.h"

#include "uContextIds.h"

#include <vector>

namespace {

std::vector<const TTopic*> ChmContextTopics(const TDocProject& AProject) {
    std::vector<const TTopic*> topics;
    for (const TTopic* t : TopicsWithContextIds(AProject))
        if (!t->ExcludeChm() && !t->HelpAlias().empty())
            topics.push_back(t);
    return topics;
}

}  // namespace

std::string ChmContextSections(const TDocProject& AProject, bool AWithMap) {
    const std::vector<const TTopic*> topics = ChmContextTopics(AProject);
    if (topics.empty())
        return {};
    std::string text = "\r\n[ALIAS]\r\n";
    for (const TTopic* t : topics)
        text += t->HelpAlias() + "=topics/" + t->ID() + ".html\r\n";
    if (AWithMap && !ChmContextHeader(AProject).empty())
        text += "\r\n[MAP]\r\n#include context.h\r\n";
    return text;
}

std::string ChmContextHeader(const TDocProject& AProject) {
    std::string text;
    for (const TTopic* t : ChmContextTopics(AProject))
        if (t->HelpContextNumber() != 0)
            text += "#define " + t->HelpAlias() + " " + std::to_string(t->HelpContextNumber()) + "\r\n";
    return text;
}
