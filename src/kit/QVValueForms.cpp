// The QVValueSetas... / QVValueGetas... forms of the kit's and the graphics
// kit's types, enumerations and flag sets.
#include <cerrno>
#include <cfloat>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <type_traits>
#include <utility>

#include "kit/QVDictionary.h"
#include "kit/QVStringForms.h"
#include "kit/QVValue.h"
#include "kit/QVValue_p.h"

// The two forms every type derives from its pointer setter and reference
// getter: Setas (t) -> a new value; Getas (value, convert) -> T or fallback.
#define QV_VALUE_DERIVED_FORMS(Name, Type, Param, Fallback)            \
  QVValue QVValueSetas##Name(Param t) {                                \
    QVValue value;                                                     \
    QVValueSetas##Name(&value, t);                                     \
    return value;                                                      \
  }                                                                    \
  Type QVValueGetas##Name(const QVValue& value, bool convert) {        \
    Type t = Fallback;                                                 \
    return QVValueGetas##Name(value, t, convert) ? t : Type(Fallback); \
  }

// Only the first of the two, for the types whose getter hands out a reference.
#define QV_VALUE_NEW_VALUE_FORM(Name, Param) \
  QVValue QVValueSetas##Name(Param t) {      \
    QVValue value;                           \
    QVValueSetas##Name(&value, t);           \
    return value;                            \
  }

// ------------------------------------------------------------ Enum tables

bool QVValueEnumsFindEnum(const QVValueEnums* table, uint32_t value, uint32_t& index) {
  index = kQVValueEnumsNotFound;
  if (!table) return false;
  for (uint32_t i = 0; !table[i].word.IsEmpty(); i++) {
    if (table[i].value == value) {
      index = i;
      return true;
    }
  }
  return false;
}

bool QVValueEnumsFindWord(const QVValueEnums* table, const QVString& word, uint32_t& index) {
  index = kQVValueEnumsNotFound;
  if (!table || word.IsEmpty()) return false;
  for (uint32_t i = 0; !table[i].word.IsEmpty(); i++) {
    if (table[i].word == word) {
      index = i;
      return true;
    }
  }
  return false;
}

// ------------------------------------------------------------ Bool, numbers

QVValue* QVValueSetasBool(QVValue* value, bool b) {
  if (value) value->SetasBool(b);
  return value;
}
bool QVValueGetasBool(const QVValue& value, bool& b, bool convert) {
  return value.GetasBool(b, convert);
}
QV_VALUE_DERIVED_FORMS(Bool, bool, bool, false)

namespace {

template <class T>
QVValue* SetInteger(QVValue* value, T t) {
  if (!value) return value;
  if (std::is_signed<T>::value) {
    value->SetasInteger(static_cast<int64_t>(t));
  } else {
    // Zero-extended to 64 bits; the payload keeps those bits.
    value->SetasInteger(static_cast<int64_t>(static_cast<uint64_t>(t)));
  }
  return value;
}

// Truncates to the width without range check; unsigned widths refuse a
// negative 64-bit value first.
template <class T>
bool GetInteger(const QVValue& value, T& t, bool convert) {
  int64_t i = 0;
  if (!value.GetasInteger(i, convert)) return false;
  if (!std::is_signed<T>::value && i < 0) return false;
  t = static_cast<T>(i);
  return true;
}

// The nearest float; beyond the float range an infinity of the same sign
// (a plain conversion would be undefined there).
float NarrowToFloat(double d) {
  if (std::isnan(d)) return std::numeric_limits<float>::quiet_NaN();
  if (d > static_cast<double>(FLT_MAX)) return std::numeric_limits<float>::infinity();
  if (d < -static_cast<double>(FLT_MAX)) return -std::numeric_limits<float>::infinity();
  return static_cast<float>(d);
}

}  // namespace

