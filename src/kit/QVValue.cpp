#include "kit/QVValue.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <utility>

#include "kit/QVDictionary.h"
#include "kit/QVFile.h"
#include "kit/QVLog.h"
#include "kit/QVStringForms.h"
#include "kit/QVValue_p.h"

// ---------------------------------------------------------------- QVValue

QVValue::QVValue(const QVValue& other) : QVValue() { *this = other; }

QVValue::QVValue(QVValue&& other) noexcept : QVValue() { TakeFrom(other); }

QVValue& QVValue::operator=(const QVValue& other) {
  if (&other == this) return *this;
  switch (other.mType) {
    case kQVValueTypeString:
      SetasQVString(*other.mString);
      break;
    case kQVValueTypeBinary:
      SetasBinary(other.mBinary->data(), static_cast<uint32_t>(other.mBinary->size()));
      break;
    case kQVValueTypeArray:
      SetasQVValueArray(*other.mArray);
      break;
    case kQVValueTypeDictionary:
      SetasQVDictionary(*other.mDictionary);
      break;
    default: {
      // Empty or a scalar: the payload is the bits of the union. other may
      // live inside this value's payload, so take it before releasing.
      QVValue scalar;
      scalar.mType = other.mType;
      scalar.CopyBits(other);
      Release();
      TakeFrom(scalar);
      break;
    }
  }
  return *this;
}

QVValue& QVValue::operator=(QVValue&& other) noexcept {
  if (&other != this) {
    // other may live inside this value's payload: detach it before releasing.
    QVValue taken(std::move(other));
    Release();
    TakeFrom(taken);
  }
  return *this;
}

QVValue::~QVValue() { Release(); }

void QVValue::Release() noexcept {
  switch (mType) {
    case kQVValueTypeString:
      delete mString;
      break;
    case kQVValueTypeBinary:
      delete mBinary;
      break;
    case kQVValueTypeArray:
      delete mArray;
      break;
    case kQVValueTypeDictionary:
      delete mDictionary;
      break;
    default:
      break;
  }
  mType = kQVValueTypeEmpty;
  mInteger = 0;
}

void QVValue::CopyBits(const QVValue& other) noexcept {
  static_assert(sizeof(mInteger) >= sizeof(void*), "the union is as wide as its integer");
  std::memcpy(static_cast<void*>(&mInteger), static_cast<const void*>(&other.mInteger),
              sizeof(mInteger));
}

void QVValue::TakeFrom(QVValue& other) noexcept {
  mType = other.mType;
  CopyBits(other);
  other.mType = kQVValueTypeEmpty;
  other.mInteger = 0;
}

void QVValue::Clear() { Release(); }

void QVValue::SetasBool(bool b) {
  Release();
  mType = kQVValueTypeBool;
  mBool = b;
}

void QVValue::SetasInteger(int64_t i) {
  Release();
  mType = kQVValueTypeInteger;
  mInteger = i;
}

void QVValue::SetasFloat(double f) {
  Release();
  mType = kQVValueTypeFloat;
  mFloat = f;
}

template <>
QVString*& QVValue::Slot<QVString>() {
  return mString;
}
template <>
QVValueArray*& QVValue::Slot<QVValueArray>() {
  return mArray;
}
template <>
QVDictionary*& QVValue::Slot<QVDictionary>() {
  return mDictionary;
}

// The new payload is built before the old one goes, since source may live
// inside the old payload.
template <class T, class Source>
void QVValue::SetOwned(uint32_t type, Source&& source) {
  if (mType == type && Slot<T>() == &source) return;
  T* made = new T(std::forward<Source>(source));
  Release();
  mType = type;
  Slot<T>() = made;
}

