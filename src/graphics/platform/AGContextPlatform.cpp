#include <cairo-pdf.h>
#include <cairo-svg.h>
#include <cairo.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "graphics/platform/AGCairoOwners_p.h"
#include "graphics/platform/AGContextPlatform_p.h"
#include "graphics/platform/AGMaskBlend_p.h"
#include "graphics/platform/AGMaskCache_p.h"
#include "graphics/platform/AGNativePath.h"
#include "graphics/platform/AGPortPath_p.h"
#include "kit/QVFile.h"
#include "kit/QVLog.h"

namespace {

cairo_matrix_t CairoMatrix(const AGAffineTransform& t) {
  cairo_matrix_t m;
  cairo_matrix_init(&m, t.a, t.b, t.c, t.d, t.tx, t.ty);
  return m;
}

bool IsFinite(const AGAffineTransform& t) {
  return std::isfinite(t.a) && std::isfinite(t.b) && std::isfinite(t.c) && std::isfinite(t.d) &&
         std::isfinite(t.tx) && std::isfinite(t.ty);
}

// Cairo refuses a singular matrix by putting the whole drawing state in
// error, so every matrix is checked before it is handed over.
bool IsInvertible(const AGAffineTransform& t) {
  if (!IsFinite(t)) return false;
  double det = t.a * t.d - t.b * t.c;
  return det != 0.0 && std::isfinite(1.0 / det);
}

std::string StatusText(cairo_status_t status) { return cairo_status_to_string(status); }

double Clamp01(double v) { return v > 0.0 ? (v < 1.0 ? v : 1.0) : 0.0; }

// The premultiplied pixel word Cairo composites for a solid colour, found
// by painting it: Cairo's own rounding of the colour, whatever its version.
uint32_t PaintedWord(const AGPaintColor& c) {
  CairoSurfacePtr pixel(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 1, 1));
  CairoPtr cr(cairo_create(pixel.get()));
  cairo_set_operator(cr.get(), CAIRO_OPERATOR_SOURCE);
  cairo_set_source_rgba(cr.get(), c.red, c.green, c.blue, c.alpha);
  cairo_paint(cr.get());
  cairo_surface_flush(pixel.get());
  uint32_t word = 0;
  if (cairo_surface_status(pixel.get()) == CAIRO_STATUS_SUCCESS) {
    std::memcpy(&word, cairo_image_surface_get_data(pixel.get()), sizeof word);
  }
  return word;
}

// Cairo's output stream into an open QVFile (the closure).
cairo_status_t WriteToFile(void* closure, const unsigned char* data, unsigned int length) {
  return QVFileWrite(*static_cast<QVFile*>(closure), data, length) == 0 ? CAIRO_STATUS_SUCCESS
                                                                        : CAIRO_STATUS_WRITE_ERROR;
}

}  // namespace

// ---------------------------------------------------------------------------
// Ports and images

class AGNativePort {
 public:
  AGNativePort(AGNativePortKind kind, CairoSurfacePtr surface, double width, double height,
               std::string path, QVFile* file)
      : mKind(kind),
        mSurface(std::move(surface)),
        mWidth(width),
        mHeight(height),
        mPath(std::move(path)),
        mFile(file) {}

  ~AGNativePort() {
    mCairo.reset();
    // A vector file left unfinished is completed here; its errors can no
    // longer reach anyone but the log.
    if (!mFinished && (mKind == kAGNativePortSVG || mKind == kAGNativePortPDF)) Finish();
  }

  // The pixel word of a solid colour as Cairo composites it; the last one
  // asked for is kept (a port draws on one thread at a time).
  uint32_t SolidWord(const AGPaintColor& colour) {
    if (!mHasSolid || mSolidColour.red != colour.red || mSolidColour.green != colour.green ||
        mSolidColour.blue != colour.blue || mSolidColour.alpha != colour.alpha) {
      mSolidColour = colour;
      mSolidWord = PaintedWord(colour);
      mHasSolid = true;
    }
    return mSolidWord;
  }

  AGNativePortKind Kind() const { return mKind; }
  double Width() const { return mWidth; }
  double Height() const { return mHeight; }
  bool HasPixels() const { return mKind == kAGNativePortBitmap || mKind == kAGNativePortPNG; }
  cairo_surface_t* Surface() const { return mSurface.get(); }

  // The drawing state, user space = the port's coordinates (y up). A state
  // that Cairo put in error is replaced, so that one bad drawing does not
  // silence the port for good. Null when the port cannot draw.
  cairo_t* Context() {
    if (mFinished || cairo_surface_status(mSurface.get()) != CAIRO_STATUS_SUCCESS) return nullptr;
    if (mCairo && cairo_status(mCairo.get()) == CAIRO_STATUS_SUCCESS) return mCairo.get();
    if (mCairo) {
      QVLogStatus<kQVErrDrawPort>(("drawing state reset after: " + StatusText(cairo_status(mCairo.get()))).c_str());
    }
    mCairo.reset(cairo_create(mSurface.get()));
    if (cairo_status(mCairo.get()) != CAIRO_STATUS_SUCCESS) {
      mCairo.reset();
      return nullptr;
    }
    cairo_matrix_t flip;
    cairo_matrix_init(&flip, 1.0, 0.0, 0.0, -1.0, 0.0, mHeight);
    cairo_set_matrix(mCairo.get(), &flip);
    return mCairo.get();
  }

