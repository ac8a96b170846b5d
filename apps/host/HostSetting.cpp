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
  int32_t status = object.GetAllProperties(before);
  if (status != 0) {
    message = "can't read the object's properties";
    return status;
  }
  if (!before.ContainsKey(key)) {
    message = "the object has no property " + keyText;
    return static_cast<int32_t>(QVLogStatus<kQVErrBadProperty>(keyText.c_str()));
  }
  QVValue typed;
  if (!HostParseValueLike(before.GetValue(key), valueText, typed)) {
    message = keyText + " takes a value like " + HostFormatValue(before.GetValue(key)) + ", not " +
              valueText;
    return static_cast<int32_t>(QVLogStatus<kQVErrBadProperty>(keyText.c_str()));
  }
  // The whole top-level entry goes to the object, with the one part changed.
  // The key resolves in before (checked above) and top is a plain key: the
  // SetValue calls here replace an entry that exists or fill a fresh
  // dictionary, and can't fail.
  QVDictionary changed = before;
  (void)changed.SetValue(key, typed);
  QVString top = key.BeforeFirst(".");
  if (top.IsEmpty()) top = key;
  QVDictionary request;
  (void)request.SetValue(top, changed.GetValue(top));
  // What the object kept is checked below either way: a refusal, reported
  // by a status or by a value other than the one typed, puts the old entry back.
  int32_t setStatus = object.SetAllProperties(request);

  QVDictionary after;
  status = object.GetAllProperties(after);
  if (setStatus != 0 || status != 0 || !HostSameSetting(typed, after.GetValue(key))) {
    message = status != 0 ? "can't read the object's properties back"
                          : keyText + " can't be " + valueText + " (the object would keep " +
                                HostFormatValue(after.GetValue(key)) + ")";
    QVDictionary restore;
    (void)restore.SetValue(top, before.GetValue(top));
    // The refusal is what is reported; a restore the object refuses is
    // logged where it fails.
    (void)object.SetAllProperties(restore);
    if (setStatus != 0) return setStatus;
    if (status != 0) return status;
    return static_cast<int32_t>(QVLogStatus<kQVErrBadProperty>(keyText.c_str()));
  }
  return 0;
}
