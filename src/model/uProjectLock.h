// The mark that a project is open in a desktop window: while the window has a project open it
// holds an flock(2) lock on <per-user folder of the desktop app>/locks/<hash of the project
// root's canonical path>. The lock file lives outside the project, and the kernel releases the
// lock when the process ends, however it ends. Commands that change a project behind the
// window's back (the command-line import) take the same lock and refuse when they cannot.
// Not thread-safe for one object.
#pragma once

#include <string>

// The lock file for a project root (the desktop app's per-user folder, whichever program asks).
std::string ProjectLockPath(const std::string& AProjectRoot);

class TProjectLock {
public:
    TProjectLock() = default;
    ~TProjectLock() { Release(); }
    TProjectLock(const TProjectLock&) = delete;
    TProjectLock& operator=(const TProjectLock&) = delete;

    // Takes the lock of AProjectRoot without waiting, releasing any lock held before. False when
    // another process (or another TProjectLock) holds it, or the lock file cannot be made.
    bool TryAcquire(const std::string& AProjectRoot);
    void Release();
    bool Held() const { return FFd >= 0; }
    // The project root whose lock is held (as given, without trailing separator); empty when none.
    const std::string& Root() const { return FRoot; }

private:
    int FFd = -1;
    std::string FRoot;
};
