#include "graphics/AGFont.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "graphics/AGTestFonts.h"
#include "graphics/platform/AGFontPlatform_p.h"
#include "kit/QVErrors.h"

namespace {

bool InNameList(const QVString& name) {
  for (const QVString& n : AGFont::GetFontNameList()) {
    if (n == name) return true;
  }
  return false;
}

// Advance of one character in points, through the platform font.
double AdvanceOf(const AGFont& font, uint16_t unit) {
  const AGNativeFont* native = font.NativeFont();
  return native ? native->GetAdvance(native->GetGlyph(unit)).width : -1.0;
}

// ---------------------------------------------------------------------------
// Finding a family

TEST(AGFontLookup, OnlyAFamilyNameEqualByteForByteMakesAValidFont) {
  struct Case {
    QVString name;
    bool valid;
  };
  const Case cases[] = {
      {"DejaVu Sans", true},
      {"DejaVu Sans Mono", true},
      {"DejaVu Serif", true},
      // The second family name of the condensed faces.
      {"DejaVu Sans Condensed", true},
      // fontconfig answers these with DejaVu Sans.
      {"Lucida Grande", false},
      {"Helvetica", false},
      {"sans-serif", false},
      // It also ignores case and blanks.
      {"dejavu sans", false},
      {"DEJAVU SANS", false},
      {"DejaVuSans", false},
      {"DejaVu  Sans", false},
      {" DejaVu Sans", false},
      {"DejaVu Sans ", false},
      {"DejaVu", false},
      {"DejaVu Sans Book", false},
      {"", false},
      // Read up to the NUL this would be "DejaVu Sans".
      {QVString("DejaVu Sans\0Mono", 16), false},
  };
  for (const Case& c : cases) {
    for (AGFontStyle style : {kAGFontStyleRegular, kAGFontStyleBold}) {
      AGFont font(c.name, 12.0f, style);
      EXPECT_EQ(font.IsValid(), c.valid) << "\"" << c.name.c_str() << "\" style " << style;
      if (c.valid) {
        EXPECT_EQ(font.NativeFont()->GetFamilyName(), c.name);
      }
    }
  }
}

TEST(AGFontLookup, BoldAndItalicChooseTheFacesOfTheFamily) {
  // Advance of "H" in DejaVuSans.ttf 1540 units, DejaVuSans-Bold.ttf 1714.
  AGFont regular(kDejaVu, 48.0f, kAGFontStyleRegular);
  AGFont bold(kDejaVu, 48.0f, kAGFontStyleBold);
  AGFont italic(kDejaVu, 48.0f, kAGFontStyleItalic);
  AGFont both(kDejaVu, 48.0f, kAGFontStyleBold | kAGFontStyleItalic | kAGFontStyleUnderline);
  ASSERT_TRUE(regular.IsValid() && bold.IsValid() && italic.IsValid() && both.IsValid());
  EXPECT_EQ(AdvanceOf(regular, 'H'), 1540 * kDejaVu48);
  EXPECT_EQ(AdvanceOf(bold, 'H'), 1714 * kDejaVu48);
  EXPECT_EQ(regular.NativeFont()->GetStyle(), kAGFontStyleRegular);
  EXPECT_EQ(bold.NativeFont()->GetStyle(), kAGFontStyleBold);
  EXPECT_EQ(italic.NativeFont()->GetStyle(), kAGFontStyleItalic);
  EXPECT_EQ(both.NativeFont()->GetStyle(), kAGFontStyleBold | kAGFontStyleItalic);
}

TEST(AGFontLookup, SizeMustBeFiniteAndAboveZero) {
  const float sizes[] = {0.0f, -0.0f, -12.0f, std::numeric_limits<float>::quiet_NaN(),
                         std::numeric_limits<float>::infinity()};
  for (float size : sizes) EXPECT_FALSE(AGFont(kDejaVu, size, 0).IsValid()) << size;
  EXPECT_TRUE(AGFont(kDejaVu, 0.25f, 0).IsValid());
  EXPECT_TRUE(AGFont(kDejaVu, 1000.0f, 0).IsValid());
}

TEST(AGFontLookup, DefaultFontIsInvalidWithZeroMetrics) {
  const AGFont fresh;
  for (const AGFont* font : {&kAGNullFont, &fresh}) {
    const AGFont& f = *font;
    EXPECT_TRUE(f.GetName().IsEmpty());
    EXPECT_EQ(f.GetSize(), 24.0f);
    EXPECT_EQ(f.GetStyle(), kAGFontStyleRegular);
    EXPECT_FALSE(f.IsValid());
    EXPECT_EQ(f.NativeFont(), nullptr);
    EXPECT_EQ(f.GetAscent(), 0.0);
    EXPECT_EQ(f.GetDescent(), 0.0);
    EXPECT_EQ(f.GetLeading(), 0.0);
  }
  AGFont missing("Lucida Grande", 48.0f, 0);
  EXPECT_EQ(missing.GetAscent(), 0.0);
  // A failed lookup keeps nothing and is tried again on the next query.
  EXPECT_FALSE(missing.HasNativeFont());
}

// ---------------------------------------------------------------------------
// Metrics

TEST(AGFontMetrics, DesignMetricsScaleExactlyWithTheSize) {
  // DejaVuSans.ttf hhea: ascent 1901, descent -483, line gap 0.
  AGFont font(kDejaVu, 48.0f, 0);
  EXPECT_EQ(font.GetAscent(), 1901 * kDejaVu48);
  EXPECT_EQ(font.GetDescent(), 483 * kDejaVu48);
  EXPECT_EQ(font.GetLeading(), 0.0);
  EXPECT_EQ(font.NativeFont()->GetLineSpacing(), (1901 + 483) * kDejaVu48);
  // Not truncated to 1/64 point (12.3 would become 787/64) nor rounded to
  // whole pixels.
  AGFont odd(kDejaVu, 12.3f, 0);
  EXPECT_DOUBLE_EQ(odd.GetAscent(), 1901 * double(12.3f) / 2048);
  EXPECT_DOUBLE_EQ(odd.GetDescent(), 483 * double(12.3f) / 2048);
}

TEST(AGFontMetrics, CapHeightWithoutOS2ValueIsTheTopOfH) {
  // DejaVuSans.ttf has an OS/2 table of version 1 (no cap height); "H"
  // reaches up to 1493 units.
  AGFont font(kDejaVu, 48.0f, 0);
  EXPECT_EQ(font.NativeFont()->GetCapHeight(), 1493 * kDejaVu48);
}

TEST(AGFontMetrics, PelmarMetricsComeFromItsTables) {
  AddPelmar();
  // PelmarUC.ttf: 1000 units per em, hhea 1000 / -250 / 0, OS/2 version 4
  // with sCapHeight 729.
  AGFont font(kPelmar, 48.0f, 0);
  ASSERT_TRUE(font.IsValid());
  EXPECT_DOUBLE_EQ(font.GetAscent(), 48.0);
  EXPECT_DOUBLE_EQ(font.GetDescent(), 12.0);
  EXPECT_EQ(font.GetLeading(), 0.0);
  EXPECT_DOUBLE_EQ(font.NativeFont()->GetLineSpacing(), 60.0);
  EXPECT_DOUBLE_EQ(font.NativeFont()->GetCapHeight(), 729 * kPelmar48);
  // No bold face: the family's regular one stands in, and says so.
  AGFont bold(kPelmar, 48.0f, kAGFontStyleBold);
  ASSERT_TRUE(bold.IsValid());
  EXPECT_EQ(bold.NativeFont()->GetStyle(), kAGFontStyleRegular);
}

// ---------------------------------------------------------------------------
// The cached platform font

TEST(AGFontCache, SettersDropThePlatformFontOnlyWhenAFieldChanges) {
  AGFont font(kDejaVu, 12.0f, kAGFontStyleBold);
  ASSERT_TRUE(font.IsValid());
  const AGNativeFont* native = font.NativeFont();

  font.SetBold(true);
  font.SetItalic(false);
  font.SetUnderline(false);
  font.SetSize(12.0f);
  font.SetName(kDejaVu);
  font.SetStyle(kAGFontStyleBold);
  font.InvalidateNativeFont(0x8);
  font.InvalidateNativeFont(0);
  EXPECT_TRUE(font.HasNativeFont());
  EXPECT_EQ(font.NativeFont(), native);

  struct Change {
    const char* what;
    void (*apply)(AGFont&);
  };
  const Change changes[] = {
      {"SetBold(false)", [](AGFont& f) { f.SetBold(false); }},
      {"SetItalic(true)", [](AGFont& f) { f.SetItalic(true); }},
      {"SetUnderline(true)", [](AGFont& f) { f.SetUnderline(true); }},
      {"SetRegular", [](AGFont& f) { f.SetRegular(); }},
      {"SetSize", [](AGFont& f) { f.SetSize(13.0f); }},
      {"SetName", [](AGFont& f) { f.SetName("DejaVu Serif"); }},
      {"Invalidate bit 2", [](AGFont& f) { f.InvalidateNativeFont(0x4); }},
      {"Invalidate bit 0", [](AGFont& f) { f.InvalidateNativeFont(0x1); }},
  };
  for (const Change& change : changes) {
    AGFont f(kDejaVu, 12.0f, kAGFontStyleBold);
    ASSERT_TRUE(f.IsValid());
    change.apply(f);
    EXPECT_FALSE(f.HasNativeFont()) << change.what;
    EXPECT_TRUE(f.IsValid()) << change.what;
  }
}

TEST(AGFontCache, CopiesCarryTheFieldsAndBuildTheirOwnPlatformFont) {
  AGFont source(kDejaVu, 30.0f, kAGFontStyleItalic | kAGFontStyleUnderline);
  ASSERT_TRUE(source.IsValid());

  AGFont copy(source);
  EXPECT_EQ(copy.GetName(), source.GetName());
  EXPECT_EQ(copy.GetSize(), 30.0f);
  EXPECT_EQ(copy.GetStyle(), kAGFontStyleItalic | kAGFontStyleUnderline);
  EXPECT_FALSE(copy.HasNativeFont());
  EXPECT_TRUE(copy.IsValid());
  EXPECT_NE(copy.NativeFont(), source.NativeFont());

  AGFont assigned("DejaVu Serif", 10.0f, 0);
  ASSERT_TRUE(assigned.IsValid());
  assigned = source;
  EXPECT_FALSE(assigned.HasNativeFont());
  EXPECT_EQ(assigned.GetName(), source.GetName());
  EXPECT_EQ(assigned.GetSize(), 30.0f);
  EXPECT_EQ(assigned.NativeFont()->GetStyle(), kAGFontStyleItalic);

  const AGNativeFont* before = assigned.NativeFont();
  AGFont& self = assigned;
  assigned = self;
  EXPECT_EQ(assigned.NativeFont(), before);
  // The source is unaffected by its copies going away.
  {
    AGFont temporary(source);
    ASSERT_TRUE(temporary.IsValid());
  }
  EXPECT_EQ(source.GetAscent(), 1901 * 30.0 / 2048);
}

// ---------------------------------------------------------------------------
// Fonts of the user interface

TEST(AGFontStandard, EachValueGivesItsFamilyAtItsDefaultSize) {
  const float defaults[] = {13, 11, 9, 12, 10, 12, 13, 11, 12, 13, 13, 10, 14, 14};
  for (AGFontStandard standard = 1; standard <= 14; ++standard) {
    AGFont font(standard, 0.0f);
    EXPECT_TRUE(font.IsValid()) << standard;
    EXPECT_EQ(font.GetSize(), defaults[standard - 1]) << standard;
    EXPECT_EQ(font.GetStyle(), kAGFontStyleRegular) << standard;
    EXPECT_TRUE(font.HasNativeFont()) << standard;
    // The name found is a real family: it builds the font again on its own.
    EXPECT_TRUE(InNameList(font.GetName())) << font.GetName().c_str();
    EXPECT_TRUE(AGFont(font.GetName(), 12.0f, font.GetStyle()).IsValid()) << standard;
  }
}

TEST(AGFontStandard, FixedPitchFontHasOneAdvanceForAll) {
  AGFont fixed(kAGFontStandardUserFixedPitch, 0.0f);
  AGFont system(kAGFontStandardSystem, 0.0f);
  ASSERT_TRUE(fixed.IsValid() && system.IsValid());
  EXPECT_EQ(AdvanceOf(fixed, 'i'), AdvanceOf(fixed, 'M'));
  EXPECT_NE(AdvanceOf(system, 'i'), AdvanceOf(system, 'M'));
}

TEST(AGFontStandard, SizeGivenWinsOverTheDefault) {
  EXPECT_EQ(AGFont(kAGFontStandardSystem, 20.0f).GetSize(), 20.0f);
  EXPECT_EQ(AGFont(kAGFontStandardLabel, 7.5f).GetSize(), 7.5f);
  // Sizes that cannot be used fall back on the default.
  EXPECT_EQ(AGFont(kAGFontStandardSystem, -3.0f).GetSize(), 13.0f);
  EXPECT_EQ(AGFont(kAGFontStandardSystem, std::numeric_limits<float>::quiet_NaN()).GetSize(),
            13.0f);
}

TEST(AGFontStandard, ZeroAndValuesAbove14GiveNoFont) {
  for (AGFontStandard standard : {0u, 15u, 16u, 100u, 0xFFFFFFFFu}) {
    AGFont font(standard, 12.0f);
    EXPECT_TRUE(font.GetName().IsEmpty()) << standard;
    EXPECT_EQ(font.GetSize(), 0.0f) << standard;
    EXPECT_EQ(font.GetStyle(), kAGFontStyleRegular) << standard;
    EXPECT_FALSE(font.IsValid()) << standard;
  }
  // Replacing a named font.
  AGFont font(kDejaVu, 30.0f, kAGFontStyleBold);
  ASSERT_TRUE(font.IsValid());
  font.SetStandard(15, 12.0f);
  EXPECT_TRUE(font.GetName().IsEmpty());
  EXPECT_FALSE(font.IsValid());
}

// ---------------------------------------------------------------------------
// Installed and added fonts

TEST(AGFontNameList, EachFamilyOnceInByteOrderAndEachOneUsable) {
  const QVStringArray& names = AGFont::GetFontNameList();
  ASSERT_FALSE(names.IsEmpty());
  for (uint32_t i = 1; i < names.Length(); ++i) {
    EXPECT_LT(names[i - 1], names[i]) << names[i].c_str();
  }
  EXPECT_TRUE(InNameList("DejaVu Sans"));
  EXPECT_TRUE(InNameList("DejaVu Sans Condensed"));
  EXPECT_TRUE(InNameList("DejaVu Sans Mono"));
  EXPECT_FALSE(InNameList("Lucida Grande"));
  for (const QVString& name : names) {
    EXPECT_TRUE(AGFont(name, 12.0f, 0).IsValid()) << name.c_str();
  }
  EXPECT_EQ(&AGFont::GetFontNameList(), &names);
}

TEST(AGFontApplication, AddedFileMakesItsFamilyValidForThisProcess) {
  // Another test of this program may have added it already.
  if (!InNameList(kPelmar)) {
    EXPECT_FALSE(AGFont(kPelmar, 48.0f, 0).IsValid());
  }
  AddPelmar();
  EXPECT_TRUE(AGFont(kPelmar, 48.0f, 0).IsValid());
  EXPECT_TRUE(InNameList(kPelmar));
  // Its substitutes are refused as any other's.
  for (const char* name : {"pelmar uc", "PelmarUC", "Pelmar UC Regular", "Pelmar"}) {
    EXPECT_FALSE(AGFont(name, 48.0f, 0).IsValid()) << name;
  }
}

TEST(AGFontApplication, AddingTheSameFileTwiceListsItsFamilyOnce) {
  AddPelmar();
  QVString samePath(TALVANE_SOURCE_DIR "/resources/fonts/./PelmarUC.ttf");
  EXPECT_EQ(AGFont::AddApplicationFontFile(samePath), 0);
  uint32_t count = 0;
  for (const QVString& name : AGFont::GetFontNameList()) count += (name == kPelmar);
  EXPECT_EQ(count, 1u);
}

TEST(AGFontApplication, FilesWithoutAFontAreRefused) {
  const QVString paths[] = {
      "", "/nonexistent/folder/Font.ttf",
      TALVANE_SOURCE_DIR "/resources/fonts",            // a folder
      TALVANE_SOURCE_DIR "/resources/fonts/README.md",  // not a font
  };
  for (const QVString& path : paths) {
    EXPECT_EQ(AGFont::AddApplicationFontFile(path), kQVErrFontFile) << path.c_str();
  }
  QVString withNul(std::string(TALVANE_SOURCE_DIR "/resources/fonts/PelmarUC.ttf") +
                   std::string("\0x", 2));
  EXPECT_EQ(AGFont::AddApplicationFontFile(withNul), kQVErrFontFile);
}

}  // namespace
