// Decoding with libpng and libjpeg. Both libraries report errors by a long
// jump back to a point the caller armed with setjmp. Every such point sits
// in a function of its own below ("steps") that holds no object with a
// destructor and reads nothing written after setjmp once the jump has come
// back; the owners of the libraries' structures, of the file and of the
// pixels live in the callers, so every path releases them.
#include <sys/stat.h>

#include <algorithm>
#include <csetjmp>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "graphics/platform/AGImagePlatform_p.h"

// jpeglib.h needs FILE and size_t declared before it, and jerror.h the
// configuration that jpeglib.h brings.
#include <jpeglib.h>
// clang-format off
#include <jerror.h>
// clang-format on
#include <png.h>

#include "graphics/AGBitmap.h"
#include "graphics/AGContext.h"
#include "kit/QVFileUtils.h"
#include "kit/QVLog.h"

namespace {

size_t sLastDecodePeakBytes = 0;

struct FileClose {
  void operator()(std::FILE* file) const { std::fclose(file); }
};
using FilePtr = std::unique_ptr<std::FILE, FileClose>;

// c * a / 255 rounded to nearest, as the drawing service premultiplies.
inline uint32_t Premultiply(uint32_t c, uint32_t a) {
  uint32_t t = c * a + 0x80u;
  return ((t >> 8) + t) >> 8;
}

inline uint32_t PixelWord(uint32_t r, uint32_t g, uint32_t b, uint32_t a) {
  return a << 24 | Premultiply(r, a) << 16 | Premultiply(g, a) << 8 | Premultiply(b, a);
}

// The decoders write bytes R, G, B, A (or R, G, B) per pixel at the start of
// a raster row; these turn them into pixel words in place. RGB runs from
// the right end so that no pixel is overwritten before it is read.
void RgbaRowToWords(uint8_t* row, uint32_t width) {
  for (uint32_t x = 0; x < width; ++x) {
    const uint8_t* p = row + size_t(x) * 4;
    uint32_t word = PixelWord(p[0], p[1], p[2], p[3]);
    std::memcpy(row + size_t(x) * 4, &word, 4);
  }
}

void RgbRowToWords(uint8_t* row, uint32_t width) {
  for (uint32_t x = width; x-- > 0;) {
    const uint8_t* p = row + size_t(x) * 3;
    uint32_t word = PixelWord(p[0], p[1], p[2], 255u);
    std::memcpy(row + size_t(x) * 4, &word, 4);
  }
}

// The pixels a decoder fills: rows of the image's width in 32-bit words,
// the first row the top one, in memory that grows as rows are decoded, so
// that a file announcing more pixels than it holds never costs much more
// memory than the rows it delivered. Taken over by the native image when
// complete.
class PixelStore {
 public:
  PixelStore() = default;
  ~PixelStore() { std::free(mData); }
  PixelStore(const PixelStore&) = delete;
  PixelStore& operator=(const PixelStore&) = delete;

  // Checks the size against the kit's limits; no memory is taken yet.
  long Open(const QVFilePath& path, uint32_t width, uint32_t height) {
    if (width == 0 || height == 0) {
      return QVLogStatus(kQVErrImageDamaged, path.c_str(), "no pixels");
    }
    long status = AGBitmap::CheckSize(width, height, path.c_str());
    if (status != kQVNoErr) return status;
    mWidth = width;
    mHeight = height;
    mRowBytes = size_t(width) * 4;
    return kQVNoErr;
  }

  uint32_t Width() const { return mWidth; }
  uint32_t Height() const { return mHeight; }
  // Row y of those reserved.
  uint8_t* Row(uint32_t y) const { return mData + size_t(y) * mRowBytes; }

  // Makes rows [0, rows) available, new ones zeroed. The memory grows in
  // steps (at least doubling, at least 64 kB, never past the height) so
  // that row-by-row reservations stay cheap. False, marking the store as
  // out of memory, when the memory cannot be had.
  bool Reserve(uint32_t rows) {
    if (rows <= mRows) return true;
    const uint32_t least = uint32_t(std::max<size_t>(1, kFirstStep / mRowBytes));
    uint32_t grown = std::min(mHeight, std::max({rows, mRows * 2, least}));
    auto* data = static_cast<uint8_t*>(std::realloc(mData, size_t(grown) * mRowBytes));
    if (!data) {
      mOutOfMemory = true;
      return false;
    }
    mData = data;
    std::memset(Row(mRows), 0, size_t(grown - mRows) * mRowBytes);
    mRows = grown;
    sLastDecodePeakBytes = std::max(sLastDecodePeakBytes, size_t(mRows) * mRowBytes);
    return true;
  }
  bool OutOfMemory() const { return mOutOfMemory; }

