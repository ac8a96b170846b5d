// The image decoders (libpng, libjpeg) and native image copies behind
// AGImage. Decoded pixels end up as a native image of premultiplied
// 0xAARRGGBB words, its first row the top row of the picture.
#ifndef AG_IMAGE_PLATFORM_P_H
#define AG_IMAGE_PLATFORM_P_H

#include <cstddef>

#include "graphics/AGGraphicsLow.h"
#include "kit/QVFilePath.h"

namespace AGImagePlatform {

// Decodes the first image of the PNG or JPEG file at path (told apart by
// their first bytes) into *image. On failure *image is null, the reason is
// logged and returned:
//   kQVErrImageFile      missing, unreadable or not a regular file;
//   kQVErrImageFormat    neither PNG nor JPEG (an empty file included), or
//                        a JPEG in CMYK colours;
//   kQVErrImageDamaged   inconsistent or truncated data, bad checksums of
//                        the PNG's critical chunks, corrupt JPEG data, or a
//                        file too short to hold the pixels it announces at
//                        its format's best compression (refused before any
//                        pixel memory is taken);
//   kQVErrImageTooLarge  more than kAGBitmapMaxPixels pixels declared
//                        (refused before the pixels are allocated), or the
//                        memory for the pixels cannot be had.
// The pixel memory grows as rows are decoded, so a file that announces
// more rows than it holds costs little more than the rows it holds.
long DecodeFile(const QVFilePath& path, AGNativeImagePtr* image);

// The most memory (bytes) the decoder held for pixels at any one time
// during the last DecodeFile; for tests and diagnostics.
size_t LastDecodePeakBytes();

// A new native image with the same pixels as image. kQVErrDrawPort (logged)
// when image is null or the copy cannot be made.
long CopyImage(const AGNativeImage* image, AGNativeImagePtr* copy);

}  // namespace AGImagePlatform

#endif
