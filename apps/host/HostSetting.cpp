#include "HostSetting.h"

#include <cmath>
#include <vector>

#include "bridge/HostObject.h"
#include "HostText.h"
#include "kit/QVDictionary.h"
#include "kit/QVErrors.h"
#include "kit/QVLog.h"
#include "kit/QVString.h"
#include "kit/QVValue.h"

namespace {

// The same text in the exact form typed and in the form the object keeps.
bool SameText(const QVString& typed, const QVValue& kept) {
  if (typed.IsEqual(*kept.GetasQVString(), false)) return true;
  const std::string typedText = typed.Std();
  uint32_t typedColour = 0;
  AGColor keptColour = 0;
  if (HostParseColourStrictly(typedText, typedColour)) {
    return QVValueGetasAGColor(kept, keptColour) && keptColour == typedColour;
  }
  std::vector<uint16_t> typedUnits;
  QVUniChars keptUnits;
  if (HostParseUnitsStrictly(typedText, typedUnits)) {
    if (!QVValueGetasQVUniChars(kept, keptUnits) || keptUnits.Length() != typedUnits.size())
      return false;
    for (uint32_t i = 0; i < keptUnits.Length(); ++i) {
      if (keptUnits[i] != typedUnits[i]) return false;
    }
    return true;
  }
  return false;
}

}  // namespace

bool HostSameSetting(const QVValue& typed, const QVValue& kept) {
  if (typed.Type() == kQVValueTypeFloat && kept.Type() == kQVValueTypeFloat) {
    double a = 0.0, k = 0.0;
    typed.GetasFloat(a, false);
    kept.GetasFloat(k, false);
    return std::fabs(a - k) <= 1e-6 * std::fmax(1.0, std::fabs(a));
  }
  if (typed.Type() == kQVValueTypeString && kept.Type() == kQVValueTypeString) {
    return SameText(*typed.GetasQVString(), kept);
  }
  if (typed.Type() == kQVValueTypeDictionary && kept.Type() == kQVValueTypeDictionary) {
    const QVDictionary& a = *typed.GetasQVDictionary();
    const QVDictionary& k = *kept.GetasQVDictionary();
    QVString key;
    QVValue value;
    for (uint32_t i = 0; a.GetKeyAndValueByIndex(i, &key, &value); ++i) {
      if (!k.ContainsKey(key) || !HostSameSetting(value, k.GetValue(key))) return false;
    }
    return true;
  }
  return typed.IsEqual(kept);
}

int32_t HostSetProperty(HostObject& object, const std::string& keyText, const std::string& valueText,
                        std::string& message) {
  QVString key = QVString(keyText).ConvertWithEncoding(kQVStringEncodingUTF8, kQVStringEncodingNative);
  QVDictionary before;
  object.GetAllProperties(before);
  if (!before.ContainsKey(key)) {
    message = "the object has no property " + keyText;
    return static_cast<int32_t>(QVLogStatus(kQVErrBadProperty, keyText.c_str()));
  }
  QVValue typed;
  if (!HostParseValueLike(before.GetValue(key), valueText, typed)) {
    message = keyText + " takes a value like " + HostFormatValue(before.GetValue(key)) + ", not " +
              valueText;
    return static_cast<int32_t>(QVLogStatus(kQVErrBadProperty, keyText.c_str()));
  }
  // The whole top-level entry goes to the object, with the one part changed.
  QVDictionary changed = before;
  changed.SetValue(key, typed);
  QVString top = key.BeforeFirst(".");
  if (top.IsEmpty()) top = key;
  QVDictionary request;
  request.SetValue(top, changed.GetValue(top));
  object.SetAllProperties(request);

  QVDictionary after;
  object.GetAllProperties(after);
  if (!HostSameSetting(typed, after.GetValue(key))) {
    message = keyText + " can't be " + valueText + " (the object would keep " +
              HostFormatValue(after.GetValue(key)) + ")";
    QVDictionary restore;
    restore.SetValue(top, before.GetValue(top));
    object.SetAllProperties(restore);
    return static_cast<int32_t>(QVLogStatus(kQVErrBadProperty, keyText.c_str()));
  }
  return 0;
}
