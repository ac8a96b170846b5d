// QVValue: the kit's variant. A value is empty or holds a boolean, a signed
// 64-bit integer, a double, a string, a byte block, an array of values or a
// dictionary of values. Values copy deeply; the destructor and Clear release
// the payload and leave the empty value.
//
// QVValueArray is an ordered sequence of values (std::vector semantics).
// QVValueEnums is one entry of a word table used to store enumerations and
// flag sets as words.
//
// The free functions QVValueSetas<T> / QVValueGetas<T> store the kit's and
// the graphics kit's types in values with fixed keys and words:
//   QVValueSetas<T>(QVValue* value, t) -> value (null value: nothing, null)
//   QVValueSetas<T>(t)                  -> a new value
//   QVValueGetas<T>(value, t&, convert) -> bool; t untouched on failure
//                                          unless the form says otherwise
//   QVValueGetas<T>(value, convert)     -> T, or 0 / false / the type's null
//                                          constant on failure
// Strings, arrays and dictionaries answer QVValueGetas<T>(value) with a
// reference to the held object, or to kQVNullString / kQVNullValueArray /
// kQVNullDictionary.
//
// Binary file form (QVFile chunks): every value is one chunk whose tag is its
// type (0 for the empty value); see WriteToFile. Nested arrays and
// dictionaries are limited to kQVValueMaxNesting levels in files.
#ifndef QV_VALUE_H
#define QV_VALUE_H

#include <cstdint>
#include <vector>

#include "kit/AGGeometryTypes.h"
#include "kit/ATArray.h"
#include "kit/QVString.h"

class QVFile;
class QVFilePath;
class QVFilePathArray;
class QVValueArray;
class QVDictionary;

using AGPointArray = ATNumberArray<AGPoint>;
using AGColorArray = ATNumberArray<AGColor>;

// Type tags: four characters, the first in the most significant byte.
enum QVValueType : uint32_t {
  kQVValueTypeEmpty = 0,
  kQVValueTypeBool = 0x626F6F6Cu,        // "bool"
  kQVValueTypeInteger = 0x696E7467u,     // "intg"
  kQVValueTypeFloat = 0x7265616Cu,       // "real"
  kQVValueTypeString = 0x73747267u,      // "strg"
  kQVValueTypeBinary = 0x62696E61u,      // "bina"
  kQVValueTypeArray = 0x61727279u,       // "arry"
  kQVValueTypeDictionary = 0x64696374u,  // "dict"
};

// Arrays and dictionaries nested deeper than this (the outermost counts as 1)
// are neither written nor read: -976 / -977.
inline constexpr uint32_t kQVValueMaxNesting = 64;

class QVValue {
 public:
  constexpr QVValue() noexcept : mInteger(0) {}
  QVValue(const QVValue& other);
  QVValue(QVValue&& other) noexcept;
  QVValue& operator=(const QVValue& other);
  QVValue& operator=(QVValue&& other) noexcept;
  ~QVValue();

  // One of QVValueType.
  uint32_t Type() const { return mType; }
  bool IsEmpty() const { return mType == kQVValueTypeEmpty; }

  // Each replaces type and payload. Setting the very string, array or
  // dictionary this value holds changes nothing; an object held deeper inside
  // this value is copied before the old payload goes.
  void SetasBool(bool b);
  void SetasInteger(int64_t i);
  void SetasFloat(double f);
  void SetasQVString(const QVString& s);
  void SetasQVString(QVString&& s);
  // A null pointer or length 0 gives an empty block.
  void SetasBinary(const void* bytes, uint32_t length);
  void SetasQVValueArray(const QVValueArray& a);
  void SetasQVValueArray(QVValueArray&& a);
  void SetasQVDictionary(const QVDictionary& d);
  void SetasQVDictionary(QVDictionary&& d);

  // With convert false only the exact type succeeds. With convert:
  //   GetasBool:    integer != 0, real != 0.0, text read as an integer
  //                 (!= 0) or else as a real (!= 0.0); "true" is no number.
  //   GetasInteger: bool 0 / 1; a real rounded half away from zero; text
  //                 read as an integer or else as a real, rounded. So the
  //                 text "1.5" gives 1 (integer reading stops at "."), the
  //                 real 1.5 gives 2. A real that is not a number or lies
  //                 outside the 64-bit range fails.
  //   GetasFloat:   bool 0.0 / 1.0; the integer converted; text read as a real.
  // On failure the output is unchanged and the result false.
  bool GetasBool(bool& b, bool convert) const;
  bool GetasInteger(int64_t& i, bool convert) const;
  bool GetasFloat(double& f, bool convert) const;

