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

// A member-function slot as stored in a record: the two words of an Itanium
// pointer to member function. An all-zero slot is empty (the null member pointer).
struct QVMethodSlot {
  uintptr_t code;
  ptrdiff_t adjust;

  bool IsEmpty() const { return code == 0; }

  // Stores a pointer to member function of QVHostObject or of a class derived
  // from it (the caller converts with static_cast first).
  template <class PM>
  static QVMethodSlot From(PM method) {
    static_assert(std::is_member_function_pointer<PM>::value, "a member function pointer");
    static_assert(sizeof(PM) == sizeof(QVMethodSlot), "Itanium member pointers take two words");
    QVMethodSlot slot;
    std::memcpy(&slot, &method, sizeof slot);
    return slot;
  }

  // The pointer to member this slot holds, as the type the slot is documented with.
  template <class PM>
  PM As() const {
    static_assert(std::is_member_function_pointer<PM>::value, "a member function pointer");
    static_assert(sizeof(PM) == sizeof(QVMethodSlot), "Itanium member pointers take two words");
    PM method;
    std::memcpy(&method, this, sizeof method);
    return method;
  }
};

static_assert(sizeof(QVMethodSlot) == 16, "member-function slots take 16 bytes");
static_assert(sizeof(void (QVHostObject::*)()) == 16, "Itanium C++ ABI expected");

// Symbols the plug-in exports are marked with this; everything else is hidden.
#define QV_EXPORT extern "C" __attribute__((visibility("default")))

#endif
