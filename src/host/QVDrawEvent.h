// The drawing event the host hands to an object's draw method.
//
//   offset  width  content
//   0       32     target rectangle (AGRect: x1, y1, x2, y2)
//   32      4      rotation, 32-bit float
//   40      8      recommended brush (AGBrush*, host-owned)
//   48      8      recommended pen (AGPen*, host-owned)
//   56      4      flags: bit 0 library, bit 1 score, bit 5 edited state; bit 4
//                  or 5 sets the context's alpha to 1.0 when the event's brush
//                  and pen are installed
//   size 64
#ifndef QV_DRAW_EVENT_H
#define QV_DRAW_EVENT_H

#include <cstddef>
#include <cstdint>

#include "graphics/AGGeometry.h"

class AGBrush;
class AGPen;
class AGContext;

enum : uint32_t {
  kQVDrawEventLibrary = 0x01,
  kQVDrawEventScore = 0x02,
  kQVDrawEventOpaque = 0x10,
  kQVDrawEventEdited = 0x20,
};

struct QVDrawEvent {
  AGRect target;
  float rotation;
  uint32_t reserved0;
  const AGBrush* brush;
  const AGPen* pen;
  uint32_t flags;
  uint32_t reserved1;

  // Installs the recommended brush and pen in context (a missing one leaves
  // the context's); with flag bit 4 or 5 the context's alpha first becomes 1.
  void SetupContextWithRecommendedBrushAndPen(AGContext& context) const;
};

static_assert(offsetof(QVDrawEvent, target) == 0);
static_assert(offsetof(QVDrawEvent, rotation) == 32);
static_assert(offsetof(QVDrawEvent, brush) == 40);
static_assert(offsetof(QVDrawEvent, pen) == 48);
static_assert(offsetof(QVDrawEvent, flags) == 56);
static_assert(sizeof(QVDrawEvent) == 64);

#endif