void QVValue::SetasQVString(const QVString& s) { SetOwned<QVString>(kQVValueTypeString, s); }
void QVValue::SetasQVString(QVString&& s) { SetOwned<QVString>(kQVValueTypeString, std::move(s)); }
void QVValue::SetasQVValueArray(const QVValueArray& a) {
  SetOwned<QVValueArray>(kQVValueTypeArray, a);
}
void QVValue::SetasQVValueArray(QVValueArray&& a) {
  SetOwned<QVValueArray>(kQVValueTypeArray, std::move(a));
}
void QVValue::SetasQVDictionary(const QVDictionary& d) {
  SetOwned<QVDictionary>(kQVValueTypeDictionary, d);
}
void QVValue::SetasQVDictionary(QVDictionary&& d) {
  SetOwned<QVDictionary>(kQVValueTypeDictionary, std::move(d));
}

void QVValue::SetasBinary(const void* bytes, uint32_t length) {
  auto* block = new std::vector<uint8_t>();
  if (bytes && length) {
    const auto* begin = static_cast<const uint8_t*>(bytes);
    block->assign(begin, begin + length);
  }
  Release();
  mType = kQVValueTypeBinary;
  mBinary = block;
}

// Half away from zero, then toward zero to 64 bits. Not-a-number and values
// outside the 64-bit range have no integer.
static bool RoundToInteger(double x, int64_t& i) {
  if (std::isnan(x)) return false;
  double r = std::trunc(x >= 0.0 ? x + 0.5 : x - 0.5);
  if (r < -9223372036854775808.0 || r >= 9223372036854775808.0) return false;
  i = static_cast<int64_t>(r);
  return true;
}

bool QVValue::GetasBool(bool& b, bool convert) const {
  if (mType == kQVValueTypeBool) {
    b = mBool;
    return true;
  }
  if (!convert) return false;
  switch (mType) {
    case kQVValueTypeInteger:
      b = mInteger != 0;
      return true;
    case kQVValueTypeFloat:
      b = mFloat != 0.0;
      return true;
    case kQVValueTypeString: {
      int64_t i = 0;
      if (strGetasSInt64(mString->c_str(), &i, 0)) {
        b = i != 0;
        return true;
      }
      double f = 0.0;
      if (strGetasFloat64(mString->c_str(), &f, 0.0)) {
        b = f != 0.0;
        return true;
      }
      return false;
    }
    default:
      return false;
  }
}

bool QVValue::GetasInteger(int64_t& i, bool convert) const {
  if (mType == kQVValueTypeInteger) {
    i = mInteger;
    return true;
  }
  if (!convert) return false;
  switch (mType) {
    case kQVValueTypeBool:
      i = mBool ? 1 : 0;
      return true;
    case kQVValueTypeFloat:
      return RoundToInteger(mFloat, i);
    case kQVValueTypeString: {
      int64_t parsed = 0;
      if (strGetasSInt64(mString->c_str(), &parsed, 0)) {
        i = parsed;
        return true;
      }
      double f = 0.0;
      return strGetasFloat64(mString->c_str(), &f, 0.0) && RoundToInteger(f, i);
    }
    default:
      return false;
  }
}

bool QVValue::GetasFloat(double& f, bool convert) const {
  if (mType == kQVValueTypeFloat) {
    f = mFloat;
    return true;
  }
  if (!convert) return false;
  switch (mType) {
    case kQVValueTypeBool:
      f = mBool ? 1.0 : 0.0;
      return true;
    case kQVValueTypeInteger:
      f = static_cast<double>(mInteger);
      return true;
    case kQVValueTypeString: {
      double parsed = 0.0;
      if (!strGetasFloat64(mString->c_str(), &parsed, 0.0)) return false;
      f = parsed;
      return true;
    }
    default:
      return false;
  }
}

const QVString* QVValue::GetasQVString() const {
  return mType == kQVValueTypeString ? mString : nullptr;
}
QVString* QVValue::GetasQVString() { return mType == kQVValueTypeString ? mString : nullptr; }
const QVValueArray* QVValue::GetasQVValueArray() const {
  return mType == kQVValueTypeArray ? mArray : nullptr;
}
QVValueArray* QVValue::GetasQVValueArray() { return mType == kQVValueTypeArray ? mArray : nullptr; }
const QVDictionary* QVValue::GetasQVDictionary() const {
  return mType == kQVValueTypeDictionary ? mDictionary : nullptr;
}
QVDictionary* QVValue::GetasQVDictionary() {
  return mType == kQVValueTypeDictionary ? mDictionary : nullptr;
}

