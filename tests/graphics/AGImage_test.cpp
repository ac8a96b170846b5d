#include "graphics/AGImage.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

#include "graphics/AGBitmap.h"
#include "graphics/AGContext.h"
#include "graphics/AGImageTestFiles.h"
#include "graphics/platform/AGImagePlatform_p.h"
#include "kit/QVErrors.h"
#include "kit/QVFileUtils.h"
#include "kit/QVLog.h"

namespace {

// The colour a pixel (r, g, b, a) reads back as: channels premultiplied by
// alpha, rounded.
AGColor Premultiplied(uint32_t r, uint32_t g, uint32_t b, uint32_t a) {
  auto pre = [a](uint32_t c) { return uint32_t(std::lround(c * a / 255.0)); };
  return AGColorMake(pre(r), pre(g), pre(b), a);
}

// The colour of pixel (x, row) of an image, rows counted from the top as
// image files store them.
AGColor PixelAt(const AGBitmap& bitmap, uint32_t x, uint32_t row) {
  return bitmap.GetPixelColor(int32_t(x), int32_t(bitmap.GetHeight() - 1 - row));
}

PngPicture Rgba(uint32_t w, uint32_t h,
                std::function<std::vector<uint16_t>(uint32_t, uint32_t)> samples) {
  PngPicture p;
  p.width = w, p.height = h, p.samples = std::move(samples);
  return p;
}

// A 4 x 4 opaque picture whose pixels all differ.
AGBytes SmallPng() {
  return MakePng(Rgba(4, 4, [](uint32_t x, uint32_t y) {
    return std::vector<uint16_t>{uint16_t(x * 60), uint16_t(y * 60), 7, 255};
  }));
}

// Every test leaves the registry and the image counters as it found them.
class ImageTest : public ::testing::Test {
 protected:
  void SetUp() override {
    mCount = AGImage::GetImageGlobalCount();
    mBytes = AGImage::GetImageGlobalBytes();
  }
  void TearDown() override {
    EXPECT_TRUE(AGImageFilesMgr::GetRecords().IsEmpty());
    EXPECT_EQ(AGImage::GetImageGlobalCount(), mCount);
    EXPECT_EQ(AGImage::GetImageGlobalBytes(), mBytes);
  }
  int64_t Count() const { return AGImage::GetImageGlobalCount() - mCount; }
  int64_t Bytes() const { return AGImage::GetImageGlobalBytes() - mBytes; }
  int32_t RefCount(const QVFilePath& path) const {
    int32_t index = AGImageFilesMgr::FindImageByPath(path);
    return index < 0 ? 0 : AGImageFilesMgr::GetRecords()[uint32_t(index)].refCount;
  }