  long Finish() {
    if (mFinished) return kQVNoErr;
    mFinished = true;
    mCairo.reset();
    long status = kQVNoErr;
    if (mKind == kAGNativePortPNG) {
      status = mFile ? WritePNGToFile() : WritePNG(mPath);
    } else if (mKind == kAGNativePortSVG || mKind == kAGNativePortPDF) {
      cairo_surface_finish(mSurface.get());
      cairo_status_t s = cairo_surface_status(mSurface.get());
      if (s != CAIRO_STATUS_SUCCESS) {
        status = QVLogStatus<kQVErrDrawFile>(mPath.c_str(), StatusText(s).c_str());
      }
    }
    return status;
  }

  long WritePNG(const std::string& path) {
    if (!HasPixels()) return QVLogStatus<kQVErrDrawFile>(path.c_str(), "the port has no pixels");
    cairo_surface_flush(mSurface.get());
    cairo_status_t s = cairo_surface_write_to_png(mSurface.get(), path.c_str());
    if (s != CAIRO_STATUS_SUCCESS) {
      return QVLogStatus<kQVErrDrawFile>(path.c_str(), StatusText(s).c_str());
    }
    return kQVNoErr;
  }

 private:
  long WritePNGToFile() {
    cairo_surface_flush(mSurface.get());
    cairo_status_t s = cairo_surface_write_to_png_stream(mSurface.get(), &WriteToFile, mFile);
    if (s != CAIRO_STATUS_SUCCESS) {
      return QVLogStatus<kQVErrDrawFile>(mPath.c_str(), StatusText(s).c_str());
    }
    return kQVNoErr;
  }

  AGNativePortKind mKind;
  CairoSurfacePtr mSurface;  // outlives mCairo, which references it
  CairoPtr mCairo;
  double mWidth;
  double mHeight;
  std::string mPath;  // the file of a file port, as messages name it
  QVFile* mFile;      // the open file of a port made for one, else null
  bool mFinished = false;
  AGPaintColor mSolidColour;
  uint32_t mSolidWord = 0;
  bool mHasSolid = false;
};

class AGNativeImage {
 public:
  explicit AGNativeImage(CairoSurfacePtr surface) : mSurface(std::move(surface)) {}
  cairo_surface_t* Surface() const { return mSurface.get(); }
  int Width() const { return cairo_image_surface_get_width(mSurface.get()); }
  int Height() const { return cairo_image_surface_get_height(mSurface.get()); }

 private:
  CairoSurfacePtr mSurface;
};

void AGNativePortRelease::operator()(AGNativePort* port) const { delete port; }
void AGNativeImageRelease::operator()(AGNativeImage* image) const { delete image; }

namespace {

// Wraps a new surface in a port, or reports Cairo's refusal.
long MakePort(cairo_surface_t* raw, AGNativePortKind kind, double width, double height,
              const std::string& path, const char* what, AGNativePortPtr* port,
              QVFile* file = nullptr) {
  CairoSurfacePtr surface(raw);
  cairo_status_t s = cairo_surface_status(surface.get());
  if (s != CAIRO_STATUS_SUCCESS) {
    std::string reason = std::string(what) + ": " + StatusText(s);
    if (kind == kAGNativePortSVG || kind == kAGNativePortPDF) {
      return QVLogStatus<kQVErrDrawFile>(path.c_str(), reason.c_str());
    }
    return QVLogStatus<kQVErrDrawPort>(reason.c_str());
  }
  port->reset(new AGNativePort(kind, std::move(surface), width, height, path, file));
  if (!(*port)->Context()) {
    port->reset();
    return QVLogStatus<kQVErrDrawPort>((std::string(what) + ": no drawing state").c_str());
  }
  return kQVNoErr;
}

// Image surfaces are limited to 32767 pixels a side.
constexpr uint32_t kMaxPixels = 32767;

std::string SizeText(const char* kind, double width, double height) {
  char text[96];
  std::snprintf(text, sizeof text, "%s of %g x %g", kind, width, height);
  return text;
}

// A file port writing to the file named file (bytes as they are), or into
// the open QVFile when one is given (file then only names it in messages).
long CreateFilePort(const std::string& file, QVFile* open, AGNativePortKind kind,
                    const AGSize& size, AGNativePortPtr* port) {
  if (!port) return kQVErrDrawPort;
  port->reset();
  double w = size.width, h = size.height;
  const bool named = open || !file.empty();
  if (!named || !(w > 0.0) || !(h > 0.0) || !std::isfinite(w) || !std::isfinite(h)) {
    return QVLogStatus<kQVErrDrawFile>(file.c_str(), SizeText("page", w, h).c_str());
  }
  switch (kind) {
    case kAGNativePortPNG: {
      double pw = std::max(1.0, std::round(w)), ph = std::max(1.0, std::round(h));
      if (pw > kMaxPixels || ph > kMaxPixels) {
        return QVLogStatus<kQVErrDrawFile>(file.c_str(), SizeText("image", w, h).c_str());
      }
      return MakePort(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, int(pw), int(ph)), kind, pw,
                      ph, file, "PNG image", port, open);
    }
    case kAGNativePortSVG:
      return MakePort(open ? cairo_svg_surface_create_for_stream(&WriteToFile, open, w, h)
                           : cairo_svg_surface_create(file.c_str(), w, h),
                      kind, w, h, file, "SVG file", port, open);
    case kAGNativePortPDF:
      return MakePort(open ? cairo_pdf_surface_create_for_stream(&WriteToFile, open, w, h)
                           : cairo_pdf_surface_create(file.c_str(), w, h),
                      kind, w, h, file, "PDF file", port, open);
    default:
      return QVLogStatus<kQVErrDrawFile>(file.c_str(), "not a file kind");
  }
}

}  // namespace

