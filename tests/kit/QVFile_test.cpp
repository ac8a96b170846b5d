#include "kit/QVFile.h"

#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <limits>
#include <string>

#include "kit/QVFileTestUtil.h"
#include "kit/QVFileUtils.h"

using qvtest::Bytes;
using qvtest::LogCapture;
using qvtest::ReadBytes;
using qvtest::ScratchDir;
using qvtest::WriteBytes;

namespace {

// Temporary files of this program go to a private directory, set before the
// kit caches the temporary directory on first use.
const ScratchDir& TemporaryDir() {
  static ScratchDir sDir;
  return sDir;
}
[[maybe_unused]] const bool sTemporaryDirSet = [] {
  return ::setenv("TMPDIR", TemporaryDir().Dir().c_str(), 1) == 0;
}();

class FileTest : public ::testing::Test {
 protected:
  std::string PathOf(const char* name) const { return mDir.Path(name); }

  // Writes through a new file with the given byte order and returns the bytes.
  Bytes WriteWith(uint32_t order, const std::function<void(QVFile&)>& write) {
    std::string path = PathOf("w.bin");
    {
      QVFile file{QVFilePath(path.c_str())};
      file.SetEndianness(order);
      EXPECT_EQ(file.CreateForReadWrite(), 0);
      write(file);
    }
    return ReadBytes(path);
  }

  // Opens a file holding bytes for reading.
  void OpenWith(QVFile& file, const Bytes& bytes, uint32_t order = QVFile::kEndianBig) {
    WriteBytes(file.FilePath().c_str(), bytes);
    file.SetEndianness(order);
    ASSERT_EQ(file.OpenForRead(), 0);
  }

  uint64_t Pos(const QVFile& file) {
    uint64_t pos = 0;
    EXPECT_EQ(file.GetPos(pos), 0);
    return pos;
  }

