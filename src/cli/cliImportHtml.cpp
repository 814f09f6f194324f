// pagewell-cli import-html PROJECT FILE [--title TITLE] [--parent ID]: brings a whole HTML
// document into the project as a new topic, the way Add HTML brings it into the editor: its
// style sheets, pictures, fonts and media are copied into the project's assets folders and the
// topic's body is the fragment Add HTML would insert. Prints the new topic's id.
#include "cliCommands.h"

#include "uHtmlImport.h"
#include "uPublishCommon.h"
#include "uStorage.h"
#include "uUtils.h"

#include <iostream>

namespace {

const char* const kUsage = "usage: pagewell-cli import-html PROJECT FILE [--title TITLE] [--parent ID]";

struct TImportHtmlArgs {
    std::string Project, File, Title, ParentID;
};

bool ParseImportHtmlArgs(const TCliArgs& AArgs, TImportHtmlArgs& AOut) {
    const std::optional<TCommandArgs> args = ParseCommandArgs(AArgs, 2, {"--title", "--parent"});
    if (!args)
        return false;
    AOut.Project = args->Positional[0];
    AOut.File = args->Positional[1];
    AOut.Title = args->Last("--title");
    AOut.ParentID = args->Last("--parent");
    return true;
}

// The given title, else the document's own, else the file name without its extension.
std::string TopicTitleFor(const TImportHtmlArgs& AArgs) {
    std::string title = Trim(AArgs.Title);
    if (title.empty())
        title = HtmlDocumentTitle(ReadImportTextFile(AArgs.File));
    if (title.empty())
        title = FileNameWithoutExt(AArgs.File);
    return title.empty() ? ExtractFileName(AArgs.File) : title;
}

}  // namespace

int RunImportHtml(const TCliArgs& AArgs) {
    TImportHtmlArgs args;
    if (!ParseImportHtmlArgs(AArgs, args))
        return CliFail(kUsage, kExitUsage);
    try {
        std::string storedTitle;
        const std::string root = IncludeTrailingPathDelimiter(ProjectRootForPath(args.Project, storedTitle));
        TDocProject project;
        LoadProjectFolder(root, project);
        if (!args.ParentID.empty() && !project.HasTopic(args.ParentID))
            throw EAppError("Topic not found: " + args.ParentID);
        if (!FileExists(args.File))
            throw EAppError("File not found: " + args.File);
        const std::string fragment = BuildImportFragment(root, ExpandFileName(args.File));
        if (Trim(fragment).empty())
            throw EAppError("The selected HTML file does not contain importable body content.");
        // The topic exists only once its body is complete.
        TTopic& topic = project.AddTopic(TopicTitleFor(args), args.ParentID);
        WriteUtf8File(topic.HtmlPath(), fragment);
        SaveProjectFolder(project);
        std::cout << topic.ID() << '\n';
        return kExitOk;
    } catch (const std::exception& e) {
        return CliFail(e.what(), kExitUsage);
    }
}
