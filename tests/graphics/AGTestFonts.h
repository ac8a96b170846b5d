// Test support for text: the fonts the text tests stand on and UTF-16 text.
//
// DejaVu Sans (package fonts-dejavu-core) is installed; Pelmar UC, the
// plug-in's own font, is added for the test process from the source tree.
// Their numbers in the tests come from the font files, read with fontTools
// (/usr/bin/python3: TTFont(...)['hmtx'], BoundsPen for ink, the hhea and
// OS/2 tables), not from the code under test.
#ifndef AG_TEST_FONTS_H
#define AG_TEST_FONTS_H

#include <gtest/gtest.h>

#include <string>

#include "graphics/AGFont.h"
#include "kit/QVString.h"

// DejaVu Sans: 2048 units per em, so at 48 points a unit is 3/128 point,
// exact in binary: every number below is exact in float and double.
inline const char* const kDejaVu = "DejaVu Sans";
inline constexpr double kDejaVu48 = 48.0 / 2048.0;

// Pelmar UC: 1000 units per em, so at 48 points a unit is 0.048 point.
inline const char* const kPelmar = "Pelmar UC";
inline constexpr double kPelmar48 = 48.0 / 1000.0;

inline QVString PelmarPath() {
  return QVString(TALVANE_SOURCE_DIR "/resources/fonts/PelmarUC.ttf");
}

// Makes Pelmar UC available to this process.
inline void AddPelmar() { ASSERT_EQ(AGFont::AddApplicationFontFile(PelmarPath()), 0); }

inline QVUniChars Units(const std::u16string& text) {
  QVUniChars units;
  for (char16_t c : text) units.Append(static_cast<uint16_t>(c));
  return units;
}

#endif