  ScratchDir mDir;
};

// ---------------------------------------------------------------- byte orders

TEST_F(FileTest, NumbersFollowTheChosenByteOrder) {
  struct Case {
    const char* name;
    std::function<long(QVFile&, uint32_t)> write;
    Bytes big;
  };
  const Case cases[] = {
      {"UInt16", [](QVFile& f, uint32_t e) { return QVFileWriteUInt16(f, 0x0102, e); }, {1, 2}},
      {"UInt32",
       [](QVFile& f, uint32_t e) { return QVFileWriteUInt32(f, 0x01020304, e); },
       {1, 2, 3, 4}},
      {"UInt64",
       [](QVFile& f, uint32_t e) { return QVFileWriteUInt64(f, 0x0102030405060708ull, e); },
       {1, 2, 3, 4, 5, 6, 7, 8}},
      {"SInt16", [](QVFile& f, uint32_t e) { return QVFileWriteSInt16(f, -2, e); }, {0xFF, 0xFE}},
      {"SInt32",
       [](QVFile& f, uint32_t e) { return QVFileWriteSInt32(f, -2, e); },
       {0xFF, 0xFF, 0xFF, 0xFE}},
      {"SInt64",
       [](QVFile& f, uint32_t e) { return QVFileWriteSInt64(f, -2, e); },
       {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFE}},
      {"Float32",
       [](QVFile& f, uint32_t e) { return QVFileWriteFloat32(f, 1.0f, e); },
       {0x3F, 0x80, 0, 0}},
      {"Float64",
       [](QVFile& f, uint32_t e) { return QVFileWriteFloat64(f, -2.0, e); },
       {0xC0, 0, 0, 0, 0, 0, 0, 0}},
      {"AGCoord",
       [](QVFile& f, uint32_t e) { return QVFileWriteAGCoord(f, 1.0, e); },
       {0x3F, 0xF0, 0, 0, 0, 0, 0, 0}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Bytes little(c.big.rbegin(), c.big.rend());
    // The file's own order (argument 0), then an argument that overrides it.
    EXPECT_EQ(WriteWith(QVFile::kEndianBig, [&](QVFile& f) { EXPECT_EQ(c.write(f, 0), 0); }),
              c.big);
    EXPECT_EQ(WriteWith(QVFile::kEndianLittle, [&](QVFile& f) { EXPECT_EQ(c.write(f, 0), 0); }),
              little);
    EXPECT_EQ(WriteWith(QVFile::kEndianLittle, [&](QVFile& f) { EXPECT_EQ(c.write(f, 1), 0); }),
              c.big);
    EXPECT_EQ(WriteWith(QVFile::kEndianBig, [&](QVFile& f) { EXPECT_EQ(c.write(f, 2), 0); }),
              little);
  }
}

TEST_F(FileTest, NumbersReadBackInEitherOrder) {
  for (uint32_t order : {QVFile::kEndianBig, QVFile::kEndianLittle}) {
    SCOPED_TRACE(order);
    Bytes bytes = WriteWith(order, [](QVFile& f) {
      QVFileWriteUInt16(f, 0xBEEF);
      QVFileWriteSInt32(f, -123456789);
      QVFileWriteUInt64(f, 0x8877665544332211ull);
      QVFileWriteFloat32(f, 3.25f);
      QVFileWriteFloat64(f, -1.0 / 3.0);
      QVFileWriteUInt8(f, 0xAB);
      QVFileWriteSInt8(f, -5);
    });
    QVFile file{QVFilePath(PathOf("r.bin").c_str())};
    OpenWith(file, bytes, order);
    uint16_t u16 = 0;
    int32_t s32 = 0;
    uint64_t u64 = 0;
    float f32 = 0;
    double f64 = 0;
    uint8_t u8 = 0;
    int8_t s8 = 0;
    EXPECT_EQ(QVFileReadUInt16(file, u16), 0);
    EXPECT_EQ(QVFileReadSInt32(file, s32), 0);
    EXPECT_EQ(QVFileReadUInt64(file, u64), 0);
    EXPECT_EQ(QVFileReadFloat32(file, f32), 0);
    EXPECT_EQ(QVFileReadFloat64(file, f64), 0);
    EXPECT_EQ(QVFileReadUInt8(file, u8), 0);
    EXPECT_EQ(QVFileReadSInt8(file, s8), 0);
    EXPECT_EQ(u16, 0xBEEF);
    EXPECT_EQ(s32, -123456789);
    EXPECT_EQ(u64, 0x8877665544332211ull);
    EXPECT_EQ(f32, 3.25f);
    EXPECT_EQ(f64, -1.0 / 3.0);
    EXPECT_EQ(u8, 0xAB);
    EXPECT_EQ(s8, -5);
    EXPECT_TRUE(file.IsEndOfFile());
  }
}

TEST_F(FileTest, SignaturesAreBigEndianInEveryFile) {
  const Bytes dict = {0x64, 0x69, 0x63, 0x74};
  for (uint32_t order : {QVFile::kEndianBig, QVFile::kEndianLittle}) {
    Bytes bytes = WriteWith(order, [](QVFile& f) {
      EXPECT_EQ(QVFileWriteSignat32(f, QVSignat32("dict")), 0);
    });
    EXPECT_EQ(bytes, dict);
    QVFile file{QVFilePath(PathOf("r.bin").c_str())};
    OpenWith(file, bytes, order);
    uint32_t signature = 0;
    EXPECT_EQ(QVFileReadSignat32(file, signature), 0);
    EXPECT_EQ(signature, QVSignat32("dict"));
  }
}

TEST_F(FileTest, NewFileTakesHostOrderAndRefusesUnknownOrders) {
  QVFile file(0);
  EXPECT_EQ(file.Endianness(), QVFile::kEndianHost);
  EXPECT_EQ(QVFile::kEndianHost, QVFile::kEndianLittle);
  file.SetEndianness(QVFile::kEndianBig);
  for (uint32_t bad : {0u, 3u, 7u}) file.SetEndianness(bad);
  EXPECT_EQ(file.Endianness(), QVFile::kEndianBig);
}

// ---------------------------------------------------------------- number blocks

TEST_F(FileTest, WriteNumbersSwapsACopyAndLeavesCallerDataAlone) {
  const uint16_t data[3] = {0x0102, 0x0304, 0x0506};
  Bytes bytes = WriteWith(QVFile::kEndianBig, [&](QVFile& f) {
    EXPECT_EQ(QVFileWriteNumbers(f, data, 3, 2, 1, 0, false), 0);
  });
  EXPECT_EQ(bytes, (Bytes{1, 2, 3, 4, 5, 6}));
  EXPECT_EQ(data[0], 0x0102);
  EXPECT_EQ(data[2], 0x0506);
}

TEST_F(FileTest, NumbersOfOddWidthsAndRecordTailsMoveUnswapped) {
  // Records of 9 bytes holding two 4-byte numbers: the ninth byte is no number.
  const uint8_t record[9] = {1, 2, 3, 4, 5, 6, 7, 8, 9};
  EXPECT_EQ(WriteWith(QVFile::kEndianBig,
                      [&](QVFile& f) { EXPECT_EQ(QVFileWriteNumbers(f, record, 1, 9, 2, 0, false), 0); }),
            (Bytes{4, 3, 2, 1, 8, 7, 6, 5, 9}));
  // Three-byte numbers are never swapped.
  EXPECT_EQ(WriteWith(QVFile::kEndianBig,
                      [&](QVFile& f) { EXPECT_EQ(QVFileWriteNumbers(f, record, 3, 3, 1, 0, false), 0); }),
            (Bytes{1, 2, 3, 4, 5, 6, 7, 8, 9}));

  QVFile file{QVFilePath(PathOf("r.bin").c_str())};
  OpenWith(file, Bytes{4, 3, 2, 1, 8, 7, 6, 5, 9});
  uint8_t back[9] = {};
  EXPECT_EQ(QVFileReadNumbers(file, back, 1, 9, 2, 0, false), 0);
  EXPECT_EQ(0, std::memcmp(back, record, 9));
}

TEST_F(FileTest, NumbersAlreadyReadAheadComeOutSwappedInTheirRecords) {
  // A first byte read fills the read-ahead block; the records after it are
  // then taken from the block: pure numbers, and records with a tail.
  struct Case {
    const char* name;
    uint32_t recordSize;
    uint32_t numbersPerRecord;
    Bytes stored;     // two records as the file holds them
    Bytes bigEndian;  // what a big-endian read gives on this machine
  };
  const Case cases[] = {
      {"2-byte numbers", 4, 2, {1, 2, 3, 4, 5, 6, 7, 8}, {2, 1, 4, 3, 6, 5, 8, 7}},
      {"4-byte numbers", 4, 1, {1, 2, 3, 4, 5, 6, 7, 8}, {4, 3, 2, 1, 8, 7, 6, 5}},
      {"an 8-byte number", 8, 1, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16},
       {8, 7, 6, 5, 4, 3, 2, 1, 16, 15, 14, 13, 12, 11, 10, 9}},
      {"two 2-byte numbers and a tail", 5, 2, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10},
       {2, 1, 4, 3, 5, 7, 6, 9, 8, 10}},
  };
  for (const Case& c : cases) {
    for (uint32_t order : {QVFile::kEndianBig, QVFile::kEndianLittle}) {
      SCOPED_TRACE(testing::Message() << c.name << " " << order);
      Bytes file{0xAA};
      file.insert(file.end(), c.stored.begin(), c.stored.end());
      QVFile reader{QVFilePath(PathOf("ahead.bin").c_str())};
      OpenWith(reader, file, order);
      uint8_t first = 0;
      ASSERT_EQ(QVFileReadUInt8(reader, first), 0);
      Bytes back(c.stored.size());
      ASSERT_EQ(QVFileReadNumbers(reader, back.data(), 2, c.recordSize, c.numbersPerRecord, 0,
                                  false),
                0);
      EXPECT_EQ(back, order == QVFile::kEndianBig ? c.bigEndian : c.stored);
      uint64_t pos = 0;
      EXPECT_EQ(reader.GetPos(pos), 0);
      EXPECT_EQ(pos, file.size());
    }
  }
}

TEST_F(FileTest, NumbersAfterPendingBytesAreSwappedIntoTheBuffer) {
  // After a first byte the records append to the write buffer and are
  // swapped straight into it: pure numbers up to the 32 bytes moved that
  // way and one beyond, and records with a tail.
  struct Case {
    const char* name;
    size_t count;
    uint32_t recordSize;
    uint32_t numbersPerRecord;
  };
  const Case cases[] = {
      {"four 2-byte numbers", 4, 2, 1},        {"two records of two 2-byte numbers", 2, 4, 2},
      {"three 4-byte numbers", 3, 4, 1},       {"a rectangle of four doubles", 1, 32, 4},
      {"five 8-byte numbers (40 bytes)", 5, 8, 1}, {"two 2-byte numbers and a tail", 2, 5, 2},
  };
  for (const Case& c : cases) {
    for (uint32_t order : {QVFile::kEndianBig, QVFile::kEndianLittle}) {
      SCOPED_TRACE(testing::Message() << c.name << " " << order);
      Bytes data(c.count * c.recordSize);
      for (size_t i = 0; i < data.size(); ++i) data[i] = static_cast<uint8_t>(i + 1);
      // What the file must hold: each number's bytes reversed in a
      // big-endian file, a record's tail as it is.
      Bytes want{0xAA};
      const size_t width = c.recordSize / c.numbersPerRecord;
      for (size_t r = 0; r < c.count; ++r) {
        for (size_t k = 0; k < c.recordSize; ++k) {
          const size_t number = k / width;
          const bool swapped = order == QVFile::kEndianBig && number < c.numbersPerRecord;
          const size_t from = swapped ? number * width + (width - 1 - k % width) : k;
          want.push_back(data[r * c.recordSize + from]);
        }
      }
      const Bytes before = data;
      EXPECT_EQ(WriteWith(order,
                          [&](QVFile& f) {
                            EXPECT_EQ(QVFileWriteUInt8(f, 0xAA), 0);
                            EXPECT_EQ(QVFileWriteNumbers(f, data.data(), c.count, c.recordSize,
                                                         c.numbersPerRecord, 0, false),
                                      0);
                          }),
                want);
      EXPECT_EQ(data, before);
    }
  }
}