namespace AGGraphicsLow {

long AGNativePortCreateBitmap(uint32_t width, uint32_t height, AGNativePortPtr* port) {
  if (!port) return kQVErrDrawPort;
  port->reset();
  std::string what = SizeText("bitmap", width, height);
  if (width == 0 || height == 0 || width > kMaxPixels || height > kMaxPixels) {
    return QVLogStatus<kQVErrDrawPort>((what + ": size out of range").c_str());
  }
  return MakePort(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, int(width), int(height)),
                  kAGNativePortBitmap, width, height, std::string(), what.c_str(), port);
}

long AGNativePortCreateBitmapWithData(uint32_t* data, uint32_t width, uint32_t height,
                                      uint32_t bytesPerRow, AGNativePortPtr* port) {
  if (!port) return kQVErrDrawPort;
  port->reset();
  std::string what = SizeText("bitmap over given pixels", width, height);
  if (!data || width == 0 || height == 0 || width > kMaxPixels || height > kMaxPixels ||
      bytesPerRow / 4 < width || bytesPerRow % 4 != 0 || bytesPerRow > uint32_t(INT32_MAX)) {
    return QVLogStatus<kQVErrDrawPort>((what + ": bad size, row length or data").c_str());
  }
  cairo_surface_t* surface = cairo_image_surface_create_for_data(
      reinterpret_cast<unsigned char*>(data), CAIRO_FORMAT_ARGB32, int(width), int(height),
      int(bytesPerRow));
  return MakePort(surface, kAGNativePortBitmap, width, height, std::string(), what.c_str(), port);
}

long AGNativePortCreateFile(const QVString& path, AGNativePortKind kind, const AGSize& size,
                            AGNativePortPtr* port) {
  return CreateFilePort(path.c_str(), nullptr, kind, size, port);
}

long AGNativePortCreateForFile(QVFile& file, AGNativePortKind kind, const AGSize& size,
                               AGNativePortPtr* port) {
  if (!file.CanWrite()) {
    if (port) port->reset();
    return QVLogStatus<kQVErrDrawFile>(file.LogPath(), "the file is not open for writing");
  }
  return CreateFilePort(file.LogPath(), &file, kind, size, port);
}

long AGNativePortFinish(AGNativePort* port) { return port ? port->Finish() : long(kQVNoErr); }

long AGNativePortWritePNG(AGNativePort* port, const QVString& path) {
  if (!port) return QVLogStatus<kQVErrDrawFile>(path.c_str(), "no port");
  return port->WritePNG(path.c_str());
}

AGNativePortKind AGNativePortGetKind(const AGNativePort* port) {
  return port ? port->Kind() : kAGNativePortBitmap;
}

AGRect AGNativePortGetBounds(const AGNativePort* port) {
  return port ? AGRect{0.0, 0.0, port->Width(), port->Height()} : kAGNullRect;
}

bool AGNativePortGetBitmap(AGNativePort* port, AGNativeBitmapInfo* info) {
  if (!port || !info || !port->HasPixels()) return false;
  cairo_surface_t* s = port->Surface();
  cairo_surface_flush(s);
  info->data = reinterpret_cast<uint32_t*>(cairo_image_surface_get_data(s));
  info->width = uint32_t(cairo_image_surface_get_width(s));
  info->height = uint32_t(cairo_image_surface_get_height(s));
  info->bytesPerRow = uint32_t(cairo_image_surface_get_stride(s));
  return info->data != nullptr;
}

void AGNativePortMarkDirty(AGNativePort* port) {
  if (port && port->HasPixels()) cairo_surface_mark_dirty(port->Surface());
}

long AGNativeImageCreateWithPixels(const uint32_t* data, uint32_t width, uint32_t height,
                                   uint32_t bytesPerRow, AGNativeImagePtr* image) {
  if (!image) return kQVErrDrawPort;
  image->reset();
  if (!data || width == 0 || height == 0 || width > kMaxPixels || height > kMaxPixels ||
      bytesPerRow / 4 < width) {
    return QVLogStatus<kQVErrDrawPort>((SizeText("image", width, height) + ": bad size, row length or data").c_str());
  }
  CairoSurfacePtr copy(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, int(width), int(height)));
  cairo_status_t s = cairo_surface_status(copy.get());
  if (s != CAIRO_STATUS_SUCCESS) {
    return QVLogStatus<kQVErrDrawPort>((SizeText("image", width, height) + ": " + StatusText(s)).c_str());
  }
  cairo_surface_flush(copy.get());
  unsigned char* dst = cairo_image_surface_get_data(copy.get());
  const unsigned char* src = reinterpret_cast<const unsigned char*>(data);
  const size_t dstStride = size_t(cairo_image_surface_get_stride(copy.get()));
  for (uint32_t row = 0; row < height; ++row) {
    std::memcpy(dst + row * dstStride, src + size_t(row) * bytesPerRow, size_t(width) * 4);
  }
  cairo_surface_mark_dirty(copy.get());
  image->reset(new AGNativeImage(std::move(copy)));
  return kQVNoErr;
}

