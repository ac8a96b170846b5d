// Test support for images: a scratch directory, PNG files assembled chunk
// by chunk (samples stored uncompressed in the zlib stream, so every byte
// of the file is known and can be damaged on purpose) and JPEG files
// written with libjpeg.
#ifndef AG_IMAGE_TEST_FILES_H
#define AG_IMAGE_TEST_FILES_H

#include <gtest/gtest.h>
#include <jpeglib.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "kit/QVFilePath.h"

using AGBytes = std::vector<uint8_t>;

// A directory of its own under the system's temporary directory, removed
// with everything in it at the end of the test.
class ScratchDir {
 public:
  ScratchDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "agimage_XXXXXX").string();
    EXPECT_NE(mkdtemp(pattern.data()), nullptr);
    mDir = pattern;
  }
  ~ScratchDir() {
    std::error_code ignored;
    std::filesystem::remove_all(mDir, ignored);
  }
  std::string Path(const std::string& name) const { return mDir + "/" + name; }
  QVFilePath Write(const std::string& name, const AGBytes& bytes) const {
    std::ofstream out(Path(name), std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    EXPECT_TRUE(out.good());
    return QVFilePath(Path(name).c_str());
  }

 private:
  std::string mDir;
};

// ---------------------------------------------------------------------------
// PNG

inline uint32_t Crc32(const uint8_t* data, size_t length) {
  uint32_t crc = 0xFFFFFFFFu;
  for (size_t i = 0; i < length; ++i) {
    crc ^= data[i];
    for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
  }
  return ~crc;
}

inline void PutU32(AGBytes& out, uint32_t v) {
  for (int shift = 24; shift >= 0; shift -= 8) out.push_back(uint8_t(v >> shift));
}

inline void AppendChunk(AGBytes& png, const char* type, const AGBytes& data) {
  PutU32(png, uint32_t(data.size()));
  size_t start = png.size();
  png.insert(png.end(), type, type + 4);
  png.insert(png.end(), data.begin(), data.end());
  PutU32(png, Crc32(png.data() + start, png.size() - start));
}

// A zlib stream of stored (uncompressed) blocks.
inline AGBytes ZlibStored(const AGBytes& raw) {
  AGBytes z = {0x78, 0x01};
  size_t pos = 0;
  do {
    size_t n = std::min<size_t>(raw.size() - pos, 65535);
    z.push_back(pos + n == raw.size() ? 1 : 0);
    z.push_back(uint8_t(n)), z.push_back(uint8_t(n >> 8));
    z.push_back(uint8_t(~n)), z.push_back(uint8_t(~n >> 8));
    z.insert(z.end(), raw.begin() + long(pos), raw.begin() + long(pos + n));
    pos += n;
  } while (pos < raw.size());
  uint32_t a = 1, b = 0;
  for (uint8_t byte : raw) a = (a + byte) % 65521, b = (b + a) % 65521;
  PutU32(z, b << 16 | a);
  return z;
}

struct PngPicture {
  uint32_t width = 1;
  uint32_t height = 1;
  uint8_t depth = 8;
  uint8_t colorType = 6;  // 0 grey, 2 RGB, 3 palette, 4 grey + alpha, 6 RGBA
  bool interlaced = false;
  // The samples of pixel (x, y), row 0 at the top, in the file's order.
  std::function<std::vector<uint16_t>(uint32_t x, uint32_t y)> samples;
  AGBytes plte, trns;
};

// Filter-0 scan lines of the pixels (x0 + i dx, y0 + j dy).
inline AGBytes PngScanLines(const PngPicture& p, uint32_t x0, uint32_t y0, uint32_t dx,
                            uint32_t dy) {
  AGBytes out;
  for (uint32_t y = y0; y < p.height; y += dy) {
    out.push_back(0);
    uint32_t bits = 0, acc = 0;
    for (uint32_t x = x0; x < p.width; x += dx) {
      for (uint16_t s : p.samples(x, y)) {
        if (p.depth == 16) {
          out.push_back(uint8_t(s >> 8)), out.push_back(uint8_t(s));
          continue;
        }
        acc = acc << p.depth | s, bits += p.depth;
        if (bits == 8) out.push_back(uint8_t(acc)), acc = bits = 0;
      }
    }
    if (bits) out.push_back(uint8_t(acc << (8 - bits)));
  }
  return out;
}

