// Table-of-contents fixtures for the desktop tests: a saved project built from (name, parent)
// pairs, and the outline of a tree ("  " per level before each title) as the view shows it and
// as the tree files on disk hold it.
#pragma once

#include "AppTestSupport.h"

#include "uDocModel.h"
#include "uStorage.h"

#include <QStringList>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>
#include <map>
#include <string>
#include <utility>
#include <vector>

struct TTreeProject {
    std::string FileName;
    std::string Root;  // with a trailing separator
    std::map<std::string, std::string> Ids;  // title -> id
};

// <ADir>/Manual.svp beside <ADir>/Manual/: one topic per (title, parent title) pair, in order
// (an empty parent makes a root topic), each with the body "<p>title</p>".
inline TTreeProject MakeTreeProject(const std::string& ADir,
                                    const std::vector<std::pair<std::string, std::string>>& ATopics) {
    TTreeProject t;
    t.FileName = CombinePath(ADir, "Manual.svp");
    t.Root = IncludeTrailingPathDelimiter(CombinePath(ADir, "Manual"));
    TDocProject p;
    p.SetRootPath(t.Root);
    p.SetTitle("Manual");
    for (const auto& [title, parent] : ATopics) {
        TTopic& topic = p.AddTopic(title, parent.empty() ? std::string() : t.Ids.at(parent));
        t.Ids[title] = topic.ID();
        WriteUtf8File(topic.HtmlPath(), "<p>" + title + "</p>");
    }
    SaveProjectFile(t.FileName, p);
    return t;
}

inline QStringList ViewOutline(const QTreeWidget* ATree) {
    QStringList out;
    for (QTreeWidgetItemIterator it(const_cast<QTreeWidget*>(ATree)); *it; ++it) {
        int depth = 0;
        for (const QTreeWidgetItem* p = (*it)->parent(); p; p = p->parent())
            ++depth;
        out << QString(depth * 2, ' ') + (*it)->text(0);
    }
    return out;
}

inline QStringList ProjectOutline(const TDocProject& AProject) {
    QStringList out;
    ForEachTopicInTocOrder(AProject, [&](const TTopic& ATopic, int ADepth) {
        out << QString(ADepth * 2, ' ') + QString::fromStdString(ATopic.Title());
        return true;
    });
    return out;
}

// The outline the tree files under ARoot hold.
inline QStringList DiskOutline(const std::string& ARoot) {
    TDocProject p;
    LoadProjectFolder(ARoot, p);
    return ProjectOutline(p);
}
