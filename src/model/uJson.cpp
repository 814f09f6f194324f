#include "uJson.h"

#include "uUtils.h"

namespace {

const char kHex[] = "0123456789ABCDEF";

void AppendU(std::string& out, unsigned v) {
    out += "\\u";
    out.push_back(kHex[(v >> 12) & 0xF]);
    out.push_back(kHex[(v >> 8) & 0xF]);
    out.push_back(kHex[(v >> 4) & 0xF]);
    out.push_back(kHex[v & 0xF]);
}

void WriteValue(std::string& out, const TJson& v) {
    switch (v.type()) {
    case TJson::value_t::object: {
        out.push_back('{');
        bool first = true;
        for (auto it = v.begin(); it != v.end(); ++it) {
            if (!first)
                out.push_back(',');
            first = false;
            out.push_back('"');
            JsonEscapeAppend(out, it.key());
            out += "\":";
            WriteValue(out, it.value());
        }
        out.push_back('}');
        break;
    }
    case TJson::value_t::array: {
        out.push_back('[');
        bool first = true;
        for (const auto& e : v) {
            if (!first)
                out.push_back(',');
            first = false;
            WriteValue(out, e);
        }
        out.push_back(']');
        break;
    }
    case TJson::value_t::string:
        out.push_back('"');
        JsonEscapeAppend(out, v.get_ref<const std::string&>());
        out.push_back('"');
        break;
    case TJson::value_t::null:
    case TJson::value_t::discarded:
        out += "null";
        break;
    default:  // booleans and numbers: nlohmann writes the shortest text that reads back
        out += v.dump();
        break;
    }
}

}  // namespace

void JsonEscapeAppend(std::string& out, std::string_view AText) {
    size_t i = 0;
    const size_t n = AText.size();
    while (i < n) {
        // A run of printable ASCII that needs no escape is appended whole.
        size_t plain = i;
        while (plain < n) {
            const unsigned char p = static_cast<unsigned char>(AText[plain]);
            if (p < 0x20 || p >= 0x80 || p == '"' || p == '\\' || p == '/')
                break;
            ++plain;
        }
        if (plain > i) {
            out.append(AText.data() + i, plain - i);
            i = plain;
            continue;
        }
        unsigned char c = static_cast<unsigned char>(AText[i]);
        if (c >= 0x20 && c < 0x80) {
            switch (c) {
            case '"': out += "\\\""; break;
            case '\\': out += "\\\\"; break;
            case '/': out += "\\/"; break;
            default: out.push_back(static_cast<char>(c)); break;
            }
            ++i;
            continue;
        }
        if (c < 0x20) {
            switch (c) {
            case '\b': out += "\\b"; break;
            case '\t': out += "\\t"; break;
            case '\n': out += "\\n"; break;
            case '\f': out += "\\f"; break;
            case '\r': out += "\\r"; break;
            default: AppendU(out, c); break;
            }
            ++i;
            continue;
        }
        // Non-ASCII: one code point (an invalid byte counts as U+FFFD).
        char32_t cp;
        if (!DecodeUtf8CodePoint(AText, i, cp))
            cp = 0xFFFD;
        if (cp >= 0x10000) {
            unsigned v = static_cast<unsigned>(cp - 0x10000);
            AppendU(out, 0xD800 + (v >> 10));
            AppendU(out, 0xDC00 + (v & 0x3FF));
        } else {
            AppendU(out, static_cast<unsigned>(cp));
        }
    }
}

std::string JsonQuote(std::string_view AText) {
    std::string out;
    out.reserve(AText.size() + 2);
    out.push_back('"');
    JsonEscapeAppend(out, AText);
    out.push_back('"');
    return out;
}

std::string JsonWrite(const TJson& AValue) {
    std::string out;
    WriteValue(out, AValue);
    return out;
}

namespace {

// Deeply nested text would make the parser (and every later copy of the value) recurse once per
// level; such text is refused like any other text that is not a usable JSON document.
bool NestingWithin(std::string_view AText, size_t ALimit) {
    size_t depth = 0;
    bool inString = false;
    for (size_t i = 0; i < AText.size(); ++i) {
        const char c = AText[i];
        if (inString) {
            if (c == '\\')
                ++i;
            else if (c == '"')
                inString = false;
        } else if (c == '"') {
            inString = true;
        } else if (c == '[' || c == '{') {
            if (++depth > ALimit)
                return false;
        } else if ((c == ']' || c == '}') && depth > 0) {
            --depth;
        }
    }
    return true;
}

}  // namespace

bool JsonTryParse(std::string_view AText, TJson& AOut) {
    if (!NestingWithin(AText, JsonMaxDepth)) {
        AOut = TJson(TJson::value_t::discarded);
        return false;
    }
    AOut = TJson::parse(AText.begin(), AText.end(), nullptr, /*allow_exceptions=*/false);
    return !AOut.is_discarded();
}

std::string JsonText(const TJson* AValue) {
    if (!AValue)
        return "";
    if (AValue->is_string())
        return AValue->get<std::string>();
    return JsonWrite(*AValue);
}

const TJson* JsonMember(const TJson& AObject, std::string_view AName) {
    if (!AObject.is_object())
        return nullptr;
    auto it = AObject.find(std::string(AName));
    return it == AObject.end() ? nullptr : &*it;
}

const TJson& JsonRequireObject(const TJson& AValue, std::string_view AWhat) {
    if (!AValue.is_object())
        throw EAppError("Invalid type cast: " + std::string(AWhat) + " is not a JSON object");
    return AValue;
}

const TJson& JsonRequireArray(const TJson& AValue, std::string_view AWhat) {
    if (!AValue.is_array())
        throw EAppError("Invalid type cast: " + std::string(AWhat) + " is not a JSON array");
    return AValue;
}
