// A small stored project for the WebHelp and link-check tests: topics with tokens, topic links to
// included, excluded and unknown ids, assets, header files, settings with a copyright footer.
#pragma once

#include "common/TestHelpers.h"
#include "uDocModel.h"
#include "uProjectSettings.h"
#include "uReusableContent.h"
#include "uStorage.h"

#include <filesystem>
#include <map>
#include <string>

namespace webhelp_fixture {

inline const std::string kA(32, 'A');  // root, own header files, tokens and links
inline const std::string kB(32, 'B');  // root excluded from WebHelp, parent of C
inline const std::string kC(32, 'C');  // child of B, no body file
inline const std::string kD(32, 'D');  // root, blank body, empty own header
inline const std::string kUnknown = "0123456789ABCDEF0123456789ABCDEF";

inline const std::string kBodyA =
    "<p style=\"background-color:#ffffff\">Hello {var:Product}</p>"
    "<p><a href=\"doc:" + kC + "\">child</a> <a href='DOC:" + kB + "'>hidden</a> <a href=\"doc:" + kUnknown +
    "\">gone</a></p><img src=\"assets/images/pic.png\">";

// Adds a topic with a fixed id (the model makes random ones).
inline TTopic& AddFixedTopic(TDocProject& AProject, const std::string& AID, const std::string& ATitle,
                             const std::string& AParent = {}) {
    auto topic = std::make_unique<TTopic>(AID);
    topic->SetTitle(ATitle);
    topic->SetParentID(AParent);
    topic->SetHtmlPath(AProject.TopicHtmlPathFor(AID));
    TTopic& added = AProject.Topics().add(std::move(topic));
    if (AParent.empty())
        AProject.RootTopicIDs().push_back(AID);
    else
        AProject.GetTopic(AParent).Children().push_back(AID);
    return added;
}

inline TProjectSettings FixtureSettings() {
    TProjectSettings s;
    s.ProjTitle = "Docs & More";
    s.DefaultPageBgColor = 0xFFEE00;  // #00EEFF
    s.TocTextColor = 0x0000FF;        // #FF0000
    s.TocTextSize = 14;
    s.CopyrightEnabled = true;
    s.CopyrightText = "\xC2\xA9 2026 Me & Co";
    return s;
}

// Writes the project under ARoot (folder files, bodies, headers, settings, reusable content,
// style sheet, assets) and leaves it loaded in AProject.
inline void WriteFixtureProject(const std::string& ARoot, TDocProject& AProject) {
    AProject.Clear();
    AProject.SetRootPath(IncludeTrailingPathDelimiter(ARoot));
    AProject.SetTitle("Docs & More");
    TTopic& a = AddFixedTopic(AProject, kA, "Start/Home \xC3\xA9");
    a.Keywords() = {"alpha", "beta"};
    AddFixedTopic(AProject, kB, "Hidden").SetExcludeWeb(true);
    AddFixedTopic(AProject, kC, "Child", kB);
    AddFixedTopic(AProject, kD, "A<B");
    SaveProjectFolder(AProject);

    PutFile(CombinePath(ARoot, "topics/" + kA + ".html"), kBodyA);
    PutFile(CombinePath(ARoot, "topics/" + kB + ".html"), "<p>hidden body</p>");
    PutFile(CombinePath(ARoot, "topics/" + kD + ".html"), "  \n ");
    PutFile(CombinePath(ARoot, "meta/header_default.html"), "<b>Default header</b>");
    PutFile(CombinePath(ARoot, "meta/headerbg_default.txt"), " #eeeeee\n");
    PutFile(CombinePath(ARoot, "meta/header_" + kA + ".html"), "<i>A head</i>");
    PutFile(CombinePath(ARoot, "meta/headerbg_" + kA + ".txt"), "  ");
    PutFile(CombinePath(ARoot, "meta/header_" + kD + ".html"), "");
    PutFile(CombinePath(ARoot, "styles/default.css"), "body{color:red}");
    PutFile(CombinePath(ARoot, "assets/images/pic.png"), std::string("\x89PNG\r\n\x1a\n\0\1", 10));
    PutFile(CombinePath(ARoot, "assets/css/sub/x.css"), "p{}");
    FixtureSettings().SaveToFile(TProjectSettings::DefaultSettingsPathForProject(ARoot));

    TReusableProjectContent store;
    store.Variables().push_back({"Product", "Pagewell <Pro>"});
    store.SaveToProject(AProject);
}

// Every file under AFolder by relative path, with its bytes.
inline std::map<std::string, std::string> Snapshot(const std::string& AFolder) {
    std::map<std::string, std::string> files;
    for (const auto& e : std::filesystem::recursive_directory_iterator(AFolder))
        if (e.is_regular_file())
            files[std::filesystem::relative(e.path(), AFolder).string()] = GetFile(e.path().string());
    return files;
}

}  // namespace webhelp_fixture
