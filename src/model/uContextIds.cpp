#include "uContextIds.h"

#include "uJson.h"
#include "uUtils.h"

#include <algorithm>
#include <filesystem>
#include <map>
#include <set>
#include <unordered_set>

namespace fs = std::filesystem;

namespace {

bool IsAsciiLetter(char C) { return (C >= 'A' && C <= 'Z') || (C >= 'a' && C <= 'z'); }
bool IsAsciiDigit(char C) { return C >= '0' && C <= '9'; }
bool IsHexDigit(char C) { return IsAsciiDigit(C) || (C >= 'A' && C <= 'F') || (C >= 'a' && C <= 'f'); }

std::string UpperAscii(std::string_view AText) {
    std::string s(AText);
    for (char& c : s)
        if (c >= 'a' && c <= 'z')
            c = char(c - 'a' + 'A');
    return s;
}

// Device names Windows keeps for itself, also as the part before an extension ("con.txt"): a
// context page named after such an alias could not be opened there.
bool IsReservedDeviceName(std::string_view AAlias) {
    const std::string base = UpperAscii(AAlias.substr(0, AAlias.find('.')));
    if (base == "CON" || base == "PRN" || base == "AUX" || base == "NUL")
        return true;
    return base.size() == 4 && (base.starts_with("COM") || base.starts_with("LPT")) && base[3] >= '1' && base[3] <= '9';
}

std::string TakenAliasMessage(const std::string& AAlias, const TTopic& AOther) {
    return "The alias " + AAlias + " is already used by the topic " + AOther.Title() + ".";
}
std::string TakenMapNameMessage(const std::string& AAlias, const TTopic& AOther) {
    return "The alias " + AAlias + " gives the map name " + HelpContextMapName(AAlias) + " of the alias " +
           AOther.HelpAlias() + ", already used by the topic " + AOther.Title() + ".";
}
std::string TakenNumberMessage(unsigned ANumber, const TTopic& AOther) {
    return "The help context number " + std::to_string(ANumber) + " is already used by the topic " + AOther.Title() + ".";
}
const char* const kNumberNeedsAlias = "A help context number needs a help alias.";

// The values one topic may take, checked by themselves.
std::string OwnValuesProblem(const std::string& AAlias, unsigned ANumber) {
    if (std::string p = HelpAliasProblem(AAlias); !p.empty())
        return p;
    if (ANumber > kMaxHelpContextNumber)
        return "The help context number " + std::to_string(ANumber) + " is out of range (1 to 2147483647).";
    if (ANumber != 0 && AAlias.empty())
        return kNumberNeedsAlias;
    return {};
}

void ClearContextIds(TDocProject& AProject) {
    for (TTopic& t : AProject.Topics()) {
        t.SetHelpAlias("");
        t.SetHelpContextNumber(0);
    }
}

// The aliases, map names and numbers in use, each with its topic.
struct TContextIdsInUse {
    std::map<std::string, const TTopic*> Aliases;   // lower-cased alias
    std::map<std::string, const TTopic*> MapNames;
    std::map<unsigned, const TTopic*> Numbers;

    std::string Problem(const std::string& AAlias, unsigned ANumber) const {
        if (!AAlias.empty()) {
            if (auto it = Aliases.find(LowerAscii(AAlias)); it != Aliases.end())
                return TakenAliasMessage(AAlias, *it->second);
            if (auto it = MapNames.find(HelpContextMapName(AAlias)); it != MapNames.end())
                return TakenMapNameMessage(AAlias, *it->second);
        }
        if (ANumber != 0)
            if (auto it = Numbers.find(ANumber); it != Numbers.end())
                return TakenNumberMessage(ANumber, *it->second);
        return {};
    }
    void Add(const TTopic& ATopic) {
        if (!ATopic.HelpAlias().empty()) {
            Aliases.emplace(LowerAscii(ATopic.HelpAlias()), &ATopic);
            MapNames.emplace(HelpContextMapName(ATopic.HelpAlias()), &ATopic);
        }
        if (ATopic.HelpContextNumber() != 0)
            Numbers.emplace(ATopic.HelpContextNumber(), &ATopic);
    }
};

}  // namespace

