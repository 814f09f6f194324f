// JPEG files: the EXIF orientation reader, decoding, turning upright and the rotation that
// replaces the file.
#include "FuzzSupport.h"
#include "uJpegOrientation.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* AData, size_t ASize) {
    const std::string_view bytes = FuzzBytes(AData, ASize);
    try {
        ReadJpegOrientationFromBytes(bytes, "fuzz.jpg");
    } catch (const EAppError&) {
    }
    try {
        const TRgbImage image = DecodeJpegRgb(bytes, "fuzz.jpg");
        FUZZ_CHECK(image.Pixels.size() == static_cast<size_t>(image.Width) * image.Height * 3);
        if (static_cast<size_t>(image.Width) * image.Height <= 256 * 256) {
            for (int o = 0; o <= 9; ++o) {
                const TRgbImage turned = OrientUpright(image, o);
                FUZZ_CHECK(turned.Pixels.size() == image.Pixels.size());
            }
            EncodeJpegRgb(image, 1 + static_cast<int>(ASize % 100));
        }
    } catch (const EAppError&) {
    }
    const std::string file = FuzzWriteFile("j/picture.jpg", bytes);
    try {
        RotateJpegToUpright(file);
    } catch (const EAppError&) {
    }
    return 0;
}