bool QVValue::GetasQVString(QVString& s) const {
  if (mType != kQVValueTypeString) return false;
  s = *mString;
  return true;
}

bool QVValue::GetasQVValueArray(QVValueArray& a) const {
  if (mType != kQVValueTypeArray) return false;
  if (&a != mArray) a = *mArray;
  return true;
}

bool QVValue::GetasQVDictionary(QVDictionary& d) const {
  if (mType != kQVValueTypeDictionary) return false;
  if (&d != mDictionary) d = *mDictionary;
  return true;
}

bool QVValue::GetasBinary(const void*& bytes, uint32_t& length) const {
  if (mType != kQVValueTypeBinary) return false;
  bytes = mBinary->empty() ? nullptr : mBinary->data();
  length = static_cast<uint32_t>(mBinary->size());
  return true;
}

bool QVValue::IsEqual(const QVValue& other) const {
  if (&other == this) return true;
  if (mType != other.mType) return false;
  switch (mType) {
    case kQVValueTypeEmpty:
      return true;
    case kQVValueTypeBool:
      return mBool == other.mBool;
    case kQVValueTypeInteger:
      return mInteger == other.mInteger;
    case kQVValueTypeFloat:
      return mFloat == other.mFloat;
    case kQVValueTypeString:
      return *mString == *other.mString;
    case kQVValueTypeBinary:
      return *mBinary == *other.mBinary;
    case kQVValueTypeArray:
      return mArray->IsEqual(*other.mArray);
    case kQVValueTypeDictionary:
      return mDictionary->IsEqual(*other.mDictionary);
    default:
      return false;
  }
}

long QVValue::WriteToFile(QVFile& file) const {
  if (QVValueCoder::TooDeep(*this, 0)) return QVValueCoder::RefuseTooDeep(file);
  return QVValueCoder::Write(file, *this);
}

long QVValue::ReadFromFile(const QVFile& file) {
  Clear();
  uint64_t size = 0;
  long err = file.GetFileSize(size);
  if (err == 0) err = QVValueCoder::Read(file, *this, size, 0);
  if (err != 0) Clear();
  return err;
}

// ----------------------------------------------------------- QVValueArray

QVValueArray& QVValueArray::operator=(const QVValueArray& other) {
  if (&other != this) {
    QVValueArray copy(other);
    swap(copy);
  }
  return *this;
}

bool QVValueArray::IsEqual(const QVValueArray& other) const {
  if (&other == this) return true;
  if (size() != other.size()) return false;
  for (size_t i = 0; i < size(); i++) {
    if (!(*this)[i].IsEqual(other[i])) return false;
  }
  return true;
}

long QVValueArray::WriteToFile(QVFile& file) const {
  for (const QVValue& element : *this) {
    if (QVValueCoder::TooDeep(element, 1)) return QVValueCoder::RefuseTooDeep(file);
  }
  return QVValueCoder::WriteArray(file, *this);
}

long QVValueArray::ReadFromFile(const QVFile& file) { return QVValueCoder::ReadArray(file, *this); }

// --------------------------------------------------------- QVValueCoder

namespace {

// Zero bytes that bring n up to a multiple of 4.
uint32_t PaddingOf(uint32_t n) { return (4u - (n & 3u)) & 3u; }

}  // namespace

bool QVValueCoder::TooDeep(const QVValue& value, uint32_t level) {
  if (const QVValueArray* array = value.GetasQVValueArray()) {
    if (level + 1 > kQVValueMaxNesting) return true;
    for (const QVValue& element : *array) {
      if (TooDeep(element, level + 1)) return true;
    }
  } else if (const QVDictionary* dictionary = value.GetasQVDictionary()) {
    if (level + 1 > kQVValueMaxNesting) return true;
    for (const QVDictionary::Entry& entry : *dictionary) {
      if (TooDeep(entry.second, level + 1)) return true;
    }
  }
  return false;
}