  // The pixels as a native image, which takes the memory over.
  long MakeImage(AGNativeImagePtr* image) {
    if (!Reserve(mHeight)) return QVLogStatus(kQVErrImageTooLarge, "decoded image", "no memory");
    uint8_t* data = mData;
    mData = nullptr;
    mRows = 0;
    return AGGraphicsLow::AGNativeImageCreateAdoptingPixels(reinterpret_cast<uint32_t*>(data),
                                                            mWidth, mHeight, uint32_t(mRowBytes),
                                                            image);
  }

 private:
  static constexpr size_t kFirstStep = 64 * 1024;

  uint8_t* mData = nullptr;  // mRows rows, from malloc
  uint32_t mRows = 0;
  uint32_t mWidth = 0;
  uint32_t mHeight = 0;
  size_t mRowBytes = 0;
  bool mOutOfMemory = false;
};

// The status of a decoding that failed after the store was opened: out of
// memory for the pixels, or a damaged file.
long DecodeFailure(const PixelStore& store, const QVFilePath& path, const char* reason) {
  if (store.OutOfMemory()) {
    return QVLogStatus(kQVErrImageTooLarge, path.c_str(), "the memory for its pixels is lacking");
  }
  return QVLogStatus(kQVErrImageDamaged, path.c_str(), reason);
}

// ---------------------------------------------------------------------------
// PNG

struct PngFailure {
  char reason[160] = "";
};

[[noreturn]] void PngOnError(png_structp png, png_const_charp message) {
  auto* failure = static_cast<PngFailure*>(png_get_error_ptr(png));
  std::snprintf(failure->reason, sizeof failure->reason, "%s", message ? message : "");
  png_longjmp(png, 1);
}

// Warnings concern ancillary data or benign slips; the image stands.
void PngOnWarning(png_structp, png_const_charp) {}

void PngReadFromFile(png_structp png, png_bytep data, size_t length) {
  auto* file = static_cast<std::FILE*>(png_get_io_ptr(png));
  if (std::fread(data, 1, length, file) != length) png_error(png, "the file ends too early");
}

class PngReader {
 public:
  explicit PngReader(std::FILE* file) {
    mPng = png_create_read_struct(PNG_LIBPNG_VER_STRING, &mFailure, PngOnError, PngOnWarning);
    if (mPng) mInfo = png_create_info_struct(mPng);
    if (mInfo) png_set_read_fn(mPng, file, PngReadFromFile);
  }
  ~PngReader() {
    if (mPng) png_destroy_read_struct(&mPng, mInfo ? &mInfo : nullptr, nullptr);
  }
  PngReader(const PngReader&) = delete;
  PngReader& operator=(const PngReader&) = delete;

  bool IsReady() const { return mInfo != nullptr; }
  png_structp Png() const { return mPng; }
  png_infop Info() const { return mInfo; }
  const char* Reason() const { return mFailure.reason; }

