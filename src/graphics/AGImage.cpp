#include "graphics/AGImage.h"

#include <cmath>

#include "graphics/AGBitmap.h"
#include "graphics/AGContext.h"
#include "graphics/AGGraphicsLow.h"
#include "graphics/platform/AGImagePlatform_p.h"
#include "kit/QVFileUtils.h"
#include "kit/QVLog.h"

namespace {

int64_t sImageCount = 0;
int64_t sImageBytes = 0;

int64_t ImageBytes(const AGNativeImage* image) {
  AGSize size = AGGraphicsLow::AGNativeImageGetSize(image);
  return int64_t(std::round(size.width)) * int64_t(std::round(size.height)) * 4;
}

// Hands a new platform image to shared ownership, counted from now until
// its last holder lets it go.
std::shared_ptr<AGNativeImage> AdoptCounted(AGNativeImagePtr image) {
  if (!image) return nullptr;
  const int64_t bytes = ImageBytes(image.get());
  sImageCount += 1;
  sImageBytes += bytes;
  return std::shared_ptr<AGNativeImage>(image.release(), [bytes](AGNativeImage* released) {
    sImageCount -= 1;
    sImageBytes -= bytes;
    AGNativeImageRelease()(released);
  });
}

ATArray<AGImageFilesMgr::AGImageRec>& Records() {
  static ATArray<AGImageFilesMgr::AGImageRec> sRecords;
  return sRecords;
}

}  // namespace

// ---------------------------------------------------------------------------
// AGImage

AGImage::AGImage(const AGBitmapBase& bitmap) { SetupFromBitmap(bitmap); }

AGImage::AGImage(const AGImage& other) { Assign(other); }

AGImage& AGImage::operator=(const AGImage& other) {
  Assign(other);
  return *this;
}

AGImage::AGImage(AGImage&& other) noexcept
    : mKind(other.mKind), mImage(std::move(other.mImage)), mSize(other.mSize) {
  other.mKind = kAGImageKindEmpty;
  other.mSize = kAGNullSize;
}

AGImage& AGImage::operator=(AGImage&& other) noexcept {
  if (&other != this) {
    Clear();
    mKind = other.mKind;
    mImage = std::move(other.mImage);
    mSize = other.mSize;
    other.mKind = kAGImageKindEmpty;
    other.mSize = kAGNullSize;
  }
  return *this;
}

AGImage::~AGImage() { Clear(); }

void AGImage::Clear() {
  if (mKind == kAGImageKindShared && mImage) AGImageFilesMgr::UnregisterImage(mImage.get());
  mImage.reset();
  mKind = kAGImageKindEmpty;
  mSize = kAGNullSize;
}

void AGImage::TakeOwned(std::shared_ptr<AGNativeImage> image) {
  mImage = std::move(image);
  mKind = mImage ? kAGImageKindOwned : kAGImageKindEmpty;
  mSize = mImage ? AGGraphicsLow::AGNativeImageGetSize(mImage.get()) : kAGNullSize;
}

bool AGImage::SetupFromFile(const QVFilePath& path) {
  if (mKind == kAGImageKindOwned) Clear();
  // Registering before letting the previous file go keeps a file that is
  // set again from being dropped and decoded anew.
  std::shared_ptr<AGNativeImage> previous = mKind == kAGImageKindShared ? mImage : nullptr;
  std::shared_ptr<AGNativeImage> image = AGImageFilesMgr::RegisterImage(path);
  if (previous) AGImageFilesMgr::UnregisterImage(previous.get());
  mImage = std::move(image);
  mKind = mImage ? kAGImageKindShared : kAGImageKindEmpty;
  mSize = mImage ? AGGraphicsLow::AGNativeImageGetSize(mImage.get()) : kAGNullSize;
  return mKind == kAGImageKindShared;
}

bool AGImage::SetupFromResources(const QVString& name) {
  const QVFilePath& resources = QVFileUtils::GetResourcesDirPath();
  if (resources.IsEmpty()) {
    // Without a resources directory the name alone would be looked for in
    // whatever the current directory happens to be.
    Clear();
    QVLogStatus(kQVErrImageFile, name.c_str());
    return false;
  }
  return SetupFromFile(QVFilePath(resources.String() + name));
}

bool AGImage::SetupFromBitmap(const AGBitmapBase& bitmap) {
  Clear();
  if (!bitmap.IsOpen()) return false;
  AGNativeImagePtr native;
  if (AGGraphicsLow::AGNativeImageCreateFromPort(bitmap.GetNativePort(), &native) != kQVNoErr) {
    return false;
  }
  TakeOwned(AdoptCounted(std::move(native)));
  return mKind == kAGImageKindOwned;
}

void AGImage::Assign(const AGImage& other) {
  if (&other == this) return;
  if (other.mKind == kAGImageKindShared) {
    QVFilePath path = other.ImageFilePath();
    if (!path.IsEmpty()) {
      SetupFromFile(path);
      return;
    }
  }
  if (other.IsEmpty()) {
    Clear();
    return;
  }
  AGNativeImagePtr copy;
  long status = AGImagePlatform::CopyImage(other.mImage.get(), &copy);
  Clear();
  if (status == kQVNoErr) TakeOwned(AdoptCounted(std::move(copy)));
}

