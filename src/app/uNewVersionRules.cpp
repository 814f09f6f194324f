#include "uNewVersionRules.h"

#include "uUtils.h"

#include <charconv>

namespace {

constexpr std::string_view Utf8Bom = "\xEF\xBB\xBF";
constexpr std::string_view LineBreak = "\r\n";

std::string_view WithoutBom(std::string_view AText) {
    if (AText.substr(0, Utf8Bom.size()) == Utf8Bom)
        AText.remove_prefix(Utf8Bom.size());
    return AText;
}

// Splits at CR LF, LF or CR; a break at the very end starts no further line.
std::vector<std::string> SplitLines(std::string_view AText) {
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t i = 0; i < AText.size(); ++i) {
        if (AText[i] != '\r' && AText[i] != '\n')
            continue;
        lines.emplace_back(AText.substr(start, i - start));
        if (AText[i] == '\r' && i + 1 < AText.size() && AText[i + 1] == '\n')
            ++i;
        start = i + 1;
    }
    if (start < AText.size())
        lines.emplace_back(AText.substr(start));
    return lines;
}

bool IsHexDigit(char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'); }

// The second line's checksum: nothing when the line does not speak of one; false when it tries
// to and is malformed.
bool ReadChecksumLine(const std::string& ALine, std::optional<std::string>& ASha256) {
    const std::string line = Trim(ALine);
    constexpr std::string_view keyword = "sha256";
    if (!StartsText(keyword, line))
        return true;
    const std::string digest = Trim(std::string_view(line).substr(keyword.size()));
    if (digest.size() != 64 || line.size() == keyword.size() || line[keyword.size()] > ' ')
        return false;
    for (char c : digest)
        if (!IsHexDigit(c))
            return false;
    ASha256 = LowerAscii(digest);
    return true;
}

}  // namespace

std::optional<int> ParseDecimalInt(std::string_view AText) {
    if (!AText.empty() && AText.front() == '+')
        AText.remove_prefix(1);
    if (AText.empty() || AText.front() == '+')
        return std::nullopt;
    int value = 0;
    const char* end = AText.data() + AText.size();
    auto [ptr, ec] = std::from_chars(AText.data(), end, value, 10);
    if (ec != std::errc() || ptr != end)
        return std::nullopt;
    return value;
}

std::optional<TVersionFile> ParseVersionFile(std::string_view AText) {
    const std::vector<std::string> lines = SplitLines(WithoutBom(AText));
    if (lines.empty())
        return std::nullopt;
    const std::string& first = lines[0];
    const size_t slash = first.find('/');
    if (slash == std::string::npos)
        return std::nullopt;
    auto latest = ParseDecimalInt(Trim(std::string_view(first).substr(0, slash)));
    auto minimum = ParseDecimalInt(Trim(std::string_view(first).substr(slash + 1)));
    if (!latest || !minimum)
        return std::nullopt;
    TVersionFile file;
    file.Latest = *latest;
    file.Minimum = *minimum;
    if (lines.size() > 1 && !ReadChecksumLine(lines[1], file.Sha256))
        return std::nullopt;
    return file;
}

std::string DisplayVersionText(int AVersion) {
    std::string digits = IntToStr(AVersion);
    digits.insert(digits.size() - 1, ".");
    return digits;
}

std::vector<std::string> ChangesLines(std::string_view AText) {
    std::vector<std::string> lines;
    for (std::string& line : SplitLines(WithoutBom(AText)))
        if (!line.empty())
            lines.push_back(std::move(line));
    return lines;
}

std::optional<TNewVersionOffer> DecideNewVersion(const TVersionFile& AFile, const std::vector<std::string>& AChanges,
                                                 int AOwnVersion) {
    TNewVersionOffer offer;
    const std::string version = DisplayVersionText(AFile.Latest);
    offer.VersionText = version;
    if (AFile.Minimum > AOwnVersion) {
        offer.Forced = true;
        offer.Message = "This version of the software is out of date. You must download the current version " +
                        version + " to continue using the software.";
    } else if (AFile.Latest > AOwnVersion) {
        offer.Message = "The new version " + version + " is available";
    } else {
        return std::nullopt;
    }
    offer.DialogText = offer.Message;
    offer.DialogText.append(LineBreak).append(LineBreak).append("What's new:").append(LineBreak);
    for (const std::string& line : AChanges)
        offer.DialogText.append(line).append(LineBreak);
    return offer;
}

std::optional<int> DownloadProgressPercent(std::string_view ATransferEncoding, int64_t AContentLength,
                                           int64_t AReceived) {
    if (LowerAscii(ATransferEncoding).find("chunked") != std::string::npos || AContentLength <= 0)
        return std::nullopt;
    // A server that sends more than it announced must not push the bar past its end.
    const int64_t percent = AReceived <= AContentLength ? AReceived * 100 / AContentLength : 100;
    return int(percent < 0 ? 0 : percent);
}

std::string ResolveUpdateServer(std::string_view ABuiltIn, const std::optional<std::string>& AEnvironment) {
    std::string address = Trim(AEnvironment ? std::string_view(*AEnvironment) : ABuiltIn);
    while (!address.empty() && address.back() == '/')
        address.pop_back();
    return address;
}

bool IsSecureServerAddress(std::string_view AAddress) {
    constexpr std::string_view scheme = "https://";
    if (!StartsText(scheme, AAddress))
        return false;
    const std::string_view rest = AAddress.substr(scheme.size());
    const size_t hostEnd = rest.find_first_of("/?#");
    const std::string_view authority = rest.substr(0, hostEnd);
    const size_t at = authority.rfind('@');
    const std::string_view hostPort = at == std::string_view::npos ? authority : authority.substr(at + 1);
    return !hostPort.empty() && hostPort.front() != ':';
}