long AGNativeImageCreateAdoptingPixels(uint32_t* data, uint32_t width, uint32_t height,
                                       uint32_t bytesPerRow, AGNativeImagePtr* image) {
  std::unique_ptr<uint32_t, decltype(&std::free)> pixels(data, &std::free);
  if (!image) return kQVErrDrawPort;
  image->reset();
  const std::string what = SizeText("image", width, height);
  if (!data || width == 0 || height == 0 || width > kMaxPixels || height > kMaxPixels ||
      bytesPerRow != uint32_t(cairo_format_stride_for_width(CAIRO_FORMAT_ARGB32, int(width)))) {
    return QVLogStatus<kQVErrDrawPort>((what + ": bad size, row length or data").c_str());
  }
  CairoSurfacePtr surface(cairo_image_surface_create_for_data(
      reinterpret_cast<unsigned char*>(data), CAIRO_FORMAT_ARGB32, int(width), int(height),
      int(bytesPerRow)));
  // The surface frees the pixels when it is destroyed; until it holds them,
  // pixels does (declared first, it outlives the surface on every path).
  static cairo_user_data_key_t sPixelsKey;
  cairo_status_t s = cairo_surface_status(surface.get());
  if (s == CAIRO_STATUS_SUCCESS) {
    s = cairo_surface_set_user_data(surface.get(), &sPixelsKey, data, &std::free);
  }
  if (s != CAIRO_STATUS_SUCCESS) {
    return QVLogStatus<kQVErrDrawPort>((what + ": " + StatusText(s)).c_str());
  }
  pixels.release();
  image->reset(new AGNativeImage(std::move(surface)));
  return kQVNoErr;
}

long AGNativeImageCreateFromPort(AGNativePort* port, AGNativeImagePtr* image) {
  if (!image) return kQVErrDrawPort;
  image->reset();
  AGNativeBitmapInfo info;
  if (!AGNativePortGetBitmap(port, &info)) {
    return QVLogStatus<kQVErrDrawPort>("image of a port without pixels");
  }
  return AGNativeImageCreateWithPixels(info.data, info.width, info.height, info.bytesPerRow, image);
}

bool AGNativeImageGetPixels(const AGNativeImage* image, AGNativeBitmapInfo* info) {
  if (!image || !info) return false;
  cairo_surface_t* s = image->Surface();
  cairo_surface_flush(s);
  info->data = reinterpret_cast<uint32_t*>(cairo_image_surface_get_data(s));
  info->width = uint32_t(image->Width());
  info->height = uint32_t(image->Height());
  info->bytesPerRow = uint32_t(cairo_image_surface_get_stride(s));
  return info->data != nullptr;
}

AGSize AGNativeImageGetSize(const AGNativeImage* image) {
  return image ? AGSize{double(image->Width()), double(image->Height())} : kAGNullSize;
}

}  // namespace AGGraphicsLow

// ---------------------------------------------------------------------------
// Drawing