std::string HelpAliasProblem(std::string_view AAlias) {
    if (AAlias.empty())
        return {};
    const std::string a(AAlias);
    if (AAlias.size() > kMaxHelpAliasLength)
        return "The help alias " + a + " is longer than 64 characters.";
    bool valid = IsAsciiLetter(AAlias[0]) || AAlias[0] == '_';
    for (char c : AAlias)
        valid = valid && (IsAsciiLetter(c) || IsAsciiDigit(c) || c == '_' || c == '.' || c == '-');
    if (!valid)
        return "The help alias " + a + " must begin with a letter or _ and hold only letters, digits, _, . and -.";
    if (AAlias.size() == 32 && std::all_of(AAlias.begin(), AAlias.end(), IsHexDigit))
        return "The help alias " + a + " reads as a topic id (32 hexadecimal digits).";
    if (IsReservedDeviceName(AAlias))
        return "The help alias " + a + " is a device name Windows reserves.";
    return {};
}

std::string ParseHelpContextNumber(std::string_view AText, unsigned& ANumber) {
    const std::string text = Trim(std::string(AText));
    ANumber = 0;
    if (text.empty())
        return {};
    bool valid = text.size() <= 10 && text[0] != '0' && std::all_of(text.begin(), text.end(), IsAsciiDigit);
    unsigned long long n = valid ? std::stoull(text) : 0;
    if (!valid || n < 1 || n > kMaxHelpContextNumber)
        return "The help context number " + text +
               " must be a whole number from 1 to 2147483647, written in digits without leading zeros.";
    ANumber = unsigned(n);
    return {};
}

std::string HelpContextMapName(std::string_view AAlias) {
    std::string s = UpperAscii(AAlias);
    std::replace(s.begin(), s.end(), '.', '_');
    std::replace(s.begin(), s.end(), '-', '_');
    return s;
}

std::string HelpContextIdsProblem(const TDocProject& AProject, const std::string& AID, const std::string& AAlias,
                                  unsigned ANumber) {
    if (std::string p = OwnValuesProblem(AAlias, ANumber); !p.empty())
        return p;
    const std::string mapName = HelpContextMapName(AAlias);
    for (const TTopic& t : AProject.Topics()) {
        if (t.ID() == AID)
            continue;
        if (!AAlias.empty() && !t.HelpAlias().empty()) {
            if (SameText(t.HelpAlias(), AAlias))
                return TakenAliasMessage(AAlias, t);
            if (HelpContextMapName(t.HelpAlias()) == mapName)
                return TakenMapNameMessage(AAlias, t);
        }
        if (ANumber != 0 && t.HelpContextNumber() == ANumber)
            return TakenNumberMessage(ANumber, t);
    }
    return {};
}

std::vector<const TTopic*> TopicsWithContextIds(const TDocProject& AProject) {
    std::vector<const TTopic*> list;
    for (const TTopic& t : AProject.Topics())
        if (!t.HelpAlias().empty() || t.HelpContextNumber() != 0)
            list.push_back(&t);
    std::stable_sort(list.begin(), list.end(), [](const TTopic* A, const TTopic* B) {
        const bool an = A->HelpContextNumber() != 0, bn = B->HelpContextNumber() != 0;
        if (an != bn)
            return an;
        if (an && A->HelpContextNumber() != B->HelpContextNumber())
            return A->HelpContextNumber() < B->HelpContextNumber();
        const std::string la = LowerAscii(A->HelpAlias()), lb = LowerAscii(B->HelpAlias());
        if (la != lb)
            return la < lb;
        return A->ID() < B->ID();
    });
    return list;
}

std::string ContextIdsFilePath(const std::string& ARoot) {
    return CombinePath(CombinePath(ARoot, "meta"), "context_ids.json");
}

std::string ContextIdsJson(const TDocProject& AProject) {
    const auto list = TopicsWithContextIds(AProject);
    if (list.empty())
        return {};
    TJson topics = TJson::array();
    for (const TTopic* t : list) {
        TJson e = TJson::object();
        e["id"] = t->ID();
        if (!t->HelpAlias().empty())
            e["alias"] = t->HelpAlias();
        if (t->HelpContextNumber() != 0)
            e["number"] = t->HelpContextNumber();
        topics.push_back(std::move(e));
    }
    TJson file = TJson::object();
    file["topics"] = std::move(topics);
    return JsonWrite(file);
}