#define QV_VALUE_INTEGER_FORMS(Name, Type)                                             \
  QVValue* QVValueSetas##Name(QVValue* value, Type t) { return SetInteger(value, t); } \
  bool QVValueGetas##Name(const QVValue& value, Type& t, bool convert) {               \
    return GetInteger(value, t, convert);                                              \
  }                                                                                    \
  QV_VALUE_DERIVED_FORMS(Name, Type, Type, 0)

QV_VALUE_INTEGER_FORMS(SInt8, int8_t)
QV_VALUE_INTEGER_FORMS(SInt16, int16_t)
QV_VALUE_INTEGER_FORMS(SInt32, int32_t)
QV_VALUE_INTEGER_FORMS(SInt64, int64_t)
QV_VALUE_INTEGER_FORMS(UInt8, uint8_t)
QV_VALUE_INTEGER_FORMS(UInt16, uint16_t)
QV_VALUE_INTEGER_FORMS(UInt32, uint32_t)
QV_VALUE_INTEGER_FORMS(UInt64, uint64_t)
#undef QV_VALUE_INTEGER_FORMS

QVValue* QVValueSetasFloat32(QVValue* value, float t) {
  if (value) value->SetasFloat(t);
  return value;
}
bool QVValueGetasFloat32(const QVValue& value, float& t, bool convert) {
  double d = 0.0;
  if (!value.GetasFloat(d, convert)) return false;
  t = NarrowToFloat(d);
  return true;
}
QV_VALUE_DERIVED_FORMS(Float32, float, float, 0.0f)

#define QV_VALUE_DOUBLE_FORMS(Name)                                        \
  QVValue* QVValueSetas##Name(QVValue* value, double t) {                  \
    if (value) value->SetasFloat(t);                                       \
    return value;                                                          \
  }                                                                        \
  bool QVValueGetas##Name(const QVValue& value, double& t, bool convert) { \
    return value.GetasFloat(t, convert);                                   \
  }                                                                        \
  QV_VALUE_DERIVED_FORMS(Name, double, double, 0.0)

QV_VALUE_DOUBLE_FORMS(Float64)
QV_VALUE_DOUBLE_FORMS(AGCoord)
#undef QV_VALUE_DOUBLE_FORMS

// ------------------------------------------ Strings, arrays, dictionaries

QVValue* QVValueSetasQVString(QVValue* value, const QVString& s) {
  if (value) value->SetasQVString(s);
  return value;
}
bool QVValueGetasQVString(const QVValue& value, QVString& s, bool /*convert*/) {
  return value.GetasQVString(s);
}
const QVString& QVValueGetasQVString(const QVValue& value) {
  const QVString* s = value.GetasQVString();
  return s ? *s : kQVNullString;
}
QV_VALUE_NEW_VALUE_FORM(QVString, const QVString&)

QVValue* QVValueSetasQVValueArray(QVValue* value, const QVValueArray& a) {
  if (value) value->SetasQVValueArray(a);
  return value;
}
bool QVValueGetasQVValueArray(const QVValue& value, QVValueArray& a, bool /*convert*/) {
  return value.GetasQVValueArray(a);
}
const QVValueArray& QVValueGetasQVValueArray(const QVValue& value) {
  const QVValueArray* a = value.GetasQVValueArray();
  return a ? *a : kQVNullValueArray;
}
QV_VALUE_NEW_VALUE_FORM(QVValueArray, const QVValueArray&)

QVValue* QVValueSetasQVDictionary(QVValue* value, const QVDictionary& d) {
  if (value) value->SetasQVDictionary(d);
  return value;
}
bool QVValueGetasQVDictionary(const QVValue& value, QVDictionary& d, bool /*convert*/) {
  return value.GetasQVDictionary(d);
}
const QVDictionary& QVValueGetasQVDictionary(const QVValue& value) {
  const QVDictionary* d = value.GetasQVDictionary();
  return d ? *d : kQVNullDictionary;
}
QV_VALUE_NEW_VALUE_FORM(QVDictionary, const QVDictionary&)

