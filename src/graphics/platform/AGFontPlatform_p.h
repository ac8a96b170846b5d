// The platform font behind AGFont: a font face found through fontconfig and
// read with FreeType, at a point size.
//
// Glyphs are read unscaled, in the face's design units, and scaled by
// size / units-per-em in double precision, so every size is exact and one
// reading of a glyph serves all sizes. Results are in text space: points,
// x to the right along the baseline, y up.
//
// Process-wide caches (not locked: host thread only) keep the answers of
// family lookups, the opened faces and the glyphs read from each face; the
// caches stay correct whatever the order of calls. Adding an application
// font drops the lookups so that a family missing before is found after; a
// family not found is looked for again once the configuration's font or
// configuration folders changed (a font installed while the program runs), the
// configuration being built again with the application fonts added so far.
//
// Internal to the graphics kit: no FreeType or fontconfig type appears here.
#ifndef AG_FONT_PLATFORM_P_H
#define AG_FONT_PLATFORM_P_H

#include <cstdint>
#include <memory>

#include "graphics/AGFont.h"
#include "graphics/AGGeometry.h"
#include "kit/QVString.h"

class AGNativePath;
struct AGNativeFace;

class AGNativeFont {
 public:
  // The regular, bold or italic face of the family (bits 0 and 1 of style;
  // a family without the face asked for gives its nearest face), or null
  // when no font carries exactly that family name. family is native text.
  static std::unique_ptr<AGNativeFont> Create(const QVString& family, float size,
                                              AGFontStyle style);
  // The font the standard number stands for, at size (size <= 0 or not
  // finite: its default size); null for 0, values above 14, or when no font
  // is available.
  static std::unique_ptr<AGNativeFont> CreateStandard(AGFontStandard standard, float size);

  AGNativeFont(std::shared_ptr<const AGNativeFace> face, const QVString& family, float size);
  ~AGNativeFont();
  AGNativeFont(const AGNativeFont&) = delete;
  AGNativeFont& operator=(const AGNativeFont&) = delete;

  // The family name the font was found by (native text).
  const QVString& GetFamilyName() const { return mFamily; }
  float GetSize() const { return mSize; }
  // Bold and italic bits of the face actually found.
  AGFontStyle GetStyle() const;

  // Design metrics in points: the ascent above and the descent below the
  // baseline (both >= 0 for ordinary fonts), the extra gap between lines
  // (never negative), their sum as the distance between baselines, and the
  // height of capital letters.
  double GetAscent() const;
  double GetDescent() const;
  double GetLeading() const;
  double GetLineSpacing() const { return GetAscent() + GetDescent() + GetLeading(); }
  double GetCapHeight() const;

  // The glyph of one UTF-16 code unit; 0 (the missing glyph) when the font
  // lacks it.
  uint32_t GetGlyph(uint16_t unit) const;
  // Horizontal advance in points, (width, 0); (0, 0) for a glyph that cannot
  // be read.
  AGSize GetAdvance(uint32_t glyph) const;
  // Tight box of the glyph's ink (curves by their true extents) relative to
  // its pen position; kAGNullRect for a glyph without outline.
  AGRect GetInkBox(uint32_t glyph) const;
  // Appends the glyph's outline with its pen position at translation, each
  // point computed in double and rounded once to single precision; every
  // contour is closed. False, adding nothing, for a glyph without outline.
  bool AddGlyphOutline(uint32_t glyph, const AGPoint& translation, AGNativePath* path) const;

  // Family names of all fonts available to this process (unsorted, may
  // repeat), converted to native text; names that do not convert are left
  // out.
  static QVStringArray CopyFamilyNames();
  // Counts every successful AddApplicationFontFile and every rebuilding of
  // the configuration, so that lists built from CopyFamilyNames can tell
  // they are stale.
  static uint32_t GetFontSetGeneration();
  // See AGFont::AddApplicationFontFile.
  static long AddApplicationFontFile(const QVString& path);

 private:
  std::shared_ptr<const AGNativeFace> mFace;
  QVString mFamily;
  float mSize;
  double mScale;  // points per design unit
};

#endif
