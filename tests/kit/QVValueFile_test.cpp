// File forms of values, value arrays and dictionaries: exact bytes in both
// byte orders, round trips, unknown types, and damaged input.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "kit/QVDictionary.h"
#include "kit/QVErrors.h"
#include "kit/QVFile.h"
#include "kit/QVFileTestUtil.h"
#include "kit/QVValue.h"

using qvtest::Bytes;
using qvtest::LogCapture;
using qvtest::ReadBytes;
using qvtest::ScratchDir;
using qvtest::WriteBytes;

namespace {

// Builds expected file bytes in one byte order.
class Builder {
 public:
  explicit Builder(uint32_t order) : mOrder(order) {}

  Builder& Tag(const char* tag) { return Raw(std::string(tag, 4)); }
  Builder& U32(uint32_t v) { return Number(v, 4); }
  Builder& U64(uint64_t v) { return Number(v, 8); }
  Builder& Raw(const std::string& bytes) {
    mBytes.insert(mBytes.end(), bytes.begin(), bytes.end());
    return *this;
  }
  // The string file form: length rounded up to 4, bytes, zero padding.
  Builder& Str(const std::string& utf8) {
    uint32_t padded = (static_cast<uint32_t>(utf8.size()) + 3u) & ~3u;
    U32(padded);
    Raw(utf8);
    return Raw(std::string(padded - utf8.size(), '\0'));
  }
  Builder& Append(const Builder& other) {
    return Raw(std::string(other.mBytes.begin(), other.mBytes.end()));
  }
  const Bytes& Get() const { return mBytes; }

 private:
  Builder& Number(uint64_t v, int width) {
    for (int i = 0; i < width; i++) {
      int shift = mOrder == QVFile::kEndianBig ? 8 * (width - 1 - i) : 8 * i;
      mBytes.push_back(static_cast<uint8_t>(v >> shift));
    }
    return *this;
  }

  uint32_t mOrder;
  Bytes mBytes;
};

class ValueFileTest : public ::testing::TestWithParam<uint32_t> {
 protected:
  uint32_t Order() const { return GetParam(); }
  Builder Make() const { return Builder(Order()); }

  Bytes Written(const std::function<long(QVFile&)>& write) {
    {
      QVFile file{QVFilePath(mPath.c_str())};
      file.SetEndianness(Order());
      EXPECT_EQ(file.CreateForReadWrite(), 0);
      EXPECT_EQ(write(file), 0);
    }
    return ReadBytes(mPath);
  }

  // Opens a file holding bytes for reading in this test's byte order.
  QVFile& Reader(const Bytes& bytes) {
    WriteBytes(mPath, bytes);
    mReader.Close();
    mReader.SetEndianness(Order());
    EXPECT_EQ(mReader.OpenForRead(), 0);
    return mReader;
  }

  QVValue RoundTrip(const QVValue& value) {
    Written([&](QVFile& f) { return value.WriteToFile(f); });
    QVValue back;
    QVFile& file = Reader(ReadBytes(mPath));
    EXPECT_EQ(back.ReadFromFile(file), 0);
    EXPECT_TRUE(file.IsEndOfFile());
    return back;
  }