 private:
  PngFailure mFailure;
  png_structp mPng = nullptr;
  png_infop mInfo = nullptr;
};

// Steps: reads the chunks before the pixels and gives the declared size and
// the bits of one pixel as stored.
bool PngReadHeaderSteps(png_structp png, png_infop info, uint32_t* width, uint32_t* height,
                        uint32_t* pixelBits) {
  if (setjmp(png_jmpbuf(png))) return false;
  // The kit's own limit decides about size, with its own status.
  png_set_user_limits(png, PNG_UINT_31_MAX, PNG_UINT_31_MAX);
  png_read_info(png, info);
  *width = png_get_image_width(png, info);
  *height = png_get_image_height(png, info);
  *pixelBits = uint32_t(png_get_channels(png, info)) * png_get_bit_depth(png, info);
  return true;
}

// Steps: every format becomes 8-bit R, G, B, A, then the rows are read one
// by one (each pass of an interlaced image over all of them), the store
// growing as they come.
bool PngReadPixelsSteps(png_structp png, png_infop info, PixelStore* store) {
  if (setjmp(png_jmpbuf(png))) return false;
  const int colorType = png_get_color_type(png, info);
  const int depth = png_get_bit_depth(png, info);
  if (depth == 16) png_set_scale_16(png);
  if (colorType == PNG_COLOR_TYPE_PALETTE) png_set_palette_to_rgb(png);
  if (colorType == PNG_COLOR_TYPE_GRAY && depth < 8) png_set_expand_gray_1_2_4_to_8(png);
  const bool transparency = png_get_valid(png, info, PNG_INFO_tRNS) != 0;
  if (transparency) png_set_tRNS_to_alpha(png);
  if (!(colorType & PNG_COLOR_MASK_COLOR)) png_set_gray_to_rgb(png);
  if (!(colorType & PNG_COLOR_MASK_ALPHA) && !transparency) {
    png_set_filler(png, 0xFF, PNG_FILLER_AFTER);
  }
  const int passes = png_set_interlace_handling(png);
  png_read_update_info(png, info);
  if (png_get_rowbytes(png, info) != size_t(store->Width()) * 4) {
    png_error(png, "unexpected row layout");
  }
  for (int pass = 0; pass < passes; ++pass) {
    for (uint32_t y = 0; y < store->Height(); ++y) {
      if (!store->Reserve(y + 1)) png_error(png, "no memory for the pixels");
      png_read_row(png, store->Row(y), nullptr);
    }
  }
  return true;
}

// The most bytes a deflate stream can inflate to for each of its own bytes:
// a match of 258 bytes takes at least two bits (a length and a distance
// code).
constexpr uint64_t kDeflateMaxRatio = 1032;

long DecodePng(const QVFilePath& path, std::FILE* file, uint64_t fileSize,
               AGNativeImagePtr* image) {
  PngReader reader(file);
  if (!reader.IsReady()) return QVLogStatus(kQVErrDrawPort, "PNG decoder");
  uint32_t width = 0, height = 0, pixelBits = 0;
  if (!PngReadHeaderSteps(reader.Png(), reader.Info(), &width, &height, &pixelBits)) {
    return QVLogStatus(kQVErrImageDamaged, path.c_str(), reader.Reason());
  }
  PixelStore store;
  long status = store.Open(path, width, height);
  if (status != kQVNoErr) return status;
  // The samples are deflated into the file: a file too short to hold them
  // at deflate's best is truncated or lies about its size.
  const uint64_t sampleBytes = (uint64_t(width) * pixelBits + 7) / 8 * height;
  if (sampleBytes / kDeflateMaxRatio > fileSize) {
    return QVLogStatus(kQVErrImageDamaged, path.c_str(), "too short for the pixels it announces");
  }
  if (!PngReadPixelsSteps(reader.Png(), reader.Info(), &store)) {
    return DecodeFailure(store, path, reader.Reason());
  }
  for (uint32_t y = 0; y < height; ++y) RgbaRowToWords(store.Row(y), width);
  return store.MakeImage(image);
}

// ---------------------------------------------------------------------------
// JPEG

// The memory libjpeg may take for one image: the coefficient buffers of a
// progressive file hold two bytes a sample, at most three samples a pixel,
// padded to whole blocks; a little more serves the rest. Beyond it the
// decoding fails instead of growing.
constexpr long kJpegBytesPerPixel = 8;
constexpr long kJpegBaseMemory = 16L * 1024 * 1024;

struct JpegErrors {
  jpeg_error_mgr manager;  // first, so that cinfo->err leads back here
  std::jmp_buf jump;
  char reason[JMSG_LENGTH_MAX];
};

[[noreturn]] void JpegOnError(j_common_ptr cinfo) {
  auto* errors = reinterpret_cast<JpegErrors*>(cinfo->err);
  (*cinfo->err->format_message)(cinfo, errors->reason);
  std::longjmp(errors->jump, 1);
}

// libjpeg goes on past missing or corrupt data with a warning and grey
// pixels; such a picture is not the file's, so those warnings fail the
// decoding. Warnings about markers the picture does not depend on pass.
void JpegOnMessage(j_common_ptr cinfo, int level) {
  if (level >= 0) return;  // trace messages
  switch (cinfo->err->msg_code) {
    case JWRN_JPEG_EOF:
    case JWRN_HIT_MARKER:
    case JWRN_HUFF_BAD_CODE:
#if JPEG_LIB_VERSION >= 70 || defined(C_ARITH_CODING_SUPPORTED) || defined(D_ARITH_CODING_SUPPORTED)
    case JWRN_ARITH_BAD_CODE:
#endif
    case JWRN_MUST_RESYNC:
    case JWRN_NOT_SEQUENTIAL:
    case JWRN_BOGUS_PROGRESSION:
      JpegOnError(cinfo);
    default:
      return;
  }
}

void JpegSilent(j_common_ptr) {}

class JpegReader {
 public:
  JpegReader() {
    mCinfo.err = jpeg_std_error(&mErrors.manager);
    mErrors.manager.error_exit = JpegOnError;
    mErrors.manager.emit_message = JpegOnMessage;
    mErrors.manager.output_message = JpegSilent;
  }
  // Safe whether or not creation happened or succeeded: the structure
  // starts zeroed and libjpeg releases only what it made.
  ~JpegReader() { jpeg_destroy_decompress(&mCinfo); }
  JpegReader(const JpegReader&) = delete;
  JpegReader& operator=(const JpegReader&) = delete;

