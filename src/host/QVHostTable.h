// The common shape of the host's interface tables (panel descriptions, panel
// controls, undo handlers):
//
//   offset   width  content
//   32       8      construct: a new host object from the operation's arguments
//   40       8      destroy
//   48..95          further plain functions, unused by the plug-in
//   96+16k   16     member slot k, called on the host object
//
// A slot that the 32-bit layout placed at byte 64+8k sits at 96+16k here.
#ifndef QV_HOST_TABLE_H
#define QV_HOST_TABLE_H

#include <cstddef>
#include <cstdint>

#include "host/QVHostObject.h"

// Index of the member slot that a 32-bit table placed at byte offset32.
constexpr uint32_t QVHostTableSlotIndex(uint32_t offset32) { return (offset32 - 64) / 8; }

template <class Construct, uint32_t SlotCount>
struct QVHostTable {
  uint8_t reserved0[32];
  Construct construct;
  void (*destroy)(QVHostObject* object);
  void* reserved1[6];
  QVMethodSlot methods[SlotCount];
};

#endif