QVValue* QVValueSetasBinary(QVValue* value, const void* bytes, uint32_t length) {
  if (value) value->SetasBinary(bytes, length);
  return value;
}
QVValue QVValueSetasBinary(const void* bytes, uint32_t length) {
  QVValue value;
  value.SetasBinary(bytes, length);
  return value;
}
bool QVValueGetasBinary(const QVValue& value, const void*& bytes, uint32_t& length) {
  return value.GetasBinary(bytes, length);
}

// ------------------------------------------------------------ Colours

QVValue* QVValueSetasAGColor(QVValue* value, AGColor color) {
  if (!value) return value;
  char text[kQVStrSetasMaxSize];
  value->SetasQVString(QVString(strSetasAGColor(text, sizeof(text), color, true)));
  return value;
}
bool QVValueGetasAGColor(const QVValue& value, AGColor& color, bool /*convert*/) {
  const QVString* s = value.GetasQVString();
  AGColor read = kAGNullColor;
  if (!s || !strGetasAGColor(s->c_str(), &read, kAGNullColor)) return false;
  color = read;
  return true;
}
QV_VALUE_DERIVED_FORMS(AGColor, AGColor, AGColor, kAGNullColor)

// ------------------------------------------------------------ Geometry

namespace {

// A record of N doubles stored as a dictionary: the key of each field.
template <class T, size_t N>
struct RealFields {
  const char* keys[N];
  double T::*members[N];
};

const RealFields<AGPoint, 2> kPointFields = {{"x", "y"}, {&AGPoint::x, &AGPoint::y}};
const RealFields<AGSize, 2> kSizeFields = {{"width", "height"}, {&AGSize::width, &AGSize::height}};
const RealFields<AGRect, 4> kRectFields = {{"x1", "y1", "x2", "y2"},
                                           {&AGRect::x1, &AGRect::y1, &AGRect::x2, &AGRect::y2}};
const RealFields<AGInterval, 2> kIntervalFields = {{"beg", "end"},
                                                   {&AGInterval::beg, &AGInterval::end}};

// A fresh dictionary of "real" entries, set in the order of the fields.
template <class T, size_t N>
QVValue* SetReals(QVValue* value, const T& t, const RealFields<T, N>& fields) {
  if (!value) return value;
  QVDictionary d;
  QVValue real;
  for (size_t i = 0; i < N; i++) {
    real.SetasFloat(t.*fields.members[i]);
    // Plain keys into a fresh dictionary: SetValue can't fail.
    (void)d.SetValue(fields.keys[i], real);
  }
  value->SetasQVDictionary(std::move(d));
  return value;
}

// Reads every field of a non-empty dictionary with GetasFloat; t is written
// only when all of them read.
template <class T, size_t N>
bool GetReals(const QVValue& value, T& t, const RealFields<T, N>& fields, bool convert) {
  const QVDictionary* d = value.GetasQVDictionary();
  if (!d || d->IsEmpty()) return false;
  T read = t;
  for (size_t i = 0; i < N; i++) {
    if (!d->GetValue(fields.keys[i]).GetasFloat(read.*fields.members[i], convert)) return false;
  }
  t = read;
  return true;
}

}  // namespace

#define QV_VALUE_GEOMETRY_FORMS(Type, Fields, Null)                      \
  QVValue* QVValueSetas##Type(QVValue* value, const Type& t) {           \
    return SetReals(value, t, Fields);                                   \
  }                                                                      \
  bool QVValueGetas##Type(const QVValue& value, Type& t, bool convert) { \
    return GetReals(value, t, Fields, convert);                          \
  }                                                                      \
  QV_VALUE_DERIVED_FORMS(Type, Type, const Type&, Null)

QV_VALUE_GEOMETRY_FORMS(AGPoint, kPointFields, kAGNullPoint)
QV_VALUE_GEOMETRY_FORMS(AGSize, kSizeFields, kAGNullSize)
QV_VALUE_GEOMETRY_FORMS(AGRect, kRectFields, kAGNullRect)
QV_VALUE_GEOMETRY_FORMS(AGInterval, kIntervalFields, kAGNullInterval)
#undef QV_VALUE_GEOMETRY_FORMS

