// Shared pieces of the desktop tests: a per-test APPDATA folder, file shortcuts, and a small
// project written to disk the way the program writes one.
#pragma once

#include "uStorage.h"
#include "uUtils.h"

#include <QString>
#include <QTemporaryDir>
#include <QtGlobal>
#include <string>

// Points APPDATA at a fresh temporary folder for the lifetime of the object.
class TTempAppData {
public:
    TTempAppData() {
        FOld = qgetenv("APPDATA");
        FHad = qEnvironmentVariableIsSet("APPDATA");
        qputenv("APPDATA", FDir.path().toUtf8());
    }
    ~TTempAppData() {
        if (FHad)
            qputenv("APPDATA", FOld);
        else
            qunsetenv("APPDATA");
    }
    std::string Path() const { return FDir.path().toStdString(); }

private:
    QTemporaryDir FDir;
    QByteArray FOld;
    bool FHad = false;
};

inline std::string ReadText(const std::string& APath) { return FileExists(APath) ? ReadUtf8File(APath) : std::string(); }

// A saved project on disk: <dir>/<name>.svp beside <dir>/<name>/ with two topics and bodies.
struct TDiskProject {
    std::string FileName;
    std::string Root;
    std::string FirstID;
};

inline TDiskProject MakeDiskProject(const std::string& ADir, const std::string& AName, const std::string& ATitle) {
    TDiskProject d;
    d.FileName = CombinePath(ADir, AName + ".svp");
    d.Root = CombinePath(ADir, AName);
    TDocProject p;
    p.SetRootPath(IncludeTrailingPathDelimiter(d.Root));
    p.SetTitle(ATitle);
    TTopic& a = p.AddTopic("Intro", "");
    TTopic& b = p.AddTopic("Details", a.ID());
    WriteUtf8File(a.HtmlPath(), "<p>intro</p>");
    WriteUtf8File(b.HtmlPath(), "<p>details</p>");
    d.FirstID = a.ID();
    SaveProjectFile(d.FileName, p);
    return d;
}

