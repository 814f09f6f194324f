// The rules of the start-up new version check that need no network and no widgets: reading the
// server's version and changes files, the version text shown to the user, the dialog's message,
// the download progress and the published checksum. The network side is uNewVersionCheck.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The program's own version number; 10 is shown as "1.0".
inline constexpr int OwnVersionNumber = 10;

// What the version file announces: its first line "latest/minimum" and, on an optional second
// line "sha256 <64 hex digits>", the checksum the installer must match (lower-case hex).
struct TVersionFile {
    int Latest = 0;
    int Minimum = 0;
    std::optional<std::string> Sha256;
};

// Reads the version file's text (a UTF-8 byte-order mark is skipped). Nothing when the first
// line has no "/", either side is not a decimal integer once trimmed, or a second line starts
// with "sha256" without a well-formed digest (a checksum that cannot be checked is no checksum).
// Any other second line is ignored, so files written for older versions stay valid.
std::optional<TVersionFile> ParseVersionFile(std::string_view AText);

// A decimal integer with an optional sign, nothing else; nothing on overflow.
std::optional<int> ParseDecimalInt(std::string_view AText);

// The digits of AVersion with "." before the last one: 12 -> "1.2", 110 -> "11.0", 7 -> ".7".
std::string DisplayVersionText(int AVersion);

// The changes file's lines (split at CR LF, LF or CR) without the empty ones.
std::vector<std::string> ChangesLines(std::string_view AText);

// What the dialog is to show, or nothing when this version is current.
struct TNewVersionOffer {
    bool Forced = false;  // the running version is below the minimum: update or leave
    std::string VersionText;  // the latest version as shown, "1.2"
    std::string Message;  // the first sentence of the dialog
    std::string DialogText;
};

// The decision and the texts: forced when Minimum is above AOwnVersion, offered when Latest is.
std::optional<TNewVersionOffer> DecideNewVersion(const TVersionFile& AFile, const std::vector<std::string>& AChanges,
                                                 int AOwnVersion = OwnVersionNumber);

// The progress bar position (0 to 100) after AReceived bytes, or nothing when the response is
// chunked or its length is unknown, in which case the bar keeps its place.
std::optional<int> DownloadProgressPercent(std::string_view ATransferEncoding, int64_t AContentLength,
                                           int64_t AReceived);

// The update server address in force: AEnvironment when it is set (an empty value turns the
// check off), else the address the program was built with. Trailing slashes are dropped.
std::string ResolveUpdateServer(std::string_view ABuiltIn, const std::optional<std::string>& AEnvironment);

// True for an address the check may use: "https://" (any case) followed by a host. Plain HTTP
// and every other scheme are refused, so nothing can be fetched or run from an unverified peer.
bool IsSecureServerAddress(std::string_view AAddress);
