#include "uImportLinks.h"

#include "uAssetPaths.h"
#include "uRegex.h"
#include "uUtils.h"

#include <fnmatch.h>

#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

namespace {

bool IsInside(const std::string& APath, const std::string& AFolder) {
    return APath.size() > AFolder.size() && StartsWith(APath, AFolder) && APath[AFolder.size()] == '/';
}

std::string RealPath(const std::string& APath) {
    std::error_code ec;
    const fs::path p = fs::canonical(APath, ec);
    return ec ? std::string() : p.string();
}

}  // namespace

TImportTree::TImportTree(const std::string& AFolder, std::vector<std::string> AExcludes)
    : FFolder(ExcludeTrailingPathDelimiter(ExpandFileName(AFolder))), FExcludes(std::move(AExcludes)) {
    FRealFolder = RealPath(FFolder);
    if (FRealFolder.empty())
        FRealFolder = FFolder;
}

bool TImportTree::IsPageName(const std::string& APath) {
    const std::string ext = LowerAscii(ExtractFileExt(APath));
    return ext == ".html" || ext == ".htm";
}

bool TImportTree::HasExternalScheme(std::string_view AAddress) {
    static const TRegex scheme("^[A-Za-z][A-Za-z0-9+.-]*:");
    const auto m = scheme.Match(AAddress);
    if (!m || StartsText("file:", AAddress))
        return false;
    return !(m->Length() == 2 && AAddress.size() > 2 && (AAddress[2] == '/' || AAddress[2] == '\\'));
}

bool TImportTree::IsScriptAddress(std::string_view AAddress) {
    const std::string t = LowerAscii(Trim(AAddress));
    return StartsWith(t, "javascript:") || StartsWith(t, "vbscript:");
}

bool TImportTree::Contains(const std::string& APath) const {
    const std::string lexical = ExpandFileName(APath);
    if (!IsInside(lexical, FFolder))
        return false;
    const std::string real = RealPath(lexical);
    return real.empty() || IsInside(real, FRealFolder);
}

std::string TImportTree::Relative(const std::string& APath) const {
    if (IsInside(APath, FFolder))
        return APath.substr(FFolder.size() + 1);
    if (IsInside(APath, FRealFolder))
        return APath.substr(FRealFolder.size() + 1);
    return APath;
}

bool TImportTree::IsExcluded(const std::string& APath) const {
    const std::string rel = Relative(APath);
    const std::string name = ExtractFileName(APath);
    for (const std::string& pattern : FExcludes) {
        const bool withPath = pattern.find('/') != std::string::npos;
        if (fnmatch(pattern.c_str(), (withPath ? rel : name).c_str(), withPath ? FNM_PATHNAME : 0) == 0)
            return true;
    }
    return false;
}

// The one existing path that equals APath ignoring ASCII case, component by component below the
// tree's folder; empty when none or more than one name matches.
std::string TImportTree::FindIgnoringCase(const std::string& APath) {
    if (!IsInside(APath, FFolder))
        return "";
    std::string current = FFolder;
    for (const std::string& part : SplitString(APath.substr(FFolder.size() + 1), '/')) {
        auto it = FListings.find(current);
        if (it == FListings.end()) {
            std::vector<std::string> names;
            std::error_code ec;
            for (fs::directory_iterator d(current, ec), end; !ec && d != end; d.increment(ec))
                names.push_back(d->path().filename().string());
            it = FListings.emplace(current, std::move(names)).first;
        }
        std::string match;
        int count = 0;
        for (const std::string& name : it->second)
            if (SameText(name, part)) {
                match = name;
                ++count;
            }
        if (count != 1)
            return "";
        current += "/" + match;
    }
    return current;
}

TLinkTarget TImportTree::Resolve(std::string_view AAddress, const std::string& AFromFolder) {
    TLinkTarget t;
    const std::string address = Trim(AAddress);
    if (address.empty())
        return t;
    if (address[0] == '#') {
        t.Kind = TLinkKind::SameFragment;
        t.Fragment = address.substr(1);
        return t;
    }
    if (HasExternalScheme(address) || StartsWith(address, "//")) {
        t.Kind = TLinkKind::External;
        return t;
    }
    std::string rest = address;
    if (const size_t hash = rest.find('#'); hash != std::string::npos) {
        t.Fragment = rest.substr(hash + 1);
        rest.erase(hash);
    }
    if (const size_t q = rest.find('?'); q != std::string::npos)
        rest.erase(q);
    if (rest.empty()) {  // "?x" or "#x" after a query: the page itself
        t.Kind = TLinkKind::SameFragment;
        return t;
    }
    std::string path;
    try {
        if (StartsText("file://", rest)) {
            path = UrlDecode(std::string_view(rest).substr(7));
            if (!StartsWith(path, "/"))  // file://host/... names another machine
                path.clear();
        } else {
            path = UrlDecode(rest);
        }
    } catch (const std::exception&) {
        t.Kind = TLinkKind::BadEscape;
        return t;
    }
    if (path.empty() || path.find('\0') != std::string::npos) {
        t.Kind = TLinkKind::Outside;
        return t;
    }
    path = ExpandFileName(IsPathRooted(path) ? path : CombinePath(AFromFolder, path));
    if (!IsInside(path, FFolder) && !IsInside(path, FRealFolder)) {
        t.Kind = TLinkKind::Outside;
        return t;
    }
    std::error_code ec;
    if (!fs::exists(path, ec)) {
        const std::string other = fs::is_symlink(fs::symlink_status(path, ec)) ? std::string() : FindIgnoringCase(path);
        if (other.empty()) {
            t.Kind = TLinkKind::Missing;
            return t;
        }
        path = other;
    }
    const std::string real = RealPath(path);
    if (real.empty() || !IsInside(real, FRealFolder)) {
        t.Kind = TLinkKind::OutsideLink;
        return t;
    }
    if (fs::is_directory(real, ec)) {
        t.Kind = TLinkKind::Folder;
        return t;
    }
    t.Path = real;
    if (!IsPageName(real) && !IsPageName(path))
        t.Kind = TLinkKind::File;
    else
        t.Kind = IsExcluded(real) ? TLinkKind::ExcludedPage : TLinkKind::Page;
    return t;
}
