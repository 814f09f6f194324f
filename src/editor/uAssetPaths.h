// Where imported files go inside a project, and how the addresses an outside document uses are
// turned into files on disk. Copied files live in the project's assets sub-folders and are
// referred to from topic HTML by an address relative to the project root, such as
// "assets/images/a.png".
//
// Failures raise EAppError: a failed copy, a "%" that is not followed by two hexadecimal digits,
// and a path holding a character the platform does not allow (on this platform only NUL).
// Pure functions apart from the file-system access their names say; not thread-safe when two
// callers reserve names in the same folder at once.
#pragma once

#include <set>
#include <string>
#include <string_view>

// A free name in an assets folder: the address written into HTML and the file it stands for.
struct TAssetReservation {
    std::string RelativeAddress;  // address prefix, "/", file name
    std::string DestinationPath;  // full path of the (not yet written) file
};

// Destination paths already handed out during one command. A name in this set counts as taken
// even while its file has not been written yet (a style sheet is written only after its own
// imports), so no two files of one command ever share a destination.
using TReservedAssetPaths = std::set<std::string>;

// Chooses a free name for ASourceFile in AProjectRoot/AFolderOnDisk, creating that folder: the
// source's own name, else base name, "_", a counter from 2 and the extension ("photo_2.png").
// A name is taken when a file of that path exists or AReserved (when given) holds it; the chosen
// path is added to AReserved. Copies nothing. Returns false, touching nothing, when one of the
// four texts is empty.
bool ReserveAssetPath(const std::string& AProjectRoot, const std::string& ASourceFile,
                      const std::string& AFolderOnDisk, const std::string& AAddressPrefix,
                      TAssetReservation& AOut, TReservedAssetPaths* AReserved = nullptr);
// The same in assets/images (pictures of Add Image and Replace Image).
bool ReserveImageAssetPath(const std::string& AProjectRoot, const std::string& ASourceFile,
                           TAssetReservation& AOut, TReservedAssetPaths* AReserved = nullptr);
// The same in assets/css (style sheets and every file a style sheet refers to).
bool ReserveCssAssetPath(const std::string& AProjectRoot, const std::string& ASourceFile,
                         TAssetReservation& AOut, TReservedAssetPaths* AReserved = nullptr);
// The same in the folder that the source's lower-cased extension chooses: images, fonts, media,
// css, else files.
bool ReserveAssetPathByExtension(const std::string& AProjectRoot, const std::string& ASourceFile,
                                 TAssetReservation& AOut, TReservedAssetPaths* AReserved = nullptr);

// The asset folder (relative to the project root, e.g. "assets/fonts") for a file name.
std::string AssetFolderForFile(const std::string& AFileName);

// Copies ASource to ADestination, never over an existing file. Raises EAppError naming both
// files when the copy fails.
void CopyAssetFile(const std::string& ASource, const std::string& ADestination);

// True when the trimmed, lower-cased value is empty or starts with a scheme or form that is
// never a local file: http: https: data: mailto: doc: // # javascript: tel: cid:
bool IsExternalRef(std::string_view AValue);
// Trimmed, cut at the first "#", then at the first "?".
std::string StripQueryAndFragment(std::string_view AValue);
// "%" and two hexadecimal digits become that byte, "+" a blank; the bytes are read as UTF-8
// (invalid sequences become U+FFFD). A "%" without two hexadecimal digits raises EAppError.
std::string UrlDecode(std::string_view AValue);

// The absolute path an address in the imported document names, or empty text for an empty one.
// A "file:///" URL keeps its leading "/" and decodes to an absolute path. Otherwise the decoded
// address is rooted ("/...") or relative to ABaseFolder; a rooted path naming no file is tried
// once more below ABaseFolder (a site-root address of a saved web page).
std::string ResolveLocalPath(std::string_view AValue, const std::string& ABaseFolder);
// The same for an address inside a style sheet, relative to AFolder; a rooted path is taken as
// it is, without the second try.
std::string ResolveCssPath(std::string_view AValue, const std::string& AFolder);

// A whole text file as UTF-8: its bytes when they are valid UTF-8 (a byte-order mark skipped),
// else read as Windows-1252.
std::string ReadImportTextFile(const std::string& AFileName);
// Windows-1252 bytes as UTF-8 (the five unassigned bytes become the C1 controls of that value).
std::string Windows1252ToUtf8(std::string_view ABytes);