TEST_F(FileTest, BlocksLargerThanTheSwapCopyAreSwappedWhole) {
  // The writer swaps through a copy of 4 KB: whole records at a time, or a
  // record larger than it in runs of whole numbers and then its tail.
  struct Case {
    const char* name;
    size_t count;
    uint32_t recordSize;
    uint32_t numbersPerRecord;
  };
  const Case cases[] = {{"3000 records of one 4-byte number", 3000, 4, 1},
                        {"records of 5000 2-byte numbers and a 3-byte tail", 2, 10003, 5000},
                        {"records of 1025 8-byte numbers", 3, 8200, 1025}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Bytes data(c.count * c.recordSize);
    for (size_t i = 0; i < data.size(); ++i) data[i] = static_cast<uint8_t>(i * 13 + i / 7);
    const size_t width = c.recordSize / c.numbersPerRecord;
    Bytes expected = data;
    for (size_t r = 0; r < c.count; ++r) {
      for (size_t k = 0; k < c.numbersPerRecord; ++k) {
        auto number = expected.begin() + static_cast<long>(r * c.recordSize + k * width);
        std::reverse(number, number + static_cast<long>(width));
      }
    }
    Bytes bytes = WriteWith(QVFile::kEndianBig, [&](QVFile& f) {
      EXPECT_EQ(QVFileWriteNumbers(f, data.data(), c.count, c.recordSize, c.numbersPerRecord, 0,
                                   false),
                0);
    });
    EXPECT_EQ(bytes, expected);
    QVFile file{QVFilePath(PathOf("w.bin").c_str())};
    file.SetEndianness(QVFile::kEndianBig);
    ASSERT_EQ(file.OpenForRead(), 0);
    Bytes back(data.size());
    ASSERT_EQ(QVFileReadNumbers(file, back.data(), c.count, c.recordSize, c.numbersPerRecord, 0,
                                false),
              0);
    EXPECT_EQ(back, data);
  }
}

TEST_F(FileTest, EmptyNumberBlockDoesNotTouchTheFile) {
  QVFile closed{QVFilePath(PathOf("never").c_str())};
  LogCapture log;
  EXPECT_EQ(QVFileWriteNumbers(closed, nullptr, 0, 8, 1, 0, true), 0);
  EXPECT_EQ(QVFileReadNumbers(closed, nullptr, 5, 0, 1, 0, true), 0);
  EXPECT_EQ(closed.Write(nullptr, 0), 0);
  EXPECT_TRUE(log.Get().empty());
}

TEST_F(FileTest, BlockSizeOverflowFailsWithoutWriting) {
  Bytes bytes = WriteWith(QVFile::kEndianBig, [](QVFile& f) {
    uint8_t one = 0;
    EXPECT_EQ(QVFileWriteNumbers(f, &one, std::numeric_limits<size_t>::max() / 2, 4, 1, 0, false),
              kQVErrFileWrite);
  });
  EXPECT_TRUE(bytes.empty());
}

// ---------------------------------------------------------------- graphics records

TEST_F(FileTest, GraphicsRecordsAreDoublesInFileOrder) {
  const AGRect rect = {1.0, -2.0, 0.5, 4.0};
  Bytes bytes = WriteWith(QVFile::kEndianBig, [&](QVFile& f) {
    EXPECT_EQ(QVFileWriteAGRect(f, rect), 0);
    EXPECT_EQ(QVFileWriteAGPoint(f, AGPoint{3.0, 5.0}), 0);
    EXPECT_EQ(QVFileWriteAGSize(f, AGSize{6.0, 7.0}), 0);
    EXPECT_EQ(QVFileWriteAGInterval(f, AGInterval{8.0, 9.0}, QVFile::kEndianLittle), 0);
  });
  ASSERT_EQ(bytes.size(), 32u + 16 + 16 + 16);
  // x1 = 1.0 first, big-endian; y1 = -2.0 next.
  EXPECT_EQ(Bytes(bytes.begin(), bytes.begin() + 9), (Bytes{0x3F, 0xF0, 0, 0, 0, 0, 0, 0, 0xC0}));
  // The interval was written little-endian: 8.0 ends with 0x40 0x20.
  EXPECT_EQ(bytes[64 + 6], 0x20);
  EXPECT_EQ(bytes[64 + 7], 0x40);

  QVFile file{QVFilePath(PathOf("r.bin").c_str())};
  OpenWith(file, bytes);
  AGRect r{};
  AGPoint p{};
  AGSize s{};
  AGInterval i{};
  EXPECT_EQ(QVFileReadAGRect(file, r), 0);
  EXPECT_EQ(QVFileReadAGPoint(file, p), 0);
  EXPECT_EQ(QVFileReadAGSize(file, s), 0);
  EXPECT_EQ(QVFileReadAGInterval(file, i, QVFile::kEndianLittle), 0);
  EXPECT_EQ(r, rect);
  EXPECT_EQ(p, (AGPoint{3.0, 5.0}));
  EXPECT_EQ(s, (AGSize{6.0, 7.0}));
  EXPECT_EQ(i, (AGInterval{8.0, 9.0}));
}

TEST_F(FileTest, ColourBytesAreRedGreenBlueAlphaInAnyOrder) {
  for (uint32_t order : {QVFile::kEndianBig, QVFile::kEndianLittle}) {
    Bytes bytes = WriteWith(order, [](QVFile& f) { EXPECT_EQ(QVFileWriteAGColor(f, 0x11223344u), 0); });
    EXPECT_EQ(bytes, (Bytes{0x11, 0x22, 0x33, 0x44}));
    QVFile file{QVFilePath(PathOf("r.bin").c_str())};
    OpenWith(file, bytes, order);
    AGColor color = 0;
    EXPECT_EQ(QVFileReadAGColor(file, color), 0);
    EXPECT_EQ(color, 0x11223344u);
  }
}

