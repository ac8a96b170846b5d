// The graphics kit's platform-facing side: text layout (text of one or more
// lines turned into glyph outlines on a native path, or measured), drawing
// ports (bitmaps and PNG, SVG and PDF files), and the drawing that
// AGContext's operations come down to.
//
// Text layout: the text is cut into lines after every line feed (10) and
// carriage return (13), the break belonging to the line it ends (so CR LF
// ends two lines, and text ending in a break ends with an empty line). Each
// UTF-16 code unit is one glyph (surrogate pairs are not combined; a unit
// the font lacks shows its missing glyph). Line k's baseline lies k line
// spacings (ascent + descent + leading of the font) below the anchor, y
// pointing up. Each line is placed by its alignment: kAGTextAlignmentCenter
// puts the middle of the line's ink on the anchor's x, kAGTextAlignmentRight
// the right edge of its ink (trailing spaces have none), any other value
// the line's pen origin. A line without ink counts as ink at 0.
#ifndef AG_GRAPHICS_LOW_H
#define AG_GRAPHICS_LOW_H

#include <cstdint>
#include <memory>

#include "graphics/AGFont.h"
#include "graphics/AGGeometry.h"
#include "kit/QVString.h"

class AGContext;
class AGNativeImage;
class AGNativePath;
class AGNativePort;
class AGPath;
class QVFile;
using AGDrawMode = uint32_t;

// Release of ports and images (defined with the platform drawing code).
struct AGNativePortRelease {
  void operator()(AGNativePort* port) const;
};
struct AGNativeImageRelease {
  void operator()(AGNativeImage* image) const;
};
using AGNativePortPtr = std::unique_ptr<AGNativePort, AGNativePortRelease>;
using AGNativeImagePtr = std::unique_ptr<AGNativeImage, AGNativeImageRelease>;

// What a drawing port draws into.
enum AGNativePortKind : uint32_t {
  kAGNativePortBitmap = 0,  // pixels in memory
  kAGNativePortPNG = 1,     // pixels in memory, written to a PNG file when finished
  kAGNativePortSVG = 2,     // vector drawing, written as it goes, complete when finished
  kAGNativePortPDF = 3,     // the same as one PDF page
};

// The pixels of a bitmap port: 32-bit words 0xAARRGGBB in native byte order,
// colour premultiplied by alpha; row 0 of the memory is the top row, so kit
// coordinate y (y up) covers the memory row height - 1 - y.
struct AGNativeBitmapInfo {
  uint32_t* data = nullptr;
  uint32_t width = 0;
  uint32_t height = 0;
  uint32_t bytesPerRow = 0;
};

