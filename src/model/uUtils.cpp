#include "uUtils.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

fs::path ToPath(const std::string& APath) { return fs::path(APath); }

[[noreturn]] void RaiseFileError(const std::string& AAction, const std::string& AFileName, int AErr) {
    throw EAppError("Cannot " + AAction + " file \"" + AFileName + "\": " + std::strerror(AErr));
}

}  // namespace

// ---- paths -----------------------------------------------------------------------------------

std::string EnsureDir(const std::string& APath) {
    if (!APath.empty()) {
        std::error_code ec;
        if (!fs::is_directory(ToPath(APath), ec)) {
            fs::create_directories(ToPath(APath), ec);
            if (ec && !fs::is_directory(ToPath(APath)))
                throw EAppError("Cannot create folder \"" + APath + "\": " + ec.message());
        }
    }
    return APath;
}

bool IsPathRooted(const std::string& APath) { return !APath.empty() && APath[0] == PathDelim; }

std::string CombinePath(const std::string& ABase, const std::string& ARel) {
    if (ARel.empty())
        return IncludeTrailingPathDelimiter(ABase);
    if (ARel.find('\0') != std::string::npos)
        throw EAppError("Invalid characters in path");
    if (IsPathRooted(ARel))
        return ARel;
    if (!ABase.empty() && ABase.back() == PathDelim)
        return ABase + ARel;
    return ABase + PathDelim + ARel;
}

bool FileExists(const std::string& APath) {
    std::error_code ec;
    return !APath.empty() && fs::is_regular_file(ToPath(APath), ec);
}

bool DirectoryExists(const std::string& APath) {
    std::error_code ec;
    return !APath.empty() && fs::is_directory(ToPath(APath), ec);
}

std::string IncludeTrailingPathDelimiter(const std::string& APath) {
    if (!APath.empty() && APath.back() == PathDelim)
        return APath;
    return APath + PathDelim;
}

std::string ExcludeTrailingPathDelimiter(const std::string& APath) {
    std::string s = APath;
    while (s.size() > 1 && s.back() == PathDelim)
        s.pop_back();
    return s;
}

std::string ExtractFileDir(const std::string& APath) {
    size_t p = APath.rfind(PathDelim);
    if (p == std::string::npos)
        return "";
    if (p == 0)
        return std::string(1, PathDelim);
    return APath.substr(0, p);
}

std::string ExtractFileName(const std::string& APath) {
    size_t p = APath.rfind(PathDelim);
    return p == std::string::npos ? APath : APath.substr(p + 1);
}

std::string ExtractFileExt(const std::string& APath) {
    std::string name = ExtractFileName(APath);
    size_t p = name.rfind('.');
    return p == std::string::npos ? "" : name.substr(p);
}

std::string FileNameWithoutExt(const std::string& APath) {
    std::string name = ExtractFileName(APath);
    size_t p = name.rfind('.');
    return p == std::string::npos ? name : name.substr(0, p);
}

std::string ExpandFileName(const std::string& APath) {
    if (APath.empty())
        return APath;
    fs::path p = ToPath(APath);
    if (!p.is_absolute())
        p = fs::current_path() / p;
    std::string s = p.lexically_normal().string();
    if (s.size() > 1 && s.back() == PathDelim && !(APath.back() == PathDelim))
        s.pop_back();
    return s;
}

// ---- files -----------------------------------------------------------------------------------

std::string ReadFileBytes(const std::string& AFileName) {
    const int fd = ::open(AFileName.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        RaiseFileError("open", AFileName, errno ? errno : ENOENT);
    // Read in one go when the size is known; a file that grows meanwhile is read to its end.
    struct stat st {};
    std::string bytes;
    size_t size = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) ? static_cast<size_t>(st.st_size) : 0;
    bytes.resize(size + 1);
    size_t done = 0;
    for (;;) {
        if (done == bytes.size())
            bytes.resize(bytes.size() * 2 + 4096);
        const ssize_t n = ::read(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            const int err = errno;
            ::close(fd);
            RaiseFileError("read", AFileName, err);
        }
        if (n == 0)
            break;
        done += static_cast<size_t>(n);
    }
    ::close(fd);
    bytes.resize(done);
    return bytes;
}

std::string ReadUtf8File(const std::string& AFileName) {
    std::string bytes = ReadFileBytes(AFileName);
    std::string_view v(bytes);
    if (v.size() >= 3 && static_cast<unsigned char>(v[0]) == 0xEF &&
        static_cast<unsigned char>(v[1]) == 0xBB && static_cast<unsigned char>(v[2]) == 0xBF)
        v.remove_prefix(3);
    if (IsValidUtf8(v))
        return std::string(v);
    return SanitizeUtf8(v);
}