TEST_F(FileTest, OlderColourClampsEachComponent) {
  struct Case {
    float rgba[4];
    AGColor expected;
  };
  const float nan = std::numeric_limits<float>::quiet_NaN();
  const float inf = std::numeric_limits<float>::infinity();
  const Case cases[] = {
      {{1.0f, 0.5f, -2.0f, 7.0f}, AGColorMake(255, 128, 0, 255)},
      {{nan, -inf, inf, 0.0f}, AGColorMake(0, 0, 255, 0)},
      {{0.2f, 0.0019f, 0.999f, 0.0021f}, AGColorMake(51, 0, 255, 1)},
  };
  for (uint32_t order : {QVFile::kEndianBig, QVFile::kEndianLittle}) {
    for (const Case& c : cases) {
      Bytes bytes = WriteWith(order, [&](QVFile& f) {
        for (float v : c.rgba) QVFileWriteFloat32(f, v);
      });
      QVFile file{QVFilePath(PathOf("r.bin").c_str())};
      OpenWith(file, bytes, order);
      AGColor color = 0;
      EXPECT_EQ(QVFileReadAGColor_OFF(file, color), 0);
      EXPECT_EQ(color, c.expected) << std::hex << color;
    }
  }
}

TEST_F(FileTest, FailedRecordReadLeavesTheOutputAlone) {
  QVFile file{QVFilePath(PathOf("r.bin").c_str())};
  OpenWith(file, Bytes(12, 0x3F));
  AGColor color = 0xDEADBEEFu;
  AGRect rect = {1, 2, 3, 4};
  LogCapture log;
  EXPECT_EQ(QVFileReadAGColor_OFF(file, color), kQVErrFileRead);
  EXPECT_EQ(color, 0xDEADBEEFu);
  EXPECT_EQ(file.SetPos(0), 0);
  EXPECT_EQ(QVFileReadAGRect(file, rect), kQVErrFileRead);
  EXPECT_EQ(rect, (AGRect{1, 2, 3, 4}));
}

// ---------------------------------------------------------------- chunks

TEST_F(FileTest, CompletedChunkStoresPayloadSizeAndKeepsPosition) {
  for (uint32_t order : {QVFile::kEndianBig, QVFile::kEndianLittle}) {
    SCOPED_TRACE(order);
    QVFileChunk chunk(QVSignat32("arry"));
    Bytes bytes = WriteWith(order, [&](QVFile& f) {
      EXPECT_EQ(QVFileWriteZeros(f, 3), 0);
      EXPECT_EQ(QVFileWriteChunkHeader(f, chunk), 0);
      EXPECT_EQ(chunk.Position(), 3u);
      EXPECT_EQ(QVFileWriteZeros(f, 12), 0);
      EXPECT_EQ(QVFileWriteChunkComplete(f, chunk), 0);
      EXPECT_EQ(chunk.Size(), 12u);
      EXPECT_EQ(Pos(f), 23u);
      QVFileWriteUInt8(f, 0x77);
    });
    ASSERT_EQ(bytes.size(), 24u);
    EXPECT_EQ(Bytes(bytes.begin() + 3, bytes.begin() + 7), (Bytes{'a', 'r', 'r', 'y'}));
    Bytes size = order == QVFile::kEndianBig ? Bytes{0, 0, 0, 12} : Bytes{12, 0, 0, 0};
    EXPECT_EQ(Bytes(bytes.begin() + 7, bytes.begin() + 11), size);
    EXPECT_EQ(bytes[23], 0x77);
  }
}

TEST_F(FileTest, NestedAndEmptyChunksComplete) {
  QVFileChunk outer(QVSignat32("dict"));
  QVFileChunk inner(QVSignat32("intg"));
  QVFileChunk empty(QVSignat32("none"));
  Bytes bytes = WriteWith(QVFile::kEndianBig, [&](QVFile& f) {
    EXPECT_EQ(QVFileWriteChunkHeader(f, outer), 0);
    EXPECT_EQ(QVFileWriteChunkHeader(f, inner), 0);
    QVFileWriteUInt32(f, 42);
    EXPECT_EQ(QVFileWriteChunkComplete(f, inner), 0);
    EXPECT_EQ(QVFileWriteChunkHeader(f, empty), 0);
    EXPECT_EQ(QVFileWriteChunkComplete(f, empty), 0);
    EXPECT_EQ(empty.Size(), 0u);
    EXPECT_EQ(QVFileWriteChunkComplete(f, outer), 0);
  });
  EXPECT_EQ(outer.Size(), 8u + 4 + 8);
  EXPECT_EQ(inner.Size(), 4u);
  ASSERT_EQ(bytes.size(), 28u);
  EXPECT_EQ(bytes[7], 20);
  EXPECT_EQ(bytes[15], 4);
  EXPECT_EQ(Bytes(bytes.begin() + 20, bytes.end()), (Bytes{'n', 'o', 'n', 'e', 0, 0, 0, 0}));
}

TEST_F(FileTest, ReaderSkipsUnconsumedPayloadAndReturnsToHeader) {
  QVFileChunk written(QVSignat32("bina"));
  Bytes bytes = WriteWith(QVFile::kEndianLittle, [&](QVFile& f) {
    EXPECT_EQ(QVFileWriteChunkHeader(f, written), 0);
    EXPECT_EQ(QVFileWriteZeros(f, 10), 0);
    EXPECT_EQ(QVFileWriteChunkComplete(f, written), 0);
    QVFileWriteUInt16(f, 0x5A5A);
  });
  QVFile file{QVFilePath(PathOf("r.bin").c_str())};
  OpenWith(file, bytes, QVFile::kEndianLittle);
  QVFileChunk chunk;
  EXPECT_EQ(QVFileReadChunkHeader(file, chunk), 0);
  EXPECT_EQ(chunk.Signature(), QVSignat32("bina"));
  EXPECT_EQ(chunk.Size(), 10u);
  EXPECT_EQ(chunk.Position(), 0u);
  EXPECT_EQ(file.Skip(3), 0);
  EXPECT_EQ(QVFileGotoChunkEnd(file, chunk), 0);
  uint16_t after = 0;
  EXPECT_EQ(QVFileReadUInt16(file, after), 0);
  EXPECT_EQ(after, 0x5A5A);
  EXPECT_EQ(QVFileGotoChunkBegin(file, chunk), 0);
  EXPECT_EQ(Pos(file), 0u);
}

TEST_F(FileTest, WrongChunkIsReportedWithBothSignaturesAndPosition) {
  std::string path = PathOf("doc.bin");
  QVFile file{QVFilePath(path.c_str())};
  OpenWith(file, Bytes{0, 0, 'a', 'r', 'r', 'y', 0, 0, 0, 4, 1, 2, 3, 4});
  EXPECT_EQ(file.SetPos(2), 0);
  QVFileChunk chunk(QVSignat32("dict"));
  LogCapture log;
  EXPECT_EQ(QVFileCheckChunkHeader(file, chunk), kQVErrBadChunk);
  ASSERT_EQ(log.Get().size(), 1u);
  EXPECT_EQ(log.Get()[0], "### QVLib Error -960: In file \"" + path +
                              "\" at pos 2, want chunk [dict] but has [arry].\n");
  // The chunk holds what was read.
  EXPECT_EQ(chunk.Signature(), QVSignat32("arry"));
  EXPECT_EQ(chunk.Size(), 4u);

  EXPECT_EQ(file.SetPos(2), 0);
  QVFileChunk right(QVSignat32("arry"));
  EXPECT_EQ(QVFileCheckChunkHeader(file, right), 0);
}