namespace {

// Makes path the current path, each point mapped by post first when given.
void AppendPath(cairo_t* cr, const AGPortPath& path, const AGAffineTransform* post) {
  cairo_new_path(cr);
  auto at = [post](const AGPoint& p) { return post ? AGPointApplyTransform(p, *post) : p; };
  for (const AGPortPath::Element& e : path.Elements()) {
    switch (e.verb) {
      case AGPortPath::Verb::kMove: {
        AGPoint p = at(e.p[0]);
        cairo_move_to(cr, p.x, p.y);
        break;
      }
      case AGPortPath::Verb::kLine: {
        AGPoint p = at(e.p[0]);
        cairo_line_to(cr, p.x, p.y);
        break;
      }
      case AGPortPath::Verb::kCubic: {
        AGPoint c1 = at(e.p[0]), c2 = at(e.p[1]), p = at(e.p[2]);
        cairo_curve_to(cr, c1.x, c1.y, c2.x, c2.y, p.x, p.y);
        break;
      }
      case AGPortPath::Verb::kClose:
        cairo_close_path(cr);
        break;
    }
  }
}

// ---------------------------------------------------------------------------
// Geometry against the port. Cairo keeps device coordinates in 24.8 fixed
// point (about +-8.4 million units), so everything it is handed stays well
// inside that (see AGPortPath_p.h).

// Device coordinates Cairo holds exactly, with room for what it adds itself
// (stroke outlines, flattened curves).
constexpr double kDeviceLimit = 4194304.0;  // 2^22
// How far beyond what can show a path may still reach and go to Cairo as it
// is; only paths reaching further are clipped.
constexpr double kSafePad = 65536.0;
// Anti-aliasing shades at most the pixels an edge crosses.
constexpr double kAntialiasMargin = 2.0;
// Cairo's miter limit, never changed here: a miter join reaches at most this
// many half widths from its corner.
constexpr double kMiterLimit = 10.0;

AGRect Grow(const AGRect& r, double d) { return {r.x1 - d, r.y1 - d, r.x2 + d, r.y2 + d}; }

AGRect Intersection(const AGRect& a, const AGRect& b) {
  return {std::max(a.x1, b.x1), std::max(a.y1, b.y1), std::min(a.x2, b.x2),
          std::min(a.y2, b.y2)};
}

// Where a drawing can show (the port grown by margin) and where Cairo is
// given coordinates, in the port's coordinates (device y = height - y).
struct PortRegion {
  AGRect visible;
  AGRect safe;
};

PortRegion RegionOf(const AGNativePort& port, double margin) {
  const double w = port.Width(), h = port.Height();
  const AGRect device = {-kDeviceLimit, h - kDeviceLimit, kDeviceLimit, h + kDeviceLimit};
  AGRect visible = Intersection(Grow({0.0, 0.0, w, h}, margin), device);
  return {visible, Intersection(Grow(visible, kSafePad), device)};
}

// How far the ink of a stroke reaches from its path, in the port: half the
// width, stretched as far as the stroke space stretches, times what a join
// or cap adds, plus anti-aliasing.
double StrokeMargin(const AGDrawJob& job) {
  const AGAffineTransform& s = job.strokeSpace;
  // The largest singular value of the stroke space's linear part.
  const double q = 0.5 * (s.a * s.a + s.b * s.b + s.c * s.c + s.d * s.d);
  const double det = s.a * s.d - s.b * s.c;
  const double stretch = std::sqrt(q + std::sqrt(std::max(0.0, q * q - det * det)));
  double reach = job.cap == AGStrokeCap::kSquare ? std::sqrt(2.0) : 1.0;
  if (job.join == AGStrokeJoin::kMiter) reach = std::max(reach, kMiterLimit);
  return 0.5 * job.lineWidth * stretch * reach + kAntialiasMargin;
}

// What Cairo gets for one use of path: path itself when it lies in the
// safe box, else its clipped copy (kept in *clipped); null when nothing of
// it can show.
const AGPortPath* Ready(const AGPortPath& path, const PortRegion& region, AGPortPath::Use use,
                        AGPortPath* clipped) {
  switch (path.Classify(region.visible, region.safe)) {
    case AGPortPath::Fit::kOutside:
      return nullptr;
    case AGPortPath::Fit::kInside:
      return &path;
    case AGPortPath::Fit::kCrossing:
      break;
  }
  *clipped = path.Clipped(region.visible, region.safe, use);
  return clipped->IsEmpty() ? nullptr : clipped;
}

// A job's clip, ready for Cairo.
struct ClipGeometry {
  AGPortPath mapped;
  AGPortPath clipped;
  const AGPortPath* ready = nullptr;
};

// Works out the job's clip, if any. False when the drawing ends here, with
// its result in *result: false for a coordinate that is not finite, true
// when nothing of the clip reaches the port (nothing can show).
bool PrepareClip(const AGNativePort& port, const AGNativePath* clip,
                 const AGAffineTransform& toPort, ClipGeometry* geometry, bool* result) {
  if (!clip) return true;
  *result = geometry->mapped.Assign(*clip, toPort);
  if (!*result) return false;
  geometry->ready = Ready(geometry->mapped, RegionOf(port, kAntialiasMargin),
                          AGPortPath::Use::kFill, &geometry->clipped);
  return geometry->ready != nullptr;
}

// One premultiplied ARGB32 pixel word.
uint32_t PixelWord(const AGPaintColor& c) {
  double a = Clamp01(c.alpha);
  auto byte = [](double v) { return uint32_t(std::lround(v * 255.0)); };
  return byte(a) << 24 | byte(Clamp01(c.red) * a) << 16 | byte(Clamp01(c.green) * a) << 8 |
         byte(Clamp01(c.blue) * a);
}

CairoPatternPtr TilePattern(const AGPaint& paint) {
  if (!std::isfinite(paint.anchor.x) || !std::isfinite(paint.anchor.y)) return nullptr;
  CairoSurfacePtr tile(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 8, 8));
  if (cairo_surface_status(tile.get()) != CAIRO_STATUS_SUCCESS) return nullptr;
  cairo_surface_flush(tile.get());
  unsigned char* data = cairo_image_surface_get_data(tile.get());
  int stride = cairo_image_surface_get_stride(tile.get());
  const uint32_t on = PixelWord(paint.color), off = PixelWord(paint.color2);
  // Row r of the tile's memory lies at pattern y in [r, r + 1), which the
  // y-up user space shows as row r from the bottom.
  for (int row = 0; row < 8; ++row) {
    uint32_t* words = reinterpret_cast<uint32_t*>(data + row * stride);
    for (int col = 0; col < 8; ++col) words[col] = (paint.tile >> (row * 8 + col)) & 1 ? on : off;
  }
  cairo_surface_mark_dirty(tile.get());
  CairoPatternPtr pattern(cairo_pattern_create_for_surface(tile.get()));
  cairo_pattern_set_extend(pattern.get(), CAIRO_EXTEND_REPEAT);
  cairo_pattern_set_filter(pattern.get(), CAIRO_FILTER_NEAREST);
  // The tile repeats every 8 units, so the anchor counts modulo 8; a far
  // anchor would otherwise push the pattern's matrix out of Cairo's range.
  cairo_matrix_t m;
  cairo_matrix_init_translate(&m, -std::fmod(paint.anchor.x, 8.0), -std::fmod(paint.anchor.y, 8.0));
  cairo_pattern_set_matrix(pattern.get(), &m);
  return pattern;
}

CairoPatternPtr GradientPattern(const AGPaint& paint) {
  if (!IsInvertible(paint.toPort) || paint.stops.empty()) return nullptr;
  CairoPatternPtr pattern(
      paint.kind == AGPaint::kLinear
          ? cairo_pattern_create_linear(paint.p0.x, paint.p0.y, paint.p1.x, paint.p1.y)
          : cairo_pattern_create_radial(paint.p0.x, paint.p0.y, 0.0, paint.p0.x, paint.p0.y,
                                        paint.radius));
  if (cairo_pattern_status(pattern.get()) != CAIRO_STATUS_SUCCESS) return nullptr;
  for (const AGPaintStop& s : paint.stops) {
    cairo_pattern_add_color_stop_rgba(pattern.get(), s.offset, s.color.red, s.color.green,
                                      s.color.blue, s.color.alpha);
  }
  cairo_pattern_set_extend(pattern.get(), CAIRO_EXTEND_PAD);
  // The pattern's matrix maps user space (the port) into gradient space.
  cairo_matrix_t m = CairoMatrix(paint.toPort);
  if (cairo_matrix_invert(&m) != CAIRO_STATUS_SUCCESS) return nullptr;
  cairo_pattern_set_matrix(pattern.get(), &m);
  return pattern;
}

