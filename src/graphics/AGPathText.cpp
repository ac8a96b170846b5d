// AGPath's text operations, beside the text layout they rest on.
#include "graphics/AGFont.h"
#include "graphics/AGGraphicsLow.h"
#include "graphics/AGPath.h"

bool AGPath::AddUText(const ATNumberArray<unsigned short>& chars, const AGFont& font,
                      const AGPoint& position, AGTextAlignment alignment) {
  if (!font.IsValid()) return false;
  if (chars.IsEmpty()) return true;
  UpdateOrigin(position);
  return AGGraphicsLow::AGNativePathAddUText(NativePathToModify(), GetOrigin(), position, chars,
                                             font, alignment);
}

bool AGPath::AddText(const QVString& string, const AGFont& font, const AGPoint& position,
                     AGTextAlignment alignment) {
  if (!font.IsValid()) return false;
  if (string.IsEmpty()) return true;
  return AddUText(QVUniStringFromAsciiString(string), font, position, alignment);
}