TEST_F(FileTest, SignatureCheckHandsBackWhatItRead) {
  QVFile file{QVFilePath(PathOf("r.bin").c_str())};
  OpenWith(file, Bytes{'s', 't', 'r', 'g', 'b', 'o', 'o', 'l'});
  uint32_t read = 0;
  LogCapture log;
  EXPECT_EQ(QVFileCheckSignat32(file, QVSignat32("strg"), &read), 0);
  EXPECT_EQ(read, QVSignat32("strg"));
  EXPECT_EQ(QVFileCheckSignat32(file, QVSignat32("intg"), &read), kQVErrBadChunk);
  EXPECT_EQ(read, QVSignat32("bool"));
  EXPECT_NE(log.All().find("at pos 4, want chunk [intg] but has [bool]"), std::string::npos);
}

// ---------------------------------------------------------------- padding and zeros

TEST_F(FileTest, PaddingReachesTheNextMultipleOfEight) {
  struct Case {
    uint64_t at;
    uint64_t expectedSize;
  };
  for (const Case& c : {Case{13, 16}, Case{16, 16}, Case{0, 0}, Case{17, 24}}) {
    SCOPED_TRACE(c.at);
    Bytes bytes = WriteWith(QVFile::kEndianBig, [&](QVFile& f) {
      std::string ones(c.at, '\x01');
      EXPECT_EQ(f.Write(ones.data(), ones.size()), 0);
      EXPECT_EQ(QVFileWritePadding64(f), 0);
    });
    ASSERT_EQ(bytes.size(), c.expectedSize);
    for (uint64_t i = c.at; i < bytes.size(); ++i) EXPECT_EQ(bytes[i], 0);

    QVFile file{QVFilePath(PathOf("r.bin").c_str())};
    OpenWith(file, bytes);
    EXPECT_EQ(file.SetPos(c.at), 0);
    EXPECT_EQ(QVFileReadPadding64(file), 0);
    EXPECT_EQ(Pos(file), c.expectedSize);
  }
}

TEST_F(FileTest, ReadingPaddingPastTheEndFails) {
  QVFile file{QVFilePath(PathOf("r.bin").c_str())};
  OpenWith(file, Bytes(13, 0));
  EXPECT_EQ(file.SetPos(10), 0);
  LogCapture log;
  EXPECT_EQ(QVFileReadPadding64(file), kQVErrFileRead);
}

// ---------------------------------------------------------------- errors and states

TEST_F(FileTest, ShortReadFailsWithReadError) {
  std::string path = PathOf("five.bin");
  QVFile file{QVFilePath(path.c_str())};
  OpenWith(file, Bytes{1, 2, 3, 4, 5});
  uint8_t buffer[8] = {};
  LogCapture log;
  EXPECT_EQ(file.Read(buffer, 8), kQVErrFileRead);
  EXPECT_EQ(log.All(), "### QVLib Error -977: Can't read in file \"" + path + "\".\n");
  EXPECT_EQ(buffer[4], 5);
}

TEST_F(FileTest, ClosedFileRefusesEveryTransfer) {
  std::string path = PathOf("closed.bin");
  WriteBytes(path, Bytes{1, 2, 3});
  QVFile file{QVFilePath(path.c_str())};
  uint64_t pos = 0;
  uint8_t byte = 0;
  LogCapture log;
  EXPECT_EQ(file.Seek(0, kQVFileFromStart), kQVErrFileNotOpened);
  EXPECT_EQ(file.GetPos(pos), kQVErrFileNotOpened);
  EXPECT_EQ(file.SetFileSize(0), kQVErrFileNotOpened);
  EXPECT_EQ(file.Read(&byte, 1), kQVErrFileNotOpened);
  EXPECT_EQ(file.Write(&byte, 1), kQVErrFileNotOpened);
  EXPECT_EQ(QVFileSkip(file, 1), kQVErrFileNotOpened);
  EXPECT_EQ(log.Get()[0], "### QVLib Error -980: The file \"" + path + "\" is not opened.\n");
  // The size still comes from the path.
  uint64_t size = 0;
  EXPECT_EQ(file.GetFileSize(size), 0);
  EXPECT_EQ(size, 3u);
  EXPECT_EQ(ReadBytes(path), (Bytes{1, 2, 3}));
}

TEST_F(FileTest, OpeningTwiceFailsAndKeepsTheFileUsable) {
  std::string path = PathOf("twice.bin");
  QVFile file{QVFilePath(path.c_str())};
  OpenWith(file, Bytes{9, 8, 7});
  EXPECT_EQ(file.SetPos(1), 0);
  LogCapture log;
  EXPECT_EQ(file.OpenForRead(), kQVErrFileAlreadyOpened);
  EXPECT_EQ(file.OpenForReadWrite(), kQVErrFileAlreadyOpened);
  EXPECT_EQ(file.CreateForReadWrite(), kQVErrFileAlreadyOpened);
  EXPECT_EQ(log.Get()[0], "### QVLib Error -979: The file \"" + path + "\" is already opened.\n");
  EXPECT_TRUE(file.CanRead());
  EXPECT_FALSE(file.CanWrite());
  uint8_t byte = 0;
  EXPECT_EQ(file.Read(&byte, 1), 0);
  EXPECT_EQ(byte, 8);
  EXPECT_EQ(ReadBytes(path), (Bytes{9, 8, 7}));
}

TEST_F(FileTest, OpenFailuresAndReadOnlyWrites) {
  LogCapture log;
  QVFile missing{QVFilePath(PathOf("missing").c_str())};
  EXPECT_EQ(missing.OpenForRead(), kQVErrFileOpen);
  EXPECT_EQ(missing.OpenForReadWrite(), kQVErrFileOpen);
  EXPECT_FALSE(missing.IsOpened());
  QVFile nowhere{QVFilePath(PathOf("no/such/dir").c_str())};
  EXPECT_EQ(nowhere.CreateForReadWrite(), kQVErrFileOpen);

  QVFile readOnly{QVFilePath(PathOf("ro.bin").c_str())};
  OpenWith(readOnly, Bytes{1});
  EXPECT_EQ(QVFileWriteUInt32(readOnly, 5), kQVErrFileWrite);
  EXPECT_EQ(ReadBytes(PathOf("ro.bin")), (Bytes{1}));
}