// Makes paint the source, locked to the current user space. False when it
// paints nothing.
bool SetSource(cairo_t* cr, const AGPaint& paint) {
  CairoPatternPtr pattern;
  switch (paint.kind) {
    case AGPaint::kSolid:
      cairo_set_source_rgba(cr, paint.color.red, paint.color.green, paint.color.blue,
                            paint.color.alpha);
      return true;
    case AGPaint::kTile:
      pattern = TilePattern(paint);
      break;
    case AGPaint::kLinear:
    case AGPaint::kRadial:
      pattern = GradientPattern(paint);
      break;
    case AGPaint::kNone:
      return false;
  }
  if (!pattern) return false;
  cairo_set_source(cr, pattern.get());
  return true;
}

// Intersects Cairo's clip with the clip made ready, if any.
void InstallClip(cairo_t* cr, const ClipGeometry& clip) {
  if (!clip.ready) return;
  AppendPath(cr, *clip.ready, nullptr);
  cairo_set_fill_rule(cr, CAIRO_FILL_RULE_WINDING);
  cairo_clip(cr);
}

cairo_line_cap_t CairoCap(AGStrokeCap cap) {
  switch (cap) {
    case AGStrokeCap::kSquare:
      return CAIRO_LINE_CAP_SQUARE;
    case AGStrokeCap::kRound:
      return CAIRO_LINE_CAP_ROUND;
    default:
      return CAIRO_LINE_CAP_BUTT;
  }
}

cairo_line_join_t CairoJoin(AGStrokeJoin join) {
  switch (join) {
    case AGStrokeJoin::kBevel:
      return CAIRO_LINE_JOIN_BEVEL;
    case AGStrokeJoin::kRound:
      return CAIRO_LINE_JOIN_ROUND;
    default:
      return CAIRO_LINE_JOIN_MITER;
  }
}

bool IsIdentity(const AGAffineTransform& t) { return t == kAGAffineTransformIdentity; }

// Makes a coverage mask for the cache: the same geometry and rasterisation
// as a direct fill, mapped into the mask's pixels.
bool PaintMask(cairo_t* cr, const AGNativePath& path, const AGAffineTransform& toMask,
               bool evenOdd) {
  AGPortPath geometry;
  if (!geometry.Assign(path, toMask)) return false;
  AppendPath(cr, geometry, nullptr);
  cairo_set_fill_rule(cr, evenOdd ? CAIRO_FILL_RULE_EVEN_ODD : CAIRO_FILL_RULE_WINDING);
  cairo_fill(cr);
  return true;
}

// Whether a clip is one rectangle on whole pixels (a window's damaged area,
// say): its coverage is then 0 or 1 everywhere. Any other clip shades the
// pixels its edges cross, and a fill clipped there is the area of both
// together, which a mask composited through the clip would not reproduce.
bool IsWholePixelBox(const AGPortPath& clip) {
  std::vector<AGPoint> corners;
  for (const AGPortPath::Element& e : clip.Elements()) {
    if (e.verb == AGPortPath::Verb::kCubic || (e.verb == AGPortPath::Verb::kMove && !corners.empty())) {
      return false;
    }
    if (e.verb == AGPortPath::Verb::kClose) continue;
    if (e.p[0].x != std::floor(e.p[0].x) || e.p[0].y != std::floor(e.p[0].y)) return false;
    if (corners.empty() || e.p[0] != corners.back()) corners.push_back(e.p[0]);
  }
  if (corners.size() > 4 && corners.back() == corners.front()) corners.pop_back();
  if (corners.size() != 4) return false;
  // Four corners joined by sides along the axes, each side turning.
  for (size_t i = 0; i < 4; ++i) {
    const AGPoint& p = corners[i];
    const AGPoint& q = corners[(i + 1) % 4];
    const AGPoint& r = corners[(i + 2) % 4];
    const bool alongX = p.y == q.y, nextAlongX = q.y == r.y;
    if ((p.x == q.x) == alongX || alongX == nextAlongX) return false;
  }
  return true;
}

// The coverage mask of the job's fill, when the cache can serve it: bitmap
// ports with anti-aliasing only (vector ports keep real outlines, and
// aliased edges are not what the masks hold), unclipped or clipped to whole
// pixels. Gradients paint through the path with the non-zero winding rule,
// which SetUpFill has chosen.
AGMaskStore::Result FindMask(AGNativePort& port, const AGDrawJob& job, const ClipGeometry& clip,
                             AGCoverageMask* mask) {
  if (!port.HasPixels() || !job.antialias || job.fillPaint.kind == AGPaint::kNone ||
      (clip.ready && !IsWholePixelBox(*clip.ready))) {
    return AGMaskStore::Result::kDirect;
  }
  AGMaskStore::Request request;
  request.path = job.path;
  // The port's y-up coordinates are device rows counted from the top.
  const AGAffineTransform& t = job.fillToPort;
  request.toDevice = {t.a, -t.b, t.c, -t.d, t.tx, port.Height() - t.ty};
  request.evenOdd = job.evenOdd;
  request.solid = job.fillPaint.kind == AGPaint::kSolid;
  request.portWidth = int(port.Width());
  request.portHeight = int(port.Height());
  request.paint = PaintMask;
  return AGMaskStore::Find(request, mask);
}

