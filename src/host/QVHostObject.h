// Shared ground of the host bridge: the host objects that the plug-in reaches
// through tables, and the 16-byte member-function slots of those tables.
//
// Records and tables are laid out for a host with 64-bit pointers:
//   - a 32-bit word stays 4 bytes; a pointer takes 8 bytes;
//   - a member-function slot takes 16 bytes (Itanium C++ ABI: code word, then
//     this-adjustment; an odd code word names a virtual slot, code - 1 being
//     the offset into the host object's virtual table);
//   - every record and table is defined once, here in src/host, shared by the
//     plug-in and the reference host, each offset pinned by a static_assert.
#ifndef QV_HOST_OBJECT_H
#define QV_HOST_OBJECT_H

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <type_traits>

// Base of every host object reached through a table (class records, panel
// descriptions, panel controls, undo handlers) and of graphic objects. It has
// no data: the tables' member slots are pointers to members of this class, and
// a host stores pointers to members of its derived classes converted to it.
class QVHostObject {};

// Each member slot's index is paired with its method type once, where the
// record that holds the slot declares its indices: QV_SLOT(kQVClassSlotDraw,
// QVClassRecord, QVMethodDraw) makes QVSlot<kQVClassSlotDraw>::Method the
// type QVMethodDraw and QVSlot<kQVClassSlotDraw>::Record the record. The
// indices of each record are an enumeration of their own, so a slot index
// also names its record. Filling and calling a slot go through the pair
// (QVMethodSlot::For, QVSlotSet, QVSlotGet): a method of another type, a
// slot of another record or an index without a pair does not compile.
template <auto Slot>
struct QVSlot;

#define QV_SLOT(slot, record, method) \
  template <>                         \
  struct QVSlot<slot> {               \
    using Record = record;            \
    using Method = method;            \
  }

// Whether a pointer to member function PM may fill a slot documented as
// Method: the same function type, on the documented class or one derived
// from it.
template <class Method, class PM>
struct QVSlotAccepts : std::false_type {};
template <class F, class Base, class Derived>
struct QVSlotAccepts<F Base::*, F Derived::*> : std::is_base_of<Base, Derived> {};

// A member-function slot as stored in a record: the two words of an Itanium
// pointer to member function. An all-zero slot is empty (the null member pointer).
struct QVMethodSlot {
  uintptr_t code;
  ptrdiff_t adjust;

  bool IsEmpty() const { return code == 0; }

  // A slot holding method, a member function of the class the slot's
  // method type names or of a class derived from it, of the paired type.
  template <auto Slot, class PM>
  static QVMethodSlot For(PM method) {
    using Method = typename QVSlot<Slot>::Method;
    static_assert(QVSlotAccepts<Method, PM>::value,
                  "the method's type is not the one paired with this slot");
    return From(static_cast<Method>(method));
  }

  // The pointer to member this slot holds as the type paired with Slot.
  template <auto Slot>
  typename QVSlot<Slot>::Method Get() const {
    return As<typename QVSlot<Slot>::Method>();
  }

  // Stores a pointer to member function of QVHostObject or of a class derived
  // from it (the caller converts with static_cast first). Slots that are
  // not indexed (a table's fixed members) use this directly; indexed slots
  // go through For.
  template <class PM>
  static QVMethodSlot From(PM method) {
    static_assert(std::is_member_function_pointer<PM>::value, "a member function pointer");
    static_assert(sizeof(PM) == sizeof(QVMethodSlot), "Itanium member pointers take two words");
    QVMethodSlot slot;
    std::memcpy(&slot, &method, sizeof slot);
    return slot;
  }

  // The pointer to member this slot holds, as the type the slot is documented
  // with (indexed slots: Get).
  template <class PM>
  PM As() const {
    static_assert(std::is_member_function_pointer<PM>::value, "a member function pointer");
    static_assert(sizeof(PM) == sizeof(QVMethodSlot), "Itanium member pointers take two words");
    PM method;
    std::memcpy(&method, this, sizeof method);
    return method;
  }
};

// Slot Slot of record, which must be the record the slot is paired with (or
// a host's record derived from it).
template <auto Slot, class Record>
auto& QVSlotIn(Record& record) {
  static_assert(std::is_base_of<typename QVSlot<Slot>::Record, std::remove_const_t<Record>>::value,
                "the slot belongs to another record");
  return record.methods[Slot];
}

// Fills record's slot Slot with method (see QVMethodSlot::For).
template <auto Slot, class Record, class PM>
void QVSlotSet(Record& record, PM method) {
  QVSlotIn<Slot>(record) = QVMethodSlot::For<Slot>(method);
}

// The method in record's slot Slot as its paired type; null when the record
// is null or the slot is empty.
template <auto Slot, class Record>
typename QVSlot<Slot>::Method QVSlotGet(const Record* record) {
  if (!record) return nullptr;
  const QVMethodSlot& slot = QVSlotIn<Slot>(*record);
  return slot.IsEmpty() ? nullptr : slot.Get<Slot>();
}

static_assert(sizeof(QVMethodSlot) == 16, "member-function slots take 16 bytes");
static_assert(sizeof(void (QVHostObject::*)()) == 16, "Itanium C++ ABI expected");

// Symbols the plug-in exports are marked with this; everything else is hidden.
#define QV_EXPORT extern "C" __attribute__((visibility("default")))

#endif
