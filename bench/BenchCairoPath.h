// Benchmark support: a kit path as ready Cairo path data, for the Cairo
// side of the drawing benchmarks.
#ifndef BENCH_CAIRO_PATH_H
#define BENCH_CAIRO_PATH_H

#include <cairo.h>

#include "graphics/AGPath.h"
#include "graphics/platform/AGCairoOwners_p.h"
#include "graphics/platform/AGNativePath.h"

// The path's elements in its caller's coordinates (its own plus its
// origin), quadratic segments as the cubics that draw the same curve. cr's
// current path is left empty.
inline CairoPathPtr CairoPathOf(cairo_t* cr, const AGPath& path) {
  const AGPoint o = path.GetOrigin();
  AGNativePoint current = {0, 0};
  cairo_new_path(cr);
  path.NativePath()->Walk([&](const AGNativeElement& e) {
    const AGNativePoint* p = e.points;
    switch (e.type) {
      case AGNativeElementType::kMoveTo:
        cairo_move_to(cr, p[0].x + o.x, p[0].y + o.y);
        break;
      case AGNativeElementType::kLineTo:
        cairo_line_to(cr, p[0].x + o.x, p[0].y + o.y);
        break;
      case AGNativeElementType::kQuadTo:
        cairo_curve_to(cr, current.x + 2.0 / 3 * (p[0].x - current.x) + o.x,
                       current.y + 2.0 / 3 * (p[0].y - current.y) + o.y,
                       p[1].x + 2.0 / 3 * (p[0].x - p[1].x) + o.x,
                       p[1].y + 2.0 / 3 * (p[0].y - p[1].y) + o.y, p[1].x + o.x, p[1].y + o.y);
        break;
      case AGNativeElementType::kCubicTo:
        cairo_curve_to(cr, p[0].x + o.x, p[0].y + o.y, p[1].x + o.x, p[1].y + o.y, p[2].x + o.x,
                       p[2].y + o.y);
        break;
      case AGNativeElementType::kClose:
        cairo_close_path(cr);
        break;
    }
    uint32_t n = AGNativeElementPointCount(e.type);
    if (n) current = p[n - 1];
  });
  CairoPathPtr copy(cairo_copy_path(cr));
  cairo_new_path(cr);
  return copy;
}

#endif
