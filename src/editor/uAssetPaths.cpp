#include "uAssetPaths.h"

#include "uUtils.h"

#include <cstdio>
#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

namespace {

const char* const kImagesFolder = "assets/images";
const char* const kCssFolder = "assets/css";

struct TAssetFolderRule {
    const char* Folder;  // folder on disk below the project root, and address prefix alike
    std::initializer_list<const char*> Extensions;
};

const TAssetFolderRule kAssetFolders[] = {
    {kImagesFolder, {".png", ".jpg", ".jpeg", ".gif", ".bmp", ".webp", ".svg", ".ico", ".avif"}},
    {"assets/fonts", {".woff", ".woff2", ".ttf", ".otf", ".eot"}},
    {"assets/media", {".mp4", ".webm", ".ogv", ".mp3", ".wav", ".ogg", ".m4a"}},
    {kCssFolder, {".css"}},
};
const char* const kOtherFilesFolder = "assets/files";

bool NameTaken(const std::string& APath, const TReservedAssetPaths* AReserved) {
    return FileExists(APath) || (AReserved && AReserved->count(APath) != 0);
}

// Raises the path error when the text holds a character no path may hold.
const std::string& CheckPathCharacters(const std::string& APath) {
    if (APath.find('\0') != std::string::npos)
        throw EAppError("Invalid characters in path");
    return APath;
}

std::string ResolvePath(std::string_view AValue, const std::string& AFolder, bool ATryRootedBelowFolder) {
    const std::string s = StripQueryAndFragment(AValue);
    if (s.empty())
        return "";
    if (StartsText("file:///", s))
        return ExpandFileName(CheckPathCharacters(UrlDecode(std::string_view(s).substr(7))));
    const std::string path = CheckPathCharacters(UrlDecode(s));
    if (!IsPathRooted(path))
        return ExpandFileName(CombinePath(AFolder, path));
    const std::string rooted = ExpandFileName(path);
    if (ATryRootedBelowFolder && !FileExists(rooted))
        return ExpandFileName(CombinePath(AFolder, path.substr(1)));
    return rooted;
}

}  // namespace

bool ReserveAssetPath(const std::string& AProjectRoot, const std::string& ASourceFile,
                      const std::string& AFolderOnDisk, const std::string& AAddressPrefix,
                      TAssetReservation& AOut, TReservedAssetPaths* AReserved) {
    if (AProjectRoot.empty() || ASourceFile.empty() || AFolderOnDisk.empty() || AAddressPrefix.empty())
        return false;
    const std::string folder = EnsureDir(CombinePath(AProjectRoot, AFolderOnDisk));
    const std::string baseName = FileNameWithoutExt(ASourceFile);
    const std::string ext = ExtractFileExt(ASourceFile);
    std::string name = ExtractFileName(ASourceFile);
    std::string destination = CombinePath(folder, name);
    for (int counter = 2; NameTaken(destination, AReserved); ++counter) {
        name = baseName + "_" + IntToStr(counter) + ext;
        destination = CombinePath(folder, name);
    }
    if (AReserved)
        AReserved->insert(destination);
    AOut.RelativeAddress = AAddressPrefix + "/" + name;
    AOut.DestinationPath = destination;
    return true;
}

bool ReserveImageAssetPath(const std::string& AProjectRoot, const std::string& ASourceFile,
                           TAssetReservation& AOut, TReservedAssetPaths* AReserved) {
    return ReserveAssetPath(AProjectRoot, ASourceFile, kImagesFolder, kImagesFolder, AOut, AReserved);
}

bool ReserveCssAssetPath(const std::string& AProjectRoot, const std::string& ASourceFile,
                         TAssetReservation& AOut, TReservedAssetPaths* AReserved) {
    return ReserveAssetPath(AProjectRoot, ASourceFile, kCssFolder, kCssFolder, AOut, AReserved);
}

bool ReserveAssetPathByExtension(const std::string& AProjectRoot, const std::string& ASourceFile,
                                 TAssetReservation& AOut, TReservedAssetPaths* AReserved) {
    const std::string folder = AssetFolderForFile(ASourceFile);
    return ReserveAssetPath(AProjectRoot, ASourceFile, folder, folder, AOut, AReserved);
}

std::string AssetFolderForFile(const std::string& AFileName) {
    const std::string ext = LowerAscii(ExtractFileExt(AFileName));
    for (const TAssetFolderRule& rule : kAssetFolders)
        for (const char* e : rule.Extensions)
            if (ext == e)
                return rule.Folder;
    return kOtherFilesFolder;
}

void CopyAssetFile(const std::string& ASource, const std::string& ADestination) {
    std::error_code ec;
    if (!fs::copy_file(fs::path(ASource), fs::path(ADestination), fs::copy_options::none, ec) || ec)
        throw EAppError("Cannot copy file \"" + ASource + "\" to \"" + ADestination +
                        "\": " + (ec ? ec.message() : std::string("not copied")));
}

bool IsExternalRef(std::string_view AValue) {
    static const char* const kExternalPrefixes[] = {"http:", "https:", "data:", "mailto:", "doc:",
                                                    "//", "#", "javascript:", "tel:", "cid:"};
    const std::string v = LowerAscii(Trim(AValue));
    if (v.empty())
        return true;
    for (const char* p : kExternalPrefixes)
        if (StartsWith(v, p))
            return true;
    return false;
}

std::string StripQueryAndFragment(std::string_view AValue) {
    std::string s = Trim(AValue);
    s = s.substr(0, s.find('#'));
    return s.substr(0, s.find('?'));
}

std::string UrlDecode(std::string_view AValue) {
    std::string bytes;
    bytes.reserve(AValue.size());
    for (size_t i = 0; i < AValue.size(); ++i) {
        const char c = AValue[i];
        if (c == '+') {
            bytes += ' ';
        } else if (c != '%') {
            bytes += c;
        } else {
            const int hi = i + 1 < AValue.size() ? HexDigitValue(AValue[i + 1]) : -1;
            const int lo = i + 2 < AValue.size() ? HexDigitValue(AValue[i + 2]) : -1;
            if (hi < 0 || lo < 0)
                throw EAppError("Malformed URL escape in \"" + std::string(AValue) + "\"");
            bytes += static_cast<char>(hi * 16 + lo);
            i += 2;
        }
    }
    return SanitizeUtf8(bytes);
}

std::string ResolveLocalPath(std::string_view AValue, const std::string& ABaseFolder) {
    return ResolvePath(AValue, ABaseFolder, true);
}

std::string ResolveCssPath(std::string_view AValue, const std::string& AFolder) {
    return ResolvePath(AValue, AFolder, false);
}

std::string ReadImportTextFile(const std::string& AFileName) {
    const std::string bytes = ReadFileBytes(AFileName);
    std::string_view v(bytes);
    if (StartsWith(v, "\xEF\xBB\xBF"))
        v.remove_prefix(3);
    if (IsValidUtf8(v))
        return std::string(v);
    return Windows1252ToUtf8(v);
}

std::string Windows1252ToUtf8(std::string_view ABytes) {
    // Code points of the bytes 0x80 to 0x9F; the rest of the code page equals Latin-1.
    static const char16_t kHigh[32] = {
        0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
        0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
        0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};
    std::string out;
    out.reserve(ABytes.size() + ABytes.size() / 4);
    for (char c : ABytes) {
        const unsigned char b = static_cast<unsigned char>(c);
        if (b < 0x80)
            out += c;
        else
            AppendUtf8(out, b < 0xA0 ? kHigh[b - 0x80] : b);
    }
    return out;
}
