#include "uChmProjectFiles.h"

#include "uCp1251.h"
#include "uIndexEntries.h"
#include "uUtils.h"

#include <algorithm>
#include <filesystem>
#include <unordered_set>

namespace fs = std::filesystem;

namespace {

constexpr const char* kEol = "\r\n";

void AddLine(std::string& AText, std::string_view ALine) {
    AText += ALine;
    AText += kEol;
}

void AddSitemapEntry(std::string& AText, const TTopic& ATopic) {
    AddLine(AText, "<LI><OBJECT type=\"text/sitemap\">");
    AddLine(AText, "<param name=\"Name\" value=\"" + ATopic.Title() + "\">");
    AddLine(AText, "<param name=\"Local\" value=\"" + ChmPageEntry(ATopic.ID()) + "\">");
    AddLine(AText, "</OBJECT>");
}

void AddTocEntry(const TDocProject& AProject, const std::string& AID, std::unordered_set<std::string>& AWritten,
                 std::string& AText) {
    if (!AProject.HasTopic(AID))
        return;
    const TTopic& topic = AProject.GetTopic(AID);
    if (topic.ExcludeChm() || !AWritten.insert(AID).second)
        return;
    AddSitemapEntry(AText, topic);
    if (topic.Children().empty())
        return;
    AddLine(AText, "<UL>");
    for (const std::string& child : topic.Children())
        AddTocEntry(AProject, child, AWritten, AText);
    AddLine(AText, "</UL>");
}

void CollectAssetFiles(const fs::path& AFolder, const std::string& APrefix, std::vector<std::string>& AOut) {
    std::vector<std::string> files, folders;
    for (const fs::directory_entry& e : fs::directory_iterator(AFolder)) {
        const std::string name = e.path().filename().string();
        if (e.is_symlink() && e.is_directory())
            continue;
        if (e.is_directory())
            folders.push_back(name);
        else if (e.is_regular_file())
            files.push_back(name);
    }
    std::sort(files.begin(), files.end());
    std::sort(folders.begin(), folders.end());
    for (const std::string& f : files)
        AOut.push_back(APrefix + f);
    for (const std::string& d : folders)
        CollectAssetFiles(AFolder / d, APrefix + d + "\\", AOut);
}

}  // namespace

std::string ChmPageEntry(const std::string& AID) { return "topics/" + AID + ".html"; }

std::vector<std::string> ChmPageList(const TDocProject& AProject) {
    std::vector<std::string> pages;
    std::unordered_set<std::string> seen;
    ForEachTopicInTocOrder(AProject, [&](const TTopic& t, int) {
        seen.insert(t.ID());
        if (!t.ExcludeChm())
            pages.push_back(ChmPageEntry(t.ID()));
        return true;
    });
    for (const TTopic& t : AProject.Topics())
        if (!seen.count(t.ID()) && !t.ExcludeChm())
            pages.push_back(ChmPageEntry(t.ID()));
    return pages;
}

void WriteChmToc(const TDocProject& AProject, const std::string& AOutputFolder, const TWindowsCodePage& ACodePage) {
    std::string text;
    AddLine(text, "<!DOCTYPE HTML PUBLIC \"-//IETF//DTD HTML//EN\">");
    AddLine(text, "<HTML>");
    AddLine(text, "<HEAD>");
    AddLine(text, "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=" + ACodePage.Charset() + "\">");
    AddLine(text, "</HEAD>");
    AddLine(text, "<BODY>");
    AddLine(text, "<OBJECT type=\"text/site properties\"></OBJECT>");
    AddLine(text, "<UL>");
    std::unordered_set<std::string> written;
    for (const std::string& id : AProject.RootTopicIDs())
        AddTocEntry(AProject, id, written, text);
    AddLine(text, "</UL>");
    AddLine(text, "</BODY>");
    AddLine(text, "</HTML>");
    WriteCodePageFile(CombinePath(AOutputFolder, "toc.hhc"), ACodePage, text);
}

