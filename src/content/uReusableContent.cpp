#include "uReusableContent.h"

#include "uHtmlUtils.h"
#include "uUtils.h"

namespace {

// Builds a TJson document from parser events, turning numbers into strings of their text.
class TNumberTextBuilder {
public:
    using number_integer_t = TJson::number_integer_t;
    using number_unsigned_t = TJson::number_unsigned_t;
    using number_float_t = TJson::number_float_t;
    using string_t = TJson::string_t;
    using binary_t = TJson::binary_t;

    explicit TNumberTextBuilder(TJson& ARoot) : FRoot(ARoot) {}

    bool null() { return Put(TJson(nullptr)); }
    bool boolean(bool AValue) { return Put(TJson(AValue)); }
    bool number_integer(number_integer_t AValue) { return Put(TJson(IntToStr(AValue))); }
    bool number_unsigned(number_unsigned_t AValue) { return Put(TJson(std::to_string(AValue))); }
    bool number_float(number_float_t, const string_t& AText) { return Put(TJson(AText)); }
    bool string(string_t& AValue) { return Put(TJson(std::move(AValue))); }
    bool binary(binary_t&) { return Put(TJson(nullptr)); }
    bool start_object(std::size_t) { return Open(TJson::object()); }
    bool key(string_t& AKey) {
        FKey = std::move(AKey);
        return true;
    }
    bool end_object() { return Close(); }
    bool start_array(std::size_t) { return Open(TJson::array()); }
    bool end_array() { return Close(); }
    bool parse_error(std::size_t, const std::string&, const nlohmann::detail::exception&) { return false; }

private:
    bool Put(TJson AValue) {
        Insert(std::move(AValue));
        return true;
    }
    TJson* Insert(TJson AValue) {
        if (FStack.empty()) {
            FRoot = std::move(AValue);
            return &FRoot;
        }
        TJson& parent = *FStack.back();
        if (parent.is_array()) {
            parent.push_back(std::move(AValue));
            return &parent.back();
        }
        // A repeated key keeps the last value, as the DOM parser does.
        TJson& slot = parent[FKey];
        slot = std::move(AValue);
        return &slot;
    }
    bool Open(TJson AContainer) {
        FStack.push_back(Insert(std::move(AContainer)));
        return true;
    }
    bool Close() {
        FStack.pop_back();
        return true;
    }

    TJson& FRoot;
    std::vector<TJson*> FStack;
    std::string FKey;
};

template <typename T>
int IndexOfName(const std::vector<T>& AList, std::string_view AName) {
    for (size_t i = 0; i < AList.size(); ++i)
        if (SameText(AList[i].Name, AName))
            return static_cast<int>(i);
    return -1;
}

std::string MakeToken(std::string_view AKeyword, std::string_view AName) {
    std::string token = "{";
    token.append(AKeyword);
    token.push_back(':');
    token.append(AName);
    token.push_back('}');
    return HtmlEncodeEntities(token);
}

}  // namespace

bool JsonParseKeepingNumberText(std::string_view AText, TJson& AOut) {
    AOut = TJson();
    TNumberTextBuilder builder(AOut);
    bool ok = false;
    try {
        ok = TJson::sax_parse(AText.begin(), AText.end(), &builder);
    } catch (const TJson::exception&) {
        ok = false;
    }
    if (!ok)
        AOut = TJson();
    return ok;
}

std::string JsonReadString(const TJson* AObject, std::string_view AKey, const std::string& ADefault) {
    const TJson* v = AObject ? JsonMember(*AObject, AKey) : nullptr;
    if (!v)
        return ADefault;
    if (v->is_object() || v->is_array())
        return "";
    return JsonText(v);
}

bool JsonReadBool(const TJson* AObject, std::string_view AKey, bool ADefault) {
    const TJson* v = AObject ? JsonMember(*AObject, AKey) : nullptr;
    if (!v)
        return ADefault;
    std::string text = LowerAscii(Trim(JsonReadString(AObject, AKey, "")));
    if (text == "true" || text == "1")
        return true;
    if (text == "false" || text == "0")
        return false;
    return ADefault;
}

std::string ReusableContentPath(const TDocProject& AProject) {
    return CombinePath(CombinePath(AProject.RootPath(), "meta"), "reusable_content.json");
}