void WriteFileBytes(const std::string& AFileName, std::string_view ABytes) {
    std::string dir = ExtractFileDir(AFileName);
    EnsureDir(dir);
    std::string base = ExtractFileName(AFileName);
    std::string tmp = CombinePath(dir.empty() ? "." : dir, "." + base + ".tmp-" + NewGuidHex().substr(0, 12));
    int fd = ::open(tmp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd < 0)
        RaiseFileError("create", AFileName, errno);
    const char* p = ABytes.data();
    size_t left = ABytes.size();
    while (left > 0) {
        ssize_t n = ::write(fd, p, left);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            int err = errno;
            ::close(fd);
            ::unlink(tmp.c_str());
            RaiseFileError("write", AFileName, err);
        }
        p += n;
        left -= static_cast<size_t>(n);
    }
    if (::close(fd) != 0) {
        int err = errno;
        ::unlink(tmp.c_str());
        RaiseFileError("write", AFileName, err);
    }
    // Keep the permissions of a file that is being replaced.
    struct stat st {};
    if (::stat(AFileName.c_str(), &st) == 0)
        ::chmod(tmp.c_str(), st.st_mode & 07777);
    if (::rename(tmp.c_str(), AFileName.c_str()) != 0) {
        int err = errno;
        ::unlink(tmp.c_str());
        RaiseFileError("replace", AFileName, err);
    }
}

void WriteUtf8File(const std::string& AFileName, const std::string& AText) { WriteFileBytes(AFileName, AText); }

void WriteUtf8BomFile(const std::string& AFileName, const std::string& AText) {
    std::string bytes = "\xEF\xBB\xBF";
    bytes += AText;
    WriteFileBytes(AFileName, bytes);
}

std::string SafeFileName(const std::string& AText) {
    std::string s = Trim(AText);
    if (s.empty())
        s = "topic";
    for (char& c : s) {
        switch (c) {
        case '"': case '*': case '/': case ':': case '<': case '>': case '?': case '\\': case '|':
            c = '_';
            break;
        default:
            break;
        }
    }
    return s;
}

// ---- text ------------------------------------------------------------------------------------

// In UTF-8 every byte up to 0x20 is the code point itself, so trimming works on bytes.
std::string Trim(std::string_view AText) {
    size_t b = 0, e = AText.size();
    while (b < e && static_cast<unsigned char>(AText[b]) <= 0x20)
        ++b;
    while (e > b && static_cast<unsigned char>(AText[e - 1]) <= 0x20)
        --e;
    return std::string(AText.substr(b, e - b));
}

static inline char LowerChar(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; }

std::string LowerAscii(std::string_view AText) {
    std::string s(AText);
    for (char& c : s)
        c = LowerChar(c);
    return s;
}

bool SameText(std::string_view A, std::string_view B) {
    if (A.size() != B.size())
        return false;
    for (size_t i = 0; i < A.size(); ++i)
        if (LowerChar(A[i]) != LowerChar(B[i]))
            return false;
    return true;
}

bool StartsText(std::string_view APrefix, std::string_view AText) {
    return AText.size() >= APrefix.size() && SameText(AText.substr(0, APrefix.size()), APrefix);
}

bool EndsText(std::string_view ASuffix, std::string_view AText) {
    return AText.size() >= ASuffix.size() && SameText(AText.substr(AText.size() - ASuffix.size()), ASuffix);
}

bool StartsWith(std::string_view AText, std::string_view APrefix) { return AText.starts_with(APrefix); }
bool EndsWith(std::string_view AText, std::string_view ASuffix) { return AText.ends_with(ASuffix); }

size_t FindText(std::string_view AText, std::string_view ANeedle, size_t AFrom) {
    if (ANeedle.empty())
        return AFrom <= AText.size() ? AFrom : std::string::npos;
    if (ANeedle.size() > AText.size() || AFrom > AText.size() - ANeedle.size())
        return std::string::npos;
    // Candidates are the places of the first character in either case, found with memchr; the
    // rest of the needle is compared there.
    const char* data = AText.data();
    const size_t end = AText.size() - ANeedle.size() + 1;  // candidates lie below
    const char lower = LowerChar(ANeedle[0]);
    const char upper = lower >= 'a' && lower <= 'z' ? static_cast<char>(lower - 32) : lower;
    const auto next = [&](char AChar, size_t AAt) {
        const void* hit = AAt < end ? std::memchr(data + AAt, AChar, end - AAt) : nullptr;
        return hit ? static_cast<size_t>(static_cast<const char*>(hit) - data) : std::string::npos;
    };
    size_t atLower = next(lower, AFrom);
    size_t atUpper = upper == lower ? std::string::npos : next(upper, AFrom);
    while (true) {
        const size_t i = std::min(atLower, atUpper);
        if (i == std::string::npos)
            return std::string::npos;
        size_t k = 1;
        while (k < ANeedle.size() && LowerChar(data[i + k]) == LowerChar(ANeedle[k]))
            ++k;
        if (k == ANeedle.size())
            return i;
        if (i == atLower)
            atLower = next(lower, i + 1);
        else
            atUpper = next(upper, i + 1);
    }
}