inline AGBytes MakePng(const PngPicture& p) {
  AGBytes png = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
  AGBytes ihdr;
  PutU32(ihdr, p.width), PutU32(ihdr, p.height);
  ihdr.insert(ihdr.end(), {p.depth, p.colorType, 0, 0, uint8_t(p.interlaced)});
  AppendChunk(png, "IHDR", ihdr);
  if (!p.plte.empty()) AppendChunk(png, "PLTE", p.plte);
  if (!p.trns.empty()) AppendChunk(png, "tRNS", p.trns);
  AGBytes raw;
  if (!p.interlaced) {
    raw = PngScanLines(p, 0, 0, 1, 1);
  } else {
    // Adam7: seven passes over sub-grids of the picture.
    const uint32_t x0[] = {0, 4, 0, 2, 0, 1, 0}, y0[] = {0, 0, 4, 0, 2, 0, 1};
    const uint32_t dx[] = {8, 8, 4, 4, 2, 2, 1}, dy[] = {8, 8, 8, 4, 4, 2, 2};
    for (int pass = 0; pass < 7; ++pass) {
      if (x0[pass] >= p.width || y0[pass] >= p.height) continue;
      AGBytes lines = PngScanLines(p, x0[pass], y0[pass], dx[pass], dy[pass]);
      raw.insert(raw.end(), lines.begin(), lines.end());
    }
  }
  AppendChunk(png, "IDAT", ZlibStored(raw));
  AppendChunk(png, "IEND", {});
  return png;
}

// Offsets in a file from MakePng: the IHDR's data and checksum, and the
// first chunk after it (IDAT when there is no PLTE or tRNS).
constexpr size_t kPngIhdrData = 16;
constexpr size_t kPngIhdrCrc = 29;
constexpr size_t kPngAfterIhdr = 33;

// ---------------------------------------------------------------------------
// JPEG

// A JPEG at quality 100 without chroma subsampling; pixel(x, y) gives the
// components of a pixel (row 0 at the top) in the input colour space.
inline AGBytes MakeJpeg(uint32_t width, uint32_t height, J_COLOR_SPACE space, int components,
                        const std::function<std::vector<uint8_t>(uint32_t, uint32_t)>& pixel,
                        bool progressive = false) {
  jpeg_compress_struct cinfo{};
  jpeg_error_mgr errors;
  cinfo.err = jpeg_std_error(&errors);
  jpeg_create_compress(&cinfo);
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&cinfo, &buffer, &size);
  cinfo.image_width = width;
  cinfo.image_height = height;
  cinfo.input_components = components;
  cinfo.in_color_space = space;
  jpeg_set_defaults(&cinfo);
  jpeg_set_quality(&cinfo, 100, TRUE);
  for (int c = 0; c < cinfo.num_components; ++c) {
    cinfo.comp_info[c].h_samp_factor = cinfo.comp_info[c].v_samp_factor = 1;
  }
  if (progressive) jpeg_simple_progression(&cinfo);
  jpeg_start_compress(&cinfo, TRUE);
  std::vector<uint8_t> row(size_t(width) * components);
  while (cinfo.next_scanline < height) {
    for (uint32_t x = 0; x < width; ++x) {
      std::vector<uint8_t> p = pixel(x, cinfo.next_scanline);
      std::memcpy(&row[size_t(x) * components], p.data(), size_t(components));
    }
    JSAMPROW rows[1] = {row.data()};
    jpeg_write_scanlines(&cinfo, rows, 1);
  }
  jpeg_finish_compress(&cinfo);
  AGBytes out(buffer, buffer + size);
  jpeg_destroy_compress(&cinfo);
  std::free(buffer);
  return out;
}

#endif
