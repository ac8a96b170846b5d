// The prolongation line description: four bytes passed and stored as one unit.
#ifndef C_PROLINE_H
#define C_PROLINE_H

#include <cstdint>

// Stored values of the line type; anything above 2 is read as 2.
enum : uint8_t {
  kProlineTypeNone = 0,
  kProlineTypeSustained = 1,
  kProlineTypeIterated = 2,
};

// Stored values of the line's begin and end; anything above 2 is read as 2.
enum : uint8_t {
  kProlineTailUp = 0,
  kProlineTailMiddle = 1,
  kProlineTailDown = 2,
};

struct CProline {
  uint8_t type;      // kProlineType...
  uint8_t begin;     // kProlineTail...: where the line starts vertically
  uint8_t end;       // kProlineTail...: where the line ends vertically
  uint8_t reserved;  // 0 for every line this plug-in creates; kept as read
};

static_assert(sizeof(CProline) == 4, "stored as one four-byte unit");

inline bool operator==(const CProline& a, const CProline& b) {
  return a.type == b.type && a.begin == b.begin && a.end == b.end && a.reserved == b.reserved;
}
inline bool operator!=(const CProline& a, const CProline& b) { return !(a == b); }

#endif
