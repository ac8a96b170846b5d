#include "kit/QVDictionary.h"

#include <algorithm>
#include <utility>

#include "kit/QVErrors.h"
#include "kit/QVValue_p.h"

namespace {

bool IsKeyCharacter(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
}

// Splits a key path into its components; false for an invalid key (empty,
// a byte other than ASCII letters, digits, "_" and ".", an empty component).
bool SplitKey(const QVString& key, std::vector<QVString>& components) {
  components.clear();
  const uint32_t n = key.Length();
  if (n == 0) return false;
  uint32_t start = 0;
  for (uint32_t i = 0; i < n; i++) {
    char c = key[i];
    if (c == '.') {
      if (i == start) return false;  // leading "." or ".."
      components.push_back(key.SubString(start, i));
      start = i + 1;
    } else if (!IsKeyCharacter(c)) {
      return false;
    }
  }
  if (start == n) return false;  // trailing "."
  components.push_back(key.SubString(start, n));
  return true;
}

bool KeyLess(const QVDictionary::Entry& entry, const QVString& key) { return entry.first < key; }

}  // namespace

const QVValue* QVDictionary::Find(const QVString& component) const {
  auto it = std::lower_bound(mEntries.begin(), mEntries.end(), component, KeyLess);
  return (it != mEntries.end() && it->first == component) ? &it->second : nullptr;
}

QVValue* QVDictionary::Find(const QVString& component) {
  return const_cast<QVValue*>(static_cast<const QVDictionary*>(this)->Find(component));
}

QVValue& QVDictionary::Store(const QVString& component, QVValue&& value) {
  auto it = std::lower_bound(mEntries.begin(), mEntries.end(), component, KeyLess);
  if (it != mEntries.end() && it->first == component) {
    it->second = std::move(value);
  } else {
    it = mEntries.emplace(it, component, std::move(value));
  }
  return it->second;
}

const QVDictionary* QVDictionary::Parent(const QVString& key, QVString& last, long& err) const {
  std::vector<QVString> components;
  if (!SplitKey(key, components)) {
    err = kQVErrKeyInvalid;
    return nullptr;
  }
  const QVDictionary* dictionary = this;
  for (size_t i = 0; i + 1 < components.size(); i++) {
    const QVValue* entry = dictionary->Find(components[i]);
    if (!entry) {
      err = kQVErrKeyNotFound;
      return nullptr;
    }
    dictionary = entry->GetasQVDictionary();
    if (!dictionary) {
      err = kQVErrKeyInvalid;
      return nullptr;
    }
  }
  last = std::move(components.back());
  err = 0;
  return dictionary;
}

QVDictionary& QVDictionary::operator=(const QVDictionary& other) {
  if (&other != this) {
    std::vector<Entry> copy(other.mEntries);
    mEntries.swap(copy);
  }
  return *this;
}

bool QVDictionary::IsEqual(const QVDictionary& other) const {
  if (&other == this) return true;
  if (mEntries.size() != other.mEntries.size()) return false;
  for (size_t i = 0; i < mEntries.size(); i++) {
    if (mEntries[i].first != other.mEntries[i].first) return false;
    if (!mEntries[i].second.IsEqual(other.mEntries[i].second)) return false;
  }
  return true;
}

bool QVDictionary::ContainsKey(const QVString& key) const {
  return &GetValue(key) != &kQVNullValue;
}

const QVValue& QVDictionary::GetValue(const QVString& key) const {
  QVString last;
  long err = 0;
  const QVDictionary* parent = Parent(key, last, err);
  const QVValue* value = parent ? parent->Find(last) : nullptr;
  return value ? *value : kQVNullValue;
}

long QVDictionary::GetValue(const QVString& key, QVValue& value) const {
  QVString last;
  long err = 0;
  const QVDictionary* parent = Parent(key, last, err);
  const QVValue* found = parent ? parent->Find(last) : nullptr;
  if (!found) {
    value.Clear();
    return parent ? static_cast<long>(kQVErrKeyNotFound) : err;
  }
  value = *found;
  return 0;
}