namespace {

void AddIndexEntry(std::string& AText, const TIndexEntry& AEntry) {
    const std::string name = "<param name=\"Name\" value=\"" + AEntry.Text + "\">";
    if (AEntry.TopicIDs.empty()) {
        AddLine(AText, "<LI><OBJECT type=\"text/sitemap\">");
        AddLine(AText, name);
        AddLine(AText, "</OBJECT>");
    }
    for (const std::string& id : AEntry.TopicIDs) {
        AddLine(AText, "<LI><OBJECT type=\"text/sitemap\">");
        AddLine(AText, name);
        AddLine(AText, "<param name=\"Local\" value=\"" + ChmPageEntry(id) + "\">");
        AddLine(AText, "</OBJECT>");
    }
    if (AEntry.SubEntries.empty())
        return;
    AddLine(AText, "<UL>");
    for (const TIndexEntry& sub : AEntry.SubEntries)
        AddIndexEntry(AText, sub);
    AddLine(AText, "</UL>");
}

}  // namespace

std::string ChmIndexText(const TDocProject& AProject) {
    std::string text;
    AddLine(text, "<HTML><BODY><UL>");
    if (HasIndexEntries(AProject, TIndexOutput::Chm)) {
        for (const TIndexEntry& entry : BuildIndex(AProject, TIndexOutput::Chm))
            AddIndexEntry(text, entry);
    } else {
        for (const TTopic& t : AProject.Topics())
            if (!t.ExcludeChm())
                AddSitemapEntry(text, t);
    }
    AddLine(text, "</UL></BODY></HTML>");
    return text;
}

void WriteChmIndex(const TDocProject& AProject, const std::string& AOutputFolder, bool AUtf8) {
    const std::string file = CombinePath(AOutputFolder, "index.hhk");
    if (AUtf8)
        WriteUtf8File(file, ChmIndexText(AProject));
    else
        WriteCp1251File(file, ChmIndexText(AProject));
}

std::vector<std::string> ChmAssetEntries(const std::string& AOutputFolder) {
    std::vector<std::string> out;
    const std::string assets = CombinePath(AOutputFolder, "assets");
    if (!DirectoryExists(assets))
        return out;
    try {
        CollectAssetFiles(fs::path(assets), "assets/", out);
    } catch (const fs::filesystem_error& e) {
        throw EAppError("Cannot list the files of " + assets + ": " + e.code().message());
    }
    return out;
}

std::string ChmProjectFileText(const std::string& AOutputFolder, const std::string& ACompiledFile,
                               const std::vector<std::string>& APages, const TChmLanguage& ALanguage,
                               bool AFullTextSearch, const std::string& AContextSections) {
    if (APages.empty())
        throw EAppError("Nothing to publish: no topic is included in the CHM output");
    std::string text;
    AddLine(text, "[OPTIONS]");
    AddLine(text, "Compiled file=" + ACompiledFile);
    AddLine(text, "Contents file=toc.hhc");
    AddLine(text, "Index file=index.hhk");
    AddLine(text, "Default topic=" + APages.front());
    AddLine(text, AFullTextSearch ? "Full-text search=Yes" : "Full-text search=No");
    AddLine(text, "Language=" + ALanguage.LineValue());
    AddLine(text, "");
    AddLine(text, "[FILES]");
    AddLine(text, "toc.hhc");
    AddLine(text, "index.hhk");
    for (const std::string& p : APages)
        AddLine(text, p);
    AddLine(text, "style.css");
    for (const std::string& a : ChmAssetEntries(AOutputFolder))
        AddLine(text, a);
    return text + AContextSections;
}

void WriteChmProjectFile(const std::string& AOutputFolder, const std::string& ACompiledFile,
                         const std::vector<std::string>& APages, const TChmLanguage& ALanguage,
                         const TWindowsCodePage& ACodePage, const std::string& AContextSections) {
    WriteCodePageFile(CombinePath(AOutputFolder, "project.hhp"), ACodePage,
                      ChmProjectFileText(AOutputFolder, ACompiledFile, APages, ALanguage, true, AContextSections));
}