long QVValueCoder::RefuseTooDeep(const QVFile& file) {
  return QVLogError(kQVErrFileWrite,
                    "Can't write to file \"%s\": values nested deeper than %u levels",
                    file.LogPath(), static_cast<unsigned>(kQVValueMaxNesting));
}

long QVValueCoder::Write(QVFile& file, const QVValue& value) {
  switch (value.Type()) {
    case kQVValueTypeString: {
      // The string's file form starts with its padded length, which is the
      // chunk's size: the tag alone completes the header.
      long err = QVFileWriteSignat32(file, kQVValueTypeString);
      return err ? err : value.GetasQVString()->WriteToFile(file);
    }
    case kQVValueTypeArray:
      return WriteArray(file, *value.GetasQVValueArray());
    case kQVValueTypeDictionary:
      return WriteDictionary(file, *value.GetasQVDictionary());
    default:
      break;
  }

  // Unknown tags cannot be held, so what remains is empty or a scalar or a block.
  QVFileChunk chunk(value.Type());
  long err = QVFileWriteChunkHeader(file, chunk);
  if (err) return err;
  switch (value.Type()) {
    case kQVValueTypeBool: {
      bool b = false;
      value.GetasBool(b, false);
      err = QVFileWriteUInt32(file, b ? 1u : 0u);
      break;
    }
    case kQVValueTypeInteger: {
      int64_t i = 0;
      value.GetasInteger(i, false);
      err = QVFileWriteSInt64(file, i);
      break;
    }
    case kQVValueTypeFloat: {
      double f = 0.0;
      value.GetasFloat(f, false);
      err = QVFileWriteFloat64(file, f);
      break;
    }
    case kQVValueTypeBinary: {
      const void* bytes = nullptr;
      uint32_t length = 0;
      value.GetasBinary(bytes, length);
      err = QVFileWriteUInt32(file, length);
      if (err == 0) err = QVFileWrite(file, bytes, length);
      if (err == 0) err = QVFileWriteZeros(file, PaddingOf(length));
      break;
    }
    default:
      break;
  }
  return err ? err : QVFileWriteChunkComplete(file, chunk);
}

long QVValueCoder::WriteArray(QVFile& file, const QVValueArray& array) {
  QVFileChunk chunk(kQVValueTypeArray);
  long err = QVFileWriteChunkHeader(file, chunk);
  if (err == 0) err = QVFileWriteUInt32(file, static_cast<uint32_t>(array.size()));
  for (size_t i = 0; err == 0 && i < array.size(); i++) err = Write(file, array[i]);
  return err ? err : QVFileWriteChunkComplete(file, chunk);
}

long QVValueCoder::WriteDictionary(QVFile& file, const QVDictionary& dictionary) {
  QVFileChunk chunk(kQVValueTypeDictionary);
  long err = QVFileWriteChunkHeader(file, chunk);
  if (err == 0) err = QVFileWriteUInt32(file, dictionary.Count());
  for (auto it = dictionary.begin(); err == 0 && it != dictionary.end(); ++it) {
    err = it->first.WriteToFile(file);
    if (err == 0) err = Write(file, it->second);
  }
  return err ? err : QVFileWriteChunkComplete(file, chunk);
}

long QVValueCoder::CheckRoom(const QVFile& file, uint64_t n, uint64_t limit, const char* what) {
  uint64_t pos = 0;
  long err = file.GetPos(pos);
  if (err) return err;
  if (pos > limit || limit - pos < n) {
    return QVLogError(kQVErrFileRead,
                      "Can't read in file \"%s\": %s at pos %llu overrun the chunk or the file",
                      file.LogPath(), what, static_cast<unsigned long long>(pos));
  }
  return 0;
}

long QVValueCoder::FileLimit(const QVFile& file, uint64_t& limit) {
  return file.GetFileSize(limit);
}

