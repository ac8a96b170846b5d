#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "kit/QVString.h"
#include "kit/QVTextEncoding_p.h"

namespace {

QVString AllHighBytes() {
  QVString s;
  for (int b = 0x80; b < 0x100; b++) s.AppendChar(static_cast<char>(b));
  return s;
}

QVString ToUTF8(const char* native) {
  return QVString(native).ConvertWithEncoding(kQVStringEncodingNative, kQVStringEncodingUTF8);
}

TEST(QVTextEncodingNative, AppleTableDiffersFromGlibcAtTwoBytes) {
  // The Apple logo and the increment sign, where glibc's MACINTOSH has
  // U+E01E and U+0394.
  EXPECT_EQ(QVTextNativeToUnicode(0xF0), 0xF8FF);
  EXPECT_EQ(QVTextNativeToUnicode(0xC6), 0x2206);
  EXPECT_EQ(ToUTF8("\xF0").Std(), "\xEF\xA3\xBF");
  EXPECT_EQ(ToUTF8("\xC6").Std(), "\xE2\x88\x86");
  EXPECT_EQ(QVTextUnicodeToNative(0x0394), -1);
  EXPECT_EQ(QVTextUnicodeToNative(0xE01E), -1);
}

TEST(QVTextEncodingNative, SampleCharactersOfTheUpperHalf) {
  struct Case {
    uint8_t byte;
    uint16_t code;
  };
  const Case cases[] = {{0x80, 0x00C4}, {0x8E, 0x00E9}, {0xA5, 0x2022}, {0xCA, 0x00A0},
                        {0xDB, 0x20AC}, {0xDE, 0xFB01}, {0xF5, 0x0131}, {0xFF, 0x02C7}};
  for (const Case& c : cases) {
    EXPECT_EQ(QVTextNativeToUnicode(c.byte), c.code) << int(c.byte);
    EXPECT_EQ(QVTextUnicodeToNative(c.code), c.byte) << int(c.byte);
  }
  for (uint32_t b = 0; b < 0x80; b++) EXPECT_EQ(QVTextNativeToUnicode(uint8_t(b)), b);
}

TEST(QVTextEncodingNative, ReverseLookupInvertsTheTable) {
  for (int b = 0; b < 256; b++) {
    EXPECT_EQ(QVTextUnicodeToNative(QVTextNativeToUnicode(uint8_t(b))), b);
  }
  EXPECT_EQ(QVTextUnicodeToNative(0x1F600), -1);
  EXPECT_EQ(QVTextUnicodeToNative(0x00FE), -1);  // thorn is not in Mac OS Roman
}

TEST(QVTextEncodingChange, EveryNativeByteSurvivesUTF8AndBack) {
  QVString s = AllHighBytes();
  QVString utf8 = s.ConvertWithEncoding(kQVStringEncodingNative, kQVStringEncodingUTF8);
  EXPECT_GT(utf8.Length(), s.Length());
  EXPECT_EQ(utf8.ConvertWithEncoding(kQVStringEncodingUTF8, kQVStringEncodingNative), s);
}

TEST(QVTextEncodingChange, EveryWindowsByteSurvivesUTF8AndBack) {
  QVString s = AllHighBytes();
  QVString utf8 = s.ConvertWithEncoding(kQVStringEncodingLatin1, kQVStringEncodingUTF8);
  EXPECT_EQ(utf8.ConvertWithEncoding(kQVStringEncodingUTF8, kQVStringEncodingLatin1), s);
  // The undefined bytes stand for C1 controls.
  EXPECT_EQ(QVString("\x81\x9D").ConvertWithEncoding(kQVStringEncodingLatin1, kQVStringEncodingUTF8)
                .Std(),
            "\xC2\x81\xC2\x9D");
}

TEST(QVTextEncodingChange, WindowsLatin1ToNative) {
  // Euro, e-acute, a-ring and the dagger sit at different bytes; the
  // Icelandic thorn has no native byte.
  QVString s("\x80\xE9\xE5\x86\xFE");
  s.ChangeEncoding(kQVStringEncodingLatin1, kQVStringEncodingNative);
  EXPECT_EQ(s.Std(), "\xDB\x8E\x8C\xA0?");
  s.ChangeEncoding(kQVStringEncodingNative, kQVStringEncodingLatin1);
  EXPECT_EQ(s.Std(), "\x80\xE9\xE5\x86?");
}

TEST(QVTextEncodingChange, UnencodableCharactersBecomeQuestionMarks) {
  QVString s("a\xE4\xB8\xAD" "b\xF0\x9F\x98\x80" "c");  // a, U+4E2D, b, U+1F600, c
  s.ChangeEncoding(kQVStringEncodingUTF8, kQVStringEncodingNative);
  EXPECT_EQ(s.Std(), "a?b?c");
  QVString w("\xE2\x88\x86");  // U+2206: native 0xC6, not in code page 1252
  w.ChangeEncoding(kQVStringEncodingUTF8, kQVStringEncodingLatin1);
  EXPECT_EQ(w.Std(), "?");
}

TEST(QVTextEncodingChange, InvalidUTF8EmptiesTheString) {
  const char* invalid[] = {
      "ab\x80",              // continuation without lead
      "\xC3",                // truncated pair
      "\xE2\x82",            // truncated triple
      "\xC0\xAF",            // overlong "/"
      "\xE0\x80\xAF",        // overlong, three bytes
      "\xF0\x80\x80\xAF",    // overlong, four bytes
      "\xED\xA0\x80",        // surrogate U+D800
      "\xF4\x90\x80\x80",    // above U+10FFFF
      "\xF8\x88\x80\x80\x80",  // five-byte form
      "\xC3\x28",            // lead followed by ASCII
      "ok\xFF",
  };
  for (const char* text : invalid) {
    QVString s(text);
    s.ChangeEncoding(kQVStringEncodingUTF8, kQVStringEncodingNative);
    EXPECT_TRUE(s.IsEmpty()) << text;
  }
  // Boundary characters that are valid.
  QVString edge("\xC2\x80\xEF\xBF\xBF\xF4\x8F\xBF\xBF\xED\x9F\xBF");
  edge.ChangeEncoding(kQVStringEncodingUTF8, kQVStringEncodingNative);
  EXPECT_EQ(edge.Std(), "????");
}

TEST(QVTextEncodingChange, SameOrUnknownEncodingsChangeNothing) {
  QVString bad("\xC3");  // invalid UTF-8, but never decoded
  bad.ChangeEncoding(kQVStringEncodingUTF8, kQVStringEncodingUTF8);
  EXPECT_EQ(bad.Std(), "\xC3");
  QVString s("\x8E");
  s.ChangeEncoding(static_cast<QVStringEncoding>(1), kQVStringEncodingNative);
  EXPECT_EQ(s.Std(), "\x8E");
  s.ChangeEncoding(static_cast<QVStringEncoding>(77), kQVStringEncodingUTF8);
  EXPECT_EQ(s.Std(), "\xC3\xA9");
  QVString ascii("plain text");
  ascii.ChangeEncoding(kQVStringEncodingUTF8, kQVStringEncodingLatin1);
  EXPECT_EQ(ascii.Std(), "plain text");
}

TEST(QVTextEncodingChange, NulBytesAndLongTextsPassThrough) {
  QVString s("\x8E\0\x8E", 3);
  s.ChangeEncoding(kQVStringEncodingNative, kQVStringEncodingUTF8);
  EXPECT_EQ(s.Std(), std::string("\xC3\xA9\0\xC3\xA9", 5));
  // Longer than any internal piece.
  QVString big;
  for (int i = 0; i < 1000; i++) big.Append("\xA5z");
  QVString round = big.ConvertWithEncoding(kQVStringEncodingNative, kQVStringEncodingUTF8)
                       .ConvertWithEncoding(kQVStringEncodingUTF8, kQVStringEncodingNative);
  EXPECT_EQ(round, big);
}

// Native text and UTF-8 convert directly, without code points in between:
// the result must be what the route through code points gives.
TEST(QVTextEncodingDirect, NativeAndUTF8ConvertAsThroughCodePoints) {
  std::string every;
  for (int b = 0; b < 256; b++) every += static_cast<char>(b);
  std::u32string points;
  ASSERT_TRUE(QVTextDecode(kQVStringEncodingNative, every.data(), every.size(), points));
  std::string utf8;
  QVTextEncode(kQVStringEncodingUTF8, points, utf8);
  ASSERT_EQ(QVTextNativeToUTF8Length(every.data(), every.size()), utf8.size());
  std::string direct(utf8.size(), '\0');
  EXPECT_EQ(QVTextNativeToUTF8(every.data(), every.size(), &direct[0]), utf8.size());
  EXPECT_EQ(direct, utf8);

  const std::string texts[] = {
      utf8,                                  // every native character
      "",                                    // nothing
      "plain",                               // ASCII only
      "a\xE4\xB8\xAD" "b\xF0\x9F\x98\x80",  // no native byte: U+4E2D, U+1F600
      "\xC3\xBE\xCE\x94\xEE\x80\x9E",       // thorn, delta, U+E01E: none either
      "\xC2\x80\xEF\xBF\xBF\xF4\x8F\xBF\xBF",  // boundaries of each length
      "ab\x80", "\xC3", "\xE2\x82", "\xC0\xAF", "\xE0\x80\xAF", "\xED\xA0\x80",
      "\xF4\x90\x80\x80", "\xC3\x28", "ok\xFF",  // not UTF-8
  };
  for (const std::string& text : texts) {
    std::u32string decoded;
    std::string want;
    bool valid = QVTextDecode(kQVStringEncodingUTF8, text.data(), text.size(), decoded);
    if (valid) QVTextEncode(kQVStringEncodingNative, decoded, want);
    std::string got = text;
    size_t n = got.size();
    EXPECT_EQ(QVTextUTF8ToNativeInPlace(&got[0], n), valid) << text;
    if (valid) {
      EXPECT_EQ(got.substr(0, n), want) << text;
    }
  }
}

// ASCII is converted eight bytes at a time: other characters and damaged
// bytes must be found wherever they stand against those words, and the
// text converted into another buffer as in place.
TEST(QVTextEncodingDirect, OtherCharactersAnywhereAmongWordsOfASCII) {
  auto viaCodePoints = [](QVStringEncoding from, QVStringEncoding to, const std::string& text,
                          std::string& out) {
    std::u32string points;
    out.clear();
    if (!QVTextDecode(from, text.data(), text.size(), points)) return false;
    QVTextEncode(to, points, out);
    return true;
  };
  for (size_t before : {0u, 1u, 7u, 8u, 9u, 15u, 16u, 17u}) {
    for (size_t after : {0u, 1u, 7u, 8u, 9u, 16u}) {
      const std::string native =
          std::string(before, 'a') + "\x8E" + std::string(after, 'b') + "\xA5\xDB";
      SCOPED_TRACE(testing::Message() << before << " " << after);
      std::string utf8;
      ASSERT_TRUE(viaCodePoints(kQVStringEncodingNative, kQVStringEncodingUTF8, native, utf8));
      ASSERT_EQ(QVTextNativeToUTF8Length(native.data(), native.size()), utf8.size());
      std::string direct(utf8.size(), '\0');
      EXPECT_EQ(QVTextNativeToUTF8(native.data(), native.size(), &direct[0]), utf8.size());
      EXPECT_EQ(direct, utf8);

      std::string elsewhere(utf8.size(), '#');
      size_t length = 0;
      ASSERT_TRUE(QVTextUTF8ToNative(utf8.data(), utf8.size(), &elsewhere[0], length));
      EXPECT_EQ(elsewhere.substr(0, length), native);
      std::string inPlace = utf8;
      size_t n = inPlace.size();
      ASSERT_TRUE(QVTextUTF8ToNativeInPlace(&inPlace[0], n));
      EXPECT_EQ(inPlace.substr(0, n), native);

      // The first character cut short, then a lone continuation byte after
      // the ASCII: both are no UTF-8, and length stays as it was.
      for (std::string damaged :
           {std::string(before, 'a') + "\xC3" + std::string(after, 'b'),
            std::string(before, 'a') + "\xA9" + std::string(after, 'b')}) {
        length = 77;
        EXPECT_FALSE(QVTextUTF8ToNative(damaged.data(), damaged.size(), &elsewhere[0], length));
        EXPECT_EQ(length, 77u);
        n = damaged.size();
        EXPECT_FALSE(QVTextUTF8ToNativeInPlace(&damaged[0], n));
      }
    }
  }
}

// Texts are read and stored in words of up to eight bytes: a text of any
// length, with an upper character anywhere or none, converts without a byte
// read or stored outside its buffers (each exactly as long as its content,
// so that the address sanitizer sees the first byte past it).
TEST(QVTextEncodingDirect, ConversionsStayInsideBuffersOfExactLength) {
  for (size_t length = 0; length <= 20; ++length) {
    for (size_t upper = 0; upper <= length; ++upper) {
      for (char letter : {'\x8E', '\xA5'}) {  // two and three UTF-8 bytes
        std::string native(length, 'q');
        if (upper < length) native[upper] = letter;
        SCOPED_TRACE(testing::Message() << length << " " << upper << " " << int(letter));
        std::u32string points;
        ASSERT_TRUE(QVTextDecode(kQVStringEncodingNative, native.data(), native.size(), points));
        std::string want;
        QVTextEncode(kQVStringEncodingUTF8, points, want);

        const std::vector<char> in(native.begin(), native.end());
        ASSERT_EQ(QVTextNativeToUTF8Length(in.data(), in.size()), want.size());
        std::vector<char> utf8(want.size());
        ASSERT_EQ(QVTextNativeToUTF8(in.data(), in.size(), utf8.data()), want.size());
        EXPECT_EQ(std::string(utf8.begin(), utf8.end()), want);

        std::vector<char> back(utf8.size());
        size_t n = 0;
        ASSERT_TRUE(QVTextUTF8ToNative(utf8.data(), utf8.size(), back.data(), n));
        EXPECT_EQ(std::string(back.data(), n), native);
        n = utf8.size();
        ASSERT_TRUE(QVTextUTF8ToNativeInPlace(utf8.data(), n));
        EXPECT_EQ(std::string(utf8.data(), n), native);
      }
    }
  }
}

TEST(QVTextEncodingCodec, DecodeAppendsAndEncodeOfNonCharacters) {
  std::u32string text = U"x";
  ASSERT_TRUE(QVTextDecode(kQVStringEncodingUTF8, "\xF0\x9F\x98\x80", 4, text));
  EXPECT_EQ(text, U"x\U0001F600");
  EXPECT_TRUE(QVTextDecode(kQVStringEncodingUTF8, nullptr, 0, text));
  std::string out;
  QVTextEncode(kQVStringEncodingUTF8, std::u32string{0xD800, 0x110000, 'a'}, out);
  EXPECT_EQ(out, "??a");
}

}  // namespace