  ScratchDir mDir;
  int64_t mCount = 0;
  int64_t mBytes = 0;
};

// ---------------------------------------------------------------------------
// Decoding

TEST_F(ImageTest, RgbaPngDecodesPremultipliedWithItsFirstRowAtTheTop) {
  const std::vector<std::vector<uint16_t>> pixels = {{255, 0, 0, 255}, {0, 255, 0, 255},
                                                     {0, 0, 255, 255}, {200, 100, 50, 128},
                                                     {10, 20, 30, 0},  {255, 255, 255, 255}};
  QVFilePath path = mDir.Write(
      "a.png", MakePng(Rgba(3, 2, [&](uint32_t x, uint32_t y) { return pixels[y * 3 + x]; })));
  AGImage image;
  ASSERT_TRUE(image.SetupFromFile(path));
  EXPECT_EQ(image.GetKind(), kAGImageKindShared);
  EXPECT_EQ(image.GetSize(), (AGSize{3, 2}));
  EXPECT_EQ(Count(), 1);
  EXPECT_EQ(Bytes(), 3 * 2 * 4);

  AGBitmap bitmap(image);
  EXPECT_EQ(PixelAt(bitmap, 0, 0), kAGColorRed);
  EXPECT_EQ(PixelAt(bitmap, 1, 0), kAGColorGreen);
  EXPECT_EQ(PixelAt(bitmap, 2, 0), kAGColorBlue);
  // 200 * 128 / 255 = 100.4, 100 * 128 / 255 = 50.2, 50 * 128 / 255 = 25.1.
  EXPECT_EQ(PixelAt(bitmap, 0, 1), 0x64321980u);
  EXPECT_EQ(PixelAt(bitmap, 1, 1), kAGNullColor);
  EXPECT_EQ(PixelAt(bitmap, 2, 1), kAGColorWhite);
}

TEST_F(ImageTest, EveryPngColourTypeAndDepthBecomesRgba) {
  struct Case {
    const char* name;
    PngPicture picture;
    AGColor expected[4];  // (0, 0), (1, 0), (0, 1), (1, 1)
  };
  auto picture = [](uint8_t type, uint8_t depth, std::vector<std::vector<uint16_t>> samples,
                    AGBytes plte = {}, AGBytes trns = {}) {
    PngPicture p = Rgba(2, 2, [samples](uint32_t x, uint32_t y) { return samples[y * 2 + x]; });
    p.colorType = type, p.depth = depth, p.plte = std::move(plte), p.trns = std::move(trns);
    return p;
  };
  const Case cases[] = {
      {"grey 1-bit",
       picture(0, 1, {{0}, {1}, {1}, {0}}),
       {kAGColorBlack, kAGColorWhite, kAGColorWhite, kAGColorBlack}},
      // The tRNS chunk makes grey 0x80 transparent.
      {"grey 8-bit, one transparent grey",
       picture(0, 8, {{0x40}, {0x80}, {0xC0}, {0xFF}}, {}, {0x00, 0x80}),
       {0x404040FFu, kAGNullColor, 0xC0C0C0FFu, kAGColorWhite}},
      {"grey and alpha",
       picture(4, 8, {{0xFF, 0x80}, {0x80, 0xFF}, {0, 0}, {0x10, 0xFF}}),
       {0x80808080u, 0x808080FFu, kAGNullColor, 0x101010FFu}},
      {"palette 4-bit with alpha",
       picture(3, 4, {{0}, {1}, {2}, {0}}, {255, 0, 0, 0, 255, 0, 0, 0, 255}, {0xFF, 0x80}),
       {kAGColorRed, Premultiplied(0, 255, 0, 0x80), kAGColorBlue, kAGColorRed}},
      // 16-bit samples scale to 8 bits: 0x8080 is exactly 128.
      {"RGB 16-bit",
       picture(2, 16, {{0xFFFF, 0, 0}, {0, 0x8080, 0}, {0, 0, 0xFFFF}, {0, 0, 0}}),
       {kAGColorRed, 0x008000FFu, kAGColorBlue, kAGColorBlack}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    AGImage image;
    ASSERT_TRUE(image.SetupFromFile(mDir.Write(std::string(c.name) + ".png", MakePng(c.picture))));
    AGBitmap bitmap(image);
    for (uint32_t i = 0; i < 4; ++i) EXPECT_EQ(PixelAt(bitmap, i % 2, i / 2), c.expected[i]) << i;
  }
}

TEST_F(ImageTest, InterlacedPngFillsEveryPixelOfEveryPass) {
  PngPicture p = Rgba(10, 9, [](uint32_t x, uint32_t y) {
    return std::vector<uint16_t>{uint16_t(x * 20), uint16_t(y * 20), 77};
  });
  p.colorType = 2, p.interlaced = true;
  AGImage image;
  ASSERT_TRUE(image.SetupFromFile(mDir.Write("adam7.png", MakePng(p))));
  AGBitmap bitmap(image);
  for (uint32_t y = 0; y < 9; ++y)
    for (uint32_t x = 0; x < 10; ++x)
      EXPECT_EQ(PixelAt(bitmap, x, y), AGColorMake(x * 20, y * 20, 77));
}

// JPEG is lossy: a flat 8 x 8 block at quality 100 comes back within a few
// levels of its colour.
void ExpectNear(AGColor actual, AGColor expected, int tolerance) {
  for (int shift : {24, 16, 8, 0}) {
    int a = int(actual >> shift & 0xFF), e = int(expected >> shift & 0xFF);
    EXPECT_LE(std::abs(a - e), tolerance) << std::hex << actual << " vs " << expected;
  }
}

// The format comes from the content: the baseline JPEG is named .png.
TEST_F(ImageTest, JpegDecodesOpaqueTopRowFirstBaselineOrProgressive) {
  const AGColor top = AGColorMake(200, 60, 30), bottom = AGColorMake(20, 90, 220);
  for (bool progressive : {false, true}) {
    SCOPED_TRACE(progressive ? "progressive" : "baseline");
    AGBytes jpeg = MakeJpeg(
        16, 16, JCS_RGB, 3,
        [&](uint32_t, uint32_t y) {
          AGColor c = y < 8 ? top : bottom;
          return std::vector<uint8_t>{uint8_t(c >> 24), uint8_t(c >> 16), uint8_t(c >> 8)};
        },
        progressive);
    AGImage image;
    ASSERT_TRUE(image.SetupFromFile(mDir.Write(progressive ? "p.jpg" : "b.png", jpeg)));
    EXPECT_EQ(image.GetSize(), (AGSize{16, 16}));
    AGBitmap bitmap(image);
    for (uint32_t y = 0; y < 16; ++y)
      for (uint32_t x = 0; x < 16; ++x) ExpectNear(PixelAt(bitmap, x, y), y < 8 ? top : bottom, 3);
  }
  AGImage grey;
  ASSERT_TRUE(grey.SetupFromFile(
      mDir.Write("g.jpg", MakeJpeg(8, 8, JCS_GRAYSCALE, 1,
                                   [](uint32_t, uint32_t) { return std::vector<uint8_t>{100}; }))));
  ExpectNear(AGBitmap(grey).GetPixelColor(3, 3), AGColorMake(100, 100, 100), 1);
}

// ---------------------------------------------------------------------------
// Damaged and hostile files: a status, no image, nothing counted.

AGBytes WithIhdr(AGBytes png, uint32_t width, uint32_t height) {
  for (int i = 0; i < 4; ++i) {
    png[kPngIhdrData + i] = uint8_t(width >> (24 - 8 * i));
    png[kPngIhdrData + 4 + i] = uint8_t(height >> (24 - 8 * i));
  }
  uint32_t crc = Crc32(&png[kPngIhdrData - 4], 17);
  for (int i = 0; i < 4; ++i) png[kPngIhdrCrc + i] = uint8_t(crc >> (24 - 8 * i));
  return png;
}

// Position of the first marker 0xFF code in a JPEG.
size_t FindMarker(const AGBytes& jpeg, uint8_t code) {
  for (size_t i = 2; i + 1 < jpeg.size(); ++i)
    if (jpeg[i] == 0xFF && jpeg[i + 1] == code) return i;
  ADD_FAILURE() << "no marker " << int(code);
  return 0;
}

// The size a JPEG announces, in its baseline (SOF0) or progressive (SOF2)
// frame header, changed to width x height.
AGBytes JpegWithSize(AGBytes jpeg, uint16_t width, uint16_t height) {
  size_t sof = 0;  // SOF0 or SOF2: length, precision, height, width
  for (size_t i = 2; i + 1 < jpeg.size() && !sof; ++i)
    if (jpeg[i] == 0xFF && (jpeg[i + 1] == 0xC0 || jpeg[i + 1] == 0xC2)) sof = i;
  EXPECT_NE(sof, 0u) << "no frame header";
  jpeg[sof + 5] = uint8_t(height >> 8), jpeg[sof + 6] = uint8_t(height);
  jpeg[sof + 7] = uint8_t(width >> 8), jpeg[sof + 8] = uint8_t(width);
  return jpeg;
}

TEST_F(ImageTest, DamagedOrHostileFilesGiveAStatusAndNoImage) {
  const AGBytes png = SmallPng();
  const AGBytes jpeg = MakeJpeg(16, 16, JCS_RGB, 3, [](uint32_t x, uint32_t y) {
    return std::vector<uint8_t>{uint8_t(x * 16), uint8_t(y * 16), 9};
  });
  auto cut = [](const AGBytes& b, size_t n) { return AGBytes(b.begin(), b.begin() + long(n)); };
  auto flip = [](AGBytes b, size_t at) { return b[at] ^= 0x01, b; };
  AGBytes fewRows = WithIhdr(MakePng(Rgba(4, 2,
                                          [](uint32_t, uint32_t) {
                                            return std::vector<uint16_t>{1, 2, 3, 4};
                                          })),
                             4, 4);
  AGBytes cmyk = MakeJpeg(8, 8, JCS_CMYK, 4, [](uint32_t, uint32_t) {
    return std::vector<uint8_t>{10, 20, 30, 40};
  });
  struct Case {
    const char* name;
    AGBytes bytes;
    long status;
  };
  const Case cases[] = {
      {"empty", {}, kQVErrImageFormat},
      {"text", {'h', 'e', 'l', 'l', 'o'}, kQVErrImageFormat},
      {"PNG signature only", cut(png, 8), kQVErrImageDamaged},
      {"PNG cut in its pixels", cut(png, png.size() - 30), kQVErrImageDamaged},
      {"PNG header checksum", flip(png, kPngIhdrCrc), kQVErrImageDamaged},
      {"PNG pixel data checksum", flip(png, kPngAfterIhdr + 20), kQVErrImageDamaged},
      {"PNG zero width", WithIhdr(png, 0, 4), kQVErrImageDamaged},
      {"PNG rows missing", fewRows, kQVErrImageDamaged},
      {"PNG of 100000 x 100000", WithIhdr(png, 100000, 100000), kQVErrImageTooLarge},
      {"PNG one row over the pixel limit", WithIhdr(png, 16384, 8193), kQVErrImageTooLarge},
      {"PNG wider than a bitmap", WithIhdr(png, 40000, 1), kQVErrImageTooLarge},
      {"JPEG start marker only", cut(jpeg, 3), kQVErrImageDamaged},
      {"JPEG cut in its tables", cut(jpeg, jpeg.size() / 4), kQVErrImageDamaged},
      {"JPEG cut in its pixels", cut(jpeg, (FindMarker(jpeg, 0xDA) + jpeg.size()) / 2),
       kQVErrImageDamaged},
      {"JPEG of 60000 x 60000", JpegWithSize(jpeg, 60000, 60000), kQVErrImageTooLarge},
      {"JPEG in CMYK", cmyk, kQVErrImageFormat},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    QVFilePath path = mDir.Write(c.name, c.bytes);
    long status = 0;
    EXPECT_EQ(AGImageFilesMgr::RegisterImage(path, &status), nullptr);
    EXPECT_EQ(status, c.status);
    AGImage image;
    EXPECT_FALSE(image.SetupFromFile(path));
    EXPECT_TRUE(image.IsEmpty());
    EXPECT_EQ(image.GetSize(), kAGNullSize);
    EXPECT_EQ(Count(), 0);
  }
  for (const std::string& name : {std::string("missing.png"), std::string()}) {
    long status = 0;
    EXPECT_EQ(AGImageFilesMgr::RegisterImage(QVFilePath(mDir.Path(name).c_str()), &status),
              nullptr);
    EXPECT_EQ(status, kQVErrImageFile) << name;  // missing, and a directory
  }
  EXPECT_EQ(AGImageFilesMgr::RegisterImage(QVFilePath()), nullptr);
}

// Noise that compresses badly, for files that must be as large as real ones.
uint8_t Noise(uint32_t x, uint32_t y) { return uint8_t((x * 2654435761u ^ y * 40503u) >> 13); }

TEST_F(ImageTest, FilesAnnouncingMorePixelsThanTheyHoldReserveLittleMemory) {
  // 4096 x 4096 pixels take 64 MB: a file announcing them reserves memory
  // only for rows it really holds, and one too small to hold them at the
  // format's best compression is refused before reading any.
  const AGBytes tinyPng = WithIhdr(MakePng(Rgba(1, 1,
                                                [](uint32_t, uint32_t) {
                                                  return std::vector<uint16_t>{1, 2, 3, 4};
                                                })),
                                   4096, 4096);
  auto grey8x8 = [](bool progressive) {
    return MakeJpeg(
        8, 8, JCS_GRAYSCALE, 1,
        [](uint32_t x, uint32_t) { return std::vector<uint8_t>{uint8_t(x)}; }, progressive);
  };
  // 64 rows of 4096 noisy pixels, announced as 4096 rows.
  const AGBytes rowsPng = WithIhdr(MakePng(Rgba(4096, 64,
                                                [](uint32_t x, uint32_t y) {
                                                  uint16_t v = Noise(x, y);
                                                  return std::vector<uint16_t>{v, v, v, 255};
                                                })),
                                   4096, 4096);
  const AGBytes rowsJpeg = JpegWithSize(
      MakeJpeg(4096, 64, JCS_GRAYSCALE, 1,
               [](uint32_t x, uint32_t y) { return std::vector<uint8_t>{Noise(x, y)}; }),
      4096, 4096);
  const size_t kRow = 4096 * 4;
  struct Case {
    const char* name;
    AGBytes bytes;
    size_t maxPeak;
  };
  const Case cases[] = {
      {"PNG of 73 bytes", tinyPng, 0},
      {"baseline JPEG of one block", JpegWithSize(grey8x8(false), 4096, 4096), 0},
      {"progressive JPEG of one block", JpegWithSize(grey8x8(true), 4096, 4096), 0},
      {"PNG holding 64 rows", rowsPng, 256 * kRow},
      {"JPEG holding 64 rows", rowsJpeg, 256 * kRow},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.name << ", " << c.bytes.size() << " bytes");
    long status = 0;
    EXPECT_EQ(AGImageFilesMgr::RegisterImage(mDir.Write(c.name, c.bytes), &status), nullptr);
    EXPECT_EQ(status, kQVErrImageDamaged);
    EXPECT_LE(AGImagePlatform::LastDecodePeakBytes(), c.maxPeak);
    EXPECT_EQ(Count(), 0);
  }
}

// A 1-bit grey PNG of width x height black pixels, samples stored.
AGBytes BlackPng(uint32_t width, uint32_t height) {
  AGBytes png = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
  AGBytes ihdr;
  PutU32(ihdr, width), PutU32(ihdr, height);
  ihdr.insert(ihdr.end(), {1, 0, 0, 0, 0});
  AppendChunk(png, "IHDR", ihdr);
  AppendChunk(png, "IDAT", ZlibStored(AGBytes(size_t(height) * (1 + (width + 7) / 8), 0)));
  AppendChunk(png, "IEND", {});
  return png;
}

TEST_F(ImageTest, PhotographsUpToTheDocumentedLimitAreMadeAndDecoded) {
  // A 20 megapixel camera's picture.
  const uint32_t w = 5472, h = 3648;
  AGBitmap bitmap(w, h);
  EXPECT_TRUE(bitmap.IsOpen());
  EXPECT_EQ(bitmap.GetSize(), (AGSize{double(w), double(h)}));

  AGImage photo;
  ASSERT_TRUE(photo.SetupFromFile(mDir.Write("photo.png", BlackPng(w, h))));
  EXPECT_EQ(photo.GetSize(), (AGSize{double(w), double(h)}));
  EXPECT_EQ(Bytes(), int64_t(w) * h * 4);
  AGNativeBitmapInfo info;
  ASSERT_TRUE(AGGraphicsLow::AGNativeImageGetPixels(photo.GetNativeImage(), &info));
  EXPECT_EQ(info.data[0], 0xFF000000u);
  EXPECT_EQ(info.data[size_t(h - 1) * info.bytesPerRow / 4 + w - 1], 0xFF000000u);
  photo.Clear();

  // The limit, 2^27 pixels, is named where a size is refused.
  EXPECT_EQ(kAGBitmapMaxPixels, uint64_t(1) << 27);
  EXPECT_EQ(AGBitmap::CheckSize(16384, 8192, "bitmap"), kQVNoErr);
  static std::string sLog;
  sLog.clear();
  QVLogMessageProc previous = QVGetCustomLogMessageProc();
  QVSetCustomLogMessageProc([](const char* line) { sLog += line; });
  EXPECT_EQ(AGBitmap::CheckSize(16384, 8193, "scan.png"), kQVErrImageTooLarge);
  QVSetCustomLogMessageProc(previous);
  EXPECT_EQ(sLog,
            "### QVLib Error -1314: The image \"scan.png\" is too large (16384 x 8193 pixels; at "
            "most 134217728 pixels, and 32767 a side).\n");
}

// ---------------------------------------------------------------------------
// Sharing through the registry

TEST_F(ImageTest, ImagesOfOnePathShareOneDecodedImage) {
  QVFilePath path = mDir.Write("shared.png", SmallPng());
  AGImage a, b;
  ASSERT_TRUE(a.SetupFromFile(path));
  ASSERT_TRUE(b.SetupFromFile(QVFilePath(path.String())));
  EXPECT_EQ(a.GetNativeImage(), b.GetNativeImage());
  EXPECT_EQ(RefCount(path), 2);
  EXPECT_EQ(Count(), 1);
  EXPECT_EQ(AGImageFilesMgr::FindImageByRef(a.GetNativeImage()),
            AGImageFilesMgr::FindImageByPath(path));
  EXPECT_EQ(a.ImageFilePath(), path);

  a.Clear();
  EXPECT_TRUE(a.IsEmpty());
  EXPECT_EQ(a.ImageFilePath(), kQVNullFilePath);
  EXPECT_EQ(RefCount(path), 1);
  EXPECT_EQ(Count(), 1);
  EXPECT_EQ(AGBitmap(b).GetPixelColor(3, 0), AGColorMake(180, 180, 7));  // last row, last column

  b.Clear();
  EXPECT_EQ(AGImageFilesMgr::FindImageByPath(path), AGImageFilesMgr::kNotFound);
  EXPECT_EQ(Count(), 0);
}

TEST_F(ImageTest, SettingTheSamePathAgainKeepsTheFileLoaded) {
  QVFilePath path = mDir.Write("again.png", SmallPng());
  AGImage image;
  ASSERT_TRUE(image.SetupFromFile(path));
  const AGNativeImage* first = image.GetNativeImage();
  // Gone from the disk: only the registry can answer now.
  ASSERT_TRUE(QVFileUtils::RemoveFile(path));
  ASSERT_TRUE(image.SetupFromFile(path));
  EXPECT_EQ(image.GetNativeImage(), first);
  EXPECT_EQ(RefCount(path), 1);

  // Another file replaces the registration; a failing one leaves nothing.
  QVFilePath other = mDir.Write("other.png", SmallPng());
  ASSERT_TRUE(image.SetupFromFile(other));
  EXPECT_EQ(RefCount(path), 0);
  EXPECT_EQ(RefCount(other), 1);
  EXPECT_FALSE(image.SetupFromFile(path));
  EXPECT_EQ(RefCount(other), 0);
  EXPECT_TRUE(image.IsEmpty());
}

TEST_F(ImageTest, CopiesRegisterSharedImagesAgainAndDuplicateOwnedOnes) {
  QVFilePath path = mDir.Write("copy.png", SmallPng());
  AGImage shared;
  ASSERT_TRUE(shared.SetupFromFile(path));
  {
    AGImage copy(shared);
    EXPECT_EQ(copy.GetKind(), kAGImageKindShared);
    EXPECT_EQ(copy.GetNativeImage(), shared.GetNativeImage());
    EXPECT_EQ(RefCount(path), 2);
    AGImage moved(std::move(copy));
    EXPECT_TRUE(copy.IsEmpty());
    EXPECT_EQ(RefCount(path), 2);
  }
  EXPECT_EQ(RefCount(path), 1);

  AGBitmap bitmap(shared);
  AGImage owned(bitmap);
  ASSERT_EQ(owned.GetKind(), kAGImageKindOwned);
  EXPECT_EQ(Count(), 2);
  AGImage duplicate;
  duplicate = owned;
  EXPECT_EQ(duplicate.GetKind(), kAGImageKindOwned);
  EXPECT_NE(duplicate.GetNativeImage(), owned.GetNativeImage());
  EXPECT_EQ(Count(), 3);
  EXPECT_EQ(Bytes(), 3 * 4 * 4 * 4);
  AGBitmap copied(duplicate);
  for (int32_t y = 0; y < 4; ++y)
    for (int32_t x = 0; x < 4; ++x)
      EXPECT_EQ(copied.GetPixelColor(x, y), bitmap.GetPixelColor(x, y));

  AGImage& self = duplicate;
  duplicate = self;
  EXPECT_EQ(Count(), 3);
  duplicate = kAGNullImage;
  EXPECT_TRUE(duplicate.IsEmpty());
  EXPECT_EQ(Count(), 2);
  owned = shared;
  EXPECT_EQ(owned.GetKind(), kAGImageKindShared);
  EXPECT_EQ(RefCount(path), 2);
  EXPECT_EQ(Count(), 1);
}

TEST_F(ImageTest, TerminateDropsRecordsWhileImagesInUseLiveOn) {
  QVFilePath path = mDir.Write("term.png", SmallPng());
  AGImage image;
  ASSERT_TRUE(image.SetupFromFile(path));
  AGImageFilesMgr::Terminate();
  EXPECT_TRUE(AGImageFilesMgr::GetRecords().IsEmpty());
  EXPECT_EQ(image.ImageFilePath(), kQVNullFilePath);
  EXPECT_EQ(Count(), 1);
  EXPECT_EQ(AGBitmap(image).GetPixelColor(0, 3), AGColorMake(0, 0, 7));

  // With its record gone a copy cannot be registered again: it is duplicated.
  AGImage copy(image);
  EXPECT_EQ(copy.GetKind(), kAGImageKindOwned);
  EXPECT_EQ(Count(), 2);
  image.Clear();
  copy.Clear();
  EXPECT_EQ(Count(), 0);
}

TEST_F(ImageTest, ResourcesAreLookedUpInTheResourcesDirectory) {
  const QVFilePath& dir = QVFileUtils::GetResourcesDirPath();
  ASSERT_FALSE(dir.IsEmpty());
  QVString name("agimage_test_resource.png");
  QVFilePath path(dir.String() + name);
  {
    std::ofstream(path.c_str(), std::ios::binary)
        .write(reinterpret_cast<const char*>(SmallPng().data()), long(SmallPng().size()));
  }
  AGImage image;
  EXPECT_TRUE(image.SetupFromResources(name));
  EXPECT_EQ(image.ImageFilePath(), path);
  image.Clear();
  QVFileUtils::RemoveFile(path);
  EXPECT_FALSE(image.SetupFromResources(name));
}

// ---------------------------------------------------------------------------
// Drawing

TEST_F(ImageTest, DrawInRectStretchesOrKeepsTheImageProportions) {
  // A 2 x 1 image: red on the left, blue on the right.
  AGBitmap source(2, 1);
  source.SetPixelColor(0, 0, kAGColorRed);
  source.SetPixelColor(1, 0, kAGColorBlue);
  AGImage image(source);

  AGBitmap stretched(8, 8);
  ASSERT_TRUE(image.DrawInRect(stretched.GetContext(), {0, 0, 8, 8}, false, false));
  AGBitmap kept(8, 8);
  ASSERT_TRUE(image.DrawInRect(kept.GetContext(), {0, 0, 8, 8}, true, false));
  for (int32_t y = 0; y < 8; ++y) {
    for (int32_t x = 0; x < 8; ++x) {
      AGColor side = x < 4 ? kAGColorRed : kAGColorBlue;
      EXPECT_EQ(stretched.GetPixelColor(x, y), side);
      // Proportional: an 8 x 4 band centred vertically.
      EXPECT_EQ(kept.GetPixelColor(x, y), y >= 2 && y < 6 ? side : kAGNullColor);
    }
  }
  EXPECT_FALSE(kAGNullImage.DrawInRect(kept.GetContext(), {0, 0, 8, 8}, false, false));
}

TEST_F(ImageTest, ContextDrawsImagesAtAPositionOrInARect) {
  AGBitmap source(2, 1);
  source.SetPixelColor(0, 0, kAGColorRed);
  source.SetPixelColor(1, 0, kAGColorBlue);
  AGImage image(source);

  // At (3, 5) with its pixel size, shifted by t.
  AGBitmap placed(8, 8);
  const AGAffineTransform shift =
      AGAffineTransformConcatTranslation(kAGAffineTransformIdentity, 1.0, 0.0);
  placed.GetContext().DrawImage(image, AGPoint{3, 5}, shift, false);
  EXPECT_EQ(placed.GetPixelColor(4, 5), kAGColorRed);
  EXPECT_EQ(placed.GetPixelColor(5, 5), kAGColorBlue);
  EXPECT_EQ(placed.GetPixelColor(3, 5), kAGNullColor);
  EXPECT_EQ(placed.GetPixelColor(4, 4), kAGNullColor);

  AGBitmap filled(8, 8);
  filled.GetContext().DrawImage(image, AGRect{0, 0, 8, 8}, false, false);
  EXPECT_EQ(filled.GetPixelColor(0, 0), kAGColorRed);
  EXPECT_EQ(filled.GetPixelColor(7, 7), kAGColorBlue);
}

}  // namespace
