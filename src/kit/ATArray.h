// The kit's contiguous growable arrays: ATArray for objects, ATNumberArray for
// plain values (numbers, points, rectangles, UTF-16 units).
//
// Indices and counts are unsigned 32-bit. An empty array hands out a null
// Data() pointer with Length() 0, which is how pointer-and-count routines
// expect "no elements". Arrays are values: copies are deep.
#ifndef AT_ARRAY_H
#define AT_ARRAY_H

#include <algorithm>
#include <cstdint>
#include <initializer_list>
#include <type_traits>
#include <utility>
#include <vector>

template <class T>
class ATArray {
 public:
  using value_type = T;
  using iterator = typename std::vector<T>::iterator;
  using const_iterator = typename std::vector<T>::const_iterator;

  ATArray() = default;
  ATArray(std::initializer_list<T> items) : mItems(items) {}
  // count elements copied from items (null items or count 0: empty).
  ATArray(const T* items, uint32_t count) { Append(items, count); }

  uint32_t Length() const { return static_cast<uint32_t>(mItems.size()); }
  bool IsEmpty() const { return mItems.empty(); }

  // Null when empty.
  T* Data() { return mItems.empty() ? nullptr : mItems.data(); }
  const T* Data() const { return mItems.empty() ? nullptr : mItems.data(); }

  // Unchecked, as for a C array.
  T& operator[](uint32_t i) { return mItems[i]; }
  const T& operator[](uint32_t i) const { return mItems[i]; }
  T& Last() { return mItems.back(); }
  const T& Last() const { return mItems.back(); }

  void Append(const T& item) { mItems.push_back(item); }
  void Append(T&& item) { mItems.push_back(std::move(item)); }
  void Append(const T* items, uint32_t count) {
    if (items && count) mItems.insert(mItems.end(), items, items + count);
  }
  void Append(const ATArray& other) {
    if (&other == this) {
      std::vector<T> copy(mItems);
      mItems.insert(mItems.end(), copy.begin(), copy.end());
    } else {
      mItems.insert(mItems.end(), other.mItems.begin(), other.mItems.end());
    }
  }

  // Inserts count copies of item before index; an index past the end appends.
  void Insert(uint32_t index, const T& item, uint32_t count = 1) {
    if (index > Length()) index = Length();
    T copy(item);  // item may live inside this array
    mItems.insert(mItems.begin() + index, count, copy);
  }
  // Inserts all of other before index; an index past the end appends.
  void InsertArray(uint32_t index, const ATArray& other) {
    if (index > Length()) index = Length();
    std::vector<T> copy(other.mItems);
    mItems.insert(mItems.begin() + index, copy.begin(), copy.end());
  }
  void Prepend(const ATArray& other) { InsertArray(0, other); }

  // Removes count elements from index; the run is clipped to the array.
  void Remove(uint32_t index, uint32_t count = 1) {
    if (index >= Length() || count == 0) return;
    uint32_t end = (count > Length() - index) ? Length() : index + count;
    mItems.erase(mItems.begin() + index, mItems.begin() + end);
  }

  // Grows with value-initialised (zero) elements or shrinks to n.
  void SetLength(uint32_t n) { mItems.resize(n); }
  void Reserve(uint32_t n) { mItems.reserve(n); }
  // Empties the array, keeping its storage.
  void Clear() { mItems.clear(); }
  // Empties the array and releases its storage.
  void Free() { std::vector<T>().swap(mItems); }
  // Releases spare capacity.
  void Shrink() { mItems.shrink_to_fit(); }

  // Replaces dest's content by count elements from start, clipped to this array.
  void GetSubArray(ATArray& dest, uint32_t start, uint32_t count) const {
    if (&dest == this) {
      ATArray copy(*this);
      copy.GetSubArray(dest, start, count);
      return;
    }
    dest.Clear();
    if (start >= Length()) return;
    uint32_t end = (count > Length() - start) ? Length() : start + count;
    dest.mItems.assign(mItems.begin() + start, mItems.begin() + end);
  }

  void Sort() { std::sort(mItems.begin(), mItems.end()); }
  template <class Less>
  void Sort(Less less) {
    std::sort(mItems.begin(), mItems.end(), less);
  }
  // Removes adjacent equal elements (sort first for a set).
  void RemoveDuplicates() { mItems.erase(std::unique(mItems.begin(), mItems.end()), mItems.end()); }

  bool operator==(const ATArray& other) const { return mItems == other.mItems; }
  bool operator!=(const ATArray& other) const { return mItems != other.mItems; }

  iterator begin() { return mItems.begin(); }
  iterator end() { return mItems.end(); }
  const_iterator begin() const { return mItems.begin(); }
  const_iterator end() const { return mItems.end(); }

 private:
  std::vector<T> mItems;
};

// An ATArray of plain values: numbers, UTF-16 units, points, rectangles.
// Such elements copy as bytes and zero-fill when the array grows.
template <class T>
class ATNumberArray : public ATArray<T> {
  static_assert(std::is_trivially_copyable<T>::value, "ATNumberArray holds plain values");

 public:
  using ATArray<T>::ATArray;
  ATNumberArray() = default;
};

#endif
