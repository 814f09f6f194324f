// The recovery journal: what Save would write while a project has unsaved changes (the project's
// title and style profile, its whole tree and the HTML of every changed topic), kept in the
// per-user folder, never in the project, so that a killed session can be offered its work back.
//
// One folder per project root under the recovery folder: journal.json names the tree and one
// file per changed topic. Every file is replaced atomically and a topic's text always goes to a
// new file before journal.json names it, so at any moment of a crash journal.json and the files
// it names are whole and agree; files it no longer names are removed after it is written.
//
// A session holds a lock on the folder while it keeps the journal; the lock ends with the
// process, however it ends, so a journal found unlocked is one left behind by an exit that was
// not clean (a clean exit removes it). Not thread-safe; one TRecoveryJournal per window.
#pragma once

#include "uDocModel.h"

#include <map>
#include <memory>
#include <string>

// What a journal holds, read back.
struct TJournalContents {
    std::string Root;        // the project root it was written for
    std::string WrittenUtc;  // "YYYY-MM-DD HH:MM:SS", the time of the last write (UTC)
    std::string Title;
    std::string StyleProfile;
    std::string TreeJson;    // the tree in the topics.json form
    bool HasContextIds = false;   // false for a journal written before help context ids were kept
    std::string ContextIdsJson;   // the help context ids in the context_ids.json form
    std::map<std::string, std::string> TopicHtml;  // topic id -> its unsaved HTML
};

class TRecoveryJournal {
public:
    // ABaseFolder holds one journal folder per project (normally RecoveryFolder()).
    explicit TRecoveryJournal(std::string ABaseFolder);
    ~TRecoveryJournal();
    TRecoveryJournal(const TRecoveryJournal&) = delete;
    TRecoveryJournal& operator=(const TRecoveryJournal&) = delete;

    // UserDataFolder() combined with "recovery".
    static std::string RecoveryFolder();
    // The journal folder of a project root under ABaseFolder: a name made from the root's
    // absolute path, the same for every spelling of that path.
    static std::string FolderFor(const std::string& ABaseFolder, const std::string& ARoot);

    // ---- keeping the journal of the open project ---------------------------------------------
    // Starts keeping the journal of ARoot (leaving any other). False when another running session
    // keeps it: then Write and Remove do nothing. An existing journal there is left as it is
    // until the first Write or Remove.
    bool Attach(const std::string& ARoot);
    // Stops keeping it; its files stay.
    void Detach();
    bool Attached() const;
    const std::string& Root() const { return FRoot; }

    // Whether the caller knows the tree (topics, their order, titles and properties) to be as at
    // the last Write.
    enum class TTree { Changed, Unchanged };
    // Records the project and the unsaved topic HTML (only topics whose text changed since the
    // last write get a new file). With TTree::Unchanged the tree text of the last Write of the
    // same project is used again instead of being built anew (it is built when there is none).
    // Raises EAppError naming the file on a write failure; what was on disk before stays a whole
    // journal.
    void Write(const TDocProject& AProject, const std::map<std::string, std::string>& ATopicHtml,
               TTree ATree = TTree::Changed);
    // How many times Write has built the tree text (for tests and benchmarks).
    unsigned long long TreeBuilds() const { return FTreeBuilds; }
    // Deletes the journal (after a Save, or when the changes were discarded); stays attached.
    void Remove();
    // The project now lives at ANewRoot (Save As): the journal moves with it, replacing one a
    // crash may have left there, and stays attached.
    void MoveTo(const std::string& ANewRoot);

    // ---- journals left behind ----------------------------------------------------------------
    // Whether ABaseFolder holds a journal for ARoot that no running session keeps (a session
    // attached to ARoot in this process does not count as running elsewhere).
    static bool HasLeftBehind(const std::string& ABaseFolder, const std::string& ARoot);
    // Reads the journal for ARoot as a whole: any damage (journal.json that is no JSON, a member
    // missing or of the wrong type, a named file missing or not what was written) raises
    // EAppError naming the file, so a journal is never applied in part.
    static TJournalContents Read(const std::string& ABaseFolder, const std::string& ARoot);
    // Renames the journal folder of ARoot to a free "<folder>.damaged-<n>" and returns that path.
    static std::string KeepAside(const std::string& ABaseFolder, const std::string& ARoot);
    // Deletes the journal of ARoot (the author declined it). No-op when there is none.
    static void Discard(const std::string& ABaseFolder, const std::string& ARoot);

private:
    struct TWritten {
        std::string File;
        std::string Hash;
    };
    std::string Folder() const;
    void ForgetWritten();

    std::string FBase;
    std::string FRoot;
    int FLockFd = -1;
    unsigned long long FNextFile = 0;
    std::map<std::string, TWritten> FWritten;  // topic id -> file and hash named by journal.json
    std::string FLastManifestBody;             // journal.json without its time, as last written
    const TDocProject* FTreeOf = nullptr;      // the project FTreeJson was built from
    std::string FTreeJson;
    unsigned long long FTreeBuilds = 0;
};

// Applies read journal contents to AProject: title, style profile, tree and help context ids
// replaced (topic body paths under the project's RootPath; a journal without context ids keeps
// the ids its topics had). Raises EAppError for a tree that cannot be read.
void ApplyJournalTree(const TJournalContents& AContents, TDocProject& AProject);