QVFilePath AGImage::ImageFilePath() const {
  if (mKind != kAGImageKindShared) return kQVNullFilePath;
  return AGImageFilesMgr::GetFilePathForImage(mImage.get());
}

bool AGImage::Draw(const AGContext& context, const AGPoint& position, const AGAffineTransform& t,
                   bool interpolate) const {
  return AGGraphicsLow::AGContextDrawImage(context, mImage.get(), position, t, interpolate);
}

bool AGImage::DrawInRect(const AGContext& context, const AGRect& rect, bool proportional,
                         bool interpolate) const {
  if (IsEmpty()) return false;
  const AGRect own = {0.0, 0.0, mSize.width, mSize.height};
  const AGRect target = proportional ? AGRectMakeProportional(rect, own) : rect;
  // A target without width or height gives a transform that draws nothing.
  return Draw(context, kAGNullPoint, AGAffineTransformMakeScale(own, target), interpolate);
}

int64_t AGImage::GetImageGlobalCount() { return sImageCount; }

int64_t AGImage::GetImageGlobalBytes() { return sImageBytes; }

// ---------------------------------------------------------------------------

std::unique_ptr<AGImage> AGImageCreateWithProc(AGImageDrawProc proc, void* data, const AGRect& rect,
                                               double margin, const AGAffineTransform& t) {
  const double width = rect.x2 - rect.x1, height = rect.y2 - rect.y1;
  if (!(width > 0.0) || !(height > 0.0) || !std::isfinite(margin)) return nullptr;
  AGBitmap bitmap(AGSize{width + 2.0 * margin, height + 2.0 * margin}, kAGBitmapTypeStandard);
  if (!bitmap.IsOpen()) return nullptr;
  AGContext context = bitmap.GetContext();
  if (t != kAGAffineTransformIdentity) context.transform = t;
  if (margin != 0.0) {
    context.transform = AGAffineTransformConcatTranslation(context.transform, margin, margin);
  }
  if (proc) proc(context, AGRect{0.0, 0.0, width, height}, data);
  auto image = std::make_unique<AGImage>(bitmap);
  if (image->IsEmpty()) return nullptr;
  return image;
}

// ---------------------------------------------------------------------------
// AGImageFilesMgr

std::shared_ptr<AGNativeImage> AGImageFilesMgr::RegisterImage(const QVFilePath& path,
                                                              long* status) {
  if (status) *status = kQVNoErr;
  int32_t index = FindImageByPath(path);
  if (index != kNotFound) {
    AGImageRec& record = Records()[uint32_t(index)];
    record.refCount += 1;
    return record.image;
  }
  if (path.IsEmpty()) {
    long code = QVLogStatus(kQVErrImageFile, path.c_str());
    if (status) *status = code;
    return nullptr;
  }
  AGNativeImagePtr native;
  long code = AGImagePlatform::DecodeFile(path, &native);
  if (status) *status = code;
  if (code != kQVNoErr) return nullptr;
  AGImageRec record;
  record.refCount = 1;
  record.image = AdoptCounted(std::move(native));
  record.path = path;
  Records().Append(record);
  return record.image;
}

void AGImageFilesMgr::UnregisterImage(const AGNativeImage* image) {
  int32_t index = FindImageByRef(image);
  if (index == kNotFound) return;
  AGImageRec& record = Records()[uint32_t(index)];
  record.refCount -= 1;
  if (record.refCount <= 0) Records().Remove(uint32_t(index));
}

QVFilePath AGImageFilesMgr::GetFilePathForImage(const AGNativeImage* image) {
  int32_t index = FindImageByRef(image);
  return index == kNotFound ? kQVNullFilePath : Records()[uint32_t(index)].path;
}

int32_t AGImageFilesMgr::FindImageByRef(const AGNativeImage* image) {
  if (!image) return kNotFound;
  const ATArray<AGImageRec>& records = Records();
  for (uint32_t i = 0; i < records.Length(); ++i) {
    if (records[i].image.get() == image) return int32_t(i);
  }
  return kNotFound;
}

int32_t AGImageFilesMgr::FindImageByPath(const QVFilePath& path) {
  if (path.IsEmpty()) return kNotFound;
  const ATArray<AGImageRec>& records = Records();
  for (uint32_t i = 0; i < records.Length(); ++i) {
    if (records[i].path == path) return int32_t(i);
  }
  return kNotFound;
}

const ATArray<AGImageFilesMgr::AGImageRec>& AGImageFilesMgr::GetRecords() { return Records(); }

void AGImageFilesMgr::Terminate() { Records().Free(); }

// Defined once, in the shared kits, so that every module of the process (the
// hosts, the plug-in) refers to the same object; constructed before the
// kits' other statics (init_priority), which may use it.
__attribute__((init_priority(101))) const AGImage kAGNullImage;