TEST_F(FileTest, PositionsSeekOriginsAndSizes) {
  std::string path = PathOf("pos.bin");
  QVFile file{QVFilePath(path.c_str())};
  ASSERT_EQ(file.CreateForReadWrite(), 0);
  EXPECT_EQ(QVFileWriteZeros(file, 20), 0);
  EXPECT_EQ(file.Seek(-5, kQVFileFromEnd), 0);
  EXPECT_EQ(Pos(file), 15u);
  EXPECT_EQ(file.Seek(2, kQVFileFromCurrent), 0);
  EXPECT_EQ(Pos(file), 17u);
  // An unknown origin counts from the start.
  EXPECT_EQ(file.Seek(4, static_cast<QVFileWhence>(9)), 0);
  EXPECT_EQ(Pos(file), 4u);
  EXPECT_EQ(QVFileSkipBack(file, 3), 0);
  EXPECT_EQ(Pos(file), 1u);
  LogCapture log;
  EXPECT_EQ(QVFileSkipBack(file, 2), kQVErrFileSetPos);
  EXPECT_EQ(file.Skip(std::numeric_limits<uint64_t>::max()), kQVErrFileSetPos);

  EXPECT_EQ(file.SetFileSize(6), 0);
  uint64_t size = 0;
  EXPECT_EQ(file.GetFileSize(size), 0);
  EXPECT_EQ(size, 6u);

  // Beyond 4 GB (a sparse position, nothing written) the 32-bit form fails.
  EXPECT_EQ(file.SetPos(0x100000010ull), 0);
  uint32_t pos32 = 7;
  EXPECT_EQ(file.GetPos(pos32), kQVErrFileGetPos);
  EXPECT_EQ(pos32, 7u);
  EXPECT_EQ(file.SetPos(12), 0);
  EXPECT_EQ(file.GetPos(pos32), 0);
  EXPECT_EQ(pos32, 12u);
}

TEST_F(FileTest, FailedSeeksKeepThePosition) {
  QVFile file{QVFilePath(PathOf("seek.bin").c_str())};
  OpenWith(file, Bytes(20, 0));
  EXPECT_EQ(file.SetPos(7), 0);
  LogCapture log;
  EXPECT_EQ(file.Seek(-21, kQVFileFromEnd), kQVErrFileSetPos);
  EXPECT_EQ(file.Seek(-1, kQVFileFromStart), kQVErrFileSetPos);
  EXPECT_EQ(file.Seek(std::numeric_limits<int64_t>::max(), kQVFileFromCurrent), kQVErrFileSetPos);
  EXPECT_EQ(log.Get().size(), 3u);
  EXPECT_EQ(Pos(file), 7u);
  EXPECT_EQ(file.Seek(-20, kQVFileFromEnd), 0);
  EXPECT_EQ(Pos(file), 0u);
}

// Every read size, from single bytes to more than the read-ahead block,
// starting anywhere: the bytes and the position follow the file.
TEST_F(FileTest, ReadsOfAnySizeSeeTheFileBytes) {
  Bytes pattern(70000);
  for (size_t i = 0; i < pattern.size(); ++i) pattern[i] = static_cast<uint8_t>(i * 7 + i / 251);
  QVFile file{QVFilePath(PathOf("pattern.bin").c_str())};
  OpenWith(file, pattern);
  const size_t sizes[] = {1, 3, 4095, 7, 16383, 16384, 16385, 2, 40000, 5};
  for (uint64_t start : {0ull, 1ull, 16380ull}) {
    ASSERT_EQ(file.SetPos(start), 0);
    uint64_t at = start;
    for (size_t n : sizes) {
      if (at + n > pattern.size()) break;
      Bytes got(n);
      ASSERT_EQ(file.Read(got.data(), n), 0) << at << " " << n;
      ASSERT_TRUE(std::equal(got.begin(), got.end(), pattern.begin() + static_cast<long>(at)))
          << at << " " << n;
      at += n;
      EXPECT_EQ(Pos(file), at);
    }
  }
  // Backwards within what was read ahead.
  EXPECT_EQ(file.SetPos(100), 0);
  uint8_t byte = 0;
  EXPECT_EQ(file.Read(&byte, 1), 0);
  EXPECT_EQ(file.SetPos(50), 0);
  EXPECT_EQ(file.Read(&byte, 1), 0);
  EXPECT_EQ(byte, pattern[50]);
}

TEST_F(FileTest, ReadsSeeTheFilesOwnWritesAndSizeChanges) {
  QVFile file{QVFilePath(PathOf("rw.bin").c_str())};
  ASSERT_EQ(file.CreateForReadWrite(), 0);
  EXPECT_EQ(file.Write("abcdefgh", 8), 0);
  EXPECT_EQ(file.SetPos(0), 0);
  char back[9] = {};
  EXPECT_EQ(file.Read(back, 4), 0);
  EXPECT_EQ(file.SetPos(2), 0);
  EXPECT_EQ(file.Write("XY", 2), 0);
  EXPECT_EQ(file.SetPos(0), 0);
  EXPECT_EQ(file.Read(back, 8), 0);
  EXPECT_STREQ(back, "abXYefgh");

  // Cut to 3 bytes and grown again: the rest reads as zeros.
  EXPECT_EQ(file.SetFileSize(3), 0);
  EXPECT_EQ(file.SetFileSize(8), 0);
  EXPECT_EQ(file.SetPos(0), 0);
  EXPECT_EQ(file.Read(back, 8), 0);
  EXPECT_EQ(std::string(back, 8), std::string("abX\0\0\0\0\0", 8));

  // Writing past the end leaves a hole of zeros.
  EXPECT_EQ(file.SetPos(10), 0);
  EXPECT_EQ(file.Write("z", 1), 0);
  uint64_t size = 0;
  EXPECT_EQ(file.GetFileSize(size), 0);
  EXPECT_EQ(size, 11u);
  EXPECT_EQ(ReadBytes(PathOf("rw.bin")), (Bytes{'a', 'b', 'X', 0, 0, 0, 0, 0, 0, 0, 'z'}));
}

TEST_F(FileTest, ReadableCheckSeesBytesAddedByAnotherWriter) {
  std::string path = PathOf("grow.bin");
  QVFile file{QVFilePath(path.c_str())};
  ASSERT_EQ(file.CreateForReadWrite(), 0);
  EXPECT_EQ(QVFileWriteZeros(file, 10), 0);
  EXPECT_EQ(file.SetPos(0), 0);
  EXPECT_EQ(QVFileCheckReadable(file, 10), 0);
  WriteBytes(path, Bytes(30, 1));
  EXPECT_EQ(QVFileCheckReadable(file, 30), 0);
  LogCapture log;
  EXPECT_EQ(QVFileCheckReadable(file, 31), kQVErrFileRead);
}

