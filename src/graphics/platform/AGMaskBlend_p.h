// Compositing a cached coverage mask in a solid colour straight into a
// bitmap port's pixels, for the fills the mask cache serves (see
// AGMaskCache.h): the same pixels as the drawing service's own compositing
// of a solid source through an 8-bit mask with the OVER operator, without
// its set-up for every call and without visiting runs of empty coverage.
#ifndef AG_MASK_BLEND_P_H
#define AG_MASK_BLEND_P_H

#include <cstddef>
#include <cstdint>

// colour: the source as a premultiplied 0xAARRGGBB word. mask: width x
// height coverage bytes, rows maskStride bytes apart; pixels: the same
// number of premultiplied 0xAARRGGBB words in native byte order, rows
// pixelStride bytes apart. Each pixel d under coverage m becomes, channel by
// channel, s' + d * (255 - s'.alpha) / 255 with s' = s * m / 255, each
// product rounded to nearest and the sum held at 255; coverage 0 leaves
// the pixel alone.
void AGMaskBlendSolid(uint32_t colour, const uint8_t* mask, size_t maskStride, uint8_t* pixels,
                      size_t pixelStride, int width, int height);

#endif
