// File forms of strings, paths and UTF-16 arrays.
#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <new>
#include <string>
#include <utility>
#include <vector>

#include "kit/QVFile.h"
#include "kit/QVFilePath.h"
#include "kit/QVFileTestUtil.h"
#include "kit/QVString.h"

using qvtest::Bytes;
using qvtest::LogCapture;
using qvtest::ReadBytes;
using qvtest::ScratchDir;
using qvtest::WriteBytes;

// ---- The largest single allocation, to prove that damaged lengths are
// refused before memory is requested for them.
// The replacements pair malloc with free, which GCC cannot see through
// operator new and flags.
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
namespace {
size_t gLargestAllocation = 0;
}

void* operator new(size_t n) {
  if (n > gLargestAllocation) gLargestAllocation = n;
  if (void* p = std::malloc(n ? n : 1)) return p;
  throw std::bad_alloc();
}
void* operator new[](size_t n) { return operator new(n); }
void* operator new(size_t n, const std::nothrow_t&) noexcept {
  if (n > gLargestAllocation) gLargestAllocation = n;
  return std::malloc(n ? n : 1);
}
void* operator new[](size_t n, const std::nothrow_t& t) noexcept { return operator new(n, t); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, size_t) noexcept { std::free(p); }
void operator delete[](void* p, size_t) noexcept { std::free(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { std::free(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { std::free(p); }

namespace {

class StringFileTest : public ::testing::Test {
 protected:
  Bytes Written(uint32_t order, const std::function<void(QVFile&)>& write) {
    {
      QVFile file{QVFilePath(mPath.c_str())};
      file.SetEndianness(order);
      EXPECT_EQ(file.CreateForReadWrite(), 0);
      write(file);
    }
    return ReadBytes(mPath);
  }

  void Open(const Bytes& bytes, uint32_t order) {
    WriteBytes(mPath, bytes);
    mReader.SetEndianness(order);
    ASSERT_EQ(mReader.OpenForRead(), 0);
  }

  uint64_t ReaderPos() {
    uint64_t pos = 0;
    EXPECT_EQ(mReader.GetPos(pos), 0);
    return pos;
  }

  ScratchDir mDir;
  std::string mPath = mDir.Path("strings.bin");
  QVFile mReader{QVFilePath(mPath.c_str())};
};

Bytes Concat(Bytes a, const std::string& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

// ---------------------------------------------------------------- strings

TEST_F(StringFileTest, StringsArePaddedToFourBytesAndReadBack) {
  struct Case {
    QVString text;
    std::string stored;  // UTF-8 bytes with padding
  };
  const Case cases[] = {
      {QVString(""), ""},
      {QVString("abc"), std::string("abc\0", 4)},
      {QVString("abcd"), "abcd"},
      {QVString("hello"), std::string("hello\0\0\0", 8)},
      // Mac OS Roman 0x8E is U+00E9: two UTF-8 bytes.
      {QVString("caf\x8E"), std::string("caf\xC3\xA9\0\0\0", 8)},
      {QVString("\x8E\x9F\xA5"), std::string("\xC3\xA9\xC3\xBC\xE2\x80\xA2\0", 8)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.stored);
    uint8_t len = static_cast<uint8_t>(c.stored.size());
    for (uint32_t order : {QVFile::kEndianBig, QVFile::kEndianLittle}) {
      Bytes bytes = Written(order, [&](QVFile& f) { EXPECT_EQ(QVFileWriteQVString(f, c.text), 0); });
      Bytes head = order == QVFile::kEndianBig ? Bytes{0, 0, 0, len} : Bytes{len, 0, 0, 0};
      EXPECT_EQ(bytes, Concat(head, c.stored));

      Open(bytes, order);
      QVString back("previous");
      EXPECT_EQ(QVFileReadQVString(mReader, back), 0);
      EXPECT_EQ(back, c.text);
      EXPECT_EQ(ReaderPos(), bytes.size());
      mReader.Close();
    }
  }
}

TEST_F(StringFileTest, StringsAfterPendingBytesHaveTheSameForm) {
  // After a number still in the write buffer the text is converted straight
  // into it: the forms must be those of a string written first, up to the
  // longest made that way (128 characters of three UTF-8 bytes each).
  std::string bullets;
  for (int i = 0; i < 128; ++i) bullets += "\xE2\x80\xA2";
  const std::pair<QVString, std::string> cases[] = {
      {QVString(""), ""},
      {QVString("abc"), std::string("abc\0", 4)},
      {QVString("layer 12345 \x8E"), std::string("layer 12345 \xC3\xA9\0\0", 16)},
      {QVString(std::string(128, '\xA5').c_str()), bullets},
  };
  for (const auto& [text, stored] : cases) {
    SCOPED_TRACE(stored.size());
    Bytes bytes = Written(QVFile::kEndianLittle, [&](QVFile& f) {
      EXPECT_EQ(QVFileWriteUInt32(f, 7), 0);
      EXPECT_EQ(QVFileWriteQVString(f, text), 0);
    });
    const uint32_t len = static_cast<uint32_t>(stored.size());
    EXPECT_EQ(bytes, Concat(Bytes{7, 0, 0, 0, static_cast<uint8_t>(len & 0xFF),
                                  static_cast<uint8_t>(len >> 8), 0, 0},
                            stored));
    Open(bytes, QVFile::kEndianLittle);
    uint32_t number = 0;
    QVString back("previous");
    EXPECT_EQ(QVFileReadUInt32(mReader, number), 0);
    EXPECT_EQ(QVFileReadQVString(mReader, back), 0);
    EXPECT_EQ(back, text);
    mReader.Close();
  }
}

TEST_F(StringFileTest, LongStringsKeepOneFormWhateverTheirLength) {
  // Around and beyond the length written in one piece, with two-byte
  // characters across the pieces' borders.
  for (uint32_t length : {127u, 128u, 129u, 300u}) {
    SCOPED_TRACE(length);
    QVString text;
    std::string utf8;
    for (uint32_t i = 0; i < length; ++i) {
      text.AppendChar(i % 3 ? '\x8E' : 'x');
      utf8 += i % 3 ? "\xC3\xA9" : "x";
    }
    const uint32_t padded = (static_cast<uint32_t>(utf8.size()) + 3) & ~3u;
    utf8.resize(padded, '\0');
    Bytes bytes =
        Written(QVFile::kEndianBig, [&](QVFile& f) { EXPECT_EQ(QVFileWriteQVString(f, text), 0); });
    Bytes head{0, 0, static_cast<uint8_t>(padded >> 8), static_cast<uint8_t>(padded & 0xFF)};
    EXPECT_EQ(bytes, Concat(head, utf8));
    Open(bytes, QVFile::kEndianBig);
    QVString back;
    EXPECT_EQ(QVFileReadQVString(mReader, back), 0);
    EXPECT_EQ(back, text);
    mReader.Close();
  }
}

TEST_F(StringFileTest, StringsReadBackAcrossReadAheadBlocks) {
  // Strings of 0 to 40 characters (every fifth one of two UTF-8 bytes) back
  // to back over several 16 KB read-ahead blocks, from an even and an odd
  // start: texts and lengths straddle the blocks' borders.
  std::vector<QVString> texts;
  for (int i = 0; i < 2000; ++i) {
    QVString text;
    for (int k = 0; k < i % 41; ++k)
      text.AppendChar(k % 5 == 4 ? '\x8E' : static_cast<char>('a' + k % 26));
    texts.push_back(text);
  }
  for (uint32_t order : {QVFile::kEndianBig, QVFile::kEndianLittle}) {
    for (uint8_t lead : {0, 1}) {
      SCOPED_TRACE(testing::Message() << order << " " << int{lead});
      Bytes bytes = Written(order, [&](QVFile& f) {
        if (lead) {
          EXPECT_EQ(QVFileWriteUInt8(f, 0x55), 0);
        }
        for (const QVString& text : texts) EXPECT_EQ(QVFileWriteQVString(f, text), 0);
      });
      ASSERT_GT(bytes.size(), 3u * 16 * 1024);
      Open(bytes, order);
      uint8_t first = 0;
      if (lead) {
        ASSERT_EQ(QVFileReadUInt8(mReader, first), 0);
      }
      QVString back;
      for (size_t i = 0; i < texts.size(); ++i) {
        ASSERT_EQ(QVFileReadQVString(mReader, back), 0) << i;
        ASSERT_EQ(back, texts[i]) << i;
      }
      EXPECT_EQ(ReaderPos(), bytes.size());
      mReader.Close();
    }
  }
}

TEST_F(StringFileTest, ReadingDropsOnlyTrailingZeroBytes) {
  // Zeros are looked for four bytes at a time: runs of them shorter and
  // longer than four, a form of nothing but zeros, and lengths that are no
  // multiple of four (not written so, but read all the same).
  const std::pair<std::string, std::string> cases[] = {
      {std::string("a\0b\0\0\0\0\0", 8), std::string("a\0b", 3)},
      {std::string("abcd", 4), "abcd"},
      {std::string("abc\0", 4), "abc"},
      {std::string("abcdefg\0\0\0\0\0", 12), "abcdefg"},
      {std::string("\0\0\0\0\0\0\0\0", 8), ""},
      {std::string("\0\0\0x", 4), std::string("\0\0\0x", 4)},
      {std::string("ab\0\0\0", 5), "ab"},
      {std::string("\0\0", 2), ""},
  };
  for (const auto& [stored, text] : cases) {
    SCOPED_TRACE(stored.size());
    Open(Concat(Bytes{0, 0, 0, static_cast<uint8_t>(stored.size())}, stored), QVFile::kEndianBig);
    QVString back("previous");
    EXPECT_EQ(QVFileReadQVString(mReader, back), 0);
    EXPECT_EQ(back, QVString(text.data(), static_cast<uint32_t>(text.size())));
    mReader.Close();
  }
}

TEST_F(StringFileTest, OlderFormIsBigEndianLatin1WithoutPadding) {
  // 0xE9 and 0xFC in Windows Latin-1 are Mac OS Roman 0x8E and 0x9F.
  Open(Concat(Bytes{0, 0, 0, 5}, std::string("\xE9t\xFC\0\0\x42", 6)), QVFile::kEndianLittle);
  QVString back;
  EXPECT_EQ(QVFileReadQVString_OFF(mReader, back), 0);
  EXPECT_EQ(back, QVString("\x8Et\x9F\0\0", 5));
  EXPECT_EQ(ReaderPos(), 9u);
}

TEST_F(StringFileTest, MembersUseTheSameForms) {
  QVString text("Pelmar \xA5 UC");
  Bytes viaMember = Written(QVFile::kEndianBig, [&](QVFile& f) { EXPECT_EQ(text.WriteToFile(f), 0); });
  Bytes viaFunction = Written(QVFile::kEndianBig, [&](QVFile& f) { EXPECT_EQ(QVFileWriteQVString(f, text), 0); });
  EXPECT_EQ(viaMember, viaFunction);
  Open(viaMember, QVFile::kEndianBig);
  QVString back;
  EXPECT_EQ(back.ReadFromFile(mReader), 0);
  EXPECT_EQ(back, text);

  mReader.Close();
  Open(Concat(Bytes{0, 0, 0, 2}, "ok"), QVFile::kEndianLittle);
  EXPECT_EQ(back.ReadFromFile_OFF(mReader), 0);
  EXPECT_EQ(back, QVString("ok"));
}

TEST_F(StringFileTest, WriteFailureIsReported) {
  WriteBytes(mPath, Bytes{});
  ASSERT_EQ(mReader.OpenForRead(), 0);
  LogCapture log;
  EXPECT_EQ(QVFileWriteQVString(mReader, QVString("abc")), kQVErrFileWrite);
}

// ---------------------------------------------------------------- damaged input

TEST_F(StringFileTest, DamagedLengthsFailBeforeAnythingIsAllocated) {
  struct Case {
    const char* name;
    Bytes bytes;
    std::function<long(const QVFile&)> read;
  };
  QVString text("kept?");
  QVFilePath path("/kept?");
  QVUniChars units{1, 2, 3};
  const Case cases[] = {
      {"string", {0xFF, 0xFF, 0xFF, 0xF0, 'a', 'b', 'c', 'd'},
       [&](const QVFile& f) { return QVFileReadQVString(f, text); }},
      {"older string", {0xFF, 0xFF, 0xFF, 0xF0, 'a'},
       [&](const QVFile& f) { return QVFileReadQVString_OFF(f, text); }},
      {"path", {0x7F, 0xFF, 0xFF, 0xF0},
       [&](const QVFile& f) { return QVFileReadQVFilePath(f, path); }},
      {"UTF-16 units", {0x7F, 0xFF, 0xFF, 0xFF, 0, 1},
       [&](const QVFile& f) { return QVFileReadQVUniChars(f, units); }},
      {"string one byte short", {0, 0, 0, 8, 'a', 'b', 'c', 'd', 'e', 'f', 'g'},
       [&](const QVFile& f) { return QVFileReadQVString(f, text); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Open(c.bytes, QVFile::kEndianBig);
    LogCapture log;
    gLargestAllocation = 0;
    EXPECT_EQ(c.read(mReader), kQVErrFileRead);
    // The damaged lengths ask for gigabytes; the file's own read-ahead block
    // is far below this bound.
    EXPECT_LT(gLargestAllocation, 1u << 20);
    EXPECT_EQ(log.Get().size(), 1u);
    mReader.Close();
  }
  EXPECT_TRUE(text.IsEmpty());
  EXPECT_TRUE(path.IsEmpty());
  EXPECT_TRUE(units.IsEmpty());
}

// ---------------------------------------------------------------- paths

TEST_F(StringFileTest, PathSlashesAreStoredAsByteOne) {
  QVFilePath path("/usr/a b/f.txt");
  Bytes bytes = Written(QVFile::kEndianBig, [&](QVFile& f) {
    EXPECT_EQ(QVFileWriteQVFilePath(f, path), 0);
  });
  EXPECT_EQ(bytes, Concat(Bytes{0, 0, 0, 16}, std::string("\x01usr\x01" "a b\x01" "f.txt\0\0", 16)));

  Open(bytes, QVFile::kEndianBig);
  QVFilePath back("/old");
  EXPECT_EQ(back.ReadFromFile(mReader), 0);
  EXPECT_EQ(back, path);

  mReader.Close();
  Open(Concat(Bytes{0, 0, 0, 4}, "\x01" "d\x01\xE9"), QVFile::kEndianLittle);
  EXPECT_EQ(QVFileReadQVFilePath_OFF(mReader, back), 0);
  EXPECT_EQ(back, QVFilePath("/d/\x8E"));
}

TEST_F(StringFileTest, PathMemberWritesTheFunctionForm) {
  QVFilePath path("rel/x");
  Bytes viaMember = Written(QVFile::kEndianLittle, [&](QVFile& f) { EXPECT_EQ(path.WriteToFile(f), 0); });
  EXPECT_EQ(viaMember, Concat(Bytes{8, 0, 0, 0}, std::string("rel\x01x\0\0\0", 8)));
  Open(viaMember, QVFile::kEndianLittle);
  QVFilePath back;
  EXPECT_EQ(back.ReadFromFile_OFF(mReader), kQVErrFileRead)
      << "the older form reads a big-endian length";
}

// ---------------------------------------------------------------- UTF-16 arrays

TEST_F(StringFileTest, UnitsTravelInTheChosenOrder) {
  const QVUniChars units{0x0041, 0x00E9, 0xE01D};
  const Bytes big = {0, 0, 0, 3, 0x00, 0x41, 0x00, 0xE9, 0xE0, 0x1D};
  const Bytes little = {3, 0, 0, 0, 0x41, 0x00, 0xE9, 0x00, 0x1D, 0xE0};
  EXPECT_EQ(Written(QVFile::kEndianBig, [&](QVFile& f) { EXPECT_EQ(QVFileWriteQVUniChars(f, units), 0); }), big);
  EXPECT_EQ(Written(QVFile::kEndianBig,
                    [&](QVFile& f) { EXPECT_EQ(QVFileWriteQVUniChars(f, units, QVFile::kEndianLittle), 0); }),
            little);

  Open(little, QVFile::kEndianLittle);
  QVUniChars back{7, 7, 7, 7, 7};
  EXPECT_EQ(QVFileReadQVUniChars(mReader, back), 0);
  EXPECT_EQ(back, units);

  mReader.Close();
  Open(Bytes{0, 0, 0, 0}, QVFile::kEndianBig);
  EXPECT_EQ(QVFileReadQVUniChars(mReader, back), 0);
  EXPECT_TRUE(back.IsEmpty());
}

TEST_F(StringFileTest, TruncatedUnitsEmptyTheArray) {
  Open(Bytes{0, 0, 0, 3, 0, 0x41, 0, 0x42, 0}, QVFile::kEndianBig);
  QVUniChars back{9};
  LogCapture log;
  EXPECT_EQ(QVFileReadQVUniChars(mReader, back), kQVErrFileRead);
  EXPECT_TRUE(back.IsEmpty());
}

}  // namespace