void ReadContextIds(std::string_view AText, TDocProject& AProject, const std::string& AWhat) {
    ClearContextIds(AProject);
    const std::string whole = "The help context ids file " + AWhat + " cannot be read: ";
    TJson j;
    if (!JsonTryParse(AText, j))
        throw EAppError(whole + "it is not JSON.");
    if (!j.is_object())
        throw EAppError(whole + "it is not a JSON object.");
    const TJson* topics = JsonMember(j, "topics");
    if (!topics)
        return;
    if (!topics->is_array())
        throw EAppError(whole + "\"topics\" is not an array.");
    try {
        TContextIdsInUse inUse;
        std::set<std::string> listed;
        size_t n = 0;
        for (const TJson& e : *topics) {
            ++n;
            const std::string at = "The help context ids file " + AWhat + " cannot be read at entry " + std::to_string(n) + ": ";
            if (!e.is_object())
                throw EAppError(at + "it is not an object.");
            const TJson* id = JsonMember(e, "id");
            if (!id || !id->is_string() || id->get<std::string>().empty())
                throw EAppError(at + "it has no topic id.");
            std::string alias;
            if (const TJson* a = JsonMember(e, "alias")) {
                if (!a->is_string())
                    throw EAppError(at + "\"alias\" is not a string.");
                alias = a->get<std::string>();
            }
            unsigned number = 0;
            if (const TJson* m = JsonMember(e, "number")) {
                if (!m->is_number_integer())
                    throw EAppError(at + "\"number\" is not an integer.");
                if (m->is_number_unsigned() ? (m->get<unsigned long long>() < 1 || m->get<unsigned long long>() > kMaxHelpContextNumber)
                                            : (m->get<long long>() < 1 || m->get<long long>() > kMaxHelpContextNumber))
                    throw EAppError(at + "the help context number " + JsonWrite(*m) + " is out of range (1 to 2147483647).");
                number = unsigned(m->get<unsigned long long>());
            }
            if (std::string p = OwnValuesProblem(alias, number); !p.empty())
                throw EAppError(at + p);
            const std::string topicId = id->get<std::string>();
            if (!listed.insert(topicId).second)
                throw EAppError(at + "the topic " + topicId + " is listed twice.");
            TTopic* topic = AProject.Topics().find(topicId);
            if (!topic)
                continue;  // a topic deleted outside the program: its ids go with it
            if (std::string p = inUse.Problem(alias, number); !p.empty())
                throw EAppError(at + p);
            topic->SetHelpAlias(alias);
            topic->SetHelpContextNumber(number);
            inUse.Add(*topic);
        }
    } catch (...) {
        ClearContextIds(AProject);
        throw;
    }
}

void SaveContextIds(const TDocProject& AProject) {
    if (!AProject.ContextIdsProblem().empty())
        return;
    const std::string path = ContextIdsFilePath(AProject.RootPath());
    const std::string json = ContextIdsJson(AProject);
    if (!json.empty()) {
        WriteUtf8File(path, json);
        return;
    }
    std::error_code ec;
    fs::remove(fs::path(path), ec);
    if (ec)
        throw EAppError("Cannot delete \"" + path + "\": " + ec.message());
}

void LoadContextIds(TDocProject& AProject) {
    const std::string path = ContextIdsFilePath(AProject.RootPath());
    if (!FileExists(path))
        return;
    try {
        ReadContextIds(ReadUtf8File(path), AProject, path);
    } catch (const std::exception& e) {
        ClearContextIds(AProject);
        AProject.SetContextIdsProblem(e.what());
    }
}

std::string KeepContextIdsFileAside(const std::string& ARoot) {
    const std::string path = ContextIdsFilePath(ARoot);
    for (int n = 1;; ++n) {
        const std::string aside = path + ".unreadable-" + std::to_string(n);
        std::error_code ec;
        if (fs::exists(fs::path(aside), ec) || fs::is_symlink(fs::symlink_status(fs::path(aside), ec)))
            continue;
        fs::rename(fs::path(path), fs::path(aside), ec);
        if (ec)
            throw EAppError("Cannot keep the unreadable file \"" + path + "\" aside: " + ec.message());
        return aside;
    }
}

void RequireReadableContextIds(const TDocProject& AProject) {
    if (!AProject.ContextIdsProblem().empty())
        throw EAppError(AProject.ContextIdsProblem());
}

// ---- Assign -------------------------------------------------------------------------------

std::string HelpAliasFromTitle(std::string_view ATitle) {
    std::string s;
    for (char c : ATitle) {
        if (IsAsciiLetter(c) || IsAsciiDigit(c))
            s += c;
        else if (s.empty() || s.back() != '_')
            s += '_';
    }
    auto trim = [](std::string& A) {
        const size_t b = A.find_first_not_of('_');
        A = b == std::string::npos ? std::string() : A.substr(b, A.find_last_not_of('_') - b + 1);
    };
    trim(s);
    if (s.empty())
        s = "topic";
    if (IsAsciiDigit(s[0]))
        s = "_" + s;
    if (s.size() > 60) {
        s.resize(60);
        while (s.size() > 1 && s.back() == '_')
            s.pop_back();
    }
    return s;
}