long QVDictionary::Write(const QVString& key, const QVValue& value, bool create, bool replace) {
  std::vector<QVString> components;
  if (!SplitKey(key, components)) return kQVErrKeyInvalid;
  // value may live inside this dictionary, which the walk may change.
  QVValue copy(value);
  QVDictionary* dictionary = this;
  for (size_t i = 0; i < components.size(); i++) {
    const bool last = i + 1 == components.size();
    QVValue* entry = dictionary->Find(components[i]);
    if (!entry) {
      if (!create) return kQVErrKeyNotFound;
      if (last) {
        dictionary->Store(components[i], std::move(copy));
        return 0;
      }
      // Nothing on the way can fail once a component is created: every
      // further component is missing from the new, empty dictionary.
      QVValue inner;
      inner.SetasQVDictionary(QVDictionary());
      dictionary = dictionary->Store(components[i], std::move(inner)).GetasQVDictionary();
      continue;
    }
    if (last) {
      if (!replace) return kQVErrKeyExists;
      *entry = std::move(copy);
      return 0;
    }
    QVDictionary* inner = entry->GetasQVDictionary();
    // A component that holds something else is never overwritten on the way:
    // AddValue reports the key as existing, the replacing writes report the
    // path as invalid.
    if (!inner) return replace ? kQVErrKeyInvalid : kQVErrKeyExists;
    dictionary = inner;
  }
  return 0;
}

long QVDictionary::SetValue(const QVString& key, const QVValue& value) {
  return Write(key, value, true, true);
}

long QVDictionary::AddValue(const QVString& key, const QVValue& value) {
  return Write(key, value, true, false);
}

long QVDictionary::ReplaceValue(const QVString& key, const QVValue& value) {
  return Write(key, value, false, true);
}

long QVDictionary::RemoveValue(const QVString& key) {
  QVString last;
  long err = 0;
  // The parent lies inside this dictionary, which is not const here.
  auto* parent = const_cast<QVDictionary*>(Parent(key, last, err));
  if (!parent) return err;
  auto it = std::lower_bound(parent->mEntries.begin(), parent->mEntries.end(), last, KeyLess);
  if (it == parent->mEntries.end() || it->first != last) return kQVErrKeyNotFound;
  parent->mEntries.erase(it);
  return 0;
}

void QVDictionary::Merge(const QVDictionary& other, bool otherWins) {
  if (&other == this) return;
  // other may live inside one of the values this merge replaces: work on a
  // copy, whose values are then moved in.
  QVDictionary source(other);
  for (Entry& entry : source.mEntries) {
    QVValue* mine = Find(entry.first);
    if (!mine) {
      Store(entry.first, std::move(entry.second));
    } else if (otherWins) {
      *mine = std::move(entry.second);
    }
  }
}

bool QVDictionary::GetKeyAndValueByIndex(uint32_t index, QVString* key, QVValue* value) const {
  if (index >= mEntries.size()) {
    if (key) key->Clear();
    if (value) value->Clear();
    return false;
  }
  if (key) *key = mEntries[index].first;
  if (value) *value = mEntries[index].second;
  return true;
}

long QVDictionary::WriteToFile(QVFile& file) const {
  for (const Entry& entry : mEntries) {
    if (QVValueCoder::TooDeep(entry.second, 1)) return QVValueCoder::RefuseTooDeep(file);
  }
  return QVValueCoder::WriteDictionary(file, *this);
}

long QVDictionary::ReadFromFile(const QVFile& file) {
  return QVValueCoder::ReadDictionary(file, *this);
}

long QVDictionary::SkipFromFile(const QVFile& file) { return QVValueCoder::SkipDictionary(file); }

// Defined once, in the shared kits, so that every module of the process (the
// hosts, the plug-in) refers to the same object; constructed before the
// kits' other statics (init_priority), which may use it.
__attribute__((init_priority(101))) const QVDictionary kQVNullDictionary;
