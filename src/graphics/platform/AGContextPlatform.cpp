#include <cairo-pdf.h>
#include <cairo-svg.h>
#include <cairo.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

#include "graphics/platform/AGContextPlatform_p.h"
#include "graphics/platform/AGNativePath.h"
#include "graphics/platform/AGCairoOwners_p.h"
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
      QVLogStatus(kQVErrDrawPort,
                  ("drawing state reset after: " + StatusText(cairo_status(mCairo.get()))).c_str());
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
        status = QVLogStatus(kQVErrDrawFile, mPath.c_str(), StatusText(s).c_str());
      }
    }
    return status;
  }

  long WritePNG(const std::string& path) {
    if (!HasPixels()) return QVLogStatus(kQVErrDrawFile, path.c_str(), "the port has no pixels");
    cairo_surface_flush(mSurface.get());
    cairo_status_t s = cairo_surface_write_to_png(mSurface.get(), path.c_str());
    if (s != CAIRO_STATUS_SUCCESS) {
      return QVLogStatus(kQVErrDrawFile, path.c_str(), StatusText(s).c_str());
    }
    return kQVNoErr;
  }

 private:
  long WritePNGToFile() {
    cairo_surface_flush(mSurface.get());
    cairo_status_t s = cairo_surface_write_to_png_stream(mSurface.get(), &WriteToFile, mFile);
    if (s != CAIRO_STATUS_SUCCESS) {
      return QVLogStatus(kQVErrDrawFile, mPath.c_str(), StatusText(s).c_str());
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
      return QVLogStatus(kQVErrDrawFile, path.c_str(), reason.c_str());
    }
    return QVLogStatus(kQVErrDrawPort, reason.c_str());
  }
  port->reset(new AGNativePort(kind, std::move(surface), width, height, path, file));
  if (!(*port)->Context()) {
    port->reset();
    return QVLogStatus(kQVErrDrawPort, (std::string(what) + ": no drawing state").c_str());
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
    return QVLogStatus(kQVErrDrawFile, file.c_str(), SizeText("page", w, h).c_str());
  }
  switch (kind) {
    case kAGNativePortPNG: {
      double pw = std::max(1.0, std::round(w)), ph = std::max(1.0, std::round(h));
      if (pw > kMaxPixels || ph > kMaxPixels) {
        return QVLogStatus(kQVErrDrawFile, file.c_str(), SizeText("image", w, h).c_str());
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
      return QVLogStatus(kQVErrDrawFile, file.c_str(), "not a file kind");
  }
}

}  // namespace