long QVValueCoder::ReadHeader(const QVFile& file, QVFileChunk& chunk, uint64_t limit,
                              uint32_t expected) {
  long err = CheckRoom(file, 8, limit, "value header");
  if (err) return err;
  if (expected) {
    chunk.SetSignature(expected);
    err = QVFileCheckChunkHeader(file, chunk);
  } else {
    err = QVFileReadChunkHeader(file, chunk);
  }
  if (err) return err;
  return CheckRoom(file, chunk.Size(), limit, "value chunk");
}

long QVValueCoder::Read(const QVFile& file, QVValue& value, uint64_t limit, uint32_t level) {
  value.Clear();
  QVFileChunk chunk;
  long err = ReadHeader(file, chunk, limit, 0);
  if (err) return err;

  switch (chunk.Signature()) {
    case kQVValueTypeBool: {
      uint32_t b = 0;
      err = CheckRoom(file, 4, chunk.EndPosition(), "boolean");
      if (err == 0) err = QVFileReadUInt32(file, b);
      if (err == 0) value.SetasBool(b != 0);
      break;
    }
    case kQVValueTypeInteger: {
      int64_t i = 0;
      err = CheckRoom(file, 8, chunk.EndPosition(), "integer");
      if (err == 0) err = QVFileReadSInt64(file, i);
      if (err == 0) value.SetasInteger(i);
      break;
    }
    case kQVValueTypeFloat: {
      double f = 0.0;
      err = CheckRoom(file, 8, chunk.EndPosition(), "real");
      if (err == 0) err = QVFileReadFloat64(file, f);
      if (err == 0) value.SetasFloat(f);
      break;
    }
    case kQVValueTypeString: {
      // The chunk's size doubles as the string's length: read the string
      // form from the size field on.
      QVString s;
      err = QVFileSkipBack(file, 4);
      if (err == 0) err = QVFileReadQVString(file, s);
      if (err == 0) value.SetasQVString(std::move(s));
      break;
    }
    case kQVValueTypeBinary:
      err = ReadBinaryBody(file, chunk, value);
      break;
    case kQVValueTypeArray:
    case kQVValueTypeDictionary: {
      if (level + 1 > kQVValueMaxNesting) {
        err = QVLogError(kQVErrFileRead,
                         "Can't read in file \"%s\": values nested deeper than %u levels",
                         file.LogPath(), static_cast<unsigned>(kQVValueMaxNesting));
        break;
      }
      if (chunk.Signature() == kQVValueTypeArray) {
        QVValueArray array;
        err = ReadArrayBody(file, chunk, array, level + 1);
        if (err == 0) value.SetasQVValueArray(std::move(array));
      } else {
        QVDictionary dictionary;
        err = ReadDictionaryBody(file, chunk, dictionary, level + 1);
        if (err == 0) value.SetasQVDictionary(std::move(dictionary));
      }
      break;
    }
    default:
      // A type this reader does not know (the empty value included): skipped,
      // so that files with newer value types still load.
      break;
  }
  if (err == 0) err = QVFileGotoChunkEnd(file, chunk);
  if (err) value.Clear();
  return err;
}

long QVValueCoder::ReadBinaryBody(const QVFile& file, const QVFileChunk& chunk, QVValue& value) {
  uint32_t length = 0;
  long err = CheckRoom(file, 4, chunk.EndPosition(), "block length");
  if (err == 0) err = QVFileReadUInt32(file, length);
  if (err == 0) err = CheckRoom(file, length, chunk.EndPosition(), "block");
  if (err) return err;
  std::vector<uint8_t> bytes(length);
  err = QVFileRead(file, bytes.data(), length);
  if (err == 0) value.SetasBinary(bytes.data(), length);
  return err;
}

long QVValueCoder::ReadArrayBody(const QVFile& file, const QVFileChunk& chunk, QVValueArray& array,
                                 uint32_t level) {
  array.clear();
  uint32_t count = 0;
  long err = CheckRoom(file, 4, chunk.EndPosition(), "element count");
  if (err == 0) err = QVFileReadUInt32(file, count);
  // Every element takes at least its 8-byte header.
  if (err == 0) err = CheckRoom(file, uint64_t{count} * 8, chunk.EndPosition(), "array elements");
  if (err) return err;
  array.reserve(count);
  for (uint32_t i = 0; i < count; i++) {
    QVValue element;
    err = Read(file, element, chunk.EndPosition(), level);
    if (err) {
      array.clear();
      return err;
    }
    array.push_back(std::move(element));
  }
  return 0;
}

