// What an address in a page of an imported manual leads to. Only the folder tree of the start
// page is ever read: an address that climbs out of it with "..", an absolute path elsewhere, or
// a symbolic link whose target lies outside it is "outside". Pages are ".html" and ".htm" files
// (any case); an address whose letter case differs from the file's (Intro.htm linked as
// intro.htm) finds the file when exactly one name matches ignoring case.
// Reads the file system; not thread-safe (it caches folder listings).
#pragma once

#include <map>
#include <string>
#include <string_view>
#include <vector>

enum class TLinkKind {
    Empty,          // no address
    SameFragment,   // "#x"
    External,       // a scheme other than file:, or "//host"
    Page,           // an HTML page inside the tree
    ExcludedPage,   // a page that an --exclude pattern names
    File,           // another existing file inside the tree
    Missing,        // inside the tree, but no such file
    Outside,        // climbs out of the tree or names a path elsewhere
    OutsideLink,    // a symbolic link whose target lies outside the tree
    Folder,         // a folder
    BadEscape       // a "%" without two hexadecimal digits
};

struct TLinkTarget {
    TLinkKind Kind = TLinkKind::Empty;
    std::string Path;      // the file's full path (links resolved) for Page, ExcludedPage, File
    std::string Fragment;  // after "#", as written (not decoded); empty when there is none
};

class TImportTree {
public:
    // AFolder: the start page's folder. AExcludes: glob patterns; one without "/" is matched
    // against a page's file name, one with "/" against its path relative to the folder.
    TImportTree(const std::string& AFolder, std::vector<std::string> AExcludes);

    const std::string& Folder() const { return FFolder; }
    // What AAddress (as written in an attribute, references decoded) in a page of AFromFolder
    // leads to.
    TLinkTarget Resolve(std::string_view AAddress, const std::string& AFromFolder);
    // Whether APath (a full path) lies inside the tree, symbolic links followed.
    bool Contains(const std::string& APath) const;
    // APath relative to the tree's folder, with "/" ("ch1/intro.html").
    std::string Relative(const std::string& APath) const;
    bool IsExcluded(const std::string& APath) const;
    // Whether a ".html" or ".htm" file name.
    static bool IsPageName(const std::string& APath);
    // Whether the address starts with a scheme other than "file:" (drive letters aside).
    static bool HasExternalScheme(std::string_view AAddress);
    // Whether "javascript:" or "vbscript:".
    static bool IsScriptAddress(std::string_view AAddress);

private:
    std::string FindIgnoringCase(const std::string& APath);

    std::string FFolder;      // lexically normalised, no trailing separator
    std::string FRealFolder;  // links resolved
    std::vector<std::string> FExcludes;
    std::map<std::string, std::vector<std::string>> FListings;
};