namespace AGGraphicsLow {

long AGNativePortCreateBitmap(uint32_t width, uint32_t height, AGNativePortPtr* port) {
  if (!port) return kQVErrDrawPort;
  port->reset();
  std::string what = SizeText("bitmap", width, height);
  if (width == 0 || height == 0 || width > kMaxPixels || height > kMaxPixels) {
    return QVLogStatus(kQVErrDrawPort, (what + ": size out of range").c_str());
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
    return QVLogStatus(kQVErrDrawPort, (what + ": bad size, row length or data").c_str());
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
    return QVLogStatus(kQVErrDrawFile, file.LogPath(), "the file is not open for writing");
  }
  return CreateFilePort(file.LogPath(), &file, kind, size, port);
}

long AGNativePortFinish(AGNativePort* port) { return port ? port->Finish() : long(kQVNoErr); }

long AGNativePortWritePNG(AGNativePort* port, const QVString& path) {
  if (!port) return QVLogStatus(kQVErrDrawFile, path.c_str(), "no port");
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
    return QVLogStatus(
        kQVErrDrawPort,
        (SizeText("image", width, height) + ": bad size, row length or data").c_str());
  }
  CairoSurfacePtr copy(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, int(width), int(height)));
  cairo_status_t s = cairo_surface_status(copy.get());
  if (s != CAIRO_STATUS_SUCCESS) {
    return QVLogStatus(kQVErrDrawPort,
                       (SizeText("image", width, height) + ": " + StatusText(s)).c_str());
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

long AGNativeImageCreateFromPort(AGNativePort* port, AGNativeImagePtr* image) {
  if (!image) return kQVErrDrawPort;
  image->reset();
  AGNativeBitmapInfo info;
  if (!AGNativePortGetBitmap(port, &info)) {
    return QVLogStatus(kQVErrDrawPort, "image of a port without pixels");
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

// Appends path's elements mapped by m (in double precision) as the current
// path. Quadratic segments become the equivalent cubics, which Cairo
// draws. False, with no path left, when a mapped coordinate is not finite.
bool AppendPath(cairo_t* cr, const AGNativePath& path, const AGAffineTransform& m) {
  cairo_new_path(cr);
  AGPoint current = kAGNullPoint, start = kAGNullPoint;
  const uint32_t count = path.GetElementCount();
  for (uint32_t i = 0; i < count; ++i) {
    AGNativeElement e = path.GetElement(i);
    AGPoint p[3] = {};
    uint32_t n = AGNativeElementPointCount(e.type);
    for (uint32_t k = 0; k < n; ++k) {
      p[k] = AGPointApplyTransform({e.points[k].x, e.points[k].y}, m);
      if (!std::isfinite(p[k].x) || !std::isfinite(p[k].y)) {
        cairo_new_path(cr);
        return false;
      }
    }
    switch (e.type) {
      case AGNativeElementType::kMoveTo:
        cairo_move_to(cr, p[0].x, p[0].y);
        start = p[0];
        break;
      case AGNativeElementType::kLineTo:
        cairo_line_to(cr, p[0].x, p[0].y);
        break;
      case AGNativeElementType::kQuadTo: {
        const double k = 2.0 / 3.0;
        cairo_curve_to(cr, current.x + k * (p[0].x - current.x),
                       current.y + k * (p[0].y - current.y), p[1].x + k * (p[0].x - p[1].x),
                       p[1].y + k * (p[0].y - p[1].y), p[1].x, p[1].y);
        break;
      }
      case AGNativeElementType::kCubicTo:
        cairo_curve_to(cr, p[0].x, p[0].y, p[1].x, p[1].y, p[2].x, p[2].y);
        break;
      case AGNativeElementType::kClose:
        cairo_close_path(cr);
        break;
    }
    current = n ? p[n - 1] : start;
  }
  return true;
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
  cairo_matrix_t m;
  cairo_matrix_init_translate(&m, -paint.anchor.x, -paint.anchor.y);
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

// Intersects the clip with the job's clip path; false when the clip path
// cannot be drawn.
bool InstallClip(cairo_t* cr, const AGNativePath* clip, const AGAffineTransform& toPort) {
  if (!clip) return true;
  if (!AppendPath(cr, *clip, toPort)) return false;
  cairo_set_fill_rule(cr, CAIRO_FILL_RULE_WINDING);
  cairo_clip(cr);
  return true;
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
  SavedState saved(cr);
  cairo_set_antialias(cr, job.antialias ? CAIRO_ANTIALIAS_DEFAULT : CAIRO_ANTIALIAS_NONE);
  if (!InstallClip(cr, job.clipPath, job.clipToPort)) return false;

  // A stroke over the very geometry of the fill reuses the path.
  bool shared =
      job.fill && job.stroke && IsIdentity(job.strokeSpace) && job.strokeGeometry == job.fillToPort;
  bool pathReady = false;
  if (job.fill) {
    if (!AppendPath(cr, *job.path, job.fillToPort)) return false;
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
  if (job.stroke && IsInvertible(job.strokeSpace) && SetSource(cr, job.strokePaint)) {
    if (!IsIdentity(job.strokeSpace)) {
      cairo_matrix_t space = CairoMatrix(job.strokeSpace);
      cairo_transform(cr, &space);
    }
    if (!(shared && pathReady) && !AppendPath(cr, *job.path, job.strokeGeometry)) return false;
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
  SavedState saved(cr);
  cairo_set_antialias(cr, job.antialias ? CAIRO_ANTIALIAS_DEFAULT : CAIRO_ANTIALIAS_NONE);
  if (!InstallClip(cr, job.clipPath, job.clipToPort)) return false;
  cairo_matrix_t toPort = CairoMatrix(job.toPort);
  cairo_transform(cr, &toPort);
  const double w = job.image->Width(), h = job.image->Height();
  CairoPatternPtr pattern(cairo_pattern_create_for_surface(job.image->Surface()));
  // Image space has y up with the first row at the top; the surface's rows
  // run down from its first.
  cairo_matrix_t flip;
  cairo_matrix_init(&flip, 1.0, 0.0, 0.0, -1.0, 0.0, h);
  cairo_pattern_set_matrix(pattern.get(), &flip);
  cairo_pattern_set_filter(pattern.get(),
                           job.interpolate ? CAIRO_FILTER_GOOD : CAIRO_FILTER_NEAREST);
  // Padding keeps smoothing from fading the image's own edges.
  cairo_pattern_set_extend(pattern.get(), CAIRO_EXTEND_PAD);
  cairo_set_source(cr, pattern.get());
  cairo_rectangle(cr, 0.0, 0.0, w, h);
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
  SavedState saved(cr);
  cairo_set_source_rgb(cr, Clamp01(color.red), Clamp01(color.green), Clamp01(color.blue));
  cairo_rectangle(cr, rect.x1, rect.y1, rect.x2 - rect.x1, rect.y2 - rect.y1);
  cairo_fill(cr);
  return true;
}

}  // namespace AGContextPlatform