long QVValueCoder::ReadDictionaryBody(const QVFile& file, const QVFileChunk& chunk,
                                      QVDictionary& dictionary, uint32_t level) {
  dictionary.Clear();
  const uint64_t end = chunk.EndPosition();
  uint32_t count = 0;
  long err = CheckRoom(file, 4, end, "entry count");
  if (err == 0) err = QVFileReadUInt32(file, count);
  // Every entry takes at least a key length and a value header.
  if (err == 0) err = CheckRoom(file, uint64_t{count} * 12, end, "dictionary entries");
  std::vector<QVDictionary::Entry> entries;
  for (uint32_t i = 0; err == 0 && i < count; i++) {
    // The key's length is checked against the chunk before the string reader
    // allocates for it.
    uint32_t keyLength = 0;
    err = QVFileReadUInt32(file, keyLength);
    if (err == 0) err = CheckRoom(file, keyLength, end, "key");
    if (err == 0) err = QVFileSkipBack(file, 4);
    QVString key;
    if (err == 0) err = QVFileReadQVString(file, key);
    QVValue value;
    if (err == 0) err = Read(file, value, end, level);
    if (err == 0) entries.emplace_back(std::move(key), std::move(value));
  }
  if (err) return err;
  // Sorted once rather than inserted one by one: entries out of key order
  // (a damaged or foreign file) would otherwise move the ones already stored
  // at every insertion, quadratic in the count. The sort is stable, so the
  // last of a repeated key is the last one in the file, and it is the one
  // kept, as plain insertion would.
  std::stable_sort(entries.begin(), entries.end(),
                   [](const QVDictionary::Entry& a, const QVDictionary::Entry& b) {
                     return a.first < b.first;
                   });
  for (size_t i = 0; i < entries.size(); i++) {
    if (i + 1 < entries.size() && entries[i + 1].first == entries[i].first) continue;
    dictionary.mEntries.push_back(std::move(entries[i]));
  }
  return 0;
}

long QVValueCoder::ReadArray(const QVFile& file, QVValueArray& array) {
  array.clear();
  uint64_t limit = 0;
  QVFileChunk chunk;
  long err = FileLimit(file, limit);
  if (err == 0) err = ReadHeader(file, chunk, limit, kQVValueTypeArray);
  if (err == 0) err = ReadArrayBody(file, chunk, array, 1);
  if (err == 0) err = QVFileGotoChunkEnd(file, chunk);
  if (err) array.clear();
  return err;
}

long QVValueCoder::ReadDictionary(const QVFile& file, QVDictionary& dictionary) {
  dictionary.Clear();
  uint64_t limit = 0;
  QVFileChunk chunk;
  long err = FileLimit(file, limit);
  if (err == 0) err = ReadHeader(file, chunk, limit, kQVValueTypeDictionary);
  if (err == 0) err = ReadDictionaryBody(file, chunk, dictionary, 1);
  if (err == 0) err = QVFileGotoChunkEnd(file, chunk);
  if (err) dictionary.Clear();
  return err;
}

long QVValueCoder::SkipDictionary(const QVFile& file) {
  uint64_t limit = 0;
  QVFileChunk chunk;
  long err = FileLimit(file, limit);
  if (err == 0) err = ReadHeader(file, chunk, limit, kQVValueTypeDictionary);
  return err ? err : QVFileGotoChunkEnd(file, chunk);
}

// Defined once, in the shared kits, so that every module of the process (the
// hosts, the plug-in) refers to the same object; constructed before the
// kits' other statics (init_priority), which may use it.
__attribute__((init_priority(101))) const QVValue kQVNullValue;
__attribute__((init_priority(101))) const QVValueArray kQVNullValueArray;
__attribute__((init_priority(101))) const QVString kQVNullKey;