TEST_F(FileTest, EndOfFileMeansAtMostNBytesRemain) {
  QVFile file{QVFilePath(PathOf("ten.bin").c_str())};
  EXPECT_TRUE(file.IsEndOfFile());
  OpenWith(file, Bytes(10, 0));
  struct Case {
    uint64_t pos;
    uint64_t n;
    bool end;
  };
  const Case cases[] = {{10, 0, true}, {9, 0, false}, {6, 4, true}, {6, 3, false},
                        {0, 10, true}, {0, 9, false}, {12, 0, true}, {1, ~0ull, true}};
  for (const Case& c : cases) {
    EXPECT_EQ(file.SetPos(c.pos), 0);
    EXPECT_EQ(file.IsEndOfFile(c.n), c.end) << c.pos << " " << c.n;
  }
}

TEST_F(FileTest, ReadableCheckGuardsCountsTakenFromTheFile) {
  QVFile file{QVFilePath(PathOf("r.bin").c_str())};
  OpenWith(file, Bytes(10, 0));
  EXPECT_EQ(file.SetPos(4), 0);
  EXPECT_EQ(QVFileCheckReadable(file, 6), 0);
  LogCapture log;
  EXPECT_EQ(QVFileCheckReadable(file, 7), kQVErrFileRead);
  EXPECT_EQ(QVFileCheckReadable(file, ~0ull), kQVErrFileRead);
  EXPECT_EQ(file.SetPos(20), 0);
  EXPECT_EQ(QVFileCheckReadable(file, 0), kQVErrFileRead);
  file.Close();
  EXPECT_EQ(QVFileCheckReadable(file, 0), kQVErrFileNotOpened);
}

// ---------------------------------------------------------------- read limit

TEST_F(FileTest, ReadLimitRefusesBytesPastItAsTheFileEndWould) {
  QVFile file{QVFilePath(PathOf("limit.bin").c_str())};
  Bytes bytes(20);
  for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<uint8_t>(i);
  OpenWith(file, bytes);
  EXPECT_EQ(file.ReadLimit(), QVFile::kNoReadLimit);
  uint8_t buffer[8] = {};
  // A first small read fills the read-ahead block with all 20 bytes: the
  // limit holds even for bytes already in memory.
  ASSERT_EQ(file.Read(buffer, 2), 0);
  file.SetReadLimit(10);
  ASSERT_EQ(file.Read(buffer, 8), 0);
  EXPECT_EQ(buffer[7], 9);
  LogCapture log;
  buffer[0] = 0xEE;
  EXPECT_EQ(file.Read(buffer, 1), kQVErrFileRead);
  EXPECT_EQ(buffer[0], 0xEE);
  EXPECT_EQ(Pos(file), 10u);
  EXPECT_TRUE(file.IsEndOfFile());
  EXPECT_EQ(QVFileCheckReadable(file, 0), 0);
  EXPECT_EQ(QVFileCheckReadable(file, 1), kQVErrFileRead);
  // Positioning is free; reading past the limit is not.
  EXPECT_EQ(file.SetPos(12), 0);
  EXPECT_EQ(QVFileCheckReadable(file, 0), kQVErrFileRead);
  EXPECT_EQ(file.SetPos(6), 0);
  EXPECT_FALSE(file.IsEndOfFile(3));
  EXPECT_TRUE(file.IsEndOfFile(4));
  EXPECT_EQ(file.Read(buffer, 5), kQVErrFileRead);
  EXPECT_EQ(Pos(file), 6u);
  EXPECT_EQ(log.Get().size(), 4u);

  file.SetReadLimit(QVFile::kNoReadLimit);
  EXPECT_EQ(file.Read(buffer, 5), 0);
  EXPECT_EQ(buffer[4], 10);
}

TEST_F(FileTest, LengthsReadInsideALimitAreCheckedAgainstIt) {
  // A string of length 8 whose text lies in the file but past the limit,
  // and a UTF-16 count of 2 likewise: both fail as a short read would.
  std::string path = PathOf("lengths.bin");
  QVFile file{QVFilePath(path.c_str())};
  OpenWith(file, Bytes{0, 0, 0, 8, 'a', 'b', 'c', 'd', 'e', 'f', 'g', 'h', 0, 0, 0, 2, 0, 0x41,
                       0, 0x42});
  file.SetReadLimit(10);
  QVString text("before");
  LogCapture log;
  EXPECT_EQ(QVFileReadQVString(file, text), kQVErrFileRead);
  EXPECT_TRUE(text.IsEmpty());
  EXPECT_EQ(file.SetPos(12), 0);
  file.SetReadLimit(18);
  ATNumberArray<uint16_t> units;
  EXPECT_EQ(QVFileReadQVUniChars(file, units), kQVErrFileRead);
  EXPECT_EQ(units.Length(), 0u);
  file.SetReadLimit(20);
  EXPECT_EQ(file.SetPos(12), 0);
  ASSERT_EQ(QVFileReadQVUniChars(file, units), 0);
  EXPECT_EQ(units.Length(), 2u);
}

TEST_F(FileTest, ReopeningLiftsTheReadLimit) {
  QVFile file{QVFilePath(PathOf("lift.bin").c_str())};
  OpenWith(file, Bytes(8, 1));
  file.SetReadLimit(2);
  file.Close();
  EXPECT_EQ(file.ReadLimit(), QVFile::kNoReadLimit);
  ASSERT_EQ(file.OpenForRead(), 0);
  uint8_t buffer[8];
  EXPECT_EQ(file.Read(buffer, 8), 0);
}

// ---------------------------------------------------------------- descriptors

TEST_F(FileTest, AdoptedDescriptorIsReadAndClosedByTheFile) {
  std::string path = PathOf("adopt.bin");
  WriteBytes(path, Bytes{1, 2, 3, 4});
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  ASSERT_GE(fd, 0);
  {
    // The name given is only shown in messages.
    QVFile file{QVFilePath("shown name")};
    ASSERT_EQ(file.AdoptDescriptor(fd, false), 0);
    EXPECT_TRUE(file.CanRead());
    EXPECT_FALSE(file.CanWrite());
    uint32_t value = 0;
    file.SetEndianness(QVFile::kEndianBig);
    EXPECT_EQ(QVFileReadUInt32(file, value), 0);
    EXPECT_EQ(value, 0x01020304u);
    LogCapture log;
    EXPECT_EQ(file.Read(&value, 1), kQVErrFileRead);
    EXPECT_EQ(log.All(), "### QVLib Error -977: Can't read in file \"shown name\".\n");
  }
  EXPECT_EQ(::fcntl(fd, F_GETFD), -1);
}

TEST_F(FileTest, ReleasedDescriptorStaysOpenForTheCaller) {
  std::string path = PathOf("release.bin");
  QVFile file{QVFilePath(path.c_str())};
  ASSERT_EQ(file.CreateForReadWrite(), 0);
  ASSERT_EQ(QVFileWriteUInt8(file, 7), 0);
  int fd = -1;
  // The byte still held back is written before the descriptor leaves.
  ASSERT_EQ(file.ReleaseDescriptor(fd), 0);
  ASSERT_GE(fd, 0);
  EXPECT_FALSE(file.IsOpened());
  int again = 5;
  LogCapture log;
  EXPECT_EQ(file.ReleaseDescriptor(again), kQVErrFileNotOpened);
  EXPECT_EQ(again, -1);
  EXPECT_EQ(::pwrite(fd, "\x08", 1, 1), 1);
  EXPECT_EQ(::close(fd), 0);
  EXPECT_EQ(ReadBytes(path), (Bytes{7, 8}));
}