namespace AGGraphicsLow {

// Appends the outlines of text laid out at anchor to path, whose
// coordinates are relative to pathOrigin (the origin of the AGPath that owns
// it). False when path is null or the font is not valid; true without work
// for empty text. Never clears the path.
bool AGNativePathAddUText(AGNativePath* path, const AGPoint& pathOrigin, const AGPoint& anchor,
                          const QVUniChars& text, const AGFont& font, AGTextAlignment align);
// The same for native (Mac OS Roman) text.
bool AGNativePathAddText(AGNativePath* path, const AGPoint& pathOrigin, const AGPoint& anchor,
                         const QVString& text, const AGFont& font, AGTextAlignment align);

// (width, height) of the ink of all lines laid out at (0, 0), left
// aligned; kAGNullSize for an invalid font, empty text or text without ink.
AGSize AGNativeFontGetUTextExtent(const AGFont& font, const QVUniChars& text);
AGSize AGNativeFontGetTextExtent(const AGFont& font, const QVString& text);

// ---------------------------------------------------------------------------
// Drawing ports. A port's coordinates are points (pixels for bitmaps) with
// the origin at the bottom left corner and y pointing up; its area is
// (0, 0, width, height). Failures are logged and return kQVErrDrawPort
// (or kQVErrDrawFile for files), leaving *port null.

// A bitmap of width x height pixels, every pixel transparent black (0).
[[nodiscard]] long AGNativePortCreateBitmap(uint32_t width, uint32_t height, AGNativePortPtr* port);
// A bitmap port over the caller's pixels (layout as AGNativeBitmapInfo),
// which must outlive the port. bytesPerRow is at least width * 4 and a
// multiple of 4.
[[nodiscard]] long AGNativePortCreateBitmapWithData(uint32_t* data, uint32_t width, uint32_t height,
                                      uint32_t bytesPerRow, AGNativePortPtr* port);
// A port drawing into the file at path, of the kind given, size in points
// (rounded to whole pixels for PNG, at least 1). The path's bytes name the
// file as they are (no text conversion); the file is written in place,
// through a symbolic link if there is one. SVG and PDF files are created at
// once; a PNG file only when the port is finished.
[[nodiscard]] long AGNativePortCreateFile(const QVString& path, AGNativePortKind kind, const AGSize& size,
                            AGNativePortPtr* port);
// The same into a file the caller opened for writing (such as the temporary
// file of a safe replacement): the picture's bytes are written through
// QVFileWrite from the file's position, SVG and PDF ones as drawing goes on
// and when the port is finished, PNG ones when it is finished. The file
// must stay open until the port is finished or released; the caller then
// flushes and closes it. A failed write makes the finish fail with
// kQVErrDrawFile (the file has logged its own -976 as well). Messages name
// the file by its LogPath.
[[nodiscard]] long AGNativePortCreateForFile(QVFile& file, AGNativePortKind kind, const AGSize& size,
                               AGNativePortPtr* port);
// Completes a file port: writes the PNG file, or closes the SVG or PDF
// file. Drawing on a finished port draws nothing. 0 for a bitmap port, a
// null port or a port already finished; kQVErrDrawFile (logged) when the
// file cannot be written.
[[nodiscard]] long AGNativePortFinish(AGNativePort* port);
// Writes the pixels of a bitmap or PNG port to a PNG file at path.
// kQVErrDrawFile (logged) when there are no pixels or the file cannot be
// written.
[[nodiscard]] long AGNativePortWritePNG(AGNativePort* port, const QVString& path);

// kAGNativePortBitmap for a null port.
AGNativePortKind AGNativePortGetKind(const AGNativePort* port);
// (0, 0, width, height); kAGNullRect for a null port.
AGRect AGNativePortGetBounds(const AGNativePort* port);
// The pixels of a bitmap or PNG port, with every drawing done so far in
// them; false (info untouched) for other ports. Call AGNativePortMarkDirty
// after writing into them.
bool AGNativePortGetBitmap(AGNativePort* port, AGNativeBitmapInfo* info);
void AGNativePortMarkDirty(AGNativePort* port);

// Images: premultiplied 0xAARRGGBB pixels (as AGNativeBitmapInfo says),
// first row at the top, at most 32767 pixels a side. Failures are logged
// and return kQVErrDrawPort, leaving *image null.
//
// An image holding a copy of width x height pixels from data, rows
// bytesPerRow bytes apart (at least width * 4).
[[nodiscard]] long AGNativeImageCreateWithPixels(const uint32_t* data, uint32_t width, uint32_t height,
                                   uint32_t bytesPerRow, AGNativeImagePtr* image);
// An image over pixels that it takes over: data comes from std::malloc or
// std::realloc, holds height rows of bytesPerRow = width * 4 bytes, and is
// freed with std::free when the image goes, or at once when the image
// cannot be made.
[[nodiscard]] long AGNativeImageCreateAdoptingPixels(uint32_t* data, uint32_t width, uint32_t height,
                                       uint32_t bytesPerRow, AGNativeImagePtr* image);
// An image holding a copy of the pixels of a bitmap or PNG port (later
// drawing on the port does not change it); refused for other ports.
[[nodiscard]] long AGNativeImageCreateFromPort(AGNativePort* port, AGNativeImagePtr* image);
// Read access to an image's pixels (do not write through info.data); false
// for a null image.
bool AGNativeImageGetPixels(const AGNativeImage* image, AGNativeBitmapInfo* info);
// Pixel width and height; kAGNullSize for a null image.
AGSize AGNativeImageGetSize(const AGNativeImage* image);

// ---------------------------------------------------------------------------
// Drawing on a context's port. Each saves the port's state first and
// restores it after, so nothing of the port's state changes.
//
// Coordinates of any size are drawn exactly where they cross the port,
// however far they reach (a long line seen through a deep zoom), and
// geometry wholly outside the port, with its stroke's reach, draws nothing
// and still counts as drawn.

// Fills path with context.brush (unless mode bit 1 is set) and strokes it
// with context.pen (unless mode bit 0 is set), after mapping it by t and then
// by context.transform, within context's clip and at its opacity.
// False for an empty path, and when neither the fill nor the stroke was
// handed to the port.
//
// Fill: for solid colours and patterns the brush's fill mode chooses the
// rule (1 non-zero winding, any other value even-odd); gradients always
// fill by the non-zero winding rule. A pattern is an 8x8 tile of one-pixel
// cells in the brush's two colours (bit k of the tile is the cell of row
// k / 8 counted from the bottom, column k % 8 from the left). A gradient
// spans the brush's custom gradient bounds when it has some, otherwise the
// path's flattened bounding box, and follows the path through t and
// context.transform.
//
// Stroke: width = pen size in the port's units, multiplied, for a
// relative pen, by the scale of context.transform (not t). A pen ratio
// below 0.99 gives a calligraphic nib: a circle of that width squeezed to
// ratio along the direction of the pen angle, taken in the port's
// coordinates whatever the rotation of t; lines across that direction are
// ratio times as thick as lines along it. Solid and gradient brushes stroke
// in their first colour, patterns with the pattern; other styles stroke
// nothing.
bool AGContextDrawPath(const AGContext& context, const AGPath& path, const AGAffineTransform& t,
                       AGDrawMode mode);

// Draws image with its pixel size in the rectangle at position (its first
// row at the top), mapped by t and then by context.transform, within the
// clip and at the opacity; smoothed when interpolate is set, else with the
// nearest pixel. False without a port or an image, or with an opacity below
// 0.01.
bool AGContextDrawImage(const AGContext& context, const AGNativeImage* image,
                        const AGPoint& position, const AGAffineTransform& t, bool interpolate);

// Paints context.bounds with color's red, green and blue at full opacity
// (alpha byte, clip, transform and opacity ignored). False without a port.
bool AGContextClearPixels(const AGContext& context, AGColor color);

}  // namespace AGGraphicsLow

#endif