  // The held object, or null when the value holds another type.
  const QVString* GetasQVString() const;
  QVString* GetasQVString();
  const QVValueArray* GetasQVValueArray() const;
  QVValueArray* GetasQVValueArray();
  const QVDictionary* GetasQVDictionary() const;
  QVDictionary* GetasQVDictionary();
  // Copies of the held object; false (output unchanged) for another type.
  bool GetasQVString(QVString& s) const;
  bool GetasQVValueArray(QVValueArray& a) const;
  bool GetasQVDictionary(QVDictionary& d) const;
  // The block of a "bina" value: bytes is null when the block is empty. The
  // pointer lives until the value changes.
  bool GetasBinary(const void*& bytes, uint32_t& length) const;

  // Same type and equal payloads: reals with ==, strings byte for byte,
  // blocks by length and bytes, arrays element by element, dictionaries
  // with QVDictionary::IsEqual. Two empty values are equal.
  bool IsEqual(const QVValue& other) const;
  void Assign(const QVValue& other) { *this = other; }
  // Releases the payload: the value becomes empty.
  void Clear();

  // One chunk in the file's byte order: tag, size of what follows, payload:
  //   empty  tag 0, size 0
  //   "bool" size 4, unsigned 32-bit 0 or 1
  //   "intg" size 8, signed 64-bit;  "real" size 8, IEEE double
  //   "strg" size = UTF-8 length rounded up to 4, the bytes, zero padding
  //   "bina" size = padded length + 4, the true length (32-bit), the bytes,
  //          zero padding to a multiple of 4
  //   "arry" element count (32-bit), each element's chunk
  //   "dict" entry count (32-bit), then per entry in key order the key as a
  //          file string (no tag) and the value's chunk
  // Returns 0 or the file error; -976 for nesting beyond kQVValueMaxNesting
  // (nothing is written then).
  long WriteToFile(QVFile& file) const;
  // Reads one chunk. A tag this reader does not know (0 included) is skipped
  // to the chunk's end and leaves the value empty: a success. A size, count
  // or length that does not fit in what is left of the enclosing chunk or of
  // the file, and nesting beyond kQVValueMaxNesting, fail with -977 before
  // anything is allocated. On any error the value is empty.
  long ReadFromFile(const QVFile& file);

 private:
  void Release() noexcept;
  void TakeFrom(QVValue& other) noexcept;
  void CopyBits(const QVValue& other) noexcept;
  // The union member that holds a T.
  template <class T>
  T*& Slot();
  // Replaces the payload by a T made from source, unless source is the held T.
  template <class T, class Source>
  void SetOwned(uint32_t type, Source&& source);

  uint32_t mType = kQVValueTypeEmpty;
  union {
    bool mBool;
    int64_t mInteger;
    double mFloat;
    QVString* mString;
    std::vector<uint8_t>* mBinary;
    QVValueArray* mArray;
    QVDictionary* mDictionary;
  };
};

// An ordered, growable sequence of values.
class QVValueArray : public std::vector<QVValue> {
 public:
  using std::vector<QVValue>::vector;
  QVValueArray() = default;
  QVValueArray(const QVValueArray&) = default;
  QVValueArray(QVValueArray&&) noexcept = default;
  // Copies before replacing: other may live inside this array.
  QVValueArray& operator=(const QVValueArray& other);
  QVValueArray& operator=(QVValueArray&&) noexcept = default;

  // Same length and IsEqual elements in order.
  bool IsEqual(const QVValueArray& other) const;

  // The "arry" chunk (see QVValue::WriteToFile). -976 for nesting beyond
  // kQVValueMaxNesting.
  long WriteToFile(QVFile& file) const;
  // Empties the array, checks the "arry" header (-960), reads the count and
  // the elements. On error the array is empty again.
  long ReadFromFile(const QVFile& file);
};

// One entry of an enumeration word table: a number and its word. A table is
// a C array of entries closed by an entry whose word is empty. Numbers and
// words match exactly (case-sensitive).
struct QVValueEnums {
  uint32_t value;
  QVString word;
};

// The index meaning "no entry".
inline constexpr uint32_t kQVValueEnumsNotFound = 0xFFFFFFFFu;

// Returned by reference where there is nothing to return. One object each in
// the process, ready before any other static (see kQVNullString).
extern const QVValue kQVNullValue;
extern const QVValueArray kQVNullValueArray;
extern const QVString kQVNullKey;

// ---- Enumeration tables
// First entry (before the closing one) with that number / word; index
// receives its position or kQVValueEnumsNotFound. An empty word is never
// found; a null table finds nothing.
bool QVValueEnumsFindEnum(const QVValueEnums* table, uint32_t value, uint32_t& index);
bool QVValueEnumsFindWord(const QVValueEnums* table, const QVString& word, uint32_t& index);