  jpeg_decompress_struct* Cinfo() { return &mCinfo; }
  std::jmp_buf& Jump() { return mErrors.jump; }
  const char* Reason() const { return mErrors.reason; }

 private:
  jpeg_decompress_struct mCinfo{};
  JpegErrors mErrors{};
};

// Steps: creates the decoder and reads the markers before the first scan.
bool JpegReadHeaderSteps(JpegReader* reader, std::FILE* file) {
  jpeg_decompress_struct* cinfo = reader->Cinfo();
  if (setjmp(reader->Jump())) return false;
  jpeg_create_decompress(cinfo);
  cinfo->mem->max_memory_to_use = kJpegBaseMemory;
  jpeg_stdio_src(cinfo, file);
  jpeg_read_header(cinfo, TRUE);
  return true;
}

// Steps: decodes every scan line as R, G, B into the store's rows, the store
// growing as they come.
bool JpegReadPixelsSteps(JpegReader* reader, PixelStore* store) {
  jpeg_decompress_struct* cinfo = reader->Cinfo();
  if (setjmp(reader->Jump())) return false;
  cinfo->out_color_space = JCS_RGB;
  jpeg_start_decompress(cinfo);
  if (cinfo->output_components != 3 || cinfo->output_width != store->Width() ||
      cinfo->output_height != store->Height()) {
    ERREXIT(cinfo, JERR_CONVERSION_NOTIMPL);
  }
  while (cinfo->output_scanline < cinfo->output_height) {
    if (!store->Reserve(cinfo->output_scanline + 1)) ERREXIT1(cinfo, JERR_OUT_OF_MEMORY, 0);
    JSAMPROW row = store->Row(cinfo->output_scanline);
    if (jpeg_read_scanlines(cinfo, &row, 1) != 1) ERREXIT(cinfo, JERR_INPUT_EOF);
  }
  return true;
}

// Whether a Huffman-coded JPEG of fileSize bytes can hold what its header
// announces: every scan codes every block of the components it carries with
// at least one bit, so even the component with the fewest blocks needs that
// many bits. Arithmetic coding has no such floor.
bool JpegCanHoldItsBlocks(const jpeg_decompress_struct* cinfo, uint64_t fileSize) {
  if (cinfo->arith_code) return true;
  uint64_t fewest = UINT64_MAX;
  for (int c = 0; c < cinfo->num_components; ++c) {
    const jpeg_component_info& comp = cinfo->comp_info[c];
    fewest = std::min(fewest, uint64_t(comp.width_in_blocks) * comp.height_in_blocks);
  }
  return fewest / 8 <= fileSize;
}

long DecodeJpeg(const QVFilePath& path, std::FILE* file, uint64_t fileSize,
                AGNativeImagePtr* image) {
  JpegReader reader;
  if (!JpegReadHeaderSteps(&reader, file)) {
    return QVLogStatus(kQVErrImageDamaged, path.c_str(), reader.Reason());
  }
  jpeg_decompress_struct* cinfo = reader.Cinfo();
  const J_COLOR_SPACE space = cinfo->jpeg_color_space;
  if (!(space == JCS_GRAYSCALE && cinfo->num_components == 1) &&
      !((space == JCS_YCbCr || space == JCS_RGB) && cinfo->num_components == 3)) {
    return QVLogStatus(kQVErrImageFormat, path.c_str(),
                       "JPEG colours other than grey and RGB (CMYK, YCCK...)");
  }
  PixelStore store;
  long status = store.Open(path, cinfo->image_width, cinfo->image_height);
  if (status != kQVNoErr) return status;
  if (!JpegCanHoldItsBlocks(cinfo, fileSize)) {
    return QVLogStatus(kQVErrImageDamaged, path.c_str(), "too short for the pixels it announces");
  }
  cinfo->mem->max_memory_to_use =
      kJpegBaseMemory + kJpegBytesPerPixel * long(cinfo->image_width) * long(cinfo->image_height);
  if (!JpegReadPixelsSteps(&reader, &store)) {
    const int code = cinfo->err->msg_code;
    if (code == JERR_OUT_OF_MEMORY || code == JERR_NO_BACKING_STORE) {
      return QVLogStatus(kQVErrImageTooLarge, path.c_str(), reader.Reason());
    }
    return DecodeFailure(store, path, reader.Reason());
  }
  for (uint32_t y = 0; y < store.Height(); ++y) RgbRowToWords(store.Row(y), store.Width());
  return store.MakeImage(image);
}

// ---------------------------------------------------------------------------

enum class FileFormat { kUnknown, kPNG, kJPEG };

FileFormat SniffFormat(const uint8_t* head, size_t length) {
  static const uint8_t kPng[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
  static const uint8_t kJpeg[3] = {0xFF, 0xD8, 0xFF};
  if (length >= sizeof kPng && std::memcmp(head, kPng, sizeof kPng) == 0) return FileFormat::kPNG;
  if (length >= sizeof kJpeg && std::memcmp(head, kJpeg, sizeof kJpeg) == 0) {
    return FileFormat::kJPEG;
  }
  return FileFormat::kUnknown;
}

}  // namespace

namespace AGImagePlatform {

size_t LastDecodePeakBytes() { return sLastDecodePeakBytes; }

long DecodeFile(const QVFilePath& path, AGNativeImagePtr* image) {
  sLastDecodePeakBytes = 0;
  if (!image) return QVLogStatus(kQVErrImageFile, path.c_str());
  image->reset();
  char systemPath[kQVSystemPathMax];
  if (!QVFileUtils::FileExists(path) || !QVFileUtils::GetAsSystemPath(systemPath, path, false)) {
    return QVLogStatus(kQVErrImageFile, path.c_str());
  }
  FilePtr file(std::fopen(systemPath, "rb"));
  if (!file) return QVLogStatus(kQVErrImageFile, path.c_str());
  uint8_t head[8];
  size_t length = std::fread(head, 1, sizeof head, file.get());
  if (std::ferror(file.get()) || std::fseek(file.get(), 0, SEEK_SET) != 0) {
    return QVLogStatus(kQVErrImageFile, path.c_str());
  }
  struct stat info;
  // Unknown, the size bounds nothing.
  const uint64_t fileSize =
      fstat(fileno(file.get()), &info) == 0 ? uint64_t(info.st_size) : UINT64_MAX;
  switch (SniffFormat(head, length)) {
    case FileFormat::kPNG:
      return DecodePng(path, file.get(), fileSize, image);
    case FileFormat::kJPEG:
      return DecodeJpeg(path, file.get(), fileSize, image);
    case FileFormat::kUnknown:
      break;
  }
  return QVLogStatus(kQVErrImageFormat, path.c_str(),
                     length == 0 ? "an empty file" : "neither PNG nor JPEG data");
}

long CopyImage(const AGNativeImage* image, AGNativeImagePtr* copy) {
  if (!copy) return kQVErrDrawPort;
  copy->reset();
  if (!image) return QVLogStatus(kQVErrDrawPort, "copy of no image");
  // Images are only ever drawn, so the copy is the image drawn pixel for
  // pixel (nearest pixel, no transform) into a fresh transparent bitmap.
  AGSize size = AGGraphicsLow::AGNativeImageGetSize(image);
  AGNativePortPtr port;
  long status =
      AGGraphicsLow::AGNativePortCreateBitmap(uint32_t(size.width), uint32_t(size.height), &port);
  if (status != kQVNoErr) return status;
  AGContext context(port.get(), {0.0, 0.0, size.width, size.height});
  if (!AGGraphicsLow::AGContextDrawImage(context, image, kAGNullPoint, kAGAffineTransformIdentity,
                                         false)) {
    return QVLogStatus(kQVErrDrawPort, "image copy");
  }
  return AGGraphicsLow::AGNativeImageCreateFromPort(port.get(), copy);
}

}  // namespace AGImagePlatform