TEST_F(FileTest, AdoptingRefusesAnOpenFileAndANegativeDescriptor) {
  QVFile file{QVFilePath(PathOf("a.bin").c_str())};
  LogCapture log;
  EXPECT_EQ(file.AdoptDescriptor(-1, false), kQVErrFileOpen);
  EXPECT_FALSE(file.IsOpened());
  OpenWith(file, Bytes{5});
  int other = ::open(PathOf("a.bin").c_str(), O_RDONLY | O_CLOEXEC);
  EXPECT_EQ(file.AdoptDescriptor(other, true), kQVErrFileAlreadyOpened);
  EXPECT_FALSE(file.CanWrite());
  ::close(other);
}

// ---------------------------------------------------------------- life cycle

TEST_F(FileTest, RegularFileIsCreatedTruncatedAndKeepsItsName) {
  std::string path = PathOf("doc.qv");
  WriteBytes(path, Bytes(50, 1));
  QVFile file{QVFilePath(path.c_str())};
  EXPECT_EQ(file.FileName(), QVString("doc.qv"));
  EXPECT_FALSE(file.IsTemporary());
  ASSERT_EQ(file.CreateForReadWrite(), 0);
  EXPECT_TRUE(file.CanWrite());
  QVFileWriteUInt8(file, 2);
  file.Close();
  EXPECT_FALSE(file.IsOpened());
  EXPECT_EQ(ReadBytes(path), (Bytes{2}));
  // Closing a regular file keeps it and its path.
  EXPECT_EQ(file.FilePath(), QVFilePath(path.c_str()));

  EXPECT_EQ(file.OpenForReadWrite(), 0);
  QVFileWriteUInt8(file, 3);
  EXPECT_TRUE(file.Remove());
  EXPECT_FALSE(file.IsOpened());
  EXPECT_FALSE(QVFileUtils::FileExists(QVFilePath(path.c_str())));
  EXPECT_FALSE(file.Remove());
}

TEST_F(FileTest, TemporaryFileIsPrivateAndDeletedOnClose) {
  QVFile file{QVFilePath(PathOf("ignored").c_str()), QVFile::kTemporary};
  EXPECT_TRUE(file.IsTemporary());
  EXPECT_TRUE(file.FilePath().IsEmpty());
  ASSERT_EQ(file.CreateForReadWrite(), 0);
  std::string path = file.FilePath().c_str();
  EXPECT_EQ(path.rfind(TemporaryDir().Dir() + "/tmp_", 0), 0u) << path;
  EXPECT_EQ(file.FileName(), file.FilePath().FileName());
  struct stat st;
  ASSERT_EQ(::lstat(path.c_str(), &st), 0);
  EXPECT_TRUE(S_ISREG(st.st_mode));
  EXPECT_EQ(st.st_mode & 0777, 0600u);

  file.Close();
  EXPECT_NE(::lstat(path.c_str(), &st), 0);
  EXPECT_TRUE(file.FilePath().IsEmpty());
  EXPECT_TRUE(file.FileName().IsEmpty());

  // Created again: a fresh file; Remove deletes it and empties the path too.
  ASSERT_EQ(file.CreateForReadWrite(), 0);
  path = file.FilePath().c_str();
  EXPECT_TRUE(file.Remove());
  EXPECT_NE(::lstat(path.c_str(), &st), 0);
  EXPECT_TRUE(file.FilePath().IsEmpty());
}

// The next name the kit will propose in the temporary directory.
std::string NextTemporaryName() {
  QVFilePath probe = QVFileUtils::GetTemporaryFilePath();
  long counter = std::strtol(probe.FileName().c_str() + 4, nullptr, 10);
  char next[64];
  std::snprintf(next, sizeof next, "tmp_%04ld", counter + 1);
  return TemporaryDir().Path(next);
}

TEST_F(FileTest, TemporaryFileNeverFollowsAPlantedLink) {
  std::string victim = mDir.Path("victim");
  std::string planted = NextTemporaryName();
  // A dangling link is no regular file, so the kit proposes its name.
  ASSERT_EQ(::symlink(victim.c_str(), planted.c_str()), 0);

  QVFile file(QVFile::kTemporary);
  ASSERT_EQ(file.CreateForReadWrite(), 0);
  EXPECT_NE(std::string(file.FilePath().c_str()), planted);
  QVFileWriteUInt32(file, 0xFEEDFACE);
  struct stat st;
  EXPECT_NE(::lstat(victim.c_str(), &st), 0) << "the link was followed";
  ASSERT_EQ(::lstat(planted.c_str(), &st), 0);
  EXPECT_TRUE(S_ISLNK(st.st_mode));
  ::unlink(planted.c_str());
}

TEST_F(FileTest, DestructorClosesAndDeletesTemporaryFile) {
  std::string path;
  {
    QVFile file(QVFile::kTemporary);
    ASSERT_EQ(file.CreateForReadWrite(), 0);
    path = file.FilePath().c_str();
  }
  struct stat st;
  EXPECT_NE(::lstat(path.c_str(), &st), 0);
}

// ---------------------------------------------------------------- whole content

TEST_F(FileTest, SavedContentOverwritesFromTheStartWithoutTruncating) {
  std::string path = PathOf("content.txt");
  WriteBytes(path, Bytes{'x', 'y', 'z', '1', '2', '3'});
  QVFile file{QVFilePath(path.c_str())};
  ASSERT_EQ(file.OpenForReadWrite(), 0);
  EXPECT_EQ(file.SetPos(4), 0);
  EXPECT_EQ(QVFileSaveContentOfString(file, QVString("ab\0c", 4)), 0);
  QVString back("junk");
  EXPECT_EQ(QVFileLoadContentToString(file, back), 0);
  EXPECT_EQ(back, QVString("ab\0c23", 6));
  file.Close();

  EXPECT_EQ(QVFileSaveContentOfString(QVFilePath(path.c_str()), QVString("new")), 0);
  EXPECT_EQ(QVFileLoadContentToString(QVFilePath(path.c_str()), back), 0);
  EXPECT_EQ(back, QVString("new"));
}

TEST_F(FileTest, LoadingMissingContentEmptiesTheString) {
  QVString text("left over");
  LogCapture log;
  EXPECT_EQ(QVFileLoadContentToString(QVFilePath(PathOf("missing").c_str()), text),
            kQVErrFileOpen);
  EXPECT_TRUE(text.IsEmpty());
}

}  // namespace
