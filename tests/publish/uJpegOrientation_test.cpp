#include "uJpegOrientation.h"

#include "common/TestHelpers.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <filesystem>

namespace {

// ---- hand-made JPEG headers ---------------------------------------------------------------------

std::string U16(unsigned AValue, bool ABigEndian) {
    char a = static_cast<char>(AValue & 0xFF), b = static_cast<char>((AValue >> 8) & 0xFF);
    return ABigEndian ? std::string{b, a} : std::string{a, b};
}
std::string U32(uint32_t AValue, bool ABigEndian) {
    return ABigEndian ? U16(AValue >> 16, true) + U16(AValue & 0xFFFF, true)
                      : U16(AValue & 0xFFFF, false) + U16(AValue >> 16, false);
}

struct TEntry {
    unsigned Tag, Type;
    uint32_t Count;
    std::string Value;  // the 4-byte value field as written
};

// "Exif\0\0" + TIFF header with IFD0 at TIFF offset 8, then AExtra.
std::string ExifPayload(bool ABigEndian, const std::vector<TEntry>& AEntries, const std::string& AExtra = "",
                        unsigned ADeclaredCount = ~0u) {
    std::string s("Exif\0\0", 6);
    s += ABigEndian ? "MM" : "II";
    s += U16(42, ABigEndian) + U32(8, ABigEndian);
    s += U16(ADeclaredCount == ~0u ? AEntries.size() : ADeclaredCount, ABigEndian);
    for (const auto& e : AEntries)
        s += U16(e.Tag, ABigEndian) + U16(e.Type, ABigEndian) + U32(e.Count, ABigEndian) + e.Value;
    return s + AExtra;
}

std::string Segment(unsigned char AMarker, const std::string& APayload) {
    std::string s{'\xFF', static_cast<char>(AMarker)};
    return s + U16(APayload.size() + 2, true) + APayload;
}

std::string Jpeg(const std::string& ASegments) {
    return std::string("\xFF\xD8", 2) + ASegments + Segment(0xDA, "scan") + "\x12\x34\xFF\xD9";
}

TEntry Orientation(unsigned AValue, bool ABigEndian) {
    // A SHORT with count 1 sits in the first two bytes of the value field.
    return {274, 3, 1, U16(AValue, ABigEndian) + U16(0, ABigEndian)};
}

std::string Jfif() { return Segment(0xE0, std::string("JFIF\0\1\1\0\0\1\0\1\0\0", 14)); }

}  // namespace

TEST(JpegOrientation, ReadsHandMadeHeaders) {
    const bool LE = false, BE = true;
    struct Case { const char* name; std::string bytes; int expected; } cases[] = {
        {"little-endian 6", Jpeg(Jfif() + Segment(0xE1, ExifPayload(LE, {Orientation(6, LE)}))), 6},
        {"big-endian 8", Jpeg(Segment(0xE1, ExifPayload(BE, {Orientation(8, BE)}))), 8},
        {"fill bytes before a marker",
         std::string("\xFF\xD8\xFF\xFF\xFF", 5) + Jfif().substr(1) + Segment(0xE1, ExifPayload(LE, {Orientation(3, LE)})), 3},
        {"tag after another entry",
         Jpeg(Segment(0xE1, ExifPayload(BE, {{271, 2, 4, std::string("Cam\0", 4)}, Orientation(6, BE)}))), 6},
        {"count 2, value at its offset",
         Jpeg(Segment(0xE1, ExifPayload(LE, {{274, 3, 2, U32(22, LE)}}, U16(8, LE) + U16(1, LE)))), 8},
        {"count 2, offset outside the block", Jpeg(Segment(0xE1, ExifPayload(BE, {{274, 3, 2, U32(5000, BE)}}))), 1},
        {"LONG instead of SHORT", Jpeg(Segment(0xE1, ExifPayload(LE, {{274, 4, 1, U32(6, LE)}}))), 1},
        {"entry count larger than the block", Jpeg(Segment(0xE1, ExifPayload(LE, {Orientation(6, LE)}, "", 60000))), 6},
        {"directory offset outside the block",
         Jpeg(Segment(0xE1, std::string("Exif\0\0II", 8) + U16(42, LE) + U32(0xFFFFFFF0u, LE) + "xx")), 1},
        {"not TIFF magic 42",
         Jpeg(Segment(0xE1, std::string("Exif\0\0II", 8) + U16(43, LE) + U32(8, LE) + U16(0, LE))), 1},
        {"unknown byte order", Jpeg(Segment(0xE1, std::string("Exif\0\0XX*\0\x08\0\0\0\0\0", 16))), 1},
        {"other APP1 first, EXIF second",
         Jpeg(Segment(0xE1, "http://ns.adobe.com/xap/1.0/ x") + Segment(0xE1, ExifPayload(LE, {Orientation(8, LE)}))), 8},
        {"EXIF after the start of scan", std::string("\xFF\xD8", 2) + Segment(0xDA, "ab") + Segment(0xE1, ExifPayload(LE, {Orientation(6, LE)})), 1},
        {"no start of image", Segment(0xE1, ExifPayload(LE, {Orientation(6, LE)})), 1},
        {"three bytes", std::string("\xFF\xD8\xFF", 3), 1},
        {"skipped segment longer than the file", std::string("\xFF\xD8\xFF\xE0\x7F\xFF", 6) + "abc", 1},
        {"segment length below 2", std::string("\xFF\xD8\xFF\xE1\x00\x01", 6) + "abcdef", 1},
        {"no orientation entry", Jpeg(Segment(0xE1, ExifPayload(LE, {{271, 2, 4, std::string("Cam\0", 4)}}))), 1},
        {"empty directory reaching the end", Jpeg(Segment(0xE1, ExifPayload(LE, {}))), 1},
    };
    for (const auto& c : cases) {
        // Each case as an exactly sized heap copy, so reading past the end shows under ASan.
        std::unique_ptr<char[]> exact(new char[c.bytes.size()]);
        std::memcpy(exact.get(), c.bytes.data(), c.bytes.size());
        EXPECT_EQ(ReadJpegOrientationFromBytes(std::string_view(exact.get(), c.bytes.size()), "x.jpg"), c.expected)
            << c.name;
    }
}