std::string ReplaceText(std::string_view AText, std::string_view AFrom, std::string_view ATo, bool AAll,
                        bool AIgnoreCase) {
    if (AFrom.empty())
        return std::string(AText);
    std::string out;
    out.reserve(AText.size());
    size_t pos = 0;
    while (true) {
        size_t hit = AIgnoreCase ? FindText(AText, AFrom, pos) : AText.find(AFrom, pos);
        if (hit == std::string::npos)
            break;
        out.append(AText.substr(pos, hit - pos));
        out.append(ATo);
        pos = hit + AFrom.size();
        if (!AAll)
            break;
    }
    out.append(AText.substr(pos));
    return out;
}

std::vector<std::string> SplitString(std::string_view AText, char ADelim) {
    std::vector<std::string> parts;
    size_t start = 0;
    while (true) {
        size_t p = AText.find(ADelim, start);
        if (p == std::string::npos) {
            parts.emplace_back(AText.substr(start));
            break;
        }
        parts.emplace_back(AText.substr(start, p - start));
        start = p + 1;
    }
    return parts;
}

int HexDigitValue(char C) {
    if (C >= '0' && C <= '9')
        return C - '0';
    if (C >= 'a' && C <= 'f')
        return C - 'a' + 10;
    if (C >= 'A' && C <= 'F')
        return C - 'A' + 10;
    return -1;
}

// ---- UTF-8 -----------------------------------------------------------------------------------

bool DecodeUtf8CodePoint(std::string_view s, size_t& i, char32_t& cp) {
    unsigned char c = static_cast<unsigned char>(s[i]);
    if (c < 0x80) {
        cp = c;
        ++i;
        return true;
    }
    int len;
    char32_t min;
    if ((c & 0xE0) == 0xC0) {
        len = 2;
        cp = c & 0x1F;
        min = 0x80;
    } else if ((c & 0xF0) == 0xE0) {
        len = 3;
        cp = c & 0x0F;
        min = 0x800;
    } else if ((c & 0xF8) == 0xF0) {
        len = 4;
        cp = c & 0x07;
        min = 0x10000;
    } else {
        ++i;
        return false;
    }
    if (i + len > s.size()) {
        ++i;
        return false;
    }
    for (int k = 1; k < len; ++k) {
        unsigned char cc = static_cast<unsigned char>(s[i + k]);
        if ((cc & 0xC0) != 0x80) {
            ++i;
            return false;
        }
        cp = (cp << 6) | (cc & 0x3F);
    }
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
        ++i;
        return false;
    }
    i += len;
    return true;
}


void AppendUtf8(std::string& AOut, char32_t cp) {
    if (cp < 0x80) {
        AOut.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
        AOut.push_back(static_cast<char>(0xC0 | (cp >> 6)));
        AOut.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
        AOut.push_back(static_cast<char>(0xE0 | (cp >> 12)));
        AOut.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        AOut.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
        AOut.push_back(static_cast<char>(0xF0 | (cp >> 18)));
        AOut.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
        AOut.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        AOut.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
}

std::u32string Utf8ToCodePoints(std::string_view AText) {
    std::u32string out;
    out.reserve(AText.size());
    size_t i = 0;
    while (i < AText.size()) {
        char32_t cp;
        if (!DecodeUtf8CodePoint(AText, i, cp))
            cp = 0xFFFD;
        out.push_back(cp);
    }
    return out;
}

bool IsValidUtf8(std::string_view AText) {
    size_t i = 0;
    while (i < AText.size()) {
        if (static_cast<unsigned char>(AText[i]) < 0x80) {
            ++i;
            continue;
        }
        char32_t cp;
        if (!DecodeUtf8CodePoint(AText, i, cp))
            return false;
    }
    return true;
}

std::string SanitizeUtf8(std::string_view AText) {
    std::string out;
    out.reserve(AText.size());
    size_t i = 0;
    while (i < AText.size()) {
        size_t start = i;
        char32_t cp;
        if (DecodeUtf8CodePoint(AText, i, cp))
            out.append(AText.substr(start, i - start));
        else
            AppendUtf8(out, 0xFFFD);
    }
    return out;
}

// ---- misc ------------------------------------------------------------------------------------

std::string NewGuidHex() {
    unsigned char bytes[16];
    bool ok = false;
    int fd = ::open("/dev/urandom", O_RDONLY | O_CLOEXEC);
    if (fd >= 0) {
        size_t got = 0;
        while (got < sizeof bytes) {
            ssize_t n = ::read(fd, bytes + got, sizeof bytes - got);
            if (n <= 0)
                break;
            got += static_cast<size_t>(n);
        }
        ::close(fd);
        ok = got == sizeof bytes;
    }
    if (!ok) {
        std::random_device rd;
        for (auto& b : bytes)
            b = static_cast<unsigned char>(rd());
    }
    // Version 4, variant 1, as the operating system's GUID generator makes them.
    bytes[6] = static_cast<unsigned char>((bytes[6] & 0x0F) | 0x40);
    bytes[8] = static_cast<unsigned char>((bytes[8] & 0x3F) | 0x80);
    static const char* hex = "0123456789ABCDEF";
    std::string s;
    s.reserve(32);
    for (unsigned char b : bytes) {
        s.push_back(hex[b >> 4]);
        s.push_back(hex[b & 0x0F]);
    }
    return s;
}

std::string IntToStr(long long AValue) { return std::to_string(AValue); }
