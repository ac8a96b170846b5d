// The graphics kit's font: a family name, a point size and a style, with the
// platform font that matches them built lazily and cached.
//
// A font is valid only when an installed (or application-added) font carries
// exactly the requested family name, byte for byte, and the size is a finite
// number above 0: the platform's substitutes for a missing family do not
// count. Everything that draws or measures text checks IsValid first.
//
// A value type: copies carry name, size and style and build their own
// platform font when first needed. Queries are const; the platform font may
// be built or dropped inside them. Not thread-safe (host thread only).
#ifndef AG_FONT_H
#define AG_FONT_H

#include <cstdint>
#include <memory>

#include "graphics/AGGeometry.h"
#include "kit/ATArray.h"
#include "kit/QVString.h"

class AGNativeFont;
class AGPath;

// Style flags: any combination; 0 is regular. Underline is carried but not
// part of the platform font (nothing here draws it).
using AGFontStyle = uint32_t;
enum : uint32_t {
  kAGFontStyleRegular = 0x0,
  kAGFontStyleBold = 0x1,
  kAGFontStyleItalic = 0x2,
  kAGFontStyleUnderline = 0x4,
};

// Fonts of the user interface, by number. 0 and every value above 14 stand
// for no font. Family and default size of each are listed at the table in
// AGFontPlatform.cpp.
using AGFontStandard = uint32_t;
enum : uint32_t {
  kAGFontStandardNone = 0,
  kAGFontStandardSystem = 1,
  kAGFontStandardSmallSystem = 2,
  kAGFontStandardMiniSystem = 3,
  kAGFontStandardUser = 4,
  kAGFontStandardUserFixedPitch = 5,
  kAGFontStandardApplication = 6,
  kAGFontStandardWindowTitle = 7,
  kAGFontStandardToolbar = 8,
  kAGFontStandardViews = 9,
  kAGFontStandardControlContent = 10,
  kAGFontStandardPushButton = 11,
  kAGFontStandardLabel = 12,
  kAGFontStandardMenuTitle = 13,
  kAGFontStandardMenuItem = 14,
};

// How each line of laid-out text sits on its anchor. Only 2 and 3 are
// special; every other value puts the line's pen origin on the anchor.
enum AGTextAlignment : int32_t {
  kAGTextAlignmentLeft = 0,    // pen origin on the anchor
  kAGTextAlignmentCenter = 2,  // middle of the line's ink on the anchor
  kAGTextAlignmentRight = 3,   // right edge of the line's ink on the anchor
};

class AGFont {
 public:
  // Empty name, size 24, regular: not valid.
  AGFont();
  // No platform font is looked up until one is needed.
  AGFont(const QVString& name, float size, AGFontStyle style);
  // A font of the user interface: as SetStandard(standard, size).
  AGFont(AGFontStandard standard, float size);
  AGFont(const AGFont& other);
  // Copies name, size and style and drops the platform font; nothing on
  // self-assignment.
  AGFont& operator=(const AGFont& other);
  ~AGFont();

  const QVString& GetName() const { return mName; }
  float GetSize() const { return mSize; }
  AGFontStyle GetStyle() const { return mStyle; }
  bool IsBold() const { return (mStyle & kAGFontStyleBold) != 0; }
  bool IsItalic() const { return (mStyle & kAGFontStyleItalic) != 0; }
  bool IsUnderline() const { return (mStyle & kAGFontStyleUnderline) != 0; }

  // Each setter changes its field only when the value differs, and then
  // drops the platform font so that the next use rebuilds it.
  void SetName(const QVString& name);
  void SetSize(float size);
  void SetStyle(AGFontStyle style);
  void SetRegular() { SetStyle(kAGFontStyleRegular); }
  void SetBold(bool on) { SetStyleBit(kAGFontStyleBold, on); }
  void SetItalic(bool on) { SetStyleBit(kAGFontStyleItalic, on); }
  void SetUnderline(bool on) { SetStyleBit(kAGFontStyleUnderline, on); }

  // Becomes the user interface font standard stands for, at size (size <= 0
  // or not finite: that font's default size); name, size and style are then
  // the ones of the font actually found. For 0, for values above 14, or when
  // no font is installed at all: empty name, size 0, style 0 (not valid).
  void SetStandard(AGFontStandard standard, float size);

  // Drops the platform font when any of mask's bits 0, 1, 2 is set.
  void InvalidateNativeFont(uint32_t mask);

  // The platform font, built first if there is none; null when no installed
  // font has the family. Owned by this font, valid until it changes.
  const AGNativeFont* NativeFont() const;
  // Builds the platform font if there is none.
  void RebuildNativeFont() const;
  // Whether a platform font is held now (builds nothing).
  bool HasNativeFont() const { return mNative != nullptr; }
  // A platform font exists and the size is finite and above 0.
  bool IsValid() const;

  // Design metrics at this size, in points, all >= 0 (the descent is the
  // distance below the baseline); 0.0 when no platform font can be built.
  double GetAscent() const;
  double GetDescent() const;
  double GetLeading() const;

  // Glyph by glyph, for laying text out one UTF-16 unit at a time; sizes in
  // points at this font's size. Each gives its empty answer (0, kAGNullSize,
  // kAGNullRect, false) for an invalid font.
  //
  // The height of capital letters.
  double GetCapHeight() const;
  // The glyph of one unit; 0 (the missing glyph) when the font lacks it.
  uint32_t GetGlyph(uint16_t unit) const;
  // Horizontal advance (width, 0); kAGNullSize for a glyph that cannot be read.
  AGSize GetGlyphAdvance(uint32_t glyph) const;
  // Tight box of the glyph's ink relative to its pen position; kAGNullRect
  // for a glyph without outline.
  AGRect GetGlyphInkBox(uint32_t glyph) const;
  // Appends the glyph's outline with its pen position at pen (the path's
  // coordinates; a path without origin takes pen as its origin); every
  // contour is closed. False, adding nothing, for a glyph without outline
  // or a null path.
  bool AddGlyphOutline(uint32_t glyph, const AGPoint& pen, AGPath* path) const;

  // Width and height of the ink of the text laid out as lines (see
  // AGGraphicsLow.h); kAGNullSize for an invalid font, empty text or text
  // without ink. GetTextExtent takes native (Mac OS Roman) text.
  AGSize GetUTextExtent(const QVUniChars& chars) const;
  AGSize GetTextExtent(const QVString& string) const;

  // Family names of the installed fonts and of the fonts this process
  // added, each once, in ascending byte order; names that the native
  // encoding cannot hold, or longer than 255 bytes, are left out. Built on
  // first use and again after AddApplicationFontFile added a font or a
  // failed lookup found the installed fonts changed.
  static const QVStringArray& GetFontNameList();
  // Make a font file usable by this process alone (not installed for other
  // programs). path is native text. Adding a file already added succeeds
  // without effect. kQVErrFontFile when the file is missing or holds no
  // usable font, kQVErrFontService when the font service cannot start;
  // both logged.
  static long AddApplicationFontFile(const QVString& path);

  // Do nothing.
  static void DebugPrintFontNameList() {}
  static void DebugPrintStandardFonts() {}

 private:
  void SetStyleBit(AGFontStyle bit, bool on);
  void DropNativeFont() const;

  mutable std::unique_ptr<AGNativeFont> mNative;  // cache, see NativeFont
  QVString mName;
  float mSize = 24.0f;
  AGFontStyle mStyle = kAGFontStyleRegular;
};

// A default-constructed font (not valid).
extern const AGFont kAGNullFont;

#endif