// Composites a solid colour through mask straight into the port's pixels,
// within the clip (a box on whole pixels, or none): the pixels Cairo's
// compositing gives, without its set-up for each piece.
void BlendMask(AGNativePort& port, const ClipGeometry& clip, const AGPaintColor& colour,
               const AGCoverageMask& mask) {
  cairo_surface_t* surface = port.Surface();
  cairo_surface_flush(surface);
  uint8_t* pixels = cairo_image_surface_get_data(surface);
  if (!pixels) return;
  const int width = cairo_image_surface_get_width(surface);
  const int height = cairo_image_surface_get_height(surface);
  const size_t stride = size_t(cairo_image_surface_get_stride(surface));
  // The area that may change, in device pixels (rows from the top).
  int x1 = 0, y1 = 0, x2 = width, y2 = height;
  if (clip.ready) {
    const AGRect box = clip.ready->Bounds();
    x1 = std::max(x1, int(box.x1));
    x2 = std::min(x2, int(box.x2));
    y1 = std::max(y1, int(port.Height() - box.y2));
    y2 = std::min(y2, int(port.Height() - box.y1));
  }
  const uint32_t word = port.SolidWord(colour);
  for (const AGMaskPiece& piece : *mask.pieces) {
    cairo_surface_t* coverage = piece.surface.get();
    const int px = mask.x + piece.left, py = mask.y + piece.top;
    const int bx1 = std::max(x1, px), by1 = std::max(y1, py);
    const int bx2 = std::min(x2, px + cairo_image_surface_get_width(coverage));
    const int by2 = std::min(y2, py + cairo_image_surface_get_height(coverage));
    if (bx1 >= bx2 || by1 >= by2) continue;
    const size_t coverageStride = size_t(cairo_image_surface_get_stride(coverage));
    const uint8_t* from = cairo_image_surface_get_data(coverage) +
                          size_t(by1 - py) * coverageStride + size_t(bx1 - px);
    AGMaskBlendSolid(word, from, coverageStride, pixels + size_t(by1) * stride + size_t(bx1) * 4,
                     stride, bx2 - bx1, by2 - by1);
    cairo_surface_mark_dirty_rectangle(surface, bx1, by1, bx2 - bx1, by2 - by1);
  }
}

// Paints paint through mask at its device pixel, within the clip and with
// the operator in force, as a fill of the same coverage would.
void CompositeMask(cairo_t* cr, const AGPaint& paint, const AGCoverageMask& mask) {
  cairo_save(cr);
  // The source is locked to the port's user space as it is set; the mask is
  // placed in device pixels after.
  if (SetSource(cr, paint)) {
    cairo_identity_matrix(cr);
    for (const AGMaskPiece& piece : *mask.pieces) {
      cairo_mask_surface(cr, piece.surface.get(), mask.x + piece.left, mask.y + piece.top);
    }
  }
  cairo_restore(cr);
}

// Saves the drawing state on construction and restores it on destruction.
class SavedState {
 public:
  explicit SavedState(cairo_t* cr) : mCr(cr) { cairo_save(cr); }
  ~SavedState() { cairo_restore(mCr); }
  SavedState(const SavedState&) = delete;
  SavedState& operator=(const SavedState&) = delete;

 private:
  cairo_t* mCr;
};

}  // namespace

