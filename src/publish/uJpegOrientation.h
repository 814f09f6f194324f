// The EXIF orientation of JPEG files and the rewrite of a sideways or upside-down photo into an
// upright one, for the compiled-help publisher (the help viewer ignores the EXIF tag).
//
// Decoding and encoding use libjpeg(-turbo). A libjpeg failure never ends the process: it is
// turned into EAppError naming the file. Pure functions apart from the file access; thread-safe.
#pragma once

#include <string>
#include <string_view>
#include <vector>

// An 8-bit RGB bitmap, rows top to bottom, 3 bytes per pixel, no padding.
struct TRgbImage {
    int Width = 0;
    int Height = 0;
    std::vector<unsigned char> Pixels;
};

// The orientation tag (274) of the first EXIF directory of a JPEG file, or 1 when the file is
// missing, shorter than 4 bytes, not a JPEG or has no such tag. Values are returned as stored
// (they may lie outside 1..8). An APP1 segment whose declared length runs past the end of the
// file raises EAppError naming the file; nothing is ever read outside the file.
int ReadJpegOrientation(const std::string& AFileName);
// The same over the bytes of a file; AFileName only names the file in the error message.
int ReadJpegOrientationFromBytes(std::string_view ABytes, const std::string& AFileName);

// Decodes a JPEG into RGB. Raises EAppError naming AFileName when libjpeg cannot decode it or
// the picture is larger than 100 million pixels.
TRgbImage DecodeJpegRgb(std::string_view ABytes, const std::string& AFileName);
// Baseline JPEG at the given quality (1..100), JFIF header, no EXIF block.
std::string EncodeJpegRgb(const TRgbImage& AImage, int AQuality);

// The picture as it is meant to be seen for an EXIF orientation 1..8: 2 mirrors left to right,
// 3 turns by 180 degrees, 4 mirrors top to bottom, 5 transposes, 6 turns 90 degrees clockwise,
// 7 transposes across the other diagonal, 8 turns 90 degrees counter-clockwise. 5 to 8 swap
// width and height. Any other value returns the picture unchanged.
TRgbImage OrientUpright(const TRgbImage& AImage, int AOrientation);

// When AFileName ends in ".jpg" or ".jpeg" (any letter case) and its orientation is 3, 6 or 8,
// decodes it, turns it upright, encodes it as a baseline JPEG of quality 92 without EXIF block
// and replaces the file atomically; returns true. Mirrored orientations (2, 4, 5, 7) and all
// other files are left as they are (false). Failures are raised naming the file.
bool RotateJpegToUpright(const std::string& AFileName);
