// Reading and writing the project folder (project.json, meta/topics.json), the project file
// (.svp), the Save As folder copy and the per-user last-project record.
// Every failure is raised as EAppError (or a file-system error) naming the file concerned.
#pragma once

#include "uDocModel.h"
#include "uJson.h"

#include <string>

// Writes project.json, then meta/topics.json under AProject.RootPath, then meta/context_ids.json
// (deleted when no topic has ids; left alone while the project has a ContextIdsProblem). A
// meta/topics.json that exists but is not valid JSON (a hand-edited tree the loader could not
// read) is first renamed to topics.json.unreadable-<n> beside it, never overwritten, so the
// author's tree is kept.
void SaveProjectFolder(const TDocProject& AProject);
// Clears AProject, sets RootPath to ARootPath unchanged and fills it from the two files and the
// help context ids (LoadContextIds: a bad context ids file is not an error here, it leaves the
// project's ContextIdsProblem).
void LoadProjectFolder(const std::string& ARootPath, TDocProject& AProject);
// The text of meta/topics.json for AProject, as SaveProjectFolder writes it.
std::string ProjectTreeJson(const TDocProject& AProject);
// Appends the root list and the topics of a parsed topics.json object to AProject, their body
// files under ARootPath. A member of the wrong type or a duplicate topic id raises EAppError
// naming AWhat.
void ReadProjectTree(const TJson& ATree, const std::string& ARootPath, TDocProject& AProject, const std::string& AWhat);
// Writes the project file (with byte-order mark) and the folder files into the root derived
// from AFileName; AProject.RootPath is restored afterwards, also on failure.
void SaveProjectFile(const std::string& AFileName, TDocProject& AProject);
// Same, but the folder files go into ARootPath, which the project file records as its root (a
// project opened from a root other than the derived one is saved where its topic bodies are).
void SaveProjectFileAt(const std::string& AFileName, TDocProject& AProject, const std::string& ARootPath);
// Reads a project file: the root folder to open and the stored title.
void ReadProjectFile(const std::string& AFileName, std::string& ARootPath, std::string& ATitle);
// The root that belongs to a project file: its folder combined with its name without extension
// ("Project" when that is empty). No trailing separator.
std::string DerivedProjectRoot(const std::string& AFileName);
// Copies a project root for Save As, leaving out the top-level build folder and .svp files.
// Links are followed: a file link becomes a copy of its file, a folder link a folder inside the
// target. A broken link, a folder link leading back into what is being copied, and anything that
// cannot be read or copied raise an error naming it (the copy may then be incomplete).
void CopyProjectFolder(const std::string& ASource, const std::string& ATarget);

// The per-user folder: $APPDATA (when set and not empty, else the platform's per-user data
// folder) combined with the executable's name without extension.
std::string UserDataFolder();
// The same for another executable name (the desktop app's folder, asked from the command line).
std::string UserDataFolderFor(const std::string& AExeName);
// Overrides the executable name used for the per-user folder (the desktop app sets "pagewell").
void SetApplicationExeName(const std::string& AName);
std::string ApplicationExeName();
// UserDataFolder() combined with "last_project.txt".
std::string LastProjectFilePath();
