// Shared pieces of the desktop tests: a per-test APPDATA folder, file shortcuts, and a small
// project written to disk the way the program writes one.
#pragma once

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
