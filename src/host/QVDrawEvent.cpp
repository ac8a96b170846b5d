#include "host/QVDrawEvent.h"

#include "graphics/AGContext.h"

void QVDrawEvent::SetupContextWithRecommendedBrushAndPen(AGContext& context) const {
  if (flags & (kQVDrawEventOpaque | kQVDrawEventEdited)) context.alpha = 1.0f;
  if (brush) context.brush = *brush;
  if (pen) context.pen = *pen;
}