namespace AGContextPlatform {

bool DrawPath(AGNativePort* port, const AGDrawJob& job) {
  if (!port || !job.path || job.path->IsEmpty() || (!job.fill && !job.stroke)) return false;
  cairo_t* cr = port->Context();
  if (!cr) return false;

  // Every use of the path is worked out in double precision before Cairo
  // sees any of it.
  ClipGeometry clip;
  bool result = true;
  if (!PrepareClip(*port, job.clipPath, job.clipToPort, &clip, &result)) return result;
  AGPortPath fillGeometry, fillClipped, strokeGeometry, strokeClipped;
  const AGPortPath* fillReady = nullptr;
  const AGPortPath* strokeReady = nullptr;
  AGCoverageMask mask;
  bool fillByMask = false;
  if (job.fill) {
    switch (FindMask(*port, job, clip, &mask)) {
      case AGMaskStore::Result::kMask:
        fillByMask = true;
        break;
      case AGMaskStore::Result::kOutside:
        break;
      case AGMaskStore::Result::kDirect:
        if (!fillGeometry.Assign(*job.path, job.fillToPort)) return false;
        fillReady = Ready(fillGeometry, RegionOf(*port, kAntialiasMargin), AGPortPath::Use::kFill,
                          &fillClipped);
        break;
    }
  }
  const bool stroke = job.stroke && IsInvertible(job.strokeSpace);
  if (stroke) {
    const AGPortPath* geometry = &fillGeometry;
    if (fillGeometry.IsEmpty() || job.strokeToPort != job.fillToPort) {
      if (!strokeGeometry.Assign(*job.path, job.strokeToPort)) return false;
      geometry = &strokeGeometry;
    }
    strokeReady = Ready(*geometry, RegionOf(*port, StrokeMargin(job)), AGPortPath::Use::kStroke,
                        &strokeClipped);
  }
  if (fillByMask && job.fillPaint.kind == AGPaint::kSolid) {
    BlendMask(*port, clip, job.fillPaint.color, mask);
    fillByMask = false;
  }
  if (!fillByMask && !fillReady && !strokeReady) return true;  // nothing more to draw

  SavedState saved(cr);
  cairo_set_antialias(cr, job.antialias ? CAIRO_ANTIALIAS_DEFAULT : CAIRO_ANTIALIAS_NONE);
  InstallClip(cr, clip);
  if (fillByMask) CompositeMask(cr, job.fillPaint, mask);

  // A stroke of the very geometry of the fill reuses the path.
  bool shared = fillReady && fillReady == strokeReady && IsIdentity(job.strokeSpace);
  bool pathReady = false;
  if (fillReady) {
    AppendPath(cr, *fillReady, nullptr);
    pathReady = true;
    if (SetSource(cr, job.fillPaint)) {
      cairo_set_fill_rule(cr, job.evenOdd ? CAIRO_FILL_RULE_EVEN_ODD : CAIRO_FILL_RULE_WINDING);
      if (shared) {
        cairo_fill_preserve(cr);
      } else {
        cairo_fill(cr);
        pathReady = false;
      }
    }
  }
  if (strokeReady && SetSource(cr, job.strokePaint)) {
    // The geometry is in the port; in the stroke space it is mapped back
    // by the inverse, so that the nib is applied where it belongs.
    AGAffineTransform fromPort = kAGAffineTransformIdentity;
    if (!IsIdentity(job.strokeSpace)) {
      cairo_matrix_t space = CairoMatrix(job.strokeSpace);
      cairo_transform(cr, &space);
      fromPort = AGAffineTransformInvert(job.strokeSpace);
    }
    if (!(shared && pathReady)) {
      AppendPath(cr, *strokeReady, IsIdentity(fromPort) ? nullptr : &fromPort);
    }
    cairo_set_line_width(cr, job.lineWidth);
    cairo_set_line_cap(cr, CairoCap(job.cap));
    cairo_set_line_join(cr, CairoJoin(job.join));
    cairo_stroke(cr);
  }
  cairo_new_path(cr);
  return true;
}

bool DrawImage(AGNativePort* port, const AGImageJob& job) {
  if (!port || !job.image || !IsInvertible(job.toPort)) return false;
  cairo_t* cr = port->Context();
  if (!cr) return false;
  ClipGeometry clip;
  bool result = true;
  if (!PrepareClip(*port, job.clipPath, job.clipToPort, &clip, &result)) return result;
  // The image's rectangle in the port, culled and clipped as a fill.
  const double w = job.image->Width(), h = job.image->Height();
  AGPortPath frame, frameClipped;
  const AGPoint corners[4] = {{0.0, 0.0}, {w, 0.0}, {w, h}, {0.0, h}};
  for (const AGPoint& corner : corners) {
    AGPoint p = AGPointApplyTransform(corner, job.toPort);
    if (!std::isfinite(p.x) || !std::isfinite(p.y)) return false;
    if (frame.IsEmpty()) {
      frame.MoveTo(p);
    } else {
      frame.LineTo(p);
    }
  }
  frame.Close();
  const AGPortPath* frameReady =
      Ready(frame, RegionOf(*port, kAntialiasMargin), AGPortPath::Use::kFill, &frameClipped);
  if (!frameReady) return true;

  SavedState saved(cr);
  cairo_set_antialias(cr, job.antialias ? CAIRO_ANTIALIAS_DEFAULT : CAIRO_ANTIALIAS_NONE);
  InstallClip(cr, clip);
  CairoPatternPtr pattern(cairo_pattern_create_for_surface(job.image->Surface()));
  // The pattern's matrix maps the port into the surface: back through toPort
  // into image space, which has y up with the first row at the top, then
  // down the surface's rows from its first.
  const AGAffineTransform flip = {1.0, 0.0, 0.0, -1.0, 0.0, h};
  cairo_matrix_t toSurface =
      CairoMatrix(AGAffineTransformConcat(AGAffineTransformInvert(job.toPort), flip));
  cairo_pattern_set_matrix(pattern.get(), &toSurface);
  cairo_pattern_set_filter(pattern.get(),
                           job.interpolate ? CAIRO_FILTER_GOOD : CAIRO_FILTER_NEAREST);
  // Padding keeps smoothing from fading the image's own edges.
  cairo_pattern_set_extend(pattern.get(), CAIRO_EXTEND_PAD);
  cairo_set_source(cr, pattern.get());
  AppendPath(cr, *frameReady, nullptr);
  cairo_clip(cr);
  cairo_paint_with_alpha(cr, Clamp01(job.alpha));
  return true;
}

bool FillRectOpaque(AGNativePort* port, const AGRect& rect, const AGPaintColor& color) {
  if (!port) return false;
  cairo_t* cr = port->Context();
  if (!cr) return false;
  if (!std::isfinite(rect.x1) || !std::isfinite(rect.y1) || !std::isfinite(rect.x2) ||
      !std::isfinite(rect.y2)) {
    return false;
  }
  // Only the port's own pixels can change: a far larger rectangle is cut to
  // them before Cairo's coordinates could overflow.
  AGRect area = Intersection(rect, Grow({0.0, 0.0, port->Width(), port->Height()}, 1.0));
  if (!(area.x2 > area.x1 && area.y2 > area.y1)) return true;
  SavedState saved(cr);
  cairo_set_source_rgb(cr, Clamp01(color.red), Clamp01(color.green), Clamp01(color.blue));
  cairo_rectangle(cr, area.x1, area.y1, area.x2 - area.x1, area.y2 - area.y1);
  cairo_fill(cr);
  return true;
}

}  // namespace AGContextPlatform
