// The image decoders (libpng, libjpeg) and native image copies behind
// AGImage. Decoded pixels end up as a native image of premultiplied
// 0xAARRGGBB words, its first row the top row of the picture.
#ifndef AG_IMAGE_PLATFORM_P_H
#define AG_IMAGE_PLATFORM_P_H

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
//                        the PNG's critical chunks, corrupt JPEG data;
//   kQVErrImageTooLarge  more than kAGBitmapMaxPixels pixels declared
//                        (refused before the pixels are allocated);
//   kQVErrDrawPort       the pixel memory could not be had.
long DecodeFile(const QVFilePath& path, AGNativeImagePtr* image);

// A new native image with the same pixels as image. kQVErrDrawPort (logged)
// when image is null or the copy cannot be made.
long CopyImage(const AGNativeImage* image, AGNativeImagePtr* copy);

}  // namespace AGImagePlatform

#endif
