// QVDictionary: an ordered map from QVString keys to QVValue values, ordered
// by case-sensitive byte comparison of the keys. Iteration,
// GetKeyAndValueByIndex and the file form follow that order. Dictionaries
// copy deeply.
//
// Keys and key paths: a key is valid when it is non-empty, holds only ASCII
// letters, digits, "_" and ".", neither starts nor ends with "." and has no
// two "." in a row. Its "."-separated parts are components: "width" names an
// entry of this dictionary, "style.pen.width" the entry "width" of the
// dictionary held under "pen" of the dictionary held under "style".
//
// Status codes of the keyed operations (none of them logs):
//   -938 kQVErrKeyExists    AddValue on an existing key, or through a
//                           component that does not hold a dictionary
//   -939 kQVErrKeyNotFound  the key, or a component of its path, is missing
//   -940 kQVErrKeyInvalid   the key is invalid, or a component that must hold
//                           a dictionary holds something else
#ifndef QV_DICTIONARY_H
#define QV_DICTIONARY_H

#include <cstdint>
#include <utility>
#include <vector>

#include "kit/QVString.h"
#include "kit/QVValue.h"

class QVFile;
class QVValueCoder;

class QVDictionary {
 public:
  using Entry = std::pair<QVString, QVValue>;
  using const_iterator = std::vector<Entry>::const_iterator;

  QVDictionary() = default;
  QVDictionary(const QVDictionary&) = default;
  QVDictionary(QVDictionary&&) noexcept = default;
  // Copies before replacing: other may live inside this dictionary.
  QVDictionary& operator=(const QVDictionary& other);
  QVDictionary& operator=(QVDictionary&&) noexcept = default;

  uint32_t Count() const { return static_cast<uint32_t>(mEntries.size()); }
  bool IsEmpty() const { return mEntries.empty(); }
  void Clear() { mEntries.clear(); }
  void Assign(const QVDictionary& other) { *this = other; }

  // The same object is equal; otherwise the same count and, in key order,
  // equal keys and IsEqual values.
  bool IsEqual(const QVDictionary& other) const;

  // True when the key path resolves.
  bool ContainsKey(const QVString& key) const;
  // The value, or kQVNullValue when the key is invalid or does not resolve.
  const QVValue& GetValue(const QVString& key) const;
  // Copies the value; on failure value is emptied. -939, -940.
  long GetValue(const QVString& key, QVValue& value) const;

  // Creates or replaces the entry, creating missing intermediate
  // dictionaries. A path through a component that holds something other than
  // a dictionary fails with -940 and changes nothing: the component is never
  // replaced behind the caller's back. -940 also for an invalid key.
  long SetValue(const QVString& key, const QVValue& value);
  // Only creates: -938 when the key exists (the old value stays) or when a
  // component holds something other than a dictionary. -940.
  long AddValue(const QVString& key, const QVValue& value);
  // Only replaces: -939 when the key or a component is missing (nothing is
  // added); -940 through a non-dictionary component or for an invalid key.
  long ReplaceValue(const QVString& key, const QVValue& value);
  // Erases the entry the path names. -939, -940.
  long RemoveValue(const QVString& key);

  // Adds every top-level entry of other. On equal keys other's value wins
  // when otherWins, this dictionary's value otherwise; nested dictionaries
  // are replaced whole, not merged.
  void Merge(const QVDictionary& other, bool otherWins);

  // The index-th entry in key order; key and value may be null. Out of range:
  // key and value emptied, false.
  bool GetKeyAndValueByIndex(uint32_t index, QVString* key, QVValue* value) const;

  // The "dict" chunk (see QVValue::WriteToFile). -976 for nesting beyond
  // kQVValueMaxNesting.
  long WriteToFile(QVFile& file) const;
  // Empties the dictionary, checks the "dict" header (-960), reads the count
  // and the entries (a repeated key keeps its last value; keys are stored as
  // read, without validation). On error the dictionary is empty again.
  long ReadFromFile(const QVFile& file);
  // Checks the "dict" header (-960) and moves to the chunk's end.
  static long SkipFromFile(const QVFile& file);

  const_iterator begin() const { return mEntries.begin(); }
  const_iterator end() const { return mEntries.end(); }

 private:
  friend class QVValueCoder;

  // The entry under one component, or null.
  const QVValue* Find(const QVString& component) const;
  QVValue* Find(const QVString& component);
  // Inserts at the key's place or replaces the value there; returns the
  // stored value.
  QVValue& Store(const QVString& component, QVValue&& value);
  // The dictionary that holds the last component of a valid key path, or
  // null with -939 / -940 in err. last receives the last component.
  const QVDictionary* Parent(const QVString& key, QVString& last, long& err) const;
  // Walks a key path for writing with the create / replace permissions.
  long Write(const QVString& key, const QVValue& value, bool create, bool replace);

  std::vector<Entry> mEntries;
};

// The empty dictionary, returned by reference where there is no result; one
// object in the process, ready before any other static (see kQVNullString).
extern const QVDictionary kQVNullDictionary;

#endif