TEST(JpegOrientation, TruncatedExifSegmentIsAReadErrorNamingTheFile) {
    TTempDir dir;
    std::string full = Jpeg(Segment(0xE1, ExifPayload(false, {Orientation(6, false)})));
    PutFile(dir / "cut.jpg", full.substr(0, 20));
    try {
        ReadJpegOrientation(dir / "cut.jpg");
        FAIL() << "no error";
    } catch (const EAppError& e) {
        EXPECT_NE(std::string(e.what()).find(dir / "cut.jpg"), std::string::npos) << e.what();
    }
    EXPECT_EQ(ReadJpegOrientation(dir / "missing.jpg"), 1);
}

TEST(JpegOrientation, OrientsPixelsForAllEightValues) {
    // 3 x 2 picture a b c / d e f, one byte per letter in every channel.
    TRgbImage img{3, 2, {}};
    for (char c : std::string("abcdef"))
        img.Pixels.insert(img.Pixels.end(), 3, static_cast<unsigned char>(c));
    struct Case { int orientation, width; const char* rows; } cases[] = {
        {1, 3, "abcdef"}, {2, 3, "cbafed"}, {3, 3, "fedcba"}, {4, 3, "defabc"},
        {5, 2, "adbecf"}, {6, 2, "daebfc"}, {7, 2, "fcebda"}, {8, 2, "cfbead"}, {9, 3, "abcdef"},
    };
    for (const auto& c : cases) {
        TRgbImage out = OrientUpright(img, c.orientation);
        std::string got;
        for (size_t i = 0; i < out.Pixels.size(); i += 3)
            got += static_cast<char>(out.Pixels[i]);
        EXPECT_EQ(out.Width, c.width) << c.orientation;
        EXPECT_EQ(out.Height, 6 / c.width) << c.orientation;
        EXPECT_EQ(got, c.rows) << c.orientation;
    }
}

namespace {

std::string PhotoPath(const std::string& AName) {
    return CombinePath(CombinePath(PAGEWELL_TEST_DATA_DIR, "exif-orientation"), AName);
}

// Mean absolute difference per channel between two equally sized pictures, sampled on a grid.
double MeanDifference(const TRgbImage& A, const TRgbImage& B) {
    double sum = 0;
    long n = 0;
    for (int y = 0; y < A.Height; y += 7)
        for (int x = 0; x < A.Width; x += 7)
            for (int c = 0; c < 3; ++c, ++n) {
                size_t i = (static_cast<size_t>(y) * A.Width + x) * 3 + c;
                sum += std::abs(int(A.Pixels[i]) - int(B.Pixels[i]));
            }
    return sum / n;
}

}  // namespace