TAssignContextIdsResult AssignHelpContextIds(TDocProject& AProject, bool AAliases, bool ANumbers) {
    std::vector<TTopic*> order;
    std::unordered_set<std::string> seen;
    ForEachTopicInTocOrder(AProject, [&](const TTopic& ATopic, int) {
        if (seen.insert(ATopic.ID()).second)
            order.push_back(&AProject.GetTopic(ATopic.ID()));
        return true;
    });
    for (TTopic& t : AProject.Topics())
        if (seen.insert(t.ID()).second)
            order.push_back(&t);

    // The numbers are checked against the limit before anything changes.
    unsigned long long largest = 0;
    size_t toNumber = 0;
    for (const TTopic* t : order) {
        largest = std::max<unsigned long long>(largest, t->HelpContextNumber());
        if (t->HelpContextNumber() == 0 && (!t->HelpAlias().empty() || AAliases))
            ++toNumber;
    }
    const unsigned long long first = largest == 0 ? 1000 : largest + 10;
    if (ANumbers && toNumber > 0 && first + 10ull * (toNumber - 1) > kMaxHelpContextNumber)
        throw EAppError("Assign Help Context IDs stopped: a help context number would pass 2147483647. Nothing was assigned.");

    TAssignContextIdsResult result;
    if (AAliases) {
        // One set of map names covers both rules: aliases equal ignoring case share a map name.
        std::set<std::string> taken;
        for (const TTopic* t : order)
            if (!t->HelpAlias().empty())
                taken.insert(HelpContextMapName(t->HelpAlias()));
        for (TTopic* t : order) {
            if (!t->HelpAlias().empty())
                continue;
            const std::string base = HelpAliasFromTitle(t->Title());
            std::string alias = base;
            for (int n = 2; !HelpAliasProblem(alias).empty() || taken.count(HelpContextMapName(alias)); ++n) {
                const std::string suffix = "_" + std::to_string(n);
                std::string cut = base.substr(0, std::min(base.size(), kMaxHelpAliasLength - suffix.size()));
                while (cut.size() > 1 && cut.back() == '_')
                    cut.pop_back();
                alias = cut + suffix;
            }
            taken.insert(HelpContextMapName(alias));
            t->SetHelpAlias(alias);
            ++result.Aliases;
        }
    }
    if (ANumbers) {
        unsigned long long next = first;
        for (TTopic* t : order) {
            if (t->HelpContextNumber() != 0 || t->HelpAlias().empty())
                continue;
            t->SetHelpContextNumber(unsigned(next));
            next += 10;
            ++result.Numbers;
        }
    }
    return result;
}

// ---- header files ---------------------------------------------------------------------------

bool ParseContextMapFormat(std::string_view AText, TContextMapFormat& AFormat) {
    if (AText == "c")
        AFormat = TContextMapFormat::C;
    else if (AText == "csharp")
        AFormat = TContextMapFormat::CSharp;
    else if (AText == "python")
        AFormat = TContextMapFormat::Python;
    else if (AText == "json")
        AFormat = TContextMapFormat::Json;
    else
        return false;
    return true;
}

std::string ContextMapText(const TDocProject& AProject, TContextMapFormat AFormat) {
    std::vector<const TTopic*> numbered;
    for (const TTopic* t : TopicsWithContextIds(AProject))
        if (t->HelpContextNumber() != 0)
            numbered.push_back(t);
    std::string out;
    switch (AFormat) {
    case TContextMapFormat::C:
        for (const TTopic* t : numbered)
            out += "#define IDH_" + HelpContextMapName(t->HelpAlias()) + " " + std::to_string(t->HelpContextNumber()) + "\n";
        break;
    case TContextMapFormat::CSharp:
        out = "public static class HelpContext {";
        for (const TTopic* t : numbered)
            out += " public const int " + HelpContextMapName(t->HelpAlias()) + " = " + std::to_string(t->HelpContextNumber()) + ";";
        out += " }\n";
        break;
    case TContextMapFormat::Python:
        for (const TTopic* t : numbered)
            out += HelpContextMapName(t->HelpAlias()) + " = " + std::to_string(t->HelpContextNumber()) + "\n";
        break;
    case TContextMapFormat::Json: {
        TJson map = TJson::object();
        for (const TTopic* t : numbered)
            map[t->HelpAlias()] = t->HelpContextNumber();
        out = JsonWrite(map) + "\n";
        break;
    }
    }
    return out;
}
