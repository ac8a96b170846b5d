// The module's constants: property keys, enumeration word tables, defaults
// and limits shared by the parts of the Talvane object.
#ifndef C_STD_TALVANE_CONSTANTS_H
#define C_STD_TALVANE_CONSTANTS_H

#include <cstdint>

#include "graphics/AGGeometry.h"
#include "kit/QVString.h"
#include "kit/QVValue.h"
#include "object/CProline.h"

// Property keys.
extern const QVString kKey_FontSize;     // "FontSize"
extern const QVString kKey_ProlineType;  // "LineType"
extern const QVString kKey_ProlineBeg;   // "LineBeg"
extern const QVString kKey_ProlineEnd;   // "LineEnd"
extern const QVString kKey_KeyLayout;    // "KeyLayout"
extern const QVString kKey_UnicodeText;  // "UnicodeText"

// 0 "None", 1 "Sustained", 2 "Iterated".
extern const QVValueEnums kEnums_ProlineType[];
// 0 "Up", 1 "Middle", 2 "Down".
extern const QVValueEnums kEnums_ProlineTail[];

// Sizes in points.
inline constexpr float kBuiltinFontSize = 48.0f;
inline constexpr float kFontSizeMin = 4.0f;
inline constexpr float kFontSizeMax = 200.0f;
extern const float kDefaultFontSize;  // kBuiltinFontSize

extern const QVString kDefaultKeyLayout;  // "Brindel"
extern const QVString kBuiltinFontName;   // "Pelmar UC"
extern const QVString kLayoutNamePrefix;  // "Pelmar " (system layouts of the symbol font; textinput/UKeyLayout.h)

inline constexpr CProline kDefaultProline = {kProlineTypeSustained, kProlineTailMiddle,
                                             kProlineTailMiddle, 0};
inline constexpr uint32_t kDefaultUTextLength = 10;
extern const uint16_t kDefaultUText[kDefaultUTextLength];

// Vertical bands of a line end in natural coordinates: lower and upper y.
// The upper band's lower edge is one double step above the double nearest 46.8.
extern const double kProlineYPosUp[2];
extern const double kProlineYPosMid[2];
extern const double kProlineYPosDown[2];

inline constexpr AGRect kMinNatBounds = {0.0, 0.0, 24.0, 24.0};
inline constexpr uint32_t kProlineDashMaxCount = 400;
inline constexpr double kProlineDashLen = 16.0;
inline constexpr double kProlineDashGapLen = 8.0;
inline constexpr double kNatBoundsOffsetX = 0.0;
inline constexpr double kMinRestNatSize = 4.0;
inline constexpr double kEpsilonNatBounds = 1.0;
inline constexpr uint32_t kProlineEntireDashAtBeg = 1;

// Colours of the edited look.
inline constexpr AGColor kEditBackColor = 0xFFFFFFDCu;    // white, alpha 220
inline constexpr AGColor kEditGlyphsColor = 0x000000FFu;  // black
inline constexpr AGColor kEditSelectColor = 0xB5D5FFFFu;  // 181, 213, 255
inline constexpr AGColor kEditCaretColor = 0xFF0000FFu;   // red
inline constexpr double kEditCaretMinSize = kBuiltinFontSize * 0.25;

#endif
