// Owners of Cairo's objects, shared by the drawing layer and the drawing
// benchmark. Only the platform layer (and benchmarks measuring it) include it.
#ifndef AG_CAIRO_OWNERS_P_H
#define AG_CAIRO_OWNERS_P_H

#include <cairo.h>

#include "graphics/platform/AGPlatformOwner_p.h"

using CairoPtr = AGPlatformOwner<cairo_t, cairo_destroy>;
using CairoSurfacePtr = AGPlatformOwner<cairo_surface_t, cairo_surface_destroy>;
using CairoPatternPtr = AGPlatformOwner<cairo_pattern_t, cairo_pattern_destroy>;
using CairoPathPtr = AGPlatformOwner<cairo_path_t, cairo_path_destroy>;

#endif
