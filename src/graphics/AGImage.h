// Images: a platform image with its pixel size, either owned by the AGImage
// or shared through the process-wide registry of images loaded from files
// (AGImageFilesMgr), so that a file is decoded once however many images
// show it.
//
// Image files: PNG (every colour type and bit depth, interlaced or not;
// 16-bit samples scaled to 8 bits; transparency chunks honoured; gamma and
// colour profiles ignored) and JPEG (greyscale and YCbCr/RGB, baseline or
// progressive; CMYK refused), recognised by their first bytes whatever the
// file name says. Only the first image of a file is read. A file that cannot
// be read, is of another format, is damaged or truncated (or too short for
// the pixels it announces), or declares more than kAGBitmapMaxPixels pixels
// gives no image; the reason is logged (kQVErrImageFile, kQVErrImageFormat,
// kQVErrImageDamaged, kQVErrImageTooLarge). Pixel memory is taken as rows
// are decoded, not when the size is read.
//
// Every platform image the kit makes (decoded, copied or taken from a
// bitmap) is counted while it lives: GetImageGlobalCount and
// GetImageGlobalBytes (width x height x 4 each).
//
// Nothing here is locked: use from the host's thread only.
#ifndef AG_IMAGE_H
#define AG_IMAGE_H

#include <cstdint>
#include <memory>

#include "graphics/AGGeometry.h"
#include "kit/ATArray.h"
#include "kit/QVFilePath.h"
#include "kit/QVString.h"

class AGBitmapBase;
class AGContext;
class AGNativeImage;

// Where an AGImage's platform image comes from.
using AGImageKind = int32_t;
enum : int32_t {
  kAGImageKindEmpty = 0,
  kAGImageKindOwned = 1,   // owned by this image alone
  kAGImageKindShared = 2,  // registered in AGImageFilesMgr under its file path
};

class AGImage {
 public:
  AGImage() = default;
  // SetupFromBitmap.
  explicit AGImage(const AGBitmapBase& bitmap);
  // Assign.
  AGImage(const AGImage& other);
  AGImage& operator=(const AGImage& other);
  // Moves take the image over as it is (a shared one stays registered once);
  // other is left empty.
  AGImage(AGImage&& other) noexcept;
  AGImage& operator=(AGImage&& other) noexcept;
  ~AGImage();

  bool IsEmpty() const { return mImage == nullptr; }
  AGImageKind GetKind() const { return mKind; }
  // Pixel width and height; kAGNullSize when empty.
  AGSize GetSize() const { return mSize; }
  // Not owned by the caller; null when empty.
  const AGNativeImage* GetNativeImage() const { return mImage.get(); }

  // Releases an owned image or unregisters a shared one; the image is then
  // empty.
  void Clear();

  // Shows the image of the file at path through the registry (decoding it
  // unless it is registered already). A shared image held before is
  // unregistered only after the new registration, so setting the same path
  // again keeps the file loaded. True when an image was obtained; false
  // leaves the image empty (the reason is logged).
  bool SetupFromFile(const QVFilePath& path);
  // SetupFromFile on the file name in the application's resources directory.
  bool SetupFromResources(const QVString& name);
  // A copy of the bitmap's pixels as they are now, owned. False, leaving the
  // image empty, for a closed bitmap.
  bool SetupFromBitmap(const AGBitmapBase& bitmap);

  // A shared other is set up again from its file path (registered once
  // more); an owned one is copied into a new owned image; an empty one
  // empties this image. Nothing for self-assignment. A shared other whose
  // file was dropped from the registry (Terminate) is copied as owned.
  void Assign(const AGImage& other);

  // The registry path of a shared image, else the empty path.
  QVFilePath ImageFilePath() const;

  // Draws the image with its pixel size in the rectangle at position (its
  // first row at the top), mapped by t and then by the context's transform,
  // smoothed when interpolate is set (see AGGraphicsLow::AGContextDrawImage).
  // False when nothing was drawn.
  bool Draw(const AGContext& context, const AGPoint& position, const AGAffineTransform& t,
            bool interpolate) const;
  // Draws the image stretched onto rect, or onto the centred part of rect
  // with the image's proportions. Nothing for an empty image.
  bool DrawInRect(const AGContext& context, const AGRect& rect, bool proportional,
                  bool interpolate) const;

  // Platform images alive that the kit made, and their bytes.
  static int64_t GetImageGlobalCount();
  static int64_t GetImageGlobalBytes();

 private:
  void TakeOwned(std::shared_ptr<AGNativeImage> image);

  AGImageKind mKind = kAGImageKindEmpty;
  // Owned images are held here alone; shared ones also by their registry
  // record. Either way the platform image lives while someone holds it.
  std::shared_ptr<AGNativeImage> mImage;
  AGSize mSize = kAGNullSize;
};

// The empty image; one object in the process, defined in the shared kits and
// ready before their other statics.
extern const AGImage kAGNullImage;

// Draws, through proc, an image of rect's width and height grown by margin
// on every side (rounded half away from zero); rect's origin is not used.
// proc receives a context on the bitmap whose transform is t followed by a
// translation by (margin, margin), the rectangle (0, 0, width, height) and
// data; it may set the context's brush and pen. Pixels it does not paint
// stay transparent. Null when rect has no positive width or height, or when the
// bitmap or its image cannot be made; otherwise the caller owns the image.
using AGImageDrawProc = void (*)(AGContext& context, const AGRect& rect, void* data);
std::unique_ptr<AGImage> AGImageCreateWithProc(AGImageDrawProc proc, void* data, const AGRect& rect,
                                               double margin, const AGAffineTransform& t);

// The process-wide registry of images loaded from files: one record per
// file path, counting the AGImages that show it.
class AGImageFilesMgr {
 public:
  AGImageFilesMgr() = delete;

  struct AGImageRec {
    int32_t refCount = 0;
    std::shared_ptr<AGNativeImage> image;
    QVFilePath path;
  };

  // Index answered by the searches when there is no record.
  static constexpr int32_t kNotFound = -1;

  // The image registered under path, its count raised by 1; otherwise the
  // first image of the file, decoded and registered with count 1. Null (and
  // the reason logged and put in *status when status is given) for an
  // empty path or a file that gives no image.
  static std::shared_ptr<AGNativeImage> RegisterImage(const QVFilePath& path,
                                                      long* status = nullptr);
  // Lowers the count of image's record; at 0 the record is removed and the
  // registry's hold on the image dropped. Unknown images are ignored.
  static void UnregisterImage(const AGNativeImage* image);
  // The path of image's record, or the empty path.
  static QVFilePath GetFilePathForImage(const AGNativeImage* image);

  // Index of the record of image, or of path (exact text; the empty path
  // never matches); kNotFound when absent.
  static int32_t FindImageByRef(const AGNativeImage* image);
  static int32_t FindImageByPath(const QVFilePath& path);
  // The records, in registration order.
  static const ATArray<AGImageRec>& GetRecords();

  // Drops every record and the registry's hold on every image. An image
  // that some AGImage still shows lives on (and stays counted) until that
  // AGImage lets it go.
  static void Terminate();
};

#endif
