// Internals of the value file form, shared by QVValue, QVValueArray and
// QVDictionary.
#ifndef QV_VALUE_P_H
#define QV_VALUE_P_H

#include <cstdint>
#include <utility>

#include "kit/QVDictionary.h"
#include "kit/QVFile.h"
#include "kit/QVValue.h"

class QVValueCoder {
 public:
  // True when some array or dictionary inside value lies deeper than
  // kQVValueMaxNesting, value itself being at level + 1 if it is one.
  static bool TooDeep(const QVValue& value, uint32_t level);
  // Logs -976 for a value too deeply nested to be read back.
  static long RefuseTooDeep(const QVFile& file);

  [[nodiscard]] static long Write(QVFile& file, const QVValue& value);
  [[nodiscard]] static long WriteArray(QVFile& file, const QVValueArray& array);
  [[nodiscard]] static long WriteDictionary(QVFile& file, const QVDictionary& dictionary);

  // The readers stay inside [current position, limit): a chunk, count or
  // length reaching beyond limit is a damaged file (-977). level is the
  // number of arrays and dictionaries enclosing what is read.
  [[nodiscard]] static long Read(const QVFile& file, QVValue& value, uint64_t limit, uint32_t level);
  // Reads a top-level "arry" or "dict" chunk, limited by the file's size.
  [[nodiscard]] static long ReadArray(const QVFile& file, QVValueArray& array);
  [[nodiscard]] static long ReadDictionary(const QVFile& file, QVDictionary& dictionary);
  // Checks a "dict" header against the file's size and moves past the chunk.
  [[nodiscard]] static long SkipDictionary(const QVFile& file);

 private:
  // Reads a chunk header that must lie, with its payload, before limit.
  // expected 0 accepts any signature; another one fails with -960 when the
  // header holds something else.
  [[nodiscard]] static long ReadHeader(const QVFile& file, QVFileChunk& chunk, uint64_t limit, uint32_t expected);
  // 0 when n bytes from the current position stay before limit, else -977.
  [[nodiscard]] static long CheckRoom(const QVFile& file, uint64_t n, uint64_t limit, const char* what);
  [[nodiscard]] static long FileLimit(const QVFile& file, uint64_t& limit);
  // The payloads after the header; level is the container's own level.
  [[nodiscard]] static long ReadArrayBody(const QVFile& file, const QVFileChunk& chunk, QVValueArray& array,
                            uint32_t level);
  [[nodiscard]] static long ReadDictionaryBody(const QVFile& file, const QVFileChunk& chunk,
                                 QVDictionary& dictionary, uint32_t level);
  [[nodiscard]] static long ReadBinaryBody(const QVFile& file, const QVFileChunk& chunk, QVValue& value);
};

// An "arry" holding each element's value form.
template <class Array, class SetElement>
QVValue* QVValueSetArray(QVValue* value, const Array& array, SetElement setElement) {
  if (!value) return value;
  QVValueArray values(array.Length());
  for (uint32_t i = 0; i < array.Length(); i++) setElement(&values[i], array[i]);
  value->SetasQVValueArray(std::move(values));
  return value;
}

// An empty value fails and leaves out untouched. Any other value empties out
// first; out is filled only when the value is an array whose every element
// reads, and stays empty otherwise.
template <class Array, class GetElement>
bool QVValueGetArray(const QVValue& value, Array& out, GetElement getElement) {
  if (value.IsEmpty()) return false;
  out.Clear();
  const QVValueArray* values = value.GetasQVValueArray();
  if (!values) return false;
  Array read;
  read.Reserve(static_cast<uint32_t>(values->size()));
  for (const QVValue& element : *values) {
    typename Array::value_type item{};
    if (!getElement(element, item)) return false;
    read.Append(std::move(item));
  }
  out = std::move(read);
  return true;
}

#endif
