#include "uJpegOrientation.h"

#include "uUtils.h"

#include <csetjmp>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <jpeglib.h>

namespace {

// ---- EXIF header ------------------------------------------------------------------------------

// A reader over the bytes of a file that never reads past their end.
class TByteCursor {
public:
    explicit TByteCursor(std::string_view ABytes) : FBytes(ABytes) {}
    size_t Remaining() const { return FPos < FBytes.size() ? FBytes.size() - FPos : 0; }
    bool ReadByte(unsigned& AOut) {
        if (Remaining() < 1)
            return false;
        AOut = static_cast<unsigned char>(FBytes[FPos++]);
        return true;
    }
    bool ReadBigEndian16(unsigned& AOut) {
        unsigned hi, lo;
        if (Remaining() < 2 || !ReadByte(hi) || !ReadByte(lo))
            return false;
        AOut = (hi << 8) | lo;
        return true;
    }
    void Skip(size_t ACount) { FPos = ACount > Remaining() ? FBytes.size() + 1 : FPos + ACount; }
    std::string_view Take(size_t ACount) {
        std::string_view v = FBytes.substr(FPos, ACount);
        FPos += ACount;
        return v;
    }

private:
    std::string_view FBytes;
    size_t FPos = 0;
};

// 16- and 32-bit values of a TIFF block in its byte order; callers check the bounds.
struct TTiffReader {
    std::string_view Data;
    bool BigEndian = false;
    unsigned U16(size_t AAt) const {
        unsigned a = static_cast<unsigned char>(Data[AAt]), b = static_cast<unsigned char>(Data[AAt + 1]);
        return BigEndian ? (a << 8) | b : (b << 8) | a;
    }
    uint32_t U32(size_t AAt) const {
        uint32_t hi = U16(AAt), lo = U16(AAt + 2);
        return BigEndian ? (hi << 16) | lo : (lo << 16) | hi;
    }
};

constexpr unsigned kTagOrientation = 274;
constexpr unsigned kTypeShort = 3;

// Looks for the orientation entry in the first directory of an APP1 payload. Returns true when
// the search is over (AResult then holds the answer), false to go on with the next segment.
bool OrientationFromExifPayload(std::string_view APayload, int& AResult) {
    if (APayload.size() < 14 || APayload.substr(0, 6) != std::string_view("Exif\0\0", 6))
        return false;
    TTiffReader r{APayload, false};
    std::string_view order = APayload.substr(6, 2);
    if (order == "MM")
        r.BigEndian = true;
    else if (order != "II")
        return true;
    if (r.U16(8) != 42)
        return true;
    const uint64_t size = APayload.size();
    uint64_t dir = 6 + static_cast<uint64_t>(r.U32(10));
    if (dir + 2 > size)
        return true;
    unsigned count = r.U16(dir);
    uint64_t entry = dir + 2;
    for (unsigned i = 0; i < count && entry + 12 <= size; ++i, entry += 12) {
        unsigned tag = r.U16(entry), type = r.U16(entry + 2);
        uint32_t n = r.U32(entry + 4);
        if (tag != kTagOrientation || type != kTypeShort || n < 1)
            continue;
        if (n == 1) {
            // The first 16-bit value of the value field, in the block's byte order.
            AResult = static_cast<int>(r.U16(entry + 8));
        } else {
            uint64_t at = 6 + static_cast<uint64_t>(r.U32(entry + 8));
            if (at + 2 <= size)
                AResult = static_cast<int>(r.U16(at));
        }
        return true;
    }
    return false;
}

// ---- libjpeg ----------------------------------------------------------------------------------

// libjpeg reports fatal errors through error_exit, which must not return: it jumps back to the
// setjmp of the calling function with the message kept. The functions that call setjmp hold
// only plain C data, so the jump skips no destructor.
struct TJpegErrorManager {
    jpeg_error_mgr Pub;
    std::jmp_buf Jump;
    char Message[JMSG_LENGTH_MAX];
};

void JpegErrorExit(j_common_ptr AInfo) {
    auto* err = reinterpret_cast<TJpegErrorManager*>(AInfo->err);
    (*AInfo->err->format_message)(AInfo, err->Message);
    std::longjmp(err->Jump, 1);
}

void JpegSilentMessage(j_common_ptr) {}  // warnings (e.g. extraneous bytes) are not printed

void InitErrorManager(TJpegErrorManager& AErr) {
    std::memset(&AErr, 0, sizeof(AErr));
    jpeg_std_error(&AErr.Pub);
    AErr.Pub.error_exit = JpegErrorExit;
    AErr.Pub.output_message = JpegSilentMessage;
}

constexpr uint64_t kMaxPixels = 100'000'000;

enum class TDecodeStatus { Ok, Failed, TooLarge };

// Decodes into *APixels (owned by the caller, so the jump never skips its destructor). On
// Failed, AErr->Message holds libjpeg's text.
TDecodeStatus DecodeIntoBuffer(const unsigned char* AData, size_t ASize, std::vector<unsigned char>* APixels,
                               int* AWidth, int* AHeight, TJpegErrorManager* AErr) {
    jpeg_decompress_struct cinfo;
    std::memset(&cinfo, 0, sizeof(cinfo));
    InitErrorManager(*AErr);
    cinfo.err = &AErr->Pub;
    if (setjmp(AErr->Jump)) {
        jpeg_destroy_decompress(&cinfo);
        return TDecodeStatus::Failed;
    }
    jpeg_create_decompress(&cinfo);
    jpeg_mem_src(&cinfo, AData, static_cast<unsigned long>(ASize));
    jpeg_read_header(&cinfo, TRUE);
    cinfo.out_color_space = JCS_RGB;
    jpeg_start_decompress(&cinfo);
    const uint64_t w = cinfo.output_width, h = cinfo.output_height;
    if (cinfo.output_components != 3 || w == 0 || h == 0 || w * h > kMaxPixels) {
        jpeg_destroy_decompress(&cinfo);
        return TDecodeStatus::TooLarge;
    }
    APixels->assign(static_cast<size_t>(w * h * 3), 0);
    const size_t stride = static_cast<size_t>(w) * 3;
    while (cinfo.output_scanline < cinfo.output_height) {
        JSAMPROW row = APixels->data() + stride * cinfo.output_scanline;
        jpeg_read_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_decompress(&cinfo);
    jpeg_destroy_decompress(&cinfo);
    *AWidth = static_cast<int>(w);
    *AHeight = static_cast<int>(h);
    return TDecodeStatus::Ok;
}

bool EncodeIntoMemory(const TRgbImage* AImage, int AQuality, unsigned char** AOut, unsigned long* AOutSize,
                      TJpegErrorManager* AErr) {
    jpeg_compress_struct cinfo;
    std::memset(&cinfo, 0, sizeof(cinfo));
    InitErrorManager(*AErr);
    cinfo.err = &AErr->Pub;
    if (setjmp(AErr->Jump)) {
        jpeg_destroy_compress(&cinfo);
        return false;
    }
    jpeg_create_compress(&cinfo);
    jpeg_mem_dest(&cinfo, AOut, AOutSize);
    cinfo.image_width = static_cast<JDIMENSION>(AImage->Width);
    cinfo.image_height = static_cast<JDIMENSION>(AImage->Height);
    cinfo.input_components = 3;
    cinfo.in_color_space = JCS_RGB;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, AQuality, TRUE);
    jpeg_start_compress(&cinfo, TRUE);
    const size_t stride = static_cast<size_t>(AImage->Width) * 3;
    while (cinfo.next_scanline < cinfo.image_height) {
        JSAMPROW row = const_cast<unsigned char*>(AImage->Pixels.data()) + stride * cinfo.next_scanline;
        jpeg_write_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    return true;
}

}  // namespace

int ReadJpegOrientationFromBytes(std::string_view ABytes, const std::string& AFileName) {
    if (ABytes.size() < 4)
        return 1;
    if (static_cast<unsigned char>(ABytes[0]) != 0xFF || static_cast<unsigned char>(ABytes[1]) != 0xD8)
        return 1;
    TByteCursor in(ABytes.substr(2));
    int result = 1;
    while (in.Remaining() >= 4) {
        unsigned b, marker, length;
        if (!in.ReadByte(b) || b != 0xFF || !in.ReadByte(marker))
            break;
        while (marker == 0xFF && in.Remaining() > 0)
            in.ReadByte(marker);
        if (marker == 0xD9 || marker == 0xDA)
            break;
        if (!in.ReadBigEndian16(length) || length < 2)
            break;
        if (marker != 0xE1) {
            in.Skip(length - 2);
            continue;
        }
        if (in.Remaining() < length - 2)
            throw EAppError("Cannot read the EXIF block of " + AFileName + ": its segment runs past the end of the file");
        if (OrientationFromExifPayload(in.Take(length - 2), result))
            break;
    }
    return result;
}

int ReadJpegOrientation(const std::string& AFileName) {
    if (!FileExists(AFileName))
        return 1;
    return ReadJpegOrientationFromBytes(ReadFileBytes(AFileName), AFileName);
}

TRgbImage DecodeJpegRgb(std::string_view ABytes, const std::string& AFileName) {
    TRgbImage img;
    TJpegErrorManager err;
    TDecodeStatus status = DecodeIntoBuffer(reinterpret_cast<const unsigned char*>(ABytes.data()), ABytes.size(),
                                            &img.Pixels, &img.Width, &img.Height, &err);
    if (status == TDecodeStatus::Failed)
        throw EAppError("Cannot decode the JPEG file " + AFileName + ": " + err.Message);
    if (status == TDecodeStatus::TooLarge)
        throw EAppError("Cannot decode the JPEG file " + AFileName + ": the picture is too large or not a colour picture");
    return img;
}

std::string EncodeJpegRgb(const TRgbImage& AImage, int AQuality) {
    if (AImage.Width <= 0 || AImage.Height <= 0 ||
        AImage.Pixels.size() != static_cast<size_t>(AImage.Width) * AImage.Height * 3)
        throw EAppError("Cannot encode a JPEG picture: the bitmap is empty or inconsistent");
    unsigned char* buf = nullptr;
    unsigned long size = 0;
    TJpegErrorManager err;
    bool ok = EncodeIntoMemory(&AImage, AQuality, &buf, &size, &err);
    std::string out;
    if (ok)
        out.assign(reinterpret_cast<const char*>(buf), size);
    std::free(buf);
    if (!ok)
        throw EAppError(std::string("Cannot encode a JPEG picture: ") + err.Message);
    return out;
}

TRgbImage OrientUpright(const TRgbImage& AImage, int AOrientation) {
    if (AOrientation < 2 || AOrientation > 8)
        return AImage;
    const int w = AImage.Width, h = AImage.Height;
    const bool swap = AOrientation >= 5;
    TRgbImage out;
    out.Width = swap ? h : w;
    out.Height = swap ? w : h;
    out.Pixels.resize(AImage.Pixels.size());
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            int tx = x, ty = y;
            switch (AOrientation) {
            case 2: tx = w - 1 - x; ty = y; break;
            case 3: tx = w - 1 - x; ty = h - 1 - y; break;
            case 4: tx = x; ty = h - 1 - y; break;
            case 5: tx = y; ty = x; break;
            case 6: tx = h - 1 - y; ty = x; break;
            case 7: tx = h - 1 - y; ty = w - 1 - x; break;
            case 8: tx = y; ty = w - 1 - x; break;
            }
            const unsigned char* src = &AImage.Pixels[(static_cast<size_t>(y) * w + x) * 3];
            unsigned char* dst = &out.Pixels[(static_cast<size_t>(ty) * out.Width + tx) * 3];
            dst[0] = src[0];
            dst[1] = src[1];
            dst[2] = src[2];
        }
    }
    return out;
}

bool RotateJpegToUpright(const std::string& AFileName) {
    std::string ext = LowerAscii(ExtractFileExt(AFileName));
    if (ext != ".jpg" && ext != ".jpeg")
        return false;
    if (!FileExists(AFileName))
        return false;
    std::string bytes = ReadFileBytes(AFileName);
    int orientation = ReadJpegOrientationFromBytes(bytes, AFileName);
    if (orientation != 3 && orientation != 6 && orientation != 8)
        return false;
    TRgbImage upright = OrientUpright(DecodeJpegRgb(bytes, AFileName), orientation);
    WriteFileBytes(AFileName, EncodeJpegRgb(upright, 92));
    return true;
}
