// Starting outside programs (the PDF printer, the help compiler) and finding them.
// Arguments are passed as a vector straight to the program: no shell is involved, so paths with
// spaces or quotes need no quoting. Not thread-safe only in the sense that the child inherits
// the environment as it is at the call.
#pragma once

#include <string>
#include <vector>

// Starts AArgs[0] (a path; it is not searched on PATH) with the arguments AArgs, in the current
// working folder, with standard input from /dev/null, standard output and error shared with this
// process and no other file handles inherited, and waits without time limit for it to end.
// Returns the exit code, or 128 + the signal number when the program was killed by a signal.
// A program that cannot be started raises EAppError with the system's reason and the path.
int RunProcessAndWait(const std::vector<std::string>& AArgs);

// The same, started in the folder AWorkDir (the current one when empty), with standard output
// and error both read into AOutput (at most its last 64 KiB are kept) until the program ends.
// AEnvironment holds "NAME=value" texts that the program gets in place of this process's
// variables of those names; the rest of the environment is passed on as it is.
int RunProcessCapturingOutput(const std::vector<std::string>& AArgs, const std::string& AWorkDir,
                              std::string& AOutput, const std::vector<std::string>& AEnvironment = {});

// The first folder of APathList (a PATH value, ':' separated; an empty entry is the current
// folder) that holds an executable regular file named AName, as that folder joined with AName;
// empty when there is none or APathList is empty.
std::string FindExecutableOnPath(const std::string& AName, const std::string& APathList);

// True when APath is a regular file this process may execute.
bool IsExecutableFile(const std::string& APath);

// Folder of the running executable (no trailing separator); empty if it cannot be told.
std::string RunningExecutableFolder();