std::string MakeVariableToken(std::string_view AName) { return MakeToken("var", AName); }
std::string MakeSnippetToken(std::string_view AName) { return MakeToken("snip", AName); }
std::string MakeBeginConditionToken(std::string_view AName) { return MakeToken("begincond", AName); }

void TReusableProjectContent::Clear() {
    FVariables.clear();
    FSnippets.clear();
    FConditions.clear();
}

void TReusableProjectContent::LoadFromProject(const TDocProject* AProject) {
    Clear();
    if (!AProject || AProject->RootPath().empty())
        return;
    LoadFromFile(ReusableContentPath(*AProject));
}

void TReusableProjectContent::LoadFromFile(const std::string& AFileName) {
    Clear();
    if (!FileExists(AFileName))
        return;
    TJson doc;
    if (!JsonParseKeepingNumberText(ReadUtf8File(AFileName), doc))
        return;
    JsonRequireObject(doc, AFileName);
    auto eachElement = [&](const char* AMember, auto&& AAppend) {
        const TJson* list = JsonMember(doc, AMember);
        if (!list)
            return;
        JsonRequireArray(*list, "\"" + std::string(AMember) + "\" in " + AFileName);
        for (const TJson& e : *list) {
            if (!e.is_object())
                continue;
            std::string name = Trim(JsonReadString(&e, "name", ""));
            if (!name.empty())
                AAppend(std::move(name), e);
        }
    };
    eachElement("variables", [&](std::string AName, const TJson& AEntry) {
        FVariables.push_back({std::move(AName), JsonReadString(&AEntry, "value", "")});
    });
    eachElement("snippets", [&](std::string AName, const TJson& AEntry) {
        FSnippets.push_back({std::move(AName), JsonReadString(&AEntry, "html", "")});
    });
    eachElement("conditions", [&](std::string AName, const TJson& AEntry) {
        FConditions.push_back({std::move(AName), JsonReadBool(&AEntry, "enabled", true)});
    });
}

void TReusableProjectContent::SaveToProject(const TDocProject* AProject) const {
    if (!AProject || AProject->RootPath().empty())
        return;
    EnsureDir(CombinePath(AProject->RootPath(), "meta"));
    TJson variables = TJson::array(), snippets = TJson::array(), conditions = TJson::array();
    for (const auto& v : FVariables) {
        std::string name = Trim(v.Name);
        if (!name.empty())
            variables.push_back(TJson{{"name", name}, {"value", v.Value}});
    }
    for (const auto& s : FSnippets) {
        std::string name = Trim(s.Name);
        if (!name.empty())
            snippets.push_back(TJson{{"name", name}, {"html", s.Html}});
    }
    for (const auto& c : FConditions) {
        std::string name = Trim(c.Name);
        if (!name.empty())
            conditions.push_back(TJson{{"name", name}, {"enabled", c.Enabled}});
    }
    TJson root = TJson::object();
    root["variables"] = std::move(variables);
    root["snippets"] = std::move(snippets);
    root["conditions"] = std::move(conditions);
    WriteUtf8File(ReusableContentPath(*AProject), JsonWrite(root));
}

int TReusableProjectContent::IndexOfVariable(std::string_view AName) const { return IndexOfName(FVariables, AName); }
int TReusableProjectContent::IndexOfSnippet(std::string_view AName) const { return IndexOfName(FSnippets, AName); }
int TReusableProjectContent::IndexOfCondition(std::string_view AName) const { return IndexOfName(FConditions, AName); }

std::string TReusableProjectContent::VariableValue(std::string_view AName, const std::string& ADefault) const {
    int i = IndexOfVariable(AName);
    return i < 0 ? ADefault : FVariables[static_cast<size_t>(i)].Value;
}

std::string TReusableProjectContent::SnippetHtml(std::string_view AName, const std::string& ADefault) const {
    int i = IndexOfSnippet(AName);
    return i < 0 ? ADefault : FSnippets[static_cast<size_t>(i)].Html;
}

bool TReusableProjectContent::ConditionEnabled(std::string_view AName, bool ADefault) const {
    int i = IndexOfCondition(AName);
    return i < 0 ? ADefault : FConditions[static_cast<size_t>(i)].Enabled;
}