// ------------------------------------------------------------ Arrays

QVValue* QVValueSetasQVStringArray(QVValue* value, const QVStringArray& a) {
  return QVValueSetArray(value, a, [](QVValue* v, const QVString& s) { v->SetasQVString(s); });
}
bool QVValueGetasQVStringArray(const QVValue& value, QVStringArray& a, bool /*convert*/) {
  return QVValueGetArray(value, a,
                         [](const QVValue& v, QVString& s) { return v.GetasQVString(s); });
}
QV_VALUE_DERIVED_FORMS(QVStringArray, QVStringArray, const QVStringArray&, QVStringArray())

QVValue* QVValueSetasAGPointArray(QVValue* value, const AGPointArray& a) {
  return QVValueSetArray(value, a, [](QVValue* v, const AGPoint& p) { QVValueSetasAGPoint(v, p); });
}
bool QVValueGetasAGPointArray(const QVValue& value, AGPointArray& a, bool convert) {
  return QVValueGetArray(value, a, [convert](const QVValue& v, AGPoint& p) {
    return QVValueGetasAGPoint(v, p, convert);
  });
}
QV_VALUE_DERIVED_FORMS(AGPointArray, AGPointArray, const AGPointArray&, AGPointArray())

QVValue* QVValueSetasAGColorArray(QVValue* value, const AGColorArray& a) {
  return QVValueSetArray(value, a, [](QVValue* v, AGColor c) { QVValueSetasAGColor(v, c); });
}
bool QVValueGetasAGColorArray(const QVValue& value, AGColorArray& a, bool /*convert*/) {
  return QVValueGetArray(
      value, a, [](const QVValue& v, AGColor& c) { return QVValueGetasAGColor(v, c, false); });
}
QV_VALUE_DERIVED_FORMS(AGColorArray, AGColorArray, const AGColorArray&, AGColorArray())

// ------------------------------------------------------------ Placement

QVValue* QVValueSetasAGPlacement(QVValue* value, AGPlacement placement) {
  if (!value) return value;
  const char* h = (placement & kAGPlacementHStretch)  ? "Stretch"
                  : (placement & kAGPlacementRight)   ? "Right"
                  : (placement & kAGPlacementHCenter) ? "Center"
                                                      : "Left";
  const char* v = (placement & kAGPlacementVStretch)  ? "Stretch"
                  : (placement & kAGPlacementTop)     ? "Top"
                  : (placement & kAGPlacementVCenter) ? "Center"
                                                      : "Bottom";
  QVDictionary d;
  // Plain keys into a fresh dictionary: SetValue can't fail.
  (void)d.SetValue("h", QVValueSetasQVString(h));
  (void)d.SetValue("v", QVValueSetasQVString(v));
  value->SetasQVDictionary(std::move(d));
  return value;
}

bool QVValueGetasAGPlacement(const QVValue& value, AGPlacement& placement, bool /*convert*/) {
  const QVDictionary* d = value.GetasQVDictionary();
  if (!d || d->IsEmpty()) return false;
  const QVString* h = d->GetValue("h").GetasQVString();
  const QVString* v = d->GetValue("v").GetasQVString();
  if (!h || !v) return false;
  // A stretch reads back with the centre bit as well.
  AGPlacement read = 0;
  if (*h == "Stretch") {
    read |= kAGPlacementHStretch | kAGPlacementHCenter;
  } else if (*h == "Right") {
    read |= kAGPlacementRight;
  } else if (*h == "Center") {
    read |= kAGPlacementHCenter;
  }
  if (*v == "Stretch") {
    read |= kAGPlacementVStretch | kAGPlacementVCenter;
  } else if (*v == "Top") {
    read |= kAGPlacementTop;
  } else if (*v == "Center") {
    read |= kAGPlacementVCenter;
  }
  placement = read;
  return true;
}
QV_VALUE_DERIVED_FORMS(AGPlacement, AGPlacement, AGPlacement, AGPlacement(0))