// ---- Booleans and numbers
// Integers of every width are stored as "intg" (signed widths sign-extended,
// unsigned zero-extended), floats as "real". Reading goes through GetasInteger
// and truncates to the width without range check (300 read as SInt8 is 44);
// the unsigned forms first fail on a negative 64-bit value, so UInt64 values
// above 2^63 - 1 are stored but do not read back.
QVValue* QVValueSetasBool(QVValue* value, bool b);
QVValue QVValueSetasBool(bool b);
bool QVValueGetasBool(const QVValue& value, bool& b, bool convert);
bool QVValueGetasBool(const QVValue& value, bool convert);

#define QV_VALUE_NUMBER_FORMS(Name, Type)                               \
  QVValue* QVValueSetas##Name(QVValue* value, Type t);                  \
  QVValue QVValueSetas##Name(Type t);                                   \
  bool QVValueGetas##Name(const QVValue& value, Type& t, bool convert); \
  Type QVValueGetas##Name(const QVValue& value, bool convert);

QV_VALUE_NUMBER_FORMS(SInt8, int8_t)
QV_VALUE_NUMBER_FORMS(SInt16, int16_t)
QV_VALUE_NUMBER_FORMS(SInt32, int32_t)
QV_VALUE_NUMBER_FORMS(SInt64, int64_t)
QV_VALUE_NUMBER_FORMS(UInt8, uint8_t)
QV_VALUE_NUMBER_FORMS(UInt16, uint16_t)
QV_VALUE_NUMBER_FORMS(UInt32, uint32_t)
QV_VALUE_NUMBER_FORMS(UInt64, uint64_t)
// Float32 reading narrows the double; beyond the float range it gives an infinity.
QV_VALUE_NUMBER_FORMS(Float32, float)
QV_VALUE_NUMBER_FORMS(Float64, double)
QV_VALUE_NUMBER_FORMS(AGCoord, double)
#undef QV_VALUE_NUMBER_FORMS

// ---- Strings, arrays, dictionaries, byte blocks: exact type only
QVValue* QVValueSetasQVString(QVValue* value, const QVString& s);
QVValue QVValueSetasQVString(const QVString& s);
bool QVValueGetasQVString(const QVValue& value, QVString& s, bool convert = false);
const QVString& QVValueGetasQVString(const QVValue& value);

QVValue* QVValueSetasQVValueArray(QVValue* value, const QVValueArray& a);
QVValue QVValueSetasQVValueArray(const QVValueArray& a);
bool QVValueGetasQVValueArray(const QVValue& value, QVValueArray& a, bool convert = false);
const QVValueArray& QVValueGetasQVValueArray(const QVValue& value);

QVValue* QVValueSetasQVDictionary(QVValue* value, const QVDictionary& d);
QVValue QVValueSetasQVDictionary(const QVDictionary& d);
bool QVValueGetasQVDictionary(const QVValue& value, QVDictionary& d, bool convert = false);
const QVDictionary& QVValueGetasQVDictionary(const QVValue& value);

QVValue* QVValueSetasBinary(QVValue* value, const void* bytes, uint32_t length);
QVValue QVValueSetasBinary(const void* bytes, uint32_t length);
bool QVValueGetasBinary(const QVValue& value, const void*& bytes, uint32_t& length);

// ---- Arrays of strings, paths, points and colours
// Stored as an "arry" of the element's form. Reading: an empty value fails
// and leaves the output untouched; any other value empties the output first,
// then fails (output empty) unless it is an array whose every element reads.
QVValue* QVValueSetasQVStringArray(QVValue* value, const QVStringArray& a);
QVValue QVValueSetasQVStringArray(const QVStringArray& a);
bool QVValueGetasQVStringArray(const QVValue& value, QVStringArray& a, bool convert = false);
QVStringArray QVValueGetasQVStringArray(const QVValue& value, bool convert = false);

// A path is a "strg" with every backslash made a slash; reading requires a
// string and empties the path on failure.
QVValue* QVValueSetasQVFilePath(QVValue* value, const QVFilePath& path);
QVValue QVValueSetasQVFilePath(const QVFilePath& path);
bool QVValueGetasQVFilePath(const QVValue& value, QVFilePath& path, bool convert = false);
QVFilePath QVValueGetasQVFilePath(const QVValue& value, bool convert = false);

QVValue* QVValueSetasQVFilePathArray(QVValue* value, const QVFilePathArray& a);
QVValue QVValueSetasQVFilePathArray(const QVFilePathArray& a);
bool QVValueGetasQVFilePathArray(const QVValue& value, QVFilePathArray& a, bool convert = false);
QVFilePathArray QVValueGetasQVFilePathArray(const QVValue& value, bool convert = false);

// Each element a point dictionary; elements read with the caller's convert.
QVValue* QVValueSetasAGPointArray(QVValue* value, const AGPointArray& a);
QVValue QVValueSetasAGPointArray(const AGPointArray& a);
bool QVValueGetasAGPointArray(const QVValue& value, AGPointArray& a, bool convert);
AGPointArray QVValueGetasAGPointArray(const QVValue& value, bool convert);