TEST(JpegOrientation, RealPhotosComeOutUprightWithoutExif) {
    TTempDir dir;
    const TRgbImage reference = DecodeJpegRgb(GetFile(PhotoPath("Landscape_1.jpg")), "Landscape_1.jpg");
    ASSERT_EQ(reference.Width, 1800);
    ASSERT_EQ(reference.Height, 1200);
    struct Case { const char* name; int orientation; bool rotated; int width, height; } cases[] = {
        {"Landscape_1.jpg", 1, false, 1800, 1200}, {"Landscape_3.jpg", 3, true, 1800, 1200},
        {"Landscape_6.jpg", 6, true, 1800, 1200},  {"Landscape_8.jpg", 8, true, 1800, 1200},
        {"Portrait_2.jpg", 2, false, 1200, 1800},  {"Portrait_6.jpg", 6, true, 1200, 1800},
        {"Portrait_8.jpg", 8, true, 1200, 1800},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string original = GetFile(PhotoPath(c.name));
        const std::string copy = dir / (std::string("Copy.") + (c.orientation == 8 ? "JPEG" : "jpg"));
        PutFile(copy, original);
        EXPECT_EQ(ReadJpegOrientation(copy), c.orientation);
        EXPECT_EQ(RotateJpegToUpright(copy), c.rotated);
        const std::string bytes = GetFile(copy);
        if (!c.rotated) {
            EXPECT_EQ(bytes, original);  // untouched, byte for byte
            continue;
        }
        EXPECT_EQ(ReadJpegOrientation(copy), 1);
        EXPECT_EQ(bytes.find(std::string("Exif\0\0", 6)), std::string::npos);
        EXPECT_EQ(bytes.find("\xFF\xC2"), std::string::npos);  // not progressive
        EXPECT_NE(bytes.find("\xFF\xC0"), std::string::npos);  // baseline frame
        TRgbImage upright = DecodeJpegRgb(bytes, copy);
        EXPECT_EQ(upright.Width, c.width);
        EXPECT_EQ(upright.Height, c.height);
        if (c.width == reference.Width && c.height == reference.Height) {
            EXPECT_LT(MeanDifference(upright, reference), 12.0);
        }
        EXPECT_FALSE(RotateJpegToUpright(copy));  // a second pass finds nothing to do
    }
}

TEST(JpegOrientation, EncodesAtQuality92) {
    TRgbImage img{16, 8, std::vector<unsigned char>(16 * 8 * 3, 128)};
    std::string bytes = EncodeJpegRgb(img, 92);
    // The first quantisation table entry of the standard luminance table (16) scaled for
    // quality 92 (factor 0.16) is 3.
    size_t dqt = bytes.find("\xFF\xDB");
    ASSERT_NE(dqt, std::string::npos);
    EXPECT_EQ(static_cast<unsigned char>(bytes[dqt + 5]), 3);
    EXPECT_EQ(DecodeJpegRgb(bytes, "x").Width, 16);
}

TEST(JpegOrientation, UndecodableJpegIsAnErrorNamingTheFile) {
    TTempDir dir;
    const std::string header = Jpeg(Segment(0xE1, ExifPayload(false, {Orientation(6, false)})));
    const std::string photo = GetFile(PhotoPath("Landscape_6.jpg"));
    struct Case { const char* name; std::string bytes; bool fails; } cases[] = {
        {"garbage.jpg", header + std::string(300, '\x5A'), true},
        {"headers-only.jpg", photo.substr(0, photo.find("\xFF\xC0")), true},
        {"png-named.jpeg", "\x89PNG\r\n\x1A\n" + std::string(64, '\0'), false},
    };
    for (const auto& c : cases) {
        PutFile(dir / c.name, c.bytes);
        if (c.fails) {
            try {
                RotateJpegToUpright(dir / c.name);
                ADD_FAILURE() << c.name << ": no error";
            } catch (const EAppError& e) {
                EXPECT_NE(std::string(e.what()).find(dir / c.name), std::string::npos) << e.what();
            }
        } else {
            EXPECT_FALSE(RotateJpegToUpright(dir / c.name)) << c.name;
        }
        EXPECT_EQ(GetFile(dir / c.name), c.bytes) << c.name;  // a failed rewrite leaves the file
    }
    // A photo cut in the middle of its scan still decodes (libjpeg fills the rest) and is
    // rewritten upright; what matters is that nothing crashes.
    PutFile(dir / "cut.jpg", photo.substr(0, photo.size() / 2));
    EXPECT_NO_FATAL_FAILURE(RotateJpegToUpright(dir / "cut.jpg"));
}