  ScratchDir mDir;
  std::string mPath = mDir.Path("values.bin");
  QVFile mReader{QVFilePath(mPath.c_str())};
};

INSTANTIATE_TEST_SUITE_P(ByteOrders, ValueFileTest,
                         ::testing::Values(QVFile::kEndianBig, QVFile::kEndianLittle),
                         [](const ::testing::TestParamInfo<uint32_t>& info) {
                           return info.param == QVFile::kEndianBig ? "Big" : "Little";
                         });

QVValue Nested(uint32_t levels) {
  QVValue value;
  value.SetasInteger(7);
  for (uint32_t i = 0; i < levels; i++) {
    QVValueArray array(1);
    array[0] = std::move(value);
    value.SetasQVValueArray(std::move(array));
  }
  return value;
}

// levels nested one-element arrays around an empty array, as stored bytes.
Bytes NestedArrayBytes(uint32_t order, uint32_t levels) {
  Builder b(order);
  for (uint32_t i = 0; i < levels; i++) {
    b.Tag("arry").U32(12 * (levels - i) - 8).U32(i + 1 < levels ? 1 : 0);
  }
  return b.Get();
}

TEST_P(ValueFileTest, EachTypeIsWrittenAsItsChunkBytes) {
  const uint8_t block[5] = {1, 2, 3, 4, 5};
  QVValueArray array(2);
  array[0].SetasInteger(1);
  QVDictionary dict;
  EXPECT_EQ(dict.SetValue("b", QVValueSetasBool(true)), 0);
  EXPECT_EQ(dict.SetValue("a", QVValueSetasSInt64(1)), 0);

  struct Case {
    const char* name;
    QVValue value;
    Builder expected;
  };
  const Case cases[] = {
      {"empty", QVValue(), Make().U32(0).U32(0)},
      {"bool", QVValueSetasBool(true), Make().Tag("bool").U32(4).U32(1)},
      {"intg", QVValueSetasSInt64(0x0102030405060708),
       Make().Tag("intg").U32(8).U64(0x0102030405060708)},
      {"real", QVValueSetasFloat64(1.5), Make().Tag("real").U32(8).U64(0x3FF8000000000000)},
      // Native (Mac OS Roman) 0x8E is stored as UTF-8 C3 A9.
      {"strg", QVValueSetasQVString("caf\x8E"), Make().Tag("strg").Str("caf\xC3\xA9")},
      {"strg exact", QVValueSetasQVString("abcd"), Make().Tag("strg").Str("abcd")},
      {"strg empty", QVValueSetasQVString(""), Make().Tag("strg").U32(0)},
      {"bina empty", QVValueSetasBinary(nullptr, 0), Make().Tag("bina").U32(4).U32(0)},
      {"arry empty", QVValueSetasQVValueArray(QVValueArray()), Make().Tag("arry").U32(4).U32(0)},
      {"dict empty", QVValueSetasQVDictionary(QVDictionary()), Make().Tag("dict").U32(4).U32(0)},
      {"bina", QVValueSetasBinary(block, 5),
       Make().Tag("bina").U32(12).U32(5).Raw(std::string("\1\2\3\4\5\0\0\0", 8))},
      {"arry", QVValueSetasQVValueArray(array),
       Make().Tag("arry").U32(28).U32(2).Tag("intg").U32(8).U64(1).U32(0).U32(0)},
      {"dict", QVValueSetasQVDictionary(dict),
       Make()
           .Tag("dict")
           .U32(48)
           .U32(2)
           .Str("a")
           .Tag("intg")
           .U32(8)
           .U64(1)
           .Str("b")
           .Tag("bool")
           .U32(4)
           .U32(1)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(Written([&](QVFile& f) { return c.value.WriteToFile(f); }), c.expected.Get());
    EXPECT_TRUE(RoundTrip(c.value).IsEqual(c.value));
  }
}

TEST_P(ValueFileTest, NestedValuesReadBackEqualAndInSequence) {
  QVDictionary style;
  EXPECT_EQ(style.SetValue("pen.width", QVValueSetasFloat64(2.5)), 0);
  EXPECT_EQ(style.SetValue("pen.color", QVValueSetasAGColor(0x102030FF)), 0);
  EXPECT_EQ(style.SetValue("name", QVValueSetasQVString("odd length")), 0);
  EXPECT_EQ(style.SetValue("points", QVValueSetasAGPointArray(AGPointArray{{1, 2}, {3, -4}})), 0);
  const uint8_t bytes[3] = {0, 0xFF, 7};
  EXPECT_EQ(style.SetValue("blob", QVValueSetasBinary(bytes, 3)), 0);
  EXPECT_EQ(style.SetValue("none", QVValue()), 0);
  QVValue value = QVValueSetasQVDictionary(style);

  EXPECT_TRUE(RoundTrip(value).IsEqual(value));

  // Two values in a row: each read stops at its own chunk's end.
  Written([&](QVFile& f) {
    long err = style.WriteToFile(f);
    return err ? err : QVValueSetasSInt32(-5).WriteToFile(f);
  });
  QVFile& file = Reader(ReadBytes(mPath));
  QVDictionary back;
  QVValue next;
  ASSERT_EQ(back.ReadFromFile(file), 0);
  ASSERT_EQ(next.ReadFromFile(file), 0);
  EXPECT_TRUE(back.IsEqual(style));
  EXPECT_EQ(QVValueGetasSInt32(next, false), -5);
}

TEST_P(ValueFileTest, UnknownTypesAreSkippedNotRefused) {
  Builder unknown = Make().Tag("zzzz").U32(6).Raw("123456");
  Builder b = Make().Tag("dict").U32(4 + 8 + 14 + 8 + 16).U32(2);
  b.Str("a").Append(unknown).Str("b").Tag("intg").U32(8).U64(7);
  QVDictionary dict;
  ASSERT_EQ(dict.ReadFromFile(Reader(b.Get())), 0);
  EXPECT_EQ(dict.Count(), 2u);
  EXPECT_TRUE(dict.ContainsKey("a"));
  EXPECT_TRUE(dict.GetValue("a").IsEmpty());
  EXPECT_EQ(QVValueGetasSInt64(dict.GetValue("b"), false), 7);

  // At the top level too: the reader lands after the unknown chunk.
  Builder top = Make().Append(unknown).Tag("bool").U32(4).U32(1);
  QVFile& file = Reader(top.Get());
  QVValue value = QVValueSetasQVString("old");
  EXPECT_EQ(value.ReadFromFile(file), 0);
  EXPECT_TRUE(value.IsEmpty());
  EXPECT_EQ(value.ReadFromFile(file), 0);
  EXPECT_TRUE(QVValueGetasBool(value, false));
}

TEST_P(ValueFileTest, RepeatedKeysKeepTheLastValueAndFileOrderDoesNotMatter) {
  Builder b = Make().Tag("dict").U32(4 + 3 * 24).U32(3);
  b.Str("k").Tag("intg").U32(8).U64(1);
  b.Str("a").Tag("intg").U32(8).U64(3);
  b.Str("k").Tag("intg").U32(8).U64(2);
  QVDictionary dict;
  ASSERT_EQ(dict.ReadFromFile(Reader(b.Get())), 0);
  QVString key;
  ASSERT_EQ(dict.Count(), 2u);
  EXPECT_TRUE(dict.GetKeyAndValueByIndex(0, &key, nullptr));
  EXPECT_EQ(key, "a");
  EXPECT_EQ(QVValueGetasSInt64(dict.GetValue("k"), false), 2);
}

TEST_P(ValueFileTest, WrongContainerHeaderIsRefusedAndSkipMovesPastADictionary) {
  LogCapture log;
  Bytes arrayBytes = Make().Tag("arry").U32(4).U32(0).Get();
  QVDictionary dict;
  EXPECT_EQ(dict.SetValue("x", QVValueSetasBool(false)), 0);
  EXPECT_EQ(dict.ReadFromFile(Reader(arrayBytes)), kQVErrBadChunk);
  EXPECT_TRUE(dict.IsEmpty());

  QVValueArray array(3);
  EXPECT_EQ(array.ReadFromFile(Reader(Make().Tag("dict").U32(4).U32(0).Get())), kQVErrBadChunk);
  EXPECT_TRUE(array.empty());

  Builder b = Make().Tag("dict").U32(20).U32(1).Str("a").U32(0).U32(0);
  b.Tag("intg").U32(8).U64(9);
  QVFile& file = Reader(b.Get());
  ASSERT_EQ(QVDictionary::SkipFromFile(file), 0);
  QVValue next;
  ASSERT_EQ(next.ReadFromFile(file), 0);
  EXPECT_EQ(QVValueGetasSInt64(next, false), 9);
}

// Each damaged file must fail as a read error, leave the target empty and
// allocate nothing for the damaged count (a 4-billion count would abort).
TEST_P(ValueFileTest, DamagedInputFailsAsAReadErrorAndLeavesTheTargetEmpty) {
  LogCapture log;
  struct Case {
    const char* name;
    Builder bytes;
  };
  const Case cases[] = {
      {"huge array count", Make().Tag("arry").U32(4).U32(0xFFFFFFFF)},
      {"huge dictionary count", Make().Tag("dict").U32(8).U32(0x7FFFFFFF).U32(0)},
      {"block length beyond chunk", Make().Tag("bina").U32(8).U32(0xFFFFFFF0).U32(0)},
      {"truncated integer", Make().Tag("intg").U32(8).Raw("abc")},
      {"string beyond file", Make().Tag("strg").U32(400).Raw("abcd")},
      {"chunk size beyond file", Make().Tag("zzzz").U32(0x7FFFFFFF).U32(0)},
      {"element beyond its array",
       Make().Tag("arry").U32(20).U32(1).Tag("intg").U32(16).U64(1).U64(2)},
      {"key beyond its dictionary",
       Make().Tag("dict").U32(16).U32(1).U32(0x7FFFFFF0).U32(0).U32(0)},
      {"boolean without payload", Make().Tag("bool").U32(0).Tag("intg").U32(8).U64(1)},
      {"missing header", Make().Raw("dic")},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    QVValue value = QVValueSetasQVString("previous");
    EXPECT_EQ(value.ReadFromFile(Reader(c.bytes.Get())), kQVErrFileRead);
    EXPECT_TRUE(value.IsEmpty());
  }

  QVValueArray array(2);
  EXPECT_EQ(array.ReadFromFile(Reader(cases[0].bytes.Get())), kQVErrFileRead);
  EXPECT_TRUE(array.empty());
  QVDictionary dict;
  EXPECT_EQ(dict.SetValue("keep", QVValueSetasBool(true)), 0);
  EXPECT_EQ(dict.ReadFromFile(Reader(cases[7].bytes.Get())), kQVErrFileRead);
  EXPECT_TRUE(dict.IsEmpty());
  EXPECT_NE(log.All().find("-977"), std::string::npos);
}

// A file that is not open fails at its first read as not opened (-980); one
// whose size can't be had, as such (-972). The target is left empty.
TEST_P(ValueFileTest, AFileNotOpenFailsWithTheFilesOwnStatus) {
  LogCapture log;
  WriteBytes(mPath, Make().Tag("intg").U32(8).U64(1).Get());
  QVFile closed{QVFilePath(mPath.c_str())};
  QVFile missing{QVFilePath(mDir.Path("missing").c_str())};
  for (QVFile* file : {&closed, &missing}) {
    const long expected = file == &closed ? kQVErrFileNotOpened : kQVErrFileGetSize;
    QVValue value = QVValueSetasBool(true);
    EXPECT_EQ(value.ReadFromFile(*file), expected);
    EXPECT_TRUE(value.IsEmpty());
    QVValueArray array(1);
    EXPECT_EQ(array.ReadFromFile(*file), expected);
    EXPECT_TRUE(array.empty());
    QVDictionary dict;
    ASSERT_EQ(dict.SetValue("keep", QVValueSetasBool(true)), 0);
    EXPECT_EQ(dict.ReadFromFile(*file), expected);
    EXPECT_TRUE(dict.IsEmpty());
    EXPECT_EQ(QVDictionary::SkipFromFile(*file), expected);
  }
}

TEST_P(ValueFileTest, NestingIsLimitedWhenWritingAndReading) {
  QVValue deepest = Nested(kQVValueMaxNesting);
  EXPECT_TRUE(RoundTrip(deepest).IsEqual(deepest));

  LogCapture log;
  QVValue tooDeep = Nested(kQVValueMaxNesting + 1);
  {
    QVFile file{QVFilePath(mPath.c_str())};
    ASSERT_EQ(file.CreateForReadWrite(), 0);
    EXPECT_EQ(tooDeep.WriteToFile(file), kQVErrFileWrite);
    EXPECT_EQ(tooDeep.GetasQVValueArray()->WriteToFile(file), kQVErrFileWrite);
    uint64_t size = 1;
    EXPECT_EQ(file.GetFileSize(size), 0);
    EXPECT_EQ(size, 0u);  // refused before anything is written
  }

  QVValue value;
  EXPECT_EQ(value.ReadFromFile(Reader(NestedArrayBytes(Order(), kQVValueMaxNesting))), 0);
  EXPECT_EQ(value.ReadFromFile(Reader(NestedArrayBytes(Order(), kQVValueMaxNesting + 1))),
            kQVErrFileRead);
  EXPECT_TRUE(value.IsEmpty());
  // Far deeper than any stack would bear if the reader recursed blindly.
  QVValueArray array;
  EXPECT_EQ(array.ReadFromFile(Reader(NestedArrayBytes(Order(), 200000))), kQVErrFileRead);
  EXPECT_TRUE(array.empty());
}

}  // namespace
