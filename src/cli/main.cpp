// pagewell-cli: headless publishing, link checking and HTML import on the core alone.
//   pagewell-cli COMMAND [ARGUMENTS]     pagewell-cli --help
#include "cliCommands.h"

#include "uUtils.h"

#include <algorithm>
#include <iostream>
#include <sstream>

namespace {

struct TCliCommand {
    const char* Name;     // one or more words, e.g. "publish webhelp"
    const char* Args;     // argument synopsis for the help
    const char* Summary;  // one line for the help
    int (*Run)(const TCliArgs& AArgs);
};

// Every command, in the order --help lists them.
const TCliCommand kCommands[] = {
    {"publish webhelp", "[--quiet] PROJECT", "write build/webhelp under the project root; prints the path of index.html", RunPublishWebHelp},
    {"publish chm", "[--quiet] [--language 0xNNNN] PROJECT", "write build/chm under the project root and compile help.chm; prints its path", RunPublishChm},
    {"publish pdf", "[--quiet] PROJECT", "write build/pdf (manual.html, manual.pdf) under the project root; prints the path of manual.pdf", RunPublishPdf},
    {"check-links", "PROJECT", "list missing topic files, broken topic links and missing local files", RunCheckLinks},
    {"context-map", "PROJECT [--format c|csharp|python|json]",
     "print the help context numbers as a C header (default), C#, Python or JSON", RunContextMap},
    {"import-html", "PROJECT FILE [--title TITLE] [--parent ID]",
     "import an HTML document with its styles, pictures and fonts as a new topic; prints its id", RunImportHtml},
    {"import-manual", "PROJECT START_PAGE [--parent ID] [--keep-navigation] [--exclude GLOB]...",
     "import a whole HTML manual: its pages as topics in the order of its contents, links between them as topic links; prints the report",
     RunImportManual},
};

std::vector<std::string> Words(const char* AName) {
    std::vector<std::string> words;
    std::istringstream in(AName);
    for (std::string w; in >> w;)
        words.push_back(w);
    return words;
}

void PrintHelp(std::ostream& AOut) {
    AOut << "pagewell-cli " << PAGEWELL_VERSION << ": publish, check and import into Pagewell projects without the desktop app.\n\n"
         << "Usage: pagewell-cli COMMAND PROJECT [ARGUMENTS]\n"
         << "PROJECT is a project file (.svp) or a project root folder. On a terminal the publish commands\n"
         << "show their progress on standard error; --quiet turns that off.\n\nCommands:\n";
    auto line = [&](std::string ASynopsis, const char* ASummary) {
        ASynopsis.resize(std::max<size_t>(ASynopsis.size() + 2, 26), ' ');
        AOut << "  " << ASynopsis << ASummary << '\n';
    };
    for (const TCliCommand& c : kCommands)
        line(std::string(c.Name) + " " + c.Args, c.Summary);
    line("--help", "show this text");
    AOut << '\n'
         << "Exit codes: 0 success; 1 publishing failed or link issues found; 2 usage error, the check could not run or the import failed.\n";
}

}  // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    if (args.empty()) {
        PrintHelp(std::cerr);
        return kExitUsage;
    }
    if (args[0] == "--help" || args[0] == "-h" || args[0] == "help") {
        PrintHelp(std::cout);
        return kExitOk;
    }
    for (const TCliCommand& c : kCommands) {
        const std::vector<std::string> name = Words(c.Name);
        if (args.size() >= name.size() && std::equal(name.begin(), name.end(), args.begin())) {
            try {
                return c.Run(TCliArgs(args.begin() + static_cast<long>(name.size()), args.end()));
            } catch (const std::exception& e) {
                return CliFail(e.what(), kExitFailed);
            }
        }
    }
    std::string given;
    for (const std::string& a : args)
        given += (given.empty() ? "" : " ") + a;
    std::cerr << "Unknown command: " << given << "\n\n";
    PrintHelp(std::cerr);
    return kExitUsage;
}
