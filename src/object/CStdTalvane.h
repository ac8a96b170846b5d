// CStdTalvane: the "Talvane" symbol object. A rectangle in the score that shows
// a short string of UTF-16 symbols of the "Pelmar UC" font at a chosen size,
// optionally followed by a prolongation line.
//
// Objects live in storage the host allocates (zero-filled, sizeof(CStdTalvane)
// bytes, base part included); CPPCtor constructs them there and CPPDtor
// destroys them. The host calls the class methods below through the slots
// that registration fills.
#ifndef C_STD_TALVANE_H
#define C_STD_TALVANE_H

#include <cstdint>
#include <memory>

#include "graphics/AGGeometry.h"
#include "host/QVObject.h"
#include "kit/ATArray.h"
#include "kit/QVString.h"
#include "object/CProline.h"

class AGPath;
class QVArgs;
class QVDictionary;
class QVFile;

class CStdTalvane : public QVObject {
 public:
  // Class identifiers announced to the host (7 characters each).
  static constexpr const char* kClassId = "stdTlvn";
  static constexpr const char* kClassId2 = "_syVect";

  CStdTalvane();
  ~CStdTalvane();

  // In-place construction and destruction in host storage. CPPDtor does
  // nothing for a null pointer.
  static void CPPCtor(QVObject* object);
  static void CPPDtor(QVObject* object);

  // ---- Class methods
  // With the creation argument "-default": the default settings, and the
  // host's base brush and pen turned into a solid fill in the pen's colour
  // without an outline. Without it nothing changes. Always 0.
  int32_t _apmInit(const QVArgs& args);
  // Reads the document payload; 0 or the first failing read's status (the
  // fields read before it keep their values).
  int32_t _apmInitFromFile(const QVFile& file);
  // Writes the document payload; 0 or the first failing write's status.
  int32_t _apmWriteToFile(QVFile& file) const;
  // Frees the cached geometry.
  void _apmDelete();
  // The object's natural bounds as the host sees them: always the unit
  // square (0, 0)-(1, 1); the object maps itself into any target rectangle.
  AGRect _apmGetNaturalBounds() const;
  // "FontSize", "LineType", ("LineBeg", "LineEnd" unless the type is None),
  // "KeyLayout", "UnicodeText". Always 0.
  int32_t _apmGetObjectProperties(QVDictionary& dict) const;
  // Applies the keys present; values of the wrong kind are ignored and
  // numbers out of range clamped. Always 0.
  int32_t _apmSetObjectProperties(const QVDictionary& dict);

  // Drops the cached outline, boxes and bounds (rebuilt when next needed).
  void LowInvalidateCurrentPath();

  // True for the units the symbol font holds: U+0020..U+00FF and U+E000..U+E4FF.
  static bool _LowIsAuthorizedPelmarUChar(uint16_t unit);
  // Keeps the authorised units in order and drops the others.
  static void _LowFilterAuthorizedPelmarUChars(ATNumberArray<uint16_t>& text);

  // ---- Settings (read-only views for the host bridge and tests)
  float FontSize() const { return mFontSize; }
  const CProline& Proline() const { return mProline; }
  const QVString& KeyLayout() const { return mKeyLayout; }
  const ATNumberArray<uint16_t>& Text() const { return mText; }
  bool HasCachedPath() const { return mTextPath != nullptr; }

 private:
  float mFontSize = 0.0f;
  CProline mProline = {0, 0, 0, 0};
  QVString mKeyLayout;
  ATNumberArray<uint16_t> mText;

  // Cached geometry in natural coordinates, built lazily, dropped whenever the
  // text, the font size or the prolongation change. The text path and the
  // character boxes exist together.
  uint32_t mPathBuilt = 0;
  mutable std::unique_ptr<AGPath> mTextPath;
  mutable std::unique_ptr<ATNumberArray<AGRect>> mCharBoxes;
  AGPoint mTextEnd = kAGNullPoint;
  AGRect mGlyphBounds = kAGNullRect;
  AGRect mTextFrame = kAGNullRect;
  AGRect mNatBounds = kAGNullRect;
};

#endif
