// Owners of the C libraries' objects in the platform layer: a unique_ptr
// whose deleter calls the library's own release function, so that every
// object is released on every path.
//
//   using CairoPtr = AGPlatformOwner<cairo_t, cairo_destroy>;
#ifndef AG_PLATFORM_OWNER_P_H
#define AG_PLATFORM_OWNER_P_H

#include <memory>

// Calls Release on the object (unique_ptr never calls it for null).
template <class T, auto Release>
struct AGPlatformReleaser {
  void operator()(T* object) const { Release(object); }
};

template <class T, auto Release>
using AGPlatformOwner = std::unique_ptr<T, AGPlatformReleaser<T, Release>>;

#endif
