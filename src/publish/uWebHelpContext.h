// The help context ids in WebHelp. An application opens a plain file, context/<alias>.html
// (alias lower-cased) or context/<number>.html, which sends the browser on to
// ../index.html#<topic id>; some desktop openers drop the fragment of a file:// address, so the
// id cannot travel in the address the application opens. context.js sets window.__SV_CONTEXT
// (lower-cased alias -> topic id), so that index.html#<alias> opens the topic as well. Topics
// excluded from WebHelp get nothing.
#pragma once

#include "uDocModel.h"

#include <string>

// The redirect page for one topic: a meta refresh and a script to ../index.html#<id>, and a
// visible link named by the title for a browser that follows neither.
std::string WebHelpContextPage(const TTopic& ATopic);
// "window.__SV_CONTEXT = {...};" for the topics in WebHelp with an alias, in the order of the
// context ids file; "" when there is none.
std::string WebHelpContextScript(const TDocProject& AProject);
// Writes the context pages into <AOutputRoot>/context and context.js into AOutputRoot. Returns
// whether context.js was written (the viewer's start file then lists it to load).
bool WriteWebHelpContextFiles(const TDocProject& AProject, const std::string& AOutputRoot);