// ------------------------------------------------------------ UTF-16 text

QVValue* QVValueSetasQVUniChars(QVValue* value, const QVUniChars& chars) {
  if (!value) return value;
  QVString text;
  for (uint32_t i = 0; i < chars.Length(); i++) {
    text.Appendf(i ? ";%04lX" : "%04lX", static_cast<unsigned long>(chars[i]));
  }
  value->SetasQVString(std::move(text));
  return value;
}

bool QVValueGetasQVUniChars(const QVValue& value, QVUniChars& chars, bool /*convert*/) {
  chars.Clear();
  const QVString* text = value.GetasQVString();
  if (!text) return false;
  QVStringArray tokens = text->SplitToArray();
  QVUniChars read;
  read.Reserve(tokens.Length());
  for (const QVString& token : tokens) {
    // Hexadecimal as "%lX" reads it. A unit must lie in 1 .. 0xFFFF: a larger
    // number is no UTF-16 unit and is refused rather than cut to 16 bits.
    char* end = nullptr;
    errno = 0;
    unsigned long unit = std::strtoul(token.c_str(), &end, 16);
    if (end == token.c_str() || errno != 0 || unit < 1 || unit > 0xFFFF) return false;
    read.Append(static_cast<uint16_t>(unit));
  }
  chars = std::move(read);
  return true;
}
QV_VALUE_DERIVED_FORMS(QVUniChars, QVUniChars, const QVUniChars&, QVUniChars())

// ------------------------------------------------------------ Enums, flags

QVValue* QVValueSetasEnum(QVValue* value, uint32_t number, const QVValueEnums* table) {
  if (!value) return value;
  uint32_t index = 0;
  value->SetasQVString(QVValueEnumsFindEnum(table, number, index) ? table[index].word
                                                                  : kQVNullString);
  return value;
}
QVValue QVValueSetasEnum(uint32_t number, const QVValueEnums* table) {
  QVValue value;
  QVValueSetasEnum(&value, number, table);
  return value;
}
bool QVValueGetasEnum(const QVValue& value, uint32_t& number, const QVValueEnums* table) {
  const QVString* word = value.GetasQVString();
  if (!word) return false;
  uint32_t index = 0;
  number = QVValueEnumsFindWord(table, *word, index) ? table[index].value : 0;
  return true;
}
uint32_t QVValueGetasEnum(const QVValue& value, const QVValueEnums* table) {
  uint32_t number = 0;
  return QVValueGetasEnum(value, number, table) ? number : 0;
}

QVValue* QVValueSetasFlags(QVValue* value, uint32_t flags, const QVValueEnums* table) {
  if (!value) return value;
  if (flags == 0) return QVValueSetasEnum(value, 0, table);
  QVString text;
  for (uint32_t i = 0; table && !table[i].word.IsEmpty(); i++) {
    if ((table[i].value & flags) != table[i].value) continue;
    if (!text.IsEmpty()) text.AppendChar(' ');
    text.Append(table[i].word);
  }
  value->SetasQVString(std::move(text));
  return value;
}
QVValue QVValueSetasFlags(uint32_t flags, const QVValueEnums* table) {
  QVValue value;
  QVValueSetasFlags(&value, flags, table);
  return value;
}
bool QVValueGetasFlags(const QVValue& value, uint32_t& flags, const QVValueEnums* table) {
  const QVString* text = value.GetasQVString();
  if (!text) return false;
  uint32_t read = 0;
  for (const QVString& token : text->SplitToArray(" ", "")) {
    uint32_t index = 0;
    if (QVValueEnumsFindWord(table, token, index)) read |= table[index].value;
  }
  flags = read;
  return true;
}
uint32_t QVValueGetasFlags(const QVValue& value, const QVValueEnums* table) {
  uint32_t flags = 0;
  return QVValueGetasFlags(value, flags, table) ? flags : 0;
}
