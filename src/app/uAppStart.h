// Program start: the application object, its title and look, the start-up update check, the
// main window and the message loop. Returns the program's exit code.
#pragma once

int RunPagewell(int argc, char** argv);
