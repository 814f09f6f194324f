#include "uIndexEntries.h"

#include "uUnicodeText.h"
#include "uUtils.h"

#include <unicode/ucol.h>
#include <unicode/unorm2.h>
#include <unicode/ustring.h>

#include <algorithm>
#include <map>
#include <memory>
#include <unordered_set>

namespace {

void ThrowIfFailed(UErrorCode AStatus, const char* AWhat) {
    if (U_FAILURE(AStatus))
        throw EAppError(std::string("Cannot ") + AWhat + " for the index: " + u_errorName(AStatus));
}

// ICU's root collator with canonical equivalence on, so NFC and NFD spellings compare alike.
class TRootCollator {
public:
    TRootCollator() {
        UErrorCode status = U_ZERO_ERROR;
        FCollator.reset(ucol_open("", &status));
        ThrowIfFailed(status, "open the collator");
        ucol_setAttribute(FCollator.get(), UCOL_NORMALIZATION_MODE, UCOL_ON, &status);
        ThrowIfFailed(status, "set up the collator");
    }
    // Negative, zero or positive as A sorts before, with or after B.
    int Compare(const std::u16string& A, const std::u16string& B) const {
        return ucol_strcoll(FCollator.get(), reinterpret_cast<const UChar*>(A.data()), static_cast<int32_t>(A.size()),
                            reinterpret_cast<const UChar*>(B.data()), static_cast<int32_t>(B.size()));
    }

private:
    struct TClose {
        void operator()(UCollator* A) const { ucol_close(A); }
    };
    std::unique_ptr<UCollator, TClose> FCollator;
};

// An entry while the index is gathered.
struct TGathered {
    std::string Text;
    std::u16string Shown;  // Text in UTF-16, for sorting
    std::vector<std::string> TopicIDs;
    std::unordered_set<std::string> Topics;
    std::vector<TGathered> Subs;
    std::map<std::u16string, size_t> SubByKey;

    explicit TGathered(const std::string& AText) : Text(AText), Shown(Utf8ToUtf16(AText)) {}
    void AddTopic(const std::string& AID) {
        if (Topics.insert(AID).second)
            TopicIDs.push_back(AID);
    }
};

TGathered& Find(std::vector<TGathered>& AList, std::map<std::u16string, size_t>& AByKey, const std::string& AText) {
    const auto [it, added] = AByKey.emplace(IndexEntryKey(AText), AList.size());
    if (added)
        AList.emplace_back(AText);
    return AList[it->second];
}

void SortAndEmit(std::vector<TGathered>& AList, const TRootCollator& ACollator, std::vector<TIndexEntry>& AOut) {
    std::sort(AList.begin(), AList.end(), [&](const TGathered& A, const TGathered& B) {
        const int c = ACollator.Compare(A.Shown, B.Shown);
        return c != 0 ? c < 0 : A.Shown < B.Shown;
    });
    AOut.reserve(AList.size());
    for (TGathered& g : AList) {
        TIndexEntry e{std::move(g.Text), std::move(g.TopicIDs), {}};
        SortAndEmit(g.Subs, ACollator, e.SubEntries);
        AOut.push_back(std::move(e));
    }
}

bool HasPage(const TTopic& ATopic, TIndexOutput AOutput) {
    return AOutput == TIndexOutput::Chm ? !ATopic.ExcludeChm() : !ATopic.ExcludeWeb();
}

}  // namespace

TIndexEntryParts SplitIndexEntry(const std::string& AEntry) {
    const size_t comma = AEntry.find(", ");
    if (comma == std::string::npos)
        return {Trim(AEntry), {}};
    return {Trim(AEntry.substr(0, comma)), Trim(AEntry.substr(comma + 2))};
}

std::u16string IndexEntryKey(const std::string& AText) {
    const std::u16string text = Utf8ToUtf16(AText);
    UErrorCode status = U_ZERO_ERROR;
    const UNormalizer2* nfc = unorm2_getNFCInstance(&status);
    ThrowIfFailed(status, "normalise an entry");
    std::u16string composed(text.size() * 3 + 4, u'\0');
    const int32_t n = unorm2_normalize(nfc, reinterpret_cast<const UChar*>(text.data()), static_cast<int32_t>(text.size()),
                                       reinterpret_cast<UChar*>(composed.data()), static_cast<int32_t>(composed.size()),
                                       &status);
    ThrowIfFailed(status, "normalise an entry");
    composed.resize(static_cast<size_t>(n));
    std::u16string folded(composed.size() * 3 + 4, u'\0');
    const int32_t m = u_strFoldCase(reinterpret_cast<UChar*>(folded.data()), static_cast<int32_t>(folded.size()),
                                    reinterpret_cast<const UChar*>(composed.data()), static_cast<int32_t>(composed.size()),
                                    U_FOLD_CASE_DEFAULT, &status);
    ThrowIfFailed(status, "fold an entry");
    folded.resize(static_cast<size_t>(m));
    return folded;
}

std::vector<const TTopic*> IndexOutputTopics(const TDocProject& AProject, TIndexOutput AOutput) {
    std::vector<const TTopic*> topics;
    std::unordered_set<std::string> reached;
    ForEachTopicInTocOrder(AProject, [&](const TTopic& ATopic, int) {
        reached.insert(ATopic.ID());
        if (AOutput == TIndexOutput::Pdf) {
            if (ATopic.ExcludePdf())
                return false;  // its sections and those of its whole subtree are left out
            topics.push_back(&ATopic);
        } else if (HasPage(ATopic, AOutput)) {
            topics.push_back(&ATopic);
        }
        return true;
    });
    if (AOutput != TIndexOutput::Pdf)
        for (const TTopic& t : AProject.Topics())
            if (!reached.count(t.ID()) && HasPage(t, AOutput))
                topics.push_back(&t);
    return topics;
}

bool HasIndexEntries(const TDocProject& AProject, TIndexOutput AOutput) {
    for (const TTopic* t : IndexOutputTopics(AProject, AOutput))
        for (const std::string& entry : t->IndexEntries())
            if (!SplitIndexEntry(entry).Main.empty())
                return true;
    return false;
}

std::vector<TIndexEntry> BuildIndex(const TDocProject& AProject, TIndexOutput AOutput) {
    std::vector<TGathered> mains;
    std::map<std::u16string, size_t> mainByKey;
    for (const TTopic* t : IndexOutputTopics(AProject, AOutput)) {
        const std::string title = Trim(t->Title());
        if (!title.empty())
            Find(mains, mainByKey, title).AddTopic(t->ID());
        for (const std::string& entry : t->IndexEntries()) {
            const TIndexEntryParts parts = SplitIndexEntry(entry);
            if (parts.Main.empty())
                continue;
            TGathered& main = Find(mains, mainByKey, parts.Main);
            if (parts.Sub.empty())
                main.AddTopic(t->ID());
            else
                Find(main.Subs, main.SubByKey, parts.Sub).AddTopic(t->ID());
        }
    }
    const TRootCollator collator;
    std::vector<TIndexEntry> index;
    SortAndEmit(mains, collator, index);
    return index;
}

std::string IndexEntryIssue(const std::string& AEntry) {
    if (!SplitIndexEntry(AEntry).Main.empty())
        return {};
    return "Index entry without a main entry: \"" + AEntry + "\"";
}