// Each element a colour string.
QVValue* QVValueSetasAGColorArray(QVValue* value, const AGColorArray& a);
QVValue QVValueSetasAGColorArray(const AGColorArray& a);
bool QVValueGetasAGColorArray(const QVValue& value, AGColorArray& a, bool convert = false);
AGColorArray QVValueGetasAGColorArray(const QVValue& value, bool convert = false);

// ---- Geometry: a dictionary of "real" entries
//   AGPoint "x", "y"; AGSize "width", "height"; AGRect "x1", "y1", "x2", "y2";
//   AGInterval "beg", "end".
// Reading requires a non-empty dictionary; every entry is read with GetasFloat
// and convert, and the output is written only when all of them read.
#define QV_VALUE_GEOMETRY_FORMS(Type)                                   \
  QVValue* QVValueSetas##Type(QVValue* value, const Type& t);           \
  QVValue QVValueSetas##Type(const Type& t);                            \
  bool QVValueGetas##Type(const QVValue& value, Type& t, bool convert); \
  Type QVValueGetas##Type(const QVValue& value, bool convert);

QV_VALUE_GEOMETRY_FORMS(AGPoint)
QV_VALUE_GEOMETRY_FORMS(AGSize)
QV_VALUE_GEOMETRY_FORMS(AGRect)
QV_VALUE_GEOMETRY_FORMS(AGInterval)
#undef QV_VALUE_GEOMETRY_FORMS

// ---- Colours: "strg" "(RRR;GGG;BBB;AAA)"; read with strGetasAGColor
// (convert plays no part). Failure gives kAGNullColor in the second form.
QVValue* QVValueSetasAGColor(QVValue* value, AGColor color);
QVValue QVValueSetasAGColor(AGColor color);
bool QVValueGetasAGColor(const QVValue& value, AGColor& color, bool convert = false);
AGColor QVValueGetasAGColor(const QVValue& value, bool convert = false);

// ---- Placement: a dictionary with the words "h" (Left, Center, Right,
// Stretch) and "v" (Bottom, Center, Top, Stretch). Writing picks Stretch over
// Right/Top over Center. Reading requires a non-empty dictionary whose "h"
// and "v" are strings; Stretch reads back as stretch plus centre (0x05,
// 0x50), an unknown word as Left / Bottom.
QVValue* QVValueSetasAGPlacement(QVValue* value, AGPlacement placement);
QVValue QVValueSetasAGPlacement(AGPlacement placement);
bool QVValueGetasAGPlacement(const QVValue& value, AGPlacement& placement, bool convert = false);
AGPlacement QVValueGetasAGPlacement(const QVValue& value, bool convert = false);

// ---- UTF-16 text: "strg" of the code units as "%04lX" separated by ";"
// ("0041;00E9"; the empty array gives ""). Reading empties the output first,
// requires a string, splits it at "," and ";" trimming blanks, and reads each
// token as hexadecimal; a token that is not a unit from 1 to 0xFFFF fails the
// whole read and leaves the output empty.
QVValue* QVValueSetasQVUniChars(QVValue* value, const QVUniChars& chars);
QVValue QVValueSetasQVUniChars(const QVUniChars& chars);
bool QVValueGetasQVUniChars(const QVValue& value, QVUniChars& chars, bool convert = false);
QVUniChars QVValueGetasQVUniChars(const QVValue& value, bool convert = false);

// ---- Enumerations: "strg" holding the word of the number (empty when the
// table has none). Reading succeeds for any string: the number of the
// matching word, or 0 when no word matches.
QVValue* QVValueSetasEnum(QVValue* value, uint32_t number, const QVValueEnums* table);
QVValue QVValueSetasEnum(uint32_t number, const QVValueEnums* table);
bool QVValueGetasEnum(const QVValue& value, uint32_t& number, const QVValueEnums* table);
uint32_t QVValueGetasEnum(const QVValue& value, const QVValueEnums* table);

// ---- Flag sets: "strg" of the words, separated by single spaces, of every
// entry whose bits all lie in flags (so an entry of value 0 is always
// listed); flags 0 gives the word of the 0 entry, or "". Reading succeeds for
// any string: the or of the values of the space-separated words found in the
// table, unknown words skipped.
QVValue* QVValueSetasFlags(QVValue* value, uint32_t flags, const QVValueEnums* table);
QVValue QVValueSetasFlags(uint32_t flags, const QVValueEnums* table);
bool QVValueGetasFlags(const QVValue& value, uint32_t& flags, const QVValueEnums* table);
uint32_t QVValueGetasFlags(const QVValue& value, const QVValueEnums* table);

#endif
