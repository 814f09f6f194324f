#include "uTopicHeaders.h"

#include "uHtmlUtils.h"
#include "uUtils.h"

#include <filesystem>

namespace {

std::string MetaPath(const std::string& ARootPath, const std::string& AName) {
    return CombinePath(CombinePath(ARootPath, "meta"), AName);
}

std::optional<std::string> ReadIfExists(const std::string& APath) {
    if (!FileExists(APath))
        return std::nullopt;
    return ReadUtf8File(APath);
}

// Writes the file only when it does not already hold ABytes: the window saves the header at
// every topic switch, and most switches change nothing.
void WriteIfChanged(const std::string& APath, const std::string& ABytes) {
    if (FileExists(APath)) {
        try {
            if (ReadFileBytes(APath) == ABytes)
                return;
        } catch (const std::exception&) {
            // unreadable: written anew below
        }
    }
    WriteUtf8File(APath, ABytes);
}

}  // namespace

std::string HeaderHtmlPath(const std::string& ARootPath, const std::string& AID) {
    return MetaPath(ARootPath, "header_" + SafeFileName(AID) + ".html");
}

std::string HeaderBgPath(const std::string& ARootPath, const std::string& AID) {
    return MetaPath(ARootPath, "headerbg_" + SafeFileName(AID) + ".txt");
}

std::string DefaultHeaderHtmlPath(const std::string& ARootPath) { return MetaPath(ARootPath, "header_default.html"); }

std::string DefaultHeaderBgPath(const std::string& ARootPath) { return MetaPath(ARootPath, "headerbg_default.txt"); }

std::string DefaultHeaderHtml(const TProjectSettings& ASettings, const std::string& ATitle) {
    std::string font = Trim(ASettings.DefaultFontName);
    if (font.empty())
        font = "Segoe UI";
    font = ReplaceText(font, "\"", "&quot;");
    return "<div style=\"font-size:" + IntToStr(ASettings.FontSizeBody) + "px;font-family:" + font +
           ", Arial, sans-serif;color:" + ColorToHtml(ASettings.DefaultTextColor) + ";\"><b>" +
           HtmlEncodeEntities(ATitle) + "</b></div>";
}

TTopicHeader LoadTopicHeader(const TDocProject& AProject, const TProjectSettings& ASettings, const std::string& AID) {
    const std::string& root = AProject.RootPath();
    const bool forTopic = !AID.empty();
    TTopicHeader h;
    if (auto html = ReadIfExists(forTopic ? HeaderHtmlPath(root, AID) : DefaultHeaderHtmlPath(root)))
        h.Html = std::move(*html);
    else if (forTopic && AProject.HasTopic(AID))
        h.Html = DefaultHeaderHtml(ASettings, AProject.GetTopic(AID).Title());
    else
        h.Html = DefaultHeaderHtml(ASettings, AProject.Title());
    if (auto bg = ReadIfExists(forTopic ? HeaderBgPath(root, AID) : DefaultHeaderBgPath(root)))
        h.Bg = Trim(*bg);
    if (h.Bg.empty())
        h.Bg = BuiltInHeaderBg;
    return h;
}

void SaveTopicHeader(const std::string& ARootPath, const std::string& AID, const TTopicHeader& AHeader) {
    const bool forTopic = !AID.empty();
    WriteIfChanged(forTopic ? HeaderHtmlPath(ARootPath, AID) : DefaultHeaderHtmlPath(ARootPath), AHeader.Html);
    WriteIfChanged(forTopic ? HeaderBgPath(ARootPath, AID) : DefaultHeaderBgPath(ARootPath), AHeader.Bg);
}

TTopicHeader PublishedTopicHeader(const TDocProject& AProject, const std::string& AID, THeaderTitleForm ATitleForm) {
    const std::string& root = AProject.RootPath();
    TTopicHeader h{"", BuiltInHeaderBg};
    if (auto html = ReadIfExists(DefaultHeaderHtmlPath(root)))
        h.Html = std::move(*html);
    if (auto bg = ReadIfExists(DefaultHeaderBgPath(root)))
        h.Bg = Trim(*bg);
    if (!AID.empty()) {
        if (auto html = ReadIfExists(HeaderHtmlPath(root, AID)))
            h.Html = std::move(*html);
        if (auto bg = ReadIfExists(HeaderBgPath(root, AID)))
            h.Bg = Trim(*bg);
    }
    if (Trim(h.Bg).empty())
        h.Bg = BuiltInHeaderBg;
    if (Trim(h.Html).empty()) {
        const std::string title =
            ATitleForm == THeaderTitleForm::HtmlEncoded ? HtmlEncodeEntities(AProject.Title()) : AProject.Title();
        h.Html = "<div style=\"font-size:14px;\"><b>" + title + "</b></div>";
    }
    return h;
}

TTopicHeader WebHelpTopicHeader(const TDocProject& AProject, const std::string& AID) {
    return PublishedTopicHeader(AProject, AID, THeaderTitleForm::Plain);
}

TTopicHeader ChmTopicHeader(const TDocProject& AProject, const std::string& AID) {
    return PublishedTopicHeader(AProject, AID, THeaderTitleForm::HtmlEncoded);
}

std::optional<std::string> PdfHeaderSourceHtml(const TDocProject& AProject, const std::string& AID) {
    if (auto html = ReadIfExists(HeaderHtmlPath(AProject.RootPath(), AID)))
        return html;
    return ReadIfExists(DefaultHeaderHtmlPath(AProject.RootPath()));
}

void ResetHeaderBackgrounds(const std::string& ARootPath, const std::string& AColorText) {
    if (ARootPath.empty())
        return;
    const std::string meta = CombinePath(ARootPath, "meta");
    if (!DirectoryExists(meta))
        return;
    auto writeIgnoringErrors = [&](const std::string& APath) {
        try {
            WriteUtf8File(APath, AColorText);
        } catch (const std::exception&) {
        }
    };
    writeIgnoringErrors(DefaultHeaderBgPath(ARootPath));
    std::error_code ec;
    std::vector<std::string> targets;
    for (std::filesystem::directory_iterator it(meta, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        if (StartsText("headerbg_", name) && EndsText(".txt", name) && it->is_regular_file(ec))
            targets.push_back(it->path().string());
    }
    for (const std::string& path : targets)
        writeIgnoringErrors(path);
}
