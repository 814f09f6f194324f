// Reading printed PDF manuals back in the tests: poppler's pdftotext and qpdf run as programs,
// their output parsed into words with boxes and into qpdf's JSON.
#pragma once

#include "uProcess.h"
#include "uUtils.h"

#include "common/TestHelpers.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <cstdlib>
#include <string>
#include <vector>

namespace pdf_fixture {

// Runs a program and returns what it wrote to stdout (through a file, no shell quoting).
inline std::string RunAndCapture(const std::vector<std::string>& AArgs, const std::string& AOutFile) {
    std::vector<std::string> args = {"/bin/sh", "-c", "\"$0\" \"$@\" > \"$OUT\""};
    args.insert(args.end(), AArgs.begin(), AArgs.end());
    TScopedEnv out("OUT", AOutFile);
    EXPECT_EQ(RunProcessAndWait(args), 0) << AArgs[0];
    return GetFile(AOutFile);
}

inline std::string Tool(const char* AName) {
    const char* path = std::getenv("PATH");
    return FindExecutableOnPath(AName, path ? path : "/usr/bin:/bin");
}

// A word as pdftotext -bbox gives it: text (entities decoded) and box in points from the top left.
struct TBoxWord {
    std::string FText;
    double FLeft = 0, FTop = 0, FRight = 0, FBottom = 0;
};

struct TBoxPage {
    double FWidth = 0, FHeight = 0;
    std::vector<TBoxWord> FWords;
};

inline double BoxAttribute(const std::string& ATag, const std::string& AName) {
    const size_t at = ATag.find(" " + AName + "=\"");
    return at == std::string::npos ? -1 : std::stod(ATag.substr(at + AName.size() + 3));
}

inline std::string DecodeXmlText(std::string AText) {
    for (const auto& [from, to] : {std::pair<const char*, const char*>{"&lt;", "<"}, {"&gt;", ">"}, {"&quot;", "\""},
                                   {"&apos;", "'"}, {"&amp;", "&"}})
        AText = ReplaceText(AText, from, to);
    return AText;
}

// Every page with its words in reading order.
inline std::vector<TBoxPage> ReadBoxPages(const std::string& APdf, const std::string& AScratchFile) {
    const std::string xml = RunAndCapture({Tool("pdftotext"), "-bbox", APdf, "-"}, AScratchFile);
    std::vector<TBoxPage> pages;
    for (size_t at = xml.find('<'); at != std::string::npos; at = xml.find('<', at + 1)) {
        const std::string tag = xml.substr(at, xml.find('>', at) - at);
        if (StartsWith(tag, "<page ")) {
            pages.push_back({BoxAttribute(tag, "width"), BoxAttribute(tag, "height"), {}});
        } else if (StartsWith(tag, "<word ") && !pages.empty()) {
            const size_t textAt = xml.find('>', at) + 1;
            pages.back().FWords.push_back({DecodeXmlText(xml.substr(textAt, xml.find('<', textAt) - textAt)),
                                           BoxAttribute(tag, "xMin"), BoxAttribute(tag, "yMin"),
                                           BoxAttribute(tag, "xMax"), BoxAttribute(tag, "yMax")});
        }
    }
    return pages;
}

// The word lowest on a page (boxes from the top); an empty word for a page without words.
inline TBoxWord LowestWord(const TBoxPage& APage) {
    TBoxWord lowest;
    for (const TBoxWord& w : APage.FWords)
        if (w.FBottom > lowest.FBottom)
            lowest = w;
    return lowest;
}

// qpdf --json with one key, parsed.
inline nlohmann::json QpdfJson(const std::string& APdf, const std::string& AKey, const std::string& AScratchFile) {
    return nlohmann::json::parse(
        RunAndCapture({Tool("qpdf"), "--json", "--json-key=" + AKey, APdf}, AScratchFile))[AKey];
}

}  // namespace pdf_fixture
